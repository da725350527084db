// tests/gen/comparison_test.cpp: which expressions -VALUES splits into two operands.
#include <gtest/gtest.h>

#include <string>

#include "gen/comparison.h"

namespace {

// "left|op|right", a literal operand marked with a trailing '#'; "-" when left whole.
std::string split(std::string_view expression) {
    Comparison c;
    if (!split_comparison(expression, &c))
        return "-";
    return std::string(c.left) + (c.left_literal ? "#" : "") + "|" + std::string(c.op) + "|" +
           std::string(c.right) + (c.right_literal ? "#" : "");
}

struct Row {
    const char* expression;
    const char* split;
};

}  // namespace

TEST(Comparison, SplitsOnlyATopLevelComparisonItIsSureOf) {
    const Row rows[] = {
        {"a.balance() == 150", "a.balance()|==|150#"},
        {" x != y ", "x|!=|y"},
        {"count < limit", "count|<|limit"},
        {"f(a < b, c > d) <= g[i]", "f(a < b, c > d)|<=|g[i]"},
        {"1 + 1 >= -2", "1 + 1|>=|-2#"},
        {"p > nullptr", "p|>|nullptr#"},
        {"s == \"a == b\" \"c\"", "s|==|\"a == b\" \"c\"#"},
        {"c == '<'", "c|==|'<'#"},
        {"1'000 == n", "1'000#|==|n"},
        {"x == 1e-5", "x|==|1e-5#"},
        {"u8\"x\" != L'y'", "u8\"x\"#|!=|L'y'#"},
        {"&x == p->q", "&x|==|p->q"},
        {"1 << n == m", "1 << n|==|m"},
        {"!ok == false", "!ok|==|false#"},
        {"v[i]++ == 3", "v[i]++|==|3#"},
        {"T{1} == u", "T{1}|==|u"},
        // Left whole: no comparison, two, or an operator that binds more loosely.
        {"ok", "-"},
        {"a == b == c", "-"},
        {"a && b == c", "-"},
        {"a == b || c", "-"},
        {"a ? b == c : d", "-"},
        {"(f(), x) == 1", "(f(), x)|==|1#"},
        {"f(), x == 1", "-"},
        {"x = y == 1", "-"},
        {"x += 1 == 2", "-"},
        {"a & b == c", "-"},
        {"a++ & b == c", "-"},
        {"a | b == c", "-"},
        {"a ^ b == c", "-"},
        {"a and b == c", "-"},
        // Not sure: template argument lists, lambdas, raw strings, comments.
        {"std::is_same<A, B>::value == true", "-"},
        {"f<2>(x) > 1", "-"},
        {"v<w<int>>::n == 1", "-"},
        {"a <=> b", "-"},
        {"[](int i) { return i; }(1) == 1", "-"},
        {"f([] { return 1; }) == 1", "-"},
        {"({ int i = 1; i; }) == 1", "-"},
        {"R\"(a == b)\" == s", "-"},
        {"a == b // c", "-"},
        {"x.operator==(y) == true", "-"},
        {"== b", "-"},
        {"a ==", "-"},
        {"f(a == b", "-"},
        {"f(a)) == b", "-"},
        {"\"open == x", "-"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(split(row.expression), row.split) << row.expression;
}
