#pragma once
// The program's options, read from the settings file at start and written
// back at exit.
#include <cstdint>
#include <string>
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

ShortCutValue ParseShortCut(const std::string& text, KeyNames& key_names);
std::string FormatShortCut(ShortCutValue value, KeyNames& key_names);

}  // namespace kaveto
