#include "capture/quote_key.h"

#include <cstring>
#include <utility>

#include "capture/browser_page.h"
#include "capture/drop_payloads.h"
#include "capture/page_context.h"
#include "engine/confirmation.h"
#include "engine/snippet_composer.h"
#include "platform/errors.h"
#include "text/text_helpers.h"

namespace kaveto {
namespace {

constexpr std::uint8_t kVkShift = 0x10;
constexpr std::uint8_t kVkControl = 0x11;
constexpr std::uint8_t kVkMenu = 0x12;
constexpr int kNameSize = 256;

std::string_view TextOf(const char* buffer, std::size_t size) { return std::string_view(buffer, strnlen(buffer, size)); }

// Ctrl as it was at the key press: by the time the template is chosen the
// user has let go of the chord, and the copy keys have pressed Ctrl anew.
class KeyStateAtPress : public KeyState {
public:
    explicit KeyStateAtPress(bool control_down) : control_down_(control_down) {}
    bool ControlDown() override { return control_down_; }

private:
    bool control_down_;
};

// The browser's copy of its selection, made with the user's clipboard kept
// aside. It is waited for before the page is looked up: the lookup asks the
// browser's window thread, which would then take the copy keys only after
// the last of its questions.
class SelectionCopy {
public:
    explicit SelectionCopy(QuoteKeyDesk& desk) : desk_(desk) {}

    // Keys that came while the chord's modifiers are still down would make
    // another chord; and a clipboard that cannot be kept is not copied into.
    void Make(const QuoteKeyPress& press) {
        if (!desk_.WaitForKeysUp(ChordModifierKeys(press.chord), kModifiersUpTimeoutMs)) return;
        kept_ = desk_.ReadClipboard();
        if (!kept_) return;
        const std::uint32_t sequence = desk_.ClipboardSequence();
        desk_.SendCopyKeys();
        changed_ = desk_.WaitForClipboardChange(sequence, kCopyTimeoutMs);
        if (!changed_) return;
        std::optional<ClipboardContents> copied = desk_.ReadClipboard();
        copy_sequence_ = desk_.ClipboardSequence();
        if (copied) copy_.emplace(std::move(*copied));
    }

    // What the browser copied, or null when it copied nothing in time.
    CopiedClipboard* Copy() { return copy_ ? &*copy_ : nullptr; }

    // The selection of the copy, if it holds one.
    std::optional<DualText> Selection() {
        CopiedClipboard* copy = Copy();
        return copy ? CopiedSelection(*copy) : std::nullopt;
    }

    // Whatever came after the copy (the snippet, another program's) stays.
    void PutBackUnlessReplaced() {
        if (changed_ && desk_.ClipboardSequence() == copy_sequence_) desk_.WriteClipboard(*kept_);
    }

private:
    QuoteKeyDesk& desk_;
    std::optional<ClipboardContents> kept_;
    std::uint32_t copy_sequence_ = 0;
    bool changed_ = false;
    std::optional<CopiedClipboard> copy_;
};

QuoteKeyOutcome ComposeAndDeliver(AppState& state, Environment& env, bool control_down) {
    KeyStateAtPress keys(control_down);
    Environment composing{env.program_folder, env.clipboard, keys, env.clock, env.files};
    const Composition composition = ComposeSnippet(state.record, state.settings, composing);
    if (!composition.composed) return {};
    DeliverSnippet(state, composing, composition);
    const Settings& s = state.settings;
    if (!s.DoClipBool && !s.HistoryBool && !s.LogBool) return {};
    return {true, ConfirmationText(composition.snippet.text.shift_jis)};
}

}  // namespace

bool HeldInGlobalMemory(std::uint16_t format) {
    switch (format) {
    case 0:
    case 2:     // CF_BITMAP
    case 3:     // CF_METAFILEPICT: a block that owns a metafile handle
    case 9:     // CF_PALETTE
    case 14:    // CF_ENHMETAFILE
    case 0x80:  // CF_OWNERDISPLAY
    case 0x82:  // CF_DSPBITMAP
    case 0x83:  // CF_DSPMETAFILEPICT
    case 0x8E:  // CF_DSPENHMETAFILE
        return false;
    default:
        // CF_PRIVATEFIRST to CF_GDIOBJLAST.
        return format < 0x200 || format > 0x3FF;
    }
}

const std::string* CopiedClipboard::Find(std::uint16_t format) const {
    for (const ClipboardContents::Block& block : contents_.blocks)
        if (block.format == format) return &block.bytes;
    return nullptr;
}

std::optional<std::string> CopiedClipboard::GetText() {
    const std::string* text = Find(kCfText);
    if (!text) return std::nullopt;
    return text->substr(0, text->find('\0'));
}

std::string CopiedClipboard::GetGlobal(std::uint16_t format) {
    const std::string* block = Find(format);
    if (!block) throw OleError(kDvEFormatEtc, "Invalid FORMATETC structure");
    return *block;
}

std::optional<std::string> CopiedClipboard::FindGlobal(std::uint16_t format) {
    const std::string* block = Find(format);
    if (!block) return std::nullopt;
    return *block;
}

std::optional<DualText> CopiedSelection(DropSource& copy) {
    if (std::optional<std::string> unicode = copy.FindGlobal(kCfUnicodeText)) {
        const std::u16string text = TextFromUtf16Block(*unicode);
        if (!text.empty()) return FromUtf16(text);
    }
    std::optional<std::string> text = copy.GetText();
    if (text && !text->empty()) return FromShiftJis(std::move(*text));
    return std::nullopt;
}

std::vector<std::uint8_t> ChordModifierKeys(ShortCutValue chord) {
    std::vector<std::uint8_t> keys;
    if (chord & kShift) keys.push_back(kVkShift);
    if (chord & kCtrl) keys.push_back(kVkControl);
    if (chord & kAlt) keys.push_back(kVkMenu);
    return keys;
}

bool IsBrowserForCopy(CaptureContext& context, WindowHandle window) {
    char name[kNameSize] = {};
    if (context.windows.ClassName(window, name, kNameSize - 1) > 0 && IsBrowserWindowClass(TextOf(name, sizeof name)))
        return true;
    bool address_bar = false;
    context.windows.EnumDescendants(window, [&](WindowHandle child) {
        char child_class[kNameSize] = {};
        char text[kNameSize] = {};
        if (context.windows.ClassName(child, child_class, kNameSize - 1) == 0 ||
            !EqualIgnoreCase(TextOf(child_class, sizeof child_class), "Edit") ||
            !context.windows.WindowText(child, text, kNameSize))
            return true;
        const std::string_view address = TextOf(text, sizeof text);
        address_bar = address.substr(0, 4) == "http" || address.substr(0, 8) == "file:///";
        return !address_bar;
    });
    return address_bar;
}

QuoteKeyOutcome QuoteFrontWindow(CaptureContext& context, Environment& env, QuoteKeyDesk& desk,
                                 const QuoteKeyPress& press) {
    const WindowHandle front = desk.FrontWindow();
    if (!front || desk.IsOwnWindow(front)) return {};
    if (press.chord & kAlt) desk.MaskAltRelease();
    CaptureRecord& record = context.state.record;
    record.Clear();
    SelectionCopy copy(desk);
    if (IsBrowserForCopy(context, front)) copy.Make(press);
    QuoteKeyOutcome outcome;
    try {
        // The copy's page stands in, as a drop's does, only for a selection
        // from a window that shows no page.
        CapturePageContext(context, front, [&]() -> std::optional<DualText> {
            if (!copy.Selection()) return std::nullopt;
            return DropPageAddress(*copy.Copy(), desk.formats());
        });
        if (std::optional<DualText> selection = copy.Selection())
            record.sel_txt = std::move(*selection);
        outcome = ComposeAndDeliver(context.state, env, press.control_down);
    } catch (...) {
        copy.PutBackUnlessReplaced();
        throw;
    }
    copy.PutBackUnlessReplaced();
    return outcome;
}

}  // namespace kaveto
