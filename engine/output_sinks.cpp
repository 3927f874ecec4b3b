#include "engine/output_sinks.h"

#include <algorithm>

#include "text/page_code.h"
#include "text/text_helpers.h"
#include "text/unicode.h"

namespace kaveto {

void CopyToClipboard(Clipboard& clipboard, const Snippet& snippet) { clipboard.SetSnippet(snippet); }

void AddToHistory(HistoryLists& history, const Snippet& snippet, const std::string& label) {
    std::vector<HistoryEntry>& entries = history.entries;
    entries.insert(entries.begin(), HistoryEntry{snippet, label});
    if (entries.size() > HistoryLists::kMaxEntries) entries.resize(HistoryLists::kMaxEntries);
}

namespace {

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month == 2 && IsLeapYear(year)) return 29;
    return kDays[(month - 1) % 12];
}

}  // namespace

LocalTime LogDate(const LocalTime& now, int extend_time) {
    LocalTime date = now;
    if (now.hour >= extend_time) return date;
    // Snippets made before the hour of the day change still belong to the
    // previous day's file.
    date.weekday = (now.weekday + 6) % 7;
    if (--date.day >= 1) return date;
    if (--date.month < 1) {
        date.month = 12;
        --date.year;
    }
    date.day = DaysInMonth(date.year, date.month);
    return date;
}

std::string ExpandLogFileName(const std::string& save_file_name, const LocalTime& log_date,
                              const std::string& program_folder) {
    std::string path = save_file_name;
    ReplaceAll(path, "%yyyy%", std::to_string(log_date.year));
    ReplaceAll(path, "%yy%", std::to_string(log_date.year - 2000));
    ReplaceAll(path, "%m%", std::to_string(log_date.month));
    ReplaceAll(path, "%mm%", TwoDigit(log_date.month));
    ReplaceAll(path, "%d%", std::to_string(log_date.day));
    ReplaceAll(path, "%dd%", TwoDigit(log_date.day));
    ReplaceAll(path, "%my_folder%", program_folder);
    return path;
}

std::optional<LogTextCode> LogCodeOf(std::string_view content) {
    if (StartsWithUtf8Bom(content) || ReadsAsUtf8(content)) return LogTextCode::Utf8;
    for (const char c : content)
        if (static_cast<unsigned char>(c) >= 0x80) return LogTextCode::ShiftJis;
    return std::nullopt;
}

namespace {

// The new content of a log in Shift_JIS: what it always was.
std::string MergeShiftJisLog(std::string old_content, bool exists, const std::string& snippet,
                             const Settings& settings) {
    if (!exists) return snippet;
    if (settings.LogOrderBool) return std::move(old_content.append(settings.LogBetweenText).append(snippet));
    std::string content;
    content.reserve(snippet.size() + settings.LogBetweenText.size() + old_content.size());
    return std::move(content.append(snippet).append(settings.LogBetweenText).append(old_content));
}

// The new content of a log in UTF-8. The byte order mark stays first, also
// when the new snippet goes before the old content.
std::string MergeUtf8Log(std::string old_content, bool exists, const std::string& snippet,
                         const Settings& settings) {
    if (!exists) return std::string(kUtf8ByteOrderMark) + snippet;
    const std::string between = ShiftJisToUtf8(settings.LogBetweenText);
    if (settings.LogOrderBool) return std::move(old_content.append(between).append(snippet));
    const std::size_t mark = StartsWithUtf8Bom(old_content) ? kUtf8ByteOrderMark.size() : 0;
    std::string content;
    content.reserve(old_content.size() + between.size() + snippet.size());
    content.append(old_content, 0, mark).append(snippet).append(between);
    return std::move(content.append(old_content, mark, std::string::npos));
}

}  // namespace

void WriteLog(const Snippet& whole, const Settings& settings, Environment& env, const LocalTime& now) {
    // The log stays text: it takes the form of its code.
    const DualText& snippet = whole.text;
    const std::string path =
        ExpandLogFileName(settings.SaveFileName, LogDate(now, settings.ExtendTime), env.program_folder);
    const bool exists = env.files.FileExists(path);
    std::string old_content;
    if (exists) {
        // Read with room for the separator and the snippet in either code
        // (a Shift_JIS byte is at most three in UTF-8), so that an appended
        // log grows where it stands.
        const std::int64_t old_size = env.files.FileSize(path);
        old_content.reserve(static_cast<std::size_t>(old_size > 0 ? old_size : 0) +
                            settings.LogBetweenText.size() * 3 + std::max(snippet.utf8.size(), snippet.shift_jis.size()));
        env.files.ReadAppend(path, old_content);
    }
    const LogTextCode code = LogCodeOf(old_content).value_or(settings.LogCode);
    std::string content;
    if (code == LogTextCode::Utf8) {
        content = MergeUtf8Log(std::move(old_content), exists, snippet.utf8, settings);
        ReplaceAllUtf8(content, "\\r\\n", "\r\n");
    } else {
        content = MergeShiftJisLog(std::move(old_content), exists, snippet.shift_jis, settings);
        ReplaceAll(content, "\\r\\n", "\r\n");
    }
    // The file is replaced whole, so that a write that fails half-way leaves
    // the old log as it was.
    env.files.WriteWhole(path, content);
}

void WriteLog(const Snippet& snippet, const Settings& settings, Environment& env) {
    WriteLog(snippet, settings, env, env.clock.Now());
}

}  // namespace kaveto
