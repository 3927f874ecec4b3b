#include "engine/picture_screen.h"

#include <algorithm>
#include <cstdint>

namespace kaveto {

int PictureSizeForDpi(unsigned dpi) {
    // 24 pixels for each 96 dpi.
    const unsigned ideal = dpi / 4;
    int size = kPictureSizes[0];
    for (int candidate : kPictureSizes)
        if (static_cast<unsigned>(candidate) <= ideal) size = candidate;
    return size;
}

namespace {

bool Empty(const ScreenRect& r) { return r.right <= r.left || r.bottom <= r.top; }

bool Contains(const ScreenRect& r, int x, int y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }

// The edges of the work areas that fall inside [from, to), with both ends:
// between two neighbours every point lies in the same work areas.
std::vector<int> Cuts(int from, int to, const std::vector<ScreenRect>& areas, int ScreenRect::*low,
                      int ScreenRect::*high) {
    std::vector<int> cuts{from, to};
    for (const ScreenRect& a : areas)
        for (int edge : {a.*low, a.*high})
            if (edge > from && edge < to) cuts.push_back(edge);
    std::sort(cuts.begin(), cuts.end());
    cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
    return cuts;
}

int Clamp(int value, int low, int high) { return high < low ? low : std::clamp(value, low, high); }

}  // namespace

bool WhollyVisible(const ScreenRect& picture, const std::vector<ScreenRect>& work_areas) {
    if (Empty(picture)) return false;
    const std::vector<int> xs = Cuts(picture.left, picture.right, work_areas, &ScreenRect::left, &ScreenRect::right);
    const std::vector<int> ys = Cuts(picture.top, picture.bottom, work_areas, &ScreenRect::top, &ScreenRect::bottom);
    for (std::size_t i = 0; i + 1 < xs.size(); ++i)
        for (std::size_t j = 0; j + 1 < ys.size(); ++j)
            if (std::none_of(work_areas.begin(), work_areas.end(),
                             [&](const ScreenRect& a) { return Contains(a, xs[i], ys[j]); }))
                return false;
    return true;
}

ScreenPoint PlaceOnScreen(const ScreenRect& picture, const std::vector<ScreenRect>& work_areas) {
    const ScreenPoint here{picture.left, picture.top};
    if (WhollyVisible(picture, work_areas)) return here;
    ScreenPoint best = here;
    std::int64_t best_distance = -1;
    for (const ScreenRect& a : work_areas) {
        if (Empty(a)) continue;
        const ScreenPoint p{Clamp(picture.left, a.left, a.right - picture.width()),
                            Clamp(picture.top, a.top, a.bottom - picture.height())};
        const std::int64_t dx = static_cast<std::int64_t>(p.x) - picture.left;
        const std::int64_t dy = static_cast<std::int64_t>(p.y) - picture.top;
        const std::int64_t distance = dx * dx + dy * dy;
        if (best_distance < 0 || distance < best_distance) {
            best = p;
            best_distance = distance;
        }
    }
    return best;
}

}  // namespace kaveto
