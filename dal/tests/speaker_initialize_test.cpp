// Initialize and the destructor: the requests per Windows version, every stage's clean-up,
// the shared reference, and the pool of 16 clients.
#include <list>
#include <thread>

#include "speaker_fixture.h"

using namespace speaker_test;

namespace {

struct InitCase {
  const char* name;
  WindowsVersion version;
  bool withPointers;
  TQvRetCode result;
  ULONG deviceId;
  std::vector<Sent> core, mixer;
};
void PrintTo(const InitCase& c, std::ostream* os) { *os << c.name; }

class SpeakerInitialize : public ::testing::TestWithParam<InitCase> {};

TEST_P(SpeakerInitialize, SendsTheVersionsRequests) {
  const auto& c = GetParam();
  SpeakerFake fake(c.version);
  CSpeakerInterface speaker;
  TAudioInfo info{};
  ULONG id = 0xDEAD;
  EXPECT_EQ(speaker.Initialize(c.withPointers ? &info : nullptr, c.withPointers ? &id : nullptr), c.result);
  if (c.withPointers && c.result == RET_SUCCESS) {
    EXPECT_EQ(id, c.deviceId);
  } else {
    EXPECT_EQ(id, 0xDEADu);
  }
  EXPECT_EQ(SpeakerFake::sent(*fake.core), c.core);
  EXPECT_EQ(SpeakerFake::sent(*fake.mixer), c.mixer);
  EXPECT_TRUE(fake.wave->requests().empty());
}

INSTANTIATE_TEST_SUITE_P(
    EveryVersion, SpeakerInitialize,
    ::testing::Values(
        InitCase{"Win98WithInfo", WindowsVersion::Win98, true, RET_SUCCESS, 7,
                 {{kGetNextDeviceId, {}, 4}, {kGetCoreInfo, le32(7), 268}}, {{kGetMixerInfo, le32(7), 392}}},
        InitCase{"Win95WithoutPointers", WindowsVersion::Win95, false, RET_SUCCESS, 7, {{kGetNextDeviceId, {}, 4}}, {}},
        InitCase{"Nt4WithInfo", WindowsVersion::Nt4, true, RET_SUCCESS, 0, {{kGetCoreInfo, le32(0), 268}}, {}},
        InitCase{"Win2000WithoutPointers", WindowsVersion::Win2000, false, RET_SUCCESS, 0, {}, {}},
        InitCase{"WinXp", WindowsVersion::WinXp, true, RET_FAILURE, 0, {}, {}},
        InitCase{"Nt351", WindowsVersion::Nt351, false, RET_FAILURE, 0, {}, {}}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

TEST(SpeakerInitialize, DevicesOpenWithTheTablesFlags) {
  SpeakerFake fake;
  CSpeakerInterface speaker;
  ASSERT_EQ(speaker.Initialize(nullptr, nullptr), RET_SUCCESS);
  for (auto* device : {fake.core.get(), fake.mixer.get(), fake.wave.get()}) {
    auto opens = device->opens();
    ASSERT_EQ(opens.size(), 1u);
    EXPECT_EQ(opens[0].access, 0u);
    EXPECT_EQ(opens[0].shareMode, DWORD(FILE_SHARE_READ | FILE_SHARE_WRITE));
    EXPECT_EQ(opens[0].flags, DWORD(FILE_FLAG_DELETE_ON_CLOSE));
  }
}

TEST(SpeakerInitialize, ALaterObjectSharesTheOpenChannelsWithoutARequest) {
  SpeakerFake fake;
  CSpeakerInterface first;
  ASSERT_EQ(first.Initialize(nullptr, nullptr), RET_SUCCESS);
  fake.clear();
  {
    CSpeakerInterface second;
    ULONG id = 0;
    ASSERT_EQ(second.Initialize(nullptr, &id), RET_SUCCESS);
    EXPECT_EQ(id, 7u);
    EXPECT_TRUE(fake.nothingSent());
    EXPECT_TRUE(fake.core->opens().empty());
  }
  // The first object still holds the channels.
  EXPECT_TRUE(fake.nothingSent());
  EXPECT_EQ(fake.openHandles(), 3);
}

TEST(SpeakerInitialize, TheLastDestructorClosesTheChannels) {
  SpeakerFake fake;
  {
    CSpeakerInterface speaker;
    ASSERT_EQ(speaker.Initialize(nullptr, nullptr), RET_SUCCESS);
    fake.clear();
  }
  EXPECT_EQ(SpeakerFake::sent(*fake.core), (std::vector<Sent>{{kCloseClient, {}, 0}}));
  EXPECT_EQ(fake.openHandles(), 0);
  // The next Initialize opens them again and asks for the identifier again.
  CSpeakerInterface again;
  fake.clear();
  ASSERT_EQ(again.Initialize(nullptr, nullptr), RET_SUCCESS);
  EXPECT_EQ(SpeakerFake::sent(*fake.core), (std::vector<Sent>{{kGetNextDeviceId, {}, 4}}));
}

TEST(SpeakerInitialize, OnNtTheOneHandleIsClosedOnce) {
  SpeakerFake fake(WindowsVersion::Nt4);
  {
    CSpeakerInterface speaker;
    ASSERT_EQ(speaker.Initialize(nullptr, nullptr), RET_SUCCESS);
    EXPECT_EQ(fake.core->openHandles(), 1);
  }
  EXPECT_EQ(fake.core->openHandles(), 0);
}

// Each stage's clean-up, seen from the devices and from what the destructor then does.
struct StageCase {
  const char* name;
  void (*breakDevices)(SpeakerFake& fake);
  int handlesOpenAfterFailure;
  bool destructorCloses;  // the failed object kept a reference
};
void PrintTo(const StageCase& c, std::ostream* os) { *os << c.name; }

class SpeakerStages : public ::testing::TestWithParam<StageCase> {};

TEST_P(SpeakerStages, CleanUpAsTheirStageSays) {
  SpeakerFake fake;
  GetParam().breakDevices(fake);
  {
    CSpeakerInterface speaker;
    TAudioInfo info{};
    EXPECT_EQ(speaker.Initialize(&info, nullptr), RET_FAILURE);
    EXPECT_EQ(fake.openHandles(), GetParam().handlesOpenAfterFailure);
    // A failed object answers nothing.
    AUDIOSTATUS status{};
    fake.clear();
    EXPECT_EQ(speaker.GetStatus(&status, 0), RET_FAILURE);
    EXPECT_TRUE(fake.nothingSent());
  }
  EXPECT_EQ(fake.openHandles(), 0);
  auto closes = SpeakerFake::sent(*fake.core);
  EXPECT_EQ(closes.size(), GetParam().destructorCloses ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(
    EveryStage, SpeakerStages,
    ::testing::Values(StageCase{"Core", [](SpeakerFake& f) { f.core->failOpen(ERROR_FILE_NOT_FOUND); }, 0, false},
                      StageCase{"Mixer", [](SpeakerFake& f) { f.mixer->failOpen(ERROR_FILE_NOT_FOUND); }, 0, false},
                      StageCase{"Wave", [](SpeakerFake& f) { f.wave->failOpen(ERROR_FILE_NOT_FOUND); }, 0, false},
                      StageCase{"DeviceId", [](SpeakerFake& f) { f.core->script(kGetNextDeviceId, {{FALSE, {}, 31}}); },
                                0, false},
                      StageCase{"CoreInfo", [](SpeakerFake& f) { f.core->script(kGetCoreInfo, {{FALSE, {}, 31}}); }, 3,
                                true},
                      StageCase{"MixerInfo", [](SpeakerFake& f) { f.mixer->script(kGetMixerInfo, {{FALSE, {}, 31}}); },
                                3, true}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

TEST(SpeakerStages, AnObjectNeverInitialisedDoesNothingInItsDestructor) {
  SpeakerFake fake;
  { CSpeakerInterface speaker; }
  EXPECT_TRUE(fake.nothingSent());
  EXPECT_TRUE(fake.core->opens().empty());
}

TEST(SpeakerPool, TheSeventeenthObjectFailsAndGivesBackItsReference) {
  SpeakerFake fake;
  std::list<CSpeakerInterface> objects(16);
  for (auto& object : objects) ASSERT_EQ(object.Initialize(nullptr, nullptr), RET_SUCCESS);
  {
    CSpeakerInterface seventeenth;
    EXPECT_EQ(seventeenth.Initialize(nullptr, nullptr), RET_FAILURE);
  }
  fake.clear();
  // With the 17th's reference given back, the 16 objects' last destructor closes the channels.
  while (objects.size() > 1) objects.pop_front();
  EXPECT_TRUE(fake.nothingSent());
  // A slot is free again.
  {
    CSpeakerInterface another;
    EXPECT_EQ(another.Initialize(nullptr, nullptr), RET_SUCCESS);
  }
  objects.clear();
  EXPECT_EQ(SpeakerFake::sent(*fake.core), (std::vector<Sent>{{kCloseClient, {}, 0}}));
  EXPECT_EQ(fake.openHandles(), 0);
}

TEST(SpeakerPool, AnObjectDestroyedOnAnotherThreadGivesBackItsSlot) {
  SpeakerFake fake;
  std::list<CSpeakerInterface> objects(16);
  for (auto& object : objects) ASSERT_EQ(object.Initialize(nullptr, nullptr), RET_SUCCESS);
  std::thread([&] { objects.pop_front(); }).join();
  CSpeakerInterface another;
  EXPECT_EQ(another.Initialize(nullptr, nullptr), RET_SUCCESS);
}

TEST(SpeakerPool, ASecondInitializeOfOneObjectIsRefused) {
  SpeakerFake fake;
  {
    CSpeakerInterface speaker;
    ASSERT_EQ(speaker.Initialize(nullptr, nullptr), RET_SUCCESS);
    fake.clear();
    EXPECT_EQ(speaker.Initialize(nullptr, nullptr), RET_FAILURE);
    EXPECT_TRUE(fake.nothingSent());
  }
  EXPECT_EQ(fake.openHandles(), 0);
}

}  // namespace
