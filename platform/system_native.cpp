#include <unistd.h>

#include <ctime>

#include "platform/files_native.h"
#include "platform/system.h"

namespace kaveto {
namespace {

class NativeClock : public Clock {
public:
    LocalTime Now() override {
        const std::time_t t = std::time(nullptr);
        std::tm tm{};
        ::localtime_r(&t, &tm);
        return LocalTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, tm.tm_wday};
    }
};

// No keyboard is watched here: Ctrl is always up.
class NativeKeyState : public KeyState {
public:
    bool ControlDown() override { return false; }
};

}  // namespace

SystemServices MakeSystemServices() {
    SystemServices s;
    s.key_state = std::make_unique<NativeKeyState>();
    s.clock = std::make_unique<NativeClock>();
    s.files = std::make_unique<NativeFiles>();
    return s;
}

std::string ExecutablePath() {
    std::string path(256, '\0');
    for (;;) {
        const ssize_t n = ::readlink("/proc/self/exe", path.data(), path.size());
        if (n < 0) return {};
        if (static_cast<std::size_t>(n) < path.size()) {
            path.resize(static_cast<std::size_t>(n));
            return path;
        }
        path.resize(path.size() * 2);
    }
}

}  // namespace kaveto
