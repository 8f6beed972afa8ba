#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include <win32/windows.h>

namespace {

constexpr DWORD kSentinel = 0xDEADBEEF;
constexpr WCHAR kUnit = 0x5A5A;

std::u16string toWide(UINT codePage, const std::string& bytes, DWORD flags = 0) {
  WCHAR buffer[64];
  int n = MultiByteToWideChar(codePage, flags, bytes.data(), static_cast<int>(bytes.size()), buffer, 64);
  return n > 0 ? std::u16string(buffer, static_cast<size_t>(n)) : u"<failed>";
}

std::string toBytes(UINT codePage, const std::u16string& text) {
  char buffer[64];
  int n = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), buffer, 64, nullptr, nullptr);
  return n > 0 ? std::string(buffer, static_cast<size_t>(n)) : "<failed>";
}

TEST(Text, Windows1252BothWays) {
  // Every byte of 0x80-0x9F, then a few of the others.
  struct Case {
    unsigned char byte;
    WCHAR unit;
  } cases[] = {
      {0x80, 0x20AC}, {0x81, 0x0081}, {0x82, 0x201A}, {0x83, 0x0192}, {0x84, 0x201E}, {0x85, 0x2026},
      {0x86, 0x2020}, {0x87, 0x2021}, {0x88, 0x02C6}, {0x89, 0x2030}, {0x8A, 0x0160}, {0x8B, 0x2039},
      {0x8C, 0x0152}, {0x8D, 0x008D}, {0x8E, 0x017D}, {0x8F, 0x008F}, {0x90, 0x0090}, {0x91, 0x2018},
      {0x92, 0x2019}, {0x93, 0x201C}, {0x94, 0x201D}, {0x95, 0x2022}, {0x96, 0x2013}, {0x97, 0x2014},
      {0x98, 0x02DC}, {0x99, 0x2122}, {0x9A, 0x0161}, {0x9B, 0x203A}, {0x9C, 0x0153}, {0x9D, 0x009D},
      {0x9E, 0x017E}, {0x9F, 0x0178}, {0x41, 0x0041}, {0x7F, 0x007F}, {0xA0, 0x00A0}, {0xE9, 0x00E9},
      {0xFF, 0x00FF}, {0x00, 0x0000},
  };
  for (const auto& c : cases) {
    std::string byte(1, static_cast<char>(c.byte));
    EXPECT_EQ(toWide(CP_ACP, byte), std::u16string(1, c.unit)) << std::hex << int(c.byte);
    EXPECT_EQ(toBytes(CP_ACP, std::u16string(1, c.unit)), byte) << std::hex << int(c.byte);
  }
}

TEST(Text, Utf8) {
  struct Case {
    std::string bytes;
    std::u16string units;
  } cases[] = {
      {"abc", u"abc"},
      {"\xC3\xA9t\xC3\xA9", u"\u00E9t\u00E9"},
      {"\xE2\x82\xAC", u"\u20AC"},
      {"\xF0\x9F\x8E\xB5", u"\U0001F3B5"},  // a surrogate pair
      {"a\xFF" "b", u"a\uFFFDb"},            // each ill-formed part becomes U+FFFD
      {"\xE2\x82", u"\uFFFD"},
      {"\xC0\xAF", u"\uFFFD\uFFFD"},         // overlong
      {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},  // an encoded surrogate
  };
  for (const auto& c : cases) {
    EXPECT_EQ(toWide(CP_UTF8, c.bytes), c.units);
    if (c.units.find(u'\uFFFD') == std::u16string::npos) {
      EXPECT_EQ(toBytes(CP_UTF8, c.units), c.bytes);
    }
  }
  SetLastError(kSentinel);
  EXPECT_EQ(toWide(CP_UTF8, "a\xFF", MB_ERR_INVALID_CHARS), u"<failed>");
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
  EXPECT_EQ(toBytes(CP_UTF8, std::u16string(1, 0xD800)), "\xEF\xBF\xBD");
}

TEST(Text, SizesAndBuffers) {
  // -1 counts the terminator; a zero-sized output asks for the size only.
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, "12345", -1, nullptr, 0), 6);
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "\xE2\x82\xAC", 3, nullptr, 0), 1);
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"\u20AC", -1, nullptr, 0, nullptr, nullptr), 4);

  WCHAR wide[4] = {kUnit, kUnit, kUnit, kUnit};
  SetLastError(kSentinel);
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "12345", -1, wide, 4), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "123", -1, wide, 4), 4);
  EXPECT_EQ(std::u16string(wide, 4), std::u16string(u"123\0", 4));
  WCHAR two[2] = {kUnit, kUnit};
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "12", 2, two, 2), 2);  // no terminator asked for, none written
  EXPECT_EQ(std::u16string(two, 2), u"12");

  char narrow[3] = {'x', 'x', 'x'};
  SetLastError(kSentinel);
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, u"abc", -1, narrow, 3, nullptr, nullptr), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));

  struct Case {
    const char* what;
    int (*call)(WCHAR* wide, char* narrow);
    DWORD error;
  } cases[] = {
      {"null source", [](WCHAR* w, char*) { return MultiByteToWideChar(CP_ACP, 0, nullptr, 3, w, 4); },
       ERROR_INVALID_PARAMETER},
      {"empty source", [](WCHAR* w, char*) { return MultiByteToWideChar(CP_ACP, 0, "x", 0, w, 4); },
       ERROR_INVALID_PARAMETER},
      {"null output with a size", [](WCHAR*, char*) { return MultiByteToWideChar(CP_ACP, 0, "x", 1, nullptr, 4); },
       ERROR_INVALID_PARAMETER},
      {"unknown code page", [](WCHAR* w, char*) { return MultiByteToWideChar(12345, 0, "x", 1, w, 4); },
       ERROR_INVALID_PARAMETER},
      {"flags UTF-8 does not take", [](WCHAR* w, char*) { return MultiByteToWideChar(CP_UTF8, MB_PRECOMPOSED, "x", 1, w, 4); },
       ERROR_INVALID_FLAGS},
      {"UTF-8 with a default character",
       [](WCHAR*, char* n) { return WideCharToMultiByte(CP_UTF8, 0, u"x", 1, n, 3, "?", nullptr); },
       ERROR_INVALID_PARAMETER},
      {"null wide source", [](WCHAR*, char* n) { return WideCharToMultiByte(CP_ACP, 0, nullptr, 1, n, 3, nullptr, nullptr); },
       ERROR_INVALID_PARAMETER},
  };
  for (const auto& c : cases) {
    WCHAR w[4] = {kUnit, kUnit, kUnit, kUnit};
    char n[3] = {'x', 'x', 'x'};
    SetLastError(kSentinel);
    EXPECT_EQ(c.call(w, n), 0) << c.what;
    EXPECT_EQ(GetLastError(), c.error) << c.what;
    EXPECT_EQ(w[0], kUnit) << c.what;
    EXPECT_EQ(n[0], 'x') << c.what;
  }
}

TEST(Text, DefaultCharacter) {
  char out[8] = {};
  BOOL used = kSentinel;
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, u"a\u4E2Db", 3, out, 8, nullptr, &used), 3);
  EXPECT_EQ(std::string(out, 3), "a?b");
  EXPECT_TRUE(used);
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, u"a\u4E2Db", 3, out, 8, "#", &used), 3);
  EXPECT_EQ(std::string(out, 3), "a#b");
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, u"\u20ACb", 2, out, 8, "#", &used), 2);
  EXPECT_EQ(std::string(out, 2), "\x80" "b");
  EXPECT_FALSE(used);
}

TEST(Text, LstrHelpers) {
  EXPECT_EQ(lstrlenA("abc"), 3);
  EXPECT_EQ(lstrlenA(nullptr), 0);

  struct Case {
    const char* source;
    int size;
    const char* result;  // the buffer afterwards
  } cases[] = {
      {"hello", 10, "hello"}, {"hello", 3, "he"}, {"hello", 1, ""}, {"hello", 0, "zzzzzzz"}, {"hello", -5, "zzzzzzz"},
  };
  for (const auto& c : cases) {
    char buffer[8] = "zzzzzzz";
    EXPECT_EQ(lstrcpynA(buffer, c.source, c.size), buffer);
    EXPECT_STREQ(buffer, c.result) << c.size;
  }

  EXPECT_EQ(lstrcmpiA("System.INI", "SYSTEM.ini"), 0);
  EXPECT_EQ(lstrcmpiA("\xC9t\xE9", "\xE9T\xC9"), 0);  // accented letters of the code page
  EXPECT_LT(lstrcmpiA("abc", "ABD"), 0);
  EXPECT_GT(lstrcmpiA("abcd", "ABC"), 0);
  EXPECT_LT(lstrcmpiA(nullptr, "a"), 0);
  EXPECT_EQ(lstrcmpiA(nullptr, nullptr), 0);
}

}  // namespace
