#pragma once
// The picture window on the user's monitors: the display scale of the
// monitor it stands on, the picture drawn for that scale, and the monitors'
// work areas that it must stay within.
#include <windows.h>

#include <vector>

#include "engine/picture_screen.h"
#include "platform/unique_win32.h"

namespace kaveto {

// A function of a later version of Windows, looked up when the program runs
// so that it still starts where the function is missing: null there. A
// module loaded for it stays loaded for the life of the process.
template <typename Function>
Function LaterSystemFunction(const char* module, const char* name) {
    HMODULE handle = ::GetModuleHandleA(module);
    if (!handle) handle = ::LoadLibraryA(module);
    if (!handle) return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(handle, name)));
}

// The dots per inch of the monitor the window stands on. Systems without
// per-monitor scales give the one scale of the whole desktop.
unsigned WindowDpi(HWND window);

// The work area (the monitor less its taskbars) of every monitor.
std::vector<ScreenRect> MonitorWorkAreas();

// Moves the window by the rule of PlaceOnScreen when it is not wholly
// visible on the monitors there are now; true when it moved.
bool KeepOnScreen(HWND window);

// The picture, drawn from the bitmap made for its size and transparently:
// pixels of the bitmap's bottom-left pixel's colour are not drawn.
class PictureArt {
public:
    explicit PictureArt(HINSTANCE instance) : instance_(instance) {}
    // Takes the bitmap for the scale; true when the size changed. Where the
    // program carries no bitmap of that size, nothing is drawn.
    bool ChooseFor(unsigned dpi);
    int size() const { return size_; }
    void Draw(HDC dc) const;

private:
    HINSTANCE instance_;
    int size_ = 0;
    UniqueGdiObject bitmap_;
    COLORREF transparent_colour_ = 0;
};

}  // namespace kaveto
