#include "platform/foreground_win32.h"

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
// block this one (BringWindowToTop would wait for it).
void RaiseWithoutWaiting(HWND window) {
    UINT flags = SWP_NOMOVE | SWP_NOSIZE;
    if (::GetWindowThreadProcessId(window, nullptr) != ::GetCurrentThreadId()) flags |= SWP_ASYNCWINDOWPOS;
    ::SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, flags);
}

}  // namespace

bool WindowAnswers(HWND window) {
    DWORD_PTR result = 0;
    return ::SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &result) != 0;
}

void ForceForeground(HWND window) {
    if (!window || !::IsWindow(window)) return;
    // The program that has just had the user's click or hotkey may hand the
    // foreground on, so the plain request normally takes. Joining the two
    // threads' input when it is not needed does harm: the joined thread
    // comes out of it with an input state of its own, and a mouse capture
    // or a move that this thread starts next no longer sees the button's
    // release.
    if (::SetForegroundWindow(window)) {
        RaiseWithoutWaiting(window);
        return;
    }
    // Refused (the system's foreground lock). With the foreground thread's
    // input joined to the window's thread the request is allowed; a window
    // that does not answer is left where it is rather than waited for.
    const DWORD window_thread = ::GetWindowThreadProcessId(window, nullptr);
    const DWORD foreground_thread = ::GetWindowThreadProcessId(::GetForegroundWindow(), nullptr);
    if (window_thread != ::GetCurrentThreadId() && !WindowAnswers(window)) return;
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
