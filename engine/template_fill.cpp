#include "engine/template_fill.h"

#include <algorithm>
#include <optional>

#include "platform/errors.h"
#include "text/text_escapes.h"
#include "text/codepage.h"
#include "text/text_helpers.h"
#include "text/unicode.h"

namespace kaveto {
namespace {

enum class Escape { None, Markdown, Html, Url };

// The placeholders that put in an address.
constexpr bool kIsAddress[kPlaceholderCount] = {true, true, false, false, false, true, false, true};

// A token's name without its percent signs.
constexpr std::string_view NameOf(const char* token) {
    const std::string_view t(token);
    return t.substr(1, t.size() - 2);
}

// The longest token, "%title_txt_default:html%".
constexpr std::size_t kLongestToken = 24;

struct Token {
    bool date = false;
    std::size_t index = 0;
    Escape escape = Escape::None;
    std::size_t end = 0;  // just after the closing percent sign
};

std::optional<Escape> EscapeOf(std::string_view suffix) {
    const Escape escapes[] = {Escape::Markdown, Escape::Html, Escape::Url};
    for (std::size_t i = 0; i < std::size(kSuffixes); ++i)
        if (suffix == kSuffixes[i]) return escapes[i];
    return std::nullopt;
}

// The token that begins at the percent sign at `pos`, or nothing: a
// placeholder from `first_placeholder` on, with or without a known suffix,
// or a date token. A name runs to the next percent sign, which closes it.
std::optional<Token> TokenAt(std::string_view text, std::size_t pos, std::size_t first_placeholder) {
    const std::size_t limit = std::min(text.size(), pos + kLongestToken);
    std::size_t close = pos + 1;
    while (close < limit && text[close] != '%') ++close;
    if (close >= limit) return std::nullopt;
    std::string_view name = text.substr(pos + 1, close - pos - 1);
    Escape escape = Escape::None;
    if (const std::size_t colon = name.find(':'); colon != std::string_view::npos) {
        const std::optional<Escape> suffix = EscapeOf(name.substr(colon));
        if (!suffix) return std::nullopt;
        escape = *suffix;
        name = name.substr(0, colon);
    }
    for (std::size_t k = first_placeholder; k < kPlaceholderCount; ++k)
        if (name == NameOf(kPlaceholders[k])) return Token{false, k, escape, close + 1};
    if (escape != Escape::None) return std::nullopt;
    for (std::size_t d = 0; d < kDateTokenCount; ++d)
        if (name == NameOf(kDateTokens[d])) return Token{true, d, escape, close + 1};
    return std::nullopt;
}

// The next percent sign at or after `pos` (which begins a character) that
// begins a character. In the code page a percent sign after a lead byte is
// that character's second byte: from `pos` on the lead bytes pair up, so an
// odd run of them just before the sign puts it on a second byte. The bytes
// between are looked at once at most, as `pos` moves past the sign.
std::size_t NextPercent(std::string_view text, std::size_t pos, bool code_page) {
    for (;;) {
        const std::size_t found = text.find('%', pos);
        if (!code_page || found == std::string_view::npos) return found;
        std::size_t leads = 0;
        while (found - leads > pos && IsLeadByte(static_cast<unsigned char>(text[found - leads - 1]))) ++leads;
        if (leads % 2 == 0) return found;
        pos = found + 1;
    }
}

class Filler {
public:
    Filler(SnippetForm form, const TemplateValues& values) : form_(form), values_(values) {}

    // Fills `text`, read in UTF-8 or in the code page, into `out`. Only the
    // placeholders from `first_placeholder` on are known. In the HTML form's
    // outer text (`html`) every value is HTML-escaped.
    void Fill(std::string_view text, bool utf8, std::size_t first_placeholder, bool html, std::string& out) {
        std::size_t copied = 0;
        for (std::size_t pos = NextPercent(text, 0, !utf8); pos != std::string_view::npos;) {
            const std::optional<Token> token = TokenAt(text, pos, first_placeholder);
            if (!token) {
                // The sign stays; the next one may open a token.
                pos = NextPercent(text, pos + 1, !utf8);
                continue;
            }
            out.append(text, copied, pos - copied);
            if (token->date) PutText(Form(values_.date_tokens[token->index], utf8), html, out);
            else PutPlaceholder(token->index, token->escape, utf8, html, out);
            copied = token->end;
            pos = NextPercent(text, copied, !utf8);
        }
        out.append(text, copied, std::string_view::npos);
    }

private:
    static const std::string& Form(const DualText& text, bool utf8) { return utf8 ? text.utf8 : text.shift_jis; }

    static void PutText(std::string_view text, bool html, std::string& out) {
        if (html) AppendEscapedHtml(text, out);
        else out.append(text);
    }

    // Placeholder k's text in one code: the page's text as it stands, or the
    // user's own, filled.
    const std::string& Raw(std::size_t k, bool utf8) {
        const std::string& text = Form(*values_.placeholders[k], utf8);
        if (!values_.users_text[k]) return text;
        std::optional<std::string>& filled = filled_[k][utf8];
        if (!filled) {
            filled.emplace();
            Fill(text, utf8, k + 1, false, *filled);
        }
        return *filled;
    }

    // An address that the HTML form may not link to is no value there.
    bool Dropped(std::size_t k, std::string_view raw) const {
        return form_ == SnippetForm::Html && kIsAddress[k] && !IsLinkableAddress(raw);
    }

    void PutPlaceholder(std::size_t k, Escape escape, bool utf8, bool html, std::string& out) {
        // An address is encoded from the Unicode text in both codes: ASCII,
        // the same in each.
        const std::string& raw = Raw(k, utf8 || escape == Escape::Url);
        if (Dropped(k, raw)) return;
        switch (escape) {
        case Escape::Url: PutText(EscapeUrl(raw), html, out); return;
        case Escape::Markdown: PutText(utf8 ? EscapeMarkdownUtf8(raw) : EscapeMarkdown(raw), html, out); return;
        case Escape::Html: AppendEscapedHtml(raw, out); return;
        case Escape::None: PutText(raw, html, out); return;
        }
    }

    SnippetForm form_;
    const TemplateValues& values_;
    // The users' texts filled, in the code page and in UTF-8.
    std::array<std::array<std::optional<std::string>, 2>, kPlaceholderCount> filled_;
};

// The weekday's name; ListIndexError when the list has none for it.
const std::string& WeekdayName(const LocalTime& now, const std::vector<std::string>& youbi) {
    if (now.weekday < 0 || static_cast<std::size_t>(now.weekday) >= youbi.size()) throw ListIndexError(now.weekday);
    return youbi[static_cast<std::size_t>(now.weekday)];
}

DualText Ascii(std::string text) {
    std::string copy = text;
    return {std::move(text), std::move(copy)};
}

std::string Filled(std::string_view text, SnippetForm form, const TemplateValues& values,
                   std::size_t first_placeholder) {
    std::string out;
    out.reserve(text.size() + text.size() / 2);
    Filler(form, values).Fill(text, form != SnippetForm::ShiftJis, first_placeholder, form == SnippetForm::Html, out);
    return out;
}

}  // namespace

std::array<DualText, kDateTokenCount> DateTokenValues(const LocalTime& now, const std::vector<std::string>& youbi) {
    // The weekday's name is looked up before anything is filled, so a short
    // list fails on that weekday whatever the template holds.
    const std::string& weekday = WeekdayName(now, youbi);
    return {
        Ascii(std::to_string(now.year)),   Ascii(std::to_string(now.year - 2000)), Ascii(std::to_string(now.month)),
        Ascii(TwoDigit(now.month)),        Ascii(std::to_string(now.day)),         Ascii(TwoDigit(now.day)),
        Ascii(std::to_string(now.hour)),   Ascii(TwoDigit(now.hour)),              Ascii(std::to_string(now.minute)),
        Ascii(TwoDigit(now.minute)),       Ascii(std::to_string(now.second)),      Ascii(TwoDigit(now.second)),
        DualText(weekday, ShiftJisToUtf8(weekday)),
    };
}

std::string FillTemplate(std::string_view text, SnippetForm form, const TemplateValues& values) {
    return Filled(text, form, values, 0);
}

std::string FillDateTokens(std::string_view text, SnippetForm form,
                           const std::array<DualText, kDateTokenCount>& date_tokens) {
    TemplateValues values;
    values.date_tokens = date_tokens;
    return Filled(text, form, values, kPlaceholderCount);
}

}  // namespace kaveto
