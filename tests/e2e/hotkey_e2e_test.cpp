// The global hotkey and the menu it opens, seen from outside.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>

#include "e2e_support.h"

namespace kaveto::e2e {
namespace {

// "RegisterHotKey();に失敗しました" in Shift_JIS.
const std::string kHotKeyFailed = "RegisterHotKey();\x82\xc9\x8e\xb8\x94\x73\x82\xb5\x82\xdc\x82\xb5\x82\xbd";

// The same without pumping this thread's messages, so that a WM_HOTKEY
// sent to this thread waits in its queue.
void PressAltAQuietly() {
    for (const auto& [vk, flags] : {std::pair<BYTE, DWORD>{VK_MENU, 0}, {'A', 0}, {'A', KEYEVENTF_KEYUP},
                                    {VK_MENU, KEYEVENTF_KEYUP}}) {
        ::keybd_event(vk, 0, flags, 0);
        ::Sleep(20);
    }
}


// Holds Alt+A for this thread, as another program could, until it goes.
class HeldHotKey {
public:
    HeldHotKey() : held_(::RegisterHotKey(nullptr, kId, MOD_ALT, 'A') != 0) {}
    ~HeldHotKey() {
        if (held_) ::UnregisterHotKey(nullptr, kId);
    }
    bool held() const { return held_; }
    // True when this thread receives its WM_HOTKEY within the time.
    bool Received(DWORD timeout_ms) const {
        bool seen = false;
        WaitUntil(
            [&] {
                MSG msg;
                while (::PeekMessageA(&msg, nullptr, WM_HOTKEY, WM_HOTKEY, PM_REMOVE))
                    if (msg.wParam == kId) seen = true;
                return seen;
            },
            timeout_ms);
        return seen;
    }
    static constexpr int kId = 77;

private:
    bool held_;
};

TEST(HotKey, OpensTheMenuAtThePictureHoldingOnlyTheFixedItems) {
    ProgramFolder folder;
    folder.WriteIni("[Window]\r\nTop=200\r\nLeft=300\r\n");
    RunningProgram program(folder.exe());
    HWND window = program.WaitForMainWindow();
    ASSERT_NE(window, nullptr);
    Settle(200);

    PressAltA();
    HWND menu = program.WaitForWindow("#32768");
    ASSERT_NE(menu, nullptr) << "the hotkey opened no menu";
    EXPECT_EQ(RectOf(menu).left, 300) << "the menu's corner is the picture's corner";
    EXPECT_EQ(RectOf(menu).top, 200);

    // Dismissed, the menu leaves the picture in front and nothing else done.
    Tap(VK_ESCAPE);
    ASSERT_TRUE(WaitUntil([&] { return program.Window("#32768") == nullptr; }));
    EXPECT_TRUE(WaitUntil([&] { return ::GetForegroundWindow() == window; }, 2000));
    EXPECT_TRUE(program.Running());

    // Again: the first item that can be chosen is the exit item, so no
    // history item stands above the separator.
    PressAltA();
    ASSERT_NE(program.WaitForWindow("#32768"), nullptr);
    Tap(VK_DOWN);
    Tap(VK_RETURN);
    ASSERT_TRUE(program.WaitForExit());
    EXPECT_EQ(program.ExitCode(), 0u);
    EXPECT_EQ(IniLines(folder.ReadIni()).size(), 13u) << "settings written at exit";
}

TEST(HotKey, ARegistrationHeldElsewhereIsReportedAndTheMenuStillOpensByRightClick) {
    HeldHotKey held;
    ASSERT_TRUE(held.held());
    ProgramFolder folder;
    folder.WriteIni("[Window]\r\nTop=100\r\nLeft=100\r\n");
    RunningProgram program(folder.exe());

    HWND box = program.WaitForWindow("#32770");
    ASSERT_NE(box, nullptr) << "no notice of the failed registration";
    EXPECT_EQ(TextOf(box), "Kaveto");
    EXPECT_EQ(::GetWindow(box, GW_OWNER), nullptr);
    std::string message;
    int buttons = 0;
    bool icon = false;
    for (const ChildWindow& child : ChildrenOf(box)) {
        if (!child.visible) continue;
        if (child.class_name == "Button") {
            ++buttons;
            EXPECT_EQ(child.text, "OK");
        } else if (ShowsIcon(child)) {
            icon = true;
        } else if (child.class_name == "Static" && !child.text.empty()) {
            message = child.text;
        }
    }
    EXPECT_EQ(message, kHotKeyFailed);
    EXPECT_EQ(buttons, 1);
    EXPECT_FALSE(icon);
    const RECT r = RectOf(box);
    EXPECT_LE(std::abs((r.left + r.right) / 2 - ::GetSystemMetrics(SM_CXSCREEN) / 2), 2) << "centred across";
    EXPECT_LE(std::abs((r.top + r.bottom) / 2 - ::GetSystemMetrics(SM_CYSCREEN) / 2), 2) << "centred down";
    ::PostMessageA(box, WM_COMMAND, IDOK, 0);

    // The program runs on without the hotkey: it still reaches its holder.
    HWND window = program.WaitForMainWindow();
    ASSERT_NE(window, nullptr);
    Settle(200);
    PressAltAQuietly();
    EXPECT_TRUE(held.Received(2000));
    EXPECT_EQ(program.Window("#32768"), nullptr);

    MoveMouseTo(110, 110);
    MouseButton(MOUSEEVENTF_RIGHTDOWN);
    MouseButton(MOUSEEVENTF_RIGHTUP);
    ASSERT_NE(program.WaitForWindow("#32768"), nullptr) << "no menu after the right click";
    Tap('Z');
    ASSERT_TRUE(program.WaitForExit());
    EXPECT_EQ(program.ExitCode(), 0u);
}

}  // namespace
}  // namespace kaveto::e2e
