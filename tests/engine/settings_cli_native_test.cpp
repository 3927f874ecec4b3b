// kavetoctl's settings commands, run as a user would run them.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "tests/platform/run_kavetoctl.h"

#include "tests/platform/temp_folder.h"

namespace kaveto {
namespace {

using testing::CommandRun;
using testing::Kavetoctl;

class KavetoctlTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::filesystem::exists(std::string(KAVETO_BIN_DIR) + "/kavetoctl")) GTEST_SKIP() << "kavetoctl not built";
    }
};

TEST_F(KavetoctlTest, ShortcutPrintsTheValueAndItsText) {
    EXPECT_EQ(Kavetoctl("shortcut ctrl+shift+f12").out, "0x607B\tShift+Ctrl+F12\n");
    EXPECT_EQ(Kavetoctl("shortcut '^Q'").out, "0x4051\tCtrl+Q\n");
    EXPECT_EQ(Kavetoctl("shortcut Alt+").out, "0x0000\t\n");
    EXPECT_EQ(Kavetoctl("shortcut").status, 2);
    EXPECT_EQ(Kavetoctl("shortcut a b").status, 2);
}

TEST_F(KavetoctlTest, SettingsPrintsEveryKeyInReadOrderAsItWouldBeWritten) {
    testing::TempFolder folder;
    testing::WriteFileBytes(folder.path() / "k.ini",
                            "[window]\r\nleft=-9\r\n[Other]\r\nLogBool=2\r\nExtendTime=0x05\r\nShortCut=^q\r\n"
                            "Youbi=Sun, Mon\r\nSaveFileName=\"x.txt\"\r\n");
    const CommandRun run = Kavetoctl("settings " + (folder.path() / "k.ini").string());
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out,
              "Top=0\nLeft=-9\nYoubi=Sun,Mon\nLogBool=1\nLogBetweenText=\\r\\n\nLogOrderBool=1\nSaveFileName=x.txt\n"
              "ExtendTime=5\nDoClipBool=1\nHistoryBool=1\nPasteBool=1\nShortCut=Ctrl+Q\nClipbordTime=100\n"
              "LogCode=ShiftJis\nQuoteShortCut=\n");
    EXPECT_EQ(Kavetoctl("settings").status, 2);
    EXPECT_EQ(Kavetoctl("nonsense").status, 2);
}

}  // namespace
}  // namespace kaveto
