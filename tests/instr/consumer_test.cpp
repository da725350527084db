// tests/instr/consumer_test.cpp: the installed package's vex_add_test on a library laid out
// as libraries are (tests/instr/consumer): public headers in their own include directory,
// the library as a LINK target, the driver woven for its stubs and method counters alone.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/test_support.h"

TEST(Consumer, LibraryLayoutBuildsAndEveryKindOfFailureFailsItsTest) {
    TempDir dir;
    const std::string prefix = dir.path + "/prefix", build = dir.path + "/build";
    const std::string cmake = shell_quoted(VEX_CMAKE_COMMAND);
    const ShellOutput installed = shell(cmake + " --install " + shell_quoted(VEX_BUILD_DIR) +
                                        " --prefix " + shell_quoted(prefix));
    ASSERT_EQ(installed.status, 0) << installed.text;
    const ShellOutput built = shell(
        cmake + " -S " + shell_quoted(VEX_SOURCE_DIR "/tests/instr/consumer") + " -B " +
        shell_quoted(build) + " -G Ninja -DCMAKE_PREFIX_PATH=" + shell_quoted(prefix) +
        " -DCMAKE_CXX_FLAGS='-Wall -Wextra -Werror' -DCMAKE_EXE_LINKER_FLAGS=" +
        shell_quoted(VEX_TEST_LINK_FLAGS) + " && " + cmake + " --build " + shell_quoted(build));
    ASSERT_EQ(built.status, 0) << built.text;
    // The build tree is outside the sources: the copies stand below the library's own
    // directory, the driver by its name, not at their absolute paths.
    const std::string woven = build + "/tests/vex_good/woven/";
    for (const char* copy : {"include/bank/account.h", "src/account.cc", "good_driver.cc"})
        EXPECT_TRUE(std::filesystem::exists(woven + copy)) << copy;
    struct Run {
        const char* test;
        bool passes;
        const char* says;
    };
    const Run runs[] = {
        {"good", true, "1 test case: 1 passed, 0 failed"},
        {"overdrawn", false, "account.otc:6: precondition `amount > 0' violated in deposit(int)"},
        {"unchecked", false,
         "CHECK METHOD `bool bank::Account::withdraw(int amount)': the method was not executed"},
        {"stubbed", false, "stubbed.otd:3: REQUIRE (amount > 0) failed"},
    };
    for (const Run& r : runs) {
        const ShellOutput o = shell("cd " + shell_quoted(build) + " && " +
                                        shell_quoted(VEX_CTEST_COMMAND) +
                                        " --output-on-failure -V -R '^" + r.test + "$'",
                                    false);
        EXPECT_EQ(o.status == 0, r.passes) << r.test << ":\n" << o.text;
        EXPECT_NE(o.text.find(r.says), std::string::npos) << r.test << ":\n" << o.text;
    }
}
