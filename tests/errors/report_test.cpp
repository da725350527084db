// tests/errors/report_test.cpp: the catalogue, labels, locations, the error limit and
// the one-pass substitution of report_error.
#include <gtest/gtest.h>

#include <vector>

#include "driver/options.h"
#include "errors/report.h"
#include "support/test_support.h"

namespace {

struct Expected {
    int number;
    const char* label;
    const char* text;
};

// The catalogue as it must print (message 40 does not exist).
const Expected CATALOGUE[] = {
    {0, "fatal:", "internal error: %1"},
    {1, "fatal:", "out of memory"},
    {2, "lexical error:", "Not enough memory to allocate another token."},
    {3, "lexical error:", "Not enough memory to reallocate the token `%1'."},
    {4, "lexical error:", "Not enough memory to create the token `%1'."},
    {5, "lexical error:", "Not enough memory to create the token `%1 %2'."},
    {6, "lexical error:", "Not enough memory to create the hash token `%1'."},
    {7, "lexical error:", "Not enough memory to create the hash token `%1 %2'."},
    {8, "lexical error:", "Error while seeking in the file before `%1'."},
    {9, "lexical error:", "The use of `%1' is not allowed here."},
    {10, "lexical error:", "`%1' expected instead of `%2'."},
    {11, "lexical error:", "`%1' or '%2' expected instead of `%3'."},
    {12, "lexical error:", "`%1', '%2' or '%3' expected instead of `%4'."},
    {13, "lexical error:", "Correct native expression expected."},
    {14, "syntax error:", "`%1' expected instead of `%2'."},
    {15, "syntax error:", "`%1' or '%2' expected instead of `%3'."},
    {16, "syntax error:", "`%1', '%2' or '%3' expected instead of `%4'."},
    {17, "syntax error:", "`%1', '%2', '%3', or '%4' expected instead of `%5'."},
    {18, "syntax error:", "`%1' name expected instead of `%2'."},
    {19, "syntax error:", "`%1' or '%2' name expected instead of `%3'."},
    {20, "syntax error:", "`%1', '%2' or '%3' name expected instead of `%4'."},
    {21, "syntax error:", "`%1' expression expected instead of `%2'."},
    {22, "syntax error:", "Error while seeking in the file before `%1'."},
    {23, "syntax error:", "`%1' is not %2 component."},
    {24, "syntax error:", "Not enough memory to allocate another token."},
    {25, "syntax error:", "%1 `%2' not expected."},
    {26, "syntax error:", "Cannot create list of parameters `(%1)'."},
    {27, "syntax error:", "`%1' not expected now."},
    {28, "semantic error:", "The %1 component is already defined in this block."},
    {29, "semantic error:", "The %1 component `%2' is already defined in this block."},
    {30, "semantic error:", "Unable to resolve the %1 `%2'."},
    {31, "semantic error:", "The TEST CLASS `%1' could not inherit from itself."},
    {32, "semantic error:", "Component `%1' not found, while resolving `%2'."},
    {33, "semantic error:", "Too %1 parameters in `%2'."},
    {34, "semantic error:", "`%1' must be a brother of `%2' while resolving `%3'."},
    {35, "semantic error:", "The file `%1' has already been included."},
    {36, "semantic error:",
     "While resolving the TEST CLASS `%1', an inheritance cycle was found in `%2' ."},
    {37, "semantic error:", "While resolving the RUN of `%1', an execution cycle was found."},
    {38, "semantic error:", "While resolving the CALL of `%1', a PROC cycle was found."},
    {39, "semantic error:",
     "The reflexive transition `%1' is not allowed (automatically generated)."},
    {41, "lexical error:", "Not enough memory to reallocate the buffer `%1'."},
    {42, "error:", "Cannot open `%1'."},
    {43, "error:", "Cannot create `%1'."},
    {44, "error:", "Cannot close `%1'."},
    {45, "error:", "Cannot initialize internal form."},
    {46, "error:", "Error while building %1 `%2' node."},
    {47, "error:", "Not enough memory to allocate filename `%1'."},
    {48, "error:", "Unknown token `%1' in internal form."},
    {49, "error:", "Trying to resolve a NULL pointer."},
    {50, "error:", "Not enough free memory available."},
    {51, "error:", "Label `%1' not found."},
    {52, "error:", "Cannot open `%1', too many files open."},
    {53, "error:", "Too many errors."},
    {54, "error:", "Cannot open `%1', not a correct Object Testing source file."},
    {55, "error:",
     "Cannot open `%1', only one OTD source file must be passed on the command line."},
    {56, "error:", "`%1' is not a good parameter for the `%2' option."},
    {57, "error:", "One argument is needed for the `%1' option."},
    {58, "error:", "The maximum number of errors can range from 1 to 30000."},
    {59, "error:", "OTD or OTC source files must be specified on the command line."},
    {60, "error:", "The `%1' option must be specified."},
    {61, "error:", "The `%1' option must be specified only once."},
    {62, "fatal:", "(unexpected error)"},
};

QString q(const char* text) { return QString::fromUtf8(text); }

}  // namespace

TEST(Report, EveryMessageHasItsLabelAndTemplate) {
    for (const Expected& e : CATALOGUE) {
        RunState run;
        the_options->report.max_errors = 100;
        report_error(e.number);
        EXPECT_EQ(run.diagnostics, std::string("vexprepro - ") + e.label + " " + e.text + "\n")
            << "message " << e.number;
        ASSERT_NE(message_template(e.number), nullptr);
        EXPECT_STREQ(message_template(e.number), e.text);
    }
}

TEST(Report, CatalogueHasSixtyTwoMessagesAndNoFortieth) {
    EXPECT_EQ(std::size(CATALOGUE), 62u);
    EXPECT_EQ(message_template(40), nullptr);
    EXPECT_EQ(message_template(-1), nullptr);
    EXPECT_EQ(message_template(63), nullptr);
}

namespace {

struct ReportRow {
    int number;
    Location where;
    std::vector<MessageArg> args;  // up to five
    const char* printed;
};

}  // namespace

// Locations print as "file:line: ", "file: " or nothing; every argument fills its
// placeholder in one pass, absent ones consume none, and argument texts are not rescanned.
TEST(Report, LocationsAndArgumentsFillTheTemplate) {
    const ReportRow reports[] = {
        {MSG_EXPECTED, {"suite.otd", 12}, {q("{"), q("TEST")},
         "vexprepro - syntax error: suite.otd:12: `{' expected instead of `TEST'.\n"},
        {MSG_CANNOT_OPEN, {"sub/x.otd", 0}, {q("x.otd")},
         "vexprepro - error: sub/x.otd: Cannot open `x.otd'.\n"},
        {MSG_OPTION_MISSING, {}, {q("-G")},
         "vexprepro - error: The `-G' option must be specified.\n"},
        {MSG_NO_MEMORY_HASH_TOKEN, {}, {},
         "vexprepro - lexical error: Not enough memory to create the hash token `%1'.\n"},
        {MSG_MAX_ERRORS_RANGE, {}, {q("a"), q("b")},
         "vexprepro - error: The maximum number of errors can range from 1 to 30000.\n"},
        {MSG_EXPECTED, {}, {std::nullopt, q("x")},
         "vexprepro - syntax error: `x' expected instead of `%2'.\n"},
        {MSG_EXPECTED_4, {}, {q("a"), q("b"), q("c"), q("d"), q("e")},
         "vexprepro - syntax error: `a', 'b', 'c', or 'd' expected instead of `e'.\n"},
        {MSG_EXPECTED, {"a.otd", 3}, {q("%2"), q("x")},
         "vexprepro - syntax error: a.otd:3: `%2' expected instead of `x'.\n"},
        {MSG_EXPECTED, {"a.otd", 4}, {q("y"), q("%1")},
         "vexprepro - syntax error: a.otd:4: `y' expected instead of `%1'.\n"},
        {MSG_ALREADY_DEFINED_NAMED, {"a.otd", 5}, {q("%1%2"), q("100%")},
         "vexprepro - semantic error: a.otd:5: The %1%2 component `100%' is already defined in "
         "this block.\n"},
    };
    for (const ReportRow& r : reports) {
        RunState run;
        std::vector<MessageArg> a = r.args;
        a.resize(5);
        report_error(r.number, r.where, a[0], a[1], a[2], a[3], a[4]);
        EXPECT_EQ(run.diagnostics, r.printed);
        EXPECT_EQ(error_count, 1u);
    }
}

TEST(Report, SubstitutionFillsEveryOccurrenceOfTheRankedPlaceholder) {
    QString a = q("A"), b = q("B"), c = q("C");
    const QString* args[] = {&a, &b, &c};
    EXPECT_EQ(substitute_arguments(q("%3 then %1, %3 again, %7 unused"), args, 2),
              q("B then A, B again, %7 unused"));
    EXPECT_EQ(substitute_arguments(q("%2%2 %5 %12 %%1"), args, 3), q("BB C %12 %A"));
    EXPECT_EQ(substitute_arguments(q("no placeholder"), args, 3), q("no placeholder"));
    EXPECT_EQ(substitute_arguments(q("%0 %1 100%"), args, 1), q("%0 A 100%"));
    EXPECT_EQ(substitute_arguments(q("%1 %2"), args, 0), q("%1 %2"));
    EXPECT_EQ(substitute_arguments(q("%\xd9\xa1 %1"), args, 1),
        q("%\xd9\xa1 A"));  // ASCII digits only
}

// Past the limit one "Too many errors." takes the next message's location; the rest are
// counted, not printed. Without an options record the limit is 30.
TEST(Report, TheLimitReplacesTheNextErrorAndSilencesTheRest) {
    for (unsigned limit : {1u, 30u, 0u}) {
        RunState run;
        Options* saved = the_options;
        if (limit == 0)
            the_options = nullptr;
        else
            the_options->report.max_errors = limit;
        for (int i = 1; i <= 45; ++i)
            report_error(MSG_LABEL_NOT_FOUND, Location{"x.otd", i}, QString::number(i));
        the_options = saved;
        const unsigned shown = limit ? limit : 30;
        std::string expected;
        for (unsigned i = 1; i <= shown; ++i)
            expected += "vexprepro - error: x.otd:" + std::to_string(i) + ": Label `" +
                        std::to_string(i) + "' not found.\n";
        expected +=
            "vexprepro - error: x.otd:" + std::to_string(shown + 1) + ": Too many errors.\n";
        EXPECT_EQ(run.diagnostics, expected) << limit;
        EXPECT_EQ(error_count, 45u);
    }
}
