// What lies behind an HMODULE on the host: the loaded shared object.
#pragma once

#include <win32/windef.h>

namespace ombrin::modules {

// The host's handle of the loaded shared object (as dlopen gave it), or null for a value
// that names no loaded module. Null HMODULE means the program.
void* hostHandle(HMODULE module);

// The module that contains an address: a module loaded with LoadLibraryA, the program, or
// a library the program was linked with (which then gets an HMODULE of its own). Null
// when the address lies in no loaded object.
HMODULE moduleOfAddress(const void* address);

}  // namespace ombrin::modules
