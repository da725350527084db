// tests/gen/declarations/lib/TP.h: declares what generated drivers call, and nothing
// more, so the tests can compile drivers without the runtime.
#pragma once
#include <cstdint>

typedef int _vex_Int;
typedef char _vex_Car;
typedef unsigned long _vex_Ulong;
typedef unsigned long _vex_Id;
typedef std::uint32_t TRVO_U_INT32;

#define XRL_EXCEPTIONS 1
#define _VEX_TRY_BEGIN try {
#define _VEX_TRY_END }
#define _VEX_DODEVURA_DUMP ((void)0)
#define _VEX_DODEVURA_SET_BLOCK_NAME(name) ((void)(name))

// Every TEST CASE and PROC has a begin label that no goto names.
#pragma GCC diagnostic ignored "-Wunused-label"

void _vex_init(_vex_Car* dynamic_file, _vex_Ulong ids, _vex_Ulong messages, _vex_Ulong texts);
_vex_Int _vex_add_source_file(unsigned sum_a, unsigned sum_b);
void _vex_term();
void _vex_enter_test_class(_vex_Id id, _vex_Int file, _vex_Id caller, _vex_Int caller_file);
void _vex_exit_test_class(_vex_Int file, _vex_Int caller_file);
void _vex_enter_test_suite(_vex_Id id, _vex_Int file, _vex_Id caller, _vex_Int caller_file);
void _vex_exit_test_suite(_vex_Int file, _vex_Int caller_file);
void _vex_enter_test_case(_vex_Id id, _vex_Int file, _vex_Id caller, _vex_Int caller_file);
void _vex_exit_test_case(_vex_Int file, _vex_Int caller_file);
void _vex_enter_proc(_vex_Id id, _vex_Int file, _vex_Id caller, _vex_Int caller_file);
void _vex_exit_proc(_vex_Int file);
void _vex_check(int verdict, _vex_Id id, _vex_Int file);
void _vex_check_property(int verdict, _vex_Id id, _vex_Int file);
void _vex_check_prepos(int verdict, _vex_Id id, _vex_Int file);
void _vex_check_exception(int verdict, _vex_Id id, _vex_Int file);
void _vex_check_stub(int verdict, _vex_Id id, _vex_Int file);
void _vex_check_method(int verdict, _vex_Id id, _vex_Int file);
void _vex_enter_error(_vex_Id on_error, _vex_Int file);
void _vex_exit_error(_vex_Id id);
void _vex_unexpected_exception(_vex_Id id, _vex_Int file);
void _vex_print_start(_vex_Id id, _vex_Int file);
template <typename T>
void _vex_print(const T& value, const _vex_Car* text);
void _vex_print_end();
void _vex_comment(_vex_Id id, _vex_Int file);
// Woven into stubs by the instrumentor.
void _vex_enter_stub(_vex_Id id, _vex_Int file, _vex_Id caller, _vex_Int caller_file);
void _vex_exit_stub(_vex_Int file);
