// The library against the simulated card, across the processes of one machine.
#include <sstream>

#include <gtest/gtest.h>

#include <Qv10DAL.h>
#include <temp_machine.h>

namespace {

using ombrin::test::buildDir;
using ombrin::test::run;
using ombrin::test::RunResult;

RunResult probe(std::vector<std::string> steps) {
  steps.insert(steps.begin(), (buildDir() / "tests" / "dal_probe").string());
  return run(steps);
}

RunResult card(std::vector<std::string> args) {
  args.insert(args.begin(), {(buildDir() / "bin" / "ombrin-machine").string(), "card"});
  return run(args);
}

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

class SimulatedCard : public ombrin::test::MachineTest {};

TEST_F(SimulatedCard, TwoProcessesSeeTheSameGains) {
  auto writer = probe({"set-band", "3", "1", "8", "set-band", "0", "0", "-20"});
  ASSERT_EQ(writer.exitCode, 0) << writer.out << writer.err;
  EXPECT_EQ(writer.out, "1\n1\n");
  // This process is the second one.
  ASSERT_EQ(CEqDriverInterface::Init(nullptr), 1);
  _arrayBandGain gains{};
  ASSERT_EQ(CEqDriverInterface::GetArrayBandGains(&gains, 0), 1);
  EXPECT_EQ(gains.numGains, 20u);
  EXPECT_EQ(gains.gain[13], 8);
  EXPECT_EQ(gains.gain[0], -20);
  EXPECT_EQ(gains.gain[3], 0);
  _bandGain g{9, {}, 0, 12, {}};
  ASSERT_EQ(CEqDriverInterface::SetBandGain(&g, 0), 1);
  auto reader = probe({"gains"});
  EXPECT_EQ(reader.out, "1 -20 0 0 0 0 0 0 0 0 12 0 0 0 8 0 0 0 0 0 0\n");
}

TEST_F(SimulatedCard, BypassAndTheActiveSetSurviveASecondInitElsewhere) {
  auto first = probe({"set-all", "4", "bypass", "1", "set-active", "3"});
  ASSERT_EQ(first.out, "1\n1\n1\n") << first.err;
  auto second = probe({"get-bypass", "get-active", "gains"});
  EXPECT_EQ(lines(second.out), (std::vector<std::string>{"1", "1 3", "1 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0"}));
  // Set 3 has its own gains; set 0 kept the 4s.
  auto third = probe({"set-active", "0", "gains"});
  EXPECT_EQ(lines(third.out)[1], "1 4 4 4 4 4 4 4 4 4 4 4 4 4 4 4 4 4 4 4 4");
}

TEST_F(SimulatedCard, ARestartBringsTheCardBackAsAtPowerOn) {
  auto before = probe({"set-all", "8", "bypass", "1", "set-active", "2"});
  ASSERT_EQ(before.out, "1\n1\n1\n") << before.err;
  ASSERT_TRUE(ExitWindowsEx(EWX_REBOOT, 0));
  auto after = probe({"get-bypass", "get-active", "gains"});
  EXPECT_EQ(lines(after.out), (std::vector<std::string>{"0", "1 0", "1 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0"}));
}

TEST_F(SimulatedCard, SpeakerCompensationRefusesGainsInEveryProcess) {
  auto first = probe({"compensation", "gains"});
  ASSERT_EQ(lines(first.out).at(0), "1");
  EXPECT_NE(lines(first.out).at(1), "1 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0");
  // A later process learns at Init that compensation is active and refuses gains itself.
  auto second = probe({"get-active", "set-band", "0", "0", "5"});
  EXPECT_EQ(lines(second.out), (std::vector<std::string>{"1 4294967295", "0"}));
}

TEST_F(SimulatedCard, LevelsFollowTheGainsAndIgnoreThemWhileBypassed) {
  auto levels = probe({"set-all", "-20", "levels", "set-all", "20", "levels"});
  auto out = lines(levels.out);
  ASSERT_EQ(out.size(), 4u) << levels.err;
  std::istringstream quiet(out[1]), loud(out[3]);
  int result = 0;
  unsigned count = 0;
  quiet >> result >> count;
  EXPECT_EQ(result, 1);
  EXPECT_EQ(count, 20u);
  loud >> result >> count;
  int quietSum = 0, loudSum = 0;
  for (int i = 0, q = 0, l = 0; i < 20 && quiet >> q && loud >> l; ++i) {
    quietSum += q;
    loudSum += l;
  }
  // Two octaves of gain between the two moments' curves outweigh the programme's own movement.
  EXPECT_GT(loudSum, quietSum + 20 * 4);
  // Bypassed, the library does not even ask.
  auto bypassed = probe({"bypass", "1", "levels"});
  EXPECT_EQ(lines(bypassed.out).at(1), "1 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0");
}

struct FaultCase {
  const char* name;
  std::vector<std::string> fault;
  std::vector<std::string> steps;
  int exitCode;
  std::string out;
};
void PrintTo(const FaultCase& c, std::ostream* os) { *os << c.name; }

class ScriptedFaults : public SimulatedCard, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(ScriptedFaults, ReachTheLibrarysFailurePaths) {
  auto scripted = card(GetParam().fault);
  ASSERT_EQ(scripted.exitCode, 0) << scripted.err;
  auto result = probe(GetParam().steps);
  EXPECT_EQ(result.exitCode, GetParam().exitCode) << result.err;
  EXPECT_EQ(result.out, GetParam().out);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, ScriptedFaults,
    ::testing::Values(
        FaultCase{"NoCard", {"remove"}, {}, 3, "init failed\n"},
        FaultCase{"PropertyRequestFails", {"fail", "IOCTL_GET_PROPERTY"}, {}, 3, "init failed\n"},
        FaultCase{"ActiveSetRequestFails", {"fail", "EQ_GET_ACTIVE_COEFF_SET", "always"}, {}, 3, "init failed\n"},
        FaultCase{"SetBandGainFailsOnce", {"fail", "eq_set_band_gain"}, {"set-band", "1", "0", "3", "set-band", "1", "0", "3"}, 0,
                  "0\n1\n"},
        FaultCase{"SetBandGainFailsTwice", {"fail", "EQ_SET_BAND_GAIN", "2"},
                  {"set-band", "1", "0", "3", "set-band", "1", "0", "3", "set-band", "1", "0", "3"}, 0, "0\n0\n1\n"},
        FaultCase{"BypassFails", {"fail", "SET_PROPERTY", "always"}, {"bypass", "1", "get-bypass"}, 0, "0\n0\n"},
        FaultCase{"LevelCountWrong", {"levels", "7"}, {"levels"}, 0, "0 7\n"},
        FaultCase{"NoSpeakerCompensation", {"compensation", "off"}, {"compensation", "get-active"}, 0, "0\n1 0\n"}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

}  // namespace
