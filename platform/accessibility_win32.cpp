#include "platform/accessibility_win32.h"

#include <windows.h>
#include <oleacc.h>

#include <algorithm>
#include <atomic>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "platform/foreground_win32.h"
#include "platform/unique_win32.h"

namespace kaveto {
namespace {

constexpr LONG kChildBatch = 16;  // a large batch from a large tree can take seconds

// One object of the tree: a full object, or a simple element that its parent
// answers for.
struct Node {
    ComPtr<IAccessible> object;
    LONG child_id = CHILDID_SELF;
};

class Deadline {
public:
    explicit Deadline(unsigned milliseconds) : end_(::GetTickCount64() + milliseconds) {}
    bool Passed() const { return ::GetTickCount64() >= end_; }

private:
    ULONGLONG end_;
};

VARIANT ChildVariant(LONG child_id) {
    VARIANT v;
    ::VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = child_id;
    return v;
}

LONG RoleOf(const Node& node) {
    UniqueVariant role;
    if (FAILED(node.object->get_accRole(ChildVariant(node.child_id), role.put())) || role.get().vt != VT_I4) return 0;
    return role.get().lVal;
}

std::u16string TextOf(HRESULT (STDMETHODCALLTYPE IAccessible::*read)(VARIANT, BSTR*), const Node& node) {
    UniqueBstr text;
    if (FAILED((node.object.get()->*read)(ChildVariant(node.child_id), text.put())) || !text) return std::u16string();
    return std::u16string(reinterpret_cast<const char16_t*>(text.get()), ::SysStringLen(text.get()));
}

// Appends the node's children to the queue, asking for a few at a time.
void QueueChildren(const Node& node, std::deque<Node>& queue, const Deadline& deadline) {
    LONG count = 0;
    if (FAILED(node.object->get_accChildCount(&count)) || count <= 0) return;
    for (LONG start = 0; start < count && !deadline.Passed(); start += kChildBatch) {
        VARIANT children[kChildBatch];
        LONG obtained = 0;
        const LONG wanted = std::min(kChildBatch, count - start);
        if (FAILED(::AccessibleChildren(node.object.get(), start, wanted, children, &obtained))) return;
        for (LONG i = 0; i < obtained; ++i) {
            UniqueVariant child(children[i]);
            if (child.get().vt == VT_DISPATCH && child.get().pdispVal) {
                ComPtr<IAccessible> object;
                if (SUCCEEDED(child.get().pdispVal->QueryInterface(__uuidof(IAccessible),
                                                                   reinterpret_cast<void**>(object.put()))))
                    queue.push_back(Node{std::move(object), CHILDID_SELF});
            } else if (child.get().vt == VT_I4) {
                queue.push_back(Node{ComPtr<IAccessible>::AddRefed(node.object.get()), child.get().lVal});
            }
        }
        if (obtained < wanted) return;
    }
}

bool IsWebOrFileAddress(const std::u16string& value) {
    return value.rfind(u"http", 0) == 0 || value.rfind(u"file:///", 0) == 0;
}

// The window's own tree, asked for with a time limit: AccessibleObjectFromWindow
// would wait for a window that does not answer as long as it takes.
ComPtr<IAccessible> RootOf(HWND window) {
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutW(window, WM_GETOBJECT, 0, static_cast<LPARAM>(OBJID_CLIENT), SMTO_ABORTIFHUNG,
                               kAnswerTimeoutMs, &result) ||
        result == 0)
        return ComPtr<IAccessible>();
    ComPtr<IAccessible> root;
    if (FAILED(::ObjectFromLresult(result, __uuidof(IAccessible), 0, reinterpret_cast<void**>(root.put()))))
        return ComPtr<IAccessible>();
    return root;
}

// One walk, shared by the thread that walks and the thread that waits for
// it; whichever lets go last frees it.
struct SharedWalk {
    std::mutex lock;
    AccessiblePage page;  // what has been found so far
    std::atomic<bool> stop{false};
    UniqueHandle done{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
};

void Walk(HWND window, SharedWalk& walk) {
    const Deadline deadline(Win32Accessibility::kMaxMilliseconds);
    ComPtr<IAccessible> root = RootOf(window);
    if (!root.get()) return;
    // Breadth first: the toolbars and the document lie near the root, the
    // page's own content below the document, which is never entered.
    std::deque<Node> queue;
    queue.push_back(Node{std::move(root), CHILDID_SELF});
    for (int visited = 1; !queue.empty() && visited <= Win32Accessibility::kMaxObjects; ++visited) {
        if (walk.stop || deadline.Passed()) return;
        const Node node = std::move(queue.front());
        queue.pop_front();
        const LONG role = RoleOf(node);
        if (role == ROLE_SYSTEM_DOCUMENT) {
            const std::u16string value = TextOf(&IAccessible::get_accValue, node);
            const bool address = IsWebOrFileAddress(value);
            std::lock_guard<std::mutex> hold(walk.lock);
            walk.page.visited = visited;
            if (walk.page.has_document && !address) continue;  // the first one is kept
            walk.page.has_document = true;
            walk.page.document_value = value;
        } else if (role == ROLE_SYSTEM_TEXT) {
            std::u16string value = TextOf(&IAccessible::get_accValue, node);
            std::lock_guard<std::mutex> hold(walk.lock);
            walk.page.visited = visited;
            if (!value.empty()) walk.page.editable_values.push_back(std::move(value));
            continue;
        } else {
            {
                std::lock_guard<std::mutex> hold(walk.lock);
                walk.page.visited = visited;
            }
            if (node.child_id == CHILDID_SELF) QueueChildren(node, queue, deadline);
            continue;
        }
        // A document: its name is the title; one with an address ends the walk.
        std::u16string name = TextOf(&IAccessible::get_accName, node);
        std::lock_guard<std::mutex> hold(walk.lock);
        walk.page.document_name = std::move(name);
        if (IsWebOrFileAddress(walk.page.document_value)) return;
    }
}

}  // namespace

AccessiblePage Win32Accessibility::ReadPage(WindowHandle window) {
    // The walk runs on a thread of its own, in the multi-threaded apartment.
    // A call into a browser that stops answering half-way blocks until the
    // browser answers, however long that is; this thread waits no longer
    // than the bound and takes what was found so far. An abandoned walk ends
    // by itself when its call returns, and frees what it holds then.
    const HWND hwnd = reinterpret_cast<HWND>(window);
    // A window of this thread (the program's own) holds no page, and this
    // thread, waiting here, could not answer for it.
    if (::GetWindowThreadProcessId(hwnd, nullptr) == ::GetCurrentThreadId()) return AccessiblePage{};
    auto walk = std::make_shared<SharedWalk>();
    if (!walk->done) return AccessiblePage{};
    try {
        std::thread([walk, hwnd] {
            const HRESULT com = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
            Walk(hwnd, *walk);
            if (SUCCEEDED(com)) ::CoUninitialize();
            ::SetEvent(walk->done.get());
        }).detach();
    } catch (const std::system_error&) {
        return AccessiblePage{};
    }
    ::WaitForSingleObject(walk->done.get(), kMaxMilliseconds + kAnswerTimeoutMs);
    walk->stop = true;
    std::lock_guard<std::mutex> hold(walk->lock);
    return walk->page;
}

}  // namespace kaveto
