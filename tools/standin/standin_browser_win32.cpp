// A stand-in for a web browser, for tests and demonstrations: it shows a
// window whose address bar holds a page address, keeps pages in the URL
// cache, and drags links, text and files onto a point of the screen.
//
//   standin_browser cache URL TITLE        put a page with that title in the cache; prints its file
//   standin_browser uncache URL            remove the page again
//   standin_browser show URL [SECONDS]     a browser window showing URL; prints its handle
//   standin_browser drag X Y text TEXT [LINKNAME]
//   standin_browser drag X Y files PATH...  drop on the screen point X,Y
//
// Exit status: 0 done, 1 failed, 2 usage.
#include <windows.h>
#include <ole2.h>
#include <shlobj.h>
#include <wininet.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

int Usage() {
    std::fputs(
        "usage: standin_browser cache URL TITLE | uncache URL | show URL [SECONDS]\n"
        "       | drag X Y text TEXT [LINKNAME] | drag X Y files PATH...\n",
        stderr);
    return 2;
}

int CachePage(const std::string& url, const std::string& title) {
    char path[MAX_PATH] = {};
    if (!CreateUrlCacheEntryA(url.c_str(), 0, "htm", path, 0)) return 1;
    const std::string page = "<html>\r\n<head>\r\n<title>" + title + "</title>\r\n</head>\r\n<body>stand-in</body>\r\n</html>\r\n";
    HANDLE f = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    WriteFile(f, page.data(), static_cast<DWORD>(page.size()), &written, nullptr);
    CloseHandle(f);
    FILETIME zero{};
    if (!CommitUrlCacheEntryA(url.c_str(), path, zero, zero, NORMAL_CACHE_ENTRY, nullptr, 0, nullptr, nullptr))
        return 1;
    std::printf("%s\n", path);
    return 0;
}

LRESULT CALLBACK BrowserProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcA(w, m, wp, lp);
}

int ShowBrowser(const std::string& url, int seconds) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = BrowserProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "KavetoStandInBrowser";
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    RegisterClassA(&wc);
    HWND top = CreateWindowExA(0, wc.lpszClassName, "Stand-in browser", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 300, 200,
                               480, 320, nullptr, nullptr, wc.hInstance, nullptr);
    if (!top) return 1;
    HWND pane = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, 460, 40, top, nullptr, wc.hInstance,
                                nullptr);
    CreateWindowExA(0, "Edit", url.c_str(), WS_CHILD | WS_VISIBLE | WS_BORDER, 4, 4, 440, 24, pane, nullptr,
                    wc.hInstance, nullptr);
    SetForegroundWindow(top);
    std::printf("%llu\n", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(top)));
    std::fflush(stdout);
    SetTimer(top, 1, static_cast<UINT>(seconds) * 1000, nullptr);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_TIMER && msg.hwnd == top) {
            DestroyWindow(top);
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}

// A data object with fixed global blocks.
class DataObject : public IDataObject {
public:
    std::map<CLIPFORMAT, std::string> blocks;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** o) override {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDataObject)) {
            *o = this;
            AddRef();
            return S_OK;
        }
        *o = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&refs_); }
    ULONG STDMETHODCALLTYPE Release() override { return InterlockedDecrement(&refs_); }
    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* f, STGMEDIUM* m) override {
        auto found = blocks.find(f->cfFormat);
        if (found == blocks.end() || !(f->tymed & TYMED_HGLOBAL)) return DV_E_FORMATETC;
        HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, found->second.size());
        if (!h) return E_OUTOFMEMORY;
        std::memcpy(GlobalLock(h), found->second.data(), found->second.size());
        GlobalUnlock(h);
        m->tymed = TYMED_HGLOBAL;
        m->hGlobal = h;
        m->pUnkForRelease = nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* f) override {
        return blocks.count(f->cfFormat) ? S_OK : DV_E_FORMATETC;
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
    LONG refs_ = 1;
};

// Moves the cursor over the drop point, lets the drag loop see it there for
// a few rounds, then drops.
class DropSource : public IDropSource {
public:
    DropSource(int x, int y) : x_(x), y_(y) {}
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
        SetCursorPos(x_, y_);
        return calls_ < 5 ? S_OK : DRAGDROP_S_DROP;
    }
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }

private:
    int x_, y_;
    int calls_ = 0;
};

std::string DescriptorBlock(const std::string& name) {
    FILEGROUPDESCRIPTORA group{};
    group.cItems = 1;
    std::strncpy(group.fgd[0].cFileName, name.c_str(), MAX_PATH - 1);
    return std::string(reinterpret_cast<const char*>(&group), sizeof group);
}

std::string DropFilesBlock(const std::vector<std::string>& names) {
    DROPFILES head{};
    head.pFiles = sizeof head;
    std::string block(reinterpret_cast<const char*>(&head), sizeof head);
    for (const std::string& n : names) block += n + '\0';
    return block + '\0';
}

int Drag(int x, int y, const std::vector<std::string>& args) {
    DataObject data;
    if (args.size() >= 2 && args[0] == "text") {
        data.blocks[CF_TEXT] = args[1] + '\0';
        if (args.size() >= 3) {
            const auto format = static_cast<CLIPFORMAT>(RegisterClipboardFormatA("FileGroupDescriptor"));
            data.blocks[format] = DescriptorBlock(args[2]);
        }
    } else if (args.size() >= 1 && args[0] == "files") {
        data.blocks[CF_HDROP] = DropFilesBlock(std::vector<std::string>(args.begin() + 1, args.end()));
    } else {
        return Usage();
    }
    if (FAILED(OleInitialize(nullptr))) return 1;
    DropSource source(x, y);
    DWORD effect = 0;
    const HRESULT result = DoDragDrop(&data, &source, DROPEFFECT_COPY | DROPEFFECT_LINK, &effect);
    OleUninitialize();
    std::printf(result == DRAGDROP_S_DROP ? "dropped\n" : "not dropped\n");
    return result == DRAGDROP_S_DROP ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 3 && args[0] == "cache") return CachePage(args[1], args[2]);
    if (args.size() == 2 && args[0] == "uncache") return DeleteUrlCacheEntryA(args[1].c_str()) ? 0 : 1;
    if ((args.size() == 2 || args.size() == 3) && args[0] == "show")
        return ShowBrowser(args[1], args.size() == 3 ? std::atoi(args[2].c_str()) : 60);
    if (args.size() >= 4 && args[0] == "drag")
        return Drag(std::atoi(args[1].c_str()), std::atoi(args[2].c_str()),
                    std::vector<std::string>(args.begin() + 3, args.end()));
    return Usage();
}
