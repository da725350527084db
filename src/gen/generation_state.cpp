// gen/generation_state.cpp: buffered, counted output of the generated files and the
// checked formatting of gen/format.h.
#include "gen/generation_state.h"

#include <cstdint>
#include <cstring>

#include "errors/report.h"
#include "fi/names.h"
#include "utils/paths.h"
#include "utils/text.h"

namespace {

constexpr std::size_t FLUSH_AT = std::size_t{1} << 20;

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

// Brings driver_line up to the end of the driver text. Counting long stretches at once is
// several times cheaper than counting each small piece as it is emitted.
void count_driver_lines(Generation& g) {
    g.driver_line += static_cast<std::uint32_t>(count_newlines(
        g.driver_text.data() + g.driver_counted, g.driver_text.size() - g.driver_counted));
    g.driver_counted = g.driver_text.size();
}

// "\"<dir><file>\"" of the component's script, remembered for the last script met.
const std::string& source_path(Generation& g, const Component* c) {
    if (!g.last_source || g.last_source->dir != c->dir || g.last_source->file != c->file) {
        g.last_source = c;
        g.last_source_path = "\"" + literal_text(interned_view(c->dir)) +
                             literal_text(interned_view(c->file)) + "\"";
    }
    return g.last_source_path;
}

}  // namespace

namespace format {

void append_checked(std::string& out, const char* format, const Arg* args) {
    for (const char* p = format;;) {
        const char* q = std::strchr(p, '%');
        if (!q) {
            out.append(p);
            return;
        }
        out.append(p, static_cast<std::size_t>(q - p));
        q += q[1] == 'l' ? 2 : 1;
        const Arg& a = *args;
        switch (*q) {
        case 's': out.append(a.text); break;
        case 'd':
            if (a.signed_value < 0)
                out += '-';
            append_unsigned(out,
                            a.signed_value < 0 ? 0UL - static_cast<unsigned long>(a.signed_value)
                                               : static_cast<unsigned long>(a.signed_value),
                            10);
            break;
        case 'u': append_unsigned(out, a.unsigned_value, 10); break;
        case 'x': append_unsigned(out, a.unsigned_value, 16); break;
        default: out += '%'; break;  // "%%" takes no argument
        }
        args += *q == '%' ? 0 : 1;
        p = q + 1;
    }
}

}  // namespace format

std::string& driver_sink(Generation& g) { return g.capture ? *g.capture : g.driver_text; }

void after_driver_write(Generation& g, std::size_t from) {
    std::string& sink = driver_sink(g);
    g.emitted += sink.size() - from;
    if (!g.capture && sink.size() >= FLUSH_AT)
        flush_generated_text(g, false);
}

void after_instrumentation_write(Generation& g) {
    if (g.instrumentation_text.size() >= FLUSH_AT)
        flush_generated_text(g, false);
}

void emit(Generation& g, int depth, std::string_view text) {
    std::string& sink = driver_sink(g);
    const std::size_t from = sink.size();
    sink.append(static_cast<std::size_t>(depth) * 3, ' ');
    sink.append(text);
    after_driver_write(g, from);
}

void emit_instrumentation(Generation& g, std::string_view text) {
    g.instrumentation_text.append(text);
    after_instrumentation_write(g);
}

void flush_generated_text(Generation& g, bool force) {
    if (force || g.driver_text.size() >= FLUSH_AT) {
        count_driver_lines(g);
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

void line_to_source(Generation& g, const Component* c) {
    if (!directives_off(g))
        emitf(g, 0, "\n#line %lu %s\n", static_cast<unsigned long>(c->first_line),
              source_path(g, c).c_str());
}

void instrumentation_line_to_source(Generation& g, const Component* c) {
    if (!directives_off(g))
        emit_instrumentationf(g, "\n#line %lu %s\n", static_cast<unsigned long>(c->first_line),
                              source_path(g, c).c_str());
}

// The directive ends the line being written and stands on the next one, so the line
// after it is driver_line + 2.
void line_to_driver(Generation& g) {
    if (directives_off(g) || g.capture)
        return;
    if (g.driver_directive_path.empty()) {
        const char* output = g.options->output_name ? g.options->output_name : "";
        const std::string path = is_relative_path(output)
                                     ? std::string(interned_view(g.options->current_dir)) + output
                                     : std::string(output);
        g.driver_directive_path = "\"" + literal_text(path) + "\"";
    }
    count_driver_lines(g);
    emitf(g, 0, "\n#line %lu %s\n", static_cast<unsigned long>(g.driver_line) + 2,
          g.driver_directive_path.c_str());
}

void emit_label(Generation& g, const char* prefix, const Component* c, unsigned long number,
                const char* suffix, int depth) {
    emit(g, depth, prefix);
    emit(g, 0, interned_view(c->name));
    emitf(g, 0, "_%lu%s", number, suffix);
}

int emit_jump_to_end(Generation& g, const Execution& e, int depth) {
    const Component* c = e.component;
    if (c->kind != KIND_TEST_CASE && c->kind != KIND_PROC)
        return unknown_component(c);
    emit(g, depth, "goto _VEX_END_");
    emit(g, 0, c->kind == KIND_TEST_CASE ? "TEST_CASE_" : "PROC_");
    emit(g, 0, interned_view(c->name));
    emitf(g, 0, "_%lu;\n", e.number);
    return 0;
}

int check_driver_size(Generation& g, const Component* at) {
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
