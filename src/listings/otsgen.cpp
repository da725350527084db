// listings/otsgen.cpp: the .ots records of one component: a tag, the component's id,
// a quoted text, its first line and its parent's id. Texts stay in the 8-bit encoding
// they were read in; only the texts that come from C++ or comments are escaped.
// A component without a text gets no record.
#include "listings/otsgen.h"

#include <string>

#include "formats/keys.h"
#include "formats/listing.h"
#include "listings/sink.h"
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
    std::string_view tag;
    Text text;
};

constexpr OtsRule OTS_RULES[] = {
    {KIND_TEST_CLASS, listing::TEST_CLASS, Text::plain_name},
    {KIND_TEST_SUITE, listing::TEST_SUITE, Text::plain_name},
    {KIND_TEST_CASE, listing::TEST_CASE, Text::plain_name},
    {KIND_PROLOGUE, listing::PROLOGUE, Text::plain_name},
    {KIND_EPILOGUE, listing::EPILOGUE, Text::plain_name},
    {KIND_RUN, listing::RUN, Text::plain_name},
    {KIND_RUN_ELEMENT, listing::RUN_ELEMENT, Text::run_path},
    {KIND_COMMENT_TEXT, listing::COMMENT, Text::escaped_name},
    {KIND_COMMENT_BLOCK, listing::COMMENT, Text::escaped_name},
    {KIND_PRINT, listing::PRINT, Text::print_list},
    {KIND_PROPERTY, listing::PROPERTY, Text::plain_name},
    {KIND_EXPRESSION, listing::EXPRESSION, Text::bracketed_name},
    {KIND_CHECK_PROPERTY, listing::CHECK_PROPERTY, Text::check_property},
    {KIND_CHECK, listing::CHECK, Text::check},
    {KIND_PROC, listing::PROC, Text::plain_name},
    {KIND_CALL, listing::CALL, Text::plain_name},
    {KIND_REQUIRE, listing::REQUIRE, Text::bracketed_name},
    {KIND_ENSURE, listing::ENSURE, Text::bracketed_name},
    {KIND_INVARIANT, listing::INVARIANT, Text::bracketed_name},
    {KIND_CHECK_EXCEPTION, listing::CHECK_EXCEPTION, Text::escaped_name},
    {KIND_CHECK_METHOD, listing::CHECK_METHOD, Text::escaped_name},
    {KIND_STUB, listing::STUB, Text::plain_name},
    {KIND_CHECK_STUB, listing::CHECK_STUB, Text::plain_name},
    {KIND_WRAP, listing::WRAP, Text::escaped_name},
    {KIND_CLASS, listing::CLASS, Text::escaped_name},
    {KIND_SINGLE_CLASS, listing::SINGLE_CLASS, Text::escaped_name},
    {KIND_UML_STATE, listing::UML_STATE, Text::plain_name},
    {KIND_TRANSITION, listing::TRANSITION, Text::transition},
};

constexpr OtsRule NATIVE_RULE{0, listing::NATIVE, Text::escaped_name};  // every native kind

const OtsRule* rule_for(int kind) {
    if (is_native(kind))
        return &NATIVE_RULE;
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
    l << listing::OTS_LINE_FIELD;
    l.decimal(static_cast<unsigned long>(first_line)) << " " << listing::OTS_PARENT_FIELD;
    l.hex(dad);
}

}  // namespace

int write_ots_component(FileRecord* r, const Component* c) {
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
        l << " " << listing::OTS_STUB_FIELD;
        l.hex(stub ? stub->id : 0);
    }
    l << ";\n";
    end_ots_line(r, l);
    if (c->kind == KIND_CLASS || c->kind == KIND_SINGLE_CLASS) {
        RecordLine os(*r->ots_sink);
        os << listing::OBSERVATION_STATE << " ";
        os.hex(c->id + keys::STATE_REPORT_OFFSET) << " \"" << c->name << " Observation State";
        record_tail(os, c->first_line, c->id);
        os << ";\n";
        end_ots_line(r, os);
    }
    return 0;
}
