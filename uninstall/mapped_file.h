// A file mapped whole into memory: the caller changes bytes and the logical size in the view,
// and closing cuts the file to that size. Writable files are mapped with room to grow.
#pragma once

#include <cstdint>

#include "file_access.h"

class MappedFile : public FileAccess {
 public:
  // Open modes: read-only, read-write (created when missing), and created empty.
  static constexpr DWORD kModeRead = 0x80;
  static constexpr DWORD kModeReadWrite = 0x100;
  static constexpr DWORD kModeCreate = 0x200;
  // Writable files are mapped in steps of this many bytes (96 KiB).
  static constexpr DWORD kCapacityStep = 0x18000;

  MappedFile();
  ~MappedFile() override;
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;

  int OpenRead(const char* name) override;
  int OpenReadWrite(const char* name) override;
  int Create(const char* name) override;
  void Close() override;
  int MakeWritable() override;
  DWORD Read(void* destination, DWORD length) override;
  DWORD Write(const void* source, DWORD length) override;
  BOOL Flush(DWORD offset, DWORD length) override;
  char* GetCurrentPointer() override;
  DWORD Seek(DWORD newPosition) override;
  DWORD Tell() override;
  DWORD GetPosition() override;
  DWORD SetMark(DWORD index) override;
  DWORD GotoMark(DWORD index) override;
  DWORD GetSize() override;
  DWORD SetSize(DWORD newSize) override;
  const char* GetName() override;

  // The capacity of a writable mapping for content of `size` bytes: the smallest multiple of
  // kCapacityStep strictly greater than size; 0 when that does not fit into 32 bits.
  static DWORD CapacityFor(DWORD size);
  DWORD GetCapacity() const { return capacity; }
  bool IsOpen() const { return isOpen; }
  bool IsWritable() const { return isWritable; }

 private:
  int Open(const char* name, DWORD mode);
  int Grow(DWORD needed);
  void Release();

  DWORD marks[10];
  DWORD size;
  DWORD position;
  bool isOpen;
  bool isWritable;
  char fileName[MAX_PATH];
  HANDLE fileHandle;
  HANDLE mappingHandle;
  char* viewBase;
  DWORD capacity;
  bool truncateOnClose;
};
