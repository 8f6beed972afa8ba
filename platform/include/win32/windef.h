// Basic Win32 data types for a 32-bit Windows program running on a 64-bit host.
// Data is 32 bits wide as on Win32; handles are 32-bit values from handle tables;
// only message parameters and the _PTR types carry host pointers.
#pragma once

#include <cstddef>
#include <cstdint>

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using ULONG = std::uint32_t;
using LONG = std::int32_t;
using UINT = std::uint32_t;
using INT = std::int32_t;
using BOOL = std::int32_t;
using BOOLEAN = std::uint8_t;
using CHAR = char;
using UCHAR = unsigned char;
using SHORT = std::int16_t;
using USHORT = std::uint16_t;
using WCHAR = char16_t;
using LONGLONG = std::int64_t;
using ULONGLONG = std::uint64_t;
using DWORDLONG = std::uint64_t;
using ATOM = WORD;
using COLORREF = DWORD;

using INT_PTR = std::intptr_t;
using UINT_PTR = std::uintptr_t;
using LONG_PTR = std::intptr_t;
using ULONG_PTR = std::uintptr_t;
using DWORD_PTR = std::uintptr_t;
using SIZE_T = std::size_t;
using WPARAM = UINT_PTR;
using LPARAM = LONG_PTR;
using LRESULT = LONG_PTR;

using VOID = void;
using PVOID = void*;
using LPVOID = void*;
using LPCVOID = const void*;
using LPSTR = char*;
using LPCSTR = const char*;
using PSTR = char*;
using PCSTR = const char*;
using LPWSTR = WCHAR*;
using LPCWSTR = const WCHAR*;
using LPBYTE = BYTE*;
using PBYTE = BYTE*;
using LPDWORD = DWORD*;
using PDWORD = DWORD*;
using LPLONG = LONG*;
using PLONG = LONG*;
using LPBOOL = BOOL*;
using LPWORD = WORD*;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

#define WINAPI
#define CALLBACK
#define APIENTRY
#define CONST const
#define MAX_PATH 260

// A 32-bit handle value. Each kind of handle is its own type so that a key cannot be
// passed where a window is expected; the value is what the handle table issued.
template <typename Tag>
struct Win32Handle {
  std::uint32_t value = 0;

  constexpr Win32Handle() = default;
  constexpr Win32Handle(std::nullptr_t) {}
  constexpr explicit Win32Handle(std::uint32_t v) : value(v) {}

  constexpr explicit operator bool() const { return value != 0; }
  friend constexpr bool operator==(Win32Handle, Win32Handle) = default;
};

struct HandleTagKernel;
struct HandleTagKey;
struct HandleTagModule;
struct HandleTagWindow;
struct HandleTagIcon;
struct HandleTagBitmap;
struct HandleTagMenu;
struct HandleTagCursor;
struct HandleTagBrush;
struct HandleTagFont;
struct HandleTagDc;
struct HandleTagDevInfo;

using HANDLE = Win32Handle<HandleTagKernel>;
using HKEY = Win32Handle<HandleTagKey>;
using HMODULE = Win32Handle<HandleTagModule>;
using HINSTANCE = HMODULE;
using HWND = Win32Handle<HandleTagWindow>;
using HICON = Win32Handle<HandleTagIcon>;
using HBITMAP = Win32Handle<HandleTagBitmap>;
using HMENU = Win32Handle<HandleTagMenu>;
using HCURSOR = Win32Handle<HandleTagCursor>;
using HBRUSH = Win32Handle<HandleTagBrush>;
using HFONT = Win32Handle<HandleTagFont>;
using HDC = Win32Handle<HandleTagDc>;
using HDEVINFO = Win32Handle<HandleTagDevInfo>;
using PHANDLE = HANDLE*;
using LPHANDLE = HANDLE*;
using PHKEY = HKEY*;

static_assert(sizeof(HANDLE) == 4 && sizeof(HKEY) == 4 && sizeof(HWND) == 4 && sizeof(HICON) == 4,
              "handles are 32-bit values");
static_assert(sizeof(DWORD) == 4 && sizeof(LONG) == 4 && sizeof(BOOL) == 4 && sizeof(WCHAR) == 2);
static_assert(sizeof(WPARAM) == sizeof(void*) && sizeof(LPARAM) == sizeof(void*));

using FARPROC = INT_PTR (*)();

struct RECT {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
};
using LPRECT = RECT*;
static_assert(sizeof(RECT) == 16);

struct POINT {
  LONG x;
  LONG y;
};
static_assert(sizeof(POINT) == 8);

struct SIZE {
  LONG cx;
  LONG cy;
};

#define LOWORD(l) (static_cast<WORD>(static_cast<DWORD_PTR>(l) & 0xffff))
#define HIWORD(l) (static_cast<WORD>((static_cast<DWORD_PTR>(l) >> 16) & 0xffff))
#define LOBYTE(w) (static_cast<BYTE>(static_cast<DWORD_PTR>(w) & 0xff))
#define MAKELONG(a, b) \
  (static_cast<LONG>(static_cast<DWORD>(static_cast<WORD>(a)) | (static_cast<DWORD>(static_cast<WORD>(b)) << 16)))
#define MAKEINTRESOURCEA(i) (reinterpret_cast<LPSTR>(static_cast<ULONG_PTR>(static_cast<WORD>(i))))
#define MAKEINTRESOURCE MAKEINTRESOURCEA
#define IS_INTRESOURCE(p) ((reinterpret_cast<ULONG_PTR>(p) >> 16) == 0)
