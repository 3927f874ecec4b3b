#pragma once
// The compiled form of a regular expression: a list of instructions run by
// the Pike VM (regex_vm.cpp), built by the compiler (regex_compile.cpp).
//
// Characters are codes: a single-byte character is its byte (0-255), a
// double-byte character is (lead << 8) | trail, always above 255.
#include <array>
#include <bitset>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace kaveto::regex {

enum class Op : std::uint8_t {
    // Consuming instructions: a thread that passes goes on at y.
    kChar,       // code == arg
    kCharFold,   // ASCII letter arg (lower case) in either case
    kClass,      // classes[arg]
    kAny,        // any character but "\n"
    kAnyLine,    // any character
    kMatch,
    kJmp,        // to x
    kSplit,      // to x first, then y
    kSave,       // capture slot arg = current position
    kAssert,     // Assertion(arg)
    // A loop whose body can match the empty string stops after an iteration
    // that consumed nothing, as Perl's does. The VM tracks, per thread, the
    // outermost such loop (by nesting depth) whose current iteration began
    // at the current position; see regex_vm.cpp.
    kIterStart,  // an iteration of the depth-arg loop begins
    kIterEnd,    // an iteration ends: if it was empty go to x, else go on
    kLoopExit,   // leaving the depth-arg loop
};

enum Assertion : std::uint8_t {
    kTextStart,     // \A, ^
    kTextEnd,       // \z
    kTextEndOrLf,   // \Z, $: at the end or before a final "\n"
    kLineStart,     // ^ under m
    kLineEnd,       // $ under m
    kWordBoundary,  // \b
    kNotWordBoundary,
};

struct Inst {
    Op op;
    std::uint32_t arg = 0;
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::uint32_t slot = 0;  // slot_base of this instruction, for the VM
};

struct CharClass {
    std::bitset<256> bytes;                                  // single-byte codes
    std::vector<std::pair<std::uint16_t, std::uint16_t>> wide;  // double-byte ranges
    bool negated = false;

    bool Contains(std::uint32_t code) const {
        bool in;
        if (code < 256) {
            in = bytes[code];
        } else {
            in = false;
            for (const auto& [lo, hi] : wide)
                if (code >= lo && code <= hi) { in = true; break; }
        }
        return in != negated;
    }
};

// One byte of the literal text every match begins with.
struct PrefixByte {
    unsigned char byte;
    bool fold;  // an ASCII letter matched in either case
};

struct Program {
    std::vector<Inst> insts;
    std::vector<CharClass> classes;
    int groups = 1;                  // the whole match included
    bool anchored = false;           // can match only at the start of the text
    std::vector<PrefixByte> prefix;  // empty: no prefix scan
    // A character every match contains (its bytes; a lower-case letter that
    // may be in either case if required_fold). A target without these bytes
    // cannot match.
    std::string required;
    bool required_fold = false;
    // The bytes a match can begin with, when it cannot be empty.
    bool has_first = false;
    std::array<bool, 256> first{};
    // Thread states: instruction pc with loop-emptiness value e lives in slot
    // slot_base[pc] + e, e from 0 (none) to slot_depth[pc].
    std::vector<std::uint32_t> slot_base;
    std::vector<std::uint16_t> slot_depth;
    std::uint32_t slots = 0;
    std::array<bool, 256> lead{};  // lead bytes of the code page

    // Working memory of the VM, kept between matches so that matching the
    // same pattern again allocates nothing.
    struct Threads {
        std::vector<std::int32_t> pc;     // `count` used, room for every slot
        std::vector<std::int64_t> caps;   // 2 * groups per thread
        std::vector<std::uint32_t> mark;  // per slot: generation of its last visit
        std::size_t count = 0;
        std::uint32_t generation = 0;
    };
    struct Job {
        std::int32_t pc;  // -1: restore capture slot `e` to `value`
        std::int32_t e;
        std::int64_t value;
    };
    Threads run[2];
    std::vector<Job> stack;
    std::vector<std::int64_t> work;

    // Transitions seen before, so that the same step is not interpreted
    // again: a state is the list of thread instructions in priority order;
    // from a state, a character and the assertions' view of the next
    // position follow the next state and, per new thread, the thread it
    // came from and the capture slots it sets to the new position. Bounded:
    // once full, further steps are interpreted.
    struct Leaf {
        std::int32_t pc;
        std::int32_t parent;  // index in the old list; -1: a new thread
        std::uint32_t ops_begin, ops_end;
    };
    struct Transition {
        std::int32_t next;
        std::vector<Leaf> leaves;
        std::vector<std::uint32_t> ops;  // capture slots
    };
    std::unordered_map<std::string, std::int32_t> state_ids;
    std::vector<std::int32_t> match_index;  // per state: first Match thread or -1
    std::unordered_map<std::uint64_t, Transition> transitions;
    std::size_t cache_cells = 0;
    bool use_cache = true;
};

}  // namespace kaveto::regex
