// utils/text.cpp: escaping for quoted output, comments and literals, case-blind
// comparison, blank test, identifiers replaced in C++ code.
#include "utils/text.h"

#include <cctype>
#include <cstring>
#include <new>

#include <QByteArray>
#include <QString>

#include "errors/report.h"
#include "fi/names.h"

namespace {

// Length of the well-formed UTF-8 sequence at text[i] (no overlong forms, no
// surrogates, nothing above U+10FFFF), 0 if there is none.
std::size_t utf8_sequence(std::string_view text, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[i + k]); };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;  // allowed range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (i + length > text.size() || byte(1) < low || byte(1) > high)
        return 0;
    for (std::size_t k = 2; k < length; ++k)
        if ((byte(k) & 0xC0) != 0x80)
            return 0;
    return length;
}

bool is_identifier_byte(char ch) {
    return std::isalnum(static_cast<unsigned char>(ch)) || ch == '_';
}

// Whether `formal` stands at text[i] as a whole identifier.
bool identifier_at(std::string_view text, std::size_t i, std::string_view formal) {
    const std::size_t end = i + formal.size();
    return text.substr(i, formal.size()) == formal &&
           (i == 0 || !is_identifier_byte(text[i - 1])) &&
           (end == text.size() || !is_identifier_byte(text[end]));
}

// The text with every match replaced; false when there was none.
bool replace_in_code(std::string_view in, std::string_view formal, std::string_view actual,
                     std::string* out) {
    bool matched = false;
    CodeState state = CodeState::code;
    for (std::size_t i = 0; i < in.size();) {
        CodeState next = state;
        const std::size_t take = lexical_step(in, i, &next);
        if (state == CodeState::code && next == CodeState::code && in[i] != '\\' &&
            identifier_at(in, i, formal)) {
            out->append(actual);
            i += formal.size();
            matched = true;
            continue;
        }
        out->append(in.substr(i, take));
        i += take;
        state = next;
    }
    return matched;
}

}  // namespace

void append_backslashed(std::string& out, std::string_view text) {
    for (std::size_t from = 0;;) {
        const std::size_t special = text.find_first_of("\"\\", from);
        out.append(text.substr(from, special - from));
        if (special == std::string_view::npos)
            return;
        out.push_back('\\');
        out.push_back(text[special]);
        from = special + 1;
    }
}

std::string escaped(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 8);
    append_backslashed(out, text);
    return out;
}

void append_unsigned(std::string& out, unsigned long value, int base) {
    char digits[24];
    char* p = digits + sizeof digits;
    do {
        *--p = "0123456789abcdef"[value % static_cast<unsigned long>(base)];
        value /= static_cast<unsigned long>(base);
    } while (value != 0);
    out.append(p, static_cast<std::size_t>(digits + sizeof digits - p));
}

const char* escape_c_string(const char* text) {
    if (!text)
        return nullptr;
    return intern(escaped(text));
}

const char* unescape_text(const char* text) {
    if (!text)
        return nullptr;
    std::string out;
    for (const char* p = text; *p; ++p) {
        if (*p == '\\') {
            ++p;
            if (!*p)
                break;  // a final lone backslash disappears
        }
        out.push_back(*p);
    }
    return intern(out);
}

static char ascii_lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

int equal_ignoring_case(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return -1;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (ascii_lower(a[i]) != ascii_lower(b[i]))
            return -1;
    return 0;
}

int is_blank(std::string_view text) {
    for (char c : text)
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n')
            return 0;
    return 1;
}

std::string to_utf8(std::string_view local8bit) {
    QByteArray utf8 =
        QString::fromLocal8Bit(local8bit.data(), static_cast<qsizetype>(local8bit.size())).toUtf8();
    return std::string(utf8.constData(), static_cast<std::size_t>(utf8.size()));
}

std::size_t lexical_step(std::string_view text, std::size_t i, CodeState* state) {
    const char ch = text[i];
    const char next = i + 1 < text.size() ? text[i + 1] : '\0';
    if (ch == '\\')
        return i + 1 < text.size() ? 2 : 1;
    switch (*state) {
    case CodeState::code:
        if (ch == '"')
            *state = CodeState::string;
        else if (ch == '\'')
            *state = CodeState::character;
        else if (ch == '/' && (next == '*' || next == '/'))
            *state = next == '*' ? CodeState::block_comment : CodeState::line_comment;
        return *state == CodeState::block_comment || *state == CodeState::line_comment ? 2 : 1;
    case CodeState::string: *state = ch == '"' ? CodeState::code : *state; return 1;
    case CodeState::character: *state = ch == '\'' ? CodeState::code : *state; return 1;
    case CodeState::block_comment:
        if (ch != '*' || next != '/')
            return 1;
        *state = CodeState::code;
        return 2;
    case CodeState::line_comment: *state = ch == '\n' ? CodeState::code : *state; return 1;
    }
    return 1;
}

const char* replace_identifier(const char* text, std::string_view formal,
                               std::string_view actual) {
    const std::string_view in = interned_view(text);
    if (!text || formal.empty() || in.find(formal) == std::string_view::npos)
        return text;
    try {
        std::string out;
        if (!replace_in_code(in, formal, actual, &out))
            return text;
        const char* result = intern(out);
        if (!result)
            report_error(MSG_NO_FREE_MEMORY);
        return result;
    } catch (const std::bad_alloc&) {
        report_error(MSG_NO_FREE_MEMORY);
        return nullptr;
    }
}

std::string comment_text(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        out += text[i];
        if (text[i] == '/' && i + 1 < text.size() && text[i + 1] == '*')
            out += ' ';
    }
    std::string safe;
    safe.reserve(out.size());
    for (std::size_t i = 0; i < out.size(); ++i) {
        safe += out[i];
        if (out[i] == '*' && i + 1 < out.size() && out[i + 1] == '/')
            safe += ' ';
    }
    return safe;
}

// A backslash before '"' and '\\'; line breaks, other control bytes and bytes that are
// not well-formed UTF-8 as octal escapes (the compiler would refuse or warn about them
// raw); "??" broken up so that no trigraph can form.
std::string literal_text(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto ch = static_cast<unsigned char>(text[i]);
        if (ch == '"' || ch == '\\') {
            out += '\\';
            out += static_cast<char>(ch);
        } else if (ch == '?' && !out.empty() && out.back() == '?') {
            out += "\\?";
        } else if (ch >= 0x80) {
            const std::size_t length = utf8_sequence(text, i);
            if (length == 0) {
                out += '\\';
                append_unsigned(out, ch, 8);
            } else {
                out.append(text.substr(i, length));
                i += length - 1;
            }
        } else if ((ch < 0x20 && ch != '\t') || ch == 0x7F) {
            char octal[5] = {'\\', static_cast<char>('0' + (ch >> 6)),
                             static_cast<char>('0' + ((ch >> 3) & 7)),
                             static_cast<char>('0' + (ch & 7)), '\0'};
            out += octal;
        } else {
            out += static_cast<char>(ch);
        }
    }
    return out;
}
