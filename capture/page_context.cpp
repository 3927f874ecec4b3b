#include "capture/page_context.h"

#include <cstring>
#include <string_view>

#include "capture/url_cache_search.h"
#include "text/bregexp.h"
#include "text/jconvert.h"
#include "text/text_helpers.h"

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

bool IsPageAddress(std::string_view text) {
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

void FindPageAddress(CaptureContext& context, WindowHandle window) {
    char class_name[kBufferSize];
    char text[kBufferSize];
    context.windows.EnumDescendants(window, [&](WindowHandle child) {
        std::memset(class_name, 0, sizeof class_name);
        std::memset(text, 0, sizeof text);
        if (context.windows.ClassName(child, class_name, kBufferSize - 1) == 0) return true;
        if (!IsEditClass(std::string_view(class_name, strnlen(class_name, sizeof class_name)))) return true;
        // A window that does not answer is passed over like one whose class
        // cannot be read.
        if (!context.windows.WindowText(child, text, kBufferSize)) return true;
        std::string_view address(text, strnlen(text, sizeof text));
        if (!IsPageAddress(address)) return true;
        context.state.last_found_url.assign(address);
        return false;
    });
}

void CapturePageContext(CaptureContext& context, WindowHandle window) {
    FindPageAddress(context, window);
    context.state.record.page_url = context.state.last_found_url;
    LookUpPageTitle(context);
}

std::string PageTitleFromContent(const std::string& content) {
    std::string_view bytes(content);
    bytes = bytes.substr(0, bytes.find('\0'));
    std::string text = ConvertTextCode(JoinLinesWithCrLf(bytes), TextCode::ShiftJis);
    TBRegExp matcher;
    if (!matcher.Match("m/\\<title\\>(.+)\\<\\/title\\>/i", text)) return std::string();
    return matcher.Strings(1);
}

void LookUpPageTitle(CaptureContext& context) {
    const std::string local = UrlToLocalFile(context.state.last_found_url, context.cache);
    if (local.empty() || !context.files.FileExists(local)) return;
    if (context.files.FileSize(local) > kMaxPageFileSize) return;
    context.state.record.title_txt = PageTitleFromContent(context.files.ReadAll(local));
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
