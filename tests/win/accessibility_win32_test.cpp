// The accessibility walk against trees served by another thread's window,
// through the same proxies a browser's tree is read through.
#include "platform/accessibility_win32.h"

#include <gtest/gtest.h>

#include <atomic>
#include <optional>
#include <thread>

#include "win/accessible_tree.h"
#include "win/desktop_fixtures.h"

namespace kaveto {
namespace {

using test::AccessibleNode;
using test::AccessibleTree;

// A window of its own thread (its own apartment, as another program's would
// be) that serves the tree.
class TreeWindow {
public:
    // Without a root the window leaves WM_GETOBJECT to the system, as a
    // window without a tree of its own does.
    explicit TreeWindow(std::optional<AccessibleNode> root) : root_(std::move(root)) {
        thread_ = std::thread([this] { Run(); });
        test::WaitUntil([this] { return window_.load() != nullptr; });
    }
    ~TreeWindow() {
        ::PostMessageA(window_, WM_CLOSE, 0, 0);
        test::WaitUntil([this] { return finished_.load(); }, 15000);
        thread_.join();
    }
    HWND window() const { return window_; }
    WindowHandle handle() const { return reinterpret_cast<WindowHandle>(window_.load()); }
    long questions() const { return tree_ ? tree_->questions() : 0; }
    // The window's thread stops answering for a while.
    void Hang(DWORD ms) { ::PostMessageA(window_, WM_APP, ms, 0); }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
        auto* self = reinterpret_cast<TreeWindow*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        LRESULT result = 0;
        if (message == WM_GETOBJECT && self && self->tree_ && self->tree_->Answer(wparam, lparam, result))
            return result;
        if (message == WM_APP) {
            ::Sleep(static_cast<DWORD>(wparam));
            return 0;
        }
        if (message == WM_CLOSE) {
            ::DestroyWindow(hwnd);
            ::PostQuitMessage(0);
            return 0;
        }
        return ::DefWindowProcW(hwnd, message, wparam, lparam);
    }
    void Run() {
        ::OleInitialize(nullptr);
        if (root_) tree_ = std::make_unique<AccessibleTree>(std::move(*root_));
        WNDCLASSW wc = {};
        wc.lpfnWndProc = Proc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"KavetoTestTreeWindow";
        ::RegisterClassW(&wc);
        HWND hwnd = ::CreateWindowExW(0, wc.lpszClassName, L"tree", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                                      nullptr, wc.hInstance, nullptr);
        ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        window_ = hwnd;
        MSG msg;
        while (::GetMessageW(&msg, nullptr, 0, 0) > 0) ::DispatchMessageW(&msg);
        tree_.reset();
        ::OleUninitialize();
        finished_ = true;
    }

    std::optional<AccessibleNode> root_;
    std::unique_ptr<AccessibleTree> tree_;
    std::thread thread_;
    std::atomic<HWND> window_{nullptr};
    std::atomic<bool> finished_{false};
};

class AccessibilityWalk : public ::testing::Test {
protected:
    test::OleSession ole_;
    Win32Accessibility reader_;
};

TEST_F(AccessibilityWalk, ReadsTheDocumentAndTheAddressBarOfABrowsersTree) {
    TreeWindow browser(test::BrowserTree(L"example.jp/news", L"\u65e5\u672c\u8a9e\u301c\u30da\u30fc\u30b8",
                                         L"https://example.jp/news", 50));
    const AccessiblePage page = reader_.ReadPage(browser.handle());
    EXPECT_TRUE(page.has_document);
    EXPECT_EQ(page.document_value, u"https://example.jp/news");
    EXPECT_EQ(page.document_name, u"\u65e5\u672c\u8a9e\u301c\u30da\u30fc\u30b8");
    EXPECT_EQ(page.visited, 3) << "root, toolbar and document, nearest first; the walk ends at the document";

    TreeWindow blank(test::BrowserTree(L"example.jp/typed", L"New Tab", L"about:blank", 50));
    const AccessiblePage without_address = reader_.ReadPage(blank.handle());
    EXPECT_EQ(without_address.document_value, u"about:blank");
    EXPECT_EQ(without_address.editable_values, std::vector<std::u16string>{u"example.jp/typed"});
    EXPECT_LE(without_address.visited, 6) << "the document's content is never entered";
}

TEST_F(AccessibilityWalk, AWindowWithoutATreeOfItsOwnGivesNothing) {
    TreeWindow plain(std::nullopt);
    const AccessiblePage page = reader_.ReadPage(plain.handle());
    EXPECT_FALSE(page.has_document);
    EXPECT_TRUE(page.editable_values.empty());

    HWND own = ::CreateWindowExA(0, "STATIC", "own", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    const ULONGLONG start = ::GetTickCount64();
    reader_.ReadPage(reinterpret_cast<WindowHandle>(own));
    ::DestroyWindow(own);
    EXPECT_LT(::GetTickCount64() - start, 100u) << "a window of the reading thread is not waited for";
}

// Each bound holds whatever the tree: a huge one, a window that does not
// answer, and a tree whose every answer takes long.
TEST_F(AccessibilityWalk, StopsAtItsBoundsWhateverTheTree) {
    AccessibleNode huge{ROLE_SYSTEM_CLIENT, L"", L"", {}};
    AccessibleNode pane{ROLE_SYSTEM_PANE, L"", L"", {}};
    for (int i = 0; i < 20000; ++i) pane.children.push_back(AccessibleNode{ROLE_SYSTEM_GROUPING, L"", L"", {}});
    huge.children.push_back(std::move(pane));
    AccessibleNode slow = test::BrowserTree(L"example.jp/slow", L"Slow", L"https://example.jp/slow");
    slow.answer_delay_ms = 1500;

    struct Row {
        const char* name;
        AccessibleNode tree;
        DWORD hang_ms;
    } rows[] = {
        {"20,000 objects", std::move(huge), 0},
        {"a window that does not answer", test::BrowserTree(L"a", L"b", L"https://c/"), 1500},
        {"every answer takes 1.5 s", std::move(slow), 0},
    };
    for (Row& row : rows) {
        SCOPED_TRACE(row.name);
        TreeWindow browser(std::move(row.tree));
        if (row.hang_ms) browser.Hang(row.hang_ms);
        const ULONGLONG start = ::GetTickCount64();
        const AccessiblePage page = reader_.ReadPage(browser.handle());
        const ULONGLONG took = ::GetTickCount64() - start;
        EXPECT_LT(took, Win32Accessibility::kMaxMilliseconds + 300u);
        EXPECT_LE(page.visited, Win32Accessibility::kMaxObjects);
        EXPECT_FALSE(page.has_document);
    }
}

}  // namespace
}  // namespace kaveto
