#include "tools/drive/window_thread.h"

#include <cstdio>
#include <cstdlib>

#include "tools/drive/wait.h"

namespace kaveto::drive {

namespace {
constexpr unsigned long kEndPatienceMs = 60000;
}  // namespace

WindowThread::WindowThread(std::function<void()> open, std::function<void()> close)
    : open_(std::move(open)), close_(std::move(close)), thread_([this] { Run(); }) {
    WaitUntil([this] { return ready_.load(); });
}

WindowThread::~WindowThread() {
    // The thread's last messages may be sent to this thread's windows (the
    // front moves on when its windows go), so this thread pumps while it
    // waits; joined before it has finished, the two could wait for each
    // other for good. A thread that does not end within a minute ends the
    // run with a message rather than holding it until a time-out.
    ::PostThreadMessageA(id_, WM_QUIT, 0, 0);
    if (!WaitUntil([this] { return finished_.load(); }, kEndPatienceMs)) {
        std::fprintf(stderr, "a window thread did not end within %lu ms\n", kEndPatienceMs);
        std::fflush(stderr);
        std::abort();
    }
    thread_.join();
}

void WindowThread::Run() {
    MSG msg;
    ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);  // the thread's queue, for the quit to land in
    id_ = ::GetCurrentThreadId();
    open_();
    ready_ = true;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    close_();
    finished_ = true;
}

}  // namespace kaveto::drive
