#include "recipes_steps.h"

#include <cstdio>
#include <optional>

namespace recipes {
namespace {

bool isFileStep(Op op) { return op == Op::RemoveFiles || op == Op::RemoveTextFromFile; }

// Builds a file step's path in a MAX_PATH buffer. A path that would not fit is refused rather
// than cut: a cut path names some other folder, and deleting there would be worse than nothing.
bool filePath(const char* windowsDir, const char* format, char (&buffer)[MAX_PATH]) {
  if (windowsDir == nullptr || windowsDir[0] == '\0') return false;  // "\inf" would be the drive's root
  if (format == kWindowsDir) format = "%s";
  int length = std::snprintf(buffer, sizeof buffer, format, windowsDir);
  return length > 0 && length < static_cast<int>(sizeof buffer);
}

}  // namespace

void run(Uninstaller& engine, const char* windowsDir, std::span<const Step> steps) {
  std::optional<bool> win95;
  char path[MAX_PATH];
  for (const Step& step : steps) {
    if (step.when != When::Always) {
      if (!win95) win95 = engine.IsWin95();
      if (*win95 != (step.when == When::Win95)) continue;
    }
    if (isFileStep(step.op) && !filePath(windowsDir, step.path, path)) continue;
    switch (step.op) {
      case Op::RemoveFiles:
        engine.RemoveFiles(path, step.name);
        break;
      case Op::RemoveTextFromFile:
        engine.RemoveTextFromFile(path, step.text);
        break;
      case Op::DeleteKey:
        engine.DeleteKey(HKEY_LOCAL_MACHINE, step.path, step.name);
        break;
      case Op::RemoveValue:
        engine.RemoveValue(HKEY_LOCAL_MACHINE, step.path, step.name);
        break;
      case Op::RemoveKeyIfNoSubkeys:
        engine.RemoveKeyIfNoSubkeys(HKEY_LOCAL_MACHINE, step.path, step.name);
        break;
      case Op::RemoveKeysByValue:
        engine.RemoveKeysByValue(HKEY_LOCAL_MACHINE, step.path, step.name, step.text);
        break;
      case Op::RemoveSectionsByValue:
        engine.RemoveSectionsByValue(HKEY_LOCAL_MACHINE, step.path, step.name, step.text, step.sectionToo);
        break;
      case Op::RemoveKeysByName:
        engine.RemoveKeysByName(HKEY_LOCAL_MACHINE, step.path, step.text);
        break;
      case Op::RemoveValuesByName:
        engine.RemoveValuesByName(HKEY_LOCAL_MACHINE, step.path, step.text);
        break;
    }
  }
}

}  // namespace recipes
