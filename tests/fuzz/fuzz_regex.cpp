// libFuzzer target for the regular-expression engine. The input is a regex,
// a zero byte and a target; the first byte picks the flags (or, with its top
// bit set, the whole input up to the zero byte is the pattern as written).
// Checked: no crash, no step count above the bound, results that are byte
// ranges of the target on character boundaries, nested in group 0, and the
// same with the literal scans and remembered transitions as without them.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "text/codepage.h"
#include "text/regex_engine.h"

using kaveto::regex::MatchStats;
using kaveto::regex::Regex;
using kaveto::regex::SyntaxError;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::string input(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::size_t zero = input.find('\0');
    const std::string body = input.substr(0, zero);
    const std::string target = zero == std::string::npos ? std::string() : input.substr(zero + 1);
    std::string pattern;
    if (data[0] & 0x80) {
        pattern = body;
    } else {
        pattern = "m/" + body + "/";
        if (data[0] & 1) pattern += 'i';
        if (data[0] & 2) pattern += 'm';
        if (data[0] & 4) pattern += 's';
        if (data[0] & 8) pattern += 'x';
    }
    try {
        Regex re(pattern);
        Regex bare(pattern);
        bare.DisablePrefixScan();
        bare.DisableTransitionCache();
        std::vector<long> spans, bare_spans;
        MatchStats stats, bare_stats;
        re.Match(target, spans, &stats);  // the second run replays what the first remembered
        const bool matched = re.Match(target, spans, &stats);
        const bool bare_matched = bare.Match(target, bare_spans, &bare_stats);
        if (stats.steps > re.StepBound(target.size()) || bare_stats.steps > bare.StepBound(target.size()))
            std::abort();
        if (matched != bare_matched || (matched && spans != bare_spans)) std::abort();
        if (!matched) return 0;
        // Character boundaries of the target.
        std::vector<bool> boundary(target.size() + 1, false);
        for (std::size_t i = 0; i < target.size();) {
            boundary[i] = true;
            i += (kaveto::IsLeadByte(static_cast<unsigned char>(target[i])) && i + 1 < target.size()) ? 2 : 1;
        }
        boundary[target.size()] = true;
        if (spans.size() != static_cast<std::size_t>(2 * re.GroupCount())) std::abort();
        for (std::size_t g = 0; g < spans.size(); g += 2) {
            const long start = spans[g], end = spans[g + 1];
            if (start == -1 && end == -1 && g > 0) continue;
            if (start < spans[0] || end > spans[1] || start > end) std::abort();
            if (!boundary[start] || !boundary[end]) std::abort();
        }
    } catch (const SyntaxError& e) {
        if (std::string(e.what()).size() > 80 || std::string(e.what()).empty()) std::abort();
    }
    return 0;
}
