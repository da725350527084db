// report/merge.h: the TEST CASEs of several dynamic files (the shards of one
// driver, or the drivers of several scripts) as one run, each case once. A case
// is known by its dotted path, its script line and how often that pair came
// before it in its file, so the shards of one driver name every case alike. A
// case that one file ran carries that run's verdict; one that no file ran keeps
// the strongest reason a file gave for not running it. Nothing here fails.
#pragma once
#include <cstddef>
#include <deque>
#include <string>
#include <unordered_map>

#include "report/junit.h"

// Why a case was not run, the weakest first: a file that did not reach a case
// says more than one that was told to leave it to another shard.
enum class NotRun { none, not_selected, other_shard, bypassed, stopped };

struct MergedCase {
    std::string path, location;  // "Account.Deposits.Single", "account.otd:12"
    std::string ran_in;          // the dynamic file that ran it; "" while none did
    NotRun why = NotRun::none;
};

struct Merge {
    std::deque<MergedCase> cases;  // in the order first met
    std::unordered_map<std::string, std::size_t> by_key;
    std::deque<CaseResult> results;  // of the cases run, in run order; stable addresses
};

// The index of the case of that key in m.cases, added when new.
std::size_t merged_case(Merge& m, const std::string& path, const std::string& location,
                        unsigned occurrence);

// A file did not run case `index`, for that reason.
void not_run(Merge& m, std::size_t index, NotRun why);

// The cases no file ran, appended to m.results as skipped (without those only not
// selected, when `unselected` is false); how many.
long add_skipped(Merge& m, bool unselected);

// "not selected" ...: the reason as the report words it.
const char* not_run_reason(NotRun why);
