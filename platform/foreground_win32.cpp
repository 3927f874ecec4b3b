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

}  // namespace

void ForceForeground(HWND window) {
    const DWORD window_thread = ::GetWindowThreadProcessId(window, nullptr);
    const DWORD foreground_thread = ::GetWindowThreadProcessId(::GetForegroundWindow(), nullptr);
    ::SetForegroundWindow(window);
    if (window_thread == foreground_thread) {
        ::BringWindowToTop(window);
        return;
    }
    // The foreground thread's input is joined to the window's thread, not the
    // other way round: joined the other way, Wine hands the window's thread a
    // fresh input on parting and no window at all is left in front. Even so,
    // parting now and then leaves nothing in front there, so the window is
    // asked for once more; when it is already in front that changes nothing.
    {
        ThreadInputAttachment attached(foreground_thread, window_thread);
        ::BringWindowToTop(window);
    }
    ::SetForegroundWindow(window);
}

}  // namespace kaveto
