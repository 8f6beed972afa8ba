// How the recipes drive the engine: every primitive through the virtual table, IsWin95 asked
// once by the recipes that have Windows 95 steps and never by the others, and no file step run
// on a path that does not fit into MAX_PATH.
#include <gtest/gtest.h>
#include <temp_machine.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "uninstaller.h"

namespace {

// Records each primitive call instead of doing it.
class Recorder : public Uninstaller {
 public:
  explicit Recorder(bool win95) : win95_(win95) {}

  std::vector<std::string> calls;
  int win95Asks = 0;

  void SetWindowsDir(const std::string& dir) { std::strcpy(windowsDir, dir.c_str()); }

  bool IsWin95() override {
    ++win95Asks;
    return win95_;
  }
  void RemoveFiles(const char* directory, const char* pattern) override {
    calls.push_back(std::string("RemoveFiles ") + directory + " " + pattern);
  }
  void RemoveTextFromFile(const char* path, const char*) override {
    calls.push_back(std::string("RemoveTextFromFile ") + path);
  }
  void DeleteKey(HKEY, const char* parent, const char* name) override {
    calls.push_back(std::string("DeleteKey ") + parent + " " + name);
  }
  void RemoveValue(HKEY, const char* path, const char* name) override {
    calls.push_back(std::string("RemoveValue ") + path + " " + name);
  }
  void RemoveKeyIfNoSubkeys(HKEY, const char* parent, const char* name) override {
    calls.push_back(std::string("RemoveKeyIfNoSubkeys ") + parent + " " + name);
  }
  int RemoveKeysByValue(HKEY, const char* path, const char* name, const char* text) override {
    calls.push_back(std::string("RemoveKeysByValue ") + path + " " + name + " " + text);
    return 0;
  }
  void RemoveSectionsByValue(HKEY, const char* path, const char* name, const char* text, bool section) override {
    calls.push_back(std::string("RemoveSectionsByValue ") + path + " " + name + " " + text + (section ? " 1" : " 0"));
  }
  void RemoveKeysByName(HKEY, const char* path, const char* text) override {
    calls.push_back(std::string("RemoveKeysByName ") + path + " " + text);
  }
  void RemoveValuesByName(HKEY, const char* path, const char* text) override {
    calls.push_back(std::string("RemoveValuesByName ") + path + " " + text);
  }

 private:
  bool win95_;
};

struct Recipe {
  const char* name;
  void (Uninstaller::*run)();
  int win95Asks;  // 1 for the recipes with Windows 95 steps
};

const Recipe kRecipes[] = {
    {"ModemNewBoard", &Uninstaller::RemoveModemNewBoard, 1},
    {"ModemOldBoard", &Uninstaller::RemoveModemOldBoard, 1},
    {"SetupDevices", &Uninstaller::RemoveSetupDevices, 1},
    {"OemModemEdition", &Uninstaller::RemoveOemModemEdition, 0},
    {"CombinedEdition", &Uninstaller::RemoveCombinedEdition, 1},
    {"Kmp4Family", &Uninstaller::RemoveKmp4Family, 0},
    {"Qv30Family", &Uninstaller::RemoveQv30Family, 0},
    {"TellicorIsaModem", &Uninstaller::RemoveTellicorIsaModem, 0},
    {"TellicorPciModem", &Uninstaller::RemoveTellicorPciModem, 0},
};

class RecipeCalls : public ombrin::test::MachineTest, public ::testing::WithParamInterface<Recipe> {};

TEST_P(RecipeCalls, AskIsWin95OnceAtMostAndFollowTheAnswer) {
  Recorder on95(true), on98(false);
  (on95.*GetParam().run)();
  (on98.*GetParam().run)();
  EXPECT_EQ(on95.win95Asks, GetParam().win95Asks);
  EXPECT_EQ(on98.win95Asks, GetParam().win95Asks);
  // Recipes with Windows 95 steps take another way to the device entries on each answer.
  EXPECT_EQ(on95.calls != on98.calls, GetParam().win95Asks == 1);
  // Every recipe takes the telvcd line out of system.ini, under the Windows directory.
  EXPECT_NE(std::find(on98.calls.begin(), on98.calls.end(), "RemoveTextFromFile C:\\WINDOWS\\system.ini"),
            on98.calls.end());
}

INSTANTIATE_TEST_SUITE_P(All, RecipeCalls, ::testing::ValuesIn(kRecipes),
                         [](const ::testing::TestParamInfo<Recipe>& recipe) { return recipe.param.name; });

std::vector<std::string> FileSteps(const std::vector<std::string>& calls) {
  std::vector<std::string> files;
  for (const auto& call : calls)
    if (call.rfind("RemoveFiles ", 0) == 0 || call.rfind("RemoveTextFromFile ", 0) == 0) files.push_back(call);
  return files;
}

using RecipeFolders = ombrin::test::MachineTest;

// The file steps of RemoveKmp4Family, for the given Windows directory, that fit into MAX_PATH.
std::vector<std::string> Kmp4FileSteps(const std::string& dir, bool withOther) {
  std::vector<std::string> steps = {
      "RemoveFiles " + dir + " kmp4*.*",
      "RemoveFiles " + dir + "\\inf kmp4*.inf",
      "RemoveFiles " + dir + "\\inf drvdata.bin",
      "RemoveFiles " + dir + "\\inf drvidx.bin",
      "RemoveFiles " + dir + "\\system kmp4*.*",
      "RemoveFiles " + dir + "\\system qvm42loc.dll",
      "RemoveFiles " + dir + "\\system telvcd.vxd",
  };
  if (withOther) steps.push_back("RemoveFiles " + dir + "\\inf\\other dra*.inf");
  return steps;
}

// A path cut at MAX_PATH would name another folder; such steps are left out, the rest run.
TEST_F(RecipeFolders, FileStepsWhosePathWouldNotFitAreSkipped) {
  std::string dir = "C:\\" + std::string(246, 'W');  // 249 characters: "\\system.ini" no longer fits
  Recorder engine(false);
  engine.SetWindowsDir(dir);
  engine.RemoveKmp4Family();
  EXPECT_EQ(FileSteps(engine.calls), Kmp4FileSteps(dir, true));

  Recorder longer(false);
  longer.SetWindowsDir(dir + "W");  // nor does "\\inf\\other" now
  longer.RemoveKmp4Family();
  EXPECT_EQ(FileSteps(longer.calls), Kmp4FileSteps(dir + "W", false));
  EXPECT_EQ(longer.calls.size(), engine.calls.size() - 1);  // every registry step still runs
}

TEST_F(RecipeFolders, NoFileStepRunsWithoutAWindowsDirectory) {
  Recorder engine(false);
  engine.SetWindowsDir("");
  engine.RemoveCombinedEdition();
  EXPECT_TRUE(FileSteps(engine.calls).empty());
  EXPECT_FALSE(engine.calls.empty());
}

}  // namespace
