// ombrin-devinst end to end: the co-installers registered for the card hear every step, in
// order, with post-processing for those that ask.
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include <ombrin/eventlog.h>
#include <temp_machine.h>
#include <win32/winreg.h>

namespace fs = std::filesystem;
using ombrin::test::buildDir;
using ombrin::test::run;

namespace {

class DevinstTest : public ombrin::test::MachineTest {
 protected:
  std::string tool(const char* name) const { return (buildDir() / "bin" / name).string(); }

  // The card as `ombrin-machine install` leaves it, plus the recording co-installer as a
  // co-installer of the media class.
  void setUpCard() {
    auto installed = run({tool("ombrin-machine"), "install"});
    ASSERT_EQ(installed.exitCode, 0) << installed.err;
    fs::copy_file(buildDir() / "tests" / "modules" / "proto.dll", machine_.host("C:\\WINDOWS\\SYSTEM\\proto.dll"));
    HKEY key{};
    ASSERT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\CoDeviceInstallers", &key),
              ERROR_SUCCESS);
    const char entries[] = "proto.dll,ProtoCoInstall\0";
    RegSetValueExA(key, "{4D36E96C-E325-11CE-BFC1-08002BE10318}", 0, REG_MULTI_SZ,
                   reinterpret_cast<const BYTE*>(entries), sizeof entries);
    RegCloseKey(key);
  }

  std::vector<std::string> events(const char* kind) {
    std::vector<std::string> seen;
    for (const auto& e : ombrin::eventlog::readAll()) {
      if (e.kind != kind) continue;
      std::string line;
      for (const auto& f : e.fields) line += (line.empty() ? "" : " ") + f;
      seen.push_back(line);
    }
    return seen;
  }
};

TEST_F(DevinstTest, InstallCallsEveryCoInstallerWithEachStep) {
  setUpCard();
  auto result = run({tool("ombrin-devinst"), "install"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(events("coinstaller"),
            (std::vector<std::string>{"0x17 pre 0 data", "0x18 pre 0 data", "0x15 pre 0 data", "0x22 pre 0 data",
                                      "0x20 pre 0 data", "0x02 pre 0 data", "0x02 post 0 data", "0x1E pre 0 data",
                                      "0x0C pre 0 data"}));
  // The card's own co-installer answered every step with NO_ERROR, after the class's.
  EXPECT_NE(result.out.find("DIF_INSTALLDEVICE\tproto.dll,ProtoCoInstall\t0xE0000225\n"
                            "DIF_INSTALLDEVICE\tQv10CoInstaller.dll,QvCoDeviceInstall\t0x00000000\n"
                            "DIF_INSTALLDEVICE\tdefault\t0x00000000\n"
                            "DIF_INSTALLDEVICE\tproto.dll,ProtoCoInstall (post)\t0x00000000\n"),
            std::string::npos)
      << result.out;
}

TEST_F(DevinstTest, RemoveRunsTheRemovalSteps) {
  setUpCard();
  auto result = run({tool("ombrin-devinst"), "remove"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(events("coinstaller"), (std::vector<std::string>{"0x05 pre 0 data", "0x0C pre 0 data"}));
}

TEST_F(DevinstTest, ACoInstallerThatCannotBeLoadedFailsTheInstallation) {
  setUpCard();
  fs::remove(machine_.host("C:\\WINDOWS\\SYSTEM\\proto.dll"));
  auto result = run({tool("ombrin-devinst"), "install"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.out.find("load\tproto.dll,ProtoCoInstall\t0xE0000227"), std::string::npos) << result.out;
  EXPECT_EQ(result.out.find("DIF_"), std::string::npos) << "no step is taken";
}

TEST_F(DevinstTest, WithoutTheCard) {
  auto result = run({tool("ombrin-devinst"), "install"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.err.find("ombrin-machine install"), std::string::npos);
  EXPECT_EQ(run({tool("ombrin-devinst"), "frobnicate"}).exitCode, 2);
}

}  // namespace
