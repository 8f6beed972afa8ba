// The speaker interface: every object of every process serialises on one named mutex; the
// objects of a process share the device handles under a reference count.
#include <Qv10DAL.h>

#include "driver_channel.h"
#include "requests.h"
#include "speaker_state.h"

using namespace qv10dal;

namespace {

// Stage codes of Initialize.
constexpr LONG kStageMutex = 0;
constexpr LONG kStageCore = 1;
constexpr LONG kStageMixer = 2;
constexpr LONG kStageWave = 3;
constexpr LONG kStageDeviceId = 4;
constexpr LONG kStageInfo = 8;
constexpr LONG kStageEvent = 10;
constexpr LONG kStageRegister = 11;

bool IsVxdClass(OsClass osClass) { return osClass == OS_WIN95 || osClass == OS_WIN98; }

// Waits for the speaker mutex; a holder that died leaves the reference count one too high.
void WaitAdjustingForAbandonment(HANDLE mutex) {
  auto& s = SpeakerModule();
  if (WaitForSingleObject(mutex, INFINITE) == WAIT_ABANDONED && s.refCount > 0) --s.refCount;
}

void CloseAndForget(HANDLE& handle) {
  if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  handle = INVALID_HANDLE_VALUE;
}

// Opens the channels of the first object (called with the mutex held).
void OpenSpeakerChannels() {
  auto& s = SpeakerModule();
  OsClass osClass = OS_UNSUPPORTED;
  if (!GetOsClass(osClass)) throw CSpeakerInterface::CExeption{kStageCore};
  s.osClass = osClass;
  if (IsVxdClass(osClass)) {
    if (s.core == INVALID_HANDLE_VALUE) s.core = OpenDriverDevice(osClass, DeviceRole::SpeakerCore);
    if (s.core == INVALID_HANDLE_VALUE) throw CSpeakerInterface::CExeption{kStageCore};
    if (s.mixer == INVALID_HANDLE_VALUE) s.mixer = OpenDriverDevice(osClass, DeviceRole::SpeakerMixer);
    if (s.mixer == INVALID_HANDLE_VALUE) throw CSpeakerInterface::CExeption{kStageMixer};
    if (s.wave == INVALID_HANDLE_VALUE) s.wave = OpenDriverDevice(osClass, DeviceRole::SpeakerWave);
    if (s.wave == INVALID_HANDLE_VALUE) throw CSpeakerInterface::CExeption{kStageWave};
    if (!SendRequest(s.core, IOCTL_SPK_GET_NEXT_DEVICE_ID, nullptr, 0, &s.speakerDeviceId, sizeof(ULONG)))
      throw CSpeakerInterface::CExeption{kStageDeviceId};
  } else if (osClass == OS_NT4 || osClass == OS_WIN2000) {
    // One device serves as core, mixer and wave device.
    const HANDLE device = OpenDriverDevice(osClass, DeviceRole::SpeakerCore);
    if (device == INVALID_HANDLE_VALUE) throw CSpeakerInterface::CExeption{kStageCore};
    s.core = s.mixer = s.wave = device;
    s.speakerDeviceId = 0;
  } else {
    throw CSpeakerInterface::CExeption{kStageCore};
  }
}

void CloseSpeakerChannels() {
  auto& s = SpeakerModule();
  if (s.core != INVALID_HANDLE_VALUE) SendRequest(s.core, IOCTL_CLOSE_CLIENT, nullptr, 0, nullptr, 0);
  if (IsVxdClass(s.osClass)) {
    CloseAndForget(s.wave);
    CloseAndForget(s.mixer);
  } else {
    // The same handle as the core's: closed once, below.
    s.wave = s.mixer = INVALID_HANDLE_VALUE;
  }
  CloseAndForget(s.core);
}

struct ConfigRow {
  DWORD bits;      // any of them set: the row applies
  DWORD code;
  DeviceRole device;
  DWORD clears;    // cleared after success
};

// In this order; bit 7 has no request and is never cleared.
constexpr ConfigRow kConfigRows[] = {
    {0x01, IOCTL_SPK_SET_MIXER_CONFIG, DeviceRole::SpeakerMixer, 0x01},
    {0x5E, IOCTL_SPK_SET_CORE_CONFIG, DeviceRole::SpeakerCore, 0x4E},
    {0x10, IOCTL_SPK_SET_WAVE_OPTION, DeviceRole::SpeakerWave, 0x10},
    {0x20, IOCTL_SPK_SET_MIXER_CONFIG_EX, DeviceRole::SpeakerMixer, 0x20},
};
constexpr DWORD kWaveOptionBit = 0x02;

HANDLE HandleOf(DeviceRole role) {
  auto& s = SpeakerModule();
  switch (role) {
    case DeviceRole::SpeakerMixer: return s.mixer;
    case DeviceRole::SpeakerWave: return s.wave;
    default: return s.core;
  }
}

}  // namespace

CSpeakerInterface::CSpeakerInterface() : m_bInitialized(0), m_hMutex(nullptr), m_hEvent(nullptr) {}

TQvRetCode CSpeakerInterface::Initialize(TAudioInfo* info, ULONG* deviceIdOut) {
  // An object initialises once: a second call would take a second reference its destructor never gives back.
  if (m_hMutex) return RET_FAILURE;
  auto& s = SpeakerModule();
  try {
    m_hMutex = CreateMutexA(nullptr, FALSE, kSpeakerMutexName);
    if (!m_hMutex) throw CExeption{kStageMutex};
    WaitAdjustingForAbandonment(m_hMutex);
    if (s.refCount == 0) OpenSpeakerChannels();
    ++s.refCount;
    if (deviceIdOut != nullptr) *deviceIdOut = s.speakerDeviceId;
    if (info != nullptr) {
      ULONG id = s.speakerDeviceId;
      if (!SendRequest(s.core, IOCTL_SPK_GET_CORE_INFO, &id, sizeof id, info->coreInfo, sizeof info->coreInfo))
        throw CExeption{kStageInfo};
      if (IsVxdClass(s.osClass) &&
          !SendRequest(s.mixer, IOCTL_SPK_GET_MIXER_INFO, &id, sizeof id, info->mixerInfo, sizeof info->mixerInfo))
        throw CExeption{kStageInfo};
    }
    m_hEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (!m_hEvent) throw CExeption{kStageEvent};
    const DWORD thread = GetCurrentThreadId();
    if (s.clients.Contains(thread, m_hEvent)) throw CExeption{kStageRegister};
    if (!s.clients.Append(CLIENTNODE{thread, m_hEvent, 0, nullptr})) throw CExeption{kStageRegister};
    ReleaseMutex(m_hMutex);
    m_bInitialized = 1;
    return RET_SUCCESS;
  } catch (CExeption failure) {
    switch (failure.m_stage) {
      case kStageMutex:
        break;
      case kStageDeviceId:
        CloseAndForget(s.wave);
        [[fallthrough]];
      case kStageWave:
        CloseAndForget(s.mixer);
        [[fallthrough]];
      case kStageMixer:
        CloseAndForget(s.core);
        [[fallthrough]];
      case kStageCore:
        ReleaseMutex(m_hMutex);
        CloseHandle(m_hMutex);
        m_hMutex = nullptr;
        break;
      default:
        // The reference, the handles and the mutex handle stay for the destructor.
        ReleaseMutex(m_hMutex);
        break;
    }
    return RET_FAILURE;
  }
}

CSpeakerInterface::~CSpeakerInterface() {
  if (!m_hMutex) return;
  auto& s = SpeakerModule();
  WaitAdjustingForAbandonment(m_hMutex);
  // An object destroyed on another thread than its own is found by its event, which no other
  // node holds: a node left behind would keep its slot and have a closed handle signalled.
  if (!s.clients.Remove(GetCurrentThreadId(), m_hEvent) && m_hEvent) s.clients.RemoveEvent(m_hEvent);
  if (m_hEvent) CloseHandle(m_hEvent);
  // Never below zero: an abandonment may already have taken this object's reference.
  if (s.refCount > 0) --s.refCount;
  if (s.refCount == 0) CloseSpeakerChannels();
  ReleaseMutex(m_hMutex);
  CloseHandle(m_hMutex);
}

TQvRetCode CSpeakerInterface::GetStatus(AUDIOSTATUS* status, ULONG deviceId) {
  if (!m_bInitialized) return RET_FAILURE;
  auto& s = SpeakerModule();
  if (deviceId == 0) deviceId = s.speakerDeviceId;
  WaitForSingleObject(m_hMutex, INFINITE);
  try {
    if (!SendRequest(s.core, IOCTL_SPK_GET_STATUS, &deviceId, sizeof deviceId, status, sizeof(AUDIOSTATUS)))
      throw CExeption{static_cast<LONG>(deviceId)};
    if ((status->statusFlags & 0x20) != 0 &&
        !SendRequest(s.mixer, IOCTL_SPK_GET_MIXER_STATUS, &deviceId, sizeof deviceId, status, 28))
      throw CExeption{static_cast<LONG>(deviceId)};
  } catch (CExeption) {
    ReleaseMutex(m_hMutex);
    return RET_FAILURE;
  }
  ReleaseMutex(m_hMutex);
  return RET_SUCCESS;
}

TQvRetCode CSpeakerInterface::SetConfig(AUDIOCONFIG* const config, ULONG deviceId) {
  if (!m_bInitialized) return RET_FAILURE;
  auto& s = SpeakerModule();
  if (deviceId == 0) deviceId = s.speakerDeviceId;
  WaitForSingleObject(m_hMutex, INFINITE);
  try {
    for (const auto& row : kConfigRows) {
      if ((config->changeMask & row.bits) == 0) continue;
      bool sent = false;
      if (row.code == IOCTL_SPK_SET_WAVE_OPTION) {
        DWORD option = config->options & kWaveOptionBit;
        sent = SendRequest(HandleOf(row.device), row.code, &option, sizeof option, nullptr, 0);
      } else {
        ULONG id = deviceId;
        sent = SendRequest(HandleOf(row.device), row.code, config, sizeof(AUDIOCONFIG), &id, sizeof id);
      }
      if (!sent) throw CExeption{static_cast<LONG>(deviceId)};
      config->changeMask &= ~row.clears;
    }
  } catch (CExeption) {
    ReleaseMutex(m_hMutex);
    return RET_FAILURE;
  }
  s.clients.ForEach([this](const CLIENTNODE& node) {
    if (node.hEvent != m_hEvent) SetEvent(node.hEvent);
  });
  ReleaseMutex(m_hMutex);
  return RET_SUCCESS;
}

TQvRetCode CSpeakerInterface::GetAudioInfo(TAudioInfo* info, ULONG deviceId) {
  if (!m_bInitialized) return RET_FAILURE;
  auto& s = SpeakerModule();
  if (deviceId == 0) deviceId = s.speakerDeviceId;
  if (!SendRequest(s.core, IOCTL_SPK_GET_CORE_INFO, nullptr, 0, info->coreInfo, sizeof info->coreInfo))
    return RET_FAILURE;
  return SendRequest(s.mixer, IOCTL_SPK_GET_MIXER_INFO, &deviceId, sizeof deviceId, info, sizeof(TAudioInfo))
             ? RET_SUCCESS
             : RET_FAILURE;
}

TQvRetCode CSpeakerInterface::GetNextDeviceID(ULONG* next, ULONG deviceId) {
  if (!m_bInitialized) return RET_FAILURE;
  return SendRequest(SpeakerModule().core, IOCTL_SPK_GET_NEXT_DEVICE_ID, &deviceId, sizeof deviceId, next,
                     sizeof(ULONG))
             ? RET_SUCCESS
             : RET_FAILURE;
}

TQvRetCode CSpeakerInterface::EnumerateDevices(ULONG* count) {
  if (!m_bInitialized) return RET_FAILURE;
  const HANDLE core = SpeakerModule().core;
  *count = 0;
  ULONG id = 0;
  if (!SendRequest(core, IOCTL_SPK_GET_NEXT_DEVICE_ID, nullptr, 0, &id, sizeof id)) return RET_FAILURE;
  while (id != 0) {
    ++*count;
    ULONG current = id;
    if (!SendRequest(core, IOCTL_SPK_GET_NEXT_DEVICE_ID, &current, sizeof current, &id, sizeof id)) return RET_FAILURE;
  }
  return RET_SUCCESS;
}
