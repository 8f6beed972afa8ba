// MappedFile: the whole file in one mapping; writes beyond the mapping remap it larger.
#include "mapped_file.h"

#include <algorithm>
#include <cstring>

namespace {

struct OpenMode {
  DWORD mode;
  DWORD access;
  DWORD disposition;
  DWORD protection;
  DWORD viewAccess;
  bool truncateOnClose;
};

// Every open shares the file with readers only.
constexpr OpenMode kOpenModes[] = {
    {MappedFile::kModeRead, GENERIC_READ, OPEN_EXISTING, PAGE_READONLY, FILE_MAP_READ, false},
    {MappedFile::kModeReadWrite, GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS, PAGE_READWRITE, FILE_MAP_ALL_ACCESS, true},
    {MappedFile::kModeCreate, GENERIC_READ | GENERIC_WRITE, CREATE_ALWAYS, PAGE_READWRITE, FILE_MAP_ALL_ACCESS, true},
};

const OpenMode* FindMode(DWORD mode) {
  for (const auto& m : kOpenModes)
    if (m.mode == mode) return &m;
  return nullptr;
}

constexpr DWORD kLastMark = 9;

}  // namespace

MappedFile::MappedFile()
    : marks{},
      size(0),
      position(0),
      isOpen(false),
      isWritable(false),
      fileName{},
      fileHandle(INVALID_HANDLE_VALUE),
      mappingHandle(),
      viewBase(nullptr),
      capacity(0),
      truncateOnClose(false) {}

MappedFile::~MappedFile() {
  Close();
}

DWORD MappedFile::CapacityFor(DWORD contentSize) {
  std::uint64_t steps = static_cast<std::uint64_t>(contentSize) / kCapacityStep + 1;
  std::uint64_t result = steps * kCapacityStep;
  return result > 0xFFFFFFFFu ? 0 : static_cast<DWORD>(result);
}

int MappedFile::OpenRead(const char* name) {
  isWritable = false;
  return Open(name, kModeRead);
}

int MappedFile::OpenReadWrite(const char* name) {
  int result = Open(name, kModeReadWrite);
  if (result == 1) isWritable = true;
  return result;
}

int MappedFile::Create(const char* name) {
  int result = Open(name, kModeCreate);
  if (result == 1) isWritable = true;
  return result;
}

void MappedFile::Close() {
  if (!isOpen) return;
  Release();
  isOpen = false;
  isWritable = false;
}

int MappedFile::MakeWritable() {
  if (isWritable) return 1;
  DWORD remembered = Tell();
  char name[MAX_PATH];
  std::memcpy(name, fileName, sizeof name);
  int result = OpenReadWrite(name);
  Seek(remembered);
  return result;
}

DWORD MappedFile::Read(void* destination, DWORD length) {
  if (!isOpen || destination == nullptr) return 0;
  // The size may have been set past the mapping or below the position: copy only what lies
  // inside both the content and the view.
  DWORD end = std::min(size, capacity);
  if (position >= end) return 0;
  DWORD count = std::min(length, end - position);
  std::memcpy(destination, viewBase + position, count);
  position += count;
  return count;
}

DWORD MappedFile::Write(const void* source, DWORD length) {
  if (!isOpen || source == nullptr) return 0;
  if (length > 0xFFFFFFFFu - position) return 0;  // the end would not fit into 32 bits
  DWORD end = position + length;
  // A read-only view cannot take bytes; only a write that needs a larger mapping (and so reopens
  // the file writable) can go through.
  if (!isWritable && end <= capacity) return 0;
  if (end > size) size = end;
  if (size > capacity) {
    Grow(size);
    if (!isOpen) return 0;
  }
  if (length > 0) std::memmove(viewBase + position, source, length);
  position = end;
  return length;
}

BOOL MappedFile::Flush(DWORD offset, DWORD length) {
  if (!isOpen || viewBase == nullptr) return FALSE;
  DWORD end = std::min(size, capacity);
  if (offset >= end) return TRUE;  // nothing of the content lies there
  DWORD count = std::min(length, end - offset);
  if (count == 0) return TRUE;  // a zero length would mean the whole view to the platform
  return FlushViewOfFile(viewBase + offset, count);
}

char* MappedFile::GetCurrentPointer() {
  return viewBase == nullptr ? nullptr : viewBase + position;
}

DWORD MappedFile::Seek(DWORD newPosition) {
  DWORD old = position;
  if (isOpen && newPosition <= size) position = newPosition;
  return old;
}

DWORD MappedFile::Tell() {
  return isOpen ? position : 0;
}

DWORD MappedFile::GetPosition() {
  return position;
}

DWORD MappedFile::SetMark(DWORD index) {
  index = std::min(index, kLastMark);
  DWORD old = marks[index];
  marks[index] = position;
  return old;
}

DWORD MappedFile::GotoMark(DWORD index) {
  index = std::min(index, kLastMark);
  Seek(marks[index]);
  return marks[index];
}

DWORD MappedFile::GetSize() {
  return size;
}

DWORD MappedFile::SetSize(DWORD newSize) {
  size = newSize;
  return newSize;
}

const char* MappedFile::GetName() {
  return fileName;
}

int MappedFile::Open(const char* name, DWORD mode) {
  if (name == nullptr || name[0] == '\0') return -1;
  // The caller may pass our own name buffer (MakeWritable does): copy before closing.
  std::size_t length = strnlen(name, MAX_PATH);
  char requested[MAX_PATH];
  if (length < MAX_PATH) std::memcpy(requested, name, length + 1);
  Close();
  const OpenMode* m = FindMode(mode);
  if (length >= MAX_PATH || m == nullptr) {
    // A cut name would open another file.
    fileName[0] = '\0';
    return 0;
  }
  std::memcpy(fileName, requested, length + 1);
  truncateOnClose = m->truncateOnClose;

  // Until the file's size is known the file must not be cut on a failure.
  bool sizeKnown = false;
  fileHandle = CreateFileA(fileName, m->access, FILE_SHARE_READ, nullptr, m->disposition, FILE_ATTRIBUTE_NORMAL,
                           HANDLE{});
  if (fileHandle != INVALID_HANDLE_VALUE) {
    DWORD high = 0;
    DWORD low = GetFileSize(fileHandle, &high);
    // Sizes are 32-bit: a larger file would be cut to its low 32 bits on close, so it is refused.
    if (!(low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) && high == 0) {
      size = low;
      sizeKnown = true;
      capacity = mode == kModeRead ? size : CapacityFor(size);
      if (capacity != 0) {
        mappingHandle = CreateFileMappingA(fileHandle, nullptr, m->protection, 0, capacity, nullptr);
        if (mappingHandle)
          viewBase = static_cast<char*>(MapViewOfFile(mappingHandle, m->viewAccess, 0, 0, capacity));
        if (viewBase != nullptr) {
          position = 0;
          isOpen = true;
          return 1;
        }
      }
    }
  }
  truncateOnClose = truncateOnClose && sizeKnown;
  Release();
  return 0;
}

int MappedFile::Grow(DWORD needed) {
  if (!isOpen) return 0;
  truncateOnClose = true;
  Close();
  capacity = CapacityFor(needed);
  if (capacity != 0) {
    fileHandle = CreateFileA(fileName, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, HANDLE{});
    if (fileHandle != INVALID_HANDLE_VALUE) {
      mappingHandle = CreateFileMappingA(fileHandle, nullptr, PAGE_READWRITE, 0, capacity, nullptr);
      if (mappingHandle) viewBase = static_cast<char*>(MapViewOfFile(mappingHandle, FILE_MAP_ALL_ACCESS, 0, 0, capacity));
      if (viewBase != nullptr) {
        isOpen = true;
        isWritable = true;
        return 1;
      }
    }
  }
  // The file is open without being marked so: release it here, cut back to the content.
  Release();
  return 0;
}

void MappedFile::Release() {
  if (viewBase != nullptr) UnmapViewOfFile(viewBase);
  viewBase = nullptr;
  if (mappingHandle) CloseHandle(mappingHandle);
  mappingHandle = HANDLE{};
  if (fileHandle != INVALID_HANDLE_VALUE) {
    if (truncateOnClose) {
      LONG high = 0;
      SetFilePointer(fileHandle, static_cast<LONG>(size), &high, FILE_BEGIN);
      SetEndOfFile(fileHandle);
    }
    CloseHandle(fileHandle);
    fileHandle = INVALID_HANDLE_VALUE;
  }
}
