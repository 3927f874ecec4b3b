// kavetoctl check, run as a user would run it: over the shipped program
// folder, over copies of it with one mistake each, and over folders it cannot
// read.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "tests/platform/run_kavetoctl.h"
#include "tests/platform/temp_folder.h"

namespace kaveto {
namespace {

namespace fs = std::filesystem;

using testing::CommandRun;
using testing::Kavetoctl;
using testing::ReadFileBytes;
using testing::WriteFileBytes;

const fs::path kShipped = fs::path(KAVETO_SOURCE_DIR) / "data" / "program";

std::vector<std::string> Lines(const std::string& out) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = out.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(out.substr(start, end - start));
    if (start < out.size()) lines.push_back(out.substr(start) + "<no line end>");
    return lines;
}

// A copy of the shipped program folder.
struct CheckCliTest : ::testing::Test {
    testing::TempFolder folder;
    std::string dir;
    void SetUp() override {
        if (!fs::exists(fs::path(KAVETO_BIN_DIR) / "kavetoctl")) GTEST_SKIP() << "not built";
        fs::copy(kShipped, folder.path(), fs::copy_options::recursive);
        dir = folder.path().string();
    }
    fs::path At(const std::string& name) const { return folder.path() / name; }
};

void Append(const fs::path& file, const std::string& bytes) { WriteFileBytes(file, ReadFileBytes(file) + bytes); }

TEST_F(CheckCliTest, TheShippedFoldersPass) {
    for (const std::string& where : {kShipped.string(), dir}) {
        SCOPED_TRACE(where);
        const CommandRun run = Kavetoctl("check --folder " + where);
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(Lines(run.out), std::vector<std::string>{"No problems found in " + where + "/"});
    }
    // Without --folder: the folder kavetoctl lies in, which the build fills
    // with the shipped files.
    const CommandRun run = Kavetoctl("check");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(Lines(run.out), std::vector<std::string>{"No problems found in " + std::string(KAVETO_BIN_DIR) + "/"});
}

TEST_F(CheckCliTest, AFolderRightInEveryWayPasses) {
    WriteFileBytes(At("title.txt"),
                   "example\\.com/news,Example News\r\n"
                   "^https://www\\.example\\.jp/,\x97\xe1\x82\xcc\x83\x54\x83\x43\x83\x67,https://www.example.jp/\r\n"
                   "\r\n"
                   "board/news,News\r\n");
    Append(At("main/1.txt"), "100% sure: %hh%:%nn% %Youbi% https://e.jp/%E3%81%82?q=a%20b\r\n");
    Append(At("sub/3.txt"), " (%yyyy%-%mm%-%dd%, %title_txt_default%, %page_url_default%)");
    WriteFileBytes(At("kaveto.ini"),
                   "[Window]\r\nTop=10\r\nLeft=20\r\n[Other]\r\n"
                   "Youbi=\x93\xfa,\x8c\x8e,\x89\xce,\x90\x85,\x96\xd8,\x8b\xe0,\x93\x79\r\n"
                   "LogBool=1\r\nLogBetweenText=\\r\\n\r\nLogOrderBool=1\r\nExtendTime=4\r\nDoClipBool=1\r\n"
                   "HistoryBool=1\r\nPasteBool=1\r\nShortCut=Shift+Ctrl+F12\r\nClipbordTime=100\r\n"
                   "SaveFileName=%my_folder%log\\%yyyy%\x94\x4e%mm%\x8c\x8e%dd%\x93\xfa.txt\r\n");
    const CommandRun run = Kavetoctl("check --folder " + dir);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(Lines(run.out), std::vector<std::string>{"No problems found in " + dir + "/"});
}

TEST(CheckCli, EachMistakeIsNamedWithItsFileAndLine) {
    if (!fs::exists(fs::path(KAVETO_BIN_DIR) / "kavetoctl")) GTEST_SKIP() << "not built";
    struct Row {
        const char* name;
        std::function<void(const fs::path&)> spoil;
        std::string finding;  // the start of the one finding line
    } rows[] = {
        {"no title.txt", [](const fs::path& p) { fs::remove(p / "title.txt"); }, "title.txt: missing"},
        {"rule with one field", [](const fs::path& p) { WriteFileBytes(p / "title.txt", "a,b\r\njust a pattern\r\n"); },
         "title.txt:2: no comma"},
        {"pattern that does not compile",
         [](const fs::path& p) { WriteFileBytes(p / "title.txt", "a,b\r\n\r\n[abc,T\r\n"); },
         "title.txt:3: the pattern does not compile: unmatched [ in regex"},
        {"rule with four fields",
         [](const fs::path& p) { WriteFileBytes(p / "title.txt", "e\\.jp,Hello, big, world\r\n"); },
         "title.txt:1: 4 fields"},
        {"no main/3.txt", [](const fs::path& p) { fs::remove(p / "main" / "3.txt"); },
         "main/3.txt: missing: double-clicking the picture"},
        {"no sub/1.txt", [](const fs::path& p) { fs::remove(p / "sub" / "1.txt"); },
         "sub/1.txt: missing: dropping selected text with Ctrl held"},
        {"misspelt placeholder", [](const fs::path& p) { Append(p / "main" / "2.txt", "%titel_txt%\r\n"); },
         "main/2.txt:3: %titel_txt% is not a placeholder"},
        {"misspelt date token", [](const fs::path& p) { Append(p / "sub" / "4.txt", "%YYYY%"); },
         "sub/4.txt:3: %YYYY% is not a date token"},
        {"unknown suffix", [](const fs::path& p) { Append(p / "sub" / "3.txt", "\r\n%title_txt:mdd%"); },
         "sub/3.txt:2: %title_txt:mdd% has no suffix :mdd"},
        {"misspelt placeholder in an HTML template",
         [](const fs::path& p) { Append(p / "main" / "3.html", "\r\n<i>%titel_txt:html%</i>"); },
         "main/3.html:2: %titel_txt:html% is not a placeholder"},
        {"shortcut that names no key",
         [](const fs::path& p) { WriteFileBytes(p / "kaveto.ini", "[Other]\r\nShortCut=Alt+Enter!\r\n"); },
         "kaveto.ini: ShortCut \"Alt+Enter!\" names no key"},
        {"quote key that is the history hotkey's",
         [](const fs::path& p) { WriteFileBytes(p / "kaveto.ini", "[Other]\r\nShortCut=Alt+Q\r\nQuoteShortCut=alt+q\r\n"); },
         "kaveto.ini: QuoteShortCut \"alt+q\" is the history hotkey's key (ShortCut Alt+Q)"},
        {"negative pause",
         [](const fs::path& p) { WriteFileBytes(p / "kaveto.ini", "[Other]\r\nClipbordTime=-100\r\n"); },
         "kaveto.ini: ClipbordTime is -100"},
        {"five weekday names",
         [](const fs::path& p) { WriteFileBytes(p / "kaveto.ini", "[Other]\r\nYoubi=Sun,Mon,Tue,Wed,Thu\r\n"); },
         "kaveto.ini: Youbi has 5 names"},
        {"log folder missing",
         [](const fs::path& p) {
             fs::remove_all(p / "log");
             WriteFileBytes(p / "kaveto.ini", "[Other]\r\nLogBool=1\r\n");
         },
         "kaveto.ini: SaveFileName puts the log in the folder "},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        testing::TempFolder folder;
        fs::copy(kShipped, folder.path(), fs::copy_options::recursive);
        row.spoil(folder.path());
        const CommandRun run = Kavetoctl("check --folder " + folder.path().string());
        EXPECT_EQ(run.status, 1);
        const std::vector<std::string> lines = Lines(run.out);
        ASSERT_EQ(lines.size(), 2u) << run.out;
        EXPECT_EQ(lines[0].rfind(row.finding, 0), 0u) << lines[0];
        EXPECT_EQ(lines[1], "1 problem found in " + folder.path().string() + "/");
    }
}

TEST_F(CheckCliTest, AFolderThatCannotBeReadGivesExitTwo) {
    WriteFileBytes(At("a file"), "x");
    fs::create_directory(At("locked"));
    ::chmod(At("locked").c_str(), 0);
    struct Row {
        const char* name;
        std::string folder;
    } rows[] = {
        {"no such folder", (folder.path() / "none").string()},
        {"below a missing folder", (folder.path() / "none" / "deeper").string()},
        {"a file", "'" + At("a file").string() + "'"},
        {"a folder that may not be listed", At("locked").string()},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        // Nothing stops root from listing a folder.
        if (::geteuid() == 0 && std::string(row.name).find("listed") != std::string::npos) continue;
        const CommandRun run = Kavetoctl("check --folder " + row.folder);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.out, "");
    }
    ::chmod(At("locked").c_str(), 0700);
    EXPECT_EQ(Kavetoctl("check --folder").status, 2);
    EXPECT_EQ(Kavetoctl("check --folder " + dir + " extra").status, 2);
}

}  // namespace
}  // namespace kaveto
