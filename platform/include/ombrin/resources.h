// Resources compiled into a module: strings, icons, bitmaps and other data, looked up by number.
//
// A module that carries resources exports one function by name,
//     extern "C" const OmbrinResourceTable* OmbrinResources();
// and user32 (LoadStringA, LoadIconA, LoadBitmapA, ...) finds it in the module a caller names.
// A module without the export answers as a Windows module without a resource section does.
#pragma once

#include <win32/windef.h>

extern "C" {

// 8-bit text in the machine's code page (Windows-1252).
struct OmbrinStringResource {
  UINT id;
  const char* text;
};

// An image drawn in the module's source: one palette index per pixel, rows from the top.
struct OmbrinImage {
  LONG width;
  LONG height;
  WORD bitCount;             // colour depth the image is stored with: 1, 4 or 8
  const COLORREF* palette;   // 0x00BBGGRR entries
  UINT paletteSize;
  const BYTE* pixels;        // width * height palette indices
  const BYTE* mask;          // width * height, nonzero where transparent; null when opaque
};

// An icon group: the images of one icon in their sizes and depths.
struct OmbrinIconResource {
  UINT id;
  const OmbrinImage* images;
  UINT imageCount;
};

struct OmbrinBitmapResource {
  UINT id;
  const OmbrinImage* image;
};

// Any other resource by type and number (RT_DIALOG templates, raw data...).
struct OmbrinDataResource {
  UINT type;
  UINT id;
  const void* data;
  DWORD size;
};

struct OmbrinResourceTable {
  DWORD size;  // sizeof(OmbrinResourceTable) as the module was built; later fields may be appended
  const OmbrinStringResource* strings;
  UINT stringCount;
  const OmbrinIconResource* icons;
  UINT iconCount;
  const OmbrinBitmapResource* bitmaps;
  UINT bitmapCount;
  const OmbrinDataResource* data;
  UINT dataCount;
};

using OmbrinResourcesProc = const OmbrinResourceTable* (*)();

}  // extern "C"

// The name under which a module exports its table.
#define OMBRIN_RESOURCES_EXPORT "OmbrinResources"

// Marks a module's exports (the rest of a module is hidden from the modules around it).
#define OMBRIN_EXPORT __attribute__((visibility("default")))

namespace ombrin::resources {

// The table of a loaded module (null for the program itself: GetModuleHandleA(NULL)).
// Null when the module carries none; then last error is ERROR_RESOURCE_DATA_NOT_FOUND.
const OmbrinResourceTable* tableOf(HMODULE module);

// Lookups in one module; null when absent, with the Windows last error
// (ERROR_RESOURCE_DATA_NOT_FOUND / _TYPE_NOT_FOUND / _NAME_NOT_FOUND).
const OmbrinStringResource* findString(HMODULE module, UINT id);
const OmbrinIconResource* findIcon(HMODULE module, UINT id);
const OmbrinBitmapResource* findBitmap(HMODULE module, UINT id);
const OmbrinDataResource* findData(HMODULE module, UINT type, UINT id);

// What an icon or bitmap handle holds: a copy of the image, so it outlives its module.
struct ImageInfo {
  HMODULE module;  // where it was loaded from (null for the system's own icons)
  UINT id;
  LONG width;
  LONG height;
  WORD bitCount;
  const COLORREF* palette;
  UINT paletteSize;
  const BYTE* pixels;
  const BYTE* mask;  // null when opaque
};
// False for an unknown handle.
bool iconInfo(HICON icon, ImageInfo& info);
bool bitmapInfo(HBITMAP bitmap, ImageInfo& info);
// Frees a bitmap handle (what DeleteObject does for bitmaps); false for an unknown handle.
bool releaseBitmap(HBITMAP bitmap);

// Pixel art for module sources: each row is a string of palette indices in hex ('0'..'f'),
// '.' for a transparent pixel. Checked while compiling: a bad character or row length fails the build.
template <int W, int H>
struct PixelArt {
  BYTE pixels[W * H]{};
  BYTE mask[W * H]{};
  bool transparent = false;

  consteval explicit PixelArt(const char* const (&rows)[H]) {
    for (int y = 0; y < H; ++y) {
      const char* row = rows[y];
      for (int x = 0; x < W; ++x) {
        char c = row[x];
        int index = 0;
        if (c >= '0' && c <= '9') {
          index = c - '0';
        } else if (c >= 'a' && c <= 'f') {
          index = c - 'a' + 10;
        } else if (c == '.') {
          mask[y * W + x] = 1;
          transparent = true;
        } else {
          throw "pixel art: bad character or row too short";
        }
        pixels[y * W + x] = static_cast<BYTE>(index);
      }
      if (row[W] != '\0') throw "pixel art: row too long";
    }
  }
};

// The 16 colours of the standard VGA palette, for 4-bit images.
inline constexpr COLORREF kVgaPalette[16] = {
    0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000, 0xC0C0C0,
    0x808080, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF};

}  // namespace ombrin::resources
