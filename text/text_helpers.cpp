#include "text/text_helpers.h"

#include <algorithm>
#include <cstring>
#include <functional>

namespace kaveto {
namespace {

// Finds `search` at or after `from`, comparing ASCII letters without case.
std::size_t FindIgnoreCase(std::string_view text, std::string_view search, std::size_t from) {
    if (search.size() > text.size()) return std::string_view::npos;
    for (std::size_t i = from; i + search.size() <= text.size(); ++i) {
        std::size_t k = 0;
        while (k < search.size() && FoldAscii(text[i + k]) == FoldAscii(search[k])) ++k;
        if (k == search.size()) return i;
    }
    return std::string_view::npos;
}

constexpr std::size_t kKeptBuffer = 1 << 20;

// Whether `found` starts a character, given that `pos` (before it) does. Only
// the bytes just before the occurrence decide: from the last byte that cannot
// lead (or from `pos`), the lead bytes pair up, so an odd run puts the
// occurrence on a second byte. Each byte is looked at once at most over a
// whole replacement, so the scan stays linear.
bool StartsCharacter(std::string_view text, std::size_t pos, std::size_t found) {
    std::size_t leads = 0;
    while (found - leads > pos && IsLeadByte(static_cast<unsigned char>(text[found - leads - 1]))) ++leads;
    return leads % 2 == 0;
}

// The boundary rule of the text's code: in the code page an occurrence may
// not begin on a second byte; in UTF-8 no character's bytes hold an ASCII
// byte or begin another character, so every occurrence counts.
enum class Code { CodePage, Utf8 };

template <typename Find>
void ReplaceWith(std::string& text, std::string_view search, std::string_view replacement, Find find, Code code) {
    const auto starts_character = [&](std::size_t pos, std::size_t found) {
        return code == Code::Utf8 || StartsCharacter(text, pos, found);
    };
    if (search.empty()) return;
    std::size_t found = find(text, search, 0);
    if (found == std::string::npos) return;
    const bool aliased = std::less_equal<const char*>()(text.data(), replacement.data()) &&
                         std::less<const char*>()(replacement.data(), text.data() + text.size());
    if (replacement.size() <= search.size() && !aliased) {
        // The text never grows: it is rewritten where it stands, behind the
        // point still to be searched, and nothing is allocated.
        std::size_t pos = 0, out = 0;
        while (found != std::string::npos) {
            const std::size_t keep = starts_character(pos, found) ? found - pos : found + 1 - pos;
            std::memmove(text.data() + out, text.data() + pos, keep);
            out += keep;
            if (keep == found - pos) {
                if (!replacement.empty()) std::memcpy(text.data() + out, replacement.data(), replacement.size());
                out += replacement.size();
                pos = found + search.size();
            } else {
                pos = found + 1;  // the occurrence begins on a second byte
            }
            found = pos < text.size() ? find(text, search, pos) : std::string::npos;
        }
        const std::size_t rest = text.size() - pos;
        std::memmove(text.data() + out, text.data() + pos, rest);
        text.resize(out + rest);
        return;
    }
    // The result is built in a buffer kept from call to call: a template
    // filled by a run of replacements then costs no allocation per run.
    thread_local std::string out;
    out.clear();
    out.reserve(text.size());
    std::size_t pos = 0;  // always on a character boundary
    while (found != std::string::npos) {
        if (starts_character(pos, found)) {
            out.append(text, pos, found - pos);
            out.append(replacement);
            pos = found + search.size();
        } else {
            // The occurrence begins on a second byte: keep the character.
            out.append(text, pos, found + 1 - pos);
            pos = found + 1;
        }
        found = pos < text.size() ? find(text, search, pos) : std::string::npos;
    }
    out.append(text, pos, std::string::npos);
    text.swap(out);
    // A large text (a whole log) is not kept alive behind the caller's back.
    if (out.capacity() > kKeptBuffer) std::string().swap(out);
}

bool IsBlank(unsigned char c) { return c >= 1 && c <= 32; }

std::size_t Find(std::string_view text, std::string_view search, std::size_t from) { return text.find(search, from); }

}  // namespace

void ReplaceAll(std::string& text, std::string_view search, std::string_view replacement) {
    ReplaceWith(text, search, replacement, Find, Code::CodePage);
}

void ReplaceAllIgnoreCase(std::string& text, std::string_view search, std::string_view replacement) {
    ReplaceWith(text, search, replacement, FindIgnoreCase, Code::CodePage);
}

void ReplaceAllUtf8(std::string& text, std::string_view search, std::string_view replacement) {
    ReplaceWith(text, search, replacement, Find, Code::Utf8);
}

void ReplaceAllIgnoreCaseUtf8(std::string& text, std::string_view search, std::string_view replacement) {
    ReplaceWith(text, search, replacement, FindIgnoreCase, Code::Utf8);
}

bool EqualIgnoreCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size();) {
        const std::size_t len = CharLength(a, i);
        if (len == 2) {
            if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
        } else if (FoldAscii(a[i]) != FoldAscii(b[i])) {
            return false;
        }
        i += len;
    }
    return true;
}

std::size_t PathNameStart(std::string_view path) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < path.size(); i += CharLength(path, i))
        if (path[i] == '\\' || path[i] == '/') start = i + 1;
    return start;
}

std::string TwoDigit(int number) {
    if (number >= 0 && number < 10) return "0" + std::to_string(number);
    return std::to_string(number);
}

namespace {

// The comma list read with `step` giving the length of the character at a
// position: the list's own characters are all ASCII, so only the step over
// the others differs from code to code.
template <typename Step>
std::vector<std::string> ReadCommaListWith(std::string_view text, Step step) {
    text = text.substr(0, std::min(text.find('\0'), text.size()));
    std::vector<std::string> items;
    const std::size_t n = text.size();
    std::size_t p = 0;
    auto skipBlanks = [&] {
        while (p < n && IsBlank(static_cast<unsigned char>(text[p]))) ++p;
    };
    skipBlanks();
    while (p < n) {
        std::string item;
        if (text[p] == '"') {
            ++p;
            while (p < n) {
                if (text[p] == '"') {
                    if (p + 1 < n && text[p + 1] == '"') {
                        item += '"';
                        p += 2;
                        continue;
                    }
                    ++p;  // the closing quote
                    break;
                }
                const std::size_t len = step(text, p);
                item.append(text, p, len);
                p += len;
            }
        } else {
            const std::size_t start = p;
            while (p < n && static_cast<unsigned char>(text[p]) > 32 && text[p] != ',') p += step(text, p);
            item.assign(text, start, p - start);
        }
        items.push_back(std::move(item));
        skipBlanks();
        if (p < n && text[p] == ',') {
            if (p + 1 == n) items.emplace_back();
            ++p;
            skipBlanks();
        }
    }
    return items;
}

}  // namespace

std::vector<std::string> ReadCommaList(std::string_view text) { return ReadCommaListWith(text, CharLength); }

std::vector<std::string> ReadCommaListUtf8(std::string_view text) {
    return ReadCommaListWith(text, [](std::string_view, std::size_t) { return std::size_t{1}; });
}

std::string WriteCommaList(const std::vector<std::string>& items) {
    if (items.size() == 1 && items[0].empty()) return "\"\"";
    std::string out;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const std::string& item = items[i];
        bool quote = false;
        for (std::size_t p = 0; p < item.size(); p += CharLength(item, p)) {
            const unsigned char c = static_cast<unsigned char>(item[p]);
            if (c == 0) break;
            if (c <= 32 || c == '"' || c == ',') {
                quote = true;
                break;
            }
        }
        if (i > 0) out += ',';
        if (!quote) {
            out += item;
            continue;
        }
        out += '"';
        for (char c : item) {
            if (c == '"') out += '"';
            out += c;
        }
        out += '"';
    }
    return out;
}

}  // namespace kaveto
