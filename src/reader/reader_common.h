// reader/reader_common.h: what the readers of both script kinds share: the reader
// state, expecting and accepting tokens, making components, body loops driven by
// tables, the comment/native/expression readers and the signature scan.
// Every helper reports its own error once (messages 14-27, 46) and returns -1;
// callers return at once and the enclosing loop reads on.
#pragma once
#include <cstddef>
#include <span>

#include <QString>

#include "errors/report.h"
#include "fi/component.h"
#include "reader/scanner.h"

// One script being read. The scanner position (line, column, offset) lives in `in`.
struct Reader {
    ScanInput in;                // display_file: location of every message
    const char* dir = nullptr;   // interned, copied into each component
    const char* file = nullptr;  // interned base name, likewise
    Token tok;                   // the token read last; new components take its span
};

// A construct reader: `r.tok` holds the construct's keyword (or first) token.
// Returns 0 when the construct was read, -1 after reporting; nobody looks at it.
using ConstructReader = int (*)(Reader& r, Component* parent, int depth);

struct BlockEntry {
    int kind;  // token kind that starts the construct
    ConstructReader read;
};

// What one kind of block accepts; `phrase` (e.g. "a `TEST SUITE'") names the block
// in message 23 and is translated when printed.
struct BlockTable {
    std::span<const BlockEntry> entries;
    const char* phrase;
};

// Next token into r.tok: its kind, -1 (scanner reported) or TOKEN_END_OF_FILE.
int read_token(Reader& r);

// The found token for messages: its text, or "EOF" after TOKEN_END_OF_FILE.
QString found_text(const Reader& r, int result);

// Location of syntax errors: the display file and the current line.
void report_here(const Reader& r, int message_no, MessageArg a1 = {}, MessageArg a2 = {},
                 MessageArg a3 = {}, MessageArg a4 = {}, MessageArg a5 = {});

QString plain(const char* latin1);  // fixed texts that are not translated ("{", "TO")

// Read a token of `kind`, else message 14 naming `expected`; 0 or -1.
int expect(Reader& r, int kind, const QString& expected);
// Read an identifier, else message 18 naming `construct`; 0 or -1.
int expect_name(Reader& r, const char* construct);
// The same for a TEST CASE or PROC, whose name becomes part of a C++ label in the driver:
// a name holding '+' (one identifier to the scanner) is reported there with message 18,
// and reading goes on with it.
int expect_label_name(Reader& r, const char* construct);
// Read a parenthesised text, else message 21 naming `keyword`; 0 or -1.
int expect_expression(Reader& r, const char* keyword);

// Optional element: reads a token and returns true when it is `kind`; otherwise
// puts the position back, so the token is read again by the next step.
bool accept(Reader& r, int kind);

// A component of `kind` with the span of r.tok and the current line, or nullptr
// after message 46 naming `construct` and `name`.
Component* new_component(Reader& r, Component* parent, int kind, const char* name, int depth,
                         const char* construct);
// Checks a builder's result: c, or nullptr after message 46.
Component* built(const Reader& r, Component* c, const char* construct, const char* name);

// The construct is complete: its span runs from its keyword to just before the
// current position.
void finish_span(const Reader& r, Component* c, const Span& keyword);

// Hands r.tok to the reader of `table` at depth; message 23 when the table has no
// entry for it, message 27 when the construct would nest deeper than allowed.
int dispatch(Reader& r, const BlockTable& table, Component* parent, int depth);

// body = "{" items "}"; block_items is the same after the "{" has been read.
// The constructs read become children of `block` at depth + 1. On "}" the block's
// span is finished from `keyword`. The end of the file is message 14; a scanner
// error ends the body as if "}" had been read.
int read_body(Reader& r, const BlockTable& table, Component* block, const Span& keyword,
              int depth);
int read_block_items(Reader& r, const BlockTable& table, Component* block, const Span& keyword,
                     int depth);

// Leaf readers used by several blocks: COMMENT texts and documentation comments,
// native lines and blocks, "(...)" items of PROPERTY and UML STATE bodies.
int read_comment_item(Reader& r, Component* parent, int depth);
int read_native_item(Reader& r, Component* parent, int depth);
int read_property_expression(Reader& r, Component* parent, int depth);
int read_state_expression(Reader& r, Component* parent, int depth);

// Optional "REQUIRE (...)" or "ENSURE (...)" after a PROC, STUB or WRAP: makes a
// condition child of `owner` at depth + 1. 0 also when absent; -1 after reporting.
int read_optional_condition(Reader& r, Component* owner, int keyword_kind, int depth);

// Where a signature scan stops, and how the end of the file is reported
// (message 14 with one stop, 15 with two).
struct SignatureStops {
    int kinds[2];
    const char* names[2];
    int count;
};
extern const SignatureStops STOPS_STUB;          // "{" or REQUIRE
extern const SignatureStops STOPS_CHECK_METHOD;  // ";"
extern const SignatureStops STOPS_CLASS;         // "{"
extern const SignatureStops STOPS_WRAP;          // REQUIRE or ENSURE

// Takes the text from the current position up to the first stop token outside
// comments, verbatim and trimmed; the position is left before the stop token.
// The interned text, or nullptr after reporting.
const char* scan_signature(Reader& r, const SignatureStops& stops);

// The top-level loops of the two script kinds, and the loop they share.
int read_otd_script(const char* display_file, const char* dir, const char* file,
                    Component* parent);
int read_otc_script(const char* display_file, const char* dir, const char* file,
                    Component* parent);
int read_top_level(const char* display_file, const char* dir, const char* file,
                   Component* parent, const BlockTable& table);
