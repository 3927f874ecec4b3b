// Bringing another thread's window to the front and pasting a history entry
// into it with synthesised keys, on the real window system.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <string>
#include <thread>

#include "engine/history_menu.h"
#include "platform/errors.h"
#include "platform/foreground_win32.h"
#include "platform/paste_back_win32.h"
#include "platform/seams.h"

namespace kaveto {
namespace {

// The system clipboard, opened without an owner so that this thread need not
// pump messages for another program to read it.
class TestClipboard : public Clipboard {
public:
    void SetText(const std::string& text) override {
        if (!::OpenClipboard(nullptr)) throw ClipboardError();
        ::EmptyClipboard();
        HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
        std::memcpy(::GlobalLock(block), text.c_str(), text.size() + 1);
        ::GlobalUnlock(block);
        ::SetClipboardData(CF_TEXT, block);
        ::CloseClipboard();
    }
};

bool WaitUntil(const std::function<bool()>& done, DWORD timeout_ms = 5000) {
    const ULONGLONG end = ::GetTickCount64() + timeout_ms;
    while (!done()) {
        if (::GetTickCount64() >= end) return false;
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
        ::Sleep(5);
    }
    return true;
}

std::string TextOf(HWND window) {
    char text[256] = {};
    ::SendMessageA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

LRESULT CALLBACK EditorProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
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
        ::PostThreadMessageA(thread_id_, WM_QUIT, 0, 0);
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
        edit_ = ::CreateWindowExA(0, "Edit", "", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 0, 0, 280, 30, window_,
                                  nullptr, wc.hInstance, nullptr);
        ready_ = true;
        MSG msg;
        while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        ::DestroyWindow(window_);
    }

    std::thread thread_;
    std::atomic<bool> ready_{false};
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

TEST(ForceForeground, BringsAnotherThreadsWindowToTheFrontAndBack) {
    Editor editor;
    OwnWindow own;
    ForceForeground(own.get());
    ASSERT_TRUE(WaitUntil([&] { return ::GetForegroundWindow() == own.get(); }));
    ForceForeground(editor.window());
    EXPECT_TRUE(WaitUntil([&] { return ::GetForegroundWindow() == editor.window(); }));
    ForceForeground(own.get());
    EXPECT_TRUE(WaitUntil([&] { return ::GetForegroundWindow() == own.get(); }));
}

TEST(ForceForeground, ANullOrVanishedWindowChangesNothing) {
    OwnWindow own;
    ForceForeground(own.get());
    ASSERT_TRUE(WaitUntil([&] { return ::GetForegroundWindow() == own.get(); }));
    HWND gone = ::CreateWindowExA(0, "Static", "gone", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    ::DestroyWindow(gone);
    ForceForeground(nullptr);
    ForceForeground(gone);
    WaitUntil([] { return false; }, 100);
    EXPECT_EQ(::GetForegroundWindow(), own.get());
}

struct PasteCase {
    Editor editor;
    OwnWindow own;
    AppState state;
    TestClipboard clipboard;
    Win32PasteBack actions;
    PasteCase() {
        state.history.history_texts = {"first", "\x93\xfa\x96\x7b\x8c\xea text"};  // "日本語 text"
        state.history.history_labels = {"L0", "L1"};
        state.target_window = reinterpret_cast<WindowHandle>(editor.window());
        state.settings.ClipbordTime = 30;
        ForceForeground(own.get());
        WaitUntil([&] { return ::GetForegroundWindow() == own.get(); });
    }
};

TEST(ReuseHistoryEntry, PastesTheChosenSnippetIntoTheWindowThatWasInFront) {
    PasteCase c;
    ReuseHistoryEntry(c.state, 1, c.clipboard, c.actions);
    EXPECT_TRUE(WaitUntil([&] { return TextOf(c.editor.edit()) == c.state.history.history_texts[0]; }))
        << "the editor holds \"" << TextOf(c.editor.edit()) << "\"";
    EXPECT_EQ(c.state.history.history_texts[0], "\x93\xfa\x96\x7b\x8c\xea text");
    EXPECT_EQ(::GetForegroundWindow(), c.editor.window());
    EXPECT_GE(::GetKeyState(VK_CONTROL), 0) << "Ctrl is released again";
}

TEST(ReuseHistoryEntry, WithPasteSwitchedOffTheEditorComesBackButNothingIsTyped) {
    PasteCase c;
    c.state.settings.PasteBool = false;
    ReuseHistoryEntry(c.state, 1, c.clipboard, c.actions);
    EXPECT_TRUE(WaitUntil([&] { return ::GetForegroundWindow() == c.editor.window(); }));
    WaitUntil([] { return false; }, 200);
    EXPECT_EQ(TextOf(c.editor.edit()), "");
}

}  // namespace
}  // namespace kaveto
