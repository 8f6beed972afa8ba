// A recipe is a fixed list of primitive calls with literal arguments; this is the row type of
// those lists and the one loop that plays a list through the engine's virtual table.
#pragma once

#include <span>

#include "uninstaller.h"

namespace recipes {

// Which answer of IsWin95 a step needs.
enum class When : unsigned char { Always, Win95, NotWin95 };

enum class Op : unsigned char {
  RemoveFiles,
  RemoveTextFromFile,
  DeleteKey,
  RemoveValue,
  RemoveKeyIfNoSubkeys,
  RemoveKeysByValue,
  RemoveSectionsByValue,
  RemoveKeysByName,
  RemoveValuesByName,
};

// The Windows directory itself, for the steps that sweep it rather than a folder below it.
inline constexpr const char* kWindowsDir = nullptr;

// Short names the recipe tables share.
inline constexpr When kAny = When::Always;
inline constexpr When k95 = When::Win95;
inline constexpr When kNot95 = When::NotWin95;
inline constexpr const char* kInf = "%s\\inf";
inline constexpr const char* kSystem = "%s\\system";
inline constexpr const char* kInfOther = "%s\\inf\\other";
inline constexpr const char* kSystemIni = "%s\\system.ini";
inline constexpr const char* kTelvcdLine = "device=telvcd.vxd\r\n";
inline constexpr const char* kPhantom = "Software\\Microsoft\\Windows\\CurrentVersion\\cfgmgr32\\Phantom";
inline constexpr const char* kProblems = "System\\CurrentControlSet\\Control\\ASD\\Prob";

struct Step {
  When when;
  Op op;
  // File steps: a format applied to the Windows directory ("%s\\inf"), or kWindowsDir.
  // Registry steps: the key path under HKEY_LOCAL_MACHINE.
  const char* path;
  const char* name;  // file pattern, subkey or value name
  const char* text;  // bytes to cut from a file, or the text a name or string value must contain
  bool sectionToo;   // RemoveSectionsByValue only
};

// Runs the steps in order. IsWin95 is asked once, at the first conditional step.
void run(Uninstaller& engine, const char* windowsDir, std::span<const Step> steps);

}  // namespace recipes
