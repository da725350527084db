// instr/main.cpp: vexinstr, the instrumentor. Reads an instrumentation file and the
// sources of the code under test, and writes instrumented copies of every user file into
// an output directory, at the same path relative to the base directory. The originals
// are never touched.
// How it fails: every step that can fail appends its messages to one
// `std::vector<std::string>& errors` and returns false (or nothing); instrument() prints
// them all, "vexinstr: <message>", writes nothing and exits with status 1. A wrong
// command line is status 2 with the usage.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <new>
#include <fstream>
#include <sstream>
#include <set>
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
    "  BASE_DIR (default: the current directory); a SOURCE outside BASE_DIR is written\n"
    "  to OUTPUT_DIR by its file name. COMPILER_ARGS (-I, -D, -std ...) are the\n"
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

constexpr int GO_ON = -1;  // the command line is complete

// GO_ON, or the exit status to stop with: 0 after the help, 2 after a usage error.
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
            return 0;
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
    a.weave.base = a.base;
    if (a.depfile.empty() != a.depfile_target.empty())
        return usage_error("-MF and -MT go together");
    return GO_ON;
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

// "TARGET: every file read".
OutputFile depfile(const Arguments& a, const std::vector<WovenFile>& files) {
    std::string text = depfile_word(a.depfile_target) + ": \\\n  " +
                       depfile_word(std::filesystem::absolute(a.instrumentation).string());
    for (const WovenFile& f : files)
        text += " \\\n  " + depfile_word(f.path);
    return OutputFile{a.depfile, text + "\n"};
}

// The instrumentation file and the sources, read and checked.
bool read_inputs(const Arguments& a, Instrumentation* in, std::vector<std::string>& errors) {
    std::string text;
    if (!read_whole(a.instrumentation, &text)) {
        errors.push_back("cannot read `" + a.instrumentation + "'");
        return false;
    }
    if (!read_instrumentation(a.instrumentation, text, in, errors))
        return false;
    for (const std::string& source : a.weave.sources)
        if (!std::filesystem::is_regular_file(source)) {
            errors.push_back("cannot read `" + source + "'");
            return false;
        }
    return true;
}

// `dir` under the base: its woven mirror; otherwise "".
std::string mirror(const std::string& dir, const Arguments& a) {
    std::error_code ec;
    namespace fs = std::filesystem;
    const auto real = [&](const std::string& p) { return fs::weakly_canonical(fs::absolute(p), ec); };
    const auto rel = real(dir).lexically_relative(real(a.base));
    if (rel.empty() || *rel.begin() == "..")
        return {};
    return (real(a.output) / rel).lexically_normal().string();
}

// The arguments of the woven units: each include directory under the base preceded by
// its woven copy, as a build puts them, and the Target Package last, for lib/vxk.h (the
// prefix of TARVELODIR, and the one vexinstr is installed in).
std::vector<std::string> woven_arguments(const Arguments& a) {
    std::vector<std::string> out;
    const std::vector<std::string>& in = a.weave.compile_args;
    for (std::size_t i = 0; i < in.size(); ++i) {
        for (const char* option : {"-I", "-isystem", "-iquote"}) {
            const std::string o = option;
            const bool apart = in[i] == o && i + 1 < in.size();
            if (!apart && (in[i].rfind(o, 0) != 0 || in[i].size() == o.size() ||
                           (o == "-I" && in[i].rfind("-isystem", 0) == 0) ||
                           (o == "-I" && in[i].rfind("-iquote", 0) == 0)))
                continue;
            const std::string m = mirror(apart ? in[i + 1] : in[i].substr(o.size()), a);
            if (!m.empty())
                out.insert(out.end(), {"-I", m});
        }
        out.push_back(in[i]);
    }
    if (const char* tp = std::getenv("TARVELODIR"))
        out.insert(out.end(), {"-I", tp});
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec)
        out.insert(out.end(), {"-I", exe.parent_path().parent_path().string()});
    return out;
}

// The woven files at their places, and the woven units that read an edited file, parsed
// as the build will (a unit reading plain copies alone parsed before as it is).
bool woven_parse(const Arguments& a, const std::vector<WovenFile>& files,
                 const std::vector<OutputFile>& outputs, std::vector<std::string>& errors) {
    std::vector<WovenFile> copies;
    for (const OutputFile& o : outputs)
        if (o.make_directories)
            copies.push_back(WovenFile{o.path, o.text, true, {}});
    std::vector<bool> changed(a.weave.sources.size(), false);
    for (const WovenFile& f : files)
        for (const std::size_t unit : f.read_by)
            if (f.edited && unit < changed.size())
                changed[unit] = true;
    std::vector<std::string> units;
    const std::set<std::string> sources = real_paths(a.weave.sources);
    for (std::size_t i = 0; i < a.weave.sources.size(); ++i)
        if (const std::string copy = copy_path(a.weave.sources[i], a.base, a.output, sources);
            changed[i] && !copy.empty())
            units.push_back(copy);
    return woven_copies_parse(copies, units, woven_arguments(a), errors);
}

// Everything is woven, placed and parsed again before anything is written; the
// dependency file goes first, as it is the one in a directory of the user's choosing.
bool instrument(const Arguments& a, std::vector<std::string>& errors) {
    Instrumentation in;
    if (!read_inputs(a, &in, errors))
        return false;
    const std::vector<WovenFile> files = weave(in, a.weave, errors);
    if (!errors.empty())
        return false;
    std::vector<OutputFile> outputs;
    if (!a.depfile.empty())
        outputs.push_back(depfile(a, files));
    std::vector<std::string> read = a.weave.sources;
    read.push_back(a.instrumentation);
    return place_copies(files, a.weave.sources, read, a.base, a.output, outputs, errors) &&
           woven_parse(a, files, outputs, errors) && write_all_or_nothing(outputs, errors);
}

int report(const std::vector<std::string>& errors) {
    for (const std::string& e : errors)
        std::fprintf(stderr, "vexinstr: %s\n", e.c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        Arguments a;
        if (const int status = parse_arguments(argc, argv, a); status != GO_ON)
            return status;
        std::vector<std::string> errors;
        return instrument(a, errors) ? 0 : report(errors);
    } catch (const std::bad_alloc&) {
        return report({"out of memory"});  // the copies take their names only at the very end
    }
}
