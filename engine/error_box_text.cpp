#include "engine/error_box_text.h"

#include "text/text_helpers.h"

namespace kaveto {

std::string ErrorBoxText(const std::string& message) {
    if (message.empty()) return message;
    // The last character is found from the start: a trail byte is only known
    // as one by the lead byte before it.
    std::size_t last = 0;
    for (std::size_t pos = 0; pos < message.size(); pos += CharLength(message, pos)) last = pos;
    if (static_cast<unsigned char>(message[last]) > static_cast<unsigned char>('.')) return message + ".";
    return message;
}

}  // namespace kaveto
