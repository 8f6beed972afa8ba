// The card in a machine: its devices per Windows version, its shared state, the machine tool's
// card command, and what the sound edition's setup leaves in the registry.
#include <filesystem>
#include <sstream>

#include <gtest/gtest.h>

#include <ombrin/devices.h>
#include <temp_machine.h>

#include "card_device.h"
#include "card_state.h"

using namespace ombrin::card;
using ombrin::machine::WindowsVersion;
using ombrin::test::TempMachine;

namespace {

HANDLE openDevice(const char* name) {
  return CreateFileA(name, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
}

struct DevicesCase {
  const char* name;
  WindowsVersion version;
  std::vector<const char*> present;
  std::vector<const char*> absent;
};
void PrintTo(const DevicesCase& c, std::ostream* os) { *os << c.name; }

class CardDevices : public ::testing::TestWithParam<DevicesCase> {};

TEST_P(CardDevices, AreThoseARealInstallationCreates) {
  TempMachine machine(GetParam().version);
  for (const char* name : GetParam().present) {
    HANDLE h = openDevice(name);
    EXPECT_NE(h, INVALID_HANDLE_VALUE) << name;
    CloseHandle(h);
  }
  for (const char* name : GetParam().absent) {
    EXPECT_EQ(openDevice(name), INVALID_HANDLE_VALUE) << name;
    EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND)) << name;
  }
}

INSTANTIATE_TEST_SUITE_P(
    EveryVersion, CardDevices,
    ::testing::Values(
        DevicesCase{"Win95", WindowsVersion::Win95, {"\\\\.\\qv10core.vxd", "\\\\.\\qv10mix.vxd", "\\\\.\\qv10wave.vxd"},
                    {"\\\\.\\Qv55Mixer0", "\\\\.\\Dravel_10"}},
        DevicesCase{"Win98", WindowsVersion::Win98, {"\\\\.\\QV10CORE.VXD", "\\\\.\\qv10mix.vxd", "\\\\.\\qv10wave.vxd"},
                    {"\\\\.\\Dravel_10"}},
        DevicesCase{"WinMe", WindowsVersion::WinMe, {"\\\\.\\qv10core.vxd"}, {"\\\\.\\Qv55Mixer0"}},
        DevicesCase{"Nt4", WindowsVersion::Nt4, {"\\\\.\\Qv55Mixer0"}, {"\\\\.\\qv10core.vxd", "\\\\.\\Dravel_10"}},
        DevicesCase{"Win2000", WindowsVersion::Win2000, {"\\\\.\\Dravel_10"}, {"\\\\.\\qv10core.vxd", "\\\\.\\Qv55Mixer0"}},
        DevicesCase{"Nt351", WindowsVersion::Nt351, {}, {"\\\\.\\qv10core.vxd", "\\\\.\\Qv55Mixer0", "\\\\.\\Dravel_10"}}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

TEST(CardMachine, AMachineWithoutTheCardHasNoDevices) {
  TempMachine machine(WindowsVersion::Win98, {});
  EXPECT_EQ(openDevice("\\\\.\\qv10core.vxd"), INVALID_HANDLE_VALUE);
}

TEST(CardState, IsSharedThroughTheRunDirectoryAndARestartForgetsIt) {
  TempMachine machine;
  std::string error;
  auto first = currentCardState(error);
  auto second = currentCardState(error);
  ASSERT_TRUE(first && second) << error;
  {
    CardStateFile::Lock lock(*first);
    lock.state().bypass = 1;
    setGainOf(lock.state().sets[0], 4, 1234);
  }
  {
    CardStateFile::Lock lock(*second);
    EXPECT_EQ(lock.state().bypass, 1u);
    EXPECT_EQ(gainOf(lock.state().sets[0], 4), 1234);
  }
  // A restart empties run/; the card comes up as at power-on.
  std::filesystem::remove_all(machine.root() / "run");
  auto fresh = currentCardState(error);
  ASSERT_TRUE(fresh) << error;
  CardStateFile::Lock lock(*fresh);
  EXPECT_EQ(lock.state().bypass, 0u);
  EXPECT_EQ(gainOf(lock.state().sets[0], 4), kFlatGain);
}

TEST(CardState, AHolderThatDiedDoesNotLockTheCardForever) {
  TempMachine machine;
  std::string error;
  auto file = currentCardState(error);
  ASSERT_TRUE(file) << error;
  pid_t child = fork();
  if (child == 0) {
    new CardStateFile::Lock(*file);  // held on purpose until the process dies
    _exit(0);
  }
  int status = 0;
  waitpid(child, &status, 0);
  CardStateFile::Lock lock(*file);
  EXPECT_EQ(lock.state().activeSet, 0u);
}

// The machine tool's card command.
ombrin::test::RunResult card(std::vector<std::string> args) {
  args.insert(args.begin(), {(ombrin::test::buildDir() / "bin" / "ombrin-machine").string(), "card"});
  return ombrin::test::run(args);
}

TEST(CardTool, ShowsTheStateWithGainsAndTheirBandSteps) {
  TempMachine machine;
  std::string error;
  auto file = currentCardState(error);
  {
    CardStateFile::Lock lock(*file);
    setGainOf(lock.state().sets[0], 0, 32767);
    setGainOf(lock.state().sets[0], 19, 4005);
    lock.state().bypass = 1;
  }
  auto shown = card({});
  ASSERT_EQ(shown.exitCode, 0) << shown.err;
  EXPECT_NE(shown.out.find("card: present"), std::string::npos) << shown.out;
  EXPECT_NE(shown.out.find("\\\\.\\qv10core.vxd \\\\.\\qv10mix.vxd \\\\.\\qv10wave.vxd"), std::string::npos) << shown.out;
  EXPECT_NE(shown.out.find("active coefficient set: 0"), std::string::npos);
  EXPECT_NE(shown.out.find("bypass: on"), std::string::npos);
  EXPECT_NE(shown.out.find("left  gain   32767  16022"), std::string::npos) << shown.out;
  EXPECT_NE(shown.out.find("      step      20      0"), std::string::npos) << shown.out;
  EXPECT_NE(shown.out.find("16022   4005\n      step       0"), std::string::npos) << shown.out;
  EXPECT_NE(shown.out.find("    -20\nspeaker status flags: 0x01, configuration changes: 0"), std::string::npos) << shown.out;
}

struct ToolCase {
  const char* name;
  std::vector<std::string> args;
  std::string shows;
};
void PrintTo(const ToolCase& c, std::ostream* os) { *os << c.name; }

class CardToolFaults : public ::testing::TestWithParam<ToolCase> {};

TEST_P(CardToolFaults, AreScriptedAndShown) {
  TempMachine machine;
  auto scripted = card(GetParam().args);
  ASSERT_EQ(scripted.exitCode, 0) << scripted.err;
  auto shown = card({});
  EXPECT_NE(shown.out.find(GetParam().shows), std::string::npos) << shown.out;
  // And cleared.
  ASSERT_EQ(card({"clear"}).exitCode, 0);
  EXPECT_NE(card({}).out.find("faults: none"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    EveryFault, CardToolFaults,
    ::testing::Values(ToolCase{"Once", {"fail", "eq_set_band_gain"}, "IOCTL_EQ_SET_BAND_GAIN fails 1 more time\n"},
                      ToolCase{"Count", {"fail", "IOCTL_GET_PROPERTY", "3"}, "IOCTL_GET_PROPERTY fails 3 more times"},
                      ToolCase{"Always", {"fail", "EQ_GET_BAND_LEVELS", "always"}, "IOCTL_EQ_GET_BAND_LEVELS fails always"},
                      ToolCase{"LevelCount", {"levels", "21"}, "band levels reply with 21 gains"},
                      ToolCase{"NoCompensation", {"compensation", "off"}, "speaker compensation: missing"},
                      ToolCase{"NoCard", {"remove"}, "card: removed (no devices)"}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

TEST(CardTool, RefusesWhatItDoesNotKnow) {
  TempMachine machine;
  EXPECT_EQ(card({"fail", "IOCTL_NOTHING"}).exitCode, 1);
  EXPECT_EQ(card({"fail", "EQ_SET_BAND_GAIN", "sometimes"}).exitCode, 1);
  EXPECT_EQ(card({"levels", "-3"}).exitCode, 1);
  EXPECT_EQ(card({"juggle"}).exitCode, 2);
}

TEST(CardTool, ARemovedCardHasNoDevicesUntilPutBack) {
  TempMachine machine;
  ASSERT_EQ(card({"remove"}).exitCode, 0);
  EXPECT_EQ(openDevice("\\\\.\\qv10core.vxd"), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
  ASSERT_EQ(card({"insert"}).exitCode, 0);
  HANDLE h = openDevice("\\\\.\\qv10core.vxd");
  EXPECT_NE(h, INVALID_HANDLE_VALUE);
  CloseHandle(h);
}

TEST(CardTool, ResetBringsBackThePowerOnState) {
  TempMachine machine;
  std::string error;
  auto file = currentCardState(error);
  {
    CardStateFile::Lock lock(*file);
    lock.state().activeSet = 4;
  }
  ASSERT_EQ(card({"fail", "EQ_SET_BAND_GAIN"}).exitCode, 0);
  ASSERT_EQ(card({"reset"}).exitCode, 0);
  auto shown = card({});
  EXPECT_NE(shown.out.find("active coefficient set: 0\n"), std::string::npos);
  EXPECT_NE(shown.out.find("faults: none"), std::string::npos);
}

// What the sound edition's setup leaves in the registry.
std::string readText(const char* key, const char* name) {
  HKEY k{};
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, &k) != ERROR_SUCCESS) return "<no key>";
  char buffer[1040] = {};
  DWORD size = sizeof buffer;
  LONG status = RegQueryValueExA(k, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size);
  RegCloseKey(k);
  return status == ERROR_SUCCESS ? std::string(buffer, size) : "<no value>";
}

constexpr const char* kSoftwareKey = "Software\\Dravel\\Ombrin\\QV5510\\Equalizer";
constexpr const char* kServicesKey = "system\\controlset001\\services\\qv5510\\Equalizer";
constexpr const char* kUninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\TM77QVR";

struct InstallCase {
  const char* name;
  WindowsVersion version;
  const char* programKey;
  const char* tableKey;
};
void PrintTo(const InstallCase& c, std::ostream* os) { *os << c.name; }

class SoundInstall : public ::testing::TestWithParam<InstallCase> {};

TEST_P(SoundInstall, LeavesTheEqualizersValuesWhereTheirReadersLook) {
  TempMachine machine(GetParam().version);
  EXPECT_EQ(readText(GetParam().programKey, "BandLabels"), std::string("31 62 125 250 500 1K 2K 4K 8K 16K \0", 35));
  for (const char* curve : {"Rock", "Classical", "Pop", "Jazz", "Dance"}) {
    const std::string bytes = readText(GetParam().programKey, curve);
    ASSERT_EQ(bytes.size(), 40u) << curve;
    for (int i = 0; i < 20; ++i) {
      const auto step = static_cast<SHORT>(static_cast<BYTE>(bytes[2 * i]) | static_cast<BYTE>(bytes[2 * i + 1]) << 8);
      EXPECT_LE(step, 20) << curve;
      EXPECT_GE(step, -20) << curve;
    }
  }
  EXPECT_EQ(readText(GetParam().tableKey, "BandRange"), std::string("\x14\0\0\0", 4));
  EXPECT_EQ(readText(GetParam().tableKey, "MidEqGain").size(), 40u);
  EXPECT_NE(readText(kUninstallKey, "WarningString").find("remove"), std::string::npos);
  EXPECT_NE(readText(kUninstallKey, "WarningTitle"), "<no value>");
}

INSTANTIATE_TEST_SUITE_P(EveryVersion, SoundInstall,
                         ::testing::Values(InstallCase{"Win98", WindowsVersion::Win98, kSoftwareKey, kSoftwareKey},
                                           InstallCase{"Nt4", WindowsVersion::Nt4, kServicesKey, kServicesKey},
                                           InstallCase{"Win2000", WindowsVersion::Win2000, kSoftwareKey, kServicesKey}),
                         [](const auto& testCase) { return std::string(testCase.param.name); });

TEST(SoundInstall, AMachineWithoutTheEditionHasNoneOfIt) {
  TempMachine machine(WindowsVersion::Win98, {});
  EXPECT_EQ(readText(kSoftwareKey, "BandLabels"), "<no key>");
  EXPECT_EQ(readText(kUninstallKey, "WarningTitle"), "<no key>");
}

}  // namespace
