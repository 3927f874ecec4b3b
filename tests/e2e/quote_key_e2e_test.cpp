// The quote key, seen from outside: the window in front quoted where it
// stands, its selection copied by the key, the confirmation beside the
// picture, and the user's clipboard never lost.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "e2e_support.h"
#include "tools/drive/browser_drag.h"
#include "tools/drive/standin_editor.h"
#include "tools/drive/standin_selection.h"

namespace kaveto::e2e {
namespace {

// "日本語〜ページ" and "次の〜 text", as in the browser tests.
const std::wstring kTitle = L"\u65e5\u672c\u8a9e\u301c\u30da\u30fc\u30b8";
const std::string kTitleSjis = "\x93\xfa\x96\x7b\x8c\xea\x81\x60\x83\x79\x81\x5b\x83\x57";
const std::wstring kSelection = L"\u6b21\u306e\u301c text";
const std::string kSelectionSjis = "\x8e\x9f\x82\xcc\x81\x60 text";
const std::string kOpen = "\x81\x75", kClose = "\x81\x76";
// "RegisterHotKey();に失敗しました" in Shift_JIS.
const std::string kHotKeyFailed = "RegisterHotKey();\x82\xc9\x8e\xb8\x94\x73\x82\xb5\x82\xdc\x82\xb5\x82\xbd";

// Each case starts the program with its own settings.
class QuoteKeyTest : public ProgramCase {
protected:
    void SetUp() override {}

    // The program's confirmation while it shows, or null; the picture's
    // hover tip, which a pointer resting on the picture brings, is another.
    HWND Confirmation() const {
        return FindTopWindow({program->pid(), kTipClass, "", true, [](HWND tip) { return !IsHoverTip(tip); }});
    }

    // Presses the chord with the window in front, and waits until the
    // clipboard has settled on a text other than the one it held before
    // (a copy of the browser's may pass through it on the way): that text,
    // or a note of what the clipboard held last.
    std::string QuotedBy(std::initializer_list<BYTE> chord, const std::string& expected) {
        DWORD seen = ClipboardSequence();
        std::string last;
        bool changed = false;
        if (!ChordByHand(chord)) return "(the window in front did not take the keys)";
        WaitUntil([&] {
            if (ClipboardSequence() == seen) return false;
            seen = ClipboardSequence();
            last = ClipboardText();
            changed = true;
            return last == expected;
        });
        return changed ? last : "(nothing delivered; in front: " + DescribeWindow(::GetForegroundWindow()) + ")";
    }

    // The confirmation shows `text` beside the picture and then goes by
    // itself, while `front` keeps the front and its focus.
    void ExpectConfirmation(const std::string& text, HWND front) {
        HWND tip = nullptr;
        ASSERT_TRUE(WaitUntil([&] { return (tip = Confirmation()) != nullptr; })) << "no confirmation";
        EXPECT_EQ(TextOf(tip), text);
        const RECT picture = RectOf(window), shown = RectOf(tip);
        // The bubble's frame may stand a pixel out of the place asked for.
        EXPECT_NEAR(shown.left, picture.right + 2, 2) << "beside the picture";
        EXPECT_NEAR(shown.top, picture.top, 2);
        EXPECT_EQ(::GetForegroundWindow(), front) << "the confirmation took the front";
        EXPECT_TRUE(WaitUntil([&] { return Confirmation() == nullptr; })) << "the confirmation stayed";
        EXPECT_EQ(::GetForegroundWindow(), front);
        GUITHREADINFO info = {};
        info.cbSize = sizeof info;
        ASSERT_TRUE(::GetGUIThreadInfo(::GetWindowThreadProcessId(front, nullptr), &info));
        EXPECT_TRUE(info.hwndFocus == front || ::IsChild(front, info.hwndFocus)) << "the focus left the window";
    }

};

TEST_F(QuoteKeyTest, QuotesTheBrowserInFrontWhereItStandsAndConfirmsBesideThePicture) {
    Start("QuoteShortCut=Alt+Q\r\n");
    const std::string classic = "http://classic.example.jp/quote.html";
    const std::string chromium = "https://example.jp/Chromium/quote?id=1";
    {
        SCOPED_TRACE("Chromium");
        StandInBrowser browser({chromium, kTitle}, {BrowserKind::kChromium});
        ASSERT_TRUE(browser.BringToFront());
        const std::string snippet = kTitleSjis + "\r\n" + chromium + "\r\n";
        EXPECT_EQ(QuotedBy({VK_MENU, 'Q'}, snippet), snippet);
        ExpectConfirmation(kTitleSjis, browser.window());
    }
    {
        SCOPED_TRACE("classic");
        StandInBrowser browser(classic);
        ASSERT_TRUE(browser.BringToFront());
        // No title for a page outside the cache: the confirmation shows the
        // first line that holds something.
        EXPECT_EQ(QuotedBy({VK_MENU, 'Q'}, "\r\n" + classic + "\r\n"), "\r\n" + classic + "\r\n");
        ExpectConfirmation(classic, browser.window());
    }
    EXPECT_TRUE(program->Running());
}

// The window's page comes first; a browser that shows none is quoted with
// the page its copy names, titled by its caption.
TEST_F(QuoteKeyTest, ASelectionIsCopiedAsChromeCopiesItAndQuotedWithItsPage) {
    Start("QuoteShortCut=Alt+Q\r\n");
    const std::string shown = "http://classic.example.jp/shown.html", source = "https://example.jp/c/source";
    struct Row {
        const char* name;
        BrowserKind kind;
        std::string title, quoted;
    } rows[] = {
        {"classic: its address bar", BrowserKind::kEditBar, "", shown},
        {"Chromium-like without a tree: SourceURL", BrowserKind::kChromium, kTitleSjis, source},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        StandInBrowser browser({shown, kTitle}, {row.kind, TreeAnswer::kNone});
        BrowserSelection selection(browser.window(), SelectionDrag(BrowserKind::kChromium, kSelection, source));
        ASSERT_TRUE(browser.BringToFront());
        const std::string snippet = kOpen + kSelectionSjis + kClose + "\r\n" + row.title + "\r\n" + row.quoted + "\r\n";
        EXPECT_EQ(QuotedBy({VK_MENU, 'Q'}, snippet), snippet);
        EXPECT_EQ(selection.presses(), 1) << "one Ctrl+C, and no Ctrl+Alt+C";
        ExpectConfirmation(kOpen + kSelectionSjis + kClose, browser.window());
    }
}

TEST_F(QuoteKeyTest, ACtrlChordTakesTheSubFolder) {
    Start("QuoteShortCut=Ctrl+Alt+Q\r\n");
    const std::string page = "http://classic.example.jp/sub.html";
    StandInBrowser browser(page);
    ASSERT_TRUE(browser.BringToFront());
    const std::string snippet = "[](" + page + ")";
    EXPECT_EQ(QuotedBy({VK_CONTROL, VK_MENU, 'Q'}, snippet), snippet);
    ExpectConfirmation(snippet, browser.window());
}

// A window that is no browser is quoted as its page, and no keys reach it:
// its selected text stays off the clipboard, and the chord's Alt does not
// leave it in its menu, so what the user types next goes into it.
TEST_F(QuoteKeyTest, AWindowThatIsNoBrowserGetsNoKeysAndKeepsTakingTheUsersTyping) {
    Start("QuoteShortCut=Alt+Q\r\n");
    const std::string page = "http://classic.example.jp/before.html";
    {
        StandInBrowser browser(page);
        ASSERT_TRUE(browser.BringToFront());
        ASSERT_EQ(QuotedBy({VK_MENU, 'Q'}, "\r\n" + page + "\r\n"), "\r\n" + page + "\r\n");
    }
    StandInEditor editor;
    ::SendMessageA(editor.edit(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("secret"));
    ::SendMessageA(editor.edit(), EM_SETSEL, 0, -1);
    ASSERT_TRUE(editor.BringToFront());
    SetClipboardText("user's own");
    // The address found last, as a double-click on this window gives it.
    EXPECT_EQ(QuotedBy({VK_MENU, 'Q'}, "\r\n" + page + "\r\n"), "\r\n" + page + "\r\n");
    ExpectConfirmation(page, editor.window());
    Tap('X');
    EXPECT_TRUE(WaitUntil([&] { return editor.Text() == "x"; })) << "the editor holds " << editor.Text();
}

// Without the setting the chord is nobody's: the history hotkey pressed
// after it opens its menu, so a quote would have come first.
TEST_F(QuoteKeyTest, WithoutTheSettingTheKeyDoesNothing) {
    Start("");
    StandInBrowser browser({"https://example.jp/Chromium/none", kTitle}, {BrowserKind::kChromium});
    ASSERT_TRUE(browser.BringToFront());
    SetClipboardText("user's own");
    const DWORD sequence = ClipboardSequence();
    ASSERT_TRUE(ChordByHand({VK_MENU, 'Q'}));
    ASSERT_TRUE(ChordByHand({VK_MENU, 'A'}));
    ASSERT_TRUE(program->WaitForMenu()) << "the history hotkey opened no menu";
    EXPECT_EQ(ClipboardSequence(), sequence);
    EXPECT_EQ(Confirmation(), nullptr);
    Tap(VK_ESCAPE);
    EXPECT_TRUE(WaitUntil([&] { return program->Window(kMenuClass) == nullptr; }));
    EXPECT_TRUE(SyncWith(window));
    EXPECT_EQ(ClipboardText(), "user's own");
    EXPECT_EQ(IniLines(folder.ReadIni()).size(), 2u) << "nothing written while it runs";
}

TEST_F(QuoteKeyTest, AKeyHeldElsewhereIsReportedAndTheHistoryHotkeyStillWorks) {
    HeldHotKey held(MOD_ALT, 'Q');
    ASSERT_TRUE(held.held());
    folder.WriteIni("[Window]\r\nTop=100\r\nLeft=100\r\n[Other]\r\nQuoteShortCut=alt+q\r\n");
    program = std::make_unique<RunningProgram>(folder.exe());
    HWND box = program->WaitForWindow(kDialogClass);
    ASSERT_NE(box, nullptr) << "no notice of the failed registration";
    EXPECT_EQ(CheckHotKeyNotice(box), kHotKeyFailed + " (QuoteShortCut=Alt+Q)");
    window = program->WaitForMainWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(WaitUntil([&] { return program->Window(kDialogClass) == nullptr; })) << "a second notice";

    ASSERT_TRUE(ChordByHand({VK_MENU, 'Q'}));
    EXPECT_TRUE(held.Received(kPatienceMs)) << "the key stays its holder's";
    ASSERT_TRUE(ChordByHand({VK_MENU, 'A'}));
    ASSERT_TRUE(program->WaitForMenu()) << "the history hotkey opened no menu";
    Tap('Z');
    ASSERT_TRUE(program->WaitForExit());
    const std::vector<std::string> lines = IniLines(folder.ReadIni());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Other/QuoteShortCut=Alt+Q"), lines.end())
        << "written back in the program's form";
}

// A user who keeps snippets out of the clipboard: the browser's copy passes
// through it and what the user had there comes back; the snippet waits in
// the history, and the menu pastes it into an editor. (Texts without the
// wave dash, which the editor's code page turns into "?".)
TEST_F(QuoteKeyTest, WithoutTheClipboardSinkTheUsersClipboardComesBackAndTheHistoryHoldsTheQuote) {
    Start("QuoteShortCut=Alt+Q\r\nDoClipBool=0\r\n");
    const std::string page = "https://example.jp/c/history";
    const std::wstring title = L"\u65e5\u672c\u8a9e\u30da\u30fc\u30b8", selected = L"\u6b21\u306e text";
    const std::string title_sjis = "\x93\xfa\x96\x7b\x8c\xea\x83\x79\x81\x5b\x83\x57";
    const std::string selected_sjis = "\x8e\x9f\x82\xcc text";
    StandInEditor editor;
    StandInBrowser browser({page, title}, {BrowserKind::kChromium});
    BrowserSelection selection(browser.window(), SelectionDrag(BrowserKind::kChromium, selected, page));
    SetClipboardText("user's own");
    ASSERT_TRUE(browser.BringToFront());
    ASSERT_TRUE(ChordByHand({VK_MENU, 'Q'}));
    ASSERT_TRUE(WaitUntil([&] { return selection.copies() == 1; })) << "the browser was never asked to copy";
    const std::string snippet = kOpen + selected_sjis + kClose + "\r\n" + title_sjis + "\r\n" + page + "\r\n";
    ExpectConfirmation(kOpen + selected_sjis + kClose, browser.window());
    EXPECT_TRUE(WaitUntil([] { return ClipboardText() == "user's own"; })) << "the clipboard holds " << ClipboardText();

    ASSERT_TRUE(editor.BringToFront());
    ASSERT_TRUE(ChordByHand({VK_MENU, 'A'}));
    ASSERT_TRUE(program->WaitForMenu());
    Tap('A');
    EXPECT_TRUE(WaitUntil([&] { return editor.Text() == snippet; })) << "the editor holds " << editor.Text();
    EXPECT_TRUE(SyncWith(window));
}

}  // namespace
}  // namespace kaveto::e2e
