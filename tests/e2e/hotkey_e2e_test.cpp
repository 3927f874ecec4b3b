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

TEST(HotKey, OpensTheMenuAtThePictureHoldingOnlyTheFixedItems) {
    KavetoFolder folder;
    folder.WriteIni("[Window]\r\nTop=200\r\nLeft=300\r\n");
    RunningProgram program(folder.exe());
    HWND window = program.WaitForMainWindow();
    ASSERT_NE(window, nullptr);

    ChordByHand({VK_MENU, 'A'});
    ASSERT_TRUE(program.WaitForMenu()) << "the hotkey opened no menu";
    HWND menu = program.Window(kMenuClass);
    EXPECT_EQ(RectOf(menu).left, 300) << "the menu's corner is the picture's corner";
    EXPECT_EQ(RectOf(menu).top, 200);

    // Dismissed, the menu leaves the picture in front and nothing else done.
    Tap(VK_ESCAPE);
    ASSERT_TRUE(WaitUntil([&] { return program.Window(kMenuClass) == nullptr; }));
    EXPECT_TRUE(WaitUntil([&] { return ::GetForegroundWindow() == window; }));
    EXPECT_TRUE(program.Running());

    // Again, both keys pressed at once as a quick hand on a busy machine
    // gives them: the hotkey comes before the Alt still queued, and the
    // menu must not read that Alt as the user closing it. The first item
    // that can be chosen is the exit item, so no history item stands above
    // the separator.
    Chord({VK_MENU, 'A'});
    ASSERT_TRUE(program.WaitForMenu());
    Tap(VK_DOWN);
    Tap(VK_RETURN);
    ASSERT_TRUE(program.WaitForExit());
    EXPECT_EQ(program.ExitCode(), 0u);
    EXPECT_EQ(IniLines(folder.ReadIni()).size(), 15u) << "settings written at exit";
}

TEST(HotKey, ARegistrationHeldElsewhereIsReportedAndTheMenuStillOpensByRightClick) {
    HeldHotKey held(MOD_ALT, 'A');
    ASSERT_TRUE(held.held());
    KavetoFolder folder;
    folder.WriteIni("[Window]\r\nTop=100\r\nLeft=100\r\n");
    RunningProgram program(folder.exe());

    HWND box = program.WaitForWindow(kDialogClass);
    ASSERT_NE(box, nullptr) << "no notice of the failed registration";
    EXPECT_EQ(CheckHotKeyNotice(box), kHotKeyFailed);

    // The program runs on without the hotkey: it still reaches its holder.
    HWND window = program.WaitForMainWindow();
    ASSERT_NE(window, nullptr);
    ChordByHand({VK_MENU, 'A'});
    EXPECT_TRUE(held.Received(kPatienceMs));
    EXPECT_EQ(program.Window(kMenuClass), nullptr);

    RightClickAt({110, 110});
    ASSERT_TRUE(program.WaitForMenu()) << "no menu after the right click";
    Tap('Z');
    ASSERT_TRUE(program.WaitForExit());
    EXPECT_EQ(program.ExitCode(), 0u);
}

}  // namespace
}  // namespace kaveto::e2e
