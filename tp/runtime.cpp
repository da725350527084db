// tp/runtime.cpp: libvextp, the run-time side of generated drivers and instrumented code.
// Every call appends one line to the dynamic file (its records: formats/trace.h, explained
// in docs/dynamic_file.md). Lines collect in a buffer written at every TEST CASE start, when
// full, at the end of the run, at exit() and on a fatal signal, so a driver that crashes
// leaves its trace up to the last event, and one killed from outside everything up to the
// start of the case that was running. The driver's options (control.cpp) decide which
// classes, suites and cases are entered. Calls made before _vex_init (static objects of
// the code under test) are kept and written once the file is open.
// A dynamic file that cannot be created ends the driver with a message and status 2. The
// run never stops for its trace, but it never loses events silently either: the first
// write that does not go through (a full disk) is said on standard error, nothing more is
// written, and the driver's exit status becomes 2 (vexreport then finds the file
// incomplete). A write interrupted by a signal is retried.
#include <atomic>
#include <cerrno>
#include <csignal>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <typeinfo>
#include <fcntl.h>
#include <mutex>
#include <string>
#include <unistd.h>
#include <vector>
#if defined(__has_include)
#if __has_include(<cxxabi.h>)
#include <cxxabi.h>
#define VEX_HAS_CXXABI 1
#endif
#endif

#include "TP.h"
#include "formats/trace.h"  // private to the library: the installed headers stay alone
#include "rt.h"

namespace {

constexpr std::size_t BUFFER = std::size_t{1} << 16;

struct Trace {
    int fd = -1;
    bool ended = false;
    bool write_failed = false;  // a write did not go through: nothing more is written
    std::string name;           // of the dynamic file, for the message
    std::vector<long long> started;  // microseconds at each open class, suite and case
    char buffer[BUFFER];
    std::size_t used = 0;
    std::string early;  // before _vex_init
    std::vector<std::pair<unsigned, unsigned>> files;  // index -> checksum pair
    std::atomic<long> failures{0};
};

Trace run;        // the dynamic file of this run
std::mutex lock;  // code under test may run threads

// The first write that failed, said once; write(2) only, as drain() may run in a signal
// handler.
void write_failed(int error) {
    run.write_failed = true;
    const char* parts[] = {"vextp: cannot write the dynamic file `", run.name.c_str(), "': ",
                           std::strerror(error),
                           "; the events after that are lost and the driver's status is 2\n"};
    for (const char* p : parts)
        vexrt::write_all(2, p, std::strlen(p));
}

// Writes the buffer out; safe in a signal handler (write(2) only).
void drain() {
    if (run.fd >= 0 && !run.write_failed && run.used > 0 &&
        !vexrt::write_all(run.fd, run.buffer, run.used))
        write_failed(errno);
    run.used = 0;
}

void append(const char* text, std::size_t n) {
    if (run.fd < 0) {
        if (!run.ended)
            run.early.append(text, n);
        return;
    }
    if (run.used + n > BUFFER)
        drain();
    if (n > BUFFER) {  // a huge printed value: straight to the file
        if (!run.write_failed && !vexrt::write_all(run.fd, text, n))
            write_failed(errno);
        return;
    }
    std::memcpy(run.buffer + run.used, text, n);
    run.used += n;
}

long long microseconds_now() {  // clock_gettime: safe in a signal handler
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<long long>(t.tv_sec) * 1000000 + t.tv_nsec / 1000;
}

// One line being formatted: a tag, then fields separated by blanks.
class Line {
public:
    explicit Line(const trace::Tag& tag) { add_text(tag.name); }
    explicit Line(const char* magic) { add_text(magic); }
    Line& hex(unsigned long value) {
        char digits[20];
        int n = 0;
        do {
            digits[n++] = "0123456789abcdef"[value & 15];
            value >>= 4;
        } while (value);
        text_[size_++] = ' ';
        while (n > 0)
            text_[size_++] = digits[--n];
        return *this;
    }
    Line& file(_vex_Int index) {
        return hex(static_cast<unsigned long>(static_cast<unsigned>(index)));
    }
    void write() {
        text_[size_++] = '\n';
        append(text_, size_);
    }

private:
    void add_text(const char* w) {
        while (*w && size_ < sizeof text_ - 2)
            text_[size_++] = *w++;
    }
    char text_[192];
    std::size_t size_ = 0;
};

void record(const trace::Tag& tag, unsigned long a, _vex_Int f) {
    std::lock_guard<std::mutex> guard(lock);
    Line(tag).hex(a).file(f).write();
}

void record_check(const trace::Tag& tag, int verdict, _vex_Id id, _vex_Int file) {
    if (!verdict)
        ++run.failures;
    if (!verdict && vexrt::active())
        vexrt::check_failed(id, file);
    std::lock_guard<std::mutex> guard(lock);
    Line(tag).hex(verdict ? 1 : 0).hex(id).file(file).write();
}

void record_enter(const trace::Tag& tag, _vex_Id id, _vex_Int file, _vex_Id caller,
                  _vex_Int caller_file) {
    std::lock_guard<std::mutex> guard(lock);
    Line(tag).hex(id).file(file).hex(caller).file(caller_file).write();
}

// Class, suite and case enters start a clock that their exits read (TM before X?).
void record_enter_timed(const trace::Tag& tag, _vex_Id id, _vex_Int file, _vex_Id caller,
                        _vex_Int caller_file) {
    std::lock_guard<std::mutex> guard(lock);
    run.started.push_back(microseconds_now());
    Line(tag).hex(id).file(file).hex(caller).file(caller_file).write();
}

// Without the lock: the timeout handler writes the running case's end too.
void record_exit_unlocked(const trace::Tag& tag, _vex_Int file, _vex_Int caller_file) {
    if (!run.started.empty()) {
        const long long elapsed = microseconds_now() - run.started.back();
        run.started.pop_back();
        Line(trace::ELAPSED).hex(static_cast<unsigned long>(elapsed > 0 ? elapsed : 0)).write();
    }
    Line(tag).file(file).file(caller_file).write();
}

void record_exit_timed(const trace::Tag& tag, _vex_Int file, _vex_Int caller_file) {
    std::lock_guard<std::mutex> guard(lock);
    record_exit_unlocked(tag, file, caller_file);
}

// ---- Abnormal ends ------------------------------------------------------------------

constexpr int FATAL_SIGNALS[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};

extern "C" void on_fatal_signal(int signal) {
    // The lock may be held by the code that crashed: the buffer is written as it is. In an
    // isolated case the process waiting at the case start writes CRASH.
    // A buffer too full for CRASH is written out first.
    char line[32];
    int n = std::snprintf(line, sizeof line, "%s %d\n", trace::CRASH.name, signal);
    if (!vexrt::in_case_child) {
        if (run.used + static_cast<std::size_t>(n) > BUFFER)
            drain();
        std::memcpy(run.buffer + run.used, line, static_cast<std::size_t>(n));
        run.used += static_cast<std::size_t>(n);
    }
    drain();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void on_exit_without_term() {
    vexrt::at_exit();
    std::lock_guard<std::mutex> guard(lock);
    if (run.fd < 0 || run.ended)
        return;
    Line(trace::EXIT_CALL).write();
    drain();
}

// ---- Contracts: the method running on each object ------------------------------------

struct Frame {
    const void* object;
    const char* method;
};
thread_local std::vector<Frame> methods;

void record_contract(const trace::Tag& tag, const char* verdict, unsigned long id, _vex_Int file) {
    std::string line = tag.name;
    line += ' ';
    line += verdict;
    char text[64];
    std::snprintf(text, sizeof text, " %lx %x %lx ", id, static_cast<unsigned>(file),
                  static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(
                      methods.empty() ? nullptr : methods.back().object)));
    line += text;
    const char* method = methods.empty() ? "" : methods.back().method;
    trace::append_escaped(line, method);
    line += '\n';
    std::lock_guard<std::mutex> guard(lock);
    append(line.data(), line.size());
}

void record_state(const trace::Tag& tag, const void* object, long id, _vex_Int file) {
    std::lock_guard<std::mutex> guard(lock);
    Line(tag).hex(static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(object)))
        .hex(static_cast<unsigned long>(id))
        .file(file)
        .write();
}

// SF <method>: the states are judged as the outermost public call ends, still inside it.
void record_fault_method() {
    std::string line = trace::FAULT_METHOD.name;
    line += ' ';
    trace::append_escaped(line, methods.empty() ? "" : methods.back().method);
    line += '\n';
    std::lock_guard<std::mutex> guard(lock);
    append(line.data(), line.size());
}

}  // namespace

// ---- What the run's control writes ----------------------------------------------------

namespace vexrt {

constexpr const trace::Tag* ENTER_TAGS[] = {&trace::ENTER_CLASS, &trace::ENTER_SUITE,
                                            &trace::ENTER_CASE};
constexpr const trace::Tag* EXIT_TAGS[] = {&trace::EXIT_CLASS, &trace::EXIT_SUITE,
                                           &trace::EXIT_CASE};

void write_line(const std::string& line) {
    std::lock_guard<std::mutex> guard(lock);
    append(line.data(), line.size());
}
void append_raw(const char* text) { append(text, std::strlen(text)); }
void write_enter(int kind, unsigned long id, int file, unsigned long caller, int caller_file) {
    record_enter_timed(*ENTER_TAGS[kind], id, file, caller, caller_file);
}
void write_exit(int kind, int file, int caller_file) {
    record_exit_timed(*EXIT_TAGS[kind], file, caller_file);
}
void write_exit_unlocked(int kind, int file, int caller_file) {
    record_exit_unlocked(*EXIT_TAGS[kind], file, caller_file);
}

bool write_all(int fd, const char* data, std::size_t n) {
    for (std::size_t done = 0; done < n;) {
        const ssize_t w = write(fd, data + done, n - done);
        if (w < 0 && errno == EINTR)
            continue;
        if (w <= 0) {
            if (w == 0)
                errno = EIO;
            return false;
        }
        done += static_cast<std::size_t>(w);
    }
    return true;
}
void drain_buffer() { drain(); }
void stop_trace() {
    run.fd = -1;
    run.ended = true;
    run.used = 0;
}
void count_failure() { ++run.failures; }
const std::vector<std::pair<unsigned, unsigned>>& registered_files() { return run.files; }

}  // namespace vexrt

namespace {

void open_trace(const char* name, _vex_Ulong id_offset, _vex_Ulong message_offset,
                _vex_Ulong text_offset) {
    std::lock_guard<std::mutex> guard(lock);
    run.name = name;
    run.fd = open(name, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (run.fd < 0) {
        std::fprintf(stderr, "vextp: cannot create the dynamic file `%s': %s\n", name,
                     std::strerror(errno));
        std::_Exit(2);
    }
    Line(trace::MAGIC).hex(trace::VERSION).write();
    Line(trace::INIT).hex(id_offset).hex(message_offset).hex(text_offset).write();
    for (std::size_t i = 0; i < run.files.size(); ++i)
        Line(trace::SOURCE_FILE).hex(i).hex(run.files[i].first).hex(run.files[i].second).write();
    append(run.early.data(), run.early.size());
    run.early.clear();
    run.early.shrink_to_fit();
    for (int s : FATAL_SIGNALS)
        std::signal(s, on_fatal_signal);
    std::atexit(on_exit_without_term);
}

}  // namespace

void _vex_init(const _vex_Car* dynamic_file, _vex_Ulong id_offset, _vex_Ulong message_offset,
               _vex_Ulong text_offset) {
    const char* name = vexrt::dynamic_file(dynamic_file ? dynamic_file : "");
    if (!name) {  // a run that only lists its cases writes no records
        run.ended = true;
        run.early.clear();
        return;
    }
    open_trace(name, id_offset, message_offset, text_offset);
    vexrt::after_open();
}

void _vex_term() {
    vexrt::term();
    std::lock_guard<std::mutex> guard(lock);
    if (run.fd < 0)
        return;
    Line(trace::END).hex(run.failures ? 1 : 0).write();
    drain();
    if (close(run.fd) != 0 && !run.write_failed)
        write_failed(errno);
    run.fd = -1;
    run.ended = true;
}

int _vex_exit_status() { return run.write_failed ? 2 : run.failures ? 1 : 0; }

_vex_Int _vex_add_source_file(unsigned sum_a, unsigned sum_b) {
    std::lock_guard<std::mutex> guard(lock);
    for (std::size_t i = 0; i < run.files.size(); ++i)
        if (run.files[i] == std::make_pair(sum_a, sum_b))
            return static_cast<_vex_Int>(i);
    run.files.emplace_back(sum_a, sum_b);
    const std::size_t index = run.files.size() - 1;
    if (run.fd >= 0)  // otherwise written by _vex_init
        Line(trace::SOURCE_FILE).hex(index).hex(sum_a).hex(sum_b).write();
    return static_cast<_vex_Int>(index);
}

void _vex_enter_test_class(_vex_Id id, _vex_Int f, _vex_Id caller, _vex_Int cf) {
    if (vexrt::active())
        return vexrt::enter(vexrt::CLASS, id, f, caller, cf);
    record_enter_timed(trace::ENTER_CLASS, id, f, caller, cf);
}
void _vex_exit_test_class(_vex_Int f, _vex_Int cf) {
    if (vexrt::active())
        return vexrt::leave(vexrt::CLASS, f, cf);
    record_exit_timed(trace::EXIT_CLASS, f, cf);
}
void _vex_enter_test_suite(_vex_Id id, _vex_Int f, _vex_Id caller, _vex_Int cf) {
    if (vexrt::active())
        return vexrt::enter(vexrt::SUITE, id, f, caller, cf);
    record_enter_timed(trace::ENTER_SUITE, id, f, caller, cf);
}
void _vex_exit_test_suite(_vex_Int f, _vex_Int cf) {
    if (vexrt::active())
        return vexrt::leave(vexrt::SUITE, f, cf);
    record_exit_timed(trace::EXIT_SUITE, f, cf);
}
void _vex_enter_test_case(_vex_Id id, _vex_Int f, _vex_Id caller, _vex_Int cf) {
    if (vexrt::active())
        return vexrt::enter(vexrt::CASE, id, f, caller, cf);
    record_enter_timed(trace::ENTER_CASE, id, f, caller, cf);
    std::lock_guard<std::mutex> guard(lock);
    drain();  // a kill from outside leaves everything up to this case's start
}
void _vex_exit_test_case(_vex_Int f, _vex_Int cf) {
    if (vexrt::active())
        return vexrt::leave(vexrt::CASE, f, cf);
    record_exit_timed(trace::EXIT_CASE, f, cf);
}
void _vex_enter_proc(_vex_Id id, _vex_Int f, _vex_Id caller, _vex_Int cf) {
    record_enter(trace::ENTER_PROC, id, f, caller, cf);
}
void _vex_exit_proc(_vex_Int f) {
    std::lock_guard<std::mutex> guard(lock);
    Line(trace::EXIT_PROC).file(f).write();
}
void _vex_enter_stub(_vex_Id id, _vex_Int f, _vex_Id caller, _vex_Int cf) {
    record_enter(trace::ENTER_STUB, id, f, caller, cf);
}
void _vex_exit_stub(_vex_Int f) {
    std::lock_guard<std::mutex> guard(lock);
    Line(trace::EXIT_STUB).file(f).write();
}

void _vex_check(int v, _vex_Id id, _vex_Int f) { record_check(trace::CHECK, v, id, f); }
void _vex_check_property(int v, _vex_Id id, _vex_Int f) {
    record_check(trace::CHECK_PROPERTY, v, id, f);
}
void _vex_check_prepos(int v, _vex_Id id, _vex_Int f) {
    record_check(trace::CHECK_CONDITION, v, id, f);
}
void _vex_check_exception(int v, _vex_Id id, _vex_Int f) {
    record_check(trace::CHECK_EXCEPTION, v, id, f);
}
void _vex_check_stub(int v, _vex_Id id, _vex_Int f) { record_check(trace::CHECK_STUB, v, id, f); }
void _vex_check_method(int v, _vex_Id id, _vex_Int f) {
    record_check(trace::CHECK_METHOD, v, id, f);
}

void _vex_enter_error(_vex_Id on_error, _vex_Int f) { record(trace::ENTER_ERROR, on_error, f); }
void _vex_exit_error(_vex_Id id) {
    std::lock_guard<std::mutex> guard(lock);
    Line(trace::EXIT_ERROR).hex(id).write();
}
namespace {

// The type of the exception being handled, demangled where the compiler tells it.
std::string exception_type() {
#if defined(VEX_HAS_CXXABI)
    if (const std::type_info* type = abi::__cxa_current_exception_type()) {
        int status = 0;
        char* name = abi::__cxa_demangle(type->name(), nullptr, nullptr, &status);
        std::string text = status == 0 && name ? name : type->name();
        std::free(name);
        return text;
    }
#endif
    return "(an exception of unknown type)";
}

// UD <type>TAB<what()>: called from the driver's catch (...), so the exception is current.
void record_exception() {
    std::string line = trace::EXCEPTION_TYPE.name;
    line += ' ';
    trace::append_escaped(line, exception_type());
    line += '\t';
#if defined(__cpp_exceptions) || defined(__EXCEPTIONS)
    try {
        if (std::current_exception())
            std::rethrow_exception(std::current_exception());
    } catch (const std::exception& e) {
        trace::append_escaped(line, e.what());
    } catch (...) {
    }
#endif
    line += '\n';
    std::lock_guard<std::mutex> guard(lock);
    append(line.data(), line.size());
}

}  // namespace

void _vex_unexpected_exception(_vex_Id id, _vex_Int f) {
    ++run.failures;
    record_exception();
    record(trace::UNEXPECTED, id, f);
}
void _vex_comment(_vex_Id id, _vex_Int f) { record(trace::COMMENT, id, f); }

void _vex_print_start(_vex_Id id, _vex_Int f) { record(trace::PRINT_START, id, f); }
void _vex_print_value(const _vex_Car* text, const char* value, std::size_t length) {
    std::string line = trace::PRINT_VALUE.name;
    line += ' ';
    trace::append_escaped(line, text ? text : "");
    line += '\t';
    trace::append_escaped(line, std::string_view(value, length));
    line += '\n';
    std::lock_guard<std::mutex> guard(lock);
    append(line.data(), line.size());
}
void _vex_values(const std::string& left, const _vex_Car* op, const std::string& right) {
    std::string line = trace::VALUES.name;
    line += ' ';
    trace::append_escaped(line, left);
    line += '\t';
    trace::append_escaped(line, op ? op : "");
    line += '\t';
    trace::append_escaped(line, right);
    line += '\n';
    std::lock_guard<std::mutex> guard(lock);
    append(line.data(), line.size());
}
void _vex_false_expression(const _vex_Car* text) {
    std::string line = trace::FALSE_EXPRESSION.name;
    line += ' ';
    trace::append_escaped(line, text ? text : "");
    line += '\n';
    std::lock_guard<std::mutex> guard(lock);
    append(line.data(), line.size());
}
void _vex_print_end() {
    std::lock_guard<std::mutex> guard(lock);
    Line(trace::PRINT_END).write();
}

// ---- Contract checks woven into the code under test -----------------------------------

void _vxk_assert_invariant(bool holds, unsigned long id, _vex_Int file) {
    if (!holds)
        ++run.failures;
    record_contract(trace::INVARIANT, holds ? trace::PASSED : trace::FAILED, id, file);
}
void _vxk_assert_pre_cond(bool holds, unsigned long id, _vex_Int file) {
    if (!holds)
        ++run.failures;
    record_contract(trace::PRECONDITION, holds ? trace::PASSED : trace::FAILED, id, file);
}
void _vxk_assert_post_cond(bool holds, unsigned long id, _vex_Int file) {
    if (!holds)
        ++run.failures;
    record_contract(trace::POSTCONDITION, holds ? trace::PASSED : trace::FAILED, id, file);
}
void _vxk_post_cond_not_judged(unsigned long id, _vex_Int file) {
    record_contract(trace::POSTCONDITION, trace::NOT_JUDGED, id, file);
}

void _vxk_enter_method(const void* object, const char* method) {
    methods.push_back(Frame{object, method});
}
void _vxk_exit_method(const void*) {
    if (!methods.empty())
        methods.pop_back();
}

void _vxk_report_current_state(const void* object, long id, _vex_Int file) {
    record_state(trace::STATE, object, id, file);
}
void _vxk_report_transition(const void* object, long id, _vex_Int file) {
    record_state(trace::TRANSITION, object, id, file);
}
void _vxk_report_illegal_transition(const void* object, long id, _vex_Int file) {
    ++run.failures;
    record_fault_method();
    record_state(trace::ILLEGAL_TRANSITION, object, id, file);
}
void _vxk_report_multiple_transitions(const void* object, long id, _vex_Int file) {
    ++run.failures;
    record_fault_method();
    record_state(trace::MULTIPLE_TRANSITIONS, object, id, file);
}
void _vxk_object_lifetime(const void* object) {
    std::lock_guard<std::mutex> guard(lock);
    Line(trace::OBJECT_LIFETIME)
        .hex(static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(object)))
        .write();
}
