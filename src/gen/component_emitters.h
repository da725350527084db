// gen/component_emitters.h: what each kind of component writes into the generated files,
// one emitter per kind, each handed the generation state. Each returns 0, or -1 after
// reporting (the failure ends generation; see gen/generation_state.h). Depths count levels
// of three blanks.
#pragma once
#include "gen/generation_state.h"

// State machine blocks: every level of execution is one `while`/`switch` block whose
// cases run the components of that level in turn.
void open_block(Generation& g, int depth);  // with its BEGIN case
void open_component_case(Generation& g, const Component* c, int depth);
void close_component_case(Generation& g, int depth);
// GoToNextComponent, the case after the last component and the END case.
void close_block(Generation& g, const Component* owner, int depth);

// The first ON ERROR, PROLOGUE, EPILOGUE and RUN among a component's children.
FirstChildren first_children(Generation& g, const Component* c);

// Actual texts: bindings pushed for a TEST CLASS, PROC or PROPERTY, and the substitution
// of a text belonging to component `c` with the bindings of `c` and its ancestors.
int push_binding(Generation& g, const Component* owner, const Component* carrier,
                 const ParamItem* actuals);
void pop_binding(Generation& g, const Component* owner);
const char* substituted(Generation& g, const Component* c, const char* text);

// Executions (test components reached through RUN, PROCs through CALL).
int gen_main_program(Generation& g, const Component* run);
int gen_run_element(Generation& g, const Component* element, int depth);
int gen_test_class(Generation& g, const Component* t, int depth, const ParamItem* actuals,
                   const Component* carrier, const Component* caller);
int gen_test_suite(Generation& g, const Component* u, int depth, const Component* caller);
int gen_test_case(Generation& g, const Component* c, int depth, const Component* caller);
int gen_call(Generation& g, const Component* call, int depth, const Execution& e);
int gen_reaction(Generation& g, const Component* on_error, const Execution& e, int depth);
int gen_guard(Generation& g, const Execution& e, int depth);

// Statements.
int gen_print(Generation& g, const Component* p, int depth);
int gen_comment(Generation& g, const Component* m, int depth);
int gen_native(Generation& g, const Component* n, int depth);
int gen_simple_statement(Generation& g, const Component* c, int depth);  // PRINT, comment or native

// Checks.
int gen_check(Generation& g, const Component* k, int depth, const Execution& e,
              const Component* on_error);
int gen_check_property(Generation& g, const Component* c, int depth, const Execution& e);
int gen_condition(Generation& g, const Component* r, int depth, const Execution& e);
int gen_exception_not_thrown(Generation& g, const Component* x, int depth, const Execution& e);
int gen_exception_catch(Generation& g, const Component* x, int depth);

// Stubs and method checks.
void gen_declarations(Generation& g, const Component* root);
int gen_stub_body(Generation& g, const Component* stub);
void write_stub_texts(Generation& g, const Component* stub);
int gen_stub_check_declaration(Generation& g, const Component* k, int depth);
int gen_stub_check_body(Generation& g, const Component* k);
int gen_stub_check_reset(Generation& g, const Component* k, int depth);
void gen_method_check_declaration(Generation& g, const Component* m, int depth);
// The verdict of a CHECK STUB or CHECK METHOD from the counter saved before the body.
int gen_counter_verdict(Generation& g, const Component* k, int depth, const Execution& e);

// Contract-check classes and the small sections shared with stubs and method checks.
int gen_class_section(Generation& g, const Component* c);
void source_line_section(Generation& g, const Component* x);
