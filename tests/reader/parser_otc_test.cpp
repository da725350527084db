// Contract-check scripts: classes with invariants, wrapped methods and states.
#include <gtest/gtest.h>

#include "parser_test_util.h"

TEST(OtcReader, SingleClassAndWrapWithOnlyEnsure) {
    ScriptDir s;
    s.write("s.otc",
            "SINGLE CLASS Registry<Key, /* { */ Value>\n"
            "{\n"
            "  WRAP int Registry::size() const ENSURE (result >= 0)\n"
            "  INVARIANT (true);\n"
            "}\n");
    s.read("s.otc");
    EXPECT_EQ(s.tree(),
              "SINGLE CLASS 'Registry<Key, /* { */ Value>' #2 L1-5 d0\n"
              "  WRAP 'int Registry::size() const' #3 L3-3 d1\n"
              "    ENSURE 'result >= 0' #4 L3-3 d2\n"
              "  INVARIANT 'true' #5 L4-4 d1\n");
    EXPECT_EQ(s.run.diagnostics, "");
    const Component* wrap = s.run.root->first_child->first_child;
    EXPECT_EQ(wrap->first_column, 3);
    EXPECT_EQ(wrap->last_column, 54);  // the end of the ENSURE condition
}

TEST(OtcReader, SignaturesRunningIntoTheEndOfTheFileAreReported) {
    ReadResult cls = read_one("c.otc", "CLASS Account\n");
    EXPECT_EQ(cls.tree, "");
    EXPECT_EQ(cls.diagnostics,
              "vexprepro - syntax error: c.otc:2: `{' expected instead of `EOF'.\n");
    ReadResult wrap = read_one("w.otc", "CLASS A {\n  WRAP void f(int required)");
    EXPECT_EQ(wrap.diagnostics,
              "vexprepro - syntax error: w.otc:2: `REQUIRE' or 'ENSURE' expected instead of "
              "`EOF'.\n"
              "vexprepro - syntax error: w.otc:2: `}' expected instead of `EOF'.\n");
}

