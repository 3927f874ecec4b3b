#include "platform/profile_ini.h"
#include "platform/system_profile.h"

namespace kaveto {

std::unique_ptr<Profile> MakeSystemProfile() { return std::make_unique<IniFileProfile>(); }
std::unique_ptr<KeyNames> MakeSystemKeyNames() { return std::make_unique<NoKeyNames>(); }

}  // namespace kaveto
