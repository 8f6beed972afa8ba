// user32's desktop: how a message box reaches a person, a script or nobody.
#pragma once

#include <cstdio>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include <win32/winuser.h>

namespace ombrin::user32 {

struct MessageBoxRequest {
  HWND owner;
  std::string text;
  std::string caption;
  UINT style;
};

// A face shows a box and returns the button chosen (IDOK, ...), or 0 when it cannot show this
// box, so the next face is asked. Faces are asked in this order: the script of
// OMBRIN_MSGBOX_ANSWERS while it has answers left, the installed face (the GUI framework
// installs its Qt face when a display is available), the terminal face when standard input
// is a terminal, and last the unattended default, which never removes anything without consent.
using MessageBoxFace = std::function<int(const MessageBoxRequest&)>;

// Installs a face (an empty function removes it). Reset with the machine.
void setMessageBoxFace(MessageBoxFace face);

// Forgets how far the scripted answers have been used, so OMBRIN_MSGBOX_ANSWERS is read afresh
// at the next box (machine::resetCurrent does this too).
void resetMessageBoxScript();

// The buttons of a box's type (MB_OK ... MB_CANCELTRYCONTINUE) as answers, in their order on
// screen; empty for a type Windows does not know.
std::span<const int> buttonsOf(UINT style);
bool answerFits(UINT style, int answer);
// The answer a box gets when nobody is there: OK for an OK box, Cancel wherever there is
// Cancel, No for Yes/No, Abort for Abort/Retry/Ignore.
int unattendedAnswer(UINT style);
// The button that Enter presses (MB_DEFBUTTON1..4), within the box's buttons.
int defaultButton(UINT style);

// "IDOK" <-> IDOK; names are matched without case.
const char* answerName(int answer);
std::optional<int> parseAnswer(std::string_view name);

// The terminal face, on any pair of streams: shows caption, text and the buttons, reads the
// choice (a number, a button's name or its first letter; an empty line takes the default
// button). Returns 0 at the end of the input.
int askOnTerminal(const MessageBoxRequest& request, std::FILE* in, std::FILE* out);

}  // namespace ombrin::user32
