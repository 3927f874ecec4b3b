#pragma once
// The program's own regular-expression engine. A pattern in the Perl form
// "m/regex/flags" is parsed, compiled to a small instruction program and run
// by a Pike VM, so one match takes at most O(program x target) steps however
// the pattern and target are made; the results (the match and every group)
// are those of Perl's backtracking engine. Double-byte characters of the
// ANSI code page are single characters: no match starts or ends inside one.
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace kaveto::regex {

// A rejected pattern. The message is at most 80 characters.
class SyntaxError : public std::runtime_error {
public:
    explicit SyntaxError(const std::string& message) : std::runtime_error(message) {}
};

struct Program;

// Work counted by one Match, for tests and the fuzzer: `steps` never exceeds
// StepBound() for the same target length.
struct MatchStats {
    std::uint64_t steps = 0;
};

class Regex {
public:
    // Compiles a pattern "m/regex/flags" (flags from "imsx"). Raises
    // SyntaxError for malformed or unsupported syntax and for patterns that
    // would compile to an oversized program.
    explicit Regex(std::string_view perl_form);
    ~Regex();
    Regex(const Regex&) = delete;
    Regex& operator=(const Regex&) = delete;

    // Groups, the whole match (group 0) included.
    int GroupCount() const;

    // Searches `target` for the leftmost match. On a match, `spans` holds
    // 2 * GroupCount() byte offsets (start, end of each group; -1, -1 for a
    // group that did not take part). Not safe for concurrent use: the
    // matcher's working memory is kept between calls.
    bool Match(std::string_view target, std::vector<long>& spans, MatchStats* stats = nullptr) const;

    // The most steps one Match may take on a target of `length` bytes.
    std::uint64_t StepBound(std::size_t length) const;

    // Instructions in the compiled program (for tests and benchmarks).
    std::size_t ProgramSize() const;

    // Turns the literal scans off, the prefix scan and the check for a
    // character every match needs (benchmarks measure the bare VM; tests
    // compare the answers).
    void DisablePrefixScan();

    // Interprets every step instead of replaying remembered ones (tests
    // compare the two).
    void DisableTransitionCache();

private:
    std::unique_ptr<Program> program_;
    bool prefix_disabled_ = false;
};

// Patterns compiled so far in this process; tests use it to see that a
// matcher keeps its compiled pattern.
std::uint64_t CompiledPatternCount();

}  // namespace kaveto::regex
