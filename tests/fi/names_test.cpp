// tests/fi/names_test.cpp: the name table: one pointer per text, texts with NUL bytes,
// the historical bucket function, and many texts.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "fi/names.h"
#include "support/test_support.h"

using namespace std::string_view_literals;

TEST(Names, InterningTheSameTextTwiceGivesOnePointer) {
    RunState run;
    std::size_t before = name_table_size();  // the options record holds the current directory
    std::string first = "TestClass";
    std::string second = "TestClass";
    const char* a = intern(first);
    const char* b = intern(second);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a, b);
    EXPECT_NE(a, first.c_str());  // the table keeps its own copy
    EXPECT_STREQ(a, "TestClass");
    EXPECT_EQ(name_table_size(), before + 1);
}

TEST(Names, DifferentTextsGiveDifferentPointers) {
    RunState run;
    const char* a = intern("Alpha");
    const char* b = intern("alpha");  // case matters
    const char* c = intern("AlphA");
    EXPECT_NE(a, b);
    EXPECT_NE(a, c);
    EXPECT_NE(b, c);
    EXPECT_EQ(name_bucket("Alpha"), name_bucket("alpha"));
    EXPECT_EQ(name_bucket("Alpha"), name_bucket("AlphA"));
}

TEST(Names, TextsMayHoldNulBytes) {
    RunState run;
    const char* a = intern("a\0b"sv);
    const char* b = intern("a\0c"sv);
    const char* c = intern("a"sv);
    const char* d = intern("a\0b"sv);
    EXPECT_NE(a, b);
    EXPECT_NE(a, c);
    EXPECT_EQ(a, d);
    EXPECT_EQ(interned_length(a), 3u);
    EXPECT_EQ(interned_length(c), 1u);
    EXPECT_EQ(interned_view(a), "a\0b"sv);
    EXPECT_EQ(a[3], '\0');  // stored texts are NUL-terminated
}

TEST(Names, TheEmptyTextIsInternedLikeAnyOther) {
    RunState run;
    const char* e = intern("");
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e, intern(std::string()));
    EXPECT_EQ(interned_length(e), 0u);
    EXPECT_STREQ(e, "");
    EXPECT_EQ(name_bucket(""), 0);
}

TEST(Names, NullHasNoLengthAndAnEmptyView) {
    EXPECT_EQ(interned_length(nullptr), 0u);
    EXPECT_EQ(interned_view(nullptr), ""sv);
}

TEST(Names, BucketUsesFirstAndLastByteUpperCased) {
    // 'A' (65) ^ 'C' (67) = 2; 2 % 30 = 2.
    EXPECT_EQ(name_bucket("abc"), 2);
    EXPECT_EQ(name_bucket("ABC"), 2);
    EXPECT_EQ(name_bucket("aXXc"), 2);
    // One character: c ^ c = 0.
    EXPECT_EQ(name_bucket("x"), 0);
    // '{' (123) ^ '}' (125) = 6.
    EXPECT_EQ(name_bucket("{}"), 6);
    // Bytes above 127 still give a bucket between 0 and 29: 0xFF ^ 'A' = 190, % 30 = 10.
    EXPECT_EQ(name_bucket("\xff" "a"), 10);
    for (int c = 0; c < 256; ++c) {
        std::string s(1, static_cast<char>(c));
        s += "\xe9";
        int bucket = name_bucket(s);
        EXPECT_GE(bucket, 0);
        EXPECT_LT(bucket, 30);
    }
}

TEST(Names, LongTextsAreStoredWhole) {
    RunState run;
    std::string huge(3 * 1024 * 1024, 'q');
    huge[12345] = '\0';
    const char* a = intern("small");
    const char* h = intern(huge);
    const char* b = intern("small2");
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(interned_view(h), huge);
    EXPECT_EQ(intern(huge), h);
    EXPECT_EQ(intern("small"), a);
    EXPECT_EQ(intern("small2"), b);
}

TEST(Names, ManyTextsStayDistinctAndFindable) {
    // All share first and last letters, so they fall into one historical bucket.
    RunState run;
    std::size_t before = name_table_size();
    constexpr int COUNT = 200000;
    std::vector<const char*> stored;
    stored.reserve(COUNT);
    for (int i = 0; i < COUNT; ++i)
        stored.push_back(intern("n" + std::to_string(i) + "n"));
    EXPECT_EQ(name_table_size(), before + COUNT);
    std::set<const char*> unique(stored.begin(), stored.end());
    EXPECT_EQ(unique.size(), static_cast<std::size_t>(COUNT));
    for (int i = 0; i < COUNT; i += 997) {
        EXPECT_EQ(intern("n" + std::to_string(i) + "n"), stored[static_cast<std::size_t>(i)]);
        EXPECT_EQ(std::string(stored[static_cast<std::size_t>(i)]), "n" + std::to_string(i) + "n");
    }
    EXPECT_EQ(name_table_size(), before + COUNT);
}

TEST(Names, ClearingStartsAnEmptyTable) {
    RunState run;
    clear_name_table();
    intern("one");
    intern("two");
    EXPECT_EQ(name_table_size(), 2u);
    clear_name_table();
    EXPECT_EQ(name_table_size(), 0u);
    const char* again = intern("one");
    EXPECT_STREQ(again, "one");
    EXPECT_EQ(name_table_size(), 1u);
    free_name_table();
    EXPECT_EQ(name_table_size(), 0u);
    free_name_table();  // twice is harmless
}
