#include "text/codepage.h"

namespace kaveto {

bool IsLeadByte(unsigned char byte) { return IsShiftJisLeadByte(byte); }

}  // namespace kaveto
