#pragma once
// The brief confirmation shown by the picture when a key press has delivered
// a snippet: a glance at what went to the clipboard, placed where it covers
// neither the picture nor the screen's edge.
#include <cstddef>
#include <string>

namespace kaveto {

// Bytes of the snippet that the confirmation shows at most.
constexpr std::size_t kConfirmationBytes = 60;

// The start of the snippet's first line that shows something (blank lines
// before it are passed over), at most `limit` bytes of it and never half a
// double-byte character; a line that was cut ends with "…". Empty for a
// snippet of blank lines.
std::string ConfirmationText(const std::string& snippet, std::size_t limit = kConfirmationBytes);

struct ScreenRect {
    long left = 0, top = 0, right = 0, bottom = 0;
};

// Where the confirmation's top-left corner goes: beside the picture on its
// right, level with its top; on its left when the right has no room in the
// work area; below it when neither side has. Always inside the work area
// where the confirmation fits into it.
struct ScreenPoint {
    long x = 0, y = 0;
};
ScreenPoint ConfirmationOrigin(const ScreenRect& picture, long width, long height, const ScreenRect& work_area);

}  // namespace kaveto
