#pragma once
// The accessibility tree of another program's window, read through MSAA.
#include "platform/accessibility.h"

namespace kaveto {

class Win32Accessibility : public Accessibility {
public:
    // Each call into another program costs a round trip (14-26 ms under
    // Wine, far less on Windows), so the walk stops at whichever bound comes
    // first.
    static constexpr int kMaxObjects = 3000;
    static constexpr unsigned kMaxMilliseconds = 400;

    AccessiblePage ReadPage(WindowHandle window) override;
};

}  // namespace kaveto
