#pragma once
// The paste-back's window system: the foreground window and synthesised keys.
#include "platform/seams.h"

namespace kaveto {

class Win32PasteBack : public PasteBackActions {
public:
    void BringToFront(WindowHandle window) override;
    void Pause(std::uint32_t milliseconds) override;
    void KeyEvent(std::uint8_t virtual_key, bool key_up) override;
};

}  // namespace kaveto
