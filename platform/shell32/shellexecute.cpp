// ShellExecuteA/W: open a program of the machine, as a host process, without waiting for it.
#include <cerrno>
#include <string>

#include <ombrin/eventlog.h>
#include <ombrin/paths.h>
#include <ombrin/shell.h>
#include <ombrin/trace.h>
#include <win32/shellapi.h>

#include "program_search.h"
#include "spawn.h"

namespace {

// What Windows hands back for a started program: any value above 32.
constexpr std::uint32_t kStarted = 42;

bool isOpenVerb(const char* verb) {
  return verb == nullptr || *verb == '\0' || ombrin::paths::equalsNoCase(verb, "open");
}

bool isProgram(const std::filesystem::path& host) {
  std::string ext = host.extension().string();
  return ombrin::paths::equalsNoCase(ext, ".exe") || ombrin::paths::equalsNoCase(ext, ".com");
}

int errnoToResult(int error) {
  switch (error) {
    case ENOENT: return SE_ERR_FNF;
    case EPERM: return SE_ERR_ACCESSDENIED;
    case ENOMEM: return SE_ERR_OOM;
    default: return ERROR_BAD_FORMAT;  // not a program this machine can run (no host program, not executable)
  }
}

std::uint32_t execute(const char* verb, const char* file, const char* parameters, const char* directory) {
  auto found = ombrin::shell::findProgram(file ? file : "");
  if (found.error != 0) return static_cast<std::uint32_t>(found.error);
  if (!isOpenVerb(verb) || !isProgram(found.host)) return SE_ERR_NOASSOC;
  std::filesystem::path workingDirectory;
  if (directory != nullptr && *directory != '\0') {
    auto resolved = ombrin::paths::resolve(directory);
    if (resolved.error != 0 || !resolved.exists || resolved.linkOutside) return SE_ERR_PNF;
    workingDirectory = resolved.host;
  }
  int error = ombrin::shell::spawnProgram(found.host, ombrin::shell::splitCommandLine(parameters ? parameters : ""),
                                          workingDirectory);
  return error == 0 ? kStarted : static_cast<std::uint32_t>(errnoToResult(error));
}

DWORD lastErrorFor(std::uint32_t result) {
  switch (result) {
    case SE_ERR_FNF: return ERROR_FILE_NOT_FOUND;
    case SE_ERR_PNF: return ERROR_PATH_NOT_FOUND;
    case SE_ERR_ACCESSDENIED: return ERROR_ACCESS_DENIED;
    case SE_ERR_OOM: return ERROR_NOT_ENOUGH_MEMORY;
    case SE_ERR_NOASSOC: return ERROR_NO_ASSOCIATION;
    default: return ERROR_BAD_FORMAT;
  }
}

HINSTANCE shellExecute(const char* verb, const char* file, const char* parameters, const char* directory,
                       INT show) {
  std::uint32_t result = execute(verb, file, parameters, directory);
  if (result <= 32) SetLastError(lastErrorFor(result));
  ombrin::eventlog::write("shell", {verb ? verb : "", file ? file : "", parameters ? parameters : "",
                                    std::to_string(show), std::to_string(result)});
  OMBRIN_TRACE("shell", "ShellExecute(\"%s\", \"%s\", \"%s\", \"%s\", %d) = %u", verb ? verb : "(null)",
               file ? file : "(null)", parameters ? parameters : "(null)", directory ? directory : "(null)", show,
               result);
  return HINSTANCE{result};
}

// The shell's wide entry points hand over to the 8-bit ones in the machine's code page.
struct Narrow {
  std::string text;
  bool present = false;
  explicit Narrow(LPCWSTR wide) {
    if (wide == nullptr) return;
    present = true;
    int size = WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return;
    text.resize(static_cast<std::size_t>(size));
    WideCharToMultiByte(CP_ACP, 0, wide, -1, text.data(), size, nullptr, nullptr);
    text.resize(static_cast<std::size_t>(size - 1));
  }
  const char* get() const { return present ? text.c_str() : nullptr; }
};

}  // namespace

extern "C" HINSTANCE WINAPI ShellExecuteA(HWND, LPCSTR lpOperation, LPCSTR lpFile, LPCSTR lpParameters,
                                          LPCSTR lpDirectory, INT nShowCmd) {
  return shellExecute(lpOperation, lpFile, lpParameters, lpDirectory, nShowCmd);
}

extern "C" HINSTANCE WINAPI ShellExecuteW(HWND, LPCWSTR lpOperation, LPCWSTR lpFile, LPCWSTR lpParameters,
                                          LPCWSTR lpDirectory, INT nShowCmd) {
  Narrow verb(lpOperation), file(lpFile), parameters(lpParameters), directory(lpDirectory);
  return shellExecute(verb.get(), file.get(), parameters.get(), directory.get(), nShowCmd);
}
