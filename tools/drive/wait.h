#pragma once
// Waiting as a program on the desktop waits: this thread's messages are
// pumped while a condition is polled, and every wait has a deadline.
#include <windows.h>

#include <functional>

namespace kaveto::drive {

// How long one step of a program or a stand-in may take before it counts as
// lost: far above what any step needs, so that it only ends a wait that
// would otherwise never end.
constexpr DWORD kPatienceMs = 10000;

// Dispatches the messages waiting for this thread.
void PumpMessages();

// Dispatches this thread's messages until none has come for `quiet_ms`, for
// at most `limit_ms`.
void PumpUntilQuiet(DWORD quiet_ms, DWORD limit_ms);

// Polls `done` while pumping this thread's messages: true once it holds,
// false when the time ran out first.
bool WaitUntil(const std::function<bool()>& done, DWORD timeout_ms = kPatienceMs);

// Milliseconds since it was made.
class Stopwatch {
public:
    Stopwatch() : start_(::GetTickCount64()) {}
    DWORD ElapsedMs() const { return static_cast<DWORD>(::GetTickCount64() - start_); }

private:
    ULONGLONG start_;
};

}  // namespace kaveto::drive
