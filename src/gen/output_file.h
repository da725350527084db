// gen/output_file.h: the driver and instrumentation files are written under a temporary
// name beside the final one and renamed over it only when everything was written, so a
// failed run never leaves a truncated file that a build could take as up to date.
// A final name that is an existing non-regular file (a device, a FIFO) is written directly.
#pragma once
#include <cstddef>
#include <cstdio>
#include <string>

struct GeneratedFile {
    const char* name = nullptr;  // as given on the command line (messages, log)
    std::string target;          // the path the finished file is renamed to
    std::string temp;            // the temporary file; empty when written directly
    FILE* file = nullptr;
    bool opened = false;         // created: only then is anything renamed or removed
    bool write_failed = false;
};

// Creates the file (logging "<TAG> <name>" like open_output_file); -1 when it cannot be
// created (nothing reported: the caller reports message 43).
int open_generated_file(GeneratedFile& f, const char* name, int mode);

// Appends bytes; a failure is remembered and reported when the file is finished.
void write_generated(GeneratedFile& f, const char* data, std::size_t size);

// Closes the file; a write error is reported with 43, a failed close with 44. 0 or -1.
int close_generated_file(GeneratedFile& f);

// After closing: with `keep` the file takes its final name (43 if the rename fails);
// otherwise the temporary file, or a regular file written directly, is removed. 0 or -1.
int commit_generated_file(GeneratedFile& f, bool keep);

// Test seam: every write of generated text goes through this (fwrite by default).
extern std::size_t (*generated_write)(const void* data, std::size_t size, FILE* file);
