#pragma once
// What a drop from the browser means: a link, a run of selected text or a
// cached file, decoded into the capture record. The OLE side only answers the
// requests of DropSource; everything else is here.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "capture/capture_context.h"

namespace kaveto {

// The standard clipboard format numbers the drop uses.
constexpr std::uint16_t kCfText = 1;
constexpr std::uint16_t kCfUnicodeText = 13;
constexpr std::uint16_t kCfHdrop = 15;
// The effect every drag is answered with: copy and link.
constexpr std::uint32_t kDropEffectCopyLink = 5;
// The HRESULT a data object gives for a format it does not offer.
constexpr std::int32_t kDvEFormatEtc = static_cast<std::int32_t>(0x80040064u);

// The data object of one drop.
class DropSource {
public:
    virtual ~DropSource() = default;
    // The CF_TEXT text (lindex -1) up to its first zero byte, or nothing when
    // the object offers no text in global memory.
    virtual std::optional<std::string> GetText() = 0;
    // The whole global block of `format` (lindex 0). Raises OleError with the
    // object's HRESULT when it does not give one.
    virtual std::string GetGlobal(std::uint16_t format) = 0;
    // The names of the CF_HDROP file list, or nothing when there is none.
    virtual std::optional<std::vector<std::string>> GetFileNames() = 0;
    // The whole global block of `format` (lindex -1, as browsers store their
    // formats), or nothing when the object does not give one.
    virtual std::optional<std::string> FindGlobal(std::uint16_t format) = 0;
};

// Registration of clipboard format names on the desktop.
class ClipboardFormats {
public:
    virtual ~ClipboardFormats() = default;
    // The desktop-wide number for the name; 0 when registration fails.
    virtual std::uint16_t Register(const std::string& name) = 0;
};

// A "CF_" name of the standard table gives its number; any other name is
// registered.
std::uint16_t ClipboardFormatFromName(const std::string& name, ClipboardFormats& formats);

// The first file name of a "FileGroupDescriptor" block: the 260 bytes from
// byte 76, up to the first zero byte. A short block gives what it holds of
// that field and never more.
std::string DescriptorFirstName(std::string_view block);

// True for a text that is a dropped address ("http..." or "mailto...").
bool IsLinkText(std::string_view text);

// The link text from the descriptor name: the browser names the link
// "<text>.url", so ".url" goes; a bare ".url" stands for the address itself.
std::string LinkTextFromDescriptorName(std::string name, const std::string& click_url);
// The same for the UTF-8 forms.
std::string LinkTextFromDescriptorNameUtf8(std::string name, const std::string& click_url);

// Decodes the drop into state.record, captures the page context of the
// window in front and runs the composer. Errors pass out to the caller.
//
// CF_TEXT and then CF_HDROP are read as they always were. A link whose data
// object lacks "FileGroupDescriptor" takes its text from
// "FileGroupDescriptorW", or, when that names a picture and the drag gives
// the picture's address, becomes that picture. Only a data object with
// neither of those two formats is read for what today's browsers offer
// instead: a descriptor with an address, and CF_UNICODETEXT.
//
// Each text keeps its Unicode form beside its Shift_JIS one where the drag
// gave it in Unicode; what came in the code page (CF_TEXT,
// "FileGroupDescriptor", the file list) has its conversion.
void Drop(CaptureContext& context, DropSource& source, ClipboardFormats& formats);

// The page a drop comes from, as the browser wrote it on the drag: the
// "SourceURL" of its "HTML Format" block, else the first line of
// "text/x-moz-url-priv". Only a web or file address counts.
std::optional<DualText> DropPageAddress(DropSource& source, ClipboardFormats& formats);

// A drop described in full beforehand: what tests, benchmarks and tools
// hand to Drop in place of a live data object. Each block is the global
// block as the data object would hand it over.
struct DropDescription {
    std::optional<std::string> text;
    std::optional<std::string> descriptor;  // the "FileGroupDescriptor" block
    std::optional<std::vector<std::string>> files;
    std::optional<std::string> unicode_text{};  // CF_UNICODETEXT, UTF-16
    std::optional<std::string> descriptor_w{};  // "FileGroupDescriptorW"
    std::optional<std::string> url_w{};         // "UniformResourceLocatorW", UTF-16
    std::optional<std::string> url{};           // "UniformResourceLocator"
    std::optional<std::string> moz_url{};       // "text/x-moz-url", UTF-16
    std::optional<std::string> moz_url_priv{};  // "text/x-moz-url-priv", UTF-16
    std::optional<std::string> html{};          // "HTML Format", UTF-8
    std::optional<std::string> file_contents{};  // "FileContents"
};

class DescribedDrop : public DropSource {
public:
    // Offers every block of the description under the number that
    // `formats` gives its format's name.
    DescribedDrop(DropDescription description, ClipboardFormats& formats);
    // Offers the text, the file list, CF_UNICODETEXT and, under
    // `descriptor_format`, the "FileGroupDescriptor" block; a description
    // with other registered formats needs the constructor above.
    DescribedDrop(DropDescription description, std::uint16_t descriptor_format);
    std::optional<std::string> GetText() override;
    std::string GetGlobal(std::uint16_t format) override;
    std::optional<std::vector<std::string>> GetFileNames() override;
    std::optional<std::string> FindGlobal(std::uint16_t format) override;
    // The requests in the order they were made: "text", "global <n>",
    // "files", and "find <format name>" ("find <n>" for a number it does
    // not offer).
    const std::vector<std::string>& requests() const { return requests_; }

private:
    using Block = std::optional<std::string> DropDescription::*;
    struct Offered {
        std::string name;
        Block block;
    };
    void Offer(std::uint16_t format, std::string name, Block block);
    // The offered block of `format`, or null when the description leaves it out.
    const Offered* Find(std::uint16_t format) const;
    std::string NameOf(std::uint16_t format) const;

    DropDescription description_;
    std::vector<std::pair<std::uint16_t, Offered>> offered_;
    std::vector<std::string> requests_;
};

}  // namespace kaveto
