// tp/rt.h: what the modules of libvextp share, private to the library: the driver's
// --vex-* options, the plan of the run (which TEST CASEs exist, which run), the names
// from the listings, isolation and progress. A bad option or a missing listing is a
// message and status 2 before anything runs; after that nothing here fails the run.
#pragma once
#include <chrono>
#include <string>
#include <vector>

#include "formats/listing_reader.h"

namespace vexrt {

enum Kind { CLASS, SUITE, CASE };

struct Options {
    bool list = false, isolate = false, quiet = false, progress = false;
    bool has_run = false;
    std::string run;  // the --vex-run patterns as given
    bool sharded = false;
    unsigned long shard_index = 0, shard_total = 1;
    std::string shard_status;  // TEST_SHARD_STATUS_FILE; "" none
    double timeout = 0;        // seconds; 0 none
    std::string tdf;           // "" the generated name
    std::vector<std::string> listing_dirs;  // empty: the driver's and the current one
    std::string driver_dir;
};
inline bool needs_plan(const Options& o) { return o.list || o.has_run || o.sharded; }
inline bool needs_names(const Options& o) { return needs_plan(o) || o.progress; }

// Reads the --vex-* options out of argv (the others stay, in order; argv[*argc] becomes
// null) and the environment; false with a message for a bad one.
bool parse_options(int* argc, char** argv, Options* o, std::string* error);

// ---- The listings: names and lines by file index and id -----------------------------

struct Names {
    std::vector<const listing::Listing*> by_file;  // index as _vex_add_source_file gave
    std::map<std::pair<unsigned, unsigned>, listing::Listing> all;
};
// Reads the listings of the registered scripts; false with a message naming the first
// checksum pair not found and the directories searched (its by_file entry is null).
bool load_names(const Options& o, const std::vector<std::pair<unsigned, unsigned>>& files,
                Names* names, std::string* error);
const listing::Record* find_record(const Names& n, int file, unsigned long id);
std::string name_of(const Names& n, int file, unsigned long id);  // "#<id>" when unknown
std::string place_of(const Names& n, int file, unsigned long id);  // "suite.otd:7"

// ---- The plan: the tree of class, suite and case executions in order ------------------

struct Node {
    int kind = CASE;
    unsigned long id = 0;
    int file = 0;
    int parent = -1;
    std::vector<int> children;
    std::size_t cursor = 0;  // the next child the run may enter
    long runs = 0;           // cases marked to run in this subtree
    char mark = 'r';         // cases: 'r' runs, 's' not selected, 'h' another shard
    std::string path;        // Class.Suite.Case
};
struct Plan {
    std::vector<Node> nodes{Node{}};  // 0: the root, the driver's own RUN
    std::vector<int> stack{0};        // while built or walked: the nodes entered
    std::vector<int> cases;           // case nodes in execution order
};
void plan_enter(Plan& p, int kind, unsigned long id, int file);  // while discovering
void plan_exit(Plan& p);
std::string plan_text(const Plan& p);
bool read_plan_text(const std::string& text, Plan* p);
void name_plan(Plan& p, const Names& n);
// Marks the cases from the patterns and the shard; false with a message for a pattern
// that is malformed or matches nothing.
bool select_cases(Plan& p, const Options& o, std::string* error);
bool check_patterns(const std::string& text, std::string* error);  // their shape only
// The real run entering a component: its node, or -1 when the plan does not hold it.
int walk_enter(Plan& p, int kind, unsigned long id, int file);
void walk_exit(Plan& p);

// Runs the discovery in a forked child: true in the child (which goes on through the
// driver with case bodies skipped and sends the plan at its end), false in the parent
// once the plan was read into `p`; exits 2 with a message when the child failed.
bool discover(Plan* p);
void send_plan(const Plan& p);  // in the child: writes the plan and ends the process

// ---- Isolation and time-outs ----------------------------------------------------------

// At _vex_init under --vex-isolate: the original process becomes the supervisor and
// never returns from here; the first runner returns.
void start_supervisor();
// At a case start: under isolation forks; the child returns CASE_RUNS and runs the case,
// the parent returns when the child crashed or timed out (CRASHED or TIMED_OUT, with the
// signal) or ends its process once the child finished the case.
enum CaseStart { CASE_RUNS, CASE_CRASHED, CASE_TIMED_OUT };
CaseStart isolate_case(const Options& o, int* signal);
void case_done();  // in the child at XT: tells the waiting parent
void arm_timer(const Options& o);
void disarm_timer();
extern bool in_case_child;  // this process runs an isolated case (its parent waits)

// ---- The run's control (control.cpp), called by the entry points of runtime.cpp ---------

bool active();  // any option that changes the run was given
// The dynamic file to open instead of `generated`; nullptr when none is written (--vex-list).
const char* dynamic_file(const char* generated);
void after_open();  // the file is open: the IS record, the supervisor
void enter(int kind, unsigned long id, int file, unsigned long caller, int caller_file);
void leave(int kind, int file, int caller_file);
void check_failed(unsigned long id, int file);
void term();     // at _vex_term, before END
void at_exit();  // exit() before _vex_term
bool discovering();

// ---- Writing, as runtime.cpp does it (safe in a signal handler but write_line) ---------

void write_line(const std::string& line);  // a whole record with its line feed
// All of it, retried when a signal interrupts; false with errno set when it failed.
bool write_all(int fd, const char* data, std::size_t n);
void write_enter(int kind, unsigned long id, int file, unsigned long caller, int caller_file);
void write_exit(int kind, int file, int caller_file);
void write_exit_unlocked(int kind, int file, int caller_file);  // in a signal handler
void append_raw(const char* text);                              // likewise, no lock
void drain_buffer();
void stop_trace();  // this process writes no more records (the discovery child)
void count_failure();
const std::vector<std::pair<unsigned, unsigned>>& registered_files();
// When the timer expires without isolation: TO, the case's XT and END 1.
void write_timeout_records();

}  // namespace vexrt
