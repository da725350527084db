// tests/fi/component_test.cpp: how parameter lists are cut into items (the rest of the
// internal form is seen through the reader, checker and listing cases).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fi/component.h"
#include "fi/names.h"
#include "support/test_support.h"

namespace {

// The items of a list joined by '|', or "<refused>" when the split failed.
std::string items(const ParamItem* first) {
    if (!first)
        return "<refused>";
    std::string out;
    for (const ParamItem* p = first; p; p = p->next)
        out += std::string(p == first ? "" : "|") + p->text;
    return out;
}

struct Split {
    bool formal;  // a list of formals, else of actuals
    std::string text;
    const char* items;
};

}  // namespace

TEST(ParameterSplit, FormalsAreSingleIdentifiersAndActualsAreCutOnlyAtOuterCommas) {
    const Split rows[] = {
        {true, "alpha, beta", "alpha|beta"},
        {true, " a+b_1 \t,\r\nc ", "a+b_1|c"},
        {true, "alpha beta", "<refused>"},
        {true, "a,,b", "a||b"},
        {true, "a,", "a|"},
        {true, "", ""},
        {true, "a-b", "<refused>"},
        {true, std::string("a\0b", 3), "<refused>"},
        {false, "f(a, b), \"x,y\", name", "f(a, b)| \"x,y\"| name"},
        {false, "g(1, 2", "<refused>"},
        {false, "a < b", "<refused>"},
        {false, "map<int, int>(), 3", "map<int, int>()| 3"},
        {false, "x > 0, y", "x > 0| y"},
        {false, "'\"', ','", "'\"'| ','"},
        {false, "\"a\\\",b\", c", "\"a\\\",b\"| c"},
        {false, "a\\,b", "a\\,b"},
        {false, "\"open", "<refused>"},
        {false, "x\\", "<refused>"},
        {false, ",", "|"},
        {false, "", ""},
    };
    RunState run;
    for (const Split& s : rows)
        EXPECT_EQ(items(s.formal ? split_formal_params(s.text) : split_actual_params(s.text)),
                  s.items)
            << (s.formal ? "formals " : "actuals ") << s.text;
}

TEST(ParameterSplit, LongListsAreNeverTruncated) {
    RunState run;
    const std::string big(100000, 'x');
    EXPECT_EQ(items(split_actual_params(big + "," + big)), big + "|" + big);
    std::string many, expected;
    for (int i = 0; i < 20000; ++i) {
        many += "p" + std::to_string(i) + ",";
        expected += "p" + std::to_string(i) + "|";
    }
    EXPECT_EQ(items(split_formal_params(many)), expected);
}
