// tests/report/report_test.cpp: vexreport on dynamic files that are empty, garbled, cut
// short or of another run: a clear message and status 2 for what it cannot use, an
// interrupted run reported as such.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

#include "report/listings.h"
#include "report/report.h"
#include "support/test_support.h"

namespace {

// The listings of a one-case script, and a dynamic file to go with them.
struct ListedRun {
    TempDir dir;
    std::string pair;  // "<sum_a> <sum_b>" as the FILE record writes it
    ListedRun() {
        dir.write("suite.otd", "TEST CLASS A { TEST CASE T { CHECK (1); } RUN { T; } }\nRUN { A; }\n");
        const ProcessResult r = run_vexprepro(
            {"suite.otd", "-G", "C++", "-O", "d.cc", "-OTI", "d.oti", "-TDF", "t.tdf"}, dir.path);
        EXPECT_EQ(r.status, 0) << r.err;
        Listing l;
        EXPECT_TRUE(read_listing(dir.path + "/suite.otd01.ots", &l));
        char text[32];
        std::snprintf(text, sizeof text, "%x %x", l.sum_a, l.sum_b);
        pair = text;
    }
    // The report's status, standard output and error for a dynamic file of this text.
    int report(const std::string& trace, std::string* out, std::string* err,
               std::size_t max_line = std::size_t{256} << 20) {
        dir.write("t.tdf", trace);
        std::ostringstream o, e;
        const int status =
            write_report(ReportOptions{dir.path + "/t.tdf", {dir.path}, "", max_line}, o, e);
        *out = o.str();
        *err = e.str();
        return status;
    }
};

}  // namespace

TEST(Report, UnusableDynamicFilesAreRefusedWithTheirReason) {
    ListedRun r;
    const std::string head = "VEXTRACE 1\nINIT 0 f4240 1e8480\nFILE 0 " + r.pair + "\n";
    struct Case {
        std::string trace, error;
    };
    const Case cases[] = {
        {"", "is not a dynamic file of version 1"},
        {"\x7f" "ELF\x01\x02 binary", "is not a dynamic file of version 1"},
        {"VEXTRACE 2\n", "is not a dynamic file of version 1"},
        {head + "ZZ 1 2\n", "t.tdf:4: unknown record `ZZ'"},
        {head + "ET 3 0\n", "t.tdf:4: an id and a file index expected, for the component"},
        {head + "ET 99 0 6 0\n", "t.tdf:4: id 153 is not in the listing of `suite.otd'"},
        {head + "ET 3 5 6 0\n", "t.tdf:4: file index 5 was never registered"},
        {"VEXTRACE 1\nFILE 0 1 2\n", "the listing `" + r.dir.path + "/suite.otd01.ots' of "
                                     "`suite.otd' does not belong to this run"},
        {"VEXTRACE 1\nFILE 1 1 2\n", "t.tdf:2: no listing of script file 2 (checksum pair "
                                     "0x1 0x2) in the listing directories"},
    };
    for (const Case& c : cases) {
        std::string out, err;
        EXPECT_EQ(r.report(c.trace, &out, &err), 2) << c.trace;
        EXPECT_NE(err.find(c.error), std::string::npos) << err;
    }
    // A garbled file without line breaks is refused without being held whole, and the
    // blocks it is read in may end anywhere in a line.
    std::string out, err;
    EXPECT_EQ(r.report("VEXTRACE 1\n" + std::string(5000, 'x'), &out, &err, 4096), 2);
    EXPECT_EQ(err, "vexreport: " + r.dir.path + "/t.tdf:2: a line longer than any event (the "
                   "file is garbled)\n");
    std::string events;
    for (int i = 0; i < 200000; ++i)
        events += "PS 3 0\n";
    EXPECT_EQ(r.report(head + events, &out, &err), 1) << err;
    std::ostringstream o, e;
    EXPECT_EQ(write_report(ReportOptions{r.dir.path + "/none.tdf", {}, ""}, o, e), 2);
    EXPECT_EQ(e.str(), "vexreport: cannot read the dynamic file `" + r.dir.path + "/none.tdf'\n");
}

TEST(Report, ARunCutShortReportsTheInterruptedCaseAndTheLastCheck) {
    ListedRun r;
    std::string out, err;
    EXPECT_EQ(r.report("VEXTRACE 1\nFILE 0 " + r.pair + "\nEC 2 0 8 0\nET 3 0 6 0\nCK 1 4 0\nCK 0 4",
                       &out, &err),
              1);
    EXPECT_EQ(err, "");
    EXPECT_EQ(out,
              "TEST CLASS A (suite.otd:1)\n"
              "  TEST CASE T (suite.otd:1): INTERRUPTED\n"
              "    the run stopped here: the dynamic file ends in the middle of a line; the last "
              "check reached was at suite.otd:1\n"
              "The run did not finish: the dynamic file ends in the middle of a line.\n"
              "1 test case: 0 passed, 1 failed; 1 check: 1 passed, 0 failed; 0 unexpected "
              "exceptions\n");
}
