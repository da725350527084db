// fi/names.h: the name table, owner of every string kept past one call.
// Equal texts intern to one pointer, so kept names are compared with ==.
// Texts may hold NUL bytes: the stored length is the real one (interned_length).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>

// Empties the table; whatever an earlier run left in it is released first.
void clear_name_table();

// The stored copy of `text`, or nullptr when memory runs out (nothing stored).
// The result is NUL-terminated and stays valid until free_name_table().
const char* intern(std::string_view text);

// Length in bytes of an interned text (O(1)); 0 for nullptr.
std::size_t interned_length(const char* interned);

// The interned text as a view (embedded NULs included); empty for nullptr.
std::string_view interned_view(const char* interned);

// Releases every stored text; all interned pointers become invalid.
void free_name_table();

// The historical bucket of a text (0..29): first and last byte upper-cased,
// xor-ed, modulo 30; 0 for the empty text. Kept as part of the table's interface.
int name_bucket(std::string_view text);

// Number of distinct texts stored (for tests and benchmarks).
std::size_t name_table_size();
