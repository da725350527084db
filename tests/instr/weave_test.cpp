// tests/instr/weave_test.cpp: vexinstr on a small project (tests/instr/project): the
// instrumented copies (golden files, each read against the weaving rules), that they
// compile with both compilers without a warning, that compiler messages keep naming the
// user's own lines, and that what it cannot do is refused with nothing written.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <fcntl.h>
#include <sys/stat.h>

#include "instr/weave.h"
#include "support/test_support.h"

namespace fs = std::filesystem;

namespace {

const fs::path SOURCE = VEX_SOURCE_DIR;
const fs::path PROJECT = SOURCE / "tests" / "instr" / "project";
const fs::path GOLDEN = SOURCE / "tests" / "instr" / "golden";


// The project in a fixed directory (the copies name it in #line directives), with fixed
// file times (the checksum pairs depend on them), its scripts compiled by vexprepro, and
// the Target Package headers beside it.
struct Project {
    fs::path root, dir, prefix;
    explicit Project(const std::string& name) {
        // A directory of its own: two builds' tests may run at once on one machine.
        std::string pattern = (fs::temp_directory_path() / ("vexinstr-" + name + ".XXXXXX"));
        if (!mkdtemp(pattern.data()))
            throw std::runtime_error("mkdtemp failed");
        root = pattern;
        dir = root / "project";
        prefix = root / "prefix";
        fs::create_directories(dir);
        fs::create_directories(prefix / "lib");
        for (const auto& e : fs::directory_iterator(PROJECT))
            fs::copy_file(e.path(), dir / e.path().filename());
        fs::copy_file(SOURCE / "tp" / "vxk.h", prefix / "lib" / "vxk.h");
        fs::copy_file(SOURCE / "tp" / "TP.h", prefix / "lib" / "TP.h");
    }
    ~Project() { fs::remove_all(root); }
    void write(const std::string& name, const std::string& text) const {
        std::ofstream(dir / name, std::ios::binary) << text;
    }
    void compile_scripts() const {
        for (const auto& e : fs::directory_iterator(dir)) {
            const timespec times[2] = {{1700000000, 0}, {1700000000, 0}};
            utimensat(AT_FDCWD, e.path().c_str(), times, 0);
        }
        const ProcessResult r =
            run_vexprepro({"shapes.otd", "shapes.otc", "-G", "C++", "-O", "driver.cc", "-OTI",
                           "shapes.oti", "-TDF", "shapes.tdf"},
                          dir.string(), nullptr, {"XRLTGT="});
        ASSERT_EQ(r.status, 0) << r.err;
    }
    ShellOutput instrument(const std::string& extra = "") const {
        return shell("cd '" + dir.string() + "' && " VEX_INSTR_BINARY " -i shapes.oti -o woven " +
                     extra + " driver.cc shapes.cc -- -std=c++17 -I'" + prefix.string() + "'");
    }
    ShellOutput compile(const std::string& compiler, const std::string& file) const {
        return shell("cd '" + dir.string() + "' && " + compiler +
                     " -std=c++17 -fsyntax-only -Wall -Wextra -Werror -Wno-unknown-pragmas "
                     "-I woven -I'" + prefix.string() + "' woven/" + file);
    }
};


}  // namespace

TEST(Instrumentor, WeavesContractsCountersAndStubConditionsThatCompile) {
    Project p("weave");
    p.compile_scripts();
    const ShellOutput o = p.instrument();
    ASSERT_EQ(o.status, 0) << o.text;
    EXPECT_EQ(o.text, "");
    // The golden files name the project directory @DIR@ and the contract script's pair @SUM2@.
    const std::vector<Placeholder> placeholders = run_placeholders(p.dir.string());
    for (const char* file : {"shapes.h", "shapes.cc"})
        expect_golden((GOLDEN / (std::string(file) + ".woven")).string(),
                      slurp(p.dir / "woven" / file), placeholders);
    const std::string driver = slurp(p.dir / "woven" / "driver.cc");
    EXPECT_NE(driver.find("void log_event(const char* what)\n{\n_vex_enter_stub("), std::string::npos);
    EXPECT_EQ(slurp(p.dir / "shapes.h"), slurp(PROJECT / "shapes.h")) << "the original changed";
    for (const std::string& compiler : compilers())
        for (const char* file : {"shapes.cc", "driver.cc"}) {
            const ShellOutput c = p.compile(compiler, file);
            EXPECT_EQ(c.status, 0) << compiler << " " << file << ":\n" << c.text;
        }
}

// A warning made an error (-Werror): the code parses, so it is instrumented, and only the
// compiler of the copies sees the fault.
TEST(Instrumentor, ACompileErrorInTheUsersCodeNamesTheUsersFileAndLine) {
    Project p("line");
    const std::string original = slurp(PROJECT / "shapes.cc");
    p.write("shapes.cc", original + "int lonely() { int unused = 0; return 1; }\n");
    const long line = std::count(original.begin(), original.end(), '\n') + 1;  // appended
    p.compile_scripts();
    ASSERT_EQ(p.instrument().status, 0);
    for (const std::string& compiler : compilers()) {
        const ShellOutput c = p.compile(compiler, "shapes.cc");
        EXPECT_NE(c.text.find((p.dir / "shapes.cc").string() + ":" + std::to_string(line) + ":"),
                  std::string::npos)
            << compiler << ":\n" << c.text;
    }
}

// Each case spoils the project one way; vexinstr must say what and where, exit 1 and
// write nothing.
TEST(Instrumentor, RefusesWhatItCannotWeaveAndWritesNothing) {
    struct Case {
        const char* file;  // written into the project before the scripts are compiled
        const char* text;
        const char* expected;  // part of the messages
        const char* extra = "";  // more arguments
    };
    const Case cases[] = {
        {"shapes.otc", "CLASS geo::Circle\n{\n    INVARIANT (r > 0);\n}\n",
         "vexinstr: shapes.otc:1: class `geo::Circle' not found in the sources\n"},
        {"shapes.otc",
         "CLASS geo::Shape\n{\n    WRAP void geo::Shape::rotate(int a)\n    REQUIRE (a > 0)\n}\n",
         "vexinstr: shapes.otc:3: method `void geo::Shape::rotate(int a)' not found in the sources\n"},
        {"shapes.otc", "CLASS geo::Box\n{\n    INVARIANT (true);\n}\n",
         "vexinstr: shapes.otc:1: class `geo::Box' is a template: contracts on templates are not "
         "supported\n"},
        {"shapes.cc", "#include \"shapes.h\"\nvoid geo::Shape::scale(int f) { size *= f }\n",
         "shapes.cc:2:"},
        {"blocker", "a file where the output directory should be\n", "cannot write",
         "-o blocker/woven"},
    };
    for (const Case& c : cases) {
        Project p("refuse");
        p.write(c.file, c.text);
        p.compile_scripts();
        const ShellOutput o = p.instrument(c.extra);
        EXPECT_EQ(o.status, 1) << c.expected;
        EXPECT_NE(o.text.find(c.expected), std::string::npos) << o.text;
        EXPECT_FALSE(fs::exists(p.dir / "woven")) << c.expected;
    }
}

TEST(Instrumentor, AnInstrumentationFileCutShortOrUnknownIsRefused) {
    Project p("oti");
    p.compile_scripts();
    const std::string oti = slurp(p.dir / "shapes.oti");
    const std::size_t cls = oti.find("@CLS@ \ngeo::Shape\n");
    ASSERT_NE(cls, std::string::npos);
    int line = 1;
    for (std::size_t i = 0; i < cls; ++i)
        line += oti[i] == '\n';
    p.write("shapes.oti", oti.substr(0, cls) + "@CLS@ \ngeo::Shape\n");
    ShellOutput o = p.instrument();
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.text, "vexinstr: shapes.oti:" + std::to_string(line) +
                          ": section `@SLI@' expected after `@CLS@'\n");
    p.write("shapes.oti", "@DLI@ \n\n@XYZ@ \nwhatever\n");
    o = p.instrument();
    EXPECT_EQ(o.text, "vexinstr: shapes.oti:3: section `@XYZ@' not expected here\n");
    EXPECT_FALSE(fs::exists(p.dir / "woven"));
}

// The safety net: a woven copy that does not parse is the weave's fault, named at the
// user's line the copy's #line directive gives.
TEST(Instrumentor, AWovenCopyThatDoesNotParseIsAnInternalError) {
    TempDir dir;
    const std::string unit = dir.path + "/woven/a.cc";
    std::vector<std::string> errors;
    EXPECT_FALSE(woven_copies_parse(
        {WovenFile{unit, "#line 7 \"a.cc\"\nint f() { return 1 }\n", true, {}}}, {unit}, {}, errors));
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].rfind("internal error: the weave broke the code: a.cc:7:", 0), 0u)
        << errors[0];
    errors.clear();
    EXPECT_TRUE(woven_copies_parse({WovenFile{unit, "int f() { return 1; }\n", true, {}}}, {unit},
                                   {}, errors));
}
