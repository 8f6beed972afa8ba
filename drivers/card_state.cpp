#include "card_state.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include <ombrin/machine.h>


namespace fs = std::filesystem;

namespace ombrin::card {
namespace {

constexpr std::uint32_t kMagic = 0x51563130;  // "QV10"
constexpr std::uint32_t kLayout = 1 + sizeof(CardState);  // changes whenever the record does

// Band steps of the speaker compensation curve (per channel): a lift of the lows and the
// presence range that small desktop speakers lack.
constexpr int kCompensationSteps[kBands] = {8, 6, 4, 1, 0, -1, 0, 2, 3, 2};

SHORT defaultScaleGain(int step) {
  const int span = step >= 0 ? kMaxGain - kFlatGain : kFlatGain - kMinGain;
  return static_cast<SHORT>((step * span + 20 * kFlatGain) / 20);
}

void initialise(CardState& state) {
  std::memset(&state, 0, sizeof state);
  pthread_mutexattr_t attributes;
  pthread_mutexattr_init(&attributes);
  pthread_mutexattr_setpshared(&attributes, PTHREAD_PROCESS_SHARED);
  pthread_mutexattr_setrobust(&attributes, PTHREAD_MUTEX_ROBUST);
  pthread_mutex_init(&state.lock, &attributes);
  pthread_mutexattr_destroy(&attributes);
  powerOn(state);
  state.layout = kLayout;
  state.magic = kMagic;
}

}  // namespace

SHORT gainOf(const CoeffSet& set, int entry) {
  return static_cast<SHORT>(set.data[2 * entry] | (set.data[2 * entry + 1] << 8));
}

void setGainOf(CoeffSet& set, int entry, SHORT gain) {
  const auto bits = static_cast<USHORT>(gain);
  set.data[2 * entry] = static_cast<BYTE>(bits & 0xFF);
  set.data[2 * entry + 1] = static_cast<BYTE>(bits >> 8);
}

void powerOn(CardState& state) {
  state.activeSet = 0;
  state.bypass = 0;
  for (auto& set : state.sets) {
    std::memset(set.data, 0, sizeof set.data);
    for (int i = 0; i < kGains; ++i) setGainOf(set, i, kFlatGain);
  }
  std::memset(state.compensation.data, 0, sizeof state.compensation.data);
  for (int i = 0; i < kGains; ++i) setGainOf(state.compensation, i, defaultScaleGain(kCompensationSteps[i % kBands]));
  std::memset(state.coreConfig, 0, sizeof state.coreConfig);
  std::memset(state.mixerConfig, 0, sizeof state.mixerConfig);
  std::memset(state.mixerConfigEx, 0, sizeof state.mixerConfigEx);
  state.waveOption = 0;
  state.configChanges = 0;
  state.mixerConfigured = 0;
  clearFaults(state);
}

void clearFaults(CardState& state) {
  std::memset(state.requestFaults, 0, sizeof state.requestFaults);
  state.levelCount = kGains;
  state.noSpeakerCompensation = 0;
  state.absent = 0;
}

std::shared_ptr<CardStateFile> CardStateFile::open(const fs::path& runDir, std::string& error) {
  std::error_code ec;
  fs::create_directories(runDir, ec);
  const fs::path path = runDir / "card.state";
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) {
    error = "cannot open " + path.string() + ": " + std::strerror(errno);
    return nullptr;
  }
  // The first process to come creates the state; the file lock keeps a second from seeing it half made.
  ::flock(fd, LOCK_EX);
  struct stat info {};
  bool fresh = ::fstat(fd, &info) != 0 || info.st_size != static_cast<off_t>(sizeof(CardState));
  if (fresh && ::ftruncate(fd, sizeof(CardState)) != 0) {
    error = "cannot size " + path.string() + ": " + std::strerror(errno);
    ::flock(fd, LOCK_UN);
    ::close(fd);
    return nullptr;
  }
  void* mapped = ::mmap(nullptr, sizeof(CardState), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  if (mapped == MAP_FAILED) {
    error = "cannot map " + path.string() + ": " + std::strerror(errno);
    ::flock(fd, LOCK_UN);
    ::close(fd);
    return nullptr;
  }
  auto* state = static_cast<CardState*>(mapped);
  if (fresh || state->magic != kMagic || state->layout != kLayout) initialise(*state);
  ::flock(fd, LOCK_UN);
  ::close(fd);
  return std::shared_ptr<CardStateFile>(new CardStateFile(state));
}

CardStateFile::~CardStateFile() { ::munmap(state_, sizeof(CardState)); }

CardStateFile::Lock::Lock(CardStateFile& file) : state_(file.state_) {
  // A process that died holding the lock left a state whose every field is still whole
  // (each change is a few word writes), so it is taken over as it is.
  if (pthread_mutex_lock(&state_->lock) == EOWNERDEAD) pthread_mutex_consistent(&state_->lock);
}

CardStateFile::Lock::~Lock() { pthread_mutex_unlock(&state_->lock); }

std::shared_ptr<CardStateFile> currentCardState(std::string& error) {
  return CardStateFile::open(machine::current().runDir(), error);
}

}  // namespace ombrin::card
