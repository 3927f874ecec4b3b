#include "engine/output_sinks.h"

#include "text/text_helpers.h"

namespace kaveto {

void CopyToClipboard(Clipboard& clipboard, const std::string& snippet) { clipboard.SetText(snippet); }

void AddToHistory(HistoryLists& history, const std::string& snippet, const std::string& label) {
    auto push = [](std::vector<std::string>& list, const std::string& text) {
        list.insert(list.begin(), text);
        if (list.size() > HistoryLists::kMaxEntries) list.resize(HistoryLists::kMaxEntries);
    };
    push(history.history_texts, snippet);
    push(history.history_labels, label);
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

void WriteLog(const std::string& snippet, const Settings& settings, Environment& env, const LocalTime& now) {
    const std::string path =
        ExpandLogFileName(settings.SaveFileName, LogDate(now, settings.ExtendTime), env.program_folder);
    std::string content;
    if (env.files.FileExists(path)) {
        // The old content is read straight into its place in the new one.
        const std::int64_t old_size = env.files.FileSize(path);
        content.reserve(static_cast<std::size_t>(old_size > 0 ? old_size : 0) + settings.LogBetweenText.size() +
                        snippet.size() + 1);
        if (settings.LogOrderBool) {
            env.files.ReadAppend(path, content);
            content.append(settings.LogBetweenText).append(snippet);
        } else {
            content.append(snippet).append(settings.LogBetweenText);
            env.files.ReadAppend(path, content);
        }
    } else {
        content = snippet;
    }
    ReplaceAll(content, "\\r\\n", "\r\n");
    // The file is replaced whole, so that a write that fails half-way leaves
    // the old log as it was.
    env.files.WriteWhole(path, content);
}

void WriteLog(const std::string& snippet, const Settings& settings, Environment& env) {
    WriteLog(snippet, settings, env, env.clock.Now());
}

}  // namespace kaveto
