#pragma once
// Where a finished snippet goes: the clipboard, the history and the log file.
// Each raises its failure and catches none.
#include <string>

#include "engine/app_state.h"
#include "platform/seams.h"

namespace kaveto {

// Puts the snippet (up to its first zero byte) on the clipboard as CF_TEXT.
void CopyToClipboard(Clipboard& clipboard, const std::string& snippet);

// Puts the snippet and its menu label at the top of the two lists, dropping
// the oldest entry of each beyond 20.
void AddToHistory(HistoryLists& history, const std::string& snippet, const std::string& label);

// Merges the snippet into the log file named by SaveFileName for the log
// date of `now`, and replaces the file whole. A failed write leaves the old
// file as it was.
void WriteLog(const std::string& snippet, const Settings& settings, Environment& env, const LocalTime& now);
// The same at the clock's current time.
void WriteLog(const std::string& snippet, const Settings& settings, Environment& env);

// The date whose file takes snippets written at `now`: the day before while
// the hour is below `extend_time`.
LocalTime LogDate(const LocalTime& now, int extend_time);

// SaveFileName with its date tokens and "%my_folder%" expanded.
std::string ExpandLogFileName(const std::string& save_file_name, const LocalTime& log_date,
                              const std::string& program_folder);

}  // namespace kaveto
