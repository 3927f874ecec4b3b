#include "capture/drop_decoding.h"

#include <gtest/gtest.h>


#include "capture/page_context.h"
#include "tests/capture/capture_fakes.h"
#include "tests/fakes/engine_fakes.h"

namespace kaveto {
namespace {

using testing::CaptureRig;
using testing::FakeFormats;
using fakes::ShiftJisRecord;

TEST(ClipboardFormatFromName, MapsTheStandardNamesAndRegistersTheRest) {
    const std::pair<const char*, std::uint16_t> table[] = {
        {"CF_BITMAP", 2},       {"CF_DIB", 8},           {"CF_DIF", 5},
        {"CF_DSPBITMAP", 130},  {"CF_DSPENHMETAFILE", 142}, {"CF_DSPMETAFILEPICT", 131},
        {"CF_DSPTEXT", 129},    {"CF_ENHMETAFILE", 14},  {"CF_HDROP", 15},
        {"CF_LOCALE", 16},      {"CF_MAX", 17},          {"CF_METAFILEPICT", 3},
        {"CF_OEMTEXT", 7},      {"CF_OWNERDISPLAY", 128}, {"CF_PALETTE", 9},
        {"CF_PENDATA", 10},     {"CF_RIFF", 11},         {"CF_SYLK", 4},
        {"CF_TEXT", 1},         {"CF_TIFF", 6},          {"CF_UNICODETEXT", 13},
        {"CF_WAVE", 12},
    };
    FakeFormats formats;
    for (const auto& [name, number] : table) {
        SCOPED_TRACE(name);
        EXPECT_EQ(ClipboardFormatFromName(name, formats), number);
    }
    EXPECT_TRUE(formats.registered.empty());

    formats.numbers = {{"FileGroupDescriptor", 0xC0A1}, {"CF_FOO", 0xC0A2}, {"cf_text", 0xC0A3},
                       {"CF_TEXT ", 0xC0A4}, {"Broken", 0}};
    for (const auto& [name, number] : formats.numbers) {
        SCOPED_TRACE(name);
        EXPECT_EQ(ClipboardFormatFromName(name, formats), number);
    }
    EXPECT_EQ(formats.registered.size(), formats.numbers.size());
}

TEST(DescriptorFirstName, ReadsTheFirstRecordsNameWithinTheBlock) {
    auto block = [](std::size_t size, const std::string& name) {
        std::string b(size, '\0');
        b.replace(76, std::min(name.size(), size - 76), name.substr(0, size - 76));
        return b;
    };
    EXPECT_EQ(DescriptorFirstName(block(4 + 592, "Example.url")), "Example.url");
    EXPECT_EQ(DescriptorFirstName(block(4 + 592, std::string(300, 'n'))), std::string(260, 'n'))
        << "a name without a zero byte is all 260 bytes of the field";
    EXPECT_EQ(DescriptorFirstName(block(100, std::string(60, 's'))), std::string(24, 's'))
        << "a short block is read only as far as it goes";
    EXPECT_EQ(DescriptorFirstName(std::string(76, 'x')), "");
    EXPECT_EQ(DescriptorFirstName(""), "");
}

TEST(LinkTextFromDescriptorName, RemovesTheLinkFileExtension) {
    const std::string url = "http://example.com/";
    struct Case {
        std::string name, text;
    } cases[] = {
        {".url", url},
        {".URL", ""},
        {"Example.URL", "Example"},
        {"Example.url", "Example"},
        {"my.url.page.Url", "my.page"},
        {"no extension", "no extension"},
        {"", ""},
        {"\x83\x4c\x83\x74.url", "\x83\x4c\x83\x74"},        // katakana before the extension
        {"\x93\xfa.URL\x96\x7b.url", "\x93\xfa\x96\x7b"},    // removed from the middle too
        {"\x83\x2e" "url", "\x83\x2e" "url"},                 // "." as a second byte is no match
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(LinkTextFromDescriptorName(c.name, url), c.text);
    }
}

std::string Descriptor(const std::string& name) {
    std::string b(4 + 592, '\0');
    b[0] = 1;
    b.replace(76, name.size(), name);
    return b;
}

struct DropRig : CaptureRig {
    FakeFormats formats;
    std::uint16_t descriptor_format = 0xC0DE;
    DropRig() {
        formats.numbers["FileGroupDescriptor"] = descriptor_format;
        // The browser in front shows a page; another window is the target.
        Browser(100, "http://page/", "<title>Page</title>", "C:\\cache\\page.htm");
        Browser(200, "http://target/", "<title>Target</title>", "C:\\cache\\target.htm");
        windows.foreground = 100;
        state.target_window = 200;
        cache.entries.push_back({"http://img/a.gif", "C:\\cache\\A.GIF"});
        state.record.title_txt = FromShiftJis("stale");
        state.record.src = FromShiftJis("stale");
    }
};

TEST(Drop, DecodesEachRoadAndAddsThePageInFront) {
    struct Case {
        const char* name;
        DropDescription drop;
        CaptureRecord expected;  // page_url and title_txt come from window 100
        std::vector<std::string> requests;
    };
    const std::string d = "global " + std::to_string(0xC0DE);
    const std::vector<std::string> two_files{"c:\\CACHE\\a.gif", "C:\\cache\\page.htm"};
    Case cases[] = {
        {"link", {"http://x/", Descriptor("Example.url"), std::nullopt},
         ShiftJisRecord("http://x/", "Example", "", "", "", ""), {"text", d}},
        {"https link", {"https://x/", Descriptor("Secure.URL"), std::nullopt},
         ShiftJisRecord("https://x/", "Secure", "", "", "", ""), {"text", d}},
        {"mail link", {"mailto:a@b", Descriptor(".url"), std::nullopt},
         ShiftJisRecord("mailto:a@b", "mailto:a@b", "", "", "", ""), {"text", d}},
        {"capitals are text", {"HTTP://x/", Descriptor("x.url"), std::nullopt},
         ShiftJisRecord("", "", "", "", "", "HTTP://x/"), {"text"}},
        {"Mailto is text", {"Mailto:a@b", std::nullopt, std::nullopt},
         ShiftJisRecord("", "", "", "", "", "Mailto:a@b"), {"text"}},
        {"text with files", {"some words", std::nullopt, two_files},
         ShiftJisRecord("", "", "", "", "", "some words"), {"text"}},
        {"files", {std::nullopt, std::nullopt, two_files},
         ShiftJisRecord("", "", "", "http://img/a.gif", "", ""), {"text", "files"}},
        {"file in no entry", {std::nullopt, std::nullopt, std::vector<std::string>{"C:\\tmp\\x.gif"}},
         ShiftJisRecord("", "", "", "", "", ""), {"text", "files"}},
        {"empty file list", {std::nullopt, std::nullopt, std::vector<std::string>{}},
         ShiftJisRecord("", "", "", "", "", ""), {"text", "files"}},
        // With neither text nor files, what today's browsers offer is looked for.
        {"nothing", {std::nullopt, std::nullopt, std::nullopt}, ShiftJisRecord("", "", "", "", "", ""),
         {"text", "files", d, "find FileGroupDescriptorW", "find CF_UNICODETEXT"}},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.name);
        DropRig rig;
        DescribedDrop source(c.drop, rig.formats);
        Drop(rig.context, source, rig.formats);
        c.expected.page_url = FromShiftJis("http://page/");
        c.expected.title_txt = FromShiftJis("Page");
        ASSERT_EQ(rig.composed.size(), 1u);
        const CaptureRecord& r = rig.composed[0];
        EXPECT_EQ(r.click_url.shift_jis, c.expected.click_url.shift_jis);
        EXPECT_EQ(r.url_txt.shift_jis, c.expected.url_txt.shift_jis);
        EXPECT_EQ(r.sel_txt.shift_jis, c.expected.sel_txt.shift_jis);
        EXPECT_EQ(r.src.shift_jis, c.expected.src.shift_jis);
        EXPECT_EQ(r.page_url.shift_jis, c.expected.page_url.shift_jis);
        EXPECT_EQ(r.title_txt.shift_jis, c.expected.title_txt.shift_jis);
        EXPECT_EQ(source.requests(), c.requests);
        EXPECT_EQ(rig.windows.searched, (std::vector<WindowHandle>{100}));
    }
}

TEST(Drop, ALinkWithoutDescriptorStopsTheCaptureWithTheOleError) {
    DropRig rig;
    DescribedDrop source({"http://x/", std::nullopt, std::nullopt}, rig.descriptor_format);
    try {
        Drop(rig.context, source, rig.formats);
        FAIL() << "no error";
    } catch (const OleError& e) {
        EXPECT_EQ(e.hresult(), kDvEFormatEtc);
    }
    const CaptureRecord& r = rig.state.record;
    EXPECT_EQ(r.click_url.shift_jis, "http://x/");
    for (const DualText* text : {&r.url_txt, &r.sel_txt, &r.src, &r.page_url, &r.title_txt})
        EXPECT_EQ(*text, DualText());
    EXPECT_TRUE(rig.composed.empty());
    EXPECT_TRUE(rig.windows.searched.empty());
}

TEST(Drop, AShortDescriptorBlockGivesWhatItHolds) {
    DropRig rig;
    std::string block = Descriptor("Cut short.url").substr(0, 76 + 9);
    DescribedDrop source({"http://x/", block, std::nullopt}, rig.descriptor_format);
    Drop(rig.context, source, rig.formats);
    EXPECT_EQ(rig.state.record.url_txt.shift_jis, "Cut short");
}


// UTF-16 little-endian bytes with their terminator, then what a rounded-up
// global block may hold after it.
std::string Wide(std::u16string_view text) {
    std::string bytes;
    for (char16_t unit : text) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    return bytes + std::string(2, '\0') + "left over";
}

std::string DescriptorW(std::u16string_view name) {
    std::string b(4 + 592, '\0');
    b[0] = 1;
    const std::string bytes = Wide(name);
    b.replace(76, name.size() * 2, bytes.substr(0, name.size() * 2));
    return b;
}

std::string HtmlFrom(const std::string& source_url) {
    return "Version:0.9\r\nStartHTML:-1\r\nEndHTML:-1\r\nSourceURL:" + source_url + "\r\n<p>x</p>" +
           std::string(1, '\0');
}

TEST(Drop, ReadsWhatTodaysBrowsersOfferWhereTheOldFormatsAreMissing) {
    struct Case {
        const char* name;
        DropDescription drop;
        // click_url, url_txt, sel_txt, src
        std::string click_url, url_txt, sel_txt, src;
        std::vector<std::string> requests;
    };
    const std::string d = "global " + std::to_string(0xC0DE);
    const std::string w = "find FileGroupDescriptorW", uw = "find UniformResourceLocatorW",
                      ua = "find UniformResourceLocator", moz = "find text/x-moz-url", ut = "find CF_UNICODETEXT";
    auto with = [](auto set) {
        DropDescription drop;
        set(drop);
        return drop;
    };
    const std::string picture = "http://img/photo.jpg";
    const std::string jp = "\x93\xfa\x96\x7b\x8c\xea\x81\x60";  // 日本語 and WAVE DASH in Shift_JIS
    Case cases[] = {
        {"Unicode selection", with([](DropDescription& x) { x.unicode_text = Wide(u"日本語\u301C"); }), "", "", jp,
         "", {"text", "files", d, w, ut}},
        {"Unicode link, wide shortcut",
         with([](DropDescription& x) {
             x.unicode_text = Wide(u"http://x/");
             x.descriptor_w = DescriptorW(u"日本語\u301C.url");
         }),
         "http://x/", jp, "", "", {"text", "files", d, w, ut}},
        {"Unicode link, old shortcut",
         with([](DropDescription& x) {
             x.unicode_text = Wide(u"https://x/");
             x.descriptor = Descriptor("Old.url");
         }),
         "https://x/", "Old", "", "", {"text", "files", d, ut}},
        {"text link, wide shortcut only",
         with([](DropDescription& x) {
             x.text = "http://x/";
             x.descriptor_w = DescriptorW(u"Example.URL");
         }),
         "http://x/", "Example", "", "", {"text", d, w}},
        {"text link, wide descriptor of a picture",
         with([&](DropDescription& x) {
             x.text = picture;
             x.descriptor_w = DescriptorW(u"photo.jpg");
             x.url_w = Wide(u"http://img/photo.jpg");
         }),
         "", "", "", picture, {"text", d, w, uw}},
        {"text link, old descriptor of a picture stays a link",
         with([&](DropDescription& x) {
             x.text = picture;
             x.descriptor = Descriptor("photo.jpg");
             x.url_w = Wide(u"http://img/photo.jpg");
         }),
         picture, "photo.jpg", "", "", {"text", d}},
        {"link by address and wide shortcut",
         with([](DropDescription& x) {
             x.url_w = Wide(u"https://x/a");
             x.descriptor_w = DescriptorW(u"日本語\u301C.url");
         }),
         "https://x/a", jp, "", "", {"text", "files", d, w, ut, uw}},
        {"link by ANSI address",
         with([](DropDescription& x) {
             x.url = "http://x/ansi" + std::string(1, '\0') + "left over";
             x.descriptor_w = DescriptorW(u"A.url");
         }),
         "http://x/ansi", "A", "", "", {"text", "files", d, w, ut, uw, ua}},
        {"link by x-moz-url",
         with([](DropDescription& x) {
             x.moz_url = Wide(u"http://x/moz\nTitle");
             x.descriptor_w = DescriptorW(u"Title.url");
         }),
         "http://x/moz", "Title", "", "", {"text", "files", d, w, ut, uw, ua, moz}},
        {"bare shortcut name",
         with([](DropDescription& x) {
             x.url_w = Wide(u"http://x/");
             x.descriptor_w = DescriptorW(u".url");
         }),
         "http://x/", "http://x/", "", "", {"text", "files", d, w, ut, uw}},
        {"picture",
         with([](DropDescription& x) {
             x.descriptor_w = DescriptorW(u"photo.jpg");
             x.file_contents = "\xFF\xD8\xFF";
             x.url_w = Wide(u"http://img/photo.jpg");
         }),
         "", "", "", picture, {"text", "files", d, w, uw}},
        {"picture with its address as text",
         with([](DropDescription& x) {
             x.descriptor_w = DescriptorW(u"photo.jpg");
             x.file_contents = "\xFF\xD8\xFF";
             x.url_w = Wide(u"http://img/photo.jpg");
             x.unicode_text = Wide(u"http://img/photo.jpg");
         }),
         "", "", "", picture, {"text", "files", d, w, uw}},
        {"picture with other text",
         with([](DropDescription& x) {
             x.descriptor_w = DescriptorW(u"photo.jpg");
             x.url_w = Wide(u"http://img/photo.jpg");
             x.unicode_text = Wide(u"a photo");
         }),
         "", "", "", picture, {"text", "files", d, w, uw}},
        {"picture by the old descriptor",
         with([](DropDescription& x) {
             x.descriptor = Descriptor("photo.jpg");
             x.url = "http://img/photo.jpg";
         }),
         "", "", "", picture, {"text", "files", d, uw, ua}},
        {"picture without its address: a link by its text",
         with([](DropDescription& x) {
             x.descriptor_w = DescriptorW(u"photo.jpg");
             x.unicode_text = Wide(u"http://x/");
         }),
         "http://x/", "photo.jpg", "", "", {"text", "files", d, w, uw, ua, moz, ut}},
        {"picture whose address is no web address",
         with([](DropDescription& x) {
             x.descriptor_w = DescriptorW(u"photo.png");
             x.url_w = Wide(u"data:image/png;base64,AAAA");
         }),
         "", "", "", "", {"text", "files", d, w, uw, ut}},
        {"address without descriptor",
         with([](DropDescription& x) { x.url_w = Wide(u"http://x/"); }), "", "", "", "",
         {"text", "files", d, w, ut}},
        {"file list with Unicode text: today's file road",
         with([](DropDescription& x) {
             x.files = std::vector<std::string>{"c:\\CACHE\\a.gif"};
             x.unicode_text = Wide(u"words");
         }),
         "", "", "", "http://img/a.gif", {"text", "files"}},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.name);
        DropRig rig;
        DescribedDrop source(c.drop, rig.formats);
        Drop(rig.context, source, rig.formats);
        ASSERT_EQ(rig.composed.size(), 1u);
        const CaptureRecord& r = rig.composed[0];
        EXPECT_EQ(r.click_url.shift_jis, c.click_url);
        EXPECT_EQ(r.url_txt.shift_jis, c.url_txt);
        EXPECT_EQ(r.sel_txt.shift_jis, c.sel_txt);
        EXPECT_EQ(r.src.shift_jis, c.src);
        EXPECT_EQ(r.page_url.shift_jis, "http://page/");
        EXPECT_EQ(r.title_txt.shift_jis, "Page");
        EXPECT_EQ(source.requests(), c.requests);
    }
}

TEST(Drop, AUnicodeLinkWithoutEitherDescriptorKeepsTheOleError) {
    DropRig rig;
    DropDescription drop;
    drop.unicode_text = Wide(u"http://x/");
    drop.url_w = Wide(u"http://x/");
    DescribedDrop source(drop, rig.formats);
    try {
        Drop(rig.context, source, rig.formats);
        FAIL() << "no error";
    } catch (const OleError& e) {
        EXPECT_EQ(e.hresult(), kDvEFormatEtc);
    }
    EXPECT_EQ(rig.state.record.click_url.shift_jis, "http://x/");
    const CaptureRecord& r = rig.state.record;
    EXPECT_EQ(r.url_txt.shift_jis + r.src.shift_jis + r.page_url.shift_jis, "");
    EXPECT_TRUE(rig.composed.empty());
}

TEST(Drop, TakesThePageFromTheDragWhenTheWindowInFrontShowsNone) {
    struct Case {
        const char* name;
        std::optional<std::string> html;
        std::optional<std::u16string> moz_url_priv;
        std::string page_url, title_txt;
    };
    const std::string source = "https://source.example/page";
    Case cases[] = {
        {"SourceURL", HtmlFrom(source), std::nullopt, source, "Source page"},
        {"SourceURL in UTF-8", HtmlFrom("http://x/\xE6\x97\xA5\xE3\x80\x9C"), std::nullopt,
         "http://x/\x93\xfa\x81\x60", ""},
        {"SourceURL of a file", HtmlFrom("file:///C:/pages/a.htm"), std::nullopt, "file:///C:/pages/a.htm", "File page"},
        {"x-moz-url-priv", std::nullopt, u"http://moz/page\n", "http://moz/page", ""},
        {"SourceURL no page, x-moz-url-priv", HtmlFrom("about:blank"), u"http://moz/page", "http://moz/page", ""},
        {"neither is a page", HtmlFrom("javascript:void(0)"), u"chrome://newtab/", "http://earlier/", "Earlier"},
        {"no header line", std::string("<html>SourceURL:http://x/</html>"), std::nullopt, "http://earlier/",
         "Earlier"},
        {"nothing on the drag", std::nullopt, std::nullopt, "http://earlier/", "Earlier"},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.name);
        DropRig rig;
        rig.windows.Add(0, 300, "Chrome_WidgetWin_1");  // no address bar
        rig.windows.foreground = 300;
        rig.state.last_found_url = FromShiftJis("http://earlier/");
        rig.cache.entries.push_back({"http://earlier/", "C:\\cache\\earlier.htm"});
        rig.files.contents["C:\\cache\\earlier.htm"] = "<title>Earlier</title>";
        rig.cache.entries.push_back({source, "C:\\cache\\source.htm"});
        rig.files.contents["C:\\cache\\source.htm"] = "<title>Source page</title>";
        rig.files.contents["C:\\pages\\a.htm"] = "<title>File page</title>";
        DropDescription drop;
        drop.unicode_text = Wide(u"selected words");
        drop.html = c.html;
        if (c.moz_url_priv) drop.moz_url_priv = Wide(*c.moz_url_priv);
        DescribedDrop described(drop, rig.formats);
        Drop(rig.context, described, rig.formats);
        ASSERT_EQ(rig.composed.size(), 1u);
        EXPECT_EQ(rig.composed[0].sel_txt.shift_jis, "selected words");
        EXPECT_EQ(rig.composed[0].page_url.shift_jis, c.page_url);
        EXPECT_EQ(rig.composed[0].title_txt.shift_jis, c.title_txt);
        EXPECT_EQ(rig.state.last_found_url.shift_jis, c.page_url) << "the drag's page is the last one found";
    }
}

TEST(Drop, AnAddressInTheWindowWinsOverTheDragsPage) {
    DropRig rig;
    DropDescription drop;
    drop.text = "words";
    drop.html = HtmlFrom("https://source.example/");
    DescribedDrop source(drop, rig.formats);
    Drop(rig.context, source, rig.formats);
    EXPECT_EQ(rig.state.record.page_url.shift_jis, "http://page/");
    EXPECT_EQ(source.requests(), (std::vector<std::string>{"text"})) << "the drag's page is not even asked for";

    EXPECT_TRUE(FindPageAddress(rig.context, 100));
    rig.windows.Add(0, 300, "Chrome_WidgetWin_1");
    EXPECT_FALSE(FindPageAddress(rig.context, 300));
    EXPECT_EQ(rig.state.last_found_url.shift_jis, "http://page/");
}

}  // namespace
}  // namespace kaveto
