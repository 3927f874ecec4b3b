#pragma once
// Where a finished snippet goes: the clipboard, the history and the log file.
// Each raises its failure and catches none.
#include <optional>
#include <string>
#include <string_view>

#include "engine/app_state.h"
#include "platform/seams.h"

namespace kaveto {

// Puts every form of the snippet on the clipboard in one opening
// (Clipboard::SetSnippet).
void CopyToClipboard(Clipboard& clipboard, const Snippet& snippet);

// Puts the snippet and its menu label at the top of the history as one
// entry, dropping the oldest beyond 20.
void AddToHistory(HistoryLists& history, const Snippet& snippet, const std::string& label);

// Merges the snippet into the log file named by SaveFileName for the log
// date of `now`, and replaces the file whole. A failed write leaves the old
// file as it was.
//
// The log is written in one code: an existing file in the code it holds
// (LogCodeOf), a new one, or one that holds ASCII alone, in LogCode. The
// old content is never re-encoded: the separator and the snippet are put
// in its code, and the "\r\n" texts become line breaks by that code's
// rule. A new UTF-8 file begins with the byte order mark.
void WriteLog(const Snippet& snippet, const Settings& settings, Environment& env, const LocalTime& now);
// The same at the clock's current time.
void WriteLog(const Snippet& snippet, const Settings& settings, Environment& env);

// The code an existing log is written in: UTF-8 when it begins with the
// byte order mark or reads as UTF-8 (ReadsAsUtf8), Shift_JIS when it holds
// anything else beyond ASCII, and nothing when it holds ASCII alone.
std::optional<LogTextCode> LogCodeOf(std::string_view content);

// The date whose file takes snippets written at `now`: the day before while
// the hour is below `extend_time`.
LocalTime LogDate(const LocalTime& now, int extend_time);

// SaveFileName with its date tokens and "%my_folder%" expanded.
std::string ExpandLogFileName(const std::string& save_file_name, const LocalTime& log_date,
                              const std::string& program_folder);

}  // namespace kaveto
