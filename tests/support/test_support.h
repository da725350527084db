// tests/support/test_support.h: shared test aids: a fresh run state per test,
// captured diagnostics, temporary directories, running the real binary and golden files.
// Failures are gtest failures of the calling test; nothing here throws but TempDir.
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

// Runs the phases of the tool (run_phases, as vexprepro runs them) over `scripts`, read
// from the current directory, with the outputs named driver.cc, driver.oti, driver.tdf.
// What they said is in run.diagnostics.
void run_scripts(RunState& run, const std::vector<std::string>& scripts);

// A fresh temporary directory under $TMPDIR (or /tmp), removed with its contents at destruction; the process's
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

// Golden files. Where the output holds a value that changes from run to run, the expected
// file holds a placeholder: @DIR@ for the temporary directory the tool ran in, @SUM<n>@
// for the checksum pair of script n (it covers the directory's name).
struct Placeholder {
    std::string name;   // as the expected file writes it, "@DIR@"
    std::string value;  // what the output holds in its place
};

// `text` with every placeholder's name replaced by its value, and the reverse.
std::string with_values(std::string text, const std::vector<Placeholder>& placeholders);
std::string with_placeholders(std::string text, const std::vector<Placeholder>& placeholders);

// Expects the two texts equal byte for byte; a mismatch fails with their unified diff.
void expect_same_text(const std::string& label, const std::string& expected,
                      const std::string& actual);

// Compares `actual` with the expected file, its placeholders replaced by their values.
// With VEX_UPDATE_GOLDEN=1 it rewrites the file from `actual`, the placeholders put back.
void expect_golden(const std::string& expected_file, const std::string& actual,
                   const std::vector<Placeholder>& placeholders);

// True when VEX_UPDATE_GOLDEN=1 asks for expected files to be rewritten.
bool updating_golden_files();

// @DIR@ for `dir`, and @SUM<n>@ for each listing "<script><n>.ots" there: the pair its
// CK line holds, written as the driver and the woven files register it ("0x1a, 0x2b").
std::vector<Placeholder> run_placeholders(const std::string& dir);
