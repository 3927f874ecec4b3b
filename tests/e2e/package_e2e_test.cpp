// The release zip as a user unpacks it: the program starts from a copy of
// the unpacked folder, quotes pages with the templates it ships with, and
// writes its settings beside itself when it is ended from its menu.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e_support.h"
#include "tools/drive/console_run.h"

namespace kaveto::e2e {
namespace {

constexpr POINT kPicture = {212, 162};

TEST(Package, TheUnpackedProgramQuotesPagesAndWritesItsSettingsBesideItself) {
    OleThread ole;
    CachedPages pages;
    KavetoFolder folder(KAVETO_PACKAGE_DIR);
    ASSERT_EQ(::GetFileAttributesA(folder.ini().c_str()), INVALID_FILE_ATTRIBUTES) << "the zip holds no settings";
    folder.WriteIni("[Window]\r\nTop=150\r\nLeft=200\r\n");
    RunningProgram program(folder.exe());
    HWND window = program.WaitForMainWindow();
    ASSERT_NE(window, nullptr);

    const std::string url = pages.NewAddress("shipped.html");
    ASSERT_NE(pages.Commit(url, PageHtml("Shipped page")), "");
    StandInBrowser browser(url);
    EXPECT_EQ(DoubleClickFrom(browser, kPicture), "Shipped page\r\n" + url + "\r\n");
    EXPECT_TRUE(WaitUntil([&] { return ::GetForegroundWindow() == browser.window(); }));

    const std::string link = "http://kaveto.test/e2e/package-link.html";
    EXPECT_EQ(DropFrom(browser, [&] { return DragLinkTo(link, "Package link", kPicture); }),
              "Package link\r\n" + link + "\r\n");

    // A right click opens the menu; its exit item ends the program.
    ::DeleteFileA(folder.ini().c_str());
    RightClickAt(kPicture);
    ASSERT_TRUE(program.WaitForMenu()) << "no menu after the right click";
    Tap('Z');
    ASSERT_TRUE(program.WaitForExit());
    EXPECT_EQ(program.ExitCode(), 0u);
    const std::vector<std::string> lines = IniLines(folder.ReadIni());
    ASSERT_GE(lines.size(), 2u) << "no kaveto.ini beside the program";
    EXPECT_EQ(lines.front(), "Window/Top=150");
    EXPECT_EQ(lines[1], "Window/Left=200");
}

// What a user runs after editing the unpacked folder finds nothing wrong
// with the folder as it comes.
TEST(Package, TheUnpackedFolderPassesItsOwnCheck) {
    const std::string folder = drive::WindowsPath(KAVETO_PACKAGE_DIR);
    const drive::ConsoleRun run = drive::RunConsole(folder + "\\kavetoctl.exe", "check");
    ASSERT_TRUE(run.exited) << "not started (error " << run.start_error << ") or not ended";
    EXPECT_EQ(run.exit_code, 0u) << run.out << run.err;
    EXPECT_EQ(run.out, "No problems found in " + folder + "\\\n");
}

}  // namespace
}  // namespace kaveto::e2e
