// reader/parser.h: the parse driver and the readers of both script kinds.
// Builds components under a parent; reports every syntax error once and reads on.
#pragma once
#include "fi/component.h"

extern int otd_file_count;  // OTD scripts named on the command line so far (refusals too)

// INCLUDE chains deeper than this are refused (message 52).
constexpr int MAX_INCLUDE_DEPTH = 64;

// Reads one script. `base_dir` is nullptr for command-line files (the current
// directory is used) and the including file's directory for included ones.
// 0, or -1 when the file was refused or could not be read to its end.
int read_script(const char* name, Component* parent, bool included, const char* base_dir);
