#include "tools/kavetoctl/commands.h"

namespace kaveto::ctl {

void SetBinaryStdio() {}

}  // namespace kaveto::ctl
