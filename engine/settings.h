#pragma once
// The program's options, read from the settings file at start and written
// back at exit.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kaveto {

class Profile;
class KeyNames;

// A shortcut: bits 0-12 the virtual-key code, 0x2000 Shift, 0x4000 Ctrl,
// 0x8000 Alt. 0 is the empty shortcut.
using ShortCutValue = std::uint16_t;
constexpr ShortCutValue kShift = 0x2000;
constexpr ShortCutValue kCtrl = 0x4000;
constexpr ShortCutValue kAlt = 0x8000;

// The code the log file is written in when it is new, or holds ASCII alone.
enum class LogTextCode { ShiftJis, Utf8 };

struct Settings {
    std::vector<std::string> Youbi{"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    bool LogBool = false;
    std::string LogBetweenText = "\\r\\n";
    bool LogOrderBool = true;
    std::string SaveFileName = "%my_folder%log\\%yyyy%年%mm%月%dd%日.txt";
    std::int32_t ExtendTime = 0;
    bool DoClipBool = true;
    bool HistoryBool = true;
    bool PasteBool = true;
    ShortCutValue ShortCut = kAlt | 'A';
    std::int32_t ClipbordTime = 100;
    LogTextCode LogCode = LogTextCode::ShiftJis;
    // The key that quotes the window in front; empty (no key) unless set.
    ShortCutValue QuoteShortCut = 0;
};

// The main window's position, as the settings file keeps it.
struct WindowPosition {
    std::int32_t top = 0;
    std::int32_t left = 0;
};

}  // namespace kaveto

namespace kaveto {

// The settings file of an executable: its path with the extension replaced by
// ".ini" (appended when the name has none).
std::string SettingsFilePath(const std::string& executable_path);

// Reads the settings file. `position` holds the window's current edges on
// entry (the defaults of Top and Left) and the read ones on return. Never
// fails: unreadable values give their defaults.
void LoadSettings(Profile& profile, KeyNames& key_names, const std::string& path, WindowPosition& position,
                  Settings& settings);

// Writes every key, in the fixed order. Raises ProfileWriteError at the first
// key the system refuses; the keys after it are not written.
void SaveSettings(Profile& profile, KeyNames& key_names, const std::string& path, const WindowPosition& position,
                  const Settings& settings);

// Reads a shortcut text: "Shift+", "^", "Ctrl+" and "Alt+" prefixes in any
// order, then a key name, all without regard to letter case. 0 for a text
// that names no key.
ShortCutValue ParseShortCut(const std::string& text, KeyNames& key_names);
// "Shift+Ctrl+Alt+" (as present) and the key's name; empty when the key has
// no name.
std::string FormatShortCut(ShortCutValue value, KeyNames& key_names);

// The name of a virtual-key code: the fixed table, the keyboard layout for
// codes outside it; empty when the key has no name.
std::string KeyName(int virtual_key, KeyNames& key_names);

// One value of the settings file in the form SaveSettings writes it.
struct SettingsEntry {
    std::string section;
    std::string key;
    std::string value;
};

// Every key with its written form, in the order SaveSettings writes them.
std::vector<SettingsEntry> SettingsEntries(const WindowPosition& position, const Settings& settings,
                                           KeyNames& key_names);

// The names of the log codes as the settings file holds them: "ShiftJis"
// and "UTF-8".
std::string LogCodeName(LogTextCode code);
// Reads a log code's name in any letter case; nothing for any other text.
std::optional<LogTextCode> ParseLogCode(std::string_view text);

// Reads the integer form of a value: "0x"/"0X" and hexadecimal digits, or
// leading blanks, an optional sign and decimal digits or "$" and hexadecimal
// digits. `fallback` when the text is empty, unreadable or out of range.
std::int32_t ReadIntegerValue(std::string_view text, std::int32_t fallback);

}  // namespace kaveto
