// reader/scanner.h: turns the bytes of one script (held in memory) into tokens.
// Reports its own lexical errors (messages 2-13) once; callers only stop or skip on -1.
// The position is an index into the bytes: saving and restoring it is free.
#pragma once
#include <cstddef>
#include <string_view>

#include "fi/component.h"

struct ScanInput {
    const char* data = nullptr;  // the whole script; may hold NUL bytes
    std::size_t size = 0;
    std::size_t pos = 0;         // next byte to read
    const char* display_file = nullptr;  // location of every message
    int line = 1;
    int column = 1;
    // Offset up to which scanner messages were already reported: a token read again
    // after a restore reports nothing a second time.
    std::size_t reported_mark = 0;
};

struct Token {
    const char* text = nullptr;  // interned: compare with ==, never strcmp
    int kind = 0;                // KIND_* code
    Span span;                   // end column: the last character
};

// A saved position: restore() puts offset, line and column back.
struct ScanMark {
    std::size_t offset = 0;
    int line = 1;
    int column = 1;
};
ScanMark mark_of(const ScanInput& in);
void restore(ScanInput& in, ScanMark m);

// The next token: returns its kind (> 0), -1 after a reported error,
// or TOKEN_END_OF_FILE (-99) when the file ends before a token starts.
int next_token(ScanInput& in, Token* out);

// One byte: 0 with the byte, or -99 at the end. Touches neither line nor column.
int read_char(ScanInput& in, char* out);

// Called right after a '/' was consumed: one comment as KIND_COMMENT_BLOCK ("/**"),
// KIND_CPP_COMMENT or KIND_C_COMMENT; -1 after reporting message 10 or 12.
int read_comment(ScanInput& in, Token* out);

// Re-reads [start, end) and delivers the trimmed text as KIND_SIGNATURE; the position
// is left at `end` with line/column as counted. -1 after reporting message 8.
int read_signature(ScanInput& in, ScanMark start, ScanMark end, Token* out);
