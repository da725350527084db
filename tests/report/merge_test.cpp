// tests/report/merge_test.cpp: vexreport on hand-written dynamic files of versions 2 and 3
// (tests/report/runs/<Case>/*.tdf, given in name order) over the listings vexprepro makes
// of runs/account.otd: shards merged, cases not run and why, isolated crashes and
// timeouts, runs killed from outside, a file that cannot be used among good ones. "@SUMS@"
// in a trace stands for the script's checksum pair. Each case holds `status` and
// expected.report (standard output), optionally `options` (vexreport's), expected.junit
// and expected.err (standard error, empty otherwise); the JUnit file must be valid
// against junit.xsd.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "report/listings.h"
#include "support/test_support.h"

namespace fs = std::filesystem;

namespace {

const fs::path RUNS = fs::path(VEX_SOURCE_DIR) / "tests" / "report" / "runs";

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at))
        text.replace(at, from.size(), to);
    return text;
}

// Compares with the expected file, or rewrites it under VEX_UPDATE_GOLDEN.
void expect_file(const fs::path& expected, const std::string& got) {
    if (std::getenv("VEX_UPDATE_GOLDEN") && (fs::exists(expected) || !got.empty()))
        std::ofstream(expected, std::ios::binary) << got;
    EXPECT_EQ(got, fs::exists(expected) ? slurp(expected) : "") << expected;
}

class Merged : public testing::TestWithParam<std::string> {};

}  // namespace

TEST_P(Merged, OneReportCountsEachCaseOnceOverAllFiles) {
    const fs::path source = RUNS / GetParam();
    TempDir dir;
    fs::copy_file(RUNS / "account.otd", fs::path(dir.path) / "account.otd");
    const ProcessResult pre = run_vexprepro(
        {"account.otd", "-G", "C++", "-O", "d.cc", "-OTI", "d.oti", "-TDF", "t.tdf"}, dir.path);
    ASSERT_EQ(pre.status, 0) << pre.err;
    Listing l;
    ASSERT_TRUE(read_listing(dir.path + "/account.otd01.ots", &l));
    char sums[32];
    std::snprintf(sums, sizeof sums, "%x %x", l.sum_a, l.sum_b);
    std::vector<std::string> traces;
    for (const auto& e : fs::directory_iterator(source))
        if (e.path().extension() == ".tdf")
            traces.push_back(e.path().filename().string());
    std::sort(traces.begin(), traces.end());
    std::string args = fs::exists(source / "options") ? " " + slurp(source / "options") : "";
    args.erase(args.find_last_not_of('\n') + 1);
    for (const std::string& t : traces) {
        dir.write(t, replaced(slurp(source / t), "@SUMS@", sums));
        args += " " + t;
    }
    const ShellOutput report = shell(
        "cd '" + dir.path + "' && " VEX_REPORT_BINARY " --junit results.xml" + args + " 2>err.txt",
        false);
    EXPECT_EQ(std::to_string(report.status) + "\n", slurp(source / "status"));
    expect_file(source / "expected.report", report.text);
    expect_file(source / "expected.err", dir.read("err.txt"));
    if (!dir.exists("results.xml")) {
        EXPECT_EQ(report.status, 2) << "no JUnit file";
        return;
    }
    EXPECT_NE(report.status, 2) << "a JUnit file after unusable input";
    if (fs::exists(source / "expected.junit"))
        expect_file(source / "expected.junit", dir.read("results.xml"));
    if (shell("command -v xmllint").status == 0) {
        const ShellOutput v =
            shell("xmllint --noout --schema '" + (RUNS.parent_path() / "junit.xsd").string() +
                  "' '" + dir.path + "/results.xml'");
        EXPECT_EQ(v.status, 0) << v.text;
    }
}

static std::vector<std::string> run_cases() {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(RUNS))
        if (e.is_directory())
            names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

INSTANTIATE_TEST_SUITE_P(Cases, Merged, testing::ValuesIn(run_cases()),
                         [](const testing::TestParamInfo<std::string>& info) {
                             return info.param;
                         });
