#include "engine/settings.h"

#include <cstddef>

#include "platform/errors.h"
#include "platform/profile.h"
#include "text/codepage.h"
#include "text/text_helpers.h"

namespace kaveto {
namespace {

constexpr char kWindow[] = "Window";
constexpr char kOther[] = "Other";

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Digits in base 10 or 16 up to the end of the text; false when there are
// none, when anything else follows, or when the magnitude leaves the range
// that `limit` allows.
bool ReadDigits(std::string_view digits, int base, std::int64_t limit, std::int64_t& magnitude) {
    if (digits.empty()) return false;
    magnitude = 0;
    for (char c : digits) {
        const int d = base == 16 ? HexDigit(c) : (c >= '0' && c <= '9' ? c - '0' : -1);
        if (d < 0) return false;
        magnitude = magnitude * base + d;
        if (magnitude > limit) return false;
    }
    return true;
}

// True when `text` begins with `prefix` (ASCII) without regard to case.
bool StartsWithIgnoreCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (FoldAscii(text[i]) != FoldAscii(prefix[i])) return false;
    return true;
}

std::string BoolText(bool value) { return value ? "1" : "0"; }

bool ReadBool(Profile& profile, const std::string& path, const char* key, bool fallback) {
    const std::int32_t number = ReadIntegerValue(profile.ReadString(path, kOther, key, BoolText(fallback)), fallback);
    return number != 0;
}

std::int32_t ReadInteger(Profile& profile, const std::string& path, const char* section, const char* key,
                         std::int32_t fallback) {
    return ReadIntegerValue(profile.ReadString(path, section, key, std::to_string(fallback)), fallback);
}

}  // namespace

std::int32_t ReadIntegerValue(std::string_view text, std::int32_t fallback) {
    constexpr std::int64_t kMax = 2147483647;
    std::int64_t magnitude = 0;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        return ReadDigits(text.substr(2), 16, kMax, magnitude) ? static_cast<std::int32_t>(magnitude) : fallback;

    std::size_t p = 0;
    while (p < text.size() && (text[p] == ' ' || text[p] == '\t')) ++p;
    bool negative = false;
    if (p < text.size() && (text[p] == '+' || text[p] == '-')) negative = text[p++] == '-';
    int base = 10;
    if (p < text.size() && text[p] == '$') {
        base = 16;
        ++p;
    }
    // The range is the same in both bases: a value that does not fit a 32-bit
    // signed number is unreadable, not wrapped round.
    if (!ReadDigits(text.substr(p), base, negative ? kMax + 1 : kMax, magnitude)) return fallback;
    return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

std::string KeyName(int vk, KeyNames& key_names) {
    switch (vk) {
    case 8: return "BkSp";
    case 9: return "Tab";
    case 13: return "Enter";
    case 27: return "Esc";
    case 32: return "Space";
    case 33: return "PgUp";
    case 34: return "PgDn";
    case 35: return "End";
    case 36: return "Home";
    case 37: return "Left";
    case 38: return "Up";
    case 39: return "Right";
    case 40: return "Down";
    case 45: return "Ins";
    case 46: return "Del";
    default: break;
    }
    if ((vk >= '0' && vk <= '9') || (vk >= 'A' && vk <= 'Z')) return std::string(1, static_cast<char>(vk));
    if (vk >= 96 && vk <= 105) return std::string(1, static_cast<char>('0' + vk - 96));
    if (vk >= 112 && vk <= 135) return "F" + std::to_string(vk - 111);
    return key_names.SystemKeyName(vk);
}

ShortCutValue ParseShortCut(const std::string& text, KeyNames& key_names) {
    std::string_view rest = text;
    ShortCutValue modifiers = 0;
    for (;;) {
        if (StartsWithIgnoreCase(rest, "Shift+")) {
            rest.remove_prefix(6);
            modifiers |= kShift;
        } else if (StartsWithIgnoreCase(rest, "^")) {
            rest.remove_prefix(1);
            modifiers |= kCtrl;
        } else if (StartsWithIgnoreCase(rest, "Ctrl+")) {
            rest.remove_prefix(5);
            modifiers |= kCtrl;
        } else if (StartsWithIgnoreCase(rest, "Alt+")) {
            rest.remove_prefix(4);
            modifiers |= kAlt;
        } else {
            break;
        }
    }
    if (rest.empty()) return 0;
    // Several codes may share a name ("5" is also the keypad's 5): the
    // lowest code wins.
    for (int vk = 8; vk <= 255; ++vk)
        if (EqualIgnoreCase(rest, KeyName(vk, key_names)))
            return static_cast<ShortCutValue>(vk | modifiers);
    return 0;
}

std::string FormatShortCut(ShortCutValue value, KeyNames& key_names) {
    const std::string name = KeyName(value & 0xFF, key_names);
    if (name.empty()) return "";
    std::string text;
    if (value & kShift) text += "Shift+";
    if (value & kCtrl) text += "Ctrl+";
    if (value & kAlt) text += "Alt+";
    return text + name;
}

std::string LogCodeName(LogTextCode code) { return code == LogTextCode::Utf8 ? "UTF-8" : "ShiftJis"; }

std::optional<LogTextCode> ParseLogCode(std::string_view text) {
    for (const LogTextCode code : {LogTextCode::ShiftJis, LogTextCode::Utf8})
        if (EqualIgnoreCase(text, LogCodeName(code))) return code;
    return std::nullopt;
}

std::string SettingsFilePath(const std::string& executable_path) {
    // The extension is what follows the last dot of the file name; a dot in
    // a folder name does not count. The second byte of a double-byte
    // character may be a backslash and is no separator.
    std::size_t name_start = 0;
    std::size_t dot = std::string::npos;
    for (std::size_t i = 0; i < executable_path.size(); i += CharLength(executable_path, i)) {
        const char c = executable_path[i];
        if (CharLength(executable_path, i) == 2) continue;
        if (c == '\\' || c == '/' || c == ':') {
            name_start = i + 1;
            dot = std::string::npos;
        } else if (c == '.') {
            dot = i;
        }
    }
    const std::size_t end = (dot != std::string::npos && dot >= name_start) ? dot : executable_path.size();
    return executable_path.substr(0, end) + ".ini";
}

void LoadSettings(Profile& profile, KeyNames& key_names, const std::string& path, WindowPosition& position,
                  Settings& settings) {
    // The window keeps its edges when the file lacks them; each edge is set
    // as soon as it is read.
    position.top = ReadInteger(profile, path, kWindow, "Top", position.top);
    position.left = ReadInteger(profile, path, kWindow, "Left", position.left);

    const Settings defaults;
    Settings read;
    read.Youbi = ReadCommaList(profile.ReadString(path, kOther, "Youbi", WriteCommaList(defaults.Youbi)));
    read.LogBool = ReadBool(profile, path, "LogBool", defaults.LogBool);
    read.LogBetweenText = profile.ReadString(path, kOther, "LogBetweenText", defaults.LogBetweenText);
    read.LogOrderBool = ReadBool(profile, path, "LogOrderBool", defaults.LogOrderBool);
    read.SaveFileName = profile.ReadString(path, kOther, "SaveFileName", defaults.SaveFileName);
    read.ExtendTime = ReadInteger(profile, path, kOther, "ExtendTime", defaults.ExtendTime);
    read.DoClipBool = ReadBool(profile, path, "DoClipBool", defaults.DoClipBool);
    read.HistoryBool = ReadBool(profile, path, "HistoryBool", defaults.HistoryBool);
    read.PasteBool = ReadBool(profile, path, "PasteBool", defaults.PasteBool);
    read.ShortCut =
        ParseShortCut(profile.ReadString(path, kOther, "ShortCut", FormatShortCut(defaults.ShortCut, key_names)),
                      key_names);
    read.ClipbordTime = ReadInteger(profile, path, kOther, "ClipbordTime", defaults.ClipbordTime);
    // A name the program does not know keeps the log in the code it has
    // always been written in.
    read.LogCode = ParseLogCode(profile.ReadString(path, kOther, "LogCode", LogCodeName(defaults.LogCode)))
                       .value_or(defaults.LogCode);
    read.QuoteShortCut = ParseShortCut(profile.ReadString(path, kOther, "QuoteShortCut", ""), key_names);
    settings = std::move(read);
}

std::vector<SettingsEntry> SettingsEntries(const WindowPosition& position, const Settings& settings,
                                           KeyNames& key_names) {
    return {
        {kWindow, "Top", std::to_string(position.top)},
        {kWindow, "Left", std::to_string(position.left)},
        {kOther, "Youbi", WriteCommaList(settings.Youbi)},
        {kOther, "LogBool", BoolText(settings.LogBool)},
        {kOther, "LogBetweenText", settings.LogBetweenText},
        {kOther, "LogOrderBool", BoolText(settings.LogOrderBool)},
        {kOther, "ExtendTime", std::to_string(settings.ExtendTime)},
        {kOther, "DoClipBool", BoolText(settings.DoClipBool)},
        {kOther, "HistoryBool", BoolText(settings.HistoryBool)},
        {kOther, "PasteBool", BoolText(settings.PasteBool)},
        {kOther, "ShortCut", FormatShortCut(settings.ShortCut, key_names)},
        {kOther, "ClipbordTime", std::to_string(settings.ClipbordTime)},
        // Written last although read earlier: the order of a fresh file.
        {kOther, "SaveFileName", settings.SaveFileName},
        // Newer than the others: written after them, where the system puts a
        // key that an older file lacks, so old and fresh files agree.
        {kOther, "LogCode", LogCodeName(settings.LogCode)},
        // Written even when empty, so that users find it in the file.
        {kOther, "QuoteShortCut", FormatShortCut(settings.QuoteShortCut, key_names)},
    };
}

void SaveSettings(Profile& profile, KeyNames& key_names, const std::string& path, const WindowPosition& position,
                  const Settings& settings) {
    for (const SettingsEntry& entry : SettingsEntries(position, settings, key_names))
        if (!profile.WriteString(path, entry.section, entry.key, entry.value)) throw ProfileWriteError(path);
}

}  // namespace kaveto
