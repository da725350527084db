// gen/executions.cpp: what the test components write when the RUN reaches them: RUN
// elements and dotted steps, TEST CLASS, TEST SUITE and TEST CASE executions, PROC calls
// (inline, with their own labels), ON ERROR reactions, exception guards, PROLOGUE and
// EPILOGUE, and the actual parameters bound while an execution is generated.
#include <algorithm>

#include "errors/report.h"
#include "fi/names.h"
#include "gen/component_emitters.h"
#include "utils/text.h"

namespace {

Location at(const Component* c) { return Location{c->display_file, c->line}; }

void emit_name_in_comment(Generation& g, const Component* c) {
    emit(g, 0, comment_text(interned_view(c->name)));
}

constexpr Row DUMP_GATE[] = {
    {0, "if(_VEX_DumpAuthorization!=0) _VEX_DODEVURA_DUMP;\n"},
    {0, "else _VEX_DumpAuthorization=1;\n"},
    {0, "_VEX_DODEVURA_SET_BLOCK_NAME((_vex_Car*)\""},
};

// After a PROC returned: a reaction it engaged is ended here or leaves the caller too.
constexpr Row PROC_ON_ERROR_TEST[] = {
    {0, "\n"},
    {0, "/* Testing Proc On Error */\n"},
    {0, "if(_VEX_OnErrorEngaged)\n"},
    {0, "{\n"},
    {1, "if(!_VEX_BypassComponent)\n"},
    {1, "{\n"},
    {2, "_VEX_OnErrorEngaged=0;\n"},
};
constexpr Row PROC_ON_ERROR_BYPASS[] = {
    {1, "}\n"},
    {1, "else\n"},
    {1, "{\n"},
};
constexpr Row PROC_ON_ERROR_END[] = {
    {1, "}\n"},
    {0, "}\n"},
    {0, "\n"},
};

constexpr Row ENGAGE_EXIT[] = {
    {0, "_VEX_OnErrorEngaged=1;\n"},
    {0, "_VEX_BypassComponent=0x1;\n"},
};

constexpr const char* CATCH_OPEN = "#if XRL_EXCEPTIONS /* entering in catch */\n";
constexpr const char* CATCH_CLOSE = "#endif /* exiting from catch */\n\n";
constexpr Row CATCH_ALL[] = {
    {0, "catch (...)\n"},
    {0, "{\n"},
};

// The texts of a TEST CLASS or TEST SUITE execution, and of a TEST CASE or PROC one.
struct BlockTexts {
    const char* kind;  // "TEST CLASS": in the comments
    const char* call;  // "test_class": the runtime's _vex_enter_<call> and _vex_exit_<call>
};
constexpr BlockTexts CLASS_TEXTS{"TEST CLASS", "test_class"};
constexpr BlockTexts SUITE_TEXTS{"TEST SUITE", "test_suite"};

struct InlineTexts {
    const char* kind;         // "TEST CASE": in the comments
    const char* call;         // "test_case": _vex_enter_<call> and _vex_exit_<call>
    const char* begin_label;  // its labels' prefixes
    const char* end_label;
    bool exit_names_caller;   // the exit call has the caller's file index too
};
constexpr InlineTexts TEST_CASE_TEXTS{"TEST CASE", "test_case", "_VEX_BEGIN_TEST_CASE_",
                                      "_VEX_END_TEST_CASE_", true};
constexpr InlineTexts PROC_TEXTS{"PROC", "proc", "_VEX_BEGIN_PROC_", "_VEX_END_PROC_", false};

// "/* entering in TEST CLASS <name> */" and the runtime call with both identity pairs.
void emit_enter(Generation& g, const char* kind, const char* call, const Component* c,
                const Component* caller, int depth) {
    emitf(g, depth, "/* entering in %s ", kind);
    emit_name_in_comment(g, c);
    emit(g, 0, " */\n");
    emitf(g, depth, "_vex_enter_%s(0x%lx, _VEX_FileIdList[0x%x], 0x%lx, _VEX_FileIdList[0x%x]);\n",
          call, id_of(c), file_index(c), id_of(caller), file_index(caller));
}

// The runtime's exit call (`caller` null: it names the component's file alone), then
// "/* exiting from <kind> <name> */".
void emit_exit(Generation& g, const char* kind, const char* call, const Component* c,
               const Component* caller, int depth) {
    emitf(g, depth, "_vex_exit_%s(_VEX_FileIdList[0x%x]", call, file_index(c));
    if (caller)
        emitf(g, 0, ", _VEX_FileIdList[0x%x]", file_index(caller));
    emit(g, 0, ");\n");
    emitf(g, depth, "/* exiting from %s ", kind);
    emit_name_in_comment(g, c);
    emit(g, 0, " */\n");
}

// The dump of the previous block and the name of this one: `name`, then `owner`'s.
void emit_dump_gate(Generation& g, const Component* named, const Component* owner, int depth) {
    emit_rows(g, depth, DUMP_GATE);
    emit(g, 0, literal_text(interned_view(named->name)));
    if (owner) {
        emit(g, 0, " ");
        emit(g, 0, literal_text(interned_view(owner->name)));
    }
    emit(g, 0, "\");\n");
}

int gen_prologue_epilogue(Generation& g, const Component* q, const Component* owner, int depth) {
    const char* kind = q->kind == KIND_PROLOGUE ? "PROLOGUE" : "EPILOGUE";
    emit_dump_gate(g, q, owner, depth);
    emitf(g, depth, "/* entering in %s */\n", kind);
    for (const Component* c = q->first_child; c; c = c->next_sibling)
        if (gen_simple_statement(g, c, depth) < 0)
            return -1;
    emitf(g, depth, "/* exiting from %s */\n", kind);
    return 0;
}

// The nested block of a TEST CLASS or dotted step, around what `body` generates in it.
template <typename Body>
int gen_nested_block(Generation& g, const Component* owner, int depth, Body body) {
    const unsigned long saved_index = g.state_index;
    g.state_index = 0;
    open_block(g, depth);
    if (body() < 0)
        return -1;
    close_block(g, owner, depth);
    g.state_index = saved_index;
    return 0;
}

// The frame shared by TEST CLASS and TEST SUITE executions and dotted steps: the case,
// the enter text, ON ERROR, TRY, PROLOGUE, the nested block, EPILOGUE, the guard and
// the exit text. `n` is the execution's number.
template <typename Body>
int gen_block_execution(Generation& g, const BlockTexts& texts, const Component* b,
                        unsigned long n, int depth, const ParamItem* actuals,
                        const Component* carrier, const Component* caller, Body body) {
    const Component* const saved_on_error = g.active_on_error;
    open_component_case(g, b, depth);
    if (actuals && push_binding(g, b, carrier, actuals) < 0)
        return -1;
    emit_enter(g, texts.kind, texts.call, b, caller, depth + 1);
    emit(g, depth + 1, "{\n");
    const FirstChildren f = first_children(g, b);
    if (f.on_error)
        g.active_on_error = f.on_error;
    emit(g, depth + 1, "_VEX_TRY_BEGIN /* entering in TRY */\n");
    if (f.prologue && gen_prologue_epilogue(g, f.prologue, b, depth + 1) < 0)
        return -1;
    if (gen_nested_block(g, b, depth + 1, body) < 0)
        return -1;
    if (f.epilogue && gen_prologue_epilogue(g, f.epilogue, b, depth + 1) < 0)
        return -1;
    emit(g, depth + 1, "_VEX_TRY_END   /* exiting from TRY */\n\n");
    if (gen_guard(g, Execution{b, n}, depth + 1) < 0)
        return -1;
    emit(g, depth + 1, "}\n");
    emit_exit(g, texts.kind, texts.call, b, caller, depth + 1);
    if (actuals)
        pop_binding(g, b);
    close_component_case(g, depth);
    g.active_on_error = saved_on_error;
    return 0;
}

// The last step of a RUN element's path: the component it names, executed once at a time.
int gen_run_target(Generation& g, const Component* element, const RefSegment* step, int depth,
                   const Component* caller) {
    const Component* target = step->resolved;
    if (!g.run_stack.insert(target).second) {
        report_error(MSG_EXECUTION_CYCLE, at(element), arg_text(interned_view(target->name)));
        return -1;
    }
    int result = -1;
    switch (target->kind) {
    case KIND_TEST_CLASS:
        result = gen_test_class(g, target, depth, step->actuals, element, caller);
        break;
    case KIND_TEST_SUITE: result = gen_test_suite(g, target, depth, caller); break;
    case KIND_TEST_CASE: result = gen_test_case(g, target, depth, caller); break;
    default: result = unknown_component(target); break;
    }
    g.run_stack.erase(target);
    return result;
}

// One step of a RUN element's path; every step consumes an execution number.
int gen_run_step(Generation& g, const Component* element, const RefSegment* step, int depth,
                 const Component* caller) {
    const unsigned long n = g.run_number++;
    const Component* target = step->resolved;
    if (!target)
        return null_component(element);
    if (check_driver_size(g, element) < 0)
        return -1;
    if (!step->next)
        return gen_run_target(g, element, step, depth, caller);
    const RefSegment* next = step->next;
    if (!next->resolved)
        return null_component(element);
    return gen_block_execution(
        g, CLASS_TEXTS, target, n, depth, step->actuals, element, caller,
        [&] { return gen_run_step(g, element, next, depth + 1, next->resolved); });
}

// The counters a TEST CASE or PROC checks, saved before its statements run. Whether any
// CHECK STUB or CHECK METHOD was met, in `counters` and `stub_counters`.
int gen_counter_declarations(Generation& g, const Component* c, int depth, bool* counters,
                             bool* stub_counters) {
    for (const Component* k = c->first_child; k; k = k->next_sibling) {
        if (k->kind == KIND_CHECK_STUB) {
            if (gen_stub_check_declaration(g, k, depth) < 0)
                return -1;
            *counters = *stub_counters = true;
        } else if (k->kind == KIND_CHECK_METHOD) {
            gen_method_check_declaration(g, k, depth);
            *counters = true;
        }
    }
    return 0;
}

// One statement of a TEST CASE or PROC body; a CHECK EXCEPTION is kept in `expected`
// and written after the others.
int gen_body_statement(Generation& g, const Component* k, int depth, const Execution& e,
                       const Component** expected) {
    switch (k->kind) {
    case KIND_PRINT: return gen_print(g, k, depth);
    case KIND_CHECK_STUB: return gen_stub_check_body(g, k);
    case KIND_CHECK_EXCEPTION: *expected = k; return 0;
    case KIND_CHECK_PROPERTY: return gen_check_property(g, k, depth, e);
    case KIND_CHECK: return gen_check(g, k, depth, e, g.active_on_error);
    case KIND_REQUIRE:
    case KIND_ENSURE:
        return e.component->kind == KIND_PROC ? gen_condition(g, k, depth, e)
                                              : unknown_component(k);
    case KIND_CALL: return gen_call(g, k, depth, e);
    case KIND_CHECK_METHOD: case KIND_ON_ERROR: return 0;
    case KIND_COMMENT_TEXT: case KIND_COMMENT_BLOCK: case KIND_CPP_COMMENT: case KIND_C_COMMENT:
        return gen_comment(g, k, depth);
    default: return is_native(k->kind) ? gen_native(g, k, depth) : unknown_component(k);
    }
}

// Inside the TRY of a TEST CASE or PROC: counters saved, the body, the counter verdicts,
// the expected exception, then the end of the TRY and the guard. The body is at depth + 1.
int gen_execution_body(Generation& g, const Execution& e, int depth, bool* stub_counters) {
    const int b = depth + 1;
    bool counters = false;
    *stub_counters = false;
    const Component* const c = e.component;
    if (gen_counter_declarations(g, c, b, &counters, stub_counters) < 0)
        return -1;
    const Component* expected = nullptr;
    for (const Component* k = c->first_child; k; k = k->next_sibling)
        if (gen_body_statement(g, k, b, e, &expected) < 0)
            return -1;
    for (const Component* k = c->first_child; counters && k; k = k->next_sibling)
        if ((k->kind == KIND_CHECK_STUB || k->kind == KIND_CHECK_METHOD) &&
            gen_counter_verdict(g, k, b, e) < 0)
            return -1;
    if (expected && gen_exception_not_thrown(g, expected, b, e) < 0)
        return -1;
    emit(g, b, "_VEX_TRY_END   /* exiting from TRY */\n\n");
    if (expected && gen_exception_catch(g, expected, b) < 0)
        return -1;
    return gen_guard(g, e, b);
}

int gen_stub_check_resets(Generation& g, const Component* c, int depth) {
    for (const Component* k = c->first_child; k; k = k->next_sibling)
        if (k->kind == KIND_CHECK_STUB && gen_stub_check_reset(g, k, depth) < 0)
            return -1;
    return 0;
}

// What TEST CASE and PROC executions share: the enter call, the labelled TRY with the
// body, the counter resets and the exit call, one level inside `depth`. `caller` is the
// component the execution reports as its caller.
int gen_inline_execution(Generation& g, const InlineTexts& texts, const Execution& e,
                         const Component* caller, int depth) {
    const Component* c = e.component;
    const int b = depth + 1;
    emit_enter(g, texts.kind, texts.call, c, caller, b);
    emit(g, b, "{\n");
    emit_label(g, texts.begin_label, c, e.number, " : {\n", b);
    if (const Component* on_error = first_children(g, c).on_error)
        g.active_on_error = on_error;
    emit(g, b, "_VEX_TRY_BEGIN /* entering in TRY */\n");
    bool stub_counters = false;
    if (gen_execution_body(g, e, depth, &stub_counters) < 0)
        return -1;
    emit(g, b, "}\n");
    emit_label(g, texts.end_label, c, e.number, " : {}\n", b);
    if (stub_counters && gen_stub_check_resets(g, c, b) < 0)
        return -1;
    emit(g, b, "}\n");
    emit_exit(g, texts.kind, texts.call, c, texts.exit_names_caller ? caller : nullptr, b);
    return 0;
}

// A PROC is written inline at each CALL: a cycle would never end, and a chain of calls
// deeper than any block may nest would indent without bound (no compiler would take it).
int check_call_depth(Generation& g, const Component* p, const Component* call) {
    if (g.call_stack.count(p)) {
        report_error(MSG_PROC_CYCLE, at(call), arg_text(interned_view(call->name)));
        return -1;
    }
    if (g.call_stack.size() >= static_cast<std::size_t>(MAX_NESTING_DEPTH)) {
        report_error(MSG_NOT_EXPECTED_NOW, at(call), arg_text(interned_view(call->name)));
        return -1;
    }
    return check_driver_size(g, call);
}

int gen_proc(Generation& g, const Component* p, int depth, const Component* call) {
    const Execution e{p, g.run_number++};
    const Component* const saved_on_error = g.active_on_error;
    if (check_call_depth(g, p, call) < 0)
        return -1;
    g.call_stack.insert(p);
    if (gen_inline_execution(g, PROC_TEXTS, e, call, depth) < 0)
        return -1;
    g.call_stack.erase(p);
    g.active_on_error = saved_on_error;
    return 0;
}

}  // namespace

int push_binding(Generation& g, const Component* owner, const Component* carrier,
                 const ParamItem* actuals) {
    Binding binding{owner, {}};
    const ParamItem* formal = formals_of(owner);
    for (const ParamItem* a = actuals; a && formal; a = a->next, formal = formal->next) {
        const char* text = substituted(g, carrier, a->text);
        if (!text)
            return -1;  // reported (50)
        binding.pairs.emplace_back(formal->text, text);
    }
    g.bindings_of[owner].push_back(g.bindings.size());
    g.bindings.push_back(std::move(binding));
    return 0;
}

void pop_binding(Generation& g, const Component* owner) {
    g.bindings.pop_back();
    auto it = g.bindings_of.find(owner);
    if (it != g.bindings_of.end()) {
        it->second.pop_back();
        if (it->second.empty())
            g.bindings_of.erase(it);
    }
}

// The bindings whose owner is `c` or one of its ancestors, newest first: the walk is
// bounded by the nesting of blocks, never by the number of bindings.
const char* substituted(Generation& g, const Component* c, const char* text) {
    if (g.bindings.empty() || !text)
        return text;
    std::vector<std::size_t> applicable;
    for (const Component* a = c; a; a = a->parent) {
        auto it = g.bindings_of.find(a);
        if (it != g.bindings_of.end())
            applicable.insert(applicable.end(), it->second.begin(), it->second.end());
    }
    std::sort(applicable.begin(), applicable.end(), std::greater<>());
    for (std::size_t i : applicable)
        for (const auto& [formal, actual] : g.bindings[i].pairs) {
            text = replace_identifier(text, interned_view(formal), interned_view(actual));
            if (!text)
                return nullptr;
        }
    return text;
}

int gen_run_element(Generation& g, const Component* element, int depth) {
    const RunElementDetail* d = run_element_detail(element);
    if (!d || !d->path)
        return null_component(element);
    return gen_run_step(g, element, d->path, depth, element);
}

int gen_test_class(Generation& g, const Component* t, int depth, const ParamItem* actuals,
                   const Component* carrier, const Component* caller) {
    const unsigned long n = g.run_number++;
    return gen_block_execution(g, CLASS_TEXTS, t, n, depth, actuals, carrier, caller, [&] {
        const Component* run = first_children(g, t).run;
        for (const Component* e = run ? run->first_child : nullptr; e; e = e->next_sibling) {
            if (e->kind != KIND_RUN_ELEMENT)
                return unknown_component(e);
            if (gen_run_element(g, e, depth + 1) < 0)
                return -1;
        }
        return 0;
    });
}

int gen_test_suite(Generation& g, const Component* u, int depth, const Component* caller) {
    const unsigned long n = g.run_number++;
    return gen_block_execution(g, SUITE_TEXTS, u, n, depth, nullptr, nullptr, caller, [&] {
        for (const Component* c = u->first_child; c; c = c->next_sibling) {
            int result = 0;
            switch (c->kind) {
            case KIND_TEST_SUITE: result = gen_test_suite(g, c, depth + 1, c); break;
            case KIND_TEST_CASE: result = gen_test_case(g, c, depth + 1, c); break;
            case KIND_PROLOGUE: case KIND_EPILOGUE: case KIND_ON_ERROR: case KIND_PROC:
            case KIND_PROPERTY: case KIND_CPP_COMMENT: case KIND_C_COMMENT:
                break;
            default: result = unknown_component(c); break;
            }
            if (result < 0)
                return -1;
        }
        return 0;
    });
}

int gen_test_case(Generation& g, const Component* c, int depth, const Component* caller) {
    const Execution e{c, g.run_number++};
    const Component* const saved_on_error = g.active_on_error;
    open_component_case(g, c, depth);
    emit_dump_gate(g, c, nullptr, depth + 1);
    if (gen_inline_execution(g, TEST_CASE_TEXTS, e, caller, depth) < 0)
        return -1;
    close_component_case(g, depth);
    g.active_on_error = saved_on_error;
    return 0;
}

int gen_call(Generation& g, const Component* call, int depth, const Execution& e) {
    const CallDetail* d = call_detail(call);
    const Component* proc = d ? d->resolved : nullptr;
    if (!proc)
        return null_component(call);
    emit(g, depth, "/* Calling the running of the PROC ");
    emit(g, 0, comment_text(reference_text(d->callee)));
    emit(g, 0, " */\n");
    emit(g, 0, "\n");
    if (d->actuals && push_binding(g, proc, call, d->actuals) < 0)
        return -1;
    if (gen_proc(g, proc, depth, call) < 0)
        return -1;
    if (d->actuals)
        pop_binding(g, proc);
    const int b = depth + 1;
    emit_rows(g, b, PROC_ON_ERROR_TEST);
    emitf(g, b + 2, "_vex_exit_error(0x%lx);\n", id_of(proc));
    emit_rows(g, b, PROC_ON_ERROR_BYPASS);
    if (emit_jump_to_end(g, e, b + 2) < 0)
        return -1;
    emit_rows(g, b, PROC_ON_ERROR_END);
    return 0;
}

namespace {

// The ON ERROR action: go on, or engage the reaction and leave a TEST CASE or PROC.
int emit_action(Generation& g, const Component* on_error, const Execution& e, int depth) {
    const OnErrorDetail* d = on_error_detail(on_error);
    const Component* c = e.component;
    const bool leaves = c->kind == KIND_TEST_CASE || c->kind == KIND_PROC;
    switch (d ? d->action : 0) {
    case KIND_CONTINUE:
        emitf(g, depth, "_vex_exit_error(0x%lx);\n", id_of(c));
        return 0;
    case KIND_BYPASS:
        emit(g, depth, "_VEX_OnErrorEngaged=1;\n");
        if (!d->resolved || d->resolved == c)
            emit(g, depth, "_VEX_BypassComponent=0x0;\n");
        else
            emitf(g, depth, "_VEX_BypassComponent=0x%lx;\n", id_of(d->resolved));
        return leaves ? emit_jump_to_end(g, e, depth) : 0;
    case KIND_EXIT:
        emit_rows(g, depth, ENGAGE_EXIT);
        return leaves ? emit_jump_to_end(g, e, depth) : 0;
    default:
        return unknown_component(on_error);
    }
}

}  // namespace

int gen_reaction(Generation& g, const Component* on_error, const Execution& e, int depth) {
    const Component* c = e.component;
    const int r = depth + 1;
    if (!on_error) {
        emitf(g, r, "_vex_enter_error(0x0, _VEX_FileIdList[0x%x]);\n", file_index(c));
        emitf(g, r, "_vex_exit_error(0x%lx);\n", id_of(c));
        return 0;
    }
    emit(g, r, "_VEX_TRY_BEGIN /* entering in TRY for ON ERROR */\n");
    emitf(g, r, "_vex_enter_error(0x%lx, _VEX_FileIdList[0x%x]);\n", id_of(on_error),
          file_index(on_error));
    for (const Component* s = on_error->first_child; s; s = s->next_sibling)
        if (gen_simple_statement(g, s, r) < 0)
            return -1;
    if (emit_action(g, on_error, e, r) < 0)
        return -1;
    emit(g, r, "_VEX_TRY_END   /* exiting from TRY for ON ERROR */\n\n");
    emit(g, 0, CATCH_OPEN);
    emit_rows(g, r, CATCH_ALL);
    emitf(g, r, "_vex_unexpected_exception(0x%lx, _VEX_FileIdList[0x%x]);\n", id_of(c),
          file_index(c));
    emit_rows(g, r, ENGAGE_EXIT);
    if ((c->kind == KIND_TEST_CASE || c->kind == KIND_PROC) && emit_jump_to_end(g, e, r) < 0)
        return -1;
    emit(g, r, "}\n");
    emit(g, 0, CATCH_CLOSE);
    return 0;
}

int gen_guard(Generation& g, const Execution& e, int depth) {
    emit(g, 0, CATCH_OPEN);
    emit_rows(g, depth, CATCH_ALL);
    emitf(g, depth, "_vex_unexpected_exception(0x%lx, _VEX_FileIdList[0x%x]);\n",
          id_of(e.component), file_index(e.component));
    if (gen_reaction(g, g.active_on_error, e, depth) < 0)
        return -1;
    emit(g, depth, "}\n");
    emit(g, 0, CATCH_CLOSE);
    return 0;
}

int gen_print(Generation& g, const Component* p, int depth) {
    emit(g, depth, "{\n");
    emitf(g, depth, "_vex_print_start(0x%lx, _VEX_FileIdList[0x%x]);\n", id_of(p), file_index(p));
    for (const ParamItem* item = param_list_detail(p)->params; item; item = item->next) {
        const char* value = substituted(g, p, item->text);
        if (!value)
            return -1;
        const std::string text = literal_text(interned_view(item->shown ? item->shown : item->text));
        emit(g, depth, "/* ");
        emit(g, 0, comment_text(interned_view(value)));
        emit(g, 0, " => ");
        emit(g, 0, comment_text(text));
        emit(g, 0, " */\n");
        line_to_source(g, p);
        line_to_driver(g);
        emit(g, depth, "_vex_print(");
        emit(g, 0, interned_view(value));
        emit(g, 0, ", (_vex_Car*)\"");
        emit(g, 0, text);
        emit(g, 0, "\");\n");
    }
    emit(g, depth, "_vex_print_end();\n");
    emit(g, depth, "}\n");
    return 0;
}

int gen_comment(Generation& g, const Component* m, int depth) {
    if (m->kind == KIND_CPP_COMMENT || m->kind == KIND_C_COMMENT)
        return 0;
    if (m->kind != KIND_COMMENT_TEXT && m->kind != KIND_COMMENT_BLOCK)
        return unknown_component(m);
    line_to_source(g, m);
    emit(g, depth, "/* ");
    emit(g, 0, comment_text(interned_view(m->name)));
    emit(g, 0, " */\n");
    line_to_driver(g);
    emitf(g, depth, "_vex_comment(0x%lx, _VEX_FileIdList[0x%x]);\n", id_of(m), file_index(m));
    return 0;
}

int gen_native(Generation& g, const Component* n, int depth) {
    if (!is_native(n->kind))
        return unknown_component(n);
    if (n->kind == KIND_JAVA_NATIVE_LINE || n->kind == KIND_JAVA_NATIVE_BLOCK)
        return 0;  // native code for another target language
    const char* text = substituted(g, n, n->name);
    if (!text && n->name)
        return -1;
    line_to_source(g, n);
    emit(g, depth, interned_view(text));
    line_to_driver(g);
    emit(g, 0, "\n");
    return 0;
}

int gen_simple_statement(Generation& g, const Component* c, int depth) {
    switch (c->kind) {
    case KIND_PRINT: return gen_print(g, c, depth);
    case KIND_COMMENT_TEXT: case KIND_COMMENT_BLOCK: case KIND_CPP_COMMENT: case KIND_C_COMMENT:
        return gen_comment(g, c, depth);
    default:
        return is_native(c->kind) ? gen_native(g, c, depth) : unknown_component(c);
    }
}
