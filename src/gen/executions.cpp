// gen/executions.cpp: what the test components write when the RUN reaches them: RUN
// elements and dotted steps, TEST CLASS, TEST SUITE and TEST CASE executions, PROC calls
// (inline, with their own labels), ON ERROR reactions, exception guards, PROLOGUE and
// EPILOGUE, and the actual parameters bound while an execution is generated.
#include <algorithm>

#include "driver/options.h"
#include "errors/report.h"
#include "fi/names.h"
#include "gen/emitters.h"
#include "utils/text.h"

namespace {

Location at(const Component* c) { return Location{c->display_file, c->line}; }

void emit_name_in_comment(const Component* c) { emit(0, comment_text(interned_view(c->name))); }

// The enter and exit texts of a TEST CLASS or TEST SUITE execution.
struct BlockTexts {
    const char* entering;  // "/* entering in TEST CLASS "
    const char* enter;     // the runtime call, identity pairs of the block and its caller
    const char* exit;      // the runtime call, file indexes of both
    const char* exiting;
};

constexpr BlockTexts CLASS_TEXTS = {
    "/* entering in TEST CLASS ",
    "_vex_enter_test_class(0x%lx, _VEX_FileIdList[0x%x], 0x%lx, _VEX_FileIdList[0x%x]);\n",
    "_vex_exit_test_class(_VEX_FileIdList[0x%x], _VEX_FileIdList[0x%x]);\n",
    "/* exiting from TEST CLASS ",
};
constexpr BlockTexts SUITE_TEXTS = {
    "/* entering in TEST SUITE ",
    "_vex_enter_test_suite(0x%lx, _VEX_FileIdList[0x%x], 0x%lx, _VEX_FileIdList[0x%x]);\n",
    "_vex_exit_test_suite(_VEX_FileIdList[0x%x], _VEX_FileIdList[0x%x]);\n",
    "/* exiting from TEST SUITE ",
};

void emit_block_enter(const BlockTexts& texts, const Component* b, const Component* caller,
                      int depth) {
    emit(depth, texts.entering);
    emit_name_in_comment(b);
    emit(0, " */\n");
    emitf(depth, texts.enter, id_of(b), file_index(b), id_of(caller), file_index(caller));
    emit(depth, "{\n");
}

void emit_block_exit(const BlockTexts& texts, const Component* b, const Component* caller,
                     int depth) {
    emit(depth, "}\n");
    emitf(depth, texts.exit, file_index(b), file_index(caller));
    emit(depth, texts.exiting);
    emit_name_in_comment(b);
    emit(0, " */\n");
}

int gen_prologue_epilogue(Component* q, const Component* owner, int depth) {
    const bool prologue = q->kind == KIND_PROLOGUE;
    emit(depth, "if(_VEX_DumpAuthorization!=0) _VEX_DODEVURA_DUMP;\n");
    emit(depth, "else _VEX_DumpAuthorization=1;\n");
    emit(depth, "_VEX_DODEVURA_SET_BLOCK_NAME((_vex_Car*)\"");
    emit(0, literal_text(interned_view(q->name)));
    emit(0, " ");
    emit(0, literal_text(interned_view(owner->name)));
    emit(0, "\");\n");
    emit(depth, prologue ? "/* entering in PROLOGUE */\n" : "/* entering in EPILOGUE */\n");
    for (const Component* c = q->first_child; c; c = c->next_sibling)
        if (gen_simple_statement(c, depth) < 0)
            return -1;
    emit(depth, prologue ? "/* exiting from PROLOGUE */\n" : "/* exiting from EPILOGUE */\n");
    return 0;
}

// The nested block of a TEST CLASS or dotted step, around what `body` generates in it.
template <typename Body>
int gen_nested_block(const Component* owner, int depth, Body body) {
    Generation& g = gen();
    const unsigned long saved_index = g.state_index;
    g.state_index = 0;
    open_block(depth);
    if (body() < 0)
        return -1;
    close_block(owner, depth);
    g.state_index = saved_index;
    return 0;
}

// The frame shared by TEST CLASS and TEST SUITE executions and dotted steps: the case,
// the enter text, ON ERROR, TRY, PROLOGUE, the nested block, EPILOGUE, the guard and
// the exit text. `n` is the execution's number.
template <typename Body>
int gen_block_execution(const BlockTexts& texts, Component* b, unsigned long n, int depth,
                        const ParamItem* actuals, const Component* carrier,
                        const Component* caller, Body body) {
    Generation& g = gen();
    Component* const saved_on_error = g.active_on_error;
    open_component_case(b, depth);
    if (actuals && push_binding(b, carrier, actuals) < 0)
        return -1;
    emit_block_enter(texts, b, caller, depth + 1);
    const FirstChildren f = first_children(b);
    if (f.on_error)
        g.active_on_error = f.on_error;
    emit(depth + 1, "_VEX_TRY_BEGIN /* entering in TRY */\n");
    if (f.prologue && gen_prologue_epilogue(f.prologue, b, depth + 1) < 0)
        return -1;
    if (gen_nested_block(b, depth + 1, body) < 0)
        return -1;
    if (f.epilogue && gen_prologue_epilogue(f.epilogue, b, depth + 1) < 0)
        return -1;
    emit(depth + 1, "_VEX_TRY_END   /* exiting from TRY */\n\n");
    if (gen_guard(Execution{b, n}, depth + 1) < 0)
        return -1;
    emit_block_exit(texts, b, caller, depth + 1);
    if (actuals)
        pop_binding(b);
    close_component_case(depth);
    g.active_on_error = saved_on_error;
    return 0;
}

// One step of a RUN element's path; every step consumes an execution number.
int gen_run_step(Component* element, RefSegment* step, int depth, const Component* caller) {
    Generation& g = gen();
    const unsigned long n = g.run_number++;
    Component* target = step->resolved;
    if (!target)
        return null_component(element);
    if (check_driver_size(element) < 0)
        return -1;
    if (!step->next) {
        if (!g.run_stack.insert(target).second) {
            report_error(MSG_EXECUTION_CYCLE, at(element), arg_text(interned_view(target->name)));
            return -1;
        }
        int result = -1;
        switch (target->kind) {
        case KIND_TEST_CLASS:
            result = gen_test_class(target, depth, step->actuals, element, caller);
            break;
        case KIND_TEST_SUITE: result = gen_test_suite(target, depth, caller); break;
        case KIND_TEST_CASE: result = gen_test_case(target, depth, caller); break;
        default: result = unknown_component(target); break;
        }
        g.run_stack.erase(target);
        return result;
    }
    RefSegment* next = step->next;
    if (!next->resolved)
        return null_component(element);
    return gen_block_execution(CLASS_TEXTS, target, n, depth, step->actuals, element, caller,
                               [&] { return gen_run_step(element, next, depth + 1, next->resolved); });
}

// Steps 4 to 10 shared by TEST CASE and PROC executions: counters saved, the body, the
// result tests, the expected exception and the guard. The body is at depth + 1.
int gen_execution_body(const Execution& e, int depth, bool* has_stub_check) {
    const int b = depth + 1;
    bool has_counter_check = false;
    *has_stub_check = false;
    Component* const c = e.component;
    for (const Component* k = c->first_child; k; k = k->next_sibling) {
        if (k->kind == KIND_CHECK_STUB) {
            if (gen_stub_check_declaration(k, b) < 0)
                return -1;
            has_counter_check = *has_stub_check = true;
        } else if (k->kind == KIND_CHECK_METHOD) {
            gen_method_check_declaration(k, b);
            has_counter_check = true;
        }
    }
    const Component* expected = nullptr;
    for (Component* k = c->first_child; k; k = k->next_sibling) {
        int result = 0;
        switch (k->kind) {
        case KIND_PRINT: result = gen_print(k, b); break;
        case KIND_CHECK_STUB: result = gen_stub_check_body(k); break;
        case KIND_CHECK_EXCEPTION: expected = k; break;
        case KIND_CHECK_PROPERTY: result = gen_check_property(k, b, e); break;
        case KIND_CHECK: result = gen_check(k, b, e, gen().active_on_error); break;
        case KIND_REQUIRE:
        case KIND_ENSURE:
            result = c->kind == KIND_PROC ? gen_condition(k, b, e) : unknown_component(k);
            break;
        case KIND_CALL: result = gen_call(k, b, e); break;
        case KIND_CHECK_METHOD: case KIND_ON_ERROR: break;
        case KIND_COMMENT_TEXT: case KIND_COMMENT_BLOCK: case KIND_CPP_COMMENT:
        case KIND_C_COMMENT: result = gen_comment(k, b); break;
        default: result = is_native(k->kind) ? gen_native(k, b) : unknown_component(k); break;
        }
        if (result < 0)
            return -1;
    }
    for (const Component* k = c->first_child; has_counter_check && k; k = k->next_sibling) {
        const int result = k->kind == KIND_CHECK_STUB    ? gen_stub_check_result(k, b, e)
                           : k->kind == KIND_CHECK_METHOD ? gen_method_check_result(k, b, e)
                                                          : 0;
        if (result < 0)
            return -1;
    }
    if (expected && gen_exception_not_thrown(expected, b, e) < 0)
        return -1;
    emit(b, "_VEX_TRY_END   /* exiting from TRY */\n\n");
    if (expected && gen_exception_catch(expected, b) < 0)
        return -1;
    return gen_guard(e, b);
}

int gen_stub_check_resets(const Component* c, int depth) {
    for (const Component* k = c->first_child; k; k = k->next_sibling)
        if (k->kind == KIND_CHECK_STUB && gen_stub_check_reset(k, depth) < 0)
            return -1;
    return 0;
}

int gen_proc(Component* p, int depth, const Component* call) {
    Generation& g = gen();
    const unsigned long n = g.run_number++;
    Component* const saved_on_error = g.active_on_error;
    const int b = depth + 1;
    emit(b, "/* entering in PROC ");
    emit_name_in_comment(p);
    emit(0, " */\n");
    emitf(b, "_vex_enter_proc(0x%lx, _VEX_FileIdList[0x%x], 0x%lx, _VEX_FileIdList[0x%x]);\n",
          id_of(p), file_index(p), id_of(call), file_index(call));
    emit(b, "{\n");
    emit_label("_VEX_BEGIN_PROC_", p, n, " : {\n", b);
    if (g.call_stack.count(p)) {
        report_error(MSG_PROC_CYCLE, at(call), arg_text(interned_view(call->name)));
        return -1;
    }
    // Every call is written inline: a chain of calls deeper than any block may nest
    // would indent without bound and no compiler would take it.
    if (g.call_stack.size() >= static_cast<std::size_t>(MAX_NESTING_DEPTH)) {
        report_error(MSG_NOT_EXPECTED_NOW, at(call), arg_text(interned_view(call->name)));
        return -1;
    }
    if (check_driver_size(call) < 0)
        return -1;
    g.call_stack.insert(p);
    if (Component* on_error = first_children(p).on_error)
        g.active_on_error = on_error;
    emit(b, "_VEX_TRY_BEGIN /* entering in TRY */\n");
    bool has_stub_check = false;
    if (gen_execution_body(Execution{p, n}, depth, &has_stub_check) < 0)
        return -1;
    g.call_stack.erase(p);
    emit(b, "}\n");
    emit_label("_VEX_END_PROC_", p, n, " : {}\n", b);
    if (has_stub_check && gen_stub_check_resets(p, b) < 0)
        return -1;
    emit(b, "}\n");
    emitf(b, "_vex_exit_proc(_VEX_FileIdList[0x%x]);\n", file_index(p));
    emit(b, "/* exiting from PROC ");
    emit_name_in_comment(p);
    emit(0, " */\n");
    g.active_on_error = saved_on_error;
    return 0;
}

}  // namespace

int push_binding(const Component* owner, const Component* carrier, const ParamItem* actuals) {
    Generation& g = gen();
    Binding binding{owner, {}};
    const ParamItem* formal = formals_of(owner);
    for (const ParamItem* a = actuals; a && formal; a = a->next, formal = formal->next) {
        const char* text = substituted(carrier, a->text);
        if (!text)
            return -1;  // reported (50)
        binding.pairs.emplace_back(formal->text, text);
    }
    g.bindings_of[owner].push_back(g.bindings.size());
    g.bindings.push_back(std::move(binding));
    return 0;
}

void pop_binding(const Component* owner) {
    Generation& g = gen();
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
const char* substituted(const Component* c, const char* text) {
    Generation& g = gen();
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

int gen_run_element(Component* element, int depth) {
    const RunElementDetail* d = run_element_detail(element);
    if (!d || !d->path)
        return null_component(element);
    return gen_run_step(element, d->path, depth, element);
}

int gen_test_class(Component* t, int depth, const ParamItem* actuals, const Component* carrier,
                   const Component* caller) {
    const unsigned long n = gen().run_number++;
    return gen_block_execution(CLASS_TEXTS, t, n, depth, actuals, carrier, caller, [&] {
        const Component* run = first_children(t).run;
        for (Component* e = run ? run->first_child : nullptr; e; e = e->next_sibling) {
            if (e->kind != KIND_RUN_ELEMENT)
                return unknown_component(e);
            if (gen_run_element(e, depth + 1) < 0)
                return -1;
        }
        return 0;
    });
}

int gen_test_suite(Component* u, int depth, const Component* caller) {
    const unsigned long n = gen().run_number++;
    return gen_block_execution(SUITE_TEXTS, u, n, depth, nullptr, nullptr, caller, [&] {
        for (Component* c = u->first_child; c; c = c->next_sibling) {
            int result = 0;
            switch (c->kind) {
            case KIND_TEST_SUITE: result = gen_test_suite(c, depth + 1, c); break;
            case KIND_TEST_CASE: result = gen_test_case(c, depth + 1, c); break;
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

int gen_test_case(Component* c, int depth, const Component* caller) {
    Generation& g = gen();
    const unsigned long n = g.run_number++;
    Component* const saved_on_error = g.active_on_error;
    const int b = depth + 1;
    open_component_case(c, depth);
    emit(b, "if(_VEX_DumpAuthorization!=0) _VEX_DODEVURA_DUMP;\n");
    emit(b, "else _VEX_DumpAuthorization=1;\n");
    emit(b, "_VEX_DODEVURA_SET_BLOCK_NAME((_vex_Car*)\"");
    emit(0, literal_text(interned_view(c->name)));
    emit(0, "\");\n");
    emit(b, "/* entering in TEST CASE ");
    emit_name_in_comment(c);
    emit(0, " */\n");
    emitf(b, "_vex_enter_test_case(0x%lx, _VEX_FileIdList[0x%x], 0x%lx, _VEX_FileIdList[0x%x]);\n",
          id_of(c), file_index(c), id_of(caller), file_index(caller));
    emit(b, "{\n");
    emit_label("_VEX_BEGIN_TEST_CASE_", c, n, " : {\n", b);
    if (Component* on_error = first_children(c).on_error)
        g.active_on_error = on_error;
    emit(b, "_VEX_TRY_BEGIN /* entering in TRY */\n");
    bool has_stub_check = false;
    if (gen_execution_body(Execution{c, n}, depth, &has_stub_check) < 0)
        return -1;
    emit(b, "}\n");
    emit_label("_VEX_END_TEST_CASE_", c, n, " : {}\n", b);
    if (has_stub_check && gen_stub_check_resets(c, b) < 0)
        return -1;
    emit(b, "}\n");
    emitf(b, "_vex_exit_test_case(_VEX_FileIdList[0x%x], _VEX_FileIdList[0x%x]);\n",
          file_index(c), file_index(caller));
    emit(b, "/* exiting from TEST CASE ");
    emit_name_in_comment(c);
    emit(0, " */\n");
    close_component_case(depth);
    g.active_on_error = saved_on_error;
    return 0;
}

int gen_call(Component* call, int depth, const Execution& e) {
    const CallDetail* d = call_detail(call);
    Component* proc = d ? d->resolved : nullptr;
    if (!proc)
        return null_component(call);
    emit(depth, "/* Calling the running of the PROC ");
    emit(0, comment_text(reference_text(d->callee)));
    emit(0, " */\n");
    emit(0, "\n");
    if (d->actuals && push_binding(proc, call, d->actuals) < 0)
        return -1;
    if (gen_proc(proc, depth, call) < 0)
        return -1;
    if (d->actuals)
        pop_binding(proc);
    const int b = depth + 1;
    emit(b, "\n");
    emit(b, "/* Testing Proc On Error */\n");
    emit(b, "if(_VEX_OnErrorEngaged)\n");
    emit(b, "{\n");
    emit(b + 1, "if(!_VEX_BypassComponent)\n");
    emit(b + 1, "{\n");
    emit(b + 2, "_VEX_OnErrorEngaged=0;\n");
    emitf(b + 2, "_vex_exit_error(0x%lx);\n", id_of(proc));
    emit(b + 1, "}\n");
    emit(b + 1, "else\n");
    emit(b + 1, "{\n");
    if (emit_jump_to_end(e, b + 2) < 0)
        return -1;
    emit(b + 1, "}\n");
    emit(b, "}\n");
    emit(b, "\n");
    return 0;
}

int gen_reaction(const Component* on_error, const Execution& e, int depth) {
    const Component* c = e.component;
    const int r = depth + 1;
    if (!on_error) {
        emitf(r, "_vex_enter_error(0x0, _VEX_FileIdList[0x%x]);\n", file_index(c));
        emitf(r, "_vex_exit_error(0x%lx);\n", id_of(c));
        return 0;
    }
    const OnErrorDetail* d = on_error_detail(on_error);
    const bool leaves = c->kind == KIND_TEST_CASE || c->kind == KIND_PROC;
    emit(r, "_VEX_TRY_BEGIN /* entering in TRY for ON ERROR */\n");
    emitf(r, "_vex_enter_error(0x%lx, _VEX_FileIdList[0x%x]);\n", id_of(on_error),
          file_index(on_error));
    for (const Component* s = on_error->first_child; s; s = s->next_sibling)
        if (gen_simple_statement(s, r) < 0)
            return -1;
    switch (d ? d->action : 0) {
    case KIND_CONTINUE:
        emitf(r, "_vex_exit_error(0x%lx);\n", id_of(c));
        break;
    case KIND_BYPASS:
        emit(r, "_VEX_OnErrorEngaged=1;\n");
        if (!d->resolved || d->resolved == c)
            emit(r, "_VEX_BypassComponent=0x0;\n");
        else
            emitf(r, "_VEX_BypassComponent=0x%lx;\n", id_of(d->resolved));
        if (leaves && emit_jump_to_end(e, r) < 0)
            return -1;
        break;
    case KIND_EXIT:
        emit(r, "_VEX_OnErrorEngaged=1;\n");
        emit(r, "_VEX_BypassComponent=0x1;\n");
        if (leaves && emit_jump_to_end(e, r) < 0)
            return -1;
        break;
    default:
        return unknown_component(on_error);
    }
    emit(r, "_VEX_TRY_END   /* exiting from TRY for ON ERROR */\n\n");
    emit(0, "#if XRL_EXCEPTIONS /* entering in catch */\n");
    emit(r, "catch (...)\n");
    emit(r, "{\n");
    emitf(r, "_vex_unexpected_exception(0x%lx, _VEX_FileIdList[0x%x]);\n", id_of(c),
          file_index(c));
    emit(r, "_VEX_OnErrorEngaged=1;\n");
    emit(r, "_VEX_BypassComponent=0x1;\n");
    if (leaves && emit_jump_to_end(e, r) < 0)
        return -1;
    emit(r, "}\n");
    emit(0, "#endif /* exiting from catch */\n\n");
    return 0;
}

int gen_guard(const Execution& e, int depth) {
    emit(0, "#if XRL_EXCEPTIONS /* entering in catch */\n");
    emit(depth, "catch (...)\n");
    emit(depth, "{\n");
    emitf(depth, "_vex_unexpected_exception(0x%lx, _VEX_FileIdList[0x%x]);\n",
          id_of(e.component), file_index(e.component));
    if (gen_reaction(gen().active_on_error, e, depth) < 0)
        return -1;
    emit(depth, "}\n");
    emit(0, "#endif /* exiting from catch */\n\n");
    return 0;
}

int gen_print(const Component* p, int depth) {
    emit(depth, "{\n");
    emitf(depth, "_vex_print_start(0x%lx, _VEX_FileIdList[0x%x]);\n", id_of(p), file_index(p));
    for (const ParamItem* item = param_list_detail(p)->params; item; item = item->next) {
        const char* value = substituted(p, item->text);
        if (!value)
            return -1;
        const std::string text = literal_text(interned_view(item->text));
        emit(depth, "/* ");
        emit(0, comment_text(interned_view(value)));
        emit(0, " => ");
        emit(0, comment_text(text));
        emit(0, " */\n");
        line_to_source(p);
        line_to_driver();
        emit(depth, "_vex_print(");
        emit(0, interned_view(value));
        emit(0, ", (_vex_Car*)\"");
        emit(0, text);
        emit(0, "\");\n");
    }
    emit(depth, "_vex_print_end();\n");
    emit(depth, "}\n");
    return 0;
}

int gen_comment(const Component* m, int depth) {
    if (m->kind == KIND_CPP_COMMENT || m->kind == KIND_C_COMMENT)
        return 0;
    if (m->kind != KIND_COMMENT_TEXT && m->kind != KIND_COMMENT_BLOCK)
        return unknown_component(m);
    line_to_source(m);
    emit(depth, "/* ");
    emit(0, comment_text(interned_view(m->name)));
    emit(0, " */\n");
    line_to_driver();
    emitf(depth, "_vex_comment(0x%lx, _VEX_FileIdList[0x%x]);\n", id_of(m), file_index(m));
    return 0;
}

int gen_native(const Component* n, int depth) {
    if (!is_native(n->kind))
        return unknown_component(n);
    if (n->kind == KIND_JAVA_NATIVE_LINE || n->kind == KIND_JAVA_NATIVE_BLOCK)
        return 0;  // native code for another target language
    const char* text = substituted(n, n->name);
    if (!text && n->name)
        return -1;
    line_to_source(n);
    emit(depth, interned_view(text));
    line_to_driver();
    emit(0, "\n");
    return 0;
}

int gen_simple_statement(const Component* c, int depth) {
    switch (c->kind) {
    case KIND_PRINT: return gen_print(c, depth);
    case KIND_COMMENT_TEXT: case KIND_COMMENT_BLOCK: case KIND_CPP_COMMENT: case KIND_C_COMMENT:
        return gen_comment(c, depth);
    default:
        return is_native(c->kind) ? gen_native(c, depth) : unknown_component(c);
    }
}
