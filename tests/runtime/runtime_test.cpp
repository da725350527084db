// tests/runtime/runtime_test.cpp: the driver's --vex-* options end to end. Each case
// directory (tests/runtime/cases/<Case>) holds scripts and a `runs` table, one row a line:
// "<label> <status> <shell command>", run in the directory of the compiled driver. What a
// row printed (standard output and error, times as "? ms"), its status and the dynamic
// file run.tdf it left (FILE records aside, times as "TM ?") are compared with
// expected/<label>.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "support/test_support.h"

namespace fs = std::filesystem;

namespace {

const fs::path CASES = fs::path(VEX_SOURCE_DIR) / "tests" / "runtime" / "cases";
const std::string STAGE = VEX_STAGE_DIR;

struct Row {
    std::string label, command;
    int status = 0;
};

std::vector<Row> rows_of(const fs::path& dir) {
    std::vector<Row> rows;
    std::istringstream in(slurp((dir / "runs").string()));
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        Row r;
        if (line.empty() || line[0] == '#' || !(words >> r.label >> r.status))
            continue;
        std::getline(words >> std::ws, r.command);
        rows.push_back(r);
    }
    return rows;
}

// What a row shows: its status, its output, the records it left.
std::string outcome(const TempDir& dir, const Row& row) {
    fs::remove(fs::path(dir.path) / "run.tdf");
    const ShellOutput run = shell("cd '" + dir.path + "' && { " + row.command + " ; }");
    std::string text = "status " + std::to_string(run.status) + "\n" +
                       std::regex_replace(run.text, std::regex("\\([0-9]+ ms\\)"), "(? ms)");
    if (!dir.exists("run.tdf"))
        return text + "--- no run.tdf\n";
    text += "--- run.tdf\n";
    std::istringstream records(dir.read("run.tdf"));
    for (std::string line; std::getline(records, line);)
        if (line.compare(0, 3, "TM ") == 0)
            text += "TM ?\n";  // a time: only its place is the same from run to run
        else if (line.compare(0, 5, "FILE ") != 0)
            text += line + "\n";
    return text;
}

class Runs : public testing::TestWithParam<std::string> {};

}  // namespace

TEST_P(Runs, EveryRowPrintsExitsAndRecordsAsExpected) {
    const fs::path source = CASES / GetParam();
    TempDir dir;
    std::vector<std::string> args = {"-G", "C++", "-O", "driver.cc", "-OTI", "driver.oti",
                                      "-TDF", "run.tdf"};
    for (const auto& e : fs::directory_iterator(source))
        if (e.path().extension() == ".otd") {
            fs::copy_file(e.path(), fs::path(dir.path) / e.path().filename());
            args.push_back(e.path().filename().string());
        }
    const ProcessResult pre = run_vexprepro(args, dir.path, nullptr, {"XRLTGT="});
    ASSERT_EQ(pre.status, 0) << pre.err;
    const ShellOutput built = shell("cd '" + dir.path + "' && g++ -std=c++17 -Wall -Wextra -Werror "
                                    "-Wno-unknown-pragmas -I'" + STAGE + "' driver.cc '" + STAGE +
                                    "/lib/libvextp.a' -lpthread " VEX_TEST_LINK_FLAGS " -o driver");
    ASSERT_EQ(built.status, 0) << built.text;
    const std::vector<Placeholder> placeholders = run_placeholders(dir.path);
    for (const Row& row : rows_of(source)) {
        SCOPED_TRACE(row.label + ": " + row.command);
        const std::string text = outcome(dir, row);
        EXPECT_EQ(text.substr(0, text.find('\n')), "status " + std::to_string(row.status));
        expect_golden((source / "expected" / row.label).string(), text, placeholders);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, Runs, testing::Values("Bank", "Three"));
