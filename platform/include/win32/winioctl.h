// Device I/O control: request codes and DeviceIoControl.
#pragma once

#include "winbase.h"

#define FILE_DEVICE_SOUND 0x0000001D
#define METHOD_BUFFERED 0
#define METHOD_IN_DIRECT 1
#define METHOD_OUT_DIRECT 2
#define METHOD_NEITHER 3
#define FILE_ANY_ACCESS 0
#define FILE_READ_ACCESS 0x0001
#define FILE_WRITE_ACCESS 0x0002

#define CTL_CODE(DeviceType, Function, Method, Access) \
  ((static_cast<DWORD>(DeviceType) << 16) | (static_cast<DWORD>(Access) << 14) | \
   (static_cast<DWORD>(Function) << 2) | static_cast<DWORD>(Method))

extern "C" BOOL WINAPI DeviceIoControl(HANDLE hDevice, DWORD dwIoControlCode, LPVOID lpInBuffer,
                                       DWORD nInBufferSize, LPVOID lpOutBuffer, DWORD nOutBufferSize,
                                       LPDWORD lpBytesReturned, LPOVERLAPPED lpOverlapped);
