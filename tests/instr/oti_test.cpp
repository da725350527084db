// tests/instr/oti_test.cpp: the instrumentation file as vexprepro writes it and vexinstr
// reads it back: every assertion statement keeps the id its listing gives it, with and
// without #line directives.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sstream>

#include "formats/hex.h"
#include "formats/listing.h"
#include "instr/oti.h"
#include "support/test_support.h"

namespace fs = std::filesystem;

namespace {

// The ids of the INVARIANT, REQUIRE and ENSURE records of an .ots listing.
std::set<unsigned long> assertion_ids_listed(const std::string& ots) {
    std::set<unsigned long> ids;
    std::istringstream in(ots);
    for (std::string line; std::getline(in, line);) {
        const std::string tag = line.substr(0, 2);
        unsigned long id = 0;
        if ((tag == listing::INVARIANT || tag == listing::REQUIRE || tag == listing::ENSURE) &&
            hex::parse_h(line.substr(3, line.find(' ', 3) - 3), &id))
            ids.insert(id);
    }
    return ids;
}

}  // namespace

TEST(InstrumentationFile, AssertionsReadBackWithTheIdsOfTheirListing) {
    const fs::path project = fs::path(VEX_SOURCE_DIR) / "tests" / "instr" / "project";
    for (const bool directives : {true, false}) {
        TempDir dir;
        for (const char* name : {"shapes.otd", "shapes.otc"})
            fs::copy_file(project / name, fs::path(dir.path) / name);
        std::vector<std::string> args = {"shapes.otd", "shapes.otc", "-G",    "C++",  "-O",
                                         "driver.cc",  "-OTI",       "s.oti", "-TDF", "s.tdf"};
        if (!directives)
            args.push_back("-NODLINE");
        const ProcessResult r = run_vexprepro(args, dir.path, nullptr, {"XRLTGT="});
        ASSERT_EQ(r.status, 0) << r.err;
        Instrumentation in;
        std::vector<std::string> errors;
        ASSERT_TRUE(read_instrumentation("s.oti", dir.read("s.oti"), &in, errors)) << errors[0];
        EXPECT_EQ(in.line_directives, directives);
        std::set<unsigned long> read;
        for (const ClassSection& c : in.classes) {
            for (const Assertion& a : c.invariants)
                read.insert(a.id);
            for (const WrapSection& w : c.wraps)
                for (const auto* conditions : {&w.pre, &w.post})
                    for (const Assertion& a : *conditions)
                        read.insert(a.id);
        }
        EXPECT_EQ(read.size(), 3u) << "one INVARIANT, one REQUIRE, one ENSURE";
        EXPECT_EQ(read, assertion_ids_listed(dir.read("shapes.otc02.ots")));
    }
}
