#pragma once
// The Windows clipboard: CF_TEXT alone, or a snippet's forms with "HTML
// Format", CF_UNICODETEXT and CF_LOCALE.
#include <windows.h>

#include "platform/seams.h"
#include "platform/unique_win32.h"

namespace kaveto {

class Win32Clipboard : public Clipboard {
public:
    // `owner` becomes the clipboard's owner; without one, a hidden window of
    // the clipboard's own. (Under Wine two openings without a window are
    // both let in, and the first to close ends the other's opening while it
    // is still writing.)
    explicit Win32Clipboard(HWND owner = nullptr);
    void SetText(const std::string& text) override;
    void SetSnippet(const Snippet& snippet) override;

private:
    UniqueWindow own_window_;
    HWND owner_;
};

}  // namespace kaveto
