// Text conversion between the machine's code page (Windows-1252) or UTF-8 and UTF-16 units,
// and the lstr* helpers.
#include <cstring>
#include <string>

#include <ombrin/paths.h>
#include <ombrin/trace.h>
#include <win32/winbase.h>

namespace {

constexpr WCHAR kReplacement = 0xFFFD;
constexpr UINT kCodePage1252 = 1252;
constexpr UINT kThreadCodePage = 3;  // CP_THREAD_ACP

// Windows-1252 bytes 0x80-0x9F; the five bytes the code page leaves open map to the C1 controls.
constexpr WCHAR k1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98
};

WCHAR from1252(unsigned char c) { return (c >= 0x80 && c < 0xA0) ? k1252High[c - 0x80] : c; }

// The 1252 byte of a UTF-16 unit; false when the code page has none.
bool to1252(WCHAR u, char& out) {
  if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
    out = static_cast<char>(u);
    return true;
  }
  for (int i = 0; i < 32; ++i) {
    if (k1252High[i] == u) {
      out = static_cast<char>(0x80 + i);
      return true;
    }
  }
  return false;
}

enum class Page { Ansi, Utf8, Unknown };

Page pageOf(UINT codePage) {
  if (codePage == CP_ACP || codePage == kThreadCodePage || codePage == kCodePage1252) return Page::Ansi;
  if (codePage == CP_UTF8) return Page::Utf8;
  return Page::Unknown;
}

// Decodes UTF-8; each ill-formed part becomes one U+FFFD. Returns false on the first one when
// `strict`.
bool decodeUtf8(const unsigned char* s, std::size_t n, std::u16string& out, bool strict) {
  std::size_t i = 0;
  while (i < n) {
    unsigned char b = s[i];
    if (b < 0x80) {
      out += static_cast<char16_t>(b);
      ++i;
      continue;
    }
    std::size_t need = 0;
    char32_t cp = 0;
    unsigned char lo = 0x80, hi = 0xBF;  // the range of the second byte
    if (b >= 0xC2 && b <= 0xDF) {
      need = 1;
      cp = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
      need = 2;
      cp = b & 0x0F;
      if (b == 0xE0) lo = 0xA0;
      if (b == 0xED) hi = 0x9F;  // no surrogates
    } else if (b >= 0xF0 && b <= 0xF4) {
      need = 3;
      cp = b & 0x07;
      if (b == 0xF0) lo = 0x90;
      if (b == 0xF4) hi = 0x8F;
    }
    std::size_t used = 1;
    bool complete = need > 0;
    for (std::size_t k = 0; k < need; ++k) {
      if (i + used >= n) {
        complete = false;
        break;
      }
      unsigned char c = s[i + used];
      unsigned char low = k == 0 ? lo : 0x80, high = k == 0 ? hi : 0xBF;
      if (c < low || c > high) {
        complete = false;
        break;
      }
      cp = (cp << 6) | (c & 0x3F);
      ++used;
    }
    if (!complete) {
      if (strict) return false;
      out += kReplacement;
      i += used;
      continue;
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (cp >> 10));
      out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
      out += static_cast<char16_t>(cp);
    }
    i += used;
  }
  return true;
}

void appendUtf8(char32_t cp, std::string& out) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Encodes UTF-16 as UTF-8; a lone surrogate becomes U+FFFD, or fails when `strict`.
bool encodeUtf8(const WCHAR* s, std::size_t n, std::string& out, bool strict) {
  for (std::size_t i = 0; i < n; ++i) {
    char32_t u = s[i];
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < n && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
      appendUtf8(0x10000 + ((u - 0xD800) << 10) + (s[i + 1] - 0xDC00), out);
      ++i;
    } else if (u >= 0xD800 && u <= 0xDFFF) {
      if (strict) return false;
      appendUtf8(kReplacement, out);
    } else {
      appendUtf8(u, out);
    }
  }
  return true;
}

bool overlaps(const void* a, std::size_t aSize, const void* b, std::size_t bSize) {
  auto x = reinterpret_cast<std::uintptr_t>(a), y = reinterpret_cast<std::uintptr_t>(b);
  return x < y + bSize && y < x + aSize;
}

int fail(DWORD error) {
  SetLastError(error);
  return 0;
}

int multiByteToWide(UINT codePage, DWORD flags, LPCSTR src, int srcSize, LPWSTR dst, int dstSize) {
  if (src == nullptr || srcSize == 0 || srcSize < -1 || dstSize < 0 || (dst == nullptr && dstSize > 0))
    return fail(ERROR_INVALID_PARAMETER);
  std::size_t length = srcSize == -1 ? std::strlen(src) + 1 : static_cast<std::size_t>(srcSize);
  if (dst != nullptr && dstSize > 0 && overlaps(src, length, dst, static_cast<std::size_t>(dstSize) * sizeof(WCHAR)))
    return fail(ERROR_INVALID_PARAMETER);
  std::u16string text;
  switch (pageOf(codePage)) {
    case Page::Utf8:
      if (flags & ~static_cast<DWORD>(MB_ERR_INVALID_CHARS)) return fail(ERROR_INVALID_FLAGS);
      if (!decodeUtf8(reinterpret_cast<const unsigned char*>(src), length, text, flags & MB_ERR_INVALID_CHARS))
        return fail(ERROR_NO_UNICODE_TRANSLATION);
      break;
    case Page::Ansi:
      if ((flags & ~static_cast<DWORD>(MB_PRECOMPOSED | MB_COMPOSITE | MB_USEGLYPHCHARS | MB_ERR_INVALID_CHARS)) ||
          ((flags & MB_PRECOMPOSED) && (flags & MB_COMPOSITE)))
        return fail(ERROR_INVALID_FLAGS);
      text.reserve(length);
      for (std::size_t i = 0; i < length; ++i) text += from1252(static_cast<unsigned char>(src[i]));
      break;
    case Page::Unknown: return fail(ERROR_INVALID_PARAMETER);
  }
  if (text.size() > 0x7FFFFFFF) return fail(ERROR_INVALID_PARAMETER);
  const int needed = static_cast<int>(text.size());
  if (dstSize == 0) return needed;  // only the size was asked for
  if (needed > dstSize) return fail(ERROR_INSUFFICIENT_BUFFER);
  std::memcpy(dst, text.data(), text.size() * sizeof(WCHAR));
  return needed;
}

int wideToMultiByte(UINT codePage, DWORD flags, LPCWSTR src, int srcSize, LPSTR dst, int dstSize, LPCSTR defaultChar,
                    LPBOOL usedDefault) {
  if (src == nullptr || srcSize == 0 || srcSize < -1 || dstSize < 0 || (dst == nullptr && dstSize > 0))
    return fail(ERROR_INVALID_PARAMETER);
  std::size_t length = 0;
  if (srcSize == -1) {
    while (src[length] != 0) ++length;
    ++length;
  } else {
    length = static_cast<std::size_t>(srcSize);
  }
  if (dst != nullptr && dstSize > 0 && overlaps(src, length * sizeof(WCHAR), dst, static_cast<std::size_t>(dstSize)))
    return fail(ERROR_INVALID_PARAMETER);
  std::string text;
  bool defaulted = false;
  switch (pageOf(codePage)) {
    case Page::Utf8:
      if (defaultChar != nullptr || usedDefault != nullptr) return fail(ERROR_INVALID_PARAMETER);
      if (flags & ~static_cast<DWORD>(WC_ERR_INVALID_CHARS)) return fail(ERROR_INVALID_FLAGS);
      if (!encodeUtf8(src, length, text, flags & WC_ERR_INVALID_CHARS)) return fail(ERROR_NO_UNICODE_TRANSLATION);
      break;
    case Page::Ansi: {
      if (flags & ~static_cast<DWORD>(WC_COMPOSITECHECK | WC_DISCARDNS | WC_SEPCHARS | WC_DEFAULTCHAR |
                                      WC_NO_BEST_FIT_CHARS))
        return fail(ERROR_INVALID_FLAGS);
      const char substitute = defaultChar != nullptr ? *defaultChar : '?';
      text.reserve(length);
      for (std::size_t i = 0; i < length; ++i) {
        char c;
        if (!to1252(src[i], c)) {
          c = substitute;
          defaulted = true;
        }
        text += c;
      }
      break;
    }
    case Page::Unknown: return fail(ERROR_INVALID_PARAMETER);
  }
  if (text.size() > 0x7FFFFFFF) return fail(ERROR_INVALID_PARAMETER);
  const int needed = static_cast<int>(text.size());
  if (dstSize != 0) {
    if (needed > dstSize) return fail(ERROR_INSUFFICIENT_BUFFER);
    std::memcpy(dst, text.data(), text.size());
  }
  if (usedDefault != nullptr) *usedDefault = defaulted ? TRUE : FALSE;
  return needed;
}

}  // namespace

extern "C" int WINAPI MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCSTR lpMultiByteStr, int cbMultiByte,
                                          LPWSTR lpWideCharStr, int cchWideChar) {
  int result = multiByteToWide(CodePage, dwFlags, lpMultiByteStr, cbMultiByte, lpWideCharStr, cchWideChar);
  OMBRIN_TRACE("file", "MultiByteToWideChar(%u, %#x, %d, %d) -> %d, error %u", CodePage, dwFlags, cbMultiByte,
               cchWideChar, result, result ? 0u : GetLastError());
  return result;
}

extern "C" int WINAPI WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWSTR lpWideCharStr, int cchWideChar,
                                          LPSTR lpMultiByteStr, int cbMultiByte, LPCSTR lpDefaultChar,
                                          LPBOOL lpUsedDefaultChar) {
  int result = wideToMultiByte(CodePage, dwFlags, lpWideCharStr, cchWideChar, lpMultiByteStr, cbMultiByte,
                               lpDefaultChar, lpUsedDefaultChar);
  OMBRIN_TRACE("file", "WideCharToMultiByte(%u, %#x, %d, %d) -> %d, error %u", CodePage, dwFlags, cchWideChar,
               cbMultiByte, result, result ? 0u : GetLastError());
  return result;
}

extern "C" int WINAPI lstrlenA(LPCSTR lpString) {
  return lpString ? static_cast<int>(std::strlen(lpString)) : 0;
}

// Copies at most iMaxLength - 1 characters and always terminates; a size of zero or less
// writes nothing.
extern "C" LPSTR WINAPI lstrcpynA(LPSTR lpString1, LPCSTR lpString2, int iMaxLength) {
  if (lpString1 == nullptr || iMaxLength <= 0) return lpString1;
  int i = 0;
  if (lpString2 != nullptr)
    for (; i < iMaxLength - 1 && lpString2[i] != '\0'; ++i) lpString1[i] = lpString2[i];
  lpString1[i] = '\0';
  return lpString1;
}

// Compares without case in the machine's code page; a null string sorts before any other.
extern "C" int WINAPI lstrcmpiA(LPCSTR lpString1, LPCSTR lpString2) {
  if (lpString1 == nullptr || lpString2 == nullptr) return lpString1 == lpString2 ? 0 : (lpString1 ? 1 : -1);
  return ombrin::paths::compareNoCase(lpString1, lpString2);
}
