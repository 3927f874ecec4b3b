// kavetoctl's compose and rules commands over the default program folder,
// run as a user would run them.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "tests/platform/run_kavetoctl.h"

#include "tests/platform/temp_folder.h"

namespace kaveto {
namespace {

namespace fs = std::filesystem;

using testing::CommandRun;
using testing::Kavetoctl;

std::string Slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::string U8(std::u8string_view text) { return std::string(text.begin(), text.end()); }

// A copy of the default program folder beside the executables.
struct ComposeCliTest : ::testing::Test {
    testing::TempFolder folder;
    std::string dir;
    void SetUp() override {
        const fs::path bin(KAVETO_BIN_DIR);
        if (!fs::exists(bin / "kavetoctl") || !fs::exists(bin / "main" / "1.txt")) GTEST_SKIP() << "not built";
        for (const char* name : {"main", "sub", "title.txt"})
            fs::copy(bin / name, folder.path() / name, fs::copy_options::recursive);
        fs::create_directory(folder.path() / "log");
        dir = folder.path().string();
    }
};

TEST_F(ComposeCliTest, DefaultTemplatesGiveTheirSnippets) {
    const std::string at = " --now '2026-06-07 09:05:07' --folder " + dir;
    struct Row {
        const char* name;
        std::string args;
        int status;
        std::string out;
    } rows[] = {
        {"selection", "--page-url http://p/ --title T --sel 'S x'", 0,
         "\x81\x75S x\x81\x76\r\nT\r\nhttp://p/\r\n"},
        {"link", "--page-url http://p/ --click-url http://c/ --url-txt L", 0, "L\r\nhttp://c/\r\n"},
        {"page", "--page-url http://p/ --title T", 0, "T\r\nhttp://p/\r\n"},
        {"image", "--page-url http://p/ --title T --src http://s/i.png", 0, "http://s/i.png\r\nT\r\nhttp://p/\r\n"},
        {"page as Markdown", "--ctrl --page-url http://p/ --title T", 0, "[T](http://p/)"},
        {"link as Markdown", "--ctrl --page-url http://p/ --click-url http://c/ --url-txt L", 0, "[L](http://c/)"},
        {"bare link: nothing", "--page-url http://p/ --click-url http://c/", 3, ""},
        {"no folder", "--page-url http://p/", 2, ""},
        {"bad instant", "--page-url http://p/ --folder . --now 2026-06-07", 2, ""},
        // The HTML templates of main (sub has none).
        {"page in HTML", "--html --page-url 'http://p/?a=1&b=2' --title 'T <1> & \"2\"'", 0,
         "<a href=\"http://p/?a=1&amp;b=2\">T &lt;1&gt; &amp; &quot;2&quot;</a>"},
        {"selection in HTML", "--html --utf8 --page-url http://p/ --title T --sel \"" + U8(u8"引用 'x'") + "\"", 0,
         U8(u8"<blockquote>引用 &#39;x&#39;</blockquote>\r\n<p><a href=\"http://p/\">T</a></p>")},
        {"link to script", "--html --page-url http://p/ --click-url 'javascript:alert(1)' --url-txt L", 0,
         "<a href=\"\">L</a>"},
        {"image in HTML", "--html --page-url http://p/ --title T --src http://s/i.png", 0,
         "<p><img src=\"http://s/i.png\" alt=\"T\"></p>\r\n<p><a href=\"http://p/\">T</a></p>"},
        {"sub has none", "--html --ctrl --page-url http://p/ --title T", 4, ""},
        // A title and an address that would break a Markdown link.
        {"Markdown with the suffixes",
         "--utf8 --ctrl --page-url '" + U8(u8"https://example.jp/検索?q=a b(c)") + "' --title '" +
             U8(u8"[見出し] a*b") + "'",
         0, U8(u8"[\\[見出し\\] a\\*b](https://example.jp/%E6%A4%9C%E7%B4%A2?q=a%20b%28c%29)")},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const bool own_args = row.status == 2;  // the usage errors bring their own
        const CommandRun run = Kavetoctl("compose " + row.args + (own_args ? "" : at));
        EXPECT_EQ(run.status, row.status);
        EXPECT_EQ(run.out, row.out);
    }
}

TEST_F(ComposeCliTest, DeliverWritesTheLogUnderTheSettings) {
    testing::WriteFileBytes(folder.path() / "k.ini", "[Other]\r\nLogBool=1\r\nLogBetweenText=\\r\\n--\\r\\n\r\n");
    const std::string args = "compose --folder " + dir + " --settings " + (folder.path() / "k.ini").string() +
                             " --page-url http://p/ --title T --now '2026-03-01 01:00:00' --deliver";
    EXPECT_EQ(Kavetoctl(args).status, 0);
    EXPECT_EQ(Kavetoctl(args).status, 0);
    const fs::path log = folder.path() / "log" / "2026\x94\x4e" "03\x8c\x8e" "01\x93\xfa.txt";
    EXPECT_EQ(Slurp(log), "T\r\nhttp://p/\r\n\r\n--\r\nT\r\nhttp://p/\r\n");
    // Without --deliver nothing is written.
    EXPECT_EQ(Kavetoctl("compose --folder " + dir + " --page-url http://p/ --now '2026-03-02 01:00:00'").status, 0);
    EXPECT_FALSE(fs::exists(folder.path() / "log" / "2026\x94\x4e" "03\x8c\x8e" "02\x93\xfa.txt"));
}

TEST_F(ComposeCliTest, Utf8PrintsTheUnicodeSnippetAndReadsTextsGivenInUtf8) {
    const std::string at = " --now '2026-06-07 09:05:07' --folder " + dir;
    testing::WriteFileBytes(folder.path() / "main" / "2.txt",
                            "\xEF\xBB\xBF" + U8(u8"\U0001F517 %url_txt% \u2014 %click_url%"));
    struct Row {
        const char* name;
        std::string args, out;
    } rows[] = {
        {"a UTF-8 template, texts in UTF-8",
         "--utf8 --page-url http://p/ --click-url '" + U8(u8"http://c/\u00E9") + "' --url-txt '" +
             U8(u8"Caf\u00E9 \U0001F600") + "'",
         U8(u8"\U0001F517 Caf\u00E9 \U0001F600 \u2014 http://c/\u00E9")},
        {"a text in Shift_JIS is taken as Shift_JIS", "--utf8 --page-url http://p/ --click-url http://c/ --url-txt '\x93\xfa'",
         U8(u8"\U0001F517 \u65E5 \u2014 http://c/")},
        {"a Shift_JIS template gives its conversion", "--utf8 --page-url http://p/ --title T --sel 'S x'",
         U8(u8"\u300CS x\u300D\r\nT\r\nhttp://p/\r\n")},
        // Without --utf8, the Shift_JIS snippet, and the texts as the bytes
        // they are, as always.
        {"the Shift_JIS snippet", "--page-url http://p/ --click-url http://c/ --url-txt '" + U8(u8"\u00E9") + "'",
         "? " + U8(u8"\u00E9") + " \x81\x5c http://c/"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const CommandRun run = Kavetoctl("compose " + row.args + at);
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.out, row.out);
    }
}

TEST_F(ComposeCliTest, RulesNameTheMatchingLine) {
    testing::WriteFileBytes(folder.path() / "title.txt", "zzz,X\r\nboard/news,News,http://n/\r\nboard,B\r\n");
    CommandRun run = Kavetoctl("rules --folder " + dir + " http://e.jp/board/news/1");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "2\tNews\thttp://n/\n");
    EXPECT_EQ(Kavetoctl("rules --folder " + dir + " http://e.jp/").out, "no rule\n");
    fs::remove(folder.path() / "title.txt");
    EXPECT_EQ(Kavetoctl("rules --folder " + dir + " http://e.jp/").status, 2);
}

}  // namespace
}  // namespace kaveto
