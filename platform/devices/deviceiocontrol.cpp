// DeviceIoControl: hands a synchronous request to the driver behind a device handle.
#include <ombrin/handles.h>
#include <ombrin/trace.h>
#include <win32/winioctl.h>

#include "device_object.h"

using ombrin::KernelObject;
using ombrin::devices::DeviceObject;

extern "C" BOOL WINAPI DeviceIoControl(HANDLE hDevice, DWORD dwIoControlCode, LPVOID lpInBuffer, DWORD nInBufferSize,
                                       LPVOID lpOutBuffer, DWORD nOutBufferSize, LPDWORD lpBytesReturned,
                                       LPOVERLAPPED lpOverlapped) {
  auto fail = [&](DWORD error) {
    OMBRIN_TRACE("ioctl", "DeviceIoControl(%#x, 0x%08x, in=%u, out=%u) -> FALSE error=%u", hDevice.value,
                 dwIoControlCode, nInBufferSize, nOutBufferSize, error);
    SetLastError(error);
    return FALSE;
  };
  auto object = ombrin::kernelHandles().find(hDevice);
  if (!object) return fail(ERROR_INVALID_HANDLE);
  // A file takes no control requests of ours; any other kind of object is no device at all.
  if (object->kind() == KernelObject::Kind::File) return fail(ERROR_INVALID_FUNCTION);
  if (object->kind() != KernelObject::Kind::Device) return fail(ERROR_INVALID_HANDLE);
  // Without an OVERLAPPED the count has nowhere else to go; Windows would fault writing it.
  if (lpBytesReturned == nullptr && lpOverlapped == nullptr) return fail(ERROR_INVALID_PARAMETER);
  // A buffer that is announced but absent cannot be probed.
  if ((lpInBuffer == nullptr && nInBufferSize != 0) || (lpOutBuffer == nullptr && nOutBufferSize != 0))
    return fail(ERROR_NOACCESS);

  auto device = std::static_pointer_cast<DeviceObject>(object);
  DWORD bytes = 0;
  DWORD error = 0;
  BOOL result = device->instance().ioControl(dwIoControlCode, lpInBuffer, nInBufferSize, lpOutBuffer, nOutBufferSize,
                                             bytes, error);
  if (lpBytesReturned != nullptr) *lpBytesReturned = bytes;
  OMBRIN_TRACE("ioctl", "DeviceIoControl(%#x %s, 0x%08x, in=%u, out=%u) -> %s bytes=%u error=%u", hDevice.value,
               device->name().c_str(), dwIoControlCode, nInBufferSize, nOutBufferSize, result ? "TRUE" : "FALSE",
               bytes, result ? 0u : error);
  if (!result) {
    SetLastError(error != 0 ? error : ERROR_GEN_FAILURE);
    return FALSE;
  }
  return result;
}
