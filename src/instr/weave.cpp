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
    Tokens qualified;
    bool is_template = false;
    Place close;  // the closing brace of its body
};

struct FunctionDef {
    Tokens qualified;
    std::vector<Tokens> param_types;      // as written, without names and defaults
    std::vector<Tokens> param_spellings;  // as the compiler spells the types
    std::string display;                  // "deposit(int)", for reports
    Kind kind = Kind::function;
    bool is_const = false, is_static = false, is_public = false, in_template = false;
    std::string parent;  // key of the class definition it belongs to, or ""
    Place open;          // the opening brace of its body
};

// Definitions by a name, each list in the order of the definitions' own map.
template <typename T>
using Index = std::unordered_map<std::string, std::vector<const T*>>;

struct Collected {
    std::map<std::string, ClassDef> classes;     // by key of the closing brace
    std::map<std::string, FunctionDef> functions;  // by key of the opening brace
    std::set<std::string> files;                 // every user file met
    CleanNames cleaned;
    // Filled once everything is collected, in the order of the maps above, so that a
    // section finds its candidates without a scan of every definition.
    Index<FunctionDef> functions_by_name;
    Index<FunctionDef> members;  // by the key of their class
    Index<ClassDef> classes_by_name;
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

Tokens qualified_name(CXCursor c, bool* in_template) {
    Tokens reversed{take(clang_getCursorSpelling(c))};
    for (CXCursor p = clang_getCursorSemanticParent(c); !clang_Cursor_isNull(p) &&
                                                       clang_getCursorKind(p) != CXCursor_TranslationUnit;
         p = clang_getCursorSemanticParent(p)) {
        const CXCursorKind k = clang_getCursorKind(p);
        if (k == CXCursor_ClassTemplate || k == CXCursor_ClassTemplatePartialSpecialization)
            *in_template = true;
        const std::string name = take(clang_getCursorSpelling(p));
        if (!name.empty() && (k == CXCursor_Namespace || is_class_kind(k)))
            reversed.push_back(name);
    }
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

CXCursor body_of(CXCursor function) {
    CXCursor body = clang_getNullCursor();
    clang_visitChildren(
        function,
        [](CXCursor c, CXCursor, CXClientData data) {
            if (clang_getCursorKind(c) == CXCursor_CompoundStmt)
                *static_cast<CXCursor*>(data) = c;
            return CXChildVisit_Continue;
        },
        &body);
    return body;
}

struct Walk {
    CXTranslationUnit tu;
    Collected* out;
};

void collect_class(CXCursor c, Collected& out) {
    ClassDef d;
    bool in_template = false;
    d.qualified = qualified_name(c, &in_template);
    const CXCursorKind k = clang_getCursorKind(c);
    d.is_template = in_template || k == CXCursor_ClassTemplate ||
                    k == CXCursor_ClassTemplatePartialSpecialization;
    if (!place_of(clang_getRangeEnd(clang_getCursorExtent(c)), out.cleaned, &d.close) ||
        d.close.offset == 0)
        return;
    d.close.offset -= 1;  // the extent ends just after the brace
    out.classes.emplace(key_of(d.close), std::move(d));
}

void collect_function(CXCursor c, const Walk& w) {
    const CXCursor body = body_of(c);
    if (clang_Cursor_isNull(body))
        return;
    FunctionDef f;
    if (!place_of(clang_getRangeStart(clang_getCursorExtent(body)), w.out->cleaned, &f.open))
        return;
    f.qualified = qualified_name(c, &f.in_template);
    const CXCursorKind k = clang_getCursorKind(c);
    f.in_template = f.in_template || k == CXCursor_FunctionTemplate;
    f.kind = k == CXCursor_Constructor  ? Kind::constructor
             : k == CXCursor_Destructor ? Kind::destructor
             : (k == CXCursor_FunctionDecl) ? Kind::function
                                            : Kind::method;
    f.is_const = clang_CXXMethod_isConst(c) != 0;
    f.is_static = clang_CXXMethod_isStatic(c) != 0;
    f.is_public = clang_getCXXAccessSpecifier(c) == CX_CXXPublic;
    const CXCursor parent = clang_getCursorSemanticParent(c);
    if (is_class_kind(clang_getCursorKind(parent))) {
        Place p;
        const CXCursor definition = clang_getCursorDefinition(parent);
        if (!clang_Cursor_isNull(definition) &&
            place_of(clang_getRangeEnd(clang_getCursorExtent(definition)), w.out->cleaned, &p) &&
            p.offset > 0) {
            p.offset -= 1;
            f.parent = key_of(p);
        }
    }
    std::string types;
    const int count = clang_Cursor_getNumArguments(c);
    for (int i = 0; i < std::max(count, 0); ++i) {
        const CXCursor parm = clang_Cursor_getArgument(c, static_cast<unsigned>(i));
        const std::string spelling = take(clang_getTypeSpelling(clang_getCursorType(parm)));
        f.param_types.push_back(parameter_tokens(w.tu, parm));
        f.param_spellings.push_back(tokenize(spelling));
        types += (i ? ", " : "") + spelling;
    }
    f.display = f.qualified.back() + "(" + types + ")" + (f.is_const ? " const" : "");
    w.out->functions.emplace(key_of(f.open), std::move(f));
}

CXChildVisitResult visit(CXCursor c, CXCursor, CXClientData data) {
    const Walk& w = *static_cast<Walk*>(data);
    const CXSourceLocation loc = clang_getCursorLocation(c);
    if (clang_Location_isInSystemHeader(loc))
        return CXChildVisit_Continue;
    Place p;
    if (place_of(loc, w.out->cleaned, &p))
        w.out->files.insert(p.file);
    const CXCursorKind k = clang_getCursorKind(c);
    if (is_class_kind(k) && clang_isCursorDefinition(c))
        collect_class(c, *w.out);
    if (is_function_kind(k) && clang_isCursorDefinition(c)) {
        collect_function(c, w);
        return CXChildVisit_Continue;  // nothing inside a body is named by a section
    }
    return CXChildVisit_Recurse;
}

// Every user file a translation unit reads is copied, even one that declares nothing: a
// file left behind would include the originals of the instrumented files.
void add_inclusion(CXFile file, CXSourceLocation*, unsigned, CXClientData data) {
    const Walk& w = *static_cast<Walk*>(data);
    if (!clang_Location_isInSystemHeader(clang_getLocationForOffset(w.tu, file, 0)))
        w.out->files.insert(clean(w.out->cleaned, take(clang_getFileName(file))));
}

// Parses one translation unit and adds what it defines; false after adding its errors.
bool collect(CXIndex index, const std::string& source, const std::vector<std::string>& args,
             Collected& out, std::vector<std::string>& errors) {
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
            errors.push_back(
                take(clang_formatDiagnostic(d, clang_defaultDiagnosticDisplayOptions())));
            ok = false;
        }
        clang_disposeDiagnostic(d);
    }
    if (ok) {
        Walk w{tu, &out};
        clang_visitChildren(clang_getTranslationUnitCursor(tu), visit, &w);
        clang_getInclusions(tu, add_inclusion, &w);
    }
    clang_disposeTranslationUnit(tu);
    return ok;
}

// ---- Matching ---------------------------------------------------------------------

bool signature_matches(const Signature& s, const FunctionDef& f) {
    if (!names_match(s.qualified, f.qualified) || s.params.size() != f.param_types.size() ||
        s.is_const != f.is_const)
        return false;
    for (std::size_t i = 0; i < s.params.size(); ++i)
        if (!same_parameter(s.params[i], f.param_types[i]) &&
            !same_parameter(s.params[i], f.param_spellings[i]))
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
    for (const FunctionDef* f : entries(c.functions_by_name, s.qualified.back()))
        if (signature_matches(s, *f)) {
            if (f->in_template) {
                errors.push_back(where(place) + what + " `" + text +
                                 "' is a template: contracts on templates are not supported");
                return {};
            }
            found.push_back(f);
        }
    if (found.empty())
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
        if (!names_match(name, d->qualified))
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
};

struct Edits {
    std::map<std::string, std::vector<Edit>> by_file;
    std::map<std::string, std::set<std::string>> counters;  // file -> extern counters
    int next = 0;
};

// Text just after the brace at `p` (a function's opening one).
void insert_after(Edits& edits, const Place& p, std::string text) {
    edits.by_file[p.file].push_back(Edit{p.offset + 1, edits.next++, std::move(text)});
}

// Text just before the brace at `p` (a class's closing one).
void insert_before(Edits& edits, const Place& p, std::string text) {
    edits.by_file[p.file].push_back(Edit{p.offset, edits.next++, std::move(text)});
}

// A C string literal of a file name or a function's display name, both as the compiler
// spelled them: a backslash before '"' and '\\', the rule of utils/text's escaped().
// vexinstr does not link vexcore (Qt, the name table) where that rule and gen's fuller
// literal_text live, and three lines are cheaper than a library; so it is written here.
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
    insert_before(edits, d.close, class_members(s) + line_back(d.close));
    for (const FunctionDef* f : entries(c.members, class_key)) {
        if (f->is_static || (f->kind == Kind::method && !f->is_public))
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
bool collect_all(const WeaveOptions& options, Collected& c, std::vector<std::string>& errors) {
    CXIndex index = clang_createIndex(0, 0);
    bool parsed = true;
    for (const std::string& source : options.sources)
        parsed = collect(index, source, options.compile_args, c, errors) && parsed;
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
            out.push_back(WovenFile{file, text, false});
            continue;
        }
        std::string head = "#include \"lib/vxk.h\"\n";
        for (const std::string& counter : edits.counters[file])
            head += "extern TRVO_U_INT32 " + counter + ";\n";
        it->second.push_back(Edit{0, -1, head + "#line 1 " + quoted(file) + "\n"});
        out.push_back(WovenFile{file, apply_edits(text, it->second), true});
    }
    return out;
}

}  // namespace

std::vector<WovenFile> weave(const Instrumentation& in, const WeaveOptions& options,
                             std::vector<std::string>& errors) {
    const std::size_t before = errors.size();
    Collected c;
    if (!collect_all(options, c, errors))
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
        if (!prologue.empty())
            insert_after(edits, f.open, "\n" + prologue + line_back(f.open));
    }
    std::vector<WovenFile> out = copies(c, edits, errors);
    return errors.size() == before ? out : std::vector<WovenFile>{};
}
