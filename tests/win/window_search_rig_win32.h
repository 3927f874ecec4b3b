#pragma once
// The system's own window search, with everything else a capture asks for
// faked: for tests of what a capture reads from real windows.
#include "capture/page_context.h"
#include "platform/window_search_win32.h"
#include "tests/capture/capture_fakes.h"

namespace kaveto {

struct WindowSearchRig {
    AppState state;
    testing::FakeFiles files;
    Win32WindowSearch windows;
    testing::FakeUrlCache cache;
    testing::FakeAccessibility accessibility;
    CaptureContext context{state, files, windows, cache, accessibility, nullptr};
};

}  // namespace kaveto
