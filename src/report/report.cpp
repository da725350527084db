// report/report.cpp: the dynamic file is read line by line and turned into the report as
// it goes: classes and suites are printed when entered, a TEST CASE when it ends (with
// its failures, reactions and printed values), contracts and state paths at the end.
#include "report/report.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fstream>
#include <new>
#include <map>
#include <sstream>
#include <string_view>
#include <unordered_map>

#include "formats/trace.h"
#include "report/listings.h"

namespace {

constexpr unsigned long MESSAGE_OFFSET = 1000000;

std::vector<std::string_view> fields_of(std::string_view line, std::size_t at_most) {
    std::vector<std::string_view> out;
    while (!line.empty() && out.size() + 1 < at_most) {
        const std::size_t blank = line.find(' ');
        out.push_back(line.substr(0, blank));
        if (blank == std::string_view::npos)
            return out;
        line.remove_prefix(blank + 1);
    }
    if (!line.empty())
        out.push_back(line);
    return out;
}

bool hex(std::string_view s, unsigned long* v) {
    if (s.empty() || s.size() > 16)
        return false;
    unsigned long r = 0;
    for (char c : s) {
        const int d = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
        if (d < 0)
            return false;
        r = r * 16 + static_cast<unsigned long>(d);
    }
    *v = r;
    return true;
}

std::string trimmed(const std::string& s) {
    const std::size_t first = s.find_first_not_of(" \t\r\n");
    return first == std::string::npos ? std::string() : s.substr(first, s.find_last_not_of(" \t\r\n") - first + 1);
}

std::string strip_parentheses(const std::string& text) {
    if (text.size() >= 2 && text.front() == '(' && text.back() == ')')
        return text.substr(1, text.size() - 2);
    return text;
}

std::string xml(std::string_view s) {
    std::string out;
    for (char c : s) {
        switch (c) {
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '&': out += "&amp;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&apos;"; break;
        default:
            // Control bytes are not allowed in XML 1.0 at all.
            if (static_cast<unsigned char>(c) < 0x20 && c != '\n' && c != '\t' && c != '\r')
                out += '?';
            else
                out += c;
        }
    }
    return out;
}

struct CaseResult {
    std::string name, classname, location;
    std::vector<std::string> failures;
    std::string output;  // printed values and comments
};

struct Frame {
    std::string kind;  // "TEST CLASS" ...
    std::string name;
    unsigned long id = 0;
    int file = 0;
    CaseResult* result = nullptr;  // TEST CASE frames
    std::vector<std::string> details;
};

struct Counts {
    long cases = 0, cases_failed = 0, checks = 0, checks_failed = 0, unexpected = 0;
    long contracts = 0, contracts_failed = 0;
};

struct ContractTally {
    std::string text;  // "account.otc:6: invariant `balance >= 0'"
    long passed = 0, failed = 0, not_judged = 0;
};

// The dynamic file's lines, read in large blocks. A line longer than any event can be
// is refused instead of being held whole: a garbled file may have no line break at all.
class LineReader {
public:
    LineReader(std::istream& in, std::size_t max_line) : in_(in), max_line_(max_line) {}

    // 1: a line in *line; 0: the end, *cut telling whether a last line without its
    // break is in *line; -1: a line too long.
    int next(std::string* line, bool* cut) {
        *cut = false;
        for (;;) {
            const char* start = buffer_.data() + pos_;
            const std::size_t pending = buffer_.size() - pos_;
            if (const void* end = std::memchr(start + scanned_, '\n', pending - scanned_)) {
                const auto length = static_cast<std::size_t>(static_cast<const char*>(end) - start);
                line->assign(start, length);
                pos_ += length + 1;
                scanned_ = 0;
                return 1;
            }
            scanned_ = pending;
            if (pending > max_line_)
                return -1;
            if (at_end_) {
                *cut = pending > 0;
                line->assign(start, pending);
                pos_ = buffer_.size();
                scanned_ = 0;
                return 0;
            }
            buffer_.erase(0, pos_);
            pos_ = 0;
            const std::size_t old = buffer_.size();
            buffer_.resize(old + BLOCK_BYTES);
            in_.read(&buffer_[old], static_cast<std::streamsize>(BLOCK_BYTES));
            buffer_.resize(old + static_cast<std::size_t>(in_.gcount()));
            at_end_ = !in_;
        }
    }

private:
    static constexpr std::size_t BLOCK_BYTES = std::size_t{1} << 20;
    std::istream& in_;
    std::size_t max_line_;
    std::string buffer_;
    std::size_t pos_ = 0;      // start of the next line in buffer_
    std::size_t scanned_ = 0;  // bytes after pos_ known to hold no line break
    bool at_end_ = false;
};

class Reporter {
public:
    Reporter(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}

    int run(const ReportOptions& o) {
        std::ifstream in(o.trace, std::ios::binary);
        if (!in) {
            err_ << "vexreport: cannot read the dynamic file `" << o.trace << "'\n";
            return 2;
        }
        std::vector<std::string> warnings;
        listings_ = read_listings(o.dirs.empty() ? std::vector<std::string>{"."} : o.dirs, &warnings);
        for (const std::string& w : warnings)
            err_ << "vexreport: " << w << "\n";
        LineReader lines(in, o.max_line_bytes);
        std::string line;
        bool cut = false;
        const int head = lines.next(&line, &cut);
        if (head < 0 || (head == 0 && !cut) || line != "VEXTRACE 1") {
            err_ << "vexreport: `" << o.trace << "' is not a dynamic file of version 1\n";
            return 2;
        }
        line_no_ = 1;
        for (int got; (got = lines.next(&line, &cut)) != 0 || cut;) {
            ++line_no_;
            if (got < 0) {
                err_ << "vexreport: " << o.trace << ":" << line_no_
                     << ": a line longer than any event (the file is garbled)\n";
                return 2;
            }
            if (got == 0) {  // a last line cut short by a crash
                truncated_ = true;
                break;
            }
            if (!event(line)) {
                err_ << "vexreport: " << o.trace << ":" << line_no_ << ": " << problem_ << "\n";
                return 2;
            }
        }
        finish();
        if (!o.junit.empty() && !write_junit(o.junit))
            return 2;
        const bool failed = counts_.cases_failed || counts_.checks_failed || counts_.unexpected ||
                            counts_.contracts_failed || !ended_ || outside_failures_;
        return failed ? 1 : 0;
    }

private:
    bool bad(const std::string& what) {
        problem_ = what;
        return false;
    }

    // The listing of a registered file index; sets problem_ when there is none.
    const Listing* listing(unsigned long index) {
        auto it = file_listings_.find(index);
        if (it != file_listings_.end())
            return it->second;
        problem_ = "file index " + std::to_string(index) + " was never registered";
        return nullptr;
    }

    bool register_file(unsigned long index, unsigned long a, unsigned long b) {
        auto it = listings_.find({static_cast<unsigned>(a), static_cast<unsigned>(b)});
        if (it != listings_.end()) {
            file_listings_[index] = &it->second;
            return true;
        }
        // The listing of that script number with another pair is a stale one.
        char number[16];
        std::snprintf(number, sizeof number, "%02lu.ots", index + 1);
        for (const auto& [pair, l] : listings_)
            if (l.path.size() >= std::strlen(number) &&
                l.path.compare(l.path.size() - std::strlen(number), std::string::npos, number) == 0)
                return bad("the listing `" + l.path + "' of `" + l.script +
                           "' does not belong to this run (its checksum pair differs): run "
                           "vexprepro and the driver again");
        char pair[64];
        std::snprintf(pair, sizeof pair, "0x%lx 0x%lx", a, b);
        return bad("no listing of script file " + std::to_string(index + 1) +
                   " (checksum pair " + pair + ") in the listing directories");
    }

    // "suite.otd:7" and the record of a component.
    const ListingRecord* record(unsigned long id, unsigned long file, std::string* where) {
        const Listing* l = listing(file);
        if (!l)
            return nullptr;
        const ListingRecord* r = l->find(id);
        if (!r) {
            problem_ = "id " + std::to_string(id) + " is not in the listing of `" + l->script + "'";
            return nullptr;
        }
        *where = l->script + ":" + std::to_string(r->line);
        return r;
    }

    std::string indent() const { return std::string(2 * stack_.size(), ' '); }

    Frame* current_case() {
        for (auto it = stack_.rbegin(); it != stack_.rend(); ++it)
            if (it->result)
                return &*it;
        return nullptr;
    }

    // A failure belongs to the TEST CASE running; outside any it stands on its own line.
    void fail(const std::string& text) {
        if (Frame* c = current_case()) {
            c->result->failures.push_back(text);
            c->details.push_back(text);
        } else {
            out_ << indent() << text << "\n";
            outside_failures_ = true;
        }
    }

    void detail(const std::string& text) {
        if (Frame* c = current_case())
            c->details.push_back(text);
        else
            out_ << indent() << text << "\n";
    }

    bool enter(const std::string& kind, const std::vector<std::string_view>& f) {
        unsigned long id = 0, file = 0;
        unsigned long caller = 0, caller_file = 0;
        if (f.size() < 5 || !hex(f[1], &id) || !hex(f[2], &file) || !hex(f[3], &caller) ||
            !hex(f[4], &caller_file))
            return bad("an id and a file index expected, for the component and its caller");
        std::string where;
        const ListingRecord* r = record(id, file, &where);
        if (!r)
            return false;
        Frame frame{kind, r->text, id, static_cast<int>(file), nullptr, {}};
        if (kind == "TEST CASE") {
            std::string classname;
            for (const Frame& s : stack_)
                if (s.kind == "TEST CLASS" || s.kind == "TEST SUITE")
                    classname += (classname.empty() ? "" : ".") + s.name;
            cases_.push_back(CaseResult{r->text, classname, where, {}, {}});
            frame.result = &cases_.back();
            ++counts_.cases;
        } else if (kind == "TEST CLASS" || kind == "TEST SUITE") {
            out_ << indent() << kind << " " << r->text << " (" << where << ")\n";
        }
        frame.details.clear();
        stack_.push_back(std::move(frame));
        return true;
    }

    void print_case(const Frame& c, const char* verdict) {
        out_ << indent() << "TEST CASE " << c.name << " (" << c.result->location << "): " << verdict
             << "\n";
        for (const std::string& d : c.details)
            out_ << indent() << "  " << d << "\n";
    }

    bool leave(const std::string& kind) {
        if (stack_.empty() || stack_.back().kind != kind)
            return bad("the end of a " + kind + " that was not entered");
        Frame f = std::move(stack_.back());
        stack_.pop_back();
        if (f.result) {
            const bool failed = !f.result->failures.empty();
            counts_.cases_failed += failed ? 1 : 0;
            print_case(f, failed ? "FAILED" : "PASSED");
        }
        return true;
    }

    bool check(std::string_view tag, const std::vector<std::string_view>& f) {
        unsigned long verdict = 0, id = 0, file = 0;
        if (f.size() < 4 || !hex(f[1], &verdict) || !hex(f[2], &id) || !hex(f[3], &file))
            return bad("a verdict, an id and a file index expected");
        std::string where;
        const ListingRecord* r = record(id, file, &where);
        if (!r)
            return false;
        ++counts_.checks;
        last_check_ = where;
        if (verdict)
            return true;
        ++counts_.checks_failed;
        std::string what;
        if (tag == "CK")
            what = "CHECK " + r->text + " failed";
        else if (tag == "CP")
            what = "CHECK PROPERTY " + r->text + " failed";
        else if (tag == "CR")
            what = (r->tag == "EN" ? "ENSURE " : "REQUIRE ") + r->text + " failed";
        else if (tag == "CX")
            what = "CHECK EXCEPTION " + r->text + ": not thrown";
        else if (tag == "CS")
            what = "CHECK STUB `" + r->text + "': the stub was not called";
        else
            what = "CHECK METHOD `" + r->text + "': the method was not executed";
        fail(where + ": " + what);
        return true;
    }

    std::string name_of(unsigned long id) {
        for (const auto& [pair, l] : listings_)
            if (const ListingRecord* r = l.find(id))
                return r->text;
        return "?";
    }

    bool on_error(const std::vector<std::string_view>& f) {
        unsigned long id = 0, file = 0;
        if (f.size() < 3 || !hex(f[1], &id) || !hex(f[2], &file))
            return bad("an id and a file index expected");
        const Listing* l = listing(file);
        if (!l)
            return false;
        if (id == 0) {
            reaction_ = "ON ERROR (default)";
        } else {
            auto it = l->lines.find(id + MESSAGE_OFFSET);
            reaction_ = "ON ERROR at " + l->script + ":" +
                        (it == l->lines.end() ? std::string("?") : std::to_string(it->second));
        }
        reaction_open_ = true;
        reaction_owner_ = executing_id();
        return true;
    }

    unsigned long executing_id() const {
        for (auto it = stack_.rbegin(); it != stack_.rend(); ++it)
            if (it->kind == "TEST CASE" || it->kind == "PROC")
                return it->id;
        return stack_.empty() ? 0 : stack_.back().id;
    }

    bool error_end(const std::vector<std::string_view>& f) {
        unsigned long id = 0;
        if (f.size() < 2 || !hex(f[1], &id))
            return bad("an id expected");
        if (!reaction_open_)
            return true;
        reaction_open_ = false;
        if (id == reaction_owner_ && current_case())
            detail(reaction_ + ": continued");
        else if (id == 0)
            out_ << indent() << reaction_ << ": EXIT, nothing after it ran\n";
        else
            out_ << indent() << reaction_ << ": the rest was bypassed, the run goes on in "
                 << name_of(id) << "\n";
        return true;
    }

    // The record named by an event's id and file index (fields 1 and 2); nullptr after
    // the reason is stored.
    const ListingRecord* event_record(const std::vector<std::string_view>& f, std::string* where) {
        unsigned long id = 0, file = 0;
        if (f.size() < 3 || !hex(f[1], &id) || !hex(f[2], &file)) {
            bad("an id and a file index expected");
            return nullptr;
        }
        return record(id, file, where);
    }

    bool unexpected(const std::vector<std::string_view>& f) {
        std::string where;
        const ListingRecord* r = event_record(f, &where);
        if (!r)
            return false;
        ++counts_.unexpected;
        fail(where + ": unexpected exception in " + r->text);
        return true;
    }

    bool print(std::string_view tag, std::string_view rest, const std::vector<std::string_view>& f) {
        if (tag == "PS") {
            return event_record(f, &print_where_) != nullptr;
        }
        if (tag == "PE")
            return true;
        const std::size_t tab = rest.find('\t');
        if (tab == std::string_view::npos)
            return bad("a printed text and value expected");
        const std::string text = print_where_ + ": PRINT " +
                                 trimmed(trace::unescape(rest.substr(0, tab))) + " = " +
                                 trace::unescape(rest.substr(tab + 1));
        detail(text);
        if (Frame* c = current_case())
            c->result->output += text + "\n";
        return true;
    }

    bool comment(const std::vector<std::string_view>& f) {
        std::string where;
        const ListingRecord* r = event_record(f, &where);
        if (!r)
            return false;
        const std::string text = where + ": COMMENT " + trimmed(r->text);
        detail(text);
        if (Frame* c = current_case())
            c->result->output += text + "\n";
        return true;
    }

    // "AI <verdict> <id> <file> <object> <method>"
    bool contract(std::string_view tag, const std::vector<std::string_view>& f) {
        unsigned long id = 0, file = 0;
        if (f.size() < 5 || !hex(f[2], &id) || !hex(f[3], &file))
            return bad("a verdict, an id, a file index and an object expected");
        std::string where;
        const ListingRecord* r = record(id, file, &where);
        if (!r)
            return false;
        const std::string method = f.size() > 5 ? trace::unescape(f[5]) : std::string();
        const char* kind = tag == "AI" ? "invariant" : tag == "AR" ? "precondition" : "postcondition";
        const std::string text = where + ": " + kind + " `" + strip_parentheses(r->text) + "'";
        ContractTally& t = contracts_[{file, id}];
        t.text = text;
        ++counts_.contracts;
        if (f[1] == "1") {
            ++t.passed;
        } else if (f[1] == "n") {
            ++t.not_judged;
            detail(text + " not judged: " + method + " left by an exception");
        } else {
            ++t.failed;
            ++counts_.contracts_failed;
            fail(text + " violated in " + method);
        }
        return true;
    }

    // "SS <object> <state id> <file>": the state path of every object.
    bool state(std::string_view tag, const std::vector<std::string_view>& f) {
        unsigned long object = 0, id = 0, file = 0;
        if (f.size() < 4 || !hex(f[1], &object) || !hex(f[2], &id) || !hex(f[3], &file))
            return bad("an object, an id and a file index expected");
        const Listing* l = listing(file);
        if (!l)
            return false;
        const ListingRecord* r = l->find(id);
        const std::string name = r ? r->text : "(no state yet)";
        // Objects live in one TEST CASE mostly, and a later one may reuse the address.
        auto [it, first] = objects_.try_emplace(std::make_pair(object, cases_.size()));
        if (first)
            it->second.number = static_cast<long>(objects_.size());
        ObjectPath& o = it->second;
        if (tag == "SS") {
            o.path += (o.path.empty() ? "" : " -> ") + name;
            return true;
        }
        if (tag == "ST")
            return true;
        const std::string where = l->script + ":" + (r ? std::to_string(r->line) : std::string("?"));
        ++counts_.contracts_failed;
        o.path += (o.path.empty() ? "" : " -> ") + std::string(tag == "SI" ? "(illegal)" : "(ambiguous)");
        fail(where + ": " + (tag == "SI" ? "illegal transition" : "multiple transitions") +
             " from " + name + " of object " + std::to_string(o.number));
        return true;
    }

    bool event(const std::string& line) {
        const std::vector<std::string_view> f = fields_of(line, 6);
        if (f.empty())
            return true;
        const std::string_view tag = f[0];
        unsigned long a = 0, b = 0, c = 0;
        if (tag == "INIT")
            return true;
        if (tag == "FILE")
            return f.size() >= 4 && hex(f[1], &a) && hex(f[2], &b) && hex(f[3], &c)
                       ? register_file(a, b, c)
                       : bad("a file index and a checksum pair expected");
        if (tag == "EC" || tag == "ES" || tag == "ET" || tag == "EP" || tag == "EB") {
            const char* kind = tag == "EC"   ? "TEST CLASS"
                               : tag == "ES" ? "TEST SUITE"
                               : tag == "ET" ? "TEST CASE"
                               : tag == "EP" ? "PROC"
                                             : "STUB";
            return enter(kind, f);
        }
        if (tag == "XC" || tag == "XS" || tag == "XT" || tag == "XP" || tag == "XB")
            return leave(tag == "XC"   ? "TEST CLASS"
                         : tag == "XS" ? "TEST SUITE"
                         : tag == "XT" ? "TEST CASE"
                         : tag == "XP" ? "PROC"
                                       : "STUB");
        if (tag.size() == 2 && tag[0] == 'C' && std::string_view("KPRXSM").find(tag[1]) != std::string_view::npos)
            return check(tag, f);
        if (tag == "CO")
            return comment(f);
        if (tag == "OE")
            return on_error(f);
        if (tag == "OX")
            return error_end(f);
        if (tag == "UX")
            return unexpected(f);
        if (tag == "PS" || tag == "PV" || tag == "PE")
            return print(tag, line.size() > 3 ? std::string_view(line).substr(3) : std::string_view(), f);
        if (tag == "AI" || tag == "AR" || tag == "AE")
            return contract(tag, f);
        if (tag == "SS" || tag == "ST" || tag == "SI" || tag == "SM")
            return state(tag, f);
        if (tag == "CRASH") {
            stop_ = "the driver crashed (signal " + (f.size() > 1 ? std::string(f[1]) : "?") + ")";
            return true;
        }
        if (tag == "EXITCALL") {
            stop_ = "exit() was called";
            return true;
        }
        if (tag == "END") {
            ended_ = true;
            return true;
        }
        return bad("unknown record `" + std::string(tag) + "'");
    }

    // A run that stopped inside a TEST CASE: it failed there, after the last check seen.
    void finish() {
        if (!ended_) {
            const std::string why = !stop_.empty() ? stop_
                                    : truncated_   ? "the dynamic file ends in the middle of a line"
                                                   : "the dynamic file ends before the run did";
            while (!stack_.empty()) {
                Frame f = std::move(stack_.back());
                stack_.pop_back();
                if (!f.result)
                    continue;
                const std::string text =
                    "the run stopped here: " + why +
                    (last_check_.empty() ? "" : "; the last check reached was at " + last_check_);
                f.result->failures.push_back(text);
                f.details.push_back(text);
                ++counts_.cases_failed;
                print_case(f, "INTERRUPTED");
            }
            out_ << "The run did not finish: " << why << ".\n";
        }
        if (!contracts_.empty()) {
            out_ << "Contracts:\n";
            for (const auto& [key, t] : contracts_)
                out_ << "  " << t.text << ": " << t.passed << " passed, " << t.failed << " failed"
                     << (t.not_judged ? ", " + std::to_string(t.not_judged) + " not judged" : "")
                     << "\n";
        }
        if (!objects_.empty()) {
            out_ << "State paths:\n";
            std::map<long, std::string> ordered;
            for (const auto& [object, o] : objects_)
                ordered[o.number] = o.path;
            for (const auto& [number, path] : ordered)
                out_ << "  object " << number << ": " << path << "\n";
        }
        out_ << counts_.cases << " test case" << (counts_.cases == 1 ? "" : "s") << ": "
             << counts_.cases - counts_.cases_failed << " passed, " << counts_.cases_failed
             << " failed; " << counts_.checks << " check" << (counts_.checks == 1 ? "" : "s")
             << ": " << counts_.checks - counts_.checks_failed << " passed, "
             << counts_.checks_failed << " failed; " << counts_.unexpected
             << " unexpected exception" << (counts_.unexpected == 1 ? "" : "s");
        if (counts_.contracts || counts_.contracts_failed)
            out_ << "; contract failures: " << counts_.contracts_failed;
        out_ << "\n";
    }

    bool write_junit(const std::string& path) {
        std::ofstream x(path, std::ios::binary | std::ios::trunc);
        long failures = 0;
        for (const CaseResult& c : cases_)
            failures += c.failures.empty() ? 0 : 1;
        x << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
          << "<testsuites name=\"vexreport\" tests=\"" << cases_.size() << "\" failures=\""
          << failures << "\" errors=\"0\">\n"
          << "  <testsuite name=\"vexreport\" tests=\"" << cases_.size() << "\" failures=\""
          << failures << "\" errors=\"0\" skipped=\"0\" time=\"0\">\n";
        for (const CaseResult& c : cases_) {
            x << "    <testcase name=\"" << xml(c.name) << "\" classname=\""
              << xml(c.classname.empty() ? "(top level)" : c.classname) << "\" time=\"0\">\n";
            if (!c.failures.empty()) {
                std::string all;
                for (const std::string& f : c.failures)
                    all += f + "\n";
                x << "      <failure message=\"" << xml(c.failures.front()) << "\" type=\"check\">"
                  << xml(all) << "</failure>\n";
            }
            if (!c.output.empty())
                x << "      <system-out>" << xml(c.output) << "</system-out>\n";
            x << "    </testcase>\n";
        }
        x << "  </testsuite>\n</testsuites>\n";
        x.close();
        if (!x) {
            err_ << "vexreport: cannot write `" << path << "'\n";
            return false;
        }
        return true;
    }

    struct ObjectPath {
        long number = 0;
        std::string path;
    };

    std::ostream& out_;
    std::ostream& err_;
    std::map<std::pair<unsigned, unsigned>, Listing> listings_;
    std::unordered_map<unsigned long, const Listing*> file_listings_;
    std::vector<Frame> stack_;
    std::deque<CaseResult> cases_;  // stable addresses
    Counts counts_;
    std::map<std::pair<unsigned long, unsigned long>, ContractTally> contracts_;
    std::map<std::pair<unsigned long, std::size_t>, ObjectPath> objects_;
    std::string problem_, reaction_, print_where_, last_check_, stop_;
    unsigned long reaction_owner_ = 0;
    bool reaction_open_ = false, ended_ = false, truncated_ = false, outside_failures_ = false;
    long line_no_ = 0;
};

}  // namespace

int write_report(const ReportOptions& options, std::ostream& out, std::ostream& err) {
    try {
        return Reporter(out, err).run(options);
    } catch (const std::bad_alloc&) {
        err << "vexreport: out of memory reading `" << options.trace << "'\n";
        return 2;
    }
}
