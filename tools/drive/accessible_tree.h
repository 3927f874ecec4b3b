#pragma once
// An accessibility tree served by a window, as today's browsers serve
// theirs: the window answers WM_GETOBJECT for its client area with the root
// of a tree of objects, each with a role, a name and a value.
#include <windows.h>
#include <oleacc.h>

#include <memory>
#include <string>
#include <vector>

namespace kaveto::drive {

struct AccessibleNode {
    LONG role = ROLE_SYSTEM_CLIENT;
    std::wstring name, value;
    std::vector<AccessibleNode> children;
    // Milliseconds each question about this object takes to answer (less
    // once the tree's release event is set).
    DWORD answer_delay_ms = 0;
};

// The COM face of a node tree; its objects live as long as the tree or any
// reference handed out.
class AccessibleTree {
public:
    // `release`, when given, ends every answer's delay once it is set; the
    // caller keeps it open while the tree may be asked.
    explicit AccessibleTree(AccessibleNode root, HANDLE release = nullptr);
    ~AccessibleTree();
    AccessibleTree(const AccessibleTree&) = delete;
    AccessibleTree& operator=(const AccessibleTree&) = delete;

    // The answer to WM_GETOBJECT: the root for OBJID_CLIENT, nothing else.
    // Returns true and sets `result` when the message was for the client.
    bool Answer(WPARAM wparam, LPARAM lparam, LRESULT& result);
    // Objects asked about so far (role, name, value or children).
    long questions() const;
    // References to the tree's objects held outside the tree: 0 once every
    // reader has let go of every object.
    long references() const;

    struct Shared;

private:
    std::shared_ptr<Shared> shared_;
    IAccessible* root_ = nullptr;
};

// For the thread that served a tree, before it leaves its apartment: the
// calls other apartments make late (letting go of what they held of the
// tree) are answered first. Leaving waits for the calls on their way, and
// they wait for this thread's messages.
void AnswerLateCalls();

// A tree like a browser's: a toolbar with an editable text "Address and
// search bar" holding `bar_value`, and a web document named `title` whose
// value is `address`, holding `page_objects` objects of page content.
AccessibleNode BrowserTree(const std::wstring& bar_value, const std::wstring& title, const std::wstring& address,
                           int page_objects = 3);

}  // namespace kaveto::drive
