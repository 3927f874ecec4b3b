#include "app/picture_screen_win32.h"

#include <string>

namespace kaveto {
namespace {

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
using GetDpiForMonitorFunction = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI

unsigned DesktopDpi() {
    HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<unsigned>(dpi) : 96;
}

BOOL CALLBACK AddWorkArea(HMONITOR monitor, HDC, LPRECT, LPARAM areas) {
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (::GetMonitorInfoA(monitor, &info)) {
        const RECT& w = info.rcWork;
        reinterpret_cast<std::vector<ScreenRect>*>(areas)->push_back({w.left, w.top, w.right, w.bottom});
    }
    return TRUE;
}

}  // namespace

unsigned WindowDpi(HWND window) {
    static const auto for_window = LaterSystemFunction<GetDpiForWindowFunction>("user32.dll", "GetDpiForWindow");
    if (for_window)
        if (const UINT dpi = for_window(window)) return dpi;
    // Windows 8.1 scales each monitor but tells it only per monitor.
    static const auto for_monitor = LaterSystemFunction<GetDpiForMonitorFunction>("shcore.dll", "GetDpiForMonitor");
    UINT x = 0, y = 0;
    if (for_monitor && SUCCEEDED(for_monitor(::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), kEffectiveDpi,
                                             &x, &y)) &&
        y > 0)
        return y;
    return DesktopDpi();
}

std::vector<ScreenRect> MonitorWorkAreas() {
    std::vector<ScreenRect> areas;
    ::EnumDisplayMonitors(nullptr, nullptr, AddWorkArea, reinterpret_cast<LPARAM>(&areas));
    return areas;
}

bool KeepOnScreen(HWND window) {
    RECT r = {};
    if (!::GetWindowRect(window, &r)) return false;
    const ScreenPoint to = PlaceOnScreen({r.left, r.top, r.right, r.bottom}, MonitorWorkAreas());
    if (to.x == r.left && to.y == r.top) return false;
    ::SetWindowPos(window, nullptr, to.x, to.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return true;
}

bool PictureArt::ChooseFor(unsigned dpi) {
    const int size = PictureSizeForDpi(dpi);
    if (size == size_) return false;
    size_ = size;
    const std::string name = "PICTURE" + std::to_string(size);
    bitmap_ = UniqueGdiObject(::LoadImageA(instance_, name.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (bitmap_) {
        BITMAP bm = {};
        ::GetObjectA(bitmap_.get(), sizeof bm, &bm);
        HDC dc = ::CreateCompatibleDC(nullptr);
        HGDIOBJ old = ::SelectObject(dc, bitmap_.get());
        transparent_colour_ = ::GetPixel(dc, 0, bm.bmHeight - 1);
        ::SelectObject(dc, old);
        ::DeleteDC(dc);
    }
    return true;
}

void PictureArt::Draw(HDC dc) const {
    if (!bitmap_) return;
    HDC source = ::CreateCompatibleDC(dc);
    HGDIOBJ old = ::SelectObject(source, bitmap_.get());
    ::TransparentBlt(dc, 0, 0, size_, size_, source, 0, 0, size_, size_, transparent_colour_);
    ::SelectObject(source, old);
    ::DeleteDC(source);
}

}  // namespace kaveto
