#pragma once
// Stand-ins for the platform seams: deterministic, in memory, and able to
// fail on demand.
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/errors.h"
#include "engine/app_state.h"
#include "platform/seams.h"

namespace kaveto::fakes {

// A snippet known in Shift_JIS, with its conversion as the UTF-8 form.
inline Snippet ShiftJisSnippet(std::string text) { return Snippet(FromShiftJis(std::move(text))); }

// A record of Shift_JIS texts, each with its conversion, in the record's
// order.
inline CaptureRecord ShiftJisRecord(std::string click_url, std::string url_txt, std::string title_txt,
                                    std::string src, std::string page_url, std::string sel_txt) {
    CaptureRecord r;
    r.click_url = FromShiftJis(std::move(click_url));
    r.url_txt = FromShiftJis(std::move(url_txt));
    r.title_txt = FromShiftJis(std::move(title_txt));
    r.src = FromShiftJis(std::move(src));
    r.page_url = FromShiftJis(std::move(page_url));
    r.sel_txt = FromShiftJis(std::move(sel_txt));
    return r;
}

// A history of Shift_JIS snippets and their labels, newest first; the two
// lists must be of one length.
inline HistoryLists HistoryOf(const std::vector<std::string>& texts, const std::vector<std::string>& labels) {
    HistoryLists history;
    for (std::size_t i = 0; i < texts.size(); ++i) history.entries.push_back({ShiftJisSnippet(texts[i]), labels.at(i)});
    return history;
}

// Records each putting: `calls` the CF_TEXT bytes, `utf8_calls` the
// Unicode text and `html_calls` the HTML form of the same putting (empty
// and none for SetText, which puts neither).
class FakeClipboard : public Clipboard {
public:
    void SetText(const std::string& text) override { Put(text, "", std::nullopt); }
    void SetSnippet(const Snippet& snippet) override {
        Put(snippet.text.shift_jis, snippet.text.utf8, snippet.html);
    }
    bool fail = false;
    std::vector<std::string> calls;
    std::vector<std::string> utf8_calls;
    std::vector<std::optional<HtmlForm>> html_calls;

private:
    void Put(const std::string& text, const std::string& utf8, const std::optional<HtmlForm>& html) {
        if (fail) throw ClipboardError();
        calls.push_back(text.substr(0, text.find('\0')));
        utf8_calls.push_back(utf8.substr(0, utf8.find('\0')));
        html_calls.push_back(html);
    }
};

class FakeKeyState : public KeyState {
public:
    bool ControlDown() override {
        ++reads;
        return ctrl;
    }
    bool ctrl = false;
    int reads = 0;
};

class FakeClock : public Clock {
public:
    LocalTime Now() override {
        ++reads;
        return now;
    }
    LocalTime now{2026, 6, 7, 9, 5, 7, 0};  // Sunday 7 June 2026, 09:05:07
    int reads = 0;
};

// Files in memory, with Windows paths. A path's folder is what comes before
// its last backslash; a folder must have been made for files in it to exist.
class MemoryFiles : public Files {
public:
    void AddFolder(const std::string& folder) { folders.insert(Strip(folder)); }
    void Put(const std::string& path, const std::string& content) {
        AddFolder(FolderOf(path));
        files[path] = content;
    }

    bool FileExists(const std::string& path) override { return files.count(path) != 0; }
    std::int64_t FileSize(const std::string& path) override {
        auto it = files.find(path);
        return it == files.end() ? -1 : static_cast<std::int64_t>(it->second.size());
    }
    std::string ReadAll(const std::string& path) override {
        ++read_count;
        if (auto e = read_errors.find(path); e != read_errors.end()) throw FileError(e->second);
        auto it = files.find(path);
        if (it == files.end()) throw FileError(folders.count(FolderOf(path)) ? 2 : 3);
        return it->second;
    }
    void WriteWhole(const std::string& path, const std::string& content) override {
        if (auto e = write_errors.find(path); e != write_errors.end()) throw FileError(e->second);
        if (!folders.count(FolderOf(path))) throw FileError(3);
        files[path] = content;
        writes.push_back(path);
    }
    FolderState ProbeFolder(const std::string& path) override {
        const std::string folder = Strip(path);
        if (files.count(folder)) return FolderState::NotAFolder;
        if (!folders.count(folder)) return FolderState::Missing;
        return unlistable.count(folder) ? FolderState::Unlistable : FolderState::Listable;
    }

    std::map<std::string, std::string> files;
    std::set<std::string> folders;
    std::set<std::string> unlistable;  // folders whose entries may not be read
    std::map<std::string, std::uint32_t> read_errors, write_errors;
    std::vector<std::string> writes;
    int read_count = 0;

private:
    static std::string Strip(std::string folder) {
        while (!folder.empty() && folder.back() == '\\') folder.pop_back();
        return folder;
    }
    static std::string FolderOf(const std::string& path) {
        const auto sep = path.rfind('\\');
        return sep == std::string::npos ? std::string() : path.substr(0, sep);
    }
};

// A program folder "C:\prog\" with the platform fakes around it.
struct FakeEnvironment {
    FakeClipboard clipboard;
    FakeKeyState key_state;
    FakeClock clock;
    MemoryFiles files;
    Environment env{"C:\\prog\\", clipboard, key_state, clock, files};
};

}  // namespace kaveto::fakes
