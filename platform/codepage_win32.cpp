#include "text/codepage.h"

#include <windows.h>

namespace kaveto {

bool IsLeadByte(unsigned char byte) { return IsDBCSLeadByteEx(CP_ACP, byte) != 0; }

}  // namespace kaveto
