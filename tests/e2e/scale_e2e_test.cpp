// The picture at the display scale the system runs at: its size, the art
// made for that size drawn pixel for pixel, and a user's ways with it. The
// test run plays these at 100 % with the others, and again at 150 % and
// 200 % (tools/wine/wine-scaled.sh, which names the scale it set in
// KAVETO_DPI).
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "e2e_support.h"
#include "platform/unique_win32.h"

namespace kaveto::e2e {
namespace {

unsigned SystemDpi() {
    HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    return static_cast<unsigned>(dpi);
}

// The picture's side at the scales users have.
int PictureSide(unsigned dpi) {
    switch (dpi) {
    case 96: return 24;
    case 120: return 30;
    case 144: return 36;
    case 192: return 48;
    default: return 0;
    }
}

using Pixels = std::vector<COLORREF>;

// The bitmap kaveto.exe carries for the side, as the picture shows it: the
// pixels of the bottom-left pixel's colour show the window's background.
Pixels ArtAsShown(const std::string& exe, int side) {
    HMODULE module = ::LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module) return {};
    const std::string name = "PICTURE" + std::to_string(side);
    UniqueGdiObject bitmap(::LoadImageA(module, name.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    Pixels pixels;
    if (bitmap) {
        HDC dc = ::CreateCompatibleDC(nullptr);
        HGDIOBJ old = ::SelectObject(dc, bitmap.get());
        const COLORREF key = ::GetPixel(dc, 0, side - 1);
        for (int y = 0; y < side; ++y)
            for (int x = 0; x < side; ++x) {
                const COLORREF c = ::GetPixel(dc, x, y);
                pixels.push_back(c == key ? ::GetSysColor(COLOR_BTNFACE) : c);
            }
        ::SelectObject(dc, old);
        ::DeleteDC(dc);
    }
    ::FreeLibrary(module);
    return pixels;
}

// What the screen shows in the rectangle.
Pixels OnScreen(const RECT& r) {
    const int width = r.right - r.left, height = r.bottom - r.top;
    HDC screen = ::GetDC(nullptr);
    HDC copy = ::CreateCompatibleDC(screen);
    UniqueGdiObject bitmap(::CreateCompatibleBitmap(screen, width, height));
    HGDIOBJ old = ::SelectObject(copy, bitmap.get());
    ::BitBlt(copy, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
    Pixels pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) pixels.push_back(::GetPixel(copy, x, y) & 0xFFFFFF);
    ::SelectObject(copy, old);
    ::DeleteDC(copy);
    ::ReleaseDC(nullptr, screen);
    return pixels;
}

class Scale : public ProgramCase {
protected:
    void SetUp() override {
        if (const char* asked = std::getenv("KAVETO_DPI")) {
            ASSERT_EQ(SystemDpi(), std::strtoul(asked, nullptr, 10)) << "the display scale asked for did not take";
        }
        side = PictureSide(SystemDpi());
        ASSERT_NE(side, 0) << "no picture side known for " << SystemDpi() << " dpi";
        ProgramCase::SetUp();
    }
    int side = 0;
};

TEST_F(Scale, ThePictureIsDrawnFromTheArtMadeForTheScale) {
    RECT client = {};
    ::GetClientRect(window, &client);
    EXPECT_EQ(client.right, side);
    EXPECT_EQ(client.bottom, side);
    const RECT r = RectOf(window);
    EXPECT_EQ(r.right - r.left, side);
    EXPECT_EQ(r.bottom - r.top, side);
    EXPECT_EQ(r.left, 100) << "the saved place is kept";

    const Pixels art = ArtAsShown(folder.exe(), side);
    ASSERT_EQ(art.size(), static_cast<std::size_t>(side * side)) << "kaveto.exe has no bitmap of " << side << " pixels";
    // Nothing stands above the picture here; it is drawn once it is shown.
    EXPECT_TRUE(WaitUntil([&] { return OnScreen(r) == art; }))
        << "the picture on the screen is not its art pixel for pixel";
}

// As a user lives it at the scale: the pointer rests on the picture until
// its tip shows, then a double-click quotes the page in front, a link is
// dropped, and the picture is dragged to a new place, which is saved.
TEST_F(Scale, TheTipADoubleClickADropAndADragMoveAllWork) {
    CachedPages pages;
    const std::string url = pages.NewAddress("scaled.html");
    ASSERT_NE(pages.Commit(url, PageHtml("Scaled page")), "");
    StandInBrowser browser(url);
    ASSERT_TRUE(browser.BringToFront());

    const POINT centre = CentreOf(window);
    ArriveAt(centre);
    ASSERT_NE(WaitForHoverTip(*program), nullptr)
        << "no tip after hovering; " << HoverState(*program, window);
    EXPECT_EQ(DeliveredBy([&] { DoubleClickAt(centre); }), "Scaled page\r\n" + url + "\r\n");

    const std::string link = "http://kaveto.test/e2e/scaled-link.html";
    EXPECT_EQ(DropFrom(browser, [&] { return DragLinkTo(link, "Scaled link", centre); }),
              "Scaled link\r\n" + link + "\r\n");

    ArriveAt(centre);
    MouseButton(MOUSEEVENTF_LEFTDOWN);
    ASSERT_TRUE(WaitUntil([&] { return MovingOrSizing(window); })) << "the press started no move";
    ASSERT_TRUE(SyncWith(window));
    const POINT offset = {centre.x - 100, centre.y - 100};
    MoveMouseTo({400 + offset.x, 300 + offset.y});
    const bool followed = WaitUntil([&] { return RectOf(window).left == 400 && RectOf(window).top == 300; });
    MouseButton(MOUSEEVENTF_LEFTUP);
    ASSERT_TRUE(followed) << "window at " << RectOf(window).left << "," << RectOf(window).top;
    ASSERT_TRUE(WaitUntil([&] { return !MovingOrSizing(window); }));
    EXPECT_EQ(RectOf(window).right - RectOf(window).left, side) << "the move keeps the picture's size";

    CloseAndWait(*program);
    const std::vector<std::string> lines = IniLines(folder.ReadIni());
    EXPECT_EQ(IniValue(lines, "Window/Top"), "300");
    EXPECT_EQ(IniValue(lines, "Window/Left"), "400");
}

}  // namespace
}  // namespace kaveto::e2e
