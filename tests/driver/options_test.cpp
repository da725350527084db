// tests/driver/options_test.cpp: the options record's defaults and its release.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "driver/options.h"
#include "errors/report.h"
#include "fi/names.h"
#include "support/test_support.h"

TEST(Options, DefaultsAreTheDocumentedOnes) {
    TempDir dir;
    unsetenv("XRLTGT");
    RunState run;
    const Options* o = the_options;
    ASSERT_NE(o, nullptr);
    EXPECT_EQ(o->source_files, nullptr);
    EXPECT_EQ(o->file_table, nullptr);
    EXPECT_EQ(o->file_count, 0);
    EXPECT_EQ(o->target_language, 555);
    EXPECT_STREQ(o->version, "8.0.1.2.343.015");
    ASSERT_NE(o->feature_name, nullptr);
    EXPECT_STRNE(o->feature_name, "");
    EXPECT_STREQ(o->tool_title, "C++ Test Compiler");
    EXPECT_EQ(o->current_dir, intern(std::filesystem::current_path().string() + "/"));
    EXPECT_EQ(o->target_dir, nullptr);
    EXPECT_EQ(o->output_name, nullptr);
    EXPECT_EQ(o->oti_name, nullptr);
    EXPECT_EQ(o->tdf_name, nullptr);
    EXPECT_EQ(o->log_name, nullptr);
    EXPECT_EQ(o->output_file, nullptr);
    EXPECT_EQ(o->oti_file, nullptr);
    EXPECT_EQ(o->log_file, nullptr);
    EXPECT_EQ(o->max_errors, 30u);
    EXPECT_FALSE(o->no_line_directives);
    EXPECT_FALSE(o->no_path);
    EXPECT_EQ(o->capture_text, nullptr);
    EXPECT_EQ(run.diagnostics, "");
}

TEST(Options, TargetDirectoryComesFromXrltgt) {
    setenv("XRLTGT", "/opt/tarvelo/target", 1);
    {
        RunState run;
        EXPECT_EQ(the_options->target_dir, intern("/opt/tarvelo/target"));
    }
    setenv("XRLTGT", "", 1);
    {
        RunState run;
        EXPECT_EQ(the_options->target_dir, nullptr);
    }
    unsetenv("XRLTGT");
}

TEST(Options, ReleaseClearsTheGlobalRecord) {
    RunState run;
    Options* o = the_options;
    append_source_file("a.otd");
    add_file_record(1, intern("/d/"), intern("a.otd"), 0);
    release_options(o);
    EXPECT_EQ(the_options, nullptr);
    release_options(nullptr);  // accepted
    // RunState's destructor finds no record and releases the rest.
}

TEST(Options, CreateInstallsTheRecord) {
    RunState run;
    Options* first = the_options;
    release_options(first);
    Options* fresh = create_options();
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(the_options, fresh);
}
