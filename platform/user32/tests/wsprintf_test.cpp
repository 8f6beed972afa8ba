#include <string>

#include <gtest/gtest.h>

#include <win32/windows.h>

namespace {

TEST(Wsprintf, NumbersWithWidthsAndFlags) {
  struct Case {
    const char* format;
    int value;
    const char* expected;
  } cases[] = {
      {"%d", -42, "-42"},          {"%u", -1, "4294967295"},   {"%x", 255, "ff"},
      {"%X", 255, "FF"},           {"%#x", 255, "0xff"},       {"%#x", 0, "0"},
      {"%5d", 42, "   42"},        {"%-5d|", 42, "42   |"},    {"%05d", -42, "-0042"},
      {"%08lx", 0xBEEF, "0000beef"}, {"%ld", -2147483647 - 1, "-2147483648"}, {"%lu", -2, "4294967294"},
      {"%i", 7, "7"},              {"%.3d", 7, "007"},         {"%c", 'A', "A"},
      {"%3c", 'z', "  z"},         {"%hd", 65535, "-1"},       {"100%%", 0, "100%"},
      {"%q", 0, "q"},
  };
  for (const auto& c : cases) {
    char out[64];
    int n = wsprintfA(out, c.format, c.value);
    EXPECT_STREQ(out, c.expected) << c.format;
    EXPECT_EQ(n, static_cast<int>(std::string(c.expected).size())) << c.format;
  }
}

TEST(Wsprintf, Text) {
  struct Case {
    const char* format;
    const char* value;
    const char* expected;
  } cases[] = {
      {"%s", "qv10cpl.exe", "qv10cpl.exe"},
      {"[%12s]", "abc", "[         abc]"},
      {"[%-6s]", "abc", "[abc   ]"},
      {"%.2s", "abc", "ab"},
      {"%s", nullptr, "(null)"},
      {"%hs", "narrow", "narrow"},
  };
  for (const auto& c : cases) {
    char out[64];
    wsprintfA(out, c.format, c.value);
    EXPECT_STREQ(out, c.expected) << c.format;
  }
  const WCHAR wide[] = {u'W', u'i', 0x00E9, 0x4E2D, 0};
  char out[64];
  wsprintfA(out, "%S|%ls", wide, wide);
  EXPECT_STREQ(out, "Wi\xE9?|Wi\xE9?");
}

TEST(Wsprintf, SeveralArgumentsAndTheOutputLimit) {
  char out[1100];
  EXPECT_EQ(wsprintfA(out, "%s\\%s %d-%u", "C:\\WINDOWS", "SYSTEM", -1, 2u), 22);
  EXPECT_STREQ(out, "C:\\WINDOWS\\SYSTEM -1-2");
  std::string big(2000, 'x');
  std::fill(out, out + sizeof out, '#');
  EXPECT_EQ(wsprintfA(out, "%s", big.c_str()), 1023);
  EXPECT_EQ(std::string(out), big.substr(0, 1023));
  EXPECT_EQ(out[1024], '#');  // nothing written past the limit
}

}  // namespace
