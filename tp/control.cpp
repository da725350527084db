// tp/control.cpp: the run as the driver's options shape it. main hands its arguments over
// first (TRVO_MAIN_HEADER); every class, suite and case enter then says whether the body
// that follows runs (_VEX_TRY_BEGIN asks). Without options nothing here is consulted but a
// flag. With a selection or a shard the plan is made at the first enter, by a discovery
// pass in a forked child, and walked in step with the run.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "TP.h"
#include "formats/trace.h"
#include "rt.h"

namespace vexrt {
namespace {

enum Pending { NONE, RUN, SKIP };

struct CaseNow {
    int file = 0, caller_file = 0;
    unsigned long id = 0;
    std::string path;
    std::chrono::steady_clock::time_point start;
    bool failed = false, crashed = false;
    std::string first_failure;  // the script file:line of the first failed check
};

struct Control {
    Options options;
    bool is_active = false, planned = false, discovering = false;
    Plan plan;
    Names names;
    bool named = false;
    Pending pending = NONE;
    std::vector<char> entered;           // per open class/suite/case: whether it runs
    std::vector<std::string> names_now;  // the path so far, when there is no plan
    CaseNow now;
    long passed = 0, failed = 0;
    char timeout_line[48] = "";
    std::string file;  // the dynamic file, removed when the plan cannot be made
};

Control control;

[[noreturn]] void fail(const std::string& message) {
    if (!control.file.empty())
        std::remove(control.file.c_str());  // never a dynamic file of a run that did not run
    std::fprintf(stderr, "vextp: %s\n", message.c_str());
    std::fflush(stderr);
    std::_Exit(2);
}

// Progress alone does without them: its lines then name ids.
void need_names() {
    std::string error;
    if (!control.named &&
        !load_names(control.options, registered_files(), &control.names, &error) &&
        needs_plan(control.options))
        fail(error);
    control.named = true;
}

void print_list() {
    for (const int c : control.plan.cases) {
        const Node& n = control.plan.nodes[static_cast<std::size_t>(c)];
        if (n.mark == 'r')
            std::printf("%s  %s\n", n.path.c_str(), place_of(control.names, n.file, n.id).c_str());
    }
    if (std::fflush(stdout) != 0 || std::ferror(stdout))
        fail("cannot write the list of test cases");
    std::_Exit(0);
}

void write_plan() {
    const Options& o = control.options;
    if (!o.has_run && !o.sharded)
        return;
    char head[96];
    for (std::size_t i = 0; i < control.plan.cases.size(); ++i) {
        const Node& n = control.plan.nodes[static_cast<std::size_t>(control.plan.cases[i])];
        std::snprintf(head, sizeof head, " %zx %c %lx %x ", i, n.mark, n.id,
                      static_cast<unsigned>(n.file));
        write_line(std::string(trace::PLAN_CASE.name) + head + n.path + "\n");
    }
}

// The plan, before the first enter (or at the end when there was none).
void make_plan(bool run_discovery) {
    control.planned = true;
    if (run_discovery && discover(&control.plan)) {
        control.discovering = true;
        control.plan = Plan{};
        stop_trace();
        return;
    }
    need_names();
    name_plan(control.plan, control.names);
    std::string error;
    if (!select_cases(control.plan, control.options, &error))
        fail(error);
    if (control.options.list)
        print_list();
    write_plan();
}

bool decide(int kind, unsigned long id, int file) {
    if (!control.planned)
        return true;
    const int node = walk_enter(control.plan, kind, id, file);
    if (node < 0)
        return true;  // not in the plan (the run took another way): it runs as written
    const Node& n = control.plan.nodes[static_cast<std::size_t>(node)];
    control.now.path = n.path;
    return kind == CASE ? n.mark == 'r' : n.runs > 0;
}

std::string path_now() {
    std::string out;
    for (const std::string& n : control.names_now)
        out += (out.empty() ? "" : ".") + n;
    return out;
}

void start_case(unsigned long id, int file, int caller_file) {
    CaseNow& now = control.now;
    now.id = id;
    now.file = file;
    now.caller_file = caller_file;
    now.failed = now.crashed = false;
    now.first_failure.clear();
    if (!control.planned && control.options.progress)
        now.path = path_now();
    now.start = std::chrono::steady_clock::now();
    drain_buffer();  // a kill from outside leaves everything up to this case's start
    int signal = 0;
    const CaseStart s =
        control.options.isolate ? isolate_case(control.options, &signal) : CASE_RUNS;
    if (s == CASE_RUNS) {
        arm_timer(control.options);
        return;
    }
    char line[48];
    if (s == CASE_CRASHED)
        std::snprintf(line, sizeof line, "%s %d\n", trace::CRASH.name, signal);
    else
        std::snprintf(line, sizeof line, "%s", control.timeout_line);
    write_line(line);
    count_failure();
    now.failed = now.crashed = true;
    now.first_failure = s == CASE_CRASHED ? "crashed, signal " + std::to_string(signal)
                                          : "timed out";
    control.pending = SKIP;
}

void print_case_end() {
    const CaseNow& now = control.now;
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now() - now.start)
                        .count();
    std::fprintf(stderr, "[ %s ] %s (%lld ms)\n", now.failed ? "FAILED" : "PASSED",
                 now.path.c_str(), static_cast<long long>(ms));
    if (now.failed && !now.first_failure.empty())
        std::fprintf(stderr, "           %s\n", now.first_failure.c_str());
    ++(now.failed ? control.failed : control.passed);
}

}  // namespace

bool active() { return control.is_active; }
bool discovering() { return control.discovering; }

const char* dynamic_file(const char* generated) {
    if (control.options.list)
        return nullptr;
    control.file = control.options.tdf.empty() ? generated : control.options.tdf;
    if (!needs_plan(control.options))
        control.file.clear();  // only the plan can fail after the file is open
    return control.options.tdf.empty() ? generated : control.options.tdf.c_str();
}

void after_open() {
    if (!control.options.isolate)
        return;
    write_line(std::string(trace::ISOLATED.name) + "\n");
    drain_buffer();
    start_supervisor();
}

void enter(int kind, unsigned long id, int file, unsigned long caller, int caller_file) {
    if (!control.planned && needs_plan(control.options))
        make_plan(true);
    if (control.discovering) {
        plan_enter(control.plan, kind, id, file);
        control.pending = kind == CASE ? SKIP : RUN;
        return;
    }
    if (control.options.progress && !control.planned) {
        need_names();
        control.names_now.push_back(name_of(control.names, file, id));
    }
    const bool runs = decide(kind, id, file);
    control.entered.push_back(runs);
    control.pending = runs ? RUN : SKIP;
    if (!runs)
        return;
    write_enter(kind, id, file, caller, caller_file);
    if (kind == CASE)
        start_case(id, file, caller_file);
}

void leave(int kind, int file, int caller_file) {
    if (control.discovering)
        return plan_exit(control.plan);
    if (control.planned)
        walk_exit(control.plan);
    if (!control.names_now.empty() && !control.planned)
        control.names_now.pop_back();
    const bool ran = control.entered.empty() || control.entered.back();
    if (!control.entered.empty())
        control.entered.pop_back();
    if (!ran)
        return;
    if (kind == CASE) {
        disarm_timer();
        if (control.options.progress)
            print_case_end();
    }
    write_exit(kind, file, caller_file);
    if (kind == CASE && in_case_child) {
        drain_buffer();
        case_done();
    }
}

void check_failed(unsigned long id, int file) {
    if (!control.now.failed && control.options.progress) {
        need_names();
        control.now.first_failure = place_of(control.names, file, id);
    }
    control.now.failed = true;
}

void term() {
    if (control.discovering)
        send_plan(control.plan);
    if (!control.planned && needs_plan(control.options))
        make_plan(false);  // no component ran at all: an empty plan
    if (control.options.progress)
        std::fprintf(stderr, "[==========] %ld test cases: %ld passed, %ld failed\n",
                     control.passed + control.failed, control.passed, control.failed);
}

void at_exit() {
    if (control.discovering)
        send_plan(control.plan);
}

void write_timeout_records() {
    append_raw(control.timeout_line);
    write_exit_unlocked(CASE, control.now.file, control.now.caller_file);
    append_raw("END 1\n");
}

}  // namespace vexrt

// TRVO_MAIN_HEADER: before the driver's first statement.
void _vex_main_args(int* argc, char** argv) {
    vexrt::Control& c = vexrt::control;
    std::string error;
    if (!vexrt::parse_options(argc, argv, &c.options, &error))
        vexrt::fail(error);
    const vexrt::Options& o = c.options;
    if (!o.shard_status.empty()) {
        std::FILE* f = std::fopen(o.shard_status.c_str(), "a");
        if (!f || std::fclose(f) != 0)
            vexrt::fail("cannot write the shard status file `" + o.shard_status + "'");
    }
    c.is_active = vexrt::needs_plan(o) || o.isolate || o.timeout > 0 || o.progress;
    std::snprintf(c.timeout_line, sizeof c.timeout_line, "%s %g\n", trace::TIMEOUT.name, o.timeout);
}

int _vex_body_runs() {
    const vexrt::Pending p = vexrt::control.pending;
    vexrt::control.pending = vexrt::NONE;
    return p != vexrt::SKIP;
}
