// tests/errors/output_files_test.cpp: what the real-tool tests cannot reach of
// open_output_file and its checked close: an existing file is truncated, and a write that
// fails at once and again at the close is reported once. (Log lines, failed opens and
// failed closes are seen through vexprepro itself in the Cli and ListingProcess tests.)
#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

#include "driver/options.h"
#include "errors/report.h"
#include "support/test_support.h"

TEST(OutputFiles, WritingTruncatesAnExistingFile) {
    TempDir dir;
    RunState run;
    dir.write("a.ots", "old contents that are long\n");
    FILE* f = open_output_file("a.ots", MODE_OTS);
    ASSERT_NE(f, nullptr);
    std::fputs("new\n", f);
    EXPECT_EQ(close_output_file(f, "a.ots"), 0);
    EXPECT_EQ(dir.read("a.ots"), "new\n");
}

TEST(OutputFiles, AFailedLargeWriteIsReportedOnce) {
    if (access("/dev/full", W_OK) != 0)
        GTEST_SKIP() << "/dev/full is not available";
    TempDir dir;
    RunState run;
    std::filesystem::create_symlink("/dev/full", "big.ots");
    FILE* f = open_output_file("big.ots", MODE_OTS);
    ASSERT_NE(f, nullptr);
    const std::string block(1 << 20, 'x');  // larger than the buffer: the write itself fails
    std::fwrite(block.data(), 1, block.size(), f);
    EXPECT_EQ(close_output_file(f, "big.ots"), -1);
    EXPECT_EQ(run.diagnostics, "vexprepro - error: Cannot create `big.ots'.\n");
    EXPECT_EQ(error_count, 1u);
}
