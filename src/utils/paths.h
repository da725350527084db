// utils/paths.h: file-name operations for scripts and listings. Directory texts end
// with PATH_SEPARATOR; interned results live until the end of the run.
// Failures return nullptr (after the messages the functions document).
#pragma once
#include <ctime>
#include <string>
#include <string_view>

// The one directory separator the tool appends ('\\' on Windows builds).
#ifdef _WIN32
constexpr char PATH_SEPARATOR = '\\';
#else
constexpr char PATH_SEPARATOR = '/';
#endif

// True when the text ends with '/' or '\\'.
bool ends_with_separator(std::string_view dir);

// dir + separator (unless dir already ends with one) + name; "" dir gives separator + name.
std::string join_path(std::string_view dir, std::string_view name);

// The directory part of a path (as QFileInfo gives it) followed by the separator.
std::string directory_of(std::string_view path);

// The last component of a path.
std::string file_name_of(std::string_view path);

bool is_relative_path(std::string_view path);

// The process's current directory followed by the separator.
std::string current_directory();

// The current directory, interned; on failure message 6 at `file`:`line` and nullptr.
const char* current_directory_interned(const char* file = nullptr, int line = 0);

// Splits `path` against `base_dir` into an interned directory (absolute, cleaned of
// "." and "..", ending with the separator) and an interned base name. Returns 0, or -1
// after reporting (messages 6 and 47).
int split_script_path(const char* base_dir, std::string_view path, const char** dir,
                      const char** base_name);

// The display name: dir without the current-directory prefix, then the base name,
// interned ("suite.otd", "sub/x.otd"); nullptr on failure (no message).
const char* display_name(const char* dir, const char* base_name);

// Script kinds by extension, any letter case.
constexpr int SCRIPT_NONE = 100;
constexpr int SCRIPT_OTD = 101;  // .otd .stb .dcl
constexpr int SCRIPT_OTC = 102;  // .otc
int classify_script(std::string_view file_name);

// prefix + number as at least two digits + suffix, interned.
const char* numbered_name(std::string_view prefix, int number, std::string_view suffix);

// Interned value of an environment variable; nullptr when unset or empty.
const char* environment_value(const char* variable);

// Reads a whole script (dir immediately followed by base name) into `bytes`.
// Returns 0, or -1 when it cannot be opened or read (a directory counts as unreadable,
// and so does anything longer than MAX_SCRIPT_BYTES, such as an endless device);
// *mtime receives its modification time. Reports nothing.
constexpr std::size_t MAX_SCRIPT_BYTES = std::size_t{256} << 20;  // far beyond any real script
int read_script_file(const char* dir, const char* base_name, std::string* bytes,
                     std::time_t* mtime);
