// tests/analysis/checker_test.cpp: the semantic checker. Each case under
// tests/analysis/cases/<Case>/ holds one script and `expected`: the tree dump after the
// check (with what every reference resolved to), a line "== diagnostics", then every
// message with its words and location, in the order reported. VEX_UPDATE_GOLDEN=1
// rewrites `expected`. In code: the remembered cycle checks against a plain walk, and
// the lookup indexes following children appended while a session is open.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "analysis/checker.h"
#include "errors/report.h"
#include "fi/names.h"
#include "reader/parser.h"
#include "support/test_support.h"

namespace fs = std::filesystem;

namespace {

const fs::path CASES = fs::path(VEX_SOURCE_DIR) / "tests" / "analysis" / "cases";

// One script read and checked in a fresh directory and run state.
struct Checked {
    TempDir dir;  // first, so the run's current directory is the temporary one
    RunState run;
    Checked(const std::string& name, const std::string& script) {
        dir.write(name, script);
        read_script(name.c_str(), run.root, false, nullptr);
        check_components(run.root);
    }
    Component* find(int kind, const char* name) const { return find_component(run.root, kind, name); }
};

std::vector<std::string> case_names() {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(CASES))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class CheckerCase : public testing::TestWithParam<std::string> {};

}  // namespace

TEST_P(CheckerCase, LinksAndMessagesAreAsExpected) {
    fs::path script;
    for (const auto& e : fs::directory_iterator(CASES / GetParam()))
        if (e.path().filename() != "expected")
            script = e.path();
    Checked c(script.filename().string(), slurp(script.string()));
    expect_golden((CASES / GetParam() / "expected").string(),
                  dump_tree(c.run.root) + "== diagnostics\n" + c.run.diagnostics, {});
}

INSTANTIATE_TEST_SUITE_P(Cases, CheckerCase, testing::ValuesIn(case_names()),
                         [](const testing::TestParamInfo<std::string>& info) { return info.param; });

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
    Checked c("t.otd", script);
    const std::string walked = c.run.diagnostics;
    ASSERT_NE(walked.find("inheritance cycle"), std::string::npos);
    c.run.diagnostics.clear();
    for (Component* k = c.run.root->first_child; k; k = k->next_sibling)
        if (test_class_detail(k)->resolved_base)
            check_inheritance_cycle(k);  // outside any walk: nothing remembered
    EXPECT_EQ(walked, c.run.diagnostics);
}

TEST(CheckerLookups, IndexedLookupsFollowChildrenAppendedDuringASession) {
    // More children than a block that is simply scanned.
    Checked c("t.otd",
              "TEST SUITE S { TEST CASE a { } TEST CASE b { } TEST CASE c0 { } TEST CASE c1 { }"
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
