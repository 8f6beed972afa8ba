// The scriptable in-process device that tests put where the card's drivers would be.
#include <algorithm>
#include <cstring>
#include <mutex>

#include <ombrin/devices.h>

namespace ombrin::devices {

struct FakeDevice::State {
  std::mutex mutex;
  std::vector<Request> requests;
  std::vector<Open> opens;
  struct Script {
    DWORD code;
    std::vector<Answer> answers;
    std::size_t next = 0;
  };
  std::vector<Script> scripts;
  DWORD openError = 0;
  int openHandles = 0;

  BOOL answer(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize, DWORD& bytesReturned,
              DWORD& lastError) {
    std::lock_guard lock(mutex);
    const auto* bytes = static_cast<const BYTE*>(in);
    requests.push_back({code, in ? std::vector<BYTE>(bytes, bytes + inSize) : std::vector<BYTE>{}, outSize});
    auto script = std::find_if(scripts.begin(), scripts.end(), [&](const Script& s) { return s.code == code; });
    if (script == scripts.end() || script->answers.empty()) {
      if (out != nullptr && outSize != 0) std::memset(out, 0, outSize);
      bytesReturned = out != nullptr ? outSize : 0;
      return TRUE;
    }
    const Answer& a = script->answers[script->next];
    if (script->next + 1 < script->answers.size()) ++script->next;
    DWORD copied = 0;
    if (out != nullptr) {
      copied = static_cast<DWORD>(std::min<std::size_t>(a.output.size(), outSize));
      if (copied != 0) std::memcpy(out, a.output.data(), copied);
    }
    bytesReturned = a.bytesReturned == 0xFFFFFFFF ? copied : a.bytesReturned;
    lastError = a.lastError;
    return a.result;
  }
};

namespace {

class FakeInstance : public DeviceInstance {
 public:
  explicit FakeInstance(std::shared_ptr<FakeDevice::State> state) : state_(std::move(state)) {}
  ~FakeInstance() override {
    std::lock_guard lock(state_->mutex);
    --state_->openHandles;
  }
  FakeInstance(const FakeInstance&) = delete;
  FakeInstance& operator=(const FakeInstance&) = delete;

  BOOL ioControl(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize, DWORD& bytesReturned,
                 DWORD& lastError) override {
    return state_->answer(code, in, inSize, out, outSize, bytesReturned, lastError);
  }

 private:
  std::shared_ptr<FakeDevice::State> state_;
};

}  // namespace

FakeDevice::FakeDevice() : state_(std::make_shared<State>()) {}

std::unique_ptr<DeviceInstance> FakeDevice::open(DWORD access, DWORD shareMode, DWORD flags, DWORD& lastError) {
  std::lock_guard lock(state_->mutex);
  state_->opens.push_back({access, shareMode, flags});
  if (state_->openError != 0) {
    lastError = state_->openError;
    return nullptr;
  }
  ++state_->openHandles;
  return std::make_unique<FakeInstance>(state_);
}

void FakeDevice::script(DWORD code, std::vector<Answer> answers) {
  std::lock_guard lock(state_->mutex);
  for (auto& s : state_->scripts) {
    if (s.code == code) {
      s.answers = std::move(answers);
      s.next = 0;
      return;
    }
  }
  state_->scripts.push_back({code, std::move(answers), 0});
}

void FakeDevice::failOpen(DWORD error) {
  std::lock_guard lock(state_->mutex);
  state_->openError = error;
}

std::vector<FakeDevice::Request> FakeDevice::requests() const {
  std::lock_guard lock(state_->mutex);
  return state_->requests;
}

std::vector<FakeDevice::Open> FakeDevice::opens() const {
  std::lock_guard lock(state_->mutex);
  return state_->opens;
}

int FakeDevice::openHandles() const {
  std::lock_guard lock(state_->mutex);
  return state_->openHandles;
}

void FakeDevice::clearRecords() {
  std::lock_guard lock(state_->mutex);
  state_->requests.clear();
  state_->opens.clear();
}

}  // namespace ombrin::devices
