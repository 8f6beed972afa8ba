// What kernel32's file functions share: the open file object, the host checks that keep
// every open inside the machine, and the DOS attributes kept beside a file.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include <sys/stat.h>

#include <ombrin/handles.h>
#include <ombrin/paths.h>
#include <win32/winbase.h>

namespace ombrin::files {

// The kinds of access that take part in sharing, as a handle holds them.
enum AccessBits : unsigned { kAccessRead = 1, kAccessWrite = 2, kAccessDelete = 4 };

unsigned accessBits(DWORD desiredAccess, DWORD flagsAndAttributes);

// An open file: one host descriptor of its own, so each handle has its own file pointer.
class FileObject : public KernelObject {
 public:
  FileObject(int fd, unsigned access, std::filesystem::path host, bool directory, bool deleteOnClose);
  ~FileObject() override;

  int fd() const { return fd_; }
  bool canRead() const { return (access_ & kAccessRead) != 0; }
  bool canWrite() const { return (access_ & kAccessWrite) != 0; }
  bool isDirectory() const { return directory_; }
  const std::filesystem::path& host() const { return host_; }

 private:
  int fd_;
  unsigned access_;
  std::filesystem::path host_;
  bool directory_;
  bool deleteOnClose_;
};

// Opens or creates a file with CreateFileA's rules (the path already resolved). On failure
// returns null with `error` set; on success `error` is what CreateFileA leaves as last error
// (0, or ERROR_ALREADY_EXISTS when CREATE_ALWAYS / OPEN_ALWAYS found the file).
std::shared_ptr<FileObject> openFile(const paths::Resolved& path, DWORD desiredAccess, DWORD shareMode,
                                     DWORD disposition, DWORD flagsAndAttributes, DWORD& error);

// The Win32 error for a failed host call.
DWORD errorFromErrno(int err);

// True when the descriptor's file lies inside the machine's drive C (a link swapped in after
// the path was resolved must not lead an open outside).
bool insideMachine(int fd);

// "/proc/self/fd/N": a path naming exactly the descriptor's file.
std::string fdPath(int fd);

// DOS attributes of a host entry. `st` is the entry's status with links followed; a link that
// leads out of the machine is reported as a link and never followed.
DWORD attributesFromStat(const struct stat& st, DWORD storedBits);
// Hidden and system bits kept in the entry's `user.DOSATTRIB` attribute (0 when there is none).
DWORD storedDosBits(const std::string& hostPath);
// Stores the hidden and system bits; a file system without extended attributes keeps none.
void storeDosBits(const std::string& hostPath, DWORD attributes);

struct EntryInfo {
  bool exists = false;
  bool outsideLink = false;  // a symbolic link that leaves the machine: reported, never followed
  struct stat st {};
  DWORD attributes = 0;
};
// Looks at one host entry the way directory listings and GetFileAttributesA report it.
EntryInfo inspectEntry(const std::filesystem::path& host);

// Windows times: 100 ns units since 1601-01-01.
FILETIME fileTime(const struct timespec& ts);

}  // namespace ombrin::files
