// Filling a template in one pass: values put in as text and never read
// again, the suffixes, the HTML form's escaping and its addresses, and the
// title rules' texts, which are the user's own and are filled as ever.
#include "engine/template_fill.h"

#include <gtest/gtest.h>

#include "engine/history_menu.h"
#include "engine/snippet_composer.h"
#include "fakes/engine_fakes.h"
#include "text/text_escapes.h"
#include "text/unicode.h"

namespace kaveto {
namespace {

using fakes::FakeEnvironment;

std::string U8(std::u8string_view text) { return std::string(text.begin(), text.end()); }

// The placeholders' names without their percent signs, in their order.
const char* const kNames[] = {"page_url",          "page_url_default", "sel_txt", "title_txt",
                              "title_txt_default", "click_url",        "url_txt", "SRC"};
constexpr bool kAddress[] = {true, true, false, false, false, true, false, true};

// Template values over texts of their own, at 09:05:07 on Sunday 7 June 2026.
struct Values {
    std::array<DualText, kPlaceholderCount> texts;
    TemplateValues values;
    Values() {
        for (std::size_t k = 0; k < kPlaceholderCount; ++k) values.placeholders[k] = &texts[k];
        values.date_tokens =
            DateTokenValues({2026, 6, 7, 9, 5, 7, 0}, {"\x93\xfa", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"});
    }
    std::string Fill(const std::string& text, SnippetForm form) const {
        return FillTemplate(form == SnippetForm::ShiftJis ? Utf8ToShiftJis(text) : text, form, values);
    }
};

TEST(FillTemplate, TheHtmlFormEscapesEveryPlaceholderAndTheTextFormsNone) {
    const std::string value = U8(u8"http://x.test/?a=1&b=<i>\"q\" 'y' 日本");
    const std::string escaped = U8(u8"http://x.test/?a=1&amp;b=&lt;i&gt;&quot;q&quot; &#39;y&#39; 日本");
    for (std::size_t k = 0; k < kPlaceholderCount; ++k) {
        SCOPED_TRACE(kNames[k]);
        Values v;
        v.texts[k] = FromUtf8(value);
        const std::string tmpl = std::string("<p>%") + kNames[k] + "%</p>";
        EXPECT_EQ(v.Fill(tmpl, SnippetForm::Html), "<p>" + escaped + "</p>");
        EXPECT_EQ(v.Fill(tmpl, SnippetForm::Utf8), "<p>" + value + "</p>");
        EXPECT_EQ(v.Fill(tmpl, SnippetForm::ShiftJis), Utf8ToShiftJis("<p>" + value + "</p>"));
    }
    Values v;
    EXPECT_EQ(v.Fill("%Youbi% & %yyyy%", SnippetForm::Html), U8(u8"日 & 2026")) << "the template's own text is HTML";
}

TEST(FillTemplate, TheHtmlFormLeavesOutAddressesThatAreNoWebFileOrMailAddress) {
    struct Row {
        std::string address;
        bool kept;
    } rows[] = {
        {"javascript:alert(1)", false}, {"JavaScript:alert(1)", false}, {"data:text/html,<script>x</script>", false},
        {"vbscript:msgbox", false},     {" javascript:x", false},       {"about:blank", false},
        {"HTTP://X.TEST/", true},       {"https://x.test/", true},      {"File:///C:/a.htm", true},
        {"MAILTO:a@x.test", true},
    };
    for (std::size_t k = 0; k < kPlaceholderCount; ++k)
        for (const Row& row : rows) {
            SCOPED_TRACE(std::string(kNames[k]) + " " + row.address);
            Values v;
            v.texts[k] = FromUtf8(row.address);
            for (const char* suffix : {"", ":md", ":html", ":url"}) {
                const std::string tmpl = std::string("<a href=\"%") + kNames[k] + suffix + "%\">";
                const std::string html = v.Fill(tmpl, SnippetForm::Html);
                EXPECT_EQ(html == "<a href=\"\">", !row.kept && kAddress[k]) << suffix << ": " << html;
                EXPECT_NE(v.Fill(tmpl, SnippetForm::Utf8), "<a href=\"\">") << "the text forms keep it";
            }
        }
}

TEST(FillTemplate, EachPlaceholderTakesEachSuffix) {
    const std::string value = U8(u8"https://example.jp/検索?q=[a] b(c)&x=%41_*\r\n<ソ表>");
    const std::string md = U8(u8"https://example.jp/検索?q=\\[a\\] b(c)&x=%41\\_\\* \\<ソ表\\>");
    const std::string url =
        "https://example.jp/%E6%A4%9C%E7%B4%A2?q=[a]%20b%28c%29&x=%41_*%0D%0A%3C%E3%82%BD%E8%A1%A8%3E";
    const std::string html = U8(u8"https://example.jp/検索?q=[a] b(c)&amp;x=%41_*\r\n&lt;ソ表&gt;");
    for (std::size_t k = 0; k < kPlaceholderCount; ++k) {
        SCOPED_TRACE(kNames[k]);
        Values v;
        v.texts[k] = FromUtf8(value);
        const std::string name = kNames[k];
        const std::string tmpl = "%" + name + ":md%|%" + name + ":url%|%" + name + ":html%|%" + name + "%";
        EXPECT_EQ(v.Fill(tmpl, SnippetForm::Utf8), md + "|" + url + "|" + html + "|" + value);
        // The Shift_JIS form escapes its own text ("ソ" and "表" end in 5C,
        // which is no backslash there) and takes the same ASCII address.
        EXPECT_EQ(v.Fill(tmpl, SnippetForm::ShiftJis),
                  Utf8ToShiftJis(md) + "|" + url + "|" + Utf8ToShiftJis(html) + "|" + Utf8ToShiftJis(value));
        // The HTML form escapes each result once.
        EXPECT_EQ(v.Fill(tmpl, SnippetForm::Html), EscapeHtml(md) + "|" + EscapeHtml(url) + "|" + html + "|" + html);
    }
}

TEST(FillTemplate, ATemplatesOwnTokensWorkInAnyOrderAndAnyNumberOfTimes) {
    Values v;
    v.texts[0] = FromShiftJis("P");
    v.texts[7] = FromShiftJis("S");
    v.texts[3] = FromShiftJis("T");
    const struct {
        const char* tmpl;
        const char* expected;
    } rows[] = {
        {"%SRC%%yyyy%%page_url%%SRC%%Youbi%%page_url%%mm%%m%%SRC%", "S2026PS\x93\xfaP066S"},
        {"%ss%%s%%nn%%n%%hh%%h%%dd%%d%%yy%", "07705509907726"},
        {"%%title_txt%%", "%T%"},
        {"100% %title_txt% 50%", "100% T 50%"},
        {"%title_txt:xx% %yyyy:md% %TITLE_TXT% %src%", "%title_txt:xx% %yyyy:md% %TITLE_TXT% %src%"},
        {"%title_txt:xx%d%", "%title_txt:xx7"},
        {"\x83%title_txt%", "\x83%title_txt%"},  // a lead byte takes the percent sign as its second byte
        {"\x83\x5c%title_txt%", "\x83\x5cT"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.tmpl);
        EXPECT_EQ(FillTemplate(row.tmpl, SnippetForm::ShiftJis, v.values), row.expected);
    }
}

// A capture through the composer, the templates and the rules in the fake
// program folder.
struct HtmlComposerTest : ::testing::Test {
    FakeEnvironment f;
    AppState state;
    void SetUp() override {
        f.files.Put("C:\\prog\\title.txt", "");
        state.record.page_url = FromShiftJis("http://example.jp/page");
        state.record.title_txt = FromUtf8(U8(u8"ページ & <題>"));
    }
    // The composition of a copy of the record, which the title rules change.
    Composition Compose() {
        CaptureRecord record = state.record;
        return ComposeSnippet(record, state.settings, f.env);
    }
    std::string Composed(const std::string& file, const std::string& tmpl) {
        f.files.Put("C:\\prog\\main\\" + file, tmpl);
        return Compose().snippet.text.shift_jis;
    }
};

TEST_F(HtmlComposerTest, TextFromThePageIsNeverReadAsTemplateText) {
    // A title and a selection that hold tokens.
    state.record.title_txt = FromShiftJis("T %yyyy% 100%s%");
    EXPECT_EQ(Composed("3.txt", "%title_txt% %s%"), "T %yyyy% 100%s% 7");
    state.record.sel_txt = FromShiftJis("%mm%");
    EXPECT_EQ(Composed("1.txt", "[%sel_txt%] %mm%"), "[%mm%] 06");

    // Every value, in every form, whatever token it holds.
    const std::string tokens = "%page_url% %sel_txt% %title_txt% %SRC% %url_txt:md% %yyyy% %Youbi%";
    for (DualText* text : {&state.record.page_url, &state.record.sel_txt, &state.record.title_txt,
                           &state.record.click_url, &state.record.url_txt, &state.record.src})
        *text = FromShiftJis("http://" + tokens);
    const std::string all = "%page_url%|%page_url_default%|%sel_txt%|%title_txt%|%title_txt_default%|%click_url%|"
                            "%url_txt%|%SRC%";
    f.files.Put("C:\\prog\\main\\4.html", all);
    const std::string expected = "http://" + tokens + "|http://" + tokens + "|http://" + tokens + "|http://" + tokens +
                                 "|http://" + tokens + "|http://" + tokens + "|http://" + tokens + "|http://" + tokens;
    EXPECT_EQ(Composed("4.txt", all), expected);
    const Composition c = Compose();
    EXPECT_EQ(c.snippet.text.utf8, expected);
    ASSERT_TRUE(c.snippet.html);
    EXPECT_EQ(c.snippet.html->fragment, expected);
}

TEST_F(HtmlComposerTest, ARulesTitleAndAddressAreTheUsersTextAndFilledAsEver) {
    f.files.Put("C:\\prog\\title.txt",
                "\xEF\xBB\xBF" + U8(u8"example\\.jp,ニュース %yyyy%/%mm%/%dd% %url_txt% %page_url% & more"));
    state.record.url_txt = FromShiftJis("%yyyy%");  // the page's: stays as it is, also where the rule brings it
    state.record.click_url = FromShiftJis("http://example.jp/link");
    f.files.Put("C:\\prog\\main\\2.html", "<a>%title_txt%</a>");
    const std::string rule_title = U8(u8"ニュース 2026/06/07 %yyyy% %page_url% & more");
    EXPECT_EQ(Composed("2.txt", "%title_txt%|%title_txt_default%"),
              Utf8ToShiftJis(rule_title + U8(u8"|ページ & <題>")));
    const Composition c = Compose();
    EXPECT_EQ(c.snippet.text.utf8, rule_title + U8(u8"|ページ & <題>"));
    ASSERT_TRUE(c.snippet.html);
    EXPECT_EQ(c.snippet.html->fragment, U8(u8"<a>ニュース 2026/06/07 %yyyy% %page_url% &amp; more</a>"));

    // A three-field rule's address holds the later placeholders, the title
    // among them, which is the rule's too.
    f.files.Put("C:\\prog\\title.txt", "example\\.jp,T%dd%,http://n.test/%title_txt%/%SRC:url%");
    state.record = {};
    state.record.page_url = FromShiftJis("http://example.jp/page");
    EXPECT_EQ(Composed("3.txt", "%page_url%|%page_url_default%"), "http://n.test/T07/|http://example.jp/page");
    EXPECT_EQ(Compose().label, "T%dd%") << "the label is the rule's title as written";
}

TEST_F(HtmlComposerTest, AnHtmlTemplateBesideTheTextOneGivesTheHtmlForm) {
    const std::string bom = "\xEF\xBB\xBF";
    struct Row {
        const char* name;
        std::string file;
        std::string fragment;
    } rows[] = {
        {"UTF-8", U8(u8"<a href=\"%page_url%\">%title_txt% \u2014 %yyyy%</a>"),
         U8(u8"<a href=\"http://example.jp/page\">ページ &amp; &lt;題&gt; \u2014 2026</a>")},
        {"with its byte order mark", bom + "<b>%title_txt%</b>\r\n", U8(u8"<b>ページ &amp; &lt;題&gt;</b>\r\n")},
        {"ending at Ctrl+Z", "<i>%yyyy%</i>\x1A<b>", "<i>2026</i>"},
        {"bytes that are no UTF-8", "<i>\x83\x5c</i>", U8(u8"<i>\uFFFD\\</i>")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        f.files.Put("C:\\prog\\main\\3.html", row.file);
        EXPECT_EQ(Composed("3.txt", "%title_txt%"), Utf8ToShiftJis(U8(u8"ページ & <題>")));
        const Composition c = Compose();
        ASSERT_TRUE(c.snippet.html);
        EXPECT_EQ(c.snippet.html->fragment, row.fragment);
        EXPECT_EQ(c.snippet.html->source_url, "http://example.jp/page");
    }

    // The page's address names the source, percent-encoded; an address that
    // is none names nothing.
    state.record.page_url = FromUtf8(U8(u8"https://例.jp/a b"));
    EXPECT_EQ(Compose().snippet.html->source_url,
              "https://%E4%BE%8B.jp/a%20b");
    state.record.page_url = FromShiftJis("javascript:alert(1)\r\nStartFragment:0");
    EXPECT_EQ(Compose().snippet.html->source_url, "");

    // The sub\ folder has no HTML template of its own.
    f.key_state.ctrl = true;
    f.files.Put("C:\\prog\\sub\\3.txt", "[%title_txt:md%](%page_url:url%)");
    const Composition sub = Compose();
    EXPECT_FALSE(sub.snippet.html);
    EXPECT_EQ(sub.template_file, "sub\\3.txt");
}

TEST_F(HtmlComposerTest, TheHistoryKeepsTheHtmlFormAndGivesItBack) {
    f.files.Put("C:\\prog\\main\\3.txt", "%title_txt%");
    f.files.Put("C:\\prog\\main\\3.html", "<b>%title_txt%</b>");
    f.files.Put("C:\\prog\\main\\1.txt", "%sel_txt%");
    SnippetComposer(state, f.env);
    state.record.sel_txt = FromShiftJis("words");
    SnippetComposer(state, f.env);  // no 1.html: text alone
    ASSERT_EQ(f.clipboard.html_calls.size(), 2u);
    ASSERT_TRUE(f.clipboard.html_calls[0]);
    EXPECT_EQ(f.clipboard.html_calls[0]->fragment, U8(u8"<b>ページ &amp; &lt;題&gt;</b>"));
    EXPECT_FALSE(f.clipboard.html_calls[1]);

    struct NoActions : PasteBackActions {
        void BringToFront(WindowHandle) override {}
        void Pause(std::uint32_t) override {}
        void KeyEvent(std::uint8_t, bool) override {}
    } actions;
    state.settings.PasteBool = false;
    ReuseHistoryEntry(state, 1, f.clipboard, actions);
    ASSERT_TRUE(f.clipboard.html_calls.back());
    EXPECT_EQ(*f.clipboard.html_calls.back(), *f.clipboard.html_calls[0]);
    EXPECT_EQ(f.clipboard.calls.back(), Utf8ToShiftJis(U8(u8"ページ & <題>")));
    EXPECT_EQ(state.history.history_labels(),
              (std::vector<std::string>{Utf8ToShiftJis(U8(u8"ページ & <題>")), "words"}))
        << "the label is the text's, as before";
}

}  // namespace
}  // namespace kaveto
