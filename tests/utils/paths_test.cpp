// tests/utils/paths_test.cpp: script paths split and cleaned, display names, script kinds
// by ending, environment values and the size limit on scripts. (Reading scripts and
// naming listings are seen through the reader and listing cases.)
#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

#include "errors/report.h"
#include "fi/names.h"
#include "support/test_support.h"
#include "utils/paths.h"

namespace {

// The current directory as the kernel reports it, with the separator.
std::string cwd() { return std::filesystem::current_path().string() + "/"; }

struct SplitRow {
    const char* base;  // nullptr: the current directory
    const char* path;
    std::string dir, name;
};

}  // namespace

// Relative paths start at the base (itself anchored at the current directory), "." and
// ".." and repeated separators are cleaned away, ".." above the root is dropped; equal
// directories are one interned pointer.
TEST(Paths, SplitCleansThePathAndAnchorsItAtTheBase) {
    TempDir dir;
    RunState run;
    const std::string here = cwd(), sub = here + "sub/";
    const SplitRow rows[] = {
        {nullptr, "suite.otd", here, "suite.otd"},
        {nullptr, "sub/b.otd", sub, "b.otd"},
        {nullptr, "", here, ""},
        {"rel", "x.otd", here + "rel/", "x.otd"},
        {"/base/dir/", "x.otc", "/base/dir/", "x.otc"},
        {"/base/dir", "x.otc", "/base/dir/", "x.otc"},
        {"/base/", "../up.otd", "/", "up.otd"},
        {"/ignored/", "/a/b/../c/./d.otd", "/a/c/", "d.otd"},
        {nullptr, "/x.otd", "/", "x.otd"},
        {nullptr, "/../../x.otd", "/", "x.otd"},
        {nullptr, "//a///b//x.otd", "/a/b/", "x.otd"},
        {sub.c_str(), "./../sub/./b.otd", sub, "b.otd"},
    };
    for (const SplitRow& row : rows) {
        const char *d = nullptr, *b = nullptr;
        ASSERT_EQ(split_script_path(row.base ? intern(row.base) : nullptr, row.path, &d, &b), 0);
        EXPECT_EQ(d, intern(row.dir)) << row.path;
        EXPECT_EQ(b, intern(row.name)) << row.path;
    }
    EXPECT_EQ(error_count, 0u);
}

TEST(Paths, DisplayNamesDropTheCurrentDirectoryOnly) {
    TempDir dir;
    RunState run;
    const std::string here = cwd();
    std::string upper = here;  // another directory where letter case matters
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const std::string sibling = here.substr(0, here.size() - 1) + "x/";  // shares a prefix
    const std::pair<std::string, std::string> rows[] = {
        {here, "suite.otd"},           {here + "sub/", "sub/x.otd"},
        {"/elsewhere/", "/elsewhere/x.otd"}, {sibling, sibling + "x.otd"},
        {upper, upper + "x.otd"},
    };
    for (const auto& [directory, shown] : rows) {
        const std::string file = shown.substr(shown.find_last_of('/') + 1);
        EXPECT_EQ(display_name(intern(directory), intern(file)), intern(shown)) << directory;
    }
}

TEST(Paths, TheScriptKindComesFromTheEndingInAnyCase) {
    const std::pair<const char*, int> rows[] = {
        {"a.otd", SCRIPT_OTD}, {"a.OTD", SCRIPT_OTD},  {"a.Stb", SCRIPT_OTD},
        {"dir.x/a.dcl", SCRIPT_OTD}, {"a.otc", SCRIPT_OTC}, {"a.OTC", SCRIPT_OTC},
        {"a", SCRIPT_NONE},    {"-X", SCRIPT_NONE},   {"", SCRIPT_NONE},
        {"a.otd.bak", SCRIPT_NONE}, {"otd", SCRIPT_NONE},
    };
    for (const auto& [name, kind] : rows)
        EXPECT_EQ(classify_script(name), kind) << name;
}

TEST(Paths, EnvironmentValueIsNoneWhenUnsetOrEmpty) {
    RunState run;
    unsetenv("VEX_TEST_VARIABLE");
    EXPECT_EQ(environment_value("VEX_TEST_VARIABLE"), nullptr);
    setenv("VEX_TEST_VARIABLE", "", 1);
    EXPECT_EQ(environment_value("VEX_TEST_VARIABLE"), nullptr);
    setenv("VEX_TEST_VARIABLE", "/opt/target", 1);
    EXPECT_EQ(environment_value("VEX_TEST_VARIABLE"), intern("/opt/target"));
    unsetenv("VEX_TEST_VARIABLE");
}

// A sparse file just past the limit is refused before any byte is read.
TEST(Paths, AScriptPastTheSizeLimitIsRefused) {
    TempDir dir;
    RunState run;
    FILE* f = std::fopen("huge.otd", "wb");
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(ftruncate(fileno(f), static_cast<off_t>(MAX_SCRIPT_BYTES + 1)), 0);
    std::fclose(f);
    std::string read;
    std::time_t mtime = 0;
    EXPECT_EQ(read_script_file(intern(cwd()), intern("huge.otd"), &read, &mtime), -1);
    EXPECT_EQ(read, "");
    EXPECT_EQ(error_count, 0u);  // reports nothing: the reader does
}
