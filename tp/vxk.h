// tp/vxk.h: what the instrumentor weaves into the code under test calls: the contract
// checks of classes (invariants, pre- and postconditions, UML state machines), the
// guards that judge them at the entry and exit of methods, and the counters of method
// checks. C++17, standard library only. Included first by every instrumented file.
#pragma once
#include <cstdint>
#include <exception>
#include <utility>
#if __cplusplus > 201703L && __has_include(<compare>)
#include <compare>
#define _VXK_THREE_WAY 1
#endif

// The types shared with the driver file (repeating a typedef is harmless).
typedef int _vex_Int;
typedef char _vex_Car;
typedef unsigned long _vex_Ulong;
typedef unsigned long _vex_Id;
typedef std::uint32_t TRVO_U_INT32;

typedef char _vxk_Car;
typedef long _vxk_StateType;
typedef bool _vxk_Boolean;
#define _xrl_true true
#define _xrl_false false

#ifndef VEX_REPORT_REFLEXIVE_STATES
#define VEX_REPORT_REFLEXIVE_STATES 0
#endif

struct vxk_TransDesc {
    long Id;           // the TRANSITION's id (the state's own for the first entry)
    long DestStateNo;  // number of the state it leads to
};

struct vxk_StateDesc {
    _vxk_Car* Name;
    long Id;
    long TransNb;
    const vxk_TransDesc* Trans;
};

// Registers a script by the checksum pair of its listings; the same pair always gives
// the same index, so the driver and every instrumented class may register it.
_vex_Int _vex_add_source_file(unsigned sum_a, unsigned sum_b);

// Verdicts: `holds` is the condition as evaluated; `id` names the INVARIANT, REQUIRE or
// ENSURE in the contract script's listings; `file` is that script's index.
void _vxk_assert_invariant(bool holds, unsigned long id, _vex_Int file);
void _vxk_assert_pre_cond(bool holds, unsigned long id, _vex_Int file);
void _vxk_assert_post_cond(bool holds, unsigned long id, _vex_Int file);
// An ENSURE not judged because its method left by an exception.
void _vxk_post_cond_not_judged(unsigned long id, _vex_Int file);

// The method now running on `object` (reports name it), and its end.
void _vxk_enter_method(const void* object, const char* method);
void _vxk_exit_method(const void* object);

// The state machine of one object: the state it is in, a transition taken, and no or
// several states holding where exactly one should.
void _vxk_report_current_state(const void* object, long state_id, _vex_Int file);
void _vxk_report_transition(const void* object, long transition_id, _vex_Int file);
void _vxk_report_illegal_transition(const void* object, long state_id, _vex_Int file);
void _vxk_report_multiple_transitions(const void* object, long state_id, _vex_Int file);
// An object with states begins (its constructor starts) or ends (its destructor ended) at
// that address: a later object there has a path of its own.
void _vxk_object_lifetime(const void* object);

template <typename C, typename = void>
struct _vxk_has_states {
    static constexpr bool value = false;
};
template <typename C>
struct _vxk_has_states<C, decltype((void)std::declval<const C&>()._vxk_state)> {
    static constexpr bool value = true;
};

// Static tables of a class's state chart, written as class members.
#define _VXK_STATIC_CONST static inline const

// Inside an instrumented class: the index of its contract script, registered once.
#define _VXK_CLASS_FILE_CLS _vxk_class_file()
#define _VXK_CLASS_FILE_ACM _vxk_class_file()

// The members woven into a class take no part in its defaulted comparisons: any two
// compare equal, so `operator==` and `operator<=>` declared `= default` compare the
// user's members alone, as before the weave.
#ifdef _VXK_THREE_WAY
#define _VXK_NEUTRAL_COMPARISONS(T)                                                      \
    friend bool operator==(const T&, const T&) { return true; }                          \
    friend std::strong_ordering operator<=>(const T&, const T&) {                        \
        return std::strong_ordering::equal;                                              \
    }
#else
#define _VXK_NEUTRAL_COMPARISONS(T) \
    friend bool operator==(const T&, const T&) { return true; }
#endif

// The nesting of public calls on one object: only the outermost judges invariants and
// states. A copy of an object starts outside any call, whatever the original was doing.
struct _vxk_Depth {
    int calls = 0;
    _vxk_Depth() = default;
    _vxk_Depth(const _vxk_Depth&) {}
    _vxk_Depth& operator=(const _vxk_Depth&) { return *this; }
    _VXK_NEUTRAL_COMPARISONS(_vxk_Depth)
};

// The state an object is in (-1: none yet), read and assigned as a number; a copy takes
// the original's.
struct _vxk_StateSlot {
    _vxk_StateType value = -1L;
    operator _vxk_StateType() const { return value; }
    _vxk_StateSlot& operator=(_vxk_StateType v) {
        value = v;
        return *this;
    }
    _VXK_NEUTRAL_COMPARISONS(_vxk_StateSlot)
};

// Members every instrumented class receives: its call nesting and its contract script's
// index.
#define _VXK_CLASS_MEMBERS(sum_a, sum_b)                                                     \
    mutable _vxk_Depth _vxk_depth;                                                         \
    static _vex_Int _vxk_class_file() {                                                    \
        static const _vex_Int file = _vex_add_source_file(sum_a, sum_b);                   \
        return file;                                                                       \
    }

// Members of a class with UML states: the current state of the object (-1: none yet) and
// the reports of its state-transition body, which name the object. An object made by a
// constructor nobody wrote gets its first state at the entry of its first public call.
#define _VXK_STATE_MEMBERS                                                                   \
    mutable _vxk_StateSlot _vxk_state;                                                     \
    void _vxk_state_known() const {                                                        \
        if (_vxk_state < 0)                                                                \
            _vxk_state_step();                                                             \
    }                                                                                      \
    void _vxk_transition(_vxk_StateType id) const {                                        \
        ::_vxk_report_transition(this, id, _vxk_class_file());                             \
    }                                                                                      \
    void _vxk_current_state(_vxk_StateType id, _vex_Int file) const {                     \
        ::_vxk_report_current_state(this, id, file);                                       \
    }                                                                                      \
    void _vxk_illegal_transition(_vxk_StateType id, _vex_Int file) const {                \
        ::_vxk_report_illegal_transition(this, id, file);                                  \
    }                                                                                      \
    void _vxk_multiple_transitions(_vxk_StateType id, _vex_Int file) const {              \
        ::_vxk_report_multiple_transitions(this, id, file);                                \
    }

// At the top of a method of an instrumented class. Invariants hold at the entry of the
// outermost public call (not of a constructor) and at its exit (not of a destructor,
// nor when it leaves by an exception); the state machine moves after it.
template <typename C>
class _vxk_ObjectGuard {
public:
    enum { METHOD = 0, CONSTRUCTOR = 1, DESTRUCTOR = 2 };
    _vxk_ObjectGuard(const C* object, const char* method, int kind)
        : object_(object), kind_(kind), uncaught_(std::uncaught_exceptions()) {
        _vxk_enter_method(object_, method);
        if constexpr (_vxk_has_states<C>::value)
            if (kind_ == CONSTRUCTOR && object_->_vxk_depth.calls == 0)
                _vxk_object_lifetime(object_);
        if (object_->_vxk_depth.calls++ == 0 && kind_ != CONSTRUCTOR) {
            object_->_vxk_check_invariants();
            if (kind_ == METHOD)
                object_->_vxk_state_known();
        }
    }
    ~_vxk_ObjectGuard() {
        if (--object_->_vxk_depth.calls == 0 && kind_ != DESTRUCTOR &&
            std::uncaught_exceptions() == uncaught_) {
            object_->_vxk_check_invariants();
            object_->_vxk_state_step();
        }
        _vxk_exit_method(object_);
        if constexpr (_vxk_has_states<C>::value)
            if (kind_ == DESTRUCTOR && object_->_vxk_depth.calls == 0)
                _vxk_object_lifetime(object_);
    }
    _vxk_ObjectGuard(const _vxk_ObjectGuard&) = delete;
    _vxk_ObjectGuard& operator=(const _vxk_ObjectGuard&) = delete;

private:
    const C* object_;
    int kind_;
    int uncaught_;
};

template <typename C>
_vxk_ObjectGuard<C> _vxk_guard_object(const C* object, const char* method, int kind) {
    return _vxk_ObjectGuard<C>(object, method, kind);  // elided: the guard never moves
}

// The method context of a wrapped function that has no object (static or free).
class _vxk_MethodGuard {
public:
    explicit _vxk_MethodGuard(const char* method) { _vxk_enter_method(nullptr, method); }
    ~_vxk_MethodGuard() { _vxk_exit_method(nullptr); }
    _vxk_MethodGuard(const _vxk_MethodGuard&) = delete;
    _vxk_MethodGuard& operator=(const _vxk_MethodGuard&) = delete;
};

inline _vxk_MethodGuard _vxk_guard_method(const char* method) { return _vxk_MethodGuard(method); }

// Runs `check(judged)` when the enclosing block is left: judged is false when it is left
// by an exception. Postconditions and the exit of stubs use it, so early returns count.
template <typename F>
class _vxk_OnExit {
public:
    explicit _vxk_OnExit(F check) : check_(check), uncaught_(std::uncaught_exceptions()) {}
    ~_vxk_OnExit() { check_(std::uncaught_exceptions() == uncaught_); }
    _vxk_OnExit(const _vxk_OnExit&) = delete;
    _vxk_OnExit& operator=(const _vxk_OnExit&) = delete;

private:
    F check_;
    int uncaught_;
};

template <typename F>
_vxk_OnExit<F> _vxk_on_exit(F check) {
    return _vxk_OnExit<F>(check);
}
