// Test-driver scripts: the trees the readers build and their syntax errors.
#include <gtest/gtest.h>

#include "parser_test_util.h"

TEST(OtdReader, ClassWithCaseCheckAndRunsBuildsTheWholeTree) {
    ReadResult r = read_one("suite.otd",
                            "TEST CLASS Arithmetic\n"
                            "{\n"
                            "    TEST CASE Addition\n"
                            "    {\n"
                            "        CHECK \"one plus one\" (1 + 1 == 2);\n"
                            "    }\n"
                            "    RUN { Addition; }\n"
                            "}\n"
                            "RUN\n"
                            "{\n"
                            "    Arithmetic;\n"
                            "}\n");
    EXPECT_EQ(r.tree,
              "TEST CLASS 'Arithmetic' #2 L1-8 d0\n"
              "  TEST CASE 'Addition' #3 L3-6 d1\n"
              "    CHECK '-' #4 L5-5 d2 label=\"one plus one\" expr=\"1 + 1 == 2\"\n"
              "  RUN 'RUN' #5 L7-7 d1\n"
              "    RUN ELEMENT 'Addition' #6 L7-7 d2 path=Addition\n"
              "RUN 'RUN' #7 L9-12 d0\n"
              "  RUN ELEMENT 'Arithmetic' #8 L11-11 d1 path=Arithmetic\n");
    EXPECT_EQ(r.diagnostics, "");
}

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

TEST(OtdReader, ClassWithoutBodyIsCompleteAndTheNextTokenIsReadAgain) {
    ReadResult r = read_one("c.otd", "TEST CLASS A\nTEST SUITE S { }\n");
    EXPECT_EQ(r.tree, "TEST CLASS 'A' #2 L1-1 d0\nTEST SUITE 'S' #3 L2-2 d0\n");
    EXPECT_EQ(r.diagnostics, "");
}

TEST(OtdReader, ClassHeaderTakesFormalsAndABaseWithActuals) {
    ReadResult r = read_one("c.otd",
                            "TEST CLASS D : B\n"
                            "TEST CLASS E(x, y) : Base(1, f(2, 3)) { }\n");
    EXPECT_EQ(r.tree,
              "TEST CLASS 'D' #2 L1-1 d0 base=B\n"
              "TEST CLASS 'E' #3 L2-2 d0 formals=(x,y) base=Base(1, f(2, 3))\n");
    EXPECT_EQ(r.diagnostics, "");
}

TEST(OtdReader, ColonWithoutBaseNameReportsTheClassName) {
    ReadResult r = read_one("c.otd", "TEST CLASS D : { }\n");
    EXPECT_EQ(r.tree, "");
    EXPECT_EQ(r.diagnostics,
              "vexprepro - syntax error: c.otd:1: `TEST CLASS' name expected instead of `{'.\n"
              "vexprepro - syntax error: c.otd:1: `}' is not an `OTD script' component.\n");
}

TEST(OtdReader, SuiteWithoutNameMakesNothingAndWithoutBraceStaysEmpty) {
    ReadResult r = read_one("s.otd", "TEST SUITE { }\nTEST SUITE T ;\n");
    EXPECT_EQ(r.tree, "TEST SUITE 'T' #2 L2-2 d0\n");
    EXPECT_EQ(r.diagnostics,
              "vexprepro - syntax error: s.otd:1: `TEST SUITE' name expected instead of `{'.\n"
              "vexprepro - syntax error: s.otd:1: `}' is not an `OTD script' component.\n"
              "vexprepro - syntax error: s.otd:2: `{' expected instead of `;'.\n");
}

TEST(OtdReader, BodyRunningIntoTheEndOfTheFileKeepsWhatWasRead) {
    ReadResult r = read_one("s.otd", "TEST SUITE S {\n  TEST CASE C { }\n");
    EXPECT_EQ(r.tree, "TEST SUITE 'S' #2 L1-1 d0\n  TEST CASE 'C' #3 L2-2 d1\n");
    EXPECT_EQ(r.diagnostics,
              "vexprepro - syntax error: s.otd:3: `}' expected instead of `EOF'.\n");
}

TEST(OtdReader, CheckLabelIsOptional) {
    ReadResult r = read_one("c.otd",
                            "TEST SUITE S { TEST CASE C {\n"
                            "  CHECK \"pos\" (x > 0);\n"
                            "  CHECK (y);\n"
                            "  CHECK \"no expression\";\n"
                            "} }\n");
    EXPECT_EQ(r.tree,
              "TEST SUITE 'S' #2 L1-5 d0\n"
              "  TEST CASE 'C' #3 L1-5 d1\n"
              "    CHECK '-' #4 L2-2 d2 label=\"pos\" expr=\"x > 0\"\n"
              "    CHECK '-' #5 L3-3 d2 expr=\"y\"\n");
    EXPECT_EQ(r.diagnostics,
              "vexprepro - syntax error: c.otd:4: `CHECK' expression expected instead of `;'.\n");
}

TEST(OtdReader, OnErrorNeedsAnActionAndTakesANameOnlyAfterBypass) {
    ReadResult r = read_one("e.otd",
                            "ON ERROR ;\n"
                            "ON ERROR EXIT Later;\n"
                            "TEST SUITE T { TEST CASE C {\n"
                            "  ON ERROR { PRINT (\"skip\"); } BYPASS T;\n"
                            "  ON ERROR { } ;\n"
                            "} }\n");
    EXPECT_EQ(r.tree,
              "ON ERROR 'ON ERROR' #2 L1-1 d0 action=CONTINUE\n"
              "ON ERROR 'ON ERROR' #3 L2-2 d0 action=EXIT\n"
              "TEST SUITE 'T' #4 L3-6 d0\n"
              "  TEST CASE 'C' #5 L3-6 d1\n"
              "    ON ERROR 'ON ERROR' #6 L4-4 d2 action=BYPASS target=T\n"
              "      PRINT 'PRINT' #7 L4-4 d3 actuals=(\"skip\")\n"
              "    ON ERROR 'ON ERROR' #8 L5-5 d2 action=CONTINUE\n");
    EXPECT_EQ(r.diagnostics,
              "vexprepro - syntax error: e.otd:1: `{', 'CONTINUE', 'EXIT', or 'BYPASS' expected "
              "instead of `;'.\n"
              "vexprepro - syntax error: e.otd:2: `;' expected instead of `Later'.\n"
              "vexprepro - syntax error: e.otd:2: `;' is not an `OTD script' component.\n"
              "vexprepro - syntax error: e.otd:5: `CONTINUE', 'EXIT' or 'BYPASS' expected "
              "instead of `;'.\n");
}

TEST(OtdReader, RunElementsTakeDottedPathsWithActuals) {
    ReadResult r = read_one("r.otd",
                            "RUN {\n"
                            "  Suite.Case(1);\n"
                            "  Other;\n"
                            "  Broken.;\n"
                            "  (x);\n"
                            "}\n");
    EXPECT_EQ(r.tree,
              "RUN 'RUN' #2 L1-6 d0\n"
              "  RUN ELEMENT 'Case' #3 L2-2 d1 path=Suite.Case(1)\n"
              "  RUN ELEMENT 'Other' #4 L3-3 d1 path=Other\n");
    EXPECT_EQ(r.diagnostics,
              "vexprepro - syntax error: r.otd:4: `TEST CLASS', 'TEST SUITE' or 'TEST CASE' "
              "name expected instead of `;'.\n"
              "vexprepro - syntax error: r.otd:5: `x' is not a `RUN' component.\n"
              "vexprepro - syntax error: r.otd:5: `;' is not a `RUN' component.\n");
}

TEST(OtdReader, CommentKeywordIsNotASuiteComponent) {
    ReadResult r = read_one("s.otd", "TEST SUITE S {\n  COMMENT not here\n}\n");
    EXPECT_EQ(r.tree, "TEST SUITE 'S' #2 L1-3 d0\n");
    EXPECT_EQ(r.diagnostics,
              "vexprepro - syntax error: s.otd:2: `not here' is not a `TEST SUITE' component.\n");
}

TEST(OtdReader, ProcWithRequireButNoConditionReportsTheKeyword) {
    ReadResult r = read_one("p.otd", "TEST CLASS T {\n  PROC P REQUIRE { }\n}\n");
    EXPECT_EQ(r.tree, "TEST CLASS 'T' #2 L1-2 d0\n  PROC 'P' #3 L2-2 d1\n");
    EXPECT_EQ(r.diagnostics,
              "vexprepro - syntax error: p.otd:2: `REQUIRE' expression expected instead of "
              "`{'.\n"
              "vexprepro - syntax error: p.otd:3: `}' is not an `OTD script' component.\n");
}

TEST(OtdReader, ProcAndStubCarryConditionsAroundTheirBodies) {
    ReadResult r = read_one("p.otd",
                            "TEST CLASS T {\n"
                            "  PROC Deposit(amount, note) REQUIRE (amount > 0) {\n"
                            "    CALL Log(amount, \"a, b\");\n"
                            "    # native line\n"
                            "  }\n"
                            "  ENSURE (ok)\n"
                            "}\n"
                            "STUB Log : void log(int requireX, const char* r)\n"
                            "REQUIRE (r != 0) {\n"
                            "  CHECK (requireX > 0);\n"
                            "  ...\n"
                            "}\n");
    EXPECT_EQ(r.tree,
              "TEST CLASS 'T' #2 L1-7 d0\n"
              "  PROC 'Deposit' #3 L2-6 d1 formals=(amount,note)\n"
              "    REQUIRE 'amount > 0' #4 L2-2 d2\n"
              "    CALL 'Log' #5 L3-3 d2 actuals=(amount, \"a, b\")\n"
              "    NATIVE LINE ' native line' #6 L4-4 d2\n"
              "    ENSURE 'ok' #7 L6-6 d2\n"
              "STUB 'Log' #8 L8-12 d0 signature=\"void log(int requireX, const char* r)\"\n"
              "  REQUIRE 'r != 0' #9 L9-9 d1\n"
              "  CHECK '-' #10 L10-10 d1 expr=\"requireX > 0\"\n"
              "  THREE POINTS '...' #11 L11-11 d1\n");
    EXPECT_EQ(r.diagnostics, "");
}

TEST(OtdReader, ChecksOfPropertiesMethodsExceptionsAndStubs) {
    ReadResult r = read_one("c.otd",
                            "TEST CLASS T {\n"
                            "  PROPERTY Positive(v) { (v > 0) (v < 10) }\n"
                            "  TEST CASE C {\n"
                            "    CHECK PROPERTY \"small\" Positive(3);\n"
                            "    CHECK PROPERTY Positive;\n"
                            "    CHECK METHOD int Account::get(int a /* ; */);\n"
                            "    CHECK EXCEPTION (std::exception&);\n"
                            "    CHECK EXCEPTION (int) { PRINT (1); }\n"
                            "    CHECK STUB Log;\n"
                            "    CHECK STUB Log { CHECK (n == 1); }\n"
                            "  }\n"
                            "}\n");
    EXPECT_EQ(r.tree,
              "TEST CLASS 'T' #2 L1-12 d0\n"
              "  PROPERTY 'Positive' #3 L2-2 d1 formals=(v)\n"
              "    EXPRESSION 'v > 0' #4 L2-2 d2\n"
              "    EXPRESSION 'v < 10' #5 L2-2 d2\n"
              "  TEST CASE 'C' #6 L3-11 d1\n"
              "    CHECK PROPERTY 'Positive' #7 L4-4 d2 label=\"small\" actuals=(3)\n"
              "    CHECK PROPERTY 'Positive' #8 L5-5 d2\n"
              "    CHECK METHOD 'int Account::get(int a /* ; */)' #9 L6-6 d2\n"
              "    CHECK EXCEPTION 'std::exception&' #10 L7-7 d2\n"
              "    CHECK EXCEPTION 'int' #11 L8-8 d2\n"
              "      PRINT 'PRINT' #12 L8-8 d3 actuals=(1)\n"
              "    CHECK STUB 'Log' #13 L9-9 d2\n"
              "    CHECK STUB 'Log' #14 L10-10 d2\n"
              "      CHECK '-' #15 L10-10 d3 expr=\"n == 1\"\n");
    EXPECT_EQ(r.diagnostics, "");
}

TEST(OtdReader, CheckStatementErrorsNameWhatWasExpected) {
    ReadResult r = read_one("c.otd",
                            "TEST SUITE S { TEST CASE C {\n"
                            "  CHECK EXCEPTION ;\n"
                            "  CHECK EXCEPTION (int) PRINT\n"
                            "  CHECK STUB ;\n"
                            "  PRINT ;\n"
                            "  PRINT (a < b);\n"
                            "  CALL P(1)\n"
                            "} }\n"
                            "}\n");
    EXPECT_EQ(r.tree,
              "TEST SUITE 'S' #2 L1-9 d0\n"
              "  TEST CASE 'C' #3 L1-8 d1\n"
              "    CHECK EXCEPTION 'int' #4 L3-3 d2\n");
    EXPECT_EQ(r.diagnostics,
              "vexprepro - syntax error: c.otd:2: `( Exception Signature )' expected instead of "
              "`;'.\n"
              "vexprepro - syntax error: c.otd:3: `;' or '{' expected instead of `PRINT'.\n"
              "vexprepro - syntax error: c.otd:4: `STUB' name expected instead of `;'.\n"
              "vexprepro - syntax error: c.otd:5: `(actual parameters list)' expected instead "
              "of `;'.\n"
              "vexprepro - syntax error: c.otd:6: Cannot create list of parameters `(a < b)'.\n"
              "vexprepro - syntax error: c.otd:6: `;' is not a `TEST CASE' component.\n"
              "vexprepro - syntax error: c.otd:8: `;' expected instead of `}'.\n");
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

TEST(OtdReader, BadParameterListsAreReported) {
    ReadResult r = read_one("p.otd", "TEST CLASS T(a b) { }\n");
    EXPECT_EQ(r.tree, "");
    EXPECT_EQ(r.diagnostics,
              "vexprepro - syntax error: p.otd:1: Cannot create list of parameters `(a b)'.\n"
              "vexprepro - syntax error: p.otd:1: `{' is not an `OTD script' component.\n"
              "vexprepro - syntax error: p.otd:1: `}' is not an `OTD script' component.\n");
}

TEST(OtdReader, BlocksAcceptOnlyTheirOwnConstructs) {
    ReadResult r = read_one("b.otd",
                            "CHECK (x);\n"
                            "TEST SUITE S {\n"
                            "  PROLOGUE { CALL P; # setup\n"
                            "  }\n"
                            "  EPILOGUE { /** done */ c++# teardown();\n"
                            "  }\n"
                            "  RUN\n"
                            "}\n");
    EXPECT_EQ(r.tree,
              "TEST SUITE 'S' #2 L2-8 d0\n"
              "  PROLOGUE 'PROLOGUE' #3 L3-4 d1\n"
              "    NATIVE LINE ' setup' #4 L3-3 d2\n"
              "  EPILOGUE 'EPILOGUE' #5 L5-6 d1\n"
              "    COMMENT BLOCK ' done ' #6 L5-5 d2\n"
              "    C++ NATIVE LINE ' teardown();' #7 L5-5 d2\n");
    EXPECT_EQ(r.diagnostics,
              "vexprepro - syntax error: b.otd:1: `CHECK' is not an `OTD script' component.\n"
              "vexprepro - syntax error: b.otd:1: `x' is not an `OTD script' component.\n"
              "vexprepro - syntax error: b.otd:1: `;' is not an `OTD script' component.\n"
              "vexprepro - syntax error: b.otd:3: `CALL' is not a `PROLOGUE' component.\n"
              "vexprepro - syntax error: b.otd:3: `P' is not a `PROLOGUE' component.\n"
              "vexprepro - syntax error: b.otd:3: `;' is not a `PROLOGUE' component.\n"
              "vexprepro - syntax error: b.otd:7: `RUN' is not a `TEST SUITE' component.\n");
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
