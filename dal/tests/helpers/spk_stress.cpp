// Objects on threads of their own change the speaker configuration and read the status in turn.
// Every change is four driver requests; a status read between two of them (another process's
// change broken up) shows a change count that is not a multiple of four.
//   spk_stress OBJECTS ITERATIONS  ->  "ok MILLISECONDS" or what went wrong; exit 0 when sound
#include <atomic>
#include <barrier>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include <Qv10DAL.h>

namespace {

DWORD changeCount(const AUDIOSTATUS& status) {
  DWORD count = 0;
  // With the mixer's status leading the record, the change count still sits at bytes 32-35.
  std::memcpy(&count, reinterpret_cast<const BYTE*>(&status) + 32, sizeof count);
  return count;
}

}  // namespace

int main(int argc, char** argv) {
  const int objects = argc > 1 ? std::atoi(argv[1]) : 8;
  const int iterations = argc > 2 ? std::atoi(argv[2]) : 1000;
  std::atomic<int> failures{0}, brokenChanges{0}, missedNotifications{0};
  std::barrier done(objects);
  std::atomic<bool> lastChangeMade{false};
  const auto start = std::chrono::steady_clock::now();

  std::vector<std::thread> threads;
  for (int t = 0; t < objects; ++t) {
    threads.emplace_back([&, t] {
      CSpeakerInterface speaker;
      if (speaker.Initialize(nullptr, nullptr) != RET_SUCCESS) {
        ++failures;
        done.arrive_and_drop();
        return;
      }
      for (int i = 0; i < iterations; ++i) {
        AUDIOCONFIG config{};
        config.changeMask = 0x3F;
        config.options = static_cast<ULONG>(i) & 0x02;
        std::memset(config.driverData1, t, sizeof config.driverData1);
        AUDIOSTATUS status{};
        if (speaker.SetConfig(&config, 0) != RET_SUCCESS || config.changeMask != 0) ++failures;
        if (speaker.GetStatus(&status, 0) != RET_SUCCESS) ++failures;
        if (changeCount(status) % 4 != 0) ++brokenChanges;
      }
      // Everyone is done; one more change must reach every other object of this process.
      done.arrive_and_wait();
      WaitForSingleObject(speaker.GetChangeEvent(), 0);
      done.arrive_and_wait();
      if (t == 0) {
        AUDIOCONFIG config{};
        config.changeMask = 0x80;
        if (speaker.SetConfig(&config, 0) != RET_SUCCESS) ++failures;
        lastChangeMade = true;
      } else if (WaitForSingleObject(speaker.GetChangeEvent(), 10000) != WAIT_OBJECT_0) {
        ++missedNotifications;
      }
      done.arrive_and_wait();
    });
  }
  for (auto& thread : threads) thread.join();
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
  if (failures || brokenChanges || missedNotifications || !lastChangeMade) {
    std::printf("failures %d, broken changes %d, missed notifications %d\n", failures.load(), brokenChanges.load(),
                missedNotifications.load());
    return 1;
  }
  std::printf("ok %lld\n", static_cast<long long>(ms));
  return 0;
}
