// Hostile and odd input: every case ends with its diagnostics, never a crash or hang.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

#include "fi/names.h"
#include "parser_test_util.h"

static std::size_t count_lines(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

TEST(ReaderInput, NulByteEndsTheBodyItStandsIn) {
    ReadResult r = read_one("z.otd", std::string("TEST SUITE S {\n\0\n}\n", 19));
    EXPECT_EQ(r.tree, "TEST SUITE 'S' #2 L1-2 d0\n");
    EXPECT_EQ(r.diagnostics,
              "vexprepro - lexical error: z.otd:2: The use of `\\0' is not allowed here.\n"
              "vexprepro - syntax error: z.otd:3: `}' is not an `OTD script' component.\n");
}

TEST(ReaderInput, NulByteInAnIncludeNameRefusesTheInclude) {
    ReadResult r = read_one("i.otd", std::string("INCLUDE \"i.otd\0x.otd\";\n", 23));
    EXPECT_EQ(r.tree, "");
    EXPECT_EQ(r.diagnostics,
              "vexprepro - lexical error: i.otd:1: The use of `\\0' is not allowed here.\n"
              "vexprepro - syntax error: i.otd:1: `;' is not an `OTD script' component.\n");
}

TEST(ReaderInput, BinaryGarbageGivesAtMostTheAllowedNumberOfMessages) {
    std::string bytes;
    std::uint32_t seed = 12345;
    for (int i = 0; i < 65536; ++i) {
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

TEST(ReaderInput, TenMegabyteStringAndNativeBlockAreKeptWhole) {
    const std::size_t size = 10u << 20;
    std::string big(size, 'x');
    ScriptDir s;
    s.write("big.otd", "#{" + big + "}#\nTEST SUITE S { TEST CASE C { CHECK \"" + big +
                           "\" (1); } }\n");
    s.read("big.otd");
    EXPECT_EQ(s.run.diagnostics, "");
    const Component* block = s.run.root->first_child;
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(block->kind, KIND_NATIVE_BLOCK);
    EXPECT_EQ(interned_length(block->name), size);
    const Component* check = block->next_sibling->first_child->first_child;
    ASSERT_NE(check, nullptr);
    EXPECT_EQ(interned_length(check_detail(check)->label), size);
}

TEST(ReaderInput, HundredThousandNestedSuitesAreRefusedPastTheLimit) {
    const int levels = 100000;
    std::string text;
    for (int i = 0; i < levels; ++i)
        text += "TEST SUITE s {\n";
    for (int i = 0; i < levels; ++i)
        text += "}\n";
    ScriptDir s;
    s.write("deep.otd", text);
    EXPECT_EQ(s.read("deep.otd"), 0);
    std::uint32_t refused = levels - (MAX_NESTING_DEPTH + 1);
    EXPECT_EQ(error_count, refused * 3 + refused);  // 27, 23, 23 per level; one 23 per "}"
    EXPECT_EQ(count_lines(s.run.diagnostics), 31u);
    std::string first = std::to_string(MAX_NESTING_DEPTH + 2);
    EXPECT_EQ(s.run.diagnostics.substr(0, s.run.diagnostics.find('\n') + 1),
              "vexprepro - syntax error: deep.otd:" + first +
                  ": `TEST SUITE' not expected now.\n");
}
