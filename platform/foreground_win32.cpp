#include "platform/foreground_win32.h"

#include <initializer_list>

namespace kaveto {

namespace {

// Joins the input of one thread to another's for as long as it lives, so the
// threads are parted again also when an error passes.
class ThreadInputAttachment {
public:
    ThreadInputAttachment(DWORD from, DWORD to) : from_(from), to_(to) { ::AttachThreadInput(from_, to_, TRUE); }
    ~ThreadInputAttachment() { ::AttachThreadInput(from_, to_, FALSE); }
    ThreadInputAttachment(const ThreadInputAttachment&) = delete;
    ThreadInputAttachment& operator=(const ThreadInputAttachment&) = delete;

private:
    DWORD from_, to_;
};

// Puts the window at the top of the z-order. For another thread's window the
// request is posted to that thread, so a window that does not answer cannot
// block this one (BringWindowToTop would wait for it). The foreground has
// been settled already: a posted request that activated the window as well
// would take the front back from whatever came forward in the meantime.
void RaiseWithoutWaiting(HWND window) {
    UINT flags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
    if (::GetWindowThreadProcessId(window, nullptr) != ::GetCurrentThreadId()) flags |= SWP_ASYNCWINDOWPOS;
    ::SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, flags);
}

// Other threads take a change of the front (the window its activation, the
// one in front before its deactivation) when they come to their messages. A
// message sent after it returns once such a thread has caught up, so that
// keys and menus that follow meet the new front, not a change still on its
// way; a window that does not answer is waited for no longer than the limit.
void CatchUp(std::initializer_list<HWND> involved, UINT answer_timeout_ms) {
    for (HWND window : involved)
        if (window && ::GetWindowThreadProcessId(window, nullptr) != ::GetCurrentThreadId())
            WindowAnswers(window, answer_timeout_ms);
}

constexpr int kFrontRequestsAgain = 2;

}  // namespace

bool FrontIsNobodys() {
    const HWND front = ::GetForegroundWindow();
    return front == nullptr || front == ::GetDesktopWindow();
}

bool WindowAnswers(HWND window, UINT timeout_ms) {
    DWORD_PTR result = 0;
    return ::SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, timeout_ms, &result) != 0;
}

void ForceForeground(HWND window, UINT answer_timeout_ms) {
    if (!window || !::IsWindow(window)) return;
    // The program that has just had the user's click or hotkey may hand the
    // foreground on, so the plain request normally takes. Joining the two
    // threads' input when it is not needed does harm: the joined thread
    // comes out of it with an input state of its own, and a mouse capture
    // or a move that this thread starts next no longer sees the button's
    // release.
    const HWND previous = ::GetForegroundWindow();
    if (::SetForegroundWindow(window)) {
        RaiseWithoutWaiting(window);
        CatchUp({window, previous}, answer_timeout_ms);
        // Under Wine a thread that is given the front can first handle the
        // display's older news that its window lost the keyboard focus, and
        // it then hands the front to the desktop. Its news handled, the
        // request is made again; the front taken by another window is left.
        for (int again = 0; again < kFrontRequestsAgain && FrontIsNobodys(); ++again) {
            ::SetForegroundWindow(window);
            CatchUp({window}, answer_timeout_ms);
        }
        return;
    }
    // Refused (the system's foreground lock). With the foreground thread's
    // input joined to the window's thread the request is allowed; a window
    // that does not answer is left where it is rather than waited for.
    const DWORD window_thread = ::GetWindowThreadProcessId(window, nullptr);
    const DWORD foreground_thread = ::GetWindowThreadProcessId(::GetForegroundWindow(), nullptr);
    if (window_thread != ::GetCurrentThreadId() && !WindowAnswers(window, answer_timeout_ms)) return;
    if (foreground_thread == 0 || foreground_thread == window_thread) {
        ::BringWindowToTop(window);
        return;
    }
    // The foreground thread's input is joined to the window's thread, not
    // the other way round: joined the other way, Wine hands the window's
    // thread a fresh input on parting and no window is left in front. Parting
    // can still leave nothing in front there, so the window is asked for once
    // more; when it is already in front that changes nothing.
    {
        ThreadInputAttachment attached(foreground_thread, window_thread);
        ::BringWindowToTop(window);
    }
    ::SetForegroundWindow(window);
}

}  // namespace kaveto
