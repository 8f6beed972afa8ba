// Each test gets its own temporary machine: OMBRIN_MACHINE points at a fresh directory
// for the test's lifetime, and every per-process table is reset before and after.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <ombrin/machine.h>

namespace ombrin::test {

class TempMachine {
 public:
  explicit TempMachine(machine::WindowsVersion version = machine::WindowsVersion::Win98,
                       std::vector<std::string> editions = {"sound"});
  ~TempMachine();
  TempMachine(const TempMachine&) = delete;
  TempMachine& operator=(const TempMachine&) = delete;

  const std::filesystem::path& root() const { return root_; }
  // The host path of an existing or new Windows path (asserts that it resolves).
  std::filesystem::path host(const std::string& winPath) const;
  // Writes a file at a Windows path, creating its directories.
  void writeFile(const std::string& winPath, const std::string& bytes) const;
  std::string readFile(const std::string& winPath) const;
  // Switches the reported Windows version of this machine.
  void setWindows(machine::WindowsVersion version);

 private:
  std::filesystem::path root_;
};

// A gtest fixture holding a Windows 98 machine with the card.
class MachineTest : public ::testing::Test {
 protected:
  TempMachine machine_;
};

// The build tree (OMBRIN_BUILD_DIR, set by CTest), for tests that run our programs.
std::filesystem::path buildDir();

// Runs a program with arguments in the current machine; returns its exit status and output.
struct RunResult {
  int exitCode = -1;
  std::string out;
  std::string err;
};
RunResult run(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv = {},
              const std::string& input = {});

}  // namespace ombrin::test
