// tests/report/package_test.cpp: the installed CMake package's per-case tests on the
// consumer project tests/report/project: DISCOVER_CASES lists one CTest test per TEST
// CASE at build time, `ctest -j2 -R` runs one alone with its own dynamic file and JUnit
// file, LABELS and TIMEOUT pass through PROPERTIES and ctest's timeout stops a hanging
// case whose dynamic file then names it; ISOLATE and TIMEOUT run a whole driver past a
// crash and a hang.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/test_support.h"

namespace {

// Whether `text` holds every one of `parts`; the missing one in *missing.
bool holds(const std::string& text, const std::vector<std::string>& parts, std::string* missing) {
    for (const std::string& p : parts)
        if (text.find(p) == std::string::npos) {
            *missing = p;
            return false;
        }
    return true;
}

}  // namespace

TEST(Package, CasesBecomeTestsOfTheirOwnAndWholeRunsSurviveCrashesAndHangs) {
    TempDir dir;
    const std::string prefix = dir.path + "/prefix", build = dir.path + "/build";
    const std::string cmake = shell_quoted(VEX_CMAKE_COMMAND);
    const ShellOutput installed = shell(cmake + " --install " + shell_quoted(VEX_BUILD_DIR) +
                                        " --prefix " + shell_quoted(prefix));
    ASSERT_EQ(installed.status, 0) << installed.text;
    const ShellOutput built = shell(
        cmake + " -S " + shell_quoted(VEX_SOURCE_DIR "/tests/report/project") + " -B " +
        shell_quoted(build) + " -G Ninja -DCMAKE_PREFIX_PATH=" + shell_quoted(prefix) +
        " -DCMAKE_EXE_LINKER_FLAGS=" + shell_quoted(VEX_TEST_LINK_FLAGS) + " && " + cmake +
        " --build " + shell_quoted(build));
    ASSERT_EQ(built.status, 0) << built.text;
    const std::string ctest = "cd " + shell_quoted(build) + " && " +
                              shell_quoted(VEX_CTEST_COMMAND) + " --output-on-failure ";
    struct Run {
        std::string args;
        bool passes;
        std::vector<std::string> says;
    };
    const Run runs[] = {
        {"-N -L bank", true,
         {"bank.Account.Deposits.Single\n", "bank.Account.Deposits.Twice\n",
          "bank.Account.Withdrawals.Hangs\n", "Total Tests: 3"}},
        {"-j2 -R Account.Deposits.Single", true,
         {"bank.Account.Deposits.Single ...", "100% tests passed, 0 tests failed out of 1"}},
        {"-R Hangs", false, {"bank.Account.Withdrawals.Hangs (Timeout)"}},
        {"-R whole", false,
         {"TEST CASE Crashes (whole.otd:5): CRASHED\n    the case crashed (signal 11, SIGSEGV)",
          "TEST CASE Hangs (whole.otd:10): TIMED OUT\n    timed out after 1 s",
          "TEST CASE Last (whole.otd:14): PASSED"}},
    };
    for (const Run& r : runs) {
        const ShellOutput o = shell(ctest + r.args, false);
        EXPECT_EQ(o.status == 0, r.passes) << r.args << ":\n" << o.text;
        std::string missing;
        EXPECT_TRUE(holds(o.text, r.says, &missing)) << r.args << ": no `" << missing << "' in\n"
                                                     << o.text;
    }
    // The case run alone wrote its own files; the one ctest stopped left a trace naming it.
    const std::string cases = build + "/vex_bank/cases/";
    EXPECT_NE(slurp(cases + "Account.Deposits.Single.junit.xml").find("tests=\"1\""),
              std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(cases + "Account.Deposits.Twice.tdf"));
    const ShellOutput stopped = shell(shell_quoted(prefix + "/bin/vexreport") + " -d " +
                                      shell_quoted(build + "/vex_bank") + " " +
                                      shell_quoted(cases + "Account.Withdrawals.Hangs.tdf"),
                                      false);
    EXPECT_EQ(stopped.status, 1);
    EXPECT_NE(stopped.text.find("TEST CASE Hangs (bank.otd:10): INTERRUPTED\n"
                                "      the run was stopped from outside"),
              std::string::npos)
        << stopped.text;
}

// The examples as a user builds them: every JUnit file their tests write is valid against
// the schema, one testsuite per TEST CLASS, and the purposely failing account test has
// its contract violation as a failure.
TEST(Package, TheExamplesWriteValidJUnit) {
    if (shell("command -v xmllint").status != 0)
        GTEST_SKIP() << "xmllint is not installed";
    TempDir dir;
    const std::string prefix = dir.path + "/prefix", build = dir.path + "/build";
    const std::string cmake = shell_quoted(VEX_CMAKE_COMMAND);
    const ShellOutput built = shell(
        cmake + " --install " + shell_quoted(VEX_BUILD_DIR) + " --prefix " +
        shell_quoted(prefix) + " && " + cmake + " -S " + shell_quoted(VEX_SOURCE_DIR "/examples") +
        " -B " + shell_quoted(build) + " -G Ninja -DCMAKE_PREFIX_PATH=" + shell_quoted(prefix) +
        " -DCMAKE_EXE_LINKER_FLAGS=" + shell_quoted(VEX_TEST_LINK_FLAGS) + " && " + cmake +
        " --build " + shell_quoted(build));
    ASSERT_EQ(built.status, 0) << built.text;
    const ShellOutput ran = shell("cd " + shell_quoted(build) + " && " +
                                  shell_quoted(VEX_CTEST_COMMAND) + " --output-on-failure");
    EXPECT_NE(ran.status, 0) << "the account test fails on purpose:\n" << ran.text;
    int files = 0;
    for (const auto& e : std::filesystem::recursive_directory_iterator(build))
        if (e.path().string().size() > 10 &&
            e.path().string().substr(e.path().string().size() - 10) == ".junit.xml") {
            ++files;
            const ShellOutput v = shell("xmllint --noout --schema " +
                                        shell_quoted(VEX_SOURCE_DIR "/tests/report/junit.xsd") +
                                        " " + shell_quoted(e.path().string()));
            EXPECT_EQ(v.status, 0) << e.path() << ":\n" << v.text;
            if (e.path().filename() == "account.junit.xml") {
                EXPECT_NE(slurp(e.path().string()).find("<failure message=\"account.otc:"),
                          std::string::npos)
                    << slurp(e.path().string());
            }
        }
    EXPECT_EQ(files, 2) << "one JUnit file per test (arithmetic, account)";
}
