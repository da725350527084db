// tests/report/report_test.cpp: vexreport on dynamic files that are empty, garbled, cut
// short or of another run: a clear message and status 2 for what it cannot use, with no
// report and no JUnit file; an interrupted run reported as such; names only from the
// listings of the run.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

#include "report/listings.h"
#include "report/report.h"
#include "support/test_support.h"

namespace {

// The listings of a one-case script (TL 2h A, TC 3h T, CH 4h), and a dynamic file to go
// with them.
struct ListedRun {
    TempDir dir;
    std::string head;  // the first lines of the dynamic file, registering the script as 0
    ListedRun() {
        dir.write("suite.otd", "TEST CLASS A { TEST CASE T { CHECK (1); } RUN { T; } }\nRUN { A; }\n");
        const ProcessResult r = run_vexprepro(
            {"suite.otd", "-G", "C++", "-O", "d.cc", "-OTI", "d.oti", "-TDF", "t.tdf"}, dir.path);
        EXPECT_EQ(r.status, 0) << r.err;
        Listing l;
        EXPECT_TRUE(read_listing(dir.path + "/suite.otd01.ots", &l));
        char text[64];
        std::snprintf(text, sizeof text, "FILE 0 %x %x\n", l.sum_a, l.sum_b);
        head = std::string("VEXTRACE 1\nINIT 0 f4240 1e8480\n") + text;
    }
    // The report's status, standard output and error for a dynamic file of this text.
    int report(const std::string& trace, std::string* out, std::string* err,
               std::size_t max_line = std::size_t{256} << 20) {
        dir.write("t.tdf", trace);
        std::ostringstream o, e;
        const int status =
            write_report(ReportOptions{{dir.path + "/t.tdf"}, {dir.path}, "", max_line}, o, e);
        *out = o.str();
        *err = e.str();
        return status;
    }
    // The program run in the directory with these arguments.
    ProcessResult program(const std::string& args) const {
        const ShellOutput o = shell(
            "(cd '" + dir.path + "' && " VEX_REPORT_BINARY " " + args + " 2>err.txt)", false);
        return ProcessResult{o.status, dir.read("err.txt"), o.text};
    }
    // The program on a dynamic file of this text, asked for JUnit XML too.
    ProcessResult run_program(const std::string& trace) const {
        dir.write("t.tdf", trace);
        return program("--junit results.xml t.tdf");
    }
};

}  // namespace

TEST(Report, UnusableDynamicFilesAreRefusedWithTheirReasonAndNothingWritten) {
    ListedRun r;
    const std::string& head = r.head;
    const std::string v2 = "VEXTRACE 2" + head.substr(head.find('\n'));
    const std::string v3 = "VEXTRACE 3" + head.substr(head.find('\n'));
    const std::string PLAN = "t.tdf:4: an index, a mark (r, s or h), an id, a file index and a path "
                             "expected";
    const std::string ots = "./suite.otd01.ots";
    struct Case {
        std::string trace, error;  // error: after "vexreport: "
    };
    const Case cases[] = {
        {"", "`t.tdf' is empty"},
        {"\x7f" "ELF\x01\x02 binary", "`t.tdf' is not a dynamic file of version 1 to 3"},
        {"VEXTRACE 4\n", "`t.tdf' is not a dynamic file of version 1 to 3"},
        {head + "ZZ 1 2\n", "t.tdf:4: unknown record `ZZ'"},
        {head + "ET 3 0\n",
         "t.tdf:4: an id and a file index expected, for the component and its caller"},
        {head + "ET 99 0 6 0\n", "t.tdf:4: id 153 is not in the listing of `suite.otd'"},
        {head + "ET 3 5 6 0\n", "t.tdf:4: file index 5 was never registered"},
        {"VEXTRACE 1\nFILE 0 1 2\n", "t.tdf:2: the listing `" + ots + "' of `suite.otd' does "
                                     "not belong to this run (its checksum pair differs): run "
                                     "vexprepro and the driver again"},
        {"VEXTRACE 1\nFILE 1 1 2\n", "t.tdf:2: no listing of script file 2 (checksum pair "
                                     "0x1 0x2) in the listing directories"},
        // Garbled verdicts are refused, never counted as failures or passes.
        {head + "CK 7 4 0\n", "t.tdf:4: a verdict (1 or 0), an id and a file index expected"},
        {head + "CK x 4 0\n", "t.tdf:4: a verdict (1 or 0), an id and a file index expected"},
        {head + "CK 1 4 0 9\n", "t.tdf:4: a verdict (1 or 0), an id and a file index expected"},
        {head + "AI 7 4 0 0 f()\n", "t.tdf:4: a verdict (1, 0 or n), an id, a file index, an "
                                    "object and a method expected"},
        {head + "XT\n", "t.tdf:4: two file indexes expected"},
        {head + "XT 0 0\n", "t.tdf:4: the end of a TEST CASE that was not entered"},
        {head + "PV no tab\n", "t.tdf:4: a printed text and value expected"},
        {head + "VL 1\t==\n", "t.tdf:4: two values and an operator expected"},
        {head + "SS 10 3 z\n", "t.tdf:4: an object, an id and a file index expected"},
        {head + "CRASH 1x\n", "t.tdf:4: a signal number expected"},
        {head + "END\n", "t.tdf:4: an exit status expected"},
        {head + "PE 1\n", "t.tdf:4: nothing expected after `PE'"},
        {"VEXTRACE 1\nINIT 0 f4240 0\n", "t.tdf:2: the listing keys are offset otherwise than "
                                         "vexreport reads them: the driver was generated by "
                                         "another version"},
        // The records of version 2: the plan, isolation, timeouts.
        {head + "PC 0 r 3 0 A.T\n", "t.tdf:4: record `PC' in a dynamic file of version 1"},
        {head + "TO 1\n", "t.tdf:4: record `TO' in a dynamic file of version 1"},
        {v2 + "PC 0 x 3 0 A.T\n", PLAN},
        {v2 + "PC 0 r 3 0\n", PLAN},
        {v2 + "PC 1 r 3 0 A.T\n", "t.tdf:4: plan record 1 out of order"},
        {v2 + "PC 0 r 4 0 A.T\n", "t.tdf:4: the path `A.T' does not name TEST CASE `(1)'"},
        {v2 + "PC 0 r 3 0 A.U\n", "t.tdf:4: the path `A.U' does not name TEST CASE `T'"},
        {v2 + "ET 3 0 6 0\nXT 0 0\nPC 0 r 3 0 A.T\n",
         "t.tdf:6: a plan record after the first TEST CASE"},
        {v2 + "PC 0 s 3 0 A.T\nET 3 0 6 0\n",
         "t.tdf:5: TEST CASE `T' entered where the plan holds no such case"},
        {v2 + "TO 1\n", "t.tdf:4: a timeout outside any TEST CASE"},
        {v2 + "ET 3 0 6 0\nTO 1s\n", "t.tdf:5: a number of seconds expected"},
        {v2 + "IS 0\n", "t.tdf:4: nothing expected after `IS'"},
        // The records of version 3: times, exceptions, object lifetimes, fault methods.
        {v2 + "TM 5\n", "t.tdf:4: record `TM' in a dynamic file of version 2"},
        {v2 + "UD int\t\n", "t.tdf:4: record `UD' in a dynamic file of version 2"},
        {v2 + "SO 10\n", "t.tdf:4: record `SO' in a dynamic file of version 2"},
        {v2 + "SF f()\n", "t.tdf:4: record `SF' in a dynamic file of version 2"},
        {v3 + "TM 5s\n", "t.tdf:4: a number of microseconds expected"},
        {v3 + "UD int\n", "t.tdf:4: a type and a message expected"},
        {v3 + "SO\n", "t.tdf:4: an object expected"},
    };
    for (const Case& c : cases) {
        const ProcessResult p = r.run_program(c.trace);
        EXPECT_EQ(p.status, 2) << c.trace;
        EXPECT_EQ(p.err, "vexreport: " + c.error + "\n") << c.trace;
        EXPECT_EQ(p.out, "") << c.trace;
        EXPECT_FALSE(r.dir.exists("results.xml")) << c.trace;
    }
    const ProcessResult none = r.program("none.tdf");
    EXPECT_EQ(none.status, 2);
    EXPECT_EQ(none.err, "vexreport: cannot read the dynamic file `none.tdf'\n");
}

// A garbled file without line breaks is refused without being held whole, and the blocks
// it is read in may end anywhere in a line.
TEST(Report, LongLinesAreRefusedAndManyShortOnesRead) {
    ListedRun r;
    std::string out, err;
    EXPECT_EQ(r.report("VEXTRACE 1\n" + std::string(5000, 'x'), &out, &err, 4096), 2);
    EXPECT_EQ(err, "vexreport: " + r.dir.path + "/t.tdf:2: a line longer than any event (the "
                   "file is garbled)\n");
    std::string events;
    for (int i = 0; i < 200000; ++i)
        events += "PS 3 0\n";
    EXPECT_EQ(r.report(r.head + events, &out, &err), 1) << err;
}

TEST(Report, ARunCutShortReportsTheInterruptedCaseAndTheLastCheck) {
    ListedRun r;
    std::string out, err;
    EXPECT_EQ(r.report(r.head + "EC 2 0 8 0\nET 3 0 6 0\nCK 1 4 0\nCK 0 4", &out, &err), 1);
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

// A reaction that bypasses the rest names where the run goes on; a listing in the
// directory that the run never registered is not asked, though it holds the id.
TEST(Report, NamesComeOnlyFromTheListingsOfTheRun) {
    ListedRun r;
    r.dir.write("old.otd02.ots", "OF \"/elsewhere/\" \"old.otd\" 0h\n"
                                 "TL 63h \"Stale\" line=1 dad=1h;\n"
                                 "CK 5h 6h\n");
    const ProcessResult p = r.run_program(r.head + "EC 2 0 8 0\nOE 0 0\nOX 63\nOE 0 0\nOX 2\n"
                                                   "XC 0 0\nEND 0\n");
    EXPECT_EQ(p.err, "");
    EXPECT_EQ(p.out, "TEST CLASS A (suite.otd:1)\n"
                     "  ON ERROR (default): the rest was bypassed, the run goes on in ?\n"
                     "  ON ERROR (default): the rest was bypassed, the run goes on in A\n"
                     "0 test cases: 0 passed, 0 failed; 0 checks: 0 passed, 0 failed; 0 "
                     "unexpected exceptions\n");
    EXPECT_EQ(p.status, 0);
}
