// report/junit.cpp: one <testsuite> per TEST CLASS (cases outside any class make one of
// their own), in the order first met, each holding its TEST CASEs as <testcase> elements
// with their verdict, time, script place and printed output.
#include "report/junit.h"

#include <cstdio>
#include <fstream>
#include <string_view>
#include <vector>

namespace {

// Text and attribute values. The only XML the tools write, so the rule lives here.
std::string xml(std::string_view s) {
    std::string out;
    for (char c : s) {
        switch (c) {
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '&': out += "&amp;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&apos;"; break;
        default:
            // Control bytes are not allowed in XML 1.0 at all.
            if (static_cast<unsigned char>(c) < 0x20 && c != '\n' && c != '\t' && c != '\r')
                out += '?';
            else
                out += c;
        }
    }
    return out;
}

std::string seconds(long long micros) {
    char text[32];
    std::snprintf(text, sizeof text, "%lld.%03lld", micros / 1000000, micros % 1000000 / 1000);
    return text;
}

// The TEST CLASS a case belongs to: the first part of its classname.
std::string class_of(const CaseResult& c) {
    return c.classname.empty() ? "(top level)" : c.classname.substr(0, c.classname.find('.'));
}

struct Tally {
    long tests = 0, failures = 0, errors = 0, skipped = 0;
    long long micros = 0;  // of its cases
};

void count(Tally& t, const CaseResult& c) {
    ++t.tests;
    t.skipped += c.skipped.empty() ? 0 : 1;
    t.errors += c.skipped.empty() && !c.error.empty() ? 1 : 0;
    t.failures += c.skipped.empty() && c.error.empty() && !c.failures.empty() ? 1 : 0;
    t.micros += c.micros > 0 ? c.micros : 0;
}

// "account.otd:12" as file="account.otd" line="12".
std::string place(const std::string& location) {
    const std::size_t colon = location.rfind(':');
    if (colon == std::string::npos)
        return "";
    return " file=\"" + xml(location.substr(0, colon)) + "\" line=\"" +
           xml(location.substr(colon + 1)) + "\"";
}

void write_case(std::ostream& x, const CaseResult& c) {
    x << "    <testcase name=\"" << xml(c.name) << "\" classname=\""
      << xml(c.classname.empty() ? "(top level)" : c.classname) << "\" time=\""
      << seconds(c.micros > 0 ? c.micros : 0) << "\"" << place(c.location) << ">\n";
    if (!c.skipped.empty()) {
        x << "      <skipped message=\"" << xml(c.skipped) << "\"/>\n";
    } else if (!c.failures.empty()) {
        std::string all;
        for (const std::string& f : c.failures)
            all += f + "\n";
        // The last text says why a case that ended abnormally stopped.
        const std::string& message = c.error.empty() ? c.failures.front() : c.failures.back();
        const char* element = c.error.empty() ? "failure" : "error";
        x << "      <" << element << " message=\"" << xml(message) << "\" type=\""
          << xml(c.error.empty() ? "check" : c.error) << "\">" << xml(all) << "</" << element
          << ">\n";
    }
    if (!c.output.empty())
        x << "      <system-out>" << xml(c.output) << "</system-out>\n";
    x << "    </testcase>\n";
}

using Group = std::vector<const CaseResult*>;

void write_suite(std::ostream& x, const std::string& name, const Group& cases,
                 const ClassTimes& class_times) {
    Tally t;
    for (const CaseResult* c : cases)
        count(t, *c);
    const auto measured = class_times.find(name);
    x << "  <testsuite name=\"" << xml(name) << "\" tests=\"" << t.tests << "\" failures=\""
      << t.failures << "\" errors=\"" << t.errors << "\" skipped=\"" << t.skipped
      << "\" time=\"" << seconds(measured != class_times.end() ? measured->second : t.micros)
      << "\">\n";
    for (const CaseResult* c : cases)
        write_case(x, *c);
    x << "  </testsuite>\n";
}

}  // namespace

bool write_junit(const std::string& path, const std::deque<CaseResult>& cases,
                 const ClassTimes& class_times, std::string* problem) {
    std::ofstream x(path, std::ios::binary | std::ios::trunc);
    Tally all;
    std::vector<std::pair<std::string, Group>> classes;  // in the order first met
    std::map<std::string, std::size_t> index;
    for (const CaseResult& c : cases) {
        count(all, c);
        const auto [it, added] = index.emplace(class_of(c), classes.size());
        if (added)
            classes.emplace_back(it->first, Group{});
        classes[it->second].second.push_back(&c);
    }
    long long micros = 0;
    for (const auto& [name, group] : classes) {
        const auto measured = class_times.find(name);
        micros += measured != class_times.end() ? measured->second : 0;
    }
    x << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      << "<testsuites name=\"vexreport\" tests=\"" << all.tests << "\" failures=\""
      << all.failures << "\" errors=\"" << all.errors << "\" time=\""
      << seconds(micros > 0 ? micros : all.micros) << "\">\n";
    for (const auto& [name, group] : classes)
        write_suite(x, name, group, class_times);
    x << "</testsuites>\n";
    x.close();
    if (!x)
        *problem = "cannot write `" + path + "'";
    return static_cast<bool>(x);
}
