#pragma once

#include <win32/winreg.h>

// Reads a value's bytes as a zero-terminated string into the buffer; true when read.
// A value that does not fit the buffer with its terminator is not read.
bool ReadRegistryString(HKEY hRootKey, LPCSTR lpSubKey, LPCSTR lpValueName, LPSTR lpBuffer, DWORD cbBuffer);
