// report/junit.cpp: one <testsuite> holding every TEST CASE run, as <testcase> elements
// with their failures and printed output.
#include "report/junit.h"

#include <fstream>
#include <string_view>

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

void write_case(std::ostream& x, const CaseResult& c) {
    x << "    <testcase name=\"" << xml(c.name) << "\" classname=\""
      << xml(c.classname.empty() ? "(top level)" : c.classname) << "\" time=\"0\">\n";
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
          << (c.error.empty() ? "check" : c.error) << "\">" << xml(all) << "</" << element
          << ">\n";
    }
    if (!c.output.empty())
        x << "      <system-out>" << xml(c.output) << "</system-out>\n";
    x << "    </testcase>\n";
}

}  // namespace

bool write_junit(const std::string& path, const std::deque<CaseResult>& cases,
                 std::string* problem) {
    std::ofstream x(path, std::ios::binary | std::ios::trunc);
    long failures = 0, errors = 0, skipped = 0;
    for (const CaseResult& c : cases) {
        skipped += c.skipped.empty() ? 0 : 1;
        errors += c.skipped.empty() && !c.error.empty() ? 1 : 0;
        failures += c.skipped.empty() && c.error.empty() && !c.failures.empty() ? 1 : 0;
    }
    x << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      << "<testsuites name=\"vexreport\" tests=\"" << cases.size() << "\" failures=\""
      << failures << "\" errors=\"" << errors << "\">\n"
      << "  <testsuite name=\"vexreport\" tests=\"" << cases.size() << "\" failures=\""
      << failures << "\" errors=\"" << errors << "\" skipped=\"" << skipped
      << "\" time=\"0\">\n";
    for (const CaseResult& c : cases)
        write_case(x, c);
    x << "  </testsuite>\n</testsuites>\n";
    x.close();
    if (!x)
        *problem = "cannot write `" + path + "'";
    return static_cast<bool>(x);
}
