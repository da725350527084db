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
    if (!c.failures.empty()) {
        std::string all;
        for (const std::string& f : c.failures)
            all += f + "\n";
        x << "      <failure message=\"" << xml(c.failures.front()) << "\" type=\"check\">"
          << xml(all) << "</failure>\n";
    }
    if (!c.output.empty())
        x << "      <system-out>" << xml(c.output) << "</system-out>\n";
    x << "    </testcase>\n";
}

}  // namespace

bool write_junit(const std::string& path, const std::deque<CaseResult>& cases,
                 std::string* problem) {
    std::ofstream x(path, std::ios::binary | std::ios::trunc);
    long failures = 0;
    for (const CaseResult& c : cases)
        failures += c.failures.empty() ? 0 : 1;
    x << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      << "<testsuites name=\"vexreport\" tests=\"" << cases.size() << "\" failures=\""
      << failures << "\" errors=\"0\">\n"
      << "  <testsuite name=\"vexreport\" tests=\"" << cases.size() << "\" failures=\""
      << failures << "\" errors=\"0\" skipped=\"0\" time=\"0\">\n";
    for (const CaseResult& c : cases)
        write_case(x, c);
    x << "  </testsuite>\n</testsuites>\n";
    x.close();
    if (!x)
        *problem = "cannot write `" + path + "'";
    return static_cast<bool>(x);
}
