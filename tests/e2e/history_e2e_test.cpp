// A snippet captured by a drop, chosen again from the history menu that the
// hotkey opens and pasted back into the window that was in front.
#include <gtest/gtest.h>

#include <string>

#include "drag_source.h"
#include "e2e_support.h"
#include "win/desktop_fixtures.h"

namespace kaveto::e2e {
namespace {

using test::Editor;

constexpr char kLink[] = "http://example.com/kaveto-e2e/page.html";

void BringToFront(HWND window) {
    ::SetForegroundWindow(window);
    ASSERT_TRUE(WaitUntil([&] { return ::GetForegroundWindow() == window; }));
}

// Chooses a history entry by its accelerator from the menu the hotkey opens.
void ChooseEntry(RunningProgram& program, char letter) {
    PressAltA();
    ASSERT_NE(program.WaitForWindow("#32768"), nullptr) << "the hotkey opened no menu";
    Tap(letter);
}

void ChooseNewestEntry(RunningProgram& program) { ChooseEntry(program, 'A'); }

class HistoryTest : public ::testing::Test {
protected:
    // Starts the program with the settings text and drops a link on it;
    // returns the snippet the drop put on the clipboard.
    std::string StartAndDrop(const std::string& settings) {
        folder.WriteIni("[Window]\r\nTop=100\r\nLeft=100\r\n" + settings);
        program = std::make_unique<RunningProgram>(folder.exe());
        window = program->WaitForMainWindow();
        if (!window) return {};
        Settle(200);
        SetClipboardText("before the drop");
        EXPECT_EQ(DragLinkTo(kLink, "Example page", POINT{112, 112}), DRAGDROP_S_DROP);
        std::string snippet;
        WaitUntil([&] { return (snippet = ClipboardText()) != "before the drop"; });
        return snippet;
    }

    // Drops one more link; returns the snippet it put on the clipboard.
    std::string DropAnother(const std::string& link, const std::string& text) {
        const std::string before = ClipboardText();
        EXPECT_EQ(DragLinkTo(link, text, POINT{112, 112}), DRAGDROP_S_DROP);
        std::string snippet;
        WaitUntil([&] { return (snippet = ClipboardText()) != before; });
        return snippet;
    }

    OleThread ole;
    ProgramFolder folder;
    std::unique_ptr<RunningProgram> program;
    HWND window = nullptr;
};

TEST_F(HistoryTest, AChosenEntryIsPastedIntoTheEditorThatWasInFrontAlsoWhenThePictureWasInFront) {
    const std::string snippet = StartAndDrop("");
    ASSERT_NE(window, nullptr);
    ASSERT_NE(snippet.find(kLink), std::string::npos) << "clipboard after the drop: " << snippet;

    Editor editor;
    BringToFront(editor.window());
    ChooseNewestEntry(*program);
    EXPECT_TRUE(WaitUntil([&] { return TextOf(editor.edit()) == snippet; }))
        << "the editor holds \"" << TextOf(editor.edit()) << "\"";

    // With the picture itself in front the hotkey keeps the editor as the
    // window to paste into.
    ::SendMessageA(editor.edit(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
    BringToFront(window);
    Settle(300);  // the picture's thread takes the activation in its own time
    ChooseNewestEntry(*program);
    EXPECT_TRUE(WaitUntil([&] { return TextOf(editor.edit()) == snippet; }))
        << "the editor holds \"" << TextOf(editor.edit()) << "\"";
    EXPECT_EQ(::GetForegroundWindow(), editor.window());

    ::PostMessageA(window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(program->WaitForExit());
    EXPECT_EQ(program->ExitCode(), 0u);
}

TEST_F(HistoryTest, WithPasteSwitchedOffTheEntryOnlyReachesTheClipboardAndTheEditorComesBack) {
    const std::string snippet = StartAndDrop("[Other]\r\nPasteBool=0\r\n");
    ASSERT_NE(window, nullptr);
    ASSERT_NE(snippet.find(kLink), std::string::npos) << "clipboard after the drop: " << snippet;

    Editor editor;
    BringToFront(editor.window());
    SetClipboardText("something else");
    ChooseNewestEntry(*program);
    EXPECT_TRUE(WaitUntil([&] { return ClipboardText() == snippet; }));
    EXPECT_TRUE(WaitUntil([&] { return ::GetForegroundWindow() == editor.window(); }));
    Settle(500);
    EXPECT_EQ(TextOf(editor.edit()), "");
}

TEST(DoubleClick, QuotesThePageOfTheWindowTheMouseCameFromAndBringsItBack) {
    ProgramFolder folder;
    folder.WriteIni("[Window]\r\nTop=100\r\nLeft=100\r\n");
    RunningProgram program(folder.exe());
    HWND window = program.WaitForMainWindow();
    ASSERT_NE(window, nullptr);
    Settle(200);
    SetClipboardText("before the double-click");

    // A browser stand-in: a window whose "Edit" holds the page address.
    Editor browser;
    const std::string address = "http://example.com/kaveto-e2e/double-click.html";
    ::SendMessageA(browser.edit(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(address.c_str()));
    BringToFront(browser.window());
    MoveMouseTo(110, 110);  // the picture records the browser as the target
    MoveMouseTo(112, 112);
    MouseButton(MOUSEEVENTF_LEFTDOWN);
    MouseButton(MOUSEEVENTF_LEFTUP);
    MouseButton(MOUSEEVENTF_LEFTDOWN);
    MouseButton(MOUSEEVENTF_LEFTUP);

    std::string snippet;
    EXPECT_TRUE(WaitUntil([&] { return (snippet = ClipboardText()) != "before the double-click"; }));
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
    Editor editor;
    const std::pair<char, std::string> choices[] = {{'C', first}, {'A', first}, {'B', third}, {'C', second}};
    for (const auto& [letter, expected] : choices) {
        SCOPED_TRACE(letter);
        ::SendMessageA(editor.edit(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
        BringToFront(editor.window());
        ChooseEntry(*program, letter);
        EXPECT_TRUE(WaitUntil([&] { return TextOf(editor.edit()) == expected; }))
            << "the editor holds \"" << TextOf(editor.edit()) << "\"";
        EXPECT_EQ(ClipboardText(), expected);
        Settle(500);  // the paste releases V and Ctrl after its pause
    }

    ::PostMessageA(window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(program->WaitForExit());
}

}  // namespace
}  // namespace kaveto::e2e
