// MessageBoxA: one desktop, several faces; every box goes into the machine's event log.
#include <cstdio>
#include <mutex>

#include <ombrin/eventlog.h>
#include <ombrin/machine.h>
#include <ombrin/trace.h>
#include <ombrin/user32.h>

#include "msgbox_faces.h"

namespace ombrin::user32 {
namespace {

struct InstalledFace {
  std::mutex mutex;
  MessageBoxFace face;
};

void forgetFace();

InstalledFace& installed() {
  static InstalledFace f;
  static const bool hooked = [] {
    machine::onReset(forgetFace);
    return true;
  }();
  (void)hooked;
  return f;
}

void forgetFace() { setMessageBoxFace({}); }

// Who answers the box: the script first, then whoever can show it, then nobody.
struct Face {
  const char* name;
  int (*answer)(const MessageBoxRequest&);
};

constexpr Face kFaces[] = {
    {"script", scriptedAnswer},
    {"installed", installedFaceAnswer},
    {"terminal", terminalAnswer},
    {"unattended", [](const MessageBoxRequest& r) { return unattendedAnswer(r.style); }},
};

std::string hex(UINT value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%x", value);
  return text;
}

// One trace line per box, whatever the text holds.
std::string oneLine(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') out += "\\n";
    else if (c == '\r') out += "\\r";
    else out += c;
  }
  return out;
}

}  // namespace

void setMessageBoxFace(MessageBoxFace face) {
  auto& f = installed();
  MessageBoxFace old;  // destroyed outside the lock
  std::lock_guard lock(f.mutex);
  old = std::move(f.face);
  f.face = std::move(face);
}

int installedFaceAnswer(const MessageBoxRequest& request) {
  MessageBoxFace face;
  {
    auto& f = installed();
    std::lock_guard lock(f.mutex);
    face = f.face;
  }
  // The face may be modal for a long time; it runs without the lock.
  int answer = face ? face(request) : 0;
  return answerFits(request.style, answer) ? answer : 0;
}

}  // namespace ombrin::user32

extern "C" int WINAPI MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType) {
  using namespace ombrin::user32;
  // Windows shows an empty text for none and calls a box without caption "Error".
  MessageBoxRequest request{hWnd, lpText ? lpText : "", lpCaption ? lpCaption : "Error", uType};
  if (buttonsOf(uType).empty()) {
    OMBRIN_TRACE("msgbox", "MessageBoxA(\"%s\", \"%s\", 0x%x) -> 0 (no such box type)", oneLine(request.text).c_str(),
                 oneLine(request.caption).c_str(), uType);
    SetLastError(ERROR_INVALID_MSGBOX_STYLE);
    return 0;
  }
  int answer = 0;
  const char* face = "";
  for (const auto& f : kFaces) {
    answer = f.answer(request);
    face = f.name;
    if (answer != 0) break;
  }
  ombrin::eventlog::write("msgbox", {request.caption, request.text, hex(uType), answerName(answer)});
  OMBRIN_TRACE("msgbox", "MessageBoxA(%#x, \"%s\", \"%s\", 0x%x) -> %s (%s)", hWnd.value, oneLine(request.text).c_str(),
               oneLine(request.caption).c_str(), uType, answerName(answer), face);
  return answer;
}
