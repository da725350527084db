// tests/driver/command_line_test.cpp: the option classifier and the command-line parser,
// in process: every rule, message and the order of the checks.
#include <gtest/gtest.h>

#include <vector>

#include "driver/command_line.h"
#include "driver/options.h"
#include "errors/report.h"
#include "fi/names.h"
#include "support/test_support.h"

namespace {

// Parses "vexprepro" followed by `args`; the strings outlive the call.
int parse(std::vector<std::string> args) {
    static std::vector<std::string> kept;
    kept = std::move(args);
    kept.insert(kept.begin(), "vexprepro");
    std::vector<char*> argv;
    for (std::string& a : kept)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    return parse_command_line(static_cast<int>(kept.size()), argv.data());
}

std::vector<std::string> with_required(std::vector<std::string> extra) {
    std::vector<std::string> args = {"s.otd", "-G", "C++", "-O", "d.cc", "-OTI", "i.oti",
                                     "-TDF", "t.tdf"};
    args.insert(args.end(), extra.begin(), extra.end());
    return args;
}

std::string message(const std::string& text) { return "vexprepro - error: " + text + "\n"; }

std::vector<std::string> source_names() {
    std::vector<std::string> names;
    for (SourceFile* s = the_options->source_files; s; s = s->next)
        names.emplace_back(s->name);
    return names;
}

}  // namespace

TEST(CommandLine, ClassifiesOptionsInAnyLetterCase) {
    EXPECT_EQ(classify_option("-G"), OPTION_G);
    EXPECT_EQ(classify_option("-g"), OPTION_G);
    EXPECT_EQ(classify_option("-O"), OPTION_O);
    EXPECT_EQ(classify_option("-oti"), OPTION_OTI);
    EXPECT_EQ(classify_option("-Tdf"), OPTION_TDF);
    EXPECT_EQ(classify_option("-e"), OPTION_E);
    EXPECT_EQ(classify_option("-NoDLine"), OPTION_NODLINE);
    EXPECT_EQ(classify_option("-nopath"), OPTION_NOPATH);
    EXPECT_EQ(classify_option("-veldor_log"), OPTION_VELDOR_LOG);
    EXPECT_EQ(classify_option("-X"), OPTION_SOURCE);
    EXPECT_EQ(classify_option("-"), OPTION_SOURCE);
    EXPECT_EQ(classify_option(""), OPTION_SOURCE);
    EXPECT_EQ(classify_option("-OT"), OPTION_SOURCE);
    EXPECT_EQ(classify_option("G"), OPTION_SOURCE);
    EXPECT_EQ(classify_option("suite.otd"), OPTION_SOURCE);
}

TEST(CommandLine, AcceptsACompleteCommandLine) {
    RunState run;
    ASSERT_EQ(parse(with_required({"-E", "12", "-NODLINE", "-NOPATH", "-VELDOR_LOG", "v.log",
                                   "c.otc"})),
              0);
    EXPECT_EQ(run.diagnostics, "");
    EXPECT_EQ(source_names(), (std::vector<std::string>{"s.otd", "c.otc"}));
    EXPECT_EQ(the_options->target_language, LANGUAGE_CPP);
    EXPECT_STREQ(the_options->output_name, "d.cc");
    EXPECT_STREQ(the_options->oti_name, "i.oti");
    EXPECT_STREQ(the_options->tdf_name, "t.tdf");
    EXPECT_STREQ(the_options->log_name, "v.log");
    EXPECT_EQ(the_options->max_errors, 12u);
    EXPECT_TRUE(the_options->no_line_directives);
    EXPECT_TRUE(the_options->no_path);
    EXPECT_EQ(error_count, 0u);
}

TEST(CommandLine, AcceptsLowerCaseOptions) {
    RunState run;
    EXPECT_EQ(parse({"-g", "c++", "-o", "d.cc", "-oti", "i.oti", "-tdf", "t.tdf", "a.otd"}), 0);
    EXPECT_EQ(run.diagnostics, "");
    EXPECT_FALSE(the_options->no_path);
    EXPECT_EQ(the_options->max_errors, 30u);
}

TEST(CommandLine, RejectsAnotherLanguage) {
    RunState run;
    EXPECT_EQ(parse(with_required({"-g", "JAVA"})), -1);
    EXPECT_EQ(run.diagnostics, message("`JAVA' is not a good parameter for the `-g' option."));
    EXPECT_EQ(error_count, 1u);
}

TEST(CommandLine, AFinalOptionNeedsItsValue) {
    {
        RunState run;
        EXPECT_EQ(parse({"a.otd", "-o"}), -1);
        EXPECT_EQ(run.diagnostics, message("One argument is needed for the `-o' option."));
    }
    {
        RunState run;
        EXPECT_EQ(parse(with_required({"-E"})), -1);
        EXPECT_EQ(run.diagnostics, message("One argument is needed for the `-E' option."));
    }
    {
        RunState run;
        EXPECT_EQ(parse({"-VELDOR_log"}), -1);
        EXPECT_EQ(run.diagnostics,
                  message("One argument is needed for the `-VELDOR_log' option."));
    }
}

TEST(CommandLine, ValuesAreTakenLiterallyEvenWithADash) {
    RunState run;
    ASSERT_EQ(parse({"a.otd", "-G", "C++", "-O", "-OTI", "-OTI", "-O", "-TDF", "-E"}), 0);
    EXPECT_STREQ(the_options->output_name, "-OTI");
    EXPECT_STREQ(the_options->oti_name, "-O");
    EXPECT_STREQ(the_options->tdf_name, "-E");
    EXPECT_EQ(source_names(), (std::vector<std::string>{"a.otd"}));
}

TEST(CommandLine, MaxErrorsBounds) {
    struct Case {
        const char* value;
        unsigned accepted;  // 0: rejected with message 58
    };
    const Case cases[] = {
        {"0", 0},          {"30001", 0},       {"-1", 0},        {"1", 1},
        {"30000", 30000},  {"12abc", 12},      {"  +7", 7},      {"abc", 0},
        {"", 0},           {"-0", 0},          {"4294967297", 0}, {"4294967296", 0},
        {"99999999999999999999", 0},           {"18446744073709551617", 0},
        {"000000000000000000000000025", 25},   {"-4294967295", 0},
    };
    for (const Case& c : cases) {
        RunState run;
        int result = parse(with_required({"-E", c.value}));
        if (c.accepted) {
            EXPECT_EQ(result, 0) << c.value;
            EXPECT_EQ(the_options->max_errors, c.accepted) << c.value;
            EXPECT_EQ(run.diagnostics, "") << c.value;
        } else {
            EXPECT_EQ(result, -1) << c.value;
            EXPECT_EQ(the_options->max_errors, 30u) << c.value;
            EXPECT_EQ(run.diagnostics,
                      message("The maximum number of errors can range from 1 to 30000."))
                << c.value;
        }
    }
}

TEST(CommandLine, UnknownDashArgumentsAreSourceFiles) {
    RunState run;
    EXPECT_EQ(parse(with_required({"-X", "--help", ""})), 0);
    EXPECT_EQ(source_names(), (std::vector<std::string>{"s.otd", "-X", "--help", ""}));
}

TEST(CommandLine, NoArgumentsMeansNoSourceFile) {
    RunState run;
    EXPECT_EQ(parse({}), -1);
    EXPECT_EQ(run.diagnostics,
              message("OTD or OTC source files must be specified on the command line."));
}

TEST(CommandLine, ChecksRunInTheirOrder) {
    struct Case {
        std::vector<std::string> args;
        const char* text;
    };
    const Case cases[] = {
        {{"-G", "C++", "-G", "C++"}, "OTD or OTC source files must be specified on the command line."},
        {{"a.otd", "-O", "o", "-O", "o"}, "The `-G' option must be specified."},
        {{"a.otd", "-G", "C++", "-g", "c++"}, "The `-G' option must be specified only once."},
        {{"a.otd", "-G", "C++", "-OTI", "i", "-OTI", "i"}, "The `-O' option must be specified."},
        {{"a.otd", "-G", "C++", "-O", "o", "-o", "p"}, "The `-O' option must be specified only once."},
        {{"a.otd", "-G", "C++", "-O", "o", "-TDF", "t"}, "The `-OTI' option must be specified."},
        {{"a.otd", "-G", "C++", "-O", "o", "-OTI", "i", "-oti", "j"},
         "The `-OTI' option must be specified only once."},
        {{"a.otd", "-G", "C++", "-O", "o", "-OTI", "i", "-E", "1", "-E", "2"},
         "The `-TDF' option must be specified."},
        {{"a.otd", "-G", "C++", "-O", "o", "-OTI", "i", "-TDF", "t", "-tdf", "u"},
         "The `-TDF' option must be specified only once."},
        {{"a.otd", "-G", "C++", "-O", "o", "-OTI", "i", "-TDF", "t", "-E", "1", "-e", "2",
          "-VELDOR_LOG", "a", "-VELDOR_LOG", "b"},
         "The `-E' option must be specified only once."},
        {{"a.otd", "-G", "C++", "-O", "o", "-OTI", "i", "-TDF", "t", "-veldor_log", "a",
          "-VELDOR_LOG", "b"},
         "The `-VELDOR_LOG' option must be specified only once."},
    };
    for (const Case& c : cases) {
        RunState run;
        EXPECT_EQ(parse(c.args), -1) << c.text;
        EXPECT_EQ(run.diagnostics, message(c.text));
        EXPECT_EQ(error_count, 1u);
    }
}

TEST(CommandLine, FlagsMayBeRepeated) {
    RunState run;
    EXPECT_EQ(parse(with_required({"-NOPATH", "-nopath", "-NODLINE", "-nodline"})), 0);
    EXPECT_EQ(run.diagnostics, "");
}

TEST(CommandLine, TheFirstFailureOfTheWalkWins) {
    RunState run;
    EXPECT_EQ(parse({"-G", "java", "-E", "0"}), -1);
    EXPECT_EQ(run.diagnostics, message("`java' is not a good parameter for the `-G' option."));
    EXPECT_EQ(error_count, 1u);
}

TEST(CommandLine, AcceptsMegabyteArguments) {
    RunState run;
    std::string source(1 << 20, 's');
    source += ".otd";
    std::string output(1 << 20, 'o');
    ASSERT_EQ(parse({source, "-G", "C++", "-O", output, "-OTI", "i", "-TDF", "t"}), 0);
    EXPECT_EQ(source_names(), (std::vector<std::string>{source}));
    EXPECT_EQ(std::string(the_options->output_name), output);
}

TEST(CommandLine, EmptyValuesAreKept) {
    RunState run;
    ASSERT_EQ(parse({"", "-G", "c++", "-O", "", "-OTI", "", "-TDF", ""}), 0);
    EXPECT_STREQ(the_options->output_name, "");
    EXPECT_EQ(source_names(), (std::vector<std::string>{""}));
}

TEST(CommandLine, AnEmptyLanguageIsRejected) {
    RunState run;
    EXPECT_EQ(parse({"a.otd", "-G", ""}), -1);
    EXPECT_EQ(run.diagnostics, message("`' is not a good parameter for the `-G' option."));
}
