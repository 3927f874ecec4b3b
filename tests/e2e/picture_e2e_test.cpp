// Where the picture stands: a saved place that no monitor shows whole comes
// back on the screen, at start and when the display changes; a visible one
// is kept to the pixel; the place saved at exit is the picture's. And the
// tip that says what the picture is.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "e2e_support.h"

namespace kaveto::e2e {
namespace {

RECT WorkArea() {
    RECT area = {};
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    return area;
}

std::string IniAt(int top, int left) {
    return "[Window]\r\nTop=" + std::to_string(top) + "\r\nLeft=" + std::to_string(left) + "\r\n";
}

// Starts the program with the place saved, closes it again, and checks
// where its picture stood and the place it saved: both `top`, `left`.
void ExpectShownAndSavedAt(int saved_top, int saved_left, int top, int left) {
    KavetoFolder folder;
    folder.WriteIni(IniAt(saved_top, saved_left));
    RunningProgram program(folder.exe());
    HWND window = program.WaitForMainWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(RectOf(window).left, left);
    EXPECT_EQ(RectOf(window).top, top);
    CloseAndWait(program);
    const std::vector<std::string> lines = IniLines(folder.ReadIni());
    EXPECT_EQ(IniValue(lines, "Window/Top"), std::to_string(top));
    EXPECT_EQ(IniValue(lines, "Window/Left"), std::to_string(left));
}

TEST(PictureOnScreen, ASavedPlaceOffTheScreenComesBackWhollyVisibleAndIsSavedThere) {
    // Under the test run there is one monitor, whose work area is the screen.
    const RECT area = WorkArea();
    const int side = 24, right = area.right - side, bottom = area.bottom - side;
    struct Row {
        const char* name;
        int top, left;
        int placed_top, placed_left;
    } rows[] = {
        {"above and left of the screen", -500, -500, 0, 0},
        {"beyond the bottom right, where a second monitor was", 3000, 3000, bottom, right},
        {"beyond the right", 200, 5000, 200, right},
        {"below the bottom", 5000, 300, bottom, 300},
        {"half over the left edge", 300, -12, 300, 0},
        {"half over the top edge", -12, 300, 0, 300},
        {"half over the right edge", 300, right + 12, 300, right},
        {"half over the bottom edge", bottom + 12, 300, bottom, 300},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ExpectShownAndSavedAt(row.top, row.left, row.placed_top, row.placed_left);
    }
}

TEST(PictureOnScreen, AVisiblePlaceIsKeptExactly) {
    const RECT area = WorkArea();
    struct Row {
        const char* name;
        int top, left;
    } rows[] = {
        {"inside", 123, 457},
        {"in the top-left corner", 0, 0},
        {"in the bottom-right corner", static_cast<int>(area.bottom) - 24, static_cast<int>(area.right) - 24},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ExpectShownAndSavedAt(row.top, row.left, row.top, row.left);
    }
}

class PictureCase : public ProgramCase {};

// A monitor that goes away leaves its windows where it was; the system then
// tells every window, by a sent message, that the display changed.
TEST_F(PictureCase, WhenTheDisplayChangesAPictureLeftOffTheScreenComesBack) {
    const RECT area = WorkArea();
    const auto display_changed = [&] {
        DWORD_PTR result = 0;
        return ::SendMessageTimeoutA(window, WM_DISPLAYCHANGE, 24, MAKELPARAM(area.right, area.bottom),
                                     SMTO_ABORTIFHUNG, kPatienceMs, &result) != 0;
    };
    ASSERT_TRUE(display_changed());
    EXPECT_EQ(RectOf(window).left, 100) << "a visible picture stays where it is";
    EXPECT_EQ(RectOf(window).top, 100);

    ASSERT_TRUE(
        ::SetWindowPos(window, nullptr, area.right + 600, 300, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE));
    ASSERT_TRUE(display_changed());
    EXPECT_EQ(RectOf(window).left, area.right - 24);
    EXPECT_EQ(RectOf(window).top, 300);
    CloseAndWait(*program);
    const std::vector<std::string> lines = IniLines(folder.ReadIni());
    EXPECT_EQ(IniValue(lines, "Window/Left"), std::to_string(area.right - 24)) << "saved where the picture is";
}

// The tip lies wholly on the screen and leaves the picture free.
void ExpectBesideThePicture(HWND tip, HWND picture) {
    RECT overlap = {}, shown = RectOf(tip), area = WorkArea(), on_screen = {};
    const RECT picture_rect = RectOf(picture);
    EXPECT_FALSE(::IntersectRect(&overlap, &picture_rect, &shown)) << "the tip covers the picture";
    ::IntersectRect(&on_screen, &area, &shown);
    EXPECT_TRUE(::EqualRect(&on_screen, &shown)) << "the tip is not wholly on the screen";
}

// A program started with its settings, and the pointer come to rest on
// its picture until the tip shows.
class PictureTip : public ::testing::Test {
protected:
    void StartAndHover(const std::string& ini) {
        folder.WriteIni(ini);
        program = std::make_unique<RunningProgram>(folder.exe());
        window = program->WaitForMainWindow();
        ASSERT_NE(window, nullptr);
        ArriveAt(CentreOf(window));
        tip = WaitForHoverTip(*program);
        ASSERT_NE(tip, nullptr) << "no tip after hovering; " << HoverState(*program, window);
    }
    void TearDown() override {
        if (program && window) CloseAndWait(*program);
    }

    KavetoFolder folder;
    std::unique_ptr<RunningProgram> program;
    HWND window = nullptr, tip = nullptr;
};

TEST_F(PictureTip, HoveringThePictureShowsWhatItIsAndTheHistoryKeyBesideIt) {
    // The chords of the history key and the quote key as the settings name
    // them.
    ASSERT_NO_FATAL_FAILURE(
        StartAndHover(IniAt(100, 100) + "[Other]\r\nShortCut=Shift+Ctrl+F11\r\nQuoteShortCut=Shift+Ctrl+F10\r\n"));
    const std::string text = TextOf(tip);
    EXPECT_EQ(text.rfind("Kaveto", 0), 0u) << text;
    // "ドロップ" and "ダブルクリック" in Shift_JIS.
    EXPECT_NE(text.find("\x83\x68\x83\x8d\x83\x62\x83\x76"), std::string::npos) << text;
    EXPECT_NE(text.find("\x83\x5f\x83\x75\x83\x8b\x83\x4e\x83\x8a\x83\x62\x83\x4e"), std::string::npos) << text;
    EXPECT_NE(text.find("Shift+Ctrl+F11"), std::string::npos) << text;
    EXPECT_NE(text.find("Shift+Ctrl+F10"), std::string::npos) << text;
    ExpectBesideThePicture(tip, window);
    EXPECT_TRUE(::GetWindowLongA(tip, GWL_EXSTYLE) & WS_EX_TOPMOST) << "the tip stands above the other windows";

    // A press hides it, and the press reaches the picture: it moves.
    MouseButton(MOUSEEVENTF_LEFTDOWN);
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindowVisible(tip); })) << "the tip stays up under a press";
    EXPECT_TRUE(WaitUntil([&] { return MovingOrSizing(window); })) << "the press started no move";
    MouseButton(MOUSEEVENTF_LEFTUP);
    EXPECT_TRUE(WaitUntil([&] { return !MovingOrSizing(window); }));
}

// Where no room is left below the picture, the tip goes above it.
TEST_F(PictureTip, InTheScreensBottomCornerTheTipStandsAboveThePicture) {
    const RECT area = WorkArea();
    ASSERT_NO_FATAL_FAILURE(StartAndHover(IniAt(area.bottom - 24, area.right - 24)));
    ExpectBesideThePicture(tip, window);
    EXPECT_LE(RectOf(tip).bottom, RectOf(window).top);
}

}  // namespace
}  // namespace kaveto::e2e
