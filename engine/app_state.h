#pragma once
// The state of one running program, owned by the main window and passed to
// whatever needs it.
#include <string>
#include <vector>

#include "engine/settings.h"
#include "platform/seams.h"
#include "text/unicode.h"

namespace kaveto {

// What one capture found, each text in both forms. Every capture clears all
// six first.
struct CaptureRecord {
    DualText click_url;  // a dropped address
    DualText url_txt;    // the dropped link's text
    DualText title_txt;  // the page title
    DualText src;        // the source URL of a dropped cached file
    DualText page_url;   // the address-bar text
    DualText sel_txt;    // dropped selected text

    void Clear() { *this = CaptureRecord{}; }
};

// A text known in Shift_JIS alone, with its conversion as the UTF-8 form.
inline DualText FromShiftJis(std::string shift_jis) {
    std::string utf8 = ShiftJisToUtf8(shift_jis);
    return {std::move(shift_jis), std::move(utf8)};
}

// A text known in Unicode, with the Shift_JIS form by the rule of
// text/unicode.h.
inline DualText FromUtf16(std::u16string_view text) { return {Utf16ToShiftJis(text), Utf16ToUtf8(text)}; }
inline DualText FromUtf8(std::string utf8) {
    std::string shift_jis = Utf8ToShiftJis(utf8);
    return {std::move(shift_jis), std::move(utf8)};
}

// One entry of the history: the snippet with all of its forms, and its menu
// label (Shift_JIS, as the menu shows it).
struct HistoryEntry {
    Snippet snippet;
    std::string label;
};

// The last snippets, newest first, at most 20. history_texts and
// history_labels are the two lists the menu reads: entry i of one belongs
// to entry i of the other, since both are read off the one list of entries.
struct HistoryLists {
    static constexpr std::size_t kMaxEntries = 20;
    std::vector<HistoryEntry> entries;

    // The snippets' Shift_JIS forms, newest first.
    std::vector<std::string> history_texts() const {
        std::vector<std::string> texts;
        texts.reserve(entries.size());
        for (const HistoryEntry& entry : entries) texts.push_back(entry.snippet.text.shift_jis);
        return texts;
    }
    // The menu labels, newest first.
    std::vector<std::string> history_labels() const {
        std::vector<std::string> labels;
        labels.reserve(entries.size());
        for (const HistoryEntry& entry : entries) labels.push_back(entry.label);
        return labels;
    }
};

struct AppState {
    CaptureRecord record;
    Settings settings;
    HistoryLists history;
    WindowHandle target_window = 0;  // null until the mouse or the hotkey records one
    DualText last_found_url;         // kept across captures
};

}  // namespace kaveto
