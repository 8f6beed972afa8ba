// Threads: the suspend count as Windows keeps it, a thread created suspended, suspension
// honoured at waits, the pseudo handle of the calling thread, exit codes and thread waits.
#include <atomic>

#include <gtest/gtest.h>

#include <temp_machine.h>
#include <win32/winbase.h>

namespace {

class ThreadTest : public ombrin::test::MachineTest {};

struct Counter {
  std::atomic<int> passes{0};
  std::atomic<bool> stop{false};
};

DWORD WINAPI countOnce(LPVOID parameter) {
  ++static_cast<Counter*>(parameter)->passes;
  return 7;
}

DWORD WINAPI countUntilStopped(LPVOID parameter) {
  auto* counter = static_cast<Counter*>(parameter);
  while (!counter->stop) {
    Sleep(1);
    ++counter->passes;
  }
  return 0;
}

TEST_F(ThreadTest, SuspendCountOfAThreadCreatedSuspended) {
  Counter counter;
  DWORD id = 0;
  HANDLE thread = CreateThread(nullptr, 0, countOnce, &counter, CREATE_SUSPENDED, &id);
  ASSERT_TRUE(thread);
  EXPECT_NE(id, 0u);
  EXPECT_NE(id, GetCurrentThreadId());
  struct Step {
    bool suspend;
    DWORD previous;  // what the call returns: the count before it
  } steps[] = {{true, 1}, {true, 2}, {false, 3}, {false, 2}};
  for (const auto& step : steps)
    EXPECT_EQ(step.suspend ? SuspendThread(thread) : ResumeThread(thread), step.previous);

  EXPECT_EQ(WaitForSingleObject(thread, 50), WAIT_TIMEOUT) << "still suspended once";
  EXPECT_EQ(counter.passes, 0) << "a suspended thread never started";
  DWORD code = 0;
  EXPECT_TRUE(GetExitCodeThread(thread, &code));
  EXPECT_EQ(code, static_cast<DWORD>(STILL_ACTIVE));

  EXPECT_EQ(ResumeThread(thread), 1u);
  EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
  EXPECT_EQ(counter.passes, 1);
  EXPECT_TRUE(GetExitCodeThread(thread, &code));
  EXPECT_EQ(code, 7u);
  EXPECT_EQ(ResumeThread(thread), 0u) << "resuming a thread that is not suspended changes nothing";
  EXPECT_EQ(SuspendThread(thread), static_cast<DWORD>(-1)) << "an ended thread cannot be suspended";
  EXPECT_TRUE(CloseHandle(thread));
}

TEST_F(ThreadTest, SuspendCountHasTheWindowsLimit) {
  Counter counter;
  HANDLE thread = CreateThread(nullptr, 0, countOnce, &counter, CREATE_SUSPENDED, nullptr);
  ASSERT_TRUE(thread);
  for (DWORD count = 1; count < MAXIMUM_SUSPEND_COUNT; ++count) ASSERT_EQ(SuspendThread(thread), count);
  SetLastError(0);
  EXPECT_EQ(SuspendThread(thread), static_cast<DWORD>(-1));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SIGNAL_REFUSED));
  for (DWORD count = MAXIMUM_SUSPEND_COUNT; count > 0; --count) ASSERT_EQ(ResumeThread(thread), count);
  EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
  CloseHandle(thread);
}

TEST_F(ThreadTest, ASuspendedThreadStopsAtItsNextWait) {
  Counter counter;
  HANDLE thread = CreateThread(nullptr, 0, countUntilStopped, &counter, 0, nullptr);
  ASSERT_TRUE(thread);
  while (counter.passes < 3) Sleep(1);
  EXPECT_EQ(SuspendThread(thread), 0u);
  int atSuspend = counter.passes;
  EXPECT_EQ(WaitForSingleObject(thread, 50), WAIT_TIMEOUT);
  EXPECT_LE(counter.passes, atSuspend + 1) << "at most the pass that was under way";
  int whileSuspended = counter.passes;
  EXPECT_EQ(ResumeThread(thread), 1u);
  while (counter.passes <= whileSuspended) Sleep(1);
  counter.stop = true;
  EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
  CloseHandle(thread);
}

TEST_F(ThreadTest, PseudoHandleOfTheCallingThread) {
  HANDLE self = GetCurrentThread();
  EXPECT_EQ(self.value, 0xFFFFFFFEu);
  EXPECT_TRUE(SetThreadPriority(self, THREAD_PRIORITY_BELOW_NORMAL));
  EXPECT_EQ(ResumeThread(self), 0u);
  DWORD code = 0;
  EXPECT_TRUE(GetExitCodeThread(self, &code));
  EXPECT_EQ(code, static_cast<DWORD>(STILL_ACTIVE));
  EXPECT_EQ(WaitForSingleObject(self, 0), WAIT_TIMEOUT) << "a running thread is not signalled";

  // A thread that suspends itself stops inside SuspendThread until another resumes it.
  HANDLE thread = CreateThread(
      nullptr, 0, [](LPVOID) -> DWORD { return SuspendThread(GetCurrentThread()) + 100; }, nullptr, 0, nullptr);
  ASSERT_TRUE(thread);
  DWORD previous;
  while ((previous = ResumeThread(thread)) == 0) Sleep(1);
  EXPECT_EQ(previous, 1u);
  EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
  EXPECT_TRUE(GetExitCodeThread(thread, &code));
  EXPECT_EQ(code, 100u) << "SuspendThread returned the count before it";
  CloseHandle(thread);
}

TEST_F(ThreadTest, BadArgumentsLeaveOutParametersAlone) {
  DWORD code = 0xDEADBEEF;
  SetLastError(0);
  EXPECT_FALSE(GetExitCodeThread(HANDLE{0x7FF0}, &code));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(code, 0xDEADBEEFu);

  DWORD id = 0xDEADBEEF;
  SetLastError(0);
  EXPECT_FALSE(CreateThread(nullptr, 0, nullptr, nullptr, 0, &id));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(id, 0xDEADBEEFu);

  EXPECT_FALSE(SetThreadPriority(GetCurrentThread(), 7));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(ThreadTest, InterlockedOperationsReturnWhatWindowsReturns) {
  LONG value = 5;
  EXPECT_EQ(InterlockedIncrement(&value), 6);
  EXPECT_EQ(InterlockedDecrement(&value), 5);
  EXPECT_EQ(InterlockedExchange(&value, 9), 5);
  EXPECT_EQ(InterlockedExchangeAdd(&value, 3), 9);
  EXPECT_EQ(InterlockedCompareExchange(&value, 1, 99), 12) << "no match: unchanged";
  EXPECT_EQ(InterlockedCompareExchange(&value, 1, 12), 12);
  EXPECT_EQ(value, 1);
}

}  // namespace
