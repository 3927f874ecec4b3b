#pragma once
// The global hotkey as the system's registration call wants it.
#include "engine/settings.h"

namespace kaveto {

// The system's modifier flags for a hotkey registration.
constexpr unsigned kModAlt = 1;
constexpr unsigned kModControl = 2;
constexpr unsigned kModShift = 4;

struct HotKeyBinding {
    unsigned modifiers = 0;
    unsigned virtual_key = 0;
};

// The key is bits 0-12 of the shortcut; Alt, Ctrl and Shift become their
// modifier flags and nothing else is added. The empty shortcut gives key 0
// with no modifiers, which is registered as it is.
HotKeyBinding HotKeyFor(ShortCutValue shortcut);

}  // namespace kaveto
