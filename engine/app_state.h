#pragma once
// The state of one running program, owned by the main window and passed to
// whatever needs it.
#include <string>
#include <vector>

#include "engine/settings.h"
#include "platform/seams.h"
#include "text/unicode.h"

namespace kaveto {

// The UTF-8 form of a text whose Shift_JIS form is `shift_jis`: `utf8`,
// or, when that is empty beside a text that is not, the Shift_JIS text's
// conversion. Empty stands for "not given" there, since no text converts to
// nothing.
inline std::string Utf8Form(const std::string& shift_jis, const std::string& utf8) {
    if (!utf8.empty() || shift_jis.empty()) return utf8;
    return ShiftJisToUtf8(shift_jis);
}

// What one capture found. Every capture clears all six texts first, in
// both forms.
struct CaptureRecord {
    std::string click_url;  // a dropped address
    std::string url_txt;    // the dropped link's text
    std::string title_txt;  // the page title
    std::string src;        // the source URL of a dropped cached file
    std::string page_url;   // the address-bar text
    std::string sel_txt;    // dropped selected text

    // The same six texts whole, in UTF-8. A source that gives Shift_JIS
    // alone fills its text here with the conversion; one that leaves it
    // empty gets the same from Utf8Form.
    struct Utf8Texts {
        std::string click_url, url_txt, title_txt, src, page_url, sel_txt;
    } utf8{};

    void Clear() { *this = CaptureRecord{}; }
};

// Sets one text of the record in both forms.
inline void SetBoth(std::string& shift_jis, std::string& utf8, DualText text) {
    shift_jis = std::move(text.shift_jis);
    utf8 = std::move(text.utf8);
}

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

// The last snippets and their menu labels, newest first, at most 20 each;
// entry i of one list belongs to entry i of the other. The UTF-8 form of
// each snippet is kept beside it; lists that history_texts was filled into
// alone (the UTF-8 list not in step with it) give each entry's conversion
// instead (HistoryEntryTexts).
struct HistoryLists {
    static constexpr std::size_t kMaxEntries = 20;
    std::vector<std::string> history_texts;
    std::vector<std::string> history_labels;
    std::vector<std::string> history_utf8_texts;
};

// Both forms of history entry `index`, which must exist in history_texts.
inline DualText HistoryEntryTexts(const HistoryLists& history, std::size_t index) {
    const std::string& shift_jis = history.history_texts[index];
    if (history.history_utf8_texts.size() == history.history_texts.size())
        return {shift_jis, Utf8Form(shift_jis, history.history_utf8_texts[index])};
    return FromShiftJis(shift_jis);
}

struct AppState {
    CaptureRecord record;
    Settings settings;
    HistoryLists history;
    WindowHandle target_window = 0;  // null until the mouse or the hotkey records one
    std::string last_found_url;      // kept across captures
    std::string last_found_url_utf8;  // its UTF-8 form, kept with it
};

}  // namespace kaveto
