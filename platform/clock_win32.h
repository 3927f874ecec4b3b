#pragma once
// The local clock and the keyboard state as Windows reports them.
#include "platform/seams.h"

namespace kaveto {

class Win32Clock : public Clock {
public:
    LocalTime Now() override;
};

// The key state of the calling thread's input queue, as of the message
// being handled.
class Win32KeyState : public KeyState {
public:
    bool ControlDown() override;
};

}  // namespace kaveto
