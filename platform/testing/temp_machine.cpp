#include "temp_machine.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <ombrin/paths.h>
#include <ombrin/trace.h>

namespace fs = std::filesystem;

namespace ombrin::test {

TempMachine::TempMachine(machine::WindowsVersion version, std::vector<std::string> editions) {
  std::string pattern = (fs::temp_directory_path() / "ombrin-test-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  root_ = pattern;
  machine::resetCurrent();
  ::setenv("OMBRIN_MACHINE", root_.c_str(), 1);
  trace::reset();
  machine::Profile profile;
  profile.windows = version;
  profile.editions = std::move(editions);
  std::string error;
  if (!machine::create(root_, profile, true, error)) throw std::runtime_error("cannot create test machine: " + error);
}

TempMachine::~TempMachine() {
  machine::resetCurrent();
  std::error_code ec;
  fs::remove_all(root_, ec);
  ::unsetenv("OMBRIN_MACHINE");
}

fs::path TempMachine::host(const std::string& winPath) const {
  auto resolved = paths::resolve(winPath);
  EXPECT_EQ(resolved.error, 0u) << winPath;
  return resolved.host;
}

void TempMachine::writeFile(const std::string& winPath, const std::string& bytes) const {
  auto path = host(winPath);
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

std::string TempMachine::readFile(const std::string& winPath) const {
  std::ifstream in(host(winPath), std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void TempMachine::setWindows(machine::WindowsVersion version) {
  std::string error;
  auto profile = machine::current().profile();
  profile.windows = version;
  ASSERT_TRUE(machine::current().saveProfile(profile, error)) << error;
  machine::resetCurrent();
}

fs::path buildDir() {
  const char* dir = std::getenv("OMBRIN_BUILD_DIR");
  return dir ? fs::path(dir) : fs::current_path().parent_path();
}

namespace {
std::string slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}
}  // namespace

RunResult run(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv,
              const std::string& input) {
  // Output goes through files, not pipes, so a chatty child can never block on a full pipe.
  std::string pattern = (fs::temp_directory_path() / "ombrin-run-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) return {};
  fs::path dir = pattern;
  std::ofstream(dir / "in", std::ios::binary) << input;
  pid_t pid = ::fork();
  if (pid == 0) {
    int in = ::open((dir / "in").c_str(), O_RDONLY);
    int out = ::open((dir / "out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int err = ::open((dir / "err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ::dup2(in, 0);
    ::dup2(out, 1);
    ::dup2(err, 2);
    for (const auto& assignment : extraEnv) ::putenv(const_cast<char*>(assignment.c_str()));
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    ::execvp(args[0], args.data());
    ::_exit(127);
  }
  RunResult result;
  int status = 0;
  ::waitpid(pid, &status, 0);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  result.out = slurp(dir / "out");
  result.err = slurp(dir / "err");
  std::error_code ec;
  fs::remove_all(dir, ec);
  return result;
}

}  // namespace ombrin::test
