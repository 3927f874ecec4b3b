#pragma once
// The text that the error message box shows for an error.
#include <string>

namespace kaveto {

// The error's text with "." appended when its last character sorts after
// "." (a letter, a digit, a double-byte character), so that a sentence ends
// with a full stop but "..." or "(x)." is left alone.
std::string ErrorBoxText(const std::string& message);

}  // namespace kaveto
