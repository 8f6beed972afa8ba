#include <gtest/gtest.h>

#include "kernel32/wildcard.h"

using ombrin::files::matchesWildcard;

TEST(Wildcard, DosRules) {
  struct Case {
    const char* pattern;
    const char* name;
    bool matches;
  } cases[] = {
      // "*.*" is every name, with a dot or without.
      {"*.*", "README", true},
      {"*.*", "system.ini", true},
      {"*.*", "a.b.c", true},
      {"*.*", ".", true},
      {"*.*", "..", true},
      {"*", "README", true},
      {"*", "", true},
      // The uninstaller's patterns.
      {"qv10*.*", "qv10hweq.exe", true},
      {"qv10*.*", "QV10LOC.DLL", true},
      {"qv10*.*", "qv10", true},
      {"qv10*.*", "qv1.exe", false},
      {"qv10*.*", "xqv10.exe", false},
      {"dravel*.inf", "Dravel10.INF", true},
      {"dravel*.inf", "dravel.inf", true},
      {"dravel*.inf", "dravel10.inf.bak", false},
      {"dravel*.inf", "dravel.x.inf", true},
      {"drvidx.bin", "DRVIDX.BIN", true},
      {"drvidx.bin", "drvidx.bin2", false},
      // "name.*" also names "name".
      {"name.*", "name", true},
      {"name.*", "name.txt", true},
      {"name.*", "names", false},
      // "?" is one character, or nothing at the end of the name or before a dot.
      {"a?", "ab", true},
      {"a?", "a", true},
      {"a?", "abc", false},
      {"a??.txt", "a.txt", true},
      {"a??.txt", "ab.txt", true},
      {"a??.txt", "abcd.txt", false},
      {"a?c", "a.c", false},
      {"????????.???", "setup.exe", true},
      {"????????.???", "installer1.exe", false},
      {"?", "", true},
      // A trailing dot: names without an extension.
      {"*.", "README", true},
      {"*.", "read.me", false},
      // Case, also for accented letters of the machine's code page.
      {"SYSTEM.INI", "system.ini", true},
      {"\xC9T\xC9.TXT", "\xE9t\xE9.txt", true},
      {"*.TXT", "notes.txt", true},
      {"*.txt", "notes.txt.bak", false},
      {"*.txt", "a.b.txt", true},
      {"*b*", "abc", true},
      {"*b*", "acd", false},
      {"a*b*c", "aXXbYYc", true},
      {"a*b*c", "aXXcYYb", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(matchesWildcard(c.pattern, c.name), c.matches) << '"' << c.pattern << "\" on \"" << c.name << '"';
}
