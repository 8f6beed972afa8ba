// The applet as the Control Panel sees it: CPlApplet with each message, with and without the
// localisation library, with customisation values set, empty, too long or missing, and
// opening the card's control panel program.
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include <ombrin/eventlog.h>
#include <ombrin/resources.h>
#include <ombrin/shell.h>
#include <temp_machine.h>
#include <win32/cpl.h>
#include <win32/windows.h>

namespace fs = std::filesystem;

namespace {

constexpr const char* kCustomizationKey = "Software\\Dravel\\Ombrin\\QV5510\\Customization";

class AppletTest : public ombrin::test::MachineTest {
 protected:
  void TearDown() override { unload(); }

  void place(const char* built, const char* name) {
    fs::copy_file(ombrin::test::buildDir() / built, machine_.host(std::string("C:\\WINDOWS\\SYSTEM\\") + name),
                  fs::copy_options::overwrite_existing);
  }
  void withLocalisation() { place("lib/qv10loc.dll", "qv10loc.dll"); }

  void load() {
    place("lib/qv10cpl.cpl", "qv10cpl.cpl");
    module_ = LoadLibraryA("qv10cpl.cpl");
    ASSERT_TRUE(module_);
    proc_ = reinterpret_cast<APPLET_PROC>(reinterpret_cast<void (*)()>(GetProcAddress(module_, "CPlApplet")));
    ASSERT_NE(proc_, nullptr);
  }
  void unload() {
    if (module_) FreeLibrary(module_);
    module_ = HMODULE{};
    ombrin::shell::waitForStartedPrograms();
  }

  LONG send(UINT msg, LPARAM l1 = 0, LPARAM l2 = 0) { return proc_(HWND{0x1234u}, msg, l1, l2); }

  NEWCPLINFOA inquire() {
    NEWCPLINFOA info;
    std::memset(static_cast<void*>(&info), 0xCC, sizeof info);
    EXPECT_EQ(send(CPL_NEWINQUIRE, 0, reinterpret_cast<LPARAM>(&info)), 0);
    return info;
  }

  void setValue(const char* name, DWORD type, const void* data, DWORD size) {
    HKEY key{};
    ASSERT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, kCustomizationKey, &key), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    RegCloseKey(key);
  }
  void setText(const char* name, const std::string& text) {
    setValue(name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
  }

  std::vector<ombrin::eventlog::Event> events(const std::string& kind) {
    ombrin::shell::waitForStartedPrograms();
    std::vector<ombrin::eventlog::Event> found;
    for (auto& e : ombrin::eventlog::readAll())
      if (e.kind == kind) found.push_back(e);
    return found;
  }

  HMODULE module_{};
  APPLET_PROC proc_ = nullptr;
};

struct MessageCase {
  UINT msg;
  LONG result;
};

// Messages answered without a record; none of them may change what the applet reports.
const MessageCase kMessages[] = {
    {CPL_INIT, 1}, {CPL_GETCOUNT, 1}, {CPL_SELECT, 1}, {CPL_STOP, 1}, {CPL_EXIT, 0},
    {0, 1},        {9, 1},            {10, 1},         {200, 1},      {0xFFFF, 1},
};

TEST_F(AppletTest, MessagesAndTheirResults) {
  for (bool localised : {false, true}) {
    SCOPED_TRACE(localised ? "localised" : "English");
    if (localised) withLocalisation();
    load();
    auto before = inquire();
    for (const auto& c : kMessages) {
      SCOPED_TRACE(c.msg);
      EXPECT_EQ(send(c.msg, 0, 0), c.result);
      auto after = inquire();
      EXPECT_EQ(std::memcmp(&before, &after, sizeof before), 0);
    }
    unload();
  }
  EXPECT_TRUE(events("shell").empty());
}

TEST_F(AppletTest, InquireLeavesItsRecordAlone) {
  load();
  CPLINFO info;
  std::memset(&info, 0xA5, sizeof info);
  CPLINFO copy = info;
  EXPECT_EQ(send(CPL_INQUIRE, 0, reinterpret_cast<LPARAM>(&info)), 1);
  EXPECT_EQ(std::memcmp(&info, &copy, sizeof info), 0);
}

TEST_F(AppletTest, NewInquireWithTheModulesOwnResources) {
  load();
  auto info = inquire();
  EXPECT_EQ(info.dwSize, 244u);
  EXPECT_EQ(info.dwFlags, 0u);
  EXPECT_EQ(info.dwHelpContext, 0u);
  EXPECT_EQ(info.lData, 0);
  EXPECT_STREQ(info.szName, "Dravel Ombrin Audio");
  EXPECT_STREQ(info.szInfo, "Ombrin Control Panel");
  EXPECT_STREQ(info.szHelpFile, "");
  ombrin::resources::ImageInfo icon{};
  ASSERT_TRUE(ombrin::resources::iconInfo(info.hIcon, icon));
  EXPECT_EQ(icon.module, module_);
  EXPECT_EQ(icon.id, 10001u);
  EXPECT_EQ(icon.width, 32);
  EXPECT_EQ(icon.height, 32);
  EXPECT_EQ(icon.bitCount, 4);
  EXPECT_EQ(icon.paletteSize, 16u);
  // The icon is loaded once: every inquiry hands out the same one.
  EXPECT_EQ(inquire().hIcon, info.hIcon);
}

TEST_F(AppletTest, NewInquireTakesEverythingFromTheLocalisationLibrary) {
  withLocalisation();
  load();
  HMODULE localisation = GetModuleHandleA("qv10loc.dll");
  ASSERT_TRUE(localisation);
  auto info = inquire();
  EXPECT_STREQ(info.szName, "Audio Dravel Ombrin");
  EXPECT_STREQ(info.szInfo, "Panneau de contr\xf4le Ombrin");
  ombrin::resources::ImageInfo icon{};
  ASSERT_TRUE(ombrin::resources::iconInfo(info.hIcon, icon));
  EXPECT_EQ(icon.module, localisation);
  // Unloading the applet frees the localisation library.
  unload();
  EXPECT_FALSE(GetModuleHandleA("qv10loc.dll"));
}

TEST_F(AppletTest, LocalisationLibraryWithoutTheAppletsResources) {
  // A resource library of another program: no icon 10001, no strings 50003 and 50005.
  place("tests/modules/withres.dll", "qv10loc.dll");
  load();
  EXPECT_EQ(send(CPL_GETCOUNT), 1);
  auto info = inquire();
  EXPECT_FALSE(info.hIcon) << "no fall-back to the applet's own icon";
  EXPECT_STREQ(info.szName, "");
  EXPECT_STREQ(info.szInfo, "");
  setText("ControlPanelIconDesc", "Custom");
  EXPECT_STREQ(inquire().szName, "Custom");
}

struct Customisation {
  const char* what;
  std::optional<std::string> desc;  // ControlPanelIconDesc as a string value
  std::optional<std::string> info;  // ControlPanelIconInfo as a string value
  const char* name;
  const char* description;
};

const std::string k31(31, 'n');
const std::string k32(32, 'n');
const std::string k63(63, 'd');
const std::string k64(64, 'd');

const Customisation kCustomisations[] = {
    {"none", std::nullopt, std::nullopt, "Dravel Ombrin Audio", "Ombrin Control Panel"},
    {"name only", "Studio Sound", std::nullopt, "Studio Sound", "Ombrin Control Panel"},
    {"description only", std::nullopt, "Mixer and equalizer", "Dravel Ombrin Audio", "Mixer and equalizer"},
    {"both", "Studio Sound", "Mixer and equalizer", "Studio Sound", "Mixer and equalizer"},
    {"empty values empty the fields", "", "", "", ""},
    {"longest that fit", k31, k63, k31.c_str(), k63.c_str()},
    {"too long: the resource texts stand", k32, k64, "Dravel Ombrin Audio", "Ombrin Control Panel"},
};

TEST_F(AppletTest, CustomisationValues) {
  for (bool localised : {false, true}) {
    for (const auto& c : kCustomisations) {
      SCOPED_TRACE(std::string(c.what) + (localised ? " (localised)" : ""));
      RegDeleteKeyA(HKEY_LOCAL_MACHINE, kCustomizationKey);
      if (c.desc) setText("ControlPanelIconDesc", *c.desc);
      if (c.info) setText("ControlPanelIconInfo", *c.info);
      if (localised) withLocalisation();
      load();
      auto info = inquire();
      bool fromResources = std::string(c.name) == "Dravel Ombrin Audio";
      EXPECT_STREQ(info.szName, fromResources && localised ? "Audio Dravel Ombrin" : c.name);
      bool infoFromResources = std::string(c.description) == "Ombrin Control Panel";
      EXPECT_STREQ(info.szInfo, infoFromResources && localised ? "Panneau de contr\xf4le Ombrin" : c.description);
      unload();
    }
  }
}

struct RawValue {
  const char* what;
  DWORD type;
  std::string bytes;
  const char* name;
};

const RawValue kRawValues[] = {
    {"a number's bytes", REG_DWORD, std::string("A\0\0\0", 4), "A"},
    {"text without its terminator", REG_BINARY, "Bin", "Bin"},
    {"a full field without a terminator", REG_BINARY, std::string(32, 'x'), "Dravel Ombrin Audio"},
    {"no data at all", REG_SZ, "", ""},
};

TEST_F(AppletTest, ValuesAreTakenAsTextWhateverTheirType) {
  load();
  for (const auto& c : kRawValues) {
    SCOPED_TRACE(c.what);
    setValue("ControlPanelIconDesc", c.type, c.bytes.data(), static_cast<DWORD>(c.bytes.size()));
    EXPECT_STREQ(inquire().szName, c.name);
  }
}

TEST_F(AppletTest, CustomisationIsReadAtEveryInquiry) {
  load();
  EXPECT_STREQ(inquire().szName, "Dravel Ombrin Audio");
  setText("ControlPanelIconDesc", "Later");
  EXPECT_STREQ(inquire().szName, "Later");
}

TEST_F(AppletTest, DoubleClickWithoutTheControlPanelProgram) {
  load();
  EXPECT_EQ(send(CPL_DBLCLK, 0, 0), 0);
  auto shells = events("shell");
  ASSERT_EQ(shells.size(), 1u);
  EXPECT_EQ(shells[0].fields, (std::vector<std::string>{"open", "qv10cpl.exe", "", "10", "2"}));
  EXPECT_TRUE(events("program").empty());
}

TEST_F(AppletTest, DoubleClickStartsTheControlPanelProgram) {
  place("lib/qv10cpl.exe", "qv10cpl.exe");
  load();
  EXPECT_EQ(send(CPL_DBLCLK, 0, 0), 0);
  auto shells = events("shell");
  ASSERT_EQ(shells.size(), 1u);
  EXPECT_EQ(shells[0].fields.size(), 5u);
  EXPECT_EQ(shells[0].fields[2], "");
  EXPECT_GT(std::stoul(shells[0].fields[4]), 32u);
  auto programs = events("program");
  ASSERT_EQ(programs.size(), 1u);
  EXPECT_EQ(programs[0].fields, (std::vector<std::string>{"qv10cpl.exe"}));
}

}  // namespace
