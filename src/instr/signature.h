// instr/signature.h: the C++ declarations that scripts name (WRAP, CHECK METHOD, STUB)
// taken apart far enough to find their definitions: the qualified name, the parameter
// types and constness. Parameter names and default values are not part of the match.
#pragma once
#include <string>
#include <string_view>
#include <vector>

using Tokens = std::vector<std::string>;

// Identifiers, numbers, "::" and single punctuation characters; comments are skipped.
Tokens tokenize(std::string_view text);

struct Signature {
    bool valid = false;
    Tokens qualified;             // {"bank", "Account", "deposit"}
    std::vector<Tokens> params;   // as written, default values removed
    bool is_const = false;        // "const" after the parameter list
    std::string ref;              // "&", "&&" or "": the ref-qualifier after it
};

Signature parse_signature(std::string_view text);

// The parts of a qualified name as written ("class bank::Account : public Base" gives
// {"bank", "Account"}): template arguments, keywords and base lists left out.
Tokens name_parts(std::string_view text);

// The qualified name joined with "::".
std::string qualified_text(const Signature& s);

// Whether `written` (a parameter of a signature, its name optional) declares the type
// `type` (the tokens of a definition's parameter without its name).
bool same_parameter(const Tokens& written, const Tokens& type);

// Whether `written` names the type whose canonical spelling (libclang's, typedefs spelled
// out: "const unsigned long &") is `canonical`: the builtin types in their short form
// ("unsigned" is "unsigned int"), a leading type's `const' in front, and a qualified
// name matching at a "::" boundary ("size_t" and "std::size_t").
bool same_canonical_type(const Tokens& written, const Tokens& canonical);

// `written` with every name that `alias` knows (a typedef or alias declaration of the
// user's code, "lib::Money") replaced by the tokens of the type it stands for, so that a
// type written through a typedef matches a definition written without it.
template <typename Lookup>
Tokens expand_aliases(const Tokens& written, const Lookup& alias);

// Whether `suffix` ends `full` at a "::" boundary ("Account::f" ends "bank::Account::f").
bool names_match(const Tokens& suffix, const Tokens& full);

// ---- expand_aliases --------------------------------------------------------------

bool is_name_token(const std::string& token);  // an identifier or "::", not a qualifier

template <typename Lookup>
Tokens expand_aliases(const Tokens& written, const Lookup& alias) {
    Tokens out;
    for (std::size_t i = 0; i < written.size();) {
        std::size_t end = i;
        while (end < written.size() && is_name_token(written[end]))
            ++end;
        if (end == i) {
            out.push_back(written[i++]);
            continue;
        }
        const Tokens name(written.begin() + static_cast<std::ptrdiff_t>(i),
                          written.begin() + static_cast<std::ptrdiff_t>(end));
        const Tokens* type = alias(name);
        out.insert(out.end(), type ? type->begin() : name.begin(), type ? type->end() : name.end());
        i = end;
    }
    return out;
}
