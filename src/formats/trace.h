// formats/trace.h: the dynamic file's records (docs/dynamic_file.md explains them), which
// the runtime (tp/) writes and vexreport reads. One record a line: its tag, then its fields
// separated by one blank; numbers are lower-case hexadecimal without "0x". Header only,
// C++17: the runtime uses it too.
#pragma once

namespace trace {

constexpr const char* MAGIC = "VEXTRACE";  // first line: "VEXTRACE <version>"
constexpr int VERSION = 1;

// A record's tag and the number of blank-separated fields after it. TEXT_FIELD marks a
// last field that runs to the end of the line and may hold blanks (escaped text).
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
constexpr Tag COMMENT{"CO", 2};      // <id> <file>

constexpr Tag PRINT_START{"PS", 2};           // <id> <file>
constexpr Tag PRINT_VALUE{"PV", TEXT_FIELD};  // <text>TAB<value>, both escaped
constexpr Tag PRINT_END{"PE", 0};

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

constexpr Tag CRASH{"CRASH", 1};       // <signal>
constexpr Tag EXIT_CALL{"EXITCALL", 0};
constexpr Tag END{"END", 1};           // <status>

}  // namespace trace
