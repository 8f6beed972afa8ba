// The co-installer as the device installer loads and calls it, and IntToWide on its own.
#include <cstring>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include <ombrin/eventlog.h>
#include <ombrin/shell.h>
#include <temp_machine.h>
#include <win32/setupapi.h>
#include <win32/windows.h>

#include "../coinstaller.h"

namespace fs = std::filesystem;

namespace {

struct IntToWideCase {
  int value;
  int radix;
  std::u16string text;
};

const IntToWideCase kIntToWide[] = {
    {14, 10, u"14"},        {0, 10, u"0"},          {-14, 10, u"-14"},
    {255, 16, u"ff"},       {-1, 16, u"ffffffff"},  {5, 2, u"101"},
    {2147483647, 36, u"zik0zj"},
    {-1, 2, u""},  // 32 digits do not fit 20 units: no cut-off number
    {14, 1, u""},  {14, 37, u""},
};

TEST(IntToWide, ConvertsIntoTwentyUnits) {
  for (const auto& c : kIntToWide) {
    SCOPED_TRACE(std::to_string(c.value) + " radix " + std::to_string(c.radix));
    WCHAR buffer[kIntToWideUnits + 2];
    std::fill(std::begin(buffer), std::end(buffer), u'#');
    EXPECT_EQ(IntToWide(c.value, buffer, c.radix), buffer);
    EXPECT_EQ(std::u16string(buffer), c.text);
    EXPECT_EQ(buffer[kIntToWideUnits], u'#') << "written past the buffer";
  }
}

class CoInstallerTest : public ombrin::test::MachineTest {
 protected:
  void place(const char* name) {
    fs::copy_file(ombrin::test::buildDir() / "lib" / name, machine_.host(std::string("C:\\WINDOWS\\SYSTEM\\") + name),
                  fs::copy_options::overwrite_existing);
  }
  std::vector<ombrin::eventlog::Event> events(const std::string& kind) {
    ombrin::shell::waitForStartedPrograms();
    std::vector<ombrin::eventlog::Event> found;
    for (auto& e : ombrin::eventlog::readAll())
      if (e.kind == kind) found.push_back(e);
    return found;
  }
};

TEST_F(CoInstallerTest, LoadingStartsTheSetupProgramOncePerProcess) {
  place("Qv10CoInstaller.dll");
  place("qv10setp.exe");
  HMODULE first = LoadLibraryA("Qv10CoInstaller.dll");
  ASSERT_TRUE(first);
  HMODULE second = LoadLibraryA("Qv10CoInstaller.dll");
  EXPECT_EQ(first, second);
  auto programs = events("program");
  ASSERT_EQ(programs.size(), 1u);
  EXPECT_EQ(programs[0].fields, (std::vector<std::string>{"qv10setp.exe", "14"}));
  auto shells = events("shell");
  ASSERT_EQ(shells.size(), 1u);
  EXPECT_EQ(shells[0].fields[0], "open");
  EXPECT_EQ(shells[0].fields[1], "qv10setp.exe");
  EXPECT_EQ(shells[0].fields[2], "14");
  EXPECT_EQ(shells[0].fields[3], "1");
  EXPECT_GT(std::stoul(shells[0].fields[4]), 32u);
  // Unloading does nothing of its own.
  FreeLibrary(second);
  FreeLibrary(first);
  EXPECT_EQ(events("shell").size(), 1u);
}

TEST_F(CoInstallerTest, LoadsWithoutTheSetupProgram) {
  place("Qv10CoInstaller.dll");
  HMODULE module = LoadLibraryA("Qv10CoInstaller.dll");
  ASSERT_TRUE(module);
  auto shells = events("shell");
  ASSERT_EQ(shells.size(), 1u);
  EXPECT_EQ(shells[0].fields.back(), std::to_string(SE_ERR_FNF));
  EXPECT_TRUE(events("program").empty());
  FreeLibrary(module);
}

struct DifCase {
  DI_FUNCTION code;
  bool postProcessing;
  bool withData;
};

const DifCase kDifCases[] = {
    {DIF_INSTALLDEVICE, false, true},  {DIF_INSTALLDEVICE, true, true},   {DIF_REMOVE, false, true},
    {DIF_REMOVE, true, false},         {DIF_SELECTBESTCOMPATDRV, false, true}, {DIF_REGISTER_COINSTALLERS, false, true},
    {DIF_DESTROYPRIVATEDATA, false, false}, {0, false, false},          {0xFFFF, true, true},
};

TEST_F(CoInstallerTest, EveryStepGoesOnWithTheDefault) {
  place("Qv10CoInstaller.dll");
  place("qv10setp.exe");
  HMODULE module = LoadLibraryA("Qv10CoInstaller.dll");
  ASSERT_TRUE(module);
  auto entry = reinterpret_cast<COINSTALLER_PROC>(
      reinterpret_cast<void (*)()>(GetProcAddress(module, "QvCoDeviceInstall")));
  ASSERT_NE(entry, nullptr);
  for (const auto& c : kDifCases) {
    SCOPED_TRACE(c.code);
    SP_DEVINFO_DATA data;
    std::memset(static_cast<void*>(&data), 0x5A, sizeof data);
    SP_DEVINFO_DATA dataCopy = data;
    COINSTALLER_CONTEXT_DATA context{c.postProcessing ? TRUE : FALSE, ERROR_INVALID_PARAMETER,
                                     reinterpret_cast<PVOID>(0x1234)};
    COINSTALLER_CONTEXT_DATA contextCopy = context;
    SetLastError(0xDEADBEEF);
    EXPECT_EQ(entry(c.code, HDEVINFO{0x77u}, c.withData ? &data : nullptr, &context), static_cast<DWORD>(NO_ERROR));
    EXPECT_EQ(std::memcmp(&data, &dataCopy, sizeof data), 0);
    EXPECT_EQ(std::memcmp(&context, &contextCopy, sizeof context), 0);
    EXPECT_EQ(GetLastError(), 0xDEADBEEFu);
  }
  // Nor does a call start anything.
  EXPECT_EQ(events("shell").size(), 1u);
  FreeLibrary(module);
}

}  // namespace
