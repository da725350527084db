// tests/reader/parser_test_util.h: reads small scripts written into a fresh
// directory, for the reader tests.
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

// Writes one script and reads it; the tree dump and the diagnostics.
struct ReadResult {
    std::string tree;
    std::string diagnostics;
};

inline ReadResult read_one(const std::string& name, const std::string& text) {
    ScriptDir s;
    s.write(name, text);
    s.read(name);
    return {s.tree(), s.run.diagnostics};
}
