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

// Whether `suffix` ends `full` at a "::" boundary ("Account::f" ends "bank::Account::f").
bool names_match(const Tokens& suffix, const Tokens& full);
