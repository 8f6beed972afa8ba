#include <cstring>
#include <fstream>

#include <gtest/gtest.h>

#include <ombrin/machine.h>
#include <ombrin/paths.h>
#include <win32/windows.h>

#include "temp_machine.h"

namespace fs = std::filesystem;
using namespace ombrin;
using machine::WindowsVersion;

TEST(Profile, RoundTripsAndRejectsCorruptText) {
  machine::Profile p;
  p.windows = WindowsVersion::Nt4;
  p.editions = {"combined", "modem-new"};
  std::string error;
  auto back = machine::parseProfile(machine::formatProfile(p), error);
  ASSERT_TRUE(back) << error;
  EXPECT_EQ(back->windows, WindowsVersion::Nt4);
  EXPECT_EQ(back->editions, p.editions);

  struct Bad {
    const char* text;
    const char* message;
  } cases[] = {
      {"[machine]\nwindows=31\ncard=sound\n", "line 2: unknown Windows version '31'"},
      {"[machine]\nwindows=98\ncard=sound,guitar\n", "line 3: unknown card edition 'guitar'"},
      {"[other]\n", "line 1: unknown section [other]"},
      {"windows=98\n", "line 1: expected key=value inside [machine]"},
      {"[machine]\nwindows=98\n", "missing card="},
      {"[machine]\nwindows=98\ncard=sound\ncolour=blue\n", "line 4: unknown key 'colour'"},
  };
  for (const auto& c : cases) {
    error.clear();
    EXPECT_FALSE(machine::parseProfile(c.text, error)) << c.text;
    EXPECT_NE(error.find(c.message), std::string::npos) << error;
  }
}

TEST(Machine, NewMachineHasWhatAFreshWindowsHas) {
  struct Case {
    WindowsVersion version;
    const char* windowsDir;
    bool system32;
  } cases[] = {{WindowsVersion::Win95, "WINDOWS", false},
               {WindowsVersion::Win98, "WINDOWS", false},
               {WindowsVersion::Nt4, "WINNT", true},
               {WindowsVersion::Win2000, "WINNT", true}};
  for (const auto& c : cases) {
    test::TempMachine m(c.version);
    auto windows = m.root() / "drive_c" / c.windowsDir;
    EXPECT_TRUE(fs::is_directory(windows / "SYSTEM"));
    EXPECT_TRUE(fs::is_directory(windows / "INF" / "OTHER"));
    EXPECT_EQ(fs::is_directory(windows / "SYSTEM32"), c.system32);
    EXPECT_TRUE(fs::is_regular_file(windows / "system.ini"));
    char dir[MAX_PATH];
    UINT n = GetWindowsDirectoryA(dir, sizeof dir);
    EXPECT_EQ(std::string(dir), std::string("C:\\") + c.windowsDir);
    EXPECT_EQ(n, std::string(dir).size());
  }
}

TEST(Machine, OpenReportsMissingAndCorruptMachinesNamingThePath) {
  test::TempMachine m;
  std::string error;
  EXPECT_FALSE(machine::open(m.root() / "nowhere", error));
  EXPECT_NE(error.find((m.root() / "nowhere").string()), std::string::npos);
  std::ofstream(m.root() / "machine.ini") << "[machine]\nwindows=banana\n";
  EXPECT_FALSE(machine::open(m.root(), error));
  EXPECT_NE(error.find("machine.ini is corrupt: line 2"), std::string::npos) << error;
}

TEST(Version, GetVersionExReportsTheProfile) {
  struct Case {
    WindowsVersion version;
    DWORD platform, major, minor;
  } cases[] = {
      {WindowsVersion::Win95, 1, 4, 0},   {WindowsVersion::Win98, 1, 4, 10}, {WindowsVersion::WinMe, 1, 4, 90},
      {WindowsVersion::Nt4, 2, 4, 0},     {WindowsVersion::Win2000, 2, 5, 0}, {WindowsVersion::WinXp, 2, 5, 1},
      {WindowsVersion::Nt351, 2, 3, 51},
  };
  for (const auto& c : cases) {
    test::TempMachine m(c.version);
    OSVERSIONINFOA info;
    std::memset(&info, 0xCC, sizeof info);
    info.dwOSVersionInfoSize = sizeof info;
    ASSERT_TRUE(GetVersionExA(&info));
    EXPECT_EQ(info.dwPlatformId, c.platform);
    EXPECT_EQ(info.dwMajorVersion, c.major);
    EXPECT_EQ(info.dwMinorVersion, c.minor);
    EXPECT_EQ(info.dwOSVersionInfoSize, 148u);
  }
  test::TempMachine m;
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = 100;
  SetLastError(0);
  EXPECT_FALSE(GetVersionExA(&info));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
}
