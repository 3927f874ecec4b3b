#include "capture/page_context.h"

#include <cstring>
#include <optional>
#include <string_view>
#include <utility>

#include "capture/browser_page.h"
#include "capture/page_title.h"
#include "capture/url_cache_search.h"
#include "text/bregexp.h"
#include "text/page_code.h"
#include "text/text_helpers.h"
#include "text/unicode.h"

namespace kaveto {
namespace {

constexpr int kBufferSize = 256;

bool IsEditClass(std::string_view name) {
    constexpr std::string_view kEdit = "Edit";
    if (name.size() != kEdit.size()) return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        char c = name[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        char e = kEdit[i];
        if (e >= 'A' && e <= 'Z') e = static_cast<char>(e - 'A' + 'a');
        if (c != e) return false;
    }
    return true;
}

bool IsAnsiPageAddress(std::string_view text) {
    return text.substr(0, 4) == "http" || text.substr(0, 8) == "file:///";
}

// Lines may end with CR LF, a lone CR or a lone LF; the matcher sees every
// line ended with CR LF, the last one included.
std::string JoinLinesWithCrLf(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 32 + 2);
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            out.append(bytes.substr(start));
            out.append("\r\n");
            break;
        }
        out.append(bytes.substr(start, end - start));
        out.append("\r\n");
        start = end + ((bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n') ? 2 : 1);
    }
    return out;
}

}  // namespace

namespace {

// Where this capture found the page's address in the window, and what the
// window's tree told, for the title.
struct WindowPage {
    bool found = false;
    AccessiblePage tree;
};

// The Unicode form of an address read from an "Edit" control in the code
// page, which turns what Shift_JIS lacks into "?": the control's own
// Unicode text while that still shows a page address, else the conversion
// of what was read.
std::string EditAddressUtf8(CaptureContext& context, WindowHandle edit, std::string_view address) {
    const std::u16string wide = context.windows.WideWindowText(edit, kBufferSize);
    if (IsPageAddress(wide)) return Utf16ToUtf8(wide);
    return ShiftJisToUtf8(address);
}

// True when an "Edit" descendant holds an address; `silent` is set when one
// of them did not answer.
bool FindAddressInEdit(CaptureContext& context, WindowHandle window, bool& silent) {
    char class_name[kBufferSize];
    char text[kBufferSize];
    bool found = false;
    context.windows.EnumDescendants(window, [&](WindowHandle child) {
        std::memset(class_name, 0, sizeof class_name);
        std::memset(text, 0, sizeof text);
        if (context.windows.ClassName(child, class_name, kBufferSize - 1) == 0) return true;
        if (!IsEditClass(std::string_view(class_name, strnlen(class_name, sizeof class_name)))) return true;
        // A window that does not answer is passed over like one whose class
        // cannot be read.
        if (!context.windows.WindowText(child, text, kBufferSize)) {
            silent = true;
            return true;
        }
        std::string_view address(text, strnlen(text, sizeof text));
        if (!IsAnsiPageAddress(address)) return true;
        context.state.last_found_url = {std::string(address), EditAddressUtf8(context, child, address)};
        found = true;
        return false;
    });
    return found;
}

// Browsers without an "Edit" address bar tell their page through their
// accessibility tree. The top-level window of a null window is unknown, so
// nothing is asked then.
WindowPage SearchWindow(CaptureContext& context, WindowHandle window) {
    WindowPage page;
    bool silent = false;
    if (FindAddressInEdit(context, window, silent)) {
        page.found = true;
        return page;
    }
    // A browser that did not answer for its address bar would not answer
    // for its tree either; it is not waited for twice.
    if (!window || silent) return page;
    page.tree = context.accessibility.ReadPage(window);
    const std::u16string address = AddressFromAccessiblePage(page.tree);
    if (address.empty()) return page;
    context.state.last_found_url = FromUtf16(address);
    page.found = true;
    return page;
}

// The title the window shows: its web document's name, else the caption of
// a browser's window without the browser's name.
std::u16string TitleShownBy(CaptureContext& context, WindowHandle window, const AccessiblePage& tree) {
    if (tree.has_document && !tree.document_name.empty()) return tree.document_name;
    char class_name[kBufferSize] = {};
    if (context.windows.ClassName(window, class_name, kBufferSize - 1) == 0) return std::u16string();
    const std::string_view name(class_name, strnlen(class_name, sizeof class_name));
    if (!IsBrowserWindowClass(name)) return std::u16string();
    return TitleFromCaption(name, context.windows.Caption(window));
}

}  // namespace

bool FindPageAddress(CaptureContext& context, WindowHandle window) { return SearchWindow(context, window).found; }

void CapturePageContext(CaptureContext& context, WindowHandle window, const DropPage& drop_page) {
    WindowPage page = SearchWindow(context, window);
    AppState& state = context.state;
    if (!page.found && drop_page) {
        if (std::optional<DualText> address = drop_page()) {
            state.last_found_url = std::move(*address);
            page.found = true;
        }
    }
    state.record.page_url = state.last_found_url;
    LookUpPageTitle(context);
    // The window's own title stands in only for a page found now (in the
    // window, or named by the drop that came from it): an address kept from
    // an earlier capture has nothing to do with it.
    if (state.record.title_txt.shift_jis.empty() && page.found && window)
        state.record.title_txt = FromUtf16(TitleShownBy(context, window, page.tree));
}

// The UTF-8 check reads every byte a title element may come from.
static_assert(kUtf8CheckLength >= kTitleSearchLimit + kTitleStretch);

namespace {

// Where the title's raw text stands in the page's Shift_JIS text: the fixed
// one-line pattern first, as it always has been; a title that it misses
// (over several lines, or with attributes) is looked for as a browser finds
// it.
std::optional<std::pair<std::size_t, std::size_t>> FindTitleSpan(const std::string& text) {
    TBRegExp matcher;
    if (matcher.Match("m/\\<title\\>(.+)\\<\\/title\\>/i", text)) {
        long start = 0, end = 0;
        matcher.GroupSpan(1, start, end);
        return std::pair<std::size_t, std::size_t>(start, end);
    }
    const std::optional<std::string_view> element = FindTitleElement(text);
    if (!element) return std::nullopt;
    const std::size_t start = static_cast<std::size_t>(element->data() - text.data());
    return std::pair(start, start + element->size());
}

// The span of UTF-8 text whose Shift_JIS conversion (Utf8ToShiftJis) is
// the span [start, end) of that conversion: the conversion writes each
// character for itself, so the two are walked side by side.
std::string_view Utf8SpanOf(std::string_view utf8, std::size_t start, std::size_t end) {
    std::size_t pos = 0, converted = 0, utf8_start = std::string_view::npos;
    std::string character;
    while (pos < utf8.size() && converted < end) {
        if (converted >= start && utf8_start == std::string_view::npos) utf8_start = pos;
        character.clear();
        AppendShiftJis(NextUtf8(utf8, pos), character);
        converted += character.size();
    }
    if (utf8_start == std::string_view::npos) utf8_start = pos;
    return utf8.substr(utf8_start, pos - utf8_start);
}

}  // namespace

DualText PageTitlesFromContent(const std::string& content) {
    std::string_view bytes(content);
    bytes = bytes.substr(0, bytes.find('\0'));
    const std::string page = JoinLinesWithCrLf(bytes);
    const TextCode code = DetectPageCode(page);
    const std::string text = ConvertPageToShiftJis(page, code);
    const auto span = FindTitleSpan(text);
    if (!span) return {};
    const std::string_view raw = std::string_view(text).substr(span->first, span->second - span->first);
    // A UTF-8 page gives its title whole; any other was read through
    // Shift_JIS, whose characters all have their Unicode ones.
    std::string_view utf8_page = page;
    if (code == TextCode::Utf8 && StartsWithUtf8Bom(utf8_page)) utf8_page.remove_prefix(kUtf8ByteOrderMark.size());
    const std::string raw_utf8 = code == TextCode::Utf8 ? std::string(Utf8SpanOf(utf8_page, span->first, span->second))
                                                        : ShiftJisToUtf8(raw);
    return {LayOutTitle(raw), LayOutTitleUtf8(raw_utf8)};
}

std::string PageTitleFromContent(const std::string& content) { return PageTitlesFromContent(content).shift_jis; }

void LookUpPageTitle(CaptureContext& context) {
    const std::string local = UrlToLocalFile(context.state.last_found_url.shift_jis, context.cache);
    if (local.empty() || !context.files.FileExists(local)) return;
    if (context.files.FileSize(local) > kMaxPageFileSize) return;
    context.state.record.title_txt = PageTitlesFromContent(context.files.ReadAll(local));
}

std::string UrlToLocalFile(const std::string& address, UrlCache& cache) {
    if (address.find("file:/") != std::string::npos) {
        std::string path = address;
        FileUrlToPath(path);
        return path;
    }
    return cache.RetrieveLocalFile(address);
}

bool FileUrlToPath(std::string& text) {
    std::string head = text.substr(0, 8);
    for (char& c : head)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (head != "file:///") return false;
    text.erase(0, 8);
    for (char& c : text)
        if (c == '/') c = '\\';
    ReplaceAll(text, "%20", " ");
    return true;
}

void Image1DblClick(CaptureContext& context) {
    context.state.record.Clear();
    CapturePageContext(context, context.state.target_window);
    if (context.compose) context.compose();
    context.windows.ForceForeground(context.state.target_window);
}

}  // namespace kaveto
