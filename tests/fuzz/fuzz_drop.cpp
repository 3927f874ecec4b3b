// Drops of arbitrary data: whatever the data object holds, the decoding stays
// within its blocks and fills at most one of the three roads' fields.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "capture/drop_decoding.h"
#include "tests/capture/capture_fakes.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kaveto;
    if (size < 1) return 0;
    const std::uint8_t flags = data[0];
    std::string rest(reinterpret_cast<const char*>(data + 1), size - 1);
    // Fields are separated by 0xFF bytes: text, descriptor, file name, address, page.
    std::string parts[5];
    for (int i = 0, pos = 0; i < 5; ++i) {
        const std::size_t end = rest.find('\xff', pos);
        parts[i] = rest.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
        if (end == std::string::npos) break;
        pos = static_cast<int>(end + 1);
    }
    testing::CaptureRig rig;
    testing::FakeFormats formats;
    rig.Browser(100, parts[3], parts[4], (flags & 8) ? "C:\\page.htm" : "");
    rig.windows.foreground = 100;
    rig.cache.entries.push_back({"http://src/", parts[2], (flags & 16) ? 1u : 0u});
    DropDescription drop;
    if (flags & 1) drop.text = parts[0];
    if (flags & 2) drop.descriptor = parts[1];
    if (flags & 4) drop.files = std::vector<std::string>{parts[2]};
    DescribedDrop source(drop, formats.Register("FileGroupDescriptor"));
    try {
        Drop(rig.context, source, formats);
    } catch (const OleError&) {
        if (!(flags & 1) || (flags & 2)) std::abort();  // only a link without a descriptor fails
        return 0;
    }
    const CaptureRecord& r = rig.state.record;
    const int roads = !r.click_url.shift_jis.empty() + !r.sel_txt.shift_jis.empty() + !r.src.shift_jis.empty();
    if (roads > 1 || r.url_txt.shift_jis.size() > 260 + r.click_url.shift_jis.size()) std::abort();
    if (rig.composed.size() != 1) std::abort();
    return 0;
}
