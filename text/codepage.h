#pragma once
// The lead bytes of the ANSI code page. On Windows the system answers
// (IsDBCSLeadByteEx); the native build uses Shift_JIS, the code page the
// program is made for. The implementation is chosen when linking.

namespace kaveto {

bool IsLeadByte(unsigned char byte);

// Shift_JIS lead bytes: 81-9F and E0-FC.
constexpr bool IsShiftJisLeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

}  // namespace kaveto
