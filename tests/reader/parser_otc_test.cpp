// Contract-check scripts: classes with invariants, wrapped methods and states.
#include <gtest/gtest.h>

#include "parser_test_util.h"

TEST(OtcReader, ClassBodyHoldsInvariantWrapStatesAndTransitions) {
    ReadResult r = read_one("a.otc",
                            "CLASS Account : public Base\n"
                            "{\n"
                            "  INVARIANT (balance >= 0);\n"
                            "  WRAP void Account::deposit(int amount)\n"
                            "    REQUIRE (amount > 0)\n"
                            "    ENSURE (balance > 0)\n"
                            "  STATE Funded { (balance > 0) (open) }\n"
                            "  STATE Empty { (balance == 0) }\n"
                            "  TRANSITION Empty TO Funded;\n"
                            "}\n");
    EXPECT_EQ(r.tree,
              "CLASS 'Account : public Base' #2 L1-10 d0\n"
              "  INVARIANT 'balance >= 0' #3 L3-3 d1\n"
              "  WRAP 'void Account::deposit(int amount)' #4 L4-6 d1\n"
              "    REQUIRE 'amount > 0' #5 L5-5 d2\n"
              "    ENSURE 'balance > 0' #6 L6-6 d2\n"
              "  UML STATE 'Funded' #7 L7-7 d1\n"
              "    EXPRESSION 'balance > 0' #8 L7-7 d2\n"
              "    EXPRESSION 'open' #9 L7-7 d2\n"
              "  UML STATE 'Empty' #10 L8-8 d1\n"
              "    EXPRESSION 'balance == 0' #11 L8-8 d2\n"
              "  TRANSITION 'TRANSITION' #12 L9-9 d1 from=Empty to=Funded\n");
    EXPECT_EQ(r.diagnostics, "");
}

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

TEST(OtcReader, TransitionWithoutToMakesNoComponent) {
    ReadResult r = read_one("t.otc", "CLASS A {\n  TRANSITION Empty Funded;\n}\n");
    EXPECT_EQ(r.tree, "CLASS 'A' #2 L1-3 d0\n");
    EXPECT_EQ(r.diagnostics,
              "vexprepro - syntax error: t.otc:2: `TO' expected instead of `Funded'.\n"
              "vexprepro - syntax error: t.otc:2: `;' is not a `CLASS' component.\n");
}

TEST(OtcReader, DocumentationCommentIsRefusedWhereSlashCommentsVanish) {
    ReadResult r = read_one("c.otc",
                            "CLASS A {\n"
                            "  // fine\n"
                            "  /** not fine */\n"
                            "  COMMENT nor this\n"
                            "}\n");
    EXPECT_EQ(r.tree, "CLASS 'A' #2 L1-5 d0\n");
    EXPECT_EQ(r.diagnostics,
              "vexprepro - syntax error: c.otc:3: ` not fine ' is not a `CLASS' component.\n"
              "vexprepro - syntax error: c.otc:4: `nor this' is not a `CLASS' component.\n");
}

TEST(OtcReader, KeywordInsideStateBodyIsReportedAndTheBodyGoesOn) {
    ReadResult r = read_one("s.otc", "CLASS A {\n  STATE S { (a) WRAP (b) }\n}\n");
    EXPECT_EQ(r.tree,
              "CLASS 'A' #2 L1-3 d0\n"
              "  UML STATE 'S' #3 L2-2 d1\n"
              "    EXPRESSION 'a' #4 L2-2 d2\n"
              "    EXPRESSION 'b' #5 L2-2 d2\n");
    EXPECT_EQ(r.diagnostics,
              "vexprepro - syntax error: s.otc:2: `WRAP' is not a `UML STATE' component.\n");
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

TEST(OtcReader, OnlyClassesStandAtTheTopAndStatementErrorsNameTheirBlock) {
    ReadResult r = read_one("e.otc",
                            "INVARIANT (x);\n"
                            "CLASS A {\n"
                            "  INVARIANT x;\n"
                            "  TRANSITION S TO ;\n"
                            "  STATE {\n"
                            "}\n");
    EXPECT_EQ(r.tree, "CLASS 'A' #2 L2-6 d0\n");
    EXPECT_EQ(r.diagnostics,
              "vexprepro - syntax error: e.otc:1: `INVARIANT' is not an `OTC script' component.\n"
              "vexprepro - syntax error: e.otc:1: `x' is not an `OTC script' component.\n"
              "vexprepro - syntax error: e.otc:1: `;' is not an `OTC script' component.\n"
              "vexprepro - syntax error: e.otc:3: `INVARIANT' expression expected instead of "
              "`x'.\n"
              "vexprepro - syntax error: e.otc:3: `;' is not a `CLASS' component.\n"
              "vexprepro - syntax error: e.otc:4: `DESTINATION STATE' name expected instead of "
              "`;'.\n"
              "vexprepro - syntax error: e.otc:5: `UML STATE' name expected instead of `{'.\n");
}
