// A count of the registry's committed writes, shared by every process of the machine through a
// small mapped file beside the database: a process reads it with a few memory loads and, while it
// is unchanged, may keep answers it took from the database.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>

namespace ombrin::registry {

class WriteGeneration {
 public:
  // Maps `file`, creating it; without it (say, a read-only machine) nothing is ever trusted.
  explicit WriteGeneration(const std::string& file);
  ~WriteGeneration();
  WriteGeneration(const WriteGeneration&) = delete;
  WriteGeneration& operator=(const WriteGeneration&) = delete;

  // The generation now, or nothing while some writer is between its commit and its count: then
  // no earlier answer may be kept. Read it before reading the database and tag what is read
  // with it.
  std::optional<std::uint64_t> current() const;

  // A writer brackets its COMMIT with these two; the second gives the generation its commit
  // followed (nothing without the shared file).
  void beginCommit();
  std::optional<std::uint64_t> endCommit();

  // Writers between COMMIT and their count, by process id; a process that died there is found
  // out and its slot freed after the generation moves.
  static constexpr int kSlots = 14;
  struct Shared {
    std::atomic<std::uint64_t> generation;
    std::atomic<std::int32_t> committing[kSlots];
  };
  static_assert(sizeof(Shared) == 64);
  static_assert(std::atomic<std::uint64_t>::is_always_lock_free);
  static_assert(std::atomic<std::int32_t>::is_always_lock_free);

 private:
  Shared* shared_ = nullptr;
  std::atomic<std::int32_t>* slot_ = nullptr;  // ours while committing
};

}  // namespace ombrin::registry
