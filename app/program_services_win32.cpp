#include "app/program_services_win32.h"

#include "platform/system_profile.h"

namespace kaveto {

ProgramServices MakeProgramServices(const std::string& program_folder) {
    ProgramServices services{MakeSystemProfile(), MakeSystemKeyNames(), MakeSystemServices(), nullptr};
    SystemServices& s = services.system;
    services.env = std::make_unique<Environment>(
        Environment{program_folder, *s.clipboard, *s.key_state, *s.clock, *s.files});
    return services;
}

}  // namespace kaveto
