#pragma once
// Bringing a window of this or another program to the front.
#include <windows.h>

namespace kaveto {

// Makes the window the foreground window and brings it to the top. When the
// window belongs to another thread than the window in front, the two
// threads' input is joined for the BringWindowToTop step only. A null or vanished window changes nothing and reports nothing.
void ForceForeground(HWND window);

}  // namespace kaveto
