#include "capture/browser_page.h"

#include <gtest/gtest.h>

#include "capture/page_context.h"
#include "tests/capture/capture_fakes.h"

namespace kaveto {
namespace {

using testing::CaptureRig;

TEST(AddressFromAccessiblePage, TakesTheDocumentsAddressElseAnAddressBarValue) {
    struct Case {
        const char* name;
        std::u16string document;  // empty: no document
        std::vector<std::u16string> bars;
        std::u16string expected;
    } cases[] = {
        {"document address", u"https://example.jp/a", {u"example.jp/a"}, u"https://example.jp/a"},
        {"file document", u"file:///C:/pages/a.html", {}, u"file:///C:/pages/a.html"},
        {"blank document, bar without scheme", u"about:blank", {u"example.jp/typed"}, u"https://example.jp/typed"},
        {"bar with its scheme", u"", {u"http://example.jp/"}, u"http://example.jp/"},
        {"local host with a port", u"", {u"localhost:8080/x"}, u"https://localhost:8080/x"},
        {"numeric host", u"", {u"192.168.0.1/admin"}, u"https://192.168.0.1/admin"},
        {"host in Japanese", u"", {u"\u4f8b\u3048.jp/\u30da\u30fc\u30b8"}, u"https://\u4f8b\u3048.jp/\u30da\u30fc\u30b8"},
        {"search words are no address", u"", {u"kaveto download"}, u""},
        {"ideographic space too", u"", {u"\u691c\u7d22\u3000\u8a9e"}, u""},
        {"browser page", u"", {u"chrome://settings"}, u""},
        {"a mail address", u"", {u"someone@example.jp"}, u""},
        {"a word without a dot", u"", {u"intranet"}, u""},
        {"a dot at the edge", u"", {u".jp"}, u""},
        {"a port that is no number", u"", {u"example.jp:abc/"}, u""},
        {"first address among the texts", u"", {u"find on page", u"example.jp/b"}, u"https://example.jp/b"},
        {"nothing at all", u"", {}, u""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AccessiblePage page;
        page.has_document = !c.document.empty();
        page.document_value = c.document;
        page.editable_values = c.bars;
        EXPECT_EQ(AddressFromAccessiblePage(page), c.expected);
    }
}

TEST(TitleFromCaption, RemovesTheBrowsersNameOnlyFromABrowsersWindow) {
    struct Case {
        const char* window_class;
        std::u16string caption, expected;
    } cases[] = {
        {"Chrome_WidgetWin_1", u"\u65e5\u672c\u8a9e\u301c - Google Chrome", u"\u65e5\u672c\u8a9e\u301c"},
        {"Chrome_WidgetWin_1", u"A - B - Google Chrome", u"A - B"},
        {"Chrome_WidgetWin_1", u"News - Personal - Microsoft\u200B Edge", u"News"},
        {"Chrome_WidgetWin_1", u"A - B - Work - Microsoft Edge", u"A - B"},
        {"Chrome_WidgetWin_1", u"Page - Brave", u"Page"},
        {"Chrome_WidgetWin_1", u"Google Chrome", u""},
        {"Chrome_WidgetWin_1", u"Page \u2014 Mozilla Firefox", u""},
        {"Chrome_WidgetWin_1", u"Untitled - Notepad", u""},
        {"MozillaWindowClass", u"Caf\u00e9 \U0001F600 \u2014 Mozilla Firefox", u"Caf\u00e9 \U0001F600"},
        {"MozillaWindowClass", u"Page - Mozilla Firefox", u"Page"},
        {"MozillaWindowClass", u"Page \u2014 Mozilla Firefox Private Browsing", u"Page"},
        {"MozillaWindowClass", u"Page - Google Chrome", u""},
        {"Notepad", u"Page - Google Chrome", u""},
        {"chrome_widgetwin_1", u"Page - Google Chrome", u""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.window_class);
        EXPECT_EQ(TitleFromCaption(c.window_class, c.caption), c.expected);
    }
}

// A browser window without an "Edit" address bar, class Chrome_WidgetWin_1.
struct ChromeRig : CaptureRig {
    static constexpr WindowHandle kChrome = 300;
    ChromeRig(const std::u16string& caption, AccessiblePage tree) {
        windows.Add(0, kChrome, "Chrome_WidgetWin_1");
        windows.Add(kChrome, kChrome + 1, "Chrome_RenderWidgetHostHWND");
        windows.windows[kChrome].caption = caption;
        accessibility.pages[kChrome] = std::move(tree);
    }
};

AccessiblePage Tree(std::u16string document_value, std::u16string document_name,
                    std::vector<std::u16string> bars = {}) {
    AccessiblePage page;
    page.has_document = !document_value.empty();
    page.document_value = std::move(document_value);
    page.document_name = std::move(document_name);
    page.editable_values = std::move(bars);
    return page;
}

TEST(CapturePageContext, ABrowserWithoutAnAddressBarTellsItsPageThroughItsTree) {
    // "日本語〜ページ": the wave dash is 81 60 in Shift_JIS.
    ChromeRig rig(u"ignored - Google Chrome", Tree(u"https://example.jp/\u30da\u30fc\u30b8",
                                                  u"\u65e5\u672c\u8a9e\u301c\u30da\u30fc\u30b8"));
    CapturePageContext(rig.context, ChromeRig::kChrome);
    EXPECT_EQ(rig.state.record.page_url.shift_jis, "https://example.jp/\x83\x79\x81\x5b\x83\x57");
    EXPECT_EQ(rig.state.last_found_url.shift_jis, rig.state.record.page_url.shift_jis);
    EXPECT_EQ(rig.state.record.title_txt.shift_jis, "\x93\xfa\x96\x7b\x8c\xea\x81\x60\x83\x79\x81\x5b\x83\x57");
}

TEST(CapturePageContext, WithoutADocumentTheAddressBarAndTheCaptionStandIn) {
    ChromeRig rig(u"Caf\u00e9 - Google Chrome", Tree(u"", u"", {u"example.jp/cafe"}));
    CapturePageContext(rig.context, ChromeRig::kChrome);
    EXPECT_EQ(rig.state.record.page_url.shift_jis, "https://example.jp/cafe");
    EXPECT_EQ(rig.state.record.title_txt.shift_jis, "Caf?") << "a character Shift_JIS lacks is one ?";
}

TEST(CapturePageContext, ThePagesOwnCopyComesBeforeWhatTheWindowShows) {
    ChromeRig rig(u"Caption - Google Chrome", Tree(u"http://example.jp/cached", u"Document name"));
    rig.cache.entries.push_back({"http://example.jp/cached", "C:\\cache\\c.htm"});
    rig.files.contents["C:\\cache\\c.htm"] = "<title>From the copy</title>";
    CapturePageContext(rig.context, ChromeRig::kChrome);
    EXPECT_EQ(rig.state.record.title_txt.shift_jis, "From the copy");
}

TEST(CapturePageContext, TheEditRoadStaysFirstAndAKeptAddressTakesNoTitleFromTheWindow) {
    CaptureRig edit;
    edit.Browser(100, "http://edit/");
    edit.accessibility.pages[100] = Tree(u"https://tree/", u"Tree");
    CapturePageContext(edit.context, 100);
    EXPECT_EQ(edit.state.record.page_url.shift_jis, "http://edit/");
    EXPECT_TRUE(edit.accessibility.asked.empty()) << "the tree is not asked when the address bar answered";

    ChromeRig kept(u"Other page - Google Chrome", Tree(u"about:blank", u"New Tab"));
    kept.state.last_found_url = FromShiftJis("http://earlier/");
    CapturePageContext(kept.context, ChromeRig::kChrome);
    EXPECT_EQ(kept.state.record.page_url.shift_jis, "http://earlier/");
    EXPECT_EQ(kept.state.record.title_txt.shift_jis, "") << "the window's title belongs to another page";

    CaptureRig plain;
    plain.windows.Add(0, 400, "Notepad");
    plain.windows.windows[400].caption = u"Page - Google Chrome";
    plain.accessibility.pages[400] = Tree(u"", u"", {u"example.jp/x"});
    CapturePageContext(plain.context, 400);
    EXPECT_EQ(plain.state.record.page_url.shift_jis, "https://example.jp/x");
    EXPECT_EQ(plain.state.record.title_txt.shift_jis, "")
        << "no caption is taken from a window that is not a browser's";
}

}  // namespace
}  // namespace kaveto
