// The localisation library's applet resources: the applet's icon and its two texts, in French.
#include <iterator>

#include "resources.h"

namespace {

using ombrin::resources::kVgaPalette;
using ombrin::resources::PixelArt;

// The applet's loudspeaker and equalizer bars, on the blue of the localised editions.
constexpr PixelArt<32, 32> kAudioIconArt({
    "................................",
    "................................",
    "................................",
    ".0000000000000..................",
    ".0444444444440..................",
    ".0444444444440..................",
    ".0444444444440..................",
    ".0444400044440.....99...........",
    ".0444077704440.....99...........",
    ".0444070704440.....99...........",
    ".0444077704440.....99....99.....",
    ".0444400044440.....99....99.....",
    ".0444444444440.....99....99.....",
    ".0444444444440..99.99....99.....",
    ".0444444444440..bb.bb....bb.....",
    ".0444400044440..bb.bb....bb.....",
    ".0440077700440..bb.bb....bb.....",
    ".0400777770040..bb.bb.bb.bb.....",
    ".040777f777040..bb.bb.bb.bb.....",
    ".00777f0f77700..bb.bb.bb.bb.....",
    ".0077f000f7700..bb.bb.bb.bb.bb..",
    ".00777f0f77700..aa.aa.aa.aa.aa..",
    ".040777f777040..aa.aa.aa.aa.aa..",
    ".0400777770040..aa.aa.aa.aa.aa..",
    ".0440077700440..aa.aa.aa.aa.aa..",
    ".0444400044440..aa.aa.aa.aa.aa..",
    ".0444444444440..aa.aa.aa.aa.aa..",
    ".0444444444440..aa.aa.aa.aa.aa..",
    ".0000000000000.0000000000000000.",
    "................................",
    "................................",
    "................................",
});

constexpr OmbrinImage kAudioIconImages[] = {
    {32, 32, 4, kVgaPalette, 16, kAudioIconArt.pixels, kAudioIconArt.mask},
};

}  // namespace

namespace qv10loc {

// Texts in the machine's code page (Windows-1252).
const OmbrinStringResource kAppletStrings[] = {
    {50003, "Audio Dravel Ombrin"},
    {50005, "Panneau de contr\xf4le Ombrin"},
};
const UINT kAppletStringCount = static_cast<UINT>(std::size(kAppletStrings));

const OmbrinIconResource kAppletIcons[] = {
    {10001, kAudioIconImages, static_cast<UINT>(std::size(kAudioIconImages))},
};
const UINT kAppletIconCount = static_cast<UINT>(std::size(kAppletIcons));

}  // namespace qv10loc
