// utils/text.cpp: escaping for quoted output, case-blind comparison, blank test.
#include "utils/text.h"

#include <cstring>

#include <QByteArray>
#include <QString>

#include "fi/names.h"

void append_escaped(std::string& out, std::string_view text) {
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
    append_escaped(out, text);
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
