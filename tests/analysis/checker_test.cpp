// tests/analysis/checker_test.cpp: the semantic checker on small scripts: every message
// with its words and location, the links it leaves in the tree, and its order.
#include <gtest/gtest.h>

#include <string>

#include "analysis/checker.h"
#include "errors/report.h"
#include "fi/names.h"
#include "reader/parser.h"
#include "support/test_support.h"

namespace {

// One script read and checked in a fresh directory and run state.
struct Checked {
    TempDir dir;  // first, so the run's current directory is the temporary one
    RunState run;
    explicit Checked(const std::string& script, const char* name = "t.otd") {
        dir.write(name, script);
        read_script(name, run.root, false, nullptr);
        reading = run.diagnostics;
        EXPECT_EQ(reading, "") << "the script is meant to read without errors";
        run.diagnostics.clear();
        error_count = 0;
        check_components(run.root);
    }
    std::string reading;  // must stay empty: the scripts are meant to be well formed
    std::string tree() const { return dump_tree(run.root); }
    // The first component of that kind and name, in pre-order.
    Component* find(int kind, const char* name) const { return find_component(run.root, kind, name); }
};

std::string semantic(int line, const std::string& text) {
    return "vexprepro - semantic error: t.otd:" + std::to_string(line) + ": " + text + "\n";
}

}  // namespace

TEST(CheckerTwins, ReportsTheSecondOfTwoTestCasesAndMixedKindsAsTest) {
    Checked c(
        "TEST SUITE S {\n"
        "  TEST CASE T { }\n"
        "  TEST CASE T { }\n"
        "}\n"
        "TEST CLASS K { }\n"
        "TEST SUITE K { }\n"
        "TEST SUITE O { TEST CASE T { } }\n");
    EXPECT_EQ(c.run.diagnostics,
              semantic(3, "The TEST CASE component `T' is already defined in this block.") +
                  semantic(6, "The TEST component `K' is already defined in this block."));
    EXPECT_EQ(error_count, 2u);
}

TEST(CheckerTwins, ATestClassClashingWithAllThreeKindsReportsEachInOrder) {
    Checked c(
        "TEST CLASS P {\n"
        "  TEST CLASS X { }\n"
        "  TEST SUITE X { }\n"
        "  TEST CASE X { }\n"
        "  TEST CLASS X { }\n"
        "}\n");
    EXPECT_EQ(c.run.diagnostics,
              semantic(3, "The TEST component `X' is already defined in this block.") +
                  semantic(4, "The TEST component `X' is already defined in this block.") +
                  semantic(4, "The TEST component `X' is already defined in this block.") +
                  semantic(5, "The TEST CLASS component `X' is already defined in this block.") +
                  semantic(5, "The TEST component `X' is already defined in this block.") +
                  semantic(5, "The TEST component `X' is already defined in this block."));
}

TEST(CheckerTwins, KeywordNamedComponentsAndChecksOfExceptionsAreTwinsWithoutNames) {
    Checked c(
        "TEST SUITE S {\n"
        "  PROLOGUE { }\n"
        "  PROLOGUE { }\n"
        "  EPILOGUE { }\n"
        "  EPILOGUE { }\n"
        "  PROC p { }\n"
        "  PROC p { }\n"
        "  TEST CASE T {\n"
        "    CHECK EXCEPTION (int);\n"
        "    CHECK EXCEPTION (char);\n"
        "    ON ERROR EXIT;\n"
        "    ON ERROR CONTINUE;\n"
        "  }\n"
        "}\n"
        "RUN { S; }\n"
        "RUN { S; }\n"
        "STUB f : int f() { }\n"
        "STUB f : int f() { }\n");
    EXPECT_EQ(c.run.diagnostics,
              semantic(3, "The PROLOGUE component is already defined in this block.") +
                  semantic(5, "The EPILOGUE component is already defined in this block.") +
                  semantic(7, "The PROC component `p' is already defined in this block.") +
                  semantic(10, "The CHECK EXCEPTION component is already defined in this block.") +
                  semantic(12, "The ON ERROR component is already defined in this block.") +
                  semantic(16, "The RUN component is already defined in this block.") +
                  semantic(18, "The STUB component `f' is already defined in this block."));
}

TEST(CheckerTwins, StatesPropertiesAndCheckStubsAreTwinsByName) {
    Checked c(
        "TEST CLASS K {\n"
        "  PROPERTY p { (x > 0) }\n"
        "  PROPERTY p { (x > 1) }\n"
        "  TEST CASE T { CHECK STUB f; CHECK STUB f; }\n"
        "}\n"
        "STUB f : int f() { }\n");
    EXPECT_EQ(c.run.diagnostics,
              semantic(3, "The PROPERTY component `p' is already defined in this block.") +
                  semantic(4, "The CHECK STUB component `f' is already defined in this block."));
}

TEST(CheckerTwins, StatesOfOneClassAreTwinsByName) {
    Checked o("CLASS A {\n  STATE s { (a) }\n  STATE s { (b) }\n  STATE t { (b) }\n}\n", "t.otc");
    EXPECT_EQ(o.run.diagnostics, "vexprepro - semantic error: t.otc:3: The UMLSTATE component "
                                 "`s' is already defined in this block.\n");
}

TEST(CheckerInheritance, SelfInheritanceReports31Then30AndClearsTheBase) {
    Checked c("TEST CLASS A : A { }\n");
    EXPECT_EQ(c.run.diagnostics,
              semantic(1, "The TEST CLASS `A' could not inherit from itself.") +
                  semantic(1, "Unable to resolve the inheritance of `A'."));
    EXPECT_EQ(c.tree(), "TEST CLASS 'A' #2 L1-1 d0\n");
}

TEST(CheckerInheritance, ABaseOnlyDefinedInAnotherBlockIsNotFound) {
    Checked c(
        "TEST CLASS O { TEST CLASS A { } }\n"
        "TEST CLASS B : A { }\n");
    EXPECT_EQ(c.run.diagnostics,
              semantic(2, "Component `A' not found, while resolving `B'.") +
                  semantic(2, "Unable to resolve the inheritance of `B'."));
}

TEST(CheckerInheritance, TooFewActualsStillRecordTheBaseAndBindWhatThereIs) {
    Checked c(
        "TEST CLASS A (x, y) { }\n"
        "TEST CLASS B : A (1) { }\n");
    EXPECT_EQ(c.run.diagnostics, semantic(2, "Too few parameters in `A'."));
    Component* b = c.find(KIND_TEST_CLASS, "B");
    ASSERT_NE(b, nullptr);
    TestClassDetail* d = test_class_detail(b);
    EXPECT_EQ(d->resolved_base, c.find(KIND_TEST_CLASS, "A"));
    ASSERT_NE(d->base->actuals, nullptr);
    EXPECT_STREQ(d->base->actuals->bound, "x");
}

TEST(CheckerInheritance, ATwoClassCycleIsReportedFromBothAndFromAClassLeadingIntoIt) {
    Checked c(
        "TEST CLASS A : B { }\n"
        "TEST CLASS B : A { }\n"
        "TEST CLASS C : A { }\n"
        "TEST CLASS D : C { }\n");
    const std::string cycle = "an inheritance cycle was found in ";
    EXPECT_EQ(c.run.diagnostics,
              semantic(2, "While resolving the TEST CLASS `B', " + cycle + "`A' .") +
                  semantic(1, "While resolving the TEST CLASS `A', " + cycle + "`B' .") +
                  semantic(3, "While resolving the TEST CLASS `C', " + cycle + "`A' .") +
                  semantic(3, "While resolving the TEST CLASS `C', " + cycle + "`A' ."));
}

TEST(CheckerInheritance, CycleCheckGivesTheSameAnswerOutsideTheWalk) {
    Checked c(
        "TEST CLASS A : B { }\n"
        "TEST CLASS B : C { }\n"
        "TEST CLASS C : B { }\n"
        "TEST CLASS E : F { }\n"
        "TEST CLASS F { }\n");
    c.run.diagnostics.clear();
    // No session: the plain walk over the links the check left.
    EXPECT_EQ(check_inheritance_cycle(c.find(KIND_TEST_CLASS, "A")), -1);
    EXPECT_EQ(check_inheritance_cycle(c.find(KIND_TEST_CLASS, "C")), -1);
    EXPECT_EQ(check_inheritance_cycle(c.find(KIND_TEST_CLASS, "E")), 0);
    const std::string cycle = "an inheritance cycle was found in ";
    EXPECT_EQ(c.run.diagnostics,
              semantic(1, "While resolving the TEST CLASS `A', " + cycle + "`B' .") +
                  semantic(2, "While resolving the TEST CLASS `B', " + cycle + "`C' ."));
}

TEST(CheckerInheritance, LookupsThroughACycleEndAndUnresolvedBasesFoundByLookupsAreReported) {
    Checked c(
        "RUN { A.Nowhere; M.T; }\n"
        "TEST CLASS A : B { }\n"
        "TEST CLASS B : A { }\n"
        "TEST CLASS M : Missing { }\n");
    const std::string cycle = "an inheritance cycle was found in ";
    EXPECT_EQ(c.run.diagnostics,
              semantic(1, "Component `Nowhere' not found, while resolving `RUN'.") +
                  semantic(1, "Unable to resolve the checking of `Nowhere'.") +
                  semantic(4, "Component `Missing' not found, while resolving `M'.") +
                  semantic(4, "Unable to resolve the inheritance of `M'.") +
                  semantic(1, "Component `T' not found, while resolving `RUN'.") +
                  semantic(1, "Unable to resolve the checking of `T'.") +
                  semantic(3, "While resolving the TEST CLASS `B', " + cycle + "`A' .") +
                  semantic(2, "While resolving the TEST CLASS `A', " + cycle + "`B' ."));
}

TEST(CheckerRun, PathsClimbThroughBasesAndOnlyATestClassMayStandBeforeADot) {
    Checked c(
        "TEST CLASS A { TEST CASE T { } }\n"
        "TEST CLASS B : A { }\n"
        "TEST CLASS C : B { }\n"
        "TEST SUITE S { TEST CASE T { } }\n"
        "RUN { C.T; S.T; }\n");
    EXPECT_EQ(c.run.diagnostics,
              semantic(5, "Component `S' not found, while resolving `RUN'.") +
                  semantic(5, "Unable to resolve the checking of `T'."));
    Component* element = c.find(KIND_RUN_ELEMENT, "T");
    ASSERT_NE(element, nullptr);
    EXPECT_EQ(run_element_detail(element)->resolved, c.find(KIND_TEST_CASE, "T"));
    EXPECT_EQ(run_element_detail(element)->path->resolved, c.find(KIND_TEST_CLASS, "C"));
}

TEST(CheckerRun, ATestCaseTakesNoParametersAndAWrongKindDoesNotStopTheSearch) {
    Checked c(
        "TEST CLASS K {\n"
        "  PROC t { }\n"
        "  TEST CASE t { }\n"
        "  RUN { t; t(1); }\n"
        "}\n");
    EXPECT_EQ(c.run.diagnostics, semantic(4, "Too many parameters in `t'."));
    Component* test_case = c.find(KIND_TEST_CASE, "t");
    for (Component* e = c.find(KIND_RUN, nullptr)->first_child; e; e = e->next_sibling)
        EXPECT_EQ(run_element_detail(e)->resolved, test_case);
}

TEST(CheckerCalls, TheInnermostProcWinsAndParametersAreBound) {
    Checked c(
        "TEST CLASS Outer {\n"
        "  PROC p (a, b) { }\n"
        "  PROC q { }\n"
        "  TEST SUITE S {\n"
        "    PROC q (z) { }\n"
        "    TEST CASE T { CALL p (1, 2); CALL q (3); CALL p (4, 5, 6); CALL r; }\n"
        "  }\n"
        "}\n");
    EXPECT_EQ(c.run.diagnostics,
              semantic(6, "Too many parameters in `p'.") +
                  semantic(6, "Component `r' not found, while resolving `CALL'.") +
                  semantic(6, "Unable to resolve the calling of `r'."));
    Component* first_call = c.find(KIND_CALL, "p");
    Component* q_call = c.find(KIND_CALL, "q");
    EXPECT_EQ(call_detail(first_call)->resolved, c.find(KIND_PROC, "p"));
    EXPECT_EQ(call_detail(q_call)->resolved->parent, c.find(KIND_TEST_SUITE, "S"));
    ParamItem* actual = call_detail(first_call)->callee->actuals;
    ASSERT_NE(actual, nullptr);
    ASSERT_NE(actual->next, nullptr);
    EXPECT_STREQ(actual->bound, "a");
    EXPECT_STREQ(actual->next->bound, "b");
}

TEST(CheckerCalls, CheckPropertyLooksOutwardLikeACall) {
    Checked c(
        "TEST CLASS K {\n"
        "  PROPERTY positive (v) { (v > 0) }\n"
        "  TEST CASE T { CHECK PROPERTY positive (1); CHECK PROPERTY \"L\" absent; }\n"
        "}\n");
    EXPECT_EQ(c.run.diagnostics,
              semantic(3, "Component `absent' not found, while resolving `CHECK PROPERTY'.") +
                  semantic(3, "Unable to resolve the checking of `absent'."));
    EXPECT_EQ(check_property_detail(c.find(KIND_CHECK_PROPERTY, "positive"))->resolved,
              c.find(KIND_PROPERTY, "positive"));
}

TEST(CheckerStubs, ACheckStubResolvesOnlyToAStubAtFileLevel) {
    Checked c(
        "TEST CLASS f {\n"
        "  TEST CASE T { CHECK STUB f; CHECK STUB g; }\n"
        "}\n"
        "STUB g : int g() { }\n");
    EXPECT_EQ(c.run.diagnostics, semantic(2, "Unable to resolve the checking `f'."));
    EXPECT_EQ(check_stub_detail(c.find(KIND_CHECK_STUB, "f"))->resolved, nullptr);
    EXPECT_EQ(check_stub_detail(c.find(KIND_CHECK_STUB, "g"))->resolved, c.find(KIND_STUB, "g"));
}

TEST(CheckerBypass, OnlyAnEnclosingBlockIsABypassTarget) {
    Checked c(
        "TEST SUITE S {\n"
        "  TEST CASE A { ON ERROR BYPASS S; }\n"
        "  TEST CASE B { ON ERROR BYPASS A; }\n"
        "}\n");
    EXPECT_EQ(c.run.diagnostics, semantic(3, "Unable to resolve the bypass `A'."));
    Component* first = c.find(KIND_ON_ERROR, nullptr);
    EXPECT_EQ(on_error_detail(first)->resolved, c.find(KIND_TEST_SUITE, "S"));
}

TEST(CheckerTransitions, ReflexiveDuplicateAndUnknownStatesAreReported) {
    Checked c(
        "CLASS A {\n"
        "  TRANSITION s TO t;\n"
        "  TRANSITION s TO s;\n"
        "  TRANSITION s TO s;\n"
        "  TRANSITION s TO t;\n"
        "  TRANSITION x TO y;\n"
        "  STATE s { (a) }\n"
        "  STATE t { (b) }\n"
        "}\n",
        "t.otc");
    const auto at = [](int line, const std::string& text) {
        return "vexprepro - semantic error: t.otc:" + std::to_string(line) + ": " + text + "\n";
    };
    const std::string reflexive = "The reflexive transition `s' is not allowed (automatically "
                                  "generated).";
    EXPECT_EQ(c.run.diagnostics,
              at(3, reflexive) + at(4, reflexive) +
                  at(4, "The TRANSITION component is already defined in this block.") +
                  at(5, "The TRANSITION component is already defined in this block.") +
                  at(6, "Unable to resolve the transition from `x'.") +
                  at(6, "Unable to resolve the transition to `y'."));
    TransitionDetail* d = transition_detail(c.find(KIND_TRANSITION, nullptr));
    EXPECT_EQ(d->resolved_source, c.find(KIND_UML_STATE, "s"));
    EXPECT_EQ(d->resolved_destination, c.find(KIND_UML_STATE, "t"));
}

TEST(CheckerOrder, ACycleIsCheckedAfterEverythingInItsBlock) {
    Checked c(
        "TEST CLASS O {\n"
        "  TEST CLASS A : B { TEST CASE T { CALL nowhere; } }\n"
        "  TEST CLASS B : A { }\n"
        "  TEST CASE T { }\n"
        "  TEST CASE T { }\n"
        "}\n");
    const std::string cycle = "an inheritance cycle was found in ";
    EXPECT_EQ(c.run.diagnostics,
              semantic(2, "Component `nowhere' not found, while resolving `CALL'.") +
                  semantic(2, "Unable to resolve the calling of `nowhere'.") +
                  semantic(5, "The TEST CASE component `T' is already defined in this block.") +
                  semantic(3, "While resolving the TEST CLASS `B', " + cycle + "`A' .") +
                  semantic(2, "While resolving the TEST CLASS `A', " + cycle + "`B' ."));
}

TEST(CheckerRuns, ASecondCheckSeesComponentsAddedSinceTheFirst) {
    Checked c(
        "TEST CLASS K { PROC p { } TEST CASE T { CALL p; } }\n"
        "STUB s : int s() { }\n");
    EXPECT_EQ(c.run.diagnostics, "");
    Component* k = c.find(KIND_TEST_CLASS, "K");
    Component* stub = c.find(KIND_STUB, "s");
    // As an expansion would: a copy of the STUB and a second PROC p appended.
    build_stub(c.run.root, stub->name, stub->dir, stub->file, Span{7, 7, 1, 1}, 7, 0, "int s()");
    build_param_list(k, KIND_PROC, intern("p"), k->dir, k->file, Span{8, 8, 1, 1}, 8, 1, nullptr);
    check_components(c.run.root);
    EXPECT_EQ(c.run.diagnostics,
              semantic(8, "The PROC component `p' is already defined in this block.") +
                  semantic(7, "The STUB component `s' is already defined in this block."));
    // The earlier PROC still wins the lookup.
    EXPECT_EQ(call_detail(c.find(KIND_CALL, "p"))->resolved, c.find(KIND_PROC, "p"));
}

TEST(CheckerLookups, IndexedLookupsFollowChildrenAppendedDuringASession) {
    // More children than a block that is simply scanned.
    Checked c("TEST SUITE S { TEST CASE a { } TEST CASE b { } TEST CASE c0 { } TEST CASE c1 { }"
              " TEST CASE c2 { } TEST CASE c3 { } TEST CASE c4 { } TEST CASE c5 { }"
              " TEST CASE c6 { } TEST CASE c7 { } }\n");
    Component* suite = c.find(KIND_TEST_SUITE, "S");
    Component* b = c.find(KIND_TEST_CASE, "b");
    const char* a_name = intern("a");
    RefSegment* segment = append_segment(nullptr, a_name, nullptr);
    begin_lookup_session();
    EXPECT_TRUE(has_earlier_twin(b, KIND_TEST_CASE, a_name));
    EXPECT_FALSE(has_earlier_twin(b, KIND_TEST_CASE, b->name));  // itself does not count
    EXPECT_FALSE(has_earlier_kind(b, KIND_TEST_SUITE));
    EXPECT_EQ(find_in_scope(suite, segment, KIND_CHECK_STUB), nullptr);
    Component* late =
        build_check_stub(suite, a_name, suite->dir, suite->file, Span{2, 2, 1, 1}, 2, 1);
    Component* later = create_component(suite, KIND_TEST_CASE, a_name, suite->dir, suite->file,
                                        Span{3, 3, 1, 1}, 3, 1);
    EXPECT_FALSE(has_earlier_kind(late, KIND_CHECK_STUB));
    EXPECT_TRUE(has_earlier_twin(late, KIND_TEST_CASE, b->name));
    EXPECT_TRUE(has_earlier_kind(later, KIND_CHECK_STUB));
    EXPECT_TRUE(has_earlier_twin(later, KIND_TEST_CASE, a_name));
    EXPECT_EQ(find_in_scope(suite, segment, KIND_CHECK_STUB), late);
    EXPECT_EQ(find_in_scope(suite, segment, KIND_TEST_CASE), c.find(KIND_TEST_CASE, "a"));
    end_lookup_session();
    // Without a session the same answers come from plain scans.
    EXPECT_FALSE(has_earlier_kind(late, KIND_CHECK_STUB));
    EXPECT_TRUE(has_earlier_twin(late, KIND_TEST_CASE, b->name));
    EXPECT_TRUE(has_earlier_kind(later, KIND_CHECK_STUB));
    EXPECT_TRUE(has_earlier_twin(later, KIND_TEST_CASE, a_name));
    EXPECT_EQ(find_in_scope(suite, segment, KIND_CHECK_STUB), late);
    EXPECT_EQ(segment->resolved, late);
}

TEST(CheckerInheritance, RememberedChainsReportExactlyWhatAPlainWalkReports) {
    // Sibling classes with pseudo-random bases: cycles, chains leading into them, chains
    // ending at a class without base, in every mix.
    std::string script;
    std::uint32_t seed = 12345;
    const int classes = 300;
    for (int i = 0; i < classes; ++i) {
        seed = seed * 1103515245u + 12345u;
        const int base = static_cast<int>((seed >> 16) % (classes + 40));
        script += "TEST CLASS c" + std::to_string(i);
        if (base < classes && base != i)
            script += " : c" + std::to_string(base);
        script += " { }\n";
    }
    Checked c(script);
    const std::string walked = c.run.diagnostics;
    ASSERT_NE(walked.find("inheritance cycle"), std::string::npos);
    c.run.diagnostics.clear();
    for (Component* k = c.run.root->first_child; k; k = k->next_sibling)
        if (test_class_detail(k)->resolved_base)
            check_inheritance_cycle(k);  // outside any walk: nothing remembered
    EXPECT_EQ(walked, c.run.diagnostics);
}

TEST(CheckerInheritance, ABaseResolvedAfterAnEarlierCycleCheckIsStillFollowed) {
    // X's chain is checked (ending at Z, whose base is not resolved yet) before the
    // block of P resolves Z and W into a cycle: that cycle must still be found.
    Checked c(
        "TEST CLASS O : P {\n"
        "  TEST CLASS X : Z { }\n"
        "}\n"
        "TEST CLASS P {\n"
        "  TEST CLASS Z : W { }\n"
        "  TEST CLASS W : Z { }\n"
        "}\n");
    const std::string cycle = "an inheritance cycle was found in ";
    EXPECT_EQ(c.run.diagnostics,
              semantic(6, "While resolving the TEST CLASS `W', " + cycle + "`Z' .") +
                  semantic(5, "While resolving the TEST CLASS `Z', " + cycle + "`W' ."));
    EXPECT_EQ(test_class_detail(c.find(KIND_TEST_CLASS, "X"))->resolved_base,
              c.find(KIND_TEST_CLASS, "Z"));
}

TEST(CheckerRun, RepeatedLookupsUpAChainReportTheBrokenBaseOnce) {
    Checked c(
        "TEST CLASS a : b { RUN { T; } }\n"
        "TEST CLASS b : c { RUN { T; } }\n"
        "TEST CLASS c : missing { RUN { T; } }\n"
        "TEST CLASS d : a { RUN { U; } }\n"
        "TEST CLASS e : d { RUN { U; } }\n");
    const std::string none = "Component `T' not found, while resolving `RUN'.";
    EXPECT_EQ(c.run.diagnostics,
              semantic(3, "Component `missing' not found, while resolving `c'.") +
                  semantic(3, "Unable to resolve the inheritance of `c'.") + semantic(1, none) +
                  semantic(1, "Unable to resolve the checking of `T'.") + semantic(2, none) +
                  semantic(2, "Unable to resolve the checking of `T'.") + semantic(3, none) +
                  semantic(3, "Unable to resolve the checking of `T'.") +
                  semantic(4, "Component `U' not found, while resolving `RUN'.") +
                  semantic(4, "Unable to resolve the checking of `U'.") +
                  semantic(5, "Component `U' not found, while resolving `RUN'.") +
                  semantic(5, "Unable to resolve the checking of `U'."));
}

TEST(CheckerRun, EveryClassOfAChainFindsWhatItsLastBaseHolds) {
    std::string script;
    const int classes = 50;
    for (int i = 0; i + 1 < classes; ++i)
        script += "TEST CLASS a" + std::to_string(i) + " : a" + std::to_string(i + 1) +
                  " { RUN { T; } }\n";
    script += "TEST CLASS a" + std::to_string(classes - 1) + " { TEST CASE T { } }\n";
    Checked c(script);
    EXPECT_EQ(c.run.diagnostics, "");
    const Component* target = c.find(KIND_TEST_CASE, "T");
    int resolved = 0;
    for (Component* k = c.run.root->first_child; k; k = k->next_sibling)
        if (k->first_child && k->first_child->kind == KIND_RUN)
            resolved += run_element_detail(k->first_child->first_child)->resolved == target;
    EXPECT_EQ(resolved, classes - 1);
}

TEST(CheckerTwins, ABlockWithManyChildrenReportsTheSameAsASmallOne) {
    std::string script = "TEST CLASS K {\n";
    for (int i = 0; i < 12; ++i)
        script += "  TEST CASE c" + std::to_string(i) + " { }\n";  // lines 2-13
    script +=
        "  PROC c0 { }\n"         // 14: a PROC may share a TEST CASE's name
        "  TEST CASE c3 { }\n"    // 15
        "  TEST SUITE c5 { }\n"   // 16
        "  PROLOGUE { }\n"        // 17
        "  PROLOGUE { }\n"        // 18
        "  PROC c0 { }\n"         // 19
        "  TEST CLASS c12 { }\n"  // 20
        "  RUN { c0; c5; c12.c1; c11; }\n"  // 21
        "}\n";
    Checked c(script);
    EXPECT_EQ(c.run.diagnostics,
              semantic(15, "The TEST CASE component `c3' is already defined in this block.") +
                  semantic(16, "The TEST component `c5' is already defined in this block.") +
                  semantic(18, "The PROLOGUE component is already defined in this block.") +
                  semantic(19, "The PROC component `c0' is already defined in this block.") +
                  semantic(21, "Component `c1' not found, while resolving `RUN'.") +
                  semantic(21, "Unable to resolve the checking of `c1'."));
    Component* run = c.find(KIND_RUN, nullptr);
    ASSERT_NE(run, nullptr);
    EXPECT_EQ(run_element_detail(run->first_child)->resolved, c.find(KIND_TEST_CASE, "c0"));
    // c5 names a TEST CASE first, a TEST SUITE later: the first wins.
    EXPECT_EQ(run_element_detail(run->first_child->next_sibling)->resolved,
              c.find(KIND_TEST_CASE, "c5"));
    EXPECT_EQ(run_element_detail(run->last_child)->resolved, c.find(KIND_TEST_CASE, "c11"));
}
