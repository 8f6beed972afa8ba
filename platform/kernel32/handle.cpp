#include <ombrin/handles.h>
#include <ombrin/trace.h>
#include <win32/winbase.h>

using namespace ombrin;

namespace {
// The current-process and current-thread pseudo handles: closing them does nothing.
constexpr std::uint32_t kCurrentProcess = 0xFFFFFFFFu;
constexpr std::uint32_t kCurrentThread = 0xFFFFFFFEu;
}  // namespace

// Objects clean up in their destructors, once the last handle (or view) lets go of them.
extern "C" BOOL WINAPI CloseHandle(HANDLE hObject) {
  if (hObject.value == kCurrentProcess || hObject.value == kCurrentThread) {
    OMBRIN_TRACE("file", "CloseHandle(%#x) -> TRUE (pseudo handle)", hObject.value);
    return TRUE;
  }
  auto object = kernelHandles().find(hObject);
  // A search is closed with FindClose, as on Windows.
  if (!object || object->kind() == KernelObject::Kind::Find) {
    SetLastError(ERROR_INVALID_HANDLE);
    OMBRIN_TRACE("file", "CloseHandle(%#x) -> FALSE, error %u", hObject.value, static_cast<unsigned>(ERROR_INVALID_HANDLE));
    return FALSE;
  }
  object.reset();
  kernelHandles().remove(hObject);
  OMBRIN_TRACE("file", "CloseHandle(%#x) -> TRUE", hObject.value);
  return TRUE;
}
