// Pages quoted by the real program from stand-ins of today's browsers, whose
// address bars are no "Edit" windows: the page told by the accessibility
// tree, by the caption and by the drag itself. The snippets come from the
// default templates.
#include <gtest/gtest.h>

#include <string>

#include "e2e_support.h"
#include "tools/drive/browser_drag.h"

namespace kaveto::e2e {
namespace {

// "日本語〜ページ": the WAVE DASH is 81 60 in Shift_JIS.
const std::wstring kTitle = L"\u65e5\u672c\u8a9e\u301c\u30da\u30fc\u30b8";
const std::string kTitleSjis = "\x93\xfa\x96\x7b\x8c\xea\x81\x60\x83\x79\x81\x5b\x83\x57";
// "次の〜 text"
const std::wstring kSelection = L"\u6b21\u306e\u301c text";
const std::string kSelectionSjis = "\x8e\x9f\x82\xcc\x81\x60 text";
// The corner brackets the first template puts around the selection.
const std::string kOpen = "\x81\x75", kClose = "\x81\x76";
// How long a double-click may take when the browser's tree is huge or does
// not answer: the walk's bound and a little for the rest.
constexpr DWORD kCaptureMs = 1000;

struct Kind {
    const char* name;
    BrowserKind kind;
};
constexpr Kind kKinds[] = {{"Chromium", BrowserKind::kChromium}, {"Firefox", BrowserKind::kFirefox}};

std::string PageOf(const char* kind, const char* tail) { return std::string("https://example.jp/") + kind + "/" + tail; }

using TodaysBrowser = ProgramCase;

TEST_F(TodaysBrowser, ADoubleClickQuotesTheAddressAndTheJapaneseTitleTheBrowserTells) {
    for (const Kind& kind : kKinds) {
        SCOPED_TRACE(kind.name);
        const std::string page = PageOf(kind.name, "news?id=1");
        StandInBrowser browser({page, kTitle}, {kind.kind});
        EXPECT_EQ(DoubleClickFrom(browser, kPicture), kTitleSjis + "\r\n" + page + "\r\n");
        EXPECT_TRUE(WaitUntil([&] { return ::GetForegroundWindow() == browser.window(); }))
            << "the browser is not back in front";
    }
}

// The tree's page comes first; a browser whose tree tells nothing is quoted
// with the page its drag names, titled by its caption.
TEST_F(TodaysBrowser, ASelectionDropCarriesThePageFromTheTreeElseFromTheDrag) {
    const std::string frame = "https://frame.example.jp/inner.html";
    struct Row {
        const char* name;
        BrowserKind kind;
        TreeAnswer tree;
        std::string shown, dragged, quoted;
    } rows[] = {
        {"Chromium, its tree", BrowserKind::kChromium, TreeAnswer::kPage, PageOf("c", "tree"), frame,
         PageOf("c", "tree")},
        {"Firefox, its tree", BrowserKind::kFirefox, TreeAnswer::kPage, PageOf("f", "tree"), frame,
         PageOf("f", "tree")},
        {"Chromium, no tree: SourceURL", BrowserKind::kChromium, TreeAnswer::kNone, PageOf("c", "shown"),
         PageOf("c", "source"), PageOf("c", "source")},
        {"Firefox, no tree: SourceURL", BrowserKind::kFirefox, TreeAnswer::kNone, PageOf("f", "shown"),
         PageOf("f", "source"), PageOf("f", "source")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        StandInBrowser browser({row.shown, kTitle}, {row.kind, row.tree});
        EXPECT_EQ(DropFrom(browser,
                           [&] { return DragFormatsTo(SelectionDrag(row.kind, kSelection, row.dragged), kPicture); }),
                  kOpen + kSelectionSjis + kClose + "\r\n" + kTitleSjis + "\r\n" + row.quoted + "\r\n");
    }
}

TEST_F(TodaysBrowser, ALinkNamedOnlyInUnicodeGivesTheLinkSnippetWithoutAnErrorBox) {
    for (const Kind& kind : kKinds) {
        SCOPED_TRACE(kind.name);
        const std::string page = PageOf(kind.name, "links"), link = PageOf(kind.name, "linked.html");
        StandInBrowser browser({page, kTitle}, {kind.kind});
        EXPECT_EQ(DropFrom(browser, [&] { return DragFormatsTo(LinkDrag(kind.kind, link, kTitle, page), kPicture); }),
                  kTitleSjis + "\r\n" + link + "\r\n");
        EXPECT_EQ(program->Window(kDialogClass), nullptr) << "an error box";
    }
}

// Firefox's image drag holds no "HTML Format": with no tree, its page comes
// from "text/x-moz-url-priv" and its title from the caption.
TEST_F(TodaysBrowser, AnImageDragGivesTheImageSnippetWithItsAddress) {
    struct Row {
        const char* name;
        BrowserKind kind;
        TreeAnswer tree;
        const char* tag;
    } rows[] = {
        {"Chromium, its tree", BrowserKind::kChromium, TreeAnswer::kPage, "c"},
        {"Firefox, no tree", BrowserKind::kFirefox, TreeAnswer::kNone, "f"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string page = PageOf(row.tag, "gallery"), image = PageOf(row.tag, "images/photo.png?w=200");
        StandInBrowser browser({page, kTitle}, {row.kind, row.tree});
        EXPECT_EQ(DropFrom(browser, [&] { return DragFormatsTo(ImageDrag(row.kind, image, page), kPicture); }),
                  image + "\r\n" + kTitleSjis + "\r\n" + page + "\r\n");
    }
}

TEST_F(TodaysBrowser, AUtf8PageInTheCacheGivesItsTitleBeforeTheTreesName) {
    CachedPages pages;
    const std::string page = pages.NewAddress("utf8.html");
    ASSERT_NE(pages.Commit(page, PageHtml(Utf8(L"UTF-8\u306e\u301c\u30da\u30fc\u30b8"))), "");
    StandInBrowser browser({page, L"Name in the tree"}, {BrowserKind::kChromium});
    EXPECT_EQ(DoubleClickFrom(browser, kPicture), "UTF-8\x82\xcc\x81\x60\x83\x79\x81\x5b\x83\x57\r\n" + page + "\r\n");
}

// Each slow browser comes after a capture from one that answers: the slow
// one costs at most the walk's bound and gives the address found last.
TEST_F(TodaysBrowser, AHugeOrSilentTreeOrAHungBrowserDoesNotHoldTheDoubleClick) {
    constexpr DWORD kHangMs = 10000;
    struct Row {
        const char* name;
        TreeAnswer tree;
        bool hang;
        const char* tag;
    } rows[] = {
        {"20,000 objects before the page", TreeAnswer::kHuge, false, "huge"},
        {"every question waits", TreeAnswer::kSilent, false, "silent"},
        {"the window's thread hangs", TreeAnswer::kPage, true, "hung"},
    };
    StandInBrowser answering({"", kTitle}, {BrowserKind::kChromium});
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string found = PageOf("answering", row.tag);
        ASSERT_TRUE(answering.ShowPage({found, kTitle}));
        ASSERT_EQ(DoubleClickFrom(answering, kPicture), kTitleSjis + "\r\n" + found + "\r\n");

        StandInBrowser slow({PageOf("slow", row.tag), kTitle},
                            {BrowserKind::kChromium, row.tree, {300, 300, 480, 200}});
        ASSERT_TRUE(slow.BringToFront());
        if (row.hang) {
            slow.Hang(kHangMs);
            ASSERT_TRUE(WaitUntil([&] { return slow.Hanging(); }));
        }
        const Stopwatch capture;
        const std::string quoted = DeliveredBy([&] { DoubleClickAt(kPicture); }, kHangMs + kPatienceMs);
        const DWORD took = capture.ElapsedMs();
        EXPECT_LE(took, kCaptureMs) << "the double-click took " << took << " ms";
        EXPECT_EQ(quoted, "\r\n" + found + "\r\n") << "the address found last, without a title";
        if (!row.hang) {
            EXPECT_GT(slow.TreeQuestions(), 0) << "the tree was never asked";
        }
    }
    const std::string after = PageOf("answering", "after");
    ASSERT_TRUE(answering.ShowPage({after, kTitle}));
    EXPECT_EQ(DoubleClickFrom(answering, kPicture), kTitleSjis + "\r\n" + after + "\r\n")
        << "the program goes on after the slow browsers";
}

}  // namespace
}  // namespace kaveto::e2e
