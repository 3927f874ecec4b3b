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

#include "capture/drop_target_win32.h"
#include "engine/snippet_composer.h"
#include "platform/accessibility_win32.h"
#include "platform/clipboard_win32.h"
#include "platform/clock_win32.h"
#include "platform/files_win32.h"
#include "platform/url_cache_win32.h"
#include "platform/window_search_win32.h"
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

// The window search of the desktop, with the browser window of the test in
// front, so that no other window on the test desktop decides the page.
class BrowserInFront : public Win32WindowSearch {
public:
    WindowHandle ForegroundWindow() override { return reinterpret_cast<WindowHandle>(browser); }
    HWND browser = nullptr;
};

class BrowserDrop : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        folder_ = std::string(temp) + "kaveto-payloads-" + std::to_string(GetCurrentProcessId()) + "\\";
        CreateDirectoryA(folder_.c_str(), nullptr);
        CreateDirectoryA((folder_ + "main").c_str(), nullptr);
        Write("title.txt", "");
        Write("main\\1.txt", "1|%sel_txt%|%page_url%|%title_txt%");
        Write("main\\2.txt", "2|%url_txt%|%click_url%|%page_url%");
        Write("main\\3.txt", "3|%page_url%|%title_txt%");
        Write("main\\4.txt", "4|%SRC%|%page_url%");
        env_.program_folder = folder_;
        state_.settings.LogBool = false;

        WNDCLASSA wc{};
        wc.lpfnWndProc = PlainProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "KavetoTestBrowserFrame";
        RegisterClassA(&wc);
        windows_.browser = CreateWindowExA(0, wc.lpszClassName, "page - browser", WS_OVERLAPPED, 0, 0, 400, 300,
                                           nullptr, nullptr, nullptr, nullptr);
        ASSERT_TRUE(windows_.browser);
        CreateWindowExA(0, "STATIC", "toolbar", WS_CHILD, 0, 0, 100, 20, windows_.browser, nullptr, nullptr, nullptr);
    }
    void TearDown() override {
        if (windows_.browser) DestroyWindow(windows_.browser);
        for (const std::string& url : urls_) DeleteUrlCacheEntryA(url.c_str());
        for (const char* f : {"title.txt", "main\\1.txt", "main\\2.txt", "main\\3.txt", "main\\4.txt"})
            DeleteFileA((folder_ + f).c_str());
        RemoveDirectoryA((folder_ + "main").c_str());
        RemoveDirectoryA(folder_.c_str());
        OleUninitialize();
    }
    void Write(const std::string& name, const std::string& content) {
        HANDLE f = CreateFileA((folder_ + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(f, INVALID_HANDLE_VALUE) << name;
        DWORD written = 0;
        WriteFile(f, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
        CloseHandle(f);
    }
    // The browser shows `url` in an address bar of its own.
    void AddressBar(const std::string& url) {
        ASSERT_TRUE(CreateWindowExA(0, "Edit", url.c_str(), WS_CHILD, 0, 20, 300, 20, windows_.browser, nullptr,
                                    nullptr, nullptr));
    }
    // A page in the URL cache under a unique address.
    std::string CachedPage(const std::string& content) {
        const std::string url = "https://kaveto.test/" + std::to_string(GetCurrentProcessId()) + "-" +
                                std::to_string(urls_.size()) + "/page.htm";
        char path[MAX_PATH] = {};
        EXPECT_TRUE(CreateUrlCacheEntryA(url.c_str(), 0, "htm", path, 0)) << GetLastError();
        HANDLE f = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(f, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
        CloseHandle(f);
        FILETIME zero{};
        EXPECT_TRUE(CommitUrlCacheEntryA(url.c_str(), path, zero, zero, NORMAL_CACHE_ENTRY, nullptr, 0, nullptr,
                                         nullptr))
            << GetLastError();
        urls_.push_back(url);
        return url;
    }
    void DropOnTarget(BrowserDataObject& data) {
        DWORD effect = DROPEFFECT_COPY;
        POINTL point{12, 12};
        EXPECT_EQ(target_.Drop(&data, 0, point, &effect), S_OK);
        EXPECT_EQ(data.refs, 1) << "every reference taken on the data object is given back";
    }

    AppState state_;
    Win32Files files_;
    Win32Clipboard clipboard_;
    Win32KeyState keys_;
    Win32Clock clock_;
    Environment env_{"", clipboard_, keys_, clock_, files_};
    BrowserInFront windows_;
    Win32UrlCache cache_;
    Win32Accessibility accessibility_;
    CaptureContext context_{state_, files_, windows_, cache_, accessibility_, [this] { SnippetComposer(state_, env_); }};
    std::vector<std::string> errors_;
    DropTarget target_{context_, [this](const std::string& e) { errors_.push_back(e); }};
    std::string folder_;
    std::vector<std::string> urls_;
};

// 日本語 and WAVE DASH (U+301C) in Shift_JIS, as Japanese users read them.
const char kJapanese[] = "\x93\xfa\x96\x7b\x8c\xea\x81\x60";

TEST_F(BrowserDrop, UnicodeTextArrivesInShiftJis) {
    AddressBar("http://kaveto.test/front/");
    BrowserDataObject data;
    data.blocks[CF_UNICODETEXT] = drive::UnicodeTextBlock(L"日本語\u301C");
    DropOnTarget(data);
    EXPECT_TRUE(errors_.empty()) << (errors_.empty() ? "" : errors_[0]);
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
    EXPECT_TRUE(errors_.empty()) << (errors_.empty() ? "" : errors_[0]);
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
    EXPECT_TRUE(errors_.empty()) << (errors_.empty() ? "" : errors_[0]);
    EXPECT_EQ(drive::ClipboardText(), "4|http://kaveto.test/img/photo.jpg|http://kaveto.test/front/");
    EXPECT_FALSE(data.Asked(Format("FileContents")));
}

TEST_F(BrowserDrop, TheDragsSourceUrlIsThePageWhenTheBrowserShowsNoAddressBar) {
    const std::string page = CachedPage("<html><head><title>Source page</title></head></html>");
    BrowserDataObject data;
    data.blocks[CF_UNICODETEXT] = drive::UnicodeTextBlock(L"日本語\u301C");
    data.blocks[Format("HTML Format")] = drive::HtmlFormatBlock("\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E", page);
    DropOnTarget(data);
    EXPECT_TRUE(errors_.empty()) << (errors_.empty() ? "" : errors_[0]);
    EXPECT_EQ(drive::ClipboardText(), std::string("1|") + kJapanese + "|" + page + "|Source page");
    EXPECT_EQ(state_.last_found_url, page);
    ASSERT_FALSE(data.requests.empty());
    EXPECT_EQ(data.requests.back(), (drive::OfferedData::Request{Format("HTML Format"), -1}));
}

}  // namespace
}  // namespace kaveto
