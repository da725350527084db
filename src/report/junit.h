// report/junit.h: the TEST CASE results of a run as JUnit XML, the form CI servers read:
// failed checks and contracts are failures; a case timed out, crashed or interrupted is an
// error; a case not run is skipped, with the reason.
// Fails only when the file cannot be written whole: false, with the reason in *problem.
#pragma once
#include <deque>
#include <map>
#include <string>
#include <vector>

struct CaseResult {
    std::string name, classname, location;  // classname: the enclosing classes and suites
    std::vector<std::string> failures;      // in the order met; empty when it passed
    // "timeout", "crash", "interrupted", or the type of an unexpected exception; "" for none
    std::string error;
    std::string skipped;                    // why it was not run; "" when it ran
    std::string output;                     // printed values and comments
    long long micros = -1;                  // how long it ran; -1 unknown (a file before 3)
};

// What a JUnit file holds besides its cases: how long each TEST CLASS ran, by name (the
// first part of a case's classname), summed over the files; a class not in it takes the
// sum of its cases.
using ClassTimes = std::map<std::string, long long>;

bool write_junit(const std::string& path, const std::deque<CaseResult>& cases,
                 const ClassTimes& class_times, std::string* problem);
