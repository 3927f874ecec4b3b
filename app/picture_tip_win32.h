#pragma once
// The picture's hover tip: the system's tooltip, shown after the usual hover
// delay, says what the picture is and what it takes. It stands beside the
// picture, never over it, so that it is never in the way of a click, a
// drag-move or a drop.
#include <windows.h>

#include <string>

#include "engine/settings.h"
#include "platform/unique_win32.h"

namespace kaveto {

class KeyNames;

// "Kaveto", what the picture takes, the chord that opens the history and
// the one that quotes the window in front (each when there is one), in lines
// of the ANSI code page.
std::string PictureTipText(ShortCutValue history_key, ShortCutValue quote_key, KeyNames& key_names);

class PictureTip {
public:
    // A tip over the whole of `picture`. Where the system has no tooltips,
    // there is no tip and nothing else changes.
    PictureTip(HWND picture, HINSTANCE instance, const std::string& text);
    PictureTip(const PictureTip&) = delete;
    PictureTip& operator=(const PictureTip&) = delete;

    // The font and width of the scale the picture is now shown at.
    void FollowDpi(unsigned dpi);
    // The picture window's WM_NOTIFY: true when it came from the tip, with
    // the result to return.
    bool OnNotify(const NMHDR& header, LRESULT& result);

private:
    // Puts the tip below the picture, or above it where there is no room.
    bool PlaceBesidePicture();

    HWND picture_;
    std::string text_;
    unsigned dpi_ = 96;
    UniqueGdiObject font_;
    UniqueWindow tip_;
};

}  // namespace kaveto
