// tests/fi/component_test.cpp: numbering, linking, details, parameter splits,
// release and the dump of the internal form.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "errors/report.h"
#include "fi/component.h"
#include "fi/names.h"
#include "support/test_support.h"
#include "utils/paths.h"

namespace {

// Texts of a parameter list, or {"<null>"} when the split failed.
std::vector<std::string> items(const ParamItem* first, bool failed_marker = true) {
    std::vector<std::string> out;
    if (!first && failed_marker)
        out.push_back("<null>");
    for (const ParamItem* p = first; p; p = p->next)
        out.push_back(p->text);
    return out;
}

using Texts = std::vector<std::string>;

const char* cwd() { return current_directory_interned(); }

Component* plain(Component* parent, int kind, const char* name, int line = 1, int depth = 0) {
    return create_component(parent, kind, name ? intern(name) : nullptr, cwd(),
                            intern("t.otd"), Span{line, line, 1, 5}, line, depth);
}

}  // namespace

TEST(ComponentTree, RootHoldsIdOneAndComponentsAreNumberedFromTwo) {
    RunState run;
    EXPECT_EQ(run.root->kind, KIND_ROOT);
    EXPECT_EQ(run.root->id, 1u);
    EXPECT_EQ(run.root->sid, 0u);
    EXPECT_EQ(run.root->line, 1);
    Component* a = plain(run.root, KIND_TEST_SUITE, "a");
    Component* b = plain(run.root, KIND_TEST_SUITE, "b");
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->id, 2u);
    EXPECT_EQ(a->sid, 2u);
    EXPECT_EQ(b->id, 3u);
    EXPECT_EQ(next_component_id, 4);
}

TEST(ComponentTree, NullParentMakesNothingAndKeepsTheCounter) {
    RunState run;
    EXPECT_EQ(plain(nullptr, KIND_TEST_SUITE, "a"), nullptr);
    EXPECT_EQ(build_stub(nullptr, intern("s"), cwd(), intern("t.otd"), Span{}, 1, 0, nullptr),
              nullptr);
    EXPECT_EQ(next_component_id, 2);
    EXPECT_EQ(run.root->first_child, nullptr);
}

TEST(ComponentTree, ChildrenAreDoublyLinkedInCreationOrder) {
    RunState run;
    Component* a = plain(run.root, KIND_TEST_SUITE, "a");
    Component* b = plain(run.root, KIND_TEST_SUITE, "b");
    Component* c = plain(run.root, KIND_TEST_SUITE, "c");
    Component* inner = plain(b, KIND_TEST_CASE, "x", 2, 1);
    EXPECT_EQ(run.root->first_child, a);
    EXPECT_EQ(run.root->last_child, c);
    EXPECT_EQ(a->prev_sibling, nullptr);
    EXPECT_EQ(a->next_sibling, b);
    EXPECT_EQ(b->prev_sibling, a);
    EXPECT_EQ(b->next_sibling, c);
    EXPECT_EQ(c->prev_sibling, b);
    EXPECT_EQ(c->next_sibling, nullptr);
    EXPECT_EQ(inner->parent, b);
    EXPECT_EQ(b->first_child, inner);
    EXPECT_EQ(b->last_child, inner);
    EXPECT_EQ(root_of(inner), run.root);
    EXPECT_EQ(root_of(nullptr), nullptr);
}

TEST(ComponentTree, CreationTakesLocationFileNumberAndDisplayName) {
    RunState run;
    current_file_number = 4;
    std::string sub = std::string(cwd()) + "sub/";
    Component* c = create_component(run.root, KIND_TEST_CASE, intern("x"), intern(sub),
                                    intern("y.otd"), Span{3, 5, 2, 9}, 6, 2);
    ASSERT_NE(c, nullptr);
    EXPECT_STREQ(c->display_file, "sub/y.otd");
    EXPECT_EQ(c->display_file, intern("sub/y.otd"));
    EXPECT_EQ(c->file_no, 4);
    EXPECT_EQ(c->first_line, 3);
    EXPECT_EQ(c->last_line, 5);
    EXPECT_EQ(c->first_column, 2);
    EXPECT_EQ(c->last_column, 9);
    EXPECT_EQ(c->line, 6);
    EXPECT_EQ(c->depth, 2);
    EXPECT_EQ(c->detail, nullptr);
    Component* here = plain(run.root, KIND_TEST_CASE, "z");
    EXPECT_STREQ(here->display_file, "t.otd");
}

TEST(ComponentTree, BuildersFillTheirDetailsAndTheDumpShowsThem) {
    RunState run;
    const char* d = cwd();
    const char* f = intern("t.otd");
    Span s{1, 1, 1, 1};
    ParamItem* formals = split_formal_params("x, y");
    RefSegment* base = append_segment(nullptr, intern("A"), split_actual_params("1,2"));
    Component* tc = build_test_class(run.root, intern("T"), d, f, s, 1, 0, formals, base);
    ASSERT_NE(tc, nullptr);
    EXPECT_EQ(test_class_detail(tc)->resolved_base, nullptr);
    Component* proc = build_param_list(tc, KIND_PROC, intern("p"), d, f, s, 2, 1,
                                       split_formal_params("a,b"));
    build_condition(proc, KIND_REQUIRE, intern("a>0"), d, f, s, 2, 2, Span{2, 2, 10, 13});
    Component* call = build_call(proc, intern("p"), d, f, s, 3, 2,
                                 append_segment(nullptr, intern("p"), nullptr),
                                 split_actual_params("1,2"));
    call_detail(call)->resolved = proc;
    build_check(proc, intern("L"), intern("x>0"), d, f, s, 4, 2, Span{4, 4, 3, 9});
    Component* on_error = build_on_error(tc, intern("ON ERROR"), d, f, s, 5, 1);
    EXPECT_EQ(on_error_detail(on_error)->action, KIND_CONTINUE);
    Component* stub = build_stub(run.root, intern("s"), d, f, s, 6, 0, intern("int f(int)"));
    EXPECT_EQ(stub_detail(stub)->check_number, 1);
    EXPECT_TRUE(stub_detail(stub)->head_text.empty());
    Component* run_c = plain(run.root, KIND_RUN, "RUN");
    RefSegment* path = append_segment(nullptr, intern("T"), split_actual_params("1"));
    append_segment(path, intern("C"), nullptr);
    Component* element = build_run_element(run_c, intern("C"), d, f, s, 7, 1, path);
    run_element_detail(element)->resolved = tc;
    Component* tr = build_transition(run.root, intern("TRANSITION"), d, f, s, 8, 0,
                                     intern("S1"), intern("S2"));
    transition_detail(tr)->resolved_source = tc;
    EXPECT_EQ(uml_state_detail(build_uml_state(run.root, intern("S1"), d, f, s, 9, 0))
                  ->state_number, 0);
    EXPECT_EQ(dump_tree(run.root),
              "TEST CLASS 'T' #2 L1-1 d0 formals=(x,y) base=A(1,2)\n"
              "  PROC 'p' #3 L1-1 d1 formals=(a,b)\n"
              "    REQUIRE 'a>0' #4 L1-1 d2\n"
              "    CALL 'p' #5 L1-1 d2 actuals=(1,2) ->#3\n"
              "    CHECK '-' #6 L1-1 d2 label=\"L\" expr=\"x>0\"\n"
              "  ON ERROR 'ON ERROR' #7 L1-1 d1 action=CONTINUE\n"
              "STUB 's' #8 L1-1 d0 signature=\"int f(int)\"\n"
              "RUN 'RUN' #9 L1-1 d0\n"
              "  RUN ELEMENT 'C' #10 L1-1 d1 path=T(1).C ->#2\n"
              "TRANSITION 'TRANSITION' #11 L1-1 d0 from=S1 to=S2 ->#2,-\n"
              "UML STATE 'S1' #12 L1-1 d0\n");
    EXPECT_EQ(condition_detail(proc->first_child)->span.last_column, 13);
    EXPECT_EQ(check_detail(proc->last_child)->text_span.first_column, 3);
    EXPECT_EQ(reference_text(path), "T.C");
}

TEST(ComponentTree, TypedAccessorsRejectOtherKindsAndBuildersOtherKinds) {
    RunState run;
    Component* call = build_call(run.root, intern("p"), cwd(), intern("t.otd"), Span{}, 1, 0,
                                 nullptr, nullptr);
    EXPECT_NE(call_detail(call), nullptr);
    EXPECT_EQ(stub_detail(call), nullptr);
    EXPECT_EQ(test_class_detail(nullptr), nullptr);
    EXPECT_EQ(build_param_list(run.root, KIND_CALL, intern("x"), cwd(), intern("t.otd"), Span{},
                               1, 0, nullptr),
              nullptr);
    EXPECT_EQ(build_condition(run.root, KIND_CHECK, intern("x"), cwd(), intern("t.otd"), Span{},
                              1, 0, Span{}),
              nullptr);
    EXPECT_EQ(next_component_id, 3);
}

TEST(ParameterSplit, FormalListsHoldSingleIdentifiers) {
    RunState run;
    EXPECT_EQ(items(split_formal_params("alpha, beta")), (Texts{"alpha", "beta"}));
    EXPECT_EQ(items(split_formal_params(" a+b_1 \t,\r\nc ")), (Texts{"a+b_1", "c"}));
    EXPECT_EQ(items(split_formal_params("alpha beta")), (Texts{"<null>"}));
    EXPECT_EQ(items(split_formal_params("a,,b")), (Texts{"a", "", "b"}));
    EXPECT_EQ(items(split_formal_params("a,")), (Texts{"a", ""}));
    EXPECT_EQ(items(split_formal_params("")), (Texts{""}));
    EXPECT_EQ(items(split_formal_params("a-b")), (Texts{"<null>"}));
    EXPECT_EQ(items(split_formal_params(std::string_view("a\0b", 3))), (Texts{"<null>"}));
    ParamItem* p = split_formal_params("x");
    EXPECT_EQ(p->item_kind, PARAM_FORMAL);
    EXPECT_EQ(p->text, intern("x"));
    EXPECT_EQ(p->bound, nullptr);
}

TEST(ParameterSplit, ActualListsCutOnlyAtOuterCommas) {
    RunState run;
    EXPECT_EQ(items(split_actual_params("f(a, b), \"x,y\", name")),
              (Texts{"f(a, b)", " \"x,y\"", " name"}));
    EXPECT_EQ(items(split_actual_params("g(1, 2")), (Texts{"<null>"}));
    EXPECT_EQ(items(split_actual_params("a < b")), (Texts{"<null>"}));
    EXPECT_EQ(items(split_actual_params("map<int, int>(), 3")), (Texts{"map<int, int>()", " 3"}));
    EXPECT_EQ(items(split_actual_params("x > 0, y")), (Texts{"x > 0", " y"}));
    EXPECT_EQ(items(split_actual_params("'\"', ','")), (Texts{"'\"'", " ','"}));
    EXPECT_EQ(items(split_actual_params("\"a\\\",b\", c")), (Texts{"\"a\\\",b\"", " c"}));
    EXPECT_EQ(items(split_actual_params("a\\,b")), (Texts{"a\\,b"}));
    EXPECT_EQ(items(split_actual_params("\"open")), (Texts{"<null>"}));
    EXPECT_EQ(items(split_actual_params("x\\")), (Texts{"<null>"}));
    EXPECT_EQ(items(split_actual_params(",")), (Texts{"", ""}));
    EXPECT_EQ(items(split_actual_params("")), (Texts{""}));
    EXPECT_EQ(split_actual_params("1")->item_kind, PARAM_ACTUAL);
}

TEST(ParameterSplit, LongListsAreNeverTruncated) {
    RunState run;
    std::string big(100000, 'x');
    std::string text = big + "," + big;
    ParamItem* p = split_actual_params(text);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(interned_length(p->text), big.size());
    ASSERT_NE(p->next, nullptr);
    EXPECT_EQ(interned_length(p->next->text), big.size());
    std::string many;
    for (int i = 0; i < 20000; ++i)
        many += "p" + std::to_string(i) + ",";
    EXPECT_EQ(items(split_formal_params(many), false).size(), 20001u);
}

TEST(ReferenceSegments, AppendKeepsTheFirstSegmentAndJoinsWithDots) {
    RunState run;
    RefSegment* first = append_segment(nullptr, intern("A"), nullptr);
    EXPECT_EQ(append_segment(first, intern("B"), nullptr), first);
    EXPECT_EQ(append_segment(first, intern("C"), nullptr), first);
    EXPECT_EQ(reference_text(first), "A.B.C");
    EXPECT_EQ(reference_text(nullptr), "");
    RefSegment* other = append_segment(nullptr, intern("X"), nullptr);
    append_segment(first, intern("D"), nullptr);
    append_segment(other, intern("Y"), nullptr);
    EXPECT_EQ(reference_text(first), "A.B.C.D");
    EXPECT_EQ(reference_text(other), "X.Y");
    std::string name(5000, 'n');
    RefSegment* long_ref = append_segment(nullptr, intern(name), nullptr);
    append_segment(long_ref, intern(name), nullptr);
    EXPECT_EQ(reference_text(long_ref), name + "." + name);
}

TEST(ComponentRelease, UnknownKindsAreReportedOnceEachAndEverythingIsReleased) {
    RunState run;
    Component* suite = plain(run.root, KIND_TEST_SUITE, "s");
    plain(suite, KIND_IDENTIFIER, "odd", 7, 1);
    plain(run.root, KIND_BYPASS, "BYPASS", 9);
    plain(run.root, 1412, "reserved", 10);
    free_components(run.root->first_child);
    run.root->first_child = run.root->last_child = nullptr;
    EXPECT_EQ(error_count, 2u);
    EXPECT_EQ(run.diagnostics,
              "vexprepro - error: t.otd:7: Unknown token `odd' in internal form.\n"
              "vexprepro - error: t.otd:9: Unknown token `BYPASS' in internal form.\n");
}

TEST(ComponentRelease, VeryDeepChainsAreReleasedWithoutRecursion) {
    RunState run;
    Component* c = run.root;
    for (int depth = 0; depth < 100000; ++depth) {
        c = plain(c, KIND_TEST_SUITE, "s", 1, depth);
        plain(c->parent, KIND_COMMENT_TEXT, "c", 1, depth);
    }
    EXPECT_EQ(next_component_id, 200002);
    free_components(run.root);
    run.root = nullptr;
    EXPECT_EQ(error_count, 0u);
}

TEST(ComponentDump, DeepTreesDumpWithIndentation) {
    RunState run;
    Component* c = run.root;
    for (int depth = 0; depth < 3; ++depth)
        c = plain(c, KIND_TEST_SUITE, "s", depth + 1, depth);
    plain(run.root, KIND_CHECK_METHOD, nullptr, 4);
    plain(run.root, 1412, "r", 5);
    EXPECT_EQ(dump_tree(run.root),
              "TEST SUITE 's' #2 L1-1 d0\n"
              "  TEST SUITE 's' #3 L2-2 d1\n"
              "    TEST SUITE 's' #4 L3-3 d2\n"
              "CHECK METHOD '-' #5 L4-4 d0\n"
              "KIND 1412 'r' #6 L5-5 d0\n");
    EXPECT_EQ(dump_tree(nullptr), "");
}
