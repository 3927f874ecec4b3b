// TEMPORARY until the settings file and clipboard code reach this branch:
// just enough of them for the window to start, place itself and save.
#include <windows.h>

#include "app/program_services_win32.h"
#include "engine/settings.h"
#include "platform/errors.h"

namespace kaveto {
namespace {

class StopgapProfile : public Profile {
public:
    std::string ReadString(const std::string& path, const std::string& section, const std::string& key,
                           const std::string& fallback) override {
        char buf[2048];
        ::GetPrivateProfileStringA(section.c_str(), key.c_str(), fallback.c_str(), buf, sizeof buf, path.c_str());
        return buf;
    }
    bool WriteString(const std::string& path, const std::string& section, const std::string& key,
                     const std::string& value) override {
        return ::WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), path.c_str()) != 0;
    }
};
class StopgapKeyNames : public KeyNames {
public:
    std::string SystemKeyName(int) override { return {}; }
};
class StopgapClipboard : public Clipboard {
public:
    void SetText(const std::string&) override { throw ClipboardError(); }
};

}  // namespace

ProgramServices MakeProgramServices() {
    return {std::make_unique<StopgapProfile>(), std::make_unique<StopgapKeyNames>(),
            std::make_unique<StopgapClipboard>()};
}

std::string SettingsFilePath(const std::string& exe) { return exe.substr(0, exe.rfind('.')) + ".ini"; }

void LoadSettings(Profile& profile, KeyNames&, const std::string& path, WindowPosition& position,
                  Settings& settings) {
    position.top = std::atoi(profile.ReadString(path, "Window", "Top", std::to_string(position.top)).c_str());
    position.left = std::atoi(profile.ReadString(path, "Window", "Left", std::to_string(position.left)).c_str());
    const std::string shortcut = profile.ReadString(path, "Other", "ShortCut", "Alt+A");
    settings.ShortCut = shortcut.empty() ? 0 : (shortcut == "Alt+A" ? (kAlt | 'A') : (kCtrl | kAlt | 'Q'));
}

void SaveSettings(Profile& profile, KeyNames&, const std::string& path, const WindowPosition& position,
                  const Settings& settings) {
    const std::pair<const char*, std::string> other[] = {
        {"Youbi", "Sun,Mon,Tue,Wed,Thu,Fri,Sat"}, {"LogBool", "0"}, {"LogBetweenText", settings.LogBetweenText},
        {"LogOrderBool", "1"}, {"ExtendTime", "0"}, {"DoClipBool", "1"}, {"HistoryBool", "1"}, {"PasteBool", "1"},
        {"ShortCut", settings.ShortCut ? "Alt+A" : ""}, {"ClipbordTime", "100"}, {"SaveFileName", settings.SaveFileName}};
    if (!profile.WriteString(path, "Window", "Top", std::to_string(position.top))) throw ProfileWriteError(path);
    if (!profile.WriteString(path, "Window", "Left", std::to_string(position.left))) throw ProfileWriteError(path);
    for (const auto& [key, value] : other)
        if (!profile.WriteString(path, "Other", key, value)) throw ProfileWriteError(path);
}

}  // namespace kaveto
