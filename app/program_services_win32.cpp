#include "app/program_services_win32.h"

#include "platform/errors.h"
#include "platform/system_profile.h"

namespace kaveto {
namespace {

// TEMPORARY until the Windows clipboard reaches this branch: a clipboard that
// cannot be opened, reported as the system would report a busy one.
class UnavailableClipboard : public Clipboard {
public:
    void SetText(const std::string&) override { throw ClipboardError(); }
};

}  // namespace

ProgramServices MakeProgramServices() {
    return {MakeSystemProfile(), MakeSystemKeyNames(),
            std::make_unique<UnavailableClipboard>()};
}

}  // namespace kaveto
