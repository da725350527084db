// report/merge.cpp: the cases of several dynamic files, by key, in the order first met.
#include "report/merge.h"

std::size_t merged_case(Merge& m, const std::string& path, const std::string& location,
                        unsigned occurrence) {
    const std::string key = path + '\n' + location + '\n' + std::to_string(occurrence);
    const auto [it, added] = m.by_key.try_emplace(key, m.cases.size());
    if (added)
        m.cases.push_back(MergedCase{path, location, "", NotRun::none});
    return it->second;
}

void not_run(Merge& m, std::size_t index, NotRun why) {
    MergedCase& c = m.cases[index];
    if (why > c.why)
        c.why = why;
}

long add_skipped(Merge& m, bool unselected) {
    long count = 0;
    for (const MergedCase& c : m.cases) {
        if (!c.ran_in.empty() || (!unselected && c.why == NotRun::not_selected))
            continue;
        const std::size_t dot = c.path.rfind('.');
        const bool top = dot == std::string::npos;
        m.results.push_back(CaseResult{top ? c.path : c.path.substr(dot + 1),
                                       top ? "" : c.path.substr(0, dot),
                                       c.location,
                                       {},
                                       "",
                                       not_run_reason(c.why),
                                       ""});
        ++count;
    }
    return count;
}

const char* not_run_reason(NotRun why) {
    switch (why) {
    case NotRun::not_selected: return "not selected";
    case NotRun::other_shard: return "left to another shard, whose dynamic file was not given";
    case NotRun::bypassed: return "not reached: an ON ERROR reaction went past it";
    case NotRun::stopped: return "not reached: the run stopped before it";
    case NotRun::none: break;
    }
    return "not run";
}
