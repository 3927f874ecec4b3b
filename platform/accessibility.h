#pragma once
// A browser window's own account of its page, read through its
// accessibility tree: the web document, whose value is the page's address
// and whose name is its title, and the editable texts around it, the
// address bar among them.
#include <string>
#include <vector>

#include "platform/seams.h"

namespace kaveto {

struct AccessiblePage {
    bool has_document = false;
    std::u16string document_value;
    std::u16string document_name;
    // Values of the editable texts met outside the document, in the order met.
    std::vector<std::u16string> editable_values;
    int visited = 0;  // objects asked about, for the benchmark's figures
};

class Accessibility {
public:
    virtual ~Accessibility() = default;
    // Walks the tree of the window's client area, the places near the root
    // first, and stops at the first document whose value is a web or file
    // address. The walk is bounded in objects and in time, so a browser with
    // a huge tree, or one that does not answer, costs no more than the bound;
    // a window without a tree of its own, or one of the calling thread's,
    // gives an empty page.
    virtual AccessiblePage ReadPage(WindowHandle window) = 0;
};

}  // namespace kaveto
