// report/report.h: vexreport's work: one pass over each dynamic file, with the listings of
// its scripts, gives the human report (the tree of executions with their verdicts, every
// failure at its script line, reactions, printed values, contracts, the cases not run and
// why, a count line) and, when asked, JUnit XML. Several files (the shards of one driver,
// the drivers of several scripts) make one report in which each TEST CASE counts once.
// How it fails: every step that can fail (a record it cannot read, a listing that does
// not belong to the run, a file it cannot read or write) returns false after storing its
// one reason; write_report prints that reason once, "vexreport: <place>: <reason>", and
// returns 2. When a dynamic file cannot be used nothing is printed and no JUnit file is
// written; when the JUnit file cannot be written the report is printed still. Listing
// files that cannot be read are left out with a warning, and the run goes on: a record
// that needs them is refused later.
#pragma once
#include <ostream>
#include <cstddef>
#include <string>
#include <vector>

struct ReportOptions {
    std::vector<std::string> traces;  // the dynamic files, reported in this order
    std::vector<std::string> dirs;   // where the listings are; the current one by default
    std::string junit;               // "" for none
    // Longest line of the dynamic file accepted (a printed value is one line).
    std::size_t max_line_bytes = std::size_t{256} << 20;
    bool hide_unselected = false;  // leave out the cases that no file was to run
};

// 0 when everything passed, 1 when anything failed or a run stopped early, 2 when any
// file cannot be used.
int write_report(const ReportOptions& options, std::ostream& out, std::ostream& err);
