// gen/format.h: the small formatting the generated texts need: %s (text), %d, %u and %x
// (int, unsigned), the same with an l (long, unsigned long), and %%. Every format is checked
// when the program is compiled: an unknown conversion, an argument of another type, or one
// argument too many or too few does not compile. Formatting itself cannot fail. It is kept
// this small because a run writes millions of lines and printf's machinery showed in the
// profile.
#pragma once
#include <cstddef>
#include <string>
#include <type_traits>

namespace format {

enum Type { TEXT, INT, LONG, UNSIGNED, UNSIGNED_LONG };

template <typename T>
struct type_of;  // not defined: an argument of any other type does not compile
template <> struct type_of<const char*> { static constexpr Type value = TEXT; };
template <> struct type_of<char*> { static constexpr Type value = TEXT; };
template <> struct type_of<int> { static constexpr Type value = INT; };
template <> struct type_of<long> { static constexpr Type value = LONG; };
template <> struct type_of<unsigned> { static constexpr Type value = UNSIGNED; };
template <> struct type_of<unsigned long> { static constexpr Type value = UNSIGNED_LONG; };

// Never defined and not constexpr: a check that reaches one of these fails to compile, and
// the name says why.
void unknown_conversion();
void argument_of_another_type();
void wrong_number_of_arguments();

// The type the directive after the '%' at format[*at] asks for; *at is left on its last
// character. PERCENT for "%%".
constexpr int PERCENT = -1;
constexpr int directive_type(const char* format, std::size_t* at) {
    const bool is_long = format[*at] == 'l';
    *at += is_long ? 1 : 0;
    switch (format[*at]) {
    case '%': if (!is_long) return PERCENT; break;
    case 's': if (!is_long) return TEXT; break;
    case 'd': return is_long ? LONG : INT;
    case 'u': case 'x': return is_long ? UNSIGNED_LONG : UNSIGNED;
    default: break;
    }
    unknown_conversion();
    return PERCENT;
}

// A format string whose directives match the argument types `Args`, in order.
template <typename... Args>
struct Checked {
    const char* text;
    consteval Checked(const char* format) : text(format) {  // NOLINT: implicit on purpose
        constexpr int types[] = {type_of<Args>::value..., PERCENT};
        std::size_t used = 0;
        for (std::size_t i = 0; format[i]; ++i) {
            if (format[i] != '%')
                continue;
            ++i;
            const int type = directive_type(format, &i);
            if (type == PERCENT)
                continue;
            if (used == sizeof...(Args))
                wrong_number_of_arguments();
            if (types[used++] != type)
                argument_of_another_type();
        }
        if (used != sizeof...(Args))
            wrong_number_of_arguments();
    }
};

// One argument as the formatting loop reads it: the format says which member holds it.
struct Arg {
    const char* text = nullptr;
    long signed_value = 0;
    unsigned long unsigned_value = 0;
};
inline Arg arg_of(const char* v) { return Arg{v ? v : "", 0, 0}; }
inline Arg arg_of(int v) { return Arg{nullptr, v, 0}; }
inline Arg arg_of(long v) { return Arg{nullptr, v, 0}; }
inline Arg arg_of(unsigned v) { return Arg{nullptr, 0, v}; }
inline Arg arg_of(unsigned long v) { return Arg{nullptr, 0, v}; }

// Appends `format` with `args` in place of its directives (checked: see Checked).
void append_checked(std::string& out, const char* format, const Arg* args);

}  // namespace format

// The argument types as deduced from a call: "TP.h" is a text like any const char*.
template <typename... Args>
using Format = format::Checked<std::decay_t<Args>...>;

template <typename... Args>
void append_formatted(std::string& out, Format<Args...> format, const Args&... args) {
    const format::Arg list[] = {format::arg_of(args)..., format::Arg{}};
    format::append_checked(out, format.text, list);
}
