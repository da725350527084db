// tests/driver/install_test.cpp: `cmake --install` lays out bin/vexprepro and
// lib/locale/*.qm, and the installed binary runs with TARVELODIR = the install prefix.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sys/wait.h>

#include "support/test_support.h"

namespace {

std::string shell_quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// Runs a shell command; its standard error (only) comes back in *err.
int shell(const std::string& command, std::string* err) {
    FILE* p = popen((command + " 2>&1 >/dev/null").c_str(), "r");
    if (!p)
        return -1;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, p)) > 0)
        err->append(buffer, n);
    int status = pclose(p);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

TEST(Install, InstalledBinaryFindsItsTranslations) {
    TempDir dir;
    std::string prefix = dir.path + "/prefix";
    std::string log;
    ASSERT_EQ(shell(std::string(VEX_CMAKE_COMMAND) + " --install " + shell_quoted(VEX_BUILD_DIR) +
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
    EXPECT_EQ(shell(env + "LC_ALL=fr_FR.UTF-8 " + binary, &err), 255);
    EXPECT_EQ(err.rfind("\nTarvelo Compilateur de tests C++ 8.0.1.2.343.015\n", 0), 0u) << err;
    EXPECT_NE(err.find("vexprepro - erreur : Des fichiers source OTD ou OTC doivent"),
              std::string::npos)
        << err;

    err.clear();
    dir.write("empty.otc", "");
    EXPECT_EQ(shell(env + "LC_ALL=C " + binary +
                        " -G C++ -O d.cc -OTI i.oti -TDF t.tdf -VELDOR_LOG run.log empty.otc",
                    &err),
              0);
    EXPECT_EQ(err,
              "\nTarvelo C++ Test Compiler 8.0.1.2.343.015\n"
              "Copyright (C) Tarvelo Software. All rights reserved.\n\n");
    EXPECT_EQ(dir.read("run.log").rfind("TSF empty.otc01.tsf\nOTS empty.otc01.ots\n", 0), 0u);

    err.clear();
    EXPECT_EQ(shell("cd " + shell_quoted(dir.path) + " && env -u TARVELODIR " + binary, &err), 1);
    EXPECT_EQ(err, "Fatal Error: please setup TARVELODIR environment variable.\n");
}
