// tp/TP.h: the Target Package header that every generated driver includes: the types,
// macros and run-time calls the driver text uses, and the quieting of what that text
// cannot avoid. C++17, standard library only; the calls are in libvextp.
// Every call records one event of the run in the dynamic file (docs/dynamic_file.md).
#pragma once
#include <cstddef>
#include <cstdint>
#include <ostream>
#include <sstream>
#include <string>
#include <type_traits>
#include <utility>

#include "vxk.h"

// Every TEST CASE and PROC has a begin label that no goto names, and the nested state
// machines declare variables that hide the outer ones.
#if defined(__GNUC__)
#pragma GCC diagnostic ignored "-Wunused-label"
#endif

#ifndef XRL_EXCEPTIONS
#define XRL_EXCEPTIONS 1
#endif
// Every component's body stands between these two; the body of a TEST CLASS, SUITE or
// CASE that the driver's options leave out does not run (_vex_body_runs answers for the
// enter just made; a body with no enter before it, an ON ERROR reaction, always runs).
#if XRL_EXCEPTIONS
#define _VEX_TRY_BEGIN try { if (_vex_body_runs()) {
#define _VEX_TRY_END } }
#else
#define _VEX_TRY_BEGIN { if (_vex_body_runs()) {
#define _VEX_TRY_END } }
#endif

// main hands its arguments to the runtime before the driver's first statement: the
// --vex-* options leave argc/argv, the others stay for the code under test.
#define TRVO_MAIN_HEADER                              \
    _vex_Int main(_vex_Int argc, _vex_Car* argv[]) { \
        _vex_main_args(&argc, argv);
void _vex_main_args(int* argc, char** argv);
int _vex_body_runs();

// Coverage dumps per block are not part of this package: both are statements that do
// nothing (they stand as `if (...) _VEX_DODEVURA_DUMP; else ...`).
#define _VEX_DODEVURA_DUMP ((void)0)
#define _VEX_DODEVURA_SET_BLOCK_NAME(name) ((void)(name))

// The driver's exit status: non-zero when anything failed, so ctest and make see it.
#define TRVO_MAIN_RETURN return _vex_exit_status();

// The run: the dynamic file is opened by _vex_init (the driver exits with status 2 when
// it cannot be created) and closed by _vex_term.
void _vex_init(const _vex_Car* dynamic_file, _vex_Ulong id_offset, _vex_Ulong message_offset,
               _vex_Ulong text_offset);
void _vex_term();
int _vex_exit_status();

// Executions, with the component that started them (ids and file indexes).
void _vex_enter_test_class(_vex_Id id, _vex_Int file, _vex_Id caller, _vex_Int caller_file);
void _vex_exit_test_class(_vex_Int file, _vex_Int caller_file);
void _vex_enter_test_suite(_vex_Id id, _vex_Int file, _vex_Id caller, _vex_Int caller_file);
void _vex_exit_test_suite(_vex_Int file, _vex_Int caller_file);
void _vex_enter_test_case(_vex_Id id, _vex_Int file, _vex_Id caller, _vex_Int caller_file);
void _vex_exit_test_case(_vex_Int file, _vex_Int caller_file);
void _vex_enter_proc(_vex_Id id, _vex_Int file, _vex_Id caller, _vex_Int caller_file);
void _vex_exit_proc(_vex_Int file);
void _vex_enter_stub(_vex_Id id, _vex_Int file, _vex_Id caller, _vex_Int caller_file);
void _vex_exit_stub(_vex_Int file);

// Verdicts: non-zero passed, 0 failed.
void _vex_check(int verdict, _vex_Id id, _vex_Int file);
void _vex_check_property(int verdict, _vex_Id id, _vex_Int file);
void _vex_check_prepos(int verdict, _vex_Id id, _vex_Int file);
void _vex_check_exception(int verdict, _vex_Id id, _vex_Int file);
void _vex_check_stub(int verdict, _vex_Id id, _vex_Int file);
void _vex_check_method(int verdict, _vex_Id id, _vex_Int file);

// ON ERROR: the reaction starts (0 for the default one) and ends for a component.
void _vex_enter_error(_vex_Id on_error, _vex_Int file);
void _vex_exit_error(_vex_Id id);
void _vex_unexpected_exception(_vex_Id id, _vex_Int file);
void _vex_comment(_vex_Id id, _vex_Int file);

// PRINT: each value with the text of its expression.
void _vex_print_start(_vex_Id id, _vex_Int file);
void _vex_print_value(const _vex_Car* text, const char* value, std::size_t length);
void _vex_print_end();

namespace vex_print_detail {

template <typename T, typename = void>
struct streamable : std::false_type {};
template <typename T>
struct streamable<T, std::void_t<decltype(std::declval<std::ostream&>() << std::declval<const T&>())>>
    : std::true_type {};

template <typename T>
std::string streamed(const T& v) {
    std::ostringstream s;
    if constexpr (std::is_floating_point_v<T>)
        s.precision(17);
    s << v;
    return s.str();
}

}  // namespace vex_print_detail

// The printed form of a value, for PRINT and for the operands of a failed comparison.
template <typename T>
std::string _vex_format(const T& v) {
    using namespace vex_print_detail;
    using D = std::decay_t<T>;
    if constexpr (std::is_same_v<D, bool>) {
        return v ? "true" : "false";
    } else if constexpr (std::is_same_v<D, char> || std::is_same_v<D, signed char> ||
                         std::is_same_v<D, unsigned char>) {
        return std::string{'\'', static_cast<char>(v), '\''};
    } else if constexpr (std::is_same_v<D, const char*> || std::is_same_v<D, char*>) {
        const char* text = v;  // an array decays here, and only a pointer may be null
        return text ? std::string(text) : std::string("(null)");
    } else if constexpr (std::is_same_v<D, std::nullptr_t>) {
        return "nullptr";
    } else if constexpr (std::is_arithmetic_v<D>) {
        return streamed(v);
    } else if constexpr (std::is_enum_v<D> && !streamable<D>::value) {
        return std::to_string(static_cast<long long>(v));
    } else if constexpr (std::is_pointer_v<D> && !streamable<D>::value) {
        return streamed(static_cast<const void*>(v));
    } else if constexpr (streamable<D>::value) {
        return streamed(v);
    } else {
        return "(a value without operator<<)";
    }
}

template <typename T>
void _vex_print(const T& v, const _vex_Car* text) {
    const std::string value = _vex_format(v);
    _vex_print_value(text, value.data(), value.size());
}

// -VALUES: a comparison `left OP right` of a CHECK or PROPERTY expression becomes
//   _vex_compare<decltype((left)), decltype((right))>(left, right, lambda, "OP")
// The lambda applies the script's own operator to the operands handed in (a literal
// operand stays written in it, so `p == 0` still compares with a null pointer constant).
// Scalars are taken by value, which reads a bit-field once; everything else by a
// reference of its own value category, so nothing is copied or moved. Nothing is
// formatted unless the comparison fails; then the values are recorded (VL) before the
// verdict.
void _vex_values(const std::string& left, const _vex_Car* op, const std::string& right);
// A PROPERTY expression that is false, before the verdict (FX).
void _vex_false_expression(const _vex_Car* text);

template <typename T>
using _vex_operand_t =
    std::conditional_t<std::is_scalar_v<std::remove_reference_t<T>>,
                       std::remove_cv_t<std::remove_reference_t<T>>, T&&>;

template <typename L, typename R, typename C>
bool _vex_compare(_vex_operand_t<L> l, _vex_operand_t<R> r, C compare, const _vex_Car* op) {
    if (compare(static_cast<_vex_operand_t<L>&&>(l), static_cast<_vex_operand_t<R>&&>(r)))
        return true;
    _vex_values(_vex_format(l), op, _vex_format(r));
    return false;
}

inline bool _vex_expression(bool holds, const _vex_Car* text) {
    if (!holds)
        _vex_false_expression(text);
    return holds;
}

#define _VEX_FWD(x) std::forward<decltype(x)>(x)
// A copied integral operand is no longer a constant: mixed signs would warn where the
// script's expression did not.
#define _VEX_COMPARE_BEGIN \
    _Pragma("GCC diagnostic push") _Pragma("GCC diagnostic ignored \"-Wsign-compare\"")
#define _VEX_COMPARE_END _Pragma("GCC diagnostic pop")
