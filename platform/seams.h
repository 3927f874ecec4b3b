#pragma once
// The seams between the portable program and the platform. Production passes
// the Win32 implementations; native tests pass fakes.
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

namespace kaveto {

// A window handle as the portable code sees it (an HWND on Windows).
using WindowHandle = std::uintptr_t;

// A text in both of the program's forms: the bytes of the ANSI code page
// (Shift_JIS), which older programs read, and the whole text in UTF-8,
// which keeps what Shift_JIS cannot hold.
// Both forms are always given together (no brace elision can fill the
// forms of one text with two different texts).
struct DualText {
    DualText() = default;
    DualText(std::string shift_jis_form, std::string utf8_form)
        : shift_jis(std::move(shift_jis_form)), utf8(std::move(utf8_form)) {}
    std::string shift_jis;
    std::string utf8;
    bool operator==(const DualText&) const = default;
};

// The HTML form of a snippet, for rich editors: a fragment of HTML in
// UTF-8, and the address of the page it quotes (one line of ASCII; empty
// when there is none).
struct HtmlForm {
    std::string fragment;
    std::string source_url;
    bool operator==(const HtmlForm&) const = default;
};

// A composed snippet, with every form it is delivered in. It travels whole:
// the clipboard, the history, the paste-back and the log each take the
// forms they need from it.
struct Snippet {
    Snippet() = default;
    explicit Snippet(DualText text_forms, std::optional<HtmlForm> html_form = std::nullopt)
        : text(std::move(text_forms)), html(std::move(html_form)) {}
    DualText text;
    std::optional<HtmlForm> html;  // when the template has an HTML one beside it
    bool operator==(const Snippet&) const = default;
};

// The system clipboard.
class Clipboard {
public:
    virtual ~Clipboard() = default;
    // Puts the bytes up to the first zero byte on the clipboard as CF_TEXT,
    // replacing what it held. Raises ClipboardError when it cannot be opened.
    virtual void SetText(const std::string& text) = 0;
    // Puts every form of the snippet in one opening, each text up to its
    // first zero: the HTML form, when there is one, as "HTML Format"; the
    // UTF-8 form as CF_UNICODETEXT, the Shift_JIS form as CF_TEXT, and
    // Japanese as CF_LOCALE, so that no program converts the one into the
    // other by another rule. What the clipboard held before is gone, an
    // earlier HTML form included. A clipboard that knows CF_TEXT alone takes
    // the Shift_JIS form.
    virtual void SetSnippet(const Snippet& snippet) { SetText(snippet.text.shift_jis); }
};

// The state of the keyboard as the program's thread sees it.
class KeyState {
public:
    virtual ~KeyState() = default;
    virtual bool ControlDown() = 0;
};

// A local date and time; weekday 0 is Sunday.
struct LocalTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, weekday = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual LocalTime Now() = 0;
};

// What a path names, for a caller that needs a folder.
enum class FolderState {
    Missing,     // nothing by that name, or a folder on the way is missing
    NotAFolder,  // a file
    Unlistable,  // a folder whose entries may not be read
    Listable,    // a folder whose entries can be listed
};

// Files, named with Windows paths ("C:\\dir\\file.txt"; the native build
// takes "\\" as a separator too). Failures raise FileError with the
// Windows system error code (2 not found, 3 no such folder, 5 denied, 32
// held by another program, ...).
class Files {
public:
    virtual ~Files() = default;
    // True when the path names an existing file (not a folder).
    virtual bool FileExists(const std::string& path) = 0;
    // The whole file, opened for reading while others may not write it.
    virtual std::string ReadAll(const std::string& path) = 0;
    // The same, appended to `out`: a caller that merges the file with other
    // text (the log) then copies it once.
    virtual void ReadAppend(const std::string& path, std::string& out) { out += ReadAll(path); }
    // Replaces the file's content whole. On any failure the old file stays
    // exactly as it was and no temporary file is left behind.
    virtual void WriteWhole(const std::string& path, const std::string& content) = 0;
    // The file's size in bytes, or -1 when it does not exist.
    virtual std::int64_t FileSize(const std::string& path) = 0;
    // What the path names; a trailing separator is allowed. Never fails: a
    // path the system will not look into counts as unlistable.
    virtual FolderState ProbeFolder(const std::string& path) = 0;
};

// The window system as the paste-back needs it.
class PasteBackActions {
public:
    virtual ~PasteBackActions() = default;
    // Brings the window to the front; a null or vanished window changes
    // nothing and reports nothing.
    virtual void BringToFront(WindowHandle window) = 0;
    virtual void Pause(std::uint32_t milliseconds) = 0;
    // One synthesised key event.
    virtual void KeyEvent(std::uint8_t virtual_key, bool key_up) = 0;
};

// The platform services that the snippet engine uses, and the program
// folder (the executable's folder, with a trailing backslash).
struct Environment {
    std::string program_folder;
    Clipboard& clipboard;
    KeyState& key_state;
    Clock& clock;
    Files& files;
};

}  // namespace kaveto
