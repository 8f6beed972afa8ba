// Values: the size rules of RegQueryValueExA, every type stored as type plus bytes, names.
#include <cstring>
#include <string>

#include "registry_fixture.h"

using namespace regtest;

namespace {

class ValuesTest : public RegistryTest {
 protected:
  void SetUp() override { key_ = create(HKEY_LOCAL_MACHINE, "Software\\Values"); }
  void TearDown() override { RegCloseKey(key_); }
  HKEY key_{};
};

}  // namespace

TEST_F(ValuesTest, QueryFollowsTheSizeRules) {
  setString(key_, "Text", "hello");  // 6 bytes with the terminator
  struct Case {
    const char* what;
    const char* name;
    bool withType;
    bool withData;
    bool withSize;
    DWORD size;
    LONG result;
    DWORD sizeAfter;      // kSentinel: untouched
    DWORD typeAfter;      // kSentinel: untouched
    const char* dataAfter;  // nullptr: buffer untouched
  } cases[] = {
      {"size only", "Text", true, false, true, 0, ERROR_SUCCESS, 6, REG_SZ, nullptr},
      {"exact buffer", "Text", true, true, true, 6, ERROR_SUCCESS, 6, REG_SZ, "hello"},
      {"large buffer", "Text", true, true, true, 64, ERROR_SUCCESS, 6, REG_SZ, "hello"},
      {"buffer one short", "Text", true, true, true, 5, ERROR_MORE_DATA, 6, REG_SZ, nullptr},
      {"empty buffer", "Text", true, true, true, 0, ERROR_MORE_DATA, 6, REG_SZ, nullptr},
      {"no type wanted", "Text", false, true, true, 6, ERROR_SUCCESS, 6, kSentinel, "hello"},
      {"existence only", "Text", false, false, false, 0, ERROR_SUCCESS, kSentinel, kSentinel, nullptr},
      {"data without size", "Text", true, true, false, 0, ERROR_INVALID_PARAMETER, kSentinel, kSentinel, nullptr},
      {"missing value", "Absent", true, true, true, 64, ERROR_FILE_NOT_FOUND, 64, kSentinel, nullptr},
      {"name without case", "TEXT", true, true, true, 6, ERROR_SUCCESS, 6, REG_SZ, "hello"},
  };
  for (const auto& c : cases) {
    char buffer[64];
    std::memset(buffer, 'S', sizeof buffer);
    DWORD type = kSentinel, size = c.withSize ? c.size : kSentinel;
    LONG result = RegQueryValueExA(key_, c.name, nullptr, c.withType ? &type : nullptr,
                                   c.withData ? reinterpret_cast<BYTE*>(buffer) : nullptr, c.withSize ? &size : nullptr);
    EXPECT_EQ(result, c.result) << c.what;
    if (c.withSize) {
      EXPECT_EQ(size, c.sizeAfter) << c.what;
    }
    EXPECT_EQ(type, c.typeAfter) << c.what;
    if (c.dataAfter) {
      EXPECT_STREQ(buffer, c.dataAfter) << c.what;
    } else {
      EXPECT_EQ(buffer[0], 'S') << c.what;
    }
  }
  DWORD reserved = 0;
  EXPECT_EQ(RegQueryValueExA(key_, "Text", &reserved, nullptr, nullptr, nullptr), ERROR_INVALID_PARAMETER);
}

TEST_F(ValuesTest, EveryTypeIsStoredAsTypeAndBytes) {
  struct Case {
    const char* name;
    DWORD type;
    std::string bytes;
  } cases[] = {
      {"sz", REG_SZ, std::string("text\0", 5)},
      {"expand", REG_EXPAND_SZ, std::string("%windir%\\x\0", 11)},
      {"binary", REG_BINARY, std::string("\x00\x01\xff\x80", 4)},
      {"dword", REG_DWORD, std::string("\x2a\x00\x00\x00", 4)},
      {"multi", REG_MULTI_SZ, std::string("one\0two\0\0", 9)},
      {"none", REG_NONE, std::string("\x01\x02", 2)},
      {"unknown", 0x1234, std::string("\x7f", 1)},
      {"empty", REG_BINARY, std::string()},
      {"short dword", REG_DWORD, std::string("\x01\x02", 2)},
      {"", REG_SZ, std::string("default\0", 8)},
  };
  for (const auto& c : cases)
    ASSERT_EQ(RegSetValueExA(key_, c.name, 0, c.type, reinterpret_cast<const BYTE*>(c.bytes.data()),
                             static_cast<DWORD>(c.bytes.size())),
              ERROR_SUCCESS)
        << c.name;
  for (const auto& c : cases) {
    char buffer[64];
    DWORD type = kSentinel, size = sizeof buffer;
    ASSERT_EQ(RegQueryValueExA(key_, c.name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size), ERROR_SUCCESS)
        << c.name;
    EXPECT_EQ(type, c.type) << c.name;
    EXPECT_EQ(std::string(buffer, size), c.bytes) << c.name;
  }
  // The default value answers to a null name too.
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExA(key_, nullptr, nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 8u);
}

TEST_F(ValuesTest, AStringStoredWithoutTerminatorReadsBackTerminatedWhenThereIsRoom) {
  ASSERT_EQ(RegSetValueExA(key_, "raw", 0, REG_SZ, reinterpret_cast<const BYTE*>("abc"), 3), ERROR_SUCCESS);
  char buffer[8];
  std::memset(buffer, 'S', sizeof buffer);
  DWORD size = sizeof buffer;
  ASSERT_EQ(RegQueryValueExA(key_, "raw", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 3u);
  EXPECT_STREQ(buffer, "abc");
  // Binary data is never touched past its end.
  ASSERT_EQ(RegSetValueExA(key_, "bin", 0, REG_BINARY, reinterpret_cast<const BYTE*>("abc"), 3), ERROR_SUCCESS);
  std::memset(buffer, 'S', sizeof buffer);
  size = sizeof buffer;
  ASSERT_EQ(RegQueryValueExA(key_, "bin", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size), ERROR_SUCCESS);
  EXPECT_EQ(buffer[3], 'S');
}

TEST_F(ValuesTest, SettingAgainKeepsTheNameAndThePlace) {
  setDword(key_, "First", 1);
  setDword(key_, "Second", 2);
  setDword(key_, "FIRST", 3);
  EXPECT_EQ(valueNames(key_), (std::vector<std::string>{"First", "Second"}));
  DWORD value = 0, size = sizeof value;
  ASSERT_EQ(RegQueryValueExA(key_, "first", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size), ERROR_SUCCESS);
  EXPECT_EQ(value, 3u);
  // Deleted and set again, a value goes to the end.
  ASSERT_EQ(RegDeleteValueA(key_, "first"), ERROR_SUCCESS);
  setDword(key_, "First", 4);
  EXPECT_EQ(valueNames(key_), (std::vector<std::string>{"Second", "First"}));
}

TEST_F(ValuesTest, DeleteAndSetReportTheirErrors) {
  EXPECT_EQ(RegDeleteValueA(key_, "Absent"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteValueA(HKEY{0x1234}, "x"), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegSetValueExA(key_, "x", 0, REG_BINARY, nullptr, 4), ERROR_NOACCESS);
  EXPECT_EQ(RegSetValueExA(key_, "x", 0, REG_BINARY, nullptr, 0), ERROR_SUCCESS);
  EXPECT_EQ(RegSetValueExA(HKEY{0x1234}, "x", 0, REG_BINARY, nullptr, 0), ERROR_INVALID_HANDLE);
}

TEST_F(ValuesTest, ValuesCanLiveOnARoot) {
  setDword(HKEY_CURRENT_USER, "RootValue", 9);
  DWORD value = 0, size = sizeof value;
  EXPECT_EQ(RegQueryValueExA(HKEY_CURRENT_USER, "rootvalue", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(value, 9u);
}
