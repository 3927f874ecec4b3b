#pragma once
// The one place where a failing Win32 call becomes one of the program's
// exceptions.
#include <cstdint>
#include <string>

namespace kaveto {

// Raises FileError for the calling thread's last error code.
[[noreturn]] void ThrowLastFileError();

// Raises OleError with the HRESULT and the system's text for it.
[[noreturn]] void ThrowOleError(std::int32_t hresult);

// The system's message text for an error code or HRESULT, without the line
// end, in the ANSI code page.
std::string SystemMessage(std::uint32_t code);

}  // namespace kaveto
