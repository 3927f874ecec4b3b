#pragma once
// The picture on the user's screens: the size it is drawn at for a display
// scale, and where it may stand so that the user can always find it.
#include <vector>

namespace kaveto {

// The sizes the picture is drawn at, in pixels, smallest first: one for each
// step of a quarter in the display scale from 100 % (96 dpi) to 300 %.
// The program carries a bitmap made for each, so none is ever stretched.
inline constexpr int kPictureSizes[] = {24, 30, 36, 42, 48, 54, 60, 66, 72};

// The picture's side at `dpi`: 24 pixels at 96 dpi, and as many more as the
// scale asks, down to the nearest size of kPictureSizes (a scale between two
// steps takes the smaller picture, never a stretched one).
int PictureSizeForDpi(unsigned dpi);

// A rectangle in screen pixels; right and bottom lie just outside it.
struct ScreenRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool operator==(const ScreenRect&) const = default;
};

struct ScreenPoint {
    int x = 0, y = 0;
    bool operator==(const ScreenPoint&) const = default;
};

// True when every pixel of `picture` lies in one of the work areas; a
// picture across the border of two monitors side by side counts.
bool WhollyVisible(const ScreenRect& picture, const std::vector<ScreenRect>& work_areas);

// Where the picture's top-left corner goes so that the user can see it
// whole: where it is, when it is wholly visible; otherwise the nearest
// position that lies wholly inside one monitor's work area, that of the
// monitor it needs the shortest move to reach (a picture larger than the
// work area keeps to its top-left corner). Without work areas it stays.
ScreenPoint PlaceOnScreen(const ScreenRect& picture, const std::vector<ScreenRect>& work_areas);

}  // namespace kaveto
