#include <dlfcn.h>

#include <cstring>
#include <thread>

#include <gtest/gtest.h>

#include <ombrin/devices.h>
#include <ombrin/handles.h>
#include <ombrin/trace.h>
#include <win32/windows.h>

#include "temp_machine.h"

using namespace ombrin;
using devices::FakeDevice;

namespace {

constexpr DWORD kSetGain = CTL_CODE(FILE_DEVICE_SOUND, 0x996, METHOD_BUFFERED, FILE_ANY_ACCESS);
constexpr DWORD kGetGains = CTL_CODE(FILE_DEVICE_SOUND, 0x9B4, METHOD_BUFFERED, FILE_ANY_ACCESS);
constexpr DWORD kSentinel = 0xDEADBEEF;

// As the driver access library opens its devices.
HANDLE openAsTheLibraryDoes(const char* name) {
  return CreateFileA(name, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, FILE_FLAG_DELETE_ON_CLOSE,
                     HANDLE{});
}

class Devices : public test::MachineTest {
 protected:
  Devices() {
    devices::setLoadInstalledDrivers(false);
    devices::registerDriver("qv10core.vxd", fake_);
  }
  std::shared_ptr<FakeDevice> fake_ = std::make_shared<FakeDevice>();
};

TEST_F(Devices, OpenFindsTheDriverWithoutCaseAndPassesCreateFileArguments) {
  struct Case {
    const char* name;
    DWORD error;  // 0: opens
  } cases[] = {
      {"\\\\.\\qv10core.vxd", 0}, {"\\\\.\\QV10CORE.VXD", 0}, {"qv10Core.vxd", 0},
      {"\\\\.\\qv10mix.vxd", ERROR_FILE_NOT_FOUND}, {"\\\\.\\", ERROR_FILE_NOT_FOUND},
  };
  for (const auto& c : cases) {
    SetLastError(kSentinel);
    HANDLE h = c.name[0] == '\\' ? openAsTheLibraryDoes(c.name)
                                  : devices::openDevice(c.name, 0, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                        FILE_FLAG_DELETE_ON_CLOSE);
    if (c.error == 0) {
      ASSERT_NE(h, INVALID_HANDLE_VALUE) << c.name;
      EXPECT_TRUE(h) << c.name;
      CloseHandle(h);
    } else {
      EXPECT_EQ(h, INVALID_HANDLE_VALUE) << c.name;
      EXPECT_EQ(GetLastError(), c.error) << c.name;
    }
  }
  auto opens = fake_->opens();
  ASSERT_EQ(opens.size(), 3u);
  EXPECT_EQ(opens[0].access, 0u);
  EXPECT_EQ(opens[0].shareMode, DWORD{FILE_SHARE_READ | FILE_SHARE_WRITE});
  EXPECT_EQ(opens[0].flags, FILE_FLAG_DELETE_ON_CLOSE);
}

TEST_F(Devices, DriverRefusingTheOpenGivesItsError) {
  fake_->failOpen(ERROR_ACCESS_DENIED);
  EXPECT_EQ(devices::openDevice("\\\\.\\qv10core.vxd", 0, 0, 0), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), DWORD{ERROR_ACCESS_DENIED});
  EXPECT_EQ(fake_->openHandles(), 0);
}

TEST_F(Devices, InstanceClosesWithItsLastHandle) {
  HANDLE a = devices::openDevice("qv10core.vxd", 0, 0, 0);
  HANDLE b = devices::openDevice("qv10core.vxd", 0, 0, 0);
  EXPECT_NE(a, b);
  EXPECT_EQ(fake_->openHandles(), 2);
  CloseHandle(a);
  EXPECT_EQ(fake_->openHandles(), 1);
  // The driver going away does not pull the instance from under an open handle.
  devices::unregisterDriver("QV10CORE.VXD");
  DWORD bytes = kSentinel;
  EXPECT_TRUE(DeviceIoControl(b, kSetGain, nullptr, 0, nullptr, 0, &bytes, nullptr));
  CloseHandle(b);
  EXPECT_EQ(fake_->openHandles(), 0);
  EXPECT_EQ(devices::openDevice("qv10core.vxd", 0, 0, 0), INVALID_HANDLE_VALUE);
}

TEST_F(Devices, RequestsAreRecordedAndAnsweredFromTheScriptInOrder) {
  fake_->script(kGetGains, {{TRUE, {1, 2, 3, 4}}, {FALSE, {9}, ERROR_NOT_READY, 7}, {TRUE, {5, 6}}});
  HANDLE h = devices::openDevice("qv10core.vxd", 0, 0, 0);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);

  struct Step {
    DWORD outSize;
    BOOL result;
    DWORD error;
    DWORD bytes;
    std::vector<BYTE> out;  // the output buffer afterwards (0xAA: untouched)
  } steps[] = {
      {4, TRUE, kSentinel, 4, {1, 2, 3, 4}},
      {4, FALSE, ERROR_NOT_READY, 7, {9, 0xAA, 0xAA, 0xAA}},
      {1, TRUE, kSentinel, 1, {5}},              // never more than the buffer holds
      {4, TRUE, kSentinel, 2, {5, 6, 0xAA, 0xAA}},  // the last answer repeats
  };
  BYTE in[3] = {7, 8, 9};
  for (const auto& s : steps) {
    std::vector<BYTE> out(s.outSize, 0xAA);
    DWORD bytes = kSentinel;
    SetLastError(kSentinel);
    EXPECT_EQ(DeviceIoControl(h, kGetGains, in, sizeof in, out.data(), s.outSize, &bytes, nullptr), s.result);
    EXPECT_EQ(GetLastError(), s.error);
    EXPECT_EQ(bytes, s.bytes);
    EXPECT_EQ(out, s.out);
  }
  // A code without a script succeeds with the output zeroed.
  std::vector<BYTE> out(8, 0xAA);
  DWORD bytes = kSentinel;
  EXPECT_TRUE(DeviceIoControl(h, kSetGain, nullptr, 0, out.data(), 8, &bytes, nullptr));
  EXPECT_EQ(bytes, 8u);
  EXPECT_EQ(out, std::vector<BYTE>(8, 0));

  auto requests = fake_->requests();
  ASSERT_EQ(requests.size(), 5u);
  EXPECT_EQ(requests[0].code, kGetGains);
  EXPECT_EQ(requests[0].input, (std::vector<BYTE>{7, 8, 9}));
  EXPECT_EQ(requests[2].outputSize, 1u);
  EXPECT_EQ(requests[4].code, kSetGain);
  EXPECT_TRUE(requests[4].input.empty());
  CloseHandle(h);
}

TEST_F(Devices, DeviceIoControlRefusesWhatIsNoDeviceOrNoBuffer) {
  HANDLE device = openAsTheLibraryDoes("\\\\.\\qv10core.vxd");
  HANDLE file = CreateFileA("C:\\WINDOWS\\SYSTEM.INI", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                            HANDLE{});
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  HANDLE mutex = CreateMutexA(nullptr, FALSE, nullptr);
  HANDLE closed = openAsTheLibraryDoes("\\\\.\\qv10core.vxd");
  CloseHandle(closed);
  BYTE buffer[4] = {};
  DWORD bytes = kSentinel;
  struct Case {
    const char* what;
    HANDLE handle;
    LPVOID in;
    DWORD inSize;
    LPVOID out;
    DWORD outSize;
    LPDWORD bytesReturned;
    DWORD error;
  } cases[] = {
      {"file", file, buffer, 4, buffer, 4, &bytes, ERROR_INVALID_FUNCTION},
      {"mutex", mutex, buffer, 4, buffer, 4, &bytes, ERROR_INVALID_HANDLE},
      {"closed handle", closed, buffer, 4, buffer, 4, &bytes, ERROR_INVALID_HANDLE},
      {"null handle", HANDLE{}, buffer, 4, buffer, 4, &bytes, ERROR_INVALID_HANDLE},
      {"invalid handle value", INVALID_HANDLE_VALUE, buffer, 4, buffer, 4, &bytes, ERROR_INVALID_HANDLE},
      {"no byte count", device, buffer, 4, buffer, 4, nullptr, ERROR_INVALID_PARAMETER},
      {"input missing", device, nullptr, 4, buffer, 4, &bytes, ERROR_NOACCESS},
      {"output missing", device, buffer, 4, nullptr, 4, &bytes, ERROR_NOACCESS},
  };
  for (const auto& c : cases) {
    SetLastError(kSentinel);
    EXPECT_FALSE(DeviceIoControl(c.handle, kSetGain, c.in, c.inSize, c.out, c.outSize, c.bytesReturned, nullptr))
        << c.what;
    EXPECT_EQ(GetLastError(), c.error) << c.what;
    EXPECT_EQ(bytes, kSentinel) << c.what;
  }
  EXPECT_TRUE(fake_->requests().empty());
  CloseHandle(device);
  CloseHandle(file);
  CloseHandle(mutex);
}

TEST_F(Devices, TraceShowsCodeSizesAndResult) {
  ::setenv("OMBRIN_TRACE", "ioctl", 1);
  trace::reset();
  fake_->script(kGetGains, {{FALSE, {}, ERROR_NOT_READY}});
  testing::internal::CaptureStderr();
  HANDLE h = openAsTheLibraryDoes("\\\\.\\qv10core.vxd");
  BYTE gain[12] = {};
  BYTE gains[44];
  DWORD bytes = 0;
  DeviceIoControl(h, kSetGain, gain, sizeof gain, nullptr, 0, &bytes, nullptr);
  DeviceIoControl(h, kGetGains, nullptr, 0, gains, sizeof gains, &bytes, nullptr);
  std::string err = testing::internal::GetCapturedStderr();
  ::unsetenv("OMBRIN_TRACE");
  trace::reset();
  EXPECT_NE(err.find("trace:ioctl:open \\\\.\\qv10core.vxd"), std::string::npos) << err;
  EXPECT_NE(err.find("qv10core.vxd, 0x001d2658, in=12, out=0) -> TRUE bytes=0"), std::string::npos) << err;
  EXPECT_NE(err.find("qv10core.vxd, 0x001d26d0, in=0, out=44) -> FALSE bytes=0 error=21"), std::string::npos) << err;
  CloseHandle(h);
}

TEST_F(Devices, ConcurrentCallersAreAllRecorded) {
  fake_->script(kGetGains, {{TRUE, {1, 2, 3, 4}}});
  HANDLE h = devices::openDevice("qv10core.vxd", 0, 0, 0);
  constexpr int kPerThread = 500;
  auto sender = [&](DWORD code) {
    for (int i = 0; i < kPerThread; ++i) {
      BYTE out[4];
      DWORD bytes = 0;
      EXPECT_TRUE(DeviceIoControl(h, code, nullptr, 0, out, sizeof out, &bytes, nullptr));
    }
  };
  std::thread window(sender, kSetGain);
  std::thread refresh(sender, kGetGains);
  window.join();
  refresh.join();
  EXPECT_EQ(fake_->requests().size(), 2u * kPerThread);
  CloseHandle(h);
}

TEST_F(Devices, RestartForgetsRegisteredDriversButNotOpenHandles) {
  HANDLE h = devices::openDevice("qv10core.vxd", 0, 0, 0);
  devices::registerDriver("\\\\.\\Dravel_10", std::make_shared<FakeDevice>());
  EXPECT_EQ(devices::deviceNames(), (std::vector<std::string>{"Dravel_10", "qv10core.vxd"}));
  devices::restart();
  EXPECT_TRUE(devices::deviceNames().empty());
  DWORD bytes = 0;
  EXPECT_TRUE(DeviceIoControl(h, kSetGain, nullptr, 0, nullptr, 0, &bytes, nullptr));
  CloseHandle(h);
}

TEST(InstalledDrivers, CardModuleLoadsAtTheFirstOpenOfACardMachine) {
  test::TempMachine m;
  auto fake = std::make_shared<FakeDevice>();
  devices::registerDriver("test-device", fake);
  EXPECT_EQ(devices::openDevice("\\\\.\\no-such-device", 0, 0, 0), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), DWORD{ERROR_FILE_NOT_FOUND});
  EXPECT_NE(::dlopen("libombrin_card.so", RTLD_NOW | RTLD_NOLOAD), nullptr);
  // The card's own drivers come in beside those already registered.
  HANDLE h = devices::openDevice("\\\\.\\TEST-DEVICE", 0, 0, 0);
  EXPECT_NE(h, INVALID_HANDLE_VALUE);
  CloseHandle(h);
}

TEST(InstalledDrivers, MachineWithoutCardOffersNoDevices) {
  test::TempMachine m(machine::WindowsVersion::Win98, {});
  std::string error;
  EXPECT_TRUE(devices::loadInstalledDrivers(error)) << error;
  EXPECT_TRUE(devices::deviceNames().empty());
  EXPECT_EQ(devices::openDevice("\\\\.\\qv10core.vxd", 0, 0, 0), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), DWORD{ERROR_FILE_NOT_FOUND});
}

TEST(InstalledDrivers, ResetForgetsTheFakesOfTheLastMachine) {
  {
    test::TempMachine m;
    devices::setLoadInstalledDrivers(false);
    devices::registerDriver("qv10core.vxd", std::make_shared<FakeDevice>());
  }
  test::TempMachine next(machine::WindowsVersion::Win98, {});
  EXPECT_EQ(devices::findDriver("qv10core.vxd"), nullptr);
}

}  // namespace
