// The buttons of each message box type and the names of the answers.
#include <array>

#include <ombrin/paths.h>
#include <ombrin/user32.h>

namespace ombrin::user32 {
namespace {

struct BoxType {
  UINT type;
  std::array<int, 3> buttons;
  int count;
  int unattended;  // the choice that gives no consent
};

// One row per type of the low style bits, buttons in their order on screen.
constexpr BoxType kTypes[] = {
    {MB_OK, {IDOK}, 1, IDOK},
    {MB_OKCANCEL, {IDOK, IDCANCEL}, 2, IDCANCEL},
    {MB_ABORTRETRYIGNORE, {IDABORT, IDRETRY, IDIGNORE}, 3, IDABORT},
    {MB_YESNOCANCEL, {IDYES, IDNO, IDCANCEL}, 3, IDCANCEL},
    {MB_YESNO, {IDYES, IDNO}, 2, IDNO},
    {MB_RETRYCANCEL, {IDRETRY, IDCANCEL}, 2, IDCANCEL},
    {MB_CANCELTRYCONTINUE, {IDCANCEL, IDTRYAGAIN, IDCONTINUE}, 3, IDCANCEL},
};

struct AnswerName {
  int answer;
  const char* name;
};

constexpr AnswerName kNames[] = {
    {IDOK, "IDOK"},         {IDCANCEL, "IDCANCEL"},     {IDABORT, "IDABORT"},
    {IDRETRY, "IDRETRY"},   {IDIGNORE, "IDIGNORE"},     {IDYES, "IDYES"},
    {IDNO, "IDNO"},         {IDTRYAGAIN, "IDTRYAGAIN"}, {IDCONTINUE, "IDCONTINUE"},
};

const BoxType* typeOf(UINT style) {
  for (const auto& t : kTypes)
    if (t.type == (style & MB_TYPEMASK)) return &t;
  return nullptr;
}

}  // namespace

std::span<const int> buttonsOf(UINT style) {
  const BoxType* t = typeOf(style);
  if (t == nullptr) return {};
  return {t->buttons.data(), static_cast<std::size_t>(t->count)};
}

bool answerFits(UINT style, int answer) {
  for (int button : buttonsOf(style))
    if (button == answer) return true;
  return false;
}

int unattendedAnswer(UINT style) {
  const BoxType* t = typeOf(style);
  return t ? t->unattended : 0;
}

int defaultButton(UINT style) {
  auto buttons = buttonsOf(style);
  if (buttons.empty()) return 0;
  std::size_t index = (style & MB_DEFMASK) >> 8;
  // A default beyond the last button falls back to the first, as Windows does.
  return index < buttons.size() ? buttons[index] : buttons[0];
}

const char* answerName(int answer) {
  for (const auto& n : kNames)
    if (n.answer == answer) return n.name;
  return "0";
}

std::optional<int> parseAnswer(std::string_view name) {
  for (const auto& n : kNames)
    if (paths::equalsNoCase(name, n.name)) return n.answer;
  return std::nullopt;
}

}  // namespace ombrin::user32
