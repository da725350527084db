// tests/analysis/expand_test.cpp: inherited components copied into derived TEST CLASSes,
// overriding, parameter substitution in code only, and what the second check then says.
#include <gtest/gtest.h>

#include <string>

#include "analysis/checker.h"
#include "analysis/expand.h"
#include "errors/report.h"
#include "fi/names.h"
#include "reader/parser.h"
#include "support/test_support.h"

namespace {

// One script read, checked, expanded and checked again, as the driver runs them.
struct Expanded {
    TempDir dir;
    RunState run;
    explicit Expanded(const std::string& script) {
        dir.write("t.otd", script);
        read_script("t.otd", run.root, false, nullptr);
        check_components(run.root);
        EXPECT_EQ(run.diagnostics, "") << "the script is meant to read and check cleanly";
        EXPECT_EQ(expand_tree(run.root), 0);
        check_components(run.root);
    }
    std::string tree() const { return dump_tree(run.root); }
};

// The texts of every CHECK and native line of the tree, in pre-order, one per line.
std::string code_texts(const Component* c) {
    std::string out;
    for (; c; c = c->next_sibling) {
        if (const CheckDetail* d = check_detail(c))
            out += std::string("CHECK ") + d->expression + "\n";
        else if (c->kind == KIND_NATIVE_LINE && c->name)
            out += std::string("# ") + c->name + "\n";
        out += code_texts(c->first_child);
    }
    return out;
}

}  // namespace

TEST(Expansion, ADerivedClassGetsCopiesWithTheBaseIdsAfterItsOwnChildrenAndNoBase) {
    Expanded e(
        "TEST CLASS B {\n"
        "  TEST CASE t { CHECK (1); }\n"
        "  RUN { t; }\n"
        "}\n"
        "TEST CLASS D : B { TEST CASE own { } }\n");
    EXPECT_EQ(e.tree(),
              "TEST CLASS 'B' #2 L1-4 d0\n"
              "  TEST CASE 't' #3 L2-2 d1\n"
              "    CHECK '-' #4 L2-2 d2 expr=\"1\"\n"
              "  RUN 'RUN' #5 L3-3 d1\n"
              "    RUN ELEMENT 't' #6 L3-3 d2 path=t ->#3\n"
              "TEST CLASS 'D' #7 L5-5 d0\n"
              "  TEST CASE 'own' #8 L5-5 d1\n"
              "  TEST CASE 't' #3 L2-2 d1\n"
              "    CHECK '-' #4 L2-2 d2 expr=\"1\"\n"
              "  RUN 'RUN' #5 L3-3 d1\n"
              "    RUN ELEMENT 't' #6 L3-3 d2 path=t ->#3\n");
    EXPECT_EQ(e.run.diagnostics, "");
}

TEST(Expansion, OwnComponentsOverrideAndInheritedCallsBindToTheDerivedProc) {
    Expanded e(
        "TEST CLASS B {\n"
        "  PROC p { }\n"
        "  TEST CASE t { }\n"
        "  TEST CASE u { CALL p; }\n"
        "}\n"
        "TEST CLASS D : B {\n"
        "  PROC p { }\n"
        "  TEST CASE t { }\n"
        "}\n");
    EXPECT_EQ(e.tree(),
              "TEST CLASS 'B' #2 L1-5 d0\n"
              "  PROC 'p' #3 L2-2 d1\n"
              "  TEST CASE 't' #4 L3-3 d1\n"
              "  TEST CASE 'u' #5 L4-4 d1\n"
              "    CALL 'p' #6 L4-4 d2 ->#3\n"
              "TEST CLASS 'D' #7 L6-9 d0\n"
              "  PROC 'p' #8 L7-7 d1\n"
              "  TEST CASE 't' #9 L8-8 d1\n"
              "  TEST CASE 'u' #5 L4-4 d1\n"
              "    CALL 'p' #6 L4-4 d2 ->#8\n");
}

TEST(Expansion, TheSecondCheckJudgesCopiesInTheirNewBlock) {
    Expanded e(
        "TEST CLASS B {\n"
        "  PROC p(a) { }\n"
        "  TEST CASE t { }\n"
        "  TEST CASE u { CALL p(1); }\n"
        "}\n"
        "TEST CLASS D : B {\n"
        "  TEST SUITE t { }\n"
        "  PROC p { }\n"
        "}\n");
    EXPECT_EQ(e.run.diagnostics,
              "vexprepro - semantic error: t.otd:3: The TEST component `t' is already defined "
              "in this block.\n"
              "vexprepro - semantic error: t.otd:4: Too many parameters in `p'.\n");
}

TEST(Expansion, ParametersAreReplacedInCodeOnlyAndOnlyInTheCopy) {
    Expanded e(
        "TEST CLASS B(n) {\n"
        "  TEST CASE t {\n"
        "    CHECK (n == n1 + an_n + f(\"n\", 'n', \"\\\"n\") /* n */ + n);\n"
        "    # int x = n; // n\n"
        "  }\n"
        "}\n"
        "TEST CLASS D1 : B(10) { }\n"
        "TEST CLASS D2 : B(g(2, 3)) { }\n");
    EXPECT_EQ(code_texts(e.run.root),
              "CHECK n == n1 + an_n + f(\"n\", 'n', \"\\\"n\") /* n */ + n\n"
              "#  int x = n; // n\n"
              "CHECK 10 == n1 + an_n + f(\"n\", 'n', \"\\\"n\") /* n */ + 10\n"
              "#  int x = 10; // n\n"
              "CHECK g(2, 3) == n1 + an_n + f(\"n\", 'n', \"\\\"n\") /* n */ + g(2, 3)\n"
              "#  int x = g(2, 3); // n\n");
}

TEST(Expansion, FormalsOfCopiedProcsAndPropertiesShadowTheClassParameters) {
    Expanded e(
        "TEST CLASS B(n, m) {\n"
        "  PROC p(n) { CHECK (n + m); }\n"
        "  PROPERTY q(m) { (n < m) }\n"
        "  TEST CASE t { CHECK (n + m); }\n"
        "}\n"
        "TEST CLASS D : B(1, 2) { }\n");
    const Component* d = e.run.root->last_child;
    // Actual texts keep the blanks written before them.
    EXPECT_EQ(code_texts(d->first_child), "CHECK n +  2\nCHECK 1 +  2\n");
    const Component* q = d->first_child->next_sibling;
    ASSERT_EQ(q->kind, KIND_PROPERTY);
    EXPECT_STREQ(q->first_child->name, "1 < m");
}

TEST(Expansion, BindingsApplyInListOrderEachToTheResultOfThePreviousOne) {
    Expanded e(
        "TEST CLASS B(a, b) { TEST CASE t { CHECK (a + b); } }\n"
        "TEST CLASS D : B(b,1) { }\n");
    EXPECT_EQ(code_texts(e.run.root->last_child), "CHECK 1 + 1\n");
}

TEST(Expansion, AChainIsFlattenedFromItsTopWithOverridesAtEveryLevel) {
    Expanded e(
        "TEST CLASS C : B { TEST CASE c { } }\n"
        "TEST CLASS B : A { TEST CASE b { } TEST CASE x { } }\n"
        "TEST CLASS A { TEST CASE a { } TEST CASE x { } TEST CASE c { } }\n");
    std::string names;
    for (const Component* c = e.run.root->first_child->first_child; c; c = c->next_sibling)
        names += std::string(c->name) + "#" + std::to_string(c->id) + " ";
    EXPECT_EQ(names, "c#3 b#5 x#6 a#8 ");
    EXPECT_EQ(e.run.diagnostics, "");
}

TEST(Expansion, NestedClassesOfABaseAreExpandedBeforeTheyAreCopied) {
    Expanded e(
        "TEST CLASS B {\n"
        "  TEST CLASS I : J { }\n"
        "  TEST CLASS J { TEST CASE j { } }\n"
        "}\n"
        "TEST CLASS D : B { }\n");
    const Component* copied_i = e.run.root->last_child->first_child;
    ASSERT_STREQ(copied_i->name, "I");
    ASSERT_NE(copied_i->first_child, nullptr);
    EXPECT_STREQ(copied_i->first_child->name, "j");
    EXPECT_EQ(test_class_detail(copied_i)->base, nullptr);
}
