// Finding the file a module name stands for, as the Windows loader searches.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include <win32/windef.h>

namespace ombrin::modules {

// "qv10loc" -> "qv10loc.dll"; a name with an extension, or ending in '.', keeps it (without the dot).
std::string withDefaultExtension(std::string_view name);

// True when the name carries a directory part ("C:\\x\\y.dll", "sub\\y.dll"): it then names
// one file of the machine and is not searched for.
bool hasDirectory(std::string_view name);

// The host file of a module name: a machine path is resolved; a bare name is searched for in
// the program's directory, the system directory (on NT also the 16-bit SYSTEM), then the
// Windows directory, never the current directory. nullopt when there is no such file.
std::optional<std::filesystem::path> findModuleFile(const std::string& name);

// Tells every loaded module that the process ends (DllMain with DLL_PROCESS_DETACH and a
// non-null lpvReserved, last loaded first); with `unload` also unloads them and forgets every
// module handle, as a fresh process would start.
void detachAll(bool unload);

// The program's file on the host (/proc/self/exe).
std::filesystem::path programFile();

}  // namespace ombrin::modules
