// Directory search: FindFirstFileA, FindNextFileA, FindClose.
//
// The search lists the directory once, at FindFirstFileA, sorted without case, so files can be
// deleted while it is open and the search goes on over the rest (as the uninstaller does).
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include <dirent.h>

#include <ombrin/machine.h>
#include <ombrin/trace.h>

#include "file_object.h"
#include "wildcard.h"

namespace fs = std::filesystem;
using namespace ombrin;

namespace {

class FindObject : public KernelObject {
 public:
  FindObject() : KernelObject(Kind::Find) {}
  std::vector<WIN32_FIND_DATAA> entries;
  std::size_t next = 0;
};

bool isSeparator(char c) { return c == '\\' || c == '/'; }

// A host name that no Windows path could name is not listed: nobody could act on it.
bool isListableName(const std::string& name) {
  if (name.empty() || name.size() >= MAX_PATH) return false;
  for (char c : name) {
    auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || std::strchr("<>:\"|?*\\", c) != nullptr) return false;
  }
  return true;
}

WIN32_FIND_DATAA describe(const std::string& name, const files::EntryInfo& entry) {
  WIN32_FIND_DATAA data{};
  data.dwFileAttributes = entry.attributes;
  data.ftCreationTime = files::fileTime(entry.st.st_ctim);
  data.ftLastAccessTime = files::fileTime(entry.st.st_atim);
  data.ftLastWriteTime = files::fileTime(entry.st.st_mtim);
  if (S_ISREG(entry.st.st_mode) && !entry.outsideLink) {
    auto size = static_cast<std::uint64_t>(entry.st.st_size);
    data.nFileSizeHigh = static_cast<DWORD>(size >> 32);
    data.nFileSizeLow = static_cast<DWORD>(size & 0xFFFFFFFFu);
  }
  std::memcpy(data.cFileName, name.c_str(), name.size() + 1);
  return data;  // long names only: cAlternateFileName stays empty
}

// Lists the matching entries of a directory, "." and ".." first where Windows shows them.
DWORD search(LPCSTR wanted, std::vector<WIN32_FIND_DATAA>& found) {
  std::string_view text(wanted);
  std::size_t cut = text.size();
  while (cut > 0 && !isSeparator(text[cut - 1])) --cut;
  std::string_view pattern = text.substr(cut);
  std::string directory(text.substr(0, cut));
  if (text.size() > MAX_PATH - 1) return ERROR_FILENAME_EXCED_RANGE;
  if (directory.size() == 2 && directory[1] == ':') directory += '\\';
  if (directory.empty()) directory = "C:\\";
  auto resolved = paths::resolve(directory);
  if (resolved.error != 0) return resolved.error;
  if (!resolved.exists || resolved.linkOutside) return ERROR_PATH_NOT_FOUND;
  auto dirInfo = files::inspectEntry(resolved.host);
  if (!dirInfo.exists || dirInfo.outsideLink || !S_ISDIR(dirInfo.st.st_mode)) return ERROR_PATH_NOT_FOUND;
  if (pattern.empty()) return ERROR_FILE_NOT_FOUND;  // "C:\WINDOWS\" names no file

  DIR* dir = ::opendir(resolved.host.c_str());
  if (dir == nullptr) return ERROR_PATH_NOT_FOUND;
  std::vector<WIN32_FIND_DATAA> names;
  std::vector<WIN32_FIND_DATAA> dots;
  const bool root = resolved.host == machine::current().driveC();
  while (dirent* e = ::readdir(dir)) {
    std::string name = e->d_name;
    bool dot = name == "." || name == "..";
    if (dot && root) continue;  // the root of a drive has no "." and ".."
    if (!dot && !isListableName(name)) continue;
    if (!files::matchesWildcard(pattern, name)) continue;
    auto entry = files::inspectEntry(dot ? resolved.host / name : resolved.host / name);
    if (!entry.exists) continue;  // gone since it was listed
    (dot ? dots : names).push_back(describe(name, entry));
  }
  ::closedir(dir);
  auto byName = [](const WIN32_FIND_DATAA& a, const WIN32_FIND_DATAA& b) {
    int c = paths::compareNoCase(a.cFileName, b.cFileName);
    return c != 0 ? c < 0 : std::strcmp(a.cFileName, b.cFileName) < 0;
  };
  std::sort(dots.begin(), dots.end(), byName);
  std::sort(names.begin(), names.end(), byName);
  found = std::move(dots);
  found.insert(found.end(), names.begin(), names.end());
  return found.empty() ? ERROR_FILE_NOT_FOUND : 0;
}

}  // namespace

extern "C" HANDLE WINAPI FindFirstFileA(LPCSTR lpFileName, LPWIN32_FIND_DATAA lpFindFileData) {
  auto fail = [&](DWORD error) {
    SetLastError(error);
    OMBRIN_TRACE("file", "FindFirstFileA(\"%s\") -> INVALID_HANDLE_VALUE, error %u",
                 lpFileName ? lpFileName : "(null)", error);
    return INVALID_HANDLE_VALUE;
  };
  if (lpFileName == nullptr) return fail(ERROR_PATH_NOT_FOUND);
  if (lpFindFileData == nullptr) return fail(ERROR_INVALID_PARAMETER);
  auto find = std::make_shared<FindObject>();
  if (DWORD error = search(lpFileName, find->entries); error != 0) return fail(error);
  *lpFindFileData = find->entries[0];
  find->next = 1;
  HANDLE handle = kernelHandles().insert(find);
  OMBRIN_TRACE("file", "FindFirstFileA(\"%s\") -> %#x, \"%s\" 0x%x, %zu entries", lpFileName, handle.value,
               lpFindFileData->cFileName, lpFindFileData->dwFileAttributes, find->entries.size());
  return handle;
}

extern "C" BOOL WINAPI FindNextFileA(HANDLE hFindFile, LPWIN32_FIND_DATAA lpFindFileData) {
  auto find = kernelObject<FindObject>(hFindFile, KernelObject::Kind::Find);
  DWORD error = !find ? ERROR_INVALID_HANDLE
                : lpFindFileData == nullptr ? ERROR_INVALID_PARAMETER
                : find->next >= find->entries.size() ? ERROR_NO_MORE_FILES
                                                     : 0;
  if (error != 0) {
    SetLastError(error);
    OMBRIN_TRACE("file", "FindNextFileA(%#x) -> FALSE, error %u", hFindFile.value, error);
    return FALSE;
  }
  *lpFindFileData = find->entries[find->next++];
  OMBRIN_TRACE("file", "FindNextFileA(%#x) -> TRUE, \"%s\" 0x%x", hFindFile.value, lpFindFileData->cFileName,
               lpFindFileData->dwFileAttributes);
  return TRUE;
}

extern "C" BOOL WINAPI FindClose(HANDLE hFindFile) {
  if (!kernelObject<KernelObject>(hFindFile, KernelObject::Kind::Find)) {
    OMBRIN_TRACE("file", "FindClose(%#x) -> FALSE, error %u", hFindFile.value, GetLastError());
    return FALSE;
  }
  kernelHandles().remove(hFindFile);
  OMBRIN_TRACE("file", "FindClose(%#x) -> TRUE", hFindFile.value);
  return TRUE;
}
