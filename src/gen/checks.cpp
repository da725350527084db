// gen/checks.cpp: the verifications of a TEST CASE, PROC or stub body. Each becomes an
// `if` whose then-branch reports success and whose else-branch reports the failure and
// runs the ON ERROR reaction.
#include "fi/names.h"
#include "gen/comparison.h"
#include "gen/component_emitters.h"

namespace {

// One operand of the comparison lambda: a literal stays written (its parameter unnamed).
std::string lambda_operand(std::string_view text, bool literal, const char* name) {
    return literal ? std::string(text) : std::string("_VEX_FWD(") + name + ")";
}

// A checked expression; under -VALUES a single comparison is written as a _vex_compare
// call (tp/TP.h) that records both operands when it fails. One line, so the directives
// around it still put the user's compile errors on the script's line.
void emit_checked(Generation& g, std::string_view expression) {
    Comparison c;
    if (!g.options->values || !split_comparison(expression, &c)) {
        emit(g, 0, expression);
        return;
    }
    const std::string left(c.left), right(c.right), op(c.op);
    std::string text = "_vex_compare<decltype((" + left + ")), decltype((" + right + "))>(" +
                       left + ", " + right + ", [](auto&&" + (c.left_literal ? "" : " _vex_l") +
                       ", auto&&" + (c.right_literal ? "" : " _vex_r") +
                       ") -> bool { _VEX_COMPARE_BEGIN return static_cast<bool>(" +
                       lambda_operand(c.left, c.left_literal, "_vex_l") + " " + op + " " +
                       lambda_operand(c.right, c.right_literal, "_vex_r") +
                       "); _VEX_COMPARE_END }, \"" + op + "\")";
    for (char& ch : text)
        if (ch == '\n' || ch == '\r')
            ch = ' ';  // outside literals (the scan saw to that): the call stays one line
    emit(g, 0, text);
}

// After a checked expression: the closing parenthesis, then back to the driver's lines.
void expression_tail(Generation& g) {
    emit(g, 0, directives_off(g) ? " )\n" : "\n)\n");
    line_to_driver(g);
}

constexpr Row ELSE[] = {
    {0, "}\n"},
    {0, "else\n"},
    {0, "{\n"},
};

// The two branches of a check: `call` is the runtime function reporting the verdict.
int emit_verdict(Generation& g, const char* call, const Component* k, int depth,
                 const Execution& e, const Component* on_error) {
    emit(g, depth, "{\n");
    emitf(g, depth + 1, "%s(1, 0x%lx, _VEX_FileIdList[0x%x]);\n", call, id_of(k), file_index(k));
    emit_rows(g, depth, ELSE);
    emitf(g, depth + 1, "%s(0, 0x%lx, _VEX_FileIdList[0x%x]);\n", call, id_of(k), file_index(k));
    if (gen_reaction(g, on_error, e, depth) < 0)
        return -1;
    emit(g, depth, "}\n\n");
    return 0;
}

}  // namespace

int gen_check(Generation& g, const Component* k, int depth, const Execution& e,
              const Component* on_error) {
    const CheckDetail* d = check_detail(k);
    const char* expression = substituted(g, k, d->expression);
    if (!expression && d->expression)
        return -1;
    emit(g, depth, "/* Checking EXPRESSION ");
    if (d->label) {
        emit(g, 0, comment_text(interned_view(d->label)));
        emit(g, 0, " ");
    }
    emit(g, 0, "*/\n");
    emit(g, depth, "if( ");
    line_to_source(g, k);
    emit_checked(g, interned_view(expression));
    expression_tail(g);
    return emit_verdict(g, "_vex_check", k, depth, e, on_error);
}

namespace {

// Under -VALUES each expression also names itself when it is false (as the PROPERTY
// wrote it, before the actuals replace its formals).
void emit_property_expression(Generation& g, const Component* x, std::string_view text) {
    if (!g.options->values) {
        emit(g, 0, text);
        return;
    }
    Comparison c;
    const bool plain = !split_comparison(text, &c);
    emit(g, 0, plain ? "_vex_expression(static_cast<bool>(( " : "_vex_expression(");
    emit_checked(g, text);
    emit(g, 0, plain ? " ))" : "");
    emit(g, 0, ", \"");
    emit(g, 0, literal_text(interned_view(x->name)));
    emit(g, 0, "\")");
}

// The PROPERTY's expressions joined by &&, each with its own directives; "1" when it has
// none (`if(  )` would not compile, and a PROPERTY without expressions holds).
int emit_property_expressions(Generation& g, const Component* property, int depth) {
    bool first = true;
    for (const Component* x = property->first_child; x; x = x->next_sibling) {
        if (x->kind == KIND_CPP_COMMENT || x->kind == KIND_C_COMMENT)
            continue;
        if (x->kind != KIND_EXPRESSION)
            return unknown_component(x);
        const char* text = substituted(g, x, x->name);
        if (!text && x->name)
            return -1;
        if (!first) {
            emit(g, 0, "\n");
            emit(g, depth, "  &&");
        }
        first = false;
        line_to_source(g, x);
        emit(g, 0, "( ");
        emit_property_expression(g, x, interned_view(text));
        emit(g, 0, " )");
        if (!directives_off(g))
            emit(g, 0, "\n");
        line_to_driver(g);
    }
    if (first)
        emit(g, 0, "1");
    return 0;
}

}  // namespace

int gen_check_property(Generation& g, const Component* c, int depth, const Execution& e) {
    const CheckPropertyDetail* d = check_property_detail(c);
    const Component* property = d->resolved;
    if (!property)
        return null_component(c);
    emit(g, depth, "/* Calling the CHECKing of the PROPERTY ");
    emit(g, 0, comment_text(reference_text(d->property)));
    emit(g, 0, " */\n");
    emit(g, 0, "\n");
    if (d->actuals && push_binding(g, property, c, d->actuals) < 0)
        return -1;
    emit(g, 0, "\n");
    emit(g, depth, "/* Checking PROPERTY ");
    emit(g, 0, comment_text(interned_view(property->name)));
    emit(g, 0, " */\n");
    emit(g, depth, "if( ");
    if (emit_property_expressions(g, property, depth) < 0)
        return -1;
    emit(g, 0, " )\n");
    if (emit_verdict(g, "_vex_check_property", c, depth, e, g.active_on_error) < 0)
        return -1;
    if (d->actuals)
        pop_binding(g, property);
    return 0;
}

int gen_condition(Generation& g, const Component* r, int depth, const Execution& e) {
    const char* expression = substituted(g, r, r->name);
    if (!expression && r->name)
        return -1;
    emit(g, depth,
         r->kind == KIND_REQUIRE ? "/* Checking REQUIRE */\n" : "/* Checking ENSURE */\n");
    emit(g, depth, "if( ");
    line_to_source(g, r);
    emit(g, 0, interned_view(expression));
    expression_tail(g);
    return emit_verdict(g, "_vex_check_prepos", r, depth, e, g.active_on_error);
}

// Still inside the TRY: reached only when the expected exception was not thrown.
int gen_exception_not_thrown(Generation& g, const Component* x, int depth, const Execution& e) {
    emitf(g, depth, "_vex_check_exception(0, 0x%lx, _VEX_FileIdList[0x%x]);\n", id_of(x),
          file_index(x));
    return gen_reaction(g, g.active_on_error, e, depth - 1);
}

int gen_exception_catch(Generation& g, const Component* x, int depth) {
    emit(g, 0, "#if XRL_EXCEPTIONS /* entering in EXCEPTION */\n");
    emit(g, depth, "catch (");
    line_to_source(g, x);
    emit(g, 0, interned_view(x->name));
    emit(g, 0, directives_off(g) ? ")\n" : "\n)\n");
    line_to_driver(g);
    emit(g, depth, "{\n");
    emitf(g, depth + 1, "_vex_check_exception(1, 0x%lx, _VEX_FileIdList[0x%x]);\n", id_of(x),
          file_index(x));
    for (const Component* c = x->first_child; c; c = c->next_sibling)
        if (gen_simple_statement(g, c, depth + 1) < 0)
            return -1;
    emit(g, depth, "}\n");
    emit(g, 0, "#endif /* exiting from EXCEPTION */\n\n");
    return 0;
}
