// The registry editor's text format: export, import, round trips and malformed files.
#include <string>

#include <ombrin/registry.h>

#include "registry_fixture.h"

using namespace regtest;

namespace {

std::string exportOf(const std::string& key) {
  std::string text, error;
  EXPECT_TRUE(ombrin::registry::exportText(key, text, error)) << error;
  return text;
}

void import(const std::string& text) {
  std::string error;
  ASSERT_TRUE(ombrin::registry::importText(text, error)) << error;
}

std::string queryBytes(HKEY root, const char* path, const char* name, DWORD* type = nullptr) {
  HKEY key{};
  if (open(root, path, key) != ERROR_SUCCESS) return "<no key>";
  char data[512];
  DWORD size = sizeof data;
  LONG result = RegQueryValueExA(key, name, nullptr, type, reinterpret_cast<BYTE*>(data), &size);
  RegCloseKey(key);
  return result == ERROR_SUCCESS ? std::string(data, size) : "<no value>";
}

// Every kind of value, including those the "text" form cannot carry.
void fillEveryType() {
  HKEY key = create(HKEY_LOCAL_MACHINE, "Software\\Dravel\\Every");
  auto set = [&](const char* name, DWORD type, const std::string& bytes) {
    ASSERT_EQ(RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                             static_cast<DWORD>(bytes.size())),
              ERROR_SUCCESS);
  };
  set("", REG_SZ, std::string("default\0", 8));
  set("Path \"quoted\" \\ slash", REG_SZ, std::string("C:\\WINDOWS\\\"x\"\0", 15));
  set("Accent", REG_SZ, std::string("caf\xe9\0", 5));
  set("Lines", REG_SZ, std::string("one\r\ntwo\0", 9));
  set("Unterminated", REG_SZ, "abc");
  set("EmptyString", REG_SZ, std::string("\0", 1));
  set("Expand", REG_EXPAND_SZ, std::string("%windir%\\system\0", 17));
  set("Multi", REG_MULTI_SZ, std::string("one\0two\0\0", 9));
  set("Dword", REG_DWORD, std::string("\x2a\x00\x00\x80", 4));
  set("OddDword", REG_DWORD, std::string("\x01\x02", 2));
  set("None", REG_NONE, std::string("\x00\x01", 2));
  set("Qword", REG_QWORD, std::string("\x01\x02\x03\x04\x05\x06\x07\x08", 8));
  set("Unknown", 0x12345, "zz");
  set("EmptyBinary", REG_BINARY, "");
  std::string longBinary;
  for (int i = 0; i < 200; ++i) longBinary += static_cast<char>(i);
  set("LongBinary", REG_BINARY, longBinary);
  set("@", REG_SZ, std::string("named at\0", 9));
  RegCloseKey(key);
  RegCloseKey(create(HKEY_LOCAL_MACHINE, "Software\\Dravel\\Every\\Empty Subkey"));
  HKEY user = create(HKEY_CURRENT_USER, "Software\\Dravel");
  setDword(user, "UserValue", 1);
  RegCloseKey(user);
}

}  // namespace

TEST_F(RegistryTest, ExportWritesRegedit4) {
  HKEY key = create(HKEY_LOCAL_MACHINE, "Software\\Dravel\\Ombrin");
  setString(key, "Name", "Ombrin \"Audio\"");
  setDword(key, "BandRange", 20);
  ASSERT_EQ(RegSetValueExA(key, "Rock", 0, REG_BINARY, reinterpret_cast<const BYTE*>("\x01\xff"), 2), ERROR_SUCCESS);
  RegCloseKey(create(key, "Equalizer"));
  RegCloseKey(key);
  EXPECT_EQ(exportOf("HKLM\\software\\dravel"),
            "REGEDIT4\r\n"
            "\r\n[HKEY_LOCAL_MACHINE\\Software\\Dravel]\r\n"
            "\r\n[HKEY_LOCAL_MACHINE\\Software\\Dravel\\Ombrin]\r\n"
            "\"Name\"=\"Ombrin \\\"Audio\\\"\"\r\n"
            "\"BandRange\"=dword:00000014\r\n"
            "\"Rock\"=hex:01,ff\r\n"
            "\r\n[HKEY_LOCAL_MACHINE\\Software\\Dravel\\Ombrin\\Equalizer]\r\n"
            "\r\n");
  std::string text, error;
  EXPECT_FALSE(ombrin::registry::exportText("HKLM\\Software\\Absent", text, error));
  EXPECT_EQ(error, "no such key: HKLM\\Software\\Absent");
}

TEST_F(RegistryTest, LongHexIsWrappedWithinEightyColumns) {
  fillEveryType();
  auto text = exportOf("HKEY_LOCAL_MACHINE\\Software\\Dravel\\Every");
  std::size_t start = 0;
  bool wrapped = false;
  while (start < text.size()) {
    auto end = text.find("\r\n", start);
    auto line = text.substr(start, end - start);
    EXPECT_LE(line.size(), 80u) << line;
    wrapped = wrapped || (line.size() > 2 && line.substr(0, 2) == "  ");
    start = end + 2;
  }
  EXPECT_TRUE(wrapped);
}

TEST(RegeditRoundTrip, AnExportImportedIntoAnEmptyMachineGivesTheSameRegistry) {
  for (auto version : {WindowsVersion::Win98, WindowsVersion::Nt4}) {
    std::string exported;
    {
      ombrin::test::TempMachine machine(version, {});
      fillEveryType();
      exported = exportOf("");
    }
    ombrin::test::TempMachine machine(version, {});
    import(exported);
    EXPECT_EQ(exportOf(""), exported);
    DWORD type = 0;
    EXPECT_EQ(queryBytes(HKEY_LOCAL_MACHINE, "Software\\Dravel\\Every", "Unterminated", &type), "abc");
    EXPECT_EQ(type, DWORD{REG_SZ});
    EXPECT_EQ(queryBytes(HKEY_LOCAL_MACHINE, "Software\\Dravel\\Every", "Lines"), std::string("one\r\ntwo\0", 9));
    EXPECT_EQ(queryBytes(HKEY_LOCAL_MACHINE, "Software\\Dravel\\Every", "Unknown", &type), "zz");
    EXPECT_EQ(type, 0x12345u);
  }
}

TEST_F(RegistryTest, ImportReadsEveryForm) {
  import("REGEDIT4\r\n"
         "; a comment\r\n"
         "\r\n"
         "[HKLM\\Software\\Import\\Deep]\r\n"
         "@=\"default\"\r\n"
         "\"Str\"=\"a \\\\ b \\\" c\"\r\n"
         "\"Num\"=dword:2a ; the answer\r\n"
         "\"Bin\"=hex:01,02,\\\r\n"
         "    03,04\r\n"
         "\"Exp\"=hex(2):25,41,25,00\r\n"
         "\"Empty\"=hex:\r\n"
         "  \"Spaced\" = \"ok\"\r\n"
         "[HKEY_CURRENT_USER\\Software\\Import]\n"
         "\"Unix\"=\"line ends\"\n");
  DWORD type = 0;
  EXPECT_EQ(queryBytes(HKEY_LOCAL_MACHINE, "Software\\Import\\Deep", "", &type), std::string("default\0", 8));
  EXPECT_EQ(type, DWORD{REG_SZ});
  EXPECT_EQ(queryBytes(HKEY_LOCAL_MACHINE, "Software\\Import\\Deep", "Str"), std::string("a \\ b \" c\0", 10));
  EXPECT_EQ(queryBytes(HKEY_LOCAL_MACHINE, "Software\\Import\\Deep", "Num", &type), std::string("\x2a\0\0\0", 4));
  EXPECT_EQ(type, DWORD{REG_DWORD});
  EXPECT_EQ(queryBytes(HKEY_LOCAL_MACHINE, "Software\\Import\\Deep", "Bin"), "\x01\x02\x03\x04");
  EXPECT_EQ(queryBytes(HKEY_LOCAL_MACHINE, "Software\\Import\\Deep", "Exp", &type), std::string("%A%\0", 4));
  EXPECT_EQ(type, DWORD{REG_EXPAND_SZ});
  EXPECT_EQ(queryBytes(HKEY_LOCAL_MACHINE, "Software\\Import\\Deep", "Empty"), "");
  EXPECT_EQ(queryBytes(HKEY_LOCAL_MACHINE, "Software\\Import\\Deep", "Spaced"), std::string("ok\0", 3));
  EXPECT_EQ(queryBytes(HKEY_CURRENT_USER, "Software\\Import", "Unix"), std::string("line ends\0", 10));

  import("REGEDIT4\r\n[HKLM\\Software\\Import\\Deep]\r\n\"Str\"=-\r\n[-HKEY_LOCAL_MACHINE\\Software\\Import]\r\n");
  EXPECT_FALSE(exists(HKEY_LOCAL_MACHINE, "Software\\Import"));
  EXPECT_TRUE(exists(HKEY_CURRENT_USER, "Software\\Import"));
}

TEST_F(RegistryTest, ImportReadsVersion5FilesInUtf16) {
  std::string text =
      "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Five]\r\n"
      "\"Name\"=\"caf\xe9\"\r\n\"Multi\"=hex(7):61,00,00,00,62,00,00,00,00,00\r\n\"Bin\"=hex:61,00\r\n";
  std::string utf16 = "\xff\xfe";
  for (char c : text) {
    utf16 += c;
    utf16 += '\0';
  }
  import(utf16);
  EXPECT_EQ(queryBytes(HKEY_LOCAL_MACHINE, "Software\\Five", "Name"), std::string("caf\xe9\0", 5));
  EXPECT_EQ(queryBytes(HKEY_LOCAL_MACHINE, "Software\\Five", "Multi"), std::string("a\0b\0\0", 5));
  EXPECT_EQ(queryBytes(HKEY_LOCAL_MACHINE, "Software\\Five", "Bin"), std::string("a\0", 2));
}

TEST_F(RegistryTest, AMalformedFileChangesNothingAndSaysWhere) {
  struct Case {
    const char* body;  // after the header line and a good key with one value
    const char* error;
  } cases[] = {
      {"garbage\r\n", "line 4: expected [key], \"name\"=value, @=value or a ; comment"},
      {"[HKEY_LOCAL_MACHINE\\Software\\X\r\n", "line 4: expected ] at the end of the key name"},
      {"[HKEY_NOWHERE\\X]\r\n", "line 4: expected a root key such as HKEY_LOCAL_MACHINE instead of 'HKEY_NOWHERE'"},
      {"[HKLM\\A\\\\B]\r\n", "line 4: expected a key name between backslashes"},
      {"[-HKLM]\r\n", "line 4: expected a key below the root to delete"},
      {"[HKLM\\X] trailing\r\n", "line 4: expected nothing but a comment after ]"},
      {"\"name\" \"x\"\r\n", "line 4: expected = after the value name"},
      {"\"name=\"x\"\r\n", "line 4: expected = after the value name"},
      {"\"open=\r\n", "line 4: expected a closing quote"},
      {"\"a\"=\"bad \\q escape\"\r\n", "line 4: expected \\\\ or \\\" after a backslash in a string"},
      {"\"a\"=\"x\" y\r\n", "line 4: expected nothing but a comment after the closing quote"},
      {"\"a\"=dword:123456789\r\n", "line 4: expected 1 to 8 hexadecimal digits after dword:"},
      {"\"a\"=dword:\r\n", "line 4: expected 1 to 8 hexadecimal digits after dword:"},
      {"\"a\"=dword:12x\r\n", "line 4: expected 1 to 8 hexadecimal digits after dword:"},
      {"\"a\"=hex:01,zz\r\n", "line 4: expected hexadecimal bytes separated by commas"},
      {"\"a\"=hex:012\r\n", "line 4: expected hexadecimal bytes separated by commas"},
      {"\"a\"=hex:01 02\r\n", "line 4: expected a comma between hexadecimal bytes"},
      {"\"a\"=hex:01,\\\r\n  02,\\\r\n  xy\r\n", "line 6: expected hexadecimal bytes separated by commas"},
      {"\"a\"=hex:01,\\\r\n", "line 4: expected more hexadecimal bytes after \\"},
      {"\"a\"=hex(q):01\r\n", "line 4: expected hex(N): with N a hexadecimal type"},
      {"\"a\"=string\r\n", "line 4: expected \"text\", dword:, hex:, hex(N): or - after ="},
      {"\"a\"=- x\r\n", "line 4: expected nothing but a comment after -"},
      {"[-HKLM\\Software\\Gone]\r\n\"a\"=\"x\"\r\n", "line 5: expected a [key] line before the first value"},
  };
  for (const auto& c : cases) {
    std::string text = std::string("REGEDIT4\r\n[HKLM\\Software\\Partial]\r\n\"Good\"=\"1\"\r\n") + c.body;
    std::string error;
    EXPECT_FALSE(ombrin::registry::importText(text, error)) << c.body;
    EXPECT_EQ(error, c.error) << c.body;
    EXPECT_FALSE(exists(HKEY_LOCAL_MACHINE, "Software\\Partial")) << c.body;
  }
  struct Header {
    const char* text;
    const char* error;
  } headers[] = {
      {"", "line 1: expected REGEDIT4 or Windows Registry Editor Version 5.00 as the first line"},
      {"REGEDIT5\r\n", "line 1: expected REGEDIT4 or Windows Registry Editor Version 5.00 as the first line"},
      {"\r\n[HKLM\\X]\r\n", "line 2: expected REGEDIT4 or Windows Registry Editor Version 5.00 as the first line"},
  };
  for (const auto& h : headers) {
    std::string error;
    EXPECT_FALSE(ombrin::registry::importText(h.text, error));
    EXPECT_EQ(error, h.error);
  }
}
