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
#include <vector>

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

// When the walk must stop asking: its time is up, or its reader has gone.
class Bound {
public:
    Bound(unsigned milliseconds, const std::atomic<bool>& stop) : deadline_(milliseconds), stop_(stop) {}
    bool Reached() const { return stop_ || deadline_.Passed(); }

private:
    Deadline deadline_;
    const std::atomic<bool>& stop_;
};

// Appends the node's children to the queue, asking for a few at a time, and
// no more than `room` of them: objects the walk could never visit are not
// asked for.
void QueueChildren(const Node& node, std::deque<Node>& queue, std::size_t room, const Bound& bound) {
    LONG count = 0;
    if (bound.Reached() || FAILED(node.object->get_accChildCount(&count)) || count <= 0) return;
    count = static_cast<LONG>(std::min<std::size_t>(static_cast<std::size_t>(count), room));
    for (LONG start = 0; start < count && !bound.Reached(); start += kChildBatch) {
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

// Every object of the browser the walk has met, in the order met (a deque:
// a new one never moves the others). Letting go of one is a call into the
// browser, so they go only after the answer is out: a walk that met
// hundreds would otherwise spend its reader's time on them.
using MetObjects = std::deque<Node>;

// Reads what the node tells: the document's value and name, an editable
// text's value. True when the walk is over: a document with an address.
bool Read(const Node& node, LONG role, SharedWalk& walk, const Bound& bound) {
    if (role == ROLE_SYSTEM_TEXT) {
        std::u16string value = TextOf(&IAccessible::get_accValue, node);
        std::lock_guard<std::mutex> hold(walk.lock);
        if (!value.empty()) walk.page.editable_values.push_back(std::move(value));
        return false;
    }
    const std::u16string value = TextOf(&IAccessible::get_accValue, node);
    const bool address = IsWebOrFileAddress(value);
    {
        std::lock_guard<std::mutex> hold(walk.lock);
        if (walk.page.has_document && !address) return false;  // the first one is kept
        walk.page.has_document = true;
        walk.page.document_value = value;
    }
    // Its name is the title; one with an address ends the walk.
    if (bound.Reached()) return true;
    std::u16string name = TextOf(&IAccessible::get_accName, node);
    std::lock_guard<std::mutex> hold(walk.lock);
    walk.page.document_name = std::move(name);
    return address;
}

void Walk(HWND window, SharedWalk& walk, MetObjects& met) {
    // Nothing is asked of the browser once the bound is reached, nor once
    // the reader has stopped waiting: a browser that answers again late
    // gets no more questions from a walk nobody waits for.
    const Bound bound(Win32Accessibility::kMaxMilliseconds, walk.stop);
    ComPtr<IAccessible> root = RootOf(window);
    if (!root.get()) return;
    met.push_back(Node{std::move(root), CHILDID_SELF});
    // Breadth first, one level at a time: the toolbars and the document lie
    // near the root, the page's own content below the document, which is
    // never entered. Every object of a level is asked what it is before any
    // of them is opened, so a document beside a toolbar is read without
    // first asking for the toolbar's children.
    int visited = 0;
    for (std::size_t level = 0; level < met.size();) {
        const std::size_t level_end = met.size();
        std::vector<std::size_t> containers;
        for (std::size_t i = level; i < level_end; ++i) {
            if (visited == Win32Accessibility::kMaxObjects || bound.Reached()) return;
            const LONG role = RoleOf(met[i]);
            {
                std::lock_guard<std::mutex> hold(walk.lock);
                walk.page.visited = ++visited;
            }
            if (bound.Reached()) return;
            if (role == ROLE_SYSTEM_DOCUMENT || role == ROLE_SYSTEM_TEXT) {
                if (Read(met[i], role, walk, bound)) return;
            } else if (met[i].child_id == CHILDID_SELF) {
                containers.push_back(i);
            }
        }
        for (std::size_t i : containers) {
            // No more children are asked for than could still be visited.
            const std::size_t waiting = met.size() - level_end;
            const std::size_t room = static_cast<std::size_t>(Win32Accessibility::kMaxObjects - visited);
            if (waiting >= room) break;
            QueueChildren(met[i], met, room - waiting, bound);
        }
        level = level_end;
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
            {
                MetObjects met;
                Walk(hwnd, *walk, met);
                ::SetEvent(walk->done.get());
            }
            if (SUCCEEDED(com)) ::CoUninitialize();
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
