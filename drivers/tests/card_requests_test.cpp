// The card's answers to each request, against a state of its own.
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "card_device.h"
#include "card_state.h"
#include "faults.h"
#include "program_signal.h"

using namespace ombrin::card;

namespace {

using Bytes = std::vector<BYTE>;

constexpr DWORD kSetBandGain = 0x001D2658;
constexpr DWORD kSetAllGains = 0x001D26A8;
constexpr DWORD kGetAllGains = 0x001D26D0;
constexpr DWORD kGetBandLevels = 0x001D26F8;
constexpr DWORD kSetCoeffSetData = 0x001D2720;
constexpr DWORD kGetCoeffSetData = 0x001D274A;
constexpr DWORD kSetActiveCoeffSet = 0x001D2770;
constexpr DWORD kGetActiveCoeffSet = 0x001D2798;
constexpr DWORD kSetActiveCoeffSetData = 0x001D27C0;
constexpr DWORD kGetActiveCoeffSetData = 0x001D27E8;
constexpr DWORD kCloseClient = 0x001D2860;
constexpr DWORD kSetProperty = 0x001D2CEA;
constexpr DWORD kGetProperty = 0x001D2D12;

Bytes le32(DWORD v) { return {BYTE(v), BYTE(v >> 8), BYTE(v >> 16), BYTE(v >> 24)}; }

Bytes bypassRequest(DWORD value, DWORD selector = 0xFFFF0009) {
  Bytes b{1, 0, 0, 0, 0};
  for (BYTE x : le32(selector)) b.push_back(x);
  b.push_back(4);
  b.push_back(0);
  for (BYTE x : le32(value)) b.push_back(x);
  return b;
}

class CardRequests : public ::testing::Test {
 protected:
  void SetUp() override {
    std::memset(&state_, 0, sizeof state_);
    powerOn(state_);
  }

  // Sends through the one device of NT (all units) unless told otherwise.
  BOOL send(DWORD code, Bytes in, DWORD outSize, std::vector<Unit> units = {Unit::Core, Unit::Mixer, Unit::Wave}) {
    out_.assign(outSize, 0xEE);
    return answerRequest(state_, units, code, in.empty() ? nullptr : in.data(), static_cast<DWORD>(in.size()),
                         outSize ? out_.data() : nullptr, outSize, bytes_, error_);
  }
  // A write request whose output carries the device identifier (0: the first speaker).
  BOOL write(DWORD code, Bytes in, std::vector<Unit> units = {Unit::Core, Unit::Mixer, Unit::Wave}) {
    out_ = le32(0);
    return answerRequest(state_, units, code, in.data(), static_cast<DWORD>(in.size()), out_.data(), 4, bytes_, error_);
  }
  SHORT outGain(int entry) const { return static_cast<SHORT>(out_[4 + 2 * entry] | out_[5 + 2 * entry] << 8); }
  DWORD outDword(int offset) const {
    return out_[offset] | out_[offset + 1] << 8 | out_[offset + 2] << 16 | static_cast<DWORD>(out_[offset + 3]) << 24;
  }

  CardState state_;
  Bytes out_;
  DWORD bytes_ = 0;
  DWORD error_ = 0;
};

// A driver checks its buffers before anything else.
struct SizeCase {
  const char* name;
  DWORD code;
  DWORD inSize;
  DWORD outSize;
  DWORD error;
};
void PrintTo(const SizeCase& c, std::ostream* os) { *os << c.name; }

class WrongBuffers : public CardRequests, public ::testing::WithParamInterface<SizeCase> {};

TEST_P(WrongBuffers, FailAsTheDriverWould) {
  const auto before = state_.sets[0];
  EXPECT_EQ(send(GetParam().code, Bytes(GetParam().inSize, 0), GetParam().outSize), FALSE);
  EXPECT_EQ(error_, GetParam().error);
  EXPECT_EQ(std::memcmp(&before, &state_.sets[0], sizeof before), 0);
}

INSTANTIATE_TEST_SUITE_P(
    EveryRequest, WrongBuffers,
    ::testing::Values(SizeCase{"SetBandGainShort", kSetBandGain, 11, 0, ERROR_INVALID_PARAMETER},
                      SizeCase{"SetBandGainLong", kSetBandGain, 13, 0, ERROR_INVALID_PARAMETER},
                      SizeCase{"SetAllGainsShort", kSetAllGains, 40, 0, ERROR_INVALID_PARAMETER},
                      SizeCase{"GetAllGainsSmallOutput", kGetAllGains, 0, 43, ERROR_INSUFFICIENT_BUFFER},
                      SizeCase{"GetAllGainsWithInput", kGetAllGains, 4, 44, ERROR_INVALID_PARAMETER},
                      SizeCase{"GetBandLevelsSmallOutput", kGetBandLevels, 0, 40, ERROR_INSUFFICIENT_BUFFER},
                      SizeCase{"SetCoeffSetDataShort", kSetCoeffSetData, 244, 4, ERROR_INVALID_PARAMETER},
                      SizeCase{"SetCoeffSetDataNoIdRoom", kSetCoeffSetData, 248, 0, ERROR_INSUFFICIENT_BUFFER},
                      SizeCase{"GetCoeffSetDataSmallOutput", kGetCoeffSetData, 4, 244, ERROR_INSUFFICIENT_BUFFER},
                      SizeCase{"SetActiveCoeffSetNoInput", kSetActiveCoeffSet, 0, 4, ERROR_INVALID_PARAMETER},
                      SizeCase{"GetActiveCoeffSetNoOutput", kGetActiveCoeffSet, 4, 0, ERROR_INSUFFICIENT_BUFFER},
                      SizeCase{"SetActiveCoeffSetDataShort", kSetActiveCoeffSetData, 4, 4, ERROR_INVALID_PARAMETER},
                      SizeCase{"GetActiveCoeffSetDataSmall", kGetActiveCoeffSetData, 4, 4, ERROR_INSUFFICIENT_BUFFER},
                      SizeCase{"CloseClientWithInput", kCloseClient, 4, 0, ERROR_INVALID_PARAMETER},
                      SizeCase{"SetPropertyShort", kSetProperty, 14, 10, ERROR_INVALID_PARAMETER},
                      SizeCase{"GetPropertySmallReply", kGetProperty, 15, 9, ERROR_INSUFFICIENT_BUFFER},
                      SizeCase{"UnknownCode", 0x001D0000, 0, 0, ERROR_INVALID_FUNCTION}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

TEST_F(CardRequests, EqualizerRequestsGoToTheCoreDeviceOnly) {
  EXPECT_EQ(send(kGetAllGains, {}, 44, {Unit::Mixer}), FALSE);
  EXPECT_EQ(error_, DWORD(ERROR_INVALID_FUNCTION));
  EXPECT_EQ(send(kGetAllGains, {}, 44, {Unit::Core}), TRUE);
}

TEST_F(CardRequests, GainsStartFlatAndFollowBandAndArrayRequests) {
  ASSERT_TRUE(send(kGetAllGains, {}, 44));
  EXPECT_EQ(outDword(0), 20u);
  EXPECT_EQ(bytes_, 44u);
  for (int i = 0; i < 20; ++i) EXPECT_EQ(outGain(i), kFlatGain);
  // Right channel band 2; a channel other than 1 is the left one.
  ASSERT_TRUE(send(kSetBandGain, {2, 0, 0, 0, 1, 0, 0, 0, 0x10, 0x27, 0, 0}, 0));
  ASSERT_TRUE(send(kSetBandGain, {3, 0, 0, 0, 2, 0, 0, 0, 0x20, 0x4E, 0, 0}, 0));
  ASSERT_TRUE(send(kGetAllGains, {}, 44));
  EXPECT_EQ(outGain(12), 10000);
  EXPECT_EQ(outGain(3), 20000);
  // An array request sets as many entries as it says.
  Bytes all = le32(2);
  for (int i = 0; i < 20; ++i) {
    all.push_back(0xA5);
    all.push_back(0x0F);
  }
  ASSERT_TRUE(send(kSetAllGains, all, 0));
  ASSERT_TRUE(send(kGetAllGains, {}, 44));
  EXPECT_EQ(outGain(1), 4005);
  EXPECT_EQ(outGain(2), kFlatGain);
  // Beyond the table: refused.
  EXPECT_FALSE(send(kSetBandGain, {10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 0));
  all[0] = 21;
  EXPECT_FALSE(send(kSetAllGains, all, 0));
}

TEST_F(CardRequests, EachOrdinarySetKeepsItsGainsAndData) {
  Bytes set = le32(5);
  for (int i = 0; i < 244; ++i) set.push_back(static_cast<BYTE>(i));
  ASSERT_TRUE(send(kSetCoeffSetData, set, 4));
  ASSERT_TRUE(send(kSetActiveCoeffSet, le32(5), 4));
  ASSERT_TRUE(send(kGetActiveCoeffSet, le32(0), 4));
  EXPECT_EQ(outDword(0), 5u);
  // The set's first 40 bytes are its gains.
  ASSERT_TRUE(send(kGetAllGains, {}, 44));
  EXPECT_EQ(outGain(0), 0x0100);
  ASSERT_TRUE(send(kGetActiveCoeffSetData, le32(0), 248));
  EXPECT_EQ(outDword(0), 5u);
  EXPECT_EQ(Bytes(out_.begin() + 4, out_.end()), Bytes(set.begin() + 4, set.end()));
  // The record names the set to read; out-direct requests read the caller's buffer.
  out_.assign(248, 0);
  for (BYTE& b : out_) b = 0;
  Bytes request = le32(0);
  Bytes reply(248, 0);
  reply[0] = 5;
  DWORD bytes = 0, error = 0;
  ASSERT_TRUE(answerRequest(state_, {Unit::Core}, kGetCoeffSetData, request.data(), 4, reply.data(), 248, bytes, error));
  EXPECT_EQ(Bytes(reply.begin() + 4, reply.end()), Bytes(set.begin() + 4, set.end()));
  // Only sets 0 to 7 exist.
  set[0] = 8;
  EXPECT_FALSE(send(kSetCoeffSetData, set, 4));
  EXPECT_FALSE(send(kSetActiveCoeffSet, le32(8), 4));
}

TEST_F(CardRequests, TheSpeakerCompensationSetIsTheCardsOwn) {
  ASSERT_TRUE(send(kSetActiveCoeffSet, le32(0xFFFFFFFF), 4));
  ASSERT_TRUE(send(kGetActiveCoeffSet, le32(0), 4));
  EXPECT_EQ(outDword(0), 0xFFFFFFFFu);
  ASSERT_TRUE(send(kGetAllGains, {}, 44));
  EXPECT_GT(outGain(0), kFlatGain);  // its lows are lifted
  EXPECT_EQ(outGain(0), outGain(10));
  EXPECT_FALSE(send(kSetBandGain, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 0));
  EXPECT_EQ(error_, DWORD(ERROR_ACCESS_DENIED));
  EXPECT_FALSE(send(kSetActiveCoeffSetData, Bytes(248, 0), 4));
  ASSERT_TRUE(send(kSetActiveCoeffSet, le32(0), 4));
  EXPECT_TRUE(send(kSetBandGain, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 0));
}

TEST_F(CardRequests, ACardWithoutCompensationRefusesToSelectIt) {
  state_.noSpeakerCompensation = 1;
  EXPECT_FALSE(send(kSetActiveCoeffSet, le32(0xFFFFFFFF), 4));
  EXPECT_EQ(state_.activeSet, 0u);
}

TEST_F(CardRequests, BypassTravelsAsTheBypassProperty) {
  ASSERT_TRUE(send(kSetProperty, bypassRequest(7), 10));
  EXPECT_EQ(state_.bypass, 1u);
  ASSERT_TRUE(send(kGetProperty, bypassRequest(0), 10));
  EXPECT_EQ(out_[4], 4);
  EXPECT_EQ(outDword(6), 1u);
  // Another property is not the card's.
  EXPECT_FALSE(send(kSetProperty, bypassRequest(0, 0xFFFF0001), 10));
  EXPECT_EQ(state_.bypass, 1u);
}

TEST_F(CardRequests, ScriptedFaultsFailTheirRequestTheGivenNumberOfTimes) {
  ASSERT_TRUE(scriptRequestFault(state_, kGetAllGains, 2));
  EXPECT_FALSE(send(kGetAllGains, {}, 44));
  EXPECT_FALSE(send(kGetAllGains, {}, 44));
  EXPECT_TRUE(send(kGetAllGains, {}, 44));
  ASSERT_TRUE(scriptRequestFault(state_, kGetProperty, kAlways));
  for (int i = 0; i < 3; ++i) EXPECT_FALSE(send(kGetProperty, bypassRequest(0), 10));
  ASSERT_TRUE(scriptRequestFault(state_, kGetProperty, 0));
  EXPECT_TRUE(send(kGetProperty, bypassRequest(0), 10));
  // A badly sized request is refused before a fault is used up.
  ASSERT_TRUE(scriptRequestFault(state_, kGetAllGains, 1));
  EXPECT_FALSE(send(kGetAllGains, {}, 4));
  EXPECT_FALSE(send(kGetAllGains, {}, 44));
  EXPECT_TRUE(send(kGetAllGains, {}, 44));
}

TEST_F(CardRequests, LevelRepliesCarryTheScriptedCountButNeverMoreThanTwentyEntries) {
  state_.levelCount = 300;
  out_.assign(60, 0xEE);
  DWORD bytes = 0, error = 0;
  ASSERT_TRUE(answerRequest(state_, {Unit::Core}, kGetBandLevels, nullptr, 0, out_.data(), 60, bytes, error));
  EXPECT_EQ(outDword(0), 300u);
  EXPECT_EQ(out_[44], 0xEE);
}

TEST_F(CardRequests, ARemovedCardAnswersNothing) {
  state_.absent = 1;
  EXPECT_FALSE(send(kGetAllGains, {}, 44));
  EXPECT_EQ(error_, kErrorNotConnected);
}

constexpr DWORD kSetWaveOption = 0x001D2608;
constexpr DWORD kGetStatus = 0x001D2A42;
constexpr DWORD kGetNextDeviceId = 0x001D2A68;
constexpr DWORD kSetMixerConfig = 0x001D2A90;
constexpr DWORD kSetCoreConfig = 0x001D2AB8;
constexpr DWORD kGetMixerInfo = 0x001D2AE0;
constexpr DWORD kGetCoreInfo = 0x001D2B08;
constexpr DWORD kGetMixerStatus = 0x001D2B30;

Bytes config(BYTE fill) {
  Bytes c(28, fill);
  c[0] = c[1] = c[2] = c[3] = 0;
  return c;
}

TEST_F(CardRequests, SpeakerRequestsGoToTheirOwnDeviceOnWindows98) {
  EXPECT_FALSE(write(kSetMixerConfig, config(1), {Unit::Core}));
  EXPECT_EQ(error_, DWORD(ERROR_INVALID_FUNCTION));
  EXPECT_FALSE(send(kSetWaveOption, le32(2), 0, {Unit::Mixer}));
  EXPECT_TRUE(send(kSetWaveOption, le32(2), 0, {Unit::Wave}));
  EXPECT_TRUE(write(kSetCoreConfig, config(1), {Unit::Core}));
}

TEST_F(CardRequests, DeviceIdentifiersWalkToZero) {
  ASSERT_TRUE(send(kGetNextDeviceId, {}, 4));
  const DWORD first = outDword(0);
  ASSERT_TRUE(send(kGetNextDeviceId, le32(first), 4));
  const DWORD second = outDword(0);
  EXPECT_NE(second, 0u);
  ASSERT_TRUE(send(kGetNextDeviceId, le32(second), 4));
  EXPECT_EQ(outDword(0), 0u);
  // An identifier the card never gave out.
  EXPECT_FALSE(send(kGetNextDeviceId, le32(0x4711), 4));
}

TEST_F(CardRequests, StatusShowsTheConfigurationAndBitFiveOnceTheMixerHasSome) {
  ASSERT_TRUE(send(kGetStatus, le32(0), 40));
  EXPECT_EQ(outDword(0) & 0x20, 0u);
  ASSERT_TRUE(write(kSetCoreConfig, config(0x5C)));
  ASSERT_TRUE(send(kSetWaveOption, le32(2), 0));
  ASSERT_TRUE(send(kGetStatus, le32(0), 40));
  EXPECT_EQ(out_[4], 0x5C);
  EXPECT_EQ(outDword(28), 2u);
  EXPECT_EQ(outDword(32), 2u);
  ASSERT_TRUE(write(kSetMixerConfig, config(0x6D)));
  ASSERT_TRUE(send(kGetStatus, le32(0), 40));
  EXPECT_EQ(outDword(0) & 0x20, 0x20u);
  ASSERT_TRUE(send(kGetMixerStatus, le32(0), 28));
  EXPECT_EQ(out_[4], 0x6D);
  // Write requests name a device of the card in their output.
  out_.assign(4, 0);
  Bytes in = config(1);
  Bytes id = le32(0x4711);
  DWORD bytes = 0, error = 0;
  EXPECT_FALSE(answerRequest(state_, {Unit::Core}, kSetCoreConfig, in.data(), 28, id.data(), 4, bytes, error));
}

TEST_F(CardRequests, MixerInformationFillsItsPlaceInEitherRecord) {
  ASSERT_TRUE(send(kGetMixerInfo, le32(0), 392));
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(out_.data()), 6), "Ombrin");
  ASSERT_TRUE(send(kGetMixerInfo, le32(0), 660));
  EXPECT_EQ(out_[0], 0xEE);  // the core's part is left alone
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(out_.data() + 268), 6), "Ombrin");
  EXPECT_FALSE(send(kGetMixerInfo, le32(0), 500));
  // Core information comes with or without a device identifier.
  EXPECT_TRUE(send(kGetCoreInfo, {}, 268));
  EXPECT_TRUE(send(kGetCoreInfo, le32(0), 268));
}

TEST(ProgramSignal, GainsShapeTheLevelsUnlessBypassed) {
  SHORT flat[kGains], boosted[kGains], cut[kGains];
  for (int i = 0; i < kGains; ++i) {
    flat[i] = kFlatGain;
    boosted[i] = kMaxGain;
    cut[i] = kMinGain;
  }
  for (std::uint64_t t : {0ull, 137ull, 5000ull, 86400000ull}) {
    SHORT a[kGains], b[kGains], c[kGains], d[kGains];
    programLevels(t, flat, true, a);
    programLevels(t, boosted, true, b);
    programLevels(t, cut, true, c);
    programLevels(t, boosted, false, d);
    for (int i = 0; i < kGains; ++i) {
      EXPECT_GE(a[i], 1);
      EXPECT_GT(b[i], a[i]);
      EXPECT_LT(c[i], a[i]);
      // Bypassed, the gains do not matter.
      EXPECT_EQ(d[i], a[i]);
    }
  }
}

TEST(ProgramSignal, MovesWithTheBeat) {
  SHORT flat[kGains];
  for (auto& g : flat) g = kFlatGain;
  SHORT onBeat[kGains], offBeat[kGains];
  programLevels(1000, flat, true, onBeat);
  programLevels(1200, flat, true, offBeat);
  // The kick in the lowest band has faded 200 ms later.
  EXPECT_GT(onBeat[0], offBeat[0]);
}

}  // namespace
