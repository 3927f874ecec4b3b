#include "platform/clock_win32.h"

#include <windows.h>

namespace kaveto {

LocalTime Win32Clock::Now() {
    SYSTEMTIME t;
    ::GetLocalTime(&t);
    return LocalTime{t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wDayOfWeek};
}

bool Win32KeyState::ControlDown() { return ::GetKeyState(VK_CONTROL) < 0; }

}  // namespace kaveto
