#include <gtest/gtest.h>

#include "engine/error_box_text.h"
#include "engine/hotkey_keys.h"

namespace kaveto {
namespace {

TEST(HotKeyFor, MapsEachModifierBitToItsFlagAndKeepsThirteenKeyBits) {
    struct Row {
        const char* name;
        ShortCutValue shortcut;
        unsigned modifiers, key;
    } rows[] = {
        {"Alt+A", kAlt | 'A', kModAlt, 'A'},
        {"Ctrl+Q", kCtrl | 'Q', kModControl, 'Q'},
        {"Shift+Ctrl+F12", kShift | kCtrl | 123, kModShift | kModControl, 123},
        {"all three", kShift | kCtrl | kAlt | 46, kModAlt | kModControl | kModShift, 46},
        {"key alone", 'Z', 0, 'Z'},
        {"empty shortcut passed unchanged", 0, 0, 0},
        {"modifier without a key", kAlt, kModAlt, 0},
        {"every key bit", 0x1FFF, 0, 0x1FFF},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const HotKeyBinding binding = HotKeyFor(row.shortcut);
        EXPECT_EQ(binding.modifiers, row.modifiers);
        EXPECT_EQ(binding.virtual_key, row.key);
    }
}

TEST(ErrorBoxText, AddsAFullStopAfterCharactersThatSortAfterIt) {
    struct Row {
        const char* name;
        std::string message, shown;
    } rows[] = {
        {"letter", "File not found", "File not found."},
        {"digit", "I/O error 32", "I/O error 32."},
        {"slash sorts after the stop", "a/", "a/."},
        {"stop already there", "Done.", "Done."},
        {"closing parenthesis sorts before", "index (3)", "index (3)"},
        {"hyphen sorts before", "a-", "a-"},
        {"empty", "", ""},
        // "...に書き込めません": the last character is double-byte.
        {"double-byte last character", "C:\\k.ini \x82\xc9\x8f\x91\x82\xab\x8d\x9e\x82\xdf\x82\xdc\x82\xb9\x82\xf1",
         "C:\\k.ini \x82\xc9\x8f\x91\x82\xab\x8d\x9e\x82\xdf\x82\xdc\x82\xb9\x82\xf1."},
        // A double-byte character whose second byte is "!" (below the stop)
        // still sorts after it: its first byte counts.
        {"trail byte below the stop", "x\x81!", "x\x81!."},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(ErrorBoxText(row.message), row.shown);
    }
}

}  // namespace
}  // namespace kaveto
