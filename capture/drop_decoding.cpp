#include "capture/drop_decoding.h"

#include <array>
#include <utility>

#include "capture/page_context.h"
#include "capture/url_cache_search.h"
#include "platform/errors.h"
#include "text/text_helpers.h"

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

void Drop(CaptureContext& context, DropSource& source, ClipboardFormats& formats) {
    CaptureRecord& record = context.state.record;
    record.Clear();
    if (std::optional<std::string> text = source.GetText()) {
        if (IsLinkText(*text)) {
            record.click_url = *text;
            const std::uint16_t format = ClipboardFormatFromName(kFileGroupDescriptor, formats);
            const std::string name = DescriptorFirstName(source.GetGlobal(format));
            record.url_txt = LinkTextFromDescriptorName(name, record.click_url);
        } else {
            record.sel_txt = std::move(*text);
        }
    } else if (std::optional<std::vector<std::string>> files = source.GetFileNames()) {
        // The local path of a cached file means nothing to the reader; the
        // address it came from does.
        if (!files->empty()) record.src = FindCacheSourceUrl(context.cache, files->front());
    }
    CapturePageContext(context, context.windows.ForegroundWindow());
    if (context.compose) context.compose();
}

std::optional<std::string> DescribedDrop::GetText() {
    requests_.push_back("text");
    if (!description_.text) return std::nullopt;
    const std::string& text = *description_.text;
    return text.substr(0, text.find('\0'));
}

std::string DescribedDrop::GetGlobal(std::uint16_t format) {
    requests_.push_back("global " + std::to_string(format));
    if (format == 0 || format != descriptor_format_ || !description_.descriptor)
        throw OleError(kDvEFormatEtc, "Invalid FORMATETC structure");
    return *description_.descriptor;
}

std::optional<std::vector<std::string>> DescribedDrop::GetFileNames() {
    requests_.push_back("files");
    return description_.files;
}

}  // namespace kaveto
