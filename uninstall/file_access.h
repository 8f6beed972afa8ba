// An abstract file whose content the caller edits in place: open, read and write at a position,
// ten saved marks, and a logical size to which the file is cut when it is closed.
#pragma once

#include <win32/windows.h>

class FileAccess {
 public:
  virtual ~FileAccess() = default;

  // Opens return 1 on success, 0 on failure, -1 when no name is given.
  virtual int OpenRead(const char* name) = 0;
  virtual int OpenReadWrite(const char* name) = 0;
  virtual int Create(const char* name) = 0;
  virtual void Close() = 0;
  virtual int MakeWritable() = 0;
  virtual DWORD Read(void* destination, DWORD length) = 0;
  virtual DWORD Write(const void* source, DWORD length) = 0;
  virtual BOOL Flush(DWORD offset, DWORD length) = 0;
  virtual char* GetCurrentPointer() = 0;
  virtual DWORD Seek(DWORD newPosition) = 0;
  virtual DWORD Tell() = 0;
  virtual DWORD GetPosition() = 0;
  virtual DWORD SetMark(DWORD index) = 0;
  virtual DWORD GotoMark(DWORD index) = 0;
  virtual DWORD GetSize() = 0;
  virtual DWORD SetSize(DWORD newSize) = 0;
  virtual const char* GetName() = 0;

 protected:
  FileAccess() = default;
  FileAccess(const FileAccess&) = default;
  FileAccess& operator=(const FileAccess&) = default;
};
