#pragma once
// What a drop from the browser means: a link, a run of selected text or a
// cached file, decoded into the capture record. The OLE side only answers the
// three requests of DropSource; everything else is here.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "capture/capture_context.h"

namespace kaveto {

// The standard clipboard format numbers the drop uses.
constexpr std::uint16_t kCfText = 1;
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

// Decodes the drop into state.record, captures the page context of the
// window in front and runs the composer. Errors pass out to the caller.
void Drop(CaptureContext& context, DropSource& source, ClipboardFormats& formats);

// A drop described in full beforehand: what tests, benchmarks and tools
// hand to Drop in place of a live data object.
struct DropDescription {
    std::optional<std::string> text;
    std::optional<std::string> descriptor;  // the "FileGroupDescriptor" block
    std::optional<std::vector<std::string>> files;
};

class DescribedDrop : public DropSource {
public:
    DescribedDrop(DropDescription description, std::uint16_t descriptor_format)
        : description_(std::move(description)), descriptor_format_(descriptor_format) {}
    std::optional<std::string> GetText() override;
    std::string GetGlobal(std::uint16_t format) override;
    std::optional<std::vector<std::string>> GetFileNames() override;
    // The requests in the order they were made: "text", "global <n>", "files".
    const std::vector<std::string>& requests() const { return requests_; }

private:
    DropDescription description_;
    std::uint16_t descriptor_format_;
    std::vector<std::string> requests_;
};

}  // namespace kaveto
