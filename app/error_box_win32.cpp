#include "app/error_box_win32.h"

#include "engine/error_box_text.h"

namespace kaveto {

void ShowErrorBox(HWND owner, const std::string& message) {
    ::MessageBoxA(owner, ErrorBoxText(message).c_str(), kApplicationTitle, MB_ICONERROR | MB_OK);
}

void ShowCurrentError(HWND owner) {
    try {
        throw;
    } catch (const std::exception& e) {
        ShowErrorBox(owner, e.what());
    } catch (...) {
        ShowErrorBox(owner, "Unknown error");
    }
}

void ShowHotKeyFailure() { ::MessageBoxA(nullptr, "RegisterHotKey();に失敗しました", kApplicationTitle, MB_OK); }

void ShowQuoteKeyFailure(const std::string& key) {
    const std::string message = "RegisterHotKey();に失敗しました (QuoteShortCut=" + key + ")";
    ::MessageBoxA(nullptr, message.c_str(), kApplicationTitle, MB_OK);
}

}  // namespace kaveto
