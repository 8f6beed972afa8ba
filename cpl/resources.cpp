// The applet module's own resources: its icon and its two texts.
#include <iterator>

#include <ombrin/resources.h>

#include "resource.h"

namespace {

using ombrin::resources::kVgaPalette;
using ombrin::resources::PixelArt;

// A loudspeaker beside the bars of an equalizer.
constexpr PixelArt<32, 32> kAudioIconArt({
    "................................",
    "................................",
    "................................",
    ".0000000000000..................",
    ".0888888888880..................",
    ".0888888888880..................",
    ".0888888888880..................",
    ".0888800088880.....99...........",
    ".0888077708880.....99...........",
    ".0888070708880.....99...........",
    ".0888077708880.....99....99.....",
    ".0888800088880.....99....99.....",
    ".0888888888880.....99....99.....",
    ".0888888888880..99.99....99.....",
    ".0888888888880..bb.bb....bb.....",
    ".0888800088880..bb.bb....bb.....",
    ".0880077700880..bb.bb....bb.....",
    ".0800777770080..bb.bb.bb.bb.....",
    ".080777f777080..bb.bb.bb.bb.....",
    ".00777f0f77700..bb.bb.bb.bb.....",
    ".0077f000f7700..bb.bb.bb.bb.bb..",
    ".00777f0f77700..aa.aa.aa.aa.aa..",
    ".080777f777080..aa.aa.aa.aa.aa..",
    ".0800777770080..aa.aa.aa.aa.aa..",
    ".0880077700880..aa.aa.aa.aa.aa..",
    ".0888800088880..aa.aa.aa.aa.aa..",
    ".0888888888880..aa.aa.aa.aa.aa..",
    ".0888888888880..aa.aa.aa.aa.aa..",
    ".0000000000000.0000000000000000.",
    "................................",
    "................................",
    "................................",
});

constexpr OmbrinImage kAudioIconImages[] = {
    {32, 32, 4, kVgaPalette, 16, kAudioIconArt.pixels, kAudioIconArt.mask},
};

constexpr OmbrinIconResource kIcons[] = {
    {IDI_AUDIO_CPL, kAudioIconImages, static_cast<UINT>(std::size(kAudioIconImages))},
};

constexpr OmbrinStringResource kStrings[] = {
    {IDS_CPL_NAME, "Dravel Ombrin Audio"},
    {IDS_CPL_INFO, "Ombrin Control Panel"},
};

constexpr OmbrinResourceTable kTable{
    sizeof(OmbrinResourceTable),
    kStrings, static_cast<UINT>(std::size(kStrings)),
    kIcons, static_cast<UINT>(std::size(kIcons)),
    nullptr, 0,
    nullptr, 0,
};

}  // namespace

extern "C" OMBRIN_EXPORT const OmbrinResourceTable* OmbrinResources() { return &kTable; }
