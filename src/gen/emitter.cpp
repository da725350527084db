// gen/emitter.cpp: buffered, counted output of the generated files and the small
// formatting the templates need (%s, %d, %u, %x with an optional l): a run writes
// millions of lines, and printf's general machinery showed in the profile.
#include "gen/emitter.h"

#include <algorithm>
#include <cstdarg>
#include <cstdint>
#include <cstring>

#include "driver/options.h"
#include "errors/report.h"
#include "fi/names.h"
#include "utils/paths.h"
#include "utils/text.h"

namespace {

Generation generation;

constexpr std::size_t FLUSH_AT = std::size_t{1} << 20;

void append_formatted(std::string& out, const char* format, va_list args) {
    for (const char* p = format;;) {
        const char* q = std::strchr(p, '%');
        if (!q) {
            out.append(p);
            return;
        }
        out.append(p, static_cast<std::size_t>(q - p));
        ++q;
        const bool is_long = *q == 'l';
        q += is_long ? 1 : 0;
        switch (*q) {
        case 's': {
            const char* s = va_arg(args, const char*);
            out.append(s ? s : "");
            break;
        }
        case 'd': {
            const long v = is_long ? va_arg(args, long) : va_arg(args, int);
            if (v < 0)
                out += '-';
            append_unsigned(out, v < 0 ? 0UL - static_cast<unsigned long>(v)
                                       : static_cast<unsigned long>(v),
                            10);
            break;
        }
        case 'u':
        case 'x':
            append_unsigned(out, is_long ? va_arg(args, unsigned long) : va_arg(args, unsigned),
                            *q == 'u' ? 10 : 16);
            break;
        default:  // "%%"
            out += *q;
            break;
        }
        p = q + 1;
    }
}

// Line breaks in `text`, eight bytes at a time: every byte of the driver is counted,
// and a byte loop showed in the profile. Exact: no borrow crosses bytes.
std::size_t count_newlines(const char* text, std::size_t size) {
    constexpr std::uint64_t LOW7 = 0x7F7F7F7F7F7F7F7FULL, NEWLINES = 0x0A0A0A0A0A0A0A0AULL;
    std::size_t count = 0, i = 0;
    for (; i + 8 <= size; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, text + i, 8);
        const std::uint64_t x = word ^ NEWLINES;  // zero bytes where the line breaks are
        const std::uint64_t high = ~(((x & LOW7) + LOW7) | x | LOW7);
        // One flag bit per byte (bit 7): sum the eight bytes into the top one.
        count += static_cast<std::size_t>(((high >> 7) * 0x0101010101010101ULL) >> 56);
    }
    for (; i < size; ++i)
        count += text[i] == '\n';
    return count;
}

// Where driver text goes now: the capture text of a stub, or the driver buffer.
std::string& driver_sink(bool* counted) {
    std::string* capture = the_options ? the_options->capture_text : nullptr;
    *counted = capture == nullptr;
    return capture ? *capture : generation.driver_text;
}

void after_driver_write(std::string& sink, std::size_t from, bool counted) {
    generation.emitted += sink.size() - from;
    if (counted && sink.size() >= FLUSH_AT)
        flush_generated_text(false);
}

// Brings driver_line up to the end of the driver text. Counting long stretches at once is
// several times cheaper than counting each small piece as it is emitted.
void count_driver_lines() {
    Generation& g = generation;
    g.driver_line += static_cast<std::uint32_t>(
        count_newlines(g.driver_text.data() + g.driver_counted, g.driver_text.size() - g.driver_counted));
    g.driver_counted = g.driver_text.size();
}

bool directives_off() { return !the_options || the_options->no_line_directives; }

// "\"<dir><file>\"" of the component's script, remembered for the last script met.
const std::string& source_path(const Component* c) {
    Generation& g = generation;
    if (!g.last_source || g.last_source->dir != c->dir || g.last_source->file != c->file) {
        g.last_source = c;
        g.last_source_path = "\"" + literal_text(interned_view(c->dir)) +
                             literal_text(interned_view(c->file)) + "\"";
    }
    return g.last_source_path;
}

}  // namespace

Generation& gen() { return generation; }

void reset_generation() {
    generation.~Generation();
    new (&generation) Generation{};
}

void emit(int depth, std::string_view text) {
    bool counted = false;
    std::string& sink = driver_sink(&counted);
    const std::size_t from = sink.size();
    sink.append(static_cast<std::size_t>(depth) * 3, ' ');
    sink.append(text);
    after_driver_write(sink, from, counted);
}

void emitf(int depth, const char* format, ...) {
    bool counted = false;
    std::string& sink = driver_sink(&counted);
    const std::size_t from = sink.size();
    sink.append(static_cast<std::size_t>(depth) * 3, ' ');
    va_list args;
    va_start(args, format);
    append_formatted(sink, format, args);
    va_end(args);
    after_driver_write(sink, from, counted);
}

void emit_instrumentation(std::string_view text) {
    generation.instrumentation_text.append(text);
    if (generation.instrumentation_text.size() >= FLUSH_AT)
        flush_generated_text(false);
}

void emit_instrumentationf(const char* format, ...) {
    va_list args;
    va_start(args, format);
    append_formatted(generation.instrumentation_text, format, args);
    va_end(args);
    if (generation.instrumentation_text.size() >= FLUSH_AT)
        flush_generated_text(false);
}

void flush_generated_text(bool force) {
    Generation& g = generation;
    if (force || g.driver_text.size() >= FLUSH_AT) {
        count_driver_lines();
        write_generated(g.driver, g.driver_text.data(), g.driver_text.size());
        g.driver_text.clear();
        g.driver_counted = 0;
    }
    if (force || g.instrumentation_text.size() >= FLUSH_AT) {
        write_generated(g.instrumentation, g.instrumentation_text.data(),
                        g.instrumentation_text.size());
        g.instrumentation_text.clear();
    }
}

void line_to_source(const Component* c) {
    if (!directives_off())
        emitf(0, "\n#line %lu %s\n", static_cast<unsigned long>(c->first_line),
              source_path(c).c_str());
}

void instrumentation_line_to_source(const Component* c) {
    if (!directives_off())
        emit_instrumentationf("\n#line %lu %s\n", static_cast<unsigned long>(c->first_line),
                              source_path(c).c_str());
}

// The directive ends the line being written and stands on the next one, so the line
// after it is driver_line + 2.
void line_to_driver() {
    if (directives_off() || the_options->capture_text)
        return;
    Generation& g = generation;
    if (g.driver_directive_path.empty()) {
        const char* output = the_options->output_name ? the_options->output_name : "";
        const std::string path = is_relative_path(output)
                                     ? std::string(interned_view(the_options->current_dir)) + output
                                     : std::string(output);
        g.driver_directive_path = "\"" + literal_text(path) + "\"";
    }
    count_driver_lines();
    emitf(0, "\n#line %lu %s\n", static_cast<unsigned long>(g.driver_line) + 2,
          g.driver_directive_path.c_str());
}

void emit_label(const char* prefix, const Component* c, unsigned long number,
                const char* suffix, int depth) {
    emit(depth, prefix);
    emit(0, interned_view(c->name));
    emitf(0, "_%lu%s", number, suffix);
}

int emit_jump_to_end(const Execution& e, int depth) {
    const Component* c = e.component;
    if (c->kind != KIND_TEST_CASE && c->kind != KIND_PROC)
        return unknown_component(c);
    emit(depth, "goto _VEX_END_");
    emit(0, c->kind == KIND_TEST_CASE ? "TEST_CASE_" : "PROC_");
    emit(0, interned_view(c->name));
    emitf(0, "_%lu;\n", e.number);
    return 0;
}

int check_driver_size(const Component* at) {
    Generation& g = generation;
    if (g.emitted_limit == 0)  // 64 MiB, and 64 KiB for every component ever made
        g.emitted_limit = (std::uint64_t{64} << 20) +
                          (std::uint64_t{64} << 10) * static_cast<std::uint64_t>(next_component_id);
    if (g.emitted <= g.emitted_limit)
        return 0;
    report_error(MSG_NOT_EXPECTED_NOW, Location{at->display_file, at->line},
                 arg_text(interned_view(at->name)));
    return -1;
}

int unknown_component(const Component* c) {
    report_error(MSG_UNKNOWN_TOKEN, Location{c->display_file, c->line},
                 arg_text(interned_view(c->name)));
    return -1;
}

int null_component(const Component* at) {
    report_error(MSG_NULL_POINTER,
                 at ? Location{at->display_file, at->line} : Location{});
    return -1;
}
