// An outside program on a fresh default machine sets band steps -20..+20 and reads back the
// documented values: exact for 0, every negative step and the multiples of 4, one less otherwise.
#include <sstream>

#include <gtest/gtest.h>

#include <temp_machine.h>

namespace {

constexpr int kReadBack[41] = {-20, -19, -18, -17, -16, -15, -14, -13, -12, -11, -10, -9, -8, -7,
                               -6,  -5,  -4,  -3,  -2,  -1,  0,   0,   1,   2,   4,   4,  5,  6,
                               8,   8,   9,   10,  12,  12,  13,  14,  16,  16,  17,  18, 20};

TEST(OutsideProgram, ReadsBackTheBandTablesValues) {
  ombrin::test::TempMachine machine;  // Windows 98 with the sound edition, as a first start makes it
  auto result = ombrin::test::run({(ombrin::test::buildDir() / "tests" / "dal_outside_program").string()});
  ASSERT_EQ(result.exitCode, 0) << result.out << result.err;
  std::istringstream lines(result.out);
  for (unsigned channel = 0; channel < 2; ++channel) {
    for (int step = -20; step <= 20; ++step) {
      unsigned c = 9;
      int s = 99, back = 99;
      ASSERT_TRUE(lines >> c >> s >> back) << result.out;
      EXPECT_EQ(c, channel);
      EXPECT_EQ(s, step);
      EXPECT_EQ(back, kReadBack[step + 20]) << "channel " << channel << " step " << step;
    }
  }
}

TEST(OutsideProgram, LinksTheLibraryAlone) {
  // What the program names itself: the library, and no part of the machine.
  auto result = ombrin::test::run({"readelf", "-d", (ombrin::test::buildDir() / "tests" / "dal_outside_program").string()});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_NE(result.out.find("[libQv10DAL.so]"), std::string::npos) << result.out;
  EXPECT_EQ(result.out.find("ombrin_platform"), std::string::npos) << result.out;
}

}  // namespace
