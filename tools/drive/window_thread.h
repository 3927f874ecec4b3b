#pragma once
// A thread of this process that runs windows, as another program's GUI
// thread would: `open` makes them on the thread, the thread pumps its
// messages until the owner goes, then `close` destroys them there.
#include <windows.h>

#include <atomic>
#include <functional>
#include <thread>

namespace kaveto::drive {

class WindowThread {
public:
    WindowThread(std::function<void()> open, std::function<void()> close);
    ~WindowThread();
    WindowThread(const WindowThread&) = delete;
    WindowThread& operator=(const WindowThread&) = delete;

private:
    void Run();

    std::function<void()> open_, close_;
    std::atomic<DWORD> id_{0};
    std::atomic<bool> ready_{false}, finished_{false};
    std::thread thread_;
};

// Where a stand-in's top-level window stands on the screen.
struct Placement {
    int x, y, width, height;
};

}  // namespace kaveto::drive
