// instr/signature.cpp: a small tokenizer and the reading of one declaration.
#include "instr/signature.h"

#include <algorithm>
#include <cctype>

namespace {

bool identifier_start(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool identifier_byte(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

bool is_identifier(const std::string& t) { return !t.empty() && identifier_start(t[0]); }

// Words that are part of a type, never a parameter's name.
bool type_word(const std::string& t) {
    for (const char* w : {"const", "volatile", "unsigned", "signed", "short", "long", "int",
                          "char", "bool", "float", "double", "void", "auto", "wchar_t",
                          "char8_t", "char16_t", "char32_t", "struct", "class", "enum",
                          "typename"})
        if (t == w)
            return true;
    return false;
}

// The index of the bracket closing the one at `open`, or `tokens.size()`.
std::size_t closing(const Tokens& tokens, std::size_t open) {
    int depth = 0;
    for (std::size_t i = open; i < tokens.size(); ++i) {
        const std::string& t = tokens[i];
        if (t == "(" || t == "[" || t == "{" || t == "<")
            ++depth;
        else if ((t == ")" || t == "]" || t == "}" || t == ">") && --depth == 0)
            return i;
    }
    return tokens.size();
}

// Walks back from the function name over "X ::", "X<...> ::" pairs.
Tokens qualified_before(const Tokens& tokens, std::size_t name) {
    Tokens reversed{tokens[name]};
    std::size_t i = name;
    while (i >= 2 && tokens[i - 1] == "::") {
        std::size_t j = i - 2;
        if (tokens[j] == ">") {  // skip a template argument list
            int depth = 0;
            for (; j > 0; --j) {
                depth += tokens[j] == ">" ? 1 : tokens[j] == "<" ? -1 : 0;
                if (depth == 0)
                    break;
            }
            if (j == 0)
                break;
            --j;
        }
        if (!is_identifier(tokens[j]))
            break;
        reversed.push_back(tokens[j]);
        i = j;
    }
    return Tokens(reversed.rbegin(), reversed.rend());
}

}  // namespace

Tokens tokenize(std::string_view text) {
    Tokens out;
    for (std::size_t i = 0; i < text.size();) {
        const char c = text[i];
        if (std::isspace(static_cast<unsigned char>(c))) {
            ++i;
        } else if (c == '/' && i + 1 < text.size() && text[i + 1] == '/') {
            const std::size_t end = text.find('\n', i);
            i = end == std::string_view::npos ? text.size() : end;
        } else if (c == '/' && i + 1 < text.size() && text[i + 1] == '*') {
            const std::size_t end = text.find("*/", i + 2);
            i = end == std::string_view::npos ? text.size() : end + 2;
        } else if (identifier_byte(c)) {
            std::size_t j = i;
            while (j < text.size() && identifier_byte(text[j]))
                ++j;
            out.emplace_back(text.substr(i, j - i));
            i = j;
        } else if (c == ':' && i + 1 < text.size() && text[i + 1] == ':') {
            out.emplace_back("::");
            i += 2;
        } else {
            out.emplace_back(1, c);
            ++i;
        }
    }
    return out;
}

namespace {

// The qualified name of the function whose parameter list opens at `open`: an operator
// (from the keyword to the list), a destructor ("~" and its name are one) or a plain
// name; empty when the token before the list is none of them.
Tokens function_name(const Tokens& t, std::size_t open) {
    for (std::size_t k = open; k-- > 0 && open - k <= 4;)
        if (t[k] == "operator") {
            std::string joined;
            for (std::size_t m = k; m < open; ++m)
                joined += t[m];
            Tokens copy(t.begin(), t.begin() + static_cast<std::ptrdiff_t>(k));
            copy.push_back(joined);
            return qualified_before(copy, k);
        }
    const std::size_t name = open - 1;
    if (!is_identifier(t[name]))
        return {};
    if (name > 0 && t[name - 1] == "~") {
        Tokens copy(t.begin(), t.begin() + static_cast<std::ptrdiff_t>(name) - 1);
        copy.push_back("~" + t[name]);
        return qualified_before(copy, name - 1);
    }
    return qualified_before(t, name);
}

// The parameters between the brackets at `open` and `close`, default values left out;
// "(void)" has none.
std::vector<Tokens> parameters(const Tokens& t, std::size_t open, std::size_t close) {
    std::vector<Tokens> params;
    Tokens param;
    int depth = 0;
    bool in_default = false;
    for (std::size_t i = open + 1; i <= close; ++i) {
        const std::string& x = t[i];
        if (depth == 0 && (x == "," || i == close)) {
            if (!param.empty() &&
                !(param.size() == 1 && param[0] == "void" && i == close && params.empty()))
                params.push_back(param);
            param.clear();
            in_default = false;
            continue;
        }
        depth += (x == "(" || x == "<" || x == "[" || x == "{") ? 1 : 0;
        depth -= (x == ")" || x == ">" || x == "]" || x == "}") ? 1 : 0;
        if (depth == 0 && x == "=")
            in_default = true;
        if (!in_default)
            param.push_back(x);
    }
    return params;
}

}  // namespace

Signature parse_signature(std::string_view text) {
    Signature s;
    const Tokens t = tokenize(text);
    std::size_t open = 0;  // the parameter list: the first "(" outside template arguments
    for (; open < t.size() && t[open] != "("; ++open)
        if (t[open] == "<")
            open = closing(t, open);
    if (open == 0 || open >= t.size())
        return s;
    s.qualified = function_name(t, open);
    const std::size_t close = closing(t, open);
    if (s.qualified.empty() || close >= t.size())
        return s;
    s.params = parameters(t, open, close);
    for (std::size_t i = close + 1; i < t.size(); ++i)
        if (t[i] == "const")
            s.is_const = true;
    s.valid = true;
    return s;
}

Tokens name_parts(std::string_view text) {
    const Tokens t = tokenize(text);
    Tokens parts;
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (t[i] == "<") {  // template arguments are not part of the name
            i = closing(t, i);
            continue;
        }
        if (t[i] == ":" || t[i] == "{")
            break;
        if (is_identifier(t[i]) && t[i] != "class" && t[i] != "struct")
            parts.push_back(t[i]);
    }
    return parts;
}

std::string qualified_text(const Signature& s) {
    std::string out;
    for (const std::string& part : s.qualified)
        out += (out.empty() ? "" : "::") + part;
    return out;
}

bool same_parameter(const Tokens& written, const Tokens& type) {
    if (written == type)
        return true;
    if (written.size() < 2 || !is_identifier(written.back()) || type_word(written.back()) ||
        written[written.size() - 2] == "::")
        return false;
    return Tokens(written.begin(), written.end() - 1) == type;
}

bool names_match(const Tokens& suffix, const Tokens& full) {
    if (suffix.empty() || suffix.size() > full.size())
        return false;
    return std::equal(suffix.rbegin(), suffix.rend(), full.rbegin());
}
