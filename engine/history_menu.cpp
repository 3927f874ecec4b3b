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
    captions.reserve(history.history_labels.size());
    for (std::size_t i = 0; i < history.history_labels.size(); ++i)
        captions.push_back(HistoryItemCaption(history.history_labels[i], i));
    return captions;
}

namespace {

void MoveToTop(std::vector<std::string>& list, std::size_t index) {
    std::string entry = std::move(list[index]);
    list.erase(list.begin() + static_cast<std::ptrdiff_t>(index));
    list.insert(list.begin(), std::move(entry));
}

}  // namespace

void MoveHistoryEntryToTop(HistoryLists& history, std::size_t index) {
    // Both lists are checked first, so that a failure leaves them in step.
    if (index >= history.history_texts.size()) throw ListIndexError(static_cast<long>(index));
    if (index >= history.history_labels.size()) throw ListIndexError(static_cast<long>(index));
    // UTF-8 forms out of step with the snippets stand for nothing; they are
    // left as they are and the snippets' conversions used instead.
    if (history.history_utf8_texts.size() == history.history_texts.size())
        MoveToTop(history.history_utf8_texts, index);
    MoveToTop(history.history_texts, index);
    MoveToTop(history.history_labels, index);
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
    if (index >= history.history_texts.size()) throw ListIndexError(static_cast<long>(index));
    clipboard.SetTexts(HistoryEntryTexts(history, index));
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
