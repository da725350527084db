// bench/bench_instr.cpp: vexinstr beside the compiler, on two translation units.
// "dense": a 20 000-line source defines a class with 200 methods, each wrapped by the
// contract script with a REQUIRE and an ENSURE, under an invariant (the woven copy is
// much heavier to parse than the original). "typical": a source that includes 27
// standard headers (about 117 000 lines after preprocessing) and defines a class of 20
// such methods. Printed for each: vexinstr's time (libclang's parse, and the second parse
// of the woven copy, are most of it), g++'s -fsyntax-only, -O0 and -O2 times on the same
// file, and -O2 on the woven copy. Build with -DCMAKE_BUILD_TYPE=Release. Argument: the
// number of lines of the dense source (20000 by default).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/wait.h>

namespace fs = std::filesystem;

namespace {

constexpr const char* STANDARD_HEADERS[] = {
    "algorithm", "array", "atomic", "bitset", "chrono", "deque", "filesystem",
    "fstream", "functional", "iomanip", "iostream", "list", "map", "memory",
    "mutex", "optional", "queue", "random", "regex", "set", "sstream",
    "string", "thread", "tuple", "unordered_map", "unordered_set", "variant"};

struct Unit {
    const char* name;
    int methods;
    bool standard_headers;
    int lines;  // padded with free functions to this many (before preprocessing)
};

double seconds_of(const std::string& command, int* status) {
    const auto start = std::chrono::steady_clock::now();
    const int s = std::system(command.c_str());
    *status = WIFEXITED(s) ? WEXITSTATUS(s) : 128;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The class and its methods, padded with free functions to `lines` lines.
std::string source(const Unit& u) {
    std::string s;
    if (u.standard_headers)
        for (const char* h : STANDARD_HEADERS)
            s += std::string("#include <") + h + ">\n";
    s += "#include \"big.h\"\n";
    for (int m = 0; m < u.methods; ++m)
        s += "int Big::method" + std::to_string(m) + "(int x) {\n    total += x;\n"
             "    if (x > 1000)\n        return -1;\n    return total;\n}\n";
    for (int f = 0; static_cast<int>(std::count(s.begin(), s.end(), '\n')) < u.lines; ++f)
        s += "static int helper" + std::to_string(f) + "(int a, int b) {\n    int r = a;\n"
             "    for (int i = 0; i < b; ++i)\n        r = r * 31 + i;\n    return r;\n}\n"
             "int use" + std::to_string(f) + "() { return helper" + std::to_string(f) +
             "(1, 2); }\n";
    return s;
}

std::string header(const Unit& u) {
    std::string s = "#pragma once\nclass Big {\npublic:\n    int total = 0;\n";
    for (int m = 0; m < u.methods; ++m)
        s += "    int method" + std::to_string(m) + "(int x);\n";
    return s + "};\n";
}

std::string contracts(const Unit& u) {
    std::string s = "CLASS Big\n{\n    INVARIANT (total >= 0);\n";
    for (int m = 0; m < u.methods; ++m)
        s += "    WRAP int Big::method" + std::to_string(m) +
             "(int x)\n        REQUIRE (x >= 0)\n        ENSURE (total >= x)\n";
    return s + "}\n";
}

// One unit: its files in a fresh directory, vexinstr and g++ timed; false on a failure.
bool measure(const Unit& u) {
    const fs::path dir = fs::temp_directory_path() / "vexprepro-bench-instr";
    fs::remove_all(dir);
    fs::create_directories(dir);
    std::ofstream(dir / "big.h") << header(u);
    const std::string text = source(u);
    std::ofstream(dir / "big.cc") << text;
    std::ofstream(dir / "big.otc") << contracts(u);
    const std::string cd = "cd '" + dir.string() + "' && ";
    const std::string flags = " -std=c++17 -I. -I'" VEX_STAGE_DIR "'";
    int status = 0;
    seconds_of(cd + "TARVELODIR='" VEX_STAGE_DIR "' '" VEX_BINARY
                    "' big.otc -G C++ -O driver.cc -OTI big.oti -TDF run.tdf 2>/dev/null",
               &status);
    if (status != 0)
        return std::fprintf(stderr, "vexprepro failed\n"), false;
    const double instr =
        seconds_of(cd + "'" VEX_INSTR_BINARY "' -i big.oti -o woven big.cc --" + flags, &status);
    if (status != 0)
        return std::fprintf(stderr, "vexinstr failed\n"), false;
    const double syntax = seconds_of(cd + "g++ -fsyntax-only" + flags + " big.cc", &status);
    const double o0 = seconds_of(cd + "g++ -c -O0" + flags + " big.cc -o big.o", &status);
    const double o2 = seconds_of(cd + "g++ -c -O2" + flags + " big.cc -o big.o", &status);
    const double woven_o2 =
        seconds_of(cd + "g++ -c -O2 -Iwoven" + flags + " woven/big.cc -o woven.o", &status);
    if (status != 0)
        return std::fprintf(stderr, "the woven copy does not compile\n"), false;
    std::printf("%s: %d lines, %d wrapped methods: vexinstr %.3f s; g++ -fsyntax-only %.3f s, "
                "-O0 %.3f s, -O2 %.3f s (woven copy %.3f s); vexinstr / g++ -fsyntax-only = "
                "%.2f (the woven copy parsed again included; the goal is at most 1.5), "
                "vexinstr / g++ -O0 = %.2f\n",
                u.name, static_cast<int>(std::count(text.begin(), text.end(), '\n')), u.methods, instr, syntax, o0, o2, woven_o2, instr / syntax,
                instr / o0);
    fs::remove_all(dir);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const int lines = argc > 1 ? std::atoi(argv[1]) : 20000;
    const Unit units[] = {{"dense", 200, false, lines}, {"typical", 20, true, 0}};
    for (const Unit& u : units)
        if (!measure(u))
            return 1;
    return 0;
}
