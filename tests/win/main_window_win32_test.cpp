// The main window driven inside the test's own process, where its menu can be
// read: the history items, a chosen entry pasted back into another window,
// and the window the paste goes to.
#include "app/main_window_win32.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "fakes/engine_fakes.h"
#include "platform/foreground_win32.h"
#include "platform/profile.h"
#include "platform/system.h"
#include "tools/drive/drag.h"
#include "tools/drive/standin_editor.h"
#include "tools/drive/wait.h"
#include "tools/drive/window_query.h"

namespace kaveto {
namespace {

using drive::WaitUntil;
using Editor = drive::StandInEditor;

// A settings file held in memory.
class MemoryProfile : public Profile {
public:
    std::map<std::string, std::string> values;  // "Section/Key"
    std::string ReadString(const std::string&, const std::string& section, const std::string& key,
                           const std::string& fallback) override {
        auto it = values.find(section + "/" + key);
        return it == values.end() ? fallback : it->second;
    }
    bool WriteString(const std::string&, const std::string& section, const std::string& key,
                     const std::string& value) override {
        values[section + "/" + key] = value;
        return true;
    }
};

class NoNames : public KeyNames {
public:
    std::string SystemKeyName(int) override { return {}; }
};

std::vector<std::string> MenuCaptions(HMENU menu) {
    std::vector<std::string> captions;
    for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
        char text[256] = {};
        ::GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION);
        captions.push_back(::GetMenuState(menu, i, MF_BYPOSITION) & MF_SEPARATOR ? "-" : text);
    }
    return captions;
}

// The open popup menu of this process, or null.
HWND OpenMenuWindow() { return drive::FindTopWindow({::GetCurrentProcessId(), "#32768"}); }

// Waits on its own thread for this process's menu to open, notes where it
// opened and dismisses it with Esc, again each time it opens, until told to
// stop. The Esc is handed to the menu itself rather than typed: a typed key
// goes to the window in front, and the menu must close even when the
// window in front is wrong (the test then fails instead of waiting forever).
class MenuDismisser {
public:
    MenuDismisser()
        : thread_([this] {
              while (!stop_) {
                  HWND menu = nullptr;
                  if (!WaitUntil([&] { return stop_ || (menu = OpenMenuWindow()) != nullptr; }) || !menu) return;
                  if (!seen_) ::GetWindowRect(menu, &rect_);
                  seen_ = true;
                  ::PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0);
                  WaitUntil([&] { return stop_ || !::IsWindowVisible(menu); });
              }
          }) {}
    ~MenuDismisser() { Join(); }
    void Join() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
    }
    bool seen() const { return seen_; }
    RECT rect() const { return rect_; }

private:
    std::atomic<bool> stop_{false}, seen_{false};
    RECT rect_ = {};
    std::thread thread_;
};

const std::string kExitItem = "\x8f\x49\x97\xb9(&Z)";  // "終了(&Z)"

class MainWindowTest : public ::testing::Test {
protected:
    MainWindowTest() {
        // A hotkey no other test uses, so that its registration succeeds.
        profile.values["Other/ShortCut"] = "Shift+Ctrl+Alt+F9";
        profile.values["Window/Top"] = "50";
        profile.values["Window/Left"] = "60";
        profile.values["Other/ClipbordTime"] = "30";
        owner = ::CreateWindowExA(0, "Static", "Kaveto", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
        form = std::make_unique<TForm1>(
            MainWindowServices{::GetModuleHandleA(nullptr), owner, profile, names, env, "C:\\test.ini"});
        form->Show();
    }
    ~MainWindowTest() override {
        form.reset();
        ::DestroyWindow(owner);
    }
    void SetHistory(const std::vector<std::string>& texts, const std::vector<std::string>& labels) {
        form->state().history = fakes::HistoryOf(texts, labels);
    }
    void BringToFront(HWND window) {
        const HWND before = ::GetForegroundWindow();
        ForceForeground(window);
        ASSERT_TRUE(drive::WaitForFront(window, before));
    }
    WindowHandle Target() { return form->state().target_window; }

    drive::OleThread ole;  // the main window registers itself as a drop target
    MemoryProfile profile;
    NoNames names;
    SystemServices system = MakeSystemServices();
    Environment env{"C:\\", *system.clipboard, *system.key_state, *system.clock, *system.files};
    HWND owner = nullptr;
    std::unique_ptr<TForm1> form;
};

TEST_F(MainWindowTest, TheMenuListsTheHistoryNewestFirstAboveTheFixedItems) {
    const std::string sixty(60, 'x');
    SetHistory({"T0", "T1", "T2"}, {"L0", "R&D", sixty});
    form->PopupMenu1Popup();
    EXPECT_EQ(MenuCaptions(form->popup_menu1()),
              (std::vector<std::string>{"L0(&A)", "R&D(&B)", std::string(50, 'x') + "(&C)", "-", kExitItem}));

    // Each opening rebuilds the items from the lists as they are then.
    SetHistory({"only"}, {"one"});
    form->PopupMenu1Popup();
    EXPECT_EQ(MenuCaptions(form->popup_menu1()), (std::vector<std::string>{"one(&A)", "-", kExitItem}));
    SetHistory({}, {});
    form->PopupMenu1Popup();
    EXPECT_EQ(MenuCaptions(form->popup_menu1()), (std::vector<std::string>{"-", kExitItem}));
}

TEST_F(MainWindowTest, AChosenEntryIsPastedIntoTheTargetWindowAndMovesToTheTop) {
    Editor editor;
    SetHistory({"T0", "T1", "\x93\xfa\x96\x7b T2"}, {"L0", "L1", "L2"});
    BringToFront(editor.window());
    ::SendMessageA(form->handle(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    ASSERT_EQ(Target(), reinterpret_cast<WindowHandle>(editor.window()));
    BringToFront(form->handle());

    form->PopupMenu1Popup();
    const UINT third = ::GetMenuItemID(form->popup_menu1(), 2);
    ::SendMessageA(form->handle(), WM_COMMAND, third, 0);

    EXPECT_TRUE(WaitUntil([&] { return editor.Text() == "\x93\xfa\x96\x7b T2"; }))
        << "the editor holds \"" << editor.Text() << "\"";
    EXPECT_EQ(::GetForegroundWindow(), editor.window());
    form->PopupMenu1Popup();
    EXPECT_EQ(MenuCaptions(form->popup_menu1()),
              (std::vector<std::string>{"L2(&A)", "L0(&B)", "L1(&C)", "-", kExitItem}));
    EXPECT_EQ(form->state().history.history_texts(),
              (std::vector<std::string>{"\x93\xfa\x96\x7b T2", "T0", "T1"}));
}

TEST_F(MainWindowTest, TheMouseOverThePictureRecordsTheWindowInFrontButNeverTheMainWindow) {
    Editor editor;
    EXPECT_EQ(Target(), 0u) << "null at start";
    BringToFront(form->handle());
    ::SendMessageA(form->handle(), WM_MOUSEMOVE, 0, 0);
    EXPECT_EQ(Target(), 0u);
    BringToFront(editor.window());
    ::SendMessageA(form->handle(), WM_MOUSEMOVE, 0, 0);
    EXPECT_EQ(Target(), reinterpret_cast<WindowHandle>(editor.window()));
    BringToFront(form->handle());
    ::SendMessageA(form->handle(), WM_MOUSEMOVE, 0, 0);
    EXPECT_EQ(Target(), reinterpret_cast<WindowHandle>(editor.window()));
}

TEST_F(MainWindowTest, TheHotkeyOpensTheMenuAndKeepsTheTargetWhenThePictureIsInFront) {
    Editor editor;
    BringToFront(editor.window());
    ::SendMessageA(form->handle(), WM_MOUSEMOVE, 0, 0);
    BringToFront(form->handle());

    // The menu runs inside the hotkey's handling until it is dismissed.
    MenuDismisser dismisser;
    ::SendMessageA(form->handle(), WM_HOTKEY, TForm1::kHotKeyId, 0);
    dismisser.Join();
    EXPECT_TRUE(dismisser.seen());
    EXPECT_EQ(dismisser.rect().left, 60) << "at the picture's top-left corner";
    EXPECT_EQ(dismisser.rect().top, 50);
    EXPECT_EQ(Target(), reinterpret_cast<WindowHandle>(editor.window()));
    EXPECT_EQ(::GetForegroundWindow(), form->handle()) << "the dismissed menu leaves the picture in front";
}

TEST_F(MainWindowTest, TheHotkeyRecordsTheWindowThatWasInFront) {
    Editor editor;
    BringToFront(editor.window());
    MenuDismisser dismisser;
    ::SendMessageA(form->handle(), WM_HOTKEY, TForm1::kHotKeyId, 0);
    dismisser.Join();
    EXPECT_TRUE(dismisser.seen());
    EXPECT_EQ(Target(), reinterpret_cast<WindowHandle>(editor.window()));
    EXPECT_EQ(::GetForegroundWindow(), form->handle());
}

TEST_F(MainWindowTest, ThePositionIsReadAtCreationAndWrittenAtTheEnd) {
    const RECT r = [&] {
        RECT rect = {};
        ::GetWindowRect(form->handle(), &rect);
        return rect;
    }();
    EXPECT_EQ(r.left, 60);
    EXPECT_EQ(r.top, 50);
    ::SetWindowPos(form->handle(), nullptr, 70, 80, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    form.reset();
    EXPECT_EQ(profile.values["Window/Top"], "80");
    EXPECT_EQ(profile.values["Window/Left"], "70");
    EXPECT_EQ(profile.values["Other/ShortCut"], "Shift+Ctrl+Alt+F9");
}

}  // namespace
}  // namespace kaveto
