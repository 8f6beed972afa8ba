// A temporary machine for a benchmark run: OMBRIN_MACHINE points at it while it lives.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include <ombrin/machine.h>

class BenchMachine {
 public:
  explicit BenchMachine(std::vector<std::string> editions = {},
                        ombrin::machine::WindowsVersion windows = ombrin::machine::WindowsVersion::Win98) {
    std::string pattern = (std::filesystem::temp_directory_path() / "ombrin-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
      error_ = "mkdtemp failed";
      return;
    }
    root_ = pattern;
    ::setenv("OMBRIN_MACHINE", root_.c_str(), 1);
    ombrin::machine::resetCurrent();
    ombrin::machine::Profile profile;
    profile.windows = windows;
    profile.editions = std::move(editions);
    if (!ombrin::machine::create(root_, profile, true, error_)) root_.clear();
  }
  ~BenchMachine() {
    ombrin::machine::resetCurrent();
    if (root_.empty()) return;
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
  }
  BenchMachine(const BenchMachine&) = delete;
  BenchMachine& operator=(const BenchMachine&) = delete;

  bool ok() const { return !root_.empty(); }
  const std::string& error() const { return error_; }
  const std::filesystem::path& root() const { return root_; }
  std::filesystem::path driveC() const { return root_ / "drive_c"; }

 private:
  std::filesystem::path root_;
  std::string error_;
};
