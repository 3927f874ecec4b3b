// kavetoctl detect and convert pass bytes through untouched by any text mode,
// and read standard input whole.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "tests/platform/run_kavetoctl.h"

namespace {

using namespace std::string_literals;

kaveto::testing::CommandRun Kavetoctl(const std::string& args, const std::string& input) {
    return kaveto::testing::Kavetoctl(args, &input);
}

TEST(KavetoctlConvert, DetectsAndConvertsStdin) {
    const std::string sjis = "\x93\xfa\x96\x7b\x8c\xea\r\n\x00\xb6\xde"s;
    const std::string euc = "\xc6\xfc\xcb\xdc\xb8\xec\r\n\x00\x8e\xb6\x8e\xde"s;
    const std::string jis = "\x1b$B\x46\x7c\x4b\x5c\x38\x6c\x1b(J\r\n\x00\x1b$B\x25\x2c\x1b(J"s;
    struct Case {
        const char* args;
        std::string input, expected;
    };
    const Case cases[] = {
        {"detect", sjis, "Binary\n"},
        {"detect", "\x93\xfa\x96\x7b", "ShiftJis\n"},
        {"detect", "", "Ascii\n"},
        {"convert --to sjis", euc.substr(0, 8), sjis.substr(0, 8)},
        {"convert --to jis", "\x93\xfa\x96\x7b", "\x1b$B\x46\x7c\x4b\x5c\x1b(J"},
        {"convert --to euc", sjis, sjis},  // binary: unchanged
        {"convert --from sjis --to euc", sjis, euc},
        {"convert --to euc --from sjis", sjis, euc},
        {"convert --from euc --to jis", euc, jis},
        {"convert --from jis --to euc", jis, "\xc6\xfc\xcb\xdc\xb8\xec\r\n\x00\xa5\xac"s},
        {"convert --from jis --to sjis", jis, "\x93\xfa\x96\x7b\x8c\xea\r\n"},
        {"convert --from euc --to euc", euc, euc},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args);
        const auto run = Kavetoctl(c.args, c.input);
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.out, c.expected);
    }
}

std::string U8(std::u8string_view text) { return std::string(text.begin(), text.end()); }

// Text is read as a page is: UTF-8 by its bytes or mark, an undecided text
// by its declaration.
TEST(KavetoctlConvert, ReadsUtf8AndDeclaredCodes) {
    const std::string utf8 = U8(u8"\uFEFF日本\u301C\u00E9");
    const std::string undecided = "\xa4\xce\x8e\xb6\x8e\xde";  // "のｶﾞ" in EUC-JP
    const std::string declared = "<meta charset=euc-jp>" + undecided;
    struct Case {
        const char* args;
        std::string input, expected;
    } cases[] = {
        {"detect", U8(u8"日本語のページ"), "Utf8\n"},
        {"detect", utf8.substr(3, 3), "ShiftJis\n"},  // one character alone
        {"detect", declared, "EucJp\n"},
        {"detect", undecided, "EucOrShiftJis\n"},
        {"convert --from utf8 --to sjis", utf8, "日本\x81\x60?"},
        {"convert --from utf8 --to euc", utf8, "\xc6\xfc\xcb\xdc\xa1\xc1?"},
        {"convert --from utf8 --to jis", utf8, "\x1b$B\x46\x7c\x4b\x5c\x21\x41\x1b(J?"},
        {"convert --from utf8 --to sjis", "\xff\xe6\x97", "??"},
        {"convert --to sjis", utf8, "日本\x81\x60?"},
        {"convert --to sjis", declared, "<meta charset=euc-jp>\x82\xcc\xb6\xde"},
        {"convert --to euc", declared, declared},
        {"convert --to sjis", undecided, undecided},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args + (" " + c.expected));
        const auto run = Kavetoctl(c.args, c.input);
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.out, c.expected);
    }
}

TEST(KavetoctlConvert, RejectsBadArguments) {
    for (const char* args : {"convert", "convert --to utf8", "convert --from sjis", "convert --to jis --to euc",
                             "convert --to", "detect extra", "convert --from utf8", "convert --from utf-8 --to sjis"}) {
        SCOPED_TRACE(args);
        const auto run = Kavetoctl(args, "x");
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.out, "");
    }
}

// Runs a shell command line and gives its exit code and standard output.
kaveto::testing::CommandRun Shell(const std::string& command) {
    kaveto::testing::CommandRun run{-1, {}};
    if (std::FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[65536];
        std::size_t got;
        while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, got);
        const int status = ::pclose(pipe);
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    return run;
}

// Standard input is read whole, whether it is a file (read at once from where
// the shell left it) or a pipe (read chunk by chunk).
TEST(KavetoctlStdin, ReadsFilesAndPipesWhole) {
    std::string input;
    unsigned seed = 12345;
    for (std::size_t i = 0; i < 3 * 1024 * 1024 + 7; ++i) {
        seed = seed * 1103515245u + 12345u;
        input += static_cast<char>(seed >> 23);
    }
    input += "END";
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() / ("kavetoctl_stdin_" + std::to_string(::getpid()));
    const std::filesystem::path empty = file.string() + "_empty";
    std::ofstream(file, std::ios::binary) << input;
    std::ofstream(empty, std::ios::binary).flush();
    const std::string ctl = std::string(KAVETO_BIN_DIR) + "/kavetoctl";
    const std::string same = ctl + " convert --from sjis --to sjis";  // passes the bytes through
    const std::string f = " '" + file.string() + "'";
    struct Row {
        const char* name;
        std::string command;
        std::string out;
    } rows[] = {
        {"file", same + " <" + f, input},
        {"pipe", "cat" + f + " | " + same, input},
        {"file read in part by the shell", "{ dd bs=5 count=1 of=/dev/null 2>/dev/null; " + same + "; } <" + f,
         input.substr(5)},
        {"file read to its end by the shell", "{ cat >/dev/null; " + same + "; } <" + f, ""},
        {"empty file", same + " < '" + empty.string() + "'", ""},
        {"match over a file", ctl + " match 'm/END$/' <" + f,
         "0\t" + std::to_string(input.size() - 3) + "\t" + std::to_string(input.size()) + "\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const auto run = Shell(row.command);
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.out.size(), row.out.size());
        EXPECT_TRUE(run.out == row.out);
    }
    std::filesystem::remove(file);
    std::filesystem::remove(empty);
}

}  // namespace
