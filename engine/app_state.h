#pragma once
// The state of one running program, owned by the main window and passed to
// whatever needs it.
#include <string>
#include <vector>

#include "engine/settings.h"
#include "platform/seams.h"

namespace kaveto {

// What one capture found. Every capture clears all six texts first.
struct CaptureRecord {
    std::string click_url;  // a dropped address
    std::string url_txt;    // the dropped link's text
    std::string title_txt;  // the page title
    std::string src;        // the source URL of a dropped cached file
    std::string page_url;   // the address-bar text
    std::string sel_txt;    // dropped selected text

    void Clear() { *this = CaptureRecord{}; }
};

// The last snippets and their menu labels, newest first, at most 20 each;
// entry i of one list belongs to entry i of the other.
struct HistoryLists {
    static constexpr std::size_t kMaxEntries = 20;
    std::vector<std::string> history_texts;
    std::vector<std::string> history_labels;
};

struct AppState {
    CaptureRecord record;
    Settings settings;
    HistoryLists history;
    WindowHandle target_window = 0;  // null until the mouse or the hotkey records one
    std::string last_found_url;      // kept across captures
};

}  // namespace kaveto
