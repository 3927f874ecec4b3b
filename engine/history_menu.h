#pragma once
// The history menu of the main window and the reuse of a chosen entry: the
// parts that need no window system.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/app_state.h"

namespace kaveto {

// Bytes of a label that a menu caption shows.
constexpr std::size_t kCaptionLabelBytes = 50;

// The caption of the history item at `index` (0 at the top): the label's
// first 50 bytes, then "(&", the letter 'A' + index and ")". The cut counts
// bytes and may split a double-byte character; an "&" in the label is kept
// as it is, so it marks the character after it.
std::string HistoryItemCaption(const std::string& label, std::size_t index);

// The captions of every history entry, newest first.
std::vector<std::string> HistoryItemCaptions(const HistoryLists& history);

// Moves entry `index` to the top; the other entries keep their order.
// Raises ListIndexError when there is no such entry.
void MoveHistoryEntryToTop(HistoryLists& history, std::size_t index);

// The window the next paste goes to, given the one recorded so far and the
// window in front now: the main window itself is never recorded, and a null
// foreground window is recorded like any other.
WindowHandle NextTargetWindow(WindowHandle target_window, WindowHandle foreground, WindowHandle main_window);

// The pause before the paste keystrokes, in milliseconds. A negative setting
// pauses not at all: passed on unchanged, the system would read it as weeks
// of milliseconds (or as "for ever" for -1) and the program would hang.
std::uint32_t PastePause(std::int32_t clipbord_time);

constexpr std::uint8_t kVkControl = 0x11;
constexpr std::uint8_t kVkV = 0x56;

// A history entry chosen from the menu: its snippet goes to the clipboard
// with all of its forms, the entry moves to the top, target_window comes
// back to the front and, when PasteBool is set, receives Ctrl+V. A
// clipboard that cannot be opened ends this before anything else has
// changed.
void ReuseHistoryEntry(AppState& state, std::size_t index, Clipboard& clipboard, PasteBackActions& actions);

}  // namespace kaveto
