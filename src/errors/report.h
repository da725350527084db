// errors/report.h: the message catalogue and the one way to report a problem.
// report_error counts every call in error_count and prints at most max_errors lines,
// then "Too many errors."; it never fails. Also the output-file open and close operations.
//
// vexprepro's error convention, which every phase (readers, checker, expansion, listings,
// generator) follows:
// - a problem is reported where it is found, with report_error and the script's
//   file:line, exactly once; nothing else prints diagnostics;
// - the function that reported it says so to its caller by its result: -1 (0 when all
//   went well), nullptr for one that returns a pointer, false for one that returns a
//   bool; callers pass that on without reporting again;
// - running out of memory is caught at the phase (std::bad_alloc) and reported as
//   MSG_NO_FREE_MEMORY, then handled like any other failure;
// - a phase may report several problems and read on (the readers and the checker do);
//   the driver runs each later phase only while error_count is 0, and the exit status is
//   non-zero whenever error_count is.
#pragma once
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

#include <QString>

// Message numbers (templates and labels live in report.cpp only).
enum MessageNo : int {
    MSG_INTERNAL_ERROR = 0,
    MSG_OUT_OF_MEMORY = 1,
    MSG_NO_MEMORY_TOKEN = 2,
    MSG_NO_MEMORY_REALLOC_TOKEN = 3,
    MSG_NO_MEMORY_CREATE_TOKEN = 4,
    MSG_NO_MEMORY_CREATE_PAIR = 5,
    MSG_NO_MEMORY_HASH_TOKEN = 6,
    MSG_NO_MEMORY_HASH_PAIR = 7,
    MSG_LEX_SEEK = 8,
    MSG_NOT_ALLOWED_HERE = 9,
    MSG_LEX_EXPECTED = 10,
    MSG_LEX_EXPECTED_2 = 11,
    MSG_LEX_EXPECTED_3 = 12,
    MSG_NATIVE_EXPRESSION = 13,
    MSG_EXPECTED = 14,
    MSG_EXPECTED_2 = 15,
    MSG_EXPECTED_3 = 16,
    MSG_EXPECTED_4 = 17,
    MSG_NAME_EXPECTED = 18,
    MSG_NAME_EXPECTED_2 = 19,
    MSG_NAME_EXPECTED_3 = 20,
    MSG_EXPRESSION_EXPECTED = 21,
    MSG_SYNTAX_SEEK = 22,
    MSG_NOT_COMPONENT = 23,
    MSG_SYNTAX_NO_MEMORY_TOKEN = 24,
    MSG_NOT_EXPECTED = 25,
    MSG_PARAM_LIST = 26,
    MSG_NOT_EXPECTED_NOW = 27,
    MSG_ALREADY_DEFINED = 28,
    MSG_ALREADY_DEFINED_NAMED = 29,
    MSG_UNRESOLVED = 30,
    MSG_SELF_INHERITANCE = 31,
    MSG_NOT_FOUND_RESOLVING = 32,
    MSG_PARAMETER_COUNT = 33,
    MSG_BROTHER = 34,
    MSG_ALREADY_INCLUDED = 35,
    MSG_INHERITANCE_CYCLE = 36,
    MSG_EXECUTION_CYCLE = 37,
    MSG_PROC_CYCLE = 38,
    MSG_REFLEXIVE_TRANSITION = 39,
    MSG_NO_MEMORY_BUFFER = 41,
    MSG_CANNOT_OPEN = 42,
    MSG_CANNOT_CREATE = 43,
    MSG_CANNOT_CLOSE = 44,
    MSG_CANNOT_INIT = 45,
    MSG_BUILD_NODE = 46,
    MSG_NO_MEMORY_FILENAME = 47,
    MSG_UNKNOWN_TOKEN = 48,
    MSG_NULL_POINTER = 49,
    MSG_NO_FREE_MEMORY = 50,
    MSG_LABEL_NOT_FOUND = 51,
    MSG_TOO_MANY_FILES = 52,
    MSG_TOO_MANY_ERRORS = 53,
    MSG_NOT_A_SCRIPT = 54,
    MSG_ONE_OTD_ONLY = 55,
    MSG_BAD_PARAMETER = 56,
    MSG_ARGUMENT_NEEDED = 57,
    MSG_MAX_ERRORS_RANGE = 58,
    MSG_NO_SOURCE_FILES = 59,
    MSG_OPTION_MISSING = 60,
    MSG_OPTION_TWICE = 61,
    MSG_UNEXPECTED = 62,
};

// A diagnostic location: no file, or a display file name and a line (0: no line).
struct Location {
    const char* file = nullptr;
    int line = 0;
};

using MessageArg = std::optional<QString>;  // absent arguments consume no placeholder

extern std::uint32_t error_count;

// What reporting takes from the run's settings. The driver owns it and hands it in once
// it exists; until then, and after it goes, the defaults hold.
struct ReportSettings {
    unsigned max_errors = 30;  // -E
    FILE* log_file = nullptr;  // the -VELDOR_LOG file once open: output files are logged there
};
// Settings read from now on (live: later changes count); nullptr: the defaults.
void use_report_settings(const ReportSettings* settings);

// Prints (or suppresses past max_errors) and counts one diagnostic:
// "vexprepro - <label> <file>:<line>: <text>\n".
void report_error(int message_no, Location where = {}, MessageArg a1 = {}, MessageArg a2 = {},
                  MessageArg a3 = {}, MessageArg a4 = {}, MessageArg a5 = {});

// The substitution report_error applies, in one pass: the k-th of the `count` arguments
// fills every occurrence of the k-th lowest placeholder number (%1..%99) in `text`;
// placeholders left without an argument stay as written; argument texts are not rescanned.
QString substitute_arguments(const QString& text, const QString* const* args, int count);

// Argument helpers: 8-bit script text to Unicode, and a fixed word translated in
// context "VEX Error Parameter" (mark call sites with QT_TRANSLATE_NOOP for lupdate).
QString arg_text(const char* local8bit);
QString arg_text(std::string_view local8bit);
QString parameter_word(const char* source_text);

// Writes already formatted text to standard error in the local 8-bit encoding
// (or into the capture, when one is set).
void print_text(const QString& text);

// Tests: when set, everything print_text and report_error would write to standard
// error is appended to *capture instead (local 8-bit bytes). nullptr restores stderr.
void set_output_capture(std::string* capture);

// The English template of a message (untranslated), for tests and tools.
const char* message_template(int message_no);

// Output files. Mode codes.
constexpr int MODE_DRIVER = 200;     // "CPP"
constexpr int MODE_OTI = 202;        // "OTI"
constexpr int MODE_OTS = 203;        // "OTS"
constexpr int MODE_TSF = 204;        // "TSF"
constexpr int MODE_LOG = 205;        // appended, not logged

// Opens `name` for the mode (write/truncate, or append for the log) and logs
// "<TAG> <name>\n" to the open log file. nullptr when it cannot be opened; the caller
// reports message 43. A failed log-line write is reported against the log (43).
FILE* open_output_file(const char* name, int mode);

// The log line alone ("<TAG> <name>"), for files created by other means.
void log_output_file(const char* name, int mode);

// Flushes and closes `file`, which was written under `name`. A pending write error or a
// failed flush reports 43 "Cannot create `name'." and a failed close 44; returns 0 or -1.
// nullptr is accepted and ignored (0). Every file the tool writes is closed through it.
int close_output_file(FILE* file, const char* name);

// Plain close (scripts opened for reading): 0, or -1 when the close fails.
int close_file(FILE* file);
