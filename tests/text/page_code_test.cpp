#include "text/page_code.h"

#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>

namespace kaveto {
namespace {

using namespace std::string_literals;

// The compiler's own UTF-8 of a literal; plain literals are Shift_JIS.
std::string U8(std::u8string_view text) { return std::string(text.begin(), text.end()); }

// The title of the report that found the fault: full-width letters, kana
// and half-width kana, every byte of which EUC-JP and Shift_JIS both allow.
const std::string kEucTitle =
    "\xA3\xC5\xA3\xD5\xA3\xC3\xA4\xCE\xA5\xDA\xA1\xBC\xA5\xB8 \x8E\xB6\x8E\xDE\x8E\xB2\x8E\xC4\x8E\xDE";
const std::string kSjisTitle = "ＥＵＣのページ ｶﾞｲﾄﾞ";

std::string Page(const std::string& head, const std::string& title) {
    return "<html><head>" + head + "<title>" + title + "</title></head>\r\n<body>text</body></html>\r\n";
}

TEST(CountUtf8Sequences, CountsWellFormedSequencesAndRefusesTheRest) {
    constexpr std::size_t kAll = std::string::npos;
    struct Case {
        const char* name;
        std::string text;
        std::size_t limit;
        std::optional<Utf8Sequences> sequences;
    } cases[] = {
        {"empty", "", kAll, Utf8Sequences{}},
        {"ASCII", "<title>plain</title>\r\n", kAll, Utf8Sequences{}},
        {"two, three and four bytes", U8(u8"\u00E9\u00E8\u65E5\U0001F600"), kAll, Utf8Sequences{2, 2}},
        {"long ASCII runs between", std::string(37, 'a') + U8(u8"\u65E5") + std::string(19, 'b') + U8(u8"\u00E9"),
         kAll, Utf8Sequences{1, 1}},
        {"U+FFFD written out is well formed", "\xEF\xBF\xBD", kAll, Utf8Sequences{0, 1}},
        {"overlong two bytes", "\xC0\x80", kAll, std::nullopt},
        {"overlong three bytes", "\xE0\x80\xAF", kAll, std::nullopt},
        {"overlong four bytes", "\xF0\x8F\xBF\xBF", kAll, std::nullopt},
        {"surrogate", "\xED\xA0\x80", kAll, std::nullopt},
        {"above U+10FFFF", "\xF4\x90\x80\x80", kAll, std::nullopt},
        {"F5 starts nothing", "\xF5\x80\x80\x80", kAll, std::nullopt},
        {"a lone continuation byte", "a\x80", kAll, std::nullopt},
        {"a sequence broken by ASCII", "\xE6\x97z", kAll, std::nullopt},
        {"cut off by the end of the text", U8(u8"\u65E5\u672C").substr(0, 5), kAll, std::nullopt},
        {"Shift_JIS", "日本語のページ", kAll, std::nullopt},
        {"bytes past the limit are not read", "ab\xFF", 2, Utf8Sequences{}},
        {"a sequence the limit cuts is read to its end", "a" + U8(u8"\u65E5"), 2, Utf8Sequences{0, 1}},
        {"... and must be whole", "a\xE6\x97", 2, std::nullopt},
        {"... and well formed", "a\xE6\x97z", 2, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CountUtf8Sequences(c.text, c.limit), c.sequences);
    }
}

TEST(TextCodeOfLabel, KnowsTheUsualSpellingsInAnyCase) {
    struct Case {
        const char* label;
        std::optional<TextCode> code;
    } cases[] = {
        {"utf-8", TextCode::Utf8},        {"UTF8", TextCode::Utf8},           {" Utf_8\t", TextCode::Utf8},
        {"unicode-1-1-utf-8", TextCode::Utf8},
        {"EUC-JP", TextCode::EucJp},      {"x-euc-jp", TextCode::EucJp},      {"eucjp", TextCode::EucJp},
        {"euc_jp", TextCode::EucJp},      {"csEUCPkdFmtJapanese", TextCode::EucJp},
        {"Shift_JIS", TextCode::ShiftJis}, {"shift-jis", TextCode::ShiftJis}, {"SJIS", TextCode::ShiftJis},
        {"x-sjis", TextCode::ShiftJis},   {"Windows-31J", TextCode::ShiftJis}, {"cp932", TextCode::ShiftJis},
        {"MS_Kanji", TextCode::ShiftJis}, {"csShiftJIS", TextCode::ShiftJis}, {"ms932", TextCode::ShiftJis},
        {"ISO-2022-JP", TextCode::JisNew}, {"csISO2022JP", TextCode::JisNew}, {"iso2022jp", TextCode::JisNew},
        {"iso-8859-1", std::nullopt},     {"windows-1252", std::nullopt},      {"utf-16", std::nullopt},
        {"euc-kr", std::nullopt},         {"shift jis", std::nullopt},         {"utf-8x", std::nullopt},
        {"", std::nullopt},               {"  ", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(TextCodeOfLabel(c.label), c.code);
    }
}

TEST(DeclaredTextCode, ReadsTheMetaElementAsABrowserDoes) {
    struct Case {
        const char* name;
        std::string page;
        std::optional<TextCode> code;
    } cases[] = {
        {"charset quoted", "<meta charset=\"EUC-JP\">", TextCode::EucJp},
        {"charset unquoted", "<head><meta charset=utf-8></head>", TextCode::Utf8},
        {"single quotes, upper case, self-closing", "<META CHARSET='Shift_JIS' />", TextCode::ShiftJis},
        {"white space around the equals sign", "<meta charset = \"x-sjis\"\n>", TextCode::ShiftJis},
        {"http-equiv", "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=x-euc-jp\">", TextCode::EucJp},
        {"http-equiv after content", "<meta content='text/html;charset=ISO-2022-JP' http-equiv=content-type>",
         TextCode::JisNew},
        {"charset quoted inside content",
         "<meta http-equiv=\"content-type\" content='text/html; CHARSET = \"windows-31j\"'>", TextCode::ShiftJis},
        {"content without http-equiv", "<meta content=\"text/html; charset=euc-jp\">", std::nullopt},
        {"another http-equiv", "<meta http-equiv=\"refresh\" content=\"0; charset=euc-jp\">", std::nullopt},
        {"inside a comment", "<!-- <meta charset=\"euc-jp\"> -->", std::nullopt},
        {"after a comment", "<!-- old: <meta charset=sjis> --><meta charset=euc-jp>", TextCode::EucJp},
        {"inside an attribute of another element", "<a title=\"<meta charset=euc-jp>\">x</a>", std::nullopt},
        {"another element whose name begins with meta", "<metadata charset=euc-jp>", std::nullopt},
        {"text that mentions a charset", "<p>charset=euc-jp</p>", std::nullopt},
        {"the first meta with a charset decides",
         "<meta name=\"viewport\" content=\"width=device-width\"><meta charset=cp932><meta charset=euc-jp>",
         TextCode::ShiftJis},
        {"also when it names another code", "<meta charset=\"iso-8859-1\"><meta charset=\"euc-jp\">", std::nullopt},
        {"a quote never closed", "<meta charset=\"euc-jp>", std::nullopt},
        {"an end tag, a declaration, an instruction",
         "<?xml version=\"1.0\"?><!DOCTYPE html></x><meta charset=euc-jp>", TextCode::EucJp},
        {"Shift_JIS text before it", "<p>日本語の「本文」</p><meta charset=sjis>", TextCode::ShiftJis},
        {"nothing", "<html><head><title>x</title></head>", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(DeclaredTextCode(c.page), c.code);
    }
}

TEST(DeclaredTextCode, LooksOnlyWithinItsBound) {
    const std::string meta = "<meta charset=\"euc-jp\">";
    const auto with_lead = [&](std::size_t lead) { return std::string(lead, ' ') + meta + "<p>x</p>"; };
    EXPECT_EQ(DeclaredTextCode(with_lead(kDeclarationSearchLength - meta.size())), TextCode::EucJp);
    EXPECT_EQ(DeclaredTextCode(with_lead(kDeclarationSearchLength - meta.size() + 1)), std::nullopt)
        << "an element that ends past the bound";
    // An unquoted label that the bound cuts could be the start of another.
    const std::string cut = std::string(kDeclarationSearchLength - 20, ' ') + "<meta charset=euc-jp-ms>";
    ASSERT_EQ(cut.find("euc-jp") + 6, kDeclarationSearchLength);
    EXPECT_EQ(DeclaredTextCode(cut), std::nullopt);
    EXPECT_EQ(DeclaredTextCode(cut.substr(kDeclarationSearchLength - 20)), TextCode::EucJp);
}

TEST(DetectPageCode, ReadsUtf8ByMarkDeclarationOrBytesAndUndecidedPagesByTheirDeclaration) {
    const std::string utf8_title = U8(u8"日本語のページ \u301C 見出し");
    const std::string many = U8(u8"日本語のページです。見出しと本文。");  // 17 sequences
    struct Case {
        const char* name;
        std::string page;
        TextCode code;
    } cases[] = {
        {"ASCII", Page("", "Plain"), TextCode::Ascii},
        {"UTF-8", Page("", utf8_title), TextCode::Utf8},
        {"one sequence alone is not enough", Page("", U8(u8"日")), TextCode::ShiftJis},
        {"two are when one is three bytes long", Page("", U8(u8"Caf\u00E9 日")), TextCode::Utf8},
        {"two two-byte ones are not", Page("", U8(u8"Caf\u00E9 cr\u00E8me")), TextCode::EucOrShiftJis},
        {"four are", Page("", U8(u8"Cr\u00E8me br\u00FBl\u00E9e \u00E0 la")), TextCode::Utf8},
        {"byte order mark", "\xEF\xBB\xBF" + Page("", "Plain"), TextCode::Utf8},
        {"byte order mark over a declaration", "\xEF\xBB\xBF" + Page("<meta charset=euc-jp>", kEucTitle),
         TextCode::Utf8},
        {"declared UTF-8, ASCII", Page("<meta charset=utf-8>", "Plain"), TextCode::Utf8},
        {"declared UTF-8 with bytes that are not", Page("<meta charset=utf-8>", "日本"), TextCode::Utf8},
        {"Shift_JIS", Page("", "日本語のページ"), TextCode::ShiftJis},
        {"EUC-JP told by its bytes", Page("", "\xC6\xFC\xCB\xDC\xB8\xEC"), TextCode::EucJp},
        {"JIS", Page("", "\x1b$BF|K\\\x1b(B"), TextCode::JisNew},
        {"undecided", Page("", kEucTitle), TextCode::EucOrShiftJis},
        {"undecided, declared EUC-JP", Page("<meta charset=\"EUC-JP\">", kEucTitle), TextCode::EucJp},
        {"undecided, declared Shift_JIS", Page("<meta charset=\"Shift_JIS\">", kEucTitle), TextCode::ShiftJis},
        {"undecided, declared ISO-2022-JP", Page("<meta charset=iso-2022-jp>", kEucTitle), TextCode::JisNew},
        {"undecided, declared another code", Page("<meta charset=iso-8859-1>", kEucTitle), TextCode::EucOrShiftJis},
        {"a declaration does not overrule the bytes", Page("<meta charset=euc-jp>", "日本語のページ"),
         TextCode::ShiftJis},
        {"a few UTF-8 sequences do not overrule a declared Japanese code",
         Page("<meta charset=shift_jis>", utf8_title), TextCode::ShiftJis},
        {"many do", Page("<meta charset=shift_jis>", many), TextCode::Utf8},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(DetectPageCode(c.page), c.code);
    }
}

TEST(DetectPageCode, JudgesUtf8ByTheHeadOfALongPage) {
    const std::string head = Page("", U8(u8"日本語のページ"));
    const std::string fill(kUtf8CheckLength - head.size(), 'x');
    EXPECT_EQ(DetectPageCode(head + fill + "\xFF\xFE"), TextCode::Utf8) << "a stray byte far into the body";
    EXPECT_NE(DetectPageCode(head + fill.substr(2) + "\xFF\xFE"), TextCode::Utf8) << "within the head";
    const std::string straddling = head + fill.substr(1) + U8(u8"本");
    EXPECT_EQ(DetectPageCode(straddling), TextCode::Utf8) << "a character that the bound cuts is read whole";
    EXPECT_NE(DetectPageCode(straddling.substr(0, straddling.size() - 1)), TextCode::Utf8);
}

TEST(ConvertPageToShiftJis, ConvertsFromTheCodeThePageIsReadIn) {
    struct Case {
        const char* name;
        std::string page, sjis;
    } cases[] = {
        {"UTF-8 by the rule Japanese users expect", Page("", U8(u8"日本\u301C\u2212\u00A6 ｶﾞｲﾄﾞ")),
         Page("", "日本\x81\x60\x81\x7C\xFA\x55 ｶﾞｲﾄﾞ")},
        {"no look-alikes, one ? a character", Page("", U8(u8"Caf\u00E9 \U0001F600 日本")), Page("", "Caf? ? 日本")},
        {"the byte order mark is dropped", "\xEF\xBB\xBF" + Page("", "Plain"), Page("", "Plain")},
        {"declared UTF-8 with bytes that are not", Page("<meta charset=utf-8>", "\x93\xFA\xE6\x97z\x96"),
         Page("<meta charset=utf-8>", "???z?")},
        {"undecided, declared EUC-JP", Page("<meta charset=\"EUC-JP\">", kEucTitle),
         Page("<meta charset=\"EUC-JP\">", kSjisTitle)},
        {"undecided, declared Shift_JIS", Page("<meta charset=Shift_JIS>", kEucTitle),
         Page("<meta charset=Shift_JIS>", kEucTitle)},
        {"undecided, declaring nothing, stays as it is", Page("", kEucTitle), Page("", kEucTitle)},
        {"EUC-JP", Page("", "\xC6\xFC\xCB\xDC\xB8\xEC"), Page("", "日本語")},
        {"JIS", Page("", "\x1b$BF|K\\\x1b(B"), Page("", "日本")},
        {"Shift_JIS", Page("", "日本語"), Page("", "日本語")},
        {"ASCII", Page("", "Plain"), Page("", "Plain")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ConvertPageToShiftJis(c.page), c.sjis);
    }
}

// Without UTF-8 and without a declaration, a page converts exactly as it
// always has. Random texts drawn from the bytes that matter to detection.
TEST(ConvertPageToShiftJis, IsConvertTextCodeForPagesThatAreNotUtf8AndDeclareNothing) {
    const std::string alphabet = "<meta charset=\r\n\x1b$B(J@"s + "\x00\x07\x8e\x82\xa0\xa4\xb6\xc3\xde\xe0\xe3\xef\xf0\xfd\xff\x81\x9f\xbf"s;
    std::mt19937 random(20260607);
    int compared = 0;
    for (int round = 0; round < 20000; ++round) {
        std::string text;
        const std::size_t length = random() % 40;
        for (std::size_t i = 0; i < length; ++i) text += alphabet[random() % alphabet.size()];
        if (DetectPageCode(text) != DetectTextCode(text)) continue;
        ++compared;
        ASSERT_EQ(ConvertPageToShiftJis(text), ConvertTextCode(text, TextCode::ShiftJis)) << round;
    }
    EXPECT_GT(compared, 15000);
}

}  // namespace
}  // namespace kaveto
