// formats/instrumentation.h: the sections of the instrumentation file (-OTI) that
// vexprepro writes and vexinstr reads. A section starts with its marker line, a
// three-letter name between two '@', then one blank (two for STB and WRP) and a line
// break; its lines run to the next marker. Header only; nothing here fails.
#pragma once
#include <string_view>

#include "formats/hex.h"

namespace oti {

struct Marker {
    std::string_view name;  // "INV": what the reader compares
    std::string_view line;  // "@INV@ \n": what the writer writes
};

constexpr Marker LINE_DIRECTIVES{"DLI", "@DLI@ \n"};  // first: the file carries #line
constexpr Marker STUB{"STB", "@STB@  \n"};            // a STUB's signature
constexpr Marker SOURCE_LINE{"SLI", "@SLI@ \n"};      // "<script>:<line>" of the section
constexpr Marker PRECONDITION{"PRE", "@PRE@ \n"};     // statements run on entry
constexpr Marker POSTCONDITION{"POS", "@POS@ \n"};    // statements run on exit
constexpr Marker CLASS{"CLS", "@CLS@ \n"};            // a CLASS's signature
constexpr Marker SINGLE_CLASS{"CSS", "@CSS@ \n"};     // a SINGLE CLASS's signature
constexpr Marker CHECKSUM{"CSU", "@CSU@ \n"};         // "0x<sum_a> 0x<sum_b>" of its script
constexpr Marker CLASS_ID{"CID", "@CID@ \n"};         // "0x<id>" of the class
constexpr Marker INVARIANT{"INV", "@INV@ \n"};        // one assertion
constexpr Marker WRAP{"WRP", "@WRP@  \n"};            // a wrapped method's signature
constexpr Marker STATE_TABLES{"SCF", "@SCF@ \n"};     // the state chart's tables
constexpr Marker STATE_BODY{"SCB", "@SCB@ \n"};       // the state-transition body
constexpr Marker STATE_CHECK{"SCK", "@SCK@ \n"};      // the state-check switch
constexpr Marker METHOD{"MTH", "@MTH@ \n"};           // a CHECK METHOD's signature
constexpr Marker COUNTER{"CHK", "@CHK@ \n"};          // the counter it increments

// An assertion section (INV, and PRE and POS of a WRP) holds one statement of this form:
//   <call>( (<expression>) , 0x<id>, <file macro>);
// and a blank line; without -NODLINE a line break, a #line directive and a line break
// come before the expression and a line break after it:
//   _vxk_assert_invariant( (
//   #line 3 "/home/me/shapes.otc"
//   size >= 0
//   ) , 0x10, _VXK_CLASS_FILE_CLS);
// vexinstr weaves the statement as it is and needs only the id it reports, for the
// "not judged" call of an ENSURE: the last hexadecimal literal before the last ", ".
constexpr std::string_view ASSERTION_ID_PREFIX = "0x";
constexpr std::string_view ASSERTION_ID_END = ", ";

// The id an assertion statement reports; false when the statement has none.
inline bool assertion_id(std::string_view statement, unsigned long* id) {
    const std::size_t end = statement.rfind(ASSERTION_ID_END);
    if (end == std::string_view::npos)
        return false;
    const std::size_t start = statement.rfind(ASSERTION_ID_PREFIX, end);
    return start != std::string_view::npos &&
           hex::parse_0x(statement.substr(start, end - start), id);
}

// The counter of a CHECK METHOD: this prefix, then its id in hexadecimal.
constexpr std::string_view METHOD_COUNTER_PREFIX = "_VEX_Check_Method_0x";

}  // namespace oti
