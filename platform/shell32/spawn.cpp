#include "spawn.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include <dlfcn.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <ombrin/machine.h>
#include <ombrin/shell.h>

extern char** environ;

namespace ombrin::shell {
namespace {

// Programs started and not yet reaped; a started program is never waited for by the caller,
// so finished ones are collected whenever the shell runs again.
struct Children {
  std::mutex mutex;
  std::vector<pid_t> pids;

  void reapFinished() {
    std::lock_guard lock(mutex);
    std::erase_if(pids, [](pid_t pid) { return ::waitpid(pid, nullptr, WNOHANG) != 0; });
  }
};

Children& children() {
  static Children state;
  static const bool registered = [] {
    machine::onReset([] { children().reapFinished(); });
    return true;
  }();
  (void)registered;
  return state;
}

// Machine programs are host programs built on this platform library: they are given the
// directory of the one that starts them, wherever in the machine they lie.
std::string libraryPathVariable() {
  Dl_info info{};
  std::string dir;
  if (::dladdr(reinterpret_cast<void*>(&spawnProgram), &info) != 0 && info.dli_fname != nullptr)
    dir = std::filesystem::path(info.dli_fname).parent_path().string();
  const char* inherited = std::getenv("LD_LIBRARY_PATH");
  std::string value = dir;
  if (inherited != nullptr && *inherited != '\0') value += (value.empty() ? "" : ":") + std::string(inherited);
  return "LD_LIBRARY_PATH=" + value;
}

}  // namespace

int spawnProgram(const std::filesystem::path& program, const std::vector<std::string>& args,
                 const std::filesystem::path& workingDirectory) {
  children().reapFinished();

  std::string machineVariable = "OMBRIN_MACHINE=" + machine::current().root().string();
  std::string libraryVariable = libraryPathVariable();
  std::vector<char*> envp;
  for (char** e = environ; e != nullptr && *e != nullptr; ++e)
    if (std::strncmp(*e, "OMBRIN_MACHINE=", 15) != 0 && std::strncmp(*e, "LD_LIBRARY_PATH=", 16) != 0)
      envp.push_back(*e);
  envp.push_back(machineVariable.data());
  envp.push_back(libraryVariable.data());
  envp.push_back(nullptr);

  std::string programText = program.string();
  std::vector<std::string> argStorage{programText};
  argStorage.insert(argStorage.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& a : argStorage) argv.push_back(a.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  ::posix_spawn_file_actions_init(&actions);
  if (!workingDirectory.empty()) ::posix_spawn_file_actions_addchdir_np(&actions, workingDirectory.c_str());
  pid_t pid = 0;
  int error = ::posix_spawn(&pid, programText.c_str(), &actions, nullptr, argv.data(), envp.data());
  ::posix_spawn_file_actions_destroy(&actions);
  if (error == 0) {
    std::lock_guard lock(children().mutex);
    children().pids.push_back(pid);
  }
  return error;
}

int waitForStartedPrograms() {
  std::vector<pid_t> pids;
  {
    std::lock_guard lock(children().mutex);
    pids.swap(children().pids);
  }
  for (pid_t pid : pids) {
    while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
  }
  return static_cast<int>(pids.size());
}

}  // namespace ombrin::shell
