#include "tools/drive/browser_drag.h"

#include "tools/drive/url_cache.h"

namespace kaveto::drive {
namespace {

std::wstring Escaped(const std::wstring& text) {
    std::wstring out;
    for (wchar_t c : text) {
        if (c == L'<')
            out += L"&lt;";
        else if (c == L'>')
            out += L"&gt;";
        else if (c == L'&')
            out += L"&amp;";
        else if (c == L'"')
            out += L"&quot;";
        else
            out += c;
    }
    return out;
}

// Firefox's blocks of a link: the address and the text on two lines.
std::string MozUrlBlock(const std::string& address, const std::wstring& text) {
    return UnicodeTextBlock(WideFromAnsi(address) + L"\n" + text);
}

// The file name a browser gives a picture: the last part of its path.
std::wstring PictureName(const std::string& address) {
    std::string path = address.substr(0, address.find_first_of("?#"));
    std::string name = path.substr(path.find_last_of('/') + 1);
    return WideFromAnsi(name.empty() ? "image" : name);
}

}  // namespace

std::vector<DragFormat> SelectionDrag(BrowserKind kind, const std::wstring& text, const std::string& page) {
    if (kind == BrowserKind::kEditBar) return {{CF_TEXT, TextBlock(AnsiFromWide(text))}};
    std::vector<DragFormat> formats = {
        {CF_UNICODETEXT, UnicodeTextBlock(text)},
        {RegisteredFormat("HTML Format"), HtmlFormatBlock(Utf8(Escaped(text)), page)},
    };
    if (kind == BrowserKind::kFirefox)
        formats.push_back({RegisteredFormat("text/x-moz-url-priv"), UnicodeTextBlock(WideFromAnsi(page))});
    return formats;
}

std::vector<DragFormat> LinkDrag(BrowserKind kind, const std::string& address, const std::wstring& text,
                                 const std::string& page) {
    if (kind == BrowserKind::kEditBar)
        return {{CF_TEXT, TextBlock(address)},
                {RegisteredFormat("FileGroupDescriptor"), FileGroupDescriptorBlock({AnsiFromWide(text) + ".URL"})}};
    std::vector<DragFormat> formats = {
        {RegisteredFormat("UniformResourceLocatorW"), UnicodeTextBlock(WideFromAnsi(address))},
        {RegisteredFormat("FileGroupDescriptorW"), FileGroupDescriptorWBlock({text + L".url"})},
    };
    if (kind == BrowserKind::kFirefox) {
        formats.push_back({RegisteredFormat("text/x-moz-url"), MozUrlBlock(address, text)});
        formats.push_back({RegisteredFormat("text/x-moz-url-priv"), UnicodeTextBlock(WideFromAnsi(page))});
        formats.push_back({CF_UNICODETEXT, UnicodeTextBlock(WideFromAnsi(address))});
    }
    return formats;
}

std::vector<DragFormat> ImageDrag(BrowserKind kind, const std::string& address, const std::string& page,
                                  const std::string& contents) {
    if (kind == BrowserKind::kEditBar) {
        const std::string local = CachedFileOf(address);
        if (local.empty()) return {};
        return {{CF_HDROP, DropFilesBlock({local})}};
    }
    const std::wstring name = PictureName(address);
    std::vector<DragFormat> formats = {
        {RegisteredFormat("FileGroupDescriptorW"), FileGroupDescriptorWBlock({name})},
        {RegisteredFormat("FileContents"), contents, 0},
        {RegisteredFormat("UniformResourceLocatorW"), UnicodeTextBlock(WideFromAnsi(address))},
    };
    if (kind == BrowserKind::kFirefox) {
        formats.push_back({RegisteredFormat("text/x-moz-url"), MozUrlBlock(address, name)});
        formats.push_back({RegisteredFormat("text/x-moz-url-priv"), UnicodeTextBlock(WideFromAnsi(page))});
        formats.push_back({CF_UNICODETEXT, UnicodeTextBlock(WideFromAnsi(address))});
    }
    return formats;
}

}  // namespace kaveto::drive
