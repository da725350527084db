// analysis/expand.cpp: copies inherited components into derived TEST CLASSes, with the
// base's formal parameters replaced in the copied code, then clears the base links.
// A chain of bases is followed with a loop, not recursion: a script may chain very many
// sibling classes. Everything else recurses over the nesting, which the readers bound.
#include "analysis/expand.h"

#include <new>
#include <string>
#include <unordered_set>

#include "analysis/checker.h"
#include "errors/report.h"
#include "fi/names.h"
#include "utils/text.h"

namespace {

Location at(const Component* c) { return Location{c->display_file, c->line}; }

QString name_arg(const char* text) { return arg_text(std::string_view(text ? text : "")); }

// Construct words of message 46, by kind; nullptr: the kind cannot be copied (48).
const char* construct_word(int kind) {
    switch (kind) {
    case KIND_TEST_CLASS: return "TEST CLASS";
    case KIND_TEST_SUITE: return "TEST SUITE";
    case KIND_TEST_CASE: return "TEST CASE";
    case KIND_CHECK_EXCEPTION: return "CHECK EXCEPTION";
    case KIND_CHECK_PROPERTY: return "CHECK PROPERTY";
    case KIND_CHECK_STUB: return "CHECK STUB";
    case KIND_CHECK_METHOD: return "CHECK METHOD";
    case KIND_ON_ERROR: return "ON ERROR";
    case KIND_PRINT: return "PRINT";
    case KIND_CALL: return "CALL";
    case KIND_PROC: return "PROC";
    case KIND_ENSURE: return "ENSURE EXPRESSION";
    case KIND_REQUIRE: return "REQUIRE EXPRESSION";
    case KIND_RUN: return "RUN";
    case KIND_RUN_ELEMENT: return "RUN ELEMENT";
    case KIND_PROLOGUE: return "PROLOGUE";
    case KIND_EPILOGUE: return "EPILOGUE";
    case KIND_THREE_POINTS: return "THREE POINTS";
    case KIND_EXPRESSION: return "EXPRESSION";
    case KIND_COMMENT_TEXT: case KIND_COMMENT_BLOCK: case KIND_CPP_COMMENT:
    case KIND_C_COMMENT: return "COMMENT";
    case KIND_CHECK: return "CHECK";
    case KIND_PROPERTY: return "PROPERTY";
    case KIND_STUB: return "STUB";
    default: return is_native(kind) ? "NATIVE" : nullptr;
    }
}

Span span_of(const Component* c) {
    return Span{c->first_line, c->last_line, c->first_column, c->last_column};
}

// A reference copied for a CALL, CHECK PROPERTY or RUN ELEMENT; when memory runs out the
// copy goes on without it (message 46).
RefSegment* copied_reference(const Component* c, const RefSegment* reference) {
    bool failed = false;
    RefSegment* copy = copy_reference(reference, &failed);
    if (!failed)
        return copy;
    report_error(MSG_BUILD_NODE, at(c), QString::fromLatin1(construct_word(c->kind)),
                 name_arg(c->name));
    return nullptr;
}

// Copies of the kinds whose detail record holds more than the builder takes.
Component* copy_check_property(Component* p, const Component* k, Span s) {
    const CheckPropertyDetail* d = check_property_detail(k);
    RefSegment* property = copied_reference(k, d->property);
    Component* c = build_check_property(p, d->label, k->name, k->dir, k->file, s, k->line,
                                        k->depth, property, property ? property->actuals : nullptr,
                                        d->text_span);
    if (c)
        check_property_detail(c)->spare = d->spare;
    return c;
}

Component* copy_on_error(Component* p, const Component* k, Span s) {
    Component* c = build_on_error(p, k->name, k->dir, k->file, s, k->line, k->depth);
    if (c) {
        on_error_detail(c)->action = on_error_detail(k)->action;
        on_error_detail(c)->bypass_name = on_error_detail(k)->bypass_name;
    }
    return c;
}

Component* copy_check(Component* p, const Component* k, Span s) {
    const CheckDetail* d = check_detail(k);
    Component* c = build_check(p, d->label, d->expression, k->dir, k->file, s, k->line, k->depth,
                               d->text_span);
    if (c)
        check_detail(c)->spare = d->spare;
    return c;
}

Component* copy_condition(Component* p, const Component* k, Span s) {
    const ConditionDetail* d = condition_detail(k);
    Component* c = build_condition(p, k->kind, k->name, k->dir, k->file, s, k->line, k->depth,
                                   d->span);
    if (c)
        condition_detail(c)->spare = d->spare;
    return c;
}

Component* copy_print(Component* p, const Component* k, Span s) {
    bool failed = false;
    ParamItem* items = copy_params(param_list_detail(k)->params, &failed);
    return failed ? nullptr
                  : build_param_list(p, KIND_PRINT, k->name, k->dir, k->file, s, k->line,
                                     k->depth, items);
}

// The copy under `p` with the detail record of its kind, before id and file are set.
Component* build_copy(Component* p, const Component* k) {
    const char* n = k->name;
    const Span s = span_of(k);
    switch (k->kind) {
    case KIND_TEST_CLASS: {
        const TestClassDetail* d = test_class_detail(k);
        return build_test_class(p, n, k->dir, k->file, s, k->line, k->depth, d->formals,
                                copied_reference(k, d->base));
    }
    case KIND_CALL: {
        RefSegment* callee = copied_reference(k, call_detail(k)->callee);
        return build_call(p, n, k->dir, k->file, s, k->line, k->depth, callee,
                          callee ? callee->actuals : nullptr);
    }
    case KIND_CHECK_PROPERTY: return copy_check_property(p, k, s);
    case KIND_RUN_ELEMENT:
        return build_run_element(p, n, k->dir, k->file, s, k->line, k->depth,
                                 copied_reference(k, run_element_detail(k)->path));
    case KIND_PRINT: return copy_print(p, k, s);
    case KIND_PROC:
    case KIND_PROPERTY:
        return build_param_list(p, k->kind, n, k->dir, k->file, s, k->line, k->depth,
                                param_list_detail(k)->params);
    case KIND_ON_ERROR: return copy_on_error(p, k, s);
    case KIND_CHECK: return copy_check(p, k, s);
    case KIND_REQUIRE: case KIND_ENSURE: return copy_condition(p, k, s);
    case KIND_STUB:
        return build_stub(p, n, k->dir, k->file, s, k->line, k->depth, stub_detail(k)->signature);
    case KIND_CHECK_STUB:
        return build_check_stub(p, n, k->dir, k->file, s, k->line, k->depth);
    default:  // the kinds without a detail record
        return create_component(p, k->kind, n, k->dir, k->file, s, k->line, k->depth);
    }
}

// Kinds that a derived class overrides by defining one of the same kind and name.
bool overridable(int kind) {
    switch (kind) {
    case KIND_TEST_CLASS: case KIND_TEST_SUITE: case KIND_TEST_CASE: case KIND_CHECK_STUB:
    case KIND_ON_ERROR: case KIND_PROC: case KIND_RUN: case KIND_PROLOGUE: case KIND_EPILOGUE:
    case KIND_PROPERTY:
        return true;
    default:
        return false;
    }
}

struct KindName {
    int kind = 0;
    const char* name = nullptr;  // interned: identity is equality
    bool operator==(const KindName&) const = default;
};
struct KindNameHash {
    std::size_t operator()(const KindName& k) const noexcept {
        return std::hash<const void*>()(k.name) * 31 + static_cast<std::size_t>(k.kind);
    }
};

// What a derived class already holds, so that inherited components it defines itself
// are not copied.
struct Defined {
    std::unordered_set<KindName, KindNameHash> named;
    bool check_exception = false;

    void add(const Component* c) {
        if (c->kind == KIND_CHECK_EXCEPTION)
            check_exception = true;
        else if (overridable(c->kind))
            named.insert(KindName{c->kind, c->name});
    }
    bool overrides(const Component* k) const {
        if (k->kind == KIND_CHECK_EXCEPTION)
            return check_exception;
        return overridable(k->kind) && named.count(KindName{k->kind, k->name}) != 0;
    }
};

// Every actual text of a list, rewritten in place; a PRINT keeps what it shows.
int substitute_items(ParamItem* items, const ParamBindings& bindings, bool keep_shown = false) {
    for (ParamItem* p = items; p; p = p->next) {
        if (!p->text)
            continue;
        if (keep_shown && !p->shown)
            p->shown = p->text;
        p->text = substitute_text(p->text, bindings);
        if (!p->text)
            return -1;
    }
    return 0;
}

int substitute_reference(RefSegment* first, const ParamBindings& bindings) {
    for (RefSegment* s = first; s; s = s->next)
        if (substitute_items(s->actuals, bindings) < 0)
            return -1;
    return 0;
}

int substitute_name(const char** text, const ParamBindings& bindings) {
    if (!*text)
        return 0;
    *text = substitute_text(*text, bindings);
    return *text ? 0 : -1;
}

// The texts of one component (not its children).
int substitute_own(Component* x, const ParamBindings& bindings) {
    switch (x->kind) {
    case KIND_CALL: return substitute_reference(call_detail(x)->callee, bindings);
    case KIND_CHECK_PROPERTY:
        return substitute_reference(check_property_detail(x)->property, bindings);
    case KIND_RUN_ELEMENT: return substitute_reference(run_element_detail(x)->path, bindings);
    case KIND_PRINT: return substitute_items(param_list_detail(x)->params, bindings, true);
    case KIND_CHECK: return substitute_name(&check_detail(x)->expression, bindings);
    case KIND_REQUIRE: case KIND_ENSURE: case KIND_EXPRESSION:
        return substitute_name(&x->name, bindings);
    default:
        return is_native(x->kind) ? substitute_name(&x->name, bindings) : 0;
    }
}

// The chain of classes whose bases lead from `c` to a class without base, each base
// resolved again (which repeats the checks and rebinds the actual parameters).
int collect_base_chain(Component* c, std::vector<Component*>& chain) {
    std::unordered_set<const Component*> seen{c};
    chain.push_back(c);
    for (Component* cur = c;;) {
        TestClassDetail* d = test_class_detail(cur);
        if (!d || !d->resolved_base)
            return 0;
        Component* base = resolve_base_class(cur, d->base);
        d->resolved_base = base;
        if (!base) {
            d->base = nullptr;
            return -1;
        }
        if (!seen.insert(base).second) {  // the first check stops the run before this
            report_error(MSG_INHERITANCE_CYCLE, at(cur), name_arg(cur->name),
                         name_arg(base->name));
            return -1;
        }
        chain.push_back(base);
        cur = base;
    }
}

int expand_children(Component* c) {
    for (Component* child = c->first_child; child; child = child->next_sibling)
        if (expand_components(child) < 0)
            return -1;
    return 0;
}

}  // namespace

int expand_tree(Component* root) {
    begin_lookup_session();  // base lookups in large blocks go through an index
    const int result = expand_components(root);
    end_lookup_session();
    return result;
}

// From the top of the chain down: each base is complete, its nested classes included,
// before it is copied into the class below it.
int expand_components(Component* c) {
    const TestClassDetail* d = test_class_detail(c);
    if (!d || !d->resolved_base)
        return c ? expand_children(c) : 0;
    std::vector<Component*> chain;
    try {
        if (collect_base_chain(c, chain) < 0)
            return -1;
    } catch (const std::bad_alloc&) {
        report_error(MSG_NO_FREE_MEMORY);
        return -1;
    }
    for (std::size_t i = chain.size(); i-- > 0;) {
        Component* derived = chain[i];
        if (i + 1 < chain.size()) {
            if (inherit_components(derived, chain[i + 1]) < 0)
                return -1;
            TestClassDetail* d = test_class_detail(derived);
            d->base = nullptr;
            d->resolved_base = nullptr;
        }
        if (expand_children(derived) < 0)
            return -1;
    }
    return 0;
}

int inherit_components(Component* derived, Component* base) {
    try {
        ParamBindings bindings;
        const TestClassDetail* d = test_class_detail(derived);
        for (const RefSegment* s = d ? d->base : nullptr; s; s = s->next)
            for (const ParamItem* p = s->actuals; p; p = p->next)
                if (p->bound && p->text)
                    bindings.push_back(ParamBinding{p->bound, p->text, 0});
        Defined defined;
        for (const Component* own = derived->first_child; own; own = own->next_sibling)
            defined.add(own);
        // Copies are appended to `derived`, never to `base`: the walk below sees only
        // the base's own children.
        for (const Component* k = base->first_child; k; k = k->next_sibling) {
            if (defined.overrides(k))
                continue;
            Component* copy = copy_subtree(derived, k);
            if (!copy)
                return -1;
            if (!bindings.empty() && substitute_parameters(copy, bindings) < 0)
                return -1;
            defined.add(copy);
        }
        return 0;
    } catch (const std::bad_alloc&) {
        report_error(MSG_NO_FREE_MEMORY);
        return -1;
    }
}

Component* copy_subtree(Component* parent, const Component* c) {
    Component* copy = copy_component(parent, c);
    if (!copy)
        return nullptr;
    for (const Component* child = c->first_child; child; child = child->next_sibling)
        if (!copy_subtree(copy, child))
            return nullptr;
    return copy;
}

Component* copy_component(Component* parent, const Component* c) {
    const char* word = construct_word(c->kind);
    if (!word) {
        report_error(MSG_UNKNOWN_TOKEN, at(c), name_arg(c->name));
        return nullptr;
    }
    Component* copy = build_copy(parent, c);
    if (!copy) {
        const char* shown = c->kind == KIND_CHECK ? check_detail(c)->expression : c->name;
        report_error(MSG_BUILD_NODE, at(c), QString::fromLatin1(word), name_arg(shown));
        return nullptr;
    }
    copy->id = c->id;
    copy->file_no = c->file_no;
    return copy;
}

int substitute_parameters(Component* x, ParamBindings& bindings) {
    if (substitute_own(x, bindings) < 0)
        return -1;
    std::vector<std::size_t> shadowed;  // one entry per count raised
    for (const ParamItem* f = formals_of(x); f; f = f->next)
        for (std::size_t i = 0; i < bindings.size(); ++i)
            if (bindings[i].formal == f->text) {
                ++bindings[i].shadow_count;
                shadowed.push_back(i);
            }
    int result = 0;
    for (Component* child = x->first_child; child && result == 0; child = child->next_sibling)
        result = substitute_parameters(child, bindings);
    for (std::size_t i : shadowed)
        --bindings[i].shadow_count;
    return result;
}

const char* substitute_text(const char* text, const ParamBindings& bindings) {
    for (const ParamBinding& b : bindings) {
        if (b.shadow_count != 0)
            continue;
        text = replace_identifier(text, interned_view(b.formal), interned_view(b.actual));
        if (!text)
            return nullptr;
    }
    return text;
}
