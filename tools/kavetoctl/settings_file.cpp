#include <cstdio>

#include "tools/kavetoctl/commands.h"

namespace kaveto::ctl {

// The settings file reader is not part of this build yet: the file is named
// but not read, and the command says so instead of quietly using defaults.
bool LoadSettingsFile(const std::string& path, Settings& settings) {
    (void)settings;
    std::fprintf(stderr, "kavetoctl: settings files cannot be read by this build: %s\n", path.c_str());
    return false;
}

}  // namespace kaveto::ctl
