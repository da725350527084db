// bench/bench_generate.cpp: the whole run of the compiler on large generated scripts,
// phase by phase (read, check, listings, expand, check again, generate), with the bytes
// written and the peak memory, at two sizes ten times apart: a phase that is not linear
// shows as a time growing a hundredfold.
//   1. TEST CASEs in TEST CLASSes of 100 each, every case with three CHECKs and a PRINT;
//   2. a chain of classes, each inheriting the next (see inheritance_chain).
// Build with -DCMAKE_BUILD_TYPE=Release. Argument: the number of TEST CASEs of the smaller
// size (100000 by default); a second argument "1" runs the smaller size alone.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

#include "analysis/checker.h"
#include "analysis/expand.h"
#include "driver/options.h"
#include "errors/report.h"
#include "fi/component.h"
#include "fi/names.h"
#include "gen/generator.h"
#include "listings/statgen.h"
#include "reader/parser.h"

namespace {

// Laid out as people write them: a statement a line, indented, names that say something.
std::string many_classes(int cases) {
    std::string s = "c++# int x = 1, y = 2, z = 3;\n";
    const int classes = cases / 100;
    for (int c = 0; c < classes; ++c) {
        s += "TEST CLASS Class" + std::to_string(c) + "\n{\n";
        for (int i = 0; i < 100; ++i) {
            const std::string t = std::to_string(i);
            s += "    TEST CASE Case" + t + "\n    {\n        CHECK \"x above\" (x > " + t +
                 ");\n        CHECK (y < " + t + ");\n        CHECK (z != " + t +
                 ");\n        PRINT (x, y);\n    }\n";
        }
        s += "    RUN\n    {\n";
        for (int i = 0; i < 100; ++i)
            s += "        Case" + std::to_string(i) + ";\n";
        s += "    }\n}\n";
    }
    s += "RUN\n{\n";
    for (int c = 0; c < classes; ++c)
        s += "    Class" + std::to_string(c) + ";\n";
    return s + "}\n";
}

// Each class inherits the next. With `own_cases` every class has a TEST CASE of its own,
// so the copies grow with the square of the depth (a flattened chain is that large);
// otherwise only the last class has one and each class overrides the RUN, so they grow
// linearly.
std::string inheritance_chain(int depth, bool own_cases) {
    std::string s = "RUN { a0; }\n";
    for (int i = 0; i < depth; ++i) {
        const std::string n = std::to_string(i);
        const bool with_case = own_cases || i + 1 == depth;
        s += "TEST CLASS a" + n + (i + 1 < depth ? " : a" + std::to_string(i + 1) : "") + " {" +
             (with_case ? " TEST CASE c" + n + " { CHECK (" + n + " >= 0); }" : "") +
             " RUN { c" + std::to_string(own_cases ? i : depth - 1) + "; } }\n";
    }
    return s;
}

double seconds_of(const std::function<void()>& step) {
    const auto start = std::chrono::steady_clock::now();
    step();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

long peak_megabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

void measure(const char* what, int n, const std::string& script) {
    std::ofstream("bench.otd", std::ios::binary) << script;
    error_count = 0;
    next_component_id = 2;
    current_file_number = 1;
    otd_file_count = 0;
    clear_name_table();
    create_options();
    the_options->output_name = "bench.cc";
    the_options->oti_name = "bench.oti";
    the_options->tdf_name = "bench.tdf";
    clear_pools();
    Component* root = create_root();
    // The peak after each phase shows which one sets it.
    long peaks[6] = {};
    const double read = seconds_of([&] { read_script("bench.otd", root, false, nullptr); });
    peaks[0] = peak_megabytes();
    const double check = seconds_of([&] { check_components(root); });
    peaks[1] = peak_megabytes();
    const double listings = seconds_of(
        [&] { write_static_files(*the_options, root, std::time(nullptr), PRODUCT_VERSION); });
    peaks[2] = peak_megabytes();
    const double expand = seconds_of([&] { expand_tree(root); });
    peaks[3] = peak_megabytes();
    const double again = seconds_of([&] { check_components(root); });
    peaks[4] = peak_megabytes();
    const double generate = seconds_of([&] {
        generate_files(*the_options, root);
    });
    peaks[5] = peak_megabytes();
    const double total = read + check + listings + expand + again + generate;
    const auto bytes = [](const char* name) {
        std::error_code ec;
        const auto size = std::filesystem::file_size(name, ec);
        return ec ? 0.0 : static_cast<double>(size) / 1e6;
    };
    std::printf("%-22s n=%8d  script %6.1f MB | read %6.3f check %6.3f listings %6.3f "
                "expand %6.3f check %6.3f generate %6.3f | total %6.3f s | driver %7.1f MB "
                "oti %5.1f MB | peak %5ld MB (after each phase %ld %ld %ld %ld %ld %ld) | "
                "errors %u\n",
                what, n, static_cast<double>(script.size()) / 1e6, read, check, listings, expand,
                again, generate, total, bytes("bench.cc"), bytes("bench.oti"), peak_megabytes(),
                peaks[0], peaks[1], peaks[2], peaks[3], peaks[4], peaks[5], error_count);
    std::fflush(stdout);
    free_components(root);
    free_segment_pool();
    free_param_pool();
    release_options(the_options);
    free_name_table();
    std::filesystem::remove("bench.cc");
    std::filesystem::remove("bench.oti");
}

}  // namespace

int main(int argc, char** argv) {
    const int base = argc > 1 ? std::atoi(argv[1]) : 100000;
    if (base < 100) {
        std::fprintf(stderr, "usage: bench_generate [TEST CASEs >= 100 [1]]\n");
        return 2;
    }
    char dir[] = "/tmp/vexbench.XXXXXX";
    if (!mkdtemp(dir) || chdir(dir) != 0) {
        std::perror("bench directory");
        return 1;
    }
    // Peak memory is that of the process so far, so the smaller size comes first; a
    // second argument "1" measures the smaller size alone.
    const bool both = !(argc > 2 && std::string(argv[2]) == "1");
    for (int n : {base, base * 10})
        if (n == base || both)
            measure("classes of test cases", n, many_classes(n));
    measure("chain, case per class", base / 100, inheritance_chain(base / 100, true));
    for (int depth : {base / 10, base})
        if (depth == base / 10 || both)
            measure("chain, one case", depth, inheritance_chain(depth, false));
    std::filesystem::remove_all(dir);
    return 0;
}
