// The command line a program sees, and the process identity calls.
#include <filesystem>

#include <unistd.h>

#include <gtest/gtest.h>

#include <temp_machine.h>
#include <win32/winbase.h>

namespace {

namespace fs = std::filesystem;
using ombrin::test::buildDir;
using ombrin::test::run;

class ProcessTest : public ombrin::test::MachineTest {};

TEST_F(ProcessTest, CommandLineQuotesWhatHoldsBlanks) {
  std::string program = (buildDir() / "tests" / "process_cmdline").string();
  struct Case {
    std::vector<std::string> arguments;
    std::string expected;  // after the program name
  } cases[] = {
      {{}, ""},
      {{"now", "silent"}, " now silent"},
      {{"two words"}, " \"two words\""},
      {{"tab\there", "x"}, " \"tab\there\" x"},
      {{""}, " \"\""},
      {{"Dev_0003"}, " Dev_0003"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> argv{program};
    argv.insert(argv.end(), c.arguments.begin(), c.arguments.end());
    EXPECT_EQ(run(argv).out, program + c.expected + "\n");
  }
}

TEST_F(ProcessTest, ProgramNameWithBlanksIsQuoted) {
  fs::path dir = machine_.root() / "dir with blank";
  fs::create_directories(dir);
  fs::copy_file(buildDir() / "tests" / "process_cmdline", dir / "process_cmdline");
  std::string program = (dir / "process_cmdline").string();
  auto result = run({program, "all"}, {"LD_LIBRARY_PATH=" + (buildDir() / "lib").string()});
  EXPECT_EQ(result.out, "\"" + program + "\" all\n") << result.err;
}

TEST_F(ProcessTest, CommandLineIsOneStableBuffer) {
  LPSTR line = GetCommandLineA();
  ASSERT_NE(line, nullptr);
  EXPECT_EQ(GetCommandLineA(), line);
  EXPECT_EQ(GetCurrentProcessId(), static_cast<DWORD>(::getpid()));
  EXPECT_EQ(GetCurrentProcess().value, 0xFFFFFFFFu);
}

}  // namespace
