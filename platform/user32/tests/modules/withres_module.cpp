// withres.dll: a module with strings, an icon group of two images and a bitmap.
#include <iterator>

#include <ombrin/resources.h>

namespace {

using ombrin::resources::kVgaPalette;
using ombrin::resources::PixelArt;

constexpr PixelArt<2, 2> kSmallArt({"1.", ".2"});
BYTE bigPixels[32 * 32];  // all colour 0: only the size matters here
constexpr PixelArt<3, 2> kBitmapArt({"012", "345"});

const OmbrinImage kIconImages[] = {
    {2, 2, 4, kVgaPalette, 16, kSmallArt.pixels, kSmallArt.mask},
    {32, 32, 4, kVgaPalette, 16, bigPixels, nullptr},
};
const OmbrinIconResource kIcons[] = {{7, kIconImages, 2}};
const OmbrinImage kBitmapImage{3, 2, 4, kVgaPalette, 16, kBitmapArt.pixels, nullptr};
const OmbrinBitmapResource kBitmaps[] = {{9, &kBitmapImage}};
const OmbrinStringResource kStrings[] = {{1, "one"}, {2, "Caf\xe9 au lait"}, {3, ""}};
const char kTemplate[] = "template";
const OmbrinDataResource kData[] = {{5, 11, kTemplate, sizeof kTemplate}};

const OmbrinResourceTable kTable{sizeof(OmbrinResourceTable), kStrings, 3, kIcons, 1, kBitmaps, 1, kData, 1};

}  // namespace

extern "C" const OmbrinResourceTable* OmbrinResources() { return &kTable; }
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
