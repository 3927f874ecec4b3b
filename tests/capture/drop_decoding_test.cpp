#include "capture/drop_decoding.h"

#include <gtest/gtest.h>


#include "tests/capture/capture_fakes.h"

namespace kaveto {
namespace {

using testing::CaptureRig;
using testing::FakeFormats;

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
        state.record.title_txt = "stale";
        state.record.src = "stale";
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
         {"http://x/", "Example", "", "", "", ""}, {"text", d}},
        {"https link", {"https://x/", Descriptor("Secure.URL"), std::nullopt},
         {"https://x/", "Secure", "", "", "", ""}, {"text", d}},
        {"mail link", {"mailto:a@b", Descriptor(".url"), std::nullopt},
         {"mailto:a@b", "mailto:a@b", "", "", "", ""}, {"text", d}},
        {"capitals are text", {"HTTP://x/", Descriptor("x.url"), std::nullopt},
         {"", "", "", "", "", "HTTP://x/"}, {"text"}},
        {"Mailto is text", {"Mailto:a@b", std::nullopt, std::nullopt}, {"", "", "", "", "", "Mailto:a@b"}, {"text"}},
        {"text with files", {"some words", std::nullopt, two_files},
         {"", "", "", "", "", "some words"}, {"text"}},
        {"files", {std::nullopt, std::nullopt, two_files},
         {"", "", "", "http://img/a.gif", "", ""}, {"text", "files"}},
        {"file in no entry", {std::nullopt, std::nullopt, std::vector<std::string>{"C:\\tmp\\x.gif"}},
         {"", "", "", "", "", ""}, {"text", "files"}},
        {"empty file list", {std::nullopt, std::nullopt, std::vector<std::string>{}},
         {"", "", "", "", "", ""}, {"text", "files"}},
        {"nothing", {std::nullopt, std::nullopt, std::nullopt}, {"", "", "", "", "", ""}, {"text", "files"}},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.name);
        DropRig rig;
        DescribedDrop source(c.drop, rig.descriptor_format);
        Drop(rig.context, source, rig.formats);
        c.expected.page_url = "http://page/";
        c.expected.title_txt = "Page";
        ASSERT_EQ(rig.composed.size(), 1u);
        const CaptureRecord& r = rig.composed[0];
        EXPECT_EQ(r.click_url, c.expected.click_url);
        EXPECT_EQ(r.url_txt, c.expected.url_txt);
        EXPECT_EQ(r.sel_txt, c.expected.sel_txt);
        EXPECT_EQ(r.src, c.expected.src);
        EXPECT_EQ(r.page_url, c.expected.page_url);
        EXPECT_EQ(r.title_txt, c.expected.title_txt);
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
    EXPECT_EQ(r.click_url, "http://x/");
    EXPECT_EQ(r.url_txt + r.sel_txt + r.src + r.page_url + r.title_txt, "");
    EXPECT_TRUE(rig.composed.empty());
    EXPECT_TRUE(rig.windows.searched.empty());
}

TEST(Drop, AShortDescriptorBlockGivesWhatItHolds) {
    DropRig rig;
    std::string block = Descriptor("Cut short.url").substr(0, 76 + 9);
    DescribedDrop source({"http://x/", block, std::nullopt}, rig.descriptor_format);
    Drop(rig.context, source, rig.formats);
    EXPECT_EQ(rig.state.record.url_txt, "Cut short");
}

}  // namespace
}  // namespace kaveto
