// Mutexes within one process: ownership and its recursion count, release by a non-owner,
// abandonment by a thread that ends holding one, and the answers of waits and bad handles.
#include <atomic>
#include <thread>

#include <gtest/gtest.h>

#include <temp_machine.h>
#include <win32/winbase.h>

namespace {

class SyncMutexTest : public ombrin::test::MachineTest {};

// Runs `body` on a thread of its own and waits for it.
template <typename Body>
void onOtherThread(Body body) {
  std::thread(body).join();
}

TEST_F(SyncMutexTest, RecursiveOwnershipCountsAsWindows) {
  HANDLE mutex = CreateMutexA(nullptr, TRUE, nullptr);
  ASSERT_TRUE(mutex);
  // Owned once by creation; each wait adds one, each release takes one away.
  struct Step {
    const char* what;
    bool wait;
    DWORD expected;  // wait result, or TRUE/FALSE of the release
  } steps[] = {
      {"wait while owning", true, WAIT_OBJECT_0},  {"wait again", true, WAIT_OBJECT_0},
      {"release 3 -> 2", false, TRUE},             {"release 2 -> 1", false, TRUE},
      {"release 1 -> 0", false, TRUE},             {"release unowned", false, FALSE},
  };
  for (const auto& step : steps) {
    if (step.wait)
      EXPECT_EQ(WaitForSingleObject(mutex, 0), step.expected) << step.what;
    else
      EXPECT_EQ(ReleaseMutex(mutex), static_cast<BOOL>(step.expected)) << step.what;
  }
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_OWNER));

  DWORD fromOther = 0;
  onOtherThread([&] {
    fromOther = WaitForSingleObject(mutex, 0);
    ReleaseMutex(mutex);
  });
  EXPECT_EQ(fromOther, WAIT_OBJECT_0) << "released for good after the last release";
  CloseHandle(mutex);
}

TEST_F(SyncMutexTest, OnlyTheOwnerReleasesAndOthersTimeOut) {
  HANDLE mutex = CreateMutexA(nullptr, TRUE, nullptr);
  ASSERT_TRUE(mutex);
  BOOL released = TRUE;
  DWORD error = 0, zeroWait = 0, shortWait = 0;
  onOtherThread([&] {
    SetLastError(0);
    released = ReleaseMutex(mutex);
    error = GetLastError();
    zeroWait = WaitForSingleObject(mutex, 0);
    shortWait = WaitForSingleObject(mutex, 20);
  });
  EXPECT_FALSE(released);
  EXPECT_EQ(error, static_cast<DWORD>(ERROR_NOT_OWNER));
  EXPECT_EQ(zeroWait, WAIT_TIMEOUT);
  EXPECT_EQ(shortWait, WAIT_TIMEOUT);
  EXPECT_TRUE(ReleaseMutex(mutex));
  CloseHandle(mutex);
}

TEST_F(SyncMutexTest, ThreadEndingWhileOwningAbandonsTheMutex) {
  HANDLE mutex = CreateMutexA(nullptr, FALSE, nullptr);
  ASSERT_TRUE(mutex);
  onOtherThread([&] {
    ASSERT_EQ(WaitForSingleObject(mutex, INFINITE), WAIT_OBJECT_0);
    ASSERT_EQ(WaitForSingleObject(mutex, INFINITE), WAIT_OBJECT_0);  // owned twice, released never
  });
  EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_ABANDONED);
  EXPECT_TRUE(ReleaseMutex(mutex)) << "the waiter that saw the abandonment owns it";
  EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_OBJECT_0) << "abandonment is reported once";
  EXPECT_TRUE(ReleaseMutex(mutex));
  CloseHandle(mutex);
}

TEST_F(SyncMutexTest, ClosingTheLastHandleOfAnOwnedMutexEndsIt) {
  HANDLE mutex = CreateMutexA(nullptr, TRUE, "closed while owned");
  ASSERT_TRUE(mutex);
  EXPECT_TRUE(CloseHandle(mutex));
  DWORD createError = 0, fromOther = 0;
  onOtherThread([&] {
    HANDLE again = CreateMutexA(nullptr, FALSE, "closed while owned");
    createError = GetLastError();
    fromOther = WaitForSingleObject(again, 0);
    ReleaseMutex(again);
    CloseHandle(again);
  });
  EXPECT_EQ(createError, static_cast<DWORD>(ERROR_SUCCESS)) << "the name is free again";
  EXPECT_EQ(fromOther, WAIT_OBJECT_0) << "a fresh mutex, not the one still owned";
}

TEST_F(SyncMutexTest, WrongHandlesFail) {
  HANDLE mutex = CreateMutexA(nullptr, FALSE, nullptr);
  HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  ASSERT_TRUE(mutex && event);
  struct Case {
    const char* what;
    bool (*call)(HANDLE mutex, HANDLE event);
  } cases[] = {
      {"wait on a value no table issued",
       [](HANDLE, HANDLE) { return WaitForSingleObject(HANDLE{0x7FF0}, 0) == WAIT_FAILED; }},
      {"wait on the null handle", [](HANDLE, HANDLE) { return WaitForSingleObject(HANDLE{}, 0) == WAIT_FAILED; }},
      {"release an event", [](HANDLE, HANDLE e) { return ReleaseMutex(e) == FALSE; }},
      {"set a mutex", [](HANDLE m, HANDLE) { return SetEvent(m) == FALSE; }},
      {"reset a mutex", [](HANDLE m, HANDLE) { return ResetEvent(m) == FALSE; }},
      {"suspend a mutex", [](HANDLE m, HANDLE) { return SuspendThread(m) == static_cast<DWORD>(-1); }},
      {"resume an event", [](HANDLE, HANDLE e) { return ResumeThread(e) == static_cast<DWORD>(-1); }},
  };
  for (const auto& c : cases) {
    SetLastError(0);
    EXPECT_TRUE(c.call(mutex, event)) << c.what;
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE)) << c.what;
  }
  CloseHandle(mutex);
  EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_FAILED) << "a closed handle";
  CloseHandle(event);
}

}  // namespace
