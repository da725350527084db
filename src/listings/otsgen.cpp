// listings/otsgen.cpp: the .ots records of one component: a tag, the component's id,
// a quoted text, its first line and its parent's id. Texts stay in the 8-bit encoding
// they were read in; only the texts that come from C++ or comments are escaped.
// A component without a text gets no record.
#include "listings/otsgen.h"

#include <optional>
#include <string>

#include "listings/statgen.h"
#include "utils/text.h"

namespace {

// How the quoted text of a record is made from the component.
enum class Text {
    plain_name,      // name as written
    escaped_name,    // escaped name
    bracketed_name,  // "(" escaped name ")"
    run_path,        // path segments joined by "."
    print_list,      // escaped "(" actuals joined by "," ")"
    check_property,  // name, or "`label' / name"
    check,           // "(escaped expression)", or "`label' / (escaped expression)"
    transition,      // "source TO destination"
};

struct OtsRule {
    int kind;
    const char* tag;
    Text text;
};

constexpr OtsRule OTS_RULES[] = {
    {KIND_TEST_CLASS, "TL", Text::plain_name},
    {KIND_TEST_SUITE, "TS", Text::plain_name},
    {KIND_TEST_CASE, "TC", Text::plain_name},
    {KIND_PROLOGUE, "CB", Text::plain_name},
    {KIND_EPILOGUE, "CE", Text::plain_name},
    {KIND_RUN, "RU", Text::plain_name},
    {KIND_RUN_ELEMENT, "RC", Text::run_path},
    {KIND_NATIVE_LINE, "NC", Text::escaped_name},
    {KIND_NATIVE_BLOCK, "NC", Text::escaped_name},
    {KIND_CPP_NATIVE_LINE, "NC", Text::escaped_name},
    {KIND_CPP_NATIVE_BLOCK, "NC", Text::escaped_name},
    {KIND_JAVA_NATIVE_LINE, "NC", Text::escaped_name},
    {KIND_JAVA_NATIVE_BLOCK, "NC", Text::escaped_name},
    {KIND_COMMENT_TEXT, "CO", Text::escaped_name},
    {KIND_COMMENT_BLOCK, "CO", Text::escaped_name},
    {KIND_PRINT, "PR", Text::print_list},
    {KIND_PROPERTY, "PY", Text::plain_name},
    {KIND_EXPRESSION, "EX", Text::bracketed_name},
    {KIND_CHECK_PROPERTY, "CY", Text::check_property},
    {KIND_CHECK, "CH", Text::check},
    {KIND_PROC, "PC", Text::plain_name},
    {KIND_CALL, "CP", Text::plain_name},
    {KIND_REQUIRE, "RQ", Text::bracketed_name},
    {KIND_ENSURE, "EN", Text::bracketed_name},
    {KIND_INVARIANT, "IV", Text::bracketed_name},
    {KIND_CHECK_EXCEPTION, "CX", Text::escaped_name},
    {KIND_CHECK_METHOD, "CM", Text::escaped_name},
    {KIND_STUB, "SB", Text::plain_name},
    {KIND_CHECK_STUB, "CS", Text::plain_name},
    {KIND_WRAP, "WR", Text::escaped_name},
    {KIND_CLASS, "CL", Text::escaped_name},
    {KIND_SINGLE_CLASS, "SL", Text::escaped_name},
    {KIND_UML_STATE, "ST", Text::plain_name},
    {KIND_TRANSITION, "TR", Text::transition},
};

constexpr unsigned long OBSERVATION_STATE_OFFSET = 3000000;

const OtsRule* rule_for(int kind) {
    for (const OtsRule& rule : OTS_RULES)
        if (rule.kind == kind)
            return &rule;
    return nullptr;  // ON ERROR has a .tsf record only
}

std::string print_list(const Component* c) {
    std::string list = "(";  // joined, then escaped as one text
    const ParamListDetail* d = param_list_detail(c);
    for (const ParamItem* p = d ? d->params : nullptr; p; p = p->next) {
        if (p != d->params)
            list += ',';
        list += p->text ? p->text : "";
    }
    list += ')';
    return escaped(list);
}

std::optional<std::string> check_text(const Component* c) {
    const CheckDetail* d = check_detail(c);
    if (!d || !d->expression)
        return std::nullopt;
    const std::string text = concat({"(", escaped(d->expression), ")"});
    return d->label ? concat({"`", d->label, "' / ", text}) : text;
}

std::optional<std::string> check_property_text(const Component* c) {
    const CheckPropertyDetail* d = check_property_detail(c);
    if (!c->name)
        return std::nullopt;
    return d && d->label ? concat({"`", d->label, "' / ", c->name}) : std::string(c->name);
}

std::optional<std::string> transition_text(const Component* c) {
    const TransitionDetail* d = transition_detail(c);
    if (!d || !d->source || !d->destination)
        return std::nullopt;
    return concat({d->source, " TO ", d->destination});
}

std::optional<std::string> record_text(const Component* c, Text how) {
    switch (how) {
    case Text::check_property: return check_property_text(c);
    case Text::check: return check_text(c);
    case Text::transition: return transition_text(c);
    case Text::print_list: return print_list(c);
    case Text::run_path: {
        const RunElementDetail* d = run_element_detail(c);
        if (!d || !d->path)
            return std::nullopt;
        return reference_text(d->path);  // any length: nothing is cut
    }
    default: break;
    }
    if (!c->name)
        return std::nullopt;
    if (how == Text::plain_name)
        return std::string(c->name);
    if (how == Text::escaped_name)
        return escaped(c->name);
    return concat({"(", escaped(c->name), ")"});
}

// "<tag> <id>h \"<text>\" line=<first line> dad=<parent id>h<extra>;\n"
std::string record(const char* tag, unsigned long id, const std::string& text, int first_line,
                   unsigned long dad, const std::string& extra = {}) {
    return concat({tag, " ", hex_field(id), " \"", text, "\" line=",
                   decimal_field(static_cast<unsigned long>(first_line)), " dad=", hex_field(dad),
                   extra, ";\n"});
}

std::string stub_field(const Component* c) {
    const CheckStubDetail* d = check_stub_detail(c);
    const Component* stub = d ? d->resolved : nullptr;
    return concat({" stb=", hex_field(stub ? stub->id : 0)});
}

}  // namespace

int write_ots_component(const Component* c) {
    FileRecord* r = c ? find_file_record(c->file_no) : nullptr;
    const OtsRule* rule = c ? rule_for(c->kind) : nullptr;
    if (!r || !r->ots_file || !rule)
        return -1;
    const std::optional<std::string> text = record_text(c, rule->text);
    if (!text)
        return -1;
    const unsigned long dad = c->parent ? c->parent->id : 0;
    const std::string extra = c->kind == KIND_CHECK_STUB ? stub_field(c) : std::string();
    ots_write(r, record(rule->tag, c->id, *text, c->first_line, dad, extra));
    if (c->kind == KIND_CLASS || c->kind == KIND_SINGLE_CLASS)
        ots_write(r, record("OS", c->id + OBSERVATION_STATE_OFFSET,
                            concat({c->name, " Observation State"}), c->first_line, c->id));
    return 0;
}
