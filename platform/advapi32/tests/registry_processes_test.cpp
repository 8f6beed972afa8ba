// Several processes of one machine share the registry: writers wait for each other, and a
// writer killed in the middle of a call leaves the registry as before or after that call.
#include <chrono>
#include <csignal>
#include <random>
#include <string>
#include <thread>

#include <fcntl.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include "advapi32/write_generation.h"
#include "registry_fixture.h"

extern char** environ;

using namespace regtest;

namespace {

pid_t spawn(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  EXPECT_EQ(posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ), 0) << args[0];
  return pid;
}

int waitFor(pid_t pid) {
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::string writer() { return (ombrin::test::buildDir() / "tests" / "reg_writer").string(); }

DWORD generationOf(int index) {
  char path[64];
  std::snprintf(path, sizeof path, "Software\\Atomic\\K%03d", index);
  HKEY key{};
  if (open(HKEY_LOCAL_MACHINE, path, key, KEY_READ) != ERROR_SUCCESS) return 0;
  DWORD generation = 0, size = sizeof generation;
  EXPECT_EQ(RegQueryValueExA(key, "Gen", nullptr, nullptr, reinterpret_cast<BYTE*>(&generation), &size),
            ERROR_SUCCESS);
  RegCloseKey(key);
  return generation;
}

}  // namespace

TEST_F(RegistryTest, TwoProcessesWritingTheSameKeyAtOnceBothSucceed) {
  pid_t a = spawn({writer(), "set", "Software\\Shared", "a", "150"});
  pid_t b = spawn({writer(), "set", "Software\\Shared", "b", "150"});
  EXPECT_EQ(waitFor(a), 0);
  EXPECT_EQ(waitFor(b), 0);
  HKEY key{};
  ASSERT_EQ(open(HKEY_LOCAL_MACHINE, "Software\\Shared", key), ERROR_SUCCESS);
  EXPECT_EQ(valueNames(key).size(), 300u);
  EXPECT_EQ(subkeys(key).size(), 300u);
  RegCloseKey(key);
}

TEST_F(RegistryTest, AWriterKilledMidCallLeavesACompleteGeneration) {
  std::mt19937 random(std::random_device{}());
  for (int round = 0; round < 3; ++round) {
    pid_t child = spawn({writer(), "import-loop"});
    // Wait until the first generation is in, then kill at a random moment of a later one.
    for (int i = 0; i < 1000 && generationOf(299) == 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::this_thread::sleep_for(std::chrono::milliseconds(std::uniform_int_distribution<int>(5, 150)(random)));
    ::kill(child, SIGKILL);
    EXPECT_EQ(waitFor(child), 128 + SIGKILL);

    DWORD first = generationOf(0);
    ASSERT_NE(first, 0u);
    for (int i = 1; i < 300; ++i) ASSERT_EQ(generationOf(i), first) << "key " << i << " in round " << round;
  }
  // The registry stays writable after the crash.
  HKEY key = create(HKEY_LOCAL_MACHINE, "Software\\Atomic\\After");
  setDword(key, "Ok", 1);
  RegCloseKey(key);
}

namespace {

LONG queryDword(HKEY key, const char* name, DWORD& value) {
  DWORD size = sizeof value;
  return RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
}

// The machine's shared count of registry writes, as every process maps it.
class SharedCount {
 public:
  explicit SharedCount(const std::filesystem::path& machineRoot) {
    int fd = ::open((machineRoot / "registry.db-gen").c_str(), O_RDWR);
    EXPECT_GE(fd, 0);
    void* at = ::mmap(nullptr, sizeof(Shared), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    ::close(fd);
    EXPECT_NE(at, MAP_FAILED);
    shared_ = static_cast<Shared*>(at);
  }
  ~SharedCount() { ::munmap(shared_, sizeof(Shared)); }
  using Shared = ombrin::registry::WriteGeneration::Shared;
  Shared& operator*() { return *shared_; }

 private:
  Shared* shared_;
};

}  // namespace

// What this process has just read (and may remember) gives way to what another process writes.
TEST_F(RegistryTest, AnotherProcesssWritesShowAtTheNextCall) {
  HKEY seen = create(HKEY_LOCAL_MACHINE, "Software\\Seen");
  RegCloseKey(create(seen, "Old"));
  DWORD value = kSentinel;
  EXPECT_EQ(queryDword(seen, "v0", value), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(subkeys(seen), std::vector<std::string>{"Old"});
  EXPECT_FALSE(exists(HKEY_LOCAL_MACHINE, "Software\\Seen\\v0"));

  ASSERT_EQ(waitFor(spawn({writer(), "set", "Software\\Seen", "v", "1"})), 0);
  EXPECT_EQ(queryDword(seen, "v0", value), ERROR_SUCCESS);
  EXPECT_EQ(value, 0u);
  EXPECT_EQ(subkeys(seen), (std::vector<std::string>{"Old", "v0"}));
  EXPECT_TRUE(exists(HKEY_LOCAL_MACHINE, "Software\\Seen\\v0"));

  HKEY old{};
  ASSERT_EQ(open(HKEY_LOCAL_MACHINE, "Software\\Seen\\Old", old), ERROR_SUCCESS);
  ASSERT_EQ(waitFor(spawn({writer(), "delete", "Software\\Seen\\Old"})), 0);
  EXPECT_FALSE(exists(HKEY_LOCAL_MACHINE, "Software\\Seen\\Old"));
  EXPECT_EQ(queryDword(old, "Any", value), ERROR_KEY_DELETED);
  EXPECT_EQ(subkeys(seen), std::vector<std::string>{"v0"});
  RegCloseKey(old);
  RegCloseKey(seen);
}

// A writer killed after its commit but before it counted it: readers must not trust what they
// read before that commit, and the count recovers once the writer is known dead.
TEST_F(RegistryTest, AWriterDeadBeforeCountingItsCommitIsNotMissed) {
  HKEY stale = create(HKEY_LOCAL_MACHINE, "Software\\Stale");
  DWORD value = kSentinel;
  EXPECT_EQ(queryDword(stale, "g0", value), ERROR_FILE_NOT_FOUND);
  SharedCount count(machine_.root());
  const std::uint64_t before = (*count).generation.load();

  ASSERT_EQ(waitFor(spawn({writer(), "set", "Software\\Stale", "g", "1"})), 0);
  pid_t dead = spawn({writer()});  // exits at once with its usage
  ASSERT_EQ(waitFor(dead), 2);
  (*count).generation.store(before);  // as if the commit had never been counted
  (*count).committing[3].store(dead);

  EXPECT_EQ(queryDword(stale, "g0", value), ERROR_SUCCESS);
  EXPECT_EQ((*count).committing[3].load(), 0);
  EXPECT_GT((*count).generation.load(), before);
  EXPECT_EQ(queryDword(stale, "g0", value), ERROR_SUCCESS);
  RegCloseKey(stale);
}

// A reader that walks the keys over and over while another process rewrites them never goes back
// to an older generation, and once the writer stops it reads what a fresh connection reads.
TEST_F(RegistryTest, AReaderFollowsAWriterThatKeepsWriting) {
  auto walk = [] {
    std::vector<DWORD> seen;
    for (int i = 0; i < 300; ++i) seen.push_back(generationOf(i));
    return seen;
  };
  pid_t child = spawn({writer(), "import-loop"});
  for (int i = 0; i < 1000 && generationOf(299) == 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  // Walk until the reader has seen the writer move on a few times (a reader stuck on what it
  // remembers never would).
  std::vector<DWORD> last(300, 0);
  int moves = 0;
  for (int pass = 0; pass < 5000 && moves < 4; ++pass) {
    auto seen = walk();
    for (int i = 0; i < 300; ++i) ASSERT_GE(seen[i], last[i]) << "key " << i << " in pass " << pass;
    if (seen[0] > last[0]) ++moves;
    last = seen;
  }
  EXPECT_EQ(moves, 4);
  ::kill(child, SIGKILL);
  waitFor(child);

  auto remembered = walk();
  ombrin::machine::resetCurrent();  // a new connection that remembers nothing
  EXPECT_EQ(walk(), remembered);
  EXPECT_GT(remembered[0], 0u);
}
