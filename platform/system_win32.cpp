#include <windows.h>

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

std::string ExecutablePath() {
    std::string path(MAX_PATH, '\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

}  // namespace kaveto
