// formats/trace.h: the dynamic file's records (docs/dynamic_file.md explains them), which
// the runtime (tp/) writes and vexreport reads, and the escaping of the texts they carry.
// One record a line: its tag, then its fields separated by one blank; numbers are
// lower-case hexadecimal without "0x" (the signal of CRASH is decimal). The last field of
// a record runs to the end of the line, so a text there may hold blanks. Header only,
// C++17 and the standard library: the runtime uses it too. Nothing here fails.
#pragma once
#include <string>
#include <string_view>

#include "formats/hex.h"

namespace trace {

constexpr const char* MAGIC = "VEXTRACE";  // first line: "VEXTRACE <version in hexadecimal>"
constexpr int VERSION = 3;
constexpr int OLDEST_VERSION = 1;  // what a reader still accepts

// A record's tag and the number of blank-separated fields after it. TEXT_FIELD marks a
// record whose only field is the whole rest of the line (escaped text, blanks included).
constexpr int TEXT_FIELD = 100;
struct Tag {
    const char* name;
    int fields;
};

constexpr Tag INIT{"INIT", 3};  // <ids> <messages> <texts>: the key offsets
constexpr Tag SOURCE_FILE{"FILE", 3};  // <file> <sum_a> <sum_b>: a script registered

// <id> <file> <caller id> <caller file>
constexpr Tag ENTER_CLASS{"EC", 4}, ENTER_SUITE{"ES", 4}, ENTER_CASE{"ET", 4},
    ENTER_PROC{"EP", 4}, ENTER_STUB{"EB", 4};
// <file> <caller file>, or <file> alone for PROC and stub
constexpr Tag EXIT_CLASS{"XC", 2}, EXIT_SUITE{"XS", 2}, EXIT_CASE{"XT", 2}, EXIT_PROC{"XP", 1},
    EXIT_STUB{"XB", 1};

// <verdict> <id> <file>; verdict 1 passed, 0 failed
constexpr Tag CHECK{"CK", 3}, CHECK_PROPERTY{"CP", 3}, CHECK_CONDITION{"CR", 3},
    CHECK_EXCEPTION{"CX", 3}, CHECK_STUB{"CS", 3}, CHECK_METHOD{"CM", 3};

constexpr Tag ENTER_ERROR{"OE", 2};  // <on error id> <file>; id 0: the default reaction
constexpr Tag EXIT_ERROR{"OX", 1};   // <id> the reaction ends at
constexpr Tag UNEXPECTED{"UX", 2};   // <id> <file>
// Version 3, right before its UX: <type>TAB<message>, both escaped; the message is what()
// of a std::exception, empty for anything else.
constexpr Tag EXCEPTION_TYPE{"UD", TEXT_FIELD};
constexpr Tag COMMENT{"CO", 2};      // <id> <file>

constexpr Tag PRINT_START{"PS", 2};           // <id> <file>
constexpr Tag PRINT_VALUE{"PV", TEXT_FIELD};  // <text>TAB<value>, both escaped
constexpr Tag PRINT_END{"PE", 0};

// Only from drivers made with -VALUES, just before the failed verdict they explain (any
// version of the file may hold them): a comparison's operands as printed,
// <left>TAB<operator>TAB<right>, each escaped; and a PROPERTY's first false expression,
// <text> escaped, as the PROPERTY wrote it.
constexpr Tag VALUES{"VL", TEXT_FIELD};
constexpr Tag FALSE_EXPRESSION{"FX", TEXT_FIELD};

// <verdict> <id> <file> <object> <method>; verdict 1, 0 or n (not judged); <method> is
// escaped text
constexpr int CONTRACT_FIELDS = 5;
constexpr Tag INVARIANT{"AI", CONTRACT_FIELDS}, PRECONDITION{"AR", CONTRACT_FIELDS},
    POSTCONDITION{"AE", CONTRACT_FIELDS};
constexpr const char* PASSED = "1";
constexpr const char* FAILED = "0";
constexpr const char* NOT_JUDGED = "n";

// <object> <state id> <file>
constexpr Tag STATE{"SS", 3}, TRANSITION{"ST", 3}, ILLEGAL_TRANSITION{"SI", 3},
    MULTIPLE_TRANSITIONS{"SM", 3};
// Version 3. <object>: an object with UML states begins or ends at that address (its
// constructor starts, its destructor ended): the next state record there is a new object.
constexpr Tag OBJECT_LIFETIME{"SO", 1};
// Version 3, right before an SI or SM: <method>, escaped, the public call after which the
// object's state was judged.
constexpr Tag FAULT_METHOD{"SF", TEXT_FIELD};

// <signal>, in decimal. Without isolation the last record; under isolation the process
// that waited at the case start writes it and the run goes on (the case's XT follows).
constexpr Tag CRASH{"CRASH", 1};
constexpr Tag TIMEOUT{"TO", 1};  // <seconds>, decimal: the running case was stopped
constexpr Tag ISOLATED{"IS", 0};  // once after INIT: every case runs in a process of its own

// One per TEST CASE the driver would run, in execution order, written after the FILE
// records when a plan was made (selection or shards): <index> <mark> <id> <file> <path>;
// <path> is the dotted Class.Suite.Case. A case not marked RUNS has no ET, and a class or
// suite none of whose cases runs is not entered.
constexpr Tag PLAN_CASE{"PC", 5};
constexpr const char* RUNS = "r";
constexpr const char* NOT_SELECTED = "s";
constexpr const char* OTHER_SHARD = "h";
constexpr Tag EXIT_CALL{"EXITCALL", 0};
// Version 3, right before each XC, XS and XT: <microseconds> since its EC, ES or ET, by a
// monotonic clock.
constexpr Tag ELAPSED{"TM", 1};
constexpr Tag END{"END", 1};           // <status>

// The fields after a record's tag as the reader splits them: TEXT_FIELD is one.
constexpr int split_fields(const Tag& tag) { return tag.fields == TEXT_FIELD ? 1 : tag.fields; }

// Texts (printed values, method names) on one line: a backslash escapes the backslash,
// tab (\t), line feed (\n), carriage return (\r) and every other control byte (\xhh,
// lower-case digits). Other bytes, blanks and UTF-8 included, stay as they are.
inline void append_escaped(std::string& out, std::string_view text) {
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte != 0x7f && c != '\\') {
            out += c;
            continue;
        }
        out += '\\';
        if (c == '\\' || c == '\t' || c == '\n' || c == '\r') {
            out += c == '\\' ? '\\' : c == '\t' ? 't' : c == '\n' ? 'n' : 'r';
        } else {
            out += 'x';
            out += "0123456789abcdef"[byte >> 4];
            out += "0123456789abcdef"[byte & 15];
        }
    }
}

// The text that append_escaped wrote. What it never writes is read leniently, as a reader
// of a garbled file may: an unknown escape, or "\x" without two digits, stands for the
// byte after the backslash; a backslash at the very end stays.
inline std::string unescape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char c = text[++i];
        const std::string_view digits = text.substr(i + 1, 2);
        unsigned long byte = 0;
        if (c == 'x' && digits.size() == 2 && hex::parse(digits, &byte)) {
            out += static_cast<char>(byte);
            i += 2;
        } else {
            out += c == 'n' ? '\n' : c == 't' ? '\t' : c == 'r' ? '\r' : c;
        }
    }
    return out;
}

}  // namespace trace
