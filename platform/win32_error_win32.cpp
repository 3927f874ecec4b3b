#include <windows.h>

#include "platform/errors.h"
#include "platform/win32_error.h"

namespace kaveto {

void ThrowLastFileError() { throw FileError(::GetLastError()); }

std::string SystemMessage(std::uint32_t code) {
    char buf[512] = {};
    DWORD n = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, buf,
                               sizeof buf, nullptr);
    std::string text(buf, n);
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ')) text.pop_back();
    if (text.empty()) {
        char hex[32];
        wsprintfA(hex, "0x%08lX", static_cast<unsigned long>(code));
        text = std::string("OLE error ") + hex;
    }
    return text;
}

void ThrowOleError(std::int32_t hresult) { throw OleError(hresult, SystemMessage(static_cast<std::uint32_t>(hresult))); }

}  // namespace kaveto
