// instr/weave.cpp: one libclang walk per translation unit collects every class and
// function definition of the user's files; the sections are then matched against them
// by qualified name and parameter types, and each match becomes text inserted at a
// byte offset. After every insertion a #line directive puts the compiler back on the
// user's own line, so messages and debuggers keep pointing at the original source.
#include "instr/weave.h"

#include <clang-c/Index.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <unordered_map>
#include <unordered_set>

#include "instr/signature.h"

namespace {

std::string take(CXString s) {
    const char* c = clang_getCString(s);
    std::string out = c ? c : "";
    clang_disposeString(s);
    return out;
}

// A byte of a user's file, with the line the compiler believes it is on (after any
// #line directive of that file, as in a generated driver).
struct Place {
    std::string file;  // absolute, cleaned
    unsigned offset = 0;
    unsigned line = 0;  // in the file itself, from 1
    std::string presumed_file;
    unsigned presumed_line = 0;
};

// Names as libclang spells them -> absolute and cleaned. Every cursor asks for its file:
// the file system is asked once per name.
using CleanNames = std::unordered_map<std::string, std::string>;

const std::string& clean(CleanNames& cleaned, const std::string& path) {
    auto [it, added] = cleaned.try_emplace(path);
    if (added) {
        std::error_code ec;
        const auto absolute = std::filesystem::weakly_canonical(path, ec);
        it->second = ec ? path : absolute.string();
    }
    return it->second;
}

bool place_of(CXSourceLocation loc, CleanNames& cleaned, Place* out) {
    CXFile file = nullptr;
    unsigned line = 0, column = 0, offset = 0;
    clang_getFileLocation(loc, &file, &line, &column, &offset);
    if (!file)
        return false;
    out->file = clean(cleaned, take(clang_getFileName(file)));
    out->offset = offset;
    out->line = line;
    CXString presumed;
    clang_getPresumedLocation(loc, &presumed, &out->presumed_line, &column);
    out->presumed_file = take(presumed);
    if (clean(cleaned, out->presumed_file) == out->file)
        out->presumed_file = out->file;
    return true;
}

std::string key_of(const Place& p) { return p.file + ":" + std::to_string(p.offset); }

enum class Kind { method, constructor, destructor, function };

struct ClassDef {
    std::string usr;  // the same for every declaration of the class
    Tokens qualified;
    Tokens short_qualified;  // without inline namespaces
    bool is_template = false;
    Place close;  // the closing brace of its body
};

struct FunctionDef {
    Tokens qualified;
    std::vector<Tokens> param_types;      // as written, without names and defaults
    std::vector<Tokens> param_spellings;  // as the compiler spells the types
    std::vector<Tokens> param_canonical;  // typedefs spelled out, as libclang's canonical type
    Tokens short_qualified;               // without inline namespaces ("lib::Meter")
    std::string display;                  // "deposit(int)", for reports
    Kind kind = Kind::function;
    bool is_const = false, is_static = false, is_public = false, in_template = false;
    bool is_defaulted = false;  // "= default": no body of the user's to weave into
    bool is_constexpr = false;  // constexpr or consteval: a guard would break constant use
    std::string ref;            // "&", "&&" or "": the ref-qualifier
    std::string parent;  // key of the class definition it belongs to, or ""
    Place open;          // the opening brace of its body
};

// Definitions by a name, each list in the order of the definitions' own map.
template <typename T>
using Index = std::unordered_map<std::string, std::vector<const T*>>;

struct Alias {
    Tokens qualified, short_qualified;  // as ClassDef's
    Tokens type;                        // the canonical type it stands for
};

struct Collected {
    std::map<std::string, ClassDef> classes;     // by key of the closing brace
    std::map<std::string, FunctionDef> functions;  // by key of the opening brace
    std::set<std::string> files;                 // every user file met
    std::unordered_map<std::string, std::set<std::size_t>> readers;  // file -> sources reading it
    // Every declaration of a class in the user's files: the place just after its class-key,
    // by the class's USR.
    std::unordered_map<std::string, std::map<std::string, Place>> class_keys;  // by place key
    // A file included inside a class, namespace or linkage block -> the file including it.
    std::unordered_map<std::string, std::string> hosts;
    CleanNames cleaned;
    std::string base;  // the base directory, absolute and cleaned; "" when not known
    // Filled once everything is collected, in the order of the maps above, so that a
    // section finds its candidates without a scan of every definition.
    Index<FunctionDef> functions_by_name;
    Index<FunctionDef> members;  // by the key of their class
    Index<ClassDef> classes_by_name;
    // The typedef and alias declarations of the user's files, by last name.
    std::unordered_map<std::string, std::vector<Alias>> aliases;
};

// Functions and classes by the last part of their qualified name (every name that
// matches them ends with it), members by their class.
void index_definitions(Collected& c) {
    for (const auto& [key, f] : c.functions) {
        c.functions_by_name[f.qualified.back()].push_back(&f);
        if (!f.parent.empty())
            c.members[f.parent].push_back(&f);
    }
    for (const auto& [key, d] : c.classes)
        c.classes_by_name[d.qualified.back()].push_back(&d);
}

// The entries of an index for `name`; none when it has no entry.
template <typename T>
const std::vector<const T*>& entries(const Index<T>& index, const std::string& name) {
    static const std::vector<const T*> none;
    const auto it = index.find(name);
    return it == index.end() ? none : it->second;
}

bool is_class_kind(CXCursorKind k) {
    return k == CXCursor_ClassDecl || k == CXCursor_StructDecl || k == CXCursor_ClassTemplate ||
           k == CXCursor_ClassTemplatePartialSpecialization;
}

bool is_function_kind(CXCursorKind k) {
    return k == CXCursor_FunctionDecl || k == CXCursor_CXXMethod || k == CXCursor_Constructor ||
           k == CXCursor_Destructor || k == CXCursor_FunctionTemplate ||
           k == CXCursor_ConversionFunction;
}

// An operator's name without spaces ("operator bool", "operator()"), as signature.h
// joins the tokens of a written one.
std::string function_spelling(CXCursor c) {
    std::string name = take(clang_getCursorSpelling(c));
    if (name.rfind("operator", 0) == 0)
        name.erase(std::remove(name.begin(), name.end(), ' '), name.end());
    return name;
}

// The qualified name, and in *short_name the same without inline namespaces, by which a
// script may name it too.
Tokens qualified_name(CXCursor c, bool* in_template, Tokens* short_name) {
    Tokens reversed{function_spelling(c)}, short_reversed = reversed;
    for (CXCursor p = clang_getCursorSemanticParent(c); !clang_Cursor_isNull(p) &&
                                                       clang_getCursorKind(p) != CXCursor_TranslationUnit;
         p = clang_getCursorSemanticParent(p)) {
        const CXCursorKind k = clang_getCursorKind(p);
        if (k == CXCursor_ClassTemplate || k == CXCursor_ClassTemplatePartialSpecialization)
            *in_template = true;
        const std::string name = take(clang_getCursorSpelling(p));
        if (name.empty() || (k != CXCursor_Namespace && !is_class_kind(k)))
            continue;
        reversed.push_back(name);
        if (!(k == CXCursor_Namespace && clang_Cursor_isInlineNamespace(p)))
            short_reversed.push_back(name);
    }
    *short_name = Tokens(short_reversed.rbegin(), short_reversed.rend());
    return Tokens(reversed.rbegin(), reversed.rend());
}

// The tokens of a parameter's declaration without its name and default value.
Tokens parameter_tokens(CXTranslationUnit tu, CXCursor parm) {
    CXToken* tokens = nullptr;
    unsigned count = 0;
    clang_tokenize(tu, clang_getCursorExtent(parm), &tokens, &count);
    const std::string name = take(clang_getCursorSpelling(parm));
    Tokens out;
    for (unsigned i = 0; i < count; ++i) {
        const std::string t = take(clang_getTokenSpelling(tu, tokens[i]));
        if (t == "=")
            break;
        out.push_back(t);
    }
    clang_disposeTokens(tu, tokens, count);
    for (std::size_t i = out.size(); i-- > 0;)
        if (!name.empty() && out[i] == name) {
            out.erase(out.begin() + static_cast<std::ptrdiff_t>(i));
            break;
        }
    return out;
}

// The index of the token opening the bracket group that closes at `close`, or `count`.
unsigned group_start(CXTranslationUnit tu, CXToken* t, unsigned close, unsigned count) {
    const std::string closer = take(clang_getTokenSpelling(tu, t[close]));
    const std::string opener = closer == "}" ? "{" : "(";
    int depth = 0;
    for (unsigned i = close + 1; i-- > 0;) {
        const std::string x = take(clang_getTokenSpelling(tu, t[i]));
        depth += x == closer ? 1 : x == opener ? -1 : 0;
        if (depth == 0)
            return i;
    }
    return count;
}

// A body's opening brace, found in the tokens of its definition: the last {...} group, or
// for a function-try-block the try block, before the `catch (...) {...}` groups.
bool body_open(CXTranslationUnit tu, CXCursor c, CXSourceLocation* open) {
    CXToken* t = nullptr;
    unsigned count = 0;
    clang_tokenize(tu, clang_getCursorExtent(c), &t, &count);
    unsigned brace = count;
    for (unsigned close = count; close-- > 0;) {
        if (take(clang_getTokenSpelling(tu, t[close])) != "}")
            break;
        brace = group_start(tu, t, close, count);
        if (brace < 2 || take(clang_getTokenSpelling(tu, t[brace - 1])) != ")")
            break;
        const unsigned paren = group_start(tu, t, brace - 1, count);
        if (paren == 0 || paren == count || take(clang_getTokenSpelling(tu, t[paren - 1])) != "catch")
            break;
        close = paren - 1;  // the handler's `catch`: the group before it comes next
    }
    const bool found = brace < count;
    if (found)
        *open = clang_getTokenLocation(tu, t[brace]);
    clang_disposeTokens(tu, t, count);
    return found;
}

// Whether `constexpr` or `consteval` stands in the declaration before its body.
bool declared_constexpr(CXTranslationUnit tu, CXCursor c, CXSourceLocation body) {
    const CXSourceRange head = clang_getRange(clang_getRangeStart(clang_getCursorExtent(c)), body);
    CXToken* tokens = nullptr;
    unsigned count = 0;
    clang_tokenize(tu, head, &tokens, &count);
    bool found = false;
    for (unsigned i = 0; i < count && !found; ++i) {
        const std::string t = take(clang_getTokenSpelling(tu, tokens[i]));
        found = t == "constexpr" || t == "consteval";
    }
    clang_disposeTokens(tu, tokens, count);
    return found;
}

// The last names that the sections can reach: a function is collected only when its own
// name is one of `functions` or its class's one of `classes`, so that the bodies of the
// thousands of functions no section names are never tokenized.
struct Wanted {
    std::unordered_set<std::string> functions, classes;
};

Wanted wanted_names(const Instrumentation& in) {
    Wanted w;
    auto function = [&](const std::string& text) {
        const Signature s = parse_signature(text);
        if (s.valid && !s.qualified.empty())
            w.functions.insert(s.qualified.back());
    };
    for (const ClassSection& c : in.classes) {
        const Tokens name = name_parts(c.name);
        if (!name.empty())
            w.classes.insert(name.back());
        for (const WrapSection& x : c.wraps)
            function(x.signature);
    }
    for (const StubSection& x : in.stubs)
        function(x.signature);
    for (const MethodSection& x : in.methods)
        function(x.signature);
    return w;
}


bool is_wanted(CXCursor c, const Wanted& w) {
    if (w.functions.count(function_spelling(c)))
        return true;
    const CXCursor parent = clang_getCursorSemanticParent(c);
    return is_class_kind(clang_getCursorKind(parent)) &&
           w.classes.count(take(clang_getCursorSpelling(parent)));
}

struct Walk {
    CXTranslationUnit tu;
    Collected* out;
    const Wanted* wanted;
    std::unordered_set<std::string>* defined;  // USRs of the classes defined so far in the unit
    std::size_t unit = 0;                      // the index of its source
};

// The place after the `class' or `struct' of a declaration of a class (the token at
// `key`, which a `friend' may precede), kept by the class's USR. A declaration met after
// the definition is left alone: the tag belongs on the first one, and compilers warn of
// attributes after a definition.
void collect_class_key(const Walk& w, CXCursor declaration, CXCursor cls) {
    const std::string usr = take(clang_getCursorUSR(cls));
    if (usr.empty() || w.defined->count(usr))
        return;
    CXToken* t = nullptr;
    unsigned count = 0;
    clang_tokenize(w.tu, clang_getRange(clang_getRangeStart(clang_getCursorExtent(declaration)),
                                        clang_getCursorLocation(declaration)), &t, &count);
    const unsigned key = count > 1 && take(clang_getTokenSpelling(w.tu, t[0])) == "friend" ? 1 : 0;
    Place p;
    if (key < count) {
        const std::string word = take(clang_getTokenSpelling(w.tu, t[key]));
        if ((word == "class" || word == "struct") &&
            place_of(clang_getRangeEnd(clang_getTokenExtent(w.tu, t[key])), w.out->cleaned, &p))
            w.out->class_keys[usr].emplace(key_of(p), p);
    }
    clang_disposeTokens(w.tu, t, count);
    if (clang_isCursorDefinition(cls))
        w.defined->insert(usr);
}

// `friend class X;`: X's declaration when the friend names a class.
void collect_friend_key(const Walk& w, CXCursor c) {
    clang_visitChildren(
        c,
        [](CXCursor child, CXCursor parent, CXClientData data) {
            const Walk& w = *static_cast<const Walk*>(data);
            if (clang_getCursorKind(child) == CXCursor_TypeRef) {
                const CXCursor cls = clang_getCursorReferenced(child);
                const CXCursorKind k = clang_getCursorKind(cls);
                if (k == CXCursor_ClassDecl || k == CXCursor_StructDecl)
                    collect_class_key(w, parent, cls);
            }
            return CXChildVisit_Break;
        },
        const_cast<Walk*>(&w));
}

void collect_class(CXCursor c, Collected& out) {
    ClassDef d;
    d.usr = take(clang_getCursorUSR(c));
    bool in_template = false;
    d.qualified = qualified_name(c, &in_template, &d.short_qualified);
    const CXCursorKind k = clang_getCursorKind(c);
    d.is_template = in_template || k == CXCursor_ClassTemplate ||
                    k == CXCursor_ClassTemplatePartialSpecialization;
    if (!place_of(clang_getRangeEnd(clang_getCursorExtent(c)), out.cleaned, &d.close) ||
        d.close.offset == 0)
        return;
    d.close.offset -= 1;  // the extent ends just after the brace
    out.classes.emplace(key_of(d.close), std::move(d));
}

// The key of the class definition a member belongs to, or "".
std::string parent_key(CXCursor c, CleanNames& cleaned) {
    const CXCursor parent = clang_getCursorSemanticParent(c);
    if (!is_class_kind(clang_getCursorKind(parent)))
        return {};
    Place p;
    const CXCursor definition = clang_getCursorDefinition(parent);
    if (clang_Cursor_isNull(definition) ||
        !place_of(clang_getRangeEnd(clang_getCursorExtent(definition)), cleaned, &p) ||
        p.offset == 0)
        return {};
    p.offset -= 1;
    return key_of(p);
}

// The parameters' types three ways, and the display name "deposit(int) const &&".
void collect_parameters(CXCursor c, const Walk& w, FunctionDef& f) {
    std::string types;
    const int count = clang_Cursor_getNumArguments(c);
    for (int i = 0; i < std::max(count, 0); ++i) {
        const CXCursor parm = clang_Cursor_getArgument(c, static_cast<unsigned>(i));
        const CXType type = clang_getCursorType(parm);
        const std::string spelling = take(clang_getTypeSpelling(type));
        f.param_types.push_back(parameter_tokens(w.tu, parm));
        f.param_spellings.push_back(tokenize(spelling));
        f.param_canonical.push_back(
            tokenize(take(clang_getTypeSpelling(clang_getCanonicalType(type)))));
        types += (i ? ", " : "") + spelling;
    }
    const CXRefQualifierKind ref = clang_Type_getCXXRefQualifier(clang_getCursorType(c));
    f.ref = ref == CXRefQualifier_LValue ? "&" : ref == CXRefQualifier_RValue ? "&&" : "";
    f.display = f.qualified.back() + "(" + types + ")" + (f.is_const ? " const" : "") +
                (f.ref.empty() ? "" : " " + f.ref);
}

void collect_function(CXCursor c, const Walk& w) {
    FunctionDef f;
    f.is_defaulted = clang_CXXMethod_isDefaulted(c) != 0;
    // A defaulted one is keyed by its end; one whose braces a macro made, by its start,
    // where no brace stands, so that weaving it is refused.
    CXSourceLocation body = clang_getRangeEnd(clang_getCursorExtent(c));
    if (!f.is_defaulted && !body_open(w.tu, c, &body))
        body = clang_getRangeStart(clang_getCursorExtent(c));
    if (!place_of(body, w.out->cleaned, &f.open))
        return;
    f.qualified = qualified_name(c, &f.in_template, &f.short_qualified);
    const CXCursorKind k = clang_getCursorKind(c);
    f.in_template = f.in_template || k == CXCursor_FunctionTemplate;
    f.kind = k == CXCursor_Constructor  ? Kind::constructor
             : k == CXCursor_Destructor ? Kind::destructor
             : (k == CXCursor_FunctionDecl) ? Kind::function
                                            : Kind::method;
    f.is_const = clang_CXXMethod_isConst(c) != 0;
    f.is_static = clang_CXXMethod_isStatic(c) != 0;
    f.is_public = clang_getCXXAccessSpecifier(c) == CX_CXXPublic;
    f.is_constexpr = !f.is_defaulted && declared_constexpr(w.tu, c, body);
    f.parent = parent_key(c, w.out->cleaned);
    collect_parameters(c, w, f);
    w.out->functions.emplace(key_of(f.open), std::move(f));
}

// Whether `loc` is in a file of the user's: not a system header, or one under the base
// directory (a project's own headers reached through -isystem, as CMake passes those of
// imported targets).
bool users_location(const Walk& w, CXSourceLocation loc) {
    if (!clang_Location_isInSystemHeader(loc))
        return true;
    const std::string& base = w.out->base;
    if (base.empty() || base == "/")
        return false;
    CXFile file = nullptr;
    clang_getFileLocation(loc, &file, nullptr, nullptr, nullptr);
    if (!file)
        return false;
    const std::string& name = clean(w.out->cleaned, take(clang_getFileName(file)));
    return name.size() > base.size() && name.compare(0, base.size(), base) == 0 &&
           name[base.size()] == '/';
}

CXChildVisitResult visit(CXCursor c, CXCursor, CXClientData data) {
    const Walk& w = *static_cast<Walk*>(data);
    const CXSourceLocation loc = clang_getCursorLocation(c);
    if (!users_location(w, loc))
        return CXChildVisit_Continue;
    Place p;
    if (place_of(loc, w.out->cleaned, &p))
        w.out->files.insert(p.file);
    const CXCursorKind k = clang_getCursorKind(c);
    if (k == CXCursor_TypedefDecl || k == CXCursor_TypeAliasDecl) {
        Alias a;
        bool in_template = false;
        a.qualified = qualified_name(c, &in_template, &a.short_qualified);
        const CXType type = clang_getCanonicalType(clang_getTypedefDeclUnderlyingType(c));
        a.type = tokenize(take(clang_getTypeSpelling(type)));
        w.out->aliases[a.qualified.back()].push_back(std::move(a));
        return CXChildVisit_Continue;
    }
    if (k == CXCursor_ClassDecl || k == CXCursor_StructDecl)
        collect_class_key(w, c, c);
    if (k == CXCursor_FriendDecl)
        collect_friend_key(w, c);
    if (is_class_kind(k) && clang_isCursorDefinition(c))
        collect_class(c, *w.out);
    if (is_function_kind(k) && clang_isCursorDefinition(c)) {
        if (is_wanted(c, *w.wanted))
            collect_function(c, w);
        return CXChildVisit_Continue;  // nothing inside a body is named by a section
    }
    return CXChildVisit_Recurse;
}

// Every user file a translation unit reads is copied, even one that declares nothing: a
// file left behind would include the originals of the instrumented files.
// A file whose #include stands inside a declaration (the cursor there is one) gets a host.
void add_inclusion(CXFile file, CXSourceLocation* stack, unsigned depth, CXClientData data) {
    const Walk& w = *static_cast<Walk*>(data);
    if (!users_location(w, clang_getLocationForOffset(w.tu, file, 0)))
        return;
    const std::string& name = clean(w.out->cleaned, take(clang_getFileName(file)));
    w.out->files.insert(name);
    w.out->readers[name].insert(w.unit);
    Place includer;
    if (depth > 0 && clang_isDeclaration(clang_getCursorKind(clang_getCursor(w.tu, stack[0]))) &&
        place_of(stack[0], w.out->cleaned, &includer))
        w.out->hosts[name] = includer.file;
}

// An error as the compiler words it, at the line it names: in a file with #line
// directives (a generated driver) the script's, with the file's own line after it.
std::string diagnostic_text(CXDiagnostic d) {
    const CXSourceLocation loc = clang_getDiagnosticLocation(d);
    CXFile file = nullptr;
    unsigned line = 0, column = 0, offset = 0;
    clang_getFileLocation(loc, &file, &line, &column, &offset);
    CXString presumed;
    unsigned presumed_line = 0, presumed_column = 0;
    clang_getPresumedLocation(loc, &presumed, &presumed_line, &presumed_column);
    const std::string real = file ? take(clang_getFileName(file)) : std::string();
    const std::string at = take(presumed);
    const std::string what = take(clang_getDiagnosticSpelling(d));
    if (at.empty())
        return "error: " + what;
    std::string text = at + ":" + std::to_string(presumed_line) + ":" +
                       std::to_string(presumed_column) + ": error: " + what;
    if (!real.empty() && (real != at || line != presumed_line))
        text += " (" + real + ":" + std::to_string(line) + ")";
    return text;
}

// Parses one translation unit and adds what it defines; false after adding its errors.
bool collect(CXIndex index, std::size_t unit, const std::string& source,
             const std::vector<std::string>& args, const Wanted& wanted, Collected& out,
             std::vector<std::string>& errors) {
    std::vector<const char*> argv;
    for (const std::string& a : args)
        argv.push_back(a.c_str());
    CXTranslationUnit tu = nullptr;
    const CXErrorCode code = clang_parseTranslationUnit2(
        index, source.c_str(), argv.data(), static_cast<int>(argv.size()), nullptr, 0,
        CXTranslationUnit_KeepGoing, &tu);
    if (code != CXError_Success || !tu) {
        errors.push_back(source + ": cannot be parsed");
        return false;
    }
    bool ok = true;
    for (unsigned i = 0, n = clang_getNumDiagnostics(tu); i < n; ++i) {
        CXDiagnostic d = clang_getDiagnostic(tu, i);
        if (clang_getDiagnosticSeverity(d) >= CXDiagnostic_Error) {
            errors.push_back(diagnostic_text(d));
            ok = false;
        }
        clang_disposeDiagnostic(d);
    }
    if (ok) {
        std::unordered_set<std::string> defined;
        Walk w{tu, &out, &wanted, &defined, unit};
        clang_visitChildren(clang_getTranslationUnitCursor(tu), visit, &w);
        clang_getInclusions(tu, add_inclusion, &w);
    }
    clang_disposeTranslationUnit(tu);
    return ok;
}

// ---- Matching ---------------------------------------------------------------------

// A written parameter through the typedefs of the user's code, to compare with the
// canonical type of a definition's.
Tokens without_aliases(const Collected& c, const Tokens& written) {
    return expand_aliases(written, [&](const Tokens& name) -> const Tokens* {
        Tokens parts;  // "lib :: Money" -> {"lib", "Money"}
        std::copy_if(name.begin(), name.end(), std::back_inserter(parts),
                     [](const std::string& t) { return t != "::"; });
        const auto it = parts.empty() ? c.aliases.end() : c.aliases.find(parts.back());
        if (it != c.aliases.end())
            for (const Alias& a : it->second)
                if (names_match(parts, a.qualified) || names_match(parts, a.short_qualified))
                    return &a.type;
        return nullptr;
    });
}

// By name (with or without inline namespaces), constness, ref-qualifier, and each
// parameter's type as written, as the compiler spells it, or canonical (typedefs spelled
// out on both sides).
bool signature_matches(const Collected& c, const Signature& s, const FunctionDef& f) {
    if (!(names_match(s.qualified, f.qualified) || names_match(s.qualified, f.short_qualified)) ||
        s.params.size() != f.param_types.size() || s.is_const != f.is_const || s.ref != f.ref)
        return false;
    for (std::size_t i = 0; i < s.params.size(); ++i)
        if (!same_parameter(s.params[i], f.param_types[i]) &&
            !same_canonical_type(s.params[i], f.param_types[i]) &&
            !same_canonical_type(s.params[i], f.param_spellings[i]) &&
            !same_canonical_type(s.params[i], f.param_canonical[i]) &&
            !same_canonical_type(without_aliases(c, s.params[i]), f.param_canonical[i]))
            return false;
    return true;
}

std::string where(const ScriptPlace& p) { return p.file + ":" + std::to_string(p.line) + ": "; }

// The definitions a signature names; an error when there is none or one is a template.
std::vector<const FunctionDef*> functions_named(const Collected& c, const std::string& text,
                                                const ScriptPlace& place, const char* what,
                                                std::vector<std::string>& errors) {
    std::vector<const FunctionDef*> found;
    const Signature s = parse_signature(text);
    if (!s.valid) {
        errors.push_back(where(place) + what + " `" + text + "' is not a function declaration");
        return found;
    }
    bool template_named = false;  // a template of that name
    for (const FunctionDef* f : entries(c.functions_by_name, s.qualified.back())) {
        // libclang gives a function template no parameters: the name decides.
        template_named = template_named || (f->in_template && names_match(s.qualified, f->qualified));
        if (!signature_matches(c, s, *f))
            continue;
        const char* refusal = f->in_template  ? "is a template: contracts on templates are not supported"
                              : f->is_defaulted ? "is defaulted (`= default'): it has no body to "
                                                  "check; write the body out"
                                                : nullptr;
        if (refusal) {
            errors.push_back(where(place) + what + " `" + text + "' " + refusal);
            return {};
        }
        found.push_back(f);
    }
    if (found.empty() && template_named)
        errors.push_back(where(place) + what + " `" + text +
                         "' is a template: contracts on templates are not supported");
    else if (found.empty())
        errors.push_back(where(place) + what + " `" + text + "' not found in the sources");
    return found;
}

// The class a CLASS section names: "Account", "bank::Account".
const ClassDef* class_named(const Collected& c, const ClassSection& s,
                            std::vector<std::string>& errors) {
    const Tokens name = name_parts(s.name);
    const ClassDef* found = nullptr;
    const std::string last = name.empty() ? std::string() : name.back();
    for (const ClassDef* d : entries(c.classes_by_name, last)) {
        if (!names_match(name, d->qualified) && !names_match(name, d->short_qualified))
            continue;
        if (d->is_template) {
            errors.push_back(where(s.place) + "class `" + s.name +
                             "' is a template: contracts on templates are not supported");
            return nullptr;
        }
        if (found && found->qualified != d->qualified) {
            errors.push_back(where(s.place) + "class `" + s.name + "' names more than one class");
            return nullptr;
        }
        found = d;
    }
    if (!found)
        errors.push_back(where(s.place) + "class `" + s.name + "' not found in the sources");
    return found;
}

// ---- Edits ------------------------------------------------------------------------

struct Edit {
    unsigned offset = 0;
    int order = 0;  // among edits at one offset
    std::string text;
    char brace = 0;     // the byte that must stand at `brace_at`; 0: none
    unsigned brace_at = 0, line = 0;
    std::string what;   // the member or class, for the message when it does not
};

struct Edits {
    std::map<std::string, std::vector<Edit>> by_file;
    std::map<std::string, std::set<std::string>> counters;  // file -> extern counters
    std::set<std::string> hosted;  // files whose head text goes to their host's head
    int next = 0;
};

// Text just after the brace at `p` (a function's opening one).
void insert_after(Edits& edits, const Place& p, std::string text, const std::string& what) {
    edits.by_file[p.file].push_back(
        Edit{p.offset + 1, edits.next++, std::move(text), '{', p.offset, p.line, what});
}

// Text just before the brace at `p` (a class's closing one).
void insert_before(Edits& edits, const Place& p, std::string text, const std::string& what) {
    edits.by_file[p.file].push_back(
        Edit{p.offset, edits.next++, std::move(text), '}', p.offset, p.line, what});
}

// A brace that is not in the file where libclang places it was made by a macro: the text
// would land inside the macro's call. False after appending the refusal.
bool braces_in_place(const std::string& file, const std::string& text,
                     const std::vector<Edit>& edits, std::vector<std::string>& errors) {
    bool ok = true;
    for (const Edit& e : edits)
        if (e.brace && (e.brace_at >= text.size() || text[e.brace_at] != e.brace)) {
            errors.push_back(file + ":" + std::to_string(e.line) + ": `" + e.what +
                             "' cannot be woven: it is made by a macro; write it out or leave "
                             "it out of the contracts");
            ok = false;
        }
    return ok;
}

// A C string literal of a file name or a function's display name, both as the compiler
// spelled them: a backslash before '"' and '\\', the rule of utils/text's escaped().
// vexinstr does not link vexcore (Qt, the name table), where that rule and the fuller
// literal_text of utils/text live, and three lines are cheaper than a library; so it is
// written here.
std::string quoted(const std::string& path) {
    std::string out = "\"";
    for (char c : path) {
        if (c == '"' || c == '\\')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

// Back to the user's line after inserted text.
std::string line_back(const Place& p) {
    return "\n#line " + std::to_string(p.presumed_line) + " " + quoted(p.presumed_file) + "\n";
}

std::string c_string(const std::string& text) { return quoted(text); }

// The statements at the start of a function body, in the order they run.
struct Prologue {
    std::string counters, object_guard, pre, post;
};

std::string ensure_guard(const std::vector<Assertion>& post, int index) {
    std::string judged, not_judged;
    for (const Assertion& a : post) {
        judged += a.text + "\n";
        char id[32];
        std::snprintf(id, sizeof id, "0x%lx", a.id);
        not_judged += std::string("_vxk_post_cond_not_judged(") + id + ", _VXK_CLASS_FILE_ACM);\n";
    }
    return "auto _vxk_ensure_" + std::to_string(index) +
           " = _vxk_on_exit([&](bool _vxk_judged) {\nif (_vxk_judged) {\n" + judged +
           "} else {\n" + not_judged + "}\n});\n";
}

// The members every instrumented class receives before its closing brace.
std::string class_members(const ClassSection& s) {
    char registration[96];
    std::snprintf(registration, sizeof registration, "_VXK_CLASS_MEMBERS(0x%x, 0x%x)\n", s.sum_a,
                  s.sum_b);
    std::string m = "\npublic:\n";
    m += registration;
    m += "void _vxk_check_invariants() const {\n";
    for (const Assertion& a : s.invariants)
        m += a.text + "\n";
    m += "}\n";
    if (s.state_tables.empty()) {
        m += "void _vxk_state_step() const {}\nvoid _vxk_state_known() const {}\n";
        return m;
    }
    m += "_VXK_STATE_MEMBERS\n";
    m += s.state_tables;
    m += "_vxk_Boolean _vxk_check_state(_vxk_StateType State) const {\n" + s.state_check + "}\n";
    m += "void _vxk_state_step() const {\n" + s.state_body + "}\n";
    return m;
}

// Which functions receive what, then the texts.
struct Plan {
    std::map<std::string, std::string> object_guards;  // function key -> guard statement
    std::map<std::string, std::string> method_guards;  // function key -> guard for free ones
    std::map<std::string, std::vector<std::string>> pre, post;  // function key -> statements
    std::map<std::string, std::vector<std::string>> counters;   // function key -> counters
};

const char* kind_code(Kind k) {
    return k == Kind::constructor ? "1" : k == Kind::destructor ? "2" : "0";
}

// What a class receives: its members before the closing brace, an object guard in every
// public method, constructor and destructor, and the conditions of its WRAPs, each given
// with the definitions it matched.
void plan_class(const Collected& c, const ClassSection& s, const std::string& class_key,
                const std::vector<std::vector<const FunctionDef*>>& wrapped, Plan& plan,
                Edits& edits) {
    const ClassDef& d = c.classes.at(class_key);
    insert_before(edits, d.close, class_members(s) + line_back(d.close), "class " + s.name);
    // The tag changes the mangled names of its members and of every function taking the
    // class, so a unit built from the original header (another layout) fails to link.
    if (const auto keys = c.class_keys.find(d.usr); keys != c.class_keys.end())
        for (const auto& [key, p] : keys->second)
            edits.by_file[p.file].push_back(
            Edit{p.offset, edits.next++, " __attribute__((abi_tag(\"vxk_woven\")))", 0, 0, 0, {}});
    for (const FunctionDef* f : entries(c.members, class_key)) {
        // A defaulted member copies, moves or compares members the invariant already held
        // for; an object it makes is judged at its first public call.
        if (f->is_static || f->is_defaulted || (f->kind == Kind::method && !f->is_public))
            continue;
        plan.object_guards[key_of(f->open)] = "auto _vxk_object_guard = _vxk_guard_object(this, " +
                                              c_string(f->display) + ", " + kind_code(f->kind) +
                                              ");\n";
    }
    int index = 0;
    for (std::size_t i = 0; i < s.wraps.size(); ++i)
        for (const FunctionDef* f : wrapped[i]) {
            const WrapSection& w = s.wraps[i];
            const std::string key = key_of(f->open);
            for (const Assertion& a : w.pre)
                plan.pre[key].push_back(a.text + "\n");
            if (!w.post.empty())
                plan.post[key].push_back(ensure_guard(w.post, index++));
            if (!plan.object_guards.count(key))
                plan.method_guards[key] =
                    "auto _vxk_method_guard = _vxk_guard_method(" + c_string(f->display) + ");\n";
        }
}

// Each class's WRAPs are matched once; a class is planned only when they all were found.
void plan_classes(const Collected& c, const Instrumentation& in, Plan& plan, Edits& edits,
                  std::vector<std::string>& errors) {
    for (const ClassSection& s : in.classes) {
        const auto* found = class_named(c, s, errors);
        if (!found)
            continue;
        const std::size_t before = errors.size();
        std::vector<std::vector<const FunctionDef*>> wrapped;
        for (const WrapSection& w : s.wraps)
            wrapped.push_back(functions_named(c, w.signature, w.place, "method", errors));
        if (errors.size() == before)
            plan_class(c, s, key_of(found->close), wrapped, plan, edits);
    }
}

// A stub's POS statements split into the checks (judged only on a normal return) and
// the exit call (always made, so the nesting of stub calls stays balanced).
std::string stub_exit_guard(const std::vector<std::string>& post) {
    std::string checks, exits;
    for (const std::string& text : post) {
        const std::size_t exit = text.find("_vex_exit_stub(");
        checks += text.substr(0, exit) + "\n";
        if (exit != std::string::npos)
            exits += text.substr(exit) + "\n";
    }
    return "auto _vxk_stub_exit = _vxk_on_exit([&](bool _vxk_judged) {\nif (_vxk_judged) {\n" +
           checks + "}\n" + exits + "});\n";
}

std::string function_prologue(const Plan& plan, const std::string& key) {
    std::string out;
    auto all = [&](const std::map<std::string, std::vector<std::string>>& m) {
        auto it = m.find(key);
        if (it != m.end())
            for (const std::string& s : it->second)
                out += s;
    };
    if (auto it = plan.counters.find(key); it != plan.counters.end())
        for (const std::string& counter : it->second)
            out += "++" + counter + ";\n";
    if (auto it = plan.object_guards.find(key); it != plan.object_guards.end())
        out += it->second;
    if (auto it = plan.method_guards.find(key); it != plan.method_guards.end())
        out += it->second;
    all(plan.pre);
    all(plan.post);
    return out;
}

// The whole file in *text; false when it cannot be read.
bool read_file(const std::string& path, std::string* text) {
    std::ifstream f(path, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    *text = s.str();
    return static_cast<bool>(f) || f.eof();
}

std::string apply_edits(const std::string& text, std::vector<Edit> edits) {
    std::stable_sort(edits.begin(), edits.end(), [](const Edit& a, const Edit& b) {
        return a.offset != b.offset ? a.offset < b.offset : a.order < b.order;
    });
    std::string out;
    std::size_t at = 0;
    for (const Edit& e : edits) {
        const std::size_t offset = std::min<std::size_t>(e.offset, text.size());
        out.append(text, at, offset - at);
        out += e.text;
        at = offset;
    }
    out.append(text, at, std::string::npos);
    return out;
}

// Parses every translation unit; false after adding the errors of those that fail.
bool collect_all(const WeaveOptions& options, const Wanted& wanted, Collected& c,
                 std::vector<std::string>& errors) {
    if (!options.base.empty())
        c.base = clean(c.cleaned, options.base);
    CXIndex index = clang_createIndex(0, 0);
    bool parsed = true;
    for (std::size_t i = 0; i < options.sources.size(); ++i)
        parsed = collect(index, i, options.sources[i], options.compile_args, wanted, c, errors) &&
                 parsed;
    clang_disposeIndex(index);
    return parsed;
}

// A STUB's conditions open and close the body of every definition it names.
void plan_stubs(const Collected& c, const Instrumentation& in, Plan& plan,
                std::vector<std::string>& errors) {
    for (const StubSection& s : in.stubs)
        for (const FunctionDef* f : functions_named(c, s.signature, s.place, "stub", errors)) {
            const std::string key = key_of(f->open);
            plan.pre[key].insert(plan.pre[key].end(), s.pre.begin(), s.pre.end());
            for (std::string& text : plan.pre[key])
                if (text.empty() || text.back() != '\n')
                    text += "\n";
            plan.post[key].push_back(stub_exit_guard(s.post));
        }
}

// A CHECK METHOD's counter goes up at the entry of the method; its file declares it.
void plan_counters(const Collected& c, const Instrumentation& in, Plan& plan, Edits& edits,
                   std::vector<std::string>& errors) {
    for (const MethodSection& m : in.methods)
        for (const FunctionDef* f : functions_named(c, m.signature, m.place, "method", errors)) {
            std::vector<std::string>& list = plan.counters[key_of(f->open)];
            if (std::find(list.begin(), list.end(), m.counter) == list.end())
                list.push_back(m.counter);
            edits.counters[f->open.file].insert(m.counter);
        }
}

// The head of a file included inside a declaration (its #include and extern lines) would
// land there: it goes to the head of the nearest includer at file scope.
void move_heads(const Collected& c, Edits& edits) {
    std::vector<std::string> woven;
    for (const auto& [file, list] : edits.by_file)
        woven.push_back(file);
    for (const std::string& file : woven) {
        std::string host = file;
        for (int depth = 0; depth < 100 && c.hosts.count(host); ++depth)
            host = c.hosts.at(host);
        if (host == file)
            continue;
        edits.hosted.insert(file);
        edits.by_file[host];  // woven, if only for the head
        const std::set<std::string> moved = edits.counters[file];
        edits.counters[host].insert(moved.begin(), moved.end());
    }
}

std::vector<std::size_t> readers_of(const Collected& c, const std::string& file) {
    const auto it = c.readers.find(file);
    return it == c.readers.end() ? std::vector<std::size_t>{}
                                 : std::vector<std::size_t>(it->second.begin(), it->second.end());
}

// Every user file: a plain copy, or the instrumented one with its head.
std::vector<WovenFile> copies(const Collected& c, Edits& edits, std::vector<std::string>& errors) {
    std::vector<WovenFile> out;
    for (const std::string& file : c.files) {
        std::string text;
        if (!read_file(file, &text)) {
            errors.push_back(file + ": cannot be read");
            continue;
        }
        auto it = edits.by_file.find(file);
        if (it == edits.by_file.end()) {
            out.push_back(WovenFile{file, text, false, readers_of(c, file)});
            continue;
        }
        if (!braces_in_place(file, text, it->second, errors))
            continue;
        if (!edits.hosted.count(file)) {
            std::string head = "#include \"lib/vxk.h\"\n";
            for (const std::string& counter : edits.counters[file])
                head += "extern TRVO_U_INT32 " + counter + ";\n";
            const unsigned bom = text.rfind("\xEF\xBB\xBF", 0) == 0 ? 3 : 0;  // stays first
            it->second.push_back(Edit{bom, -1, head + "#line 1 " + quoted(file) + "\n", 0, 0, 0, {}});
        }
        out.push_back(WovenFile{file, apply_edits(text, it->second), true, readers_of(c, file)});
    }
    return out;
}

}  // namespace

std::vector<WovenFile> weave(const Instrumentation& in, const WeaveOptions& options,
                             std::vector<std::string>& errors) {
    const std::size_t before = errors.size();
    Collected c;
    if (!collect_all(options, wanted_names(in), c, errors))
        return {};
    index_definitions(c);
    Plan plan;
    Edits edits;
    plan_classes(c, in, plan, edits, errors);
    plan_stubs(c, in, plan, errors);
    plan_counters(c, in, plan, edits, errors);
    if (errors.size() != before)
        return {};
    for (const auto& [key, f] : c.functions) {
        const std::string prologue = function_prologue(plan, key);
        if (prologue.empty())
            continue;
        if (f.is_constexpr)
            errors.push_back(f.open.file + ":" + std::to_string(f.open.line) + ": `" + f.display +
                             "' is constexpr or consteval: a contract check cannot run in a "
                             "constant expression; leave the class out of the contracts or "
                             "drop the constexpr");
        insert_after(edits, f.open, "\n" + prologue + line_back(f.open), f.display);
    }
    if (errors.size() != before)
        return {};
    move_heads(c, edits);
    std::vector<WovenFile> out = copies(c, edits, errors);
    return errors.size() == before ? out : std::vector<WovenFile>{};
}

bool woven_copies_parse(const std::vector<WovenFile>& copies, const std::vector<std::string>& units,
                        const std::vector<std::string>& compile_args,
                        std::vector<std::string>& errors) {
    std::vector<CXUnsavedFile> unsaved;
    for (const WovenFile& f : copies)
        unsaved.push_back(CXUnsavedFile{f.path.c_str(), f.text.c_str(),
                                        static_cast<unsigned long>(f.text.size())});
    std::vector<const char*> argv;
    for (const std::string& a : compile_args)
        argv.push_back(a.c_str());
    CXIndex index = clang_createIndex(0, 0);
    const std::size_t before = errors.size();
    for (const std::string& unit : units) {
        CXTranslationUnit tu = nullptr;
        if (clang_parseTranslationUnit2(index, unit.c_str(), argv.data(),
                                        static_cast<int>(argv.size()), unsaved.data(),
                                        static_cast<unsigned>(unsaved.size()),
                                        CXTranslationUnit_KeepGoing, &tu) != CXError_Success) {
            errors.push_back("internal error: the woven copy `" + unit + "' cannot be parsed");
            continue;
        }
        for (unsigned i = 0, n = clang_getNumDiagnostics(tu); i < n; ++i) {
            CXDiagnostic d = clang_getDiagnostic(tu, i);
            if (clang_getDiagnosticSeverity(d) >= CXDiagnostic_Error) {
                CXString file;
                unsigned line = 0, column = 0;
                clang_getPresumedLocation(clang_getDiagnosticLocation(d), &file, &line, &column);
                const std::string at = take(file), what = take(clang_getDiagnosticSpelling(d));
                const bool script = at.size() > 4 && (at.rfind(".otc") == at.size() - 4 ||
                                                      at.rfind(".otd") == at.size() - 4);
                // A condition of the scripts, pasted in: its names must be the definition's.
                errors.push_back(script ? at + ":" + std::to_string(line) +
                                              ": the condition does not compile where it is "
                                              "woven: " + what
                                        : "internal error: the weave broke the code: " + at +
                                              ":" + std::to_string(line) + ": " + what);
            }
            clang_disposeDiagnostic(d);
        }
        clang_disposeTranslationUnit(tu);
    }
    clang_disposeIndex(index);
    return errors.size() == before;
}
