// gen/comparison.h: decides whether a CHECK or PROPERTY expression is one comparison that
// -VALUES may split into its two operands. It never fails: whatever the scan is not sure
// of (a `<` that may open a template argument list, a lambda, a raw string...) is "no",
// and the expression is then written as it is without -VALUES.
#pragma once
#include <string_view>

struct Comparison {
    std::string_view left, op, right;  // trimmed slices of the expression
    bool left_literal = false;         // a literal (or NULL): written in the comparison
    bool right_literal = false;        // itself, so `p == 0` keeps its null pointer
};

// true when the top level (outside (), [], {} and literals) holds exactly one of
// == != < <= > >= and no operator binding more loosely, and both operands are there.
bool split_comparison(std::string_view expression, Comparison* out);
