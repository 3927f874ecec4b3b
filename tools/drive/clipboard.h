#pragma once
// The clipboard as another program sees it. It is always opened without an
// owner, so that a program that pastes never waits for this one to pump.
#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "tools/drive/wait.h"

namespace kaveto::drive {

// Moves on with every change of the clipboard's contents.
DWORD ClipboardSequence();
// The CF_TEXT bytes, read within the block's size ("" without text). The
// clipboard is retried while another program holds it; std::runtime_error
// when it stays busy.
std::string ClipboardText();
void SetClipboardText(const std::string& text);

// The bytes of one format, read within the block's size, or nothing when
// the clipboard holds none; a registered format by its name ("HTML Format").
std::optional<std::string> ClipboardBlock(UINT format);
std::optional<std::string> ClipboardBlock(const char* format_name);

// Runs `act`, then waits until the clipboard has changed: its text then, or
// nothing when it did not change in time.
std::optional<std::string> ClipboardAfter(const std::function<void()>& act, DWORD timeout_ms = kPatienceMs);

}  // namespace kaveto::drive
