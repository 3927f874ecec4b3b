#include "engine/snippet_composer.h"

#include <gtest/gtest.h>

#include "fakes/engine_fakes.h"
#include "platform/errors.h"

namespace kaveto {
namespace {

using fakes::FakeEnvironment;
using fakes::ShiftJisRecord;

// Each template names itself, so the snippet shows which one was read.
struct ComposerTest : ::testing::Test {
    FakeEnvironment f;
    AppState state;
    void SetUp() override {
        f.files.Put("C:\\prog\\title.txt", "");
        for (const char* folder : {"main", "sub"})
            for (const char* n : {"1", "2", "3", "4"})
                f.files.Put(std::string("C:\\prog\\") + folder + "\\" + n + ".txt",
                            std::string(folder) + n);
    }
};

TEST(ChooseTemplate, FirstMatchingRowDecides) {
    struct Row {
        const char* name;
        CaptureRecord r;  // click_url, url_txt, title_txt, src, page_url, sel_txt
        const char* expected;
    } rows[] = {
        {"page only (double-click)", ShiftJisRecord("", "", "T", "", "http://p/", ""), "3.txt"},
        {"nothing at all", {}, "3.txt"},
        {"src wins over everything", ShiftJisRecord("http://c/", "link", "T", "http://s/", "http://p/", "sel"),
         "4.txt"},
        {"src alone", ShiftJisRecord("", "", "", "http://s/", "", ""), "4.txt"},
        {"link to the page itself, with text", ShiftJisRecord("http://p/", "link", "T", "", "http://p/", ""),
         "3.txt"},
        {"selection with both addresses empty", ShiftJisRecord("", "", "", "", "", "sel"), "3.txt"},
        {"selection on a page", ShiftJisRecord("", "", "T", "", "http://p/", "sel"), "1.txt"},
        {"selection beats link text", ShiftJisRecord("http://c/", "link", "", "", "http://p/", "sel"), "1.txt"},
        {"link with text", ShiftJisRecord("http://c/", "link", "", "", "http://p/", ""), "2.txt"},
        {"link text, address empty, page set", ShiftJisRecord("", "link", "", "", "http://p/", ""), "2.txt"},
        {"bare link: nothing", ShiftJisRecord("http://c/", "", "T", "", "http://p/", ""), ""},
        {"case differs: not the page", ShiftJisRecord("http://P/", "", "", "", "http://p/", ""), ""},
        {"prefix is not equal", ShiftJisRecord("http://p/x", "", "", "", "http://p/", ""), ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(ChooseTemplate(row.r), row.expected);
    }
}

TEST_F(ComposerTest, ReadsFromSubWhileCtrlIsDown) {
    state.record.page_url = FromShiftJis("http://p/");
    f.key_state.ctrl = true;
    SnippetComposer(state, f.env);
    ASSERT_EQ(f.clipboard.calls.size(), 1u);
    EXPECT_EQ(f.clipboard.calls[0], "sub3");
    f.key_state.ctrl = false;
    SnippetComposer(state, f.env);
    EXPECT_EQ(f.clipboard.calls.back(), "main3");
}

TEST_F(ComposerTest, RowSixEmitsNothingAndReadsNoTemplate) {
    state.record = ShiftJisRecord("http://c/", "", "T", "", "http://p/", "");
    state.settings.LogBool = true;
    const int reads_before = f.files.read_count;
    SnippetComposer(state, f.env);
    EXPECT_TRUE(f.clipboard.calls.empty());
    EXPECT_TRUE(state.history.history_texts().empty());
    EXPECT_TRUE(f.files.writes.empty());
    EXPECT_EQ(f.files.read_count, reads_before + 1);  // title.txt only
    EXPECT_EQ(f.clock.reads, 0);
}

TEST_F(ComposerTest, EveryPlaceholderTakesItsValueAsItStands) {
    f.files.Put("C:\\prog\\main\\1.txt",
                "[%page_url%|%page_url_default%|%sel_txt%|%title_txt%|%title_txt_default%|%click_url%|"
                "%url_txt%|%SRC%|%src%|%YOUBI%]");
    // What the page gave is never read again: a placeholder or a date token
    // in it stays as it is. Values are not escaped; other letter case is no
    // placeholder.
    state.record = ShiftJisRecord("", "", "T%title_txt%", "", "http://p/%sel_txt%", "S%d%");
    SnippetComposer(state, f.env);
    ASSERT_EQ(f.clipboard.calls.size(), 1u);
    EXPECT_EQ(f.clipboard.calls[0],
              "[http://p/%sel_txt%|http://p/%sel_txt%|S%d%|T%title_txt%|T%title_txt%||||%src%|%YOUBI%]");
}

TEST_F(ComposerTest, TemplateBytesPassThroughAndCtrlZCuts) {
    struct Row {
        const char* name;
        std::string file, expected;
    } rows[] = {
        {"line ends kept, no final end added", "a\r\nb\rc\nd", "a\r\nb\rc\nd"},
        {"final line end kept", "x\r\n", "x\r\n"},
        {"empty template", "", ""},
        {"Ctrl+Z ends the text", std::string("before\x1A" "after%d%", 14), "before"},
        {"zero byte is kept in the text", std::string("a\0b", 3), std::string("a\0b", 3)},
        {"Shift_JIS passes", "\x83\x5c%title_txt%", "\x83\x5cT"},
    };
    state.settings.DoClipBool = false;  // the history keeps zero bytes too
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        f.files.Put("C:\\prog\\main\\3.txt", row.file);
        state.record = ShiftJisRecord("", "", "T", "", "http://p/", "");
        SnippetComposer(state, f.env);
        ASSERT_FALSE(state.history.history_texts().empty());
        EXPECT_EQ(state.history.history_texts()[0], row.expected);
    }
}

TEST_F(ComposerTest, EmptySnippetStillGoesToEverySink) {
    f.files.Put("C:\\prog\\main\\3.txt", "");
    f.files.AddFolder("C:\\prog\\log");
    state.settings.LogBool = true;
    state.record.page_url = FromShiftJis("http://p/");
    SnippetComposer(state, f.env);
    EXPECT_EQ(f.clipboard.calls, std::vector<std::string>{""});
    EXPECT_EQ(state.history.history_texts(), std::vector<std::string>{""});
    EXPECT_EQ(f.files.writes.size(), 1u);
}

TEST_F(ComposerTest, HistoryLabelFollowsTheTemplate) {
    struct Row {
        CaptureRecord r;
        const char* label;
    } rows[] = {
        {ShiftJisRecord("", "", "Title", "", "http://p/", "Sel"), "Sel"},
        {ShiftJisRecord("http://c/", "Link", "Title", "", "http://p/", ""), "Link"},
        {ShiftJisRecord("", "", "Title", "", "http://p/", ""), "Title"},
        {ShiftJisRecord("", "", "Title", "http://s/i.png", "http://p/", ""), "http://s/i.png"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        state.record = row.r;
        SnippetComposer(state, f.env);
        EXPECT_EQ(state.history.history_labels().at(0), row.label);
    }
}

TEST_F(ComposerTest, SinksRunUnderTheirSettingsAndStopAtTheFirstFailure) {
    state.record.page_url = FromShiftJis("http://p/");
    state.settings.LogBool = true;  // the log folder does not exist
    f.clipboard.fail = true;
    EXPECT_THROW(SnippetComposer(state, f.env), ClipboardError);
    EXPECT_TRUE(state.history.history_texts().empty());

    f.clipboard.fail = false;
    try {
        SnippetComposer(state, f.env);
        FAIL() << "the missing log folder must fail";
    } catch (const FileError& e) {
        EXPECT_STREQ(e.what(), "Invalid filename");
    }
    EXPECT_EQ(f.clipboard.calls.size(), 1u);
    EXPECT_EQ(state.history.history_texts().size(), 1u);

    state.settings = Settings{};
    state.settings.DoClipBool = false;
    state.settings.HistoryBool = false;
    SnippetComposer(state, f.env);
    EXPECT_EQ(f.clipboard.calls.size(), 1u);
    EXPECT_EQ(state.history.history_texts().size(), 1u);
}

TEST_F(ComposerTest, TemplateErrorsEmitNothing) {
    state.record.page_url = FromShiftJis("http://p/");
    f.files.files.erase("C:\\prog\\main\\3.txt");
    try {
        SnippetComposer(state, f.env);
        FAIL();
    } catch (const FileError& e) {
        EXPECT_STREQ(e.what(), "File not found");
    }
    f.files.Put("C:\\prog\\main\\3.txt", "x");
    f.files.read_errors["C:\\prog\\main\\3.txt"] = 32;
    try {
        SnippetComposer(state, f.env);
        FAIL();
    } catch (const FileError& e) {
        EXPECT_STREQ(e.what(), "I/O error 32");
    }
    EXPECT_TRUE(f.clipboard.calls.empty());
    EXPECT_TRUE(state.history.history_texts().empty());
}

TEST_F(ComposerTest, ShortYoubiFailsOnThatWeekdayEvenWithoutTheToken) {
    state.record.page_url = FromShiftJis("http://p/");
    state.settings.Youbi = {"Sun", "Mon", "Tue"};
    f.clock.now.weekday = 3;  // Wednesday: the list has no fourth entry
    try {
        SnippetComposer(state, f.env);
        FAIL();
    } catch (const ListIndexError& e) {
        EXPECT_STREQ(e.what(), "\x83\x8a\x83\x58\x83\x67\x82\xcc\x83\x43\x83\x93\x83\x66\x83\x62\x83\x4e\x83\x58"
                               "\x82\xaa\x94\xcd\x88\xcd\x82\xf0\x92\xb4\x82\xa6\x82\xc4\x82\xa2\x82\xdc\x82\xb7 (3)");
    }
    EXPECT_TRUE(f.clipboard.calls.empty());
    f.clock.now.weekday = 2;
    SnippetComposer(state, f.env);
    EXPECT_EQ(f.clipboard.calls.size(), 1u);
}

TEST_F(ComposerTest, OneClockReadServesTokensAndLogDate) {
    f.files.Put("C:\\prog\\main\\3.txt", "%yyyy%-%mm%-%dd%");
    f.files.AddFolder("C:\\prog\\log");
    state.settings.LogBool = true;
    state.settings.ExtendTime = 10;  // 09:05 belongs to the day before's file
    state.record.page_url = FromShiftJis("http://p/");
    SnippetComposer(state, f.env);
    EXPECT_EQ(f.clock.reads, 1);
    EXPECT_EQ(f.clipboard.calls.at(0), "2026-06-07");  // the snippet keeps the real date
    ASSERT_EQ(f.files.writes.size(), 1u);
    EXPECT_EQ(f.files.writes[0], "C:\\prog\\log\\2026\x94\x4e" "06\x8c\x8e" "06\x93\xfa.txt");
}

TEST(ExpandDateTokens, EveryTokenFromOneInstant) {
    const std::vector<std::string> youbi{"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    struct Row {
        const char* name;
        LocalTime now;
        const char* text;
        const char* expected;
    } rows[] = {
        {"09:05:07 Sunday 7 June 2026", {2026, 6, 7, 9, 5, 7, 0},
         "%yyyy%|%yy%|%mm%|%m%|%dd%|%d%|%hh%|%h%|%nn%|%n%|%ss%|%s%|%Youbi%",
         "2026|26|06|6|07|7|09|9|05|5|07|7|Sun"},
        {"two-digit values", {2031, 12, 25, 23, 59, 58, 4}, "%yy% %m%/%d% %h%:%n%:%s% %mm%%dd%%hh%%nn%%ss% %Youbi%",
         "31 12/25 23:59:58 1225235958 Thu"},
        {"Saturday 3 January 2026", {2026, 1, 3, 0, 0, 0, 6}, "%Youbi% %h%:%nn%", "Sat 0:00"},
        {"other case stays", {2026, 1, 3, 0, 0, 0, 6}, "%YOUBI% %YYYY% %D%", "%YOUBI% %YYYY% %D%"},
        {"tokens never spoil each other", {2026, 3, 4, 5, 6, 7, 3}, "%yyyy%yy%m%mm%", "2026yy3mm%"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::string text = row.text;
        ExpandDateTokens(text, row.now, youbi);
        EXPECT_EQ(text, row.expected);
    }
}

TEST(ExpandDateTokens, ShortListFailsBeforeAnyReplacement) {
    std::string text = "%yyyy% no weekday here";
    EXPECT_THROW(ExpandDateTokens(text, {2026, 1, 3, 0, 0, 0, 6}, {"Sun", "Mon"}), ListIndexError);
    EXPECT_EQ(text, "%yyyy% no weekday here");
    text = "%Youbi%";
    ExpandDateTokens(text, {2026, 6, 7, 0, 0, 0, 0}, {"\x93\xfa"});  // Sunday only: enough on a Sunday
    EXPECT_EQ(text, "\x93\xfa");
}

}  // namespace
}  // namespace kaveto
