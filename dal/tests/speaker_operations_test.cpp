// SetConfig, GetStatus, GetAudioInfo, the device identifiers and change notification.
#include <cstring>
#include <functional>

#include "speaker_fixture.h"

using namespace speaker_test;

namespace {

AUDIOCONFIG configWithMask(DWORD mask, DWORD options = 0x03) {
  AUDIOCONFIG config;
  std::memset(&config, 0x11, sizeof config);
  config.changeMask = mask;
  config.options = options;
  return config;
}

Bytes configBytes(AUDIOCONFIG config, DWORD maskAtTheTime) {
  config.changeMask = maskAtTheTime;
  auto* p = reinterpret_cast<const BYTE*>(&config);
  return Bytes(p, p + sizeof config);
}

// On NT the one device shows every request in order.
class SpeakerReady : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(speaker_.Initialize(nullptr, nullptr), RET_SUCCESS);
    fake_.clear();
  }
  SpeakerFake fake_{WindowsVersion::Nt4};
  CSpeakerInterface speaker_;
};

struct MaskCase {
  const char* name;
  DWORD mask;
  const char* failing;  // the request that fails, or null
  TQvRetCode result;
  std::vector<std::pair<DWORD, DWORD>> requests;  // code and the mask its record carried (wave: option)
  DWORD maskAfter;
};
void PrintTo(const MaskCase& c, std::ostream* os) { *os << c.name; }

class SetConfigMasks : public SpeakerReady, public ::testing::WithParamInterface<MaskCase> {};

TEST_P(SetConfigMasks, SendTheirRowsAndClearWhatWasApplied) {
  const auto& c = GetParam();
  if (c.failing) fake_.core->script(kSetMixerConfigEx, {{FALSE, {}, 31}});
  CSpeakerInterface other;
  ASSERT_EQ(other.Initialize(nullptr, nullptr), RET_SUCCESS);
  fake_.clear();
  AUDIOCONFIG config = configWithMask(c.mask);
  EXPECT_EQ(speaker_.SetConfig(&config, 0), c.result);
  EXPECT_EQ(config.changeMask, c.maskAfter);
  std::vector<Sent> expected;
  for (auto [code, mask] : c.requests) {
    if (code == kSetWaveOption)
      expected.push_back({code, le32(mask), 0});
    else
      expected.push_back({code, configBytes(configWithMask(c.mask), mask), 4});
  }
  EXPECT_EQ(SpeakerFake::sent(*fake_.core), expected);
  // Only a complete change is announced, and never to the changer itself.
  EXPECT_EQ(WaitForSingleObject(other.GetChangeEvent(), 0), c.result == RET_SUCCESS ? WAIT_OBJECT_0 : WAIT_TIMEOUT);
  EXPECT_EQ(WaitForSingleObject(speaker_.GetChangeEvent(), 0), WAIT_TIMEOUT);
}

INSTANTIATE_TEST_SUITE_P(
    ChangeMaskTable, SetConfigMasks,
    ::testing::Values(
        MaskCase{"Mixer", 0x01, nullptr, RET_SUCCESS, {{kSetMixerConfig, 0x01}}, 0x00},
        // Bit 4 belongs to the core row too, which does not clear it; the wave row then does.
        MaskCase{"Wave", 0x10, nullptr, RET_SUCCESS, {{kSetCoreConfig, 0x10}, {kSetWaveOption, 0x02}}, 0x00},
        MaskCase{"BitSevenOnly", 0x80, nullptr, RET_SUCCESS, {}, 0x80},
        MaskCase{"Everything", 0x7F, nullptr, RET_SUCCESS,
                 {{kSetMixerConfig, 0x7F}, {kSetCoreConfig, 0x7E}, {kSetWaveOption, 0x02}, {kSetMixerConfigEx, 0x20}},
                 0x00},
        MaskCase{"HighBitsUntouched", 0xABCD0102, nullptr, RET_SUCCESS, {{kSetCoreConfig, 0xABCD0102}}, 0xABCD0100},
        MaskCase{"MixerExFails", 0x7F, "ex", RET_FAILURE,
                 {{kSetMixerConfig, 0x7F}, {kSetCoreConfig, 0x7E}, {kSetWaveOption, 0x02}, {kSetMixerConfigEx, 0x20}},
                 0x20}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

TEST(SpeakerDevices, OnWindows98EachRequestGoesToItsDevice) {
  SpeakerFake fake;
  CSpeakerInterface speaker;
  ASSERT_EQ(speaker.Initialize(nullptr, nullptr), RET_SUCCESS);
  fake.clear();
  AUDIOCONFIG config = configWithMask(0x33, 0xFFFFFFFD);
  ASSERT_EQ(speaker.SetConfig(&config, 0), RET_SUCCESS);
  // The speaker device's identifier replaces 0 as the output of the write requests.
  const AUDIOCONFIG original = configWithMask(0x33, 0xFFFFFFFD);
  EXPECT_EQ(SpeakerFake::sent(*fake.mixer), (std::vector<Sent>{{kSetMixerConfig, configBytes(original, 0x33), 4},
                                                               {kSetMixerConfigEx, configBytes(original, 0x20), 4}}));
  EXPECT_EQ(SpeakerFake::sent(*fake.core), (std::vector<Sent>{{kSetCoreConfig, configBytes(original, 0x32), 4}}));
  // Only bit 1 of the options travels.
  EXPECT_EQ(SpeakerFake::sent(*fake.wave), (std::vector<Sent>{{kSetWaveOption, le32(0), 0}}));
}

Bytes statusReply(DWORD flags, BYTE fill) {
  Bytes reply = le32(flags);
  reply.resize(40, fill);
  return reply;
}

TEST_F(SpeakerReady, GetStatusAsksTheMixerOnlyWhenBitFiveSaysSo) {
  fake_.core->script(kGetStatus, {{TRUE, statusReply(0x01, 0xAA)}, {TRUE, statusReply(0x21, 0xAA)}});
  Bytes mixerStatus = le32(0x40);
  mixerStatus.resize(28, 0xBB);
  fake_.core->script(kGetMixerStatus, {{TRUE, mixerStatus}});
  AUDIOSTATUS status{};
  ASSERT_EQ(speaker_.GetStatus(&status, 0), RET_SUCCESS);
  EXPECT_EQ(SpeakerFake::sent(*fake_.core), (std::vector<Sent>{{kGetStatus, le32(0), 40}}));
  EXPECT_EQ(status.statusFlags, 0x01u);
  fake_.clear();
  ASSERT_EQ(speaker_.GetStatus(&status, 9), RET_SUCCESS);
  EXPECT_EQ(SpeakerFake::sent(*fake_.core), (std::vector<Sent>{{kGetStatus, le32(9), 40}, {kGetMixerStatus, le32(9), 28}}));
  // The mixer's 28 bytes lead the record, flags included.
  EXPECT_EQ(status.statusFlags, 0x40u);
  EXPECT_EQ(status.driverData[23], 0xBB);
  EXPECT_EQ(status.driverData[24], 0xAA);
}

TEST_F(SpeakerReady, AFailedStatusRequestFailsAndReleasesTheMutex) {
  fake_.core->script(kGetStatus, {{FALSE, {}, 31}, {TRUE, statusReply(0x01, 0)}});
  AUDIOSTATUS status{};
  EXPECT_EQ(speaker_.GetStatus(&status, 0), RET_FAILURE);
  // Another object can still take the mutex.
  CSpeakerInterface other;
  EXPECT_EQ(other.Initialize(nullptr, nullptr), RET_SUCCESS);
  EXPECT_EQ(other.GetStatus(&status, 0), RET_SUCCESS);
}

TEST_F(SpeakerReady, GetAudioInfoAsksTheOneDeviceForBothParts) {
  TAudioInfo info{};
  ASSERT_EQ(speaker_.GetAudioInfo(&info, 5), RET_SUCCESS);
  EXPECT_EQ(SpeakerFake::sent(*fake_.core), (std::vector<Sent>{{kGetCoreInfo, {}, 268}, {kGetMixerInfo, le32(5), 660}}));
}

TEST_F(SpeakerReady, EnumerateDevicesWalksTheIdentifiersToZero) {
  fake_.core->script(kGetNextDeviceId, {{TRUE, le32(7)}, {TRUE, le32(9)}, {TRUE, le32(0)}});
  ULONG count = 99;
  ASSERT_EQ(speaker_.EnumerateDevices(&count), RET_SUCCESS);
  EXPECT_EQ(count, 2u);
  EXPECT_EQ(SpeakerFake::sent(*fake_.core),
            (std::vector<Sent>{{kGetNextDeviceId, {}, 4}, {kGetNextDeviceId, le32(7), 4}, {kGetNextDeviceId, le32(9), 4}}));
}

TEST_F(SpeakerReady, AFailingWalkKeepsTheCountSoFar) {
  fake_.core->script(kGetNextDeviceId, {{TRUE, le32(7)}, {FALSE, {}, 31}});
  ULONG count = 99;
  EXPECT_EQ(speaker_.EnumerateDevices(&count), RET_FAILURE);
  EXPECT_EQ(count, 1u);
}

TEST_F(SpeakerReady, GetNextDeviceIdSendsTheIdentifierUnchanged) {
  fake_.core->script(kGetNextDeviceId, {{TRUE, le32(9)}});
  ULONG next = 0;
  ASSERT_EQ(speaker_.GetNextDeviceID(&next, 0), RET_SUCCESS);
  EXPECT_EQ(next, 9u);
  EXPECT_EQ(SpeakerFake::sent(*fake_.core), (std::vector<Sent>{{kGetNextDeviceId, le32(0), 4}}));
}

TEST(SpeakerUninitialised, AnswersFailureAndSendsNothing) {
  SpeakerFake fake;
  CSpeakerInterface speaker;
  AUDIOSTATUS status{};
  AUDIOCONFIG config = configWithMask(0x01);
  TAudioInfo info{};
  ULONG value = 1234;
  EXPECT_EQ(speaker.GetStatus(&status, 0), RET_FAILURE);
  EXPECT_EQ(speaker.SetConfig(&config, 0), RET_FAILURE);
  EXPECT_EQ(config.changeMask, 0x01u);
  EXPECT_EQ(speaker.GetAudioInfo(&info, 0), RET_FAILURE);
  EXPECT_EQ(speaker.GetNextDeviceID(&value, 0), RET_FAILURE);
  EXPECT_EQ(speaker.EnumerateDevices(&value), RET_FAILURE);
  EXPECT_EQ(value, 1234u);
  EXPECT_EQ(speaker.GetChangeEvent(), HANDLE{});
  EXPECT_TRUE(fake.nothingSent());
}

TEST(SpeakerNotification, ReachesEveryOtherObjectOfTheProcessOnce) {
  SpeakerFake fake;
  CSpeakerInterface a, b, c;
  for (auto* s : {&a, &b, &c}) ASSERT_EQ(s->Initialize(nullptr, nullptr), RET_SUCCESS);
  AUDIOCONFIG config = configWithMask(0x80);
  ASSERT_EQ(b.SetConfig(&config, 0), RET_SUCCESS);
  ASSERT_EQ(b.SetConfig(&config, 0), RET_SUCCESS);
  EXPECT_EQ(WaitForSingleObject(a.GetChangeEvent(), 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(c.GetChangeEvent(), 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(b.GetChangeEvent(), 0), WAIT_TIMEOUT);
  // Auto-reset: one wait took both changes.
  EXPECT_EQ(WaitForSingleObject(a.GetChangeEvent(), 0), WAIT_TIMEOUT);
}

}  // namespace
