// report/junit.h: the TEST CASE results of a run as JUnit XML, the form CI servers read:
// failed checks and contracts are failures; a case timed out, crashed or interrupted is an
// error; a case not run is skipped, with the reason.
// Fails only when the file cannot be written whole: false, with the reason in *problem.
#pragma once
#include <deque>
#include <string>
#include <vector>

struct CaseResult {
    std::string name, classname, location;  // classname: the enclosing classes and suites
    std::vector<std::string> failures;      // in the order met; empty when it passed
    std::string error;                      // "timeout", "crash", "interrupted"; "" for none
    std::string skipped;                    // why it was not run; "" when it ran
    std::string output;                     // printed values and comments
};

bool write_junit(const std::string& path, const std::deque<CaseResult>& cases,
                 std::string* problem);
