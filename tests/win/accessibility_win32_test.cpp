// The accessibility walk against trees served by another thread's window,
// through the same proxies a browser's tree is read through.
#include "platform/accessibility_win32.h"

#include <gtest/gtest.h>

#include <atomic>
#include <optional>

#include "tools/drive/accessible_tree.h"
#include "tools/drive/drag.h"
#include "tools/drive/wait.h"
#include "platform/unique_win32.h"
#include "tools/drive/window_thread.h"

namespace kaveto {
namespace {

using drive::AccessibleNode;
using drive::AccessibleTree;

// A window of its own thread (its own apartment, as another program's would
// be) that serves the tree. Without a root the window leaves WM_GETOBJECT to
// the system, as a window without a tree of its own does.
class TreeWindow {
public:
    // `release` ends the delays of the tree's answers once it is set.
    explicit TreeWindow(std::optional<AccessibleNode> root, HANDLE release = nullptr)
        : root_(std::move(root)), release_(release), thread_([this] { Open(); }, [this] { Close(); }) {}
    WindowHandle handle() const { return reinterpret_cast<WindowHandle>(window_); }
    const AccessibleTree& tree() const { return *tree_; }
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
        return ::DefWindowProcW(hwnd, message, wparam, lparam);
    }
    void Open() {
        ::OleInitialize(nullptr);
        if (root_) tree_ = std::make_unique<AccessibleTree>(std::move(*root_), release_);
        WNDCLASSW wc = {};
        wc.lpfnWndProc = Proc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"KavetoTestTreeWindow";
        ::RegisterClassW(&wc);
        window_ = ::CreateWindowExW(0, wc.lpszClassName, L"tree", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                                    nullptr, wc.hInstance, nullptr);
        ::SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    void Close() {
        ::DestroyWindow(window_);
        tree_.reset();
        drive::AnswerLateCalls();
        ::OleUninitialize();
    }

    std::optional<AccessibleNode> root_;
    HANDLE release_;
    std::unique_ptr<AccessibleTree> tree_;
    HWND window_ = nullptr;
    drive::WindowThread thread_;  // last: it starts at once and uses the members above
};

class AccessibilityWalk : public ::testing::Test {
protected:
    drive::OleThread ole_;
    Win32Accessibility reader_;
};

TEST_F(AccessibilityWalk, ReadsTheDocumentAndTheAddressBarOfABrowsersTree) {
    TreeWindow browser(drive::BrowserTree(L"example.jp/news", L"\u65e5\u672c\u8a9e\u301c\u30da\u30fc\u30b8",
                                         L"https://example.jp/news", 50));
    const AccessiblePage page = reader_.ReadPage(browser.handle());
    EXPECT_TRUE(page.has_document);
    EXPECT_EQ(page.document_value, u"https://example.jp/news");
    EXPECT_EQ(page.document_name, u"\u65e5\u672c\u8a9e\u301c\u30da\u30fc\u30b8");
    EXPECT_EQ(page.visited, 3) << "root, toolbar and document, nearest first; the walk ends at the document";

    TreeWindow blank(drive::BrowserTree(L"example.jp/typed", L"New Tab", L"about:blank", 50));
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
    AccessibleNode slow = drive::BrowserTree(L"example.jp/slow", L"Slow", L"https://example.jp/slow");
    slow.answer_delay_ms = 1500;

    struct Row {
        const char* name;
        AccessibleNode tree;
        DWORD hang_ms;
    } rows[] = {
        {"20,000 objects", std::move(huge), 0},
        {"a window that does not answer", drive::BrowserTree(L"a", L"b", L"https://c/"), 1500},
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

// The reader stops waiting while the walk is still inside a question; when
// the browser answers at last, the walk asks nothing more and lets go of
// every object.
TEST_F(AccessibilityWalk, AnAbandonedWalkAsksNothingMoreOnceTheBrowserAnswers) {
    UniqueHandle release(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    AccessibleNode silent = drive::BrowserTree(L"example.jp/late", L"Late", L"https://example.jp/late");
    silent.answer_delay_ms = drive::kPatienceMs;
    TreeWindow browser(std::move(silent), release.get());
    const AccessiblePage page = reader_.ReadPage(browser.handle());
    EXPECT_FALSE(page.has_document);
    ASSERT_EQ(browser.tree().questions(), 1) << "the walk waits inside its first question";

    ::SetEvent(release.get());
    EXPECT_TRUE(drive::WaitUntil([&] { return browser.tree().references() == 0; }))
        << browser.tree().references() << " references still held by the walk";
    EXPECT_EQ(browser.tree().questions(), 1);
}

}  // namespace
}  // namespace kaveto
