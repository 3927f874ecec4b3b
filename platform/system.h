#pragma once
// The platform's own services for a program that runs without a window
// (kavetoctl): the system clipboard where there is one, the key state, the
// clock and the files.
#include <memory>
#include <string>

#include "platform/seams.h"

namespace kaveto {

struct SystemServices {
    std::unique_ptr<Clipboard> clipboard;  // null where the platform has none
    std::unique_ptr<KeyState> key_state;
    std::unique_ptr<Clock> clock;
    std::unique_ptr<Files> files;
};

SystemServices MakeSystemServices();

// The full path of the running executable.
std::string ExecutablePath();

}  // namespace kaveto
