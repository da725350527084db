// bench/bench_check.cpp: times reading, checking and writing the listings of generated
// scripts whose blocks hold very many siblings, at two sizes ten times apart, so that
// a lookup that rescans its block shows as a time growing a hundredfold.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <unistd.h>

#include "analysis/checker.h"
#include "driver/options.h"
#include "errors/report.h"
#include "fi/component.h"
#include "fi/names.h"
#include "listings/statgen.h"
#include "reader/parser.h"

namespace {

// TEST CASEs with a CHECK each in one TEST CLASS, and a RUN naming every one.
std::string many_cases(int n) {
    std::string s = "TEST CLASS K {\n";
    for (int i = 0; i < n; ++i)
        s += "  TEST CASE c" + std::to_string(i) + " { CHECK (x == " + std::to_string(i) + "); }\n";
    s += "  RUN {\n";
    for (int i = 0; i < n; ++i)
        s += "    c" + std::to_string(i) + ";\n";
    return s + "  }\n}\n";
}

// Sibling PROCs, all called from one TEST CASE.
std::string many_procs(int n) {
    std::string s = "TEST CLASS P {\n";
    for (int i = 0; i < n; ++i)
        s += "  PROC p" + std::to_string(i) + " (a) { }\n";
    s += "  TEST CASE T {\n";
    for (int i = 0; i < n; ++i)
        s += "    CALL p" + std::to_string(i) + " (" + std::to_string(i) + ");\n";
    return s + "  }\n}\n";
}

// A chain of sibling classes, each inheriting the next and running the TEST CASE that
// only the last one holds, with a RUN through the first.
std::string long_chain(int n) {
    std::string s = "RUN { a0.T; }\n";
    for (int i = 0; i + 1 < n; ++i)
        s += "TEST CLASS a" + std::to_string(i) + " : a" + std::to_string(i + 1) +
             " { RUN { T; } }\n";
    return s + "TEST CLASS a" + std::to_string(n - 1) + " { TEST CASE T { } }\n";
}

double seconds_of(const std::function<void()>& step) {
    const auto start = std::chrono::steady_clock::now();
    step();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void start_run() {
    error_count = 0;
    next_component_id = 2;
    current_file_number = 1;
    otd_file_count = 0;
    clear_name_table();
    create_options();
    clear_pools();
}

void end_run(Component* root) {
    free_components(root);
    free_segment_pool();
    free_param_pool();
    release_options(the_options);
    free_name_table();
}

void measure(const char* what, int n, const std::string& script) {
    {
        std::ofstream("bench.otd", std::ios::binary) << script;
    }
    start_run();
    Component* root = create_root();
    const double read = seconds_of([&] { read_script("bench.otd", root, false, nullptr); });
    const double check = seconds_of([&] { check_components(root); });
    const double again = seconds_of([&] { check_components(root); });
    const double write = seconds_of(
        [&] { write_static_files(*the_options, root, std::time(nullptr), PRODUCT_VERSION); });
    std::printf("%-24s n=%8d  read %7.3f s  check %7.3f s  check again %7.3f s  listings %7.3f s"
                "  errors %u\n",
                what, n, read, check, again, write, error_count);
    end_run(root);
}

}  // namespace

// Optional argument: the smaller size (100000 by default); the larger is ten times it.
int main(int argc, char** argv) {
    const int base = argc > 1 ? std::atoi(argv[1]) : 100000;
    if (base < 10) {
        std::fprintf(stderr, "usage: bench_check [size >= 10]\n");
        return 2;
    }
    char dir[] = "/tmp/vexbench.XXXXXX";
    if (!mkdtemp(dir) || chdir(dir) != 0) {
        std::perror("bench directory");
        return 1;
    }
    for (int n : {base, base * 10}) {
        measure("test cases and a RUN", n, many_cases(n));
        measure("sibling PROCs and CALLs", n, many_procs(n));
        measure("inheritance chain", n / 10, long_chain(n / 10));
    }
    std::filesystem::remove_all(dir);
    return 0;
}
