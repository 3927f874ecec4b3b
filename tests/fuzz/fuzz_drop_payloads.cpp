// What today's browsers put on a drag, with arbitrary bytes: the readers of
// "HTML Format", "text/x-moz-url", the wide descriptor and the address
// blocks stay within the block and give what holds together, and a drop
// offering such blocks fills at most one road's fields.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "capture/drop_decoding.h"
#include "capture/drop_payloads.h"
#include "tests/capture/capture_fakes.h"

namespace {

using namespace kaveto;

void Check(bool holds) {
    if (!holds) std::abort();
}

template <typename Text>
bool OneLine(const Text& text) {
    for (auto c : text)
        if (c == '\r' || c == '\n' || c == 0) return false;
    return true;
}

void CheckReaders(std::string_view block) {
    const std::size_t content = std::min(block.find('\0'), block.size());
    const HtmlFormatHeader header = ParseHtmlFormat(block);
    Check(header.header_end <= content);
    Check(OneLine(header.source_url) && OneLine(header.version));
    // The source comes from the header lines, never from the page.
    if (!header.source_url.empty())
        Check(block.substr(0, header.header_end).find(header.source_url) != std::string_view::npos);
    for (const auto& span : {header.html, header.fragment})
        if (span) Check(header.header_end <= span->begin && span->begin <= span->end && span->end <= content);

    const MozUrl url = ParseMozUrl(block);
    Check(OneLine(url.address) && OneLine(url.title));
    Check((url.address.size() + url.title.size()) * 2 <= block.size());

    const std::u16string name = DescriptorFirstNameW(block);
    Check(name.size() <= 260 && name.find(u'\0') == std::u16string::npos);
    Check(TextFromUtf16Block(block).size() <= block.size() / 2);
    Check(OneLine(AddressFromUrlBlockW(block)) && OneLine(AddressFromUrlBlock(block)));
}

// Fields separated by 0xFF bytes, each offered when its flag is set.
void CheckDrop(std::uint16_t flags, std::string_view rest) {
    std::string parts[9];
    for (std::size_t i = 0, pos = 0; i < 9 && pos <= rest.size(); ++i) {
        const std::size_t end = std::min(rest.find('\xff', pos), rest.size());
        parts[i] = std::string(rest.substr(pos, end - pos));
        pos = end + 1;
    }
    testing::CaptureRig rig;
    testing::FakeFormats formats;
    rig.windows.Add(0, 100, "Chrome_WidgetWin_1");  // no address bar: the drag's page counts
    rig.windows.foreground = 100;
    DropDescription drop;
    std::optional<std::string>* fields[] = {&drop.text,  &drop.descriptor, &drop.unicode_text,
                                            &drop.descriptor_w, &drop.url_w, &drop.url,
                                            &drop.moz_url, &drop.moz_url_priv, &drop.html};
    for (int i = 0; i < 9; ++i)
        if (flags & (1u << i)) *fields[i] = parts[i];
    DescribedDrop source(drop, formats);
    try {
        Drop(rig.context, source, formats);
    } catch (const OleError&) {
        // Only a link whose object offers neither descriptor fails.
        Check(!drop.descriptor && !drop.descriptor_w);
        return;
    }
    const CaptureRecord& r = rig.state.record;
    Check(!r.click_url.shift_jis.empty() + !r.sel_txt.shift_jis.empty() + !r.src.shift_jis.empty() <= 1);
    Check(r.page_url.shift_jis.empty() || IsWebOrFileAddress(r.page_url.shift_jis));
    Check(r.page_url == rig.state.last_found_url);
    Check(rig.composed.size() == 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    CheckReaders(input);
    if (size >= 2) CheckDrop(static_cast<std::uint16_t>(data[0] | (data[1] << 8)), input.substr(2));
    return 0;
}
