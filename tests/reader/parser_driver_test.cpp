// Parse driver: script kinds, file numbers, INCLUDE and the refusals around them.
#include <gtest/gtest.h>

#include "fi/files.h"
#include "parser_test_util.h"

TEST(ParseDriver, SecondOtdScriptOnTheCommandLineIsRefusedAndCounted) {
    ScriptDir s;
    s.write("a.otd", "TEST SUITE A { }\n");
    s.write("b.stb", "TEST SUITE B { }\n");
    s.write("c.otd", "TEST SUITE C { }\n");
    EXPECT_EQ(s.read("a.otd"), 0);
    EXPECT_EQ(s.read("b.stb"), -1);
    EXPECT_EQ(s.read("c.otd"), -1);
    EXPECT_EQ(s.tree(), "TEST SUITE 'A' #2 L1-1 d0\n");
    EXPECT_EQ(s.run.diagnostics,
              "vexprepro - error: Cannot open `b.stb', only one OTD source file must be passed "
              "on the command line.\n"
              "vexprepro - error: Cannot open `c.otd', only one OTD source file must be passed "
              "on the command line.\n");
    EXPECT_EQ(otd_file_count, 3);
    EXPECT_EQ(the_options->file_count, 1);
}

TEST(ParseDriver, OtherEndingIsRefusedWithoutUsingAFileNumber) {
    ScriptDir s;
    s.write("notes.txt", "TEST SUITE A { }\n");
    s.write("a.otd", "TEST SUITE A { }\n");
    EXPECT_EQ(s.read("notes.txt"), -1);
    EXPECT_EQ(s.read("a.otd"), 0);
    EXPECT_EQ(s.run.diagnostics,
              "vexprepro - error: Cannot open `notes.txt', not a correct Object Testing source "
              "file.\n");
    ASSERT_NE(find_file_record(1), nullptr);
    EXPECT_STREQ(find_file_record(1)->file, "a.otd");
    EXPECT_STREQ(find_file_record(1)->ots_name, "a.otd01.ots");
}

TEST(ParseDriver, EmptyScriptGetsARecordAndNoComponents) {
    ScriptDir s;
    s.write("empty.otd", "");
    EXPECT_EQ(s.read("empty.otd"), 0);
    EXPECT_EQ(s.tree(), "");
    EXPECT_EQ(s.run.diagnostics, "");
    EXPECT_EQ(the_options->file_count, 1);
    ASSERT_NE(find_file_record(1), nullptr);
    EXPECT_STREQ(find_file_record(1)->file, "empty.otd");
}

TEST(ParseDriver, MissingFileAndDirectoryCannotBeOpened) {
    ScriptDir s;
    s.write("dir.otc/inner.otc", "");
    EXPECT_EQ(s.read("missing.otd"), -1);
    EXPECT_EQ(s.read("dir.otc"), -1);
    EXPECT_EQ(s.run.diagnostics,
              "vexprepro - error: Cannot open `missing.otd'.\n"
              "vexprepro - error: Cannot open `dir.otc'.\n");
    EXPECT_EQ(the_options->file_count, 0);
}

TEST(ParseDriver, IncludedComponentsFollowTheIncludeWithTheirOwnFileNumber) {
    ScriptDir s;
    s.write("main.otd", "INCLUDE \"l\\ib.otd\";\nTEST SUITE M { }\n");
    s.write("lib.otd", "TEST SUITE L { }\n");
    EXPECT_EQ(s.read("main.otd"), 0);
    EXPECT_EQ(s.tree(),
              "INCLUDE 'lib.otd' #2 L1-1 d0\n"
              "TEST SUITE 'L' #3 L1-1 d0\n"
              "TEST SUITE 'M' #4 L2-2 d0\n");
    EXPECT_EQ(s.run.diagnostics, "");
    const Component* include = s.run.root->first_child;
    EXPECT_EQ(include->file_no, 1);
    EXPECT_EQ(include->next_sibling->file_no, 2);
    EXPECT_STREQ(include->next_sibling->display_file, "lib.otd");
    EXPECT_EQ(s.run.root->last_child->file_no, 1);  // restored after the include
    EXPECT_EQ(current_file_number, 1);
}

TEST(ParseDriver, SameFileIncludedTwiceIsRefusedAtTheSecondInclude) {
    ScriptDir s;
    s.write("main.otd", "INCLUDE \"lib.otd\";\nINCLUDE \"lib.otd\";\n");
    s.write("lib.otd", "TEST SUITE L { }\n");
    s.read("main.otd");
    EXPECT_EQ(s.run.diagnostics,
              "vexprepro - semantic error: main.otd:2: The file `lib.otd' has already been "
              "included.\n");
    EXPECT_EQ(the_options->file_count, 2);
}

TEST(ParseDriver, IncludeRefusedWhenAnotherFileAlreadyIncludedIt) {
    ScriptDir s;
    s.write("main.otd", "INCLUDE \"a.otd\";\nINCLUDE \"b.otd\";\n");
    s.write("a.otd", "TEST SUITE A { }\n");
    s.write("b.otd", "\n\nINCLUDE \"a.otd\";\n");
    s.read("main.otd");
    EXPECT_EQ(s.run.diagnostics,
              "vexprepro - semantic error: b.otd:3: The file `a.otd' has already been "
              "included.\n");
}

TEST(ParseDriver, ScriptIncludingItselfIsRefused) {
    ReadResult r = read_one("self.otd", "TEST SUITE S { }\nINCLUDE \"self.otd\";\n");
    EXPECT_EQ(r.diagnostics,
              "vexprepro - semantic error: self.otd:2: The file `self.otd' has already been "
              "included.\n");
}

TEST(ParseDriver, IncludeCycleEndsAtTheFirstRepeatedFile) {
    ScriptDir s;
    s.write("a.otd", "INCLUDE \"b.otd\";\n");
    s.write("b.otd", "INCLUDE \"a.otd\";\n");
    s.read("a.otd");
    EXPECT_EQ(s.run.diagnostics,
              "vexprepro - semantic error: b.otd:1: The file `a.otd' has already been "
              "included.\n");
    EXPECT_EQ(the_options->file_count, 2);
}

TEST(ParseDriver, SubdirectoryPathAndPlainNameFromInsideItAreTheSameFile) {
    ScriptDir s;
    s.write("main.otd", "INCLUDE \"sub/b.otd\";\nINCLUDE \"sub/a.otd\";\n");
    s.write("sub/a.otd", "INCLUDE \"b.otd\";\n");
    s.write("sub/b.otd", "TEST SUITE B { }\n");
    s.read("main.otd");
    EXPECT_EQ(s.run.diagnostics,
              "vexprepro - semantic error: sub/a.otd:1: The file `b.otd' has already been "
              "included.\n");
}

TEST(ParseDriver, DottedPathsNameTheSameFileAsTheCleanOne) {
    ScriptDir s;
    s.write("main.otd", "INCLUDE \"sub/../lib.otd\";\nINCLUDE \"./lib.otd\";\n");
    s.write("lib.otd", "TEST SUITE L { }\n");
    s.read("main.otd");
    EXPECT_EQ(s.run.diagnostics,
              "vexprepro - semantic error: main.otd:2: The file `lib.otd' has already been "
              "included.\n");
}

TEST(ParseDriver, CommandLineScriptIncludedLaterIsRefused) {
    ScriptDir s;
    s.write("c.otc", "CLASS C { }\n");
    s.write("main.otd", "INCLUDE \"c.otc\";\n");
    EXPECT_EQ(s.read("c.otc"), 0);
    EXPECT_EQ(s.read("main.otd"), 0);
    EXPECT_EQ(s.run.diagnostics,
              "vexprepro - semantic error: main.otd:1: The file `c.otc' has already been "
              "included.\n");
}

TEST(ParseDriver, ScriptIncludedFirstAndNamedOnTheCommandLineLaterIsReadTwice) {
    ScriptDir t;
    t.write("c.otc", "CLASS C { }\n");
    t.write("main.otd", "INCLUDE \"c.otc\";\n");
    EXPECT_EQ(t.read("main.otd"), 0);
    EXPECT_EQ(t.read("c.otc"), 0);
    EXPECT_EQ(t.tree(),
              "INCLUDE 'c.otc' #2 L1-1 d0\n"
              "CLASS 'C' #3 L1-1 d0\n"
              "CLASS 'C' #4 L1-1 d0\n");
    EXPECT_EQ(t.run.root->last_child->file_no, 3);
    EXPECT_EQ(t.run.diagnostics, "");
}

TEST(ParseDriver, FileWithoutConstructsCanBeIncludedTwice) {
    ScriptDir s;
    s.write("main.otd", "INCLUDE \"empty.stb\";\nINCLUDE \"empty.stb\";\n");
    s.write("empty.stb", "// nothing here\n");
    s.read("main.otd");
    EXPECT_EQ(s.run.diagnostics, "");
    EXPECT_EQ(the_options->file_count, 3);
}

TEST(ParseDriver, MissingOrDirectoryIncludeIsReportedAndReadingGoesOn) {
    ScriptDir s;
    s.write("main.otd",
            "INCLUDE \"gone.otd\";\nINCLUDE \"folder.otd\";\nINCLUDE \"notes.txt\";\n"
            "TEST SUITE S { }\n");
    s.write("folder.otd/x", "");
    s.read("main.otd");
    EXPECT_EQ(s.run.diagnostics,
              "vexprepro - error: Cannot open `gone.otd'.\n"
              "vexprepro - error: Cannot open `folder.otd'.\n"
              "vexprepro - error: Cannot open `notes.txt', not a correct Object Testing source "
              "file.\n");
    EXPECT_EQ(s.run.root->last_child->name, std::string_view("S"));
}

TEST(ParseDriver, IncludeChainDeeperThanTheLimitIsRefused) {
    ScriptDir s;
    const int files = MAX_INCLUDE_DEPTH + 5;
    for (int i = 0; i < files; ++i)
        s.write("f" + std::to_string(i) + ".otd",
                "INCLUDE \"f" + std::to_string(i + 1) + ".otd\";\n");
    s.read("f0.otd");
    std::string last = std::to_string(MAX_INCLUDE_DEPTH);
    std::string refused = std::to_string(MAX_INCLUDE_DEPTH + 1);
    EXPECT_EQ(s.run.diagnostics, "vexprepro - error: f" + last + ".otd:1: Cannot open `f" +
                                     refused + ".otd', too many files open.\n");
    EXPECT_EQ(the_options->file_count, MAX_INCLUDE_DEPTH + 1);
}

TEST(ParseDriver, OtdScriptMayIncludeContractScript) {
    ScriptDir s;
    s.write("main.otd", "INCLUDE \"c.otc\";\n");
    s.write("c.otc", "CLASS C { INVARIANT (ok); }\n");
    s.read("main.otd");
    EXPECT_EQ(s.tree(),
              "INCLUDE 'c.otc' #2 L1-1 d0\n"
              "CLASS 'C' #3 L1-1 d0\n"
              "  INVARIANT 'ok' #4 L1-1 d1\n");
    EXPECT_EQ(s.run.diagnostics, "");
}
