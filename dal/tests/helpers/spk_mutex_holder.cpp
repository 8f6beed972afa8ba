// Takes the speaker mutex and dies holding it, as a crashed client would.
#include <csignal>
#include <cstdio>

#include <win32/windows.h>

int main() {
  HANDLE mutex = CreateMutexA(nullptr, FALSE, "Speaker API DLL Mutex Handle name");
  if (!mutex || WaitForSingleObject(mutex, INFINITE) == WAIT_FAILED) return 1;
  std::raise(SIGKILL);
  return 2;
}
