#include "app/picture_tip_win32.h"

#include <commctrl.h>

#include "app/picture_screen_win32.h"

namespace kaveto {
namespace {

// Room between the picture and its tip, at 96 dpi.
constexpr int kGap = 2;
// Lines break only where the text breaks them, up to this width at 96 dpi.
constexpr int kMaxWidth = 480;

using SystemParametersInfoForDpiFunction = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);

// The system's tooltip font at the scale: the status font, as the tooltip
// takes it itself, measured for that scale where the system can.
UniqueGdiObject TipFont(unsigned dpi) {
    static const auto for_dpi =
        LaterSystemFunction<SystemParametersInfoForDpiFunction>("user32.dll", "SystemParametersInfoForDpi");
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof metrics;
    const bool read = for_dpi ? for_dpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi) != 0
                              : ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0) != 0;
    if (!read) return {};
    return UniqueGdiObject(::CreateFontIndirectW(&metrics.lfStatusFont));
}

}  // namespace

std::string PictureTipText(ShortCutValue history_key, ShortCutValue quote_key, KeyNames& key_names) {
    std::string text =
        "Kaveto\r\n"
        "リンク・選択した文字・画像をここにドロップして引用\r\n"
        "ダブルクリックで手前のページを引用";
    const std::string history = FormatShortCut(history_key, key_names);
    if (!history.empty()) text += "\r\n履歴メニュー: " + history;
    const std::string quote = FormatShortCut(quote_key, key_names);
    if (!quote.empty()) text += "\r\n手前のウィンドウを引用: " + quote;
    return text;
}

PictureTip::PictureTip(HWND picture, HINSTANCE instance, const std::string& text) : picture_(picture), text_(text) {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);
    // Shown also while another program is in front, as the picture always is.
    tip_ = UniqueWindow(::CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                                          WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                                          CW_USEDEFAULT, CW_USEDEFAULT, picture, nullptr, instance, nullptr));
    if (!tip_) return;
    TOOLINFOA tool = {};
    tool.cbSize = sizeof tool;
    // The tip watches the picture's mouse messages itself and hides at a
    // press, so the picture's handlers stay as they are.
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = picture;
    tool.uId = reinterpret_cast<UINT_PTR>(picture);
    tool.lpszText = text_.data();
    ::SendMessageA(tip_.get(), TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

void PictureTip::FollowDpi(unsigned dpi) {
    if (!tip_) return;
    dpi_ = dpi;
    UniqueGdiObject font = TipFont(dpi);
    if (font) ::SendMessageA(tip_.get(), WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
    font_ = std::move(font);
    ::SendMessageA(tip_.get(), TTM_SETMAXTIPWIDTH, 0, ::MulDiv(kMaxWidth, static_cast<int>(dpi), 96));
}

bool PictureTip::OnNotify(const NMHDR& header, LRESULT& result) {
    if (!tip_ || header.hwndFrom != tip_.get()) return false;
    result = header.code == TTN_SHOW && PlaceBesidePicture() ? TRUE : FALSE;
    return true;
}

bool PictureTip::PlaceBesidePicture() {
    RECT picture = {}, tip = {};
    if (!::GetWindowRect(picture_, &picture) || !::GetWindowRect(tip_.get(), &tip)) return false;
    const int width = tip.right - tip.left, height = tip.bottom - tip.top;
    const int gap = ::MulDiv(kGap, static_cast<int>(dpi_), 96);
    const std::vector<ScreenRect> areas = MonitorWorkAreas();
    for (const int top : {picture.bottom + gap, picture.top - gap - height}) {
        const ScreenPoint at = PlaceOnScreen({picture.left, top, picture.left + width, top + height}, areas);
        if (at.y != top) continue;  // no room on that side
        ::SetWindowPos(tip_.get(), nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        return true;
    }
    return false;
}

}  // namespace kaveto
