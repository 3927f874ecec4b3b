// A snippet captured by a drop, chosen again from the history menu that the
// hotkey opens and pasted back into the window that was in front.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "e2e_support.h"
#include "tools/drive/standin_editor.h"

namespace kaveto::e2e {
namespace {

constexpr char kLink[] = "http://example.com/kaveto-e2e/page.html";
constexpr POINT kPicture = {112, 112};

class HistoryTest : public ::testing::Test {
protected:
    // Starts the program with the settings text and drops a link on it;
    // returns the snippet the drop put on the clipboard.
    std::string StartAndDrop(const std::string& settings) {
        folder.WriteIni("[Window]\r\nTop=100\r\nLeft=100\r\n" + settings);
        program = std::make_unique<RunningProgram>(folder.exe());
        window = program->WaitForMainWindow();
        if (!window) return {};
        return DropAnother(kLink, "Example page");
    }

    // Drops one more link; returns the snippet it put on the clipboard.
    std::string DropAnother(const std::string& link, const std::string& text) {
        HRESULT dropped = E_FAIL;
        const std::string snippet = DeliveredBy([&] { dropped = DragLinkTo(link, text, kPicture); });
        EXPECT_EQ(dropped, DRAGDROP_S_DROP);
        return snippet;
    }

    // Chooses a history entry by its accelerator from the menu the hotkey
    // opens.
    void ChooseEntry(char letter) {
        ChordByHand({VK_MENU, 'A'});
        ASSERT_TRUE(program->WaitForMenu()) << "the hotkey opened no menu; the program: " << DescribeWindow(window)
                                            << "; in front: " << DescribeWindow(::GetForegroundWindow());
        Tap(letter);
    }

    // After a paste has arrived: the program has let its keys go once it has
    // handled the choice, so the next keys start from nothing held.
    void WaitForThePasteToEnd() { EXPECT_TRUE(SyncWith(window)) << "the program did not finish the paste"; }

    OleThread ole;
    KavetoFolder folder;
    std::unique_ptr<RunningProgram> program;
    HWND window = nullptr;
};

TEST_F(HistoryTest, AChosenEntryIsPastedIntoTheEditorThatWasInFrontAlsoWhenThePictureWasInFront) {
    const std::string snippet = StartAndDrop("");
    ASSERT_NE(window, nullptr);
    ASSERT_NE(snippet.find(kLink), std::string::npos) << "clipboard after the drop: " << snippet;

    StandInEditor editor;
    ASSERT_TRUE(editor.BringToFront());
    ChooseEntry('A');
    EXPECT_TRUE(WaitUntil([&] { return editor.Text() == snippet; })) << "the editor holds \"" << editor.Text() << "\"";
    WaitForThePasteToEnd();

    // With the picture itself in front (the user clicked it) the hotkey
    // keeps the editor as the window to paste into.
    editor.Clear();
    ClickAt(kPicture);
    ASSERT_TRUE(WaitUntil([&] { return ::GetForegroundWindow() == window && !MovingOrSizing(window); }))
        << "the click did not bring the picture to the front; " << DescribeWindow(::GetForegroundWindow());
    ChooseEntry('A');
    EXPECT_TRUE(WaitUntil([&] { return editor.Text() == snippet; }))
        << "the editor holds \"" << editor.Text() << "\"; in front: " << DescribeWindow(::GetForegroundWindow());
    EXPECT_EQ(::GetForegroundWindow(), editor.window());
    WaitForThePasteToEnd();

    ::PostMessageA(window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(program->WaitForExit()) << DescribeWindow(window);
    EXPECT_EQ(program->ExitCode(), 0u);
}

TEST_F(HistoryTest, WithPasteSwitchedOffTheEntryOnlyReachesTheClipboardAndTheEditorComesBack) {
    const std::string snippet = StartAndDrop("[Other]\r\nPasteBool=0\r\n");
    ASSERT_NE(window, nullptr);
    ASSERT_NE(snippet.find(kLink), std::string::npos) << "clipboard after the drop: " << snippet;

    StandInEditor editor;
    ASSERT_TRUE(editor.BringToFront());
    SetClipboardText("something else");
    ChooseEntry('A');
    EXPECT_TRUE(WaitUntil([&] { return ClipboardText() == snippet; }));
    EXPECT_TRUE(WaitUntil([&] { return ::GetForegroundWindow() == editor.window(); }))
        << "in front: " << DescribeWindow(::GetForegroundWindow());
    // Once the program has handled the choice, any key it sent is queued
    // before this one: the editor then holds the key alone, or the paste too.
    ASSERT_TRUE(SyncWith(window));
    Tap('Q');
    EXPECT_TRUE(WaitUntil([&] { return !editor.Text().empty(); }));
    EXPECT_EQ(editor.Text(), "q") << "only the key typed here reaches the editor";
}

TEST(DoubleClick, QuotesThePageOfTheWindowTheMouseCameFromAndBringsItBack) {
    KavetoFolder folder;
    folder.WriteIni("[Window]\r\nTop=100\r\nLeft=100\r\n");
    RunningProgram program(folder.exe());
    HWND window = program.WaitForMainWindow();
    ASSERT_NE(window, nullptr);

    const std::string address = "http://example.com/kaveto-e2e/double-click.html";
    StandInBrowser browser(address);
    const std::string snippet = DoubleClickFrom(browser, kPicture);
    EXPECT_NE(snippet.find(address), std::string::npos) << "clipboard: " << snippet;
    EXPECT_TRUE(WaitUntil([&] { return ::GetForegroundWindow() == browser.window(); }));
    EXPECT_EQ(RectOf(window).left, 100) << "a double-click without a move leaves the window where it was";
    ::PostMessageA(window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(program.WaitForExit());
}

TEST_F(HistoryTest, TheThirdOfThreeEntriesIsPastedAndMovesToTheTop) {
    const std::string first = StartAndDrop("");
    ASSERT_NE(window, nullptr);
    const std::string second = DropAnother("http://example.com/kaveto-e2e/second.html", "Second page");
    const std::string third = DropAnother("http://example.com/kaveto-e2e/third.html", "Third page");
    ASSERT_NE(first.find(kLink), std::string::npos) << first;
    ASSERT_NE(second.find("second.html"), std::string::npos) << second;
    ASSERT_NE(third.find("third.html"), std::string::npos) << third;

    // Newest first: A is the third drop, C the first. After each choice A
    // stands for the chosen entry and the rest keep their order, so A, B, C
    // then give the first, the third and the second drop.
    StandInEditor editor;
    const std::pair<char, std::string> choices[] = {{'C', first}, {'A', first}, {'B', third}, {'C', second}};
    for (const auto& [letter, expected] : choices) {
        SCOPED_TRACE(letter);
        editor.Clear();
        ASSERT_TRUE(editor.BringToFront());
        ChooseEntry(letter);
        EXPECT_TRUE(WaitUntil([&] { return editor.Text() == expected; }))
            << "the editor holds \"" << editor.Text() << "\"";
        EXPECT_EQ(ClipboardText(), expected);
        WaitForThePasteToEnd();
    }

    ::PostMessageA(window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(program->WaitForExit());
}

}  // namespace
}  // namespace kaveto::e2e
