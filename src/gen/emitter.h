// gen/emitter.h: the text of the driver and instrumentation files while it is being
// written, the generation state every emitter shares, and the primitives they write with:
// indented lines, #line directives, labels and fixed blocks of rows.
// Text is formatted straight into buffers that are flushed to the files in large pieces.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "fi/component.h"
#include "gen/output_file.h"
#include "utils/text.h"  // comment_text, literal_text

#if defined(__GNUC__)
#define VEX_PRINTF(f, a) __attribute__((format(printf, f, a)))
#else
#define VEX_PRINTF(f, a)
#endif

// The actual texts bound to the formal parameters of one component while its execution
// (or the check of a PROPERTY) is generated.
struct Binding {
    const Component* owner = nullptr;
    std::vector<std::pair<const char*, const char*>> pairs;  // formal, actual (interned)
};

// The first child of each kind that an execution uses (only the first one counts).
struct FirstChildren {
    Component* on_error = nullptr;
    Component* prologue = nullptr;
    Component* epilogue = nullptr;
    Component* run = nullptr;
};

// One execution being generated: the TEST CASE, PROC, stub or CHECK STUB whose end label,
// identity and ON ERROR reaction the statements inside it use.
struct Execution {
    Component* component = nullptr;
    unsigned long number = 0;  // its run_number value: the suffix of its labels
};

struct Generation {
    GeneratedFile driver, instrumentation;
    std::string driver_text, instrumentation_text;  // not yet flushed
    std::uint32_t driver_line = 1;   // the driver line being written, as far as counted:
    std::size_t driver_counted = 0;  // the bytes of driver_text whose line breaks it counts
    unsigned long state_index = 0;   // case counter of the innermost state machine
    unsigned long run_number = 1;    // next execution number
    Component* active_on_error = nullptr;
    std::vector<Binding> bindings;   // oldest first
    std::unordered_map<const Component*, std::vector<std::size_t>> bindings_of;  // owner ->
                                                                               // positions
    std::unordered_set<const Component*> run_stack, call_stack;
    std::unordered_map<const Component*, FirstChildren> first_children;
    std::unordered_set<std::uint32_t> declared_counters;  // ids of components declared
    std::uint64_t emitted = 0;        // bytes of driver text so far, captured ones included
    std::uint64_t emitted_limit = 0;  // beyond it executions are refused (see below)
    std::string driver_directive_path;  // "\"<dir><output>\"", made once
    const Component* last_source = nullptr;  // cache for source directives:
    std::string last_source_path;             // its "\"<dir><file>\""
};

Generation& gen();
void reset_generation();

// Writes depth times three blanks then `text` to the driver file (or to the capture
// text when one is set); newlines written to the driver file advance driver_line (counted
// in bulk, when a #line directive needs it or the text is flushed).
void emit(int depth, std::string_view text);
void emitf(int depth, const char* format, ...) VEX_PRINTF(2, 3);

// Writes to the instrumentation file unchanged.
void emit_instrumentation(std::string_view text);
void emit_instrumentationf(const char* format, ...) VEX_PRINTF(1, 2);

// A fixed block of lines, each at `depth` plus its own.
struct Row {
    int depth;
    const char* text;
};
template <std::size_t N>
void emit_rows(int depth, const Row (&rows)[N]) {
    for (const Row& r : rows)
        emit(depth + r.depth, r.text);
}

// "#line <first_line> \"<dir><file>\"" for a component, into the driver file (or capture)
// or into the instrumentation file; nothing with -NODLINE.
void line_to_source(const Component* c);
void instrumentation_line_to_source(const Component* c);
// Back to the driver file's own numbering; nothing with -NODLINE or while capturing.
void line_to_driver();

// "<prefix><name>_<number><suffix>" and "goto _VEX_END_..." for a TEST CASE or PROC.
void emit_label(const char* prefix, const Component* c, unsigned long number,
                const char* suffix, int depth);
int emit_jump_to_end(const Execution& e, int depth);

// Moves the buffered text to the files (done as the buffers grow and at the end).
void flush_generated_text(bool force);

// The two numbers of a component's identity pair: its id and its file's index.
inline unsigned long id_of(const Component* c) { return c->id; }
inline unsigned file_index(const Component* c) { return static_cast<unsigned>(c->file_no - 1); }

// Executions and calls are written inline, so a few lines of script can ask for an
// exponential amount of driver text. Past a bound proportional to the tree (far beyond
// any driver a compiler could take) the execution at `at` is refused with message 27.
// 0, or -1 after reporting.
int check_driver_size(const Component* at);

// Reports message 48 for `c` ("Unknown token `name' in internal form.") and returns -1.
int unknown_component(const Component* c);
// Reports message 49 and returns -1.
int null_component(const Component* at);
