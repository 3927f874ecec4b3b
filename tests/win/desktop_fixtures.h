#pragma once
// Stand-ins for the desktop around the program: another program's editor
// window, and waiting with a message pump.
#include <windows.h>
#include <ole2.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <string>
#include <thread>


namespace kaveto::test {

// OLE for the test's thread while it lives, as the program has it.
class OleSession {
public:
    OleSession() { ::OleInitialize(nullptr); }
    ~OleSession() { ::OleUninitialize(); }
    OleSession(const OleSession&) = delete;
    OleSession& operator=(const OleSession&) = delete;
};

inline bool WaitUntil(const std::function<bool()>& done, DWORD timeout_ms = 5000) {
    const ULONGLONG end = ::GetTickCount64() + timeout_ms;
    while (!done()) {
        if (::GetTickCount64() >= end) return false;
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
        ::Sleep(5);
    }
    return true;
}

inline std::string TextOf(HWND window) {
    char text[256] = {};
    ::SendMessageA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

inline LRESULT CALLBACK EditorProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    // Like an editor, the window hands its focus to its text field.
    if (message == WM_SETFOCUS) {
        if (HWND edit = ::GetWindow(hwnd, GW_CHILD)) ::SetFocus(edit);
        return 0;
    }
    return ::DefWindowProcA(hwnd, message, wparam, lparam);
}

// An editor window with a text field, run by a thread of its own as another
// program's window would be.
class Editor {
public:
    Editor() {
        thread_ = std::thread([this] { Run(); });
        WaitUntil([this] { return ready_.load(); });
    }
    ~Editor() {
        // The editor's last messages may be sent to this thread's windows
        // (the front moves on when it closes), so this thread pumps while it
        // waits.
        ::PostThreadMessageA(thread_id_, WM_QUIT, 0, 0);
        WaitUntil([this] { return finished_.load(); });
        thread_.join();
    }
    HWND window() const { return window_; }
    HWND edit() const { return edit_; }

private:
    void Run() {
        thread_id_ = ::GetCurrentThreadId();
        WNDCLASSA wc = {};
        wc.lpfnWndProc = EditorProc;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.lpszClassName = "KavetoTestEditor";
        ::RegisterClassA(&wc);
        window_ = ::CreateWindowExA(0, wc.lpszClassName, "editor", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 300, 300, 300,
                                    200, nullptr, nullptr, wc.hInstance, nullptr);
        edit_ = ::CreateWindowExA(0, "Edit", "", WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_AUTOVSCROLL, 0, 0, 280, 150, window_,
                                  nullptr, wc.hInstance, nullptr);
        ready_ = true;
        MSG msg;
        while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        ::DestroyWindow(window_);
        finished_ = true;
    }

    std::thread thread_;
    std::atomic<bool> ready_{false};
    std::atomic<bool> finished_{false};
    DWORD thread_id_ = 0;
    HWND window_ = nullptr, edit_ = nullptr;
};

// A window of the test's own thread, standing for the program's picture.
class OwnWindow {
public:
    OwnWindow()
        : window_(::CreateWindowExA(WS_EX_TOPMOST, "Static", "own", WS_POPUP | WS_VISIBLE, 0, 0, 24, 24, nullptr,
                                    nullptr, nullptr, nullptr)) {}
    ~OwnWindow() { ::DestroyWindow(window_); }
    HWND get() const { return window_; }

private:
    HWND window_;
};

}  // namespace kaveto::test
