// kavetoctl title prints what a capture would quote for a saved page.
#include <gtest/gtest.h>

#include <string>

#include "tests/platform/run_kavetoctl.h"

namespace {

TEST(KavetoctlTitle, PrintsTheTitleACaptureQuotes) {
    struct Case {
        const char* name;
        std::string page;
        int status;
        std::string out;
    } cases[] = {
        {"EUC-JP over lines with a reference",
         "<html>\n<head>\n<title>\n  \xc6\xfc\xcb\xdc &amp;\n  \xa4\xce\xa5\xda\xa1\xbc\xa5\xb8\n</title>\n", 0,
         "\x93\xfa\x96\x7b & \x82\xcc\x83\x79\x81\x5b\x83\x57\n"},
        {"JIS on one line", "<title>\x1b$BF|K\\\x1b(B &lt;1&gt;</title>\r\n", 0, "\x93\xfa\x96\x7b <1>\n"},
        {"attributes", "<title data-rh=\"true\">Caf&eacute;</title>", 0, "Caf?\n"},
        {"UTF-8", "<title>\xe6\x97\xa5\xe6\x9c\xac \xe3\x80\x9c</title>\n", 0, "\x93\xfa\x96\x7b \x81\x60\n"},
        {"declared EUC-JP", "<meta charset=EUC-JP><title>\xa4\xce\x8e\xb6</title>", 0, "\x82\xcc\xb6\n"},
        {"no title", "<html><body>text</body></html>\n", 1, ""},
        {"empty title", "<title> \r\n </title>", 1, ""},
        {"empty input", "", 1, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto run = kaveto::testing::Kavetoctl("title", &c.page);
        EXPECT_EQ(run.status, c.status);
        EXPECT_EQ(run.out, c.out);
    }
    const std::string page = "<title>x</title>";
    EXPECT_EQ(kaveto::testing::Kavetoctl("title extra", &page).status, 2);
}

}  // namespace
