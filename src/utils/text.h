// utils/text.h: text operations shared by the readers and the writers.
#pragma once
#include <string>
#include <string_view>

// Interned copy with a backslash before every '"' and '\\'; nullptr for nullptr.
const char* escape_c_string(const char* text);
// The same into a std::string (writers that do not need to keep the result).
std::string escaped(std::string_view text);
// The same appended to `out` (writers that build their lines in place).
void append_escaped(std::string& out, std::string_view text);

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
