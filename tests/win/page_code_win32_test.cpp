// A double-click quotes the title of a cached page written in UTF-8 or in a
// declared code, through the real window search, URL cache, files, composer
// and clipboard.
#include <windows.h>
#include <wininet.h>

#include <gtest/gtest.h>

#include <string>

#include "capture/capture_services_win32.h"
#include "platform/clipboard_win32.h"
#include "platform/clock_win32.h"
#include "platform/files_win32.h"
#include "tests/platform/temp_folder.h"
#include "tools/drive/clipboard.h"

namespace kaveto {
namespace {

std::string U8(std::u8string_view text) { return std::string(text.begin(), text.end()); }


LRESULT CALLBACK BrowserProc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcA(w, m, wp, lp); }

// A program folder whose double-click template quotes the title and the
// address, and a browser window whose address bar shows the cached page.
class CachedPageCode : public ::testing::Test {
protected:
    void SetUp() override {
        testing::WriteFileBytes(folder_.path() / "title.txt", "");
        std::filesystem::create_directory(folder_.path() / "main");
        testing::WriteFileBytes(folder_.path() / "main" / "3.txt", "%title_txt%|%page_url%");
        env_.program_folder = folder_.File("");
        if (env_.program_folder.back() != '\\') env_.program_folder += '\\';
        state_.settings.LogBool = false;

        WNDCLASSA wc{};
        wc.lpfnWndProc = BrowserProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "KavetoPageCodeBrowser";
        RegisterClassA(&wc);
        browser_ = CreateWindowExA(0, wc.lpszClassName, "browser", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr,
                                   nullptr, wc.hInstance, nullptr);
        ASSERT_TRUE(browser_);
        address_bar_ = CreateWindowExA(0, "Edit", "", WS_CHILD, 0, 0, 300, 20, browser_, nullptr, nullptr, nullptr);
        ASSERT_TRUE(address_bar_);
        state_.target_window = reinterpret_cast<WindowHandle>(browser_);
    }
    void TearDown() override {
        for (const std::string& url : urls_) DeleteUrlCacheEntryA(url.c_str());
        if (browser_) DestroyWindow(browser_);
    }

    // Caches the page under a fresh address and shows that address.
    std::string Show(const std::string& page) {
        const std::string url = "http://kaveto.test/page-code/" + std::to_string(GetCurrentProcessId()) + "-" +
                                std::to_string(urls_.size()) + "/index.html";
        char path[MAX_PATH] = {};
        EXPECT_TRUE(CreateUrlCacheEntryA(url.c_str(), 0, "html", path, 0)) << GetLastError();
        testing::WriteFileBytes(path, page);
        FILETIME zero{};
        EXPECT_TRUE(CommitUrlCacheEntryA(url.c_str(), path, zero, zero, NORMAL_CACHE_ENTRY, nullptr, 0, nullptr,
                                         nullptr))
            << GetLastError();
        urls_.push_back(url);
        SetWindowTextA(address_bar_, url.c_str());
        return url;
    }

    testing::TempFolder folder_;
    AppState state_;
    Win32Files files_;
    Win32Clipboard clipboard_;
    Win32KeyState keys_;
    Win32Clock clock_;
    Environment env_{"", clipboard_, keys_, clock_, files_};
    CaptureServices capture_{state_, env_, [](const std::string&) {}};
    HWND browser_ = nullptr;
    HWND address_bar_ = nullptr;
    std::vector<std::string> urls_;
};

TEST_F(CachedPageCode, TheDoubleClickQuotesTheTitleInShiftJis) {
    // "ＥＵＣのページ ｶﾞｲﾄﾞ" in EUC-JP: every byte is one Shift_JIS allows too.
    const std::string euc =
        "\xA3\xC5\xA3\xD5\xA3\xC3\xA4\xCE\xA5\xDA\xA1\xBC\xA5\xB8 \x8E\xB6\x8E\xDE\x8E\xB2\x8E\xC4\x8E\xDE";
    struct Case {
        const char* name;
        std::string page, title;
    } cases[] = {
        {"UTF-8 told by its bytes",
         U8(u8"<!DOCTYPE html>\n<html lang=\"ja\"><head>\n<title>日本語のページ\u301C Caf\u00E9</title>\n</head>\n"
            u8"<body><p>本文です。</p></body></html>\n"),
         "日本語のページ\x81\x60 Caf?"},
        {"UTF-8 declared, title over lines",
         U8(u8"<html><head><meta charset=\"utf-8\">\n<title data-rh=\"true\">\n  ｶﾞｲﾄﾞ &amp; 目次\n</title>\n"),
         "ｶﾞｲﾄﾞ & 目次"},
        {"EUC-JP declared", "<html><head>\n<meta http-equiv=\"Content-Type\" content=\"text/html; charset=EUC-JP\">\n"
                            "<title>" + euc + "</title>\n</head>\n",
         "ＥＵＣのページ ｶﾞｲﾄﾞ"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string url = Show(c.page);
        capture_.Image1DblClick();
        EXPECT_EQ(state_.record.title_txt.shift_jis, c.title);
        EXPECT_EQ(drive::ClipboardText(), c.title + "|" + url);
    }
}

}  // namespace
}  // namespace kaveto
