// LoadStringA, LoadIconA, LoadBitmapA and DestroyIcon against modules with and without a
// resource table, and against the program's own table.
#include <cstring>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include <ombrin/resources.h>
#include <temp_machine.h>
#include <win32/windows.h>

namespace fs = std::filesystem;

namespace {

const OmbrinStringResource kProgramStrings[] = {{100, "from the program"}};
const OmbrinResourceTable kProgramTable{sizeof(OmbrinResourceTable), kProgramStrings, 1, nullptr, 0,
                                        nullptr, 0, nullptr, 0};

}  // namespace

extern "C" const OmbrinResourceTable* OmbrinResources() { return &kProgramTable; }

namespace {

constexpr DWORD kUntouched = 0xDEADBEEF;

class ResourcesTest : public ombrin::test::MachineTest {
 protected:
  void SetUp() override {
    for (const char* name : {"withres.dll", "nores.dll"})
      fs::copy_file(ombrin::test::buildDir() / "tests" / "modules" / name,
                    machine_.host(std::string("C:\\WINDOWS\\SYSTEM\\") + name));
    withRes_ = LoadLibraryA("withres.dll");
    noRes_ = LoadLibraryA("nores.dll");
    ASSERT_TRUE(withRes_);
    ASSERT_TRUE(noRes_);
  }
  void TearDown() override {
    FreeLibrary(withRes_);
    FreeLibrary(noRes_);
  }
  HMODULE withRes_{};
  HMODULE noRes_{};
};

struct StringCase {
  const char* what;
  bool fromWithRes;  // else the module without resources
  UINT id;
  int bufferSize;
  int result;
  const char* text;
  DWORD error;  // kUntouched: last error left alone
};

const StringCase kStringCases[] = {
    {"whole string", true, 1, 16, 3, "one", kUntouched},
    {"code page text", true, 2, 32, 12, "Caf\xe9 au lait", kUntouched},
    {"cut to the buffer", true, 2, 5, 4, "Caf\xe9", kUntouched},
    {"room for the terminator only", true, 1, 1, 0, "", kUntouched},
    {"empty string", true, 3, 16, 0, "", kUntouched},
    {"missing string", true, 4, 16, 0, "", ERROR_RESOURCE_NAME_NOT_FOUND},
    {"module without resources", false, 1, 16, 0, "", ERROR_RESOURCE_DATA_NOT_FOUND},
};

TEST_F(ResourcesTest, LoadStringA) {
  for (const auto& c : kStringCases) {
    SCOPED_TRACE(c.what);
    char buffer[40];
    std::memset(buffer, 'x', sizeof buffer);
    SetLastError(kUntouched);
    EXPECT_EQ(LoadStringA(c.fromWithRes ? withRes_ : noRes_, c.id, buffer, c.bufferSize), c.result);
    EXPECT_STREQ(buffer, c.text);
    EXPECT_EQ(buffer[c.bufferSize], 'x') << "written past the buffer";
    EXPECT_EQ(GetLastError(), c.error);
  }
}

TEST_F(ResourcesTest, LoadStringAWithoutBufferWritesNothing) {
  char buffer[4] = {'x', 'x', 'x', 'x'};
  EXPECT_EQ(LoadStringA(withRes_, 1, buffer, 0), 0);
  EXPECT_EQ(buffer[0], 'x');
}

TEST_F(ResourcesTest, NullInstanceMeansTheProgram) {
  char buffer[32];
  EXPECT_EQ(LoadStringA(HINSTANCE{}, 100, buffer, sizeof buffer), 16);
  EXPECT_STREQ(buffer, "from the program");
  // The program's table is not the module's: each module answers for itself.
  EXPECT_EQ(LoadStringA(withRes_, 100, buffer, sizeof buffer), 0);
}

TEST_F(ResourcesTest, LoadIconAHandsOutOneSharedIconAtTheIconSize) {
  HICON first = LoadIconA(withRes_, MAKEINTRESOURCEA(7));
  ASSERT_TRUE(first);
  EXPECT_EQ(LoadIconA(withRes_, MAKEINTRESOURCEA(7)), first);
  EXPECT_EQ(LoadIconA(withRes_, "#7"), first);
  ombrin::resources::ImageInfo info{};
  ASSERT_TRUE(ombrin::resources::iconInfo(first, info));
  EXPECT_EQ(info.module, withRes_);
  EXPECT_EQ(info.id, 7u);
  EXPECT_EQ(info.width, 32);
  EXPECT_EQ(info.height, 32);
  EXPECT_EQ(info.bitCount, 4);
  // Destroying a shared icon succeeds and leaves it as it was.
  EXPECT_TRUE(DestroyIcon(first));
  EXPECT_TRUE(ombrin::resources::iconInfo(first, info));
}

struct MissingIconCase {
  const char* what;
  bool fromWithRes;
  LPCSTR name;
  DWORD error;
};

const MissingIconCase kMissingIcons[] = {
    {"missing number", true, MAKEINTRESOURCEA(8), ERROR_RESOURCE_NAME_NOT_FOUND},
    {"names are not numbered", true, "AUDIO", ERROR_RESOURCE_NAME_NOT_FOUND},
    {"module without resources", false, MAKEINTRESOURCEA(7), ERROR_RESOURCE_DATA_NOT_FOUND},
};

TEST_F(ResourcesTest, LoadIconAWithoutTheIcon) {
  for (const auto& c : kMissingIcons) {
    SCOPED_TRACE(c.what);
    SetLastError(kUntouched);
    EXPECT_FALSE(LoadIconA(c.fromWithRes ? withRes_ : noRes_, c.name));
    EXPECT_EQ(GetLastError(), c.error);
  }
}

TEST_F(ResourcesTest, IconOutlivesItsModule) {
  HICON icon = LoadIconA(withRes_, MAKEINTRESOURCEA(7));
  FreeLibrary(withRes_);
  ombrin::resources::ImageInfo info{};
  ASSERT_TRUE(ombrin::resources::iconInfo(icon, info));
  EXPECT_EQ(info.pixels[0], 0);
  withRes_ = LoadLibraryA("withres.dll");
}

TEST_F(ResourcesTest, SystemIcons) {
  HICON application = LoadIconA(HINSTANCE{}, IDI_APPLICATION);
  ASSERT_TRUE(application);
  ombrin::resources::ImageInfo info{};
  ASSERT_TRUE(ombrin::resources::iconInfo(application, info));
  EXPECT_FALSE(info.module);
  EXPECT_EQ(info.width, 32);
  EXPECT_FALSE(LoadIconA(HINSTANCE{}, MAKEINTRESOURCEA(1)));
}

TEST_F(ResourcesTest, DestroyIconOfNoIcon) {
  SetLastError(kUntouched);
  EXPECT_FALSE(DestroyIcon(HICON{0x1234u}));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_CURSOR_HANDLE));
}

TEST_F(ResourcesTest, LoadBitmapAGivesEachCallerItsOwnCopy) {
  HBITMAP a = LoadBitmapA(withRes_, MAKEINTRESOURCEA(9));
  HBITMAP b = LoadBitmapA(withRes_, MAKEINTRESOURCEA(9));
  ASSERT_TRUE(a);
  ASSERT_TRUE(b);
  EXPECT_NE(a, b);
  ombrin::resources::ImageInfo info{};
  ASSERT_TRUE(ombrin::resources::bitmapInfo(a, info));
  EXPECT_EQ(info.width, 3);
  EXPECT_EQ(info.height, 2);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(info.pixels), 6), std::string("\0\1\2\3\4\5", 6));
  EXPECT_TRUE(ombrin::resources::releaseBitmap(a));
  EXPECT_FALSE(ombrin::resources::bitmapInfo(a, info));
  EXPECT_TRUE(ombrin::resources::bitmapInfo(b, info));
  SetLastError(kUntouched);
  EXPECT_FALSE(LoadBitmapA(withRes_, MAKEINTRESOURCEA(10)));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
}

TEST_F(ResourcesTest, OtherResourcesByTypeAndNumber) {
  const auto* data = ombrin::resources::findData(withRes_, 5, 11);
  ASSERT_NE(data, nullptr);
  EXPECT_STREQ(static_cast<const char*>(data->data), "template");
  EXPECT_EQ(ombrin::resources::findData(withRes_, 5, 12), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
  EXPECT_EQ(ombrin::resources::findData(withRes_, 6, 11), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_TYPE_NOT_FOUND));
}

TEST(PixelArt, RowsBecomeIndicesAndMask) {
  constexpr ombrin::resources::PixelArt<3, 1> art({"a.f"});
  EXPECT_EQ(art.pixels[0], 10);
  EXPECT_EQ(art.mask[1], 1);
  EXPECT_EQ(art.pixels[2], 15);
  EXPECT_TRUE(art.transparent);
}

}  // namespace
