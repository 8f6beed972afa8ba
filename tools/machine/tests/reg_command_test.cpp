#include <fstream>

#include <gtest/gtest.h>

#include "temp_machine.h"
#include "tool_helpers.h"

using namespace ombrin::test;

namespace {

// A file in the form export writes, with every value type.
const std::string kEveryType =
    "REGEDIT4\r\n"
    "\r\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Dravel]\r\n"
    "@=\"default\"\r\n"
    "\"Text\"=\"Ombrin \\\"Audio\\\" C:\\\\WINDOWS\"\r\n"
    "\"Expand\"=hex(2):25,77,69,6e,64,69,72,25,00\r\n"
    "\"Binary\"=hex:00,01,fe,ff\r\n"
    "\"Dword\"=dword:0000002a\r\n"
    "\"Multi\"=hex(7):61,00,62,00,00\r\n"
    "\"None\"=hex(0):01\r\n"
    "\"Qword\"=hex(b):01,02,03,04,05,06,07,08\r\n"
    "\"Unknown\"=hex(1234):7f\r\n"
    "\"Long\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,\\\r\n"
    "  16,17,18,19,1a,1b,1c,1d,1e,1f\r\n"
    "\r\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Dravel\\Sub]\r\n"
    "\r\n";

TEST(RegCommand, ImportThenExportPrintsTheFileBack) {
  TempMachine m(ombrin::machine::WindowsVersion::Win98, {});
  auto file = m.root() / "every.reg";
  std::ofstream(file, std::ios::binary) << kEveryType;
  auto imported = machineTool({"reg", "import", file.string()});
  ASSERT_EQ(imported.exitCode, 0) << imported.err;
  auto exported = machineTool({"reg", "export", "HKLM\\Software\\Dravel"});
  EXPECT_EQ(exported.exitCode, 0) << exported.err;
  EXPECT_EQ(exported.out, kEveryType);
  // The whole registry holds it too, beside the base keys of a fresh machine.
  auto all = machineTool({"reg", "export"});
  EXPECT_TRUE(contains(all.out, kEveryType.substr(10, kEveryType.size() - 12))) << all.out;
  EXPECT_TRUE(contains(all.out, "[HKEY_LOCAL_MACHINE\\Enum\\PCI]\r\n"));
}

TEST(RegCommand, ImportReadsStandardInput) {
  TempMachine m(ombrin::machine::WindowsVersion::Win98, {});
  auto r = run({(buildDir() / "bin" / "ombrin-machine").string(), "reg", "import", "-"}, {},
               "REGEDIT4\r\n[HKCU\\Software\\FromStdin]\r\n\"x\"=dword:1\r\n");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  auto exported = machineTool({"reg", "export", "HKEY_CURRENT_USER\\Software\\FromStdin"});
  EXPECT_EQ(exported.out, "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\FromStdin]\r\n\"x\"=dword:00000001\r\n\r\n");
}

TEST(RegCommand, FailuresSayWhyAndChangeNothing) {
  TempMachine m(ombrin::machine::WindowsVersion::Win98, {});
  auto file = m.root() / "bad.reg";
  std::ofstream(file, std::ios::binary) << "REGEDIT4\r\n[HKLM\\Software\\Half]\r\n\"x\"=dword:zz\r\n";
  struct Case {
    std::vector<std::string> args;
    int exitCode;
    std::string err;
  } cases[] = {
      {{"reg", "import", file.string()}, 1, "line 3: expected 1 to 8 hexadecimal digits after dword:"},
      {{"reg", "import", (m.root() / "missing.reg").string()}, 1, "cannot read"},
      {{"reg", "export", "HKLM\\Software\\Half"}, 1, "no such key: HKLM\\Software\\Half"},
      {{"reg", "export", "HKEY_NOWHERE"}, 1, "unknown root key 'HKEY_NOWHERE'"},
      {{"reg"}, 2, "usage"},
      {{"reg", "import"}, 2, "usage"},
      {{"reg", "export", "a", "b"}, 2, "usage"},
      {{"reg", "rename"}, 2, "usage"},
  };
  for (const auto& c : cases) {
    auto r = machineTool(c.args);
    EXPECT_EQ(r.exitCode, c.exitCode) << c.args.back();
    EXPECT_TRUE(contains(r.err, c.err)) << r.err;
  }
}

}  // namespace
