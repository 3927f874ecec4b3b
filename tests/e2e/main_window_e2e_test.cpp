// The program's start, its single instance, the main window, its drag-move,
// its exit by the menu and the settings written at exit, seen from outside.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "e2e_support.h"

namespace kaveto::e2e {
namespace {

// "に書き込めません" in Shift_JIS.
const std::string kCannotWrite = "\x82\xc9\x8f\x91\x82\xab\x8d\x9e\x82\xdf\x82\xdc\x82\xb9\x82\xf1";

std::vector<std::string> Keys(const std::vector<std::string>& lines) {
    std::vector<std::string> keys;
    for (const std::string& line : lines) keys.push_back(line.substr(0, line.find('=')));
    return keys;
}

TEST(MainWindow, FirstStartShowsTheTopmostPictureAtTheTopLeftOwnedByAToolWindow) {
    KavetoFolder folder;
    RunningProgram program(folder.exe());
    HWND window = program.WaitForMainWindow();
    ASSERT_NE(window, nullptr);

    const RECT r = RectOf(window);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    RECT client = {};
    ::GetClientRect(window, &client);
    EXPECT_EQ(client.right, 24);
    EXPECT_EQ(client.bottom, 24);
    EXPECT_EQ(r.right - r.left, 24) << "no frame around the picture";
    EXPECT_EQ(TextOf(window), "Form1");
    const LONG style = ::GetWindowLongA(window, GWL_STYLE);
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_FALSE(style & (WS_CAPTION | WS_THICKFRAME | WS_BORDER));
    EXPECT_TRUE(::GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST);

    HWND owner = ::GetWindow(window, GW_OWNER);
    ASSERT_NE(owner, nullptr);
    EXPECT_EQ(TextOf(owner), "Kaveto");
    EXPECT_EQ(::GetWindowLongA(owner, GWL_EXSTYLE), WS_EX_TOOLWINDOW);

    CloseAndWait(program);
    const std::vector<std::string> lines = IniLines(folder.ReadIni());
    const std::vector<std::string> write_order = {
        "Window/Top",         "Window/Left",       "Other/Youbi",        "Other/LogBool",   "Other/LogBetweenText",
        "Other/LogOrderBool", "Other/ExtendTime",  "Other/DoClipBool",   "Other/HistoryBool", "Other/PasteBool",
        "Other/ShortCut",     "Other/ClipbordTime", "Other/SaveFileName", "Other/LogCode",
        "Other/QuoteShortCut"};
    EXPECT_EQ(Keys(lines), write_order);
    EXPECT_EQ(IniValue(lines, "Window/Top"), "0");
    EXPECT_EQ(IniValue(lines, "Window/Left"), "0");
}

TEST(SingleInstance, ASecondCopyEndsAtOnceAndTheNameIsFreeAgainAfterTheFirstEnds) {
    KavetoFolder folder;
    RunningProgram first(folder.exe());
    HWND window = first.WaitForMainWindow();
    ASSERT_NE(window, nullptr);
    {
        RunningProgram second(folder.exe());
        ASSERT_TRUE(second.WaitForExit());
        EXPECT_EQ(second.ExitCode(), 0u);
    }
    EXPECT_TRUE(first.Running());
    EXPECT_TRUE(::IsWindow(window));
    CloseAndWait(first);

    // After a clean end a new copy starts; after it is killed, again.
    RunningProgram third(folder.exe());
    ASSERT_NE(third.WaitForMainWindow(), nullptr);
    third.Terminate();
    RunningProgram fourth(folder.exe());
    ASSERT_NE(fourth.WaitForMainWindow(), nullptr);
    EXPECT_TRUE(fourth.Running());
    CloseAndWait(fourth);
}

TEST(MainWindow, DraggingThePictureMovesTheWindowAndTheNewPlaceIsSaved) {
    KavetoFolder folder;
    folder.WriteIni("[Window]\r\nTop=100\r\nLeft=100\r\n");
    RunningProgram program(folder.exe());
    HWND window = program.WaitForMainWindow();
    ASSERT_NE(window, nullptr);

    ArriveAt({110, 112});
    MouseButton(MOUSEEVENTF_LEFTDOWN);
    // The move starts from where the pointer is when the press is taken; the
    // round trip comes back once the move has begun to wait for the mouse.
    ASSERT_TRUE(WaitUntil([&] { return MovingOrSizing(window); })) << "the press started no move";
    ASSERT_TRUE(SyncWith(window));
    MoveMouseTo({260, 192});
    // The window follows the pointer; the hand lets go once it is there.
    const bool followed = WaitUntil([&] { return RectOf(window).left == 250 && RectOf(window).top == 180; });
    MouseButton(MOUSEEVENTF_LEFTUP);
    ASSERT_TRUE(followed) << "window at " << RectOf(window).left << "," << RectOf(window).top;
    ASSERT_TRUE(WaitUntil([&] { return !MovingOrSizing(window); })) << "the move did not end with the release";
    CloseAndWait(program);
    const std::vector<std::string> lines = IniLines(folder.ReadIni());
    EXPECT_EQ(IniValue(lines, "Window/Top"), "180");
    EXPECT_EQ(IniValue(lines, "Window/Left"), "250");
}

TEST(MainWindow, ASettingsFileThatCannotBeWrittenIsReportedAndTheProgramStillEnds) {
    KavetoFolder folder;
    ASSERT_TRUE(::CreateDirectoryA(folder.ini().c_str(), nullptr));  // a folder where the file should be
    RunningProgram program(folder.exe());
    HWND window = program.WaitForMainWindow();
    ASSERT_NE(window, nullptr);
    ::PostMessageA(window, WM_CLOSE, 0, 0);

    HWND box = program.WaitForWindow(kDialogClass);
    ASSERT_NE(box, nullptr) << "no error box";
    EXPECT_EQ(TextOf(box), "Kaveto");
    const std::vector<ChildWindow> children = ChildrenOf(box);
    EXPECT_EQ(MessageOf(box), folder.ini() + " " + kCannotWrite + ".");
    EXPECT_TRUE(std::any_of(children.begin(), children.end(), ShowsIcon)) << "the error box carries the error icon";
    ::PostMessageA(box, WM_COMMAND, IDOK, 0);

    ASSERT_TRUE(program.WaitForExit());
    EXPECT_EQ(program.ExitCode(), 0u);
}

TEST(PopupMenu, TheExitItemChosenAfterARightClickEndsTheProgramAndSavesTheSettings) {
    KavetoFolder folder;
    folder.WriteIni("[Window]\r\nTop=300\r\nLeft=400\r\n");
    RunningProgram program(folder.exe());
    HWND window = program.WaitForMainWindow();
    ASSERT_NE(window, nullptr);

    ArriveAt({410, 310});
    MouseButton(MOUSEEVENTF_RIGHTDOWN);
    ASSERT_TRUE(SyncInputWith(window, 2));  // the move and the press
    EXPECT_EQ(program.Window(kMenuClass), nullptr) << "a press alone opens nothing";
    MouseButton(MOUSEEVENTF_RIGHTUP);
    ASSERT_TRUE(program.WaitForMenu()) << "no menu after the right click";
    HWND menu = program.Window(kMenuClass);
    EXPECT_EQ(RectOf(menu).left, 410) << "the menu opens at the pointer";
    EXPECT_EQ(RectOf(menu).top, 310);
    EXPECT_EQ(RectOf(window).left, 400) << "a right click moves nothing";
    Tap('Z');

    ASSERT_TRUE(program.WaitForExit());
    EXPECT_EQ(program.ExitCode(), 0u);
    const std::vector<std::string> lines = IniLines(folder.ReadIni());
    EXPECT_EQ(IniValue(lines, "Window/Top"), "300");
    EXPECT_EQ(IniValue(lines, "Window/Left"), "400");
    EXPECT_EQ(lines.size(), 15u);
}

TEST(PopupMenu, TheContextMenuKeyOpensTheMenuAtThePicture) {
    KavetoFolder folder;
    folder.WriteIni("[Window]\r\nTop=300\r\nLeft=400\r\n");
    RunningProgram program(folder.exe());
    HWND window = program.WaitForMainWindow();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(BringToFront(window));
    Tap(VK_APPS);
    ASSERT_TRUE(program.WaitForMenu());
    HWND menu = program.Window(kMenuClass);
    EXPECT_EQ(RectOf(menu).left, 400);
    EXPECT_EQ(RectOf(menu).top, 300);
    Tap('Z');
    ASSERT_TRUE(program.WaitForExit());
    EXPECT_EQ(program.ExitCode(), 0u);
}

}  // namespace
}  // namespace kaveto::e2e
