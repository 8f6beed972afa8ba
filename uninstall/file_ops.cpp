// RemoveFiles: deletes every file of one directory whose name matches a pattern, read-only,
// hidden and system files included, and logs one line per file.
#include <cstdio>

#include "engine_internal.h"

namespace {

constexpr DWORD kSkippedAttributes = FILE_ATTRIBUTE_DIRECTORY | 0x1000;  // directories, offline files
constexpr DWORD kProtectedAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

// Formats "%s\%s" into a MAX_PATH buffer; false when it does not fit, since a cut path names
// another file (or a wider pattern) than the one meant.
bool JoinPath(char (&out)[MAX_PATH], const char* directory, const char* name) {
  int length = std::snprintf(out, sizeof out, "%s\\%s", directory, name);
  return length >= 0 && length < static_cast<int>(sizeof out);
}

}  // namespace

void Uninstaller::RemoveFiles(const char* directory, const char* pattern) {
  if (directory == nullptr || pattern == nullptr) return;
  char searchPath[MAX_PATH];
  if (!JoinPath(searchPath, directory, pattern)) return;
  WIN32_FIND_DATAA found{};
  HANDLE search = FindFirstFileA(searchPath, &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    if ((found.dwFileAttributes & kSkippedAttributes) != 0) continue;
    found.cFileName[sizeof found.cFileName - 1] = '\0';
    char fullName[MAX_PATH];
    if (!JoinPath(fullName, directory, found.cFileName)) {
      unombrin::LogLine(*this, "ERROR: Couldn't remove '%s\\%s'", directory, found.cFileName);
      continue;
    }
    if ((found.dwFileAttributes & kProtectedAttributes) != 0) SetFileAttributesA(fullName, FILE_ATTRIBUTE_NORMAL);
    if (DeleteFileA(fullName))
      unombrin::LogLine(*this, "--Removed '%s'", fullName);
    else
      unombrin::LogLine(*this, "ERROR: Couldn't remove '%s'", fullName);
  } while (FindNextFileA(search, &found));
  FindClose(search);
}
