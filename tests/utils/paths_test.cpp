// tests/utils/paths_test.cpp: file-name operations, path normalisation,
// display names and reading whole scripts.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "errors/report.h"
#include "fi/names.h"
#include "support/test_support.h"
#include "utils/paths.h"

namespace {

// The current directory as the kernel reports it, with the separator.
std::string cwd() { return std::filesystem::current_path().string() + "/"; }

}  // namespace

TEST(Paths, JoinPathInsertsOneSeparator) {
    EXPECT_EQ(join_path("dir", "x.otd"), "dir/x.otd");
    EXPECT_EQ(join_path("dir/", "x.otd"), "dir/x.otd");
    EXPECT_EQ(join_path("dir\\", "x.otd"), "dir\\x.otd");
    EXPECT_EQ(join_path("", "x.otd"), "/x.otd");
}

TEST(Paths, EndsWithSeparatorCountsBothSlashes) {
    EXPECT_TRUE(ends_with_separator("a/"));
    EXPECT_TRUE(ends_with_separator("a\\"));
    EXPECT_FALSE(ends_with_separator("a"));
    EXPECT_FALSE(ends_with_separator(""));
}

TEST(Paths, DirectoryOfEndsWithASeparator) {
    EXPECT_EQ(directory_of("a.otd"), "./");
    EXPECT_EQ(directory_of("sub/a.otd"), "sub/");
    EXPECT_EQ(directory_of("/a.otd"), "/");
    EXPECT_EQ(directory_of("/x/y/z.otd"), "/x/y/");
    EXPECT_EQ(directory_of("../z.otd"), "../");
    EXPECT_EQ(directory_of(""), "./");
}

TEST(Paths, FileNameOfIsTheLastComponent) {
    EXPECT_EQ(file_name_of("a.otd"), "a.otd");
    EXPECT_EQ(file_name_of("/x/y/z.otd"), "z.otd");
    EXPECT_EQ(file_name_of("sub/"), "");
    EXPECT_EQ(file_name_of(""), "");
}

TEST(Paths, RelativeMeansNotFromTheRoot) {
    EXPECT_TRUE(is_relative_path("a.otd"));
    EXPECT_TRUE(is_relative_path("./a"));
    EXPECT_TRUE(is_relative_path("../a"));
    EXPECT_FALSE(is_relative_path("/a"));
}

TEST(Paths, CurrentDirectoryEndsWithTheSeparator) {
    TempDir dir;
    RunState run;
    EXPECT_EQ(current_directory(), cwd());
    const char* interned = current_directory_interned();
    ASSERT_NE(interned, nullptr);
    EXPECT_EQ(interned, intern(cwd()));
    EXPECT_EQ(error_count, 0u);
}

TEST(Paths, SplitGivesTheSameDirectoryFromAnyStartingPoint) {
    TempDir dir;
    RunState run;
    const char *d1, *b1, *d2, *b2, *d3, *b3;
    ASSERT_EQ(split_script_path(nullptr, "sub/b.otd", &d1, &b1), 0);
    std::string sub = cwd() + "sub/";
    const char* base = intern(sub);
    ASSERT_EQ(split_script_path(base, "b.otd", &d2, &b2), 0);
    ASSERT_EQ(split_script_path(base, "./../sub/./b.otd", &d3, &b3), 0);
    EXPECT_EQ(std::string(d1), sub);
    EXPECT_EQ(d1, d2);  // interned: the same pointer
    EXPECT_EQ(d1, d3);
    EXPECT_EQ(b1, b2);
    EXPECT_EQ(std::string(b1), "b.otd");
}

TEST(Paths, SplitOfABareNameIsTheBaseDirectory) {
    TempDir dir;
    RunState run;
    const char *d, *b;
    ASSERT_EQ(split_script_path(nullptr, "suite.otd", &d, &b), 0);
    EXPECT_EQ(std::string(d), cwd());
    EXPECT_EQ(std::string(b), "suite.otd");
    ASSERT_EQ(split_script_path("/base/dir/", "x.otc", &d, &b), 0);
    EXPECT_EQ(std::string(d), "/base/dir/");
    ASSERT_EQ(split_script_path("/base/dir", "x.otc", &d, &b), 0);  // no final separator
    EXPECT_EQ(std::string(d), "/base/dir/");
}

TEST(Paths, SplitCleansAbsolutePaths) {
    RunState run;
    const char *d, *b;
    ASSERT_EQ(split_script_path("/ignored/", "/a/b/../c/./d.otd", &d, &b), 0);
    EXPECT_EQ(std::string(d), "/a/c/");
    EXPECT_EQ(std::string(b), "d.otd");
    ASSERT_EQ(split_script_path(nullptr, "/x.otd", &d, &b), 0);
    EXPECT_EQ(std::string(d), "/");
    ASSERT_EQ(split_script_path(nullptr, "/../../x.otd", &d, &b), 0);
    EXPECT_EQ(std::string(d), "/");
    ASSERT_EQ(split_script_path(nullptr, "//a///b//x.otd", &d, &b), 0);
    EXPECT_EQ(std::string(d), "/a/b/");
    ASSERT_EQ(split_script_path("/base/", "../up.otd", &d, &b), 0);
    EXPECT_EQ(std::string(d), "/");
    EXPECT_EQ(error_count, 0u);
}

TEST(Paths, SplitAnchorsARelativeBaseAtTheCurrentDirectory) {
    TempDir dir;
    RunState run;
    const char *d, *b;
    ASSERT_EQ(split_script_path("rel", "x.otd", &d, &b), 0);
    EXPECT_EQ(std::string(d), cwd() + "rel/");
}

TEST(Paths, SplitOfAnEmptyNameGivesAnEmptyBaseName) {
    TempDir dir;
    RunState run;
    const char *d, *b;
    ASSERT_EQ(split_script_path(nullptr, "", &d, &b), 0);
    EXPECT_EQ(std::string(d), cwd());
    EXPECT_EQ(std::string(b), "");
}

TEST(Paths, DisplayNameDropsTheCurrentDirectory) {
    TempDir dir;
    RunState run;
    std::string here = cwd();
    EXPECT_EQ(std::string(display_name(intern(here), intern("suite.otd"))), "suite.otd");
    EXPECT_EQ(std::string(display_name(intern(here + "sub/"), intern("x.otd"))), "sub/x.otd");
    EXPECT_EQ(std::string(display_name(intern("/elsewhere/"), intern("y.otd"))),
              "/elsewhere/y.otd");
    // A sibling directory that merely starts with the same letters keeps its full name.
    std::string sibling = here.substr(0, here.size() - 1) + "x/";
    EXPECT_EQ(std::string(display_name(intern(sibling), intern("z.otd"))), sibling + "z.otd");
    // Interned: equal display names are one pointer.
    EXPECT_EQ(display_name(intern(here), intern("suite.otd")), intern("suite.otd"));
}

TEST(Paths, DisplayNameComparesWithRegardToCase) {
    TempDir dir;
    RunState run;
    std::string upper = cwd();
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (upper == cwd())
        GTEST_SKIP() << "the temporary directory has no letters";
    EXPECT_EQ(std::string(display_name(intern(upper), intern("a.otd"))), upper + "a.otd");
}

TEST(Paths, ClassifiesScriptsByEndingInAnyCase) {
    EXPECT_EQ(classify_script("a.otd"), SCRIPT_OTD);
    EXPECT_EQ(classify_script("a.OTD"), SCRIPT_OTD);
    EXPECT_EQ(classify_script("a.Stb"), SCRIPT_OTD);
    EXPECT_EQ(classify_script("dir.x/a.dcl"), SCRIPT_OTD);
    EXPECT_EQ(classify_script("a.otc"), SCRIPT_OTC);
    EXPECT_EQ(classify_script("a.OTC"), SCRIPT_OTC);
    EXPECT_EQ(classify_script("a"), SCRIPT_NONE);
    EXPECT_EQ(classify_script("-X"), SCRIPT_NONE);
    EXPECT_EQ(classify_script(""), SCRIPT_NONE);
    EXPECT_EQ(classify_script("a.otd.bak"), SCRIPT_NONE);
    EXPECT_EQ(classify_script("otd"), SCRIPT_NONE);
}

TEST(Paths, NumberedNameHasAtLeastTwoDigits) {
    RunState run;
    EXPECT_EQ(std::string(numbered_name("x.otd", 3, ".tsf")), "x.otd03.tsf");
    EXPECT_EQ(std::string(numbered_name("x.otd", 123, ".ots")), "x.otd123.ots");
    EXPECT_EQ(std::string(numbered_name("", 0, "")), "00");
    EXPECT_EQ(numbered_name("a", 7, ".ots"), intern("a07.ots"));
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

TEST(Paths, ReadsAWholeScriptWithItsTime) {
    TempDir dir;
    RunState run;
    std::string bytes("TEST CLASS A {\0\r\n}\n", 19);
    dir.write("sub/a.otd", bytes);
    struct stat st {};
    ASSERT_EQ(stat("sub/a.otd", &st), 0);
    std::string read;
    std::time_t mtime = 0;
    ASSERT_EQ(read_script_file(intern(cwd() + "sub/"), intern("a.otd"), &read, &mtime), 0);
    EXPECT_EQ(read, bytes);
    EXPECT_EQ(mtime, st.st_mtime);
}

TEST(Paths, ReadsAnEmptyAndALargeScript) {
    TempDir dir;
    RunState run;
    dir.write("empty.otd", "");
    std::string big(3 * 1024 * 1024 + 17, 'x');
    dir.write("big.otd", big);
    std::string read = "stale";
    std::time_t mtime = 0;
    ASSERT_EQ(read_script_file(intern(cwd()), intern("empty.otd"), &read, &mtime), 0);
    EXPECT_EQ(read, "");
    ASSERT_EQ(read_script_file(intern(cwd()), intern("big.otd"), &read, &mtime), 0);
    EXPECT_EQ(read, big);
}

TEST(Paths, ReadFailsForMissingFilesAndDirectories) {
    TempDir dir;
    RunState run;
    std::filesystem::create_directory("folder.otd");
    std::string read;
    std::time_t mtime = 0;
    EXPECT_EQ(read_script_file(intern(cwd()), intern("missing.otd"), &read, &mtime), -1);
    EXPECT_EQ(read_script_file(intern(cwd()), intern("folder.otd"), &read, &mtime), -1);
    EXPECT_EQ(read_script_file(intern(cwd()), intern(""), &read, &mtime), -1);
    EXPECT_EQ(error_count, 0u);  // reports nothing: the reader does
}

TEST(Paths, ReadFailsForAnEndlessOrOversizedFile) {
    TempDir dir;
    RunState run;
    std::string read;
    std::time_t mtime = 0;
    if (access("/dev/zero", R_OK) == 0) {
        std::filesystem::create_symlink("/dev/zero", "zero.otd");
        EXPECT_EQ(read_script_file(intern(cwd()), intern("zero.otd"), &read, &mtime), -1);
        EXPECT_EQ(read, "");
    }
    // A sparse file just past the limit is refused before any byte is read.
    FILE* f = std::fopen("huge.otd", "wb");
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(ftruncate(fileno(f), static_cast<off_t>(MAX_SCRIPT_BYTES + 1)), 0);
    std::fclose(f);
    EXPECT_EQ(read_script_file(intern(cwd()), intern("huge.otd"), &read, &mtime), -1);
}

TEST(Paths, ReadFailsForAnUnreadableFile) {
    if (geteuid() == 0)
        GTEST_SKIP() << "root reads files whatever their mode";
    TempDir dir;
    RunState run;
    dir.write("secret.otd", "RUN x;\n");
    std::filesystem::permissions("secret.otd", std::filesystem::perms::none);
    std::string read;
    std::time_t mtime = 0;
    EXPECT_EQ(read_script_file(intern(cwd()), intern("secret.otd"), &read, &mtime), -1);
}
