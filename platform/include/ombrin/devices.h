// The \\.\NAME device namespace and the driver interface behind DeviceIoControl.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <win32/windef.h>

namespace ombrin::machine {
class Machine;
}

namespace ombrin::devices {

// One open handle to a device.
class DeviceInstance {
 public:
  virtual ~DeviceInstance() = default;
  // Returns TRUE or FALSE like DeviceIoControl; on FALSE, `lastError` is what GetLastError reports.
  virtual BOOL ioControl(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize,
                         DWORD& bytesReturned, DWORD& lastError) = 0;
};

// A driver offering one device name. open() gets CreateFileA's access, share mode and flags;
// returning null fails the open with `lastError`.
class DeviceDriver {
 public:
  virtual ~DeviceDriver() = default;
  virtual std::unique_ptr<DeviceInstance> open(DWORD access, DWORD shareMode, DWORD flags, DWORD& lastError) = 0;
};

// CreateFileA hands every "\\.\NAME" path here: finds the driver (loading the installed
// card's drivers first if the profile has the card), opens it with the caller's access, share
// mode and flags, and returns a kernel handle; INVALID_HANDLE_VALUE with the last error set
// (ERROR_FILE_NOT_FOUND when no such device exists).
HANDLE openDevice(std::string_view name, DWORD access, DWORD shareMode, DWORD flags);

// Registers a driver under a name (without the \\.\ prefix, matched without case). A later
// registration of the same name replaces the earlier one.
void registerDriver(std::string_view name, std::shared_ptr<DeviceDriver> driver);
void unregisterDriver(std::string_view name);
std::shared_ptr<DeviceDriver> findDriver(std::string_view name);

// Loads the machine's installed drivers (the simulated card when the profile has one)
// the first time a device is opened. Tests that install fake devices call this with false
// to keep the installed drivers out.
void setLoadInstalledDrivers(bool load);

// Loads the installed card's drivers now if the profile has the card and they are not loaded yet
// (openDevice does this by itself); false with a message when the module cannot be used.
bool loadInstalledDrivers(std::string& error);

// The names of every registered device, sorted without case (installed drivers included once loaded).
std::vector<std::string> deviceNames();

// What a restart of the machine does to this process's devices (ExitWindowsEx calls it after
// emptying run/): every registered driver is forgotten and the installed ones load afresh at the
// next open; handles already open keep their instance. Drivers that keep a per-process view of
// the machine's volatile state register a hook to drop it.
void restart();
void onRestart(void (*hook)());

// The installed card's drivers live in a module of their own, libombrin_card.so beside the
// platform library, which exports (extern "C"):
//   void OmbrinCardRegisterDrivers();          registers the card's devices for the current machine
//   bool OmbrinCardProvision(const char* machineRoot, char* error, unsigned errorSize);
//                                               lays down what the installed editions leave behind
// The machine calls the second when it creates a machine whose profile has editions.
bool provisionInstalledCard(const machine::Machine& machine, std::string& error);

// A scriptable in-process device for tests: records every request and answers from a script.
// Thread-safe: a program's worker thread and window thread may send requests at once. Records
// stay readable after the device is unregistered, and open handles outlive the FakeDevice object.
class FakeDevice : public DeviceDriver {
 public:
  struct Request {
    DWORD code;
    std::vector<BYTE> input;
    DWORD outputSize;
  };
  struct Answer {
    BOOL result = TRUE;
    std::vector<BYTE> output;  // copied into the output buffer (at most outputSize bytes)
    DWORD lastError = 0;
    DWORD bytesReturned = 0xFFFFFFFF;  // default: the bytes copied
  };
  struct Open {
    DWORD access;
    DWORD shareMode;
    DWORD flags;
  };

  FakeDevice();

  std::unique_ptr<DeviceInstance> open(DWORD access, DWORD shareMode, DWORD flags, DWORD& lastError) override;

  // Answers for a code, used in order; the last one repeats. Without one: TRUE, the whole output
  // buffer zeroed and reported as returned.
  void script(DWORD code, std::vector<Answer> answers);
  // Fails every open with this error (0: opens succeed).
  void failOpen(DWORD error);

  // Copies, so a test may look while other threads still send requests.
  std::vector<Request> requests() const;
  std::vector<Open> opens() const;
  int openHandles() const;
  void clearRecords();

  struct State;  // shared with the open instances

 private:
  std::shared_ptr<State> state_;
};
}  // namespace ombrin::devices
