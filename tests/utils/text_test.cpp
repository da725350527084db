// tests/utils/text_test.cpp: escaping, unescaping, case-blind comparison, blank test.
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
