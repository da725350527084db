// tests/gen/golden_test.cpp: whole driver and instrumentation files for small scripts.
// Each case under tests/golden/<case>/ holds its scripts, a `command` file (the scripts
// and options on its first line, then NAME=value environment lines; @DIR@ stands for the
// directory the tool runs in) and the expected files expected.driver and expected.oti.
// A case that differs from another in a few lines names it in a `base` file: it runs
// the base's scripts with its own command, and expected.driver.lines lists the lines of
// the base's expected.driver it changes ("<line number> <text>").
// The scripts get fixed file times, so only the directory and the checksum pairs differ
// from run to run: the expected files hold @DIR@ and @SUM<n>@ there.
// VEX_UPDATE_GOLDEN=1 rewrites the expected files: read every changed line against the
// templates before committing them.
#include <gtest/gtest.h>

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

#include "support/test_support.h"

namespace fs = std::filesystem;

namespace {

const fs::path GOLDEN_ROOT = fs::path(VEX_SOURCE_DIR) / "tests" / "golden";

bool is_case_file(const std::string& name) {
    return name == "command" || name == "base" || name.rfind("expected.", 0) == 0;
}

void copy_scripts(const fs::path& from, const fs::path& to) {
    for (const auto& entry : fs::directory_iterator(from)) {
        if (is_case_file(entry.path().filename().string()))
            continue;
        const fs::path copy = to / entry.path().filename();
        fs::copy_file(entry.path(), copy);
        const timespec times[2] = {{1700000000, 0}, {1700000000, 0}};
        utimensat(AT_FDCWD, copy.c_str(), times, 0);
    }
}

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream s(text);
    for (std::string line; std::getline(s, line);)
        lines.push_back(line + "\n");
    return lines;
}

std::string joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& l : lines)
        text += l;
    return text;
}

// The base's expected text with the variant's lines put in; the caller compares it.
std::string patched(const std::string& base, const std::string& changes) {
    std::vector<std::string> lines = lines_of(base);
    for (const std::string& change : lines_of(changes)) {
        const std::size_t blank = change.find(' ');
        const std::size_t n = std::stoul(change.substr(0, blank));
        if (n == 0 || n > lines.size()) {
            ADD_FAILURE() << "no line " << n << " to change";
            continue;
        }
        lines[n - 1] = change.substr(blank + 1);
    }
    return joined(lines);
}

// The lines where `actual` departs from `base`, in the form patched() reads.
std::string changes_from(const std::string& base, const std::string& actual) {
    const std::vector<std::string> a = lines_of(base), b = lines_of(actual);
    if (a.size() != b.size()) {
        ADD_FAILURE() << "a variant keeps the lines of its base: make it a case of its own";
        return "";
    }
    std::string out;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i])
            out += std::to_string(i + 1) + " " + b[i];
    return out;
}

void compare_variant(const fs::path& base_file, const fs::path& lines_file,
                     const std::string& actual, const std::vector<Placeholder>& placeholders) {
    const std::string base = slurp(base_file.string());
    if (updating_golden_files()) {
        std::ofstream(lines_file, std::ios::binary)
            << changes_from(base, with_placeholders(actual, placeholders));
        return;
    }
    const std::string expected = patched(base, slurp(lines_file.string()));
    expect_same_text(lines_file.string(), with_values(expected, placeholders), actual);
}

// The first line of `command` as arguments, the required outputs added where it has none.
std::vector<std::string> arguments(const std::string& line) {
    std::istringstream s(line);
    std::vector<std::string> args = {"-G", "C++"};
    for (std::string w; s >> w;)
        args.push_back(w);
    for (const auto& [option, value] : {std::pair{"-O", "driver.cc"}, {"-OTI", "driver.oti"},
                                        {"-TDF", "driver.tdf"}})
        if (std::find(args.begin(), args.end(), option) == args.end())
            args.insert(args.end(), {option, value});
    return args;
}

fs::path output_of(const std::vector<std::string>& args, const char* option, const fs::path& dir) {
    const auto at = std::find(args.begin(), args.end(), option);
    const fs::path name = *(at + 1);
    return name.is_absolute() ? name : dir / name;
}

class Golden : public testing::TestWithParam<std::string> {};

}  // namespace

TEST_P(Golden, DriverAndInstrumentationFilesAreAsExpected) {
    const fs::path source = GOLDEN_ROOT / GetParam();
    const bool variant = fs::exists(source / "base");
    std::string base_name = variant ? slurp((source / "base").string()) : GetParam();
    base_name.erase(base_name.find_last_not_of("\n") + 1);
    const fs::path base = GOLDEN_ROOT / base_name;
    TempDir dir;
    copy_scripts(base, dir.path);
    std::istringstream command(
        with_values(slurp((source / "command").string()), {{"@DIR@", dir.path}}));
    std::string line;
    std::getline(command, line);
    const std::vector<std::string> args = arguments(line);
    std::vector<std::string> env = {"XRLTGT="};
    while (std::getline(command, line))
        if (!line.empty())
            env.push_back(line);
    const ProcessResult r = run_vexprepro(args, dir.path, nullptr, env);
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<Placeholder> placeholders = run_placeholders(dir.path);
    const std::string driver = slurp(output_of(args, "-O", dir.path).string());
    if (variant)
        compare_variant(base / "expected.driver", source / "expected.driver.lines", driver,
                        placeholders);
    else
        expect_golden((source / "expected.driver").string(), driver, placeholders);
    // A variant shares its base's instrumentation file; updating rewrites only the base's.
    const std::string oti = slurp(output_of(args, "-OTI", dir.path).string());
    if (variant)
        expect_same_text(base_name + "/expected.oti",
                         with_values(slurp((base / "expected.oti").string()), placeholders), oti);
    else
        expect_golden((source / "expected.oti").string(), oti, placeholders);
}

static std::vector<std::string> golden_cases() {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(GOLDEN_ROOT))
        if (entry.is_directory() && fs::exists(entry.path() / "command"))
            names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Case directories are named in CamelCase, which serves as the test name.
INSTANTIATE_TEST_SUITE_P(Cases, Golden, testing::ValuesIn(golden_cases()),
                         [](const testing::TestParamInfo<std::string>& info) { return info.param; });
