// tests/errors/output_files_test.cpp: open_output_file with its mode codes and log
// lines, and the checked closes (a failed write is never a success).
#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

#include "driver/options.h"
#include "errors/report.h"
#include "support/test_support.h"

namespace {

bool have_dev_full() { return access("/dev/full", W_OK) == 0; }

}  // namespace

TEST(OutputFiles, LogsEveryCreatedFileWithItsTag) {
    TempDir dir;
    RunState run;
    the_options->log_file = open_output_file("run.log", MODE_LOG);
    ASSERT_NE(the_options->log_file, nullptr);
    const std::pair<const char*, int> files[] = {
        {"x.otd01.tsf", MODE_TSF}, {"x.otd01.ots", MODE_OTS},
        {"out/../driver.cc", MODE_DRIVER}, {"inst.oti", MODE_OTI}};
    std::filesystem::create_directory("out");
    for (auto [name, mode] : files) {
        FILE* f = open_output_file(name, mode);
        ASSERT_NE(f, nullptr) << name;
        std::fputs("text\n", f);
        EXPECT_EQ(close_output_file(f, name), 0);
    }
    EXPECT_EQ(close_output_file(the_options->log_file, "run.log"), 0);
    the_options->log_file = nullptr;
    EXPECT_EQ(dir.read("run.log"),
              "TSF x.otd01.tsf\nOTS x.otd01.ots\nCPP out/../driver.cc\nOTI inst.oti\n");
    EXPECT_EQ(dir.read("driver.cc"), "text\n");
    EXPECT_EQ(run.diagnostics, "");
    EXPECT_EQ(error_count, 0u);
}

TEST(OutputFiles, WritingTruncatesAnExistingFile) {
    TempDir dir;
    RunState run;
    dir.write("a.cc", "old contents that are long\n");
    FILE* f = open_output_file("a.cc", MODE_DRIVER);
    ASSERT_NE(f, nullptr);
    std::fputs("new\n", f);
    EXPECT_EQ(close_output_file(f, "a.cc"), 0);
    EXPECT_EQ(dir.read("a.cc"), "new\n");
}

TEST(OutputFiles, NothingIsLoggedWhenTheOpenFails) {
    TempDir dir;
    RunState run;
    the_options->log_file = open_output_file("run.log", MODE_LOG);
    EXPECT_EQ(open_output_file("missing-dir/a.cc", MODE_DRIVER), nullptr);
    EXPECT_EQ(open_output_file("a.cc", 999), nullptr);  // not a mode of the table
    EXPECT_EQ(open_output_file(nullptr, MODE_OTS), nullptr);
    EXPECT_EQ(close_output_file(the_options->log_file, "run.log"), 0);
    the_options->log_file = nullptr;
    EXPECT_EQ(dir.read("run.log"), "");
    EXPECT_FALSE(dir.exists("a.cc"));
    EXPECT_EQ(error_count, 0u);  // the caller reports message 43, not the open
}

TEST(OutputFiles, TheLogIsAppendedTo) {
    TempDir dir;
    RunState run;
    dir.write("run.log", "TSF earlier.tsf\n");
    for (int i = 0; i < 2; ++i) {
        the_options->log_file = open_output_file("run.log", MODE_LOG);
        ASSERT_NE(the_options->log_file, nullptr);
        FILE* f = open_output_file("b.ots", MODE_OTS);
        EXPECT_EQ(close_output_file(f, "b.ots"), 0);
        EXPECT_EQ(close_output_file(the_options->log_file, "run.log"), 0);
        the_options->log_file = nullptr;
    }
    EXPECT_EQ(dir.read("run.log"), "TSF earlier.tsf\nOTS b.ots\nOTS b.ots\n");
}

TEST(OutputFiles, NoLogLineWithoutAnOpenLog) {
    TempDir dir;
    RunState run;
    FILE* f = open_output_file("c.tsf", MODE_TSF);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(close_output_file(f, "c.tsf"), 0);
    EXPECT_TRUE(dir.exists("c.tsf"));
}

TEST(OutputFiles, AFailedWriteIsReportedWhenClosing) {
    if (!have_dev_full())
        GTEST_SKIP() << "/dev/full is not available";
    TempDir dir;
    RunState run;
    std::filesystem::create_symlink("/dev/full", "full.cc");
    FILE* f = open_output_file("full.cc", MODE_DRIVER);
    ASSERT_NE(f, nullptr);
    std::fputs("int main() { return 0; }\n", f);  // buffered: fails at the flush
    EXPECT_EQ(close_output_file(f, "full.cc"), -1);
    EXPECT_EQ(run.diagnostics, "vexprepro - error: Cannot create `full.cc'.\n");
    EXPECT_EQ(error_count, 1u);
}

TEST(OutputFiles, AFailedLargeWriteIsReportedOnce) {
    if (!have_dev_full())
        GTEST_SKIP() << "/dev/full is not available";
    TempDir dir;
    RunState run;
    std::filesystem::create_symlink("/dev/full", "big.ots");
    FILE* f = open_output_file("big.ots", MODE_OTS);
    ASSERT_NE(f, nullptr);
    std::string block(1 << 20, 'x');  // larger than the buffer: the write itself fails
    std::fwrite(block.data(), 1, block.size(), f);
    EXPECT_EQ(close_output_file(f, "big.ots"), -1);
    EXPECT_EQ(run.diagnostics, "vexprepro - error: Cannot create `big.ots'.\n");
    EXPECT_EQ(error_count, 1u);
}

TEST(OutputFiles, AFailedLogWriteNamesTheLog) {
    if (!have_dev_full())
        GTEST_SKIP() << "/dev/full is not available";
    TempDir dir;
    RunState run;
    std::filesystem::create_symlink("/dev/full", "full.log");
    the_options->log_file = open_output_file("full.log", MODE_LOG);
    ASSERT_NE(the_options->log_file, nullptr);
    FILE* f = open_output_file("ok.tsf", MODE_TSF);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(close_output_file(f, "ok.tsf"), 0);
    EXPECT_EQ(close_output_file(the_options->log_file, "full.log"), -1);
    the_options->log_file = nullptr;
    EXPECT_EQ(run.diagnostics, "vexprepro - error: Cannot create `full.log'.\n");
}

TEST(OutputFiles, ClosingNothingIsAccepted) {
    RunState run;
    EXPECT_EQ(close_output_file(nullptr, "none"), 0);
    EXPECT_EQ(close_file(nullptr), 0);
    EXPECT_EQ(run.diagnostics, "");
}

TEST(OutputFiles, CloseFileClosesAReadFile) {
    TempDir dir;
    dir.write("s.otd", "RUN x;\n");
    FILE* f = std::fopen("s.otd", "rb");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(close_file(f), 0);
}
