// ShellExecuteA/W: where programs are found, what is reported when they are not, how they are
// started, and the `shell` event of each call.
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include <ombrin/eventlog.h>
#include <ombrin/shell.h>
#include <temp_machine.h>
#include <win32/shellapi.h>
#include <win32/winreg.h>

namespace fs = std::filesystem;
using ombrin::eventlog::Event;

namespace {

constexpr DWORD kUntouched = 0xDEADBEEF;

class ShellExecuteTest : public ombrin::test::MachineTest {
 protected:
  void placeProbe(const std::string& winPath) {
    fs::create_directories(machine_.host(winPath.substr(0, winPath.rfind('\\'))));
    auto host = machine_.host(winPath);
    fs::copy_file(ombrin::test::buildDir() / "tests" / "shell_probe", host, fs::copy_options::overwrite_existing);
  }
  std::vector<Event> events(const std::string& kind) {
    ombrin::shell::waitForStartedPrograms();
    std::vector<Event> found;
    for (auto& e : ombrin::eventlog::readAll())
      if (e.kind == kind) found.push_back(e);
    return found;
  }
};

struct SearchCase {
  const char* what;
  const char* placedAt;  // null: nowhere
  const char* file;
  std::uint32_t result;  // 0: any value above 32
  DWORD error;
};

const SearchCase kSearchCases[] = {
    {"system directory", "C:\\WINDOWS\\SYSTEM\\probe.exe", "probe.exe", 0, kUntouched},
    {"windows directory", "C:\\WINDOWS\\probe.exe", "probe.exe", 0, kUntouched},
    {"machine path", "C:\\WINDOWS\\COMMAND\\probe.exe", "probe.exe", 0, kUntouched},
    {"without case", "C:\\WINDOWS\\SYSTEM\\PROBE.EXE", "Probe.Exe", 0, kUntouched},
    {"extension left out", "C:\\WINDOWS\\SYSTEM\\probe.exe", "probe", 0, kUntouched},
    {"full path", "C:\\Tools\\probe.exe", "C:\\Tools\\probe.exe", 0, kUntouched},
    {"not in any searched directory", "C:\\Tools\\probe.exe", "probe.exe", SE_ERR_FNF, ERROR_FILE_NOT_FOUND},
    {"nowhere", nullptr, "probe.exe", SE_ERR_FNF, ERROR_FILE_NOT_FOUND},
    {"missing file in a directory", nullptr, "C:\\WINDOWS\\probe.exe", SE_ERR_FNF, ERROR_FILE_NOT_FOUND},
    {"missing directory", nullptr, "C:\\Nowhere\\probe.exe", SE_ERR_PNF, ERROR_PATH_NOT_FOUND},
    {"a path out of the machine", nullptr, "C:\\..\\..\\probe.exe", SE_ERR_PNF, ERROR_PATH_NOT_FOUND},
    {"no file", nullptr, "", SE_ERR_FNF, ERROR_FILE_NOT_FOUND},
};

TEST_F(ShellExecuteTest, FindsProgramsWhereWindowsLooks) {
  fs::create_directories(machine_.host("C:\\Tools"));
  for (const auto& c : kSearchCases) {
    SCOPED_TRACE(c.what);
    std::error_code ec;
    for (const char* dir : {"C:\\WINDOWS\\SYSTEM\\probe.exe", "C:\\WINDOWS\\probe.exe",
                            "C:\\WINDOWS\\COMMAND\\probe.exe", "C:\\Tools\\probe.exe"})
      fs::remove(machine_.host(dir), ec);
    if (c.placedAt) placeProbe(c.placedAt);
    SetLastError(kUntouched);
    auto result = ShellExecuteA(HWND{}, "open", c.file, nullptr, nullptr, SW_SHOWNORMAL).value;
    if (c.result == 0)
      EXPECT_GT(result, 32u);
    else
      EXPECT_EQ(result, c.result);
    EXPECT_EQ(GetLastError(), c.error);
    ombrin::shell::waitForStartedPrograms();
  }
}

TEST_F(ShellExecuteTest, PathOfAnNtMachineComesFromTheRegistry) {
  HKEY key{};
  ASSERT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager\\Environment", &key),
            ERROR_SUCCESS);
  const char path[] = "%SystemRoot%\\Tools;C:\\Bin";
  RegSetValueExA(key, "Path", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(path), sizeof path);
  RegCloseKey(key);
  EXPECT_EQ(ombrin::shell::machinePath(), (std::vector<std::string>{"C:\\WINDOWS\\Tools", "C:\\Bin"}));
  placeProbe("C:\\Bin\\probe.exe");
  EXPECT_GT(ShellExecuteA(HWND{}, nullptr, "probe.exe", nullptr, nullptr, SW_SHOWNORMAL).value, 32u);
  EXPECT_EQ(events("probe").size(), 1u);
}

TEST_F(ShellExecuteTest, StartsTheProgramInTheMachineWithItsArguments) {
  placeProbe("C:\\WINDOWS\\SYSTEM\\probe.exe");
  fs::create_directories(machine_.host("C:\\Work"));
  auto result = ShellExecuteA(HWND{}, "open", "probe.exe", "14 \"two words\"", "C:\\Work", SW_SHOWDEFAULT);
  EXPECT_GT(result.value, 32u);
  auto probes = events("probe");
  ASSERT_EQ(probes.size(), 1u);
  EXPECT_EQ(probes[0].fields,
            (std::vector<std::string>{machine_.host("C:\\Work").string(), machine_.root().string(), "14", "two words"}));
  auto shells = events("shell");
  ASSERT_EQ(shells.size(), 1u);
  EXPECT_EQ(shells[0].fields,
            (std::vector<std::string>{"open", "probe.exe", "14 \"two words\"", "10", std::to_string(result.value)}));
}

TEST_F(ShellExecuteTest, WideCallIsTheSame) {
  placeProbe("C:\\WINDOWS\\SYSTEM\\qv10setp.exe");
  auto result = ShellExecuteW(HWND{}, u"open", u"qv10setp.exe", u"14", nullptr, SW_SHOWNORMAL);
  EXPECT_GT(result.value, 32u);
  auto probes = events("probe");
  ASSERT_EQ(probes.size(), 1u);
  EXPECT_EQ(probes[0].fields.back(), "14");
  auto shells = events("shell");
  ASSERT_EQ(shells.size(), 1u);
  EXPECT_EQ(shells[0].fields, (std::vector<std::string>{"open", "qv10setp.exe", "14", "1", std::to_string(result.value)}));
}

TEST_F(ShellExecuteTest, WhatCannotBeStarted) {
  placeProbe("C:\\WINDOWS\\SYSTEM\\probe.exe");
  machine_.writeFile("C:\\WINDOWS\\SYSTEM\\notes.txt", "text");
  machine_.writeFile("C:\\WINDOWS\\SYSTEM\\broken.exe", "MZ but no program of this machine");
  struct Case {
    const char* verb;
    const char* file;
    const char* directory;
    std::uint32_t result;
  };
  const Case cases[] = {
      {"open", "notes.txt", nullptr, SE_ERR_NOASSOC},
      {"print", "probe.exe", nullptr, SE_ERR_NOASSOC},
      {"open", "broken.exe", nullptr, ERROR_BAD_FORMAT},
      {"open", "probe.exe", "C:\\Nowhere", SE_ERR_PNF},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    EXPECT_EQ(ShellExecuteA(HWND{}, c.verb, c.file, nullptr, c.directory, SW_SHOWNORMAL).value, c.result);
  }
  EXPECT_TRUE(events("probe").empty());
  EXPECT_EQ(events("shell").size(), std::size(cases));
}

struct SplitCase {
  const char* line;
  std::vector<std::string> args;
};

const SplitCase kSplitCases[] = {
    {"", {}},
    {"14", {"14"}},
    {"  a\tb  ", {"a", "b"}},
    {"\"two words\" x", {"two words", "x"}},
    {"a\\\\b", {"a\\\\b"}},
    {"\\\"q\\\"", {"\"q\""}},
    {"\"a\\\\\" b", {"a\\", "b"}},
    {"\"say \"\"hi\"\"\"", {"say \"hi\""}},
};

TEST(SplitCommandLine, WindowsRules) {
  for (const auto& c : kSplitCases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(ombrin::shell::splitCommandLine(c.line), c.args);
  }
}

}  // namespace
