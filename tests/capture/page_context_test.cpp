#include "capture/page_context.h"

#include <gtest/gtest.h>

#include "capture/page_title.h"
#include "tests/capture/capture_fakes.h"

namespace kaveto {
namespace {

using testing::CaptureRig;

struct WalkCase {
    const char* name;
    std::vector<std::pair<std::string, std::string>> edits;  // class, text; each a child of the last
    bool nested;
    std::string expected;
};

TEST(FindPageAddress, TakesTheFirstEditHoldingAWebOrFileAddress) {
    const std::string long_address = "http://example.com/" + std::string(300, 'a');
    const WalkCase cases[] = {
        {"plain Edit", {{"Edit", "http://a/"}}, false, "http://a/"},
        {"https counts", {{"Edit", "https://a/"}}, false, "https://a/"},
        {"class in capitals", {{"EDIT", "http://b/"}}, false, "http://b/"},
        {"class in small letters", {{"edit", "http://c/"}}, false, "http://c/"},
        {"rich edit skipped", {{"RichEdit20A", "http://x/"}, {"Edit", "http://d/"}}, false, "http://d/"},
        {"longer class skipped", {{"Edit2", "http://x/"}, {"Edits", "http://y/"}}, false, "previous"},
        {"address in capitals not one", {{"Edit", "HTTP://x/"}}, false, "previous"},
        {"file address in capitals not one", {{"Edit", "FILE:///C:/x.htm"}}, false, "previous"},
        {"file address", {{"Edit", "file:///C:/x.htm"}}, false, "file:///C:/x.htm"},
        {"two slashes not a file address", {{"Edit", "file://server/x.htm"}}, false, "previous"},
        {"search text skipped", {{"Edit", "kaveto"}, {"Edit", "http://e/"}}, false, "http://e/"},
        {"first hit wins", {{"Edit", "http://first/"}, {"Edit", "http://second/"}}, false, "http://first/"},
        {"parent before child", {{"Edit", "http://outer/"}, {"Edit", "http://inner/"}}, true, "http://outer/"},
        {"nested found", {{"Static", ""}, {"Edit", "http://deep/"}}, true, "http://deep/"},
        {"cut to 255", {{"Edit", long_address}}, false, long_address.substr(0, 255)},
        {"no children", {}, false, "previous"},
    };
    for (const WalkCase& c : cases) {
        SCOPED_TRACE(c.name);
        CaptureRig rig;
        rig.state.last_found_url = FromShiftJis("previous");
        rig.windows.Add(0, 100, "Frame");
        WindowHandle parent = 100, next = 101;
        for (const auto& [class_name, text] : c.edits) {
            rig.windows.Add(parent, next, class_name, text);
            if (c.nested) parent = next;
            ++next;
        }
        FindPageAddress(rig.context, 100);
        EXPECT_EQ(rig.state.last_found_url.shift_jis, c.expected);
        for (int limit : rig.windows.text_limits) EXPECT_EQ(limit, 256);
    }
}

TEST(FindPageAddress, PassesOverAWindowWhoseClassCannotBeReadOrThatDoesNotAnswer) {
    CaptureRig rig;
    rig.windows.Add(0, 100, "Frame");
    rig.windows.Add(100, 101, "Edit", "http://hidden/");
    rig.windows.windows[101].class_fails = true;
    rig.windows.Add(100, 102, "Edit", "http://hung/");
    rig.windows.windows[102].silent = true;
    rig.windows.Add(100, 103, "Edit", "http://shown/");
    FindPageAddress(rig.context, 100);
    EXPECT_EQ(rig.state.last_found_url.shift_jis, "http://shown/");

    CaptureRig hung;
    hung.state.last_found_url = FromShiftJis("http://before/");
    hung.windows.Add(0, 100, "Frame");
    hung.windows.Add(100, 101, "Edit", "http://hung/");
    hung.windows.windows[101].silent = true;
    hung.accessibility.pages[100].has_document = true;
    hung.accessibility.pages[100].document_value = u"http://tree/";
    FindPageAddress(hung.context, 100);
    EXPECT_EQ(hung.state.last_found_url.shift_jis, "http://before/")
        << "a silent window keeps the address found before";
    EXPECT_TRUE(hung.accessibility.asked.empty()) << "a browser that did not answer is not asked again";
}

TEST(CapturePageContext, KeepsTheLastAddressWhenTheWindowShowsNone) {
    CaptureRig rig;
    rig.Browser(100, "http://kept/", "<title>Kept</title>", "C:\\cache\\kept.htm");
    rig.windows.Add(0, 200, "Notepad");
    rig.windows.Add(200, 201, "Edit", "just some text");

    CapturePageContext(rig.context, 100);
    EXPECT_EQ(rig.state.record.page_url.shift_jis, "http://kept/");
    EXPECT_EQ(rig.state.record.title_txt.shift_jis, "Kept");

    rig.state.record.Clear();
    CapturePageContext(rig.context, 200);
    EXPECT_EQ(rig.state.record.page_url.shift_jis, "http://kept/");
    EXPECT_EQ(rig.state.record.title_txt.shift_jis, "Kept") << "the title is looked up for the kept address";

    CaptureRig fresh;
    fresh.windows.Add(0, 200, "Notepad");
    CapturePageContext(fresh.context, 200);
    EXPECT_EQ(fresh.state.record.page_url.shift_jis, "");
    EXPECT_EQ(fresh.state.record.title_txt.shift_jis, "");
}

TEST(FileUrlToPath, DecodesOnlyTheSpaceEscape) {
    struct Case {
        std::string in, out;
        bool converted;
    } cases[] = {
        {"file:///C:/My%20Pages/a%2Bb.html", "C:\\My Pages\\a%2Bb.html", true},
        {"FILE:///C:/a.htm", "C:\\a.htm", true},
        {"File:///C:/x%20%20y/", "C:\\x  y\\", true},
        {"file://server/share/a.html", "file://server/share/a.html", false},
        {"file:/", "file:/", false},
        {"", "", false},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.in);
        std::string text = c.in;
        EXPECT_EQ(FileUrlToPath(text), c.converted);
        EXPECT_EQ(text, c.out);
    }
}

TEST(UrlToLocalFile, AsksTheCacheOnlyForAddressesThatAreNoFiles) {
    testing::FakeUrlCache cache;
    cache.entries.push_back({"http://a/", "C:\\cache\\a.htm"});
    EXPECT_EQ(UrlToLocalFile("file://server/share/a.html", cache), "file://server/share/a.html");
    EXPECT_EQ(UrlToLocalFile("http://x/?u=file:///C:/a.htm", cache), "http://x/?u=file:///C:/a.htm")
        << "file:/ anywhere in the address keeps the cache out";
    EXPECT_EQ(UrlToLocalFile("file:///C:/My%20Pages/a.html", cache), "C:\\My Pages\\a.html");
    EXPECT_TRUE(cache.retrieved.empty());
    EXPECT_EQ(UrlToLocalFile("http://a/", cache), "C:\\cache\\a.htm");
    EXPECT_EQ(UrlToLocalFile("http://b/", cache), "");
    EXPECT_EQ(cache.retrieved, (std::vector<std::string>{"http://a/", "http://b/"}));
}

TEST(PageTitleFromContent, ReadsTheTitleElementOnOneLine) {
    struct Case {
        const char* name;
        std::string page, title;
    } cases[] = {
        {"plain", "<html><head><title>Hello</title></head>", "Hello"},
        {"tags in capitals", "<HTML><TITLE>Shout</TITLE>", "Shout"},
        {"tags in mixed case", "<Title>Mixed</tItLe>", "Mixed"},
        {"two titles greedy", "<title>One</title> and <title>Two</title>", "One</title> and <title>Two"},
        {"empty title", "<title></title>", ""},
        {"no title", "<html><body>text</body></html>", ""},
        {"on a later line", "<html>\r<head>\n<title>Later</title>\r\n</head>", "Later"},
        {"zero byte ends the page", std::string("<p>\0<title>Hidden</title>", 26), ""},
        {"title before a zero byte", std::string("<title>Seen</title>\0junk", 24), "Seen"},
        {"Shift_JIS title", "<title>\x93\xfa\x96\x7b</title>", "\x93\xfa\x96\x7b"},
        {"empty page", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(PageTitleFromContent(c.page), c.title);
    }
}

TEST(PageTitleFromContent, ReadsTheTitleAsTheReaderSeesIt) {
    struct Case {
        const char* name;
        std::string page, title;
    } cases[] = {
        {"references", "<title>Tom &amp; Jerry &quot;1&quot; &#39;2&#x27; &lt;3&gt;</title>", "Tom & Jerry \"1\" '2' <3>"},
        {"no-break spaces", "<title>a&nbsp;|&#160;b</title>", "a | b"},
        {"malformed reference", "<title>AT&T &amp &foo; &#xZ;</title>", "AT&T &amp &foo; &#xZ;"},
        {"reference outside Shift_JIS", "<title>Caf&eacute; &#8211; Menu &#x1F600;</title>", "Caf? ? Menu ?"},
        {"reference inside Shift_JIS", "<title>&#x301C;&times;</title>", "\x81\x60\x81\x7e"},
        {"one line, trimmed", "<title>  Hello \t World  </title>", "Hello World"},
        {"one line as before", "<title>One</title> and <title>Two</title>", "One</title> and <title>Two"},
        {"over three lines", "<head>\n<title>\n    First\n    Second &amp; third\n</title>\n</head>",
         "First Second & third"},
        {"broken at a lone CR", "<title>First\rSecond</title>", "First Second"},
        {"broken at CR LF", "<title>First\r\nSecond</title>", "First Second"},
        {"start tag with attributes", "<title data-rh=\"true\">Hello &amp; welcome</title>", "Hello & welcome"},
        {"attributes and lines", "<TITLE lang=\"ja\"\n>\n\x93\xfa\x96\x7b\n</TITLE>", "\x93\xfa\x96\x7b"},
        {"a one-line title wins over an earlier multi-line one", "<title>\nFirst\n</title>\n<title>Second</title>",
         "Second"},
        {"no end tag", "<title>\nForever\n<body>text</body>", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(PageTitleFromContent(c.page), c.title);
    }
}

TEST(PageTitleFromContent, DoesNotLookForATitleFarIntoThePage) {
    const std::string head = "<html>\n<head>\n";
    const std::string script = "<script>\n" + std::string(kTitleSearchLimit, 'x') + "\n</script>\n";
    EXPECT_EQ(PageTitleFromContent(head + script + "<title\n>Far</title>\n"), "")
        << "the only title element starts past the search limit";
    EXPECT_EQ(PageTitleFromContent(head + "<title>\n" + std::string(kTitleStretch, 'a') + "\n</title>\n"), "")
        << "the only title element ends past its stretch";
    EXPECT_EQ(PageTitleFromContent(head + script + "<title>Far</title>\n"), "Far")
        << "the one-line pattern has no bound";
}

TEST(PageTitleFromContent, GivesTheTitleOfAnEucJpOrJisPageInShiftJis) {
    // "日本" in EUC-JP and in JIS (ESC $ B ... ESC ( B); Shift_JIS 93FA 967B.
    EXPECT_EQ(PageTitleFromContent("<html><title>\xc6\xfc\xcb\xdc</title>\n<body>\xc6\xfc\xcb\xdc\xa4\xce</body>"),
              "\x93\xfa\x96\x7b");
    EXPECT_EQ(PageTitleFromContent("<title>\x1b$BF|K\\\x1b(B</title>\n"), "\x93\xfa\x96\x7b");
    // References are decoded after the conversion, over lines too.
    EXPECT_EQ(PageTitleFromContent("<title>\r\n\xc6\xfc\xcb\xdc &amp;\r\n\xc6\xfc\xcb\xdc</title>\n<p>\xa4\xce</p>"),
              "\x93\xfa\x96\x7b & \x93\xfa\x96\x7b");
}

std::string U8(std::u8string_view text) { return std::string(text.begin(), text.end()); }

TEST(PageTitleFromContent, GivesTheTitleOfAUtf8OrDeclaredPageInShiftJis) {
    // "ＥＵＣのページ ｶﾞｲﾄﾞ" in EUC-JP: every byte is one Shift_JIS allows too.
    const std::string euc =
        "\xA3\xC5\xA3\xD5\xA3\xC3\xA4\xCE\xA5\xDA\xA1\xBC\xA5\xB8 \x8E\xB6\x8E\xDE\x8E\xB2\x8E\xC4\x8E\xDE";
    struct Case {
        const char* name;
        std::string page, title;
    } cases[] = {
        {"UTF-8 on one line", U8(u8"<html><head><title>日本語\u301C Caf\u00E9 \U0001F600</title></head>\n"),
         "日本語\x81\x60 Caf? ?"},
        {"UTF-8 over lines with a reference",
         U8(u8"<!doctype html>\n<title data-rh=\"true\">\n  日本 &amp;\n  ｶﾞｲﾄﾞ\n</title>\n<p>本文</p>"),
         "日本 & ｶﾞｲﾄﾞ"},
        {"UTF-8 after a byte order mark", "\xEF\xBB\xBF" + U8(u8"<title>見出し</title>\r\n"), "見出し"},
        {"declared UTF-8 with a byte that is not",
         "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\">\n<title>A\x93\xFA</title>", "A??"},
        {"UTF-8 up to the first zero byte", U8(u8"<title>日本</title>\n") + std::string(1, '\0') + "\x82\xA0",
         "日本"},
        {"undecided, declared EUC-JP", "<meta charset=\"EUC-JP\">\n<title>" + euc + "</title>\n",
         "ＥＵＣのページ ｶﾞｲﾄﾞ"},
        {"undecided, declared x-euc-jp in Content-Type",
         "<META HTTP-EQUIV=Content-Type CONTENT=\"text/html; charset=x-euc-jp\">\n<TITLE>" + euc + "</TITLE>\n",
         "ＥＵＣのページ ｶﾞｲﾄﾞ"},
        {"undecided, declaring nothing: as it always was", "<title>" + euc + "</title>\n", euc},
        {"undecided, declared Shift_JIS", "<meta charset=sjis>\n<title>" + euc + "</title>\n", euc},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(PageTitleFromContent(c.page), c.title);
    }
}

TEST(LookUpPageTitle, ReadsTheLocalCopyWhenThereIsOne) {
    CaptureRig rig;
    rig.cache.entries.push_back({"http://a/", "C:\\cache\\a.htm"});
    rig.files.contents["C:\\cache\\a.htm"] = "<title>Cached</title>";
    rig.files.contents["C:\\pages\\b c.htm"] = "<title>Local</title>";

    rig.state.last_found_url = FromShiftJis("http://a/");
    LookUpPageTitle(rig.context);
    EXPECT_EQ(rig.state.record.title_txt.shift_jis, "Cached");

    rig.state.last_found_url = FromShiftJis("file:///C:/pages/b%20c.htm");
    LookUpPageTitle(rig.context);
    EXPECT_EQ(rig.state.record.title_txt.shift_jis, "Local");

    for (const char* address : {"http://uncached/", "file:///C:/missing.htm", "file://server/share/a.html", ""}) {
        SCOPED_TRACE(address);
        rig.state.record.title_txt = FromShiftJis("untouched");
        rig.state.last_found_url = FromShiftJis(address);
        LookUpPageTitle(rig.context);
        EXPECT_EQ(rig.state.record.title_txt.shift_jis, "untouched");
    }
}

TEST(LookUpPageTitle, DoesNotReadAFileTooLargeToBeAPage) {
    CaptureRig rig;
    rig.cache.entries.push_back({"http://huge/", "C:\\cache\\huge.bin"});
    rig.cache.entries.push_back({"http://edge/", "C:\\cache\\edge.htm"});
    rig.files.sizes["C:\\cache\\huge.bin"] = kMaxPageFileSize + 1;
    rig.files.contents["C:\\cache\\edge.htm"] = "<title>Edge</title>";
    rig.files.sizes["C:\\cache\\edge.htm"] = kMaxPageFileSize;

    rig.state.last_found_url = FromShiftJis("http://huge/");
    LookUpPageTitle(rig.context);
    EXPECT_EQ(rig.state.record.title_txt.shift_jis, "");
    EXPECT_TRUE(rig.files.reads.empty());

    rig.state.last_found_url = FromShiftJis("http://edge/");
    LookUpPageTitle(rig.context);
    EXPECT_EQ(rig.state.record.title_txt.shift_jis, "Edge");
}

TEST(Image1DblClick, QuotesTheTargetWindowAndGivesItTheFocusBack) {
    CaptureRig rig;
    rig.Browser(100, "http://target/", "<title>Target</title>", "C:\\cache\\t.htm");
    rig.Browser(200, "http://front/", "<title>Front</title>", "C:\\cache\\f.htm");
    rig.windows.foreground = 200;
    rig.state.target_window = 100;
    rig.state.record.click_url = FromShiftJis("old");
    rig.state.record.sel_txt = FromShiftJis("old");

    Image1DblClick(rig.context);

    ASSERT_EQ(rig.composed.size(), 1u);
    const CaptureRecord& r = rig.composed[0];
    EXPECT_EQ(r.page_url.shift_jis, "http://target/");
    EXPECT_EQ(r.title_txt.shift_jis, "Target");
    EXPECT_EQ(r.click_url.shift_jis + r.url_txt.shift_jis + r.src.shift_jis + r.sel_txt.shift_jis, "");
    EXPECT_EQ(rig.windows.log, (std::vector<std::string>{"compose", "force 100"}));
}

TEST(Image1DblClick, SearchesTheTopLevelWindowsBeforeAnyTargetIsKnown) {
    CaptureRig rig;
    rig.Browser(100, "http://top/");
    Image1DblClick(rig.context);
    EXPECT_EQ(rig.windows.searched, (std::vector<WindowHandle>{0}));
    EXPECT_EQ(rig.state.record.page_url.shift_jis, "http://top/");
    EXPECT_EQ(rig.windows.log, (std::vector<std::string>{"compose", "force 0"}));
}

TEST(Image1DblClick, AnUnreadablePageStopsTheCaptureBeforeTheSnippet) {
    CaptureRig rig;
    rig.Browser(100, "http://locked/", "<title>x</title>", "C:\\cache\\locked.htm");
    rig.state.target_window = 100;
    rig.files.read_error = 32;
    EXPECT_THROW(Image1DblClick(rig.context), FileError);
    EXPECT_TRUE(rig.composed.empty());
    EXPECT_TRUE(rig.windows.log.empty()) << "the window is not brought forward";
    EXPECT_EQ(rig.state.record.page_url.shift_jis, "http://locked/");
}

}  // namespace
}  // namespace kaveto
