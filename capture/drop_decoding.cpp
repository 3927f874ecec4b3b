#include "capture/drop_decoding.h"

#include <array>
#include <exception>
#include <stdexcept>
#include <utility>

#include "capture/drop_payloads.h"
#include "capture/page_context.h"
#include "capture/url_cache_search.h"
#include "platform/errors.h"
#include "text/text_helpers.h"
#include "text/unicode.h"

namespace kaveto {
namespace {

struct FormatRow {
    std::string_view name;
    std::uint16_t number;
};

constexpr std::array<FormatRow, 22> kStandardFormats{{
    {"CF_BITMAP", 2},        {"CF_DIB", 8},          {"CF_DIF", 5},           {"CF_DSPBITMAP", 130},
    {"CF_DSPENHMETAFILE", 142}, {"CF_DSPMETAFILEPICT", 131}, {"CF_DSPTEXT", 129}, {"CF_ENHMETAFILE", 14},
    {"CF_HDROP", 15},        {"CF_LOCALE", 16},      {"CF_MAX", 17},          {"CF_METAFILEPICT", 3},
    {"CF_OEMTEXT", 7},       {"CF_OWNERDISPLAY", 128}, {"CF_PALETTE", 9},     {"CF_PENDATA", 10},
    {"CF_RIFF", 11},         {"CF_SYLK", 4},         {"CF_TEXT", 1},          {"CF_TIFF", 6},
    {"CF_UNICODETEXT", 13},  {"CF_WAVE", 12},
}};

// FILEGROUPDESCRIPTORA: a 32-bit count, then FILEDESCRIPTORA records whose
// cFileName (MAX_PATH bytes) starts 72 bytes into the record.
constexpr std::size_t kFirstNameOffset = 76;
constexpr std::size_t kFileNameSize = 260;

const char kFileGroupDescriptor[] = "FileGroupDescriptor";
const char kFileGroupDescriptorW[] = "FileGroupDescriptorW";
const char kUniformResourceLocatorW[] = "UniformResourceLocatorW";
const char kUniformResourceLocator[] = "UniformResourceLocator";
const char kMozUrl[] = "text/x-moz-url";
const char kMozUrlPriv[] = "text/x-moz-url-priv";
const char kHtmlFormat[] = "HTML Format";
const char kFileContents[] = "FileContents";

// The first name of the dropped item's descriptor, in both forms. When the
// data object offers neither form, `missing` holds the error that asking for
// "FileGroupDescriptor" gave.
struct Descriptor {
    std::optional<DualText> name;
    bool wide = false;
    std::exception_ptr missing;

    const DualText& NameOrError() const {
        if (!name) std::rethrow_exception(missing);
        return *name;
    }
};

// The data object of one drop, each of its formats asked for at most once
// and only when the decision needs it.
class Payload {
public:
    Payload(DropSource& source, ClipboardFormats& formats) : source_(source), formats_(formats) {}

    std::optional<std::string> Find(const char* name) {
        return source_.FindGlobal(ClipboardFormatFromName(name, formats_));
    }

    const Descriptor& descriptor() {
        if (!descriptor_read_) {
            descriptor_ = ReadDescriptor();
            descriptor_read_ = true;
        }
        return descriptor_;
    }

    // The address the drag gives for its link or picture.
    const std::optional<DualText>& address() {
        if (!address_read_) {
            address_ = ReadAddress();
            address_read_ = true;
        }
        return address_;
    }

private:
    Descriptor ReadDescriptor() {
        Descriptor d;
        try {
            const std::uint16_t format = ClipboardFormatFromName(kFileGroupDescriptor, formats_);
            d.name = FromShiftJis(DescriptorFirstName(source_.GetGlobal(format)));
            return d;
        } catch (const OleError&) {
            d.missing = std::current_exception();
        }
        if (std::optional<std::string> block = Find(kFileGroupDescriptorW)) {
            d.name = FromUtf16(DescriptorFirstNameW(*block));
            d.wide = true;
        }
        return d;
    }

    std::optional<DualText> ReadAddress() {
        DualText address;
        if (std::optional<std::string> block = Find(kUniformResourceLocatorW))
            address = FromUtf16(AddressFromUrlBlockW(*block));
        if (address.shift_jis.empty())
            if (std::optional<std::string> block = Find(kUniformResourceLocator))
                address = FromShiftJis(AddressFromUrlBlock(*block));
        if (address.shift_jis.empty())
            if (std::optional<std::string> block = Find(kMozUrl)) address = FromUtf16(ParseMozUrl(*block).address);
        if (address.shift_jis.empty()) return std::nullopt;
        return address;
    }

    DropSource& source_;
    ClipboardFormats& formats_;
    Descriptor descriptor_;
    bool descriptor_read_ = false;
    std::optional<DualText> address_;
    bool address_read_ = false;
};

// A dragged picture: a descriptor naming a file that is no shortcut, and the
// web or file address the picture was shown from, which becomes src.
bool TakePicture(Payload& payload, CaptureRecord& record, const DualText& name) {
    if (!NamesCachedFile(name.shift_jis)) return false;
    const std::optional<DualText>& address = payload.address();
    if (!address || !IsWebOrFileAddress(address->shift_jis)) return false;
    record.click_url = {};
    record.src = *address;
    return true;
}

// The link text from the descriptor name, in both forms.
DualText LinkText(const DualText& name, const CaptureRecord& record) {
    return {LinkTextFromDescriptorName(name.shift_jis, record.click_url.shift_jis),
            LinkTextFromDescriptorNameUtf8(name.utf8, record.click_url.utf8)};
}

// Dragged text: a link, whose text the descriptor gives, or a selection.
void TakeText(Payload& payload, CaptureRecord& record, DualText text) {
    if (!IsLinkText(text.shift_jis)) {
        record.sel_txt = std::move(text);
        return;
    }
    record.click_url = std::move(text);
    const Descriptor& descriptor = payload.descriptor();
    const DualText& name = descriptor.NameOrError();
    // "FileGroupDescriptor" keeps its old meaning; the wide form, which only
    // a drag from today's browsers offers, may name a picture.
    if (descriptor.wide && TakePicture(payload, record, name)) return;
    record.url_txt = LinkText(name, record);
}

// A drop without CF_TEXT and without a file list. A picture goes first, for
// a browser puts its address on the drag as text as well.
void TakeBrowserPayload(Payload& payload, CaptureRecord& record) {
    const Descriptor& descriptor = payload.descriptor();
    if (descriptor.name && TakePicture(payload, record, *descriptor.name)) return;
    if (std::optional<std::string> unicode = payload.Find("CF_UNICODETEXT")) {
        TakeText(payload, record, FromUtf16(TextFromUtf16Block(*unicode)));
        return;
    }
    // A link offered by its address and its shortcut's name alone.
    if (!descriptor.name) return;
    const std::optional<DualText>& address = payload.address();
    if (!address || !IsLinkText(address->shift_jis)) return;
    record.click_url = *address;
    record.url_txt = LinkText(*descriptor.name, record);
}

}  // namespace

std::uint16_t ClipboardFormatFromName(const std::string& name, ClipboardFormats& formats) {
    if (name.compare(0, 3, "CF_") == 0) {
        for (const FormatRow& row : kStandardFormats)
            if (row.name == name) return row.number;
    }
    return formats.Register(name);
}

std::string DescriptorFirstName(std::string_view block) {
    if (block.size() <= kFirstNameOffset) return std::string();
    std::string_view field = block.substr(kFirstNameOffset, kFileNameSize);
    return std::string(field.substr(0, field.find('\0')));
}

bool IsLinkText(std::string_view text) { return text.substr(0, 4) == "http" || text.substr(0, 6) == "mailto"; }

std::string LinkTextFromDescriptorName(std::string name, const std::string& click_url) {
    if (name == ".url") return click_url;
    ReplaceAllIgnoreCase(name, ".url", "");
    return name;
}

std::string LinkTextFromDescriptorNameUtf8(std::string name, const std::string& click_url) {
    if (name == ".url") return click_url;
    ReplaceAllIgnoreCaseUtf8(name, ".url", "");
    return name;
}

void Drop(CaptureContext& context, DropSource& source, ClipboardFormats& formats) {
    CaptureRecord& record = context.state.record;
    record.Clear();
    Payload payload(source, formats);
    if (std::optional<std::string> text = source.GetText()) {
        TakeText(payload, record, FromShiftJis(std::move(*text)));
    } else if (std::optional<std::vector<std::string>> files = source.GetFileNames()) {
        // The local path of a cached file means nothing to the reader; the
        // address it came from does.
        if (!files->empty())
            record.src = FromShiftJis(FindCacheSourceUrl(context.cache, files->front()));
    } else {
        TakeBrowserPayload(payload, record);
    }
    CapturePageContext(context, context.windows.ForegroundWindow(),
                       [&] { return DropPageAddress(source, formats); });
    if (context.compose) context.compose();
}

std::optional<DualText> DropPageAddress(DropSource& source, ClipboardFormats& formats) {
    if (std::optional<std::string> html = source.FindGlobal(ClipboardFormatFromName(kHtmlFormat, formats))) {
        std::string address = ParseHtmlFormat(*html).source_url;
        if (IsWebOrFileAddress(address)) return FromUtf8(std::move(address));
    }
    if (std::optional<std::string> moz = source.FindGlobal(ClipboardFormatFromName(kMozUrlPriv, formats))) {
        DualText address = FromUtf16(ParseMozUrl(*moz).address);
        if (IsWebOrFileAddress(address.shift_jis)) return address;
    }
    return std::nullopt;
}

DescribedDrop::DescribedDrop(DropDescription description, ClipboardFormats& formats)
    : description_(std::move(description)) {
    const std::pair<const char*, Block> registered[] = {
        {kFileGroupDescriptor, &DropDescription::descriptor},
        {kFileGroupDescriptorW, &DropDescription::descriptor_w},
        {kUniformResourceLocatorW, &DropDescription::url_w},
        {kUniformResourceLocator, &DropDescription::url},
        {kMozUrl, &DropDescription::moz_url},
        {kMozUrlPriv, &DropDescription::moz_url_priv},
        {kHtmlFormat, &DropDescription::html},
        {kFileContents, &DropDescription::file_contents},
    };
    for (const auto& [name, block] : registered) Offer(ClipboardFormatFromName(name, formats), name, block);
    Offer(kCfUnicodeText, "CF_UNICODETEXT", &DropDescription::unicode_text);
}

DescribedDrop::DescribedDrop(DropDescription description, std::uint16_t descriptor_format)
    : description_(std::move(description)) {
    const DropDescription& d = description_;
    if (d.descriptor_w || d.url_w || d.url || d.moz_url || d.moz_url_priv || d.html || d.file_contents)
        throw std::logic_error("a drop with registered formats needs their numbers");
    Offer(descriptor_format, kFileGroupDescriptor, &DropDescription::descriptor);
    Offer(kCfUnicodeText, "CF_UNICODETEXT", &DropDescription::unicode_text);
}

void DescribedDrop::Offer(std::uint16_t format, std::string name, Block block) {
    // A name the desktop would not register is offered under no number.
    if (format != 0) offered_.push_back({format, Offered{std::move(name), block}});
}

std::string DescribedDrop::NameOf(std::uint16_t format) const {
    for (const auto& [number, offered] : offered_)
        if (number == format) return offered.name;
    return std::to_string(format);
}

const DescribedDrop::Offered* DescribedDrop::Find(std::uint16_t format) const {
    for (const auto& [number, offered] : offered_)
        if (number == format && description_.*offered.block) return &offered;
    return nullptr;
}

std::optional<std::string> DescribedDrop::GetText() {
    requests_.push_back("text");
    if (!description_.text) return std::nullopt;
    const std::string& text = *description_.text;
    return text.substr(0, text.find('\0'));
}

std::string DescribedDrop::GetGlobal(std::uint16_t format) {
    requests_.push_back("global " + std::to_string(format));
    const Offered* offered = Find(format);
    if (!offered) throw OleError(kDvEFormatEtc, "Invalid FORMATETC structure");
    return *(description_.*offered->block);
}

std::optional<std::vector<std::string>> DescribedDrop::GetFileNames() {
    requests_.push_back("files");
    return description_.files;
}

std::optional<std::string> DescribedDrop::FindGlobal(std::uint16_t format) {
    requests_.push_back("find " + NameOf(format));
    const Offered* offered = Find(format);
    if (!offered) return std::nullopt;
    return *(description_.*offered->block);
}

}  // namespace kaveto
