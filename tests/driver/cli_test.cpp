// tests/driver/cli_test.cpp: the real vexprepro as a process: banner, a command-line
// message with the usage text, set-up failures, the log, scripts it cannot read and the
// summary with the exit status. The rules of the command line are in command_line_test.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <unistd.h>

#include "support/test_support.h"

namespace fs = std::filesystem;

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
    "                  [-VALUES]\n"
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

std::string not_a_script(const std::string& name) {
    return error("Cannot open `" + name + "', not a correct Object Testing source file.");
}

// English whatever the environment the tests run in.
const std::vector<std::string> ENGLISH = {"LC_ALL=C"};

// The required options around `extra`.
std::vector<std::string> command(std::vector<std::string> extra) {
    std::vector<std::string> args = {"-G", "C++", "-O", "d.cc", "-OTI", "i.oti", "-TDF", "t.tdf"};
    args.insert(args.end(), extra.begin(), extra.end());
    return args;
}

void make_empty_script(const TempDir& dir) { dir.write("empty.otc", ""); }

void link_to(const TempDir& dir, const char* device, const char* name) {
    fs::create_symlink(device, dir.path + "/" + name);
}

struct Invocation {
    const char* what;
    std::vector<std::string> args;
    std::string err;  // all of standard error
    int status;
    std::function<void(const TempDir&)> prepare = make_empty_script;
    const char* absent = nullptr;  // a file the run must not leave
};

}  // namespace

TEST(Cli, EachRunPrintsTheBannerItsMessagesAndTheSummaryAndExitsWithItsStatus) {
    const std::string long_name(120 * 1024, 'x');  // one argument may hold 128 KiB
    const Invocation runs[] = {
        {"a clean run, options in lower case", {"-g", "c++", "-o", "d.cc", "-oti", "i.oti",
         "-tdf", "t.tdf", "-nodline", "-nopath", "empty.otc"}, BANNER, 0},
        {"no arguments", {}, BANNER + error("OTD or OTC source files must be specified on the "
                                            "command line.") + USAGE, 255},
        {"a command-line message", {"a.otc", "-G", "JAVA"},
         BANNER + error("`JAVA' is not a good parameter for the `-G' option.") + USAGE, 255},
        {"an unknown dash argument is a script", command({"-X"}),
         BANNER + not_a_script("-X") + summary(1), 255},
        {"the summary counts every error", command({"a.txt", "b.txt", "c.txt"}),
         BANNER + not_a_script("a.txt") + not_a_script("b.txt") + not_a_script("c.txt") +
             summary(3),
         255},
        {"the limit silences errors, the summary counts them",
         command({"-E", "1", "a.txt", "b.txt", "c.txt"}),
         BANNER + not_a_script("a.txt") + error("Too many errors.") + summary(3), 255},
        {"empty arguments", {"", "-G", "c++", "-O", "", "-OTI", "", "-TDF", ""},
         BANNER + not_a_script("") + summary(1), 255},
        {"a log that cannot be opened stops before reading",
         command({"empty.otc", "-VELDOR_LOG", "no/such/dir/run.log"}),
         BANNER + error("Cannot create `no/such/dir/run.log'."), 255, make_empty_script,
         "empty.otc01.ots"},
        {"an empty log name", command({"empty.otc", "-VELDOR_LOG", ""}),
         BANNER + error("Cannot create `'."), 255},
        {"a log on a full device", command({"empty.otc", "-VELDOR_LOG", "full.log"}),
         BANNER + error("Cannot create `full.log'.") + summary(1), 255,
         [](const TempDir& d) { make_empty_script(d); link_to(d, "/dev/full", "full.log"); }},
        {"a directory", command({"folder.otd"}),
         BANNER + error("Cannot open `folder.otd'.") + summary(1), 255,
         [](const TempDir& d) { fs::create_directory(d.path + "/folder.otd"); }},
        {"an endless script", command({"zero.otc"}),
         BANNER + error("Cannot open `zero.otc'.") + summary(1),
         255, [](const TempDir& d) { link_to(d, "/dev/zero", "zero.otc"); }},
        {"a missing script", command({"sub/missing.otc"}),
         BANNER + error("Cannot open `missing.otc'.") + summary(1), 255},
        {"a very long name", command({long_name + ".otc"}),
         BANNER + error("Cannot open `" + long_name + ".otc'.") + summary(1), 255},
    };
    for (const Invocation& run : runs) {
        TempDir dir;
        run.prepare(dir);
        const ProcessResult r = run_vexprepro(run.args, dir.path, nullptr, ENGLISH);
        EXPECT_EQ(r.err, run.err) << run.what;
        EXPECT_EQ(r.status, run.status) << run.what;
        EXPECT_EQ(r.out, "") << run.what;
        EXPECT_TRUE(run.status != 0 || dir.exists("d.cc")) << run.what;
        EXPECT_FALSE(run.absent && dir.exists(run.absent)) << run.what;
    }
}

TEST(Cli, AnUnreadableScriptIsReported) {
    if (geteuid() == 0)
        GTEST_SKIP() << "root reads files whatever their mode";
    TempDir dir;
    dir.write("secret.otc", "");
    fs::permissions(dir.path + "/secret.otc", fs::perms::none);
    const ProcessResult r = run_vexprepro(command({"secret.otc"}), dir.path, nullptr, ENGLISH);
    EXPECT_EQ(r.err, BANNER + error("Cannot open `secret.otc'.") + summary(1));
    EXPECT_EQ(r.status, 255);
}

// Without TARVELODIR, or without its translations directory, nothing else happens.
TEST(Cli, SetUpFailuresComeBeforeTheBannerWithStatusOne) {
    TempDir dir;
    fs::create_directories(dir.path + "/home/lib");
    const std::string home = dir.path + "/home";
    const std::string no_home = "Fatal Error: please setup TARVELODIR environment variable.\n";
    std::vector<std::string> empty = ENGLISH;
    empty.push_back("TARVELODIR=");
    for (const auto& [tarvelodir, env, err] :
         {std::tuple{"", ENGLISH, no_home}, std::tuple{(const char*)nullptr, empty, no_home},
          std::tuple{home.c_str(), ENGLISH,
                     "Fatal Error: directory doesn't exist '" + home + "/lib/locale'\n"}}) {
        const ProcessResult r = run_vexprepro({"a.otc"}, dir.path, tarvelodir, env);
        EXPECT_EQ(r.err, err);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, "");
    }
}

TEST(Cli, TheLogIsAppendedAcrossRuns) {
    TempDir dir;
    make_empty_script(dir);
    const std::vector<std::string> args = command({"empty.otc", "-VELDOR_LOG", "run.log"});
    ASSERT_EQ(run_vexprepro(args, dir.path, nullptr, ENGLISH).status, 0);
    const std::string first = dir.read("run.log");
    EXPECT_EQ(first, "TSF empty.otc01.tsf\nOTS empty.otc01.ots\nCPP d.cc\nOTI i.oti\n");
    ASSERT_EQ(run_vexprepro(args, dir.path, nullptr, ENGLISH).status, 0);
    EXPECT_EQ(dir.read("run.log"), first + first);
}
