// tests/report/e2e_test.cpp: the whole loop on small scripts (tests/report/cases/<Case>):
// vexprepro, vexinstr, the compiler with the staged Target Package, the driver, and
// vexreport, whose report is compared with expected.report (each read against what the
// scripts do) and whose JUnit XML must be valid against tests/report/junit.xsd and, where
// the case has one, equal to expected.junit. Times differ from run to run: the goldens
// hold "? ms" and time="?".
// A case's `command` file: the scripts; "status <driver> <report>" (driver: a status or
// "crash"); optionally "flags <compiler flags>", "same <case>" (use that case's files) and
// "slow <case>" (a TEST CASE that sleeps 50 ms: its time must show so, in both outputs).
#include <gtest/gtest.h>

#include <QFile>
#include <QXmlStreamReader>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <sys/wait.h>

#include "support/test_support.h"

namespace fs = std::filesystem;

namespace {

const fs::path CASES = fs::path(VEX_SOURCE_DIR) / "tests" / "report" / "cases";
const std::string STAGE = VEX_STAGE_DIR;


struct Command {
    std::string scripts, driver_status, flags, same, slow;
    int report_status = 0;
};

Command command_of(const fs::path& dir) {
    Command c;
    std::istringstream in(slurp(dir / "command"));
    std::getline(in, c.scripts);
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::string key;
        words >> key;
        if (key == "status")
            words >> c.driver_status >> c.report_status;
        else if (key == "flags")
            std::getline(words, c.flags);
        else if (key == "same")
            words >> c.same;
        else if (key == "slow")
            words >> c.slow;
    }
    return c;
}

std::string sources_in(const fs::path& dir, const char* prefix) {
    std::string out;
    for (const auto& e : fs::directory_iterator(dir))
        if (e.path().extension() == ".cc" && e.path().filename() != "driver.cc")
            out += std::string(" ") + prefix + e.path().filename().string();
    return out;
}

// The XML is well formed (Qt's strict reader) and, where xmllint is installed, valid.
void expect_valid_junit(const fs::path& xml) {
    QFile file(QString::fromStdString(xml.string()));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QXmlStreamReader reader(&file);
    while (!reader.atEnd())
        reader.readNext();
    EXPECT_FALSE(reader.hasError()) << reader.errorString().toStdString();
    if (shell("command -v xmllint").status == 0) {
        const ShellOutput v = shell("xmllint --noout --schema '" +
                               (CASES.parent_path() / "junit.xsd").string() + "' '" + xml.string() + "'");
        EXPECT_EQ(v.status, 0) << v.text;
    }
}

// The time JUnit gives the case of that name, in seconds; -1 when it has none.
double junit_time(const fs::path& xml, const std::string& name) {
    QFile file(QString::fromStdString(xml.string()));
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    QXmlStreamReader reader(&file);
    while (!reader.atEnd())
        if (reader.readNext() == QXmlStreamReader::StartElement &&
            reader.name() == QStringLiteral("testcase") &&
            reader.attributes().value(QStringLiteral("name")) == QString::fromStdString(name))
            return reader.attributes().value(QStringLiteral("time")).toDouble();
    return -1;
}

// A case that sleeps 50 ms: at least that, and well under the ten-second bound.
void expect_plausible_time(const fs::path& xml, const std::string& report, const std::string& name) {
    const double seconds = junit_time(xml, name);
    EXPECT_GE(seconds, 0.05) << name;
    EXPECT_LT(seconds, 10.0) << name;
    std::smatch m;
    ASSERT_TRUE(std::regex_search(report, m, std::regex("TEST CASE " + name + " .*\\(([0-9]+) ms\\)")))
        << report;
    EXPECT_GE(std::stol(m[1]), 50);
    EXPECT_NE(report.find("Slowest test cases:\n"), std::string::npos);
}

std::string masked_times(const std::string& text) {
    return std::regex_replace(std::regex_replace(text, std::regex("[0-9]+ ms\\b"), "? ms"),
                              std::regex("time=\"[0-9.]+\""), "time=\"?\"");
}

class Loop : public testing::TestWithParam<std::string> {};

}  // namespace

TEST_P(Loop, ScriptsCompileRunAndReportAsExpected) {
    const fs::path source = CASES / GetParam();
    const Command c = command_of(source);
    TempDir dir;
    for (const auto& e : fs::directory_iterator(c.same.empty() ? source : CASES / c.same))
        if (e.path().filename() != "command" && e.path().filename() != "expected.report")
            fs::copy_file(e.path(), fs::path(dir.path) / e.path().filename());
    const std::string cd = "cd '" + dir.path + "' && ";
    const ProcessResult pre = run_vexprepro(
        [&] {
            std::vector<std::string> args = {"-G", "C++", "-O", "driver.cc", "-OTI", "driver.oti",
                                             "-TDF", "run.tdf"};
            std::istringstream s(c.scripts);
            for (std::string w; s >> w;)
                args.push_back(w);
            return args;
        }(),
        dir.path, nullptr, {"XRLTGT="});
    ASSERT_EQ(pre.status, 0) << pre.err;
    const ShellOutput woven = shell(cd + VEX_INSTR_BINARY " -i driver.oti -o woven driver.cc" +
                               sources_in(dir.path, "") + " -- -std=c++17 -I'" + STAGE + "'");
    ASSERT_EQ(woven.status, 0) << woven.text;
    const ShellOutput built = shell(cd + "g++ -std=c++17 -Wall -Wextra -Werror -Wno-unknown-pragmas " +
                               c.flags + " -I woven -I'" + STAGE + "' woven/driver.cc" +
                               sources_in(dir.path, "woven/") + " '" + STAGE +
                               "/lib/libvextp.a' -lpthread " VEX_TEST_LINK_FLAGS " -o driver");
    ASSERT_EQ(built.status, 0) << built.text;
    const ShellOutput run = shell(cd + "./driver", false);
    if (c.driver_status == "crash")
        EXPECT_GE(run.status, 128) << "the driver was meant to crash";
    else
        EXPECT_EQ(std::to_string(run.status), c.driver_status);
    const ShellOutput report = shell(cd + VEX_REPORT_BINARY " --junit results.xml run.tdf", false);
    EXPECT_EQ(report.status, c.report_status);
    const fs::path xml = fs::path(dir.path) / "results.xml";
    const std::string junit = with_placeholders(masked_times(slurp(xml)), {{"@DIR@", dir.path}});
    if (std::getenv("VEX_UPDATE_GOLDEN")) {
        std::ofstream(source / "expected.report", std::ios::binary) << masked_times(report.text);
        if (fs::exists(source / "expected.junit"))
            std::ofstream(source / "expected.junit", std::ios::binary) << junit;
    }
    EXPECT_EQ(masked_times(report.text), slurp(source / "expected.report"));
    if (fs::exists(source / "expected.junit")) {
        EXPECT_EQ(junit, slurp(source / "expected.junit"));
    }
    expect_valid_junit(xml);
    if (!c.slow.empty())
        expect_plausible_time(xml, report.text, c.slow);
}

static std::vector<std::string> loop_cases() {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(CASES))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

INSTANTIATE_TEST_SUITE_P(Cases, Loop, testing::ValuesIn(loop_cases()),
                         [](const testing::TestParamInfo<std::string>& info) { return info.param; });

// Two drivers of one script, built with different -TDF names, run at once in one
// directory: each trace is whole and reports alone. A driver whose dynamic file cannot be
// created says so and fails before any test runs.
TEST(Loop, DriversKeepTheirOwnTracesAndRefuseAnUnwritableOne) {
    TempDir dir;
    dir.write("suite.otd", "TEST CLASS A { TEST CASE T { CHECK (1 == 1); CHECK (2 < 1); }\n"
                           "RUN { T; } }\nRUN { A; }\n");
    const std::string cd = "cd '" + dir.path + "' && ";
    for (const char* name : {"a", "b", "missing/c"}) {
        const std::string base = std::string(name).substr(std::string(name).rfind('/') + 1);
        const ProcessResult pre = run_vexprepro({"suite.otd", "-G", "C++", "-O", base + ".cc",
                                                 "-OTI", base + ".oti", "-TDF",
                                                 std::string(name) + ".tdf"},
                                                dir.path, nullptr, {"XRLTGT="});
        ASSERT_EQ(pre.status, 0) << pre.err;
        const ShellOutput built =
            shell(cd + "g++ -std=c++17 -Wno-unknown-pragmas -I'" + STAGE + "' " + base + ".cc '" +
                  STAGE + "/lib/libvextp.a' -lpthread " VEX_TEST_LINK_FLAGS " -o " + base);
        ASSERT_EQ(built.status, 0) << built.text;
    }
    shell(cd + "(./a & ./b & wait)", false);
    for (const char* trace : {"a.tdf", "b.tdf"}) {
        const ShellOutput report = shell(cd + VEX_REPORT_BINARY " " + trace, false);
        EXPECT_EQ(report.status, 1) << trace;
        EXPECT_NE(report.text.find("1 test case: 0 passed, 1 failed; 2 checks: 1 passed, 1 failed"),
                  std::string::npos)
            << trace << ":\n" << report.text;
    }
    const ShellOutput refused = shell(cd + "./c");
    EXPECT_NE(refused.status, 0);
    EXPECT_NE(refused.text.find("vextp: cannot create the dynamic file `missing/c.tdf'"),
              std::string::npos)
        << refused.text;
}
