// Pages quoted from a stand-in browser by the real program: a double-click
// on the picture, and selected text, links and cached files dragged onto it.
// The snippets come from the default templates.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "e2e_support.h"
#include "tests/platform/temp_folder.h"

namespace kaveto::e2e {
namespace {

// "日本語のページ" in Shift_JIS, EUC-JP and ISO-2022-JP.
const std::string kTitleSjis = "\x93\xfa\x96\x7b\x8c\xea\x82\xcc\x83\x79\x81\x5b\x83\x57";
const std::string kTitleEuc = "\xc6\xfc\xcb\xdc\xb8\xec\xa4\xce\xa5\xda\xa1\xbc\xa5\xb8";
const std::string kTitleJis = "\x1b\x24\x42\x46\x7c\x4b\x5c\x38\x6c\x24\x4e\x25\x5a\x21\x3c\x25\x38\x1b\x28\x42";
// The corner brackets the first template puts around the selection.
const std::string kOpen = "\x81\x75", kClose = "\x81\x76";

class CaptureTest : public ProgramCase {
protected:
    // A browser showing a cached page with the title; returns its address.
    std::string CachedPage(const std::string& title) {
        const std::string url = pages.NewAddress("page.html");
        EXPECT_NE(pages.Commit(url, PageHtml(title)), "") << "the cache took no entry";
        return url;
    }

    CachedPages pages;
    testing::TempFolder temp;
};

TEST_F(CaptureTest, ADoubleClickQuotesTheBrowsersPageWithItsTitleInShiftJisAndBringsTheBrowserBack) {
    struct Row {
        const char* name;
        std::string stored_title, quoted_title;
    } rows[] = {
        {"Shift_JIS", kTitleSjis, kTitleSjis},
        {"EUC-JP", kTitleEuc, kTitleSjis},
        {"JIS", kTitleJis, kTitleSjis},
        {"ASCII", "Plain page", "Plain page"},
    };
    StandInBrowser browser("about:blank");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string url = CachedPage(row.stored_title);
        ASSERT_TRUE(browser.ShowAddress(url));
        EXPECT_EQ(DoubleClickFrom(browser, kPicture), row.quoted_title + "\r\n" + url + "\r\n");
        EXPECT_TRUE(WaitUntil([&] { return ::GetForegroundWindow() == browser.window(); }))
            << "the browser is not back in front";
        EXPECT_EQ(RectOf(window).left, 100) << "a double-click moves nothing";
    }
}

TEST_F(CaptureTest, AFirstDoubleClickQuotesATitleWrittenOverLinesAsTheBrowserShowsIt) {
    const std::string url = pages.NewAddress("lines.html");
    const std::string page = "<html>\r\n<head>\r\n<title data-rh=\"true\">\r\n    " + kTitleEuc +
                             "\r\n    &amp; Kaveto\r\n</title>\r\n</head>\r\n<body>text</body>\r\n</html>\r\n";
    ASSERT_NE(pages.Commit(url, page), "") << "the cache took no entry";
    StandInBrowser browser(url);
    EXPECT_EQ(DoubleClickFrom(browser, kPicture), kTitleSjis + " & Kaveto\r\n" + url + "\r\n");
}

TEST_F(CaptureTest, ADoubleClickOnAPageInNoCacheEntryGivesAnEmptyTitle) {
    const std::string url = pages.NewAddress("never-cached.html");
    StandInBrowser browser(url);
    EXPECT_EQ(DoubleClickFrom(browser, kPicture), "\r\n" + url + "\r\n");
}

TEST_F(CaptureTest, AFilePageIsReadFromItsPath) {
    const std::string path = temp.File("page.html");
    testing::WriteFileBytes(path, PageHtml(kTitleEuc));
    std::string url = "file:///" + path;
    for (char& c : url)
        if (c == '\\') c = '/';
    StandInBrowser browser(url);
    EXPECT_EQ(DoubleClickFrom(browser, kPicture), kTitleSjis + "\r\n" + url + "\r\n");
}

TEST_F(CaptureTest, DraggedSelectionLinkAndCachedFileGiveTheirSnippets) {
    const std::string page = CachedPage(kTitleJis);
    StandInBrowser browser(page);

    {
        SCOPED_TRACE("selected text");
        const std::string selection = "\x8e\x9f\x82\xcc text";  // "次の text"
        EXPECT_EQ(DropFrom(browser, [&] { return DragTextTo(selection, kPicture); }),
                  kOpen + selection + kClose + "\r\n" + kTitleSjis + "\r\n" + page + "\r\n");
    }
    {
        SCOPED_TRACE("link with its descriptor");
        const std::string link = "http://kaveto.test/e2e/linked.html";
        EXPECT_EQ(DropFrom(browser, [&] { return DragLinkTo(link, "Linked page", kPicture); }),
                  "Linked page\r\n" + link + "\r\n");
    }
    {
        SCOPED_TRACE("cached file");
        const std::string picture_url = pages.NewAddress("picture.gif");
        const std::string local = pages.Commit(picture_url, "GIF89a", "gif");
        ASSERT_NE(local, "");
        EXPECT_EQ(DropFrom(browser, [&] { return DragFileTo(local, kPicture); }),
                  picture_url + "\r\n" + kTitleSjis + "\r\n" + page + "\r\n");
    }
    EXPECT_TRUE(program->Running());
}

TEST_F(CaptureTest, ALinkWithoutItsDescriptorIsReportedAndALaterDropStillWorks) {
    StandInBrowser browser(CachedPage("Page"));
    ASSERT_TRUE(browser.BringToFront());
    const DWORD before = ClipboardSequence();
    EXPECT_EQ(DragTextTo("http://kaveto.test/e2e/no-descriptor.html", kPicture), DRAGDROP_S_DROP);
    HWND box = program->WaitForWindow(kDialogClass);
    ASSERT_NE(box, nullptr) << "no error box";
    EXPECT_EQ(TextOf(box), "Kaveto");
    ::PostMessageA(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(box); }));
    // The box is shown after the drop has been handled, so by now anything
    // the drop delivered would be on the clipboard.
    EXPECT_EQ(ClipboardSequence(), before) << "a failed drop delivers nothing";
    EXPECT_TRUE(program->Running());

    const std::string link = "http://kaveto.test/e2e/after.html";
    EXPECT_EQ(DropFrom(browser, [&] { return DragLinkTo(link, "After", kPicture); }), "After\r\n" + link + "\r\n");
}

}  // namespace
}  // namespace kaveto::e2e
