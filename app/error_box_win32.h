#pragma once
// The program's message boxes.
#include <windows.h>

#include <exception>
#include <string>

namespace kaveto {

// The title of the application, caption of every message box.
inline constexpr char kApplicationTitle[] = "Kaveto";

// An error that reached a window message: its text (with a full stop added
// where it ends in a letter), the error icon and one OK button, owned by the
// application's owner window.
void ShowErrorBox(HWND owner, const std::string& message);

// Shows the error of the exception being handled. Called from a catch block.
void ShowCurrentError(HWND owner);

// The program's own notice that the hotkey could not be registered: no icon,
// one OK button, no owner, so the system centres it on the screen.
void ShowHotKeyFailure();
// The same notice for the quote key, which names it as the settings file
// writes it.
void ShowQuoteKeyFailure(const std::string& key);

// Runs `action`; an error raised by it is shown in the error box and goes no
// further. Every window procedure and message handler runs through this, so
// no exception ever crosses into the system.
template <typename Action>
void ReportingErrors(HWND owner, Action&& action) noexcept {
    try {
        action();
    } catch (...) {
        ShowCurrentError(owner);
    }
}

}  // namespace kaveto
