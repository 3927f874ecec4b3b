// Bringing another thread's window to the front on the real window system;
// a history entry chosen with pasting switched off. (The paste itself is
// driven through the main window in main_window_win32_test.cpp.)
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "engine/history_menu.h"
#include "platform/errors.h"
#include "platform/clipboard_win32.h"
#include "platform/foreground_win32.h"
#include "platform/paste_back_win32.h"
#include "platform/seams.h"
#include "win/desktop_fixtures.h"

namespace kaveto {
namespace {

using test::Editor;
using test::OwnWindow;
using test::TextOf;
using test::WaitUntil;

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
    Win32Clipboard clipboard;
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
