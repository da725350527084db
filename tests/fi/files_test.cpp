// tests/fi/files_test.cpp: file records with their listing names, look-up by number,
// and the command-line source-file list.
#include <gtest/gtest.h>

#include "driver/options.h"
#include "fi/files.h"
#include "fi/names.h"
#include "support/test_support.h"

TEST(Files, RecordCarriesItsListingNames) {
    RunState run;
    const char* dir = intern("/scripts/");
    const char* file = intern("x.otd");
    FileRecord* r = add_file_record(7, dir, file, 1234);
    ASSERT_NE(r, nullptr);
    EXPECT_STREQ(r->tsf_name, "x.otd07.tsf");
    EXPECT_STREQ(r->ots_name, "x.otd07.ots");
    EXPECT_EQ(r->tsf_name, intern("x.otd07.tsf"));  // interned
    EXPECT_EQ(r->file_no, 7);
    EXPECT_EQ(r->dir, dir);
    EXPECT_EQ(r->file, file);
    EXPECT_EQ(r->mtime, 1234);
    EXPECT_EQ(r->sum_a, 0u);
    EXPECT_EQ(r->sum_b, 0u);
    EXPECT_EQ(r->tsf_sink, nullptr);
    EXPECT_EQ(r->ots_sink, nullptr);
    EXPECT_EQ(r->next, nullptr);
}

TEST(Files, ThreeDigitNumbersAreWrittenWhole) {
    RunState run;
    FileRecord* r = add_file_record(123, intern("/d/"), intern("s.otc"), 0);
    ASSERT_NE(r, nullptr);
    EXPECT_STREQ(r->tsf_name, "s.otc123.tsf");
    EXPECT_STREQ(r->ots_name, "s.otc123.ots");
}

TEST(Files, RecordsAreAppendedInOpeningOrder) {
    RunState run;
    FileRecord* a = add_file_record(1, intern("/d/"), intern("a.otd"), 0);
    FileRecord* b = add_file_record(2, intern("/d/"), intern("b.otc"), 0);
    FileRecord* c = add_file_record(3, intern("/d/"), intern("c.otc"), 0);
    EXPECT_EQ(the_options->file_table, a);
    EXPECT_EQ(a->next, b);
    EXPECT_EQ(b->next, c);
    EXPECT_EQ(the_options->last_file_record, c);
}

TEST(Files, FindsARecordByNumber) {
    RunState run;
    std::vector<FileRecord*> made;
    for (int n = 1; n <= 5000; ++n)
        made.push_back(add_file_record(n, intern("/d/"), intern("f.otc"), 0));
    for (int n = 1; n <= 5000; ++n)
        EXPECT_EQ(find_file_record(n), made[static_cast<std::size_t>(n - 1)]);
    EXPECT_EQ(find_file_record(0), nullptr);
    EXPECT_EQ(find_file_record(-1), nullptr);
    EXPECT_EQ(find_file_record(5001), nullptr);
    EXPECT_EQ(find_file_record(1 << 30), nullptr);
}

TEST(Files, TheFirstRecordKeepsItsNumber) {
    RunState run;
    FileRecord* first = add_file_record(4, intern("/d/"), intern("a.otd"), 0);
    FileRecord* second = add_file_record(4, intern("/d/"), intern("b.otd"), 0);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(find_file_record(4), first);
}

TEST(Files, NumbersOutsideTheIndexAreFoundByWalking) {
    RunState run;
    FileRecord* r = add_file_record(1 << 28, intern("/d/"), intern("a.otd"), 0);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(find_file_record(1 << 28), r);
}

TEST(Files, NothingWithoutAnOptionsRecord) {
    RunState run;
    Options* saved = the_options;
    the_options = nullptr;
    EXPECT_EQ(add_file_record(1, "/d/", "a.otd", 0), nullptr);
    EXPECT_EQ(find_file_record(1), nullptr);
    EXPECT_EQ(append_source_file("a.otd"), nullptr);
    the_options = saved;
}

TEST(Files, SourceFilesKeepCommandLineOrder) {
    RunState run;
    std::string name = "b.otc";
    SourceFile* a = append_source_file("a.otd");
    SourceFile* b = append_source_file(name.c_str());
    SourceFile* c = append_source_file("");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(the_options->source_files, a);
    EXPECT_EQ(a->next, b);
    EXPECT_EQ(b->next, c);
    EXPECT_EQ(b->name, intern("b.otc"));  // an interned copy
    EXPECT_NE(b->name, name.c_str());
    EXPECT_STREQ(c->name, "");
    EXPECT_EQ(the_options->last_source_file, c);
}
