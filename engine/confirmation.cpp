#include "engine/confirmation.h"

#include <algorithm>

#include "text/text_helpers.h"

namespace kaveto {
namespace {

// "…" in Shift_JIS.
constexpr char kEllipsis[] = "\x81\x63";
constexpr long kGap = 2;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

long Clamp(long value, long low, long high) { return high < low ? low : std::clamp(value, low, high); }

}  // namespace

std::string ConfirmationText(const std::string& snippet, std::size_t limit) {
    std::size_t start = 0;
    std::string_view line;
    while (start < snippet.size()) {
        const std::size_t end = std::min(snippet.find_first_of("\r\n", start), snippet.size());
        line = std::string_view(snippet).substr(start, end - start);
        if (std::any_of(line.begin(), line.end(), [](char c) { return !IsBlank(c); })) break;
        line = {};
        start = end + 1;
    }
    if (line.size() <= limit) return std::string(line);
    // The cut leaves room for the mark and never splits a character.
    const std::size_t budget = limit > 2 ? limit - 2 : 0;
    std::size_t cut = 0;
    while (cut < line.size() && cut + CharLength(line, cut) <= budget) cut += CharLength(line, cut);
    return std::string(line.substr(0, cut)) + kEllipsis;
}

ScreenPoint ConfirmationOrigin(const ScreenRect& picture, long width, long height, const ScreenRect& work_area) {
    ScreenPoint at{picture.right + kGap, picture.top};
    if (at.x + width > work_area.right) {
        if (picture.left - kGap - width >= work_area.left) {
            at.x = picture.left - kGap - width;
        } else {
            at.x = picture.left;
            at.y = picture.bottom + kGap;
            if (at.y + height > work_area.bottom) at.y = picture.top - kGap - height;
        }
    }
    at.x = Clamp(at.x, work_area.left, work_area.right - width);
    at.y = Clamp(at.y, work_area.top, work_area.bottom - height);
    return at;
}

}  // namespace kaveto
