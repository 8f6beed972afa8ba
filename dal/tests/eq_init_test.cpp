// Init on every Windows version, each stage that can fail, and calls outside Init's lifetime.
#include "eq_fixture.h"

using namespace dal_test;

namespace {

struct VersionCase {
  const char* name;
  WindowsVersion version;
  const char* device;  // null: nothing may be opened
  DWORD flags;
  const char* key;
};
void PrintTo(const VersionCase& c, std::ostream* os) { *os << c.name; }

class EqInitVersions : public ::testing::TestWithParam<VersionCase> {};

TEST_P(EqInitVersions, OpensTheVersionsDeviceWithItsFlagsAndReadsItsKey) {
  const auto& c = GetParam();
  EqFake fake(c.version);
  auto device = std::make_shared<FakeDevice>();
  device->script(kGetProperty, {{TRUE, propertyReply(0)}});
  device->script(kGetActiveCoeffSet, {{TRUE, le32(0)}});
  if (c.device) ombrin::devices::registerDriver(c.device, device);
  // Only the expected key holds a range of 7; the other one says 9.
  if (c.key) {
    setDword(c.key, "BandRange", 7);
    setDword(std::string(c.key) == kSoftwareKey ? kServicesKey : kSoftwareKey, "BandRange", 9);
  }

  EXPECT_EQ(CEqDriverInterface::Init(nullptr), c.device ? 1 : 0);

  if (!c.device) {
    EXPECT_TRUE(fake.device->opens().empty());
    return;
  }
  auto opens = device->opens();
  ASSERT_EQ(opens.size(), 1u);
  EXPECT_EQ(opens[0].access, 0u);
  EXPECT_EQ(opens[0].shareMode, DWORD(FILE_SHARE_READ | FILE_SHARE_WRITE));
  EXPECT_EQ(opens[0].flags, c.flags);
  ULONG range = 0;
  CEqDriverInterface::GetRegBandRange(&range, 0);
  EXPECT_EQ(range, 7u);
  // Init's own requests: the bypass property, then the active set.
  auto sent = device->requests();
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[0].code, kGetProperty);
  ASSERT_EQ(sent[0].input.size(), 15u);
  EXPECT_EQ(Bytes(sent[0].input.begin(), sent[0].input.begin() + 11), (Bytes{1, 0, 0, 0, 0, 0x09, 0, 0xFF, 0xFF, 4, 0}));
  EXPECT_EQ(sent[0].outputSize, 10u);
  EXPECT_EQ(sent[1].code, kGetActiveCoeffSet);
  EXPECT_EQ(sent[1].input, le32(0));
}

INSTANTIATE_TEST_SUITE_P(
    EveryVersion, EqInitVersions,
    ::testing::Values(VersionCase{"Win95", WindowsVersion::Win95, "qv10core.vxd", FILE_FLAG_DELETE_ON_CLOSE, kSoftwareKey},
                      VersionCase{"Win98", WindowsVersion::Win98, "qv10core.vxd", FILE_FLAG_DELETE_ON_CLOSE, kSoftwareKey},
                      VersionCase{"WinMe", WindowsVersion::WinMe, "qv10core.vxd", FILE_FLAG_DELETE_ON_CLOSE, kSoftwareKey},
                      VersionCase{"Nt4", WindowsVersion::Nt4, "Qv55Mixer0", 0, kServicesKey},
                      VersionCase{"Win2000", WindowsVersion::Win2000, "Dravel_10", 0, kServicesKey},
                      VersionCase{"Nt351", WindowsVersion::Nt351, nullptr, 0, nullptr},
                      VersionCase{"WinXp", WindowsVersion::WinXp, nullptr, 0, nullptr}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

TEST(EqInit, TakesBypassAndActiveSetFromTheDriver) {
  EqFake fake;
  fake.device->script(kGetProperty, {{TRUE, propertyReply(1)}});
  fake.device->script(kGetActiveCoeffSet, {{TRUE, le32(0xFFFFFFFF)}});
  ASSERT_EQ(CEqDriverInterface::Init(nullptr), 1);
  EXPECT_EQ(CEqDriverInterface::GetBypass(0), 1);
  // The compensation set the driver reports is active: gains are refused.
  _bandGain g{0, {}, 0, 0, {}};
  EXPECT_EQ(CEqDriverInterface::SetBandGain(&g, 0), 0);
}

struct StageCase {
  const char* name;
  void (*breakDriver)(FakeDevice& device);
  std::size_t requestsSent;
};
void PrintTo(const StageCase& c, std::ostream* os) { *os << c.name; }

class EqInitStages : public ::testing::TestWithParam<StageCase> {};

TEST_P(EqInitStages, FailsAndKeepsWhatItOpenedForTheDestructor) {
  EqFake fake;
  GetParam().breakDriver(*fake.device);
  EXPECT_EQ(CEqDriverInterface::Init(nullptr), 0);
  EXPECT_EQ(fake.device->requests().size(), GetParam().requestsSent);
  const int opened = fake.device->openHandles();
  fake.device->clearRecords();
  { CEqDriverInterface library; }
  EXPECT_EQ(fake.device->openHandles(), 0);
  // The destructor says goodbye on a handle it holds, and only then.
  auto sent = fake.device->requests();
  EXPECT_EQ(sent.size(), static_cast<std::size_t>(opened));
  if (!sent.empty()) {
    EXPECT_EQ(sent[0].code, kCloseClient);
  }
}

INSTANTIATE_TEST_SUITE_P(
    EveryStage, EqInitStages,
    ::testing::Values(
        StageCase{"DeviceMissing", [](FakeDevice& d) { d.failOpen(ERROR_FILE_NOT_FOUND); }, 0},
        StageCase{"PropertyRequestFails", [](FakeDevice& d) { d.script(kGetProperty, {{FALSE, {}, 31}}); }, 1},
        StageCase{"PropertySizeNotFour", [](FakeDevice& d) { d.script(kGetProperty, {{TRUE, propertyReply(0, 2)}}); },
                  1},
        StageCase{"ActiveSetRequestFails", [](FakeDevice& d) { d.script(kGetActiveCoeffSet, {{FALSE, {}, 31}}); }, 2}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

// Before Init and after the destructor nothing crashes and everything that needs the driver fails.
void expectEverythingFails() {
  _bandGain g{0, {}, 0, 0, {}};
  _arrayBandGain a{20, {}};
  _qvxxEqCoeffSet s{};
  USHORT values[20] = {};
  ULONG number = 0;
  EXPECT_EQ(CEqDriverInterface::SetBandGain(&g, 0), 0);
  EXPECT_EQ(CEqDriverInterface::SetArrayBandGain(&a, 0), 0);
  EXPECT_EQ(CEqDriverInterface::GetArrayBandGains(&a, 0), 0);
  EXPECT_EQ(CEqDriverInterface::GetRegBandValues(values, 0, 0), 0);
  EXPECT_EQ(CEqDriverInterface::GetArrayBandGain(&a, 0), 0);
  EXPECT_EQ(CEqDriverInterface::SetBypass(1, 0), 0);
  EXPECT_EQ(CEqDriverInterface::SetActiveCoeffSet(1, 0), RET_FAILURE);
  EXPECT_EQ(CEqDriverInterface::GetActiveCoeffSet(number, 0), RET_FAILURE);
  EXPECT_EQ(CEqDriverInterface::SetCoeffSetData(&s, 0), RET_FAILURE);
  EXPECT_EQ(CEqDriverInterface::GetCoeffSetData(&s, 0), RET_FAILURE);
  EXPECT_EQ(CEqDriverInterface::SetActiveCoeffSetData(&s, 0), RET_FAILURE);
  EXPECT_EQ(CEqDriverInterface::GetActiveCoeffSetData(&s, 0), RET_FAILURE);
  EXPECT_EQ(CEqDriverInterface::SetSpeakerCompensationCoeffSetActive(0), RET_FAILURE);
}

TEST(EqLifetime, BeforeInitEverythingFails) {
  EqFake fake;
  expectEverythingFails();
  EXPECT_TRUE(fake.device->requests().empty());
}

TEST(EqLifetime, AfterTheDestructorEverythingFails) {
  EqFake fake;
  ASSERT_EQ(CEqDriverInterface::Init(nullptr), 1);
  { CEqDriverInterface library; }
  fake.device->clearRecords();
  expectEverythingFails();
  EXPECT_TRUE(fake.device->requests().empty());
  EXPECT_EQ(fake.device->openHandles(), 0);
}

TEST(EqLifetime, ASecondInitDoesNotLeakTheFirstHandle) {
  EqFake fake;
  ASSERT_EQ(CEqDriverInterface::Init(nullptr), 1);
  ASSERT_EQ(CEqDriverInterface::Init(nullptr), 1);
  EXPECT_EQ(fake.device->openHandles(), 1);
}

}  // namespace
