#include "driver_channel.h"

#include <atomic>

#include "requests.h"

namespace qv10dal {
namespace {

// On Windows 95/98 the drivers are dynamically loaded virtual device drivers: the first open
// loads them and the last close unloads them.
constexpr DeviceRow kDevices[] = {
    {OS_WIN95, "\\\\.\\qv10core.vxd", "\\\\.\\qv10core.vxd", "\\\\.\\qv10mix.vxd", "\\\\.\\qv10wave.vxd",
     FILE_FLAG_DELETE_ON_CLOSE},
    {OS_WIN98, "\\\\.\\qv10core.vxd", "\\\\.\\qv10core.vxd", "\\\\.\\qv10mix.vxd", "\\\\.\\qv10wave.vxd",
     FILE_FLAG_DELETE_ON_CLOSE},
    {OS_NT4, "\\\\.\\Qv55Mixer0", "\\\\.\\Qv55Mixer0", nullptr, nullptr, 0},
    {OS_WIN2000, "\\\\.\\Dravel_10", "\\\\.\\Dravel_10", nullptr, nullptr, 0},
};

// Every request reports its byte count here; nothing reads it.
std::atomic<DWORD> g_bytesReturned{0};

}  // namespace

const DeviceRow* FindDeviceRow(OsClass osClass) {
  for (const auto& row : kDevices)
    if (row.osClass == osClass) return &row;
  return nullptr;
}

HANDLE OpenDriverDevice(OsClass osClass, DeviceRole role) {
  const DeviceRow* row = FindDeviceRow(osClass);
  if (row == nullptr) return INVALID_HANDLE_VALUE;
  const char* name = row->speakerCore;
  switch (role) {
    case DeviceRole::Equalizer: name = row->equalizer; break;
    case DeviceRole::SpeakerCore: name = row->speakerCore; break;
    case DeviceRole::SpeakerMixer: name = row->speakerMixer ? row->speakerMixer : row->speakerCore; break;
    case DeviceRole::SpeakerWave: name = row->speakerWave ? row->speakerWave : row->speakerCore; break;
  }
  return CreateFileA(name, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, row->flags, nullptr);
}

BOOL SendRequest(HANDLE device, DWORD code, void* input, DWORD inputSize, void* output, DWORD outputSize) {
  DWORD bytes = 0;
  const BOOL answer = DeviceIoControl(device, code, input, inputSize, output, outputSize, &bytes, nullptr);
  g_bytesReturned.store(bytes, std::memory_order_relaxed);
  return answer;
}

void CloseClient(HANDLE device) {
  SendRequest(device, IOCTL_CLOSE_CLIENT, nullptr, 0, nullptr, 0);
  CloseHandle(device);
}

}  // namespace qv10dal
