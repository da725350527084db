// gen/emitters.h: what each kind of component writes into the generated files. One
// emitter per component kind; each returns 0, or -1 after reporting (the failure ends
// generation). Depths count levels of three blanks.
#pragma once
#include "gen/emitter.h"

// State machine blocks: every level of execution is one `while`/`switch` block whose
// cases run the components of that level in turn.
void open_block(int depth);               // with its BEGIN case
void open_component_case(const Component* c, int depth);
void close_component_case(int depth);
void close_block(const Component* owner, int depth);  // GoToNextComponent, final cases

// The first ON ERROR, PROLOGUE, EPILOGUE and RUN among a component's children.
FirstChildren first_children(Component* c);

// Actual texts: bindings pushed for a TEST CLASS, PROC or PROPERTY, and the substitution
// of a text belonging to component `c` with the bindings of `c` and its ancestors.
int push_binding(const Component* owner, const Component* carrier, const ParamItem* actuals);
void pop_binding(const Component* owner);
const char* substituted(const Component* c, const char* text);

// Executions (test components reached through RUN, PROCs through CALL).
int gen_main_program(Component* run);
int gen_run_element(Component* element, int depth);
int gen_test_class(Component* t, int depth, const ParamItem* actuals, const Component* carrier,
                   const Component* caller);
int gen_test_suite(Component* u, int depth, const Component* caller);
int gen_test_case(Component* c, int depth, const Component* caller);
int gen_call(Component* call, int depth, const Execution& e);
int gen_reaction(const Component* on_error, const Execution& e, int depth);
int gen_guard(const Execution& e, int depth);

// Statements.
int gen_print(const Component* p, int depth);
int gen_comment(const Component* m, int depth);
int gen_native(const Component* n, int depth);
int gen_simple_statement(const Component* c, int depth);  // PRINT, comment or native

// Checks.
int gen_check(const Component* k, int depth, const Execution& e, const Component* on_error);
int gen_check_property(Component* c, int depth, const Execution& e);
int gen_condition(const Component* r, int depth, const Execution& e);
int gen_exception_not_thrown(const Component* x, int depth, const Execution& e);
int gen_exception_catch(const Component* x, int depth);

// Stubs and method checks.
void gen_declarations(const Component* root);
int gen_stub_body(Component* stub);
void write_stub_texts(const Component* stub);
int gen_stub_check_declaration(const Component* k, int depth);
int gen_stub_check_body(Component* k);
int gen_stub_check_result(const Component* k, int depth, const Execution& e);
int gen_stub_check_reset(const Component* k, int depth);
void gen_method_check_declaration(const Component* m, int depth);
int gen_method_check_result(const Component* m, int depth, const Execution& e);

// Contract-check classes and the small sections shared with stubs and method checks.
int gen_class_section(Component* c);
void source_line_section(const Component* x);
