// listings/otsgen.cpp: the .ots records of one component: a tag, the component's id,
// a quoted text, its first line and its parent's id. Texts stay in the 8-bit encoding
// they were read in; only the texts that come from C++ or comments are escaped.
// A component without a text gets no record.
#include "listings/otsgen.h"

#include <string>

#include "listings/sink.h"
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

// Whether the component has the text its record shows; without it, no record.
bool has_text(const Component* c, Text how) {
    switch (how) {
    case Text::check: return check_detail(c) && check_detail(c)->expression;
    case Text::transition:
        return transition_detail(c) && transition_detail(c)->source &&
               transition_detail(c)->destination;
    case Text::print_list: return true;
    case Text::run_path: return run_element_detail(c) && run_element_detail(c)->path;
    default: return c->name != nullptr;
    }
}

void append_text(RecordLine& l, const Component* c, Text how) {
    switch (how) {
    case Text::plain_name: l << c->name; break;
    case Text::escaped_name: l.escaped(c->name); break;
    case Text::bracketed_name: l << "("; l.escaped(c->name) << ")"; break;
    case Text::run_path: l << reference_text(run_element_detail(c)->path); break;
    case Text::print_list: {
        // Escaping the joined list is escaping each item: the commas need none.
        const ParamListDetail* d = param_list_detail(c);
        l << "(";
        for (const ParamItem* p = d ? d->params : nullptr; p; p = p->next) {
            if (p != d->params)
                l << ",";
            l.escaped(p->text ? p->text : "");
        }
        l << ")";
        break;
    }
    case Text::check_property: {
        const CheckPropertyDetail* d = check_property_detail(c);
        if (d && d->label)
            l << "`" << d->label << "' / ";
        l << c->name;
        break;
    }
    case Text::check: {
        const CheckDetail* d = check_detail(c);
        if (d->label)
            l << "`" << d->label << "' / ";
        l << "(";
        l.escaped(d->expression) << ")";
        break;
    }
    case Text::transition: {
        const TransitionDetail* d = transition_detail(c);
        l << d->source << " TO " << d->destination;
        break;
    }
    }
}

// "<tag> <id>h \"" then the text, then "\" line=<first line> dad=<parent id>h<extra>;\n"
void record_tail(RecordLine& l, int first_line, unsigned long dad) {
    l << "\" line=";
    l.decimal(static_cast<unsigned long>(first_line)) << " dad=";
    l.hex(dad);
}

}  // namespace

int write_ots_component(const Component* c) {
    FileRecord* r = c ? find_file_record(c->file_no) : nullptr;
    const OtsRule* rule = c ? rule_for(c->kind) : nullptr;
    if (!r || !r->ots_sink || !rule || !has_text(c, rule->text))
        return -1;
    RecordLine l(*r->ots_sink);
    l << rule->tag << " ";
    l.hex(c->id) << " \"";
    append_text(l, c, rule->text);
    record_tail(l, c->first_line, c->parent ? c->parent->id : 0);
    if (c->kind == KIND_CHECK_STUB) {
        const CheckStubDetail* d = check_stub_detail(c);
        const Component* stub = d ? d->resolved : nullptr;
        l << " stb=";
        l.hex(stub ? stub->id : 0);
    }
    l << ";\n";
    end_ots_line(r, l);
    if (c->kind == KIND_CLASS || c->kind == KIND_SINGLE_CLASS) {
        RecordLine os(*r->ots_sink);
        os << "OS ";
        os.hex(c->id + OBSERVATION_STATE_OFFSET) << " \"" << c->name << " Observation State";
        record_tail(os, c->first_line, c->id);
        os << ";\n";
        end_ots_line(r, os);
    }
    return 0;
}
