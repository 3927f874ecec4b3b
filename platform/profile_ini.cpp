#include "platform/profile_ini.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <vector>

#include "text/codepage.h"
#include "text/text_helpers.h"

namespace kaveto {
namespace {

// The blanks that surround names and values, and the end-of-file mark
// (Ctrl+Z) that old editors leave.
bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r') || c == '\x1a'; }

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsSpace(text.back())) text.remove_suffix(1);
    return text;
}

struct Line {
    enum Kind { kBlank, kComment, kSection, kKey };
    std::string_view text;  // as in the file, without its line end
    Kind kind = kBlank;
    std::string_view name;  // the section's or the key's
    bool has_value = false;
    std::string_view value;  // trimmed, quotes still on
};

Line ParseLine(std::string_view text) {
    Line line;
    line.text = text;
    const std::string_view body = Trim(text);
    if (body.empty()) return line;
    if (body.front() == ';') {
        line.kind = Line::kComment;
        return line;
    }
    if (body.front() == '[') {
        const std::size_t close = body.rfind(']');
        if (close != std::string_view::npos && close > 0) {
            line.kind = Line::kSection;
            line.name = Trim(body.substr(1, close - 1));
            return line;
        }
    }
    line.kind = Line::kKey;
    const std::size_t eq = body.find('=');
    if (eq == std::string_view::npos) {
        line.name = body;
        return line;
    }
    line.name = Trim(body.substr(0, eq));
    line.has_value = true;
    line.value = Trim(body.substr(eq + 1));
    return line;
}

// A line ends at the next line feed; a file without any further line feed
// is split at carriage returns.
std::vector<Line> ParseLines(std::string_view content) {
    std::vector<Line> lines;
    std::size_t pos = 0;
    while (pos < content.size()) {
        std::size_t end = content.find('\n', pos);
        if (end == std::string_view::npos) end = content.find('\r', pos);
        if (end == std::string_view::npos) end = content.size();
        std::string_view text = content.substr(pos, end - pos);
        if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
        lines.push_back(ParseLine(text));
        pos = end + 1;
    }
    return lines;
}

// The section's header line and the line after its last line, or nothing.
struct SectionSpan {
    std::size_t header;
    std::size_t end;
};

std::optional<SectionSpan> FindSection(const std::vector<Line>& lines, std::string_view section) {
    section = Trim(section);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].kind != Line::kSection || !EqualIgnoreCase(lines[i].name, section)) continue;
        std::size_t end = i + 1;
        while (end < lines.size() && lines[end].kind != Line::kSection) ++end;
        return SectionSpan{i, end};
    }
    return std::nullopt;
}

std::optional<std::size_t> FindKey(const std::vector<Line>& lines, const SectionSpan& span, std::string_view key) {
    key = Trim(key);
    for (std::size_t i = span.header + 1; i < span.end; ++i)
        if (lines[i].kind == Line::kKey && EqualIgnoreCase(lines[i].name, key)) return i;
    return std::nullopt;
}

// At most `limit` bytes, never ending on the first byte of a double-byte
// character.
std::string_view CutToLimit(std::string_view text, std::size_t limit) {
    if (text.size() <= limit) return text;
    std::size_t end = 0;
    while (end < limit) {
        const std::size_t len = CharLength(text, end);
        if (end + len > limit) break;
        end += len;
    }
    return text.substr(0, end);
}

enum class ReadResult { kRead, kMissing, kFailed };

ReadResult ReadWholeFile(const std::string& path, std::string& content) {
    content.clear();
    errno = 0;
    std::FILE* file = std::fopen(NativeFilePath(path).c_str(), "rb");
    if (!file) return errno == ENOENT ? ReadResult::kMissing : ReadResult::kFailed;
    char buffer[65536];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) content.append(buffer, n);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    return failed ? ReadResult::kFailed : ReadResult::kRead;
}

bool WriteWholeFile(const std::string& path, const std::string& content) {
    std::FILE* file = std::fopen(NativeFilePath(path).c_str(), "wb");
    if (!file) return false;
    const bool written = std::fwrite(content.data(), 1, content.size(), file) == content.size();
    const bool closed = std::fclose(file) == 0;
    return written && closed;
}

}  // namespace

std::string NativeFilePath(const std::string& windows_path) {
    std::string path = windows_path;
    for (std::size_t i = 0; i < path.size(); i += CharLength(path, i))
        if (path[i] == '\\') path[i] = '/';
    return path;
}

std::optional<std::string> IniLookup(std::string_view content, std::string_view section, std::string_view key) {
    const std::vector<Line> lines = ParseLines(content);
    const auto span = FindSection(lines, section);
    if (!span) return std::nullopt;
    const auto at = FindKey(lines, *span, key);
    if (!at || !lines[*at].has_value) return std::nullopt;
    std::string_view value = lines[*at].value;
    // A value is a zero-terminated text to the system: a zero byte ends it.
    value = value.substr(0, std::min(value.find('\0'), value.size()));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return std::string(CutToLimit(value, kProfileValueLimit));
}

std::string IniUpdate(std::string_view content, std::string_view section, std::string_view key,
                      std::string_view value) {
    std::vector<Line> lines = ParseLines(content);
    // Leading blanks would be dropped by every read anyway.
    while (!value.empty() && IsSpace(value.front())) value.remove_prefix(1);
    section = Trim(section);
    key = Trim(key);

    std::vector<std::string> texts;
    texts.reserve(lines.size() + 2);
    for (const Line& line : lines) texts.emplace_back(line.text);

    const auto span = FindSection(lines, section);
    if (!span) {
        texts.push_back("[" + std::string(section) + "]");
        texts.push_back(std::string(key) + "=" + std::string(value));
    } else if (const auto at = FindKey(lines, *span, key)) {
        texts[*at] = std::string(lines[*at].name) + "=" + std::string(value);
    } else {
        // After the section's last line that is not blank, so that the blank
        // lines which part it from the next section stay where they are.
        std::size_t insert = span->end;
        while (insert > span->header + 1 && lines[insert - 1].kind == Line::kBlank) --insert;
        texts.insert(texts.begin() + static_cast<std::ptrdiff_t>(insert), std::string(key) + "=" + std::string(value));
    }

    std::string out;
    std::size_t size = 0;
    for (const std::string& text : texts) size += text.size() + 2;
    out.reserve(size);
    for (const std::string& text : texts) {
        out += text;
        out += "\r\n";
    }
    return out;
}

std::string IniFileProfile::ReadString(const std::string& path, const std::string& section, const std::string& key,
                                       const std::string& fallback) {
    std::string content;
    if (ReadWholeFile(path, content) != ReadResult::kRead) return fallback;
    return IniLookup(content, section, key).value_or(fallback);
}

bool IniFileProfile::WriteString(const std::string& path, const std::string& section, const std::string& key,
                                 const std::string& value) {
    std::string content;
    const ReadResult read = ReadWholeFile(path, content);
    if (read == ReadResult::kFailed) return false;
    const std::string updated = IniUpdate(content, section, key, value);
    // A write that changes nothing leaves the file alone.
    if (read == ReadResult::kRead && updated == content) return true;
    return WriteWholeFile(path, updated);
}

}  // namespace kaveto
