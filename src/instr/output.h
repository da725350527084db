// instr/output.h: writes the instrumented copies all or nothing: every copy goes to a
// temporary file beside its final name first, and only when all were written are they
// renamed; on any failure the temporary files are removed and the messages returned.
#pragma once
#include <string>
#include <vector>

#include "instr/weave.h"

// Each file at <output_dir>/<its path relative to base_dir>. A plain copy outside
// base_dir is left out; an instrumented one there is an error. The messages, empty on
// success.
std::vector<std::string> write_woven_files(const std::vector<WovenFile>& files,
                                           const std::string& base_dir,
                                           const std::string& output_dir);
