// Drives a running kaveto.exe the way a user would, for the headless
// demonstration: a browser window in front of a page kept in the URL cache
// (its title stored in EUC-JP), a double-click on the picture, a link dragged
// from the browser and dropped on the picture, and the newest history entry
// pasted back into an editor with the hotkey.
//
// Prints each snippet (Shift_JIS bytes, as the program makes them) to stdout.
// Exit status: 0 done, 1 a step failed (what failed goes to stderr).
#include <windows.h>
#include <ole2.h>
#include <shlobj.h>
#include <wininet.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <thread>

namespace {

constexpr DWORD kTimeoutMs = 10000;

// "Kaveto のサンプルページ" in EUC-JP, so that the title has to be converted.
// ("ン" is a pair that Shift_JIS cannot hold, which tells the two codes apart;
// a page of only such pairs as "デモ" could be either and stays as it is.)
const std::string kTitleEucJp =
    "Kaveto \xa4\xce\xa5\xb5\xa5\xf3\xa5\xd7\xa5\xeb\xa5\xda\xa1\xbc\xa5\xb8";
// The dragged link's text: "次のページ" (a Shift_JIS literal).
const std::string kLinkText = "次のページ";
const std::string kLinkAddress = "http://example.com/kaveto-demo/next.html";

struct Failure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

void Check(bool ok, const std::string& what) {
    if (!ok) throw Failure(what);
}

bool WaitUntil(const std::function<bool()>& done, DWORD timeout_ms = kTimeoutMs) {
    const ULONGLONG end = ::GetTickCount64() + timeout_ms;
    while (!done()) {
        if (::GetTickCount64() >= end) return false;
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        ::Sleep(5);
    }
    return true;
}

void Settle(DWORD ms) {
    WaitUntil([] { return false; }, ms);
}

std::string TextOf(HWND window) {
    char text[2048] = {};
    ::SendMessageA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

// ---- the page in the URL cache, removed again when the demonstration ends

class CachedPage {
public:
    CachedPage(const std::string& url, const std::string& title) : url_(url) {
        char path[MAX_PATH] = {};
        Check(::CreateUrlCacheEntryA(url.c_str(), 0, "htm", path, 0), "could not make a URL cache entry");
        const std::string page = "<html>\r\n<head>\r\n<meta http-equiv=\"Content-Type\" content=\"text/html; charset=EUC-JP\">\r\n"
                                 "<title>" + title + "</title>\r\n</head>\r\n<body>demo</body>\r\n</html>\r\n";
        HANDLE f = ::CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        Check(f != INVALID_HANDLE_VALUE, "could not write the cached page");
        DWORD written = 0;
        ::WriteFile(f, page.data(), static_cast<DWORD>(page.size()), &written, nullptr);
        ::CloseHandle(f);
        FILETIME zero = {};
        Check(::CommitUrlCacheEntryA(url.c_str(), path, zero, zero, NORMAL_CACHE_ENTRY, nullptr, 0, nullptr, nullptr),
              "could not commit the page to the URL cache");
        committed_ = true;
    }
    ~CachedPage() {
        if (committed_) ::DeleteUrlCacheEntryA(url_.c_str());
    }

private:
    std::string url_;
    bool committed_ = false;
};

// ---- the browser and the editor: windows of another thread, as another
// program's windows would be

LRESULT CALLBACK DesktopProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    // Like an editor, the window hands its focus to its text field.
    if (message == WM_SETFOCUS) {
        HWND child = ::GetWindow(hwnd, GW_CHILD);
        if (child && ::GetWindow(child, GW_CHILD)) child = nullptr;  // the browser's address bar keeps no focus
        if (child) ::SetFocus(child);
        return 0;
    }
    return ::DefWindowProcA(hwnd, message, wparam, lparam);
}

class Desktop {
public:
    explicit Desktop(const std::string& address) : address_(address) {
        thread_ = std::thread([this] { Run(); });
        Check(WaitUntil([this] { return ready_.load(); }), "the browser and editor windows did not start");
        Check(browser_ && editor_ && edit_, "could not make the browser and editor windows");
    }
    ~Desktop() {
        ::PostThreadMessageA(thread_id_, WM_QUIT, 0, 0);
        WaitUntil([this] { return finished_.load(); });
        thread_.join();
    }
    HWND browser() const { return browser_; }
    HWND editor() const { return editor_; }
    HWND edit() const { return edit_; }

private:
    void Run() {
        thread_id_ = ::GetCurrentThreadId();
        WNDCLASSA wc = {};
        wc.lpfnWndProc = DesktopProc;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        wc.lpszClassName = "KavetoDemoWindow";
        ::RegisterClassA(&wc);
        browser_ = ::CreateWindowExA(0, wc.lpszClassName, "Stand-in browser", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 300,
                                     100, 480, 160, nullptr, nullptr, wc.hInstance, nullptr);
        HWND pane = ::CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, 460, 40, browser_, nullptr,
                                      wc.hInstance, nullptr);
        ::CreateWindowExA(0, "Edit", address_.c_str(), WS_CHILD | WS_VISIBLE | WS_BORDER, 4, 4, 440, 24, pane, nullptr,
                          wc.hInstance, nullptr);
        editor_ = ::CreateWindowExA(0, wc.lpszClassName, "Stand-in editor", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 300, 300,
                                    480, 200, nullptr, nullptr, wc.hInstance, nullptr);
        edit_ = ::CreateWindowExA(0, "Edit", "", WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_AUTOVSCROLL, 0, 0, 460, 150,
                                  editor_, nullptr, wc.hInstance, nullptr);
        ready_ = true;
        MSG msg;
        while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        ::DestroyWindow(editor_);
        ::DestroyWindow(browser_);
        finished_ = true;
    }

    std::string address_;
    std::thread thread_;
    std::atomic<bool> ready_{false};
    std::atomic<bool> finished_{false};
    DWORD thread_id_ = 0;
    HWND browser_ = nullptr, editor_ = nullptr, edit_ = nullptr;
};

void BringToFront(HWND window, const char* name) {
    ::SetForegroundWindow(window);
    Check(WaitUntil([&] { return ::GetForegroundWindow() == window; }), std::string("could not bring the ") + name +
                                                                           " to the front");
}

// ---- the running program

HWND WaitForProcessWindow(DWORD pid, const char* class_name, DWORD timeout_ms = kTimeoutMs) {
    struct Query {
        DWORD pid;
        const char* class_name;
        HWND found;
    } query = {pid, class_name, nullptr};
    WaitUntil(
        [&] {
            ::EnumWindows(
                [](HWND w, LPARAM p) -> BOOL {
                    auto* q = reinterpret_cast<Query*>(p);
                    DWORD owner = 0;
                    char name[64] = {};
                    ::GetWindowThreadProcessId(w, &owner);
                    ::GetClassNameA(w, name, sizeof name);
                    if (owner == q->pid && ::IsWindowVisible(w) && std::strcmp(name, q->class_name) == 0) {
                        q->found = w;
                        return FALSE;
                    }
                    return TRUE;
                },
                reinterpret_cast<LPARAM>(&query));
            return query.found != nullptr;
        },
        timeout_ms);
    return query.found;
}

// ---- synthesised input

void MoveMouseTo(int x, int y) {
    ::SetCursorPos(x, y);
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = (x * 65536 + 65535) / ::GetSystemMetrics(SM_CXSCREEN);
    input.mi.dy = (y * 65536 + 65535) / ::GetSystemMetrics(SM_CYSCREEN);
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    ::SendInput(1, &input, sizeof input);
    Settle(30);
}

void MouseButton(DWORD flags) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    ::SendInput(1, &input, sizeof input);
    Settle(30);
}

void Key(BYTE vk, bool up) {
    ::keybd_event(vk, 0, up ? KEYEVENTF_KEYUP : 0, 0);
    Settle(20);
}

// ---- the clipboard, opened without an owner so that the program never
// waits for this process to pump

bool OpenClipboardPatiently() {
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (::OpenClipboard(nullptr)) return true;
        Settle(20);
    }
    return false;
}

std::string ClipboardText() {
    Check(OpenClipboardPatiently(), "the clipboard stays busy");
    std::string text;
    if (HANDLE block = ::GetClipboardData(CF_TEXT)) {
        const char* bytes = static_cast<const char*>(::GlobalLock(block));
        if (bytes) text.assign(bytes, strnlen(bytes, ::GlobalSize(block)));
        ::GlobalUnlock(block);
    }
    ::CloseClipboard();
    return text;
}

void SetClipboardText(const std::string& text) {
    Check(OpenClipboardPatiently(), "the clipboard stays busy");
    ::EmptyClipboard();
    HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    std::memcpy(::GlobalLock(block), text.c_str(), text.size() + 1);
    ::GlobalUnlock(block);
    ::SetClipboardData(CF_TEXT, block);
    ::CloseClipboard();
}

std::string WaitForNewClipboardText(const std::string& before, const char* after_what) {
    std::string text;
    Check(WaitUntil([&] { return (text = ClipboardText()) != before; }),
          std::string("the clipboard did not change after the ") + after_what);
    return text;
}

// ---- a link dragged as a browser drags one: its address as text and a
// file group descriptor naming an internet shortcut after the link's text

class LinkData : public IDataObject {
public:
    LinkData(const std::string& address, const std::string& link_text) {
        blocks_[CF_TEXT] = address + '\0';
        FILEGROUPDESCRIPTORA group = {};
        group.cItems = 1;
        std::strncpy(group.fgd[0].cFileName, (link_text + ".URL").c_str(), MAX_PATH - 1);
        const auto format = static_cast<CLIPFORMAT>(::RegisterClipboardFormatA("FileGroupDescriptor"));
        blocks_[format] = std::string(reinterpret_cast<const char*>(&group), sizeof group);
    }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** o) override {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDataObject)) {
            *o = this;
            AddRef();
            return S_OK;
        }
        *o = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* f, STGMEDIUM* m) override {
        auto found = blocks_.find(f->cfFormat);
        if (found == blocks_.end() || !(f->tymed & TYMED_HGLOBAL)) return DV_E_FORMATETC;
        HGLOBAL h = ::GlobalAlloc(GMEM_MOVEABLE, found->second.size());
        if (!h) return E_OUTOFMEMORY;
        std::memcpy(::GlobalLock(h), found->second.data(), found->second.size());
        ::GlobalUnlock(h);
        m->tymed = TYMED_HGLOBAL;
        m->hGlobal = h;
        m->pUnkForRelease = nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* f) override {
        return blocks_.count(f->cfFormat) && (f->tymed & TYMED_HGLOBAL) ? S_OK : DV_E_FORMATETC;
    }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
        out->ptd = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

private:
    std::map<CLIPFORMAT, std::string> blocks_;
};

// Holds the pointer over the drop point for a few rounds of the drag loop,
// then drops.
class DropOn : public IDropSource {
public:
    explicit DropOn(POINT target) : target_(target) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** o) override {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDropSource)) {
            *o = this;
            return S_OK;
        }
        *o = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD) override {
        if (escape || ++calls_ > 1000) return DRAGDROP_S_CANCEL;
        ::SetCursorPos(target_.x, target_.y);
        return calls_ < 5 ? S_OK : DRAGDROP_S_DROP;
    }
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }

private:
    POINT target_;
    int calls_ = 0;
};

void PrintResult(const char* heading, const std::string& text) {
    std::printf("== %s\n%s\n", heading, text.c_str());
    std::fflush(stdout);
}

int Run() {
    HWND picture = nullptr;
    Check(WaitUntil([&] { return (picture = ::FindWindowA("TForm1", nullptr)) && ::IsWindowVisible(picture); }),
          "kaveto's picture window did not appear");
    DWORD pid = 0;
    ::GetWindowThreadProcessId(picture, &pid);
    RECT r = {};
    ::GetWindowRect(picture, &r);
    const POINT middle = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};

    const std::string page = "http://example.com/kaveto-demo/page-" + std::to_string(::GetTickCount64()) + ".html";
    CachedPage cached(page, kTitleEucJp);
    Desktop desktop(page);
    Settle(200);

    // The double-click: the browser in front, the pointer comes over the
    // picture (which notes the browser as the window to quote), two clicks.
    SetClipboardText("(before the double-click)");
    BringToFront(desktop.browser(), "browser");
    MoveMouseTo(middle.x - 3, middle.y - 3);
    MoveMouseTo(middle.x, middle.y);
    for (int click = 0; click < 2; ++click) {
        MouseButton(MOUSEEVENTF_LEFTDOWN);
        MouseButton(MOUSEEVENTF_LEFTUP);
    }
    PrintResult("double-click capture: clipboard",
                WaitForNewClipboardText("(before the double-click)", "double-click"));

    // The link dropped on the picture.
    SetClipboardText("(before the drop)");
    BringToFront(desktop.browser(), "browser");
    LinkData link(kLinkAddress, kLinkText);
    DropOn source(middle);
    DWORD effect = 0;
    const HRESULT dropped = ::DoDragDrop(&link, &source, DROPEFFECT_COPY | DROPEFFECT_LINK, &effect);
    Check(dropped == DRAGDROP_S_DROP, "the link was not dropped on the picture");
    const std::string drop_snippet = WaitForNewClipboardText("(before the drop)", "link drop");
    PrintResult("link drop: clipboard", drop_snippet);

    // The paste-back: the editor in front, the hotkey opens the history
    // menu, A chooses the newest entry.
    SetClipboardText("(before the paste-back)");
    BringToFront(desktop.editor(), "editor");
    Settle(200);
    Key(VK_MENU, false);
    Key('A', false);
    Key('A', true);
    Key(VK_MENU, true);
    Check(WaitForProcessWindow(pid, "#32768") != nullptr, "the hotkey opened no history menu");
    Key('A', false);
    Key('A', true);
    std::string pasted;
    Check(WaitUntil([&] { return !(pasted = TextOf(desktop.edit())).empty(); }),
          "nothing was pasted into the editor");
    Settle(300);  // let the whole paste arrive
    PrintResult("paste-back (Alt+A, A): the editor holds", TextOf(desktop.edit()));
    return 0;
}

}  // namespace

int main() {
    if (FAILED(::OleInitialize(nullptr))) {
        std::fputs("demo: OLE could not be started\n", stderr);
        return 1;
    }
    int status = 1;
    try {
        status = Run();
    } catch (const Failure& failure) {
        std::fprintf(stderr, "demo failed: %s\n", failure.what());
    }
    ::OleUninitialize();
    return status;
}
