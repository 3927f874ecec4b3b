#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "tools/kavetoctl/commands.h"

namespace kaveto::ctl {

// Byte-exact input and output: no CR LF translation.
void SetBinaryStdio() {
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
}

}  // namespace kaveto::ctl
