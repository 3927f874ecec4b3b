#pragma once
// Bringing a window of this or another program to the front.
#include <windows.h>

namespace kaveto {

// How long another program's window may take to answer before it counts as
// not answering.
constexpr UINT kAnswerTimeoutMs = 200;
// How long a window that keys are typed into next may take to take the
// front: keys sent before its thread has taken it go to no window.
constexpr UINT kTypingAnswerTimeoutMs = 1000;

// Makes the window the foreground window and brings it to the top. The plain
// request is made first; only when the system refuses it is the foreground
// thread's input joined to the window's thread for one more try. A window of
// another program is raised without waiting for it, so one that does not
// answer holds nothing up for longer than `answer_timeout_ms`. A null or
// vanished window changes nothing and reports nothing.
void ForceForeground(HWND window, UINT answer_timeout_ms = kAnswerTimeoutMs);

// True when no window holds the front (under Wine the desktop takes it when
// the display's focus has gone to no window of the thread in front).
bool FrontIsNobodys();

// True when the window's thread handles a message within the time limit.
bool WindowAnswers(HWND window, UINT timeout_ms = kAnswerTimeoutMs);

}  // namespace kaveto
