// driver/options.h: the one process-wide options record and its defaults. The driver and
// the generator read their settings from `the_options`; the lower modules (errors, fi,
// listings) are handed the part they need.
#pragma once
#include <cstdio>
#include <string>
#include <vector>

#include "errors/report.h"
#include "fi/files.h"

constexpr const char* PRODUCT_VERSION = "8.0.1.2.343.015";
constexpr const char* TOOL_TITLE = "C++ Test Compiler";

// The run's settings, with its file table: the phases that need only the scripts get the
// FileTable part.
struct Options : FileTable {
    const char* version = PRODUCT_VERSION;
    const char* feature_name = nullptr;   // set by create_options
    const char* tool_title = TOOL_TITLE;
    const char* current_dir = nullptr;    // interned, ends with the separator
    const char* target_dir = nullptr;     // interned XRLTGT, nullptr when unset or empty
    const char* output_name = nullptr;    // the -O argument itself
    const char* oti_name = nullptr;
    const char* tdf_name = nullptr;
    ReportSettings report;                // -E, and the log once open
    bool no_line_directives = false;      // -NODLINE
    bool no_path = false;                 // -NOPATH
    bool values = false;                  // -VALUES: failed comparisons show their operands
    const char* log_name = nullptr;
};

extern Options* the_options;

// A new record with the defaults (reads XRLTGT and the current directory), installed
// as the_options; nullptr after message 6 when the current directory cannot be had.
Options* create_options();

// Releases the source-file nodes, the file records and the record; the_options = nullptr.
void release_options(Options* options);
