#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "temp_machine.h"
#include "text_removal.h"
#include "text_removal_reference.h"
#include "uninstaller.h"

using namespace std::string_literals;

namespace {

std::string OnePass(std::string content, const std::string& text) {
  auto size = unombrin::RemoveTextInPlace(content.data(), static_cast<std::uint32_t>(content.size()), text.c_str(),
                                          static_cast<std::uint32_t>(text.size()));
  content.resize(size);
  return content;
}

const std::string kLine = "device=telvcd.vxd\r\n";

// The one-pass removal leaves exactly the bytes of the step-by-step loop, on random content
// built from a few letters, zero bytes and pieces of the text, so that matches overlap, nest
// and form anew when a removal joins what was around it.
TEST(TextRemoval, OnePassEqualsTheLoopOnRandomInput) {
  std::mt19937 random(20261211);
  const std::vector<std::string> texts = {"a", "aa", "ab", "aba", "abab", "aab", "abaab", "baa", "aaaa", kLine};
  for (int round = 0; round < 20000; ++round) {
    std::string text = texts[random() % texts.size()];
    if (round % 3 == 0) {  // or a random text over the same letters
      text.clear();
      for (auto n = 1 + random() % 5; n > 0; --n) text += "ab"[random() % 2];
    }
    std::string content;
    for (auto n = random() % 60; n > 0; --n) {
      switch (random() % 8) {
        case 0: content += text; break;
        case 1: content += text.substr(0, 1 + random() % text.size()); break;
        case 2: content += text.substr(random() % text.size()); break;
        case 3: if (random() % 4 == 0) content += '\0'; break;
        default: content += "ab\r\n"[random() % 4];
      }
    }
    ASSERT_EQ(OnePass(content, text), unombrin::testing::ReferenceRemoveText(content, text))
        << "round " << round << " text '" << text << "' content '" << content << "'";
  }
}

TEST(TextRemoval, EdgeCasesInMemory) {
  struct Case {
    std::string content, text, expected;
  } cases[] = {
      {"", "ab", ""},
      {"xyz", "", "xyz"},
      {"ab", "ab", ""},
      {"aabb", "ab", ""},                       // a removal joins "a" and "b" into a new match
      {"xaabbx", "ab", "xx"},
      {"aab\0ab"s, "ab", "a\0ab"s},             // nothing after the zero byte is searched
      {"\0ab"s, "ab", "\0ab"s},
      {"abababab", "abab", ""},
      {"aaa", "aa", "a"},
  };
  for (const auto& c : cases) EXPECT_EQ(OnePass(c.content, c.text), c.expected) << c.content << " / " << c.text;
}

// RemoveTextFromFile on a file of the machine, as the recipes use it on system.ini.
class RemoveTextFromFile : public ombrin::test::MachineTest {};

TEST_F(RemoveTextFromFile, RemovesExactlyTheOccurrencesOfTheLine) {
  const std::string head = "[386Enh]\r\nkeyboard=*vkd\r\n";
  const std::string tail = "device=*vpd\r\n";
  struct Case {
    const char* what;
    std::string before, after;
  } cases[] = {
      {"once", head + kLine + tail, head + tail},
      {"twice, apart", kLine + head + kLine + tail, head + tail},
      {"in capitals", head + "DEVICE=TELVCD.VXD\r\n" + tail, head + "DEVICE=TELVCD.VXD\r\n" + tail},
      {"last line without line end", head + "device=telvcd.vxd", head + "device=telvcd.vxd"},
      {"inside a longer line", head + "x" + kLine + tail, head + "x" + tail},
      {"split around another copy", head + "device=telvcd" + kLine + ".vxd\r\n" + tail, head + tail},
      {"after a zero byte", head + "\0"s + kLine, head + "\0"s + kLine},
      {"the whole content", kLine, ""},
      {"empty file", "", ""},
  };
  for (const auto& c : cases) {
    machine_.writeFile("C:\\WINDOWS\\system.ini", c.before);
    Uninstaller engine;
    engine.RemoveTextFromFile("C:\\WINDOWS\\system.ini", kLine.c_str());
    EXPECT_EQ(machine_.readFile("C:\\WINDOWS\\system.ini"), c.after) << c.what;
  }
}

TEST_F(RemoveTextFromFile, AMissingFileIsCreatedEmpty) {
  Uninstaller engine;
  engine.RemoveTextFromFile("C:\\WINDOWS\\absent.ini", kLine.c_str());
  EXPECT_TRUE(std::filesystem::exists(machine_.host("C:\\WINDOWS\\absent.ini")));
  EXPECT_EQ(machine_.readFile("C:\\WINDOWS\\absent.ini"), "");
}

TEST_F(RemoveTextFromFile, AFileLargerThanOneMappingStepKeepsEveryOtherByte) {
  std::string content;
  while (content.size() < 3 * 98304) content += "line of text\r\n" + (content.size() % 7 == 0 ? kLine : "");
  machine_.writeFile("C:\\WINDOWS\\big.ini", content);
  Uninstaller engine;
  engine.RemoveTextFromFile("C:\\WINDOWS\\big.ini", kLine.c_str());
  EXPECT_EQ(machine_.readFile("C:\\WINDOWS\\big.ini"), unombrin::testing::ReferenceRemoveText(content, kLine));
}

TEST_F(RemoveTextFromFile, AnUnopenableFileIsLeftAlone) {
  Uninstaller engine;
  engine.RemoveTextFromFile("C:\\NOSUCHDIR\\system.ini", kLine.c_str());
  engine.RemoveTextFromFile(nullptr, kLine.c_str());
  EXPECT_FALSE(std::filesystem::exists(machine_.root() / "drive_c" / "NOSUCHDIR"));
}

}  // namespace
