// The Linux kavetoctl speaks to a UTF-8 terminal: its messages (findings,
// errors, the usage) are in UTF-8 with "/" in paths, a folder named on the
// command line shows as it was typed, and the texts it prints as data are
// in UTF-8 with --utf8 and in Shift_JIS, as always, without it.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/platform/run_kavetoctl.h"
#include "tests/platform/temp_folder.h"

namespace kaveto {
namespace {

namespace fs = std::filesystem;

using testing::CommandRun;
using testing::Kavetoctl;
using testing::WriteFileBytes;

std::string U8(std::u8string_view text) { return std::string(text.begin(), text.end()); }

std::vector<std::string> Lines(const std::string& out) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = out.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(out.substr(start, end - start));
    if (start < out.size()) lines.push_back(out.substr(start));
    return lines;
}

// A copy of the shipped program folder in a folder whose name is Japanese,
// as a Linux user's folder is named: in UTF-8.
struct Utf8CliTest : ::testing::Test {
    testing::TempFolder temp;
    fs::path folder;
    std::string dir;  // as typed on the command line
    void SetUp() override {
        if (!fs::exists(fs::path(KAVETO_BIN_DIR) / "kavetoctl")) GTEST_SKIP() << "not built";
        folder = temp.path() / fs::path(U8(u8"\u30c6\u30b9\u30c8"));  // "テスト"
        fs::copy(fs::path(KAVETO_SOURCE_DIR) / "data" / "program", folder, fs::copy_options::recursive);
        dir = folder.string();
    }
};

TEST_F(Utf8CliTest, CheckWritesItsFindingsInUtf8WithSlashesAndTheFolderAsTyped) {
    fs::remove(folder / "main" / "3.txt");
    // A shortcut with "表", whose second Shift_JIS byte is a backslash, and a
    // log in folders named in Japanese ("ログ\%yyyy%年") that do not exist.
    WriteFileBytes(folder / "kaveto.ini",
                   "[Other]\r\nShortCut=Alt+\x95\x5c\r\nLogBool=1\r\n"
                   "SaveFileName=%my_folder%\x83\x8d\x83\x4f\\%yyyy%\x94\x4e\\%dd%.txt\r\n");
    const CommandRun run = Kavetoctl("check --folder '" + dir + "'");
    EXPECT_EQ(run.status, 1);
    const std::vector<std::string> lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 4u) << run.out;
    EXPECT_EQ(lines[0].rfind("main/3.txt: missing: double-clicking the picture", 0), 0u) << lines[0];
    EXPECT_EQ(lines[1].rfind(U8(u8"kaveto.ini: ShortCut \"Alt+\u8868\" names no key"), 0), 0u) << lines[1];
    EXPECT_EQ(lines[2].rfind("kaveto.ini: SaveFileName puts the log in the folder " + dir +
                                 U8(u8"/\u30ed\u30b0/") + "20",
                             0),
              0u)
        << lines[2];
    EXPECT_NE(lines[2].find(U8(u8"\u5e74/, which does not exist")), std::string::npos) << lines[2];
    EXPECT_EQ(lines[3], "3 problems found in " + dir + "/");
}

TEST_F(Utf8CliTest, ErrorsAreInUtf8WithTheFolderAsTyped) {
    fs::remove(folder / "title.txt");
    // "ファイル … は開けません"
    const std::string cannot_open =
        U8(u8"\u30d5\u30a1\u30a4\u30eb ") + dir + U8(u8"/title.txt \u306f\u958b\u3051\u307e\u305b\u3093\n");
    struct Row {
        const char* name;
        std::string args, err;
    } rows[] = {
        {"rules", "rules --folder '" + dir + "' http://e.jp/", cannot_open},
        {"compose", "compose --folder '" + dir + "' --page-url http://e.jp/ --title T", cannot_open},
        {"check of a missing folder", "check --folder '" + dir + "/none'",
         "check: no such folder: " + dir + "/none/\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const CommandRun run = Kavetoctl(row.args);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.err, row.err);
        EXPECT_EQ(run.out, "");
    }
}

TEST(KavetoctlUtf8, TheUsageNamesTheUtf8Option) {
    if (!fs::exists(fs::path(KAVETO_BIN_DIR) / "kavetoctl")) GTEST_SKIP() << "not built";
    const CommandRun run = Kavetoctl("");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err.rfind("usage: kavetoctl COMMAND [ARGS]\n", 0), 0u);
    EXPECT_NE(run.err.find("--utf8 (title, rules, settings, shortcut, compose)"), std::string::npos) << run.err;
}

TEST_F(Utf8CliTest, TheDataTextsFollowTheUtf8Option) {
    // A title in EUC-JP with an emoji that Shift_JIS lacks.
    const std::string page = "<title>\xc6\xfc\xcb\xdc &#x1F600;</title>";
    // 例\.jp/news,ニュース
    WriteFileBytes(folder / "title.txt", "\x97\xe1\\.jp/news,\x83\x6a\x83\x85\x81\x5b\x83\x58\r\n");
    WriteFileBytes(folder / "k.ini",
                   "[Other]\r\nYoubi=\x93\xfa,\x8c\x8e,\x89\xce,\x90\x85,\x96\xd8,\x8b\xe0,\x93\x79\r\n");
    const std::string url = U8(u8"http://\u4f8b.jp/news/1");  // typed in UTF-8
    struct Row {
        const char* name;
        std::string args;
        const std::string* input;
        std::string plain, utf8;
    } rows[] = {
        {"title", "title", &page, "\x93\xfa\x96\x7b ?\n", U8(u8"\u65e5\u672c \U0001F600\n")},
        {"rules", "rules --folder '" + dir + "' " + url, nullptr, "no rule\n",
         "1\t" + U8(u8"\u30cb\u30e5\u30fc\u30b9\t") + url + "\n"},
        {"rules, a URL in Shift_JIS", "rules --folder '" + dir + "' 'http://\x97\xe1.jp/news/1'", nullptr,
         "1\t\x83\x6a\x83\x85\x81\x5b\x83\x58\thttp://\x97\xe1.jp/news/1\n",
         "1\t" + U8(u8"\u30cb\u30e5\u30fc\u30b9\t") + url + "\n"},
        {"shortcut", "shortcut Alt+A", nullptr, "0x8041\tAlt+A\n", "0x8041\tAlt+A\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const CommandRun plain = Kavetoctl(row.args, row.input);
        EXPECT_EQ(plain.status, 0);
        EXPECT_EQ(plain.out, row.plain);
        const std::string first_word = row.args.substr(0, row.args.find(' '));
        const CommandRun utf8 = Kavetoctl(first_word + " --utf8" + row.args.substr(first_word.size()), row.input);
        EXPECT_EQ(utf8.status, 0);
        EXPECT_EQ(utf8.out, row.utf8);
    }
    const CommandRun settings = Kavetoctl("settings --utf8 '" + (folder / "k.ini").string() + "'");
    EXPECT_NE(settings.out.find(U8(u8"Youbi=\u65e5,\u6708,\u706b,\u6c34,\u6728,\u91d1,\u571f\n")), std::string::npos)
        << settings.out;
    EXPECT_NE(Kavetoctl("settings '" + (folder / "k.ini").string() + "'").out.find("Youbi=\x93\xfa,\x8c\x8e"),
              std::string::npos);
}

}  // namespace
}  // namespace kaveto
