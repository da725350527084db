// report/report.cpp: each dynamic file is read line by line and turned into the report as
// it goes: classes and suites are printed when entered, a TEST CASE when it ends (with
// its failures, reactions and printed values), contracts and state paths at the end of
// the file; the cases no file ran and the count line come after the last file. The text
// is held until every file was read, so a file that cannot be used prints nothing.
// Each record goes to the handler its tag names in EVENTS, after its fields were counted.
#include "report/report.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <deque>
#include <fstream>
#include <map>
#include <new>
#include <set>
#include <sstream>
#include <string_view>
#include <unordered_map>

#include "formats/hex.h"
#include "formats/keys.h"
#include "formats/listing.h"
#include "formats/trace.h"
#include "report/junit.h"
#include "report/lines.h"
#include "report/listings.h"
#include "report/merge.h"

namespace {

using Fields = std::vector<std::string_view>;

// The fields of the rest of a record's line, split at blanks into at most `n`: the last
// runs to the end of the line (a text there may hold blanks, or be empty).
Fields split(std::string_view rest, int n) {
    Fields out;
    if (rest.empty())
        return out;
    while (static_cast<int>(out.size()) + 1 < n) {
        const std::size_t blank = rest.find(' ');
        if (blank == std::string_view::npos)
            break;
        out.push_back(rest.substr(0, blank));
        rest.remove_prefix(blank + 1);
    }
    out.push_back(rest);
    return out;
}

// Fields [first, first + count) as hexadecimal numbers, into out[0 .. count).
bool numbers(const Fields& f, std::size_t first, std::size_t count, unsigned long* out) {
    for (std::size_t i = 0; i < count; ++i)
        if (first + i >= f.size() || !hex::parse(f[first + i], &out[i]))
            return false;
    return true;
}

bool ends_with(std::string_view s, std::string_view end) {
    return s.size() >= end.size() && s.substr(s.size() - end.size()) == end;
}

bool decimal(std::string_view s) {
    return !s.empty() && s.find_first_not_of("0123456789") == std::string_view::npos;
}

// Seconds as the driver writes them: "2", "0.5".
bool seconds(std::string_view s) {
    const std::size_t point = s.find('.');
    return decimal(s.substr(0, point)) &&
           (point == std::string_view::npos || decimal(s.substr(point + 1)));
}

struct SignalName {
    int number;
    const char* name;
};
constexpr SignalName SIGNALS[] = {
    {SIGSEGV, "SIGSEGV"}, {SIGABRT, "SIGABRT"}, {SIGBUS, "SIGBUS"},   {SIGFPE, "SIGFPE"},
    {SIGILL, "SIGILL"},   {SIGKILL, "SIGKILL"}, {SIGTERM, "SIGTERM"}, {SIGINT, "SIGINT"},
    {SIGPIPE, "SIGPIPE"}, {SIGALRM, "SIGALRM"}, {SIGTRAP, "SIGTRAP"}, {SIGSYS, "SIGSYS"},
};

// "signal 11, SIGSEGV", or "signal 99" for a number this machine does not name.
std::string signal_text(std::string_view number) {
    std::string text = "signal " + std::string(number);
    for (const SignalName& s : SIGNALS)
        if (std::to_string(s.number) == number)
            return text + ", " + s.name;
    return text;
}

std::string trimmed(const std::string& s) {
    const std::size_t first = s.find_first_not_of(" \t\r\n");
    return first == std::string::npos ? std::string()
                                      : s.substr(first, s.find_last_not_of(" \t\r\n") - first + 1);
}

std::string strip_parentheses(const std::string& text) {
    if (text.size() >= 2 && text.front() == '(' && text.back() == ')')
        return text.substr(1, text.size() - 2);
    return text;
}

// `form` with its "%1" replaced by `text`.
std::string fill(std::string_view form, const std::string& text) {
    const std::size_t at = form.find("%1");
    return std::string(form.substr(0, at)) + text + std::string(form.substr(at + 2));
}

// What a frame of the execution stack is, as the report names it.
constexpr const char *TEST_CLASS = "TEST CLASS", *TEST_SUITE = "TEST SUITE",
                     *TEST_CASE = "TEST CASE", *PROC = "PROC", *STUB = "STUB";

struct Frame {
    std::string_view kind;  // TEST_CLASS ...
    std::string name;
    unsigned long id = 0;
    int file = 0;
    CaseResult* result = nullptr;  // TEST CASE frames
    std::vector<std::string> details;
    std::string verdict;  // "TIMED OUT", "CRASHED"; "" while it may pass or fail
    std::string again;    // the dynamic file that ran this case before; "" when none did
    long long micros = -1;  // from the TM before its end; -1 unknown
};

struct Counts {
    long cases = 0, cases_failed = 0, checks = 0, checks_failed = 0, unexpected = 0;
    long contracts = 0, contracts_failed = 0;
};

struct ContractTally {
    std::string text;  // "account.otc:6: invariant `balance >= 0'"
    long passed = 0, failed = 0, not_judged = 0;
};

struct ObjectPath {
    long number = 0;  // in the order objects were met, from 1
    std::string path;
};

// What a state record names: the object's path, and the state in the listing.
struct StateEvent {
    ObjectPath* object = nullptr;
    const Listing* listing = nullptr;
    const ListingRecord* state = nullptr;  // nullptr: no state yet
    std::string name;
};

// What the dynamic files of one report share.
struct Shared {
    std::map<std::pair<unsigned, unsigned>, Listing> listings;  // every one in the directories
    Merge merge;
    Counts counts;
    std::ostringstream text;  // the report, printed once every file was read
    bool several = false;     // more than one file: each gets a heading
    bool failed = false;      // a run did not finish, or failed outside any TEST CASE
    std::string reading;      // the dynamic file being read
    ClassTimes class_times;   // TEST CLASS name -> microseconds, over every file
    std::vector<std::pair<long long, std::string>> slow;  // cases over SLOW: time, line
};

// A case's time is shown from this many microseconds on: quicker ones would make every
// report differ from the last for nothing.
constexpr long long SLOW = 10000;
constexpr std::size_t SLOWEST_SHOWN = 5;

// A file of version 3 without END: killed, or its writes failed (the driver said so).
constexpr const char* INCOMPLETE =
    "the dynamic file is incomplete (the driver was stopped from outside, or could not write it "
    "all)";

std::string milliseconds(long long micros) { return std::to_string(micros / 1000) + " ms"; }

// A TEST CASE of the plan: its case in the merge, and what the driver was to do with it.
struct PlanEntry {
    std::size_t merged = 0;
    bool runs = false;  // marked to run here
    unsigned long id = 0, file = 0;
};

class Reporter;

// One row per record of the dynamic file: its tag, the member that handles it, that
// member's own text (the kind entered or left, the wording of a failure) and the problem
// when its fields do not fit.
struct EventRow {
    trace::Tag tag;
    bool (Reporter::*handle)(const EventRow&, const Fields&);
    const char* what;
    const char* expected;
};

class Reporter {
public:
    Reporter(Shared& shared, const std::string& trace)
        : shared_(shared), trace_(trace), out_(shared.text), counts_(shared.counts),
          cases_(shared.merge.results), listings_(shared.listings) {}

    // Reads the whole file into the shared report; false after storing the problem.
    bool read(std::size_t max_line_bytes) {
        if (!read_run(max_line_bytes))
            return false;
        shared_.failed = shared_.failed || !ended_ || outside_failures_;
        return true;
    }

    const std::string& problem() const { return problem_; }

private:
    static const EventRow EVENTS[];

    bool bad(const std::string& what) {
        problem_ = what;
        return false;
    }

    // "VEXTRACE <version>", of a version this reader knows, into version_.
    bool head(const std::string& line) {
        const std::string magic = std::string(trace::MAGIC) + " ";
        unsigned long v = 0;
        if (line.compare(0, magic.size(), magic) != 0 ||
            !hex::parse(line.substr(magic.size()), &v) || v < trace::OLDEST_VERSION ||
            v > trace::VERSION)
            return false;
        version_ = static_cast<int>(v);
        return true;
    }

    bool read_run(std::size_t max_line_bytes) {
        std::ifstream in(trace_, std::ios::binary);
        if (!in)
            return bad("cannot read the dynamic file `" + trace_ + "'");
        LineReader lines(in, max_line_bytes);
        std::string line;
        const LineRead first = lines.next(&line);
        if (first == LineRead::end)  // the driver was stopped before its first event
            return bad("`" + trace_ + "' is empty");
        if ((first != LineRead::line && first != LineRead::cut_line) || !head(line))
            return bad("`" + trace_ + "' is not a dynamic file of version " +
                       std::to_string(trace::OLDEST_VERSION) + " to " +
                       std::to_string(trace::VERSION));
        if (shared_.several)
            out_ << "Dynamic file " << trace_ << ":\n";
        for (long line_no = 2;; ++line_no) {
            const LineRead got = lines.next(&line);
            const auto place = [&] { return trace_ + ":" + std::to_string(line_no) + ": "; };
            if (got == LineRead::too_long)
                return bad(place() + "a line longer than any event (the file is garbled)");
            if (got == LineRead::cut_line)
                truncated_ = true;  // a last line cut short by a crash
            if (got != LineRead::line)
                break;
            if (!event(line))
                return bad(place() + problem_);
        }
        finish();
        return true;
    }

    // The row of a tag; nullptr for a tag no writer writes.
    static const EventRow* event_row(std::string_view tag);

    bool event(std::string_view line) {
        if (line.empty())
            return true;
        const std::size_t blank = line.find(' ');
        const std::string_view tag = line.substr(0, blank);
        const EventRow* row = event_row(tag);
        if (!row)
            return bad("unknown record `" + std::string(tag) + "'");
        const int count = trace::split_fields(row->tag);
        const Fields f = split(
            blank == std::string_view::npos ? std::string_view() : line.substr(blank + 1), count);
        if (static_cast<int>(f.size()) != count)
            return bad(row->expected);
        return (this->*row->handle)(*row, f);
    }

    // ---- Scripts and their listings ---------------------------------------------------

    // INIT <ids> <messages> <texts>: the driver must key the listings as this reader does.
    bool key_offsets(const EventRow& row, const Fields& f) {
        unsigned long o[3];
        if (!numbers(f, 0, 3, o))
            return bad(row.expected);
        if (o[0] != keys::ITEM_OFFSET || o[1] != keys::MESSAGE_OFFSET || o[2] != keys::TEXT_OFFSET)
            return bad("the listing keys are offset otherwise than vexreport reads them: the "
                       "driver was generated by another version");
        return true;
    }

    // FILE <file> <sum_a> <sum_b>
    bool register_file(const EventRow& row, const Fields& f) {
        unsigned long v[3];
        if (!numbers(f, 0, 3, v))
            return bad(row.expected);
        const unsigned long index = v[0];
        auto it = listings_.find({static_cast<unsigned>(v[1]), static_cast<unsigned>(v[2])});
        if (it != listings_.end()) {
            file_listings_[index] = &it->second;
            if (registered_.insert(&it->second).second)
                in_order_.push_back(&it->second);
            return true;
        }
        // The listing of that script number with another pair is a stale one.
        char number[32];
        std::snprintf(number, sizeof number, "%02lu", index + 1);
        const std::string suffix = number + std::string(listing::OTS_SUFFIX);
        for (const auto& [pair, l] : listings_)
            if (ends_with(l.path, suffix))
                return bad("the listing `" + l.path + "' of `" + l.script +
                           "' does not belong to this run (its checksum pair differs): run "
                           "vexprepro and the driver again");
        char pair[64];
        std::snprintf(pair, sizeof pair, "0x%lx 0x%lx", v[1], v[2]);
        return bad("no listing of script file " + std::to_string(index + 1) +
                   " (checksum pair " + pair + ") in the listing directories");
    }

    // The listing of a registered file index; nullptr after storing the problem.
    const Listing* listing(unsigned long index) {
        auto it = file_listings_.find(index);
        if (it != file_listings_.end())
            return it->second;
        bad("file index " + std::to_string(index) + " was never registered");
        return nullptr;
    }

    // The record of a component, and "suite.otd:7" in *where; nullptr after storing the
    // problem.
    const ListingRecord* record(unsigned long id, unsigned long file, std::string* where) {
        const Listing* l = listing(file);
        if (!l)
            return nullptr;
        const ListingRecord* r = l->find(id);
        if (!r) {
            bad("id " + std::to_string(id) + " is not in the listing of `" + l->script + "'");
            return nullptr;
        }
        *where = l->script + ":" + std::to_string(r->line);
        return r;
    }

    // The record named by the id and file index of fields 0 and 1.
    const ListingRecord* event_record(const EventRow& row, const Fields& f, std::string* where) {
        unsigned long v[2];
        if (!numbers(f, 0, 2, v)) {
            bad(row.expected);
            return nullptr;
        }
        return record(v[0], v[1], where);
    }

    // The name of a component known by its id alone, from the listings this run
    // registered (a listing of another run may hold the same id); "?" when none has it.
    std::string name_of(unsigned long id) {
        for (; named_ < in_order_.size(); ++named_)  // each listing once, when first needed
            for (const auto& [key, r] : in_order_[named_]->records)
                names_.emplace(key, &r);
        const auto it = names_.find(id);
        return it == names_.end() ? "?" : it->second->text;
    }

    // ---- The execution stack ----------------------------------------------------------

    std::string indent() const { return std::string(2 * stack_.size(), ' '); }

    Frame* current_case() {
        for (auto it = stack_.rbegin(); it != stack_.rend(); ++it)
            if (it->result)
                return &*it;
        return nullptr;
    }

    unsigned long executing_id() const {
        for (auto it = stack_.rbegin(); it != stack_.rend(); ++it)
            if (it->kind == TEST_CASE || it->kind == PROC || it->kind == STUB)
                return it->id;
        return stack_.empty() ? 0 : stack_.back().id;
    }

    // A failure belongs to the TEST CASE running; outside any it stands on its own line.
    void fail(const std::string& text) {
        if (Frame* c = current_case()) {
            add_failure(*c, text);
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

    // The case of the merge that an entered TEST CASE is: the next one of the plan marked to
    // run with that id (those passed over were bypassed), or without a plan the one of its
    // path. The first file to run a case gives its result; a later run is shown, not counted.
    bool enter_case(unsigned long id, unsigned long file, const std::string& where, Frame* frame) {
        std::size_t merged = 0;
        if (planned_) {
            std::size_t i = cursor_;
            while (i < plan_.size() &&
                   !(plan_[i].runs && plan_[i].id == id && plan_[i].file == file))
                ++i;
            if (i == plan_.size())
                return bad("TEST CASE `" + frame->name +
                           "' entered where the plan holds no such case");
            for (; cursor_ < i; ++cursor_)
                if (plan_[cursor_].runs)
                    not_run(shared_.merge, plan_[cursor_].merged, NotRun::bypassed);
            merged = plan_[cursor_++].merged;
        } else {
            std::string path;
            for (const Frame& s : stack_)
                if (s.kind == TEST_CLASS || s.kind == TEST_SUITE)
                    path += s.name + ".";
            merged = merge_path(path + frame->name, where);
        }
        MergedCase& c = shared_.merge.cases[merged];
        const std::size_t dot = c.path.rfind('.');
        CaseResult result{frame->name, dot == std::string::npos ? "" : c.path.substr(0, dot), where,
                          {}, "", "", ""};
        if (c.ran_in.empty()) {
            c.ran_in = trace_;
            cases_.push_back(std::move(result));
            frame->result = &cases_.back();
            ++counts_.cases;
        } else {
            spare_.push_back(std::move(result));
            frame->result = &spare_.back();
            frame->again = c.ran_in;
        }
        entered_case_ = true;
        last_check_.clear();
        return true;
    }

    // The case of the merge of that path and script line, as often met in this file before.
    std::size_t merge_path(const std::string& path, const std::string& where) {
        return merged_case(shared_.merge, path, where, occurrences_[path + '\n' + where]++);
    }

    // E? <id> <file> <caller id> <caller file>; `what` is the kind entered.
    bool enter(const EventRow& row, const Fields& f) {
        unsigned long v[4];
        if (!numbers(f, 0, 4, v))
            return bad(row.expected);
        std::string where;
        const ListingRecord* r = record(v[0], v[1], &where);
        if (!r)
            return false;
        Frame frame{row.what, r->text, v[0], static_cast<int>(v[1]), nullptr, {}, "", ""};
        if (frame.kind == TEST_CASE) {
            if (!enter_case(v[0], v[1], where, &frame))
                return false;
        } else if (frame.kind == TEST_CLASS || frame.kind == TEST_SUITE) {
            out_ << indent() << frame.kind << " " << r->text << " (" << where << ")\n";
        }
        stack_.push_back(std::move(frame));
        return true;
    }

    void print_case(const Frame& c, const char* verdict) {
        out_ << indent() << "TEST CASE " << c.name << " (" << c.result->location << "): " << verdict
             << (shows_time(c) ? " (" + milliseconds(c.micros) + ")" : "") << "\n";
        for (const std::string& d : c.details)
            out_ << indent() << "  " << d << "\n";
    }

    // X? <file> [<caller file>]; `what` is the kind left.
    bool leave(const EventRow& row, const Fields& f) {
        unsigned long v[2];
        if (!numbers(f, 0, f.size(), v))
            return bad(row.expected);
        const Frame* open = current_case();
        if (std::string_view(row.what) == TEST_CASE && open &&
            (!open->verdict.empty() || !crash_signal_.empty()))
            unwind_to_case();
        if (stack_.empty() || stack_.back().kind != row.what)
            return bad("the end of a " + std::string(row.what) + " that was not entered");
        Frame c = std::move(stack_.back());
        stack_.pop_back();
        if (elapsed_ >= 0 && c.kind != PROC && c.kind != STUB)
            time_frame(c);
        elapsed_ = -1;
        if (c.result)
            close_case(c);
        return true;
    }

    // The TM before a class, suite or case end: into the results and the slowest list.
    void time_frame(Frame& c) {
        c.micros = elapsed_;
        if (c.kind == TEST_CLASS) {
            shared_.class_times[c.name] += elapsed_;
        } else if (c.result) {
            c.result->micros = elapsed_;
            if (shows_time(c) && c.again.empty())
                shared_.slow.emplace_back(
                    elapsed_, (c.result->classname.empty() ? "" : c.result->classname + ".") +
                                  c.name + " (" + c.result->location + ")");
        }
    }

    // A timed-out case's time is its time-out, which its failure says already; a crashed
    // one's is mostly the crash's handling (a core dump, a sanitizer's report).
    static bool shows_time(const Frame& c) {
        return c.micros > SLOW && c.result && c.result->error != "timeout" &&
               c.result->error != "crash";
    }

    // TM <microseconds>: the time of the class, suite or case whose end follows.
    bool elapsed(const EventRow& row, const Fields& f) {
        unsigned long micros = 0;
        if (version_ < 3 || !numbers(f, 0, 1, &micros))
            return bad(version_ < 3 ? older(row) : row.expected);
        elapsed_ = static_cast<long long>(micros);
        return true;
    }

    // A TEST CASE that ended, with its verdict; a crash before its end was one under
    // isolation, after which the run went on.
    void close_case(Frame& c) {
        if (!crash_signal_.empty()) {
            c.verdict = "CRASHED";
            c.result->error = "crash";
            add_failure(c, "the case crashed (" + signal_text(crash_signal_) +
                               "); the run went on without its side effects" + last_check());
            crash_signal_.clear();
            stop_.clear();
        }
        const bool failed = !c.result->failures.empty();
        if (!c.again.empty())
            c.details.push_back("already run in " + c.again + ": counted there");
        else
            counts_.cases_failed += failed ? 1 : 0;
        print_case(c, !c.verdict.empty() ? c.verdict.c_str() : failed ? "FAILED" : "PASSED");
    }

    static void add_failure(Frame& c, const std::string& text) {
        c.result->failures.push_back(text);
        c.details.push_back(text);
    }

    std::string last_check() const {
        return last_check_.empty() ? "" : "; the last check reached was at " + last_check_;
    }

    // Under isolation, a case stopped (crashed, timed out) inside a PROC or stub ends at
    // once: the frames above it are left unclosed.
    void unwind_to_case() {
        while (!stack_.empty() && !stack_.back().result)
            stack_.pop_back();
    }

    // ---- Verdicts ---------------------------------------------------------------------

    // C? <verdict> <id> <file>; `what` words the failure (nullptr: REQUIRE or ENSURE, as
    // the record says).
    bool check(const EventRow& row, const Fields& f) {
        unsigned long v[2];
        if ((f[0] != trace::PASSED && f[0] != trace::FAILED) || !numbers(f, 1, 2, v))
            return bad(row.expected);
        std::string where;
        const ListingRecord* r = record(v[0], v[1], &where);
        if (!r)
            return false;
        ++counts_.checks;
        last_check_ = where;
        const std::string why = explanation();
        if (f[0] == trace::PASSED)
            return true;
        ++counts_.checks_failed;
        const char* wording = row.what                    ? row.what
                              : r->tag == listing::ENSURE ? "ENSURE %1 failed"
                                                          : "REQUIRE %1 failed";
        // Expressions are stored as C string contents: shown as the script wrote them.
        fail(where + ": " + fill(wording, trace::unescape(r->text)) + why);
        return true;
    }

    // ---- -VALUES: what the next failed verdict is told (VL, FX) ------------------------

    // VL <left>TAB<operator>TAB<right>
    bool values(const EventRow& row, const Fields& f) {
        const std::size_t a = f[0].find('\t');
        const std::size_t b = a == std::string_view::npos ? a : f[0].find('\t', a + 1);
        if (b == std::string_view::npos)
            return bad(row.expected);
        values_ = trace::unescape(f[0].substr(0, a)) + " " +
                  trace::unescape(f[0].substr(a + 1, b - a - 1)) + " " +
                  trace::unescape(f[0].substr(b + 1));
        return true;
    }

    // FX <text>
    bool false_expression(const EventRow&, const Fields& f) {
        false_expression_ = trimmed(trace::unescape(f[0]));
        return true;
    }

    // " at (expression): left op right", as much as was recorded; used up by a verdict.
    std::string explanation() {
        std::string why;
        if (!false_expression_.empty())
            why = " at (" + false_expression_ + ")";
        if (!values_.empty())
            why += ": " + values_;
        values_.clear();
        false_expression_.clear();
        return why;
    }

    bool unexpected(const EventRow& row, const Fields& f) {
        std::string where;
        const ListingRecord* r = event_record(row, f, &where);
        if (!r)
            return false;
        ++counts_.unexpected;
        if (Frame* c = current_case(); c && c->result->error.empty())
            c->result->error = exception_type_.empty() ? "exception" : exception_type_;
        fail(where + ": unexpected exception in " + r->text + exception_);
        exception_.clear();
        exception_type_.clear();
        return true;
    }

    // UD <type>TAB<message>: what the UX after it caught.
    bool exception_type(const EventRow& row, const Fields& f) {
        const std::size_t tab = f[0].find('\t');
        if (version_ < 3 || tab == std::string_view::npos)
            return bad(version_ < 3 ? older(row) : row.expected);
        exception_type_ = trace::unescape(f[0].substr(0, tab));
        const std::string message = trace::unescape(f[0].substr(tab + 1));
        exception_ = ": " + exception_type_ + (message.empty() ? "" : ": " + message);
        return true;
    }

    // A? <verdict> <id> <file> <object> <method>; `what` is the kind of assertion.
    bool contract(const EventRow& row, const Fields& f) {
        unsigned long v[3];
        if ((f[0] != trace::PASSED && f[0] != trace::FAILED && f[0] != trace::NOT_JUDGED) ||
            !numbers(f, 1, 3, v))
            return bad(row.expected);
        std::string where;
        const ListingRecord* r = record(v[0], v[1], &where);
        if (!r)
            return false;
        const std::string method = trace::unescape(f[4]);
        const std::string text = where + ": " + row.what + " `" + strip_parentheses(trace::unescape(r->text)) + "'";
        ContractTally& t = contracts_[{v[1], v[0]}];
        t.text = text;
        ++counts_.contracts;
        if (f[0] == trace::PASSED) {
            ++t.passed;
        } else if (f[0] == trace::NOT_JUDGED) {
            ++t.not_judged;
            detail(text + " not judged: " + method + " left by an exception");
        } else {
            ++t.failed;
            ++counts_.contracts_failed;
            fail(text + " violated in " + method);
        }
        return true;
    }

    // ---- Reactions, comments, printed values ------------------------------------------

    // OE <on error id> <file>
    bool on_error(const EventRow& row, const Fields& f) {
        unsigned long v[2];
        if (!numbers(f, 0, 2, v))
            return bad(row.expected);
        const Listing* l = listing(v[1]);
        if (!l)
            return false;
        if (v[0] == 0) {
            reaction_ = "ON ERROR (default)";
        } else {
            auto it = l->lines.find(v[0] + keys::MESSAGE_OFFSET);
            reaction_ = "ON ERROR at " + l->script + ":" +
                        (it == l->lines.end() ? std::string("?") : std::to_string(it->second));
        }
        reaction_open_ = true;
        reaction_owner_ = executing_id();
        return true;
    }

    // OX <id>: where the reaction ends.
    bool error_end(const EventRow& row, const Fields& f) {
        unsigned long id = 0;
        if (!numbers(f, 0, 1, &id))
            return bad(row.expected);
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

    void output(const std::string& text) {
        detail(text);
        if (Frame* c = current_case())
            c->result->output += text + "\n";
    }

    bool comment(const EventRow& row, const Fields& f) {
        std::string where;
        const ListingRecord* r = event_record(row, f, &where);
        if (!r)
            return false;
        output(where + ": COMMENT " + trimmed(r->text));
        return true;
    }

    bool print_start(const EventRow& row, const Fields& f) {
        return event_record(row, f, &print_where_) != nullptr;
    }

    // PV <text>TAB<value>
    bool print_value(const EventRow& row, const Fields& f) {
        const std::size_t tab = f[0].find('\t');
        if (tab == std::string_view::npos)
            return bad(row.expected);
        output(print_where_ + ": PRINT " + trimmed(trace::unescape(f[0].substr(0, tab))) + " = " +
               trace::unescape(f[0].substr(tab + 1)));
        return true;
    }

    bool nothing(const EventRow&, const Fields&) { return true; }

    // ---- UML states -------------------------------------------------------------------

    // S? <object> <state id> <file>. Objects live in one TEST CASE mostly, and a later one
    // may reuse the address: an object is known by its address and its TEST CASE.
    bool state_event(const EventRow& row, const Fields& f, StateEvent* e) {
        unsigned long v[3];
        if (!numbers(f, 0, 3, v))
            return bad(row.expected);
        e->listing = listing(v[2]);
        if (!e->listing)
            return false;
        e->state = e->listing->find(v[1]);
        e->name = e->state ? e->state->text : "(no state yet)";
        // Before version 3 an object is known by its address within one TEST CASE; from 3
        // on by its address between the SO records that begin and end objects there.
        const std::size_t life = version_ < 3 ? cases_.size() : lives_[v[0]];
        auto [it, first] = objects_.try_emplace(std::make_pair(v[0], life));
        if (first)
            it->second.number = static_cast<long>(objects_.size());
        e->object = &it->second;
        return true;
    }

    bool state(const EventRow& row, const Fields& f) {
        StateEvent e;
        if (!state_event(row, f, &e))
            return false;
        e.object->path += (e.object->path.empty() ? "" : " -> ") + e.name;
        return true;
    }

    bool transition(const EventRow& row, const Fields& f) {
        StateEvent e;
        return state_event(row, f, &e);  // the states before and after tell the path
    }

    // SI and SM: `what` names the fault, `mark` stands for it in the path.
    bool state_fault(const EventRow& row, const Fields& f, const char* mark) {
        StateEvent e;
        if (!state_event(row, f, &e))
            return false;
        const std::string where =
            e.listing->script + ":" + (e.state ? std::to_string(e.state->line) : std::string("?"));
        ++counts_.contracts_failed;
        e.object->path += (e.object->path.empty() ? "" : " -> ") + std::string(mark);
        fail(where + ": " + row.what + " from " + e.name + " of object " +
             std::to_string(e.object->number) +
             (fault_method_.empty() ? "" : " after " + fault_method_));
        fault_method_.clear();
        return true;
    }

    // SO <object>: an object begins or ends there; SF <method>: the call before SI or SM.
    bool lifetime(const EventRow& row, const Fields& f) {
        unsigned long object = 0;
        if (version_ < 3 || !numbers(f, 0, 1, &object))
            return bad(version_ < 3 ? older(row) : row.expected);
        ++lives_[object];
        return true;
    }
    bool fault_method(const EventRow& row, const Fields& f) {
        if (version_ < 3)
            return bad(older(row));
        fault_method_ = trace::unescape(f[0]);
        return true;
    }
    bool illegal(const EventRow& row, const Fields& f) { return state_fault(row, f, "(illegal)"); }
    bool ambiguous(const EventRow& row, const Fields& f) {
        return state_fault(row, f, "(ambiguous)");
    }

    // ---- The end of the run -----------------------------------------------------------

    // CRASH <signal>: the last record, or under isolation followed by the case's end.
    bool crash(const EventRow& row, const Fields& f) {
        if (!decimal(f[0]))
            return bad(row.expected);
        stop_ = "the driver crashed (signal " + std::string(f[0]) + ")";
        if (current_case())
            crash_signal_ = std::string(f[0]);
        return true;
    }

    // TO <seconds>: the running case was stopped; its end, or the run's, follows.
    bool timeout(const EventRow& row, const Fields& f) {
        if (version_ < 2 || !seconds(f[0]))
            return bad(version_ < 2 ? newer(row) : row.expected);
        Frame* c = current_case();
        if (!c)
            return bad("a timeout outside any TEST CASE");
        c->verdict = "TIMED OUT";
        c->result->error = "timeout";
        add_failure(*c, "timed out after " + std::string(f[0]) + " s" + last_check());
        timed_out_ = true;
        return true;
    }

    bool isolated(const EventRow& row, const Fields&) {
        if (version_ < 2)
            return bad(newer(row));
        isolated_ = true;
        return true;
    }

    static std::string newer(const EventRow& row) {
        return "record `" + std::string(row.tag.name) + "' in a dynamic file of version 1";
    }
    std::string older(const EventRow& row) const {
        return "record `" + std::string(row.tag.name) + "' in a dynamic file of version " +
               std::to_string(version_);
    }

    // PC <index> <mark> <id> <file> <path>: a TEST CASE of the plan, in execution order.
    bool plan_case(const EventRow& row, const Fields& f) {
        unsigned long index = 0, v[2];
        const bool mark = f[1] == trace::RUNS || f[1] == trace::NOT_SELECTED ||
                          f[1] == trace::OTHER_SHARD;
        if (version_ < 2 || !numbers(f, 0, 1, &index) || !mark || !numbers(f, 2, 2, v))
            return bad(version_ < 2 ? newer(row) : row.expected);
        if (entered_case_ || index != plan_.size())
            return bad(entered_case_ ? "a plan record after the first TEST CASE"
                                     : "plan record " + std::to_string(index) + " out of order");
        std::string where;
        const ListingRecord* r = record(v[0], v[1], &where);
        if (!r)
            return false;
        const std::string path(f[4]);
        if (r->tag != listing::TEST_CASE || !ends_with(path, "." + r->text))
            return bad("the path `" + path + "' does not name TEST CASE `" + r->text + "'");
        const std::size_t merged = merge_path(path, where);
        if (f[1] != trace::RUNS)
            not_run(shared_.merge, merged,
                    f[1] == trace::NOT_SELECTED ? NotRun::not_selected : NotRun::other_shard);
        plan_.push_back(PlanEntry{merged, f[1] == trace::RUNS, v[0], v[1]});
        planned_ = true;
        return true;
    }

    bool exit_call(const EventRow&, const Fields&) {
        stop_ = "exit() was called";
        return true;
    }

    bool end(const EventRow& row, const Fields& f) {
        unsigned long status = 0;
        if (!numbers(f, 0, 1, &status))
            return bad(row.expected);
        ended_ = true;
        // A case stopped by a timeout without isolation ends with the run.
        if (const Frame* c = current_case(); c && !c->verdict.empty()) {
            unwind_to_case();
            Frame last = std::move(stack_.back());
            stack_.pop_back();
            close_case(last);
        }
        return true;
    }

    // A run that stopped inside a TEST CASE: it failed there, after the last check seen.
    void interrupt(const std::string& why) {
        while (!stack_.empty()) {
            Frame f = std::move(stack_.back());
            stack_.pop_back();
            if (!f.result)
                continue;
            const bool outside = version_ >= 2 && stop_.empty();
            add_failure(f, (outside ? "the run was stopped from outside"
                                    : "the run stopped here: " + why) +
                               last_check());
            f.result->error = crash_signal_.empty() ? "interrupted" : "crash";
            if (f.again.empty())
                ++counts_.cases_failed;
            print_case(f, "INTERRUPTED");
        }
        out_ << "The run did not finish: " << why << ".\n";
    }

    void print_contracts_and_states() {
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
    }

    // The end of the file: the case it stopped in, the planned cases it never reached.
    void finish() {
        if (!ended_)
            interrupt(!stop_.empty()   ? stop_
                      : version_ >= 3  ? INCOMPLETE
                      : version_ >= 2  ? "it was stopped from outside"
                      : truncated_     ? "the dynamic file ends in the middle of a line"
                                       : "the dynamic file ends before the run did");
        const bool stopped = !ended_ || (timed_out_ && !isolated_);
        for (; cursor_ < plan_.size(); ++cursor_)
            if (plan_[cursor_].runs)
                not_run(shared_.merge, plan_[cursor_].merged,
                        stopped ? NotRun::stopped : NotRun::bypassed);
        print_contracts_and_states();
    }

    Shared& shared_;
    const std::string trace_;  // the dynamic file
    std::ostream& out_;
    Counts& counts_;
    std::deque<CaseResult>& cases_;  // of the cases this report counts
    std::deque<CaseResult> spare_;   // of the cases run again, shown but not counted
    const std::map<std::pair<unsigned, unsigned>, Listing>& listings_;
    std::string problem_;  // why the step that returned false failed
    int version_ = 0;
    std::vector<PlanEntry> plan_;
    std::size_t cursor_ = 0;  // the first entry of plan_ not yet entered or passed over
    std::unordered_map<std::string, unsigned> occurrences_;  // path and line: cases so far
    std::string crash_signal_;  // of a crash inside a case, until the case's end
    bool planned_ = false, entered_case_ = false, isolated_ = false, timed_out_ = false;
    std::unordered_map<unsigned long, const Listing*> file_listings_;  // registered, by index
    std::set<const Listing*> registered_;
    std::vector<const Listing*> in_order_;  // registered_, in the order of registration
    std::size_t named_ = 0;                 // how many of in_order_ are in names_
    std::unordered_map<unsigned long, const ListingRecord*> names_;  // the first registered
    std::vector<Frame> stack_;
    std::map<std::pair<unsigned long, unsigned long>, ContractTally> contracts_;
    std::map<std::pair<unsigned long, std::size_t>, ObjectPath> objects_;
    std::string reaction_, print_where_, last_check_, stop_;
    std::string values_, false_expression_;  // -VALUES, until the verdict they explain
    std::string exception_, exception_type_;  // from UD, for the UX after it
    std::string fault_method_;                // from SF, for the SI or SM after it
    long long elapsed_ = -1;                  // from TM, for the end after it
    std::unordered_map<unsigned long, std::size_t> lives_;  // object address -> SO records
    unsigned long reaction_owner_ = 0;
    bool reaction_open_ = false, ended_ = false, truncated_ = false, outside_failures_ = false;
};

constexpr const char* ENTERED = "an id and a file index expected, for the component and its caller";
constexpr const char* JUDGED = "a verdict (1 or 0), an id and a file index expected";
constexpr const char* NAMED = "an id and a file index expected";
constexpr const char* CONTRACT =
    "a verdict (1, 0 or n), an id, a file index, an object and a method expected";
constexpr const char* STATE = "an object, an id and a file index expected";

const EventRow Reporter::EVENTS[] = {
    {trace::INIT, &Reporter::key_offsets, nullptr, "three key offsets expected"},
    {trace::SOURCE_FILE, &Reporter::register_file, nullptr,
     "a file index and a checksum pair expected"},
    {trace::ENTER_CLASS, &Reporter::enter, TEST_CLASS, ENTERED},
    {trace::ENTER_SUITE, &Reporter::enter, TEST_SUITE, ENTERED},
    {trace::ENTER_CASE, &Reporter::enter, TEST_CASE, ENTERED},
    {trace::ENTER_PROC, &Reporter::enter, PROC, ENTERED},
    {trace::ENTER_STUB, &Reporter::enter, STUB, ENTERED},
    {trace::EXIT_CLASS, &Reporter::leave, TEST_CLASS, "two file indexes expected"},
    {trace::EXIT_SUITE, &Reporter::leave, TEST_SUITE, "two file indexes expected"},
    {trace::EXIT_CASE, &Reporter::leave, TEST_CASE, "two file indexes expected"},
    {trace::EXIT_PROC, &Reporter::leave, PROC, "a file index expected"},
    {trace::EXIT_STUB, &Reporter::leave, STUB, "a file index expected"},
    {trace::CHECK, &Reporter::check, "CHECK %1 failed", JUDGED},
    {trace::CHECK_PROPERTY, &Reporter::check, "CHECK PROPERTY %1 failed", JUDGED},
    {trace::CHECK_CONDITION, &Reporter::check, nullptr, JUDGED},
    {trace::CHECK_EXCEPTION, &Reporter::check, "CHECK EXCEPTION %1: not thrown", JUDGED},
    {trace::CHECK_STUB, &Reporter::check, "CHECK STUB `%1': the stub was not called", JUDGED},
    {trace::CHECK_METHOD, &Reporter::check, "CHECK METHOD `%1': the method was not executed",
     JUDGED},
    {trace::ENTER_ERROR, &Reporter::on_error, nullptr, NAMED},
    {trace::EXIT_ERROR, &Reporter::error_end, nullptr, "an id expected"},
    {trace::UNEXPECTED, &Reporter::unexpected, nullptr, NAMED},
    {trace::EXCEPTION_TYPE, &Reporter::exception_type, nullptr, "a type and a message expected"},
    {trace::COMMENT, &Reporter::comment, nullptr, NAMED},
    {trace::PRINT_START, &Reporter::print_start, nullptr, NAMED},
    {trace::PRINT_VALUE, &Reporter::print_value, nullptr, "a printed text and value expected"},
    {trace::PRINT_END, &Reporter::nothing, nullptr, "nothing expected after `PE'"},
    {trace::VALUES, &Reporter::values, nullptr, "two values and an operator expected"},
    {trace::FALSE_EXPRESSION, &Reporter::false_expression, nullptr, "an expression expected"},
    {trace::INVARIANT, &Reporter::contract, "invariant", CONTRACT},
    {trace::PRECONDITION, &Reporter::contract, "precondition", CONTRACT},
    {trace::POSTCONDITION, &Reporter::contract, "postcondition", CONTRACT},
    {trace::STATE, &Reporter::state, nullptr, STATE},
    {trace::TRANSITION, &Reporter::transition, nullptr, STATE},
    {trace::ILLEGAL_TRANSITION, &Reporter::illegal, "illegal transition", STATE},
    {trace::MULTIPLE_TRANSITIONS, &Reporter::ambiguous, "multiple transitions", STATE},
    {trace::OBJECT_LIFETIME, &Reporter::lifetime, nullptr, "an object expected"},
    {trace::FAULT_METHOD, &Reporter::fault_method, nullptr, "a method expected"},
    {trace::ELAPSED, &Reporter::elapsed, nullptr, "a number of microseconds expected"},
    {trace::PLAN_CASE, &Reporter::plan_case, nullptr,
     "an index, a mark (r, s or h), an id, a file index and a path expected"},
    {trace::ISOLATED, &Reporter::isolated, nullptr, "nothing expected after `IS'"},
    {trace::TIMEOUT, &Reporter::timeout, nullptr, "a number of seconds expected"},
    {trace::CRASH, &Reporter::crash, nullptr, "a signal number expected"},
    {trace::EXIT_CALL, &Reporter::exit_call, nullptr, "nothing expected after `EXITCALL'"},
    {trace::END, &Reporter::end, nullptr, "an exit status expected"},
};

const EventRow* Reporter::event_row(std::string_view tag) {
    static const std::unordered_map<std::string_view, const EventRow*> by_tag = [] {
        std::unordered_map<std::string_view, const EventRow*> rows;
        for (const EventRow& row : EVENTS)
            rows.emplace(row.tag.name, &row);
        return rows;
    }();
    const auto it = by_tag.find(tag);
    return it == by_tag.end() ? nullptr : it->second;
}

}  // namespace

namespace {

// The cases that took longest, of those over SLOW, the slowest first.
void print_slowest(Shared& s) {
    if (s.slow.empty())
        return;
    std::stable_sort(s.slow.begin(), s.slow.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    s.text << "Slowest test cases:\n";
    for (std::size_t i = 0; i < s.slow.size() && i < SLOWEST_SHOWN; ++i)
        s.text << "  " << s.slow[i].second << ": " << milliseconds(s.slow[i].first) << "\n";
}

// After the last file: the cases no file ran, and the count line over every file.
void summary(Shared& s, bool hide_unselected) {
    const std::size_t ran = s.merge.results.size();
    const long skipped = add_skipped(s.merge, !hide_unselected);
    if (skipped)
        s.text << "Not run:\n";
    for (std::size_t i = ran; i < s.merge.results.size(); ++i) {
        const CaseResult& c = s.merge.results[i];
        s.text << "  " << (c.classname.empty() ? "" : c.classname + ".") << c.name << " ("
               << c.location << "): " << c.skipped << "\n";
    }
    print_slowest(s);
    const Counts& n = s.counts;
    const long cases = n.cases + skipped;
    s.text << cases << " test case" << (cases == 1 ? "" : "s") << ": " << n.cases - n.cases_failed
           << " passed, " << n.cases_failed << " failed"
           << (skipped ? ", " + std::to_string(skipped) + " not run" : "") << "; " << n.checks
           << " check" << (n.checks == 1 ? "" : "s") << ": " << n.checks - n.checks_failed
           << " passed, " << n.checks_failed << " failed; " << n.unexpected
           << " unexpected exception" << (n.unexpected == 1 ? "" : "s");
    if (n.contracts || n.contracts_failed)
        s.text << "; contract failures: " << n.contracts_failed;
    s.text << "\n";
}

int report_all(const ReportOptions& o, std::ostream& out, std::ostream& err, Shared& s) {
    std::vector<std::string> warnings;
    s.listings = read_listings(o.dirs.empty() ? std::vector<std::string>{"."} : o.dirs, &warnings);
    for (const std::string& w : warnings)
        err << "vexreport: " << w << "\n";
    s.several = o.traces.size() > 1;
    for (const std::string& trace : o.traces) {
        s.reading = trace;
        Reporter r(s, trace);
        if (!r.read(o.max_line_bytes)) {
            err << "vexreport: " << r.problem() << "\n";
            return 2;
        }
    }
    summary(s, o.hide_unselected);
    out << s.text.str();
    std::string problem;
    if (!o.junit.empty() && !write_junit(o.junit, s.merge.results, s.class_times, &problem)) {
        err << "vexreport: " << problem << "\n";
        return 2;
    }
    const Counts& n = s.counts;
    const bool failed = n.cases_failed || n.checks_failed || n.unexpected || n.contracts_failed ||
                        s.failed;
    return failed ? 1 : 0;
}

}  // namespace

int write_report(const ReportOptions& options, std::ostream& out, std::ostream& err) {
    Shared shared;
    try {
        return report_all(options, out, err, shared);
    } catch (const std::bad_alloc&) {
        err << "vexreport: out of memory reading `" << shared.reading << "'\n";
        return 2;
    }
}
