// tests/driver/command_line_test.cpp: the command-line parser in process: every rule and
// message, and the order of the checks. Accepted lines are read back from the options
// record as "[source]... O=.. OTI=.. TDF=.. E=n [LOG=..] [NODLINE] [NOPATH]".
#include <gtest/gtest.h>

#include <vector>

#include "driver/command_line.h"
#include "driver/options.h"
#include "errors/report.h"
#include "support/test_support.h"

namespace {

using Args = std::vector<std::string>;

// Parses "vexprepro" followed by `args` in a fresh run; the diagnostics, or the options
// record read back when the parser accepted.
std::string parse(Args args) {
    RunState run;
    args.insert(args.begin(), "vexprepro");
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const int result = parse_command_line(static_cast<int>(args.size()), argv.data());
    if (result != 0 || !run.diagnostics.empty())
        return std::to_string(result) + " " + run.diagnostics;
    const Options& o = *the_options;
    std::string out;
    for (const SourceFile* s = o.source_files; s; s = s->next)
        out += std::string("[") + s->name + "]";
    out += std::string(" O=") + o.output_name + " OTI=" + o.oti_name + " TDF=" + o.tdf_name +
           " E=" + std::to_string(o.report.max_errors);
    if (o.log_name)
        out += std::string(" LOG=") + o.log_name;
    return out + (o.no_line_directives ? " NODLINE" : "") + (o.no_path ? " NOPATH" : "") +
           (o.values ? " VALUES" : "");
}

Args with_required(Args extra) {
    Args args = {"s.otd", "-G", "C++", "-O", "d.cc", "-OTI", "i.oti", "-TDF", "t.tdf"};
    args.insert(args.end(), extra.begin(), extra.end());
    return args;
}

const std::string REQUIRED = " O=d.cc OTI=i.oti TDF=t.tdf";

std::string rejected(const std::string& text) { return "-1 vexprepro - error: " + text + "\n"; }

const std::string RANGE = rejected("The maximum number of errors can range from 1 to 30000.");

struct Row {
    Args args;
    std::string result;
};

}  // namespace

TEST(CommandLine, AcceptsOptionsInAnyLetterCaseAndTakesValuesLiterally) {
    const Row rows[] = {
        {with_required({"-E", "12", "-NODLINE", "-NOPATH", "-VELDOR_LOG", "v.log", "c.otc", "-VALUES"}),
         "[s.otd][c.otc]" + REQUIRED + " E=12 LOG=v.log NODLINE NOPATH VALUES"},
        {{"-g", "c++", "-o", "d.cc", "-oti", "i.oti", "-Tdf", "t.tdf", "-e", "3", "-NoDLine",
          "-veldor_log", "v", "a.otd"},
         "[a.otd]" + REQUIRED + " E=3 LOG=v NODLINE"},
        {{"a.otd", "-G", "C++", "-O", "-OTI", "-OTI", "-O", "-TDF", "-E"},
         "[a.otd] O=-OTI OTI=-O TDF=-E E=30"},
        {with_required({"-NOPATH", "-nopath", "-NODLINE", "-nodline", "-values"}),
         "[s.otd]" + REQUIRED + " E=30 NODLINE NOPATH VALUES"},
        {with_required({"-X", "--help", "", "-", "-OT", "G"}),
         "[s.otd][-X][--help][][-][-OT][G]" + REQUIRED + " E=30"},
        {{"", "-G", "c++", "-O", "", "-OTI", "", "-TDF", ""}, "[] O= OTI= TDF= E=30"},
        // -E reads leading blanks and a sign, then digits up to the first other character.
        {with_required({"-E", "1"}), "[s.otd]" + REQUIRED + " E=1"},
        {with_required({"-E", "30000"}), "[s.otd]" + REQUIRED + " E=30000"},
        {with_required({"-E", "12abc"}), "[s.otd]" + REQUIRED + " E=12"},
        {with_required({"-E", "  +7"}), "[s.otd]" + REQUIRED + " E=7"},
        {with_required({"-E", "000000000000000000000000025"}), "[s.otd]" + REQUIRED + " E=25"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(parse(row.args), row.result) << row.result;
}

TEST(CommandLine, AcceptsMegabyteArguments) {
    const std::string source = std::string(1 << 20, 's') + ".otd", output(1 << 20, 'o');
    EXPECT_EQ(parse({source, "-G", "C++", "-O", output, "-OTI", "i", "-TDF", "t"}),
              "[" + source + "] O=" + output + " OTI=i TDF=t E=30");
}

// The walk stops at its first failure; then the checks run in this order: sources, -G,
// -O, -OTI, -TDF, then the options given twice.
TEST(CommandLine, RejectsWithOneMessageInTheOrderOfTheChecks) {
    const Row rows[] = {
        {{}, rejected("OTD or OTC source files must be specified on the command line.")},
        {with_required({"-g", "JAVA"}),
         rejected("`JAVA' is not a good parameter for the `-g' option.")},
        {{"a.otd", "-G", ""}, rejected("`' is not a good parameter for the `-G' option.")},
        {{"-G", "java", "-E", "0"},
         rejected("`java' is not a good parameter for the `-G' option.")},
        {{"a.otd", "-o"}, rejected("One argument is needed for the `-o' option.")},
        {with_required({"-E"}), rejected("One argument is needed for the `-E' option.")},
        {{"-VELDOR_log"}, rejected("One argument is needed for the `-VELDOR_log' option.")},
        {with_required({"-E", "0"}), RANGE},
        {with_required({"-E", "30001"}), RANGE},
        {with_required({"-E", "-1"}), RANGE},
        {with_required({"-E", "-0"}), RANGE},
        {with_required({"-E", "abc"}), RANGE},
        {with_required({"-E", ""}), RANGE},
        {with_required({"-E", "4294967296"}), RANGE},
        {with_required({"-E", "4294967297"}), RANGE},
        {with_required({"-E", "-4294967295"}), RANGE},
        {with_required({"-E", "18446744073709551617"}), RANGE},
        {with_required({"-E", "99999999999999999999"}), RANGE},
        {{"-G", "C++", "-G", "C++"},
         rejected("OTD or OTC source files must be specified on the command line.")},
        {{"a.otd", "-O", "o", "-O", "o"}, rejected("The `-G' option must be specified.")},
        {{"a.otd", "-G", "C++", "-g", "c++"},
         rejected("The `-G' option must be specified only once.")},
        {{"a.otd", "-G", "C++", "-OTI", "i", "-OTI", "i"},
         rejected("The `-O' option must be specified.")},
        {{"a.otd", "-G", "C++", "-O", "o", "-o", "p"},
         rejected("The `-O' option must be specified only once.")},
        {{"a.otd", "-G", "C++", "-O", "o", "-TDF", "t"},
         rejected("The `-OTI' option must be specified.")},
        {{"a.otd", "-G", "C++", "-O", "o", "-OTI", "i", "-oti", "j"},
         rejected("The `-OTI' option must be specified only once.")},
        {{"a.otd", "-G", "C++", "-O", "o", "-OTI", "i", "-E", "1", "-E", "2"},
         rejected("The `-TDF' option must be specified.")},
        {{"a.otd", "-G", "C++", "-O", "o", "-OTI", "i", "-TDF", "t", "-tdf", "u"},
         rejected("The `-TDF' option must be specified only once.")},
        {with_required({"-E", "1", "-e", "2", "-VELDOR_LOG", "a", "-VELDOR_LOG", "b"}),
         rejected("The `-E' option must be specified only once.")},
        {with_required({"-veldor_log", "a", "-VELDOR_LOG", "b"}),
         rejected("The `-VELDOR_LOG' option must be specified only once.")},
    };
    for (const Row& row : rows)
        EXPECT_EQ(parse(row.args), row.result) << testing::PrintToString(row.args);
}
