// tests/instr/refusal_test.cpp: what vexinstr refuses, through the program: instrumentation
// files it cannot read, sections naming what it cannot weave, copies or a dependency file
// it cannot place or write. Each refusal is one message, status 1, and no file written.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>

#include "instr/output.h"
#include "support/test_support.h"

namespace fs = std::filesystem;

namespace {

// Every file under `dir` with its content: what a refused run must leave as it found.
std::map<std::string, std::string> snapshot(const fs::path& dir) {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(dir))
        files[e.path().string()] = e.is_regular_file() ? slurp(e.path().string()) : "(directory)";
    return files;
}

struct Row {
    std::map<std::string, std::string> files;  // name -> text, written before the run
    std::string args;                          // after vexinstr
    std::string expected;  // its whole output; "%D" stands for the directory of the run
};

// Runs each row in a directory of its own and checks the refusal.
void expect_refusals(const std::vector<Row>& rows) {
    for (const Row& row : rows) {
        TempDir dir;
        for (const auto& [name, text] : row.files) {
            fs::create_directories((fs::path(dir.path) / name).parent_path());
            dir.write(name, text);
        }
        const auto before = snapshot(dir.path);
        const ShellOutput o = shell("cd '" + dir.path + "' && " VEX_INSTR_BINARY " " + row.args);
        std::string expected = row.expected;
        for (std::size_t at; (at = expected.find("%D")) != std::string::npos;)
            expected.replace(at, 2, fs::canonical(dir.path).string());
        EXPECT_EQ(o.text, expected) << row.args;
        EXPECT_EQ(o.status, 1) << row.args;
        EXPECT_EQ(snapshot(dir.path), before) << row.args;
    }
}

const std::string SOURCE = "int main() { return 0; }\n";
// A class section up to its id; the next line is line 9.
const std::string CLASS = "@CLS@ \nShape\n@SLI@ \ns.otc:1\n@CSU@ \n0x1 0x2\n@CID@ \n0x5\n";
const std::string COUNTER = "@MTH@ \nvoid f()\n@SLI@ \nt.otd:3\n@CHK@ \n";

Row oti(const std::string& text, const std::string& message) {
    return Row{{{"t.oti", text}, {"a.cc", SOURCE}},
               "-i t.oti -o out a.cc",
               "vexinstr: t.oti:" + message + "\n"};
}

}  // namespace

TEST(Instrumentor, RefusesAnInstrumentationFileItCannotReadAtItsLine) {
    const std::string no_judged = "_vxk_assert_invariant( (r > 0) , 5, _VXK_CLASS_FILE_CLS);\n";
    expect_refusals({
        oti("int x;\n@DLI@ \n", "1: a section marker expected"),
        oti("@DLI@ \n@DLI@ \n", "2: section `@DLI@' not expected here"),
        oti("@INV@ \nr > 0\n", "1: section `@INV@' not expected here"),
        oti("@STB@  \nvoid f()\n@PRE@ \nx;\n", "3: section `@SLI@' expected after `@STB@'"),
        oti("@STB@  \nvoid f()\n", "1: section `@SLI@' expected after `@STB@'"),
        oti("@CLS@ \nShape\n@SLI@ \ns.otc\n", "3: `file:line' expected in `@SLI@'"),
        oti("@CLS@ \nShape\n@SLI@ \ns.otc:0\n", "3: `file:line' expected in `@SLI@'"),
        oti("@CLS@ \nShape\n@SLI@ \ns.otc:3x\n", "3: `file:line' expected in `@SLI@'"),
        oti("@CLS@ \nShape\n@SLI@ \ns.otc:1\n@CID@ \n0x5\n",
            "5: section `@CSU@' expected after `@CLS@'"),
        oti("@CLS@ \nShape\n@SLI@ \ns.otc:1\n@CSU@ \n0x1\n",
            "5: a checksum pair expected in `@CSU@'"),
        oti("@CLS@ \nShape\n@SLI@ \ns.otc:1\n@CSU@ \n0x1 0x100000000\n",
            "5: a checksum pair expected in `@CSU@'"),
        oti("@CLS@ \nShape\n@SLI@ \ns.otc:1\n@CSU@ \n0x1 0x2\n@CID@ \n5\n",
            "7: an id expected in `@CID@'"),
        oti(CLASS + "@INV@ \n" + no_judged, "9: an assertion expected in `@INV@'"),
        oti(CLASS + "@WRP@  \nvoid Shape::f()\n@SLI@ \ns.otc:2\n@POS@ \nnothing\n",
            "13: an assertion expected in `@POS@'"),
        oti(CLASS + "@SCF@ \ntables\n", "9: section `@SCB@' expected after `@SCF@'"),
        oti(CLASS + "@SCF@ \ntables\n@SCB@ \nbody\n", "11: section `@SCK@' expected after `@SCB@'"),
        oti(COUNTER + "counter\n", "5: a counter name expected in `@CHK@'"),
        oti(COUNTER + "_VEX_Check_Method_0x5; evil()\n", "5: a counter name expected in `@CHK@'"),
        oti("@MTH@ \nvoid f()\n@SLI@ \nt.otd:3\n", "1: section `@CHK@' expected after `@MTH@'"),
        Row{{{"a.cc", SOURCE}}, "-i none.oti -o out a.cc", "vexinstr: cannot read `none.oti'\n"},
        Row{{{"t.oti", "@DLI@ \n"}},
            "-i t.oti -o out none.cc",
            "vexinstr: cannot read `none.cc'\n"},
    });
}

TEST(Instrumentor, RefusesWhatItCannotPlaceOrWriteAndLeavesNoFileBehind) {
    const std::string shape = "struct Shape { int r = 1; int get() const { return r; } };\n";
    const std::string plain = "@DLI@ \n";
    expect_refusals({
        // A class two namespaces define: which one the contract means is not known.
        Row{{{"t.oti", CLASS},
             {"a.cc", "namespace n1 { " + shape + "}\nnamespace n2 { " + shape + "}\n" + SOURCE}},
            "-i t.oti -o out a.cc -- -std=c++17",
            "vexinstr: s.otc:1: class `Shape' names more than one class\n"},
        Row{{{"t.oti", COUNTER + "_VEX_Check_Method_0x5\n"},
             {"a.cc", "template <typename T> void f() {}\n" + SOURCE}},
            "-i t.oti -o out a.cc -- -std=c++17",
            "vexinstr: t.otd:3: method `void f()' is a template: contracts on templates are "
            "not supported\n"},
        Row{{{"t.oti", "@MTH@ \nint Box::size() const\n@SLI@ \nt.otd:4\n@CHK@ \n"
                       "_VEX_Check_Method_0x6\n"},
             {"a.cc",
              "template <typename T> struct Box { int size() const { return 1; } };\n" + SOURCE}},
            "-i t.oti -o out a.cc -- -std=c++17",
            "vexinstr: t.otd:4: method `int Box::size() const' is a template: contracts on "
            "templates are not supported\n"},
        // The class to instrument is in a header above the base directory.
        Row{{{"t.oti", CLASS},
             {"inc/shape.h", shape},
             {"src/a.cc", "#include \"../inc/shape.h\"\n" + SOURCE}},
            "-i t.oti -o out -b src src/a.cc -- -std=c++17",
            "vexinstr: `%D/inc/shape.h' is outside the base directory `%D/src' (give a wider "
            "one with -b)\n"},
        // Two sources outside the base would take one name in the output directory.
        Row{{{"t.oti", plain}, {"x/a.cc", SOURCE}, {"y/a.cc", "int g() { return 0; }\n"},
             {"base/b.h", ""}},
            "-i t.oti -o out -b base x/a.cc y/a.cc",
            "vexinstr: `%D/y/a.cc' and `%D/x/a.cc' would both be copied to `%D/out/a.cc': give "
            "a base directory (-b) holding both\n"},
        // The base directory spelled another way, a file of the user's where a copy goes.
        Row{{{"t.oti", plain}, {"a.cc", SOURCE}, {"sub/b.h", ""}},
            "-i t.oti -o ./sub/.. a.cc",
            "vexinstr: `%D/a.cc' would be overwritten, a file read: choose an output "
            "directory that holds no source\n"},
        Row{{{"t.oti", plain}, {"a.cc", SOURCE}, {"out/a.cc", "mine\n"}},
            "-i t.oti -o out a.cc",
            "vexinstr: `%D/out/a.cc' exists and was not written by vexinstr: remove it or "
            "choose another output directory\n"},
        Row{{{"t.oti", plain}, {"a.cc", SOURCE}},
            "-i t.oti -o out -MF a.cc -MT a.o a.cc",
            "vexinstr: `%D/a.cc' would be overwritten, a file read: choose an output "
            "directory that holds no source\n"},
        Row{{{"t.oti", plain}, {"a.cc", SOURCE}},
            "-i t.oti -o out -MF missing/a.d -MT a.o a.cc",
            "vexinstr: cannot write `missing/a.d'\n"},
        // The dependency file could be written, a copy cannot: neither is.
        Row{{{"t.oti", plain}, {"a.cc", SOURCE}, {"blocker", "a file, not a directory\n"}},
            "-i t.oti -o blocker/out -MF a.d -MT a.o a.cc",
            "vexinstr: cannot write `%D/blocker/out/a.cc'\n"},
    });
}

// A rename that fails after others succeeded: the files already replaced are put back.
TEST(Instrumentor, AFailedRenamePutsBackTheFilesAlreadyReplaced) {
    TempDir dir;
    dir.write("first", "old\n");
    fs::create_directories(fs::path(dir.path) / "second" / "full");  // a file cannot replace it
    std::vector<std::string> errors;
    EXPECT_FALSE(write_all_or_nothing({OutputFile{dir.path + "/first", "new\n"},
                                       OutputFile{dir.path + "/fresh", "new\n"},
                                       OutputFile{dir.path + "/second", "new\n"}},
                                      errors));
    EXPECT_EQ(errors, std::vector<std::string>{"cannot write `" + dir.path + "/second'"});
    EXPECT_EQ(dir.read("first"), "old\n");
    std::vector<std::string> left;
    for (const auto& e : fs::directory_iterator(dir.path))
        left.push_back(e.path().filename().string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"first", "second"}));
}
