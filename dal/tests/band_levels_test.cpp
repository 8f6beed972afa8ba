// Band levels on the peak indicators' scale: nine octaves from 64 to 32767.
#include "eq_fixture.h"

using namespace dal_test;

namespace {

struct LevelCase {
  SHORT reading;
  SHORT level;
};
void PrintTo(const LevelCase& c, std::ostream* os) { *os << c.reading; }

class BandLevels : public EqReady, public ::testing::WithParamInterface<LevelCase> {};

TEST_P(BandLevels, MapOnTheBandStepScale) {
  fake_.device->script(kGetBandLevels, {{TRUE, gainRecord(20, std::vector<SHORT>(20, GetParam().reading))}});
  _arrayBandGain levels{};
  ASSERT_EQ(CEqDriverInterface::GetArrayBandGain(&levels, 0), 1);
  EXPECT_EQ(levels.numGains, 20u);
  for (SHORT level : levels.gain) EXPECT_EQ(level, GetParam().level) << "reading " << GetParam().reading;
}

INSTANTIATE_TEST_SUITE_P(RangeTwenty, BandLevels,
                         ::testing::Values(LevelCase{0, -20}, LevelCase{-5, -20}, LevelCase{1, -47}, LevelCase{32, -24},
                                           LevelCase{63, -20}, LevelCase{64, -20}, LevelCase{128, -16},
                                           LevelCase{4096, 7}, LevelCase{16384, 16}, LevelCase{32767, 20}));

TEST_F(EqReady, LevelRepliesWithACountOtherThanTwentyFailWithTheRawReadings) {
  for (DWORD count : {0u, 19u, 21u}) {
    fake_.device->script(kGetBandLevels, {{TRUE, gainRecord(count, std::vector<SHORT>(20, 4096))}});
    _arrayBandGain levels{};
    EXPECT_EQ(CEqDriverInterface::GetArrayBandGain(&levels, 0), 0) << count;
    EXPECT_EQ(levels.gain[0], 4096);
  }
}

TEST_F(EqReady, AFailedLevelRequestFails) {
  fake_.device->script(kGetBandLevels, {{FALSE, {}, 31}});
  _arrayBandGain levels{};
  EXPECT_EQ(CEqDriverInterface::GetArrayBandGain(&levels, 0), 0);
}

TEST(BandLevelsRange, FollowTheRangeOfTheTable) {
  EqFake fake;
  setDword(kSoftwareKey, "BandRange", 4);
  ASSERT_EQ(CEqDriverInterface::Init(nullptr), 1);
  // (2R + 1) / 9 = 1 step per octave: 64 is -4, 16384 is 8 - 4, 32767 is 8.999 - 4.
  fake.device->script(kGetBandLevels, {{TRUE, gainRecord(20, {64, 16384, 32767, 0, 128})}});
  _arrayBandGain levels{};
  ASSERT_EQ(CEqDriverInterface::GetArrayBandGain(&levels, 0), 1);
  EXPECT_EQ(levels.gain[0], -4);
  EXPECT_EQ(levels.gain[1], 4);
  EXPECT_EQ(levels.gain[2], 4);
  EXPECT_EQ(levels.gain[3], -4);
  EXPECT_EQ(levels.gain[4], -3);
}

}  // namespace
