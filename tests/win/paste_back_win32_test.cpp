// Bringing another thread's window to the front on the real window system;
// a history entry chosen with pasting switched off. (The paste itself is
// driven through the main window in main_window_win32_test.cpp.)
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "engine/history_menu.h"
#include "fakes/engine_fakes.h"
#include "platform/errors.h"
#include "platform/clipboard_win32.h"
#include "platform/foreground_win32.h"
#include "platform/paste_back_win32.h"
#include "platform/seams.h"
#include "platform/unique_win32.h"
#include "tools/drive/input.h"
#include "tools/drive/standin_editor.h"
#include "tools/drive/wait.h"
#include "tools/drive/window_query.h"

namespace kaveto {
namespace {

using drive::WaitUntil;
using Editor = drive::StandInEditor;

// A window of the test's own thread, standing for the program's picture.
class OwnWindow {
public:
    HWND get() const { return window_.get(); }

private:
    UniqueWindow window_{::CreateWindowExA(WS_EX_TOPMOST, "Static", "own", WS_POPUP | WS_VISIBLE, 0, 0, 24, 24,
                                           nullptr, nullptr, nullptr, nullptr)};
};

TEST(ForceForeground, BringsAnotherThreadsWindowToTheFrontAndBack) {
    Editor editor;
    OwnWindow own;
    HWND before = ::GetForegroundWindow();
    ForceForeground(own.get());
    ASSERT_TRUE(drive::WaitForFront(own.get(), before));
    ForceForeground(editor.window());
    EXPECT_TRUE(drive::WaitForFront(editor.window(), own.get()));
    ForceForeground(own.get());
    EXPECT_TRUE(drive::WaitForFront(own.get(), editor.window()));
}

TEST(ForceForeground, ANullOrVanishedWindowChangesNothing) {
    OwnWindow own;
    ASSERT_TRUE(drive::BringToFront(own.get()));
    HWND gone = ::CreateWindowExA(0, "Static", "gone", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    ::DestroyWindow(gone);
    ForceForeground(nullptr);
    ForceForeground(gone);
    drive::PumpMessages();  // whatever the calls sent this thread's window
    EXPECT_EQ(::GetForegroundWindow(), own.get());
}

struct PasteCase {
    Editor editor;
    OwnWindow own;
    AppState state;
    Win32Clipboard clipboard;
    Win32PasteBack actions;
    PasteCase() {
        state.history = fakes::HistoryOf({"first", "\x93\xfa\x96\x7b\x8c\xea text"}, {"L0", "L1"});  // "日本語 text"
        state.target_window = reinterpret_cast<WindowHandle>(editor.window());
        state.settings.ClipbordTime = 30;
        drive::BringToFront(own.get());
    }
};

TEST(ReuseHistoryEntry, WithPasteSwitchedOffTheEditorComesBackButNothingIsTyped) {
    PasteCase c;
    c.state.settings.PasteBool = false;
    ReuseHistoryEntry(c.state, 1, c.clipboard, c.actions);
    EXPECT_TRUE(drive::WaitForFront(c.editor.window(), c.own.get()));
    // Any key the call sent was queued before it returned, so before this one.
    drive::Tap('Q');
    EXPECT_TRUE(WaitUntil([&] { return !c.editor.Text().empty(); }));
    EXPECT_EQ(c.editor.Text(), "q") << "only the key typed here reaches the editor";
}

}  // namespace
}  // namespace kaveto
