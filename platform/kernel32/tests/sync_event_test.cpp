// Events: reset modes, initial states, and a waiting thread woken by another.
#include <thread>

#include <gtest/gtest.h>

#include <temp_machine.h>
#include <win32/winbase.h>

namespace {

class SyncEventTest : public ombrin::test::MachineTest {};

TEST_F(SyncEventTest, ResetModesAndInitialStates) {
  // Operations on a fresh event, and what a zero wait sees after each.
  enum Op { Wait, Set, Reset };
  struct Case {
    const char* what;
    BOOL manual;
    BOOL initial;
    std::vector<std::pair<Op, DWORD>> steps;  // for Wait: the expected result
  } cases[] = {
      {"auto, not signalled", FALSE, FALSE, {{Wait, WAIT_TIMEOUT}, {Set, 0}, {Wait, WAIT_OBJECT_0}, {Wait, WAIT_TIMEOUT}}},
      {"auto, signalled", FALSE, TRUE, {{Wait, WAIT_OBJECT_0}, {Wait, WAIT_TIMEOUT}}},
      {"auto, set twice lets one through", FALSE, FALSE, {{Set, 0}, {Set, 0}, {Wait, WAIT_OBJECT_0}, {Wait, WAIT_TIMEOUT}}},
      {"manual, not signalled", TRUE, FALSE, {{Wait, WAIT_TIMEOUT}, {Set, 0}, {Wait, WAIT_OBJECT_0}, {Wait, WAIT_OBJECT_0}}},
      {"manual, signalled then reset", TRUE, TRUE, {{Wait, WAIT_OBJECT_0}, {Reset, 0}, {Wait, WAIT_TIMEOUT}}},
      {"auto, reset clears a set", FALSE, FALSE, {{Set, 0}, {Reset, 0}, {Wait, WAIT_TIMEOUT}}},
  };
  for (const auto& c : cases) {
    HANDLE event = CreateEventA(nullptr, c.manual, c.initial, nullptr);
    ASSERT_TRUE(event) << c.what;
    int index = 0;
    for (const auto& [op, expected] : c.steps) {
      if (op == Wait) {
        EXPECT_EQ(WaitForSingleObject(event, 0), expected) << c.what << ", step " << index;
      } else if (op == Set) {
        EXPECT_TRUE(SetEvent(event)) << c.what;
      } else {
        EXPECT_TRUE(ResetEvent(event)) << c.what;
      }
      ++index;
    }
    CloseHandle(event);
  }
}

TEST_F(SyncEventTest, WaitTimesOutThenAnotherThreadWakesIt) {
  HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  ASSERT_TRUE(event);
  EXPECT_EQ(WaitForSingleObject(event, 30), WAIT_TIMEOUT);
  std::thread setter([&] {
    Sleep(10);
    SetEvent(event);
  });
  EXPECT_EQ(WaitForSingleObject(event, INFINITE), WAIT_OBJECT_0);
  setter.join();
  CloseHandle(event);
}

TEST_F(SyncEventTest, ManualEventReleasesEveryWaiter) {
  HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  ASSERT_TRUE(event);
  std::vector<DWORD> results(4, WAIT_FAILED);
  std::vector<std::thread> waiters;
  for (auto& result : results) waiters.emplace_back([&] { result = WaitForSingleObject(event, INFINITE); });
  SetEvent(event);
  for (auto& waiter : waiters) waiter.join();
  for (DWORD result : results) EXPECT_EQ(result, WAIT_OBJECT_0);
  CloseHandle(event);
}

}  // namespace
