// Drops offering only what today's browsers put on a drag, taken by the real
// drop target and delivered by the real composer, clipboard, window search
// and URL cache.
#include <windows.h>
#include <ole2.h>
#include <shlobj.h>
#include <wininet.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "tests/win/drop_rig_win32.h"
#include "tools/drive/clipboard.h"
#include "tools/drive/drag.h"

namespace kaveto {
namespace {


// A data object the way a browser's answers, its blocks rounded up with
// bytes that are no part of them.
struct BrowserDataObject : drive::OfferedData {
    BrowserDataObject() { padding = "\xEE\xEE left over \xEE"; }
};

CLIPFORMAT Format(const char* name) { return static_cast<CLIPFORMAT>(RegisterClipboardFormatA(name)); }

LRESULT CALLBACK PlainProc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcA(w, m, wp, lp); }

// A browser frame of the test's with one template per capture.
class BrowserDrop : public testing::DropRig {
protected:
    BrowserDrop() {
        Write("main\\1.txt", "1|%sel_txt%|%page_url%|%title_txt%");
        Write("main\\2.txt", "2|%url_txt%|%click_url%|%page_url%");
        Write("main\\3.txt", "3|%page_url%|%title_txt%");
        Write("main\\4.txt", "4|%SRC%|%page_url%");
        WNDCLASSA wc{};
        wc.lpfnWndProc = PlainProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "KavetoTestBrowserFrame";
        RegisterClassA(&wc);
        windows_.browser = CreateWindowExA(0, wc.lpszClassName, "page - browser", WS_OVERLAPPED, 0, 0, 400, 300,
                                           nullptr, nullptr, nullptr, nullptr);
        CreateWindowExA(0, "STATIC", "toolbar", WS_CHILD, 0, 0, 100, 20, windows_.browser, nullptr, nullptr, nullptr);
    }
    // The browser shows `url` in an address bar of its own.
    void AddressBar(const std::string& url) {
        ASSERT_TRUE(CreateWindowExA(0, "Edit", url.c_str(), WS_CHILD, 0, 20, 300, 20, windows_.browser, nullptr,
                                    nullptr, nullptr));
    }
    // A page in the URL cache under an address of its own.
    std::string CachedPage(const std::string& content) {
        const std::string url = pages_.NewAddress("page.htm");
        EXPECT_NE(pages_.Commit(url, content), "") << "the cache took no entry";
        return url;
    }
};

// 日本語 and WAVE DASH (U+301C) in Shift_JIS, as Japanese users read them.
const char kJapanese[] = "\x93\xfa\x96\x7b\x8c\xea\x81\x60";

TEST_F(BrowserDrop, UnicodeTextArrivesInShiftJis) {
    AddressBar("http://kaveto.test/front/");
    BrowserDataObject data;
    data.blocks[CF_UNICODETEXT] = drive::UnicodeTextBlock(L"日本語\u301C");
    DropOnTarget(data);
    EXPECT_EQ(drive::ClipboardText(), std::string("1|") + kJapanese + "|http://kaveto.test/front/|");
    const std::vector<drive::OfferedData::Request> expected{{CF_TEXT, -1},
                                                          {CF_HDROP, -1},
                                                          {Format("FileGroupDescriptor"), 0},
                                                          {Format("FileGroupDescriptorW"), -1},
                                                          {CF_UNICODETEXT, -1}};
    EXPECT_EQ(data.requests, expected);
}

TEST_F(BrowserDrop, ALinkOfferingOnlyTheWideDescriptorGivesTheLinkSnippet) {
    AddressBar("http://kaveto.test/front/");
    BrowserDataObject data;
    data.blocks[Format("UniformResourceLocatorW")] = drive::UnicodeTextBlock(L"http://kaveto.test/linked/");
    data.blocks[Format("FileGroupDescriptorW")] = drive::FileGroupDescriptorWBlock({L"日本語\u301C.url"});
    DropOnTarget(data);
    EXPECT_EQ(drive::ClipboardText(), std::string("2|") + kJapanese + "|http://kaveto.test/linked/|http://kaveto.test/front/");
}

TEST_F(BrowserDrop, ADraggedPictureGivesItsAddressAndNeverItsContents) {
    AddressBar("http://kaveto.test/front/");
    BrowserDataObject data;
    data.blocks[Format("FileGroupDescriptorW")] = drive::FileGroupDescriptorWBlock({L"photo.jpg"});
    data.blocks[Format("FileContents")] = "\xFF\xD8\xFF\xE0 picture";
    data.blocks[Format("UniformResourceLocatorW")] = drive::UnicodeTextBlock(L"http://kaveto.test/img/photo.jpg");
    data.blocks[CF_UNICODETEXT] = drive::UnicodeTextBlock(L"http://kaveto.test/img/photo.jpg");
    DropOnTarget(data);
    EXPECT_EQ(drive::ClipboardText(), "4|http://kaveto.test/img/photo.jpg|http://kaveto.test/front/");
    EXPECT_FALSE(data.Asked(Format("FileContents")));
}

TEST_F(BrowserDrop, TheDragsSourceUrlIsThePageWhenTheBrowserShowsNoAddressBar) {
    const std::string page = CachedPage("<html><head><title>Source page</title></head></html>");
    BrowserDataObject data;
    data.blocks[CF_UNICODETEXT] = drive::UnicodeTextBlock(L"日本語\u301C");
    data.blocks[Format("HTML Format")] = drive::HtmlFormatBlock("\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E", page);
    DropOnTarget(data);
    EXPECT_EQ(drive::ClipboardText(), std::string("1|") + kJapanese + "|" + page + "|Source page");
    EXPECT_EQ(state_.last_found_url.shift_jis, page);
    ASSERT_FALSE(data.requests.empty());
    EXPECT_EQ(data.requests.back(), (drive::OfferedData::Request{Format("HTML Format"), -1}));
}

}  // namespace
}  // namespace kaveto
