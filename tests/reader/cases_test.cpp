// tests/reader/cases_test.cpp: scripts read as the tool reads them. Each case under
// tests/reader/cases/<Case>/ holds its scripts (in subdirectories too), optionally `read`
// (the scripts named on the command line, one a line, in order; without it, the case's
// one script) and `expected`: the tree dump, a line "== diagnostics", what the readers
// said, a line "== files", then every file record's number and script, its directory
// written relative to the case. VEX_UPDATE_GOLDEN=1 rewrites `expected`.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "fi/files.h"
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

// The scripts to read: the lines of `read`, or the one script of the case.
std::vector<std::string> scripts_of(const fs::path& dir) {
    std::vector<std::string> scripts;
    if (fs::exists(dir / "read")) {
        std::istringstream lines(slurp((dir / "read").string()));
        for (std::string line; std::getline(lines, line);)
            scripts.push_back(line);
        return scripts;
    }
    for (const auto& e : fs::directory_iterator(dir))
        if (e.path().filename() != "expected")
            scripts.push_back(e.path().filename().string());
    EXPECT_EQ(scripts.size(), 1u) << "more than one script in " << dir << " and no `read'";
    return scripts;
}

std::string file_records(const std::string& case_dir) {
    std::string out;
    for (const FileRecord* r = the_options->file_table; r; r = r->next) {
        std::string dir = r->dir;
        dir.erase(0, std::min(dir.size(), case_dir.size() + 1));
        out += std::to_string(r->file_no) + " " + dir + r->file + "\n";
    }
    return out;
}

class ReaderCase : public testing::TestWithParam<std::string> {};

}  // namespace

TEST_P(ReaderCase, TreeDiagnosticsAndFilesAreAsExpected) {
    const fs::path dir = CASES / GetParam();
    ScriptDir s;
    fs::copy(dir, s.dir.path, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    for (const std::string& script : scripts_of(dir))
        s.read(script);
    expect_golden((dir / "expected").string(),
                  s.tree() + "== diagnostics\n" + s.run.diagnostics + "== files\n" +
                      file_records(s.dir.path),
                  {});
}

INSTANTIATE_TEST_SUITE_P(Cases, ReaderCase, testing::ValuesIn(case_names()),
                         [](const testing::TestParamInfo<std::string>& info) { return info.param; });
