// The picture's size at each display scale, and the rule that keeps it
// where the user can find it, over the monitor layouts users have.
#include "engine/picture_screen.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace kaveto {
namespace {

TEST(PictureSize, FollowsTheScaleInStepsThatHaveTheirOwnArt) {
    struct Row {
        unsigned dpi;
        int size;
    } rows[] = {
        {96, 24},  {120, 30}, {144, 36}, {168, 42}, {192, 48}, {216, 54}, {240, 60}, {288, 72},
        // Between two steps: the smaller picture, never a stretched one.
        {110, 24}, {131, 30}, {191, 42},
        // Below 100 % and beyond 300 %: the smallest and the largest.
        {72, 24},  {0, 24},   {480, 72}, {4000000000u, 72},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.dpi);
        EXPECT_EQ(PictureSizeForDpi(row.dpi), row.size);
    }
}

ScreenRect Picture(int left, int top, int side = 24) { return {left, top, left + side, top + side}; }

// A 1920 x 1080 screen whose taskbar takes the bottom 40 pixels.
const ScreenRect kLaptop = {0, 0, 1920, 1040};

TEST(PlaceOnScreen, OneMonitorBringsBackWhatLiesBeyondEachEdgeAndKeepsWhatIsVisible) {
    struct Row {
        const char* name;
        ScreenRect picture;
        ScreenPoint placed;
    } rows[] = {
        {"inside", Picture(100, 200), {100, 200}},
        {"in the top-left corner", Picture(0, 0), {0, 0}},
        {"in the bottom-right corner", Picture(1896, 1016), {1896, 1016}},
        {"one pixel over the right edge", Picture(1897, 500), {1896, 500}},
        {"half over the left edge", Picture(-12, 500), {0, 500}},
        {"half over the top edge", Picture(700, -12), {700, 0}},
        {"half under the taskbar", Picture(700, 1030), {700, 1016}},
        {"beyond the right", Picture(3000, 500), {1896, 500}},
        {"beyond the bottom right", Picture(3000, 3000), {1896, 1016}},
        {"above and left", Picture(-500, -500), {0, 0}},
        {"far away", Picture(-2000000, 2000000), {0, 1016}},
        {"a larger picture keeps to the corner", Picture(1900, 1000, 48), {1872, 992}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(PlaceOnScreen(row.picture, {kLaptop}), row.placed);
    }
}

TEST(PlaceOnScreen, SeveralMonitorsKeepAPictureAcrossTheirBorderAndChooseTheNearest) {
    // The laptop with a shorter monitor to its right, and one above it.
    const ScreenRect right = {1920, 0, 3200, 1024};
    const ScreenRect above = {0, -1080, 1920, -40};
    const std::vector<ScreenRect> desk = {kLaptop, right, above};
    struct Row {
        const char* name;
        ScreenRect picture;
        ScreenPoint placed;
    } rows[] = {
        {"on the right monitor", Picture(2500, 300), {2500, 300}},
        {"on the monitor above", Picture(100, -500), {100, -500}},
        {"across the border of the two side by side", Picture(1910, 100), {1910, 100}},
        // Where the right monitor ends lower down, the part beside the
        // laptop's bottom lies on no monitor; the laptop is nearer.
        {"across the border below the shorter monitor", Picture(1910, 1020), {1896, 1016}},
        {"beyond the right monitor", Picture(4000, 500), {3176, 500}},
        {"below the right monitor", Picture(2500, 1500), {2500, 1000}},
        // The top monitor's taskbar lies between the two work areas: the
        // picture goes to the nearer side of it.
        {"in the gap between laptop and the one above, nearer the laptop", Picture(500, -30), {500, 0}},
        {"in the gap, nearer the one above", Picture(500, -60), {500, -64}},
        {"where a monitor on the left was", Picture(-1000, 300), {0, 300}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(PlaceOnScreen(row.picture, desk), row.placed);
    }
}

TEST(PlaceOnScreen, WithoutUsableWorkAreasThePictureStays) {
    EXPECT_EQ(PlaceOnScreen(Picture(-500, 3000), {}), (ScreenPoint{-500, 3000}));
    EXPECT_EQ(PlaceOnScreen(Picture(-500, 3000), {{10, 10, 10, 500}}), (ScreenPoint{-500, 3000}));
    // A work area smaller than the picture takes it at its top-left corner.
    EXPECT_EQ(PlaceOnScreen(Picture(-500, 3000), {{10, 10, 30, 30}}), (ScreenPoint{10, 10}));
}

// Over many layouts of two or three monitors: a visible picture never
// moves, a moved one lands wholly on one monitor, and a second placing
// leaves it where the first put it.
TEST(PlaceOnScreen, AnyLayoutEndsWithThePictureWhollyOnOneMonitor) {
    std::mt19937 random(24);
    std::uniform_int_distribution<int> coordinate(-4000, 4000), extent(200, 2600), count(1, 3), side(0, 2);
    for (int round = 0; round < 20000; ++round) {
        std::vector<ScreenRect> areas;
        const int monitors = count(random);
        for (int m = 0; m < monitors; ++m) {
            const int left = coordinate(random), top = coordinate(random);
            areas.push_back({left, top, left + extent(random), top + extent(random)});
        }
        const int picture_side = 24 + 12 * side(random);
        const ScreenRect picture = Picture(coordinate(random), coordinate(random), picture_side);
        const ScreenPoint placed = PlaceOnScreen(picture, areas);
        const ScreenRect result = Picture(placed.x, placed.y, picture_side);
        SCOPED_TRACE("round " + std::to_string(round));
        if (WhollyVisible(picture, areas)) {
            ASSERT_EQ(placed, (ScreenPoint{picture.left, picture.top}));
            continue;
        }
        bool inside_one = false;
        for (const ScreenRect& a : areas)
            inside_one |= result.left >= a.left && result.top >= a.top && result.right <= a.right &&
                          result.bottom <= a.bottom;
        ASSERT_TRUE(inside_one) << "placed at " << placed.x << "," << placed.y;
        ASSERT_EQ(PlaceOnScreen(result, areas), placed);
    }
}

TEST(WhollyVisible, CountsEveryPixelOnceAcrossMonitorsThatMeet) {
    const std::vector<ScreenRect> four = {
        {0, 0, 100, 100}, {100, 0, 200, 100}, {0, 100, 100, 200}, {100, 100, 200, 200}};
    EXPECT_TRUE(WhollyVisible(Picture(88, 88), four)) << "a picture on the corner where four meet";
    EXPECT_FALSE(WhollyVisible(Picture(88, 88), {four[0], four[1], four[2]})) << "one quarter missing";
    EXPECT_FALSE(WhollyVisible(Picture(177, 50), four));
    EXPECT_FALSE(WhollyVisible({5, 5, 5, 5}, four)) << "an empty picture is nothing to see";
}

}  // namespace
}  // namespace kaveto
