#pragma once
// Everything the main window needs to capture from the browser: the window
// search, the URL cache, the drop target, and the composer bound to the
// program's state and platform.
#include <windows.h>

#include <functional>
#include <string>

#include "capture/capture_context.h"
#include "capture/drop_target_win32.h"
#include "platform/accessibility_win32.h"
#include "platform/url_cache_win32.h"
#include "platform/window_search_win32.h"

namespace kaveto {

class CaptureServices {
public:
    // `report_error` receives the text of an error that ended a drop; the
    // drag source is still waiting then, so it should post the text rather
    // than show it.
    CaptureServices(AppState& state, Environment& env, DropTarget::ErrorReport report_error);
    CaptureServices(const CaptureServices&) = delete;
    CaptureServices& operator=(const CaptureServices&) = delete;

    // RegisterDragDrop / RevokeDragDrop on the window; OleError on failure.
    void RegisterDropTarget(HWND window);
    void RevokeDropTarget(HWND window);
    // The double-click on the picture. Errors pass to the caller.
    void Image1DblClick();

    CaptureContext& context() { return context_; }
    DropTarget& drop_target() { return drop_target_; }

private:
    AppState& state_;
    Win32WindowSearch windows_;
    Win32UrlCache cache_;
    Win32Accessibility accessibility_;
    CaptureContext context_;
    DropTarget drop_target_;
};

}  // namespace kaveto
