#pragma once
// Checks a program folder the way the program will use it, without running
// it: the title rules, the eight templates and the settings file. Each
// mistake becomes a finding in plain English, so that it is found before a
// capture fails on it or quietly comes out wrong.
#include <string>
#include <vector>

#include "platform/profile.h"
#include "platform/seams.h"

namespace kaveto {

struct Finding {
    std::string file;  // relative to the program folder: "title.txt", "main\1.txt", "kaveto.ini"
    int line = 0;      // from 1; 0 when the finding has no line
    std::string message;
};

// "file:line: message", or "file: message" for a finding without a line.
std::string FormatFinding(const Finding& finding);

// A text in a template that looks like a placeholder or a date token
// ("%word%", the word made of ASCII letters, digits and "_", beginning with a
// letter or "_") but is none of them, so it stays in the snippet as typed.
struct UnknownToken {
    std::string token;  // with its percent signs
    int line = 0;       // from 1
};

// The unknown tokens of a template, in text order; a placeholder with a
// suffix it does not know ("%title_txt:mdd%") is one. The template ends at a
// Ctrl+Z byte as the program reads it. URL escapes ("%20", "%E3%81%82") open
// no token: a "%" and two hexadecimal digits next to another such escape is
// one, unless it begins a known token ("%dd%").
std::vector<UnknownToken> FindUnknownTokens(const std::string& template_text);

// What to tell the user about an unknown token: the closest placeholder or
// date token when one is near ("%titel_txt%", "%YYYY%"), or that it is none.
std::string DescribeUnknownToken(const std::string& token);

// The findings of the title rules text, each with its line number. A file
// with the UTF-8 byte order mark is checked as UTF-8; one in UTF-8 without
// it is a finding of its own, as is such a template.
std::vector<Finding> CheckTitleRules(const std::string& rules_text);

// The findings of the settings file: a ShortCut text that names no key, a
// QuoteShortCut that names no key or is the ShortCut's own, a LogCode that
// names no code, a negative ClipbordTime, a Youbi list without seven names and, while logging
// is on, a SaveFileName whose folder does not exist on the log date of `now`.
// The paths a finding names are written with `separator`: the program's
// own "\", or "/" where they are shown on a system that writes that.
std::vector<Finding> CheckSettings(const std::string& program_folder, const std::string& settings_path,
                                   Files& files, Profile& profile, KeyNames& key_names, const LocalTime& now,
                                   char separator = '\\');

// Every finding of the program folder (ending in a separator): "title.txt",
// the templates of "main\" and "sub\" (with the HTML templates that stand
// beside them), and "kaveto.ini". Raises Error when the folder itself cannot
// be read. Paths are written with `separator`, as for CheckSettings.
std::vector<Finding> CheckProgramFolder(const std::string& program_folder, Files& files, Profile& profile,
                                        KeyNames& key_names, const LocalTime& now, char separator = '\\');

}  // namespace kaveto
