// report/report.h: vexreport's work: one pass over a dynamic file, with the listings of
// its scripts, gives the human report (the tree of executions with their verdicts, every
// failure at its script line, reactions, printed values, contracts, a count line) and,
// when asked, JUnit XML.
// How it fails: every step that can fail (a record it cannot read, a listing that does
// not belong to the run, a file it cannot read or write) returns false after storing its
// one reason; write_report prints that reason once, "vexreport: <place>: <reason>", and
// returns 2. Nothing is counted as a failure of the run then, and a run that cannot be
// read gets no JUnit file. Listing files that cannot be read are left out with a
// warning, and the run goes on: a record that needs them is refused later.
#pragma once
#include <ostream>
#include <cstddef>
#include <string>
#include <vector>

struct ReportOptions {
    std::string trace;               // the dynamic file
    std::vector<std::string> dirs;   // where the listings are; the current one by default
    std::string junit;               // "" for none
    // Longest line of the dynamic file accepted (a printed value is one line).
    std::size_t max_line_bytes = std::size_t{256} << 20;
};

// 0 when everything passed, 1 when anything failed or the run stopped early, 2 on
// unusable input.
int write_report(const ReportOptions& options, std::ostream& out, std::ostream& err);
