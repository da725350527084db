// tp/select.cpp: which TEST CASEs of the plan run: the --vex-run patterns (':'-separated
// globs with * and ?, the negative ones after a '-'; a class or suite pattern stands for
// all its cases), then every N-th selected case from K for a shard. A malformed pattern,
// or one that matches no case, is an error: a typo never makes a green run.
#include <string>
#include <vector>

#include "rt.h"

namespace vexrt {
namespace {

// Glob match, '*' any run of characters (dots included), '?' one character; linear in
// the text for one star, backtracking only to the last star.
bool glob(const std::string& pattern, const std::string& text) {
    std::size_t p = 0, t = 0, star = std::string::npos, resume = 0;
    while (t < text.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == text[t])) {
            ++p;
            ++t;
        } else if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            resume = t;
        } else if (star != std::string::npos) {
            p = star + 1;
            t = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

struct Pattern {
    std::string glob;
    bool negative = false;
    bool matched = false;
};

bool split_patterns(const std::string& text, std::vector<Pattern>* out, std::string* error) {
    bool negative = false;
    for (std::size_t at = 0; at <= text.size();) {
        std::size_t end = text.find(':', at);
        if (end == std::string::npos)
            end = text.size();
        Pattern p;
        p.glob = text.substr(at, end - at);
        if (!p.glob.empty() && p.glob[0] == '-') {
            negative = true;
            p.glob.erase(0, 1);
        }
        p.negative = negative;
        bool printable = true;
        for (const char c : p.glob)
            printable = printable && static_cast<unsigned char>(c) > ' ' && c != 0x7f;
        if (p.glob.empty() || !printable) {
            *error = "bad --vex-run patterns `" + text +
                     "': each of the ':'-separated patterns is a non-empty glob without blanks";
            return false;
        }
        out->push_back(p);
        at = end + 1;
    }
    return true;
}

// Whether the pattern names the case or one of the classes and suites around it.
bool matches(Pattern& p, const Plan& plan, int node) {
    for (int n = node; n > 0; n = plan.nodes[static_cast<std::size_t>(n)].parent)
        if (glob(p.glob, plan.nodes[static_cast<std::size_t>(n)].path))
            return p.matched = true;
    return false;
}

bool selected(std::vector<Pattern>& patterns, const Plan& plan, int node) {
    bool any_positive = false, in = false, out = false;
    for (Pattern& p : patterns) {
        any_positive = any_positive || !p.negative;
        if (matches(p, plan, node))
            (p.negative ? out : in) = true;
    }
    return (in || !any_positive) && !out;
}

}  // namespace

bool check_patterns(const std::string& text, std::string* error) {
    std::vector<Pattern> patterns;
    return split_patterns(text, &patterns, error);
}

bool select_cases(Plan& plan, const Options& o, std::string* error) {
    std::vector<Pattern> patterns;
    if (o.has_run && !split_patterns(o.run, &patterns, error))
        return false;
    unsigned long chosen = 0;
    for (const int c : plan.cases) {
        Node& node = plan.nodes[static_cast<std::size_t>(c)];
        node.mark = selected(patterns, plan, c) ? 'r' : 's';
        if (node.mark == 'r' && o.sharded && chosen++ % o.shard_total != o.shard_index)
            node.mark = 'h';
        if (node.mark == 'r')
            for (int n = c; n >= 0; n = plan.nodes[static_cast<std::size_t>(n)].parent)
                ++plan.nodes[static_cast<std::size_t>(n)].runs;
    }
    for (const Pattern& p : patterns)
        if (!p.matched) {
            *error = "the --vex-run pattern `" + std::string(p.negative ? "-" : "") + p.glob +
                     "' matches no test case (--vex-list shows them)";
            return false;
        }
    return true;
}

}  // namespace vexrt
