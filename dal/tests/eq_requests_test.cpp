// The requests the equalizer interface sends, byte for byte, and the calls that send none.
#include <functional>

#include "eq_fixture.h"

using namespace dal_test;

namespace {

constexpr ULONG kDeviceId = 0x11223344;

_qvxxEqCoeffSet patternSet(ULONG number) {
  _qvxxEqCoeffSet set;
  set.setNumber = number;
  for (int i = 0; i < 244; ++i) set.coeffData[i] = static_cast<BYTE>(i * 7);
  return set;
}

Bytes bytesOf(const void* p, std::size_t n) {
  auto b = static_cast<const BYTE*>(p);
  return Bytes(b, b + n);
}

struct RequestCase {
  const char* name;
  std::function<void()> call;
  DWORD code;
  Bytes input;
  DWORD outputSize;
};
void PrintTo(const RequestCase& c, std::ostream* os) { *os << c.name; }

class EqRequests : public EqReady, public ::testing::WithParamInterface<RequestCase> {};

TEST_P(EqRequests, SendsExactlyTheTableRequest) {
  GetParam().call();
  auto sent = requests();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].code, GetParam().code);
  EXPECT_EQ(sent[0].input, GetParam().input);
  EXPECT_EQ(sent[0].outputSize, GetParam().outputSize);
}

const _qvxxEqCoeffSet kPattern = patternSet(2);

INSTANTIATE_TEST_SUITE_P(
    EveryFunction, EqRequests,
    ::testing::Values(
        // Right channel converts with Mid[band + 10]; the reserved bytes travel as the caller left them.
        RequestCase{"SetBandGainRight",
                    [] {
                      _bandGain g{2, {0xAA, 0xBB}, 1, 10, {0xCC, 0xDD}};
                      CEqDriverInterface::SetBandGain(&g, kDeviceId);
                    },
                    kSetBandGain, Bytes{2, 0, 0xAA, 0xBB, 1, 0, 0, 0, 0x4A, 0x5F, 0xCC, 0xDD}, 0},
        RequestCase{"SetBandGainBoth",
                    [] {
                      _bandGain g{3, {0, 0}, 2, -20, {0, 0}};
                      CEqDriverInterface::SetBandGain(&g, kDeviceId);
                    },
                    kSetBandGain, Bytes{3, 0, 0, 0, 2, 0, 0, 0, 0xA5, 0x0F, 0, 0}, 0},
        // All 20 entries are converted whatever numGains says; numGains goes as given.
        RequestCase{"SetArrayBandGain",
                    [] {
                      _arrayBandGain a{5, {}};
                      for (int i = 0; i < 20; ++i) a.gain[i] = static_cast<SHORT>(i % 2 ? 20 : -20);
                      CEqDriverInterface::SetArrayBandGain(&a, kDeviceId);
                    },
                    kSetAllGains,
                    [] {
                      Bytes b = le32(5);
                      for (int i = 0; i < 20; ++i) {
                        USHORT g = i % 2 ? 32767 : 4005;
                        b.push_back(BYTE(g & 0xFF));
                        b.push_back(BYTE(g >> 8));
                      }
                      return b;
                    }(),
                    0},
        RequestCase{"GetArrayBandGains",
                    [] {
                      _arrayBandGain a{};
                      CEqDriverInterface::GetArrayBandGains(&a, kDeviceId);
                    },
                    kGetAllGains, Bytes{}, 44},
        RequestCase{"GetRegBandValues",
                    [] {
                      USHORT v[20];
                      CEqDriverInterface::GetRegBandValues(v, 0, kDeviceId);
                    },
                    kGetAllGains, Bytes{}, 44},
        RequestCase{"GetArrayBandGain",
                    [] {
                      _arrayBandGain a{};
                      CEqDriverInterface::GetArrayBandGain(&a, kDeviceId);
                    },
                    kGetBandLevels, Bytes{}, 44},
        // Any nonzero bypass is sent as 1.
        RequestCase{"SetBypass", [] { CEqDriverInterface::SetBypass(5, kDeviceId); }, kSetProperty,
                    Bytes{1, 0, 0, 0, 0, 0x09, 0, 0xFF, 0xFF, 4, 0, 1, 0, 0, 0}, 10},
        RequestCase{"SetBypassOff", [] { CEqDriverInterface::SetBypass(0, kDeviceId); }, kSetProperty,
                    Bytes{1, 0, 0, 0, 0, 0x09, 0, 0xFF, 0xFF, 4, 0, 0, 0, 0, 0}, 10},
        RequestCase{"SetActiveCoeffSet", [] { CEqDriverInterface::SetActiveCoeffSet(3, kDeviceId); },
                    kSetActiveCoeffSet, le32(3), 4},
        RequestCase{"GetActiveCoeffSet",
                    [] {
                      ULONG n = 0;
                      CEqDriverInterface::GetActiveCoeffSet(n, kDeviceId);
                    },
                    kGetActiveCoeffSet, le32(kDeviceId), 4},
        RequestCase{"SetCoeffSetData", [] { CEqDriverInterface::SetCoeffSetData(&kPattern, kDeviceId); },
                    kSetCoeffSetData, bytesOf(&kPattern, 248), 4},
        RequestCase{"GetCoeffSetData",
                    [] {
                      _qvxxEqCoeffSet s{};
                      s.setNumber = 4;
                      CEqDriverInterface::GetCoeffSetData(&s, kDeviceId);
                    },
                    kGetCoeffSetData, le32(kDeviceId), 248},
        RequestCase{"SetActiveCoeffSetData",
                    [] { CEqDriverInterface::SetActiveCoeffSetData(&kPattern, kDeviceId); },
                    kSetActiveCoeffSetData, bytesOf(&kPattern, 248), 4},
        RequestCase{"GetActiveCoeffSetData",
                    [] {
                      _qvxxEqCoeffSet s{};
                      CEqDriverInterface::GetActiveCoeffSetData(&s, kDeviceId);
                    },
                    kGetActiveCoeffSetData, le32(kDeviceId), 248},
        RequestCase{"SetSpeakerCompensationCoeffSetActive",
                    [] { CEqDriverInterface::SetSpeakerCompensationCoeffSetActive(kDeviceId); }, kSetActiveCoeffSet,
                    le32(0xFFFFFFFF), 4},
        RequestCase{"Destructor", [] { CEqDriverInterface{}; }, kCloseClient, Bytes{}, 0}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

// Each refusal answers without a word to the driver.
struct RefusalCase {
  const char* name;
  bool compensationActive;
  std::function<long()> call;
  long expected;
};
void PrintTo(const RefusalCase& c, std::ostream* os) { *os << c.name; }

class EqRefusals : public EqReady, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(EqRefusals, SendNothing) {
  if (GetParam().compensationActive) {
    ASSERT_EQ(CEqDriverInterface::SetSpeakerCompensationCoeffSetActive(0), RET_SUCCESS);
    fake_.device->clearRecords();
  }
  EXPECT_EQ(GetParam().call(), GetParam().expected);
  EXPECT_TRUE(requests().empty());
}

INSTANTIATE_TEST_SUITE_P(
    EveryRefusal, EqRefusals,
    ::testing::Values(
        RefusalCase{"SetBandGainUnderCompensation", true,
                    [] {
                      _bandGain g{0, {}, 0, 1, {}};
                      return long{CEqDriverInterface::SetBandGain(&g, 0)};
                    },
                    0},
        RefusalCase{"SetArrayBandGainUnderCompensation", true,
                    [] {
                      _arrayBandGain a{20, {}};
                      return long{CEqDriverInterface::SetArrayBandGain(&a, 0)};
                    },
                    0},
        RefusalCase{"SetActiveCoeffSetDataUnderCompensation", true,
                    [] {
                      _qvxxEqCoeffSet s{};
                      return long{CEqDriverInterface::SetActiveCoeffSetData(&s, 0)};
                    },
                    RET_INVALID_COEFF_SET},
        RefusalCase{"SetActiveCoeffSetAbove0xFFFF", false,
                    [] { return long{CEqDriverInterface::SetActiveCoeffSet(0x10000, 0)}; }, RET_INVALID_COEFF_SET},
        RefusalCase{"SetCoeffSetDataAbove0xFFFF", false,
                    [] {
                      _qvxxEqCoeffSet s{};
                      s.setNumber = 0x10000;
                      return long{CEqDriverInterface::SetCoeffSetData(&s, 0)};
                    },
                    RET_INVALID_COEFF_SET},
        RefusalCase{"GetCoeffSetDataAbove0xFFFF", false,
                    [] {
                      _qvxxEqCoeffSet s{};
                      s.setNumber = 0xFFFFFFFF;
                      return long{CEqDriverInterface::GetCoeffSetData(&s, 0)};
                    },
                    RET_INVALID_COEFF_SET},
        // A band beyond the table of ten would read past Mid[]: refused.
        RefusalCase{"SetBandGainBand10", false,
                    [] {
                      _bandGain g{10, {}, 0, 1, {}};
                      return long{CEqDriverInterface::SetBandGain(&g, 0)};
                    },
                    0},
        RefusalCase{"GetNextDeviceID", false,
                    [] {
                      ULONG next = 0xC0FFEE;
                      long result = CEqDriverInterface::GetNextDeviceID(&next, 0);
                      return next == 0xC0FFEE ? result : -1;
                    },
                    RET_NOT_SUPPORTED},
        RefusalCase{"GetBypass", false, [] { return long{CEqDriverInterface::GetBypass(0)}; }, 0}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

// The two gain setters answer with the driver's own success value; the other int functions say 1.
struct AnswerCase {
  const char* name;
  DWORD code;
  std::function<long()> call;
  long expected;
};
void PrintTo(const AnswerCase& c, std::ostream* os) { *os << c.name; }

class EqDriverAnswers : public EqReady, public ::testing::WithParamInterface<AnswerCase> {};

TEST_P(EqDriverAnswers, OfSevenAreReportedAsTheFunctionSays) {
  fake_.device->script(GetParam().code, {{7, {}}});
  EXPECT_EQ(GetParam().call(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    NonzeroSuccess, EqDriverAnswers,
    ::testing::Values(AnswerCase{"SetBandGain", kSetBandGain,
                                 [] {
                                   _bandGain g{1, {}, 0, 3, {}};
                                   return long{CEqDriverInterface::SetBandGain(&g, 0)};
                                 },
                                 7},
                      AnswerCase{"SetArrayBandGain", kSetAllGains,
                                 [] {
                                   _arrayBandGain a{20, {}};
                                   return long{CEqDriverInterface::SetArrayBandGain(&a, 0)};
                                 },
                                 7},
                      AnswerCase{"SetBypass", kSetProperty, [] { return long{CEqDriverInterface::SetBypass(1, 0)}; }, 1},
                      AnswerCase{"GetArrayBandGains", kGetAllGains,
                                 [] {
                                   _arrayBandGain a{};
                                   return long{CEqDriverInterface::GetArrayBandGains(&a, 0)};
                                 },
                                 1}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

TEST_F(EqReady, BypassStateIsTheCallersValueAndLevelsAreNotAskedForWhileBypassed) {
  ASSERT_EQ(CEqDriverInterface::SetBypass(5, 0), 1);
  EXPECT_EQ(CEqDriverInterface::GetBypass(0), 5);
  fake_.device->clearRecords();
  _arrayBandGain levels;
  std::memset(&levels, 0x5A, sizeof levels);
  EXPECT_EQ(CEqDriverInterface::GetArrayBandGain(&levels, 0), 1);
  EXPECT_TRUE(requests().empty());
  EXPECT_EQ(levels.numGains, 0x5A5A5A5Au);
  EXPECT_EQ(levels.gain[19], SHORT(0x5A5A));
}

TEST_F(EqReady, FailedSetRequestsKeepTheState) {
  fake_.device->script(kSetProperty, {{FALSE, {}, 31}});
  fake_.device->script(kSetActiveCoeffSet, {{FALSE, {}, 31}});
  EXPECT_EQ(CEqDriverInterface::SetBypass(1, 0), 0);
  EXPECT_EQ(CEqDriverInterface::GetBypass(0), 0);
  EXPECT_EQ(CEqDriverInterface::SetSpeakerCompensationCoeffSetActive(0), RET_FAILURE);
  EXPECT_EQ(CEqDriverInterface::SetActiveCoeffSet(2, 0), RET_FAILURE);
  // Compensation did not become active, so gains still go out.
  _bandGain g{0, {}, 0, 0, {}};
  fake_.device->clearRecords();
  EXPECT_EQ(CEqDriverInterface::SetBandGain(&g, 0), 1);
  EXPECT_EQ(requests().size(), 1u);
}

TEST_F(EqReady, AnOrdinarySetEndsSpeakerCompensation) {
  ASSERT_EQ(CEqDriverInterface::SetSpeakerCompensationCoeffSetActive(0), RET_SUCCESS);
  _bandGain g{0, {}, 0, 0, {}};
  EXPECT_EQ(CEqDriverInterface::SetBandGain(&g, 0), 0);
  ASSERT_EQ(CEqDriverInterface::SetActiveCoeffSet(0xFFFF, 0), RET_SUCCESS);
  EXPECT_EQ(CEqDriverInterface::SetBandGain(&g, 0), 1);
}

TEST_F(EqReady, GetActiveCoeffSetFillsTheCallerOnlyAndLeavesTheModuleAlone) {
  fake_.device->script(kGetActiveCoeffSet, {{TRUE, le32(0xFFFFFFFF)}});
  ULONG number = 0;
  EXPECT_EQ(CEqDriverInterface::GetActiveCoeffSet(number, 0), RET_SUCCESS);
  EXPECT_EQ(number, 0xFFFFFFFFu);
  // The module still believes in set 0, so gains are not refused.
  _bandGain g{0, {}, 0, 0, {}};
  EXPECT_EQ(CEqDriverInterface::SetBandGain(&g, 0), 1);
}

}  // namespace
