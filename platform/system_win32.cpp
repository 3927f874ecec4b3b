#include "platform/clipboard_win32.h"
#include "platform/clock_win32.h"
#include "platform/files_win32.h"
#include "platform/system.h"

namespace kaveto {

SystemServices MakeSystemServices() {
    SystemServices s;
    s.clipboard = std::make_unique<Win32Clipboard>();
    s.key_state = std::make_unique<Win32KeyState>();
    s.clock = std::make_unique<Win32Clock>();
    s.files = std::make_unique<Win32Files>();
    return s;
}

}  // namespace kaveto
