// The equalizer interface: gains, bypass, coefficient sets and band levels.
#include <algorithm>
#include <cstring>

#include <Qv10DAL.h>

#include "band_levels.h"
#include "band_table.h"
#include "driver_channel.h"
#include "eq_state.h"
#include "requests.h"

using namespace qv10dal;

namespace {

// Stage codes of Init.
constexpr LONG kStageOpen = 1;
constexpr LONG kStageDriverAnswer = 3;

void FillPropertyRequest(_propertyRequest& request) {
  request.kind = kPropertyKind;
  request.reserved = 0;
  request.selector = kBypassProperty;
  request.propSize = kPropertyValueSize;
}

bool SpeakerCompensationActive() { return EqModule().activeSet.load(std::memory_order_relaxed) > kHighestOrdinarySet; }

// The entries a driver reply may fill: never beyond the 20 the record holds.
ULONG ValidEntries(ULONG numGains) { return std::min<ULONG>(numGains, kGainEntries); }

}  // namespace

extern "C" const char BandRange[10] = "BandRange";

int CEqDriverInterface::Init(ULONG* /*reserved*/) {
  auto& m = EqModule();
  try {
    // A second Init reuses the buffers and replaces the handle instead of leaking them.
    if (m.propertyRequest == nullptr) m.propertyRequest = new _propertyRequest{};
    if (m.propertyReply == nullptr) m.propertyReply = new _propertyReply{};
    if (m.equalizer != INVALID_HANDLE_VALUE) {
      CloseClient(m.equalizer);
      m.equalizer = INVALID_HANDLE_VALUE;
    }

    OsClass osClass = OS_UNSUPPORTED;
    if (!GetOsClass(osClass)) throw CExeption{kStageOpen};
    m.osClass = osClass;
    if (osClass == OS_UNSUPPORTED) return 0;
    m.equalizer = OpenDriverDevice(osClass, DeviceRole::Equalizer);
    if (m.equalizer == INVALID_HANDLE_VALUE) throw CExeption{kStageOpen};
    m.bandTable.key = BandTableKey(osClass);

    LoadBandTable(m.bandTable);

    FillPropertyRequest(*m.propertyRequest);
    if (!SendRequest(m.equalizer, IOCTL_GET_PROPERTY, m.propertyRequest, sizeof(_propertyRequest), m.propertyReply,
                     sizeof(_propertyReply)))
      throw CExeption{kStageDriverAnswer};
    if (m.propertyReply->propSize != kPropertyValueSize) throw CExeption{kStageDriverAnswer};
    m.bypass = static_cast<int>(m.propertyReply->propValue);

    ULONG active = m.activeSet;
    if (GetActiveCoeffSet(active, 0) != RET_SUCCESS) throw CExeption{kStageDriverAnswer};
    m.activeSet = active;
    return 1;
  } catch (CExeption) {
    // What was acquired stays until the destructor.
    return 0;
  }
}

int CEqDriverInterface::SetBandGain(const _bandGain* gain, ULONG /*deviceId*/) {
  if (SpeakerCompensationActive()) return 0;
  if (gain->band >= kBandCount) return 0;
  _bandGain copy;
  std::memcpy(&copy, gain, sizeof copy);
  const int entry = copy.channel == 1 ? copy.band + kBandCount : copy.band;
  copy.gain = ToDriverGain(EqModule().bandTable, copy.gain, entry);
  // The driver's own success value goes back to the caller.
  return SendRequest(EqModule().equalizer, IOCTL_EQ_SET_BAND_GAIN, &copy, sizeof copy, nullptr, 0);
}

int CEqDriverInterface::SetArrayBandGain(const _arrayBandGain* gains, ULONG /*deviceId*/) {
  if (SpeakerCompensationActive()) return 0;
  _arrayBandGain copy;
  std::memcpy(&copy, gains, sizeof copy);
  for (int i = 0; i < kGainEntries; ++i) copy.gain[i] = ToDriverGain(EqModule().bandTable, copy.gain[i], i);
  return SendRequest(EqModule().equalizer, IOCTL_EQ_SET_ALL_GAINS, &copy, sizeof copy, nullptr, 0);
}

int CEqDriverInterface::GetArrayBandGains(_arrayBandGain* const gains, ULONG /*deviceId*/) {
  if (!SendRequest(EqModule().equalizer, IOCTL_EQ_GET_ALL_GAINS, nullptr, 0, gains, sizeof(_arrayBandGain)))
    return 0;
  const ULONG count = ValidEntries(gains->numGains);
  for (ULONG i = 0; i < count; ++i) gains->gain[i] = ToBandStep(EqModule().bandTable, gains->gain[i], static_cast<int>(i));
  return 1;
}

int CEqDriverInterface::GetRegBandValues(USHORT* values, ULONG /*unused*/, ULONG /*deviceId*/) {
  _arrayBandGain gains{};
  gains.numGains = kGainEntries;
  if (!SendRequest(EqModule().equalizer, IOCTL_EQ_GET_ALL_GAINS, nullptr, 0, &gains, sizeof gains)) return 0;
  const ULONG count = ValidEntries(gains.numGains);
  for (ULONG i = 0; i < count; ++i) {
    gains.gain[i] = ToBandStep(EqModule().bandTable, gains.gain[i], static_cast<int>(i));
    values[i] = static_cast<USHORT>(gains.gain[i]);
  }
  return 1;
}

int CEqDriverInterface::GetArrayBandGain(_arrayBandGain* const levels, ULONG /*deviceId*/) {
  auto& m = EqModule();
  if (m.bypass.load(std::memory_order_relaxed) != 0) return 1;
  if (!SendRequest(m.equalizer, IOCTL_EQ_GET_BAND_LEVELS, nullptr, 0, levels, sizeof(_arrayBandGain))) return 0;
  if (levels->numGains != kGainEntries) return 0;
  for (auto& level : levels->gain) level = LevelToBandStep(level, m.bandTable.range);
  return 1;
}

int CEqDriverInterface::SetBypass(int bypass, ULONG /*deviceId*/) {
  auto& m = EqModule();
  // Before Init or after the destructor there are no property buffers to send.
  if (m.propertyRequest == nullptr || m.propertyReply == nullptr) return 0;
  FillPropertyRequest(*m.propertyRequest);
  m.propertyRequest->propValue = bypass != 0 ? 1 : 0;
  if (!SendRequest(m.equalizer, IOCTL_SET_PROPERTY, m.propertyRequest, sizeof(_propertyRequest), m.propertyReply,
                   sizeof(_propertyReply)))
    return 0;
  m.bypass = bypass;
  return 1;
}

int CEqDriverInterface::GetBypass(ULONG /*deviceId*/) { return EqModule().bypass; }

TQvRetCode CEqDriverInterface::SetActiveCoeffSet(const ULONG& setNumber, ULONG deviceId) {
  if (setNumber > kHighestOrdinarySet) return RET_INVALID_COEFF_SET;
  ULONG number = setNumber;
  if (!SendRequest(EqModule().equalizer, IOCTL_EQ_SET_ACTIVE_COEFF_SET, &number, sizeof number, &deviceId,
                   sizeof deviceId))
    return RET_FAILURE;
  EqModule().activeSet = number;
  return RET_SUCCESS;
}

TQvRetCode CEqDriverInterface::GetActiveCoeffSet(ULONG& setNumber, ULONG deviceId) {
  return SendRequest(EqModule().equalizer, IOCTL_EQ_GET_ACTIVE_COEFF_SET, &deviceId, sizeof deviceId, &setNumber,
                     sizeof setNumber)
             ? RET_SUCCESS
             : RET_FAILURE;
}

TQvRetCode CEqDriverInterface::SetCoeffSetData(const _qvxxEqCoeffSet* set, ULONG deviceId) {
  if (set->setNumber > kHighestOrdinarySet) return RET_INVALID_COEFF_SET;
  return SendRequest(EqModule().equalizer, IOCTL_EQ_SET_COEFF_SET_DATA, const_cast<_qvxxEqCoeffSet*>(set),
                     sizeof(_qvxxEqCoeffSet), &deviceId, sizeof deviceId)
             ? RET_SUCCESS
             : RET_FAILURE;
}

TQvRetCode CEqDriverInterface::GetCoeffSetData(_qvxxEqCoeffSet* const set, ULONG deviceId) {
  if (set->setNumber > kHighestOrdinarySet) return RET_INVALID_COEFF_SET;
  return SendRequest(EqModule().equalizer, IOCTL_EQ_GET_COEFF_SET_DATA, &deviceId, sizeof deviceId, set,
                     sizeof(_qvxxEqCoeffSet))
             ? RET_SUCCESS
             : RET_FAILURE;
}

TQvRetCode CEqDriverInterface::SetActiveCoeffSetData(const _qvxxEqCoeffSet* set, ULONG deviceId) {
  if (SpeakerCompensationActive()) return RET_INVALID_COEFF_SET;
  return SendRequest(EqModule().equalizer, IOCTL_EQ_SET_ACTIVE_COEFF_SET_DATA, const_cast<_qvxxEqCoeffSet*>(set),
                     sizeof(_qvxxEqCoeffSet), &deviceId, sizeof deviceId)
             ? RET_SUCCESS
             : RET_FAILURE;
}

TQvRetCode CEqDriverInterface::GetActiveCoeffSetData(_qvxxEqCoeffSet* const set, ULONG deviceId) {
  return SendRequest(EqModule().equalizer, IOCTL_EQ_GET_ACTIVE_COEFF_SET_DATA, &deviceId, sizeof deviceId, set,
                     sizeof(_qvxxEqCoeffSet))
             ? RET_SUCCESS
             : RET_FAILURE;
}

TQvRetCode CEqDriverInterface::SetSpeakerCompensationCoeffSetActive(ULONG deviceId) {
  ULONG number = kSpeakerCompensationSet;
  if (!SendRequest(EqModule().equalizer, IOCTL_EQ_SET_ACTIVE_COEFF_SET, &number, sizeof number, &deviceId,
                   sizeof deviceId))
    return RET_FAILURE;
  EqModule().activeSet = kSpeakerCompensationSet;
  return RET_SUCCESS;
}

TQvRetCode CEqDriverInterface::GetNextDeviceID(ULONG* /*next*/, ULONG /*deviceId*/) { return RET_NOT_SUPPORTED; }

CEqDriverInterface::~CEqDriverInterface() {
  auto& m = EqModule();
  if (m.equalizer != INVALID_HANDLE_VALUE) {
    CloseClient(m.equalizer);
    // Later calls then fail at the driver instead of reaching a closed handle's successor.
    m.equalizer = INVALID_HANDLE_VALUE;
  }
  delete m.propertyRequest;
  delete m.propertyReply;
  m.propertyRequest = nullptr;
  m.propertyReply = nullptr;
}
