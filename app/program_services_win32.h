#pragma once
// The platform services the running program hands to its main window.
#include <memory>
#include <string>

#include "platform/profile.h"
#include "platform/seams.h"
#include "platform/system.h"

namespace kaveto {

struct ProgramServices {
    std::unique_ptr<Profile> profile;
    std::unique_ptr<KeyNames> key_names;
    SystemServices system;
    std::unique_ptr<Environment> env;  // the program folder and the services above
};

// `program_folder` ends with a backslash.
ProgramServices MakeProgramServices(const std::string& program_folder);

}  // namespace kaveto
