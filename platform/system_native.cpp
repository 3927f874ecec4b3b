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

}  // namespace kaveto
