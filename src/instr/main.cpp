// instr/main.cpp: vexinstr, the instrumentor. Reads an instrumentation file and the
// sources of the code under test, and writes instrumented copies of every user file into
// an output directory, at the same path relative to the base directory. The originals
// are never touched; on any error nothing is written and the exit status is 1.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <new>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "instr/oti.h"
#include "instr/output.h"
#include "instr/weave.h"

namespace {

constexpr const char* USAGE =
    "usage: vexinstr -i INSTRUMENTATION -o OUTPUT_DIR [-b BASE_DIR] [-MF DEPFILE -MT TARGET]\n"
    "                SOURCE... [-- COMPILER_ARGS]\n"
    "  Weaves the contract checks, stub conditions and method counters of INSTRUMENTATION\n"
    "  (the -OTI file of vexprepro) into copies of the SOURCEs and of every file of theirs\n"
    "  that is not a system header, written to OUTPUT_DIR at their path relative to\n"
    "  BASE_DIR (default: the current directory). COMPILER_ARGS (-I, -D, -std ...) are the\n"
    "  ones the sources are built with. Compile the copies with -I OUTPUT_DIR first and\n"
    "  -I for the Target Package prefix. -MF writes a make-style dependency file naming\n"
    "  TARGET and every file read, so a build weaves again when any of them changes.\n";

struct Arguments {
    std::string instrumentation, output, base = ".", depfile, depfile_target;
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
        std::string* value = arg == "-i"    ? &a.instrumentation
                             : arg == "-o"  ? &a.output
                             : arg == "-b"  ? &a.base
                             : arg == "-MF" ? &a.depfile
                             : arg == "-MT" ? &a.depfile_target
                                            : nullptr;
        if (value) {
            if (i + 1 >= argc)
                return usage_error("`" + arg + "' needs a value");
            *value = argv[++i];
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
    if (a.depfile.empty() != a.depfile_target.empty())
        return usage_error("-MF and -MT go together");
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

// A name as make and ninja read it in a dependency file.
std::string depfile_word(const std::string& path) {
    std::string out;
    for (char c : path) {
        if (c == ' ' || c == '#' || c == '\\')
            out += '\\';
        if (c == '$')
            out += '$';
        out += c;
    }
    return out;
}

// "TARGET: every file read"; false when it cannot be written whole.
bool write_depfile(const Arguments& a, const std::vector<WovenFile>& files) {
    std::string text = depfile_word(a.depfile_target) + ": \\\n  " +
                       depfile_word(std::filesystem::absolute(a.instrumentation).string());
    for (const WovenFile& f : files)
        text += " \\\n  " + depfile_word(f.path);
    text += "\n";
    FILE* out = std::fopen(a.depfile.c_str(), "wb");
    if (!out)
        return false;
    const bool written = std::fwrite(text.data(), 1, text.size(), out) == text.size();
    return std::fclose(out) == 0 && written;
}

int report(const std::vector<std::string>& errors) {
    for (const std::string& e : errors)
        std::fprintf(stderr, "vexinstr: %s\n", e.c_str());
    return 1;
}

int instrument(int argc, char** argv) {
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
    if (errors.empty() && !a.depfile.empty() && !write_depfile(a, files))
        errors.push_back("cannot write `" + a.depfile + "'");
    return errors.empty() ? 0 : report(errors);
}
}  // namespace

int main(int argc, char** argv) {
    try {
        return instrument(argc, argv);
    } catch (const std::bad_alloc&) {
        return report({"out of memory"});  // the copies take their names only at the very end
    }
}
