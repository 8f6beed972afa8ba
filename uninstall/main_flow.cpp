#include "main_flow.h"

#include <cstring>
#include <new>

#include "restart.h"

namespace unombrin {

namespace {

struct Keyword {
  const char* text;
  bool Selection::*flag;
};

// Looked for in this order; the old-board keywords follow separately, and only without "all".
constexpr Keyword kKeywords[] = {
    {"now", &Selection::now},           {"all", &Selection::all},       {"sndlink10", &Selection::sndlink10},
    {"qv10setp", &Selection::qv10setp}, {"silent", &Selection::silent},
};

const char kRestartQuestion[] = "It is required that you restart Windows\nDo you wish to do so now?";
const char kRestartCaption[] = "Restart Windows?";
const char kRestartReminder[] = "Please make sure to restart Windows.";
const char kQueryError[] = "Error while querying uninstall string information";
const char kQueryErrorCaption[] = "Uninstall";
const char kDone[] = "Uninstalled correctly.\n\nPlease restart Windows.";
const char kDoneCaption[] = "UnOmbrin.EXE";

// Reads one value of the uninstall key as text, whatever its registry type. A value larger than
// the buffer counts as unreadable; the text is always terminated.
bool ReadWarningText(HKEY key, const char* valueName, char (&text)[kWarningTextSize + 1]) {
  text[0] = '\0';
  if (!key) return false;
  DWORD type = 0;
  DWORD size = kWarningTextSize;
  if (RegQueryValueExA(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(text), &size) != ERROR_SUCCESS)
    return false;
  text[size <= kWarningTextSize ? size : kWarningTextSize] = '\0';
  return true;
}

}  // namespace

char* SkipProgramName(char* commandLine) {
  auto blank = [](char c) { return static_cast<unsigned char>(c) <= 0x20; };
  char* p = commandLine;
  if (p == nullptr) return p;
  if (*p == '"') {
    ++p;
    while (*p != '\0' && *p != '"') ++p;
    if (*p == '"') ++p;
  } else {
    while (!blank(*p)) ++p;
  }
  while (*p != '\0' && blank(*p)) ++p;
  return p;
}

Selection ParseCommandLine(char* arguments) {
  Selection selection;
  if (arguments == nullptr) return selection;
  for (char* p = arguments; *p != '\0'; ++p)
    if (*p >= 'A' && *p <= 'Z') *p = static_cast<char>(*p - 'A' + 'a');
  for (const auto& keyword : kKeywords)
    if (std::strstr(arguments, keyword.text) != nullptr) selection.*keyword.flag = true;
  if (!selection.all && (std::strstr(arguments, "dev_0003") != nullptr || std::strstr(arguments, "old") != nullptr))
    selection.oldBoard = true;
  return selection;
}

void RunRemovalSequence(Uninstaller& engine, const Selection& selection) {
  if (selection.qv10setp) engine.RemoveSetupDevicesIfWin9x();
  if (selection.sndlink10) engine.RemoveCombinedEditionIfWin9x();
  if (selection.oldBoard)
    engine.RemoveModemOldBoardIfWin9x();
  else
    engine.RemoveModemNewBoardIfWin9x();
  if (selection.all) engine.RemoveAll();
}

int RunMainFlow(Uninstaller& engine, char* arguments) {
  Selection selection = ParseCommandLine(arguments);

  HKEY key{};
  if (RegOpenKeyA(HKEY_LOCAL_MACHINE, kUninstallKey, &key) != ERROR_SUCCESS) key = HKEY{};
  static_assert(kWarningTextSize == 1040);
  char warningString[kWarningTextSize + 1];
  char warningTitle[kWarningTextSize + 1];
  warningTitle[0] = '\0';
  bool readOk = ReadWarningText(key, "WarningString", warningString);
  if (readOk || selection.now) readOk = ReadWarningText(key, "WarningTitle", warningTitle);

  if (selection.now) {
    RunRemovalSequence(engine, selection);
  } else if (readOk && !selection.silent) {
    if (MessageBoxA(HWND{}, warningString, warningTitle, MB_OKCANCEL) == IDOK) {
      if (key) RegCloseKey(key);
      key = HKEY{};
      RunRemovalSequence(engine, selection);
      if (MessageBoxA(HWND{}, kRestartQuestion, kRestartCaption, MB_OKCANCEL) == IDOK) RestartWindows();
      MessageBoxA(HWND{}, kRestartReminder, warningTitle, MB_OK);
    }
  }

  // Closing.
  if (key) RegCloseKey(key);
  if (!readOk && !selection.now && !selection.silent)
    MessageBoxA(HWND{}, kQueryError, kQueryErrorCaption, MB_OK | MB_ICONERROR);
  if (selection.now && !selection.silent) MessageBoxA(HWND{}, kDone, kDoneCaption, MB_OK);
  return 0;
}

int UninstallerMain(char* arguments) {
  Uninstaller* engine = new (std::nothrow) Uninstaller;
  if (engine == nullptr) return 0;
  // An engine without its Windows directory would build every path of the recipes wrongly.
  if (engine->IsReady()) RunMainFlow(*engine, arguments);
  delete engine;
  return 0;
}

}  // namespace unombrin
