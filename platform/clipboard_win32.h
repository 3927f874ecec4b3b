#pragma once
// The Windows clipboard: CF_TEXT alone, or both forms of a text with
// CF_UNICODETEXT and CF_LOCALE.
#include <windows.h>

#include "platform/seams.h"

namespace kaveto {

class Win32Clipboard : public Clipboard {
public:
    // `owner` becomes the clipboard's owner; null leaves it without one.
    explicit Win32Clipboard(HWND owner = nullptr) : owner_(owner) {}
    void SetText(const std::string& text) override;
    void SetTexts(const DualText& text) override;

private:
    HWND owner_;
};

}  // namespace kaveto
