// tests/instr/cases_test.cpp: vexinstr on small projects (tests/instr/cases/<Case>), each
// either woven, built with the staged Target Package, run and reported, or refused; the
// expected file is the report or vexinstr's messages. No case may change an original.
// A case's `command` file: "scripts <scripts>", "instr <vexinstr arguments after -o>",
// and for a woven case "build <files to compile>" and "status <driver> <report>" (or
// "status unlinked": the build must fail to link).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "support/test_support.h"

namespace fs = std::filesystem;

namespace {

const fs::path CASES = fs::path(VEX_SOURCE_DIR) / "tests" / "instr" / "cases";
const std::string STAGE = VEX_STAGE_DIR;

struct Command {
    std::string scripts, instr, build, driver_status, report_status;
};

Command command_of(const fs::path& dir) {
    Command c;
    std::istringstream in(slurp(dir / "command"));
    for (std::string line; std::getline(in, line);) {
        const std::size_t space = line.find(' ');
        const std::string key = line.substr(0, space), rest = line.substr(space + 1);
        if (key == "scripts")
            c.scripts = rest;
        else if (key == "instr")
            c.instr = rest;
        else if (key == "build")
            c.build = rest;
        else if (key == "status")
            std::istringstream(rest) >> c.driver_status >> c.report_status;
    }
    return c;
}

bool is_case_file(const fs::path& p) {
    return p.filename() != "command" && p.filename() != "expected";
}

// The scripts compiled, with fixed file times (the woven copies hold their checksums).
void compile_scripts(const std::string& dir, const Command& c) {
    shell("cd '" + dir + "' && touch -d @1700000000 *");
    std::vector<std::string> args = {"-G", "C++", "-O", "driver.cc", "-OTI", "t.oti",
                                     "-TDF", "run.tdf"};
    std::istringstream s(c.scripts);
    for (std::string w; s >> w;)
        args.push_back(w);
    const ProcessResult r = run_vexprepro(args, dir, STAGE.c_str(), {"XRLTGT="});
    ASSERT_EQ(r.status, 0) << r.err;
}

// What the case ends with: vexinstr's messages, or the report of the woven build's run.
std::string outcome(const std::string& dir, const Command& c) {
    const std::string cd = "cd '" + dir + "' && ";
    const ShellOutput woven = shell(cd + VEX_INSTR_BINARY " -i t.oti -o woven " + c.instr +
                                    " -I'" + STAGE + "'");
    if (c.build.empty()) {
        EXPECT_EQ(woven.status, 1) << "vexinstr should refuse:\n" << woven.text;
        EXPECT_FALSE(fs::exists(fs::path(dir) / "woven" / "driver.cc")) << "a refusal wrote";
        return woven.text;
    }
    EXPECT_EQ(woven.status, 0) << woven.text;
    const ShellOutput built =
        shell(cd + "g++ -std=c++20 -Wall -Wextra -Werror -Wno-unknown-pragmas -I woven -I'" +
              STAGE + "' " + c.build + " '" + STAGE + "/lib/libvextp.a' -lpthread " +
              VEX_TEST_LINK_FLAGS " -o driver");
    if (c.driver_status == "unlinked") {  // a mixed build: the linker must refuse it
        EXPECT_NE(built.status, 0);
        return built.text.find("undefined reference") != std::string::npos
                   ? "undefined reference\n" : built.text;
    }
    EXPECT_EQ(built.status, 0) << built.text;
    const ShellOutput run = shell(cd + "./driver", false);
    EXPECT_EQ(std::to_string(run.status), c.driver_status);
    const ShellOutput report = shell(cd + VEX_REPORT_BINARY " run.tdf", false);
    EXPECT_EQ(std::to_string(report.status), c.report_status);
    return report.text;
}

class Case : public testing::TestWithParam<std::string> {};

}  // namespace

TEST_P(Case, IsWovenAndReportsOrIsRefusedLeavingTheOriginals) {
    const fs::path source = CASES / GetParam();
    const Command c = command_of(source);
    TempDir dir;
    for (const auto& e : fs::recursive_directory_iterator(source))
        if (e.is_directory())
            fs::create_directories(fs::path(dir.path) / fs::relative(e.path(), source));
        else if (is_case_file(e.path()))
            fs::copy_file(e.path(), fs::path(dir.path) / fs::relative(e.path(), source));
    compile_scripts(dir.path, c);
    const std::string text = outcome(dir.path, c);
    expect_golden((source / "expected").string(), text, run_placeholders(dir.path));
    for (const auto& e : fs::recursive_directory_iterator(source))
        if (e.is_regular_file() && is_case_file(e.path())) {
            EXPECT_EQ(slurp(fs::path(dir.path) / fs::relative(e.path(), source)), slurp(e.path()))
                << e.path() << " changed";
        }
}

static std::vector<std::string> case_names() {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(CASES))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

INSTANTIATE_TEST_SUITE_P(Cases, Case, testing::ValuesIn(case_names()),
                         [](const testing::TestParamInfo<std::string>& info) { return info.param; });
