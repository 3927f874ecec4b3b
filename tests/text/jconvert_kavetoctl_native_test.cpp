// kavetoctl detect and convert pass bytes through untouched by any text mode.
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

TEST(KavetoctlConvert, RejectsBadArguments) {
    for (const char* args : {"convert", "convert --to utf8", "convert --from sjis", "convert --to jis --to euc",
                             "convert --to", "detect extra"}) {
        SCOPED_TRACE(args);
        const auto run = Kavetoctl(args, "x");
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.out, "");
    }
}

}  // namespace
