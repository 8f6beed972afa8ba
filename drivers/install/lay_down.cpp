// Writes an edition's traces through the machine's own Win32 API, as an installer would.
#include <cstdlib>
#include <cstring>
#include <string>

#include "trace.h"

namespace ombrin::card {
namespace {

bool isWin95() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  if (!GetVersionExA(&info)) return false;
  return info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS && info.dwMajorVersion == 4 && info.dwMinorVersion == 0;
}

bool fail(std::string& error, std::string what, LONG code) {
  error = std::move(what) + " (error " + std::to_string(code) + ")";
  return false;
}

bool writeRegistry(const RegTrace& row, std::string& error) {
  HKEY key{};
  LONG status = RegCreateKeyA(HKEY_LOCAL_MACHINE, row.key, &key);
  if (status != ERROR_SUCCESS) return fail(error, std::string("cannot create HKLM\\") + row.key, status);
  if (row.name != nullptr) {
    DWORD number = 0;
    const BYTE* bytes = reinterpret_cast<const BYTE*>(row.data);
    DWORD size = static_cast<DWORD>(std::strlen(row.data));
    if (row.type == REG_SZ) {
      size += 1;
    } else if (row.type == REG_DWORD) {
      number = static_cast<DWORD>(std::strtoul(row.data, nullptr, 10));
      bytes = reinterpret_cast<const BYTE*>(&number);
      size = sizeof number;
    }
    status = RegSetValueExA(key, row.name, 0, row.type, bytes, size);
  }
  RegCloseKey(key);
  if (status != ERROR_SUCCESS)
    return fail(error, std::string("cannot set ") + row.name + " in HKLM\\" + row.key, status);
  return true;
}

std::string windowsDirectory() {
  char buffer[MAX_PATH] = "";
  UINT length = GetWindowsDirectoryA(buffer, sizeof buffer);
  return length > 0 && length < sizeof buffer ? std::string(buffer, length) : std::string();
}

bool writeFile(const std::string& path, const std::string& bytes, DWORD attributes, std::string& error) {
  // Another edition may have left the same file read-only already.
  if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES)
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return fail(error, "cannot create " + path, static_cast<LONG>(GetLastError()));
  DWORD written = 0;
  BOOL ok = bytes.empty() || WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  if (!ok || written != bytes.size()) return fail(error, "cannot write " + path, static_cast<LONG>(GetLastError()));
  if (attributes != FILE_ATTRIBUTE_NORMAL && !SetFileAttributesA(path.c_str(), attributes))
    return fail(error, "cannot set the attributes of " + path, static_cast<LONG>(GetLastError()));
  return true;
}

bool readFile(const std::string& path, std::string& bytes) {
  HANDLE file =
      CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bytes.clear();
  char chunk[4096];
  DWORD got = 0;
  while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
  CloseHandle(file);
  return true;
}

bool layFile(const std::string& windows, const FileTrace& file, std::string& error) {
  std::string path = windows + "\\" + file.path;
  if (file.contents == nullptr) {
    if (CreateDirectoryA(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS) return true;
    return fail(error, "cannot create the folder " + path, static_cast<LONG>(GetLastError()));
  }
  return writeFile(path, file.contents, file.attributes, error);
}

// Adds the lines that are missing at the top of [386Enh], where drivers' VxD lines go.
bool addIniLines(const std::string& windows, std::span<const char* const> lines, std::string& error) {
  if (lines.empty()) return true;
  std::string path = windows + "\\system.ini";
  std::string text;
  if (!readFile(path, text)) text.clear();
  static constexpr std::string_view kSection = "[386Enh]\r\n";
  auto at = text.find(kSection);
  if (at == std::string::npos) {
    if (!text.empty() && text.back() != '\n') text += "\r\n";
    at = text.size();
    text += kSection;
  }
  at += kSection.size();
  bool changed = false;
  for (const char* line : lines) {
    if (text.find(line) != std::string::npos) continue;
    text.insert(at, line);
    at += std::strlen(line);
    changed = true;
  }
  return !changed || writeFile(path, text, FILE_ATTRIBUTE_NORMAL, error);
}

}  // namespace

bool layDown(const Traces& traces, std::string& error) {
  bool win95 = isWin95();
  for (const RegTrace& row : traces.registry)
    if (applies(row.layout, win95) && !writeRegistry(row, error)) return false;
  std::string windows = windowsDirectory();
  if (windows.empty()) {
    error = "the Windows directory is unknown";
    return false;
  }
  for (const FileTrace& file : traces.files)
    if (!layFile(windows, file, error)) return false;
  return addIniLines(windows, traces.iniLines, error);
}

}  // namespace ombrin::card
