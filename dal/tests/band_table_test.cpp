// The band table: where it is read from, its defaults and byte rules, and both conversions.
#include "eq_fixture.h"

using namespace dal_test;

namespace {

// Driver gains of band steps -20..+20 with the default table, and what they read back as.
constexpr USHORT kDefaultDriverGains[41] = {
    4005,  4605,  5206,  5807,  6408,  7009,  7610,  8210,  8811,  9412,  10013, 10614, 11215, 11816,
    12416, 13017, 13618, 14219, 14820, 15421, 16022, 16859, 17696, 18533, 19371, 20208, 21045, 21882,
    22720, 23557, 24394, 25231, 26069, 26906, 27743, 28580, 29418, 30255, 31092, 31929, 32767};
constexpr SHORT kReadBack[41] = {-20, -19, -18, -17, -16, -15, -14, -13, -12, -11, -10, -9, -8, -7,
                                 -6,  -5,  -4,  -3,  -2,  -1,  0,   0,   1,   2,   4,   4,  5,  6,
                                 8,   8,   9,   10,  12,  12,  13,  14,  16,  16,  17,  18, 20};

USHORT sentGain(const std::vector<FakeDevice::Request>& sent) {
  const Bytes& in = sent.back().input;
  return static_cast<USHORT>(in[8] | in[9] << 8);
}

SHORT readBack(FakeDevice& device, USHORT driverGain, int entry) {
  std::vector<SHORT> gains(20, 0);
  gains[entry] = static_cast<SHORT>(driverGain);
  device.script(kGetAllGains, {{TRUE, gainRecord(20, gains)}});
  _arrayBandGain a{};
  EXPECT_EQ(CEqDriverInterface::GetArrayBandGains(&a, 0), 1);
  return a.gain[entry];
}

USHORT toDriver(FakeDevice& device, SHORT step, USHORT band, ULONG channel) {
  _bandGain g{band, {}, channel, step, {}};
  EXPECT_NE(CEqDriverInterface::SetBandGain(&g, 0), 0);
  return sentGain(device.requests());
}

TEST_F(EqReady, DefaultTableConvertsEveryStepAndReadsBackAsDocumented) {
  for (int step = -20; step <= 20; ++step) {
    const USHORT driver = toDriver(*fake_.device, static_cast<SHORT>(step), 4, 0);
    EXPECT_EQ(driver, kDefaultDriverGains[step + 20]) << "step " << step;
    EXPECT_EQ(readBack(*fake_.device, driver, 4), kReadBack[step + 20]) << "step " << step;
  }
}

TEST_F(EqReady, GetRegBandValuesHandsOutBandStepsAs16BitValues) {
  std::vector<SHORT> gains(20);
  for (int i = 0; i < 20; ++i) gains[i] = static_cast<SHORT>(kDefaultDriverGains[i * 2]);
  fake_.device->script(kGetAllGains, {{TRUE, gainRecord(20, gains)}});
  USHORT values[20];
  ASSERT_EQ(CEqDriverInterface::GetRegBandValues(values, 0, 0), 1);
  for (int i = 0; i < 20; ++i) EXPECT_EQ(static_cast<SHORT>(values[i]), kReadBack[i * 2]) << i;
}

TEST_F(EqReady, RepliesClaimingMoreThanTwentyGainsAreReadUpToTwenty) {
  std::vector<SHORT> gains(20, 32767);
  fake_.device->script(kGetAllGains, {{TRUE, gainRecord(200, gains)}});
  USHORT values[21];
  values[20] = 0xBEEF;
  ASSERT_EQ(CEqDriverInterface::GetRegBandValues(values, 0, 0), 1);
  EXPECT_EQ(values[19], 20);
  EXPECT_EQ(values[20], 0xBEEF);
  _arrayBandGain a{};
  ASSERT_EQ(CEqDriverInterface::GetArrayBandGains(&a, 0), 1);
  EXPECT_EQ(a.gain[19], 20);
}

TEST_F(EqReady, OnlyTheRepliedEntriesAreConverted) {
  std::vector<SHORT> gains(20, 32767);
  fake_.device->script(kGetAllGains, {{TRUE, gainRecord(3, gains)}});
  _arrayBandGain a{};
  ASSERT_EQ(CEqDriverInterface::GetArrayBandGains(&a, 0), 1);
  EXPECT_EQ(a.gain[2], 20);
  EXPECT_EQ(a.gain[3], 32767);
}

TEST(BandTable, RangeBeforeInitIsTwentyAndAfterItTheWholeRegistryValue) {
  EqFake fake;
  setDword(kSoftwareKey, "BandRange", 0x00010005);
  ULONG range = 0;
  ASSERT_EQ(CEqDriverInterface::GetRegBandRange(&range, 0), 1);
  EXPECT_EQ(range, 20u);
  ASSERT_EQ(CEqDriverInterface::Init(nullptr), 1);
  ASSERT_EQ(CEqDriverInterface::GetRegBandRange(&range, 0), 1);
  EXPECT_EQ(range, 0x00010005u);
  // The conversions use the low 16 bits: R = 5, so +5 is the top.
  EXPECT_EQ(toDriver(*fake.device, 5, 0, 0), 32767);
}

TEST(BandTable, QuantityIsTenAndSetRegBandValuesChangesNothing) {
  EqFake fake;
  setDword(kSoftwareKey, "BandRange", 3);
  ULONG quantity = 0;
  EXPECT_EQ(CEqDriverInterface::GetRegBandQuantity(&quantity, 0), 1);
  EXPECT_EQ(quantity, 10u);
  USHORT values[20] = {1, 2, 3};
  EXPECT_EQ(CEqDriverInterface::SetRegBandValues(values, 20, 0), 1);
  ASSERT_EQ(CEqDriverInterface::Init(nullptr), 1);
  ULONG range = 0;
  CEqDriverInterface::GetRegBandRange(&range, 0);
  EXPECT_EQ(range, 3u);
}

TEST(BandTable, WithoutAKeyTheDefaultsApplyAndTheMidReadCreatesIt) {
  EqFake fake;
  ASSERT_FALSE(keyExists(kSoftwareKey));
  ASSERT_EQ(CEqDriverInterface::Init(nullptr), 1);
  EXPECT_TRUE(keyExists(kSoftwareKey));
  EXPECT_EQ(toDriver(*fake.device, -20, 9, 1), 4005);
  EXPECT_EQ(toDriver(*fake.device, 0, 9, 1), 16022);
  EXPECT_EQ(toDriver(*fake.device, 20, 9, 1), 32767);
}

TEST(BandTable, ChannelOneUsesTheRightHalfOfMid) {
  EqFake fake;
  Bytes mid;
  for (int i = 0; i < 20; ++i) {
    USHORT v = static_cast<USHORT>(10000 + i);
    mid.push_back(BYTE(v & 0xFF));
    mid.push_back(BYTE(v >> 8));
  }
  setBinary(kSoftwareKey, "MidEqGain", mid);
  ASSERT_EQ(CEqDriverInterface::Init(nullptr), 1);
  EXPECT_EQ(toDriver(*fake.device, 0, 2, 1), 10012);
  EXPECT_EQ(toDriver(*fake.device, 0, 2, 0), 10002);
  EXPECT_EQ(toDriver(*fake.device, 0, 2, 2), 10002);
  EXPECT_EQ(toDriver(*fake.device, 0, 2, 7), 10002);
}

TEST(BandTable, AShortMidFillsItsBytesOnlyAndALongOneCountsAsMissing) {
  {
    EqFake fake;
    setBinary(kSoftwareKey, "MidEqGain", Bytes(20, 0x11));
    ASSERT_EQ(CEqDriverInterface::Init(nullptr), 1);
    EXPECT_EQ(toDriver(*fake.device, 0, 9, 0), 0x1111);
    EXPECT_EQ(toDriver(*fake.device, 0, 0, 1), 0);
  }
  {
    EqFake fake;
    setBinary(kSoftwareKey, "MidEqGain", Bytes(42, 0x11));
    ASSERT_EQ(CEqDriverInterface::Init(nullptr), 1);
    EXPECT_EQ(toDriver(*fake.device, 0, 9, 1), 16022);
  }
}

TEST(BandTable, FourByteValuesLongerThanFourBytesTakeTheirDefaults) {
  EqFake fake;
  setBinary(kSoftwareKey, "MinEqGain", Bytes(8, 0));
  setBinary(kSoftwareKey, "MaxEqGain", Bytes(8, 0));
  setBinary(kSoftwareKey, "BandRange", Bytes(8, 0));
  ASSERT_EQ(CEqDriverInterface::Init(nullptr), 1);
  EXPECT_EQ(toDriver(*fake.device, -20, 0, 0), 4005);
  EXPECT_EQ(toDriver(*fake.device, 20, 0, 0), 32767);
}

// Tables that break the invariants: a defined answer and no division by zero.
struct BrokenCase {
  const char* name;
  DWORD range, minGain, maxGain;
  USHORT mid;
  SHORT step;       // converted to a driver gain
  USHORT expectedDriver;
  USHORT reading;   // a driver gain converted back
  SHORT expectedStep;
};
void PrintTo(const BrokenCase& c, std::ostream* os) { *os << c.name; }

class BrokenTables : public ::testing::TestWithParam<BrokenCase> {};

TEST_P(BrokenTables, GiveDefinedResults) {
  const auto& c = GetParam();
  EqFake fake;
  setDword(kSoftwareKey, "BandRange", c.range);
  setDword(kSoftwareKey, "MinEqGain", c.minGain);
  setDword(kSoftwareKey, "MaxEqGain", c.maxGain);
  Bytes mid;
  for (int i = 0; i < 20; ++i) {
    mid.push_back(BYTE(c.mid & 0xFF));
    mid.push_back(BYTE(c.mid >> 8));
  }
  setBinary(kSoftwareKey, "MidEqGain", mid);
  ASSERT_EQ(CEqDriverInterface::Init(nullptr), 1);
  EXPECT_EQ(toDriver(*fake.device, c.step, 1, 0), c.expectedDriver);
  EXPECT_EQ(readBack(*fake.device, c.reading, 1), c.expectedStep);
}

INSTANTIATE_TEST_SUITE_P(
    Invariants, BrokenTables,
    ::testing::Values(
        // No steps at all: every gain is the centre, every reading the end of an empty scale.
        BrokenCase{"RangeZero", 0, 4005, 32767, 16022, 7, 16022, 20000, 0},
        // Max equal to Mid: the upper half is empty; the centre reads 0, above it the top.
        BrokenCase{"MaxEqualsMid", 20, 4005, 16022, 16022, 20, 16022, 16023, 20},
        BrokenCase{"MaxEqualsMidAtCentre", 20, 4005, 16022, 16022, 20, 16022, 16022, 0},
        // Mid equal to Min: the lower half is empty, below the centre is the bottom.
        BrokenCase{"MidEqualsMin", 20, 16022, 32767, 16022, -20, 16022, 100, -20},
        // A negative range (0xFFFF) still divides by something.
        BrokenCase{"RangeNegative", 0xFFFF, 4005, 32767, 16022, 1, 64813, 32767, -1},
        // Differences beyond 16 bits wrap, as the driver's 16-bit arithmetic would.
        BrokenCase{"SpanBeyond16Bits", 20, 0, 70000, 100, 20, 4464, 100, 0}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

}  // namespace
