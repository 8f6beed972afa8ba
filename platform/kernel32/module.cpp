#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>

#include <dlfcn.h>
#include <link.h>

#include <ombrin/handles.h>
#include <ombrin/machine.h>
#include <ombrin/modules.h>
#include <ombrin/paths.h>
#include <ombrin/trace.h>
#include <win32/winbase.h>

#include "module_internal.h"

namespace fs = std::filesystem;

namespace ombrin::modules {
namespace {

struct Module {
  HMODULE handle;
  std::string name;  // the file name, as the loader compares module names
  fs::path host;     // the file it was loaded from
  void* dl = nullptr;
  link_map* map = nullptr;
  int references = 0;
  bool pinned = false;  // the program and the libraries it was linked with stay for good
  DllMainProc main = nullptr;
};

// The loader lock: recursive, because a DllMain may load and free other modules.
struct Loader {
  std::recursive_mutex mutex;
  HandleTable<HMODULE, Module> table;
  std::vector<std::shared_ptr<Module>> loaded;  // in load order
  std::shared_ptr<Module> program;
};

Loader& loader() {
  static Loader l;
  static const bool registered = [] {
    machine::onReset([] { detachAll(true); });
    return true;
  }();
  (void)registered;
  return l;
}

link_map* linkMapOf(void* dl) {
  link_map* map = nullptr;
  return ::dlinfo(dl, RTLD_DI_LINKMAP, &map) == 0 ? map : nullptr;
}

// A symbol that the module itself defines: dlsym also finds the module's dependencies' symbols,
// which Windows' export lookup never does.
void* ownSymbol(const Module& module, const char* name) {
  void* symbol = ::dlsym(module.dl, name);
  if (symbol == nullptr) return nullptr;
  Dl_info info;
  link_map* map = nullptr;
  if (::dladdr1(symbol, &info, reinterpret_cast<void**>(&map), RTLD_DL_LINKMAP) == 0 || map != module.map)
    return nullptr;
  return symbol;
}

std::shared_ptr<Module> program() {
  auto& l = loader();
  if (!l.program) {
    auto module = std::make_shared<Module>();
    module->dl = ::dlopen(nullptr, RTLD_NOW);
    module->map = linkMapOf(module->dl);
    module->host = programFile();
    module->name = module->host.filename().string();
    module->pinned = true;
    module->references = 1;
    module->handle = l.table.insert(module);
    l.program = module;
  }
  return l.program;
}

std::shared_ptr<Module> byHandle(HMODULE handle) {
  if (!handle) return program();
  return loader().table.find(handle);
}

bool nameMatches(const Module& module, const std::string& name) {
  if (paths::equalsNoCase(module.name, name)) return true;
  // The program has no extension on the host; Windows calls it by its ".exe" name.
  return &module == loader().program.get() && paths::equalsNoCase(module.name + ".exe", name);
}

std::shared_ptr<Module> byName(const std::string& name) {
  auto& l = loader();
  if (nameMatches(*program(), name)) return l.program;
  for (const auto& module : l.loaded)
    if (nameMatches(*module, name)) return module;
  return nullptr;
}

std::shared_ptr<Module> byMap(link_map* map) {
  auto& l = loader();
  if (program()->map == map) return l.program;
  for (const auto& module : l.loaded)
    if (module->map == map) return module;
  return nullptr;
}

void forget(const std::shared_ptr<Module>& module) {
  auto& l = loader();
  l.table.remove(module->handle);
  l.loaded.erase(std::remove(l.loaded.begin(), l.loaded.end(), module), l.loaded.end());
}

DWORD dlopenError() {
  const char* why = ::dlerror();
  std::string text = why ? why : "";
  if (text.find("undefined symbol") != std::string::npos) return ERROR_PROC_NOT_FOUND;
  if (text.find("cannot open shared object file") != std::string::npos) return ERROR_MOD_NOT_FOUND;
  return ERROR_BAD_EXE_FORMAT;
}

}  // namespace

void detachAll(bool unload) {
  auto& l = loader();
  std::lock_guard lock(l.mutex);
  auto modules = l.loaded;
  for (auto it = modules.rbegin(); it != modules.rend(); ++it) {
    const auto& module = *it;
    // Another module's DllMain may have freed this one meanwhile.
    if (std::find(l.loaded.begin(), l.loaded.end(), module) == l.loaded.end()) continue;
    if (!module->pinned && module->references > 0) {
      module->references = 0;
      if (module->main) module->main(module->handle, DLL_PROCESS_DETACH, reinterpret_cast<LPVOID>(1));
    }
  }
  if (!unload) return;
  for (const auto& module : l.loaded) ::dlclose(module->dl);
  if (l.program) ::dlclose(l.program->dl);
  l.loaded.clear();
  l.program.reset();
  l.table.clear();
}

void* hostHandle(HMODULE handle) {
  std::lock_guard lock(loader().mutex);
  auto module = byHandle(handle);
  return module ? module->dl : nullptr;
}

HMODULE moduleOfAddress(const void* address) {
  Dl_info info;
  link_map* map = nullptr;
  if (::dladdr1(address, &info, reinterpret_cast<void**>(&map), RTLD_DL_LINKMAP) == 0 || map == nullptr)
    return HMODULE{};
  auto& l = loader();
  std::lock_guard lock(l.mutex);
  if (auto module = byMap(map)) return module->handle;
  // A library loaded along with the program or another module: it gets a handle of its own.
  void* dl = ::dlopen(map->l_name, RTLD_NOW | RTLD_NOLOAD);
  if (dl == nullptr) return HMODULE{};
  auto module = std::make_shared<Module>();
  module->dl = dl;
  module->map = map;
  module->host = map->l_name;
  module->name = module->host.filename().string();
  module->pinned = true;
  module->references = 1;
  module->handle = l.table.insert(module);
  l.loaded.push_back(module);
  return module->handle;
}

}  // namespace ombrin::modules

using namespace ombrin;
using namespace ombrin::modules;

extern "C" HMODULE WINAPI LoadLibraryA(LPCSTR lpLibFileName) {
  if (lpLibFileName == nullptr || *lpLibFileName == '\0') {
    SetLastError(lpLibFileName == nullptr ? ERROR_INVALID_PARAMETER : ERROR_MOD_NOT_FOUND);
    OMBRIN_TRACE("module", "LoadLibraryA(%s) -> NULL", lpLibFileName ? "\"\"" : "(null)");
    return HMODULE{};
  }
  auto& l = loader();
  std::lock_guard lock(l.mutex);
  std::string name = withDefaultExtension(lpLibFileName);
  // A module of that name already in the process is the one a bare name means.
  if (!hasDirectory(name)) {
    if (auto module = byName(name)) {
      if (!module->pinned) ++module->references;
      OMBRIN_TRACE("module", "LoadLibraryA(\"%s\") -> %#x, already loaded", lpLibFileName, module->handle.value);
      return module->handle;
    }
  }
  auto file = findModuleFile(name);
  if (!file) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    OMBRIN_TRACE("module", "LoadLibraryA(\"%s\") -> NULL, not found", lpLibFileName);
    return HMODULE{};
  }
  void* dl = ::dlopen(file->c_str(), RTLD_NOW | RTLD_LOCAL);
  if (dl == nullptr) {
    DWORD error = dlopenError();
    SetLastError(error);
    OMBRIN_TRACE("module", "LoadLibraryA(\"%s\") -> NULL, %s cannot be loaded (error %u)", lpLibFileName,
                 file->c_str(), error);
    return HMODULE{};
  }
  if (auto module = byMap(linkMapOf(dl))) {  // the same file under another name
    ::dlclose(dl);
    if (!module->pinned) ++module->references;
    OMBRIN_TRACE("module", "LoadLibraryA(\"%s\") -> %#x, already loaded", lpLibFileName, module->handle.value);
    return module->handle;
  }
  auto module = std::make_shared<Module>();
  module->dl = dl;
  module->map = linkMapOf(dl);
  module->host = *file;
  module->name = file->filename().string();
  module->references = 1;
  module->handle = l.table.insert(module);
  l.loaded.push_back(module);
  module->main = reinterpret_cast<DllMainProc>(ownSymbol(*module, "DllMain"));
  if (module->main && !module->main(module->handle, DLL_PROCESS_ATTACH, nullptr)) {
    // A module that refuses to start is told to stop at once and unloaded.
    module->main(module->handle, DLL_PROCESS_DETACH, nullptr);
    forget(module);
    ::dlclose(dl);
    SetLastError(ERROR_DLL_INIT_FAILED);
    OMBRIN_TRACE("module", "LoadLibraryA(\"%s\") -> NULL, DllMain failed", lpLibFileName);
    return HMODULE{};
  }
  OMBRIN_TRACE("module", "LoadLibraryA(\"%s\") -> %#x (%s)", lpLibFileName, module->handle.value, file->c_str());
  return module->handle;
}

extern "C" BOOL WINAPI FreeLibrary(HMODULE hLibModule) {
  auto& l = loader();
  std::lock_guard lock(l.mutex);
  auto module = hLibModule ? l.table.find(hLibModule) : nullptr;
  if (!module) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    OMBRIN_TRACE("module", "FreeLibrary(%#x) -> FALSE, no such module", hLibModule.value);
    return FALSE;
  }
  if (!module->pinned && --module->references == 0) {
    if (module->main) module->main(module->handle, DLL_PROCESS_DETACH, nullptr);
    forget(module);
    ::dlclose(module->dl);
    OMBRIN_TRACE("module", "FreeLibrary(%#x) -> TRUE, unloaded %s", hLibModule.value, module->name.c_str());
    return TRUE;
  }
  OMBRIN_TRACE("module", "FreeLibrary(%#x) -> TRUE", hLibModule.value);
  return TRUE;
}

extern "C" FARPROC WINAPI GetProcAddress(HMODULE hModule, LPCSTR lpProcName) {
  auto& l = loader();
  std::lock_guard lock(l.mutex);
  auto module = byHandle(hModule);
  if (!module) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    OMBRIN_TRACE("module", "GetProcAddress(%#x) -> NULL, no such module", hModule.value);
    return nullptr;
  }
  if (lpProcName == nullptr || IS_INTRESOURCE(lpProcName)) {  // our modules export by name only
    SetLastError(ERROR_PROC_NOT_FOUND);
    OMBRIN_TRACE("module", "GetProcAddress(%#x, #%u) -> NULL", hModule.value,
                 static_cast<unsigned>(reinterpret_cast<ULONG_PTR>(lpProcName)));
    return nullptr;
  }
  void* symbol = ownSymbol(*module, lpProcName);
  if (symbol == nullptr) SetLastError(ERROR_PROC_NOT_FOUND);
  OMBRIN_TRACE("module", "GetProcAddress(%#x, \"%s\") -> %p", hModule.value, lpProcName, symbol);
  return reinterpret_cast<FARPROC>(symbol);
}

extern "C" HMODULE WINAPI GetModuleHandleA(LPCSTR lpModuleName) {
  auto& l = loader();
  std::lock_guard lock(l.mutex);
  if (lpModuleName == nullptr) return program()->handle;
  std::string name = withDefaultExtension(lpModuleName);
  std::shared_ptr<Module> module;
  if (hasDirectory(name)) {
    auto file = findModuleFile(name);
    if (file) {
      for (const auto& candidate : l.loaded)
        if (candidate->host == *file) module = candidate;
    }
  } else {
    module = byName(name);
  }
  if (!module) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    OMBRIN_TRACE("module", "GetModuleHandleA(\"%s\") -> NULL", lpModuleName);
    return HMODULE{};
  }
  OMBRIN_TRACE("module", "GetModuleHandleA(\"%s\") -> %#x", lpModuleName, module->handle.value);
  return module->handle;
}

extern "C" DWORD WINAPI GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize) {
  std::string path;
  {
    auto& l = loader();
    std::lock_guard lock(l.mutex);
    auto module = byHandle(hModule);
    if (!module) {
      SetLastError(ERROR_MOD_NOT_FOUND);
      return 0;
    }
    path = paths::toWindows(module->host);  // the machine's own name for it, when it lies inside
    if (path.empty()) path = module->host.string();
  }
  if (lpFilename == nullptr || nSize == 0) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  if (path.size() < nSize) {
    std::memcpy(lpFilename, path.c_str(), path.size() + 1);
    return static_cast<DWORD>(path.size());
  }
  // Cut, but always terminated.
  std::memcpy(lpFilename, path.data(), nSize - 1);
  lpFilename[nSize - 1] = '\0';
  SetLastError(ERROR_INSUFFICIENT_BUFFER);
  return nSize;
}
