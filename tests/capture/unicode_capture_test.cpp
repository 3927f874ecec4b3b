// The Unicode form of every captured text, from each source that has one,
// and the conversion from those that give Shift_JIS alone.
#include <gtest/gtest.h>

#include "capture/drop_decoding.h"
#include "capture/page_context.h"
#include "capture/page_title.h"
#include "tests/capture/capture_fakes.h"

namespace kaveto {
namespace {

using testing::CaptureRig;
using testing::FakeFormats;

std::string U8(std::u8string_view text) { return std::string(text.begin(), text.end()); }

// UTF-16 little-endian bytes with their terminator.
std::string Wide(std::u16string_view text) {
    std::string bytes;
    for (char16_t unit : text) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    return bytes + std::string(2, '\0');
}

std::string DescriptorW(std::u16string_view name) {
    std::string b(4 + 592, '\0');
    b[0] = 1;
    b.replace(76, name.size() * 2, Wide(name).substr(0, name.size() * 2));
    return b;
}

std::string Descriptor(const std::string& name) {
    std::string b(4 + 592, '\0');
    b[0] = 1;
    b.replace(76, name.size(), name);
    return b;
}

std::string HtmlFrom(const std::string& source_url) {
    return "Version:0.9\r\nStartHTML:-1\r\nEndHTML:-1\r\nSourceURL:" + source_url + "\r\n<p>x</p>" +
           std::string(1, '\0');
}

struct DropRig : CaptureRig {
    FakeFormats formats;
    DropRig() {
        formats.numbers["FileGroupDescriptor"] = 0xC0DE;
        // The window in front shows no address: the drag names its page.
        windows.Add(0, 300, "Chrome_WidgetWin_1");
        windows.foreground = 300;
        cache.entries.push_back({"http://img/a.gif", "C:\\cache\\A.GIF"});
    }
    const CaptureRecord& Run(const DropDescription& drop) {
        DescribedDrop source(drop, formats);
        Drop(context, source, formats);
        return composed.at(0);
    }
};

// Where the drag gives Unicode, the text is whole; where it gives the code
// page, the Unicode form is its conversion. The Shift_JIS forms are those
// the drop always gave (the drop tests hold them).
TEST(UnicodeDrop, EachTextKeepsWhatTheDragGaveInUnicode) {
    auto with = [](auto set) {
        DropDescription drop;
        set(drop);
        return drop;
    };
    struct Row {
        const char* name;
        DropDescription drop;
        std::string click_url, url_txt, sel_txt, src;  // UTF-8 forms
    } rows[] = {
        {"Unicode selection",
         with([](DropDescription& x) { x.unicode_text = Wide(u"Caf\u00E9 \U0001F600 \u301C"); }), "", "",
         U8(u8"Caf\u00E9 \U0001F600 \u301C"), ""},
        {"Unicode link with a wide shortcut name",
         with([](DropDescription& x) {
             x.unicode_text = Wide(u"https://x.test/\u00E9");
             x.descriptor_w = DescriptorW(u"\u3042 \U0001F600.URL");
         }),
         U8(u8"https://x.test/\u00E9"), U8(u8"\u3042 \U0001F600"), "", ""},
        {"link by its wide address, the bare shortcut name",
         with([](DropDescription& x) {
             x.url_w = Wide(u"https://x.test/\u00E9");
             x.descriptor_w = DescriptorW(u".url");
         }),
         U8(u8"https://x.test/\u00E9"), U8(u8"https://x.test/\u00E9"), "", ""},
        {"picture by its wide address",
         with([](DropDescription& x) {
             x.descriptor_w = DescriptorW(u"\u00E9t\u00E9.jpg");
             x.url_w = Wide(u"http://img/\u00E9t\u00E9.jpg");
         }),
         "", "", "", U8(u8"http://img/\u00E9t\u00E9.jpg")},
        {"CF_TEXT selection: its conversion", with([](DropDescription& x) { x.text = "\x93\xfa\x81\x60"; }), "", "",
         U8(u8"日\u301C"), ""},
        {"CF_TEXT link with the old shortcut name",
         with([](DropDescription& x) {
             x.text = "http://x/";
             x.descriptor = Descriptor("\x83\x4c.url");
         }),
         "http://x/", U8(u8"キ"), "", ""},
        {"cached file", with([](DropDescription& x) { x.files = std::vector<std::string>{"C:\\cache\\a.gif"}; }), "",
         "", "", "http://img/a.gif"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        DropRig rig;
        const CaptureRecord& r = rig.Run(row.drop);
        EXPECT_EQ(r.click_url.utf8, row.click_url);
        EXPECT_EQ(r.url_txt.utf8, row.url_txt);
        EXPECT_EQ(r.sel_txt.utf8, row.sel_txt);
        EXPECT_EQ(r.src.utf8, row.src);
        // The Shift_JIS forms stand beside them: here each is what its
        // Unicode form gives.
        EXPECT_EQ(r.click_url.shift_jis, Utf8ToShiftJis(row.click_url));
        EXPECT_EQ(r.url_txt.shift_jis, Utf8ToShiftJis(row.url_txt));
        EXPECT_EQ(r.sel_txt.shift_jis, Utf8ToShiftJis(row.sel_txt));
        EXPECT_EQ(r.src.shift_jis, Utf8ToShiftJis(row.src));
    }
}

TEST(UnicodeDrop, ThePageTheDragNamesKeepsItsAddressWhole) {
    struct Row {
        const char* name;
        std::optional<std::string> html;
        std::optional<std::u16string> moz_url_priv;
        std::string page_url, page_utf8;
    } rows[] = {
        {"SourceURL in UTF-8", HtmlFrom(U8(u8"https://x.test/\u00E9\u65E5")), std::nullopt, "https://x.test/?\x93\xfa",
         U8(u8"https://x.test/\u00E9\u65E5")},
        {"x-moz-url-priv", std::nullopt, u"http://moz.test/\U0001F600\n", "http://moz.test/?",
         U8(u8"http://moz.test/\U0001F600")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        DropRig rig;
        DropDescription drop;
        drop.unicode_text = Wide(u"words");
        drop.html = row.html;
        if (row.moz_url_priv) drop.moz_url_priv = Wide(*row.moz_url_priv);
        const CaptureRecord& r = rig.Run(drop);
        EXPECT_EQ(r.page_url.shift_jis, row.page_url);
        EXPECT_EQ(r.page_url.utf8, row.page_utf8);
        EXPECT_EQ(rig.state.last_found_url.utf8, row.page_utf8);
    }
}

TEST(UnicodePageContext, TheTreeAndTheCaptionGiveTheirTextsWhole) {
    CaptureRig rig;
    rig.windows.Add(0, 300, "Chrome_WidgetWin_1");
    rig.windows.windows[300].caption = u"Caption \U0001F600 - Google Chrome";
    AccessiblePage tree;
    tree.has_document = true;
    tree.document_value = u"https://x.test/caf\u00E9";
    tree.document_name = u"Caf\u00E9 \U0001F600 \u301C";
    rig.accessibility.pages[300] = tree;
    CapturePageContext(rig.context, 300);
    EXPECT_EQ(rig.state.record.page_url.shift_jis, "https://x.test/caf?");
    EXPECT_EQ(rig.state.record.page_url.utf8, U8(u8"https://x.test/caf\u00E9"));
    EXPECT_EQ(rig.state.record.title_txt.shift_jis, "Caf? ? \x81\x60");
    EXPECT_EQ(rig.state.record.title_txt.utf8, U8(u8"Caf\u00E9 \U0001F600 \u301C"));

    // Without a document the caption speaks, and an address kept from then
    // on keeps its Unicode form too.
    rig.accessibility.pages[300] = AccessiblePage{};
    rig.state.record.Clear();
    CapturePageContext(rig.context, 300);
    EXPECT_EQ(rig.state.record.page_url.utf8, U8(u8"https://x.test/caf\u00E9"));
    EXPECT_EQ(rig.state.record.title_txt.utf8, "") << "a kept address takes no title from the window";
    rig.state.record.Clear();
    rig.accessibility.pages[300].has_document = true;
    rig.accessibility.pages[300].document_value = u"https://y.test/";
    CapturePageContext(rig.context, 300);
    EXPECT_EQ(rig.state.record.title_txt.utf8, U8(u8"Caption \U0001F600"));
}

TEST(UnicodePageContext, AnEditAddressBarGivesItsUnicodeTextWhileThatIsAnAddress) {
    struct Row {
        const char* name;
        std::u16string wide;  // empty: the window gives no Unicode text
        std::string expected;
    } rows[] = {
        {"the Unicode text", u"http://x.test/caf\u00E9", U8(u8"http://x.test/caf\u00E9")},
        {"no Unicode text: the conversion", u"", "http://x.test/caf?"},
        {"a Unicode text that is no address: the conversion", u"search words", "http://x.test/caf?"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        CaptureRig rig;
        rig.Browser(100, "http://x.test/caf?");
        rig.windows.windows[101].wide_text = row.wide;
        CapturePageContext(rig.context, 100);
        EXPECT_EQ(rig.state.record.page_url.shift_jis, "http://x.test/caf?") << "the code page's text as it was read";
        EXPECT_EQ(rig.state.record.page_url.utf8, row.expected);
        EXPECT_EQ(rig.state.last_found_url.utf8, row.expected);
    }
}

TEST(PageTitlesFromContent, TheUnicodeTitleKeepsWhatThePageAndItsReferencesHold) {
    struct Row {
        const char* name;
        std::string page;
        std::string shift_jis, utf8;
    } rows[] = {
        {"UTF-8 page, one line", "<meta charset=utf-8><title>" + U8(u8"Caf\u00E9 \U0001F600 \u301C") +
                                     " &amp; &eacute;</title>",
         "Caf? ? \x81\x60 & ?", U8(u8"Caf\u00E9 \U0001F600 \u301C & \u00E9")},
        // What stands before the title takes more or fewer bytes in
        // Shift_JIS than in UTF-8: the title is found where it is in either.
        {"UTF-8 page, lines and attributes, Unicode before the title",
         "\xEF\xBB\xBF<!-- " + U8(u8"\u00E9\U0001F600\u65E5") + " -->\n<title lang=\"fr\">\n  " +
             U8(u8"\u00DCn\u00EFc\u00F6d\u00E9\n  \U0001F600 </title>"),
         "?n?c?d? ?", U8(u8"\u00DCn\u00EFc\u00F6d\u00E9 \U0001F600")},
        {"a byte that is not UTF-8", "<meta charset=utf-8><title>a\xFF" + U8(u8"\u00E9") + "</title>", "a??",
         U8(u8"a\uFFFD\u00E9")},
        {"Shift_JIS page: the references' characters",
         "<title>\x93\xfa\x96\x7b &eacute;&#x1F600;&nbsp;x</title>", "\x93\xfa\x96\x7b ?? x",
         U8(u8"\u65E5\u672C \u00E9\U0001F600\u00A0x")},
        {"EUC-JP page", "<html><title>\xc6\xfc\xcb\xdc &hellip;&#x301C;&#233;</title>\n<body>\xa4\xce</body>",
         "\x93\xfa\x96\x7b \x81\x63\x81\x60?", U8(u8"\u65E5\u672C \u2026\u301C\u00E9")},
        {"JIS page", "<title>\x1b$BF|K\\\x1b(B &euro;</title>\n", "\x93\xfa\x96\x7b ?", U8(u8"\u65E5\u672C \u20AC")},
        {"no title", "<meta charset=utf-8><p>" + U8(u8"\u00E9") + "</p>", "", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const DualText title = PageTitlesFromContent(row.page);
        EXPECT_EQ(title.shift_jis, row.shift_jis);
        EXPECT_EQ(title.shift_jis, PageTitleFromContent(row.page));
        EXPECT_EQ(title.utf8, row.utf8);
    }
}

TEST(UnicodePageContext, TheTitleOfACachedUtf8PageArrivesWhole) {
    CaptureRig rig;
    rig.Browser(100, "http://x.test/", "<meta charset=\"UTF-8\"><title>" + U8(u8"\U0001F600 Caf\u00E9") + "</title>",
                "C:\\cache\\x.htm");
    CapturePageContext(rig.context, 100);
    EXPECT_EQ(rig.state.record.title_txt.shift_jis, "? Caf?");
    EXPECT_EQ(rig.state.record.title_txt.utf8, U8(u8"\U0001F600 Caf\u00E9"));
}

}  // namespace
}  // namespace kaveto
