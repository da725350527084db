// gen/generation_state.h: the state of one generation and the primitives every emitter
// writes with: indented text, checked formats, fixed blocks of rows, #line directives and
// labels. The state is handed to every emitter, never global, and generation writes nothing
// into the tree it reads: what it must remember about a component (a stub's texts, its next
// CHECK STUB selector) lives in side tables here, keyed by the component, so generating twice
// from one tree gives the same text.
//
// Errors follow vexprepro's convention (errors/report.h): the function that finds a problem
// reports it and returns -1 (or nullptr), its callers pass -1 on without reporting again.
// Unlike the readers, the generator stops at its first failure, and the files are then
// discarded. Functions that cannot fail return void. Text is formatted straight into
// buffers flushed to the files in large pieces.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "driver/options.h"
#include "fi/component.h"
#include "gen/format.h"
#include "gen/output_file.h"
#include "utils/text.h"  // comment_text, literal_text

// The actual texts bound to the formal parameters of one component while its execution
// (or the check of a PROPERTY) is generated.
struct Binding {
    const Component* owner = nullptr;
    std::vector<std::pair<const char*, const char*>> pairs;  // formal, actual (interned)
};

// The first child of each kind that an execution uses (only the first one counts).
struct FirstChildren {
    const Component* on_error = nullptr;
    const Component* prologue = nullptr;
    const Component* epilogue = nullptr;
    const Component* run = nullptr;
};

// One execution being generated: the TEST CASE, PROC, stub or CHECK STUB whose end label,
// identity and ON ERROR reaction the statements inside it use.
struct Execution {
    const Component* component = nullptr;
    unsigned long number = 0;  // its run_number value: the suffix of its labels
};

// A stub's body is built in three texts while generation goes on (its `switch` collects a
// case from every CHECK STUB of the run) and written at the end of the driver file.
struct StubTexts {
    std::string head, cases, tail;
    unsigned long next_selector = 1;  // the case number of the next CHECK STUB
};

struct Generation {
    const Options* options = nullptr;  // the run's settings, read only
    GeneratedFile driver, instrumentation;
    std::string driver_text, instrumentation_text;  // not yet flushed
    std::string* capture = nullptr;  // a stub text taking the driver text meanwhile
    std::uint32_t driver_line = 1;   // the driver line being written, as far as counted:
    std::size_t driver_counted = 0;  // the bytes of driver_text whose line breaks it counts
    unsigned long state_index = 0;   // case counter of the innermost state machine
    unsigned long run_number = 1;    // next execution number
    const Component* active_on_error = nullptr;
    std::vector<Binding> bindings;   // oldest first
    std::unordered_map<const Component*, std::vector<std::size_t>> bindings_of;  // positions
    std::unordered_set<const Component*> run_stack, call_stack;
    std::unordered_map<const Component*, FirstChildren> first_children;
    std::unordered_set<std::uint32_t> declared_counters;  // ids of components declared
    std::unordered_map<const Component*, StubTexts> stubs;
    std::uint64_t emitted = 0;        // bytes of driver text so far, captured ones included
    std::uint64_t emitted_limit = 0;  // beyond it executions are refused (see below)
    std::string driver_directive_path;  // "\"<dir><output>\"", made once
    const Component* last_source = nullptr;  // cache for source directives:
    std::string last_source_path;             // its "\"<dir><file>\""
};

// Where driver text goes (the capture text of a stub, or the driver buffer), and the
// bookkeeping after text was appended to it at `from`.
std::string& driver_sink(Generation& g);
void after_driver_write(Generation& g, std::size_t from);
void after_instrumentation_write(Generation& g);

// Writes depth times three blanks then `text` to the driver file (or to the capture text
// when one is set); newlines written to the driver file advance driver_line (counted in
// bulk, when a #line directive needs it or the text is flushed).
void emit(Generation& g, int depth, std::string_view text);
template <typename... Args>
void emitf(Generation& g, int depth, Format<Args...> format, const Args&... args) {
    std::string& sink = driver_sink(g);
    const std::size_t from = sink.size();
    sink.append(static_cast<std::size_t>(depth) * 3, ' ');
    append_formatted(sink, format, args...);
    after_driver_write(g, from);
}

// Writes to the instrumentation file unchanged.
void emit_instrumentation(Generation& g, std::string_view text);
template <typename... Args>
void emit_instrumentationf(Generation& g, Format<Args...> format, const Args&... args) {
    append_formatted(g.instrumentation_text, format, args...);
    after_instrumentation_write(g);
}

// A fixed block of lines, each at `depth` plus its own.
struct Row {
    int depth;
    const char* text;
};
template <std::size_t N>
void emit_rows(Generation& g, int depth, const Row (&rows)[N]) {
    for (const Row& r : rows)
        emit(g, depth + r.depth, r.text);
}

// "#line <first_line> \"<dir><file>\"" for a component, into the driver file (or capture)
// or into the instrumentation file; nothing with -NODLINE.
void line_to_source(Generation& g, const Component* c);
void instrumentation_line_to_source(Generation& g, const Component* c);
// Back to the driver file's own numbering; nothing with -NODLINE or while capturing.
void line_to_driver(Generation& g);
inline bool directives_off(const Generation& g) { return g.options->no_line_directives; }

// "<prefix><name>_<number><suffix>" and "goto _VEX_END_..." for a TEST CASE or PROC.
void emit_label(Generation& g, const char* prefix, const Component* c, unsigned long number,
                const char* suffix, int depth);
int emit_jump_to_end(Generation& g, const Execution& e, int depth);

// Moves the buffered text to the files (done as the buffers grow and at the end).
void flush_generated_text(Generation& g, bool force);

// The two numbers of a component's identity pair: its id and its file's index.
inline unsigned long id_of(const Component* c) { return c->id; }
inline unsigned file_index(const Component* c) { return static_cast<unsigned>(c->file_no - 1); }

// Executions and calls are written inline, so a few lines of script can ask for an
// exponential amount of driver text. Past a bound proportional to the tree (far beyond
// any driver a compiler could take) the execution at `at` is refused with message 27.
// 0, or -1 after reporting.
int check_driver_size(Generation& g, const Component* at);

// Reports message 48 for `c` ("Unknown token `name' in internal form.") and returns -1.
int unknown_component(const Component* c);
// Reports message 49 and returns -1.
int null_component(const Component* at);
