// Captures one after another, as a user makes them: a double-click, then a
// drop with another page in the browser, then the menu; and a browser that
// stops answering while the program reads it.
#include <gtest/gtest.h>

#include <string>

#include "e2e_support.h"

namespace kaveto::e2e {
namespace {

constexpr POINT kPicture = {112, 112};
// The corner brackets the first template puts around the selection.
const std::string kOpen = "\x81\x75", kClose = "\x81\x76";
// How long the program may take to end after its menu's exit item: it
// writes its settings and goes, well within this.
constexpr DWORD kExitMs = 3000;

std::string Round(int program, int round) { return std::to_string(program) + "." + std::to_string(round); }

std::string InFront() { return "in front: " + DescribeWindow(::GetForegroundWindow()); }

// Right click, the menu, Z: true when the program then ended in time.
::testing::AssertionResult EndsByItsMenu(RunningProgram& program) {
    RightClickAt(kPicture);
    if (!program.WaitForMenu()) return ::testing::AssertionFailure() << "no menu after the right click; " << InFront();
    Tap('Z');
    const Stopwatch since_z;
    if (!program.WaitForExit(kExitMs))
        return ::testing::AssertionFailure() << "still running " << since_z.ElapsedMs() << " ms after Z; " << InFront();
    if (program.ExitCode() != 0) return ::testing::AssertionFailure() << "ended with " << program.ExitCode();
    return ::testing::AssertionSuccess();
}

// Several programs, several rounds each, so that a fault that shows once in
// ten rounds is caught.
TEST(CaptureSequence, AfterADoubleClickADropQuotesThePageInFrontAndTheMenuStillEndsTheProgram) {
    constexpr int kPrograms = 4, kRounds = 5;
    OleThread ole;
    CachedPages pages;
    for (int run = 1; run <= kPrograms; ++run) {
        SCOPED_TRACE("program " + std::to_string(run));
        KavetoFolder folder;
        folder.WriteIni("[Window]\r\nTop=100\r\nLeft=100\r\n");
        RunningProgram program(folder.exe());
        ASSERT_NE(program.WaitForMainWindow(), nullptr);
        StandInBrowser browser("about:blank");
        bool going = true;
        for (int round = 1; round <= kRounds && going; ++round) {
            SCOPED_TRACE("round " + std::to_string(round));
            const std::string page_a = pages.NewAddress("a.html"), page_b = pages.NewAddress("b.html");
            const std::string title_a = "Page A " + Round(run, round), title_b = "Page B " + Round(run, round);
            ASSERT_NE(pages.Commit(page_a, PageHtml(title_a)), "");
            ASSERT_NE(pages.Commit(page_b, PageHtml(title_b)), "");

            ASSERT_TRUE(browser.ShowAddress(page_a));
            const std::string quoted = DoubleClickFrom(browser, kPicture);
            EXPECT_EQ(quoted, title_a + "\r\n" + page_a + "\r\n") << "double-click; " << InFront();
            const bool back = WaitUntil([&] { return ::GetForegroundWindow() == browser.window(); });
            EXPECT_TRUE(back) << "the browser is not back in front after the double-click; " << InFront();

            ASSERT_TRUE(browser.ShowAddress(page_b));
            const std::string selection = "selected " + Round(run, round);
            const std::string dropped = DropFrom(browser, [&] { return DragTextTo(selection, kPicture); });
            EXPECT_EQ(dropped, kOpen + selection + kClose + "\r\n" + title_b + "\r\n" + page_b + "\r\n")
                << "drop with page B in the browser; after the drop " << InFront();
            going = !::testing::Test::HasFailure();
        }
        EXPECT_TRUE(EndsByItsMenu(program));
    }
}

// The browser's window thread stops answering: the capture passes it over
// and quotes the address it found last.
TEST(UnansweringBrowser, ADoubleClickFinishesWithinASecondOnTheLastAddressAndTheProgramGoesOn) {
    constexpr DWORD kHangMs = 10000, kCaptureMs = 1000;
    KavetoFolder folder;
    folder.WriteIni("[Window]\r\nTop=100\r\nLeft=100\r\n");
    RunningProgram program(folder.exe());
    ASSERT_NE(program.WaitForMainWindow(), nullptr);
    CachedPages pages;
    const std::string answered = pages.NewAddress("answered.html"), later = pages.NewAddress("later.html");
    ASSERT_NE(pages.Commit(answered, PageHtml("Answered page")), "");
    ASSERT_NE(pages.Commit(later, PageHtml("Later page")), "");

    StandInBrowser browser(answered);
    ASSERT_EQ(DoubleClickFrom(browser, kPicture), "Answered page\r\n" + answered + "\r\n")
        << "the first capture finds the address";
    ASSERT_TRUE(browser.BringToFront());
    ASSERT_TRUE(browser.ShowAddress(later));
    browser.Hang(kHangMs);
    ASSERT_TRUE(WaitUntil([&] { return browser.Hanging(); }));

    const Stopwatch capture;
    const std::string quoted = DeliveredBy([&] { DoubleClickAt(kPicture); }, kHangMs + kPatienceMs);
    const DWORD took = capture.ElapsedMs();
    EXPECT_LE(took, kCaptureMs) << "the double-click capture took " << took << " ms";
    EXPECT_EQ(quoted, "Answered page\r\n" + answered + "\r\n") << "the last found address";

    // The program goes on while the browser still hangs: its menu opens and
    // its exit item ends it.
    ASSERT_TRUE(browser.Hanging()) << "the hang ended before the program was tried again";
    EXPECT_TRUE(EndsByItsMenu(program));
}

}  // namespace
}  // namespace kaveto::e2e
