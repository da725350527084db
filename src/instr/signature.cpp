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
    if (open > 0 && open + 2 < t.size() && t[open - 1] == "operator" && t[open + 1] == ")")
        open += 2;  // operator(): its name is "()", the parameters follow
    if (open == 0 || open >= t.size())
        return s;
    s.qualified = function_name(t, open);
    const std::size_t close = closing(t, open);
    if (s.qualified.empty() || close >= t.size())
        return s;
    s.params = parameters(t, open, close);
    for (std::size_t i = close + 1; i < t.size(); ++i) {
        if (t[i] == "const")
            s.is_const = true;
        if (t[i] == "&")
            s.ref += "&";
    }
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

bool is_name_token(const std::string& token) {
    return token == "::" || (is_identifier(token) && token != "const" && token != "volatile");
}

bool names_match(const Tokens& suffix, const Tokens& full) {
    if (suffix.empty() || suffix.size() > full.size())
        return false;
    return std::equal(suffix.rbegin(), suffix.rend(), full.rbegin());
}

namespace {

// The builtin types as libclang's canonical spelling writes them.
struct BuiltinForm {
    const char* written;
    const char* canonical;
};
constexpr BuiltinForm BUILTIN_FORMS[] = {
    {"unsigned", "unsigned int"},         {"signed", "int"},
    {"signed int", "int"},                {"long int", "long"},
    {"signed long", "long"},              {"unsigned long int", "unsigned long"},
    {"short int", "short"},               {"unsigned short int", "unsigned short"},
    {"long long int", "long long"},       {"unsigned long long int", "unsigned long long"},
    {"signed short", "short"},            {"long unsigned int", "unsigned long"},
    {"unsigned int", "unsigned int"},     {"unsigned long", "unsigned long"},
    {"unsigned short", "unsigned short"}, {"unsigned long long", "unsigned long long"},
    {"unsigned char", "unsigned char"},   {"signed char", "signed char"},
    {"long long", "long long"},           {"long unsigned", "unsigned long"},
    {"signed long int", "long"},          {"long double", "long double"},
};

// The longest builtin form starting at `i`, appended to `out`; the tokens it took.
std::size_t take_builtin(const Tokens& t, std::size_t i, Tokens& out) {
    std::size_t best = 0;
    const char* canonical = nullptr;
    for (const BuiltinForm& f : BUILTIN_FORMS) {
        const Tokens words = tokenize(f.written);
        if (words.size() > best && i + words.size() <= t.size() &&
            std::equal(words.begin(), words.end(), t.begin() + static_cast<std::ptrdiff_t>(i))) {
            best = words.size();
            canonical = f.canonical;
        }
    }
    if (best == 0)
        return 0;
    for (const std::string& w : tokenize(canonical))
        out.push_back(w);
    return best;
}

// `written` with the builtin types in canonical form, a `const' after the leading type
// moved in front, and a leading "::" dropped.
Tokens canonical_form(const Tokens& written) {
    Tokens out;
    for (std::size_t i = written[0] == "::" ? 1 : 0; i < written.size();) {
        const std::size_t taken = take_builtin(written, i, out);
        if (taken == 0)
            out.push_back(written[i]);
        i += taken ? taken : 1;
    }
    std::size_t name_end = 0;  // after the leading type's name: "a :: b", "unsigned int"
    while (name_end < out.size() && (is_identifier(out[name_end]) || out[name_end] == "::") &&
           out[name_end] != "const")
        ++name_end;
    if (name_end > 0 && name_end < out.size() && out[name_end] == "const") {
        out.erase(out.begin() + static_cast<std::ptrdiff_t>(name_end));
        out.insert(out.begin(), "const");
    }
    return out;
}

// Equal, or equal but for the qualification of the one type name they hold.
bool same_up_to_qualifiers(const Tokens& a, const Tokens& b) {
    if (a == b)
        return true;
    const Tokens& longer = a.size() > b.size() ? a : b;
    const Tokens& shorter = a.size() > b.size() ? b : a;
    for (std::size_t i = 0; i + 1 < longer.size(); ++i)
        if (longer[i + 1] == "::" && (i == 0 || longer[i - 1] != "::") && is_identifier(longer[i])) {
            Tokens dropped = longer;
            std::size_t end = i;
            while (end + 1 < dropped.size() && dropped[end + 1] == "::")
                end += 2;  // every "X ::" of this name
            dropped.erase(dropped.begin() + static_cast<std::ptrdiff_t>(i),
                          dropped.begin() + static_cast<std::ptrdiff_t>(end));
            if (dropped == shorter)
                return true;
        }
    return false;
}

}  // namespace

bool same_canonical_type(const Tokens& written, const Tokens& canonical) {
    if (written.empty() || canonical.empty())
        return false;
    const Tokens target = canonical_form(canonical);
    if (same_up_to_qualifiers(canonical_form(written), target))
        return true;
    // The last word may be the parameter's name.
    if (written.size() < 2 || !is_identifier(written.back()) || type_word(written.back()) ||
        written[written.size() - 2] == "::")
        return false;
    return same_up_to_qualifiers(canonical_form(Tokens(written.begin(), written.end() - 1)),
                                 target);
}
