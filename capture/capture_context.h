#pragma once
// What a capture works on: the program's state and the platform seams it
// reads, and the composer that turns the filled record into a snippet.
#include <functional>

#include "engine/app_state.h"
#include "platform/accessibility.h"
#include "platform/seams.h"
#include "platform/url_cache.h"
#include "platform/window_search.h"

namespace kaveto {

struct CaptureContext {
    AppState& state;
    Files& files;
    WindowSearch& windows;
    UrlCache& cache;
    Accessibility& accessibility;
    // Runs the SnippetComposer over state.record; the main window binds it.
    std::function<void()> compose;
};

}  // namespace kaveto
