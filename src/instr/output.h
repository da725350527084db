// instr/output.h: writes vexinstr's files all or nothing: every file goes to a temporary
// file beside its final name first, and only when all were written are they renamed; on
// any failure the temporary files are removed and the messages appended to `errors`, as
// everywhere in vexinstr.
#pragma once
#include <string>
#include <vector>

#include "instr/weave.h"

struct OutputFile {
    std::string path;  // its final name
    std::string text;
    bool make_directories = false;  // create the directories it goes in (the copies' tree)
};

// Where the copies go: <output_dir>/<path relative to base_dir>, appended to `out`. A
// plain copy outside base_dir is left out; an instrumented one there is an error, as is a
// copy that would overwrite its original. False after appending the errors.
bool place_copies(const std::vector<WovenFile>& files, const std::string& base_dir,
                  const std::string& output_dir, std::vector<OutputFile>& out,
                  std::vector<std::string>& errors);

// Writes every file in order, or none; false after appending the errors.
bool write_all_or_nothing(const std::vector<OutputFile>& files, std::vector<std::string>& errors);
