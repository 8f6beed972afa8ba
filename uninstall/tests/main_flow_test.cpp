#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <ombrin/eventlog.h>

#include "main_flow.h"
#include "registry_helpers.h"
#include "temp_machine.h"

using ombrin::machine::WindowsVersion;
using namespace unombrin;
using namespace unombrin::testing;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

namespace {

TEST(UninstallerCommandLine, SkipsTheProgramName) {
  struct Case {
    std::string line, arguments;
  } cases[] = {
      {"unombrin.exe now all", "now all"},
      {"\"C:\\Program Files\\unombrin.exe\" now", "now"},
      {"\"C:\\Program Files\\unombrin.exe\"now", "now"},
      {"\"unterminated quote now", ""},
      {"unombrin.exe", ""},
      {"unombrin.exe \t  \x01 silent", "silent"},
      {"", ""},
  };
  for (auto c : cases) EXPECT_EQ(std::string(SkipProgramName(c.line.data())), c.arguments) << c.line;
}

TEST(UninstallerCommandLine, KeywordsAreSubstringsAfterLowerCasing) {
  struct Case {
    std::string line;
    Selection expected;  // now, all, sndlink10, qv10setp, silent, oldBoard
  } cases[] = {
      {"", {}},
      {"NOW", {true, false, false, false, false, false}},
      {"nowhere", {true, false, false, false, false, false}},
      {"allow", {false, true, false, false, false, false}},
      {"folder", {false, false, false, false, false, true}},
      {"OLD", {false, false, false, false, false, true}},
      {"dev_0003", {false, false, false, false, false, true}},
      {"DEV_0003 all", {false, true, false, false, false, false}},  // with "all" neither board keyword counts
      {"old all", {false, true, false, false, false, false}},
      {"qv10setp sndlink10 old", {false, false, true, true, false, true}},
      {"Now Silent", {true, false, false, false, true, false}},
      {"/SNDLINK10/QV10SETP", {false, false, true, true, false, false}},
      {"n o w", {}},
  };
  for (auto c : cases) {
    std::string line = c.line;
    Selection s = ParseCommandLine(line.data());
    EXPECT_EQ(s.now, c.expected.now) << c.line;
    EXPECT_EQ(s.all, c.expected.all) << c.line;
    EXPECT_EQ(s.sndlink10, c.expected.sndlink10) << c.line;
    EXPECT_EQ(s.qv10setp, c.expected.qv10setp) << c.line;
    EXPECT_EQ(s.silent, c.expected.silent) << c.line;
    EXPECT_EQ(s.oldBoard, c.expected.oldBoard) << c.line;
  }
  std::string mixed = "AbC\xC4Z";
  ParseCommandLine(mixed.data());
  EXPECT_EQ(mixed, "abc\xC4z");  // only A to Z change
}

// Records the operations the main flow calls on the engine.
class RecordingUninstaller : public Uninstaller {
 public:
  std::vector<std::string> ran;
  void RemoveSetupDevicesIfWin9x() override { ran.push_back("SetupDevices"); }
  void RemoveCombinedEditionIfWin9x() override { ran.push_back("CombinedEdition"); }
  void RemoveModemOldBoardIfWin9x() override { ran.push_back("ModemOldBoard"); }
  void RemoveModemNewBoardIfWin9x() override { ran.push_back("ModemNewBoard"); }
  void RemoveAll() override { ran.push_back("All"); }
};

TEST(UninstallerMainFlow, RemovalSequenceForEachSelection) {
  ombrin::test::TempMachine machine(WindowsVersion::Win98, {});
  struct Case {
    const char* line;
    std::vector<std::string> ran;
  } cases[] = {
      {"now silent", {"ModemNewBoard"}},
      {"now silent old", {"ModemOldBoard"}},
      {"now silent old all", {"ModemNewBoard", "All"}},
      {"now silent dev_0003 all", {"ModemNewBoard", "All"}},
      {"now silent qv10setp sndlink10 old", {"SetupDevices", "CombinedEdition", "ModemOldBoard"}},
      {"now silent all sndlink10 qv10setp", {"SetupDevices", "CombinedEdition", "ModemNewBoard", "All"}},
      {"silent all", {}},  // without "now" and without consent nothing runs
  };
  for (const auto& c : cases) {
    RecordingUninstaller engine;
    std::string line = c.line;
    EXPECT_EQ(RunMainFlow(engine, line.data()), 0);
    EXPECT_THAT(engine.ran, ElementsAreArray(c.ran)) << c.line;
  }
}

// The program itself, run against a machine whose uninstall key holds the two texts and whose
// new-board modem edition is installed in part: the board recipe deletes the uninstall key and
// the system.ini line, which shows whether the removal ran.
class UninstallerProgram : public ::testing::Test {
 protected:
  static constexpr const char* kWarning = "This removes the card's software.\nContinue?";
  static constexpr const char* kTitle = "Ombrin Uninstall";
  static constexpr const char* kIniLine = "device=telvcd.vxd\r\n";

  void Prepare(WindowsVersion version, bool values = true) {
    machine_.reset();  // first: a machine going away clears the process's machine
    machine_ = std::make_unique<ombrin::test::TempMachine>(version, std::vector<std::string>{});
    if (values) {
      SetValue(kUninstallKey, "WarningString", kWarning);
      SetValue(kUninstallKey, "WarningTitle", kTitle);
    } else {
      CreateKey(kUninstallKey);
    }
    std::string windows = ombrin::machine::versionInfo(version).windowsDirectory;
    machine_->writeFile(windows + "\\system.ini", std::string("[386Enh]\r\n") + kIniLine);
  }

  ombrin::test::RunResult Run(const std::string& arguments, const std::string& answers) {
    std::vector<std::string> argv = {(ombrin::test::buildDir() / "bin" / "unombrin").string()};
    if (!arguments.empty()) argv.push_back(arguments);
    return ombrin::test::run(argv, {"OMBRIN_MSGBOX_ANSWERS=" + answers});
  }

  bool Removed() {
    std::string windows = ombrin::machine::current().windowsDirectory();
    return !KeyExists(kUninstallKey) && machine_->readFile(windows + "\\system.ini") == "[386Enh]\r\n";
  }

  // Each box as "caption|text|style|answer", and each restart request as "restart|flags".
  std::vector<std::string> Shown() {
    std::vector<std::string> shown;
    for (const auto& e : ombrin::eventlog::readAll()) {
      if (e.kind == "msgbox" && e.fields.size() >= 4)
        shown.push_back(e.fields[0] + "|" + e.fields[1] + "|" + e.fields[2] + "|" + e.fields[3]);
      if (e.kind == "restart" && !e.fields.empty()) shown.push_back("restart|" + e.fields[0]);
    }
    return shown;
  }

  std::unique_ptr<ombrin::test::TempMachine> machine_;
};

const std::string kConfirmOk = "Ombrin Uninstall|This removes the card's software.\nContinue?|0x1|IDOK";
const std::string kConfirmCancel = "Ombrin Uninstall|This removes the card's software.\nContinue?|0x1|IDCANCEL";
const std::string kRestartOk = "Restart Windows?|It is required that you restart Windows\nDo you wish to do so now?|0x1|IDOK";
const std::string kRestartCancel =
    "Restart Windows?|It is required that you restart Windows\nDo you wish to do so now?|0x1|IDCANCEL";
const std::string kReminder = "Ombrin Uninstall|Please make sure to restart Windows.|0x0|IDOK";
const std::string kQueryError = "Uninstall|Error while querying uninstall string information|0x10|IDOK";
const std::string kDone = "UnOmbrin.EXE|Uninstalled correctly.\n\nPlease restart Windows.|0x0|IDOK";

// One row per line of the program's table of selections and outcomes.
TEST_F(UninstallerProgram, EverySelectionShowsAndRemovesWhatItShould) {
  struct Case {
    const char* what;
    WindowsVersion version;
    bool values;
    std::string arguments, answers;
    bool removed;
    std::vector<std::string> shown;
  } cases[] = {
      {"consent, then restart", WindowsVersion::Win98, true, "", "IDOK,IDOK", true,
       {kConfirmOk, kRestartOk, "restart|0x42", kReminder}},
      {"consent, no restart", WindowsVersion::Win98, true, "", "IDOK,IDCANCEL", true,
       {kConfirmOk, kRestartCancel, kReminder}},
      {"cancel", WindowsVersion::Win98, true, "", "IDCANCEL", false, {kConfirmCancel}},
      {"silent alone", WindowsVersion::Win98, true, "silent", "", false, {}},
      {"values unreadable", WindowsVersion::Win98, false, "", "", false, {kQueryError}},
      {"values unreadable, silent", WindowsVersion::Win98, false, "SILENT", "", false, {}},
      {"now", WindowsVersion::Win98, true, "now", "", true, {kDone}},
      {"now, values unreadable", WindowsVersion::Win95, false, "now", "", true, {kDone}},
      {"now silent", WindowsVersion::Win98, true, "now silent", "", true, {}},
      {"now on NT removes nothing", WindowsVersion::Nt4, true, "now", "", false, {kDone}},
      // NT has a security model: the thread's token gets the shutdown privilege, then the restart.
      {"consent on NT removes nothing", WindowsVersion::Win2000, true, "", "IDOK,IDOK", false,
       {kConfirmOk, kRestartOk, "restart|0x42", kReminder}},
  };
  for (const auto& c : cases) {
    Prepare(c.version, c.values);
    auto result = Run(c.arguments, c.answers);
    EXPECT_EQ(result.exitCode, 0) << c.what << "\n" << result.err;
    EXPECT_EQ(Removed(), c.removed) << c.what;
    EXPECT_THAT(Shown(), ElementsAreArray(c.shown)) << c.what;
  }
}

TEST_F(UninstallerProgram, AWarningTextLargerThanItsBufferIsUnreadable) {
  Prepare(WindowsVersion::Win98);
  SetValue(kUninstallKey, "WarningString", std::string(1040, 'w'));  // 1041 bytes with its end
  auto result = Run("", "IDOK,IDOK");
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_FALSE(Removed());
  EXPECT_THAT(Shown(), ElementsAre(kQueryError));

  SetValue(kUninstallKey, "WarningString", std::string(1039, 'w'));  // exactly fits
  result = Run("", "IDCANCEL");
  auto shown = Shown();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[1], "Ombrin Uninstall|" + std::string(1039, 'w') + "|0x1|IDCANCEL");
}

TEST_F(UninstallerProgram, AWarningTextOfAnotherTypeIsUsedAsText) {
  Prepare(WindowsVersion::Win98);
  SetValue(kUninstallKey, "WarningTitle", "Binary Title", REG_BINARY, false);
  Run("", "IDCANCEL");
  EXPECT_THAT(Shown(), ElementsAre("Binary Title|This removes the card's software.\nContinue?|0x1|IDCANCEL"));
}

}  // namespace
