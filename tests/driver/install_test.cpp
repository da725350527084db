// tests/driver/install_test.cpp: `cmake --install` lays out bin/vexprepro and
// lib/locale/*.qm, and the installed binary runs with TARVELODIR = the install prefix.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/test_support.h"

namespace {

// Runs a shell command; its standard error (only) comes back in *err.
int shell_err(const std::string& command, std::string* err) {
    const ShellOutput o = shell("(" + command + " 2>&1 >/dev/null)", false);
    *err += o.text;
    return o.status;
}

}  // namespace

TEST(Install, InstalledBinaryFindsItsTranslations) {
    TempDir dir;
    std::string prefix = dir.path + "/prefix";
    std::string log;
    ASSERT_EQ(shell_err(std::string(VEX_CMAKE_COMMAND) + " --install " + shell_quoted(VEX_BUILD_DIR) +
                        " --prefix " + shell_quoted(prefix),
                    &log),
              0)
        << log;
    ASSERT_TRUE(std::filesystem::exists(prefix + "/bin/vexprepro"));
    for (const char* qm : {"vexprepro_fr.qm", "trvoident_fr.qm"})
        EXPECT_TRUE(std::filesystem::exists(prefix + "/lib/locale/" + qm)) << qm;

    std::string env = "cd " + shell_quoted(dir.path) + " && env TARVELODIR=" + shell_quoted(prefix) + " ";
    std::string binary = shell_quoted(prefix + "/bin/vexprepro");
    std::string err;
    EXPECT_EQ(shell_err(env + "LC_ALL=fr_FR.UTF-8 " + binary, &err), 255);
    EXPECT_EQ(err.rfind("\nTarvelo Compilateur de tests C++ 8.0.1.2.343.015\n", 0), 0u) << err;
    EXPECT_NE(err.find("vexprepro - erreur : Des fichiers source OTD ou OTC doivent"),
              std::string::npos)
        << err;

    err.clear();
    dir.write("empty.otc", "");
    EXPECT_EQ(shell_err(env + "LC_ALL=C " + binary +
                        " -G C++ -O d.cc -OTI i.oti -TDF t.tdf -VELDOR_LOG run.log empty.otc",
                    &err),
              0);
    EXPECT_EQ(err,
              "\nTarvelo C++ Test Compiler 8.0.1.2.343.015\n"
              "Copyright (C) Tarvelo Software. All rights reserved.\n\n");
    EXPECT_EQ(dir.read("run.log").rfind("TSF empty.otc01.tsf\nOTS empty.otc01.ots\n", 0), 0u);

    err.clear();
    EXPECT_EQ(shell_err("cd " + shell_quoted(dir.path) + " && env -u TARVELODIR " + binary, &err), 1);
    EXPECT_EQ(err, "Fatal Error: please setup TARVELODIR environment variable.\n");
}

// The installed CMake package builds the examples project: vex_add_test runs vexprepro
// and vexinstr, builds the drivers, and registers tests that run them and vexreport.
// The account test fails on purpose (a violated precondition), the arithmetic one passes;
// editing an INCLUDEd script or an instrumented header rebuilds what depends on it.
TEST(Install, CMakePackageBuildsAndRunsTheExampleTests) {
    TempDir dir;
    const std::string prefix = dir.path + "/prefix", project = dir.path + "/examples";
    const std::string build = dir.path + "/build";
    std::filesystem::copy(VEX_SOURCE_DIR "/examples", project);
    const ShellOutput installed = shell(std::string(VEX_CMAKE_COMMAND) + " --install " +
                                        shell_quoted(VEX_BUILD_DIR) + " --prefix " +
                                        shell_quoted(prefix));
    ASSERT_EQ(installed.status, 0) << installed.text;

    const std::string cmake = shell_quoted(VEX_CMAKE_COMMAND);
    const ShellOutput configured = shell(
        cmake + " -S " + shell_quoted(project) + " -B " + shell_quoted(build) +
        " -G Ninja -DCMAKE_PREFIX_PATH=" + shell_quoted(prefix) + " -DCMAKE_CXX_FLAGS='-Wall " +
        "-Wextra -Werror' -DCMAKE_EXE_LINKER_FLAGS=" + shell_quoted(VEX_TEST_LINK_FLAGS));
    ASSERT_EQ(configured.status, 0) << configured.text;
    const std::string make = cmake + " --build " + shell_quoted(build);
    const ShellOutput built = shell(make);
    ASSERT_EQ(built.status, 0) << built.text;
    EXPECT_EQ(built.text.find("warning"), std::string::npos) << built.text;

    const ShellOutput tested = shell("cd " + shell_quoted(build) + " && " +
                                     shell_quoted(VEX_CTEST_COMMAND) + " --output-on-failure");
    EXPECT_NE(tested.status, 0);
    EXPECT_NE(tested.text.find("arithmetic .......................   Passed"), std::string::npos)
        << tested.text;
    EXPECT_NE(tested.text.find("account ..........................***Failed"), std::string::npos);
    EXPECT_NE(tested.text.find("account.otc:9: precondition `amount > 0' violated in deposit(int)"),
              std::string::npos)
        << tested.text;
    EXPECT_NE(tested.text.find("4 test cases: 3 passed, 1 failed"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(build + "/vex_account/account.junit.xml"));

    const ShellOutput idle = shell(make);
    EXPECT_EQ(idle.text.find("vexprepro:"), std::string::npos) << idle.text;
    struct Edit {
        const char* file;
        const char* reruns;
    };
    for (const Edit& e : {Edit{"account_stubs.stb", "vexprepro: account"},
                          Edit{"account.h", "vexinstr: account"}}) {
        std::ofstream(project + "/" + e.file, std::ios::app) << "\n";
        const ShellOutput again = shell(make);
        EXPECT_NE(again.text.find(e.reruns), std::string::npos) << e.file << ":\n" << again.text;
        EXPECT_EQ(again.status, 0) << again.text;
        EXPECT_EQ(again.text.find("arithmetic_driver.cc.o"), std::string::npos) << again.text;
    }
}
