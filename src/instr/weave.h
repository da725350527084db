// instr/weave.h: finds, with libclang, the classes and functions that the sections of an
// instrumentation file name, and returns instrumented copies of the user's files (every
// file of the translation units outside the system headers) with the contract checks,
// stub conditions and method counters inserted at exact offsets. Nothing is written here.
// Errors are appended to `errors`, as everywhere in vexinstr: parser diagnostics, and
// sections that name nothing, a template or more than one class, at their script place.
#pragma once
#include <string>
#include <vector>

#include "instr/oti.h"

struct WeaveOptions {
    std::vector<std::string> sources;       // the translation units to parse
    std::vector<std::string> compile_args;  // -I, -D, -std ... as the build passes them
    std::string base;  // the copies' base directory: a system header under it is the user's
};

struct WovenFile {
    std::string path;     // the original, absolute and cleaned
    std::string text;     // its instrumented copy
    bool edited = false;  // false: a plain copy, kept so includes find the copies
    std::vector<std::size_t> read_by;  // the sources (indexes) whose units read it
};

// The copies; none after appending the messages (parser diagnostics as "file:line:col:
// error: ...", the others as "<script>:<line>: ...").
std::vector<WovenFile> weave(const Instrumentation& in, const WeaveOptions& options,
                             std::vector<std::string>& errors);

// The safety net: parses each woven translation unit `units` (paths among `copies`, the
// woven files at the places they will be written) with `compile_args`, the copies read
// from memory. Any error is the weave's fault: appended as "internal error: ...", with the
// user's file:line (the copies' #line directives); false then.
bool woven_copies_parse(const std::vector<WovenFile>& copies, const std::vector<std::string>& units,
                        const std::vector<std::string>& compile_args,
                        std::vector<std::string>& errors);
