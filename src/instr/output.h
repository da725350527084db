// instr/output.h: writes vexinstr's files all or nothing. Every target is checked before
// any is written: none may be a file that was read (compared by real path: symbolic
// links, `..' and `./' resolved), and an existing one must have been written by vexinstr
// before (the output directory's list of written files, MANIFEST, names it). Each file
// then goes to a temporary file beside its final name; only when all were written are
// they renamed, a replaced file kept aside until the last rename succeeded, so a failed
// rename puts back every file already replaced. Failures append to `errors`.
#pragma once
#include <set>
#include <string>
#include <vector>

#include "instr/weave.h"

struct OutputFile {
    std::string path;  // its final name
    std::string text;
    bool make_directories = false;  // create the directories it goes in (the copies' tree)
};

// The list of the copies' paths (relative to the output directory), one a line, written
// with them: a later run may replace those files and no other.
constexpr const char* MANIFEST = ".vexinstr-written";

// The real paths of `files` (symbolic links, `..' and `./' resolved).
std::set<std::string> real_paths(const std::vector<std::string>& files);

// Where the copy of `file` goes: <output_dir>/<its path relative to base_dir>; for one of
// the `units` (real paths of the sources named on the command line) outside base_dir,
// such as a driver generated in a build tree, <output_dir>/<its file name>; otherwise ""
// (not copied).
std::string copy_path(const std::string& file, const std::string& base_dir,
                      const std::string& output_dir, const std::set<std::string>& units);

// The copies at their copy_path, appended to `out` with the manifest. A plain copy that
// has none is left out; an instrumented one is an error, as are two files with one
// target, a target that is one of `read` (or a file of `files`) and an existing file the
// manifest does not name. False after appending the errors.
bool place_copies(const std::vector<WovenFile>& files, const std::vector<std::string>& units,
                  const std::vector<std::string>& read, const std::string& base_dir,
                  const std::string& output_dir, std::vector<OutputFile>& out,
                  std::vector<std::string>& errors);

// Writes every file in order, or none (the files replaced put back); false after
// appending the errors.
bool write_all_or_nothing(const std::vector<OutputFile>& files, std::vector<std::string>& errors);
