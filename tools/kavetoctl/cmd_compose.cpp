#include <cstdio>
#include <exception>
#include <vector>

#include "engine/snippet_composer.h"
#include "platform/errors.h"
#include "platform/system.h"
#include "platform/system_profile.h"
#include "text/page_code.h"
#include "text/unicode.h"
#include "tools/kavetoctl/commands.h"

namespace kaveto::ctl {
namespace {

class FixedClock : public Clock {
public:
    explicit FixedClock(const LocalTime& t) : t_(t) {}
    LocalTime Now() override { return t_; }

private:
    LocalTime t_;
};

class HeldKeyState : public KeyState {
public:
    bool ControlDown() override { return true; }
};

// Stands in where the platform has no clipboard; the clipboard sink is
// switched off there, so it is never called.
class NoClipboard : public Clipboard {
public:
    void SetText(const std::string&) override { throw Error("no clipboard on this platform"); }
};

// Sakamoto's method; 0 is Sunday.
int WeekdayOf(int y, int m, int d) {
    static const int t[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    if (m < 3) y -= 1;
    return (y + y / 4 - y / 100 + y / 400 + t[m - 1] + d) % 7;
}

bool ParseInstant(const std::string& text, LocalTime& t) {
    char tail = 0;
    if (std::sscanf(text.c_str(), "%d-%d-%d %d:%d:%d%c", &t.year, &t.month, &t.day, &t.hour, &t.minute, &t.second,
                    &tail) != 6)
        return false;
    if (t.month < 1 || t.month > 12 || t.day < 1 || t.day > 31 || t.hour < 0 || t.hour > 23 || t.minute < 0 ||
        t.minute > 59 || t.second < 0 || t.second > 60 || t.year < 1)
        return false;
    t.weekday = WeekdayOf(t.year, t.month, t.day);
    return true;
}

}  // namespace

int CmdCompose(const Args& args) {
    std::string folder, settings_file, now_text;
    bool ctrl = false, deliver = false, have_now = false, utf8 = false, html = false;
    CaptureRecord record;
    // The capture's texts as given, each with the record's text it fills.
    struct GivenText {
        DualText* field;
        std::string value;
    };
    std::vector<GivenText> texts;
    const auto text = [&](DualText& field, const std::string& value) { texts.push_back({&field, value}); };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--ctrl") {
            ctrl = true;
            continue;
        }
        if (a == "--deliver") {
            deliver = true;
            continue;
        }
        if (a == "--utf8") {
            utf8 = true;
            continue;
        }
        if (a == "--html") {
            html = true;
            continue;
        }
        if (i + 1 >= args.size()) return Usage();
        const std::string& v = args[++i];
        if (a == "--folder") folder = v;
        else if (a == "--page-url") text(record.page_url, v);
        else if (a == "--title") text(record.title_txt, v);
        else if (a == "--sel") text(record.sel_txt, v);
        else if (a == "--click-url") text(record.click_url, v);
        else if (a == "--url-txt") text(record.url_txt, v);
        else if (a == "--src") text(record.src, v);
        else if (a == "--settings") settings_file = v;
        else if (a == "--now") {
            now_text = v;
            have_now = true;
        } else return Usage();
    }
    if (folder.empty()) return Usage();
    // Without --utf8 the texts are Shift_JIS bytes, as they always were.
    // With it, a text that reads as UTF-8 is taken as UTF-8, as a UTF-8
    // terminal gives it; any other stays Shift_JIS, as a Japanese Windows
    // console gives it.
    for (const GivenText& t : texts)
        *t.field = utf8 && ReadsAsUtf8(t.value) ? FromUtf8(t.value) : FromShiftJis(t.value);
    if (folder.back() != '\\' && folder.back() != '/') folder += PathSeparator();

    LocalTime now;
    if (have_now && !ParseInstant(now_text, now)) return Usage();

    try {
        SystemServices system = MakeSystemServices();
        AppState state;
        state.record = record;
        if (!settings_file.empty()) {
            // A missing file or key gives the defaults, as at program start.
            WindowPosition position;
            LoadSettings(*MakeSystemProfile(), *MakeSystemKeyNames(), settings_file, position, state.settings);
        }
        NoClipboard no_clipboard;
        if (!system.clipboard) state.settings.DoClipBool = false;
        HeldKeyState held;
        FixedClock fixed(now);
        Environment env{folder, system.clipboard ? *system.clipboard : no_clipboard,
                        ctrl ? static_cast<KeyState&>(held) : *system.key_state,
                        have_now ? static_cast<Clock&>(fixed) : *system.clock, *system.files};

        const Composition c = ComposeSnippet(state.record, state.settings, env);
        if (!c.composed) return 3;
        if (html && !c.snippet.html) {
            std::fprintf(stderr, "%s has no HTML template beside it\n", c.template_file.c_str());
            return 4;
        }
        if (deliver) DeliverSnippet(state, env, c);
        const std::string& snippet = html   ? c.snippet.html->fragment
                                     : utf8 ? c.snippet.text.utf8
                                            : c.snippet.text.shift_jis;
        std::fwrite(snippet.data(), 1, snippet.size(), stdout);
        std::fflush(stdout);
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", ConsoleMessage(e.what(), folder).c_str());
        return 2;
    }
}

}  // namespace kaveto::ctl
