// tests/listings/listings_test.cpp: the .ots and .tsf listings of small scripts,
// compared whole. Every expected line below was written from the record formats;
// the checksum pair is recomputed here by an independent reference of the rule, over
// the expected lines in the order the two files are written.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

#include "analysis/checker.h"
#include "driver/options.h"
#include "errors/report.h"
#include "fi/names.h"
#include "listings/sink.h"
#include "listings/statgen.h"
#include "listings/tsfgen.h"
#include "reader/parser.h"
#include "support/test_support.h"

namespace {

// Sat Dec 05 15:29:03 2026 in UTC.
constexpr std::time_t RUN_TIME = 1796484543;
constexpr std::time_t SCRIPT_TIME = 0x1234abcd;
const std::string DP_LINE = "DP Sat Dec 05 15:29:03 2026\n";

// One expected line and the file it goes to, in writing order: 't' the .tsf file,
// 'o' the .ots file, 'd' the .ots file outside the checksum.
struct Line {
    char to;
    std::string text;
};

struct Expected {
    std::string tsf, ots;
    std::uint32_t sum = 0, xor_sum = 0;  // the printed pair
};

// The checksum rule restated: every byte as a signed value, added, then the sum shifted.
void reference_add(std::uint32_t& s, std::uint32_t& x, const std::string& text) {
    for (unsigned char byte : text) {
        const std::int64_t value = byte < 128 ? byte : static_cast<std::int64_t>(byte) - 256;
        const std::uint64_t added =
            static_cast<std::uint64_t>(s) + static_cast<std::uint64_t>(value);
        s = static_cast<std::uint32_t>((added & 0xFFFFFFFFu) * 2);
        x ^= s;
    }
}

std::string pair_line(const char* tag, std::uint32_t a, std::uint32_t b) {
    char text[64];
    std::snprintf(text, sizeof text, "%s %xh %xh\n", tag, a, b);
    return text;
}

Expected expected_files(const std::vector<Line>& lines) {
    Expected e;
    std::uint32_t s = 0, x = 0;
    for (const Line& l : lines) {
        (l.to == 't' ? e.tsf : e.ots) += l.text;
        if (l.to != 'd')
            reference_add(s, x, l.text);
    }
    e.sum = s & 0x7FFFFFFF;
    e.xor_sum = x & 0x7FFFFFFF;
    e.ots += "\n" + pair_line("CK", e.sum, e.xor_sum);
    e.tsf += pair_line("ID", e.sum, e.xor_sum) + "ED\n";
    return e;
}

// The header lines of both files for a script in `dir` (with its trailing '/').
std::vector<Line> head(const std::string& dir, const std::string& file) {
    return {
        {'t', "DB \"Orbisk-Tracer\"\n"},
        {'t', "SO \"" + dir + file + "\" 1234abcdh \"txt\"\n"},
        {'t', "IN \"File\" 1h \"" + file + "\"\n"},
        {'t', "ST 164\n"},
        {'t', "MS ffffffffh \"ON ERROR (DEFAULT)\"\n"},
        {'t', "TX fffffffeh \"UNEXPECTED EXCEPTION\"\n"},
        {'t', "TX fffffffdh \"EXCEPTION THROWN\"\n"},
        {'t', "TX fffffffch \"ILLEGAL TRANSITION\"\n"},
        {'t', "TX fffffffbh \"MULTIPLE TRANSITION\"\n"},
        {'o', "OF \"" + dir + "\" \"" + file + "\" 1234abcdh\n"},
        {'o', "\n"},
        {'o', "VO 8.0.1.2.343.015\n"},
        {'d', DP_LINE},
    };
}

std::vector<Line> operator+(std::vector<Line> a, const std::vector<Line>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Scripts read and checked in a fresh directory, with the local time zone set to UTC.
struct Listed {
    TempDir dir;
    RunState run;
    std::string tz;
    Listed() {
        const char* old = std::getenv("TZ");
        tz = old ? old : "";
        setenv("TZ", "UTC0", 1);
        tzset();
    }
    ~Listed() {
        if (tz.empty())
            unsetenv("TZ");
        else
            setenv("TZ", tz.c_str(), 1);
        tzset();
    }
    void read(const std::string& name, const std::string& script) {
        dir.write(name, script);
        read_script(name.c_str(), run.root, false, nullptr);
    }
    // Checks, fixes the scripts' times, and writes the listings.
    int write() {
        check_components(run.root);
        for (FileRecord* r = the_options->file_table; r; r = r->next)
            r->mtime = SCRIPT_TIME;
        return write_static_files(run.root, RUN_TIME);
    }
    std::string here() const { return dir.path + "/"; }
};

}  // namespace

TEST(ListingChecksum, FollowsTheRuleByteByByte) {
    FileRecord r;
    // "abc" on a fresh pair:
    //   'a' 97: S = (0 + 97) << 1 = 194;    X = 0 ^ 194 = 194
    //   'b' 98: S = (194 + 98) << 1 = 584;  X = 194 ^ 584 = 650   (0x0C2 ^ 0x248 = 0x28A)
    //   'c' 99: S = (584 + 99) << 1 = 1366; X = 650 ^ 1366 = 2012 (0x28A ^ 0x556 = 0x7DC)
    add_to_checksum(&r, "abc");
    EXPECT_EQ(r.sum_a, 1366u);
    EXPECT_EQ(r.sum_b, 2012u);
    // 0xE9 counts as -23: S = (0 - 23) << 1 = -46 = 0xFFFFFFD2, X = S; printed 7fffffd2.
    FileRecord high;
    add_to_checksum(&high, "\xE9");
    EXPECT_EQ(high.sum_a, 0xFFFFFFD2u);
    EXPECT_EQ(high.sum_b, 0xFFFFFFD2u);
    // The top bit is shifted out: 0x80000000 + 0 shifted gives 0.
    FileRecord top;
    top.sum_a = 0x80000000u;
    add_to_checksum(&top, std::string_view("\0", 1));
    EXPECT_EQ(top.sum_a, 0u);
    EXPECT_EQ(top.sum_b, 0u);
}

TEST(ListingChecksum, TraceLinesLoseInnerLineBreaksBeforeTheyAreCounted) {
    FileRecord r;
    ListingSink sink;
    r.tsf_sink = &sink;
    tsf_write(&r, "a\nb\r\n");
    EXPECT_EQ(sink.pending, "a b \n");
    FileRecord same;
    add_to_checksum(&same, "a b \n");
    EXPECT_EQ(r.sum_a, same.sum_a);
    EXPECT_EQ(r.sum_b, same.sum_b);
}

TEST(Listings, ATestScriptGivesEveryRecordOfBothFiles) {
    Listed l;
    l.read("suite.otd",
           "TEST CLASS A (x) {\n"
           "  PROPERTY pos (v) { (v > 0) }\n"
           "  PROC p { PRINT (\"a\\\"b\", x); }\n"
           "  TEST CASE T {\n"
           "    CHECK \"L\" (x > 0);\n"
           "    CHECK (y == \"q\\\\\");\n"
           "    CHECK PROPERTY pos (1);\n"
           "    CALL p;\n"
           "    CHECK STUB s;\n"
           "    ON ERROR EXIT;\n"
           "    COMMENT say \"hi\" caf\xC3\xA9\n"
           "    # native \"n\\\n"
           "  }\n"
           "  RUN { T; }\n"
           "}\n"
           "STUB s : int s(char* t) { CHECK (t != 0); }\n"
           "RUN { A(1).T; }\n");
    ASSERT_EQ(l.write(), 0);
    EXPECT_EQ(l.run.diagnostics, "");
    // ids in reading order: A 2, pos 3, its expression 4, p 5, PRINT 6, T 7, the checks
    // 8-12, ON ERROR 13, COMMENT 14, native 15, RUN 16 with element 17, STUB 18 with its
    // CHECK 19, RUN 20 with element 21.
    const Expected e = expected_files(head(l.here(), "suite.otd") + std::vector<Line>{
        {'t', "LK 1\n"}, {'t', "SI 1h\n"}, {'t', "IN \"TestClass\" 2h \"A\"\n"},
        {'t', "LK 1\n"}, {'t', "MS f4242h \"`A'\"\n"},
        {'o', "TL 2h \"A\" line=1 dad=1h;\n"},
        {'o', "PY 3h \"pos\" line=2 dad=2h;\n"},
        {'o', "EX 4h \"(v > 0)\" line=2 dad=3h;\n"},
        {'t', "LK 3\n"}, {'t', "SI 2h\n"}, {'t', "IN \"Proc\" 5h \"p\"\n"},
        {'o', "PC 5h \"p\" line=3 dad=2h;\n"},
        {'o', "PR 6h \"(\\\"a\\\\\\\"b\\\", x)\" line=3 dad=5h;\n"},
        {'t', "LK 4\n"}, {'t', "SI 2h\n"}, {'t', "IN \"TestCase\" 7h \"T\"\n"},
        {'t', "LK 4\n"}, {'t', "MS f4247h \"`T'\"\n"},
        {'o', "TC 7h \"T\" line=4 dad=2h;\n"},
        {'t', "LK 5\n"}, {'t', "TX 1e8488h \"`L' / (x > 0)\"\n"},
        {'o', "CH 8h \"`L' / (x > 0)\" line=5 dad=7h;\n"},
        {'t', "LK 6\n"}, {'t', "TX 1e8489h \"(y == \\\"q\\\\\\\\\\\")\"\n"},
        {'o', "CH 9h \"(y == \\\"q\\\\\\\\\\\")\" line=6 dad=7h;\n"},
        {'t', "LK 2\n"}, {'t', "TX 1e848ah \"pos\"\n"},  // the PROPERTY's line
        {'o', "CY ah \"pos\" line=7 dad=7h;\n"},
        {'t', "LK 8\n"}, {'t', "MS f424bh \"call `p'\"\n"},
        {'o', "CP bh \"p\" line=8 dad=7h;\n"},
        {'t', "LK 9\n"}, {'t', "MS f424ch \"check stub `s'\"\n"},
        {'t', "LK 9\n"}, {'t', "TX 1e848ch \"`s'\"\n"},
        {'o', "CS ch \"s\" line=9 dad=7h stb=12h;\n"},
        {'t', "ST 164\n"}, {'t', "LK 10\n"}, {'t', "MS f424dh \"call `ON ERROR'\"\n"},
        {'t', "LK 11\n"}, {'t', "TX 1e848eh \"say \\\"hi\\\" caf\xC3\xA9\"\n"},
        {'o', "CO eh \"say \\\"hi\\\" caf\xC3\xA9\" line=11 dad=7h;\n"},
        {'o', "NC fh \" native \\\"n\\\\\" line=12 dad=7h;\n"},
        {'o', "RU 10h \"RUN\" line=14 dad=2h;\n"},
        {'t', "LK 14\n"}, {'t', "MS f4251h \"run `T'\"\n"},
        {'o', "RC 11h \"T\" line=14 dad=10h;\n"},
        {'t', "LK 16\n"}, {'t', "SI 1h\n"}, {'t', "IN \"Stub\" 12h \"s\"\n"},
        {'t', "LK 16\n"}, {'t', "MS f4252h \"`int s(char* t)'\"\n"},
        {'o', "SB 12h \"s\" line=16 dad=1h;\n"},
        {'t', "LK 16\n"}, {'t', "TX 1e8493h \"(t != 0)\"\n"},
        {'o', "CH 13h \"(t != 0)\" line=16 dad=12h;\n"},
        {'o', "RU 14h \"RUN\" line=17 dad=1h;\n"},
        {'t', "LK 17\n"}, {'t', "MS f4255h \"run `A.T'\"\n"},
        {'o', "RC 15h \"A.T\" line=17 dad=14h;\n"},
    });
    EXPECT_EQ(l.dir.read("suite.otd01.ots"), e.ots);
    EXPECT_EQ(l.dir.read("suite.otd01.tsf"), e.tsf);
    const FileRecord* r = the_options->file_table;
    EXPECT_EQ(r->sum_a, e.sum);
    EXPECT_EQ(r->sum_b, e.xor_sum);
    EXPECT_EQ(r->ots_sink, nullptr);
    EXPECT_EQ(r->tsf_sink, nullptr);
}

TEST(Listings, AContractScriptListsClassesWithTheirObservationStates) {
    Listed l;
    l.read("c.otc",
           "CLASS Stack<T> : public Base {\n"
           "  INVARIANT (size() >= 0);\n"
           "  WRAP void push(const T& \"v\")\n"
           "    REQUIRE (!full())\n"
           "    ENSURE (size() > 0)\n"
           "  STATE empty { (size() == 0) }\n"
           "  STATE full { (size() == max) }\n"
           "  TRANSITION empty TO full;\n"
           "}\n"
           "SINGLE CLASS Log {\n"
           "  INVARIANT (ok);\n"
           "}\n");
    ASSERT_EQ(l.write(), 0);
    EXPECT_EQ(l.run.diagnostics, "");
    // 3000000 = 2dc6c0h: the observation states of ids 2 and 0xc are 2dc6c2h and 2dc6cch.
    const Expected e = expected_files(head(l.here(), "c.otc") + std::vector<Line>{
        {'t', "LK 1\n"}, {'t', "SI 1h\n"}, {'t', "IN \"VEXClass\" 2h \"Stack<T> : public Base\"\n"},
        {'o', "CL 2h \"Stack<T> : public Base\" line=1 dad=1h;\n"},
        {'o', "OS 2dc6c2h \"Stack<T> : public Base Observation State\" line=1 dad=2h;\n"},
        {'t', "LK 2\n"}, {'t', "TX 1e8483h \"`size() >= 0'\"\n"},
        {'o', "IV 3h \"(size() >= 0)\" line=2 dad=2h;\n"},
        {'t', "LK 3\n"}, {'t', "TX 1e8484h \"`void push(const T& \\\"v\\\")'\"\n"},
        {'o', "WR 4h \"void push(const T& \\\"v\\\")\" line=3 dad=2h;\n"},
        {'t', "LK 4\n"}, {'t', "TX 1e8485h \"(!full())\"\n"},
        {'o', "RQ 5h \"(!full())\" line=4 dad=4h;\n"},
        {'t', "LK 5\n"}, {'t', "TX 1e8486h \"(size() > 0)\"\n"},
        {'o', "EN 6h \"(size() > 0)\" line=5 dad=4h;\n"},
        {'t', "LK 6\n"}, {'t', "TX 1e8487h \"`empty'\"\n"},
        {'o', "ST 7h \"empty\" line=6 dad=2h;\n"},
        {'o', "EX 8h \"(size() == 0)\" line=6 dad=7h;\n"},
        {'t', "LK 7\n"}, {'t', "TX 1e8489h \"`full'\"\n"},
        {'o', "ST 9h \"full\" line=7 dad=2h;\n"},
        {'o', "EX ah \"(size() == max)\" line=7 dad=9h;\n"},
        {'o', "TR bh \"empty TO full\" line=8 dad=2h;\n"},
        {'t', "LK 10\n"}, {'t', "SI 1h\n"}, {'t', "IN \"VEXSingleClass\" ch \"Log\"\n"},
        {'o', "SL ch \"Log\" line=10 dad=1h;\n"},
        {'o', "OS 2dc6cch \"Log Observation State\" line=10 dad=ch;\n"},
        {'t', "LK 11\n"}, {'t', "TX 1e848dh \"`ok'\"\n"},
        {'o', "IV dh \"(ok)\" line=11 dad=ch;\n"},
    });
    EXPECT_EQ(l.dir.read("c.otc01.ots"), e.ots);
    EXPECT_EQ(l.dir.read("c.otc01.tsf"), e.tsf);
}

TEST(Listings, AScriptWithoutComponentsGivesHeadersAndTrailersOnly) {
    Listed l;
    l.read("e.otd", "// nothing but a comment\n");
    ASSERT_EQ(l.write(), 0);
    const Expected e = expected_files(head(l.here(), "e.otd"));
    EXPECT_EQ(l.dir.read("e.otd01.ots"), e.ots);
    EXPECT_EQ(l.dir.read("e.otd01.tsf"), e.tsf);
}

TEST(Listings, AnIncludedScriptHasItsOwnListingsAndEveryCreationIsLogged) {
    Listed l;
    l.dir.write("inc.otd", "TEST SUITE I { }\n");
    FILE* log = std::fopen("run.log", "w");
    ASSERT_NE(log, nullptr);
    the_options->log_file = log;
    l.read("main.otd", "INCLUDE \"inc.otd\";\nTEST SUITE M { }\n");
    ASSERT_EQ(l.write(), 0);
    the_options->log_file = nullptr;
    std::fclose(log);
    EXPECT_EQ(l.run.diagnostics, "");
    EXPECT_EQ(l.dir.read("run.log"),
              "TSF main.otd01.tsf\nOTS main.otd01.ots\nTSF inc.otd02.tsf\nOTS inc.otd02.ots\n");
    // INCLUDE 2 has no record; I 3 goes to the included file's listings, M 4 to main's.
    const Expected main = expected_files(head(l.here(), "main.otd") + std::vector<Line>{
        {'t', "LK 2\n"}, {'t', "SI 1h\n"}, {'t', "IN \"TestSuite\" 4h \"M\"\n"},
        {'t', "LK 2\n"}, {'t', "MS f4244h \"`M'\"\n"},
        {'o', "TS 4h \"M\" line=2 dad=1h;\n"},
    });
    const Expected inc = expected_files(head(l.here(), "inc.otd") + std::vector<Line>{
        {'t', "LK 1\n"}, {'t', "SI 1h\n"}, {'t', "IN \"TestSuite\" 3h \"I\"\n"},
        {'t', "LK 1\n"}, {'t', "MS f4243h \"`I'\"\n"},
        {'o', "TS 3h \"I\" line=1 dad=1h;\n"},
    });
    EXPECT_EQ(l.dir.read("main.otd01.ots"), main.ots);
    EXPECT_EQ(l.dir.read("main.otd01.tsf"), main.tsf);
    EXPECT_EQ(l.dir.read("inc.otd02.ots"), inc.ots);
    EXPECT_EQ(l.dir.read("inc.otd02.tsf"), inc.tsf);
}

TEST(Listings, TheDateLineIsLocalTimeInEnglishAndOutsideTheChecksum) {
    Listed l;
    l.read("e.otd", "");
    setenv("TZ", "EST5", 1);
    tzset();
    ASSERT_EQ(l.write(), 0);
    const std::string ots = l.dir.read("e.otd01.ots");
    EXPECT_NE(ots.find("\nDP Sat Dec 05 10:29:03 2026\n"), std::string::npos) << ots;
    const Expected e = expected_files(head(l.here(), "e.otd"));  // other date, same pair
    EXPECT_EQ(the_options->file_table->sum_a, e.sum);
    EXPECT_EQ(the_options->file_table->sum_b, e.xor_sum);
}

TEST(Listings, LongRunPathsAndPrintListsAreWrittenWhole) {
    Listed l;
    std::string path = "C";
    for (int i = 0; i < 3000; ++i)
        path += ".Segment" + std::to_string(i);
    const std::string word(20000, 'w');
    l.read("long.otd", "TEST SUITE S { TEST CASE T { PRINT (" + word + "); } }\nRUN { " + path +
                           "; }\n");
    ASSERT_GT(path.size(), 16384u);
    l.write();  // the path resolves nowhere; the listing is written all the same
    const std::string ots = l.dir.read("long.otd01.ots");
    EXPECT_NE(ots.find("PR 4h \"(" + word + ")\" line=1 dad=3h;\n"), std::string::npos);
    EXPECT_NE(ots.find("RC 6h \"" + path + "\" line=2 dad=5h;\n"), std::string::npos);
    EXPECT_NE(l.dir.read("long.otd01.tsf").find("MS f4246h \"run `" + path + "'\"\n"),
              std::string::npos);
}

TEST(Listings, AnUnknownKindIsReportedAndItsChildrenAreStillListed) {
    Listed l;
    l.read("u.otd", "TEST SUITE S { }\n");
    Component* suite = l.run.root->first_child;
    current_file_number = 1;
    Component* odd = create_component(suite, 4242, intern("odd"), suite->dir, suite->file,
                                      Span{5, 5, 1, 3}, 5, 1);
    create_component(odd, KIND_TEST_CASE, intern("T"), suite->dir, suite->file, Span{6, 6, 1, 1},
                     6, 2);
    create_component(suite, KIND_THREE_POINTS, intern("..."), suite->dir, suite->file,
                     Span{7, 7, 1, 1}, 7, 1);
    ASSERT_EQ(l.write(), 0);
    EXPECT_EQ(l.run.diagnostics,
              "vexprepro - error: u.otd:5: Unknown token `odd' in internal form.\n");
    const std::string ots = l.dir.read("u.otd01.ots");
    EXPECT_NE(ots.find("\nTC 4h \"T\" line=6 dad=3h;\n\nCK "), std::string::npos) << ots;
}

TEST(ListingFailures, AListingThatCannotBeCreatedStopsThePhaseAndKeepsEarlierHeaders) {
    Listed l;
    l.dir.write("inc.otd", "TEST SUITE I { }\n");
    std::filesystem::create_directory(l.dir.path + "/inc.otd02.ots");
    l.read("main.otd", "INCLUDE \"inc.otd\";\nTEST SUITE M { }\n");
    EXPECT_EQ(l.write(), -1);
    EXPECT_EQ(l.run.diagnostics, "vexprepro - error: Cannot create `inc.otd02.ots'.\n");
    EXPECT_EQ(error_count, 1u);
    std::string ots, tsf;
    for (const Line& line : head(l.here(), "main.otd"))
        (line.to == 't' ? tsf : ots) += line.text;
    EXPECT_EQ(l.dir.read("main.otd01.ots"), ots);
    EXPECT_EQ(l.dir.read("main.otd01.tsf"), tsf);
    EXPECT_TRUE(l.dir.exists("inc.otd02.tsf"));
    EXPECT_EQ(l.dir.read("inc.otd02.tsf"), "");
}

TEST(ListingFailures, AWriteErrorOnAListingIsReportedWhenItIsClosed) {
    if (!std::filesystem::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full here";
    Listed l;
    std::filesystem::create_symlink("/dev/full", l.dir.path + "/t.otd01.ots");
    l.read("t.otd", "TEST SUITE S { TEST CASE T { } }\n");
    EXPECT_EQ(l.write(), -1);
    EXPECT_EQ(l.run.diagnostics, "vexprepro - error: Cannot create `t.otd01.ots'.\n");
    EXPECT_GT(error_count, 0u);
    EXPECT_EQ(the_options->file_table->ots_sink, nullptr);
}

TEST(Listings, MoreScriptsThanOpenFileHandlesAreAllListed) {
    // An empty script may be included any number of times; each inclusion is a script
    // of its own with two listings, far more than the process may hold open at once.
    Listed l;
    l.dir.write("empty.stb", "");
    std::string main;
    for (int i = 0; i < 1500; ++i)
        main += "INCLUDE \"empty.stb\";\n";
    l.read("many.otd", main);
    ASSERT_EQ(l.write(), 0);
    EXPECT_EQ(l.run.diagnostics, "");
    EXPECT_EQ(the_options->file_count, 1501);
    const Expected e = expected_files(head(l.here(), "empty.stb"));
    EXPECT_EQ(l.dir.read("empty.stb1501.ots"), e.ots);
    EXPECT_EQ(l.dir.read("empty.stb1501.tsf"), e.tsf);
}
