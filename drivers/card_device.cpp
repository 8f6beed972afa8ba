#include "card_device.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>

#include <ombrin/devices.h>

#include "faults.h"

namespace ombrin::card {
namespace {

struct VersionDevices {
  machine::WindowsVersion version;
  std::vector<DeviceName> devices;
};

// Virtual device drivers on the 9x family, one per card function; a kernel driver with one
// device on NT 4.0 and on 2000 (whose driver XP also takes); nothing for NT 3.51.
const std::vector<VersionDevices>& deviceTable() {
  static const std::vector<DeviceName> vxds{
      {"qv10core.vxd", {Unit::Core}}, {"qv10mix.vxd", {Unit::Mixer}}, {"qv10wave.vxd", {Unit::Wave}}};
  static const std::vector<VersionDevices> table{
      {machine::WindowsVersion::Win95, vxds},
      {machine::WindowsVersion::Win98, vxds},
      {machine::WindowsVersion::WinMe, vxds},
      {machine::WindowsVersion::Nt351, {}},
      {machine::WindowsVersion::Nt4, {{"Qv55Mixer0", {Unit::Core, Unit::Mixer, Unit::Wave}}}},
      {machine::WindowsVersion::Win2000, {{"Dravel_10", {Unit::Core, Unit::Mixer, Unit::Wave}}}},
      {machine::WindowsVersion::WinXp, {{"Dravel_10", {Unit::Core, Unit::Mixer, Unit::Wave}}}},
  };
  return table;
}

class CardInstance : public devices::DeviceInstance {
 public:
  CardInstance(std::shared_ptr<CardStateFile> file, std::vector<Unit> units)
      : file_(std::move(file)), units_(std::move(units)) {}

  BOOL ioControl(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize, DWORD& bytesReturned,
                 DWORD& lastError) override {
    CardStateFile::Lock lock(*file_);
    return answerRequest(lock.state(), units_, code, in, inSize, out, outSize, bytesReturned, lastError);
  }

 private:
  std::shared_ptr<CardStateFile> file_;
  std::vector<Unit> units_;
};

class CardDriver : public devices::DeviceDriver {
 public:
  explicit CardDriver(std::vector<Unit> units) : units_(std::move(units)) {}

  std::unique_ptr<devices::DeviceInstance> open(DWORD /*access*/, DWORD /*shareMode*/, DWORD /*flags*/,
                                                DWORD& lastError) override {
    std::string error;
    auto file = currentCardState(error);
    if (!file) {
      std::fprintf(stderr, "ombrin: the card: %s\n", error.c_str());
      lastError = kErrorGenFailure;
      return nullptr;
    }
    {
      CardStateFile::Lock lock(*file);
      if (lock.state().absent != 0) {
        lastError = ERROR_FILE_NOT_FOUND;
        return nullptr;
      }
    }
    return std::make_unique<CardInstance>(std::move(file), units_);
  }

 private:
  std::vector<Unit> units_;
};

}  // namespace

std::vector<DeviceName> deviceNamesFor(machine::WindowsVersion version) {
  for (const auto& row : deviceTable())
    if (row.version == version) return row.devices;
  return {};
}

void registerCardDevices() {
  for (const auto& device : deviceNamesFor(machine::current().profile().windows))
    devices::registerDriver(device.name, std::make_shared<CardDriver>(device.units));
}

BOOL answerRequest(CardState& state, const std::vector<Unit>& units, DWORD code, const void* in, DWORD inSize,
                   void* out, DWORD outSize, DWORD& bytesReturned, DWORD& lastError) {
  bytesReturned = 0;
  auto failWith = [&](DWORD error) {
    lastError = error;
    return FALSE;
  };
  // A card taken out leaves its open handles talking to nothing.
  if (state.absent != 0) return failWith(kErrorNotConnected);
  const RequestRow* row = findRequest(code);
  if (row == nullptr || std::find(units.begin(), units.end(), row->unit) == units.end())
    return failWith(ERROR_INVALID_FUNCTION);
  if ((inSize != row->inputSize && inSize != row->otherInputSize) || (inSize != 0 && in == nullptr))
    return failWith(ERROR_INVALID_PARAMETER);
  if (outSize < row->outputSize || (row->outputSize != 0 && out == nullptr)) return failWith(ERROR_INSUFFICIENT_BUFFER);
  if (takeRequestFault(state, code)) return failWith(kErrorGenFailure);
  Buffers buffers{static_cast<const BYTE*>(in), inSize, static_cast<BYTE*>(out), outSize};
  if (!row->handler(state, buffers)) return failWith(buffers.error);
  bytesReturned = buffers.bytesReturned;
  lastError = 0;
  return TRUE;
}

}  // namespace ombrin::card
