// Driver access library of the Ombrin card: the equalizer and speaker interfaces, their
// records and result codes. Records are the buffers of the drivers' I/O control requests,
// so each keeps its documented size.
#pragma once

#include <win32/windows.h>

#if defined(QV10DAL_BUILD)
#define QV10DAL_API __attribute__((visibility("default")))
#else
#define QV10DAL_API
#endif

// Result of the functions declared to return it.
enum TQvRetCode : DWORD {
  RET_FAILURE = 0,
  RET_SUCCESS = 1,
  RET_NOT_SUPPORTED = 2,
  RET_INVALID_COEFF_SET = 5,
};
static_assert(sizeof(TQvRetCode) == 4);

// The gain of one band of one channel.
struct _bandGain {
  USHORT band;         // 0 to 9
  BYTE reserved1[2];   // sent as the caller left them
  ULONG channel;       // 1 = right; any other value = left
  SHORT gain;          // band steps from the caller, driver gain in the request
  BYTE reserved2[2];
};
static_assert(sizeof(_bandGain) == 12);
static_assert(offsetof(_bandGain, channel) == 4 && offsetof(_bandGain, gain) == 8);

// All bands of both channels: entries 0-9 left, 10-19 right.
struct _arrayBandGain {
  ULONG numGains;
  SHORT gain[20];
};
static_assert(sizeof(_arrayBandGain) == 44);
static_assert(offsetof(_arrayBandGain, gain) == 4);

// One coefficient set of the driver; coeffData belongs to the driver.
struct _qvxxEqCoeffSet {
  ULONG setNumber;
  BYTE coeffData[244];
};
static_assert(sizeof(_qvxxEqCoeffSet) == 248);

// Audio information of the speaker devices.
struct TAudioInfo {
  BYTE coreInfo[268];
  BYTE mixerInfo[392];
};
static_assert(sizeof(TAudioInfo) == 660);
static_assert(offsetof(TAudioInfo, mixerInfo) == 268);

// Speaker status; with bit 5 of statusFlags the mixer's 28 bytes lead the record.
struct AUDIOSTATUS {
  ULONG statusFlags;
  BYTE driverData[36];
};
static_assert(sizeof(AUDIOSTATUS) == 40);

// Speaker configuration; the low byte of changeMask says which parts to apply.
struct AUDIOCONFIG {
  ULONG changeMask;
  BYTE driverData1[8];
  ULONG options;  // bit 1: the option sent to the wave device
  BYTE driverData2[12];
};
static_assert(sizeof(AUDIOCONFIG) == 28);
static_assert(offsetof(AUDIOCONFIG, options) == 12);

// The name of the registry value holding the band range.
extern "C" QV10DAL_API const char BandRange[10];

// The card's hardware graphic equalizer. Everything is static: the library keeps its state per
// process, and the one object a program creates releases that state when it is destroyed.
class QV10DAL_API CEqDriverInterface {
 public:
  // Unwinds an operation to its clean-up; never leaves the library.
  class CExeption {
   public:
    LONG m_stage;
  };

  static int Init(ULONG* reserved);

  static int SetBandGain(const _bandGain* gain, ULONG deviceId);
  static int SetArrayBandGain(const _arrayBandGain* gains, ULONG deviceId);
  static int GetArrayBandGains(_arrayBandGain* const gains, ULONG deviceId);
  static int GetRegBandValues(USHORT* values, ULONG unused, ULONG deviceId);
  static int GetArrayBandGain(_arrayBandGain* const levels, ULONG deviceId);

  static int SetBypass(int bypass, ULONG deviceId);
  static int GetBypass(ULONG deviceId);

  static TQvRetCode SetActiveCoeffSet(const ULONG& setNumber, ULONG deviceId);
  static TQvRetCode GetActiveCoeffSet(ULONG& setNumber, ULONG deviceId);
  static TQvRetCode SetCoeffSetData(const _qvxxEqCoeffSet* set, ULONG deviceId);
  static TQvRetCode GetCoeffSetData(_qvxxEqCoeffSet* const set, ULONG deviceId);
  static TQvRetCode SetActiveCoeffSetData(const _qvxxEqCoeffSet* set, ULONG deviceId);
  static TQvRetCode GetActiveCoeffSetData(_qvxxEqCoeffSet* const set, ULONG deviceId);
  static TQvRetCode SetSpeakerCompensationCoeffSetActive(ULONG deviceId);
  static TQvRetCode GetNextDeviceID(ULONG* next, ULONG deviceId);

  static int GetRegBandQuantity(ULONG* quantity, ULONG deviceId);
  static int GetRegBandRange(ULONG* range, ULONG deviceId);
  static int SetRegBandValues(const USHORT* values, ULONG count, ULONG deviceId);

  ~CEqDriverInterface();
};

// The card's speaker configuration, for programs outside the system. All objects of all
// processes serialise on one named mutex.
class QV10DAL_API CSpeakerInterface {
 public:
  class CExeption {
   public:
    LONG m_stage;
  };

  CSpeakerInterface();
  ~CSpeakerInterface();
  CSpeakerInterface(const CSpeakerInterface&) = delete;
  CSpeakerInterface& operator=(const CSpeakerInterface&) = delete;

  TQvRetCode Initialize(TAudioInfo* info, ULONG* deviceIdOut);
  TQvRetCode GetStatus(AUDIOSTATUS* status, ULONG deviceId);
  TQvRetCode SetConfig(AUDIOCONFIG* const config, ULONG deviceId);
  TQvRetCode GetAudioInfo(TAudioInfo* info, ULONG deviceId);
  TQvRetCode GetNextDeviceID(ULONG* next, ULONG deviceId);
  TQvRetCode EnumerateDevices(ULONG* count);

  // The event this object is told of configuration changes by: another object of the process
  // signals it after a successful SetConfig. Auto-reset, so one wait takes one or more changes;
  // null until Initialize has created it. The object owns it: wait on it, never close it.
  HANDLE GetChangeEvent() const { return m_hEvent; }

 private:
  int m_bInitialized;
  HANDLE m_hMutex;
  HANDLE m_hEvent;
};
