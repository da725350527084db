// tests/reader/parser_test.cpp: what the case directories cannot hold: the limits on
// nesting and INCLUDE depth, hostile and huge input, the columns of the spans, and the
// sample scripts under examples/ going through every phase without a message.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>

#include "fi/names.h"
#include "parser_test_util.h"

namespace {

std::size_t count_lines(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

std::string nested_suites(int levels) {
    std::string text;
    for (int i = 0; i < levels; ++i)
        text += "TEST SUITE s {\n";
    for (int i = 0; i < levels; ++i)
        text += "}\n";
    return text;
}

std::string syntax(const std::string& where, const std::string& text) {
    return "vexprepro - syntax error: deep.otd:" + where + ": " + text + "\n";
}

// "first line.column-last line.column".
std::string span_text(int first_line, int first_column, int last_line, int last_column) {
    return std::to_string(first_line) + "." + std::to_string(first_column) + "-" +
           std::to_string(last_line) + "." + std::to_string(last_column);
}
std::string span_text(const Component* c) {
    return span_text(c->first_line, c->first_column, c->last_line, c->last_column);
}
std::string span_text(const Span& s) {
    return span_text(s.first_line, s.first_column, s.last_line, s.last_column);
}

}  // namespace

TEST(Reader, NestingDeeperThanTheLimitIsRefusedAndReadingGoesOn) {
    const int levels = MAX_NESTING_DEPTH + 2;
    ScriptDir s;
    s.write("deep.otd", nested_suites(levels));
    s.read("deep.otd");
    const std::string refused = std::to_string(levels);
    EXPECT_EQ(s.run.diagnostics, syntax(refused, "`TEST SUITE' not expected now.") +
                                     syntax(refused, "`s' is not a `TEST SUITE' component.") +
                                     syntax(refused, "`{' is not a `TEST SUITE' component.") +
                                     syntax(std::to_string(2 * levels),
                                            "`}' is not an `OTD script' component."));
    int deepest = 0;
    for (const Component* c = s.run.root->first_child; c; c = c->first_child)
        deepest = c->depth;
    EXPECT_EQ(deepest, MAX_NESTING_DEPTH);
}

TEST(Reader, HundredThousandNestedSuitesAreRefusedPastTheLimit) {
    const int levels = 100000;
    ScriptDir s;
    s.write("deep.otd", nested_suites(levels));
    EXPECT_EQ(s.read("deep.otd"), 0);
    const std::uint32_t refused = levels - (MAX_NESTING_DEPTH + 1);
    EXPECT_EQ(error_count, refused * 3 + refused);  // 27, 23, 23 per level; one 23 per "}"
    EXPECT_EQ(count_lines(s.run.diagnostics), 31u);
    EXPECT_EQ(s.run.diagnostics.substr(0, s.run.diagnostics.find('\n') + 1),
              syntax(std::to_string(MAX_NESTING_DEPTH + 2), "`TEST SUITE' not expected now."));
}

TEST(Reader, IncludeChainDeeperThanTheLimitIsRefused) {
    ScriptDir s;
    for (int i = 0; i < MAX_INCLUDE_DEPTH + 5; ++i)
        s.write("f" + std::to_string(i) + ".otd",
                "INCLUDE \"f" + std::to_string(i + 1) + ".otd\";\n");
    s.read("f0.otd");
    EXPECT_EQ(s.run.diagnostics, "vexprepro - error: f" + std::to_string(MAX_INCLUDE_DEPTH) +
                                     ".otd:1: Cannot open `f" +
                                     std::to_string(MAX_INCLUDE_DEPTH + 1) +
                                     ".otd', too many files open.\n");
    EXPECT_EQ(the_options->file_count, MAX_INCLUDE_DEPTH + 1);
}

TEST(Reader, BinaryGarbageGivesAtMostTheAllowedNumberOfMessages) {
    std::string bytes;
    std::uint32_t seed = 12345;
    for (int i = 0; i < 200000; ++i) {
        seed = seed * 1103515245u + 12345u;
        bytes += static_cast<char>(seed >> 24);
    }
    ScriptDir s;
    s.write("g.otd", bytes);
    EXPECT_EQ(s.read("g.otd"), 0);
    EXPECT_GT(error_count, 30u);
    EXPECT_EQ(count_lines(s.run.diagnostics), 31u);
    EXPECT_NE(s.run.diagnostics.find("Too many errors.\n"), std::string::npos);
}

TEST(Reader, TenMegabyteStringAndNativeBlockAreKeptWhole) {
    const std::size_t size = 10u << 20;
    std::string block(size, 'x');
    for (std::size_t i = 1000; i < size; i += 1000)
        block[i] = '\n';
    const std::string label(size, 's');
    ScriptDir s;
    s.write("big.otd", "#{" + block + "}#\nTEST SUITE S { TEST CASE C { CHECK \"" + label +
                           "\" (1); } }\n");
    s.read("big.otd");
    EXPECT_EQ(s.run.diagnostics, "");
    const Component* native = s.run.root->first_child;
    ASSERT_EQ(native->kind, KIND_NATIVE_BLOCK);
    EXPECT_EQ(interned_view(native->name), block);
    const Component* suite = native->next_sibling;
    EXPECT_EQ(suite->first_line, 2 + static_cast<int>((size - 1) / 1000));
    EXPECT_EQ(interned_view(check_detail(suite->first_child->first_child)->label), label);
}

// Spans run from the keyword to the closing token; a CHECK's checked text from its
// expression (or label) to the closing parenthesis, or to the name alone; a WRAP's to
// the end of its last condition.
TEST(Reader, SpansRunFromTheKeywordToTheClosingToken) {
    ScriptDir s;
    s.write("s.otd",
            "TEST SUITE S {\n"
            "  TEST CASE C { CHECK (x); }\n"
            "  TEST CASE P {\n"
            "CHECK PROPERTY \"label\" Even(4) ;\n"
            "CHECK PROPERTY Even ;\n"
            "} }\n");
    s.write("w.otc", "CLASS R {\n  WRAP int R::size() const ENSURE (result >= 0)\n}\n");
    s.read("s.otd");
    s.read("w.otc");
    EXPECT_EQ(s.run.diagnostics, "");
    const Component* suite = s.run.root->first_child;
    const Component* check = suite->first_child->first_child;
    const Component* property = suite->last_child->first_child;
    EXPECT_EQ(span_text(suite), "1.1-6.3");
    EXPECT_EQ(suite->line, 1);  // the line of the name when it was made
    EXPECT_EQ(span_text(check), "2.17-2.26");
    EXPECT_EQ(span_text(check_detail(check)->text_span), "2.23-2.25");
    EXPECT_EQ(span_text(check_property_detail(property)->text_span), "4.16-4.30");
    EXPECT_EQ(span_text(check_property_detail(property->next_sibling)->text_span), "5.16-5.19");
    EXPECT_EQ(span_text(s.run.root->last_child->first_child), "2.3-2.47");
}

TEST(Examples, GoThroughEveryPhaseWithoutAnyMessage) {
    for (const std::vector<std::string>& scripts :
         {std::vector<std::string>{"suite.otd"},
          std::vector<std::string>{"account.otd", "account.otc"}}) {
        ScriptDir s;
        for (const char* name : {"suite.otd", "account.otd", "account_stubs.stb", "account.otc"})
            s.write(name, slurp(std::string(VEX_SOURCE_DIR) + "/examples/" + name));
        run_scripts(s.run, scripts);
        EXPECT_EQ(s.run.diagnostics, "") << scripts[0];
        EXPECT_NE(s.dir.read("driver.cc"), "") << scripts[0];
    }
}
