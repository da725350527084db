// gen/comparison.cpp: a small C++ token reader, just enough to find the top level of an
// expression, and the rules for what -VALUES may capture.
#include "gen/comparison.h"

#include <string>

namespace {

enum TokenKind { END, WORD, NUMBER, CHARACTER, STRING, PUNCT, BAD };

struct Token {
    TokenKind kind = END;
    std::string_view text;
};

bool word_char(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           c == '_' || static_cast<unsigned char>(c) >= 0x80;
}
bool digit(char c) { return c >= '0' && c <= '9'; }

// Punctuators longer than one character, longest first so the first match is the token.
constexpr std::string_view LONG_PUNCTS[] = {
    "<=>", "<<=", ">>=", "->*", "...", "==", "!=", "<=", ">=", "&&", "||", "<<", ">>", "->",
    "::",  "+=",  "-=",  "*=",  "/=",  "%=", "&=", "|=", "^=", "++", "--", ".*",
};

// A quoted literal from `at` (the opening quote), with its user-defined suffix.
std::size_t quoted_end(std::string_view s, std::size_t at) {
    const char quote = s[at];
    std::size_t i = at + 1;
    for (; i < s.size() && s[i] != quote; ++i)
        if (s[i] == '\\')
            ++i;
    if (i >= s.size())
        return std::string_view::npos;
    for (++i; i < s.size() && word_char(s[i]);)
        ++i;
    return i;
}

std::size_t number_end(std::string_view s, std::size_t i) {
    for (++i; i < s.size(); ++i) {
        const char c = s[i];
        const bool after_e = std::string_view("eEpP").find(s[i - 1]) != std::string_view::npos;
        const bool exponent_sign = (c == '+' || c == '-') && after_e;
        if (!word_char(c) && c != '.' && c != '\'' && !exponent_sign)
            break;
    }
    return i;
}

Token quoted_token(std::string_view s, std::size_t start, std::size_t quote) {
    const std::size_t end = quoted_end(s, quote);
    if (end == std::string_view::npos)
        return {BAD, s.substr(start)};
    return {s[quote] == '"' ? STRING : CHARACTER, s.substr(start, end - start)};
}

// The token at `*pos` (blanks skipped); *pos moves past it. Comments and raw strings are
// BAD: the scan gives up on them.
Token next_token(std::string_view s, std::size_t* pos) {
    std::size_t i = *pos;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == '\n' || s[i] == '\r'))
        ++i;
    Token t;
    if (i >= s.size()) {
        *pos = i;
        return t;
    }
    const char c = s[i];
    if (digit(c) || (c == '.' && i + 1 < s.size() && digit(s[i + 1]))) {
        t = {NUMBER, s.substr(i, number_end(s, i) - i)};
    } else if (word_char(c)) {
        std::size_t e = i;
        while (e < s.size() && word_char(s[e]))
            ++e;
        const std::string_view w = s.substr(i, e - i);
        const bool prefix = w == "L" || w == "u" || w == "U" || w == "u8";
        if (e < s.size() && s[e] == '"' && !w.empty() && w.back() == 'R')
            t = {BAD, w};  // a raw string: its delimiter is more than this scan reads
        else if (e < s.size() && (s[e] == '"' || s[e] == '\'') && prefix)
            t = quoted_token(s, i, e);
        else
            t = {WORD, w};
    } else if (c == '"' || c == '\'') {
        t = quoted_token(s, i, i);
    } else if (s.substr(i, 2) == "//" || s.substr(i, 2) == "/*") {
        t = {BAD, s.substr(i, 2)};
    } else {
        t = {PUNCT, s.substr(i, 1)};
        for (std::string_view p : LONG_PUNCTS)
            if (s.substr(i, p.size()) == p) {
                t.text = s.substr(i, p.size());
                break;
            }
    }
    *pos = i + t.text.size();
    return t;
}

enum Effect { OTHER, COMPARE, REFUSE, AMPERSAND };
struct PunctRule {
    std::string_view text;
    Effect effect;
};

// At the top level. Shifts and arithmetic bind more tightly than a comparison; `&` is
// refused only as a binary operator (after an operand), `>>` because it may close two
// template argument lists.
constexpr PunctRule TOP_LEVEL[] = {
    {"==", COMPARE}, {"!=", COMPARE}, {"<", COMPARE},   {"<=", COMPARE},  {">", COMPARE},
    {">=", COMPARE}, {"<=>", REFUSE}, {">>", REFUSE},   {"&&", REFUSE},   {"||", REFUSE},
    {"|", REFUSE},   {"^", REFUSE},   {"?", REFUSE},    {":", REFUSE},    {",", REFUSE},
    {"=", REFUSE},   {"+=", REFUSE},  {"-=", REFUSE},   {"*=", REFUSE},   {"/=", REFUSE},
    {"%=", REFUSE},  {"&=", REFUSE},  {"|=", REFUSE},   {"^=", REFUSE},   {"<<=", REFUSE},
    {">>=", REFUSE}, {";", REFUSE},   {"#", REFUSE},    {"\\", REFUSE},   {"...", REFUSE},
    {"&", AMPERSAND},
};

// Words that are operators binding more loosely than a comparison, or that cannot stand
// inside decltype (an operand is written there once more, unevaluated).
constexpr std::string_view REFUSED_WORDS[] = {
    "and",    "or",   "xor",   "bitand",   "bitor",    "and_eq",   "or_eq",
    "xor_eq", "not_eq", "operator", "throw", "co_await", "co_yield", "requires",
};

Effect effect_of(std::string_view punct) {
    for (const PunctRule& r : TOP_LEVEL)
        if (r.text == punct)
            return r.effect;
    return OTHER;
}

bool refused_word(std::string_view w) {
    for (std::string_view r : REFUSED_WORDS)
        if (r == w)
            return true;
    return false;
}

std::string_view trimmed(std::string_view s) {
    const std::size_t b = s.find_first_not_of(" \t\r\n");
    if (b == std::string_view::npos)
        return {};
    return s.substr(b, s.find_last_not_of(" \t\r\n") - b + 1);
}

// One literal, maybe signed, or adjacent string literals: free of side effects, and the
// operand's meaning may hang on its being a constant (a null pointer, a non-negative int).
bool is_literal(std::string_view s) {
    std::size_t pos = 0;
    Token t = next_token(s, &pos);
    if (t.kind == PUNCT && (t.text == "+" || t.text == "-"))
        t = next_token(s, &pos);
    const bool word = t.kind == WORD && (t.text == "true" || t.text == "false" ||
                                         t.text == "nullptr" || t.text == "NULL");
    if (!word && t.kind != NUMBER && t.kind != CHARACTER && t.kind != STRING)
        return false;
    Token after = next_token(s, &pos);
    while (t.kind == STRING && after.kind == STRING)
        after = next_token(s, &pos);
    return after.kind == END;
}

struct Scan {
    std::string closers;     // the brackets open, innermost last
    bool operand = false;    // the last token ended an operand: a `&` now is binary
    bool after_open = false; // the last token was `(`: `({` is a statement expression
    std::size_t op_at = std::string_view::npos;
    std::string_view op;
};

// false when the token rules the expression out.
bool brackets(Scan& s, std::string_view p) {
    const char c = p[0];
    const std::string_view opens = "([{";
    if (opens.find(c) != std::string_view::npos && p.size() == 1) {
        if ((c == '[' && !s.operand) || (c == '{' && s.after_open))
            return false;  // a lambda, or a statement expression
        s.closers += c == '(' ? ')' : c == '[' ? ']' : '}';
        s.operand = false;
        s.after_open = c == '(';
        return true;
    }
    if (s.closers.empty() || s.closers.back() != c)
        return false;
    s.closers.pop_back();
    s.operand = true;
    s.after_open = false;
    return true;
}

bool punct(Scan& s, std::string_view p, std::size_t at) {
    if (p == "(" || p == "[" || p == "{" || p == ")" || p == "]" || p == "}")
        return brackets(s, p);
    s.after_open = false;
    if (p == "++" || p == "--")
        return true;  // a postfix one leaves an operand, a prefix one an operator
    const bool binary = s.operand;
    s.operand = false;
    if (!s.closers.empty())
        return true;
    switch (effect_of(p)) {
    case COMPARE:
        if (s.op_at != std::string_view::npos)
            return false;  // two: a chain, or a template argument list
        s.op_at = at;
        s.op = p;
        return true;
    case REFUSE: return false;
    case AMPERSAND: return !binary;
    default: return true;
    }
}

}  // namespace

bool split_comparison(std::string_view expression, Comparison* out) {
    Scan s;
    std::size_t pos = 0;
    for (;;) {
        const Token t = next_token(expression, &pos);
        if (t.kind == END)
            break;
        if (t.kind == BAD || (t.kind == WORD && refused_word(t.text)))
            return false;
        if (t.kind == PUNCT) {
            if (!punct(s, t.text, pos - t.text.size()))
                return false;
            continue;
        }
        s.operand = true;
        s.after_open = false;
    }
    if (!s.closers.empty() || s.op_at == std::string_view::npos)
        return false;
    Comparison c;
    c.op = s.op;
    c.left = trimmed(expression.substr(0, s.op_at));
    c.right = trimmed(expression.substr(s.op_at + s.op.size()));
    if (c.left.empty() || c.right.empty())
        return false;
    c.left_literal = is_literal(c.left);
    c.right_literal = is_literal(c.right);
    *out = c;
    return true;
}
