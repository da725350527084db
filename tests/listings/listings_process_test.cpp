// tests/listings/listings_process_test.cpp: the listings as the real tool writes them: a
// listing that cannot be created or written ends the run with an error status before any
// later phase, and none is written after a semantic error.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/test_support.h"

namespace {

const std::string BANNER =
    "\nTarvelo C++ Test Compiler 8.0.1.2.343.015\n"
    "Copyright (C) Tarvelo Software. All rights reserved.\n\n";

std::string failed_with(const std::string& message) {
    return BANNER + "vexprepro - error: " + message + "\n" +
           "\n----------------------------------\n"
           "C++ Test Compiler message : 1 Error(s) detected\n"
           "----------------------------------\n\n";
}

ProcessResult run_on(const TempDir& dir, const std::string& script) {
    return run_vexprepro({script, "-G", "C++", "-O", "d.cc", "-OTI", "i.oti", "-TDF", "t.tdf",
                          "-VELDOR_LOG", "run.log"},
                         dir.path, nullptr, {"LC_ALL=C"});
}

const std::string SCRIPT = "TEST CLASS A {\n  TEST CASE T { CHECK (1); }\n  RUN { T; }\n}\n";

}  // namespace

TEST(ListingProcess, AListingOnAFullDeviceEndsTheRunWithAnError) {
    if (!std::filesystem::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full here";
    TempDir dir;
    dir.write("suite.otd", SCRIPT);
    std::filesystem::create_symlink("/dev/full", dir.path + "/suite.otd01.tsf");
    ProcessResult r = run_on(dir, "suite.otd");
    EXPECT_EQ(r.status, 255);
    EXPECT_EQ(r.err, failed_with("Cannot create `suite.otd01.tsf'."));
    EXPECT_FALSE(dir.exists("d.cc"));
    EXPECT_FALSE(dir.exists("i.oti"));
}

TEST(ListingProcess, AListingNameTakenByADirectoryStopsBeforeTheOtherListing) {
    TempDir dir;
    dir.write("suite.otd", SCRIPT);
    std::filesystem::create_directory(dir.path + "/suite.otd01.tsf");
    ProcessResult r = run_on(dir, "suite.otd");
    EXPECT_EQ(r.status, 255);
    EXPECT_EQ(r.err, failed_with("Cannot create `suite.otd01.tsf'."));
    EXPECT_FALSE(dir.exists("suite.otd01.ots"));
    EXPECT_FALSE(dir.exists("d.cc"));
    EXPECT_EQ(dir.read("run.log"), "");
}

TEST(ListingProcess, ASemanticErrorLeavesNoListings) {
    TempDir dir;
    dir.write("suite.otd", "TEST SUITE S {\n  TEST CASE T { }\n  TEST CASE T { }\n}\n");
    ProcessResult r = run_on(dir, "suite.otd");
    EXPECT_EQ(r.status, 255);
    EXPECT_EQ(r.err, BANNER +
                         "vexprepro - semantic error: suite.otd:3: The TEST CASE component `T' "
                         "is already defined in this block.\n"
                         "\n----------------------------------\n"
                         "C++ Test Compiler message : 1 Error(s) detected\n"
                         "----------------------------------\n\n");
    EXPECT_FALSE(dir.exists("suite.otd01.ots"));
    EXPECT_FALSE(dir.exists("suite.otd01.tsf"));
}
