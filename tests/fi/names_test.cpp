// tests/fi/names_test.cpp: the name table: one pointer per text (letter case and NUL
// bytes count), whole copies of long texts, many texts.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "fi/names.h"
#include "support/test_support.h"

using namespace std::string_view_literals;

TEST(Names, EqualTextsShareOnePointerAndOnlyThey) {
    RunState run;
    std::string copy = "TestClass";
    const char* a = intern(copy);
    EXPECT_EQ(a, intern("TestClass"sv));
    EXPECT_NE(a, copy.c_str());  // the table keeps its own copy
    EXPECT_NE(a, intern("testclass"sv));
    EXPECT_NE(intern("a\0b"sv), intern("a\0c"sv));
    EXPECT_NE(intern("a\0b"sv), intern("a"sv));
    EXPECT_EQ(interned_view(intern("a\0b"sv)), "a\0b"sv);
    EXPECT_EQ(intern("a\0b"sv)[3], '\0');  // stored texts are NUL-terminated
    EXPECT_EQ(intern(""sv), intern(std::string()));
    EXPECT_EQ(interned_length(intern(""sv)), 0u);
}

TEST(Names, LongAndManyTextsAreStoredWholeAndStayDistinct) {
    RunState run;
    std::string huge(3 * 1024 * 1024, 'q');
    huge[12345] = '\0';
    const char* h = intern(huge);
    EXPECT_EQ(interned_view(h), huge);
    EXPECT_EQ(intern(huge), h);
    const std::size_t before = name_table_size();
    constexpr int COUNT = 200000;
    std::vector<const char*> stored;
    for (int i = 0; i < COUNT; ++i)
        stored.push_back(intern("n" + std::to_string(i) + "n"));
    EXPECT_EQ(name_table_size(), before + COUNT);
    EXPECT_EQ(std::set<const char*>(stored.begin(), stored.end()).size(), std::size_t{COUNT});
    for (int i = 0; i < COUNT; i += 997)
        EXPECT_EQ(intern("n" + std::to_string(i) + "n"), stored[static_cast<std::size_t>(i)]);
}
