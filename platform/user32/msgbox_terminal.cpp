// The terminal face: a message box as text, answered by typing.
#include <cctype>
#include <cstring>
#include <string>

#include <unistd.h>

#include <ombrin/paths.h>
#include <ombrin/user32.h>

#include "msgbox_faces.h"

namespace ombrin::user32 {
namespace {

struct Label {
  int answer;
  const char* label;
};

constexpr Label kLabels[] = {
    {IDOK, "OK"},       {IDCANCEL, "Cancel"}, {IDABORT, "Abort"},         {IDRETRY, "Retry"},
    {IDIGNORE, "Ignore"}, {IDYES, "Yes"},     {IDNO, "No"},               {IDTRYAGAIN, "Try Again"},
    {IDCONTINUE, "Continue"},
};

const char* labelOf(int answer) {
  for (const auto& l : kLabels)
    if (l.answer == answer) return l.label;
  return "?";
}

std::string trim(std::string s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.pop_back();
  std::size_t start = 0;
  while (start < s.size() && std::isspace(static_cast<unsigned char>(s[start]))) ++start;
  return s.substr(start);
}

// The button a typed line chooses, or 0.
int choose(const std::string& typed, std::span<const int> buttons, int fallback) {
  if (typed.empty()) return fallback;
  if (typed.size() <= 2 && std::isdigit(static_cast<unsigned char>(typed[0]))) {
    std::size_t n = std::strtoul(typed.c_str(), nullptr, 10);
    return n >= 1 && n <= buttons.size() ? buttons[n - 1] : 0;
  }
  for (int b : buttons)
    if (paths::equalsNoCase(typed, labelOf(b)) || paths::equalsNoCase(typed, answerName(b))) return b;
  // A first letter will do when it names one button only.
  int found = 0;
  for (int b : buttons) {
    if (typed.size() == 1 && paths::toUpper1252(typed[0]) == labelOf(b)[0]) {
      if (found != 0) return 0;
      found = b;
    }
  }
  return found;
}

}  // namespace

int askOnTerminal(const MessageBoxRequest& request, std::FILE* in, std::FILE* out) {
  auto buttons = buttonsOf(request.style);
  if (buttons.empty()) return 0;
  int fallback = defaultButton(request.style);
  std::fprintf(out, "\n=== %s ===\n%s\n", request.caption.c_str(), request.text.c_str());
  for (std::size_t i = 0; i < buttons.size(); ++i)
    std::fprintf(out, "%s[%zu] %s", i == 0 ? "" : "  ", i + 1, labelOf(buttons[i]));
  std::fprintf(out, "\n");
  std::string line;
  while (true) {
    std::fprintf(out, "Choose (Enter: %s): ", labelOf(fallback));
    std::fflush(out);
    line.clear();
    int c;
    while ((c = std::fgetc(in)) != EOF && c != '\n') line += static_cast<char>(c);
    if (c == EOF && line.empty()) {
      std::fprintf(out, "\n");
      return 0;
    }
    int answer = choose(trim(line), buttons, fallback);
    if (answer != 0) return answer;
    std::fprintf(out, "Please type the number or the name of a button.\n");
  }
}

int terminalAnswer(const MessageBoxRequest& request) {
  if (::isatty(STDIN_FILENO) != 1) return 0;
  return askOnTerminal(request, stdin, stderr);
}

}  // namespace ombrin::user32
