// tests/driver/cli_test.cpp: the real vexprepro as a process: banner, command-line
// messages with the usage text, set-up failures, the log, bad inputs and the summary.
#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

#include "support/test_support.h"

namespace {

const std::string BANNER =
    "\nTarvelo C++ Test Compiler 8.0.1.2.343.015\n"
    "Copyright (C) Tarvelo Software. All rights reserved.\n\n";

const std::string USAGE =
    "\nUsage : vexprepro <SourceFiles>\n"
    "                  -G <GeneratedCode>\n"
    "                  -O <GeneratedFile>\n"
    "                  -OTI <InstrumentationFile>\n"
    "                  -TDF <DynamicFile>\n"
    "                  [-E <NumberOfErrors>]\n"
    "                  [-NODLINE]\n"
    "                  [-NOPATH]\n"
    "                  [-VELDOR_LOG <VeldorLogFile>]\n"
    "\n"
    "  <SourceFiles>         : OTD or OTC source files (.otd, .stb, .dcl or .otc).\n"
    "  <GeneratedCode>       : C++.\n"
    "  <GeneratedFile>       : Name of the generated source file (.cc).\n"
    "  <InstrumentationFile> : Name of the instrumentation file (.oti).\n"
    "  <DynamicFile>         : Name of the dynamic file (.tdf).\n"
    "  <NumberOfErrors>      : Maximum number of errors allowed.\n"
    "  <VeldorLogFile>       : Name of the Veldor log file (.log).\n"
    "\n";

std::string summary(int count) {
    return "\n----------------------------------\n"
           "C++ Test Compiler message : " + std::to_string(count) + " Error(s) detected\n"
           "----------------------------------\n\n";
}

std::string error(const std::string& text) { return "vexprepro - error: " + text + "\n"; }

// English whatever the environment the tests run in.
const std::vector<std::string> ENGLISH = {"LC_ALL=C"};

ProcessResult run_in(const TempDir& dir, const std::vector<std::string>& args) {
    return run_vexprepro(args, dir.path, nullptr, ENGLISH);
}

// The required options around `extra`; the script is an empty OTC script.
std::vector<std::string> command(std::vector<std::string> extra) {
    std::vector<std::string> args = {"-G", "C++", "-O", "d.cc", "-OTI", "i.oti", "-TDF", "t.tdf"};
    args.insert(args.end(), extra.begin(), extra.end());
    return args;
}

void expect_rejected(const std::vector<std::string>& args, const std::string& message) {
    TempDir dir;
    ProcessResult r = run_in(dir, args);
    EXPECT_EQ(r.err, BANNER + error(message) + USAGE);
    EXPECT_EQ(r.status, 255);
    EXPECT_EQ(r.out, "");
}

}  // namespace

TEST(Cli, NoArgumentsAsksForSourceFiles) {
    expect_rejected({}, "OTD or OTC source files must be specified on the command line.");
}

TEST(Cli, EveryCommandLineMessageIsFollowedByTheUsage) {
    expect_rejected({"a.otc", "-G", "JAVA"}, "`JAVA' is not a good parameter for the `-G' option.");
    expect_rejected({"a.otc", "-o"}, "One argument is needed for the `-o' option.");
    expect_rejected(command({"a.otc", "-E"}), "One argument is needed for the `-E' option.");
    expect_rejected(command({"a.otc", "-E", "0"}),
                    "The maximum number of errors can range from 1 to 30000.");
    expect_rejected({"a.otc", "-O", "x"}, "The `-G' option must be specified.");
    expect_rejected(command({"a.otc", "-O", "again"}), "The `-O' option must be specified only once.");
}

TEST(Cli, TheFirstFailingCheckIsReported) {
    // The full order is covered in process; here: sources first, then -G, then counts.
    expect_rejected({"-G", "c++", "-G", "c++"},
                    "OTD or OTC source files must be specified on the command line.");
    expect_rejected({"a.otc", "-G", "c++", "-G", "c++", "-O", "x"},
                    "The `-G' option must be specified only once.");
    expect_rejected(command({"a.otc", "-E", "3", "-E", "4", "-VELDOR_LOG", "a", "-VELDOR_LOG", "b"}),
                    "The `-E' option must be specified only once.");
}

TEST(Cli, MaxErrorsOutOfRangeIsRejected) {
    for (const char* value : {"0", "30001", "-1", "4294967297", "99999999999999999999", "x"})
        expect_rejected(command({"a.otc", "-E", value}),
                        "The maximum number of errors can range from 1 to 30000.");
}

TEST(Cli, MaxErrorsInRangeIsAccepted) {
    for (const char* value : {"1", "30000", "12abc"}) {
        TempDir dir;
        dir.write("empty.otc", "");
        ProcessResult r = run_in(dir, command({"empty.otc", "-E", value}));
        EXPECT_EQ(r.err, BANNER) << value;
        EXPECT_EQ(r.status, 0) << value;
    }
}

TEST(Cli, ACleanRunPrintsOnlyTheBanner) {
    TempDir dir;
    dir.write("empty.otc", "");
    ProcessResult r = run_in(dir, {"-g", "c++", "-o", "d.cc", "-oti", "i.oti", "-tdf", "t.tdf",
                                   "-nodline", "-nopath", "-NOPATH", "empty.otc"});
    EXPECT_EQ(r.err, BANNER);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(dir.exists("empty.otc01.ots"));
    EXPECT_TRUE(dir.exists("empty.otc01.tsf"));
}

TEST(Cli, AnUnknownDashArgumentIsASourceFile) {
    TempDir dir;
    ProcessResult r = run_in(dir, command({"-X"}));
    EXPECT_EQ(r.err, BANNER +
                         error("Cannot open `-X', not a correct Object Testing source file.") +
                         summary(1));
    EXPECT_EQ(r.status, 255);
}

TEST(Cli, SummaryCountsEveryError) {
    TempDir dir;
    ProcessResult r = run_in(dir, command({"a.txt", "b.txt", "c.txt"}));
    EXPECT_EQ(r.err, BANNER +
                         error("Cannot open `a.txt', not a correct Object Testing source file.") +
                         error("Cannot open `b.txt', not a correct Object Testing source file.") +
                         error("Cannot open `c.txt', not a correct Object Testing source file.") +
                         summary(3));
    EXPECT_EQ(r.status, 255);
}

TEST(Cli, TheLimitCountsSilentErrorsInTheSummary) {
    TempDir dir;
    ProcessResult r = run_in(dir, command({"-E", "1", "a.txt", "b.txt", "c.txt"}));
    EXPECT_EQ(r.err, BANNER +
                         error("Cannot open `a.txt', not a correct Object Testing source file.") +
                         error("Too many errors.") + summary(3));
    EXPECT_EQ(r.status, 255);
}

TEST(Cli, MissingTarvelodirStopsBeforeTheBanner) {
    TempDir dir;
    ProcessResult r = run_vexprepro({"a.otc"}, dir.path, "", ENGLISH);
    EXPECT_EQ(r.err, "Fatal Error: please setup TARVELODIR environment variable.\n");
    EXPECT_EQ(r.status, 1);
    std::vector<std::string> empty = ENGLISH;
    empty.push_back("TARVELODIR=");
    r = run_vexprepro({"a.otc"}, dir.path, nullptr, empty);
    EXPECT_EQ(r.err, "Fatal Error: please setup TARVELODIR environment variable.\n");
    EXPECT_EQ(r.status, 1);
}

TEST(Cli, MissingLocaleDirectoryIsFatal) {
    TempDir dir;
    std::filesystem::create_directories(dir.path + "/home/lib");
    std::string home = dir.path + "/home";
    ProcessResult r = run_vexprepro({"a.otc"}, dir.path, home.c_str(), ENGLISH);
    EXPECT_EQ(r.err, "Fatal Error: directory doesn't exist '" + home + "/lib/locale'\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
}

TEST(Cli, TheLogIsAppendedAcrossRuns) {
    TempDir dir;
    dir.write("empty.otc", "");
    ProcessResult r = run_in(dir, command({"empty.otc", "-VELDOR_LOG", "run.log"}));
    EXPECT_EQ(r.err, BANNER);
    EXPECT_EQ(r.status, 0);
    // The listings come first (generation, once it runs, adds its CPP and OTI lines).
    std::string first = dir.read("run.log");
    EXPECT_EQ(first.rfind("TSF empty.otc01.tsf\nOTS empty.otc01.ots\n", 0), 0u) << first;
    r = run_in(dir, command({"empty.otc", "-VELDOR_LOG", "run.log"}));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(dir.read("run.log"), first + first);
}

TEST(Cli, AnUnopenableLogIsReported) {
    TempDir dir;
    dir.write("empty.otc", "");
    ProcessResult r = run_in(dir, command({"empty.otc", "-VELDOR_LOG", "no/such/dir/run.log"}));
    EXPECT_EQ(r.err, BANNER + error("Cannot create `no/such/dir/run.log'."));
    EXPECT_EQ(r.status, 255);
    EXPECT_FALSE(dir.exists("empty.otc01.ots"));  // nothing was read
}

TEST(Cli, AnEmptyLogNameIsReported) {
    TempDir dir;
    dir.write("empty.otc", "");
    ProcessResult r = run_in(dir, command({"empty.otc", "-VELDOR_LOG", ""}));
    EXPECT_EQ(r.err, BANNER + error("Cannot create `'."));
    EXPECT_EQ(r.status, 255);
}

TEST(Cli, ALogOnAFullDeviceIsReported) {
    if (access("/dev/full", W_OK) != 0)
        GTEST_SKIP() << "/dev/full is not available";
    TempDir dir;
    dir.write("empty.otc", "");
    std::filesystem::create_symlink("/dev/full", dir.path + "/full.log");
    ProcessResult r = run_in(dir, command({"empty.otc", "-VELDOR_LOG", "full.log"}));
    EXPECT_EQ(r.err, BANNER + error("Cannot create `full.log'.") + summary(1));
    EXPECT_EQ(r.status, 255);
}

TEST(Cli, EmptyStringArgumentsAreHandled) {
    TempDir dir;
    ProcessResult r = run_in(dir, {"", "-G", "c++", "-O", "", "-OTI", "", "-TDF", ""});
    EXPECT_EQ(r.err, BANNER +
                         error("Cannot open `', not a correct Object Testing source file.") +
                         summary(1));
    EXPECT_EQ(r.status, 255);
    expect_rejected({"a.otc", "-G", ""}, "`' is not a good parameter for the `-G' option.");
}

TEST(Cli, VeryLongArgumentsAreHandled) {
    // The kernel caps one argument at 128 KiB (MAX_ARG_STRLEN), so a megabyte is passed
    // as ten arguments of 100 KiB; parse tests cover a single 1 MiB argument in process.
    TempDir dir;
    std::vector<std::string> args = command({});
    std::string expected = BANNER;
    for (int i = 0; i < 10; ++i) {
        std::string name(100 * 1024, static_cast<char>('a' + i));
        args.push_back(name);
        expected += error("Cannot open `" + name + "', not a correct Object Testing source file.");
    }
    ProcessResult r = run_in(dir, args);
    EXPECT_EQ(r.err, expected + summary(10));
    EXPECT_EQ(r.status, 255);

    std::string script(120 * 1024, 'x');
    script += ".otc";
    r = run_in(dir, command({script}));
    EXPECT_EQ(r.err, BANNER + error("Cannot open `" + script + "'.") + summary(1));
    EXPECT_EQ(r.status, 255);
}

TEST(Cli, ADirectoryIsNotAReadableScript) {
    TempDir dir;
    std::filesystem::create_directory(dir.path + "/folder.otd");
    ProcessResult r = run_in(dir, command({"folder.otd"}));
    EXPECT_EQ(r.err, BANNER + error("Cannot open `folder.otd'.") + summary(1));
    EXPECT_EQ(r.status, 255);
}

TEST(Cli, AnEndlessScriptIsRefused) {
    if (access("/dev/zero", R_OK) != 0)
        GTEST_SKIP() << "/dev/zero is not available";
    TempDir dir;
    std::filesystem::create_symlink("/dev/zero", dir.path + "/zero.otc");
    ProcessResult r = run_in(dir, command({"zero.otc"}));
    EXPECT_EQ(r.err, BANNER + error("Cannot open `zero.otc'.") + summary(1));
    EXPECT_EQ(r.status, 255);
}

TEST(Cli, AMissingScriptIsReported) {
    TempDir dir;
    ProcessResult r = run_in(dir, command({"sub/missing.otc"}));
    EXPECT_EQ(r.err, BANNER + error("Cannot open `missing.otc'.") + summary(1));
    EXPECT_EQ(r.status, 255);
}

TEST(Cli, AnUnreadableScriptIsReported) {
    if (geteuid() == 0)
        GTEST_SKIP() << "root reads files whatever their mode";
    TempDir dir;
    dir.write("secret.otc", "");
    std::filesystem::permissions(dir.path + "/secret.otc", std::filesystem::perms::none);
    ProcessResult r = run_in(dir, command({"secret.otc"}));
    EXPECT_EQ(r.err, BANNER + error("Cannot open `secret.otc'.") + summary(1));
    EXPECT_EQ(r.status, 255);
}
