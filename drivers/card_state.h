// The card's state as the hardware holds it: one copy per machine, shared by every process
// and kept until the machine restarts. It lives in a small mapped file in the machine's run/
// directory, which a restart empties, behind a process-shared lock that survives a holder's death.
#pragma once

#include <pthread.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include <win32/windows.h>

namespace ombrin::card {

constexpr int kBands = 10;
constexpr int kGains = 2 * kBands;          // left bands 0-9, then right bands 0-9
constexpr DWORD kOrdinarySets = 8;          // ordinary coefficient sets 0 to 7
constexpr DWORD kSpeakerCompensationSet = 0xFFFFFFFF;
constexpr DWORD kCoeffDataSize = 244;
constexpr int kRequestFaultSlots = 16;
constexpr DWORD kSpeakerDevices[] = {1, 2};  // the speaker outputs, in the order the core lists them
constexpr DWORD kAlways = 0xFFFFFFFF;       // a request fault that never runs out

// The driver's scale: gains are linear, with unity at the flat gain.
constexpr SHORT kFlatGain = 16022;
constexpr SHORT kMinGain = 4005;
constexpr SHORT kMaxGain = 32767;

// A coefficient set as the driver keeps it: its first 40 bytes are the 20 band gains
// (little-endian 16-bit), the rest the filter data derived from them.
struct CoeffSet {
  BYTE data[kCoeffDataSize];
};
static_assert(sizeof(CoeffSet) == 244);

SHORT gainOf(const CoeffSet& set, int entry);
void setGainOf(CoeffSet& set, int entry, SHORT gain);

struct RequestFault {
  DWORD code;       // 0: free slot
  DWORD remaining;  // failures left, or kAlways
};

struct CardState {
  std::uint32_t magic;
  std::uint32_t layout;
  pthread_mutex_t lock;

  // Equalizer.
  DWORD activeSet;
  DWORD bypass;
  CoeffSet sets[kOrdinarySets];
  CoeffSet compensation;

  // Speaker: the configuration parts last applied, and what the status reports of them.
  BYTE coreConfig[28];
  BYTE mixerConfig[28];
  BYTE mixerConfigEx[28];
  DWORD waveOption;
  DWORD configChanges;    // applied configuration requests since power-on
  DWORD mixerConfigured;  // the mixer has status to add

  // Scripted faults.
  RequestFault requestFaults[kRequestFaultSlots];
  LONG levelCount;             // numGains of band level replies (20 when sound)
  DWORD noSpeakerCompensation;
  DWORD absent;                // no card at all
};

// The state at power-on (the lock and the header are left alone).
void powerOn(CardState& state);
void clearFaults(CardState& state);

// The mapped state of the current machine.
class CardStateFile {
 public:
  // Maps run/card.state of the machine, creating it at power-on state; null with a message
  // when that is impossible.
  static std::shared_ptr<CardStateFile> open(const std::filesystem::path& runDir, std::string& error);
  ~CardStateFile();
  CardStateFile(const CardStateFile&) = delete;
  CardStateFile& operator=(const CardStateFile&) = delete;

  // Holds the card's lock for a scope.
  class Lock {
   public:
    explicit Lock(CardStateFile& file);
    ~Lock();
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;
    CardState& state() { return *state_; }

   private:
    CardState* state_;
  };

 private:
  explicit CardStateFile(CardState* state) : state_(state) {}
  CardState* state_;
};

// The state file of the current machine, mapped for this call's holder.
std::shared_ptr<CardStateFile> currentCardState(std::string& error);

}  // namespace ombrin::card
