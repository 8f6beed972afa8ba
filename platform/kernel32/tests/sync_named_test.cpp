// Named mutexes and events, shared by all processes of the machine: the ERROR_ALREADY_EXISTS
// rules, names taken by another type, the end of an object with its last holder, and other
// processes (sync_child) that see, signal, hold and abandon them.
#include <filesystem>
#include <string>
#include <vector>

#include <spawn.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <temp_machine.h>
#include <win32/winbase.h>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using ombrin::test::buildDir;
using ombrin::test::run;

class SyncNamedTest : public ombrin::test::MachineTest {
 protected:
  static std::string child() { return (buildDir() / "tests" / "sync_child").string(); }

  // Starts the child without waiting for it; the machine comes with the environment.
  static pid_t start(std::vector<std::string> args) {
    args.insert(args.begin(), child());
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    EXPECT_EQ(::posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ), 0);
    return pid;
  }
  static int finish(pid_t pid) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
};

HANDLE createNamed(bool mutex, const char* name) {
  return mutex ? CreateMutexA(nullptr, FALSE, name) : CreateEventA(nullptr, TRUE, FALSE, name);
}

TEST_F(SyncNamedTest, AlreadyExistsRules) {
  struct Case {
    const char* what;
    bool firstIsMutex;
    bool secondIsMutex;
    bool closeFirst;
    bool secondSucceeds;
    DWORD secondError;
  } cases[] = {
      {"mutex twice", true, true, false, true, ERROR_ALREADY_EXISTS},
      {"event twice", false, false, false, true, ERROR_ALREADY_EXISTS},
      {"mutex again after the last close", true, true, true, true, ERROR_SUCCESS},
      {"event again after the last close", false, false, true, true, ERROR_SUCCESS},
      {"event on a mutex's name", true, false, false, false, ERROR_INVALID_HANDLE},
      {"mutex on an event's name", false, true, false, false, ERROR_INVALID_HANDLE},
      {"event on a closed mutex's name", true, false, true, true, ERROR_SUCCESS},
  };
  for (const auto& c : cases) {
    std::string name = std::string("rules: ") + c.what;
    HANDLE first = createNamed(c.firstIsMutex, name.c_str());
    ASSERT_TRUE(first) << c.what;
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS)) << c.what;
    if (c.closeFirst) CloseHandle(first);
    SetLastError(0xBAD);
    HANDLE second = createNamed(c.secondIsMutex, name.c_str());
    EXPECT_EQ(static_cast<bool>(second), c.secondSucceeds) << c.what;
    EXPECT_EQ(GetLastError(), c.secondError) << c.what;
    if (second) CloseHandle(second);
    if (!c.closeFirst) CloseHandle(first);
  }
}

TEST_F(SyncNamedTest, OpenFindsOnlyExistingObjectsOfItsType) {
  HANDLE mutex = CreateMutexA(nullptr, FALSE, "open me");
  ASSERT_TRUE(mutex);
  struct Case {
    const char* what;
    HANDLE (*open)(const char* name);
    const char* name;
    DWORD error;  // 0: the open succeeds
  } cases[] = {
      {"mutex", [](const char* n) { return OpenMutexA(SYNCHRONIZE, FALSE, n); }, "open me", 0},
      {"names are case-sensitive", [](const char* n) { return OpenMutexA(SYNCHRONIZE, FALSE, n); }, "OPEN ME",
       ERROR_FILE_NOT_FOUND},
      {"event on a mutex", [](const char* n) { return OpenEventA(SYNCHRONIZE, FALSE, n); }, "open me",
       ERROR_INVALID_HANDLE},
      {"missing", [](const char* n) { return OpenEventA(SYNCHRONIZE, FALSE, n); }, "nobody", ERROR_FILE_NOT_FOUND},
      {"session prefix", [](const char* n) { return OpenMutexA(SYNCHRONIZE, FALSE, n); }, "Global\\open me", 0},
      {"unknown object directory", [](const char* n) { return OpenMutexA(SYNCHRONIZE, FALSE, n); }, "x\\open me",
       ERROR_PATH_NOT_FOUND},
  };
  for (const auto& c : cases) {
    SetLastError(0);
    HANDLE handle = c.open(c.name);
    EXPECT_EQ(static_cast<bool>(handle), c.error == 0) << c.what;
    if (c.error) {
      EXPECT_EQ(GetLastError(), c.error) << c.what;
    }
    if (handle) CloseHandle(handle);
  }
  EXPECT_FALSE(OpenMutexA(SYNCHRONIZE, FALSE, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  std::string tooLong(MAX_PATH + 1, 'n');
  EXPECT_FALSE(CreateMutexA(nullptr, FALSE, tooLong.c_str()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE));
  CloseHandle(mutex);
}

TEST_F(SyncNamedTest, TwoHandlesOfOneProcessShareTheObject) {
  HANDLE first = CreateEventA(nullptr, FALSE, FALSE, "shared in process");
  HANDLE second = OpenEventA(EVENT_ALL_ACCESS, FALSE, "shared in process");
  ASSERT_TRUE(first && second);
  EXPECT_NE(first.value, second.value);
  SetEvent(first);
  EXPECT_EQ(WaitForSingleObject(second, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(first, 0), WAIT_TIMEOUT) << "one automatic event behind both";
  CloseHandle(first);
  CloseHandle(second);
}

TEST_F(SyncNamedTest, AnotherProcessSeesAndSignalsTheObjects) {
  HANDLE event = CreateEventA(nullptr, TRUE, FALSE, "QV5530GEQ");
  ASSERT_TRUE(event);
  auto seen = run({child(), "create-event", "QV5530GEQ"});
  EXPECT_EQ(seen.out, "exists\n");
  EXPECT_EQ(run({child(), "create-mutex", "QV5530GEQ"}).out, "error 6\n") << "the name belongs to an event";
  EXPECT_EQ(run({child(), "set-event", "QV5530GEQ"}).exitCode, 0);
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
  ResetEvent(event);

  pid_t waiter = start({"wait-event", "QV5530GEQ"});
  SetEvent(event);
  EXPECT_EQ(finish(waiter), 0) << "the child woke up on our SetEvent";

  CloseHandle(event);
  auto traced = run({child(), "create-event", "QV5530GEQ"}, {"OMBRIN_TRACE=sync"});
  EXPECT_EQ(traced.out, "new\n") << "gone with its last holder";
  EXPECT_NE(traced.err.find("trace:sync:CreateEventA(1, 0, \"QV5530GEQ\") -> 0x"), std::string::npos) << traced.err;
  EXPECT_EQ(run({child(), "create-event", "QV5530GEQ"}).out, "new\n") << "a holder that ended let it go";
}

TEST_F(SyncNamedTest, MutexHandedOverBetweenProcesses) {
  const char* name = "Speaker API DLL Mutex Handle name";
  HANDLE mutex = CreateMutexA(nullptr, FALSE, name);
  HANDLE held = CreateEventA(nullptr, FALSE, FALSE, "held");
  HANDLE go = CreateEventA(nullptr, FALSE, FALSE, "go");
  ASSERT_TRUE(mutex && held && go);
  pid_t holder = start({"hold-until", name, "held", "go"});
  ASSERT_EQ(WaitForSingleObject(held, 30000), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_TIMEOUT);
  EXPECT_EQ(WaitForSingleObject(mutex, 20), WAIT_TIMEOUT);
  SetEvent(go);
  EXPECT_EQ(WaitForSingleObject(mutex, INFINITE), WAIT_OBJECT_0) << "released, not abandoned";
  EXPECT_EQ(finish(holder), 0);
  EXPECT_TRUE(ReleaseMutex(mutex));
  for (HANDLE h : {mutex, held, go}) CloseHandle(h);
}

TEST_F(SyncNamedTest, AProcessThatDiesHoldingTheMutexAbandonsIt) {
  const char* name = "Speaker API DLL Mutex Handle name";
  for (const char* how : {"return", "_exit", "kill"}) {
    HANDLE mutex = CreateMutexA(nullptr, FALSE, name);
    ASSERT_TRUE(mutex) << how;
    auto result = run({child(), "hold-and-exit", name, how});
    EXPECT_NE(result.exitCode, 2) << how << ": " << result.err;
    EXPECT_EQ(WaitForSingleObject(mutex, INFINITE), WAIT_ABANDONED) << how;
    EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_OBJECT_0) << how << ": owned, and counted";
    EXPECT_TRUE(ReleaseMutex(mutex)) << how;
    EXPECT_TRUE(ReleaseMutex(mutex)) << how;
    EXPECT_FALSE(ReleaseMutex(mutex)) << how;
    CloseHandle(mutex);
  }
  // Without anyone else holding it, the dead holder's mutex is gone, not abandoned.
  EXPECT_EQ(run({child(), "hold-and-exit", name, "kill"}).exitCode, 128 + 9);
  HANDLE fresh = CreateMutexA(nullptr, FALSE, name);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_EQ(WaitForSingleObject(fresh, 0), WAIT_OBJECT_0);
  ReleaseMutex(fresh);
  CloseHandle(fresh);
}

TEST_F(SyncNamedTest, ProcessesCreatingAndClosingOneNameAtOnce) {
  // Objects come and go under the feet of the others: each must always get a working one.
  std::vector<pid_t> children;
  for (int i = 0; i < 4; ++i) children.push_back(start({"churn", "churned", "200"}));
  for (pid_t child : children) EXPECT_EQ(finish(child), 0);
  EXPECT_TRUE(fs::is_empty(machine_.root() / "run" / "objects"));
}

TEST_F(SyncNamedTest, TheLastCloseLeavesNothingBehind) {
  HANDLE event = CreateEventA(nullptr, TRUE, TRUE, "survivor");
  ASSERT_TRUE(event);
  EXPECT_TRUE(fs::exists(machine_.root() / "run" / "objects"));
  CloseHandle(event);
  EXPECT_TRUE(fs::is_empty(machine_.root() / "run" / "objects")) << "nothing left behind";
}

}  // namespace
