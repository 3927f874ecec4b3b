// The Unicode snippet beside the Shift_JIS one: templates in either code,
// title rules in UTF-8, and both forms reaching the clipboard and the
// history.
#include <gtest/gtest.h>

#include "engine/history_menu.h"
#include "engine/output_sinks.h"
#include "engine/snippet_composer.h"
#include "engine/title_rules.h"
#include "fakes/engine_fakes.h"
#include "platform/errors.h"

namespace kaveto {
namespace {

using fakes::FakeEnvironment;

// The compiler's own UTF-8 of a literal.
std::string U8(std::u8string_view text) { return std::string(text.begin(), text.end()); }

const std::string kBom = "\xEF\xBB\xBF";

// The UTF-8 forms of the history's snippets, newest first.
std::vector<std::string> Utf8Texts(const HistoryLists& history) {
    std::vector<std::string> texts;
    for (const HistoryEntry& entry : history.entries) texts.push_back(entry.snippet.text.utf8);
    return texts;
}

// A capture as the browser gave it: the title and the address in Unicode,
// each with characters that Shift_JIS lacks; the selection in Shift_JIS
// alone, as CF_TEXT gives it.
void FillCapture(CaptureRecord& r) {
    r.title_txt = FromUtf8(U8(u8"日本語 \U0001F600 caf\u00E9 \u301C"));
    r.page_url = FromUtf8(U8(u8"https://x.test/caf\u00E9"));
    r.sel_txt = FromShiftJis("\x91\x49\x91\xf0%d%");  // "選択%d%"
}

struct UnicodeComposerTest : ::testing::Test {
    FakeEnvironment f;
    AppState state;
    void SetUp() override {
        f.files.Put("C:\\prog\\title.txt", "");
        state.settings.Youbi = {"\x93\xfa", "\x8c\x8e", "\x89\xce", "\x90\x85", "\x96\xd8", "\x8b\xe0", "\x93\x79"};
        FillCapture(state.record);
    }
};

TEST_F(UnicodeComposerTest, BothSnippetsComeFromOneTemplateInEitherCode) {
    // The Shift_JIS forms of the captured texts, by the rule of text/unicode.h.
    const std::string title_sjis = "\x93\xfa\x96\x7b\x8c\xea ? caf? \x81\x60";
    const std::string page_sjis = "https://x.test/caf?";
    const std::string title_utf8 = U8(u8"日本語 \U0001F600 caf\u00E9 \u301C");
    const std::string page_utf8 = U8(u8"https://x.test/caf\u00E9");
    struct Row {
        const char* name;
        std::string file;
        std::string shift_jis, utf8;
    } rows[] = {
        {"Shift_JIS template", "\x81\x75%title_txt%\x81\x76 %page_url%\r\n%sel_txt% %yyyy%/%mm% %Youbi%\x1A" "after",
         "\x81\x75" + title_sjis + "\x81\x76 " + page_sjis + "\r\n\x91\x49\x91\xf0%d% 2026/06 \x93\xfa",
         U8(u8"「") + title_utf8 + U8(u8"」 ") + page_utf8 + U8(u8"\r\n選択%d% 2026/06 日")},
        {"UTF-8 template with its byte order mark",
         kBom + U8(u8"\U0001F4AC %title_txt% \u2014 %page_url_default%\r\n%sel_txt%\u00A0%Youbi%") + "\x1A" + "after",
         "? " + title_sjis + " \x81\x5c " + page_sjis + "\r\n\x91\x49\x91\xf0%d%?\x93\xfa",
         U8(u8"\U0001F4AC ") + title_utf8 + U8(u8" \u2014 ") + page_utf8 + U8(u8"\r\n選択%d%\u00A0日")},
        // Without the mark the file is Shift_JIS, as it always was: its bytes
        // pass into the Shift_JIS snippet as they stand.
        {"UTF-8 template without the mark", U8(u8"\u00E9 %title_txt%"), "\xC3\xA9 " + title_sjis,
         U8(u8"\uFF83\uFF69 ") + title_utf8},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        f.files.Put("C:\\prog\\main\\1.txt", row.file);
        state.history = {};
        SnippetComposer(state, f.env);
        ASSERT_EQ(state.history.history_texts().size(), 1u);
        EXPECT_EQ(state.history.history_texts()[0], row.shift_jis);
        EXPECT_EQ(Utf8Texts(state.history)[0], row.utf8);
        EXPECT_EQ(f.clipboard.calls.back(), row.shift_jis);
        EXPECT_EQ(f.clipboard.utf8_calls.back(), row.utf8);
        // The label stays in Shift_JIS: the menu shows it as it always has.
        EXPECT_EQ(state.history.history_labels()[0], state.record.sel_txt.shift_jis);
    }
}

TEST_F(UnicodeComposerTest, AShortWeekdayListFailsBeforeEitherSnippetIsMade) {
    f.files.Put("C:\\prog\\main\\1.txt", kBom + U8(u8"\U0001F600 %title_txt%"));
    state.settings.Youbi = {"Sun"};
    f.clock.now.weekday = 3;
    EXPECT_THROW(SnippetComposer(state, f.env), ListIndexError);
    EXPECT_TRUE(f.clipboard.calls.empty());
    EXPECT_TRUE(state.history.history_texts().empty());
    EXPECT_EQ(f.clock.reads, 1);
}

TEST_F(UnicodeComposerTest, TheLogTakesTheFormOfItsCode) {
    f.files.Put("C:\\prog\\main\\3.txt", kBom + U8(u8"%title_txt%"));
    f.files.AddFolder("C:\\prog\\log");
    state.record.sel_txt = {};
    state.settings.LogBool = true;
    state.settings.SaveFileName = "%my_folder%log\\%d%.txt";
    state.settings.LogCode = LogTextCode::Utf8;
    SnippetComposer(state, f.env);
    EXPECT_EQ(f.files.files["C:\\prog\\log\\7.txt"], kBom + U8(u8"日本語 \U0001F600 caf\u00E9 \u301C"));
    state.settings.LogCode = LogTextCode::ShiftJis;
    state.settings.SaveFileName = "%my_folder%log\\%dd%.txt";
    SnippetComposer(state, f.env);
    EXPECT_EQ(f.files.files["C:\\prog\\log\\07.txt"], "\x93\xfa\x96\x7b\x8c\xea ? caf? \x81\x60");
}

TEST(TemplateTexts, CtrlZEndsBothFormsAndTheMarkIsNoPartOfTheText) {
    const DualText sjis = TemplateTexts("\x83\x5c\x81\x60\x1A\x83\x5c");
    EXPECT_EQ(sjis.shift_jis, "\x83\x5c\x81\x60");
    EXPECT_EQ(sjis.utf8, U8(u8"ソ\u301C"));
    const DualText utf8 = TemplateTexts(kBom + U8(u8"ソ\uFF5E\u00E9") + "\x1A" + U8(u8"後"));
    EXPECT_EQ(utf8.shift_jis, "\x83\x5c\x81\x60?");
    EXPECT_EQ(utf8.utf8, U8(u8"ソ\uFF5E\u00E9"));
    EXPECT_EQ(TemplateTexts(kBom).utf8, "");
}

struct UnicodeRulesTest : ::testing::Test {
    FakeEnvironment f;
    CaptureRecord r;
    int Apply(const std::string& rules, const DualText& page) {
        f.files.Put("C:\\prog\\title.txt", rules);
        r = CaptureRecord{};
        r.title_txt = FromUtf8("Found");
        r.page_url = page;
        return ApplyTitleRulesLine(r, f.env);
    }
};

TEST_F(UnicodeRulesTest, AUtf8FileGivesTheTitleAndAddressWholeAndMatchesTheShiftJisAddress) {
    const DualText cafe = FromUtf8(U8(u8"https://x.test/caf\u00E9"));  // Shift_JIS: ...caf?
    const DualText cab = FromUtf8("https://x.test/cab");
    const DualText kana = FromUtf8(U8(u8"https://x.test/あ/"));
    struct Row {
        const char* name;
        std::string rules;
        DualText page;
        int line;
        std::string title_utf8, page_utf8;  // expected; Shift_JIS forms by conversion
    } rows[] = {
        {"two fields", kBom + U8(u8"x\\.test,Caf\u00E9 \u2615 \u301C"), cab, 1, U8(u8"Caf\u00E9 \u2615 \u301C"),
         cab.utf8},
        {"three fields", kBom + U8(u8"x\\.test,T,https://y.test/\u00E9"), cab, 1, "T", U8(u8"https://y.test/\u00E9")},
        {"the mark is no part of the first pattern", kBom + "^https,T", cab, 1, "T", cab.utf8},
        // The address holds "?" where Shift_JIS lacks a character; the
        // pattern's character stands for that "?", never for a quantifier.
        {"a character Shift_JIS lacks matches its \"?\"", kBom + U8(u8"/caf\u00E9$,T"), cafe, 1, "T", cafe.utf8},
        {"and is no quantifier", kBom + U8(u8"/caf\u00E9,T"), cab, 0, "Found", cab.utf8},
        {"escaped by the user", kBom + U8(u8"caf\\\u00E9,T"), cafe, 1, "T", cafe.utf8},
        {"Japanese after a comma splits there", kBom + U8(u8"/あ/,\u3042\u3044,") + "\r\n", kana, 1,
         U8(u8"\u3042\u3044"), ""},
        {"a Shift_JIS file gives its title's conversion", "x\\.test,\x81\x60\x83\x5c", cab, 1, U8(u8"\u301Cソ"),
         cab.utf8},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(Apply(row.rules, row.page), row.line);
        EXPECT_EQ(r.title_txt.utf8, row.title_utf8);
        EXPECT_EQ(r.title_txt.shift_jis, Utf8ToShiftJis(row.title_utf8));
        EXPECT_EQ(r.page_url.utf8, row.page_utf8);
        EXPECT_EQ(r.page_url.shift_jis, Utf8ToShiftJis(row.page_utf8));
    }
}

TEST_F(UnicodeRulesTest, TheSnippetsQuoteTheRuleAndTheDefaultsInBothForms) {
    f.files.Put("C:\\prog\\main\\3.txt", kBom + "%title_txt%|%title_txt_default%|%page_url%|%page_url_default%");
    f.files.Put("C:\\prog\\title.txt", kBom + U8(u8"news,\U0001F4F0 Nouvelles \u00E0 la une,https://n.test/\u00E0"));
    AppState state;
    state.record.title_txt = FromUtf8(U8(u8"Le Monde \u2014 \u00E9dition"));
    state.record.page_url = FromUtf8(U8(u8"https://x.test/news/\u00E9t\u00E9"));
    SnippetComposer(state, f.env);
    ASSERT_EQ(state.history.history_texts().size(), 1u);
    EXPECT_EQ(Utf8Texts(state.history)[0],
              U8(u8"\U0001F4F0 Nouvelles \u00E0 la une|Le Monde \u2014 \u00E9dition|https://n.test/\u00E0|"
                 u8"https://x.test/news/\u00E9t\u00E9"));
    EXPECT_EQ(state.history.history_texts()[0],
              "? Nouvelles ? la une|Le Monde \x81\x5c ?dition|https://n.test/?|https://x.test/news/?t?");
}

TEST(RulePatternToShiftJis, KeepsWhatShiftJisHoldsAndEscapesTheRest) {
    EXPECT_EQ(RulePatternToShiftJis(U8(u8"^https://日本\\.jp/")), "^https://\x93\xfa\x96\x7b\\.jp/");
    EXPECT_EQ(RulePatternToShiftJis(U8(u8"[\u00E9\u00E8]+")), "[\\?\\?]+");
    EXPECT_EQ(RulePatternToShiftJis(U8(u8"\\\u00E9|\\\\\u00E9")), "\\?|\\\\\\?");
    EXPECT_EQ(RulePatternToShiftJis(U8(u8"\U0001F600?")), "\\??");
}

TEST(UnicodeHistory, TheChosenEntryGoesBackInBothFormsAndMovesWithItsText) {
    HistoryLists history;
    AddToHistory(history, Snippet{FromUtf8(U8(u8"first \u00E9"))}, "L0");
    AddToHistory(history, fakes::ShiftJisSnippet("\x93\xfa second"), "L1");
    AddToHistory(history, Snippet{FromUtf8(U8(u8"third \U0001F600"))}, "L2");
    EXPECT_EQ(Utf8Texts(history),
              (std::vector<std::string>{U8(u8"third \U0001F600"), U8(u8"日 second"), U8(u8"first \u00E9")}));

    AppState state;
    state.history = history;
    state.settings.PasteBool = false;
    fakes::FakeClipboard clipboard;
    struct NoActions : PasteBackActions {
        void BringToFront(WindowHandle) override {}
        void Pause(std::uint32_t) override {}
        void KeyEvent(std::uint8_t, bool) override {}
    } actions;
    ReuseHistoryEntry(state, 2, clipboard, actions);
    EXPECT_EQ(clipboard.calls, std::vector<std::string>{"first ?"});
    EXPECT_EQ(clipboard.utf8_calls, std::vector<std::string>{U8(u8"first \u00E9")});
    EXPECT_EQ(Utf8Texts(state.history),
              (std::vector<std::string>{U8(u8"first \u00E9"), U8(u8"third \U0001F600"), U8(u8"日 second")}));
    EXPECT_EQ(state.history.history_texts(), (std::vector<std::string>{"first ?", "third ?", "\x93\xfa second"}));
    EXPECT_EQ(state.history.history_labels(), (std::vector<std::string>{"L0", "L2", "L1"}));
}

}  // namespace
}  // namespace kaveto
