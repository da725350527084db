// instr/oti.h: reads an instrumentation file (formats/instrumentation.h) into the sections
// the instrumentor weaves: contract-check classes (invariants, wrapped methods, state
// charts), stubs and method checks. Anything it does not recognise (an unknown marker, a
// section cut short, a malformed number) is an error naming the instrumentation file and
// line, appended to `errors` as everywhere in vexinstr; the first one ends the reading.
#pragma once
#include <string>
#include <vector>

// Where a section comes from in the scripts ("account.otc", 12), for messages.
struct ScriptPlace {
    std::string file;
    int line = 0;
};

// One assertion as the generator wrote it: a complete statement, #line directives
// included, and the id it reports.
struct Assertion {
    std::string text;
    unsigned long id = 0;
};

struct WrapSection {
    std::string signature;
    ScriptPlace place;
    std::vector<Assertion> pre, post;
};

struct ClassSection {
    bool single = false;      // @CSS@ rather than @CLS@
    std::string name;
    ScriptPlace place;
    unsigned sum_a = 0, sum_b = 0;  // checksum pair of the contract script's listings
    unsigned long id = 0;
    std::vector<Assertion> invariants;
    std::vector<WrapSection> wraps;
    std::string state_tables, state_body, state_check;  // empty without UML states
};

struct StubSection {
    std::string signature;
    ScriptPlace place;
    std::vector<std::string> pre, post;  // statements, in the order written
};

struct MethodSection {
    std::string signature;
    ScriptPlace place;
    std::string counter;  // "_VEX_Check_Method_0x.."
};

struct Instrumentation {
    bool line_directives = false;  // @DLI@: the file carries #line directives
    std::vector<ClassSection> classes;
    std::vector<StubSection> stubs;
    std::vector<MethodSection> methods;
};

// Parses `text`, read from `name`; false after appending "<name>:<line>: <what>".
bool read_instrumentation(const std::string& name, const std::string& text, Instrumentation* out,
                          std::vector<std::string>& errors);
