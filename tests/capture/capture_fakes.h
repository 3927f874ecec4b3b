#pragma once
// Stand-ins for the window system, the URL cache and the file system, each
// keeping the platform's own contract so that the capture code meets the
// same answers as on Windows.
#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "capture/capture_context.h"
#include "capture/drop_decoding.h"
#include "platform/errors.h"

namespace kaveto::testing {

class FakeWindows : public WindowSearch {
public:
    struct Window {
        std::string class_name;
        std::string text;
        bool class_fails = false;
        bool silent = false;  // its program does not answer
        std::u16string caption;
        // What the window gives in Unicode; a window without it answers as a
        // platform without Unicode texts does.
        std::u16string wide_text;
    };
    void Add(WindowHandle parent, WindowHandle window, std::string class_name, std::string text = "") {
        children[parent].push_back(window);
        Window& added = windows[window];
        added.class_name = std::move(class_name);
        added.text = std::move(text);
    }
    void EnumDescendants(WindowHandle parent, const std::function<bool(WindowHandle)>& visit) override {
        searched.push_back(parent);
        Walk(parent, visit);
    }
    int ClassName(WindowHandle window, char* buffer, int limit) override {
        const Window& w = windows.at(window);
        if (w.class_fails || limit <= 0) return 0;
        return CopyOut(w.class_name, buffer, limit);
    }
    bool WindowText(WindowHandle window, char* buffer, int limit) override {
        text_limits.push_back(limit);
        if (windows.at(window).silent) return false;
        CopyOut(windows.at(window).text, buffer, limit);
        return true;
    }
    std::u16string Caption(WindowHandle window) override { return windows.at(window).caption; }
    std::u16string WideWindowText(WindowHandle window, int limit) override {
        const Window& w = windows.at(window);
        if (w.silent || limit <= 0) return std::u16string();
        return w.wide_text.substr(0, static_cast<std::size_t>(limit - 1));
    }
    WindowHandle ForegroundWindow() override { return foreground; }
    void ForceForeground(WindowHandle window) override {
        log.push_back("force " + std::to_string(window));
    }

    std::map<WindowHandle, std::vector<WindowHandle>> children;
    std::map<WindowHandle, Window> windows;
    WindowHandle foreground = 0;
    std::vector<WindowHandle> searched;
    std::vector<int> text_limits;
    std::vector<std::string> log;

private:
    bool Walk(WindowHandle parent, const std::function<bool(WindowHandle)>& visit) {
        auto found = children.find(parent);
        if (found == children.end()) return true;
        for (WindowHandle child : found->second) {
            if (!visit(child) || !Walk(child, visit)) return false;
        }
        return true;
    }
    static int CopyOut(const std::string& text, char* buffer, int limit) {
        const int n = std::min<int>(static_cast<int>(text.size()), limit - 1);
        std::memcpy(buffer, text.data(), n);
        buffer[n] = '\0';
        return n;
    }
};

// Entry buffers are laid out as: struct size, entry type, URL length, file
// length (four 32-bit values), the URL, the file name, then `padding` bytes.
class FakeUrlCache : public UrlCache {
public:
    struct Entry {
        std::string url;
        std::string file;
        std::uint32_t type = kNormalCacheEntry;
        std::uint32_t padding = 0;
    };
    std::string RetrieveLocalFile(const std::string& url) override {
        retrieved.push_back(url);
        for (const Entry& e : entries)
            if (e.url == url) return e.file;
        return std::string();
    }
    FindHandle FindFirst(const char*, void* buffer, std::uint32_t& size, std::uint32_t& error) override {
        next = 0;
        if (first_error) {
            error = first_error;
            return 0;
        }
        return Fill(buffer, size, error) ? kHandle : 0;
    }
    bool FindNext(FindHandle handle, void* buffer, std::uint32_t& size, std::uint32_t& error) override {
        if (handle != kHandle) throw std::logic_error("walk handle unknown");
        if (next_error_at && next == next_error_at) {
            error = 5;
            return false;
        }
        return Fill(buffer, size, error);
    }
    void FindClose(FindHandle handle) override { closed.push_back(handle); }
    CacheEntry DecodeEntry(const void* buffer) override {
        std::uint32_t head[4];
        std::memcpy(head, buffer, sizeof head);
        const char* text = static_cast<const char*>(buffer) + sizeof head;
        return CacheEntry{std::string(text, head[2]), std::string(text + head[2], head[3]), head[1]};
    }
    static std::uint32_t Needed(const Entry& e) {
        return static_cast<std::uint32_t>(16 + e.url.size() + e.file.size() + e.padding);
    }

    static constexpr FindHandle kHandle = 0x51;
    std::vector<Entry> entries;
    std::uint32_t first_error = 0;    // FindFirst fails with this code
    std::size_t next_error_at = 0;    // FindNext fails with code 5 before this entry
    std::vector<std::string> retrieved;
    std::vector<FindHandle> closed;
    std::vector<std::uint32_t> offered;       // the size given with each call
    std::vector<std::uint32_t> struct_sizes;  // dwStructSize seen with each call

private:
    bool Fill(void* buffer, std::uint32_t& size, std::uint32_t& error) {
        std::uint32_t struct_size = 0;
        std::memcpy(&struct_size, buffer, sizeof struct_size);
        offered.push_back(size);
        struct_sizes.push_back(struct_size);
        if (next >= entries.size()) {
            error = kErrorNoMoreItems;
            return false;
        }
        const Entry& e = entries[next];
        if (Needed(e) > size) {
            size = Needed(e);
            error = kErrorInsufficientBuffer;
            return false;
        }
        const std::uint32_t head[4] = {struct_size, e.type, static_cast<std::uint32_t>(e.url.size()),
                                       static_cast<std::uint32_t>(e.file.size())};
        char* out = static_cast<char*>(buffer);
        std::memcpy(out, head, sizeof head);
        std::memcpy(out + 16, e.url.data(), e.url.size());
        std::memcpy(out + 16 + e.url.size(), e.file.data(), e.file.size());
        std::memset(out + 16 + e.url.size() + e.file.size(), 0xCD, e.padding);
        ++next;
        return true;
    }
    std::size_t next = 0;
};

// Trees by window; a window without one gives an empty page.
class FakeAccessibility : public Accessibility {
public:
    AccessiblePage ReadPage(WindowHandle window) override {
        asked.push_back(window);
        auto found = pages.find(window);
        return found == pages.end() ? AccessiblePage{} : found->second;
    }
    std::map<WindowHandle, AccessiblePage> pages;
    std::vector<WindowHandle> asked;
};

class FakeFiles : public Files {
public:
    bool FileExists(const std::string& path) override { return contents.count(path) || sizes.count(path); }
    std::string ReadAll(const std::string& path) override {
        reads.push_back(path);
        if (read_error) throw FileError(read_error);
        auto found = contents.find(path);
        if (found == contents.end()) throw FileError(2);
        return found->second;
    }
    void WriteWhole(const std::string& path, const std::string& content) override { contents[path] = content; }
    // Capture never asks about folders.
    FolderState ProbeFolder(const std::string&) override { return FolderState::Missing; }
    std::int64_t FileSize(const std::string& path) override {
        if (sizes.count(path)) return sizes[path];
        auto found = contents.find(path);
        return found == contents.end() ? -1 : static_cast<std::int64_t>(found->second.size());
    }

    std::map<std::string, std::string> contents;
    std::map<std::string, std::int64_t> sizes;  // files too big to hold
    std::uint32_t read_error = 0;
    std::vector<std::string> reads;
};

class FakeFormats : public ClipboardFormats {
public:
    std::uint16_t Register(const std::string& name) override {
        registered.push_back(name);
        auto found = numbers.find(name);
        if (found != numbers.end()) return found->second;
        return numbers[name] = static_cast<std::uint16_t>(0xC000 + numbers.size());
    }
    std::map<std::string, std::uint16_t> numbers;
    std::vector<std::string> registered;
};

// One program state with fakes around it; the composer only records the
// record it was run with.
struct CaptureRig {
    AppState state;
    FakeFiles files;
    FakeWindows windows;
    FakeUrlCache cache;
    FakeAccessibility accessibility;
    std::vector<CaptureRecord> composed;
    CaptureContext context{state, files, windows, cache, accessibility, [this] {
                               composed.push_back(state.record);
                               windows.log.push_back("compose");
                           }};

    // A browser window `top` whose address bar shows `url`, with the page's
    // copy in the cache.
    void Browser(WindowHandle top, const std::string& url, const std::string& page = "",
                 const std::string& local = "") {
        windows.Add(0, top, "BrowserFrame");
        windows.Add(top, top + 1, "Edit", url);
        if (!local.empty()) {
            cache.entries.push_back({url, local});
            files.contents[local] = page;
        }
    }
};

}  // namespace kaveto::testing
