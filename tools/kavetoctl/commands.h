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
