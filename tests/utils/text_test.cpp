// tests/utils/text_test.cpp: escaping, unescaping, case-blind comparison, blank test,
// the lexical states of C++ text and identifiers replaced in its code.
#include <gtest/gtest.h>

#include "fi/names.h"
#include "support/test_support.h"
#include "utils/text.h"

TEST(Text, EscapeAddsABackslashBeforeQuotesAndBackslashes) {
    RunState run;
    const char* original = "say \"hi\\\"";  // one quote pair and one backslash
    const char* e = escape_c_string("a\"b\\c");
    ASSERT_NE(e, nullptr);
    EXPECT_STREQ(e, "a\\\"b\\\\c");
    EXPECT_EQ(std::string(e).size(), std::string("a\"b\\c").size() + 2);
    EXPECT_EQ(e, intern("a\\\"b\\\\c"));  // interned
    EXPECT_STREQ(escape_c_string(original), "say \\\"hi\\\\\\\"");
    EXPECT_STREQ(escape_c_string(""), "");
    EXPECT_EQ(escape_c_string(nullptr), nullptr);
}

TEST(Text, UnescapeUndoesEscape) {
    RunState run;
    const char* text = "a\"b\\c";
    EXPECT_EQ(unescape_text(escape_c_string(text)), intern(text));
    EXPECT_STREQ(unescape_text("sub\\\\x.otd"), "sub\\x.otd");
    EXPECT_STREQ(unescape_text("\\n\\t"), "nt");
    EXPECT_STREQ(unescape_text("end\\"), "end");  // a final lone backslash disappears
    EXPECT_STREQ(unescape_text("plain"), "plain");
    EXPECT_EQ(unescape_text(nullptr), nullptr);
}

TEST(Text, EscapedCopiesIntoAString) {
    EXPECT_EQ(escaped("x\"y\\"), "x\\\"y\\\\");
    EXPECT_EQ(escaped(std::string_view("a\0\"", 3)), std::string("a\0\\\"", 4));
}

TEST(Text, EqualIgnoringCaseComparesAsciiLetters) {
    EXPECT_EQ(equal_ignoring_case("-nodline", "-NODLINE"), 0);
    EXPECT_EQ(equal_ignoring_case("c++", "C++"), 0);
    EXPECT_EQ(equal_ignoring_case("", ""), 0);
    EXPECT_EQ(equal_ignoring_case("-O", "-OTI"), -1);
    EXPECT_EQ(equal_ignoring_case("abc", "abd"), -1);
    EXPECT_EQ(equal_ignoring_case("[", "{"), -1);  // not letters: no case folding
}

TEST(Text, BlankMeansOnlySpacesTabsAndLineEnds) {
    EXPECT_EQ(is_blank(""), 1);
    EXPECT_EQ(is_blank(" \t\r\n \n"), 1);
    EXPECT_EQ(is_blank("a"), 0);
    EXPECT_EQ(is_blank("  x  "), 0);
    EXPECT_EQ(is_blank("\f"), 0);
}

TEST(Text, ToUtf8KeepsAsciiAndUtf8Text) {
    EXPECT_EQ(to_utf8("plain"), "plain");
    EXPECT_EQ(to_utf8("caf\xc3\xa9"), "caf\xc3\xa9");
    EXPECT_EQ(to_utf8(""), "");
}

// replace_identifier on its own: the lexical states and the identifier boundaries.
TEST(ReplaceIdentifier, ReplacesWholeIdentifiersInCodeOnly) {
    RunState run;
    struct Case {
        const char* text;
        const char* expected;
    };
    const Case cases[] = {
        {"n", "X"},
        {"n+n", "X+X"},
        {"nn n1 _n n_ a.n", "nn n1 _n n_ a.X"},
        {"\"n\" n", "\"n\" X"},
        {"\"a\\\"n\" n", "\"a\\\"n\" X"},
        {"'n' '\\'' n", "'n' '\\'' X"},
        {"/* n */ n", "/* n */ X"},
        {"/*/ n */ n", "/*/ n */ X"},
        {"// n\nn", "// n\nX"},
        {"\\n n", "\\n X"},
        {"n/**/n", "X/**/X"},
    };
    for (const Case& c : cases)
        EXPECT_STREQ(replace_identifier(intern(c.text), "n", "X"), c.expected) << c.text;
    const char* unchanged = intern("m + \"n\"");
    EXPECT_EQ(replace_identifier(unchanged, "n", "X"), unchanged);
    EXPECT_EQ(replace_identifier(unchanged, "", "X"), unchanged);
}

// The state after a whole text, stepped from code: where the next byte would stand.
TEST(Text, LexicalStepEndsInTheStateTheTextLeaves) {
    struct Case {
        const char* text;
        CodeState after;
    };
    const Case cases[] = {
        {"a = b;", CodeState::code},          {"f(\"x", CodeState::string},
        {"\"a\\\"", CodeState::string},       {"'\\''", CodeState::code},
        {"c = '", CodeState::character},      {"/* x", CodeState::block_comment},
        {"/*/", CodeState::block_comment},    {"/* x */", CodeState::code},
        {"// x", CodeState::line_comment},    {"// x\n", CodeState::code},
        {"\"/*\"", CodeState::code},          {"x \\", CodeState::code},
    };
    for (const Case& c : cases) {
        const std::string_view text = c.text;
        CodeState state = CodeState::code;
        for (std::size_t i = 0; i < text.size();)
            i += lexical_step(text, i, &state);
        EXPECT_EQ(state, c.after) << c.text;
    }
}
