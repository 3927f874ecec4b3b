#pragma once
// The platform services the running program hands to its main window.
#include <memory>

#include "platform/profile.h"
#include "platform/seams.h"

namespace kaveto {

struct ProgramServices {
    std::unique_ptr<Profile> profile;
    std::unique_ptr<KeyNames> key_names;
    std::unique_ptr<Clipboard> clipboard;
};

ProgramServices MakeProgramServices();

}  // namespace kaveto
