// The capture against the real window manager, URL cache and OLE data
// transfer.
#include <windows.h>
#include <ole2.h>
#include <shlobj.h>
#include <wininet.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "capture/capture_services_win32.h"
#include "capture/drop_target_win32.h"
#include "capture/page_context.h"
#include "capture/url_cache_search.h"
#include "platform/clipboard_win32.h"
#include "platform/clock_win32.h"
#include "platform/files_win32.h"
#include "platform/url_cache_win32.h"
#include "platform/window_search_win32.h"
#include "tests/capture/capture_fakes.h"
#include "tests/platform/temp_folder.h"
#include "tests/win/window_search_rig_win32.h"
#include "tools/drive/clipboard.h"
#include "tools/drive/drag.h"
#include "tools/drive/process.h"
#include "tools/drive/url_cache.h"
#include "tools/drive/wait.h"

namespace kaveto {
namespace {

std::string Lower(std::string s) {
    CharLowerBuffA(s.data(), static_cast<DWORD>(s.size()));
    return s;
}
std::string Upper(std::string s) {
    CharUpperBuffA(s.data(), static_cast<DWORD>(s.size()));
    return s;
}

// ---------------------------------------------------------------- windows

LRESULT CALLBACK PlainProc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcA(w, m, wp, lp); }

class WindowTree : public ::testing::Test {
protected:
    void SetUp() override {
        WNDCLASSA wc{};
        wc.lpfnWndProc = PlainProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "RichEdit20A";  // only the class name matters to the search
        RegisterClassA(&wc);
        top_ = CreateWindowExA(0, "STATIC", "browser", WS_OVERLAPPED, 0, 0, 400, 300, nullptr, nullptr,
                               nullptr, nullptr);
        ASSERT_TRUE(top_);
    }
    void TearDown() override {
        if (top_) DestroyWindow(top_);
    }
    HWND Child(HWND parent, const char* cls, const std::string& text) {
        HWND w = CreateWindowExA(0, cls, text.c_str(), WS_CHILD, 0, 0, 100, 20, parent, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
        EXPECT_TRUE(w) << cls;
        return w;
    }
    HWND top_ = nullptr;
};

TEST_F(WindowTree, FindsTheAddressBarAmongTheDescendants) {
    Child(top_, "RichEdit20A", "http://kaveto.test/rich/");
    Child(top_, "Edit", "search words");
    HWND pane = Child(top_, "STATIC", "");
    Child(pane, "EDIT", "http://kaveto.test/right/");
    Child(top_, "Edit", "http://kaveto.test/later/");

    WindowSearchRig rig;
    FindPageAddress(rig.context, reinterpret_cast<WindowHandle>(top_));
    EXPECT_EQ(rig.state.last_found_url.shift_jis, "http://kaveto.test/right/");

    char name[256] = {};
    EXPECT_EQ(rig.windows.ClassName(reinterpret_cast<WindowHandle>(GetWindow(pane, GW_CHILD)), name, 255), 4);
    EXPECT_STREQ(name, "Edit");
}

TEST_F(WindowTree, CutsALongAddressTo255Characters) {
    const std::string address = "https://kaveto.test/" + std::string(400, 'x');
    Child(top_, "Edit", address);
    WindowSearchRig rig;
    rig.state.last_found_url = FromShiftJis("previous");
    FindPageAddress(rig.context, reinterpret_cast<WindowHandle>(top_));
    EXPECT_EQ(rig.state.last_found_url.shift_jis, address.substr(0, 255));

    DestroyWindow(GetWindow(top_, GW_CHILD));
    Child(top_, "Edit", "HTTP://kaveto.test/");
    FindPageAddress(rig.context, reinterpret_cast<WindowHandle>(top_));
    EXPECT_EQ(rig.state.last_found_url.shift_jis, address.substr(0, 255)) << "the last address is kept";
}

TEST_F(WindowTree, WithoutAWindowSearchesTheTopLevelWindows) {
    HWND bar = CreateWindowExA(0, "Edit", "http://kaveto.test/top-level/", WS_POPUP, 0, 0, 100, 20, nullptr,
                               nullptr, nullptr, nullptr);
    ASSERT_TRUE(bar);
    WindowSearchRig rig;
    FindPageAddress(rig.context, 0);
    DestroyWindow(bar);
    EXPECT_EQ(rig.state.last_found_url.shift_jis, "http://kaveto.test/top-level/");
}

// ---------------------------------------------------------------- URL cache

// Files read straight from the disk, for the title of a cached page.
class DiskFiles : public testing::FakeFiles {
public:
    bool FileExists(const std::string& path) override {
        const DWORD a = GetFileAttributesA(path.c_str());
        return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
    }
    std::string ReadAll(const std::string& path) override {
        HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        if (f == INVALID_HANDLE_VALUE) throw FileError(GetLastError());
        std::string out(GetFileSize(f, nullptr), '\0');
        DWORD got = 0;
        ReadFile(f, out.data(), static_cast<DWORD>(out.size()), &got, nullptr);
        CloseHandle(f);
        out.resize(got);
        return out;
    }
    std::int64_t FileSize(const std::string& path) override {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return -1;
        return (std::int64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
    }
};

class UrlCacheTest : public ::testing::Test {
protected:
    // A fresh cache entry for a unique URL, with a response header of the
    // size asked for; returns its local file.
    std::string Cache(const std::string& tail, const std::string& content, std::size_t header_bytes = 0) {
        last_url_ = pages_.NewAddress(tail);
        const std::string header = header_bytes ? "X-Kaveto: " + std::string(header_bytes, 'h') + "\r\n" : "";
        const std::string local = pages_.Commit(last_url_, content, "htm", header);
        EXPECT_NE(local, "") << "the cache took no entry: " << GetLastError();
        return local;
    }
    drive::CachedPages pages_;
    std::string last_url_;
};

TEST_F(UrlCacheTest, FindsTheLocalCopyAndTheSourceUrl) {
    const std::string local = Cache("page.htm", "<html><title>Cached page</title></html>");
    const std::string url = last_url_;
    Win32UrlCache cache;
    EXPECT_EQ(Lower(UrlToLocalFile(url, cache)), Lower(local));
    EXPECT_EQ(FindCacheSourceUrl(cache, local), url);
    EXPECT_EQ(FindCacheSourceUrl(cache, Upper(local)), url);
    EXPECT_EQ(FindCacheSourceUrl(cache, Lower(local)), url);
    EXPECT_EQ(FindCacheSourceUrl(cache, "C:\\kaveto\\nowhere.gif"), "");
    EXPECT_EQ(UrlToLocalFile(url + "never-cached", cache), "");
}

// The real cache, with every size it asks for noted down.
class RecordingCache : public Win32UrlCache {
public:
    FindHandle FindFirst(const char* pattern, void* buffer, std::uint32_t& size, std::uint32_t& error) override {
        FindHandle h = Win32UrlCache::FindFirst(pattern, buffer, size, error);
        if (!h && error == kErrorInsufficientBuffer) asked.push_back(size);
        return h;
    }
    bool FindNext(FindHandle handle, void* buffer, std::uint32_t& size, std::uint32_t& error) override {
        const bool ok = Win32UrlCache::FindNext(handle, buffer, size, error);
        if (!ok && error == kErrorInsufficientBuffer) asked.push_back(size);
        return ok;
    }
    std::vector<std::uint32_t> asked;
};

TEST_F(UrlCacheTest, TheWalkGrowsItsBufferForALargeEntry) {
    const std::string local = Cache("large.htm", "large", 9000);
    const std::string url = last_url_;
    RecordingCache cache;
    EXPECT_EQ(FindCacheSourceUrl(cache, local), url);
    ASSERT_FALSE(cache.asked.empty()) << "the entry with its 9000-byte header needs more than 4096 bytes";
    EXPECT_GT(cache.asked.back(), 9000u);
    EXPECT_EQ(UrlToLocalFile(url, cache), "") << "the retrieval's entry is never grown";
}

TEST_F(UrlCacheTest, TheDoubleClickReadsTheTitleOfTheCachedPage) {
    Cache("title.htm", "<HTML>\n<HEAD>\n<TITLE>Cached title</TITLE>\n</HEAD>\n");
    const std::string url = last_url_;
    HWND top = CreateWindowExA(0, "STATIC", "browser", WS_OVERLAPPED, 0, 0, 400, 300, nullptr, nullptr, nullptr,
                               nullptr);
    ASSERT_TRUE(top);
    CreateWindowExA(0, "Edit", url.c_str(), WS_CHILD, 0, 0, 100, 20, top, nullptr, nullptr, nullptr);

    struct NoForeground : Win32WindowSearch {
        void ForceForeground(WindowHandle window) override { forced.push_back(window); }
        std::vector<WindowHandle> forced;
    } windows;
    AppState state;
    state.target_window = reinterpret_cast<WindowHandle>(top);
    DiskFiles files;
    Win32UrlCache cache;
    testing::FakeAccessibility accessibility;
    int composed = 0;
    CaptureContext context{state, files, windows, cache, accessibility, [&] { ++composed; }};
    Image1DblClick(context);
    DestroyWindow(top);
    EXPECT_EQ(state.record.page_url.shift_jis, url);
    EXPECT_EQ(state.record.title_txt.shift_jis, "Cached title");
    EXPECT_EQ(composed, 1);
    EXPECT_EQ(windows.forced, (std::vector<WindowHandle>{state.target_window}));
}

// ---------------------------------------------------------------- drop target

// Counts the media handed back: ReleaseStgMedium releases pUnkForRelease
// instead of freeing the block itself.
class ReleaseCounter : public IUnknown {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** o) override {
        *o = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override {
        ++released;
        return 1;
    }
    int released = 0;
};

// A data object whose media are handed back through the counter, so that
// each release can be counted.
struct TestDataObject : drive::OfferedData {
    TestDataObject() { release_with = &counter; }
    ReleaseCounter counter;
};

class DropTargetTest : public UrlCacheTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
        descriptor_ = static_cast<CLIPFORMAT>(RegisterClipboardFormatA("FileGroupDescriptor"));
        windows_.Add(0, 100, "Frame");
        windows_.Add(100, 101, "Edit", "http://kaveto.test/front/");
        windows_.foreground = 100;
    }
    void TearDown() override { OleUninitialize(); }
    HRESULT DropOnTarget(TestDataObject& data, DWORD& effect) {
        POINTL point{10, 10};
        return target_.Drop(&data, MK_CONTROL, point, &effect);
    }

    AppState state_;
    testing::FakeFiles files_;
    testing::FakeWindows windows_;
    Win32UrlCache cache_;
    testing::FakeAccessibility accessibility_;
    int composed_ = 0;
    CaptureContext context_{state_, files_, windows_, cache_, accessibility_, [this] { ++composed_; }};
    std::vector<std::string> errors_;
    DropTarget target_{context_, [this](const std::string& e) { errors_.push_back(e); }};
    CLIPFORMAT descriptor_ = 0;
};

TEST_F(DropTargetTest, AnswersCopyAndLinkAndLeavesTheDropEffectAlone) {
    TestDataObject data;
    DWORD effect = DROPEFFECT_MOVE;
    POINTL point{};
    EXPECT_EQ(target_.DragEnter(&data, 0, point, &effect), S_OK);
    EXPECT_EQ(effect, 5u);
    effect = DROPEFFECT_NONE;
    EXPECT_EQ(target_.DragOver(MK_SHIFT, point, &effect), S_OK);
    EXPECT_EQ(effect, 5u);
    EXPECT_EQ(target_.DragLeave(), S_OK);
    effect = 7;
    EXPECT_EQ(DropOnTarget(data, effect), S_OK);
    EXPECT_EQ(effect, 7u);
    const std::vector<drive::OfferedData::Request> asked{
        {CF_TEXT, -1}, {CF_HDROP, -1}, {descriptor_, 0},
        {static_cast<CLIPFORMAT>(RegisterClipboardFormatA("FileGroupDescriptorW")), -1}, {CF_UNICODETEXT, -1}};
    EXPECT_EQ(data.requests, asked) << "text, the file list, then what today's browsers offer instead";

    void* object = nullptr;
    EXPECT_EQ(target_.QueryInterface(IID_IDropTarget, &object), S_OK);
    EXPECT_EQ(object, static_cast<IDropTarget*>(&target_));
    EXPECT_EQ(target_.QueryInterface(IID_IUnknown, &object), S_OK);
    EXPECT_EQ(target_.QueryInterface(IID_IDataObject, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
}

TEST_F(DropTargetTest, ReadsALinkWithItsDescriptorAndReleasesEveryMedium) {
    TestDataObject data;
    data.blocks[CF_TEXT] = std::string("https://kaveto.test/link\0junk", 29);
    data.blocks[descriptor_] = drive::FileGroupDescriptorBlock({"Kaveto link.URL"});
    DWORD effect = 0;
    EXPECT_EQ(DropOnTarget(data, effect), S_OK);
    EXPECT_TRUE(errors_.empty());
    EXPECT_EQ(state_.record.click_url.shift_jis, "https://kaveto.test/link");
    EXPECT_EQ(state_.record.url_txt.shift_jis, "Kaveto link");
    EXPECT_EQ(state_.record.page_url.shift_jis, "http://kaveto.test/front/");
    EXPECT_EQ(composed_, 1);
    const std::vector<drive::OfferedData::Request> expected{{CF_TEXT, -1}, {descriptor_, 0}};
    EXPECT_EQ(data.requests, expected);
    EXPECT_EQ(data.counter.released, 2);
    EXPECT_EQ(data.refs, 1) << "every reference taken on the data object is given back";
}

TEST_F(DropTargetTest, ReadsTheFirstDroppedFileAsItsCacheUrl) {
    const std::string local = Cache("image.gif", "GIF89a");
    const std::string url = last_url_;
    TestDataObject data;
    data.blocks[CF_HDROP] = drive::DropFilesBlock({Upper(local), "C:\\other.gif"});
    DWORD effect = 0;
    EXPECT_EQ(DropOnTarget(data, effect), S_OK);
    EXPECT_EQ(state_.record.src.shift_jis, url);
    EXPECT_EQ(state_.record.sel_txt.shift_jis + state_.record.click_url.shift_jis, "");
    const std::vector<drive::OfferedData::Request> expected{{CF_TEXT, -1}, {CF_HDROP, -1}};
    EXPECT_EQ(data.requests, expected);
    EXPECT_EQ(data.counter.released, 1);

    std::vector<std::string> names{"stale"};
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, data.blocks[CF_HDROP].size());
    std::memcpy(GlobalLock(h), data.blocks[CF_HDROP].data(), data.blocks[CF_HDROP].size());
    GlobalUnlock(h);
    ReadDroppedFileNames(static_cast<HDROP>(h), names);
    GlobalFree(h);
    EXPECT_EQ(names, (std::vector<std::string>{Upper(local), "C:\\other.gif"}));
}

TEST_F(DropTargetTest, ALinkWithoutDescriptorIsReportedNotThrown) {
    TestDataObject data;
    data.blocks[CF_TEXT] = std::string("http://kaveto.test/bare", 24);
    DWORD effect = 3;
    EXPECT_EQ(DropOnTarget(data, effect), S_OK);
    EXPECT_EQ(effect, 3u);
    ASSERT_EQ(errors_.size(), 1u);
    EXPECT_FALSE(errors_[0].empty());
    EXPECT_EQ(state_.record.click_url.shift_jis, "http://kaveto.test/bare");
    EXPECT_EQ(state_.record.page_url.shift_jis, "");
    EXPECT_EQ(composed_, 0);
    EXPECT_EQ(data.counter.released, 1) << "the text medium is released";
}

TEST_F(DropTargetTest, GetDataAsGlobalRaisesTheOleErrorWithItsHresult) {
    TestDataObject data;
    StgMediumOwner medium;
    try {
        GetDataAsGlobal(&data, medium, descriptor_, TYMED_HGLOBAL);
        FAIL() << "no error";
    } catch (const OleError& e) {
        EXPECT_EQ(e.hresult(), DV_E_FORMATETC);
    }
    EXPECT_EQ(data.refs, 1);
    Win32ClipboardFormats formats;
    EXPECT_EQ(ClipboardFormatFromName("FileGroupDescriptor", formats), descriptor_);
    EXPECT_EQ(ClipboardFormatFromName("CF_WAVE", formats), CF_WAVE);
}

TEST_F(DropTargetTest, RegistersAndRevokesOnAWindow) {
    HWND w = CreateWindowExA(0, "STATIC", "target", WS_OVERLAPPED, 0, 0, 24, 24, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(w);
    EXPECT_NO_THROW(RegisterDropTarget(w, target_));
    EXPECT_THROW(RegisterDropTarget(w, target_), OleError) << "already registered";
    EXPECT_NO_THROW(RevokeDropTarget(w));
    EXPECT_THROW(RevokeDropTarget(w), OleError);
    DestroyWindow(w);
}

}  // namespace
}  // namespace kaveto

namespace kaveto {
namespace {

// The stand-in browser beside this test program, run as another process
// with the arguments; its output is read by line.
class StandIn : public drive::Process {
public:
    static std::string Path() { return drive::OwnFolder() + "standin_browser.exe"; }
    explicit StandIn(const std::string& arguments) : Process(Path(), {arguments, "", true}) {}
    // Its exit code once it has ended, or -1.
    int Wait() { return WaitForExit() ? static_cast<int>(ExitCode()) : -1; }
};

// The picture of the main window, taking drops through the capture services
// with the real composer, clipboard and files of a fresh program folder.
class CrossProcessDrop : public ::testing::Test {
protected:
    void SetUp() override {
        if (GetFileAttributesA(StandIn::Path().c_str()) == INVALID_FILE_ATTRIBUTES)
            GTEST_SKIP() << "standin_browser.exe not built";
        ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
        std::filesystem::create_directory(folder_.path() / "main");
        testing::WriteFileBytes(folder_.path() / "title.txt", "");
        testing::WriteFileBytes(folder_.path() / "main" / "2.txt", "%url_txt%|%click_url%|%title_txt%|%page_url%");
        testing::WriteFileBytes(folder_.path() / "main" / "4.txt", "%SRC%|%title_txt%");
        env_.program_folder = folder_.File("");
        state_.settings.LogBool = false;

        // Not a static control: those are transparent to the drag's hit test.
        WNDCLASSA wc{};
        wc.lpfnWndProc = PlainProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "KavetoDropTest";
        RegisterClassA(&wc);
        picture_ = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, "KavetoDropTest", "picture",
                                   WS_POPUP | WS_VISIBLE, 40, 40, 24, 24, nullptr, nullptr, nullptr, nullptr);
        ASSERT_TRUE(picture_);
        capture_.RegisterDropTarget(picture_);
        url_ = "http://kaveto.test/standin/" + std::to_string(GetCurrentProcessId()) + "/page.htm";
    }
    void TearDown() override {
        if (picture_) {
            capture_.RevokeDropTarget(picture_);
            DestroyWindow(picture_);
            StandIn("uncache " + url_).Wait();
            OleUninitialize();
        }
    }

    AppState state_;
    Win32Files files_;
    Win32Clipboard clipboard_;
    Win32KeyState keys_;
    Win32Clock clock_;
    Environment env_{"", clipboard_, keys_, clock_, files_};
    std::vector<std::string> errors_;
    CaptureServices capture_{state_, env_, [this](const std::string& e) { errors_.push_back(e); }};
    HWND picture_ = nullptr;
    testing::TempFolder folder_;
    std::string url_;
};

TEST_F(CrossProcessDrop, ALinkDraggedFromTheBrowserIsQuotedWithItsPage) {
    StandIn cache("cache " + url_ + " \"Stand-in page\"");
    ASSERT_EQ(cache.Wait(), 0);
    StandIn browser("show " + url_ + " 30");
    const std::string handle = browser.ReadLine();
    ASSERT_FALSE(handle.empty());
    // The browser must be in front when the link lands.
    ASSERT_TRUE(drive::WaitUntil(
        [&] { return std::to_string(reinterpret_cast<UINT_PTR>(GetForegroundWindow())) == handle; }));

    StandIn drag("drag 52 52 text http://kaveto.test/linked/ \"Linked page.url\"");
    EXPECT_EQ(drag.Wait(), 0);
    EXPECT_TRUE(errors_.empty()) << (errors_.empty() ? "" : errors_[0]);
    EXPECT_EQ(drive::ClipboardText(), "Linked page|http://kaveto.test/linked/|Stand-in page|" + url_);
    ASSERT_EQ(state_.history.history_texts().size(), 1u);
}

TEST_F(CrossProcessDrop, ACachedFileDraggedOutIsQuotedWithItsAddress) {
    StandIn cache("cache " + url_ + " Image");
    ASSERT_EQ(cache.Wait(), 0);
    const std::string local = cache.ReadLine();
    ASSERT_FALSE(local.empty());
    StandIn drag("drag 52 52 files \"" + Upper(local) + "\"");
    EXPECT_EQ(drag.Wait(), 0);
    EXPECT_TRUE(errors_.empty()) << (errors_.empty() ? "" : errors_[0]);
    EXPECT_EQ(state_.record.src.shift_jis, url_);
    EXPECT_EQ(drive::ClipboardText().substr(0, url_.size() + 1), url_ + "|");
}

TEST_F(CrossProcessDrop, ALinkWithoutDescriptorIsReportedAndTheDragEnds) {
    StandIn drag("drag 52 52 text http://kaveto.test/bare/");
    EXPECT_EQ(drag.Wait(), 0) << "the drag source is let go";
    ASSERT_EQ(errors_.size(), 1u);
    EXPECT_EQ(state_.record.click_url.shift_jis, "http://kaveto.test/bare/");
    EXPECT_TRUE(state_.history.history_texts().empty());
}

}  // namespace
}  // namespace kaveto
