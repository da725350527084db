// gen/stubs.cpp: STUB functions, CHECK STUB and CHECK METHOD. A stub's `switch` collects a
// case from every CHECK STUB of the whole run, so its body is built in three texts while
// generation goes on and written at the end of the driver file.
#include "driver/options.h"
#include "fi/names.h"
#include "formats/instrumentation.h"
#include "gen/emitters.h"

namespace {

bool directives_off() { return the_options->no_line_directives; }

Component* stub_of(const Component* check_stub) {
    const CheckStubDetail* d = check_stub_detail(check_stub);
    return d ? d->resolved : nullptr;
}

// One check line of a precondition or postcondition section.
void emit_prepos_check(const Component* condition) {
    emit_instrumentation("_vex_check_prepos( (");
    instrumentation_line_to_source(condition);
    emit_instrumentation(interned_view(condition->name));
    emit_instrumentation(directives_off() ? ") , " : "\n) , ");
    emit_instrumentationf("0x%lx, _VEX_FileIdList[0x%x]);\n", id_of(condition),
                          file_index(condition));
}

void emit_precondition(const Component* stub, const Component* require) {
    emit_instrumentation(oti::PRECONDITION.line);
    emit_instrumentationf(
        "_vex_enter_stub(0x%lx, _VEX_FileIdList[0x%x], 0x%lx, _VEX_FileIdList[0x%x]);\n",
        id_of(stub), file_index(stub), id_of(stub), file_index(stub));
    if (require)
        emit_prepos_check(require);
    emit_instrumentation("\n");
}

void emit_postcondition(const Component* stub, const Component* ensure) {
    emit_instrumentation(oti::POSTCONDITION.line);
    if (ensure)
        emit_prepos_check(ensure);
    emit_instrumentationf("_vex_exit_stub(_VEX_FileIdList[0x%x]);\n", file_index(stub));
    emit_instrumentation("\n");
}

// The `switch` on the selector: statements written after it run after the cases.
void emit_stub_switch(const Component* stub, StubDetail* d) {
    emitf(1, "switch(_VEX_Check_Stub_0x%lx)\n", id_of(stub));
    emit(1, "{\n");
    the_options->capture_text = &d->tail_text;
    emit(0, "\n");
    emit(2, "default : break;\n\n");
    emit(1, "}\n");
}

// Statements of a stub or CHECK STUB body, at `depth`, as the executed component `e`.
int gen_stub_statement(const Component* c, int depth, const Execution& e) {
    if (c->kind == KIND_CHECK)
        return gen_check(c, depth, e, nullptr);  // no ON ERROR inside a stub
    return gen_simple_statement(c, depth);
}

int dropped_capture(int result) {
    the_options->capture_text = nullptr;
    return result;
}

}  // namespace

void gen_declarations(const Component* root) {
    Generation& g = gen();
    for (const Component* c = root->first_child; c;) {
        if (c->kind == KIND_CHECK_METHOD && g.declared_counters.insert(c->id).second) {
            emitf(0, "TRVO_U_INT32 _VEX_Check_Method_0x%lx = 0;\n", id_of(c));
            emit(0, "\n");
        } else if (c->kind == KIND_STUB && g.declared_counters.insert(c->id).second) {
            emitf(0, "_vex_Ulong _VEX_Stub_0x%lx = 0L;\n", id_of(c));
            emitf(0, "_vex_Ulong _VEX_Check_Stub_0x%lx = 0L;\n", id_of(c));
            emit(0, "\n");
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

int gen_stub_body(Component* stub) {
    StubDetail* d = stub_detail(stub);
    const Execution e{stub, gen().run_number++};
    emit_instrumentation(oti::STUB.line);
    emit_instrumentation(interned_view(d->signature));
    emit_instrumentation("\n");
    source_line_section(stub);
    emit_instrumentation("\n");
    the_options->capture_text = &d->head_text;
    emit(0, "/* STUB  ");
    emit(0, comment_text(interned_view(stub->name)));
    emit(0, " */\n");
    emit(0, "#pragma zentor vex_stub\n");
    line_to_source(stub);
    emit(0, interned_view(d->signature));
    emit(0, "\n{\n");
    line_to_driver();
    emitf(1, "_VEX_Stub_0x%lx++;\n", id_of(stub));
    bool three_points = false, require = false, ensure = false, precondition = false;
    for (const Component* c = stub->first_child; c; c = c->next_sibling) {
        if (c->kind == KIND_THREE_POINTS) {
            emit_stub_switch(stub, d);
            three_points = true;
        } else if (c->kind == KIND_REQUIRE) {
            emit_precondition(stub, c);
            require = precondition = true;
        } else if (c->kind == KIND_ENSURE) {
            if (!require)
                emit_precondition(stub, nullptr);
            emit_postcondition(stub, c);
            ensure = precondition = true;
        } else if (gen_stub_statement(c, 1, e) < 0) {
            return dropped_capture(-1);
        }
    }
    if (!three_points)
        emit_stub_switch(stub, d);
    if (!precondition)
        emit_precondition(stub, nullptr);
    if (!ensure)
        emit_postcondition(stub, nullptr);
    emit(0, "}\n");
    the_options->capture_text = nullptr;
    return 0;
}

void write_stub_texts(const Component* stub) {
    const StubDetail* d = stub_detail(stub);
    line_to_driver();
    for (const std::string* text : {&d->head_text, &d->cases_text, &d->tail_text}) {
        if (!text->empty())
            emit(0, *text);
        line_to_driver();
    }
}

int gen_stub_check_declaration(const Component* k, int depth) {
    const Component* stub = stub_of(k);
    if (!stub)
        return null_component(k);
    emitf(depth, "_vex_Ulong Sav_Check_Stub_0x%lx = _VEX_Stub_0x%lx;\n", id_of(k), id_of(stub));
    emitf(depth, "_VEX_Check_Stub_0x%lx = 0x%lx;\n", id_of(stub),
          static_cast<unsigned long>(stub_detail(stub)->check_number));
    emit(depth, "\n");
    return 0;
}

int gen_stub_check_body(Component* k) {
    Component* stub = stub_of(k);
    if (!stub)
        return null_component(k);
    StubDetail* d = stub_detail(stub);
    the_options->capture_text = &d->cases_text;
    emitf(2, "case 0x%lx : \n", static_cast<unsigned long>(d->check_number++));
    const Execution e{k, gen().run_number++};
    for (const Component* c = k->first_child; c; c = c->next_sibling)
        if (gen_stub_statement(c, 3, e) < 0)
            return dropped_capture(-1);
    emit(3, "break;\n\n");
    the_options->capture_text = nullptr;
    return 0;
}

int gen_stub_check_result(const Component* k, int depth, const Execution& e) {
    const Component* stub = stub_of(k);
    if (!stub)
        return null_component(k);
    emitf(depth, "if(Sav_Check_Stub_0x%lx == _VEX_Stub_0x%lx)\n", id_of(k), id_of(stub));
    emit(depth, "{\n");
    emitf(depth + 1, "_vex_check_stub(0, 0x%lx, _VEX_FileIdList[0x%x]);\n", id_of(k),
          file_index(k));
    if (gen_reaction(gen().active_on_error, e, depth) < 0)
        return -1;
    emit(depth, "}\n");
    emit(depth, "else\n");
    emit(depth, "{\n");
    emitf(depth + 1, "_vex_check_stub(1, 0x%lx, _VEX_FileIdList[0x%x]);\n", id_of(k),
          file_index(k));
    emit(depth, "}\n");
    emit(depth, "\n");
    return 0;
}

int gen_stub_check_reset(const Component* k, int depth) {
    const Component* stub = stub_of(k);
    if (!stub)
        return null_component(k);
    emitf(depth, "_VEX_Check_Stub_0x%lx = 0L;\n", id_of(stub));
    emit(depth, "\n");
    return 0;
}

void gen_method_check_declaration(const Component* m, int depth) {
    emitf(depth, "_vex_Ulong Sav_Check_Method_0x%lx = _VEX_Check_Method_0x%lx;\n", id_of(m),
          id_of(m));
    emit(depth, "\n");
    emit_instrumentation(oti::METHOD.line);
    emit_instrumentation(interned_view(m->name));
    emit_instrumentation("\n");
    source_line_section(m);
    emit_instrumentation(oti::COUNTER.line);
    emit_instrumentation(oti::METHOD_COUNTER_PREFIX);
    emit_instrumentationf("%lx\n", id_of(m));
    emit_instrumentation("\n");
}

int gen_method_check_result(const Component* m, int depth, const Execution& e) {
    emitf(depth, "if(Sav_Check_Method_0x%lx == _VEX_Check_Method_0x%lx)\n", id_of(m), id_of(m));
    emit(depth, "{\n");
    emitf(depth + 1, "_vex_check_method(0, 0x%lx, _VEX_FileIdList[0x%x]);\n", id_of(m),
          file_index(m));
    if (gen_reaction(gen().active_on_error, e, depth) < 0)
        return -1;
    emit(depth, "}\n");
    emit(depth, "else\n");
    emit(depth, "{\n");
    emitf(depth + 1, "_vex_check_method(1, 0x%lx, _VEX_FileIdList[0x%x]);\n", id_of(m),
          file_index(m));
    emit(depth, "}\n");
    emit(depth, "\n");
    return 0;
}
