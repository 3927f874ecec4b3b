#include "capture/capture_services_win32.h"

#include "capture/page_context.h"
#include "engine/snippet_composer.h"

namespace kaveto {

CaptureServices::CaptureServices(AppState& state, Environment& env, DropTarget::ErrorReport report_error)
    : state_(state),
      context_{state, env.files, windows_, cache_, accessibility_, [&state, &env] { SnippetComposer(state, env); }},
      drop_target_(context_, std::move(report_error)) {}

void CaptureServices::RegisterDropTarget(HWND window) { kaveto::RegisterDropTarget(window, drop_target_); }

void CaptureServices::RevokeDropTarget(HWND window) { kaveto::RevokeDropTarget(window); }

void CaptureServices::Image1DblClick() { kaveto::Image1DblClick(context_); }

}  // namespace kaveto
