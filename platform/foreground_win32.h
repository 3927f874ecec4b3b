#pragma once
// Bringing a window of this or another program to the front.
#include <windows.h>

namespace kaveto {

// How long another program's window may take to answer before it counts as
// not answering.
constexpr UINT kAnswerTimeoutMs = 200;

// Makes the window the foreground window and brings it to the top. The plain
// request is made first; only when the system refuses it is the foreground
// thread's input joined to the window's thread for one more try. A window of
// another program is raised without waiting for it, so one that does not
// answer holds nothing up. A null or vanished window changes nothing and
// reports nothing.
void ForceForeground(HWND window);

// True when the window's thread handles a message within kAnswerTimeoutMs.
bool WindowAnswers(HWND window);

}  // namespace kaveto
