// UTF-16 to the machine's code page, Windows-1252, for version 5 registry files.
#include <cstdint>

#include "regedit_format.h"

namespace ombrin::registry {
namespace {

// Where 1252 differs from Latin-1: bytes 0x80 to 0x9F. Zero marks the five the code page leaves
// undefined, which Windows passes through unchanged.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char toCodePage(char16_t unit) {
  if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) return static_cast<char>(unit);
  for (int i = 0; i < 32; ++i) {
    if (kHighControls[i] == unit) return static_cast<char>(0x80 + i);
    if (kHighControls[i] == 0 && unit == 0x80 + i) return static_cast<char>(unit);
  }
  return '?';
}

}  // namespace

std::string fromUtf16(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char16_t unit = text[i];
    // A surrogate pair is one character the code page cannot hold.
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) ++i;
    out += toCodePage(unit);
  }
  return out;
}

}  // namespace ombrin::registry
