// tests/gen/generation_test.cpp: how generation fails: cycles and unexpected components
// are reported where they are met, and a run that fails (or cannot write) leaves no
// half-written driver or instrumentation file and keeps the previous ones.
#include <gtest/gtest.h>

#include <filesystem>

#include "analysis/checker.h"
#include "analysis/expand.h"
#include "driver/options.h"
#include "errors/report.h"
#include "fi/names.h"
#include "gen/generator.h"
#include "gen/output_file.h"
#include "listings/statgen.h"
#include "reader/parser.h"
#include "support/test_support.h"

namespace fs = std::filesystem;

namespace {

// The phases up to the second check, in a fresh directory; generation is the caller's.
struct Pipeline {
    TempDir dir;
    RunState run;
    explicit Pipeline(const std::string& script) {
        dir.write("t.otd", script);
        the_options->output_name = "d.cc";
        the_options->oti_name = "d.oti";
        the_options->tdf_name = "d.tdf";
        read_script("t.otd", run.root, false, nullptr);
        check_components(run.root);
        write_static_files(*the_options, run.root, 0, PRODUCT_VERSION);
        expand_tree(run.root);
        check_components(run.root);
        EXPECT_EQ(run.diagnostics, "") << "the script is meant to be accepted";
    }
    // Generates and finishes both files as the driver does; the diagnostics.
    std::string generate() {
        generate_files(*the_options, run.root);
        return run.diagnostics;
    }
    // The files the directory holds besides the script and its listings.
    std::vector<std::string> outputs() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir.path)) {
            const std::string name = e.path().filename().string();
            if (name.rfind("t.otd", 0) != 0)
                names.push_back(name);
        }
        std::sort(names.begin(), names.end());
        return names;
    }
    Component* find(int kind, const char* name) const { return find_component(run.root, kind, name); }
};

std::string error_at(int line, const std::string& text) {
    return "vexprepro - error: t.otd:" + std::to_string(line) + ": " + text + "\n";
}

std::size_t count_of(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

const fs::path SOURCE = VEX_SOURCE_DIR;

const std::string RUN_K = "TEST CLASS K { TEST CASE t { } RUN { t; } }\nRUN { K; }\n";

}  // namespace

TEST(GenerationFailures, AProcCycleIsReportedAtTheCallAndLeavesThePreviousFiles) {
    Pipeline p(
        "TEST CLASS K {\n"
        "  PROC a { CALL b; }\n"
        "  PROC b { CALL a; }\n"
        "  TEST CASE t { CALL a; }\n"
        "  RUN { t; }\n"
        "}\n"
        "RUN { K; }\n");
    p.dir.write("d.cc", "previous driver");
    p.dir.write("d.oti", "previous instrumentation");
    EXPECT_EQ(p.generate(),
              "vexprepro - semantic error: t.otd:3: While resolving the CALL of `a', a PROC cycle "
              "was found.\n");
    EXPECT_EQ(p.dir.read("d.cc"), "previous driver");
    EXPECT_EQ(p.dir.read("d.oti"), "previous instrumentation");
    EXPECT_EQ(p.outputs(), (std::vector<std::string>{"d.cc", "d.oti"}));
}

TEST(GenerationFailures, ARunThatReachesItsOwnClassIsAnExecutionCycle) {
    Pipeline p(RUN_K);
    // Scripts cannot express it (a RUN only names what its block holds): point K's own
    // RUN element back at K.
    Component* element = p.find(KIND_RUN_ELEMENT, "t");
    run_element_detail(element)->path->resolved = element->parent->parent;
    EXPECT_EQ(p.generate(), "vexprepro - semantic error: t.otd:1: While resolving the RUN of "
                            "`K', an execution cycle was found.\n");
    EXPECT_EQ(p.outputs(), std::vector<std::string>{});
}

TEST(GenerationFailures, NativeCodeInATestSuiteIsAnUnknownComponent) {
    Pipeline p("TEST SUITE S { TEST CASE t { } }\nRUN { S; }\n");
    create_component(p.find(KIND_TEST_SUITE, "S"), KIND_NATIVE_LINE, intern(" x();"),
                     p.run.root->first_child->dir, p.run.root->first_child->file,
                     Span{1, 1, 1, 1}, 1, 1);
    EXPECT_EQ(p.generate(), error_at(1, "Unknown token ` x();' in internal form."));
    EXPECT_EQ(p.outputs(), std::vector<std::string>{});
}

TEST(GenerationFailures, CallsNestedDeeperThanAnyBlockAreRefused) {
    std::string script = "TEST CLASS K {\n";
    for (int i = 0; i < 300; ++i)
        script += "  PROC p" + std::to_string(i) + " { CALL p" + std::to_string(i + 1) + "; }\n";
    script += "  PROC p300 { }\n  TEST CASE t { CALL p0; }\n  RUN { t; }\n}\nRUN { K; }\n";
    Pipeline p(script);
    EXPECT_EQ(p.generate(), "vexprepro - syntax error: t.otd:257: `p256' not expected now.\n");
}

TEST(GenerationFailures, CallsDoublingAtEveryLevelStopAtABoundInsteadOfFillingTheDisk) {
    std::string script = "TEST CLASS K {\n  PROC p0 { PRINT (0); }\n";
    for (int i = 1; i <= 40; ++i)
        script += "  PROC p" + std::to_string(i) + " { CALL p" + std::to_string(i - 1) +
                  "; CALL p" + std::to_string(i - 1) + "; }\n";
    script += "  TEST CASE t { CALL p40; }\n  RUN { t; }\n}\nRUN { K; }\n";
    Pipeline p(script);
    const std::string diagnostics = p.generate();
    EXPECT_NE(diagnostics.find("' not expected now.\n"), std::string::npos) << diagnostics;
    EXPECT_EQ(error_count, 1u);
    EXPECT_EQ(p.outputs(), std::vector<std::string>{});
}

TEST(GenerationFailures, AWriteErrorOfTheTemporaryFileIsReportedAndNothingIsLeft) {
    Pipeline p(RUN_K);
    p.dir.write("d.cc", "previous driver");
    generated_write = [](const void*, std::size_t size, FILE*) { return size / 2; };
    const std::string diagnostics = p.generate();
    generated_write = [](const void* data, std::size_t size, FILE* file) {
        return std::fwrite(data, 1, size, file);
    };
    EXPECT_EQ(diagnostics, "vexprepro - error: Cannot create `d.cc'.\n"
                           "vexprepro - error: Cannot create `d.oti'.\n");
    EXPECT_EQ(p.dir.read("d.cc"), "previous driver");
    EXPECT_EQ(p.outputs(), std::vector<std::string>{"d.cc"});
}

TEST(GenerationFailures, ADriverOnAFullDeviceIsAnErrorAndNoInstrumentationFileIsLeft) {
    if (!fs::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full here";
    TempDir dir;
    dir.write("t.otd", RUN_K);
    const ProcessResult r = run_vexprepro({"t.otd", "-G", "C++", "-O", "/dev/full", "-OTI",
                                           "d.oti", "-TDF", "d.tdf", "-VELDOR_LOG", "run.log"},
                                          dir.path, nullptr, {"LC_ALL=C"});
    EXPECT_EQ(r.status, 255);
    EXPECT_NE(r.err.find("vexprepro - error: Cannot create `/dev/full'.\n"), std::string::npos)
        << r.err;
    EXPECT_FALSE(dir.exists("d.oti"));
    EXPECT_EQ(dir.read("run.log"),
              "TSF t.otd01.tsf\nOTS t.otd01.ots\nCPP /dev/full\nOTI d.oti\n");
}

TEST(Generation, ACheckMethodCopiedByExpansionDeclaresItsCounterOnce) {
    Pipeline p(
        "TEST CLASS B { TEST CASE t { CHECK METHOD void f(); } RUN { t; } }\n"
        "TEST CLASS D : B { }\n"
        "RUN { B; D; }\n");
    EXPECT_EQ(p.generate(), "");
    const std::string driver = p.dir.read("d.cc");
    EXPECT_EQ(count_of(driver, "TRVO_U_INT32 _VEX_Check_Method_0x"), 1u);
    EXPECT_EQ(count_of(p.dir.read("d.oti"), "@MTH@ \n"), 2u);
}

// The selector of two CHECK STUBs of one stub in one TEST CASE names the first case
// (scripts cannot write them, their names would be twins: the second is renamed here).
TEST(Generation, TwoChecksOfOneStubInOneTestCaseShareTheSelectorAndGetTwoCases) {
    Pipeline p(
        "STUB s : void s()\n{\n}\n"
        "STUB other : void other()\n{\n}\n"
        "TEST CLASS K {\n"
        "  TEST CASE t { CHECK STUB s { PRINT (1); } CHECK STUB other { PRINT (2); } }\n"
        "  RUN { t; }\n"
        "}\n"
        "RUN { K; }\n");
    Component* second = p.find(KIND_CHECK_STUB, "other");
    check_stub_detail(second)->resolved = p.find(KIND_STUB, "s");
    EXPECT_EQ(p.generate(), "");
    const std::string driver = p.dir.read("d.cc");
    EXPECT_EQ(count_of(driver, "_VEX_Check_Stub_0x2 = 0x1;\n"), 2u);
    EXPECT_EQ(count_of(driver, "_VEX_Check_Stub_0x2 = 0x2;\n"), 0u);
    EXPECT_EQ(count_of(driver, "      case 0x1 : \n"), 1u);
    EXPECT_EQ(count_of(driver, "      case 0x2 : \n"), 1u);
}

// Generation only reads the tree: a second generation from the same tree writes the same
// files (stub cases, CHECK STUB selectors and state numbers are the generator's own).
TEST(Generation, GeneratingTwiceFromOneTreeWritesTheSameFiles) {
    TempDir dir;
    for (const fs::path& script : {SOURCE / "tests/golden/Stubs/stubs.otd",
                                   SOURCE / "tests/report/cases/Contracts/counter.otc"})
        fs::copy_file(script, fs::path(dir.path) / script.filename());
    RunState run;
    run_scripts(run, {"stubs.otd", "counter.otc"});
    ASSERT_EQ(run.diagnostics, "");
    const std::string driver = dir.read("driver.cc"), instrumentation = dir.read("driver.oti");
    ASSERT_NE(instrumentation.find("@SCF@"), std::string::npos) << "the states are generated";
    EXPECT_EQ(generate_files(*the_options, run.root), 0);
    expect_same_text("driver", driver, dir.read("driver.cc"));
    expect_same_text("instrumentation", instrumentation, dir.read("driver.oti"));
}
