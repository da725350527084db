// Test-driver scripts: the trees the readers build and their syntax errors.
#include <gtest/gtest.h>

#include "parser_test_util.h"

TEST(OtdReader, SpansRunFromTheKeywordToTheClosingToken) {
    ScriptDir s;
    s.write("s.otd", "TEST SUITE S {\n  TEST CASE C { CHECK (x); }\n}\n");
    s.read("s.otd");
    const Component* suite = s.run.root->first_child;
    const Component* check = suite->first_child->first_child;
    EXPECT_EQ(suite->first_column, 1);
    EXPECT_EQ(suite->last_line, 3);
    EXPECT_EQ(suite->last_column, 1);
    EXPECT_EQ(suite->line, 1);                // the line of the name when it was made
    EXPECT_EQ(check->first_column, 17);       // CHECK
    EXPECT_EQ(check->last_column, 26);        // ;
    const CheckDetail* d = check_detail(check);
    EXPECT_EQ(d->text_span.first_column, 23);  // from the expression ...
    EXPECT_EQ(d->text_span.last_column, 25);   // ... to its closing parenthesis
}

TEST(OtdReader, CheckedTextOfAPropertyCheckEndsAtTheNameOrItsParameters) {
    ScriptDir s;
    s.write("p.otd",
            "TEST SUITE S { TEST CASE C {\n"
            "CHECK PROPERTY \"label\" Even(4) ;\n"
            "CHECK PROPERTY Even ;\n"
            "} }\n");
    s.read("p.otd");
    const Component* with_label = s.run.root->first_child->first_child->first_child;
    const Span& a = check_property_detail(with_label)->text_span;
    EXPECT_EQ(a.first_column, 16);  // the label
    EXPECT_EQ(a.last_column, 30);   // the closing parenthesis
    const Span& b = check_property_detail(with_label->next_sibling)->text_span;
    EXPECT_EQ(b.first_line, 3);
    EXPECT_EQ(b.last_line, 3);
    EXPECT_EQ(b.first_column, 16);  // the name ...
    EXPECT_EQ(b.last_column, 19);   // ... alone, not the ";" after it
    EXPECT_EQ(s.run.diagnostics, "");
}

TEST(OtdReader, SignatureRunningIntoTheEndOfTheFileIsReported) {
    ReadResult method = read_one("m.otd", "TEST SUITE S { TEST CASE C { CHECK METHOD int f()");
    EXPECT_EQ(method.diagnostics,
              "vexprepro - syntax error: m.otd:1: `;' expected instead of `EOF'.\n"
              "vexprepro - syntax error: m.otd:1: `}' expected instead of `EOF'.\n"
              "vexprepro - syntax error: m.otd:1: `}' expected instead of `EOF'.\n");
    ReadResult stub = read_one("s.otd", "STUB S : int f(int x)\n");
    EXPECT_EQ(stub.diagnostics,
              "vexprepro - syntax error: s.otd:2: `REQUIRE' or '{' expected instead of `EOF'.\n");
    EXPECT_EQ(stub.tree, "");
}

TEST(OtdReader, NestingDeeperThanTheLimitIsRefusedAndReadingGoesOn) {
    std::string text;
    const int levels = MAX_NESTING_DEPTH + 2;
    for (int i = 0; i < levels; ++i)
        text += "TEST SUITE s {\n";
    for (int i = 0; i < levels; ++i)
        text += "}\n";
    ScriptDir s;
    s.write("deep.otd", text);
    s.read("deep.otd");
    std::string refused = std::to_string(levels);
    std::string end = std::to_string(2 * levels);
    EXPECT_EQ(s.run.diagnostics,
              "vexprepro - syntax error: deep.otd:" + refused +
                  ": `TEST SUITE' not expected now.\n"
                  "vexprepro - syntax error: deep.otd:" + refused +
                  ": `s' is not a `TEST SUITE' component.\n"
                  "vexprepro - syntax error: deep.otd:" + refused +
                  ": `{' is not a `TEST SUITE' component.\n"
                  "vexprepro - syntax error: deep.otd:" + end +
                  ": `}' is not an `OTD script' component.\n");
    int deepest = 0;
    for (const Component* c = s.run.root->first_child; c; c = c->first_child)
        deepest = c->depth;
    EXPECT_EQ(deepest, MAX_NESTING_DEPTH);
}
