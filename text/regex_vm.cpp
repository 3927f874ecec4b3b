// The Pike VM: every thread of the program advances in step over the target,
// one character at a time, in the order a backtracking matcher would try
// them. Two threads at the same instruction and position have the same
// future, so only the first (the one a backtracker would reach first) is
// kept; that bounds the work per character by the program's size.
//
// Loops whose body can match the empty string carry one more piece of state:
// whether the current iteration began at the current position, since such an
// iteration ends the loop. The flags of nested loops are monotone (an inner
// iteration begins no earlier than the outer one), so one number per thread
// says it all: the depth of the outermost loop whose iteration is still
// empty, or 0. A thread's state is (instruction, that number).
//
// Captures never steer the match, so a step is fixed by the list of thread
// instructions, the character and what the assertions see around the next
// position; a step interpreted once is remembered and replayed after that.
#include <algorithm>
#include <cstring>
#include <string>

#include "text/regex_engine.h"
#include "text/regex_program.h"

namespace kaveto::regex {

void CompileProgram(std::string_view perl_form, Program& program);

namespace {

constexpr std::uint32_t kNoChar = 0xFFFFFFFFu;
constexpr std::uint32_t kEndKey = 0x10000;     // transition key of "no character"
constexpr std::uint32_t kInjectKey = 0x10001;  // key of adding the start thread
constexpr std::size_t kMaxCacheCells = 1u << 20;
constexpr std::size_t kMaxStates = 1u << 14;

bool IsWordCode(std::uint32_t c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

bool IsConsuming(Op op) {
    return op == Op::kChar || op == Op::kCharFold || op == Op::kClass || op == Op::kAny ||
           op == Op::kAnyLine || op == Op::kMatch;
}

// Where a thread stands: a character boundary and the characters around it.
struct Place {
    std::size_t at;
    std::uint32_t before;  // kNoChar at the start
    std::uint32_t after;   // kNoChar at the end
};

class Vm {
public:
    Vm(Program& p, std::string_view target, bool use_prefix)
        : p_(p),
          t_(reinterpret_cast<const unsigned char*>(target.data())),
          n_(target.size()),
          ncap_(2 * p.groups),
          use_literals_(use_prefix),
          use_prefix_(use_prefix && !p.prefix.empty()) {}

    bool Run(std::vector<long>& spans, std::uint64_t& steps);

    // False when the target lacks a character that every match contains.
    bool MayMatch() const {
        const std::string& r = p_.required;
        if (!use_literals_ || r.empty()) return true;
        const std::string_view text(reinterpret_cast<const char*>(t_), n_);
        if (r.size() == 2) return text.find(r) != std::string_view::npos;
        if (std::memchr(t_, static_cast<unsigned char>(r[0]), n_)) return true;
        return p_.required_fold && std::memchr(t_, static_cast<unsigned char>(r[0]) ^ 0x20, n_);
    }

private:
    Program& p_;
    const unsigned char* t_;
    const std::size_t n_;
    const int ncap_;
    const bool use_literals_;
    const bool use_prefix_;
    std::uint64_t steps_ = 0;

    // The character at `at` (a boundary): its code and length in bytes.
    std::uint32_t Decode(std::size_t at, std::size_t& len) const {
        if (at >= n_) {
            len = 0;
            return kNoChar;
        }
        unsigned b = t_[at];
        if (p_.lead[b] && at + 1 < n_) {
            len = 2;
            return (b << 8) | t_[at + 1];
        }
        len = 1;
        return b;
    }

    // Lead bytes directly before `at`, not looking below `floor`. Everything
    // after a byte that is not a lead byte starts a character, so the parity
    // of this run tells whether `at` is a character boundary.
    std::size_t LeadRun(std::size_t at, std::size_t floor) const {
        std::size_t run = 0;
        while (at > floor && p_.lead[t_[at - 1]]) {
            --at;
            ++run;
        }
        return run;
    }

    // The character that ends at boundary `at`; `floor` is a known boundary.
    std::uint32_t CharBefore(std::size_t at, std::size_t floor) const {
        if (at == 0) return kNoChar;
        if (at >= 2 && at - 2 >= floor && p_.lead[t_[at - 2]] && LeadRun(at - 1, floor) % 2 == 1)
            return (static_cast<std::uint32_t>(t_[at - 2]) << 8) | t_[at - 1];
        return t_[at - 1];
    }

    bool PrefixAt(std::size_t q) const {
        if (q + p_.prefix.size() > n_) return false;
        for (std::size_t k = 0; k < p_.prefix.size(); ++k) {
            const PrefixByte& pb = p_.prefix[k];
            unsigned char b = t_[q + k];
            if (b != pb.byte && !(pb.fold && (b | 0x20) == pb.byte)) return false;
        }
        return true;
    }

    // The first character boundary at or after `from` (a boundary) where the
    // literal prefix occurs, or n_ + 1 if there is none.
    std::size_t FindPrefix(std::size_t from) const {
        const PrefixByte first = p_.prefix.front();
        const unsigned char other = first.fold ? static_cast<unsigned char>(first.byte ^ 0x20) : first.byte;
        std::size_t floor = from;  // a known boundary, moved forward as we go
        std::size_t i = from;
        const std::size_t last = n_ >= p_.prefix.size() ? n_ - p_.prefix.size() : 0;
        if (n_ < p_.prefix.size()) return n_ + 1;
        while (i <= last) {
            std::size_t q;
            if (!first.fold) {
                const void* hit = std::memchr(t_ + i, first.byte, last + 1 - i);
                if (!hit) return n_ + 1;
                q = static_cast<const unsigned char*>(hit) - t_;
            } else {
                q = i;
                while (q <= last && t_[q] != first.byte && t_[q] != other) ++q;
                if (q > last) return n_ + 1;
            }
            const bool boundary = LeadRun(q, floor) % 2 == 0;
            if (boundary && PrefixAt(q)) return q;
            floor = boundary ? q : q + 1;
            i = q + 1;
        }
        return n_ + 1;
    }

    bool Holds(std::uint32_t assertion, const Place& place) const {
        switch (assertion) {
            case kTextStart: return place.at == 0;
            case kTextEnd: return place.at == n_;
            case kTextEndOrLf: return place.at == n_ || (place.after == '\n' && place.at + 1 == n_);
            case kLineStart: return place.at == 0 || (place.before == '\n' && place.at < n_);
            case kLineEnd: return place.at == n_ || place.after == '\n';
            case kWordBoundary: return IsWordCode(place.before) != IsWordCode(place.after);
            case kNotWordBoundary: return IsWordCode(place.before) == IsWordCode(place.after);
        }
        return false;
    }

    // What the assertions can tell about a place, as bits.
    std::uint32_t Context(const Place& place) const {
        return (place.at == 0) | (place.at == n_) << 1 | (place.at + 1 == n_) << 2 |
               (place.before == '\n') << 3 | (place.after == '\n') << 4 | IsWordCode(place.before) << 5 |
               IsWordCode(place.after) << 6;
    }

    static std::uint64_t Key(std::int32_t state, std::uint32_t what, std::uint32_t context) {
        return static_cast<std::uint64_t>(state) << 32 | what << 8 | context;
    }

    std::int32_t Intern(const Program::Threads& list) {
        std::string key;
        if (list.count > 0)
            key.assign(reinterpret_cast<const char*>(list.pc.data()), list.count * sizeof(std::int32_t));
        auto found = p_.state_ids.find(key);
        if (found != p_.state_ids.end()) return found->second;
        if (p_.state_ids.size() >= kMaxStates) return -1;
        const auto id = static_cast<std::int32_t>(p_.match_index.size());
        std::int32_t match = -1;
        for (std::size_t i = 0; i < list.count; ++i) {
            if (p_.insts[list.pc[i]].op == Op::kMatch) {
                match = static_cast<std::int32_t>(i);
                break;
            }
        }
        p_.match_index.push_back(match);
        p_.state_ids.emplace(std::move(key), id);
        p_.cache_cells += list.count + 1;
        return id;
    }

    // Remembers the step just interpreted: `list` from index `from` on was
    // made from `parents` (indexes into `old`, or -1 for `initial`).
    std::int32_t Record(std::uint64_t key, const Program::Threads& list, std::size_t from,
                        const std::vector<std::int32_t>* parents, const Program::Threads* old,
                        const std::int64_t* initial) {
        const std::int32_t next = Intern(list);
        if (next < 0 || p_.cache_cells > kMaxCacheCells) return -1;
        Program::Transition t;
        t.next = next;
        for (std::size_t j = from; j < list.count; ++j) {
            const std::int32_t parent = parents ? (*parents)[j] : -1;
            const std::int64_t* source = parent < 0 ? initial : old->caps.data() + parent * ncap_;
            const std::int64_t* caps = list.caps.data() + j * ncap_;
            Program::Leaf leaf{list.pc[j], parent, static_cast<std::uint32_t>(t.ops.size()), 0};
            for (int k = 0; k < ncap_; ++k)
                if (caps[k] != source[k]) t.ops.push_back(k);
            leaf.ops_end = static_cast<std::uint32_t>(t.ops.size());
            t.leaves.push_back(leaf);
        }
        p_.cache_cells += t.leaves.size() + t.ops.size() + 1;
        p_.transitions.emplace(key, std::move(t));
        return next;
    }

    struct LastTransition {
        std::uint64_t key = ~0ull;
        const Program::Transition* t = nullptr;
    };

    const Program::Transition* Find(std::uint64_t key, LastTransition& last) const {
        if (key == last.key) return last.t;
        auto found = p_.transitions.find(key);
        if (found == p_.transitions.end()) return nullptr;
        last = {key, &found->second};
        return last.t;
    }

    // Appends the threads of a remembered transition to `list`.
    void Apply(const Program::Transition& t, Program::Threads& list, const Program::Threads* old,
               const std::int64_t* initial, std::size_t at) {
        for (const Program::Leaf& leaf : t.leaves) {
            const std::int64_t* source = leaf.parent < 0 ? initial : old->caps.data() + leaf.parent * ncap_;
            std::int64_t* caps = list.caps.data() + list.count * ncap_;
            std::copy(source, source + ncap_, caps);
            for (std::uint32_t k = leaf.ops_begin; k < leaf.ops_end; ++k) caps[t.ops[k]] = static_cast<std::int64_t>(at);
            list.pc[list.count++] = leaf.pc;
            // Marked as if interpreted, so that a start thread added to this
            // list later does not add the same thread twice.
            list.mark[p_.insts[leaf.pc].slot] = list.generation;
        }
        steps_ += t.leaves.size();
    }

    void Clear(Program::Threads& list) {
        list.count = 0;
        if (++list.generation == 0) {
            std::fill(list.mark.begin(), list.mark.end(), 0);
            list.generation = 1;
        }
    }

    // Adds the thread at `pc0` and every thread it reaches without consuming
    // a character, in priority order, to `list`. Each state is visited once
    // per list, and each visit pushes at most one job, so the stack never
    // holds more than one job per slot.
    void AddThread(Program::Threads& list, std::int32_t pc0, const std::int64_t* caps, const Place& place) {
        std::int64_t* const work = p_.work.data();
        std::copy(caps, caps + ncap_, work);
        Program::Job* const stack = p_.stack.data();
        const Inst* const insts = p_.insts.data();
        std::uint32_t* const mark = list.mark.data();
        const std::uint32_t generation = list.generation;
        std::size_t sp = 0;
        stack[sp++] = {pc0, 0, 0};
        while (sp > 0) {
            const Program::Job job = stack[--sp];
            if (job.pc < 0) {
                work[job.e] = job.value;
                continue;
            }
            std::int32_t pc = job.pc;
            std::int32_t e = job.e;
            for (;;) {
                const Inst& in = insts[pc];
                if (IsConsuming(in.op)) e = 0;  // its future does not depend on e
                std::uint32_t& m = mark[in.slot + e];
                if (m == generation) break;
                m = generation;
                ++steps_;
                switch (in.op) {
                    case Op::kJmp:
                        pc = in.x;
                        continue;
                    case Op::kSplit:
                        stack[sp++] = {in.y, e, 0};
                        pc = in.x;
                        continue;
                    case Op::kSave:
                        stack[sp++] = {-1, static_cast<std::int32_t>(in.arg), work[in.arg]};
                        work[in.arg] = static_cast<std::int64_t>(place.at);
                        ++pc;
                        continue;
                    case Op::kAssert:
                        if (!Holds(in.arg, place)) break;
                        ++pc;
                        continue;
                    case Op::kIterStart:
                        if (e == 0 || e > static_cast<std::int32_t>(in.arg)) e = in.arg;
                        ++pc;
                        continue;
                    case Op::kIterEnd:
                        if (e != 0 && e <= static_cast<std::int32_t>(in.arg))
                            pc = in.x;  // an empty iteration ends the loop
                        else
                            ++pc;
                        continue;
                    case Op::kLoopExit:
                        if (e >= static_cast<std::int32_t>(in.arg)) e = 0;
                        ++pc;
                        continue;
                    default:
                        list.pc[list.count] = pc;
                        std::copy(work, work + ncap_, list.caps.data() + list.count * ncap_);
                        ++list.count;
                        break;
                }
                break;
            }
        }
    }
};

bool Vm::Run(std::vector<long>& spans, std::uint64_t& steps) {
    Program::Threads* clist = &p_.run[0];
    Program::Threads* nlist = &p_.run[1];
    for (auto* list : {clist, nlist}) {
        if (list->mark.size() != p_.slots) {
            list->mark.assign(p_.slots, 0);
            list->pc.resize(p_.slots);
            list->caps.resize(static_cast<std::size_t>(p_.slots) * ncap_);
            list->generation = 0;
        }
    }
    p_.stack.resize(p_.slots + 1);
    p_.work.resize(ncap_);
    steps = 0;
    if (!MayMatch()) return false;
    Clear(*clist);
    std::vector<std::int64_t> initial(ncap_, -1);
    std::vector<std::int64_t> best;
    bool matched = false;
    const bool use_cache = p_.use_cache;
    std::vector<std::int32_t> parents;  // per new thread: the thread it came from
    std::int32_t state = -1;            // the remembered state of clist, or -1
    // On repetitive text the same transitions follow one another: the last
    // one of each kind is checked before the table.
    LastTransition last_inject, last_step;
    std::int32_t empty_state = -1;
    if (use_cache) {
        Program::Threads none;
        empty_state = Intern(none);
    }

    std::size_t pos = 0;
    std::uint32_t before = kNoChar;
    for (;;) {
        if (clist->count == 0) {
            if (matched || (p_.anchored && pos > 0)) break;
            if (use_prefix_) {
                std::size_t q = FindPrefix(pos);
                if (q > n_) break;
                if (q != pos) {
                    before = CharBefore(q, pos);
                    pos = q;
                }
            } else if (use_literals_ && p_.has_first) {
                // Characters no match can begin with go by without the VM.
                while (pos < n_ && !p_.first[t_[pos]]) {
                    const unsigned b = t_[pos];
                    if (p_.lead[b] && pos + 1 < n_) {
                        before = (b << 8) | t_[pos + 1];
                        pos += 2;
                    } else {
                        before = b;
                        ++pos;
                    }
                }
                if (pos >= n_) break;
            }
        }
        std::size_t len;
        const std::uint32_t code = Decode(pos, len);
        if (clist->count == 0) state = use_cache ? empty_state : -1;
        if (!matched && (!p_.anchored || pos == 0) && (!p_.has_first || (pos < n_ && p_.first[t_[pos]])) &&
            (!use_prefix_ || (pos < n_ && (t_[pos] | (p_.prefix[0].fold ? 0x20 : 0)) == p_.prefix[0].byte))) {
            const Place here{pos, before, code};
            if (state >= 0) {
                const std::uint64_t key = Key(state, kInjectKey, Context(here));
                const Program::Transition* known = Find(key, last_inject);
                if (known) {
                    Apply(*known, *clist, nullptr, initial.data(), pos);
                    state = known->next;
                } else {
                    const std::size_t from = clist->count;
                    AddThread(*clist, 0, initial.data(), here);
                    state = Record(key, *clist, from, nullptr, nullptr, initial.data());
                }
            } else {
                AddThread(*clist, 0, initial.data(), here);
            }
        }

        Clear(*nlist);
        std::size_t after_len;
        const Place next{pos + len, code, len ? Decode(pos + len, after_len) : kNoChar};
        const std::size_t threads = clist->count;
        const Program::Transition* known = nullptr;
        std::uint64_t key = 0;
        if (state >= 0 && threads > 0) {
            key = Key(state, len ? code : kEndKey, Context(next));
            known = Find(key, last_step);
        }
        if (threads == 0) {
            // Nothing to step; the next list stays empty.
        } else if (known) {
            const std::int32_t m = p_.match_index[state];
            if (m >= 0) {
                matched = true;
                best.assign(clist->caps.begin() + m * ncap_, clist->caps.begin() + (m + 1) * ncap_);
            }
            steps_ += m >= 0 ? m + 1 : threads;
            Apply(*known, *nlist, clist, nullptr, next.at);
            state = known->next;
        } else {
            parents.clear();
            for (std::size_t i = 0; i < threads; ++i) {
                const Inst& in = p_.insts[clist->pc[i]];
                ++steps_;
                bool ok = false;
                switch (in.op) {
                    case Op::kMatch:
                        matched = true;
                        best.assign(clist->caps.begin() + i * ncap_, clist->caps.begin() + (i + 1) * ncap_);
                        i = threads;  // threads after this one come later in Perl's order: drop them
                        continue;
                    case Op::kChar: ok = code == in.arg; break;
                    case Op::kCharFold: ok = len && (code | 0x20) == in.arg; break;
                    case Op::kClass: ok = len && p_.classes[in.arg].Contains(code); break;
                    case Op::kAny: ok = len && code != '\n'; break;
                    case Op::kAnyLine: ok = len != 0; break;
                    default: break;
                }
                if (ok) {
                    AddThread(*nlist, in.y, clist->caps.data() + i * ncap_, next);
                    if (state >= 0) parents.resize(nlist->count, static_cast<std::int32_t>(i));
                }
            }
            if (state >= 0) state = Record(key, *nlist, 0, &parents, clist, nullptr);
        }
        if (pos >= n_) break;
        std::swap(clist, nlist);
        pos += len;
        before = code;
    }
    steps = steps_;
    if (!matched) return false;
    spans.assign(best.begin(), best.end());
    for (int g = 0; g < p_.groups; ++g) {
        if (spans[2 * g] < 0 || spans[2 * g + 1] < 0) spans[2 * g] = spans[2 * g + 1] = -1;
    }
    return true;
}

}  // namespace

Regex::Regex(std::string_view perl_form) : program_(std::make_unique<Program>()) {
    CompileProgram(perl_form, *program_);
}

Regex::~Regex() = default;

int Regex::GroupCount() const { return program_->groups; }

std::size_t Regex::ProgramSize() const { return program_->insts.size(); }

void Regex::DisablePrefixScan() { prefix_disabled_ = true; }

void Regex::DisableTransitionCache() { program_->use_cache = false; }

std::uint64_t Regex::StepBound(std::size_t length) const {
    return (static_cast<std::uint64_t>(length) + 1) * 2 * program_->slots;
}

bool Regex::Match(std::string_view target, std::vector<long>& spans, MatchStats* stats) const {
    std::uint64_t steps = 0;
    Vm vm(*program_, target, !prefix_disabled_);
    bool matched = vm.Run(spans, steps);
    if (stats) stats->steps = steps;
    return matched;
}

}  // namespace kaveto::regex
