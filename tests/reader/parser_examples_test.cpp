// The sample scripts under examples/ are valid: they read and check without a
// message, and the whole tool accepts them.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "analysis/checker.h"
#include "parser_test_util.h"

static std::string example(const std::string& name) {
    std::ifstream f(std::string(VEX_SOURCE_DIR) + "/examples/" + name, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

static void copy_examples(ScriptDir& s) {
    for (const char* name : {"suite.otd", "account.otd", "account_stubs.stb", "account.otc"})
        s.write(name, example(name));
}

TEST(Examples, ReadAndCheckWithoutAnyMessage) {
    ScriptDir s;
    copy_examples(s);
    EXPECT_EQ(s.read("account.otd"), 0);
    EXPECT_EQ(s.read("account.otc"), 0);
    check_components(s.run.root);
    EXPECT_EQ(s.run.diagnostics, "");
    EXPECT_EQ(the_options->file_count, 3);
}

TEST(Examples, SmallestSuiteHasTheClassCaseCheckAndBothRuns) {
    ScriptDir s;
    copy_examples(s);
    EXPECT_EQ(s.read("suite.otd"), 0);
    check_components(s.run.root);
    EXPECT_EQ(s.tree(),
              "TEST CLASS 'Arithmetic' #2 L3-14 d0\n"
              "  TEST CASE 'Addition' #3 L5-8 d1\n"
              "    CHECK '-' #4 L7-7 d2 label=\"one plus one\" expr=\"1 + 1 == 2\"\n"
              "  RUN 'RUN' #5 L10-13 d1\n"
              "    RUN ELEMENT 'Addition' #6 L12-12 d2 path=Addition ->#3\n"
              "RUN 'RUN' #7 L16-19 d0\n"
              "  RUN ELEMENT 'Arithmetic' #8 L18-18 d1 path=Arithmetic ->#2\n");
    EXPECT_EQ(s.run.diagnostics, "");
}

TEST(Examples, WholeToolAcceptsThem) {
    ScriptDir s;
    copy_examples(s);
    const std::vector<std::string> outputs = {"-G", "C++", "-O", "driver.cpp", "-OTI",
                                              "driver.oti", "-TDF", "driver.tdf"};
    for (std::vector<std::string> scripts :
         {std::vector<std::string>{"suite.otd"},
          std::vector<std::string>{"account.otd", "account.otc"}}) {
        std::vector<std::string> args = outputs;
        args.insert(args.end(), scripts.begin(), scripts.end());
        ProcessResult r = run_vexprepro(args, s.dir.path);
        EXPECT_EQ(r.status, 0) << scripts[0] << ":\n" << r.err;
        EXPECT_EQ(r.err.find("error"), std::string::npos) << r.err;
        EXPECT_TRUE(s.dir.exists(scripts[0] + "01.ots"));  // reading and checking went through
    }
}
