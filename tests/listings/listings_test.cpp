// tests/listings/listings_test.cpp: the .ots and .tsf listings of small scripts, compared
// whole. Each case under tests/listings/cases/<Case>/ holds scripts and `expected`: per
// listing a line "== <script><nn>", then its lines in the order they are written, each
// after a tag saying where it goes ("t" the .tsf file, "o" the .ots file, "d" the .ots
// file outside the checksum); last "== log", the lines of the log. The case reads the
// script of the first listing (the others come in through INCLUDE). The CK, ID and ED
// trailers are added here, with the checksum pair recomputed by an independent reference
// of the rule over the lines in writing order. @DIR@ stands for the case's directory.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/checker.h"
#include "driver/options.h"
#include "errors/report.h"
#include "listings/sink.h"
#include "listings/statgen.h"
#include "reader/parser.h"
#include "support/test_support.h"

namespace fs = std::filesystem;

namespace {

const fs::path CASES = fs::path(VEX_SOURCE_DIR) / "tests" / "listings" / "cases";

// Sat Dec 05 15:29:03 2026 in UTC.
constexpr std::time_t RUN_TIME = 1796484543;
constexpr std::time_t SCRIPT_TIME = 0x1234abcd;

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

struct Listing {
    std::string name;  // "<script><nn>"
    std::string tsf, ots;
    std::uint32_t s = 0, x = 0;
};

// Ends each listing with its trailers, the pair printed as 31-bit values.
void finish(Listing& l) {
    char pair[64];
    std::snprintf(pair, sizeof pair, " %xh %xh\n", l.s & 0x7FFFFFFF, l.x & 0x7FFFFFFF);
    l.ots += std::string("\nCK") + pair;
    l.tsf += std::string("ID") + pair + "ED\n";
}

struct Expected {
    std::vector<Listing> listings;
    std::string log;
};

Expected parse_expected(const std::string& text) {
    Expected e;
    std::istringstream in(text);
    bool in_log = false;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("== ", 0) == 0) {
            in_log = line == "== log";
            if (!in_log) {
                e.listings.emplace_back();
                e.listings.back().name = line.substr(3);
            }
        } else if (in_log) {
            e.log += line + "\n";
        } else if (!e.listings.empty()) {
            Listing& l = e.listings.back();
            const std::string record = (line.size() > 2 ? line.substr(2) : "") + "\n";
            (line[0] == 't' ? l.tsf : l.ots) += record;
            if (line[0] != 'd')
                reference_add(l.s, l.x, record);
        }
    }
    for (Listing& l : e.listings)
        finish(l);
    return e;
}

// A fresh directory and run state with the local time zone set to `tz`.
struct Listed {
    TempDir dir;
    RunState run;
    std::string saved_tz;
    explicit Listed(const char* tz = "UTC0") {
        const char* old = std::getenv("TZ");
        saved_tz = old ? old : "";
        setenv("TZ", tz, 1);
        tzset();
    }
    ~Listed() {
        if (saved_tz.empty())
            unsetenv("TZ");
        else
            setenv("TZ", saved_tz.c_str(), 1);
        tzset();
    }
    // Gives every file its fixed time, reads `script`, checks, and writes the listings
    // and a log.
    int write(const std::string& script) {
        for (const auto& e : fs::recursive_directory_iterator(dir.path)) {
            const timespec times[2] = {{SCRIPT_TIME, 0}, {SCRIPT_TIME, 0}};
            utimensat(AT_FDCWD, e.path().c_str(), times, 0);
        }
        the_options->report.log_file = std::fopen("run.log", "w");
        read_script(script.c_str(), run.root, false, nullptr);
        check_components(run.root);
        const int result = write_static_files(*the_options, run.root, RUN_TIME, PRODUCT_VERSION);
        std::fclose(the_options->report.log_file);
        the_options->report.log_file = nullptr;
        return result;
    }
};

std::vector<std::string> case_names() {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(CASES))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class ListingCase : public testing::TestWithParam<std::string> {};

}  // namespace

TEST_P(ListingCase, BothFilesOfEveryScriptAndTheLogAreAsExpected) {
    Listed l;
    for (const auto& e : fs::directory_iterator(CASES / GetParam()))
        if (e.path().filename() != "expected")
            fs::copy_file(e.path(), fs::path(l.dir.path) / e.path().filename());
    const Expected e = parse_expected(
        with_values(slurp((CASES / GetParam() / "expected").string()), {{"@DIR@", l.dir.path}}));
    ASSERT_FALSE(e.listings.empty());
    const std::string& first = e.listings.front().name;
    ASSERT_EQ(l.write(first.substr(0, first.find_last_not_of("0123456789") + 1)), 0);
    EXPECT_EQ(l.run.diagnostics, "");
    for (const Listing& listing : e.listings) {
        expect_same_text(listing.name + ".ots", listing.ots, l.dir.read(listing.name + ".ots"));
        expect_same_text(listing.name + ".tsf", listing.tsf, l.dir.read(listing.name + ".tsf"));
    }
    EXPECT_EQ(l.dir.read("run.log"), e.log);
}

INSTANTIATE_TEST_SUITE_P(Cases, ListingCase, testing::ValuesIn(case_names()),
                         [](const testing::TestParamInfo<std::string>& info) { return info.param; });

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

// The listing of an empty script, from the case that has one, with some words changed.
static Listing empty_script_listing(const std::vector<Placeholder>& changes) {
    const fs::path file = CASES / "AScriptWithoutComponentsGivesHeadersAndTrailersOnly" / "expected";
    return parse_expected(with_values(slurp(file.string()), changes)).listings.front();
}

TEST(Listings, TheDateLineIsLocalTimeInEnglishAndOutsideTheChecksum) {
    Listed l("EST5");
    l.dir.write("e.otd", "");
    ASSERT_EQ(l.write("e.otd"), 0);
    // The same pair as in UTC, another hour.
    const Listing e = empty_script_listing({{"@DIR@", l.dir.path}, {"15:29:03", "10:29:03"}});
    EXPECT_EQ(l.dir.read("e.otd01.ots"), e.ots);
}

TEST(Listings, LongRunPathsAndPrintListsAreWrittenWhole) {
    Listed l;
    std::string path = "C";
    for (int i = 0; i < 3000; ++i)
        path += ".Segment" + std::to_string(i);
    ASSERT_GT(path.size(), 16384u);
    const std::string word(20000, 'w');
    l.dir.write("long.otd", "TEST SUITE S { TEST CASE T { PRINT (" + word + "); } }\nRUN { " +
                                path + "; }\n");
    l.write("long.otd");  // the path resolves nowhere; the listing is written all the same
    const std::string ots = l.dir.read("long.otd01.ots");
    EXPECT_NE(ots.find("PR 4h \"(" + word + ")\" line=1 dad=3h;\n"), std::string::npos);
    EXPECT_NE(ots.find("RC 6h \"" + path + "\" line=2 dad=5h;\n"), std::string::npos);
    EXPECT_NE(l.dir.read("long.otd01.tsf").find("MS f4246h \"run `" + path + "'\"\n"),
              std::string::npos);
}

TEST(Listings, MoreScriptsThanOpenFileHandlesAreAllListed) {
    // An empty script may be included any number of times; each inclusion is a script
    // of its own with two listings, far more than the process may hold open at once.
    Listed l;
    l.dir.write("empty.stb", "");
    std::string main;
    for (int i = 0; i < 1500; ++i)
        main += "INCLUDE \"empty.stb\";\n";
    l.dir.write("many.otd", main);
    ASSERT_EQ(l.write("many.otd"), 0);
    EXPECT_EQ(l.run.diagnostics, "");
    EXPECT_EQ(the_options->file_count, 1501);
    const Listing e = empty_script_listing({{"@DIR@", l.dir.path}, {"e.otd", "empty.stb"}});
    EXPECT_EQ(l.dir.read("empty.stb1501.ots"), e.ots);
    EXPECT_EQ(l.dir.read("empty.stb1501.tsf"), e.tsf);
}
