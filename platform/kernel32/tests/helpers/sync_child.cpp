// A second process of the machine, for the tests of named objects:
//   sync_child hold-and-exit NAME HOW   takes the named mutex and ends holding it
//                                       (HOW: "return", "_exit" or "kill")
//   sync_child hold-until NAME HELD GO  takes the named mutex, sets event HELD, waits for
//                                       event GO, releases it
//   sync_child create-event NAME        prints "exists" or "new" for CreateEventA(NAME)
//   sync_child set-event NAME           opens the event and sets it
//   sync_child wait-event NAME          exits 0 when the event is signalled (3 when it never is)
//   sync_child create-mutex NAME        prints "exists", "new" or "error N"
//   sync_child churn NAME COUNT         creates, uses and closes the named mutex COUNT times
//                                       (exits 0 when every round worked)
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <unistd.h>

#include <win32/winbase.h>

namespace {

constexpr DWORD kPatience = 30000;  // a guard against hanging, not a measure

int holdAndExit(const char* name, const std::string& how) {
  HANDLE mutex = CreateMutexA(nullptr, FALSE, name);
  if (!mutex || WaitForSingleObject(mutex, kPatience) != WAIT_OBJECT_0) return 2;
  if (how == "_exit") ::_exit(0);
  if (how == "kill") ::raise(SIGKILL);
  return 0;  // returning from main ends the main thread holding the mutex
}

int holdUntil(const char* name, const char* held, const char* go) {
  HANDLE mutex = CreateMutexA(nullptr, FALSE, name);
  HANDLE heldEvent = OpenEventA(EVENT_ALL_ACCESS, FALSE, held);
  HANDLE goEvent = OpenEventA(EVENT_ALL_ACCESS, FALSE, go);
  if (!mutex || !heldEvent || !goEvent) return 2;
  if (WaitForSingleObject(mutex, kPatience) != WAIT_OBJECT_0) return 3;
  SetEvent(heldEvent);
  if (WaitForSingleObject(goEvent, kPatience) != WAIT_OBJECT_0) return 3;
  return ReleaseMutex(mutex) ? 0 : 4;
}

void report(HANDLE handle) {
  if (!handle)
    std::printf("error %u\n", GetLastError());
  else
    std::printf("%s\n", GetLastError() == ERROR_ALREADY_EXISTS ? "exists" : "new");
}

int churn(const char* name, int rounds) {
  for (int round = 0; round < rounds; ++round) {
    HANDLE mutex = CreateMutexA(nullptr, FALSE, name);
    if (!mutex) return 2;
    DWORD result = WaitForSingleObject(mutex, kPatience);
    if (result != WAIT_OBJECT_0 || !ReleaseMutex(mutex)) return 3;
    if (!CloseHandle(mutex)) return 4;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  std::string command = argv[1];
  const char* name = argv[2];
  if (command == "hold-and-exit" && argc == 4) return holdAndExit(name, argv[3]);
  if (command == "hold-until" && argc == 5) return holdUntil(name, argv[3], argv[4]);
  if (command == "churn" && argc == 4) return churn(name, std::atoi(argv[3]));
  if (command == "create-event") {
    report(CreateEventA(nullptr, TRUE, FALSE, name));
    return 0;
  }
  if (command == "create-mutex") {
    report(CreateMutexA(nullptr, FALSE, name));
    return 0;
  }
  if (command == "set-event") {
    HANDLE event = OpenEventA(EVENT_MODIFY_STATE, FALSE, name);
    return event && SetEvent(event) ? 0 : 2;
  }
  if (command == "wait-event") {
    HANDLE event = OpenEventA(SYNCHRONIZE, FALSE, name);
    if (!event) return 2;
    return WaitForSingleObject(event, kPatience) == WAIT_OBJECT_0 ? 0 : 3;
  }
  return 2;
}
