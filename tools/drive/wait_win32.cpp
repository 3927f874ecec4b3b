#include "tools/drive/wait.h"

#include <algorithm>

namespace kaveto::drive {

void PumpMessages() {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

void PumpUntilQuiet(DWORD quiet_ms, DWORD limit_ms) {
    const ULONGLONG end = ::GetTickCount64() + limit_ms;
    while (::GetTickCount64() < end &&
           ::MsgWaitForMultipleObjects(0, nullptr, FALSE, quiet_ms, QS_ALLINPUT) != WAIT_TIMEOUT)
        PumpMessages();
}

bool WaitUntil(const std::function<bool()>& done, DWORD timeout_ms) {
    const ULONGLONG end = ::GetTickCount64() + timeout_ms;
    for (;;) {
        if (done()) return true;
        PumpMessages();
        if (done()) return true;
        const ULONGLONG now = ::GetTickCount64();
        if (now >= end) return false;
        // Wakes early for a message; otherwise polls again soon, since most
        // conditions (another process's windows, the clipboard) send none.
        const DWORD poll = static_cast<DWORD>(std::min<ULONGLONG>(5, end - now));
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, poll, QS_ALLINPUT);
    }
}

}  // namespace kaveto::drive
