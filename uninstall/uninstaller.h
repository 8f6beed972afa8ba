// The uninstaller's engine: one object whose virtual operations are the removal primitives,
// the product recipes built from them, the selections that run several recipes, the Windows 9x
// guards, the platform tests and the log sink. Operations call each other through the virtual
// table, so a host may override any step.
#pragma once

#include <win32/windows.h>

// Receives each log line (no line end); its result is not used.
using LogCallback = int (*)(const char* text);

class Uninstaller {
 public:
  Uninstaller();
  virtual ~Uninstaller();
  Uninstaller(const Uninstaller&) = delete;
  Uninstaller& operator=(const Uninstaller&) = delete;

  // False when the Windows directory could not be obtained (no memory, or it does not fit into
  // MAX_PATH): such an object must not run recipes, which build every path from it.
  bool IsReady() const { return windowsDir != nullptr && windowsDir[0] != '\0'; }

  // Virtual operations, in the order of the virtual table.
  virtual int Log(const char* text);
  virtual void RemoveProductSet1();
  virtual void RemoveProductSet2();
  virtual void RemoveProductSet3();
  virtual void RemoveModemNewBoard();
  virtual void RemoveModemOldBoard();
  virtual void RemoveSetupDevices();
  virtual void RemoveOemModemEdition();
  virtual void RemoveCombinedEdition();
  virtual void RemoveKmp4Family();
  virtual void RemoveQv30Family();
  virtual void RemoveTellicorIsaModem();
  virtual void RemoveTellicorPciModem();
  virtual int GetHiveName(HKEY root, char* buffer, int size);
  virtual void RemoveTextFromFile(const char* path, const char* text);
  virtual void DeleteKey(HKEY root, const char* parentPath, const char* name);
  virtual void DeleteValue(HKEY openKey, const char* valueName);
  virtual void RemoveValue(HKEY root, const char* path, const char* valueName);
  virtual void RemoveFiles(const char* directory, const char* pattern);
  virtual bool KeyHasNoSubkeys(HKEY key, const char* path);
  virtual void RemoveKeyIfNoSubkeys(HKEY root, const char* parentPath, const char* name);
  virtual int RemoveKeysByValue(HKEY root, const char* path, const char* valueName, const char* text);
  virtual void RemoveSectionsByValue(HKEY root, const char* path, const char* valueName, const char* text,
                                     bool removeSection);
  virtual void RemoveKeysByName(HKEY root, const char* path, const char* text);
  virtual void RemoveValuesByName(HKEY root, const char* path, const char* text);
  virtual LogCallback SetLogCallback(LogCallback callback);
  virtual void RemoveAll();
  virtual void RemoveAllButSet3();
  virtual bool IsWin9x();
  virtual bool IsWin95();
  virtual void RemoveProductSet1IfWin9x();
  virtual void RemoveSetupDevicesIfWin9x();
  virtual void RemoveModemNewBoardIfWin9x();
  virtual void RemoveModemOldBoardIfWin9x();
  virtual void RemoveCombinedEditionIfWin9x();
  virtual void RemoveProductSet3IfWin9x();
  virtual void RemoveProductSet2IfWin9x();

 protected:
  LogCallback logCallback = nullptr;
  char* windowsDir = nullptr;  // MAX_PATH bytes, the Windows directory without a trailing backslash
};
