// The faces MessageBoxA asks in turn; each returns 0 when it has no answer for the box.
#pragma once

#include <ombrin/user32.h>

namespace ombrin::user32 {

int scriptedAnswer(const MessageBoxRequest& request);
int installedFaceAnswer(const MessageBoxRequest& request);
int terminalAnswer(const MessageBoxRequest& request);

}  // namespace ombrin::user32
