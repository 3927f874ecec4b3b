// Parsing "m/regex/flags" into a syntax tree and compiling the tree into the
// instruction program that the Pike VM runs.
#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "text/codepage.h"
#include "text/regex_engine.h"
#include "text/regex_program.h"

namespace kaveto::regex {
namespace {

constexpr int kMaxRepeat = 1000;          // largest n or m in {n,m}
constexpr int kInfinite = -1;
constexpr std::size_t kMaxInsts = 20000;  // bigger programs are refused
constexpr std::uint32_t kMaxSlots = 40000;
constexpr std::uint64_t kMaxCaptureCells = 1u << 20;  // slots x capture slots
constexpr int kMaxNesting = 200;

[[noreturn]] void Fail(std::string message) {
    if (message.size() > 80) message.resize(80);
    throw SyntaxError(message);
}

bool IsAsciiLetter(std::uint32_t c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
std::uint32_t LowerAscii(std::uint32_t c) { return (c >= 'A' && c <= 'Z') ? c + 32 : c; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

enum class Kind { kEmpty, kChar, kClass, kAny, kAssert, kGroup, kConcat, kAlt, kRepeat };

struct Node {
    Kind kind = Kind::kEmpty;
    std::uint32_t code = 0;  // kChar
    bool fold = false;       // kChar: ASCII letter in either case
    int cls = -1;            // kClass
    bool dotall = false;     // kAny
    Assertion assertion = kTextStart;
    int group = 0;  // kGroup: capture number
    int min = 0, max = 0;
    bool greedy = true;
    std::vector<int> kids;
};

struct Flags {
    bool i = false, s = false, m = false, x = false;
};

// The ASCII classes \d \w \s, added into a byte set.
void AddNamedClass(char name, std::bitset<256>& bytes) {
    for (int c = 0; c < 128; ++c) {
        bool in = false;
        switch (name) {
            case 'd': in = c >= '0' && c <= '9'; break;
            case 'w': in = IsAsciiLetter(c) || (c >= '0' && c <= '9') || c == '_'; break;
            case 's': in = c == ' ' || (c >= '\t' && c <= '\r'); break;
        }
        if (in) bytes.set(c);
    }
}

class Parser {
public:
    Parser(std::string_view re, const std::array<bool, 256>& lead, std::vector<CharClass>& classes)
        : re_(re), lead_(lead), classes_(classes) {}

    std::vector<Node> nodes;
    int groups = 1;

    int ParseAll(Flags flags) {
        int root = ParseAlt(flags, 0);
        if (pos_ < re_.size()) Fail("unmatched ) in regex");
        return root;
    }

private:
    std::string_view re_;
    std::size_t pos_ = 0;
    const std::array<bool, 256>& lead_;
    std::vector<CharClass>& classes_;

    bool AtEnd() const { return pos_ >= re_.size(); }
    char Peek(std::size_t ahead = 0) const {
        return pos_ + ahead < re_.size() ? re_[pos_ + ahead] : '\0';
    }

    int Add(Node node) {
        nodes.push_back(std::move(node));
        return static_cast<int>(nodes.size()) - 1;
    }

    // One character of the regex: two bytes for a double-byte character.
    std::uint32_t NextCode() {
        auto b = static_cast<unsigned char>(re_[pos_]);
        if (lead_[b] && pos_ + 1 < re_.size()) {
            std::uint32_t code = (b << 8) | static_cast<unsigned char>(re_[pos_ + 1]);
            pos_ += 2;
            return code;
        }
        ++pos_;
        return b;
    }

    int Literal(std::uint32_t code, const Flags& flags) {
        Node node;
        node.kind = Kind::kChar;
        if (flags.i && IsAsciiLetter(code)) {
            node.fold = true;
            code = LowerAscii(code);
        }
        node.code = code;
        return Add(node);
    }

    // Blanks and #-comments are not part of the regex under x.
    void SkipExtended(const Flags& flags) {
        if (!flags.x) return;
        while (!AtEnd()) {
            char c = Peek();
            if (c == ' ' || (c >= '\t' && c <= '\r')) {
                ++pos_;
            } else if (c == '#') {
                while (!AtEnd() && Peek() != '\n') ++pos_;
            } else {
                break;
            }
        }
    }

    int ParseAlt(Flags& flags, int depth) {
        std::vector<int> alternatives{ParseSeq(flags, depth)};
        while (!AtEnd() && Peek() == '|') {
            ++pos_;
            alternatives.push_back(ParseSeq(flags, depth));
        }
        if (alternatives.size() == 1) return alternatives[0];
        Node node;
        node.kind = Kind::kAlt;
        node.kids = std::move(alternatives);
        return Add(node);
    }

    int ParseSeq(Flags& flags, int depth) {
        std::vector<int> items;
        for (;;) {
            SkipExtended(flags);
            if (AtEnd() || Peek() == '|' || Peek() == ')') break;
            int atom = ParseAtom(flags, depth);
            SkipExtended(flags);
            int min, max;
            if (ParseQuantifier(min, max)) {
                if (atom < 0) Fail("quantifier follows nothing in regex");
                SkipExtended(flags);
                bool greedy = true;
                if (Peek() == '?') {
                    greedy = false;
                    ++pos_;
                } else if (Peek() == '+') {
                    Fail("possessive quantifiers are not supported");
                }
                SkipExtended(flags);
                std::size_t save = pos_;
                int min2, max2;
                if (ParseQuantifier(min2, max2)) {
                    pos_ = save;
                    Fail("nested quantifiers in regex");
                }
                Node node;
                node.kind = Kind::kRepeat;
                node.min = min;
                node.max = max;
                node.greedy = greedy;
                node.kids = {atom};
                atom = Add(node);
            }
            if (atom >= 0) items.push_back(atom);
        }
        if (items.size() == 1) return items[0];
        Node node;
        node.kind = items.empty() ? Kind::kEmpty : Kind::kConcat;
        node.kids = std::move(items);
        return Add(node);
    }

    // *, +, ?, {n}, {n,}, {n,m} and {,m}; a brace that forms none of these is
    // an ordinary character, as in Perl.
    bool ParseQuantifier(int& min, int& max) {
        if (AtEnd()) return false;
        char c = Peek();
        if (c == '*' || c == '+' || c == '?') {
            ++pos_;
            min = c == '+' ? 1 : 0;
            max = c == '?' ? 1 : kInfinite;
            return true;
        }
        if (c != '{') return false;
        std::size_t p = pos_ + 1;
        auto number = [&](int& value) {
            std::size_t start = p;
            long v = 0;
            while (p < re_.size() && IsDigit(re_[p])) {
                if (v <= 100000) v = v * 10 + (re_[p] - '0');
                ++p;
            }
            value = static_cast<int>(std::min(v, 100001L));
            return p > start;
        };
        int lo = 0, hi = 0;
        bool has_lo = number(lo);
        if (p < re_.size() && re_[p] == '}') {
            if (!has_lo) return false;
            hi = lo;
        } else if (p < re_.size() && re_[p] == ',') {
            ++p;
            bool has_hi = number(hi);
            if (!has_lo && !has_hi) return false;
            if (!has_hi) hi = kInfinite;
            if (p >= re_.size() || re_[p] != '}') return false;
        } else {
            return false;
        }
        pos_ = p + 1;
        if (lo > kMaxRepeat || hi > kMaxRepeat) Fail("repeat count above 1000 in regex");
        if (hi != kInfinite && lo > hi) Fail("can't do {n,m} with n > m in regex");
        min = lo;
        max = hi;
        return true;
    }

    // Returns the node, or -1 for an item that matches nothing at all (an
    // inline flag change or a comment).
    int ParseAtom(Flags& flags, int depth) {
        char c = Peek();
        switch (c) {
            case '(':
                return ParseGroup(flags, depth);
            case '[':
                ++pos_;
                return ParseClass(flags);
            case '.': {
                ++pos_;
                Node node;
                node.kind = Kind::kAny;
                node.dotall = flags.s;
                return Add(node);
            }
            case '^':
                ++pos_;
                return Assert(flags.m ? kLineStart : kTextStart);
            case '$':
                ++pos_;
                return Assert(flags.m ? kLineEnd : kTextEndOrLf);
            case '\\':
                return ParseEscape(flags);
            case '*':
            case '+':
            case '?':
                Fail("quantifier follows nothing in regex");
            // A brace with nothing before it to repeat is an ordinary
            // character, as in Perl.
        }
        return Literal(NextCode(), flags);
    }

    int Assert(Assertion assertion) {
        Node node;
        node.kind = Kind::kAssert;
        node.assertion = assertion;
        return Add(node);
    }

    int ParseGroup(Flags& flags, int depth) {
        if (depth >= kMaxNesting) Fail("groups nested too deeply in regex");
        ++pos_;  // (
        Flags inner = flags;
        int capture = 0;
        if (Peek() == '?') {
            ++pos_;
            char c = Peek();
            switch (c) {
                case ':':
                    ++pos_;
                    break;
                case '#':
                    while (!AtEnd() && Peek() != ')') ++pos_;
                    if (AtEnd()) Fail("unterminated (?#...) comment in regex");
                    ++pos_;
                    return -1;
                case '=':
                case '!':
                    Fail("lookahead assertions are not supported");
                case '<':
                    if (Peek(1) == '=' || Peek(1) == '!') Fail("lookbehind assertions are not supported");
                    Fail("named groups are not supported");
                case 'P':
                case '\'':
                    Fail("named groups are not supported");
                case '>':
                    Fail("atomic groups are not supported");
                case '|':
                    Fail("branch reset groups are not supported");
                case '(':
                    Fail("conditional groups are not supported");
                case '{':
                case '?':
                    Fail("code in a regex is not supported");
                default:
                    if (!ParseInlineFlags(inner)) Fail("unknown group syntax (?" + std::string(1, c) + " in regex");
                    if (Peek() == ')') {
                        ++pos_;
                        flags = inner;  // to the end of the enclosing group
                        return -1;
                    }
                    ++pos_;  // :
                    break;
            }
        } else {
            capture = groups++;
        }
        int body = ParseAlt(inner, depth + 1);
        if (Peek() != ')' || AtEnd()) Fail("unmatched ( in regex");
        ++pos_;
        if (capture == 0) return body;
        Node node;
        node.kind = Kind::kGroup;
        node.group = capture;
        node.kids = {body};
        return Add(node);
    }

    // Letters of (?imsx-imsx) or (?^imsx); stops before ")" or ":".
    bool ParseInlineFlags(Flags& flags) {
        bool on = true;
        if (Peek() == '^') {
            flags = Flags{};
            ++pos_;
        }
        while (!AtEnd() && Peek() != ')' && Peek() != ':') {
            char c = Peek();
            switch (c) {
                case 'i': flags.i = on; break;
                case 'm': flags.m = on; break;
                case 's': flags.s = on; break;
                case 'x': flags.x = on; break;
                case '-':
                    if (!on) return false;
                    on = false;
                    break;
                default:
                    if (IsAsciiLetter(static_cast<unsigned char>(c)))
                        Fail(std::string("unsupported inline flag '") + c + "' in regex");
                    return false;
            }
            ++pos_;
        }
        if (AtEnd()) Fail("unmatched ( in regex");
        return true;
    }

    int NamedClass(char name) {
        CharClass cls;
        AddNamedClass(static_cast<char>(name | 0x20), cls.bytes);
        cls.negated = name >= 'A' && name <= 'Z';
        classes_.push_back(std::move(cls));
        Node node;
        node.kind = Kind::kClass;
        node.cls = static_cast<int>(classes_.size()) - 1;
        return Add(node);
    }

    // The escapes that stand for one character, in and out of classes.
    // Returns false when `c` is none of them.
    bool CharacterEscape(char c, std::uint32_t& code) {
        switch (c) {
            case 'n': code = '\n'; break;
            case 'r': code = '\r'; break;
            case 't': code = '\t'; break;
            case 'f': code = '\f'; break;
            case 'e': code = 0x1b; break;
            case 'x': {
                if (Peek() == '{') Fail("\\x{...} is not supported; use \\xHH");
                int value = 0, digits = 0;
                while (digits < 2 && HexValue(Peek()) >= 0) {
                    value = value * 16 + HexValue(Peek());
                    ++pos_;
                    ++digits;
                }
                if (digits == 0) Fail("\\x needs one or two hex digits");
                code = value;
                break;
            }
            case '0': {
                int value = 0, digits = 0;
                while (digits < 2 && Peek() >= '0' && Peek() <= '7') {
                    value = value * 8 + (Peek() - '0');
                    ++pos_;
                    ++digits;
                }
                code = value;
                break;
            }
            default:
                return false;
        }
        return true;
    }

    [[noreturn]] void UnsupportedEscape(char c) {
        if (c >= '1' && c <= '9') Fail("backreferences are not supported");
        if (c == 'g' || c == 'k') Fail("backreferences are not supported");
        Fail(std::string("unsupported escape \\") + c + " in regex");
    }

    int ParseEscape(const Flags& flags) {
        ++pos_;  // backslash
        if (AtEnd()) Fail("trailing \\ in regex");
        auto b = static_cast<unsigned char>(Peek());
        if (lead_[b] || b >= 0x80) return Literal(NextCode(), flags);
        char c = static_cast<char>(b);
        ++pos_;
        switch (c) {
            case 'd': case 'D': case 'w': case 'W': case 's': case 'S':
                return NamedClass(c);
            case 'b': return Assert(kWordBoundary);
            case 'B': return Assert(kNotWordBoundary);
            case 'A': return Assert(kTextStart);
            case 'z': return Assert(kTextEnd);
            case 'Z': return Assert(kTextEndOrLf);
        }
        std::uint32_t code;
        if (CharacterEscape(c, code)) return Literal(code, flags);
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '1' && c <= '9')) UnsupportedEscape(c);
        return Literal(b, flags);  // punctuation and blanks stand for themselves
    }

    // After "[": the class up to its "]".
    int ParseClass(const Flags& flags) {
        CharClass cls;
        if (Peek() == '^' && !AtEnd()) {
            cls.negated = true;
            ++pos_;
        }
        auto add_range = [&](std::uint32_t lo, std::uint32_t hi) {
            for (std::uint32_t c = lo; c <= std::min(hi, 255u); ++c) {
                cls.bytes.set(c);
                if (flags.i && IsAsciiLetter(c)) cls.bytes.set(c ^ 0x20);
            }
            if (hi > 255) cls.wide.emplace_back(std::max(lo, 256u), hi);
        };
        bool first = true;
        for (;;) {
            if (AtEnd()) Fail("unmatched [ in regex");
            if (Peek() == ']' && !first) {
                ++pos_;
                break;
            }
            first = false;
            std::uint32_t lo;
            if (!ClassAtom(cls, lo)) continue;  // a named class was added
            if (Peek() == '-' && pos_ + 1 < re_.size() && re_[pos_ + 1] != ']') {
                ++pos_;
                std::uint32_t hi;
                if (!ClassAtom(cls, hi)) Fail("invalid range in character class");
                if (lo > hi) Fail("invalid range in character class");
                add_range(lo, hi);
            } else {
                add_range(lo, lo);
            }
        }
        classes_.push_back(std::move(cls));
        Node node;
        node.kind = Kind::kClass;
        node.cls = static_cast<int>(classes_.size()) - 1;
        return Add(node);
    }

    // One member of a class: a character (returns true and its code) or a
    // named class, added to `cls` at once (returns false).
    bool ClassAtom(CharClass& cls, std::uint32_t& code) {
        if (Peek() == '[' && (Peek(1) == ':' || Peek(1) == '.' || Peek(1) == '=')) {
            const char kind = Peek(1);
            std::size_t p = pos_ + 2;
            if (p < re_.size() && re_[p] == '^') ++p;
            while (p < re_.size() && IsAsciiLetter(static_cast<unsigned char>(re_[p]))) ++p;
            if (p + 1 < re_.size() && re_[p] == kind && re_[p + 1] == ']')
                Fail("POSIX character classes are not supported");
        }
        if (Peek() != '\\') {
            code = NextCode();
            return true;
        }
        ++pos_;
        if (AtEnd()) Fail("unmatched [ in regex");
        auto b = static_cast<unsigned char>(Peek());
        if (lead_[b] || b >= 0x80) {
            code = NextCode();
            return true;
        }
        char c = static_cast<char>(b);
        ++pos_;
        switch (c) {
            case 'd': case 'w': case 's':
                AddNamedClass(c, cls.bytes);
                return false;
            case 'D': case 'W': case 'S': {
                std::bitset<256> named;
                AddNamedClass(static_cast<char>(c | 0x20), named);
                cls.bytes |= ~named;
                cls.wide.emplace_back(256, 0xFFFF);
                return false;
            }
            case 'b':
                code = 8;
                return true;
        }
        if (CharacterEscape(c, code)) return true;
        if (c >= '1' && c <= '9') Fail("octal escapes other than \\0 are not supported");
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) UnsupportedEscape(c);
        code = b;
        return true;
    }
};

class Compiler {
public:
    Compiler(Program& program, const std::vector<Node>& nodes) : p_(program), nodes_(nodes) {}

    void Compile(int root) {
        Emit({Op::kSave, 0});
        Gen(root);
        Emit({Op::kSave, 1});
        Emit({Op::kMatch});
        p_.slot_base.resize(p_.insts.size());
        p_.slot_depth.resize(p_.insts.size());
        std::uint64_t slots = 0;
        for (std::size_t pc = 0; pc < p_.insts.size(); ++pc) {
            p_.slot_base[pc] = static_cast<std::uint32_t>(slots);
            p_.insts[pc].slot = static_cast<std::uint32_t>(slots);
            p_.slot_depth[pc] = depth_of_[pc];
            slots += depth_of_[pc] + 1u;
        }
        if (slots > kMaxSlots || slots * 2 * p_.groups > kMaxCaptureCells) Fail("regex too large");
        // Jumps to jumps go straight to the end of the chain, and a consuming
        // instruction keeps where its thread goes next in y: fewer visits for
        // the VM. (A chain of jumps cannot loop: every loop holds a split.)
        auto resolve = [&](std::int32_t target) {
            while (p_.insts[target].op == Op::kJmp) target = p_.insts[target].x;
            return target;
        };
        for (std::size_t pc = 0; pc < p_.insts.size(); ++pc) {
            Inst& in = p_.insts[pc];
            switch (in.op) {
                case Op::kJmp:
                case Op::kIterEnd:
                    in.x = resolve(in.x);
                    break;
                case Op::kSplit:
                    in.x = resolve(in.x);
                    in.y = resolve(in.y);
                    break;
                case Op::kChar:
                case Op::kCharFold:
                case Op::kClass:
                case Op::kAny:
                case Op::kAnyLine:
                    in.y = resolve(static_cast<std::int32_t>(pc) + 1);
                    break;
                default:
                    break;
            }
        }
        p_.slots = static_cast<std::uint32_t>(slots);
    }

private:
    Program& p_;
    const std::vector<Node>& nodes_;
    std::vector<std::uint16_t> depth_of_;
    std::uint16_t depth_ = 0;

    int Emit(Inst inst) {
        if (p_.insts.size() >= kMaxInsts) Fail("regex too large");
        p_.insts.push_back(inst);
        depth_of_.push_back(depth_);
        return static_cast<int>(p_.insts.size()) - 1;
    }
    int Here() const { return static_cast<int>(p_.insts.size()); }

    bool Nullable(int n) const {
        const Node& node = nodes_[n];
        switch (node.kind) {
            case Kind::kEmpty:
            case Kind::kAssert:
                return true;
            case Kind::kChar:
            case Kind::kClass:
            case Kind::kAny:
                return false;
            case Kind::kGroup:
                return Nullable(node.kids[0]);
            case Kind::kConcat:
                return std::all_of(node.kids.begin(), node.kids.end(), [&](int k) { return Nullable(k); });
            case Kind::kAlt:
                return std::any_of(node.kids.begin(), node.kids.end(), [&](int k) { return Nullable(k); });
            case Kind::kRepeat:
                return node.min == 0 || Nullable(node.kids[0]);
        }
        return true;
    }

    void Gen(int n) {
        const Node& node = nodes_[n];
        switch (node.kind) {
            case Kind::kEmpty:
                break;
            case Kind::kChar:
                Emit({node.fold ? Op::kCharFold : Op::kChar, node.code});
                break;
            case Kind::kClass:
                Emit({Op::kClass, static_cast<std::uint32_t>(node.cls)});
                break;
            case Kind::kAny:
                Emit({node.dotall ? Op::kAnyLine : Op::kAny});
                break;
            case Kind::kAssert:
                Emit({Op::kAssert, node.assertion});
                break;
            case Kind::kGroup:
                Emit({Op::kSave, static_cast<std::uint32_t>(2 * node.group)});
                Gen(node.kids[0]);
                Emit({Op::kSave, static_cast<std::uint32_t>(2 * node.group + 1)});
                break;
            case Kind::kConcat:
                for (int kid : node.kids) Gen(kid);
                break;
            case Kind::kAlt: {
                std::vector<int> jumps;
                for (std::size_t i = 0; i < node.kids.size(); ++i) {
                    if (i + 1 < node.kids.size()) {
                        int split = Emit({Op::kSplit});
                        p_.insts[split].x = split + 1;
                        Gen(node.kids[i]);
                        jumps.push_back(Emit({Op::kJmp}));
                        p_.insts[split].y = Here();
                    } else {
                        Gen(node.kids[i]);
                    }
                }
                for (int j : jumps) p_.insts[j].x = Here();
                break;
            }
            case Kind::kRepeat:
                GenRepeat(node);
                break;
        }
    }

    // A{min,max} is unrolled: min copies of A, then either a loop or
    // max - min optional copies. When A can match the empty string, an
    // iteration that consumed nothing ends the repetition once min iterations
    // are done (Perl's rule): the last forced copy and every optional one
    // check for that.
    // False for a node that compiles to no instruction at all.
    bool Emits(int n) const {
        const Node& node = nodes_[n];
        switch (node.kind) {
            case Kind::kEmpty:
                return false;
            case Kind::kConcat:
                return std::any_of(node.kids.begin(), node.kids.end(), [&](int k) { return Emits(k); });
            case Kind::kRepeat:
                return node.max != 0 && Emits(node.kids[0]);
            default:
                return true;
        }
    }

    void GenRepeat(const Node& node) {
        const int body = node.kids[0];
        // Repeating nothing is nothing; generating it copy by copy could take
        // as long as the counts multiply, with no instruction to show for it.
        if (!Emits(body)) return;
        const bool checked = node.max != node.min && Nullable(body);
        const std::uint16_t outer = depth_;
        const std::uint16_t d = checked ? outer + 1 : outer;
        std::vector<int> exits;  // IterEnd instructions and skip splits to patch
        auto checked_copy = [&] {
            depth_ = d;
            Emit({Op::kIterStart, d});
            Gen(body);
            exits.push_back(Emit({Op::kIterEnd, d}));
            depth_ = outer;
        };
        std::vector<int> splits;
        int loop_back = -1;
        if (node.max == kInfinite && node.min > 0) {
            // A{n,}: n - 1 copies, then a loop around the n-th: the test
            // after each iteration is the same from the n-th on.
            for (int i = 1; i < node.min; ++i) Gen(body);
            const int loop = Here();
            if (checked)
                checked_copy();
            else
                Gen(body);
            const int back = Emit({Op::kSplit});
            if (node.greedy)
                p_.insts[back].x = loop;  // y: the exit, patched below
            else
                p_.insts[back].y = loop;
            loop_back = back;
        } else {
            for (int i = 1; i <= node.min; ++i) {
                if (checked && i == node.min)
                    checked_copy();
                else
                    Gen(body);
            }
            if (node.max == kInfinite) {
                int loop = Emit({Op::kSplit});
                splits.push_back(loop);
                if (checked)
                    checked_copy();
                else
                    Gen(body);
                p_.insts[Emit({Op::kJmp})].x = loop;
            } else {
                for (int i = node.min + 1; i <= node.max; ++i) {
                    splits.push_back(Emit({Op::kSplit}));
                    if (checked)
                        checked_copy();
                    else
                        Gen(body);
                }
            }
        }
        int exit = Here();
        if (checked) {
            depth_ = d;
            Emit({Op::kLoopExit, d});
            depth_ = outer;
        }
        for (int e : exits) p_.insts[e].x = exit;
        if (loop_back >= 0) {
            if (node.greedy)
                p_.insts[loop_back].y = exit;
            else
                p_.insts[loop_back].x = exit;
        }
        for (int s : splits) {
            if (node.greedy) {
                p_.insts[s].x = s + 1;
                p_.insts[s].y = exit;
            } else {
                p_.insts[s].x = exit;
                p_.insts[s].y = s + 1;
            }
        }
    }
};

// True when every match must begin at the start of the text.
bool StartsAnchored(const std::vector<Node>& nodes, int n) {
    const Node& node = nodes[n];
    switch (node.kind) {
        case Kind::kAssert:
            return node.assertion == kTextStart;
        case Kind::kGroup:
            return StartsAnchored(nodes, node.kids[0]);
        case Kind::kConcat:
            return !node.kids.empty() && StartsAnchored(nodes, node.kids[0]);
        case Kind::kAlt:
            return std::all_of(node.kids.begin(), node.kids.end(),
                               [&](int k) { return StartsAnchored(nodes, k); });
        case Kind::kRepeat:
            return node.min > 0 && StartsAnchored(nodes, node.kids[0]);
        default:
            return false;
    }
}

// Appends the literal text that node `n` always begins with; true when the
// node is that literal text and nothing more (so what follows may extend it).
bool CollectPrefix(const std::vector<Node>& nodes, int n, std::vector<PrefixByte>& out) {
    if (out.size() >= 32) return false;
    const Node& node = nodes[n];
    switch (node.kind) {
        case Kind::kChar:
            if (node.code > 255) {
                out.push_back({static_cast<unsigned char>(node.code >> 8), false});
                out.push_back({static_cast<unsigned char>(node.code & 0xFF), false});
            } else {
                out.push_back({static_cast<unsigned char>(node.code), node.fold});
            }
            return true;
        case Kind::kEmpty:
            return true;
        case Kind::kAssert:
            return true;  // zero width: the literal still starts the match
        case Kind::kGroup:
            return CollectPrefix(nodes, node.kids[0], out);
        case Kind::kConcat:
            for (int kid : node.kids)
                if (!CollectPrefix(nodes, kid, out)) return false;
            return true;
        default:
            return false;
    }
}

std::uint64_t compiled_patterns = 0;

// The bytes that can begin a match, or false if a match can be empty.
bool FirstBytes(const Program& p, std::array<bool, 256>& first) {
    std::vector<bool> seen(p.insts.size(), false);
    std::vector<int> todo{0};
    while (!todo.empty()) {
        int pc = todo.back();
        todo.pop_back();
        if (seen[pc]) continue;
        seen[pc] = true;
        const Inst& in = p.insts[pc];
        switch (in.op) {
            case Op::kMatch:
                return false;
            case Op::kJmp:
                todo.push_back(in.x);
                break;
            case Op::kSplit:
                todo.push_back(in.x);
                todo.push_back(in.y);
                break;
            case Op::kIterEnd:
                todo.push_back(in.x);
                todo.push_back(pc + 1);
                break;
            case Op::kSave:
            case Op::kAssert:
            case Op::kIterStart:
            case Op::kLoopExit:
                todo.push_back(pc + 1);
                break;
            case Op::kChar:
                first[in.arg > 255 ? in.arg >> 8 : in.arg] = true;
                break;
            case Op::kCharFold:
                first[in.arg] = first[in.arg ^ 0x20] = true;
                break;
            case Op::kClass:
                for (int b = 0; b < 256; ++b) {
                    if (p.lead[b] ? true : p.classes[in.arg].Contains(b)) first[b] = true;
                }
                break;
            case Op::kAny:
            case Op::kAnyLine:
                for (int b = 0; b < 256; ++b) first[b] = first[b] || in.op == Op::kAnyLine || b != '\n';
                break;
        }
    }
    return true;
}

// A character that every match contains: the last one found along the
// sequence that every match goes through. Returns false if there is none.
bool FindRequired(const std::vector<Node>& nodes, int n, const Node*& found) {
    const Node& node = nodes[n];
    switch (node.kind) {
        case Kind::kChar:
            found = &node;
            return true;
        case Kind::kGroup:
            return FindRequired(nodes, node.kids[0], found);
        case Kind::kRepeat:
            return node.min > 0 && FindRequired(nodes, node.kids[0], found);
        case Kind::kConcat: {
            bool any = false;
            for (int kid : node.kids) any |= FindRequired(nodes, kid, found);
            return any;
        }
        default:
            return false;
    }
}

}  // namespace

std::uint64_t CompiledPatternCount() { return compiled_patterns; }

void CompileProgram(std::string_view perl_form, Program& program) {
    for (int b = 0; b < 256; ++b) program.lead[b] = IsLeadByte(static_cast<unsigned char>(b));
    if (perl_form.size() < 2 || perl_form[0] != 'm' || perl_form[1] != '/')
        Fail("a pattern has the form m/regex/flags");
    // The regex ends at the first "/" that is neither escaped nor the second
    // byte of a double-byte character.
    std::size_t i = 2;
    const std::size_t n = perl_form.size();
    auto char_length = [&](std::size_t at) {
        return (program.lead[static_cast<unsigned char>(perl_form[at])] && at + 1 < n) ? 2 : 1;
    };
    while (i < n && perl_form[i] != '/') {
        if (perl_form[i] == '\\' && i + 1 < n)
            i += 1 + char_length(i + 1);
        else
            i += char_length(i);
    }
    if (i >= n) Fail("missing the closing / of m/regex/");
    std::string_view re = perl_form.substr(2, i - 2);
    Flags flags;
    for (std::size_t f = i + 1; f < n; ++f) {
        switch (perl_form[f]) {
            case 'i': flags.i = true; break;
            case 'm': flags.m = true; break;
            case 's': flags.s = true; break;
            case 'x': flags.x = true; break;
            default: {
                auto c = static_cast<unsigned char>(perl_form[f]);
                char text[64];
                if (c > ' ' && c < 0x7F)
                    std::snprintf(text, sizeof text, "unknown flag '%c' (flags are i, m, s, x)", c);
                else
                    std::snprintf(text, sizeof text, "unknown flag byte 0x%02X (flags are i, m, s, x)", c);
                Fail(text);
            }
        }
    }
    Parser parser(re, program.lead, program.classes);
    int root = parser.ParseAll(flags);
    program.groups = parser.groups;
    Compiler(program, parser.nodes).Compile(root);
    program.anchored = StartsAnchored(parser.nodes, root);
    CollectPrefix(parser.nodes, root, program.prefix);
    const Node* required = nullptr;
    if (FindRequired(parser.nodes, root, required)) {
        if (required->code > 255) {
            program.required = {static_cast<char>(required->code >> 8), static_cast<char>(required->code & 0xFF)};
        } else {
            program.required = std::string(1, static_cast<char>(required->code));
            program.required_fold = required->fold;
        }
    }
    program.has_first = FirstBytes(program, program.first);
    ++compiled_patterns;
}

}  // namespace kaveto::regex
