#pragma once
// The quote key: a global key that quotes the window in front, or the text
// selected in it, without taking the front from it. The window system's
// part (the keys, the clipboard, the waits) is behind QuoteKeyDesk; what is
// decided is here.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "capture/capture_context.h"
#include "capture/drop_decoding.h"
#include "engine/settings.h"

namespace kaveto {

// How long the chord's modifiers may take to be let go before the copy
// keys are sent, and how long the browser may take to put its copy on the
// clipboard after them.
constexpr std::uint32_t kModifiersUpTimeoutMs = 1000;
constexpr std::uint32_t kCopyTimeoutMs = 400;

// What the clipboard holds: each format that lives in global memory, with
// its whole block.
struct ClipboardContents {
    struct Block {
        std::uint16_t format = 0;
        std::string bytes;
    };
    std::vector<Block> blocks;
};

// True for a format whose data is a block of global memory that a copy of
// its bytes stands for; false for the formats that hold handles of the
// system's drawing objects, and for the private ranges, whose data means
// something to their owner alone.
bool HeldInGlobalMemory(std::uint16_t format);

// A copy on the clipboard, read as a drop's data object is read.
class CopiedClipboard : public DropSource {
public:
    explicit CopiedClipboard(ClipboardContents contents) : contents_(std::move(contents)) {}
    std::optional<std::string> GetText() override;
    // A copy has nothing to give for a format that it lacks.
    std::string GetGlobal(std::uint16_t format) override;
    std::optional<std::vector<std::string>> GetFileNames() override { return std::nullopt; }
    std::optional<std::string> FindGlobal(std::uint16_t format) override;

private:
    const std::string* Find(std::uint16_t format) const;
    ClipboardContents contents_;
};

// The selected text that a copy holds: its CF_UNICODETEXT, else its
// CF_TEXT; nothing when neither holds any text.
std::optional<DualText> CopiedSelection(DropSource& copy);

// The virtual keys of the chord's modifiers (Shift, Ctrl, Alt).
std::vector<std::uint8_t> ChordModifierKeys(ShortCutValue chord);

// True for a window whose selection a Ctrl+C copies: a browser's window by
// its class, or a window with an "Edit" address bar that holds a page's
// address. Keys are sent to no other window.
bool IsBrowserForCopy(CaptureContext& context, WindowHandle window);

// The window system as the quote key needs it.
class QuoteKeyDesk {
public:
    virtual ~QuoteKeyDesk() = default;
    // The window in front; null when none is (also when the desktop is).
    virtual WindowHandle FrontWindow() = 0;
    // True for a window of this program.
    virtual bool IsOwnWindow(WindowHandle window) = 0;
    // Tells the window in front that the Alt held now belongs to a chord, so
    // that letting it go does not open that window's menu.
    virtual void MaskAltRelease() = 0;
    // True once none of the keys is held down; false when one still is
    // after `timeout_ms`.
    virtual bool WaitForKeysUp(const std::vector<std::uint8_t>& keys, std::uint32_t timeout_ms) = 0;
    // Every block the clipboard holds in global memory, or nothing when the
    // clipboard cannot be opened.
    virtual std::optional<ClipboardContents> ReadClipboard() = 0;
    // Empties the clipboard and puts the blocks on it; false when it cannot
    // be opened.
    virtual bool WriteClipboard(const ClipboardContents& contents) = 0;
    // Moves on with every change of the clipboard.
    virtual std::uint32_t ClipboardSequence() = 0;
    // Ctrl+C, to whatever has the keyboard focus; returns once the window
    // in front has taken the keys (or does not answer).
    virtual void SendCopyKeys() = 0;
    // True once the clipboard's sequence is no longer `since`; false when it
    // still is after `timeout_ms`.
    virtual bool WaitForClipboardChange(std::uint32_t since, std::uint32_t timeout_ms) = 0;
    virtual ClipboardFormats& formats() = 0;
};

struct QuoteKeyPress {
    ShortCutValue chord = 0;    // the quote key as registered
    bool control_down = false;  // Ctrl as the user held it when the key came
};

struct QuoteKeyOutcome {
    bool delivered = false;    // a snippet reached at least one sink
    std::string confirmation;  // what the confirmation shows then
};

// Quotes the window in front, as a double-click quotes its window, with the
// folder that Ctrl chose at the key press. In a browser the selection is
// copied first (Ctrl+C once the chord is let go); what it copied is quoted
// as a dropped selection, with the page the window shows or else the one
// the copy names. Nothing happens for a window of this program or when no
// window is in front. The window in front is never changed.
//
// The copy takes the clipboard from the user before it is known whether a
// snippet will replace it, so what the clipboard held is kept and put back
// whenever the copy is still what it holds at the end (no snippet, or none
// for the clipboard, or an error); a clipboard that cannot be kept is never
// copied into. Errors pass on to the caller after that.
QuoteKeyOutcome QuoteFrontWindow(CaptureContext& context, Environment& env, QuoteKeyDesk& desk,
                                 const QuoteKeyPress& press);

}  // namespace kaveto
