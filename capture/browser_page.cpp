#include "capture/browser_page.h"

#include <array>

namespace kaveto {
namespace {

bool StartsWith(std::u16string_view text, std::u16string_view head) { return text.substr(0, head.size()) == head; }

bool EndsWith(std::u16string_view text, std::u16string_view tail) {
    return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

bool IsHostCharacter(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'-' ||
           c == u'.' || c == u':' || c == u'[' || c == u']' || c >= 0x80;  // IPv6, ports and names in any script
}

// "example.com/a", "localhost:8080", "192.168.0.1/x": a host with a dot (or
// the local host), an optional port, then anything without blanks.
bool NamesAHost(std::u16string_view value) {
    for (char16_t c : value)
        if (c <= u' ' || c == 0x3000) return false;  // a search typed into the bar, not an address
    const std::u16string_view host = value.substr(0, value.find_first_of(u"/?#"));
    if (host.empty() || host.front() == u'.' || host.back() == u'.' || host.front() == u':') return false;
    for (char16_t c : host)
        if (!IsHostCharacter(c)) return false;
    if (host.find(u':') != std::u16string_view::npos && host.front() != u'[') {
        // A port: digits after the only colon.
        const std::u16string_view port = host.substr(host.find(u':') + 1);
        if (port.empty() || port.find_first_not_of(u"0123456789") != std::u16string_view::npos) return false;
    }
    const std::u16string_view name = host.substr(0, host.find(u':'));
    return name.find(u'.') != std::u16string_view::npos || name == u"localhost" || host.front() == u'[';
}

std::u16string AddressFromBarValue(std::u16string_view value) {
    if (IsPageAddress(value)) return std::u16string(value);
    if (NamesAHost(value)) return u"https://" + std::u16string(value);
    return std::u16string();
}

struct CaptionRule {
    std::string_view window_class;
    std::u16string_view ending;  // the browser's name with the separator before it
    bool profile_before_name;    // the browser puts its profile's name before its own
};

constexpr std::string_view kChromium = "Chrome_WidgetWin_1";
constexpr std::string_view kMozilla = "MozillaWindowClass";

constexpr std::array<CaptionRule, 12> kCaptionRules{{
    {kChromium, u" - Google Chrome", false},
    {kChromium, u" - Microsoft\u200B Edge", true},  // Edge's own spelling
    {kChromium, u" - Microsoft Edge", true},
    {kChromium, u" - Brave", false},
    {kChromium, u" - Vivaldi", false},
    {kChromium, u" - Opera", false},
    {kMozilla, u" \u2014 Mozilla Firefox Private Browsing", false},
    {kMozilla, u" - Mozilla Firefox Private Browsing", false},
    {kMozilla, u" \u2014 Mozilla Firefox", false},
    {kMozilla, u" - Mozilla Firefox", false},
    {kMozilla, u" \u2014 Firefox Developer Edition", false},
    {kMozilla, u" \u2014 Firefox Nightly", false},
}};

}  // namespace

bool IsPageAddress(std::u16string_view text) { return StartsWith(text, u"http") || StartsWith(text, u"file:///"); }

std::u16string AddressFromAccessiblePage(const AccessiblePage& page) {
    if (page.has_document && IsPageAddress(page.document_value)) return page.document_value;
    for (const std::u16string& value : page.editable_values) {
        std::u16string address = AddressFromBarValue(value);
        if (!address.empty()) return address;
    }
    return std::u16string();
}

bool IsBrowserWindowClass(std::string_view class_name) { return class_name == kChromium || class_name == kMozilla; }

std::u16string TitleFromCaption(std::string_view class_name, std::u16string_view caption) {
    for (const CaptionRule& rule : kCaptionRules) {
        if (rule.window_class != class_name || !EndsWith(caption, rule.ending)) continue;
        std::u16string_view title = caption.substr(0, caption.size() - rule.ending.size());
        // "<title> - <profile> - Microsoft Edge": the profile's name goes with
        // the browser's. A title of its own " - " parts keeps them.
        if (rule.profile_before_name) {
            const std::size_t separator = title.rfind(u" - ");
            if (separator != std::u16string_view::npos) title = title.substr(0, separator);
        }
        return std::u16string(title);
    }
    return std::u16string();
}

}  // namespace kaveto
