#include "tools/drive/standin_browser.h"

#include <ole2.h>
#include <oleacc.h>

#include <cstring>

#include "tools/drive/accessible_tree.h"
#include "tools/drive/drag.h"
#include "tools/drive/window_query.h"

namespace kaveto::drive {
namespace {

// The tags of a WM_COPYDATA that carries an address, or a whole page (the
// address, a zero byte, then the title in UTF-16).
constexpr ULONG_PTR kAddressData = 0x4b414444;
constexpr ULONG_PTR kPageData = 0x4b504147;

// How long a question to a silent tree waits when nothing ends it.
constexpr DWORD kSilentMs = 60000;

UINT HangMessage() {
    static const UINT message = ::RegisterWindowMessageA("Kaveto.StandIn.Hang");
    return message;
}

// The classic browser: the address in an "Edit" inside a pane of the frame.
// The address bar keeps no focus of its own: the frame holds it, as a page
// would.
class EditBarBrowser : public BrowserWindow {
protected:
    const wchar_t* ClassName() const override { return L"KavetoStandInBrowser"; }
    void Populate(HWND frame) override {
        HINSTANCE instance = ::GetModuleHandleA(nullptr);
        HWND pane = ::CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, 460, 40, frame, nullptr, instance,
                                      nullptr);
        address_bar_ = ::CreateWindowExA(0, "Edit", "", WS_CHILD | WS_VISIBLE | WS_BORDER, 4, 4, 440, 24, pane,
                                         nullptr, instance, nullptr);
    }
    void Show(const BrowserPage& page) override { ::SetWindowTextA(address_bar_, page.address.c_str()); }

private:
    HWND address_bar_ = nullptr;  // a child: it goes with the frame
};

// A browser that draws its own window: no child windows, the caption names
// the page and the browser, and the accessibility tree tells the address.
class TreeBrowser : public BrowserWindow {
public:
    explicit TreeBrowser(TreeAnswer answer) : answer_(answer) {}
    long TreeQuestions() const override { return tree_ ? tree_->questions() : 0; }

protected:
    // The caption's ending after the title, and the tree of the page.
    virtual const wchar_t* CaptionEnding() const = 0;
    virtual AccessibleNode PageTree(const std::wstring& address, const std::wstring& title) const = 0;

    void Populate(HWND) override {}
    void Show(const BrowserPage& page) override {
        // Wide, so that a title beyond the ANSI code page survives.
        ::SetWindowTextW(window(), (page.title + CaptionEnding()).c_str());
        if (answer_ == TreeAnswer::kNone) return;
        // A new tree for each page: the objects handed out for the old one
        // keep it alive as long as they are held.
        tree_ = std::make_unique<AccessibleTree>(Answering(PageTree(WideFromAnsi(page.address), page.title)),
                                                 release_event());
    }
    bool Answer(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) override {
        return message == WM_GETOBJECT && tree_ && tree_->Answer(wparam, lparam, result);
    }

private:
    AccessibleNode Answering(AccessibleNode page) const {
        if (answer_ == TreeAnswer::kSilent) {
            page.answer_delay_ms = kSilentMs;
            return page;
        }
        if (answer_ != TreeAnswer::kHuge) return page;
        // The crowd comes first in any order of walking: tabs before the
        // pane that holds the page, all children of the root.
        AccessibleNode root{ROLE_SYSTEM_CLIENT, page.name, L"", {}};
        root.children.reserve(kHugeTreeObjects + 1);
        for (int i = 0; i < kHugeTreeObjects; ++i)
            root.children.push_back(AccessibleNode{ROLE_SYSTEM_PAGETAB, L"Tab " + std::to_wstring(i), L"", {}});
        page.role = ROLE_SYSTEM_PANE;
        root.children.push_back(std::move(page));
        return root;
    }

    TreeAnswer answer_;
    std::unique_ptr<AccessibleTree> tree_;
};

// Chrome, Edge and their kin: the toolbar's editable text "Address and
// search bar" holds the address without its scheme; the web document is
// named with the title and its value is the address.
class ChromiumBrowser : public TreeBrowser {
public:
    using TreeBrowser::TreeBrowser;

protected:
    const wchar_t* ClassName() const override { return L"Chrome_WidgetWin_1"; }
    const wchar_t* CaptionEnding() const override { return L" - Google Chrome"; }
    AccessibleNode PageTree(const std::wstring& address, const std::wstring& title) const override {
        const std::size_t scheme = address.find(L"://");
        const std::wstring shown = scheme == std::wstring::npos ? address : address.substr(scheme + 3);
        return BrowserTree(shown, title, address);
    }
};

// Firefox: the navigation toolbar's address field holds the whole address;
// the document is named with the title and its value is the address.
class FirefoxBrowser : public TreeBrowser {
public:
    using TreeBrowser::TreeBrowser;

protected:
    const wchar_t* ClassName() const override { return L"MozillaWindowClass"; }
    const wchar_t* CaptionEnding() const override { return L" \u2014 Mozilla Firefox"; }
    AccessibleNode PageTree(const std::wstring& address, const std::wstring& title) const override {
        AccessibleNode field{ROLE_SYSTEM_TEXT, L"Search with Google or enter address", address, {}};
        AccessibleNode toolbar{ROLE_SYSTEM_TOOLBAR, L"Navigation", L"", {std::move(field)}};
        AccessibleNode document{ROLE_SYSTEM_DOCUMENT, title, address, {}};
        document.children.push_back(AccessibleNode{ROLE_SYSTEM_STATICTEXT, L"text", L"", {}});
        AccessibleNode application{ROLE_SYSTEM_APPLICATION, title + CaptionEnding(), L"",
                                   {std::move(toolbar), std::move(document)}};
        return AccessibleNode{ROLE_SYSTEM_CLIENT, L"", L"", {std::move(application)}};
    }
};

}  // namespace

std::optional<BrowserKind> BrowserKindNamed(const std::string& name) {
    if (name == "edit") return BrowserKind::kEditBar;
    if (name == "chrome") return BrowserKind::kChromium;
    if (name == "firefox") return BrowserKind::kFirefox;
    return std::nullopt;
}

std::optional<TreeAnswer> TreeAnswerNamed(const std::string& name) {
    if (name == "page") return TreeAnswer::kPage;
    if (name == "huge") return TreeAnswer::kHuge;
    if (name == "silent") return TreeAnswer::kSilent;
    if (name == "none") return TreeAnswer::kNone;
    return std::nullopt;
}

std::unique_ptr<BrowserWindow> MakeBrowserWindow(BrowserKind kind, TreeAnswer tree) {
    switch (kind) {
    case BrowserKind::kEditBar:
        return std::make_unique<EditBarBrowser>();
    case BrowserKind::kChromium:
        return std::make_unique<ChromiumBrowser>(tree);
    case BrowserKind::kFirefox:
        return std::make_unique<FirefoxBrowser>(tree);
    }
    return nullptr;
}

BrowserWindow::~BrowserWindow() = default;

HWND BrowserWindow::Open(const BrowserPage& page, const Placement& placement) {
    // The thread serves the accessibility tree: an apartment of its own.
    ole_ = SUCCEEDED(::OleInitialize(nullptr));
    WNDCLASSW wc = {};
    wc.lpfnWndProc = FrameProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.lpszClassName = ClassName();
    ::RegisterClassW(&wc);  // fails harmlessly for the second window of the kind
    frame_.reset(::CreateWindowExW(0, ClassName(), L"Stand-in browser", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                   placement.x, placement.y, placement.width, placement.height, nullptr, nullptr,
                                   wc.hInstance, this));
    if (!frame_) return nullptr;
    page_ = page;
    Populate(frame_.get());
    Show(page_);
    return frame_.get();
}

void BrowserWindow::Close() {
    frame_.reset();
    AnswerLateCalls();
    // Disconnects whatever other programs still hold of the tree.
    if (ole_) ::OleUninitialize();
    ole_ = false;
}

LRESULT CALLBACK BrowserWindow::FrameProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<BrowserWindow*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<BrowserWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self || message == WM_NCDESTROY) {
        if (message == WM_NCDESTROY) ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        return ::DefWindowProcW(window, message, wparam, lparam);
    }
    return self->Handle(window, message, wparam, lparam);
}

LRESULT BrowserWindow::Handle(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_COPYDATA) {
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lparam);
        const std::string bytes(static_cast<const char*>(data->lpData), data->cbData);
        if (data->dwData == kAddressData) {
            page_.address = bytes;
        } else if (data->dwData == kPageData) {
            const std::size_t end = bytes.find('\0');
            if (end == std::string::npos) return FALSE;
            page_.address = bytes.substr(0, end);
            const std::string title = bytes.substr(end + 1);
            page_.title.assign(reinterpret_cast<const wchar_t*>(title.data()), title.size() / sizeof(wchar_t));
        } else {
            return FALSE;
        }
        Show(page_);
        return TRUE;
    }
    if (message == HangMessage()) {
        // A thread that does not answer: no message of any kind is handled
        // until the time is up.
        hanging_ = true;
        ::WaitForSingleObject(release_.get(), static_cast<DWORD>(wparam));
        hanging_ = false;
        return 0;
    }
    LRESULT result = 0;
    if (Answer(message, wparam, lparam, result)) return result;
    return ::DefWindowProcW(window, message, wparam, lparam);
}

namespace {

bool SendCopyData(HWND browser, ULONG_PTR tag, const std::string& bytes, DWORD timeout_ms) {
    COPYDATASTRUCT data = {tag, static_cast<DWORD>(bytes.size()), const_cast<char*>(bytes.data())};
    DWORD_PTR shown = FALSE;
    return ::SendMessageTimeoutA(browser, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_NORMAL, timeout_ms,
                                 &shown) &&
           shown;
}

}  // namespace

bool ShowAddressIn(HWND browser, const std::string& address, DWORD timeout_ms) {
    return SendCopyData(browser, kAddressData, address, timeout_ms);
}

bool ShowPageIn(HWND browser, const BrowserPage& page, DWORD timeout_ms) {
    std::string bytes = page.address.substr(0, page.address.find('\0')) + '\0';
    bytes.append(reinterpret_cast<const char*>(page.title.data()), page.title.size() * sizeof(wchar_t));
    return SendCopyData(browser, kPageData, bytes, timeout_ms);
}

void HangBrowser(HWND browser, DWORD ms) {
    // Sent, not posted: sent messages are handled in the order they came,
    // before posted ones, so whatever is sent after this waits for the hang.
    ::SendNotifyMessageA(browser, HangMessage(), ms, 0);
}

StandInBrowser::StandInBrowser(const BrowserPage& page, const BrowserOptions& options)
    : browser_(MakeBrowserWindow(options.kind, options.tree)),
      thread_([this, page, placement = options.placement] { browser_->Open(page, placement); },
              [this] { browser_->Close(); }) {}

StandInBrowser::~StandInBrowser() { browser_->EndHang(); }

bool StandInBrowser::BringToFront() { return drive::BringToFront(window()); }

void StandInBrowser::Hang(DWORD ms) {
    browser_->Rearm();
    HangBrowser(window(), ms);
}

}  // namespace kaveto::drive
