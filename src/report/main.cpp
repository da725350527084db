// report/main.cpp: vexreport, the report viewer: reads the dynamic files drivers wrote
// and the listings of their scripts, prints one report on standard output and, with
// --junit, writes JUnit XML. Exit status 0 all passed, 1 something failed, 2 unusable
// input.
#include <cstdio>
#include <iostream>
#include <string>

#include "report/report.h"

namespace {

constexpr const char* USAGE =
    "usage: vexreport [-d LISTING_DIR]... [--junit FILE] [--hide-unselected] DYNAMIC_FILE...\n"
    "  Reports the runs recorded in the DYNAMIC_FILEs (the -TDF or --vex-tdf files of the\n"
    "  drivers): the TEST CLASS, SUITE and CASE executions with their verdicts, every\n"
    "  failure at its script line, ON ERROR reactions, printed values, contracts, the cases\n"
    "  not run and why, and a count line. Several files (shards of one driver, drivers of\n"
    "  several scripts) make one report in which each TEST CASE counts once. The .ots and\n"
    "  .tsf listings of the scripts are looked for in each LISTING_DIR (default: the\n"
    "  current directory). --junit also writes the results as JUnit XML.\n"
    "  --hide-unselected leaves out the cases no file was to run (not selected by\n"
    "  --vex-run), as when one case of a driver is a test of its own.\n"
    "  Exit status: 0 everything passed, 1 something failed, 2 unusable input.\n";

int usage(const std::string& problem) {
    std::cerr << "vexreport: " << problem << "\n" << USAGE;
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    ReportOptions o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "-h" || a == "--help") {
            std::cout << USAGE;
            return 0;
        }
        if (a == "--hide-unselected") {
            o.hide_unselected = true;
        } else if (a == "-d" || a == "--junit") {
            if (i + 1 >= argc)
                return usage("`" + a + "' needs a value");
            (a == "-d" ? o.dirs.emplace_back() : o.junit) = argv[++i];
        } else if (!a.empty() && a[0] == '-') {
            return usage("unknown option `" + a + "'");
        } else {
            o.traces.push_back(a);
        }
    }
    if (o.traces.empty())
        return usage("a dynamic file is needed");
    std::ios::sync_with_stdio(false);
    return write_report(o, std::cout, std::cerr);
}
