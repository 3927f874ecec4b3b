#include "capture/quote_key.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/engine_fakes.h"
#include "platform/errors.h"
#include "tests/capture/capture_fakes.h"

namespace kaveto {
namespace {

using testing::CaptureRig;
using testing::FakeFormats;

const std::string kFolder = "C:\\k\\";

std::string Utf16Block(std::u16string_view text) {
    std::string block;
    for (char16_t c : text) {
        block.push_back(static_cast<char>(c & 0xFF));
        block.push_back(static_cast<char>(c >> 8));
    }
    block.append(2, '\0');
    return block;
}

std::string HtmlFormat(const std::string& source_url) {
    return "Version:0.9\r\nStartHTML:-1\r\nEndHTML:-1\r\nStartFragment:-1\r\nEndFragment:-1\r\nSourceURL:" +
           source_url + "\r\n<b>x</b>";
}

// The desk and the system clipboard in one: the copy keys make the browser
// put `browser_copy` there (or nothing), the snippet arrives through the
// Clipboard face, and every change moves the sequence on. Time passes only
// while something is waited for.
class FakeDesk : public QuoteKeyDesk, public Clipboard {
public:
    WindowHandle front = 0;
    std::vector<WindowHandle> own;
    bool keys_let_go = true;
    bool clipboard_busy = false;
    bool refuse_snippet = false;
    std::optional<ClipboardContents> browser_copy;  // what Ctrl+C puts there
    std::uint32_t copy_after_ms = 30;               // when it arrives
    ClipboardContents clipboard;
    std::uint32_t sequence = 7;
    std::uint64_t now = 1000;
    std::vector<std::string> log;
    FakeFormats registry;

    WindowHandle FrontWindow() override { return front; }
    bool IsOwnWindow(WindowHandle window) override {
        return std::find(own.begin(), own.end(), window) != own.end();
    }
    void MaskAltRelease() override { log.push_back("mask alt"); }
    bool WaitForKeysUp(const std::vector<std::uint8_t>& keys, std::uint32_t timeout_ms) override {
        std::string names;
        for (std::uint8_t k : keys) names += " " + std::to_string(k);
        log.push_back("wait keys" + names);
        if (!keys_let_go) now += timeout_ms;
        return keys_let_go;
    }
    std::optional<ClipboardContents> ReadClipboard() override {
        log.push_back("read");
        if (clipboard_busy) return std::nullopt;
        return clipboard;
    }
    bool WriteClipboard(const ClipboardContents& contents) override {
        log.push_back("write back");
        Change(contents);
        return true;
    }
    std::uint32_t ClipboardSequence() override { return sequence; }
    void SendCopyKeys() override {
        log.push_back("copy keys");
        copy_sent_at = now;
    }
    bool WaitForClipboardChange(std::uint32_t since, std::uint32_t timeout_ms) override {
        log.push_back("wait copy " + std::to_string(timeout_ms));
        if (browser_copy && copy_sent_at && now + timeout_ms >= *copy_sent_at + copy_after_ms) {
            now = std::max(now, *copy_sent_at + copy_after_ms);
            Change(*browser_copy);
            browser_copy.reset();
        } else {
            now += timeout_ms;
        }
        return sequence != since;
    }
    ClipboardFormats& formats() override { return registry; }

    void SetText(const std::string& text) override { SetSnippet(Snippet(DualText(text, ""))); }
    void SetSnippet(const Snippet& snippet) override {
        log.push_back("snippet");
        if (refuse_snippet) throw ClipboardError();
        Change({{{kCfText, snippet.text.shift_jis + '\0'}}});
    }

    std::string Text() const {
        for (const auto& block : clipboard.blocks)
            if (block.format == kCfText) return block.bytes.substr(0, block.bytes.find('\0'));
        return "(no text)";
    }

private:
    void Change(const ClipboardContents& contents) {
        clipboard = contents;
        ++sequence;
    }
    std::optional<std::uint64_t> copy_sent_at;
};

// A program folder with templates that show which one was taken, and a
// window of each kind: 10 a classic browser showing a page in its "Edit"
// bar, 20 a Chromium-like window that tells nothing, 30 a window of another
// program with an "Edit" that holds no address, 40 a window of this program.
struct QuoteRig : CaptureRig {
    FakeDesk desk;
    fakes::FakeKeyState keys;
    // The composer reads the time once: the moment for another program to
    // write the clipboard in the middle of a capture.
    struct Clock : kaveto::Clock {
        std::function<void()> on_now;
        LocalTime Now() override {
            if (on_now) on_now();
            return {2026, 6, 7, 9, 5, 7, 0};
        }
    } clock;
    Environment env{kFolder, desk, keys, clock, files};

    QuoteRig() {
        files.contents[kFolder + "title.txt"] = "";
        for (const char* folder : {"main\\", "sub\\"}) {
            files.contents[kFolder + folder + "1.txt"] = std::string(folder) + "1:%sel_txt%|%page_url%";
            files.contents[kFolder + folder + "3.txt"] = std::string(folder) + "3:%title_txt%|%page_url%";
        }
        Browser(10, "http://classic.example/page");
        windows.Add(0, 20, "Chrome_WidgetWin_1");
        windows.windows[20].caption = u"Shown - Google Chrome";
        windows.Add(0, 30, "Notepad");
        windows.Add(30, 31, "Edit", "just some text");
        windows.Add(0, 40, "TForm1");
        desk.own = {40};
        desk.clipboard = {{{kCfText, std::string("user's own\0", 11)}, {0xC123, "private bytes"}}};
        state.settings.QuoteShortCut = kAlt | 'Q';
    }
    QuoteKeyOutcome Press(WindowHandle front, bool control_down = false) {
        desk.front = front;
        return QuoteFrontWindow(context, env, desk, {state.settings.QuoteShortCut, control_down});
    }
    void Copies(std::u16string text, const std::string& html = "") {
        ClipboardContents copy;
        copy.blocks.push_back({kCfUnicodeText, Utf16Block(text)});
        if (!html.empty()) copy.blocks.push_back({desk.registry.Register("HTML Format"), html});
        desk.browser_copy = copy;
    }
};

const std::string kUsersClipboard = "user's own";

TEST(QuoteKey, AWindowOfItsOwnOrNoWindowInFrontGivesNothingAndTouchesNothing) {
    for (WindowHandle front : {WindowHandle{40}, WindowHandle{0}}) {
        SCOPED_TRACE(front);
        QuoteRig rig;
        rig.state.record.title_txt.shift_jis = "kept";
        const QuoteKeyOutcome outcome = rig.Press(front);
        EXPECT_FALSE(outcome.delivered);
        EXPECT_TRUE(rig.desk.log.empty()) << ::testing::PrintToString(rig.desk.log);
        EXPECT_EQ(rig.state.record.title_txt.shift_jis, "kept") << "no capture began";
        EXPECT_TRUE(rig.state.history.entries.empty());
    }
}

TEST(QuoteKey, AWindowThatIsNoBrowserIsQuotedAsItsPageWithoutAnyKeys) {
    QuoteRig rig;
    rig.state.last_found_url = {"http://earlier.example/", "http://earlier.example/"};
    const QuoteKeyOutcome outcome = rig.Press(30);
    EXPECT_EQ(rig.desk.log, (std::vector<std::string>{"mask alt", "snippet"}));
    EXPECT_EQ(rig.desk.Text(), "main\\3:|http://earlier.example/") << "the page lookup's own rule";
    EXPECT_TRUE(outcome.delivered);
    EXPECT_EQ(outcome.confirmation, "main\\3:|http://earlier.example/");
    EXPECT_EQ(rig.state.history.history_texts().front(), rig.desk.Text());
    EXPECT_TRUE(rig.windows.log.empty()) << "the front is left where it is";
}

// The selection is quoted as a dropped one is; its page is the window's,
// and the copy's only where the window shows none.
TEST(QuoteKey, ASelectionTheBrowserCopiesIsQuotedWithItsPage) {
    const std::string selection = "\x8e\x9f\x82\xcc text";  // 次の text
    struct Row {
        const char* name;
        WindowHandle front;
        std::string html;
        std::string snippet;
    } rows[] = {
        {"classic browser: its address bar", 10, HtmlFormat("https://source.example/a"),
         "main\\1:" + selection + "|http://classic.example/page"},
        {"a browser that shows no page: the copy's SourceURL", 20, HtmlFormat("https://source.example/a"),
         "main\\1:" + selection + "|https://source.example/a"},
        {"a SourceURL that names no page", 20, HtmlFormat("about:blank"), "main\\3:|"},
        {"no page anywhere: the page template, as for a drop", 20, "", "main\\3:|"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        QuoteRig rig;
        rig.Copies(u"\u6b21\u306e text", row.html);
        const QuoteKeyOutcome outcome = rig.Press(row.front);
        EXPECT_EQ(rig.desk.Text(), row.snippet);
        EXPECT_EQ(rig.desk.log,
                  (std::vector<std::string>{"mask alt", "wait keys 18", "read", "copy keys", "wait copy 400", "read",
                                            "snippet"}))
            << "the chord let go, the clipboard kept, then the copy, and nothing put back over the snippet";
        EXPECT_EQ(rig.state.record.sel_txt.shift_jis, selection);
        EXPECT_EQ(rig.state.record.sel_txt.utf8, "\xe6\xac\xa1\xe3\x81\xae text");
        EXPECT_TRUE(outcome.delivered);
        EXPECT_EQ(outcome.confirmation, row.snippet);
        EXPECT_TRUE(rig.windows.log.empty()) << "the front is left where it is";
    }
}

TEST(QuoteKey, ACopyWithoutTextOrTooLateQuotesThePage) {
    struct Row {
        const char* name;
        std::optional<ClipboardContents> copy;
        std::uint32_t after_ms;
        bool put_back;
    } rows[] = {
        {"nothing selected: no copy", std::nullopt, 0, false},
        {"the copy comes after the bound", ClipboardContents{{{kCfUnicodeText, Utf16Block(u"late")}}}, 401, false},
        {"a copy without text", ClipboardContents{{{8, "a picture"}}}, 10, false},
        {"empty texts", ClipboardContents{{{kCfUnicodeText, Utf16Block(u"")}, {kCfText, std::string(1, '\0')}}}, 10,
         false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        QuoteRig rig;
        rig.desk.browser_copy = row.copy;
        rig.desk.copy_after_ms = row.after_ms;
        EXPECT_TRUE(rig.Press(10).delivered);
        EXPECT_EQ(rig.desk.Text(), "main\\3:|http://classic.example/page");
        EXPECT_TRUE(rig.state.record.sel_txt.shift_jis.empty());
        EXPECT_EQ(std::count(rig.desk.log.begin(), rig.desk.log.end(), "write back"), 0);
    }
}

TEST(QuoteKey, TheCopyWaitsForTheChordToBeLetGoAndForAClipboardItCanKeep) {
    struct Row {
        const char* name;
        ShortCutValue chord;
        bool let_go, busy;
        std::vector<std::string> log;
    } rows[] = {
        {"Ctrl+Alt+Q let go", kCtrl | kAlt | 'Q', true, false,
         {"mask alt", "wait keys 17 18", "read", "copy keys", "wait copy 400", "read", "snippet"}},
        {"Shift+F5 let go", kShift | 116, true, false,
         {"wait keys 16", "read", "copy keys", "wait copy 400", "read", "snippet"}},
        {"held too long: Ctrl+C would reach the browser as another chord", kAlt | 'Q', false, false,
         {"mask alt", "wait keys 18", "snippet"}},
        {"the clipboard cannot be opened, so it could not be given back", kAlt | 'Q', true, true,
         {"mask alt", "wait keys 18", "read", "snippet"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        QuoteRig rig;
        rig.state.settings.QuoteShortCut = row.chord;
        rig.desk.keys_let_go = row.let_go;
        rig.desk.clipboard_busy = row.busy;
        rig.Copies(u"sel");
        rig.Press(10);
        EXPECT_EQ(rig.desk.log, row.log);
        EXPECT_EQ(rig.desk.Text(), row.log.size() >= 6 ? "main\\1:sel|http://classic.example/page"
                                                        : "main\\3:|http://classic.example/page");
    }
}

// Ctrl is read as the user held it at the key press: the copy keys press it
// again, and the chord has been let go by the time the template is read.
TEST(QuoteKey, CtrlAtTheKeyPressChoosesTheSubFolder) {
    for (bool at_press : {false, true}) {
        SCOPED_TRACE(at_press);
        QuoteRig rig;
        rig.keys.ctrl = !at_press;
        rig.Copies(u"sel");
        rig.Press(10, at_press);
        EXPECT_EQ(rig.desk.Text(), std::string(at_press ? "sub" : "main") + "\\1:sel|http://classic.example/page");
        EXPECT_EQ(rig.keys.reads, 0);
    }
}

// The user's clipboard is put back whenever the browser's copy would be
// left there; what replaced the copy since is left alone.
TEST(QuoteKey, TheUsersClipboardComesBackWheneverNoSnippetTookTheCopysPlace) {
    struct Row {
        const char* name;
        std::function<void(QuoteRig&)> arrange;
        bool fails;
        std::string clipboard;
        bool confirmed;
    } rows[] = {
        {"the snippet took its place", [](QuoteRig&) {}, false, "main\\1:sel|http://classic.example/page", true},
        {"no snippet for the clipboard", [](QuoteRig& r) { r.state.settings.DoClipBool = false; }, false,
         kUsersClipboard, true},
        {"no sink at all", [](QuoteRig& r) {
             r.state.settings.DoClipBool = r.state.settings.HistoryBool = r.state.settings.LogBool = false;
         }, false, kUsersClipboard, false},
        {"the template is missing", [](QuoteRig& r) { r.files.contents.erase(kFolder + "main\\1.txt"); }, true,
         kUsersClipboard, false},
        {"the title rules are missing", [](QuoteRig& r) { r.files.contents.erase(kFolder + "title.txt"); }, true,
         kUsersClipboard, false},
        {"the snippet was refused", [](QuoteRig& r) { r.desk.refuse_snippet = true; }, true, kUsersClipboard, false},
        {"another program wrote after the copy",
         [](QuoteRig& r) {
             r.state.settings.DoClipBool = false;
             r.clock.on_now = [&r] { r.desk.SetText("another program's"); };
         },
         false, "another program's", true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        QuoteRig rig;
        rig.Copies(u"sel");
        row.arrange(rig);
        QuoteKeyOutcome outcome;
        if (row.fails) {
            EXPECT_ANY_THROW(rig.Press(10)) << "the error is the capture's, as a double-click's is";
        } else {
            outcome = rig.Press(10);
        }
        EXPECT_EQ(rig.desk.Text(), row.clipboard);
        EXPECT_EQ(outcome.delivered, row.confirmed);
        if (row.clipboard == kUsersClipboard) {
            ASSERT_EQ(rig.desk.clipboard.blocks.size(), 2u) << "every kept format comes back";
            EXPECT_EQ(rig.desk.clipboard.blocks[1].format, 0xC123);
            EXPECT_EQ(rig.desk.clipboard.blocks[1].bytes, "private bytes");
        }
    }
}

TEST(CopiedSelection, TakesTheUnicodeTextFirstThenTheAnsiText) {
    FakeFormats formats;
    struct Row {
        const char* name;
        ClipboardContents copy;
        std::optional<std::string> shift_jis, utf8;
    } rows[] = {
        {"both: Unicode wins", {{{kCfText, "ansi"}, {kCfUnicodeText, Utf16Block(u"uni \u65e5")}}},
         "uni \x93\xfa", "uni \xe6\x97\xa5"},
        {"ANSI alone", {{{kCfText, std::string("\x93\xfa\0junk", 6)}}}, "\x93\xfa", "\xe6\x97\xa5"},
        {"empty Unicode text: the ANSI one", {{{kCfUnicodeText, Utf16Block(u"")}, {kCfText, "a"}}}, "a", "a"},
        {"an odd byte is no unit", {{{kCfUnicodeText, std::string("a\0b", 3)}}}, "a", "a"},
        {"no text", {{{15, "files"}}}, std::nullopt, std::nullopt},
    };
    for (Row& row : rows) {
        SCOPED_TRACE(row.name);
        CopiedClipboard copy(row.copy);
        const std::optional<DualText> text = CopiedSelection(copy);
        ASSERT_EQ(text.has_value(), row.shift_jis.has_value());
        if (!text) continue;
        EXPECT_EQ(text->shift_jis, *row.shift_jis);
        EXPECT_EQ(text->utf8, *row.utf8);
    }
    CopiedClipboard empty({});
    EXPECT_THROW(empty.GetGlobal(kCfText), OleError);
    EXPECT_FALSE(empty.GetFileNames());
}

TEST(HeldInGlobalMemory, KeepsBlocksAndLeavesDrawingObjectsAndPrivateHandles) {
    for (std::uint16_t format : {1, 7, 8, 13, 15, 16, 17, 0x81, 0xC000, 0xC0FF, 0xFFFF}) {
        SCOPED_TRACE(format);
        EXPECT_TRUE(HeldInGlobalMemory(format));
    }
    for (std::uint16_t format : {0, 2, 3, 9, 14, 0x80, 0x82, 0x83, 0x8E, 0x200, 0x2FF, 0x300, 0x3FF}) {
        SCOPED_TRACE(format);
        EXPECT_FALSE(HeldInGlobalMemory(format));
    }
}

}  // namespace
}  // namespace kaveto
