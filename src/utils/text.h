// utils/text.h: text operations shared by the readers, the checker and the writers.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

// Interned copy with a backslash before every '"' and '\\'; nullptr for nullptr. The
// rule of the listings' quoted texts and of C string literals of names; other bytes stay.
// (The dynamic file escapes control bytes too, by another rule: trace::append_escaped in
// formats/trace.h, header only and std only because the runtime writes it. vexinstr's
// quoted() and vexreport's XML escaping stay in those tools, which do not link this
// library.)
const char* escape_c_string(const char* text);
// The same into a std::string (writers that do not need to keep the result).
std::string escaped(std::string_view text);
// The same appended to `out` (writers that build their lines in place).
void append_backslashed(std::string& out, std::string_view text);

// `value` in base 8, 10 or 16 (lower-case digits, no leading zeros) appended to `out`.
void append_unsigned(std::string& out, unsigned long value, int base);

// Interned copy with every backslash removed and the following byte kept;
// a final lone backslash disappears; nullptr for nullptr.
const char* unescape_text(const char* text);

// 0 when equal without regard to ASCII letter case, -1 otherwise.
int equal_ignoring_case(std::string_view a, std::string_view b);

// 1 when empty or only spaces, tabs, carriage returns and line feeds; 0 otherwise.
int is_blank(std::string_view text);

// Local 8-bit text to UTF-8 (the listing .tsf files are UTF-8).
std::string to_utf8(std::string_view local8bit);

// Where a byte of C++ text stands: in code, or inside a string literal, a character
// literal, a block comment or a line comment.
enum class CodeState { code, string, character, block_comment, line_comment };

// One lexical unit at text[i] (i < size) read in `state`: a backslash with the byte it
// escapes (whatever the state), a comment delimiter taken whole ("/*" and "*/" as two
// bytes, so "/*/" does not close the comment it opens), or one byte. Its length; *state
// becomes the state after it.
std::size_t lexical_step(std::string_view text, std::size_t i, CodeState* state);

// `formal` replaced by `actual` where it stands as a whole identifier in code (not in
// strings, character literals or comments). The interned result, `text` itself when
// nothing matched, nullptr after message 50. An empty formal never matches.
const char* replace_identifier(const char* text, std::string_view formal, std::string_view actual);

// Texts from the scripts placed in generated code: inside a C comment ("/*" and "*/"
// broken up so they cannot end it) and inside a string literal (escaped so the literal
// compiles and holds the same bytes).
std::string comment_text(std::string_view text);
std::string literal_text(std::string_view text);
