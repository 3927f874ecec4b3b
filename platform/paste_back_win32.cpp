#include "platform/paste_back_win32.h"

#include <windows.h>

#include "platform/foreground_win32.h"

namespace kaveto {

// The paste's keys follow, so the window is given longer to take the front.
void Win32PasteBack::BringToFront(WindowHandle window) {
    ForceForeground(reinterpret_cast<HWND>(window), kTypingAnswerTimeoutMs);
}

void Win32PasteBack::Pause(std::uint32_t milliseconds) { ::Sleep(milliseconds); }

void Win32PasteBack::KeyEvent(std::uint8_t virtual_key, bool key_up) {
    ::keybd_event(virtual_key, 0, key_up ? KEYEVENTF_KEYUP : 0, 0);
}

}  // namespace kaveto
