#include "engine/confirmation.h"

#include <gtest/gtest.h>

#include <string>

namespace kaveto {
namespace {

// "表" (second byte a backslash) and "…" in Shift_JIS.
const std::string kHyo = "\x95\x5c";
const std::string kEllipsis = "\x81\x63";

TEST(ConfirmationText, ShowsTheStartOfTheFirstLineThatShowsSomething) {
    struct Row {
        const char* name;
        std::string snippet;
        std::size_t limit;
        std::string shown;
    } rows[] = {
        {"one line", "Title", 60, "Title"},
        {"the first of several", "Title\r\nhttps://e.jp/\r\n", 60, "Title"},
        {"LF and CR alone end lines too", "a\nb", 60, "a"},
        {"blank lines first: an empty title", "\r\n  \t\r\nhttps://e.jp/\r\n", 60, "https://e.jp/"},
        {"exactly the limit", std::string(10, 'x'), 10, std::string(10, 'x')},
        {"cut, with the mark in the limit", std::string(11, 'x'), 10, std::string(8, 'x') + kEllipsis},
        {"a double-byte character across the cut stays whole", "a" + kHyo + kHyo + kHyo + kHyo + kHyo, 8,
         "a" + kHyo + kHyo + kEllipsis},
        {"a double-byte character just before the cut", kHyo + kHyo + kHyo + kHyo + kHyo, 8,
         kHyo + kHyo + kHyo + kEllipsis},
        {"nothing but blank lines", "\r\n\r\n", 60, ""},
        {"empty", "", 60, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string shown = ConfirmationText(row.snippet, row.limit);
        EXPECT_EQ(shown, row.shown);
        EXPECT_LE(shown.size(), row.limit);
    }
}

TEST(ConfirmationOrigin, StandsBesideThePictureAndInsideTheWorkArea) {
    const ScreenRect work{0, 0, 1000, 700};
    struct Row {
        const char* name;
        ScreenRect picture;
        long x, y;
    } rows[] = {
        {"room on the right", {100, 100, 124, 124}, 126, 100},
        {"at the right edge: on the left", {950, 100, 974, 124}, 748, 100},
        {"no room on either side: below", {10, 100, 34, 124}, 10, 126},
        {"no room on either side, at the bottom: above", {10, 690, 34, 714}, 10, 658},
        {"above the top: pushed down", {100, -50, 124, -26}, 126, 0},
        {"off the right of the screen: pulled in", {1200, 100, 1224, 124}, 800, 100},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const long width = row.picture.left == 10 ? 980 : 200;
        const ScreenPoint at = ConfirmationOrigin(row.picture, width, 30, work);
        EXPECT_EQ(at.x, row.x);
        EXPECT_EQ(at.y, row.y);
    }
}

}  // namespace
}  // namespace kaveto
