// driver/options.h: the one process-wide options record and its defaults.
// Every phase reads its settings from `the_options`.
#pragma once
#include <cstdio>
#include <string>
#include <vector>

#include "fi/files.h"

constexpr int LANGUAGE_CPP = 555;
constexpr const char* PRODUCT_VERSION = "8.0.1.2.343.015";
constexpr const char* TOOL_TITLE = "C++ Test Compiler";

struct Options {
    SourceFile* source_files = nullptr;   // command-line scripts, in order
    SourceFile* last_source_file = nullptr;
    FileRecord* file_table = nullptr;     // every script opened, in opening order
    FileRecord* last_file_record = nullptr;
    std::vector<FileRecord*> file_by_number;  // index: file_no -> record (slot 0 unused)
    int file_count = 0;                   // last file number handed out
    int target_language = LANGUAGE_CPP;
    const char* version = PRODUCT_VERSION;
    const char* feature_name = nullptr;   // set by create_options
    const char* tool_title = TOOL_TITLE;
    const char* current_dir = nullptr;    // interned, ends with the separator
    const char* target_dir = nullptr;     // interned XRLTGT, nullptr when unset or empty
    const char* output_name = nullptr;    // the -O argument itself
    FILE* output_file = nullptr;
    const char* oti_name = nullptr;
    FILE* oti_file = nullptr;
    const char* tdf_name = nullptr;
    unsigned max_errors = 30;
    bool no_line_directives = false;      // -NODLINE
    bool no_path = false;                 // -NOPATH
    const char* log_name = nullptr;
    FILE* log_file = nullptr;
};

extern Options* the_options;

// A new record with the defaults (reads XRLTGT and the current directory), installed
// as the_options; nullptr after message 6 when the current directory cannot be had.
Options* create_options();

// Releases the source-file nodes, the file records and the record; the_options = nullptr.
void release_options(Options* options);
