// The log in either code: an existing log is merged in the code it holds,
// never re-encoded; a new one, or one of ASCII alone, takes LogCode.
#include <gtest/gtest.h>

#include <optional>

#include "engine/output_sinks.h"
#include "fakes/engine_fakes.h"

namespace kaveto {
namespace {

using fakes::FakeEnvironment;

std::string U8(std::u8string_view text) { return std::string(text.begin(), text.end()); }

const std::string kBom = "\xEF\xBB\xBF";
const std::string kPath = "C:\\prog\\log.txt";

// A snippet with what Shift_JIS lacks and a "\r\n" text to become a break.
const DualText kSnippet = FromUtf8(U8(u8"新 \U0001F600 \u301C\\r\\n\u00E9"));
const std::string kSnippetSjis = "\x90\x56 ? \x81\x60\r\n?";
const std::string kSnippetUtf8 = U8(u8"新 \U0001F600 \u301C\r\n\u00E9");

struct LogCodeTest : ::testing::Test {
    FakeEnvironment f;
    Settings s;
    void SetUp() override {
        f.files.AddFolder("C:\\prog");
        s.SaveFileName = "%my_folder%log.txt";
    }
    std::string Write(const std::optional<std::string>& old, LogTextCode code, bool append, const DualText& snippet) {
        f.files.files.erase(kPath);
        if (old) f.files.Put(kPath, *old);
        s.LogCode = code;
        s.LogOrderBool = append;
        WriteLog(Snippet{snippet}, s, f.env, f.clock.now);
        return f.files.files[kPath];
    }
};

TEST_F(LogCodeTest, AnExistingLogIsMergedInItsOwnCodeInEitherOrder) {
    const auto Sjis = LogTextCode::ShiftJis;
    const auto Utf8 = LogTextCode::Utf8;
    const std::string old_sjis = "\x8c\xc3\x82\xa2";  // 古い
    const std::string old_utf8 = U8(u8"古い");
    struct Row {
        const char* name;
        std::optional<std::string> old;
        LogTextCode code;
        bool append;
        std::string expected;
    } rows[] = {
        {"UTF-8 with its mark, appended, under ShiftJis", kBom + old_utf8, Sjis, true,
         kBom + old_utf8 + "\r\n" + kSnippetUtf8},
        {"UTF-8 with its mark, prepended: the mark stays first", kBom + old_utf8, Sjis, false,
         kBom + kSnippetUtf8 + "\r\n" + old_utf8},
        {"UTF-8 without a mark gains none", old_utf8, Sjis, true, old_utf8 + "\r\n" + kSnippetUtf8},
        {"UTF-8 without a mark, prepended", old_utf8, Utf8, false, kSnippetUtf8 + "\r\n" + old_utf8},
        {"Shift_JIS appended under UTF-8", old_sjis, Utf8, true, old_sjis + "\r\n" + kSnippetSjis},
        {"Shift_JIS prepended under UTF-8", old_sjis, Utf8, false, kSnippetSjis + "\r\n" + old_sjis},
        {"Shift_JIS under ShiftJis, as always", old_sjis, Sjis, true, old_sjis + "\r\n" + kSnippetSjis},
        {"new under ShiftJis: the snippet alone", std::nullopt, Sjis, true, kSnippetSjis},
        {"new under UTF-8: the mark and the snippet", std::nullopt, Utf8, false, kBom + kSnippetUtf8},
        {"ASCII alone takes LogCode, without a mark", std::string("old"), Utf8, true, "old\r\n" + kSnippetUtf8},
        {"ASCII alone under ShiftJis", std::string("old"), Sjis, false, kSnippetSjis + "\r\nold"},
        {"an empty file is no new one", std::string(), Utf8, true, "\r\n" + kSnippetUtf8},
        // The old content's "\r\n" texts become breaks by its code's rule.
        {"UTF-8 text whose bytes would lead in Shift_JIS", U8(u8"あ\\r\\n"), Sjis, true,
         U8(u8"あ\r\n") + "\r\n" + kSnippetUtf8},
        {"a Shift_JIS second byte is no backslash", "\x95\\r\\n", Utf8, true, "\x95\\r\\n\r\n" + kSnippetSjis},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(Write(row.old, row.code, row.append, kSnippet), row.expected);
    }
}

TEST_F(LogCodeTest, TheSeparatorIsWrittenInTheLogsCode) {
    s.LogBetweenText = "\\r\\n\x81\x5c\x81\x5c\\r\\n";  // a line of two EM DASHes in Shift_JIS
    EXPECT_EQ(Write(kBom + "a", LogTextCode::ShiftJis, true, FromUtf8("b")),
              kBom + "a" + U8(u8"\r\n\u2014\u2014\r\n") + "b");
    EXPECT_EQ(Write(std::string("a\x82\xa0"), LogTextCode::Utf8, true, FromUtf8("b")),
              "a\x82\xa0\r\n\x81\x5c\x81\x5c\r\nb");
}

// A day's log begun under one code and written on after LogCode changed:
// the file stays in the code it began in, and what it held before each
// write stands in it byte for byte.
TEST_F(LogCodeTest, ALogKeepsTheCodeItBeganInWhenLogCodeChanges) {
    for (const LogTextCode first : {LogTextCode::ShiftJis, LogTextCode::Utf8}) {
        const LogTextCode then = first == LogTextCode::Utf8 ? LogTextCode::ShiftJis : LogTextCode::Utf8;
        SCOPED_TRACE(LogCodeName(first) + " then " + LogCodeName(then));
        const std::string begun = Write(std::nullopt, first, true, kSnippet);
        s.LogCode = then;
        WriteLog(Snippet{FromUtf8(U8(u8"次 \u00E9"))}, s, f.env, f.clock.now);
        const std::string& after = f.files.files[kPath];
        EXPECT_EQ(after.substr(0, begun.size()), begun);
        EXPECT_EQ(after.substr(begun.size()), first == LogTextCode::Utf8 ? U8(u8"\r\n次 \u00E9") : "\r\n\x8e\x9f ?");
        EXPECT_EQ(LogCodeOf(after), first);
    }
}

TEST(LogCodeOf, TheMarkOrUtf8MeansUtf8AndAsciiTellsNothing) {
    EXPECT_EQ(LogCodeOf(kBom), LogTextCode::Utf8);
    EXPECT_EQ(LogCodeOf(kBom + "\x82\xa0"), LogTextCode::Utf8) << "the mark decides";
    EXPECT_EQ(LogCodeOf(U8(u8"\u00E9")), LogTextCode::Utf8);
    EXPECT_EQ(LogCodeOf("a\x82\xa0"), LogTextCode::ShiftJis);
    EXPECT_EQ(LogCodeOf("\xFF"), LogTextCode::ShiftJis) << "bytes of no code are left as they are, as always";
    EXPECT_EQ(LogCodeOf("plain\r\n"), std::nullopt);
    EXPECT_EQ(LogCodeOf(""), std::nullopt);
}

}  // namespace
}  // namespace kaveto
