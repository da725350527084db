// tests/reader/parser_test_util.h: scripts written into a fresh directory and read, for
// the reader tests.
#pragma once
#include <string>

#include "driver/options.h"
#include "errors/report.h"
#include "fi/component.h"
#include "reader/parser.h"
#include "support/test_support.h"

// A temporary current directory and a fresh run state (in that order, so the
// run's current directory is the temporary one).
struct ScriptDir {
    TempDir dir;
    RunState run;

    void write(const std::string& name, const std::string& text) { dir.write(name, text); }
    // Reads `name` as a command-line script.
    int read(const std::string& name) { return read_script(name.c_str(), run.root, false, nullptr); }
    std::string tree() const { return dump_tree(run.root); }
};
