#include "app/program_services_win32.h"

#include "platform/clipboard_win32.h"
#include "platform/system_profile.h"

namespace kaveto {

ProgramServices MakeProgramServices() {
    return {MakeSystemProfile(), MakeSystemKeyNames(), std::make_unique<Win32Clipboard>()};
}

}  // namespace kaveto
