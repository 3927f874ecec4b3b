#pragma once
// The profile access and key names of the platform the program runs on: the
// system's functions on Windows, the program's own file access elsewhere.
#include <memory>

#include "platform/profile.h"

namespace kaveto {

std::unique_ptr<Profile> MakeSystemProfile();
std::unique_ptr<KeyNames> MakeSystemKeyNames();

}  // namespace kaveto
