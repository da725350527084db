// reader/reader_common.cpp: the machinery both script readers share (see the header).
#include "reader/reader_common.h"

#include "fi/names.h"

int read_token(Reader& r) {
    return next_token(r.in, &r.tok);
}

QString plain(const char* latin1) {
    return QString::fromLatin1(latin1);
}

QString found_text(const Reader& r, int result) {
    if (result == TOKEN_END_OF_FILE)
        return plain("EOF");
    return arg_text(interned_view(r.tok.text));
}

void report_here(const Reader& r, int message_no, MessageArg a1, MessageArg a2, MessageArg a3,
                 MessageArg a4, MessageArg a5) {
    report_error(message_no, Location{r.in.display_file, r.in.line}, a1, a2, a3, a4, a5);
}

// Reads one token and reports `message_no` (14, 18 or 21) unless it is `kind`.
static int expect_with(Reader& r, int kind, int message_no, const QString& expected) {
    int result = read_token(r);
    if (result == kind)
        return 0;
    if (result != -1)  // -1: the scanner has reported it already
        report_here(r, message_no, expected, found_text(r, result));
    return -1;
}

int expect(Reader& r, int kind, const QString& expected) {
    return expect_with(r, kind, MSG_EXPECTED, expected);
}

int expect_name(Reader& r, const char* construct) {
    return expect_with(r, KIND_IDENTIFIER, MSG_NAME_EXPECTED, plain(construct));
}

int expect_label_name(Reader& r, const char* construct) {
    if (expect_name(r, construct) < 0)
        return -1;
    if (interned_view(r.tok.text).find('+') == std::string_view::npos)
        return 0;
    // Reported, but reading goes on with the name: the block after it is well formed.
    report_here(r, MSG_NAME_EXPECTED, plain(construct), found_text(r, KIND_IDENTIFIER));
    return 0;
}

int expect_expression(Reader& r, const char* keyword) {
    return expect_with(r, KIND_EXPRESSION, MSG_EXPRESSION_EXPECTED, plain(keyword));
}

bool accept(Reader& r, int kind) {
    ScanMark before = mark_of(r.in);
    if (read_token(r) == kind)
        return true;
    // The position is an offset into memory, so putting it back cannot fail
    // (message 22 has no occasion here).
    restore(r.in, before);
    return false;
}

Component* built(const Reader& r, Component* c, const char* construct, const char* name) {
    if (!c)
        report_here(r, MSG_BUILD_NODE, plain(construct), arg_text(interned_view(name)));
    return c;
}

Component* new_component(Reader& r, Component* parent, int kind, const char* name, int depth,
                         const char* construct) {
    Component* c = create_component(parent, kind, name, r.dir, r.file, r.tok.span, r.in.line,
                                    depth);
    return built(r, c, construct, name);
}

void finish_span(const Reader& r, Component* c, const Span& keyword) {
    c->first_line = keyword.first_line;
    c->first_column = keyword.first_column;
    c->last_line = r.in.line;
    c->last_column = r.in.column - 1;
}

static ConstructReader find_reader(const BlockTable& table, int kind) {
    for (const BlockEntry& e : table.entries)
        if (e.kind == kind)
            return e.read;
    return nullptr;
}

int dispatch(Reader& r, const BlockTable& table, Component* parent, int depth) {
    ConstructReader read = find_reader(table, r.tok.kind);
    if (!read) {
        report_here(r, MSG_NOT_COMPONENT, arg_text(interned_view(r.tok.text)),
                    parameter_word(table.phrase));
        return -1;
    }
    // A hostile script must not be able to nest the recursion without end.
    if (depth > MAX_NESTING_DEPTH) {
        report_here(r, MSG_NOT_EXPECTED_NOW, arg_text(interned_view(r.tok.text)));
        return -1;
    }
    return read(r, parent, depth);
}

int read_body(Reader& r, const BlockTable& table, Component* block, const Span& keyword,
              int depth) {
    if (expect(r, KIND_LBRACE, plain("{")) < 0)
        return -1;
    return read_block_items(r, table, block, keyword, depth);
}

int read_block_items(Reader& r, const BlockTable& table, Component* block, const Span& keyword,
                     int depth) {
    for (;;) {
        int result = read_token(r);
        if (result == TOKEN_END_OF_FILE) {
            report_here(r, MSG_EXPECTED, plain("}"), plain("EOF"));
            return -1;
        }
        if (result == KIND_RBRACE || result == -1)  // a scanner error closes the block
            break;
        dispatch(r, table, block, depth + 1);
    }
    finish_span(r, block, keyword);
    return 0;
}

int read_comment_item(Reader& r, Component* parent, int depth) {
    return new_component(r, parent, r.tok.kind, r.tok.text, depth, "COMMENT") ? 0 : -1;
}

int read_native_item(Reader& r, Component* parent, int depth) {
    return new_component(r, parent, r.tok.kind, r.tok.text, depth, "NATIVE") ? 0 : -1;
}

int read_property_expression(Reader& r, Component* parent, int depth) {
    return new_component(r, parent, KIND_EXPRESSION, r.tok.text, depth, "PROPERTY EXPRESSION")
               ? 0
               : -1;
}

int read_state_expression(Reader& r, Component* parent, int depth) {
    return new_component(r, parent, KIND_EXPRESSION, r.tok.text, depth, "UML STATE EXPRESSION")
               ? 0
               : -1;
}

// cond = ( REQUIRE | ENSURE ) "(" text ")"   -- optional
int read_optional_condition(Reader& r, Component* owner, int keyword_kind, int depth) {
    bool require = keyword_kind == KIND_REQUIRE;
    if (!accept(r, keyword_kind))
        return 0;
    if (expect_expression(r, require ? "REQUIRE" : "ENSURE") < 0)
        return -1;
    Component* c = build_condition(owner, keyword_kind, r.tok.text, r.dir, r.file, r.tok.span,
                                   r.in.line, depth + 1, r.tok.span);
    return built(r, c, require ? "REQUIRE EXPRESSION" : "ENSURE EXPRESSION", r.tok.text) ? 0 : -1;
}

const SignatureStops STOPS_STUB = {{KIND_LBRACE, KIND_REQUIRE}, {"REQUIRE", "{"}, 2};
const SignatureStops STOPS_CHECK_METHOD = {{KIND_SEMICOLON, 0}, {";", nullptr}, 1};
const SignatureStops STOPS_CLASS = {{KIND_LBRACE, 0}, {"{", nullptr}, 1};
const SignatureStops STOPS_WRAP = {{KIND_REQUIRE, KIND_ENSURE}, {"REQUIRE", "ENSURE"}, 2};

static bool is_blank_byte(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Whether `c` can begin the stop token `kind`; keywords count only after a blank.
static bool begins_stop(int kind, char c, char previous) {
    switch (kind) {
    case KIND_LBRACE: return c == '{';
    case KIND_SEMICOLON: return c == ';';
    case KIND_REQUIRE: return (c == 'r' || c == 'R') && is_blank_byte(previous);
    case KIND_ENSURE: return (c == 'e' || c == 'E') && is_blank_byte(previous);
    default: return false;
    }
}

static bool begins_any_stop(const SignatureStops& stops, char c, char previous) {
    for (int i = 0; i < stops.count; ++i)
        if (begins_stop(stops.kinds[i], c, previous))
            return true;
    return false;
}

static bool is_stop(const SignatureStops& stops, int kind) {
    for (int i = 0; i < stops.count; ++i)
        if (stops.kinds[i] == kind)
            return true;
    return false;
}

// read_char leaves the counters to the caller.
static void count_byte(ScanInput& in, char c) {
    if (c == '\n') {
        ++in.line;
        in.column = 1;
    } else {
        ++in.column;
    }
}

static char byte_before(const ScanInput& in) {
    return in.pos > 0 ? in.data[in.pos - 1] : '\n';
}

static void report_signature_eof(const Reader& r, const SignatureStops& stops) {
    if (stops.count == 1)
        report_here(r, MSG_EXPECTED, plain(stops.names[0]), plain("EOF"));
    else
        report_here(r, MSG_EXPECTED_2, plain(stops.names[0]), plain(stops.names[1]), plain("EOF"));
}

// After a '/': lets the scanner consume a comment, so nothing inside it can stop
// the scan. 1 when a comment was skipped, 0 when the '/' is plain text, -1 after
// the scanner reported an unterminated comment.
static int skip_comment(Reader& r) {
    ScanMark after_slash = mark_of(r.in);
    char next = 0;
    bool comment = read_char(r.in, &next) == 0 && (next == '/' || next == '*');
    restore(r.in, after_slash);
    if (!comment)
        return 0;
    return read_comment(r.in, &r.tok) < 0 ? -1 : 1;
}

// Scans to the first stop; 0 with `end` just before it, -1 after reporting.
static int find_stop(Reader& r, const SignatureStops& stops, ScanMark* end) {
    char previous = byte_before(r.in);
    for (;;) {
        ScanMark before = mark_of(r.in);
        char c = 0;
        if (read_char(r.in, &c) == TOKEN_END_OF_FILE) {
            report_signature_eof(r, stops);
            return -1;
        }
        count_byte(r.in, c);
        if (c == '/') {
            int skipped = skip_comment(r);
            if (skipped < 0)
                return -1;
            previous = skipped ? byte_before(r.in) : c;
            continue;
        }
        if (begins_any_stop(stops, c, previous)) {
            restore(r.in, before);
            if (is_stop(stops, read_token(r))) {
                *end = before;
                return 0;
            }
            if (r.in.pos <= before.offset) {  // nothing consumed: step over the byte
                restore(r.in, before);
                read_char(r.in, &c);
                count_byte(r.in, c);
            }
        }
        previous = byte_before(r.in);
    }
}

const char* scan_signature(Reader& r, const SignatureStops& stops) {
    ScanMark start = mark_of(r.in);
    ScanMark end;
    if (find_stop(r, stops, &end) < 0)
        return nullptr;
    // r.tok is passed on purpose: the signature token keeps the start of the
    // token read last, as every other component span does.
    if (read_signature(r.in, start, end, &r.tok) < 0)
        return nullptr;
    return r.tok.text;
}
