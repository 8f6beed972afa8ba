// The speaker interface across processes: the named mutex abandoned by a process killed while
// holding it, and several processes changing the configuration of the simulated card at once.
#include <thread>

#include "speaker_fixture.h"

using namespace speaker_test;

namespace {

std::string helper(const char* name) { return (ombrin::test::buildDir() / "tests" / name).string(); }

TEST(SpeakerAbandonment, TheNextInitializeGivesUpTheReferenceTheDeadHolderLeft) {
  SpeakerFake fake;
  CSpeakerInterface first;
  ASSERT_EQ(first.Initialize(nullptr, nullptr), RET_SUCCESS);
  auto holder = ombrin::test::run({helper("spk_mutex_holder")});
  ASSERT_EQ(holder.exitCode, 128 + SIGKILL) << holder.err;
  fake.clear();
  {
    CSpeakerInterface second;
    // Abandoned: the count drops from 1 to 0, so the channels are taken up again (the handles
    // are still open, so only the identifier is asked for).
    ASSERT_EQ(second.Initialize(nullptr, nullptr), RET_SUCCESS);
    EXPECT_EQ(SpeakerFake::sent(*fake.core), (std::vector<Sent>{{kGetNextDeviceId, {}, 4}}));
    EXPECT_TRUE(fake.core->opens().empty());
    fake.clear();
  }
  // The count was 1 again: this destructor ended the channels.
  EXPECT_EQ(SpeakerFake::sent(*fake.core), (std::vector<Sent>{{kCloseClient, {}, 0}}));
  EXPECT_EQ(fake.openHandles(), 0);
}

TEST(SpeakerProcesses, TwoProcessesOfEightObjectsChangeTheCardWithoutInterleaving) {
  ombrin::test::TempMachine machine;  // the simulated card
  ombrin::test::RunResult results[2];
  std::thread first([&] { results[0] = ombrin::test::run({helper("spk_stress"), "8", "100"}); });
  std::thread second([&] { results[1] = ombrin::test::run({helper("spk_stress"), "8", "100"}); });
  first.join();
  second.join();
  for (const auto& result : results) {
    EXPECT_EQ(result.exitCode, 0) << result.out << result.err;
    EXPECT_EQ(result.out.rfind("ok ", 0), 0u) << result.out;
  }
}

}  // namespace
