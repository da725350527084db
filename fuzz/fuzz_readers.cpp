// fuzz/fuzz_readers.cpp: libFuzzer target for what the other two programs read: the
// instrumentation file (vexinstr), and the dynamic file and listings (vexreport). The
// first byte chooses: 0, the input is an instrumentation file; 1, the events of a dynamic
// file after a valid header naming the listings of a small script; 2, a whole dynamic
// file; 3, that script's .ots listing, reported with a fixed run. Any crash, hang, leak or
// sanitizer report is a bug.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "instr/oti.h"
#include "report/listings.h"
#include "report/report.h"

namespace {

constexpr const char* SCRIPT_OTS =
    "OF \"/tmp/\" \"suite.otd\" 0h\n"
    "\n"
    "VO 8.0.1.2.343.015\n"
    "TL 2h \"A\" line=1 dad=1h;\n"
    "TC 3h \"T\" line=1 dad=2h;\n"
    "CH 4h \"(1)\" line=1 dad=3h;\n"
    "\n"
    "CK 1h 2h\n";
constexpr const char* HEADER = "VEXTRACE 1\nINIT 0 f4240 1e8480\nFILE 0 1 2\n";

// The scratch directory with the script's listings, entered once.
const std::string& scratch() {
    static std::string dir;
    if (dir.empty()) {
        char pattern[] = "/tmp/vexfuzzreport.XXXXXX";
        if (!mkdtemp(pattern) || chdir(pattern) != 0)
            abort();
        dir = pattern;
    }
    return dir;
}

void write_file(const std::string& name, const std::string& bytes) {
    std::ofstream(name, std::ios::binary) << bytes;
}

void report(const std::string& listing, const std::string& trace) {
    write_file("suite.otd01.ots", listing);
    write_file("run.tdf", trace);
    std::ostringstream out, err;
    write_report(ReportOptions{{"run.tdf"}, {scratch()}, "results.xml", 1 << 16}, out, err);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    scratch();
    if (size == 0)
        return 0;
    const std::string rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::string header = HEADER;
    switch (data[0] & 3) {
    case 0: {
        Instrumentation in;
        std::vector<std::string> errors;
        read_instrumentation("fuzz.oti", rest, &in, errors);
        break;
    }
    case 1: report(SCRIPT_OTS, header + rest); break;
    case 2: report(SCRIPT_OTS, rest); break;
    default: report(rest, header + "EC 2 0 1 0\nET 3 0 2 0\nCK 1 4 0\nXT 3 0\nXC 2 0\n"); break;
    }
    return 0;
}
