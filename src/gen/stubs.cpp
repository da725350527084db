// gen/stubs.cpp: STUB functions, CHECK STUB and CHECK METHOD. A stub's `switch` collects a
// case from every CHECK STUB of the whole run, so its body is built in three texts while
// generation goes on and written at the end of the driver file.
#include "fi/names.h"
#include "formats/instrumentation.h"
#include "gen/component_emitters.h"

namespace {

const Component* stub_of(const Component* check_stub) {
    const CheckStubDetail* d = check_stub_detail(check_stub);
    return d ? d->resolved : nullptr;
}

// One check line of a precondition or postcondition section.
void emit_prepos_check(Generation& g, const Component* condition) {
    emit_instrumentation(g, "_vex_check_prepos( (");
    instrumentation_line_to_source(g, condition);
    emit_instrumentation(g, interned_view(condition->name));
    emit_instrumentation(g, directives_off(g) ? ") , " : "\n) , ");
    emit_instrumentationf(g, "0x%lx, _VEX_FileIdList[0x%x]);\n", id_of(condition),
                          file_index(condition));
}

void emit_precondition(Generation& g, const Component* stub, const Component* require) {
    emit_instrumentation(g, oti::PRECONDITION.line);
    emit_instrumentationf(
        g, "_vex_enter_stub(0x%lx, _VEX_FileIdList[0x%x], 0x%lx, _VEX_FileIdList[0x%x]);\n",
        id_of(stub), file_index(stub), id_of(stub), file_index(stub));
    if (require)
        emit_prepos_check(g, require);
    emit_instrumentation(g, "\n");
}

void emit_postcondition(Generation& g, const Component* stub, const Component* ensure) {
    emit_instrumentation(g, oti::POSTCONDITION.line);
    if (ensure)
        emit_prepos_check(g, ensure);
    emit_instrumentationf(g, "_vex_exit_stub(_VEX_FileIdList[0x%x]);\n", file_index(stub));
    emit_instrumentation(g, "\n");
}

// After the `switch` head, the tail text: what the stub does after the cases.
constexpr Row SWITCH_TAIL[] = {
    {0, "\n"},
    {2, "default : break;\n\n"},
    {1, "}\n"},
};

// The `switch` on the selector: statements written after it run after the cases.
void emit_stub_switch(Generation& g, const Component* stub, StubTexts& texts) {
    emitf(g, 1, "switch(_VEX_Check_Stub_0x%lx)\n", id_of(stub));
    emit(g, 1, "{\n");
    g.capture = &texts.tail;
    emit_rows(g, 0, SWITCH_TAIL);
}

// Statements of a stub or CHECK STUB body, at `depth`, as the executed component `e`.
int gen_stub_statement(Generation& g, const Component* c, int depth, const Execution& e) {
    if (c->kind == KIND_CHECK)
        return gen_check(g, c, depth, e, nullptr);  // no ON ERROR inside a stub
    return gen_simple_statement(g, c, depth);
}

// Sends the driver text back to the driver file and passes `result` on.
int stop_capturing(Generation& g, int result) {
    g.capture = nullptr;
    return result;
}

// The stub's children: its statements, the `switch` at "...", the precondition and
// postcondition sections (written to the instrumentation file even when absent).
int gen_stub_children(Generation& g, const Component* stub, StubTexts& texts) {
    const Execution e{stub, g.run_number++};
    bool three_points = false, require = false, ensure = false, precondition = false;
    for (const Component* c = stub->first_child; c; c = c->next_sibling) {
        if (c->kind == KIND_THREE_POINTS) {
            emit_stub_switch(g, stub, texts);
            three_points = true;
        } else if (c->kind == KIND_REQUIRE) {
            emit_precondition(g, stub, c);
            require = precondition = true;
        } else if (c->kind == KIND_ENSURE) {
            if (!require)
                emit_precondition(g, stub, nullptr);
            emit_postcondition(g, stub, c);
            ensure = precondition = true;
        } else if (gen_stub_statement(g, c, 1, e) < 0) {
            return -1;
        }
    }
    if (!three_points)
        emit_stub_switch(g, stub, texts);
    if (!precondition)
        emit_precondition(g, stub, nullptr);
    if (!ensure)
        emit_postcondition(g, stub, nullptr);
    return 0;
}

// What a CHECK STUB and a CHECK METHOD verdict compare: the saved counter and the live one.
struct CounterTexts {
    const char* saved;    // "Sav_Check_Stub_0x" and the check's id
    const char* counter;  // "_VEX_Stub_0x" and the counted component's id
    const char* call;     // the runtime function reporting the verdict
};
constexpr CounterTexts STUB_COUNTER{"Sav_Check_Stub_0x", "_VEX_Stub_0x", "_vex_check_stub"};
constexpr CounterTexts METHOD_COUNTER{"Sav_Check_Method_0x", "_VEX_Check_Method_0x",
                                      "_vex_check_method"};

constexpr Row ELSE[] = {
    {0, "}\n"},
    {0, "else\n"},
    {0, "{\n"},
};

}  // namespace

void gen_declarations(Generation& g, const Component* root) {
    for (const Component* c = root->first_child; c;) {
        if (c->kind == KIND_CHECK_METHOD && g.declared_counters.insert(c->id).second) {
            emitf(g, 0, "TRVO_U_INT32 _VEX_Check_Method_0x%lx = 0;\n", id_of(c));
            emit(g, 0, "\n");
        } else if (c->kind == KIND_STUB && g.declared_counters.insert(c->id).second) {
            emitf(g, 0, "_vex_Ulong _VEX_Stub_0x%lx = 0L;\n", id_of(c));
            emitf(g, 0, "_vex_Ulong _VEX_Check_Stub_0x%lx = 0L;\n", id_of(c));
            emit(g, 0, "\n");
        }
        if (c->first_child) {  // pre-order without recursion
            c = c->first_child;
            continue;
        }
        while (c != root && !c->next_sibling)
            c = c->parent;
        c = c != root ? c->next_sibling : nullptr;
    }
}

int gen_stub_body(Generation& g, const Component* stub) {
    const StubDetail* d = stub_detail(stub);
    StubTexts& texts = g.stubs[stub];
    emit_instrumentation(g, oti::STUB.line);
    emit_instrumentation(g, interned_view(d->signature));
    emit_instrumentation(g, "\n");
    source_line_section(g, stub);
    emit_instrumentation(g, "\n");
    g.capture = &texts.head;
    emit(g, 0, "/* STUB  ");
    emit(g, 0, comment_text(interned_view(stub->name)));
    emit(g, 0, " */\n");
    emit(g, 0, "#pragma zentor vex_stub\n");
    line_to_source(g, stub);
    emit(g, 0, interned_view(d->signature));
    emit(g, 0, "\n{\n");
    line_to_driver(g);
    emitf(g, 1, "_VEX_Stub_0x%lx++;\n", id_of(stub));
    if (gen_stub_children(g, stub, texts) < 0)
        return stop_capturing(g, -1);
    emit(g, 0, "}\n");
    return stop_capturing(g, 0);
}

void write_stub_texts(Generation& g, const Component* stub) {
    const StubTexts& texts = g.stubs[stub];
    line_to_driver(g);
    for (const std::string* text : {&texts.head, &texts.cases, &texts.tail}) {
        if (!text->empty())
            emit(g, 0, *text);
        line_to_driver(g);
    }
}

int gen_stub_check_declaration(Generation& g, const Component* k, int depth) {
    const Component* stub = stub_of(k);
    if (!stub)
        return null_component(k);
    emitf(g, depth, "_vex_Ulong Sav_Check_Stub_0x%lx = _VEX_Stub_0x%lx;\n", id_of(k), id_of(stub));
    emitf(g, depth, "_VEX_Check_Stub_0x%lx = 0x%lx;\n", id_of(stub), g.stubs[stub].next_selector);
    emit(g, depth, "\n");
    return 0;
}

int gen_stub_check_body(Generation& g, const Component* k) {
    const Component* stub = stub_of(k);
    if (!stub)
        return null_component(k);
    StubTexts& texts = g.stubs[stub];
    g.capture = &texts.cases;
    emitf(g, 2, "case 0x%lx : \n", texts.next_selector++);
    const Execution e{k, g.run_number++};
    for (const Component* c = k->first_child; c; c = c->next_sibling)
        if (gen_stub_statement(g, c, 3, e) < 0)
            return stop_capturing(g, -1);
    emit(g, 3, "break;\n\n");
    return stop_capturing(g, 0);
}

int gen_stub_check_reset(Generation& g, const Component* k, int depth) {
    const Component* stub = stub_of(k);
    if (!stub)
        return null_component(k);
    emitf(g, depth, "_VEX_Check_Stub_0x%lx = 0L;\n", id_of(stub));
    emit(g, depth, "\n");
    return 0;
}

void gen_method_check_declaration(Generation& g, const Component* m, int depth) {
    emitf(g, depth, "_vex_Ulong Sav_Check_Method_0x%lx = _VEX_Check_Method_0x%lx;\n", id_of(m),
          id_of(m));
    emit(g, depth, "\n");
    emit_instrumentation(g, oti::METHOD.line);
    emit_instrumentation(g, interned_view(m->name));
    emit_instrumentation(g, "\n");
    source_line_section(g, m);
    emit_instrumentation(g, oti::COUNTER.line);
    emit_instrumentation(g, oti::METHOD_COUNTER_PREFIX);
    emit_instrumentationf(g, "%lx\n", id_of(m));
    emit_instrumentation(g, "\n");
}

// A CHECK STUB counts its stub's calls, a CHECK METHOD its own counter: an unchanged
// counter is the failure.
int gen_counter_verdict(Generation& g, const Component* k, int depth, const Execution& e) {
    const bool stub_check = k->kind == KIND_CHECK_STUB;
    if (!stub_check && k->kind != KIND_CHECK_METHOD)
        return unknown_component(k);
    const Component* counted = stub_check ? stub_of(k) : k;
    if (!counted)
        return null_component(k);
    const CounterTexts& t = stub_check ? STUB_COUNTER : METHOD_COUNTER;
    emitf(g, depth, "if(%s%lx == %s%lx)\n", t.saved, id_of(k), t.counter, id_of(counted));
    emit(g, depth, "{\n");
    emitf(g, depth + 1, "%s(0, 0x%lx, _VEX_FileIdList[0x%x]);\n", t.call, id_of(k), file_index(k));
    if (gen_reaction(g, g.active_on_error, e, depth) < 0)
        return -1;
    emit_rows(g, depth, ELSE);
    emitf(g, depth + 1, "%s(1, 0x%lx, _VEX_FileIdList[0x%x]);\n", t.call, id_of(k), file_index(k));
    emit(g, depth, "}\n");
    emit(g, depth, "\n");
    return 0;
}
