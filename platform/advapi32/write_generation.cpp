#include "write_generation.h"

#include <fcntl.h>
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
  // Committing first: a commit that became visible before this call either still counts as
  // committing or has already moved the generation.
  if (shared_->committing.load() != 0) return std::nullopt;
  return shared_->generation.load();
}

void WriteGeneration::beginCommit() {
  if (shared_) shared_->committing.fetch_add(1);
}

std::optional<std::uint64_t> WriteGeneration::endCommit() {
  if (!shared_) return std::nullopt;
  std::uint64_t before = shared_->generation.fetch_add(1);
  shared_->committing.fetch_sub(1);
  return before;
}

}  // namespace ombrin::registry
