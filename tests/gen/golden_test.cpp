// tests/gen/golden_test.cpp: whole driver and instrumentation files for small scripts.
// Each case under tests/golden/<case>/ holds its scripts, a `command` file (the scripts
// and options on its first line, then NAME=value environment lines; @DIR@ stands for the
// directory the tool runs in) and the expected files expected.driver and expected.oti.
// The tool runs in a fixed directory with fixed file times, so the paths in the #line
// directives and the checksum pairs are the same on every run.
// VEX_UPDATE_GOLDEN=1 rewrites the expected files: read every changed line against the
// templates before committing them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <fcntl.h>
#include <sys/stat.h>

#include "support/test_support.h"

namespace fs = std::filesystem;

namespace {

const fs::path GOLDEN_ROOT = fs::path(VEX_SOURCE_DIR) / "tests" / "golden";

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size())
        text.replace(at, from.size(), to);
    return text;
}

std::vector<std::string> words(const std::string& line) {
    std::istringstream s(line);
    std::vector<std::string> out;
    for (std::string w; s >> w;)
        out.push_back(w);
    return out;
}

std::string unified_diff(const fs::path& expected, const std::string& actual) {
    const fs::path actual_file = fs::temp_directory_path() / "vexprepro-golden-actual";
    std::ofstream(actual_file, std::ios::binary) << actual;
    std::string command = "diff -u '" + expected.string() + "' '" + actual_file.string() + "'";
    return shell(command).text;
}

void compare(const fs::path& expected, const std::string& actual) {
    if (std::getenv("VEX_UPDATE_GOLDEN")) {
        std::ofstream(expected, std::ios::binary) << actual;
        return;
    }
    ASSERT_TRUE(fs::exists(expected)) << expected;
    EXPECT_TRUE(slurp(expected) == actual) << unified_diff(expected, actual);
}

class Golden : public testing::TestWithParam<std::string> {};

}  // namespace

TEST_P(Golden, DriverAndInstrumentationFilesAreAsExpected) {
    const fs::path source = GOLDEN_ROOT / GetParam();
    const fs::path dir = fs::temp_directory_path() / ("vexprepro-golden-" + GetParam());
    fs::remove_all(dir);
    fs::create_directories(dir);
    for (const auto& entry : fs::directory_iterator(source)) {
        const std::string name = entry.path().filename().string();
        if (name == "command" || name.rfind("expected.", 0) == 0)
            continue;
        fs::copy_file(entry.path(), dir / name);
        const timespec times[2] = {{1700000000, 0}, {1700000000, 0}};
        utimensat(AT_FDCWD, (dir / name).c_str(), times, 0);
    }
    std::istringstream command(replaced(slurp(source / "command"), "@DIR@", dir.string()));
    std::string line;
    std::getline(command, line);
    std::vector<std::string> args = words(line);
    args.insert(args.begin(), {"-G", "C++"});
    for (const auto& [option, value] : {std::pair{"-O", "driver.cc"}, {"-OTI", "driver.oti"},
                                        {"-TDF", "driver.tdf"}})
        if (std::find(args.begin(), args.end(), option) == args.end())
            args.insert(args.end(), {option, value});
    std::vector<std::string> env = {"XRLTGT="};
    while (std::getline(command, line))
        if (!line.empty())
            env.push_back(line);
    const ProcessResult r = run_vexprepro(args, dir.string(), nullptr, env);
    ASSERT_EQ(r.status, 0) << r.err;
    const auto output = [&](const char* option) {
        for (std::size_t i = 0; i + 1 < args.size(); ++i)
            if (args[i] == option)
                return fs::path(args[i + 1]).is_absolute() ? fs::path(args[i + 1]) : dir / args[i + 1];
        return fs::path();
    };
    compare(source / "expected.driver", slurp(output("-O")));
    compare(source / "expected.oti", slurp(output("-OTI")));
    fs::remove_all(dir);
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
