// tests/reader/cases_test.cpp: scripts read alone (tests/reader/cases/<Case>/: one script
// and `expected`, the tree dump, a line "== diagnostics", then what the readers said).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "parser_test_util.h"

namespace fs = std::filesystem;

namespace {

const fs::path CASES = fs::path(VEX_SOURCE_DIR) / "tests" / "reader" / "cases";

std::vector<std::string> case_names() {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(CASES))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class ReaderCase : public testing::TestWithParam<std::string> {};

}  // namespace

TEST_P(ReaderCase, TreeAndDiagnosticsAreAsExpected) {
    const fs::path dir = CASES / GetParam();
    fs::path script;
    for (const auto& e : fs::directory_iterator(dir))
        if (e.path().filename() != "expected")
            script = e.path();
    ASSERT_FALSE(script.empty()) << "no script in " << dir;
    const ReadResult r = read_one(script.filename().string(), slurp(script));
    EXPECT_EQ(r.tree + "== diagnostics\n" + r.diagnostics, slurp(dir / "expected"));
}

INSTANTIATE_TEST_SUITE_P(Cases, ReaderCase, testing::ValuesIn(case_names()),
                         [](const testing::TestParamInfo<std::string>& info) { return info.param; });
