#include "engine/history_menu.h"

#include "platform/errors.h"
#include "platform/seams.h"

namespace kaveto {

std::string HistoryItemCaption(const std::string& label, std::size_t index) {
    std::string caption = label.substr(0, kCaptionLabelBytes);
    caption += "(&";
    caption += static_cast<char>('A' + index);
    caption += ')';
    return caption;
}

std::vector<std::string> HistoryItemCaptions(const HistoryLists& history) {
    std::vector<std::string> captions;
    captions.reserve(history.entries.size());
    for (std::size_t i = 0; i < history.entries.size(); ++i)
        captions.push_back(HistoryItemCaption(history.entries[i].label, i));
    return captions;
}

void MoveHistoryEntryToTop(HistoryLists& history, std::size_t index) {
    std::vector<HistoryEntry>& entries = history.entries;
    if (index >= entries.size()) throw ListIndexError(static_cast<long>(index));
    HistoryEntry entry = std::move(entries[index]);
    entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(index));
    entries.insert(entries.begin(), std::move(entry));
}

WindowHandle NextTargetWindow(WindowHandle target_window, WindowHandle foreground, WindowHandle main_window) {
    if (foreground == target_window || foreground == main_window) return target_window;
    return foreground;
}

std::uint32_t PastePause(std::int32_t clipbord_time) {
    return clipbord_time < 0 ? 0u : static_cast<std::uint32_t>(clipbord_time);
}

void ReuseHistoryEntry(AppState& state, std::size_t index, Clipboard& clipboard, PasteBackActions& actions) {
    HistoryLists& history = state.history;
    if (index >= history.entries.size()) throw ListIndexError(static_cast<long>(index));
    clipboard.SetSnippet(history.entries[index].snippet);
    MoveHistoryEntryToTop(history, index);
    actions.BringToFront(state.target_window);
    if (!state.settings.PasteBool) return;
    const std::uint32_t pause = PastePause(state.settings.ClipbordTime);
    actions.Pause(pause);
    actions.KeyEvent(kVkControl, false);
    actions.KeyEvent(kVkV, false);
    actions.Pause(pause);
    actions.KeyEvent(kVkV, true);
    actions.KeyEvent(kVkControl, true);
}

}  // namespace kaveto
