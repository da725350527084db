// formats/hex.h: the one reading of the hexadecimal numbers the formats carry: bare
// ("1e8480", dynamic file), with an "h" suffix ("2ah", listings) or a "0x" prefix ("0x2a",
// instrumentation file). Lower-case digits only, as every writer writes them; at most 16
// digits. Header only, C++17.
#pragma once
#include <string_view>

namespace hex {

// Whether `digits` is 1 to 16 lower-case hexadecimal digits; their value in *value.
inline bool parse(std::string_view digits, unsigned long* value) {
    if (digits.empty() || digits.size() > 16)
        return false;
    unsigned long v = 0;
    for (char c : digits) {
        const int d = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
        if (d < 0)
            return false;
        v = v * 16 + static_cast<unsigned long>(d);
    }
    *value = v;
    return true;
}

// "<digits>h", as the listings write numbers.
inline bool parse_h(std::string_view text, unsigned long* value) {
    return !text.empty() && text.back() == 'h' && parse(text.substr(0, text.size() - 1), value);
}

// "0x<digits>", as the instrumentation file writes them.
inline bool parse_0x(std::string_view text, unsigned long* value) {
    return text.size() > 2 && text[0] == '0' && text[1] == 'x' && parse(text.substr(2), value);
}

}  // namespace hex
