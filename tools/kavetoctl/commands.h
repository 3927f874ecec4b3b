#pragma once
// The commands of kavetoctl. Each returns the process exit code: 0 success,
// 2 a usage error or a failure (its text on stderr), others as documented.
#include <string>
#include <vector>

namespace kaveto::ctl {

using Args = std::vector<std::string>;

int Usage();
void SetBinaryStdio();
// All of standard input, byte for byte; in one allocation when it is a file
// whose size is known. False (and `text` empty) when it cannot be read.
bool ReadStandardInput(std::string& text);
// The same, with a message on standard error when it cannot be read.
bool ReadStdin(std::string& text);
// Writes the text whole; 0, or 2 (and a message) when it cannot.
int WriteStdout(const std::string& text);
// A folder named on the command line, as the user meant it.
std::string FolderArgument(const std::string& argument);
// The separator put after a folder named without one and written in the
// paths a message shows: "\" on Windows, "/" on Linux.
char PathSeparator();
// A message of the program's (an error, a finding) as the console shows
// it. On Windows, whose console takes the ANSI code page, the text as it is.
// On Linux, whose terminals take UTF-8, the program's Shift_JIS texts in
// UTF-8, and `as_typed` (a folder named on the command line, which is in the
// terminal's code already) as it was typed wherever it stands.
std::string ConsoleMessage(const std::string& text, const std::string& as_typed = {});
// What the usage adds on this system after the commands: on Linux, how to
// have the texts in UTF-8; nothing on Windows.
const char* SystemUsageNote();
// Data text of the program's (a title, a snippet, a settings value) as
// asked: in UTF-8 with --utf8, else in Shift_JIS as the program has it.
std::string DataText(const std::string& shift_jis, bool utf8);
// Takes "--utf8" out of the arguments wherever it stands; true when it was
// there.
bool TakeUtf8Flag(Args& args);

int CmdShortcut(const Args& args);
int CmdCompose(const Args& args);
int CmdRules(const Args& args);
int CmdSettings(const Args& args);
int CmdMatch(const Args& args);
int CmdDetect(const Args& args);
int CmdConvert(const Args& args);
int CmdTitle(const Args& args);
int CmdCheck(const Args& args);

}  // namespace kaveto::ctl
