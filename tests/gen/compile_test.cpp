// tests/gen/compile_test.cpp: generated drivers compile with the system compilers,
// without a warning, against the Target Package headers as staged for the tests; and the
// #line directives make compiler messages name the right line in both directions.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/test_support.h"

namespace fs = std::filesystem;

namespace {

const fs::path SOURCE = VEX_SOURCE_DIR;
const fs::path TARGET_PACKAGE = fs::path(VEX_BUILD_DIR) / "stage";  // lib/TP.h, lib/vxk.h


// Compiles `driver` (in `dir`) with `include` and its lib folder on the include path
// (drivers made with -NOPATH include "TP.h" alone).
ShellOutput compile(const std::string& compiler, const fs::path& dir, const std::string& driver,
               const fs::path& include = TARGET_PACKAGE) {
    return shell("cd '" + dir.string() + "' && " + compiler +
                 " -std=c++17 -fsyntax-only -Wall -Wextra -Werror -Wno-unknown-pragmas -I'" +
                 include.string() + "' -I'" + (include / "lib").string() + "' '" + driver + "'");
}

// Generates driver.cc from `scripts` in `dir`; the tool must accept them silently.
void generate(const fs::path& dir, std::vector<std::string> scripts,
              std::vector<std::string> options = {}) {
    std::vector<std::string> args = {"-G", "C++", "-O", "driver.cc", "-OTI", "driver.oti"};
    args.insert(args.end(), options.begin(), options.end());
    if (std::find(options.begin(), options.end(), "-TDF") == options.end())
        args.insert(args.end(), {"-TDF", "driver.tdf"});
    args.insert(args.end(), scripts.begin(), scripts.end());
    const ProcessResult r = run_vexprepro(args, dir.string(), nullptr, {"XRLTGT="});
    ASSERT_EQ(r.status, 0) << r.err;
}

}  // namespace

TEST(GeneratedDrivers, EveryExampleCompilesWithoutAWarning) {
    TempDir dir;
    for (const auto& e : fs::directory_iterator(SOURCE / "examples"))
        if (e.is_regular_file())
            fs::copy_file(e.path(), fs::path(dir.path) / e.path().filename());
    // With the script of comparisons that -VALUES captures or leaves alone.
    fs::copy_file(SOURCE / "tests" / "report" / "cases" / "Values" / "values.otd",
                  fs::path(dir.path) / "values.otd");
    for (const auto& scripts : {std::vector<std::string>{"suite.otd"},
                                std::vector<std::string>{"account.otd", "account.otc"},
                                std::vector<std::string>{"values.otd"}}) {
        for (const auto& options :
             {std::vector<std::string>{}, std::vector<std::string>{"-NODLINE"},
              std::vector<std::string>{"-VALUES"},
              std::vector<std::string>{"-VALUES", "-NODLINE"}}) {
            generate(dir.path, scripts, options);
            for (const std::string& compiler : compilers()) {
                const ShellOutput o = compile(compiler, dir.path, "driver.cc");
                EXPECT_EQ(o.status, 0) << compiler << " on " << scripts[0] << ":\n" << o.text;
                EXPECT_EQ(o.text, "") << compiler << " on " << scripts[0];
            }
        }
    }
}

// Those that name a Target Package directory of their own (XRLTGT) are left out.
TEST(GeneratedDrivers, EveryGoldenDriverCompiles) {
    for (const auto& c : fs::directory_iterator(SOURCE / "tests" / "golden")) {
        std::ifstream command(c.path() / "command");
        std::ostringstream text;
        text << command.rdbuf();
        if (text.str().find("XRLTGT=/") != std::string::npos)
            continue;
        TempDir dir;
        // The golden file's placeholders: this directory and some checksum pair.
        dir.write("driver.cc", with_values(slurp((c.path() / "expected.driver").string()),
                                           {{"@DIR@", dir.path}, {"@SUM1@", "0x1, 0x2"}}));
        for (const std::string& compiler : compilers()) {
            const ShellOutput o = compile(compiler, dir.path, "driver.cc");
            EXPECT_EQ(o.status, 0) << compiler << " on " << c.path().filename() << ":\n" << o.text;
        }
    }
}

namespace {

// One driver of t.otd (below), made with `values` as an option when not empty.
void expect_messages_at_both_lines(const TempDir& dir, const std::string& values) {
    generate(fs::path(dir.path), {"t.otd"}, values.empty() ? std::vector<std::string>{}
                                                 : std::vector<std::string>{values});
    fs::create_directories(fs::path(dir.path) / "lib");
    fs::copy_file(TARGET_PACKAGE / "lib" / "vxk.h", fs::path(dir.path) / "lib" / "vxk.h",
                  fs::copy_options::overwrite_existing);
    std::ifstream in(TARGET_PACKAGE / "lib" / "TP.h");
    std::ofstream out(fs::path(dir.path) / "lib" / "TP.h");
    for (std::string line; std::getline(in, line);)
        if (line.find("_vex_comment") == std::string::npos)
            out << line << "\n";
    out.close();
    const std::string driver = dir.read("driver.cc");
    int comment_line = 0, line_no = 0;
    std::istringstream lines(driver);
    for (std::string line; std::getline(lines, line);) {
        ++line_no;
        if (line.find("_vex_comment(") != std::string::npos)
            comment_line = line_no;
    }
    ASSERT_NE(comment_line, 0);
    for (const std::string& compiler : compilers()) {
        const ShellOutput o = compile(compiler, dir.path, "driver.cc", dir.path);
        EXPECT_NE(o.status, 0);
        const std::string driver_path = dir.path + "/driver.cc:" + std::to_string(comment_line);
        EXPECT_NE(o.text.find(driver_path + ":"), std::string::npos) << compiler << ":\n" << o.text;
        for (const char* line : {"/t.otd:5:", "/t.otd:6:"})
            EXPECT_NE(o.text.find(dir.path + line), std::string::npos)
                << compiler << " " << values << ":\n" << o.text;
    }
}

}  // namespace

// A deliberate error in generated code (a runtime call the header does not declare)
// must be reported at its own driver line, and one in script code at the script line.
TEST(GeneratedDrivers, CompilerMessagesNameTheDriverLineAndTheScriptLine) {
    TempDir dir;
    dir.write("t.otd",
              "TEST CLASS K {\n"
              "  TEST CASE t {\n"
              "    COMMENT a comment\n"
              "    # int unused_in_script;\n"
              "    # undeclared_in_script();\n"
              "    CHECK (undeclared_in_check == 1);\n"
              "  }\n"
              "  RUN { t; }\n"
              "}\n"
              "RUN { K; }\n");
    for (const char* values : {"", "-VALUES"})
        expect_messages_at_both_lines(dir, values);
}

// Script texts that would end a comment, break a string literal or form a trigraph,
// bytes that are not UTF-8, and line breaks, wherever the templates place them. The
// expressions themselves are the author's code and are kept free of such bytes here.
TEST(GeneratedDrivers, HostileScriptTextsStillCompileWithoutAWarning) {
    TempDir dir;
    dir.write("h.otd",
              "TEST CLASS K {\n"
              "  TEST CASE t {\n"
              "    CHECK \"ends */ opens /* has % and \\\"quotes\\\" \\\\ ?\?= \xe9\xff\" (1 == 1);\n"
              "    PRINT (\"*/ /* %s %d \\\" \\\\ caf\xc3\xa9\", 'x', (1 +\n"
              "           2));\n"
              "    COMMENT plain */ comment /* text ?\?= \xe9\xff\n"
              "    COMMENT { block */ with\n"
              "      a line break }\n"
              "    CALL P(\"a */ b \\\\\");\n"
              "  }\n"
              "  PROC P(s) { PRINT (s); }\n"
              "  RUN { t; }\n"
              "}\n"
              "RUN { K; }\n");
    generate(dir.path, {"h.otd"}, {"-TDF", "odd \"name\\.tdf"});
    for (const std::string& compiler : compilers()) {
        const ShellOutput o = compile(compiler, dir.path, "driver.cc");
        EXPECT_EQ(o.status, 0) << compiler << ":\n" << o.text;
        EXPECT_EQ(o.text, "") << compiler;
    }
}
