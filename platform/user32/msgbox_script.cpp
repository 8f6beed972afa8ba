// The scripted face: answers from OMBRIN_MSGBOX_ANSWERS, used in order across the process.
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

#include <ombrin/machine.h>
#include <ombrin/user32.h>

#include "msgbox_faces.h"

namespace ombrin::user32 {
namespace {

struct Script {
  std::mutex mutex;
  bool loaded = false;
  std::vector<std::string> answers;  // as written, so a bad one can be reported in its turn
  std::size_t next = 0;
};

Script& script() {
  static Script s;
  static const bool hooked = [] {
    machine::onReset(resetMessageBoxScript);
    return true;
  }();
  (void)hooked;
  return s;
}

std::string trim(const std::string& s) {
  auto begin = s.find_first_not_of(" \t");
  if (begin == std::string::npos) return {};
  auto end = s.find_last_not_of(" \t");
  return s.substr(begin, end - begin + 1);
}

void load(Script& s) {
  s.answers.clear();
  s.next = 0;
  s.loaded = true;
  const char* text = std::getenv("OMBRIN_MSGBOX_ANSWERS");
  if (text == nullptr) return;
  std::string all = text;
  std::size_t start = 0;
  while (start <= all.size()) {
    auto comma = all.find(',', start);
    auto item = trim(all.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
    if (!item.empty()) s.answers.push_back(item);
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
}

}  // namespace

void resetMessageBoxScript() {
  auto& s = script();
  std::lock_guard lock(s.mutex);
  s.loaded = false;
  s.answers.clear();
  s.next = 0;
}

int scriptedAnswer(const MessageBoxRequest& request) {
  auto& s = script();
  std::string written;
  {
    std::lock_guard lock(s.mutex);
    if (!s.loaded) load(s);
    if (s.next >= s.answers.size()) return 0;
    written = s.answers[s.next++];
  }
  // A script that does not fit the box is a mistake in the test or the run: say so plainly and
  // take the answer that consents to nothing.
  auto answer = parseAnswer(written);
  int fallback = unattendedAnswer(request.style);
  if (!answer) {
    std::fprintf(stderr,
                 "ombrin: OMBRIN_MSGBOX_ANSWERS: '%s' is no answer (IDOK, IDCANCEL, IDYES, IDNO, ...); "
                 "message box \"%s\" answers %s\n",
                 written.c_str(), request.caption.c_str(), answerName(fallback));
    return fallback;
  }
  if (!answerFits(request.style, *answer)) {
    std::fprintf(stderr,
                 "ombrin: OMBRIN_MSGBOX_ANSWERS: %s is not a button of message box \"%s\" (style 0x%x); "
                 "it answers %s\n",
                 answerName(*answer), request.caption.c_str(), request.style, answerName(fallback));
    return fallback;
  }
  return *answer;
}

}  // namespace ombrin::user32
