#include "write_generation.h"

#include <cerrno>
#include <thread>

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ombrin::registry {

WriteGeneration::WriteGeneration(const std::string& file) {
  int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return;
  struct stat info {};
  // A new file reads as zeros once grown: generation 0, nobody committing. Growing an existing
  // file of the right size changes nothing, so racing creators agree.
  if (::fstat(fd, &info) == 0 && (info.st_size >= static_cast<off_t>(sizeof(Shared)) ||
                                  ::ftruncate(fd, sizeof(Shared)) == 0)) {
    void* at = ::mmap(nullptr, sizeof(Shared), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (at != MAP_FAILED) shared_ = static_cast<Shared*>(at);
  }
  ::close(fd);
}

WriteGeneration::~WriteGeneration() {
  if (shared_) ::munmap(shared_, sizeof(Shared));
}

std::optional<std::uint64_t> WriteGeneration::current() const {
  if (!shared_) return std::nullopt;
  // The slots first: a commit that became visible before this call either still holds its slot
  // or has already moved the generation.
  bool busy = false;
  for (auto& slot : shared_->committing) {
    std::int32_t pid = slot.load();
    if (pid == 0) continue;
    busy = true;
    // A writer killed between its commit and its count: move the generation for it, then free
    // the slot, so nobody trusts what was read before its commit.
    if (::kill(pid, 0) != 0 && errno == ESRCH) {
      shared_->generation.fetch_add(1);
      slot.compare_exchange_strong(pid, 0);
    }
  }
  if (busy) return std::nullopt;
  return shared_->generation.load();
}

void WriteGeneration::beginCommit() {
  if (!shared_) return;
  const std::int32_t self = static_cast<std::int32_t>(::getpid());
  // Commits are one at a time, so a free slot turns up at once unless dead writers hold them
  // all; looking at the slots frees those.
  for (;;) {
    for (auto& slot : shared_->committing) {
      std::int32_t expected = 0;
      if (slot.compare_exchange_strong(expected, self)) {
        slot_ = &slot;
        return;
      }
    }
    (void)current();
    std::this_thread::yield();
  }
}

std::optional<std::uint64_t> WriteGeneration::endCommit() {
  if (!shared_) return std::nullopt;
  std::uint64_t before = shared_->generation.fetch_add(1);
  // Only our own pid: had we been taken for dead, the slot may be another writer's by now.
  std::int32_t self = static_cast<std::int32_t>(::getpid());
  if (slot_) slot_->compare_exchange_strong(self, 0);
  slot_ = nullptr;
  return before;
}

}  // namespace ombrin::registry
