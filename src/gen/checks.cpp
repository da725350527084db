// gen/checks.cpp: the verifications of a TEST CASE, PROC or stub body. Each becomes an
// `if` whose then-branch reports success and whose else-branch reports the failure and
// runs the ON ERROR reaction.
#include "driver/options.h"
#include "fi/names.h"
#include "gen/emitters.h"

namespace {

bool directives_off() { return the_options->no_line_directives; }

// After a checked expression: the closing parenthesis, then back to the driver's lines.
void expression_tail() {
    emit(0, directives_off() ? " )\n" : "\n)\n");
    line_to_driver();
}

// The two branches of a check: `call` is the runtime function reporting the verdict.
int emit_verdict(const char* call, const Component* k, int depth, const Execution& e,
                 const Component* on_error) {
    emit(depth, "{\n");
    emitf(depth + 1, "%s(1, 0x%lx, _VEX_FileIdList[0x%x]);\n", call, id_of(k), file_index(k));
    emit(depth, "}\n");
    emit(depth, "else\n");
    emit(depth, "{\n");
    emitf(depth + 1, "%s(0, 0x%lx, _VEX_FileIdList[0x%x]);\n", call, id_of(k), file_index(k));
    if (gen_reaction(on_error, e, depth) < 0)
        return -1;
    emit(depth, "}\n\n");
    return 0;
}

}  // namespace

int gen_check(const Component* k, int depth, const Execution& e, const Component* on_error) {
    const CheckDetail* d = check_detail(k);
    const char* expression = substituted(k, d->expression);
    if (!expression && d->expression)
        return -1;
    emit(depth, "/* Checking EXPRESSION ");
    if (d->label) {
        emit(0, comment_text(interned_view(d->label)));
        emit(0, " ");
    }
    emit(0, "*/\n");
    emit(depth, "if( ");
    line_to_source(k);
    emit(0, interned_view(expression));
    expression_tail();
    return emit_verdict("_vex_check", k, depth, e, on_error);
}

int gen_check_property(Component* c, int depth, const Execution& e) {
    const CheckPropertyDetail* d = check_property_detail(c);
    Component* property = d->resolved;
    if (!property)
        return null_component(c);
    emit(depth, "/* Calling the CHECKing of the PROPERTY ");
    emit(0, comment_text(reference_text(d->property)));
    emit(0, " */\n");
    emit(0, "\n");
    if (d->actuals && push_binding(property, c, d->actuals) < 0)
        return -1;
    emit(0, "\n");
    emit(depth, "/* Checking PROPERTY ");
    emit(0, comment_text(interned_view(property->name)));
    emit(0, " */\n");
    emit(depth, "if( ");
    bool first = true;
    for (const Component* x = property->first_child; x; x = x->next_sibling) {
        if (x->kind == KIND_CPP_COMMENT || x->kind == KIND_C_COMMENT)
            continue;
        if (x->kind != KIND_EXPRESSION)
            return unknown_component(x);
        const char* text = substituted(x, x->name);
        if (!text && x->name)
            return -1;
        if (!first) {
            emit(0, "\n");
            emit(depth, "  &&");
        }
        first = false;
        line_to_source(x);
        emit(0, "( ");
        emit(0, interned_view(text));
        emit(0, " )");
        if (!directives_off())
            emit(0, "\n");
        line_to_driver();
    }
    if (first)
        emit(0, "1");  // a PROPERTY without expressions holds: `if(  )` would not compile
    emit(0, " )\n");
    if (emit_verdict("_vex_check_property", c, depth, e, gen().active_on_error) < 0)
        return -1;
    if (d->actuals)
        pop_binding(property);
    return 0;
}

int gen_condition(const Component* r, int depth, const Execution& e) {
    const char* expression = substituted(r, r->name);
    if (!expression && r->name)
        return -1;
    emit(depth, r->kind == KIND_REQUIRE ? "/* Checking REQUIRE */\n" : "/* Checking ENSURE */\n");
    emit(depth, "if( ");
    line_to_source(r);
    emit(0, interned_view(expression));
    expression_tail();
    return emit_verdict("_vex_check_prepos", r, depth, e, gen().active_on_error);
}

// Still inside the TRY: reached only when the expected exception was not thrown.
int gen_exception_not_thrown(const Component* x, int depth, const Execution& e) {
    emitf(depth, "_vex_check_exception(0, 0x%lx, _VEX_FileIdList[0x%x]);\n", id_of(x),
          file_index(x));
    return gen_reaction(gen().active_on_error, e, depth - 1);
}

int gen_exception_catch(const Component* x, int depth) {
    emit(0, "#if XRL_EXCEPTIONS /* entering in EXCEPTION */\n");
    emit(depth, "catch (");
    line_to_source(x);
    emit(0, interned_view(x->name));
    emit(0, directives_off() ? ")\n" : "\n)\n");
    line_to_driver();
    emit(depth, "{\n");
    emitf(depth + 1, "_vex_check_exception(1, 0x%lx, _VEX_FileIdList[0x%x]);\n", id_of(x),
          file_index(x));
    for (const Component* c = x->first_child; c; c = c->next_sibling)
        if (gen_simple_statement(c, depth + 1) < 0)
            return -1;
    emit(depth, "}\n");
    emit(0, "#endif /* exiting from EXCEPTION */\n\n");
    return 0;
}
