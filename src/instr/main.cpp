// instr/main.cpp: vexinstr, the instrumentor. Reads an instrumentation file and the
// sources of the code under test, and writes instrumented copies of every user file into
// an output directory, at the same path relative to the base directory. The originals
// are never touched; on any error nothing is written and the exit status is 1.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "instr/oti.h"
#include "instr/output.h"
#include "instr/weave.h"

namespace {

constexpr const char* USAGE =
    "usage: vexinstr -i INSTRUMENTATION -o OUTPUT_DIR [-b BASE_DIR] SOURCE... [-- COMPILER_ARGS]\n"
    "  Weaves the contract checks, stub conditions and method counters of INSTRUMENTATION\n"
    "  (the -OTI file of vexprepro) into copies of the SOURCEs and of every file of theirs\n"
    "  that is not a system header, written to OUTPUT_DIR at their path relative to\n"
    "  BASE_DIR (default: the current directory). COMPILER_ARGS (-I, -D, -std ...) are the\n"
    "  ones the sources are built with. Compile the copies with -I OUTPUT_DIR first and\n"
    "  -I for the Target Package prefix.\n";

struct Arguments {
    std::string instrumentation, output, base = ".";
    WeaveOptions weave;
};

int usage_error(const std::string& what) {
    std::fprintf(stderr, "vexinstr: %s\n%s", what.c_str(), USAGE);
    return 2;
}

// 0, or the exit status after a message.
int parse_arguments(int argc, char** argv, Arguments& a) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--") {
            a.weave.compile_args.assign(argv + i + 1, argv + argc);
            break;
        }
        if (arg == "-i" || arg == "-o" || arg == "-b") {
            if (i + 1 >= argc)
                return usage_error("`" + arg + "' needs a value");
            (arg == "-i" ? a.instrumentation : arg == "-o" ? a.output : a.base) = argv[++i];
        } else if (arg == "-h" || arg == "--help") {
            std::fputs(USAGE, stdout);
            return -1;
        } else if (!arg.empty() && arg[0] == '-') {
            return usage_error("unknown option `" + arg + "'");
        } else {
            a.weave.sources.push_back(arg);
        }
    }
    if (a.instrumentation.empty() || a.output.empty())
        return usage_error("-i and -o are required");
    if (a.weave.sources.empty())
        return usage_error("no source to instrument");
    return 0;
}

bool read_whole(const std::string& path, std::string* text) {
    std::ifstream f(path, std::ios::binary);
    if (!f)
        return false;
    std::ostringstream s;
    s << f.rdbuf();
    *text = s.str();
    return !f.bad();
}

int report(const std::vector<std::string>& errors) {
    for (const std::string& e : errors)
        std::fprintf(stderr, "vexinstr: %s\n", e.c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    Arguments a;
    if (int status = parse_arguments(argc, argv, a))
        return status < 0 ? 0 : status;
    std::string text;
    if (!read_whole(a.instrumentation, &text))
        return report({"cannot read `" + a.instrumentation + "'"});
    Instrumentation in;
    const std::string error = read_instrumentation(a.instrumentation, text, &in);
    if (!error.empty())
        return report({error});
    for (const std::string& source : a.weave.sources)
        if (!std::filesystem::is_regular_file(source))
            return report({"cannot read `" + source + "'"});
    std::vector<std::string> errors;
    const std::vector<WovenFile> files = weave(in, a.weave, &errors);
    if (!errors.empty())
        return report(errors);
    errors = write_woven_files(files, a.base, a.output);
    return errors.empty() ? 0 : report(errors);
}
