// tp/runtime.cpp: libvextp, the run-time side of generated drivers and instrumented code.
// Every call appends one line to the dynamic file (format: docs/dynamic_file.md). Lines
// collect in a buffer written at every TEST CASE end, when full, at the end of the run,
// at exit() and on a fatal signal, so a driver that crashes leaves its trace up to the
// last event. Calls made before _vex_init (static objects of the code under test) are
// kept and written once the file is open.
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <string>
#include <unistd.h>
#include <vector>

#include "TP.h"

namespace {

constexpr std::size_t BUFFER = std::size_t{1} << 16;

struct Trace {
    int fd = -1;
    bool ended = false;
    char buffer[BUFFER];
    std::size_t used = 0;
    std::string early;  // before _vex_init
    std::vector<std::pair<unsigned, unsigned>> files;  // index -> checksum pair
    std::atomic<long> failures{0};
};

Trace trace;
std::mutex lock;  // code under test may run threads

// Writes the buffer out; safe in a signal handler (write(2) only).
void drain() {
    std::size_t done = 0;
    while (trace.fd >= 0 && done < trace.used) {
        const ssize_t n = write(trace.fd, trace.buffer + done, trace.used - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    trace.used = 0;
}

void append(const char* text, std::size_t n) {
    if (trace.fd < 0) {
        if (!trace.ended)
            trace.early.append(text, n);
        return;
    }
    if (trace.used + n > BUFFER)
        drain();
    if (n > BUFFER) {  // a huge printed value: straight to the file
        for (std::size_t done = 0; done < n;) {
            const ssize_t w = write(trace.fd, text + done, n - done);
            if (w <= 0)
                return;
            done += static_cast<std::size_t>(w);
        }
        return;
    }
    std::memcpy(trace.buffer + trace.used, text, n);
    trace.used += n;
}

// One line being formatted: a tag, then fields separated by blanks.
class Line {
public:
    explicit Line(const char* tag) { add_text(tag); }
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
    Line& file(_vex_Int index) { return hex(static_cast<unsigned long>(static_cast<unsigned>(index))); }
    Line& word(const char* w) {
        text_[size_++] = ' ';
        add_text(w);
        return *this;
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

// Texts (printed values, method names) on one line: backslash escapes for the backslash,
// tab, line breaks and other control bytes.
void append_escaped(std::string& out, const char* text, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c < 0x20 || c == 0x7f) {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02x", c);
            out += hex;
        } else {
            out += static_cast<char>(c);
        }
    }
}

void record(const char* tag, unsigned long a, _vex_Int f) {
    std::lock_guard<std::mutex> guard(lock);
    Line(tag).hex(a).file(f).write();
}

void record_check(const char* tag, int verdict, _vex_Id id, _vex_Int file) {
    if (!verdict)
        ++trace.failures;
    std::lock_guard<std::mutex> guard(lock);
    Line(tag).hex(verdict ? 1 : 0).hex(id).file(file).write();
}

void record_enter(const char* tag, _vex_Id id, _vex_Int file, _vex_Id caller, _vex_Int caller_file) {
    std::lock_guard<std::mutex> guard(lock);
    Line(tag).hex(id).file(file).hex(caller).file(caller_file).write();
}

// ---- Abnormal ends ------------------------------------------------------------------

constexpr int FATAL_SIGNALS[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};

extern "C" void on_fatal_signal(int signal) {
    // The lock may be held by the code that crashed: the buffer is written as it is.
    char line[32];
    int n = std::snprintf(line, sizeof line, "CRASH %d\n", signal);
    if (trace.used + static_cast<std::size_t>(n) <= BUFFER) {
        std::memcpy(trace.buffer + trace.used, line, static_cast<std::size_t>(n));
        trace.used += static_cast<std::size_t>(n);
    }
    drain();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void on_exit_without_term() {
    std::lock_guard<std::mutex> guard(lock);
    if (trace.fd < 0 || trace.ended)
        return;
    Line("EXITCALL").write();
    drain();
}

// ---- Contracts: the method running on each object ------------------------------------

struct Frame {
    const void* object;
    const char* method;
};
thread_local std::vector<Frame> methods;

void record_contract(const char* tag, const char* verdict, unsigned long id, _vex_Int file) {
    std::string line = tag;
    line += ' ';
    line += verdict;
    char text[64];
    std::snprintf(text, sizeof text, " %lx %x %lx ", id, static_cast<unsigned>(file),
                  static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(
                      methods.empty() ? nullptr : methods.back().object)));
    line += text;
    const char* method = methods.empty() ? "" : methods.back().method;
    append_escaped(line, method, std::strlen(method));
    line += '\n';
    std::lock_guard<std::mutex> guard(lock);
    append(line.data(), line.size());
}

void record_state(const char* tag, const void* object, long id, _vex_Int file) {
    std::lock_guard<std::mutex> guard(lock);
    Line(tag).hex(static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(object)))
        .hex(static_cast<unsigned long>(id))
        .file(file)
        .write();
}

}  // namespace

void _vex_init(const _vex_Car* dynamic_file, _vex_Ulong id_offset, _vex_Ulong message_offset,
               _vex_Ulong text_offset) {
    std::lock_guard<std::mutex> guard(lock);
    const char* name = dynamic_file ? dynamic_file : "";
    trace.fd = open(name, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (trace.fd < 0) {
        std::fprintf(stderr, "vextp: cannot create the dynamic file `%s': %s\n", name,
                     std::strerror(errno));
        std::_Exit(2);
    }
    Line("VEXTRACE").hex(1).write();
    Line("INIT").hex(id_offset).hex(message_offset).hex(text_offset).write();
    for (std::size_t i = 0; i < trace.files.size(); ++i)
        Line("FILE").hex(i).hex(trace.files[i].first).hex(trace.files[i].second).write();
    append(trace.early.data(), trace.early.size());
    trace.early.clear();
    trace.early.shrink_to_fit();
    for (int s : FATAL_SIGNALS)
        std::signal(s, on_fatal_signal);
    std::atexit(on_exit_without_term);
}

void _vex_term() {
    std::lock_guard<std::mutex> guard(lock);
    if (trace.fd < 0)
        return;
    Line("END").hex(trace.failures ? 1 : 0).write();
    drain();
    close(trace.fd);
    trace.fd = -1;
    trace.ended = true;
}

int _vex_exit_status() { return trace.failures ? 1 : 0; }

_vex_Int _vex_add_source_file(unsigned sum_a, unsigned sum_b) {
    std::lock_guard<std::mutex> guard(lock);
    for (std::size_t i = 0; i < trace.files.size(); ++i)
        if (trace.files[i] == std::make_pair(sum_a, sum_b))
            return static_cast<_vex_Int>(i);
    trace.files.emplace_back(sum_a, sum_b);
    const std::size_t index = trace.files.size() - 1;
    if (trace.fd >= 0)  // otherwise written by _vex_init
        Line("FILE").hex(index).hex(sum_a).hex(sum_b).write();
    return static_cast<_vex_Int>(index);
}

void _vex_enter_test_class(_vex_Id id, _vex_Int f, _vex_Id caller, _vex_Int cf) {
    record_enter("EC", id, f, caller, cf);
}
void _vex_exit_test_class(_vex_Int f, _vex_Int cf) { record("XC", static_cast<unsigned>(f), cf); }
void _vex_enter_test_suite(_vex_Id id, _vex_Int f, _vex_Id caller, _vex_Int cf) {
    record_enter("ES", id, f, caller, cf);
}
void _vex_exit_test_suite(_vex_Int f, _vex_Int cf) { record("XS", static_cast<unsigned>(f), cf); }
void _vex_enter_test_case(_vex_Id id, _vex_Int f, _vex_Id caller, _vex_Int cf) {
    record_enter("ET", id, f, caller, cf);
}
void _vex_exit_test_case(_vex_Int f, _vex_Int cf) {
    record("XT", static_cast<unsigned>(f), cf);
    std::lock_guard<std::mutex> guard(lock);
    drain();  // a crash in a later test case keeps everything up to here
}
void _vex_enter_proc(_vex_Id id, _vex_Int f, _vex_Id caller, _vex_Int cf) {
    record_enter("EP", id, f, caller, cf);
}
void _vex_exit_proc(_vex_Int f) {
    std::lock_guard<std::mutex> guard(lock);
    Line("XP").file(f).write();
}
void _vex_enter_stub(_vex_Id id, _vex_Int f, _vex_Id caller, _vex_Int cf) {
    record_enter("EB", id, f, caller, cf);
}
void _vex_exit_stub(_vex_Int f) {
    std::lock_guard<std::mutex> guard(lock);
    Line("XB").file(f).write();
}

void _vex_check(int v, _vex_Id id, _vex_Int f) { record_check("CK", v, id, f); }
void _vex_check_property(int v, _vex_Id id, _vex_Int f) { record_check("CP", v, id, f); }
void _vex_check_prepos(int v, _vex_Id id, _vex_Int f) { record_check("CR", v, id, f); }
void _vex_check_exception(int v, _vex_Id id, _vex_Int f) { record_check("CX", v, id, f); }
void _vex_check_stub(int v, _vex_Id id, _vex_Int f) { record_check("CS", v, id, f); }
void _vex_check_method(int v, _vex_Id id, _vex_Int f) { record_check("CM", v, id, f); }

void _vex_enter_error(_vex_Id on_error, _vex_Int f) { record("OE", on_error, f); }
void _vex_exit_error(_vex_Id id) {
    std::lock_guard<std::mutex> guard(lock);
    Line("OX").hex(id).write();
}
void _vex_unexpected_exception(_vex_Id id, _vex_Int f) {
    ++trace.failures;
    record("UX", id, f);
}
void _vex_comment(_vex_Id id, _vex_Int f) { record("CO", id, f); }

void _vex_print_start(_vex_Id id, _vex_Int f) { record("PS", id, f); }
void _vex_print_value(const _vex_Car* text, const char* value, std::size_t length) {
    std::string line = "PV ";
    append_escaped(line, text ? text : "", text ? std::strlen(text) : 0);
    line += '\t';
    append_escaped(line, value, length);
    line += '\n';
    std::lock_guard<std::mutex> guard(lock);
    append(line.data(), line.size());
}
void _vex_print_end() {
    std::lock_guard<std::mutex> guard(lock);
    Line("PE").write();
}

// ---- Contract checks woven into the code under test -----------------------------------

void _vxk_assert_invariant(bool holds, unsigned long id, _vex_Int file) {
    if (!holds)
        ++trace.failures;
    record_contract("AI", holds ? "1" : "0", id, file);
}
void _vxk_assert_pre_cond(bool holds, unsigned long id, _vex_Int file) {
    if (!holds)
        ++trace.failures;
    record_contract("AR", holds ? "1" : "0", id, file);
}
void _vxk_assert_post_cond(bool holds, unsigned long id, _vex_Int file) {
    if (!holds)
        ++trace.failures;
    record_contract("AE", holds ? "1" : "0", id, file);
}
void _vxk_post_cond_not_judged(unsigned long id, _vex_Int file) {
    record_contract("AE", "n", id, file);
}

void _vxk_enter_method(const void* object, const char* method) {
    methods.push_back(Frame{object, method});
}
void _vxk_exit_method(const void*) {
    if (!methods.empty())
        methods.pop_back();
}

void _vxk_report_current_state(const void* object, long id, _vex_Int file) {
    record_state("SS", object, id, file);
}
void _vxk_report_transition(const void* object, long id, _vex_Int file) {
    record_state("ST", object, id, file);
}
void _vxk_report_illegal_transition(const void* object, long id, _vex_Int file) {
    ++trace.failures;
    record_state("SI", object, id, file);
}
void _vxk_report_multiple_transitions(const void* object, long id, _vex_Int file) {
    ++trace.failures;
    record_state("SM", object, id, file);
}
