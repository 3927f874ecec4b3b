#include "engine/folder_check.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <span>
#include <string_view>

#include "engine/output_sinks.h"
#include "engine/settings.h"
#include "engine/snippet_composer.h"
#include "engine/title_rules.h"
#include "platform/errors.h"
#include "text/bregexp.h"
#include "text/text_helpers.h"
#include "text/page_code.h"
#include "text/unicode.h"

namespace kaveto {
namespace {

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsWordChar(char c) { return IsAsciiLetter(c) || (c >= '0' && c <= '9') || c == '_'; }
bool IsHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }

// Every placeholder and date token; the date tokens come second.
const std::span<const char* const> kKnownTokens[] = {kPlaceholders, kDateTokens};

// The known placeholder or date token that begins at `pos`, or nothing.
std::string_view KnownTokenAt(std::string_view text, std::size_t pos) {
    for (const auto& list : kKnownTokens)
        for (const char* token : list)
            if (text.substr(pos).starts_with(token)) return token;
    return {};
}

// True for a placeholder with a suffix the program knows ("%title_txt:md%").
bool IsSuffixedPlaceholder(std::string_view token) {
    const std::size_t colon = token.find(':');
    const std::string_view suffix = token.substr(colon, token.size() - 1 - colon);
    const std::string base = std::string(token.substr(0, colon)) + "%";
    return std::find(std::begin(kSuffixes), std::end(kSuffixes), suffix) != std::end(kSuffixes) &&
           std::find(std::begin(kPlaceholders), std::end(kPlaceholders), base) != std::end(kPlaceholders);
}

// A "%" and two hexadecimal digits: a URL escape, if it is one.
bool EscapeAt(std::string_view text, std::size_t pos) {
    return pos + 2 < text.size() && text[pos] == '%' && IsHexDigit(text[pos + 1]) && IsHexDigit(text[pos + 2]);
}

// A URL escape next to another ("%E3%81%82"): escapes come in runs where a
// word does not. A lone "%da" may begin "%date%", which is a mistake to name.
bool InEscapeRun(std::string_view text, std::size_t pos) {
    return EscapeAt(text, pos) && (EscapeAt(text, pos + 3) || (pos >= 3 && EscapeAt(text, pos - 3)));
}

// The position after the line end that starts at `pos` (CR LF, CR or LF),
// or `pos` itself when there is none: lines are counted as the title rules
// count them.
std::size_t SkipLineEnd(std::string_view text, std::size_t pos) {
    if (text[pos] == '\n') return pos + 1;
    if (text[pos] != '\r') return pos;
    return (pos + 1 < text.size() && text[pos + 1] == '\n') ? pos + 2 : pos + 1;
}

std::string Folded(std::string_view text) {
    std::string folded(text);
    for (char& c : folded) c = FoldAscii(c);
    return folded;
}

// Edits (insertions, deletions, substitutions and swaps of neighbours) that
// turn one word into the other.
std::size_t EditDistance(std::string_view a, std::string_view b) {
    std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
    for (std::size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
    for (std::size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i)
        for (std::size_t j = 1; j <= b.size(); ++j) {
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + (a[i - 1] != b[j - 1])});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    return d[a.size()][b.size()];
}

// How far a misspelling of a known name may stray and still be taken for
// it: short names are too alike ("%m%", "%d%", "%h%") to guess between.
std::size_t Tolerance(std::string_view known_name) {
    if (known_name.size() >= 8) return 2;
    if (known_name.size() >= 3) return 1;
    return 0;
}

struct Suggestion {
    const char* token = nullptr;  // with its percent signs
    bool date_token = false;
    bool case_only = false;
};

// The known token an unknown name most likely stands for: the same name in
// other letter case, a known name that begins with it and "_" ("%title%"),
// or the nearest known name within its tolerance.
Suggestion Suggest(std::string_view name) {
    const std::string folded = Folded(name);
    Suggestion best;
    std::size_t best_distance = static_cast<std::size_t>(-1);
    for (const auto& list : kKnownTokens)
        for (const char* token : list) {
            const std::string_view known = std::string_view(token).substr(1, std::strlen(token) - 2);
            const std::string known_folded = Folded(known);
            const bool date_token = list.data() == kDateTokens;
            if (known_folded == folded) return {token, date_token, true};
            std::size_t distance = EditDistance(folded, known_folded);
            if (folded.size() >= 3 && known_folded.starts_with(folded + "_")) distance = 1;
            else if (distance > Tolerance(known)) continue;
            if (distance < best_distance) {
                best_distance = distance;
                best = {token, date_token, false};
            }
        }
    return best;
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

constexpr char kSettingsFile[] = "kaveto.ini";
constexpr char kTitleRulesFile[] = "title.txt";

// What each template serves, for the finding of a missing one.
const char* CaptureOf(char number) {
    switch (number) {
    case '1': return "dropping selected text";
    case '2': return "dropping a link";
    case '3': return "double-clicking the picture (quoting the page in front)";
    default: return "dropping a cached file (an image)";
    }
}

// The path with each "\" written as `separator`; the second byte of a
// double-byte character stays as it is.
std::string WithSeparator(std::string path, char separator) {
    for (std::size_t i = 0; i < path.size(); i += CharLength(path, i))
        if (path[i] == '\\') path[i] = separator;
    return path;
}

bool IsAbsolutePath(std::string_view path) {
    if (!path.empty() && (path[0] == '\\' || path[0] == '/')) return true;
    return path.size() >= 2 && IsAsciiLetter(path[0]) && path[1] == ':';
}

// A file saved as UTF-8 without the byte order mark is read as Shift_JIS.
bool IsUtf8WithoutMark(std::string_view text) { return !StartsWithUtf8Bom(text) && ReadsAsUtf8(text); }

constexpr char kUtf8WithoutMark[] =
    "saved as UTF-8 without a byte order mark, so it is read as Shift_JIS and every character beyond ASCII "
    "comes out garbled; save it as UTF-8 with a byte order mark (\"UTF-8 with BOM\"), or in Shift_JIS";

bool IsBlankLine(std::string_view line) {
    return std::all_of(line.begin(), line.end(), [](char c) { return static_cast<unsigned char>(c) <= 32; });
}

// The file's bytes, or nothing and a finding when it cannot be read.
std::optional<std::string> ReadChecked(Files& files, const std::string& path, const std::string& name,
                                       std::vector<Finding>& findings) {
    try {
        return files.ReadAll(path);
    } catch (const FileError& e) {
        findings.push_back({name, 0, std::string("cannot be read: ") + e.what()});
        return std::nullopt;
    }
}

// The unknown tokens of a template's Shift_JIS text as findings. The tokens
// are ASCII and keep their lines in the Shift_JIS form of a UTF-8 template,
// where the double-byte scan reads them as the program will.
void AddUnknownTokens(const std::string& shift_jis, const std::string& name, std::vector<Finding>& findings) {
    for (const UnknownToken& unknown : FindUnknownTokens(shift_jis))
        findings.push_back({name, unknown.line, DescribeUnknownToken(unknown.token)});
}

void CheckTemplate(const std::string& program_folder, const std::string& name, Files& files,
                   std::vector<Finding>& findings) {
    const std::string path = program_folder + name;
    const bool sub = name[0] == 's';
    const char number = name[name.size() - 5];
    if (!files.FileExists(path)) {
        findings.push_back({name, 0,
                            std::string("missing: ") + CaptureOf(number) + (sub ? " with Ctrl held" : "") +
                                " fails with \"File not found\" until it exists"});
        return;
    }
    const std::optional<std::string> text = ReadChecked(files, path, name, findings);
    if (!text) return;
    if (IsUtf8WithoutMark(*text)) findings.push_back({name, 0, kUtf8WithoutMark});
    AddUnknownTokens(TemplateTexts(*text).shift_jis, name, findings);
}

// An HTML template is optional; one that is there is read as UTF-8.
void CheckHtmlTemplate(const std::string& program_folder, const std::string& name, Files& files,
                       std::vector<Finding>& findings) {
    const std::string path = program_folder + name;
    if (!files.FileExists(path)) return;
    const std::optional<std::string> read = ReadChecked(files, path, name, findings);
    if (!read) return;
    const std::string& bytes = *read;
    const std::string_view body =
        std::string_view(bytes).substr(StartsWithUtf8Bom(bytes) ? kUtf8ByteOrderMark.size() : 0);
    if (!IsWellFormedUtf8(body.substr(0, body.find('\x1A'))))
        findings.push_back({name, 0,
                            "not saved as UTF-8, which an HTML template is read as: what is no UTF-8 comes out as the "
                            "replacement character U+FFFD; save it as UTF-8"});
    AddUnknownTokens(Utf8ToShiftJis(HtmlTemplateText(bytes)), name, findings);
}

}  // namespace

std::string FormatFinding(const Finding& f) {
    std::string text = f.file;
    if (f.line > 0) text.append(":").append(std::to_string(f.line));
    return text.append(": ").append(f.message);
}

std::vector<UnknownToken> FindUnknownTokens(const std::string& template_text) {
    // The program stops reading a template at Ctrl+Z.
    const std::string_view text = std::string_view(template_text).substr(0, template_text.find('\x1A'));
    std::vector<UnknownToken> unknown;
    int line = 1;
    std::size_t i = 0;
    while (i < text.size()) {
        if (const std::size_t next = SkipLineEnd(text, i); next != i) {
            ++line;
            i = next;
            continue;
        }
        if (text[i] != '%') {
            i += CharLength(text, i);
            continue;
        }
        if (const std::string_view known = KnownTokenAt(text, i); !known.empty()) {
            i += known.size();
            continue;
        }
        if (InEscapeRun(text, i)) {
            i += 3;
            continue;
        }
        std::size_t end = i + 1;
        if (end < text.size() && (IsAsciiLetter(text[end]) || text[end] == '_'))
            while (end < text.size() && IsWordChar(text[end])) ++end;
        // A word, a colon and a suffix: "%title_txt:md%".
        std::size_t suffix_end = end + 1;
        if (end > i + 1 && end < text.size() && text[end] == ':')
            while (suffix_end < text.size() && IsWordChar(text[suffix_end])) ++suffix_end;
        if (suffix_end > end + 1 && suffix_end < text.size() && text[suffix_end] == '%') {
            const std::string_view token = text.substr(i, suffix_end + 1 - i);
            if (IsSuffixedPlaceholder(token)) {
                i = suffix_end + 1;
                continue;
            }
            unknown.push_back({std::string(token), line});
            i = suffix_end;
            continue;
        }
        if (end > i + 1 && end < text.size() && text[end] == '%') {
            unknown.push_back({std::string(text.substr(i, end + 1 - i)), line});
            // The closing sign may open the next token, as it would for the
            // program's replacement.
            i = end;
            continue;
        }
        ++i;
    }
    return unknown;
}

namespace {

// What to tell the user about a token with a suffix that the program does
// not know: the suffix, or the name before it.
std::string DescribeSuffixed(const std::string& token, std::string_view name, std::string_view suffix) {
    std::string base(1, '%');
    base.append(name).append(1, '%');
    const auto known = [&](const auto& list) {
        return std::find(std::begin(list), std::end(list), base) != std::end(list);
    };
    constexpr char kStays[] = ": it stays in the snippet as typed";
    if (known(kPlaceholders))
        return token + " has no suffix " + std::string(suffix) + kStays + "; a placeholder takes :md, :html or :url";
    if (known(kDateTokens)) return token + " is a date token with a suffix, which none takes" + kStays;
    const Suggestion s = Suggest(name);
    if (!s.token || s.date_token) return token + " is not a placeholder" + kStays;
    const std::string_view meant(s.token);  // with its closing sign, which the suffix goes before
    return token + " is not a placeholder" + kStays + "; did you mean " +
           std::string(meant.substr(0, meant.size() - 1)) + std::string(suffix) + "%?";
}

}  // namespace

std::string DescribeUnknownToken(const std::string& token) {
    const std::string_view name = std::string_view(token).substr(1, token.size() - 2);
    if (const std::size_t colon = name.find(':'); colon != std::string_view::npos)
        return DescribeSuffixed(token, name.substr(0, colon), name.substr(colon));
    if (name == "my_folder") return token + " is known only in SaveFileName: in a template it stays as typed";
    const Suggestion s = Suggest(name);
    if (!s.token) return token + " is neither a placeholder nor a date token: it stays in the snippet as typed";
    const std::string kind = s.date_token ? "date token" : "placeholder";
    if (s.case_only)
        return token + " is not a " + kind + " (letter case counts): it stays in the snippet as typed; did you mean " +
               s.token + "?";
    return token + " is not a " + kind + ": it stays in the snippet as typed; did you mean " + s.token + "?";
}

std::vector<Finding> CheckTitleRules(const std::string& rules_text) {
    std::vector<Finding> findings;
    if (IsUtf8WithoutMark(rules_text)) findings.push_back({kTitleRulesFile, 0, kUtf8WithoutMark});
    const RulesFile file = ReadRulesFile(rules_text);
    const std::vector<std::string>& lines = file.lines;
    TBRegExp matcher;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        // A blank line is skipped by the program, and meant to be.
        if (IsBlankLine(lines[i])) continue;
        const int number = static_cast<int>(i + 1);
        const std::vector<std::string> fields = file.utf8 ? RuleFieldsUtf8(lines[i]) : RuleFields(lines[i]);
        if (fields.size() < 2) {
            findings.push_back({kTitleRulesFile, number,
                                "no comma, so the program skips this line; a rule is pattern,title or "
                                "pattern,title,address"});
            continue;
        }
        try {
            matcher.Match(RuleExpression(file.utf8 ? RulePatternToShiftJis(fields[0]) : fields[0]), "");
        } catch (const EBRegExpError& e) {
            std::string message = std::string("the pattern does not compile: ") + e.what();
            // The program escapes every slash itself; an escaped one is
            // escaped twice and ends the expression.
            if (fields[0].find("\\/") != std::string::npos) message += " (write / plainly, without a backslash)";
            findings.push_back({kTitleRulesFile, number, message});
        }
        if (fields.size() > 3)
            findings.push_back({kTitleRulesFile, number,
                                std::to_string(fields.size()) +
                                    " fields: only the title is used and the address is ignored (every comma "
                                    "splits, also one inside a title or an address)"});
    }
    return findings;
}

std::vector<Finding> CheckSettings(const std::string& program_folder, const std::string& settings_path, Files& files,
                                   Profile& profile, KeyNames& key_names, const LocalTime& now, char separator) {
    std::vector<Finding> findings;
    WindowPosition position;
    Settings settings;
    LoadSettings(profile, key_names, settings_path, position, settings);

    // An empty value is the program's own way of writing "no hotkey"; a text
    // that names no key is a mistake.
    const std::string shortcut = profile.ReadString(settings_path, "Other", "ShortCut", "");
    if (!shortcut.empty() && ParseShortCut(shortcut, key_names) == 0)
        findings.push_back({kSettingsFile, 0,
                            "ShortCut " + Quoted(shortcut) +
                                " names no key, so there is no history hotkey (keys are written as Alt+A, "
                                "Ctrl+Shift+F12, ^Q)"});
    const std::string quote = profile.ReadString(settings_path, "Other", "QuoteShortCut", "");
    if (!quote.empty() && settings.QuoteShortCut == 0)
        findings.push_back({kSettingsFile, 0,
                            "QuoteShortCut " + Quoted(quote) +
                                " names no key, so there is no quote key (keys are written as Alt+Q, "
                                "Ctrl+Alt+Q, ^Q)"});
    else if (settings.QuoteShortCut != 0 && settings.QuoteShortCut == settings.ShortCut)
        findings.push_back({kSettingsFile, 0,
                            "QuoteShortCut " + Quoted(quote) + " is the history hotkey's key (ShortCut " +
                                FormatShortCut(settings.ShortCut, key_names) +
                                "), so the quote key cannot be registered; give it a key of its own"});
    const std::string log_code = profile.ReadString(settings_path, "Other", "LogCode", "");
    if (!log_code.empty() && !ParseLogCode(log_code))
        findings.push_back({kSettingsFile, 0,
                            "LogCode " + Quoted(log_code) + " is neither " + LogCodeName(LogTextCode::ShiftJis) +
                                " nor " + LogCodeName(LogTextCode::Utf8) +
                                ", so a new log is written in Shift_JIS (an existing log keeps its own code)"});
    if (settings.ClipbordTime < 0)
        findings.push_back({kSettingsFile, 0,
                            "ClipbordTime is " + std::to_string(settings.ClipbordTime) +
                                ": a pause in milliseconds cannot be negative, so the paste is made without one"});
    if (settings.Youbi.size() != 7)
        findings.push_back({kSettingsFile, 0,
                            "Youbi has " + std::to_string(settings.Youbi.size()) +
                                " names where it needs seven, Sunday first: " +
                                (settings.Youbi.size() < 7 ? "on a day without a name every capture fails"
                                                           : "the names after the seventh are never used")});
    if (settings.LogBool) {
        std::string path =
            ExpandLogFileName(settings.SaveFileName, LogDate(now, settings.ExtendTime), program_folder);
        // A relative path is taken from the program folder, where the program
        // starts when it is opened from its folder.
        if (!IsAbsolutePath(path)) path = program_folder + path;
        const std::string folder = path.substr(0, PathNameStart(path));
        const FolderState state = files.ProbeFolder(folder);
        if (state == FolderState::Missing || state == FolderState::NotAFolder)
            findings.push_back({kSettingsFile, 0,
                                "SaveFileName puts the log in the folder " + WithSeparator(folder, separator) +
                                    ", which does not exist; the program creates no folder, so each log write "
                                    "fails with \"Invalid filename\""});
    }
    return findings;
}

std::vector<Finding> CheckProgramFolder(const std::string& program_folder, Files& files, Profile& profile,
                                        KeyNames& key_names, const LocalTime& now, char separator) {
    switch (files.ProbeFolder(program_folder)) {
    case FolderState::Missing: throw Error("no such folder: " + program_folder);
    case FolderState::NotAFolder: throw Error("not a folder: " + program_folder);
    case FolderState::Unlistable: throw Error("the folder cannot be listed: " + program_folder);
    case FolderState::Listable: break;
    }
    std::vector<Finding> findings;
    const std::string rules_path = program_folder + kTitleRulesFile;
    if (!files.FileExists(rules_path)) {
        findings.push_back(
            {kTitleRulesFile, 0, "missing: every capture fails until it exists (an empty file will do)"});
    } else {
        try {
            const std::vector<Finding> rules = CheckTitleRules(files.ReadAll(rules_path));
            findings.insert(findings.end(), rules.begin(), rules.end());
        } catch (const FileError& e) {
            findings.push_back({kTitleRulesFile, 0, std::string("cannot be read: ") + e.what()});
        }
    }
    for (const char* folder : {"main", "sub"})
        for (const char* file : {"1.txt", "2.txt", "3.txt", "4.txt"}) {
            CheckTemplate(program_folder, std::string(folder) + separator + file, files, findings);
            CheckHtmlTemplate(program_folder, std::string(folder) + separator + HtmlTemplateName(file), files,
                              findings);
        }
    const std::vector<Finding> settings =
        CheckSettings(program_folder, program_folder + kSettingsFile, files, profile, key_names, now, separator);
    findings.insert(findings.end(), settings.begin(), settings.end());
    return findings;
}

}  // namespace kaveto
