#include "engine/hotkey_keys.h"

namespace kaveto {

HotKeyBinding HotKeyFor(ShortCutValue shortcut) {
    HotKeyBinding binding;
    binding.virtual_key = shortcut & 0x1FFFu;
    if (shortcut & kAlt) binding.modifiers |= kModAlt;
    if (shortcut & kCtrl) binding.modifiers |= kModControl;
    if (shortcut & kShift) binding.modifiers |= kModShift;
    return binding;
}

}  // namespace kaveto
