// tests/support/test_support.h: shared test aids: a fresh run state per test,
// captured diagnostics, temporary directories and running the real binary.
#pragma once
#include <string>
#include <vector>

#include "fi/component.h"

// Resets every process-wide state (error_count, name table, options, counters, pools)
// as the driver does at start-up, and captures diagnostics into `diagnostics`.
struct RunState {
    RunState();
    ~RunState();
    std::string diagnostics;  // everything report_error/print_text wrote
    Component* root = nullptr;
};

// A fresh temporary directory, removed with its contents at destruction; the process's
// current directory is moved into it while the object lives (and restored after).
struct TempDir {
    TempDir();
    ~TempDir();
    std::string path;      // absolute, no trailing separator
    std::string previous;  // the current directory before
    void write(const std::string& name, const std::string& bytes) const;
    std::string read(const std::string& name) const;
    bool exists(const std::string& name) const;
};

struct ProcessResult {
    int status = 0;        // exit status as the shell sees it (0..255)
    std::string err;       // standard error
    std::string out;       // standard output
};

// Runs the built vexprepro with `args` in `cwd`; TARVELODIR is the staged install
// unless `tarvelodir` is given ("" unsets it). Extra environment as "NAME=value".
ProcessResult run_vexprepro(const std::vector<std::string>& args, const std::string& cwd,
                            const char* tarvelodir = nullptr,
                            const std::vector<std::string>& extra_env = {});

// A shell command's exit status (0..255, 128 + signal when killed) and its output:
// standard output, and standard error too unless `keep_stderr` is false.
struct ShellOutput {
    int status = 0;
    std::string text;
};
ShellOutput shell(const std::string& command, bool keep_stderr = true);

// `text` as one single-quoted shell word.
std::string shell_quoted(const std::string& text);

// The C++ compilers present of g++ and clang++: generated code must satisfy both.
std::vector<std::string> compilers();

// The whole content of a file ("" when it cannot be read).
std::string slurp(const std::string& path);

// The first component of that kind (and name, unless nullptr) in pre-order from `first`
// and its siblings.
Component* find_component(Component* first, int kind, const char* name);
