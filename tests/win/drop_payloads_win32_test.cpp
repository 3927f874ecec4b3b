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

namespace kaveto {
namespace {

std::string Wide(std::u16string_view text) {
    return std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2) + std::string(2, '\0');
}

// A data object the way a browser's answers: each block in global memory
// under its format, for any lindex, rounded up with bytes that are no part
// of it; DV_E_FORMATETC for a format it does not hold.
class BrowserDataObject : public IDataObject {
public:
    struct Request {
        CLIPFORMAT format;
        LONG lindex;
        bool operator==(const Request&) const = default;
    };
    std::map<CLIPFORMAT, std::string> blocks;
    std::vector<Request> requests;
    int handed = 0;
    LONG refs = 1;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** o) override {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDataObject)) {
            *o = static_cast<IDataObject*>(this);
            AddRef();
            return S_OK;
        }
        *o = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++refs); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--refs); }
    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* f, STGMEDIUM* m) override {
        requests.push_back({f->cfFormat, f->lindex});
        auto found = blocks.find(f->cfFormat);
        if (found == blocks.end() || !(f->tymed & TYMED_HGLOBAL)) return DV_E_FORMATETC;
        static const char kLeftOver[] = "\xEE\xEE left over \xEE";
        const std::string bytes = found->second + kLeftOver;
        HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
        if (!h) return E_OUTOFMEMORY;
        std::memcpy(GlobalLock(h), bytes.data(), bytes.size());
        GlobalUnlock(h);
        ++handed;
        m->tymed = TYMED_HGLOBAL;
        m->hGlobal = h;  // ReleaseStgMedium frees it
        m->pUnkForRelease = nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* f) override {
        return blocks.count(f->cfFormat) ? S_OK : DV_E_FORMATETC;
    }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

    bool Asked(CLIPFORMAT format) const {
        for (const Request& r : requests)
            if (r.format == format) return true;
        return false;
    }
};

CLIPFORMAT Format(const char* name) { return static_cast<CLIPFORMAT>(RegisterClipboardFormatA(name)); }

std::string DescriptorW(std::u16string_view name) {
    FILEGROUPDESCRIPTORW group{};
    group.cItems = 1;
    group.fgd[0].dwFlags = FD_FILESIZE;
    std::memcpy(group.fgd[0].cFileName, name.data(), name.size() * 2);
    return std::string(reinterpret_cast<const char*>(&group), sizeof group);
}

// An "HTML Format" block with true offsets and the page it came from.
std::string HtmlFormat(const std::string& source_url, const std::string& fragment) {
    const std::string before = "<html><body>\r\n<!--StartFragment-->";
    const std::string after = "<!--EndFragment-->\r\n</body></html>";
    const char* layout =
        "Version:0.9\r\nStartHTML:%010zu\r\nEndHTML:%010zu\r\nStartFragment:%010zu\r\nEndFragment:%010zu\r\n"
        "SourceURL:%s\r\n";
    const std::size_t head = std::snprintf(nullptr, 0, layout, std::size_t{0}, std::size_t{0}, std::size_t{0},
                                           std::size_t{0}, source_url.c_str());
    std::string header(head + 1, '\0');
    std::snprintf(header.data(), header.size(), layout, head, head + before.size() + fragment.size() + after.size(),
                  head + before.size(), head + before.size() + fragment.size(), source_url.c_str());
    header.resize(head);
    return header + before + fragment + after + std::string(1, '\0');
}

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
    // The clipboard's text, asking again while another program holds it.
    static std::string ClipboardText() {
        for (const ULONGLONG end = GetTickCount64() + 2000; GetTickCount64() < end; Sleep(10)) {
            if (!OpenClipboard(nullptr)) continue;
            std::string text;
            if (HANDLE h = GetClipboardData(CF_TEXT)) {
                if (const char* p = static_cast<const char*>(GlobalLock(h))) {
                    text.assign(p, strnlen(p, GlobalSize(h)));
                    GlobalUnlock(h);
                }
            }
            CloseClipboard();
            return text;
        }
        return "(clipboard busy)";
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
    data.blocks[CF_UNICODETEXT] = Wide(u"日本語\u301C");
    DropOnTarget(data);
    EXPECT_TRUE(errors_.empty()) << (errors_.empty() ? "" : errors_[0]);
    EXPECT_EQ(ClipboardText(), std::string("1|") + kJapanese + "|http://kaveto.test/front/|");
    const std::vector<BrowserDataObject::Request> expected{{CF_TEXT, -1},
                                                          {CF_HDROP, -1},
                                                          {Format("FileGroupDescriptor"), 0},
                                                          {Format("FileGroupDescriptorW"), -1},
                                                          {CF_UNICODETEXT, -1}};
    EXPECT_EQ(data.requests, expected);
}

TEST_F(BrowserDrop, ALinkOfferingOnlyTheWideDescriptorGivesTheLinkSnippet) {
    AddressBar("http://kaveto.test/front/");
    BrowserDataObject data;
    data.blocks[Format("UniformResourceLocatorW")] = Wide(u"http://kaveto.test/linked/");
    data.blocks[Format("FileGroupDescriptorW")] = DescriptorW(u"日本語\u301C.url");
    DropOnTarget(data);
    EXPECT_TRUE(errors_.empty()) << (errors_.empty() ? "" : errors_[0]);
    EXPECT_EQ(ClipboardText(), std::string("2|") + kJapanese + "|http://kaveto.test/linked/|http://kaveto.test/front/");
}

TEST_F(BrowserDrop, ADraggedPictureGivesItsAddressAndNeverItsContents) {
    AddressBar("http://kaveto.test/front/");
    BrowserDataObject data;
    data.blocks[Format("FileGroupDescriptorW")] = DescriptorW(u"photo.jpg");
    data.blocks[Format("FileContents")] = "\xFF\xD8\xFF\xE0 picture";
    data.blocks[Format("UniformResourceLocatorW")] = Wide(u"http://kaveto.test/img/photo.jpg");
    data.blocks[CF_UNICODETEXT] = Wide(u"http://kaveto.test/img/photo.jpg");
    DropOnTarget(data);
    EXPECT_TRUE(errors_.empty()) << (errors_.empty() ? "" : errors_[0]);
    EXPECT_EQ(ClipboardText(), "4|http://kaveto.test/img/photo.jpg|http://kaveto.test/front/");
    EXPECT_FALSE(data.Asked(Format("FileContents")));
}

TEST_F(BrowserDrop, TheDragsSourceUrlIsThePageWhenTheBrowserShowsNoAddressBar) {
    const std::string page = CachedPage("<html><head><title>Source page</title></head></html>");
    BrowserDataObject data;
    data.blocks[CF_UNICODETEXT] = Wide(u"日本語\u301C");
    data.blocks[Format("HTML Format")] = HtmlFormat(page, "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E");
    DropOnTarget(data);
    EXPECT_TRUE(errors_.empty()) << (errors_.empty() ? "" : errors_[0]);
    EXPECT_EQ(ClipboardText(), std::string("1|") + kJapanese + "|" + page + "|Source page");
    EXPECT_EQ(state_.last_found_url, page);
    ASSERT_FALSE(data.requests.empty());
    EXPECT_EQ(data.requests.back(), (BrowserDataObject::Request{Format("HTML Format"), -1}));
}

}  // namespace
}  // namespace kaveto
