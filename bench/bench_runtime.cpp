// bench/bench_runtime.cpp: what the Target Package costs at run time. A script whose one
// TEST CASE executes a CHECK in a native loop (one in a thousand fails) is compiled by
// vexprepro and g++ -O2, run, and its trace read by vexreport; printed: the driver's time
// for the checks, the trace's size and write rate, vexreport's time, and the same at a
// tenth of the checks (linear: about a tenth of the time). Then the driver options on many
// TEST CASEs (a class of 100 cases run 100 times): the run without options, --vex-list,
// --vex-run, and the cost of a fork and a wait per case under --vex-isolate, at 1000 and
// 100 cases. Last, a million passing comparison checks made with vexprepro -VALUES and
// without, and their ratio (formatting happens only on failure: at most about 1x more).
// Build with -DCMAKE_BUILD_TYPE=Release. Argument: the number of checks
// (1000000 by default).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/wait.h>

namespace fs = std::filesystem;

namespace {

double seconds_of(const std::string& command, int* status) {
    const auto start = std::chrono::steady_clock::now();
    const int s = std::system(command.c_str());
    *status = WIFEXITED(s) ? WEXITSTATUS(s) : 128;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::string script(long checks) {
    return "TEST CLASS Loop\n{\n    TEST CASE Many\n    {\n"
           "        # for (long i = 0; i < " +
           std::to_string(checks) +
           "L; ++i) {\n"
           "        CHECK \"not a thousandth\" (i % 1000 != 999);\n"
           "        # }\n    }\n    RUN { Many; }\n}\nRUN { Loop; }\n";
}

// The driver's and vexreport's times for `checks` checks, in `dir`; false on failure.
bool measure(const fs::path& dir, long checks, bool print) {
    fs::create_directories(dir);
    std::ofstream(dir / "loop.otd") << script(checks);
    const std::string cd = "cd '" + dir.string() + "' && ";
    int status = 0;
    seconds_of(cd + "TARVELODIR='" VEX_STAGE_DIR "' '" VEX_BINARY
                    "' loop.otd -G C++ -O driver.cc -OTI driver.oti -TDF run.tdf 2>/dev/null",
               &status);
    if (status != 0)
        return std::fprintf(stderr, "vexprepro failed\n"), false;
    seconds_of(cd + "g++ -std=c++17 -O2 -Wno-unknown-pragmas -I'" VEX_STAGE_DIR
                    "' driver.cc '" VEX_STAGE_DIR
                    "/lib/libvextp.a' -pthread -o driver",
               &status);
    if (status != 0)
        return std::fprintf(stderr, "the driver does not compile\n"), false;
    const double run = seconds_of(cd + "./driver", &status);
    if (status != 1)  // the thousandth checks fail on purpose
        return std::fprintf(stderr, "the driver exited with %d\n", status), false;
    const double trace_mb = static_cast<double>(fs::file_size(dir / "run.tdf")) / 1e6;
    const double report = seconds_of(cd + "'" VEX_REPORT_BINARY "' run.tdf >report.txt", &status);
    if (status != 1)
        return std::fprintf(stderr, "vexreport exited with %d\n", status), false;
    if (print)
        std::printf("%9ld checks: driver %.3f s (%.1f ns a check), trace %.1f MB (%.0f MB/s), "
                    "vexreport %.3f s\n",
                    checks, run, run * 1e9 / static_cast<double>(checks), trace_mb,
                    trace_mb / run, report);
    return true;
}

// A class of `cases` cases, each one CHECK, run `times` times by the driver's RUN.
std::string many_cases(int cases, int times) {
    std::string text = "TEST CLASS Many\n{\n";
    std::string run;
    for (int i = 0; i < cases; ++i) {
        text += "    TEST CASE C" + std::to_string(i) + " { CHECK (true); }\n";
        run += " C" + std::to_string(i) + ";";
    }
    text += "    RUN {" + run + " }\n}\nRUN {";
    for (int i = 0; i < times; ++i)
        text += " Many;";
    return text + " }\n";
}

bool build_driver(const fs::path& dir, const std::string& text, const std::string& options = "") {
    fs::create_directories(dir);
    std::ofstream(dir / "many.otd") << text;
    int status = 0;
    seconds_of("cd '" + dir.string() + "' && TARVELODIR='" VEX_STAGE_DIR "' '" VEX_BINARY
               "' many.otd -G C++ -O driver.cc -OTI driver.oti -TDF run.tdf " + options +
               " 2>/dev/null && "
               "g++ -std=c++17 -O2 -Wno-unknown-pragmas -I'" VEX_STAGE_DIR "' driver.cc '"
               VEX_STAGE_DIR "/lib/libvextp.a' -pthread -o driver",
               &status);
    return status == 0 || (std::fprintf(stderr, "the many-case driver does not build\n"), false);
}

// The driver's time with `options`, the best of three runs.
double driver_time(const fs::path& dir, const std::string& options) {
    double best = 1e9;
    for (int i = 0; i < 3; ++i) {
        int status = 0;
        const double t = seconds_of("cd '" + dir.string() + "' && ./driver " + options +
                                        " >/dev/null 2>&1", &status);
        best = status == 0 && t < best ? t : best;
    }
    return best;
}

bool measure_options(const fs::path& dir) {
    if (!build_driver(dir / "ten-thousand", many_cases(100, 100)) ||
        !build_driver(dir / "thousand", many_cases(10, 100)) ||
        !build_driver(dir / "hundred", many_cases(10, 10)))
        return false;
    const fs::path big = dir / "ten-thousand";
    std::printf("10000 cases: no option %.3f s, --vex-list %.3f s, --vex-run 'Many.C1*' %.3f s, "
                "--vex-run '*' %.3f s\n",
                driver_time(big, ""), driver_time(big, "--vex-list"),
                driver_time(big, "--vex-run 'Many.C1*'"), driver_time(big, "--vex-run '*'"));
    for (const char* size : {"thousand", "hundred"}) {
        const double cases = size[0] == 't' ? 1000 : 100;
        const double plain = driver_time(dir / size, "");
        const double isolated = driver_time(dir / size, "--vex-isolate");
        std::printf("%5.0f cases: no option %.3f s, --vex-isolate %.3f s: %.1f us a case\n", cases,
                    plain, isolated, (isolated - plain) * 1e6 / cases);
    }
    return true;
}

// `checks` comparisons that pass, each a CHECK of its own, with and without -VALUES.
bool measure_values(const fs::path& dir, long checks) {
    const std::string text = "c++# #include <string>\nTEST CLASS Loop\n{\n    TEST CASE Many\n"
                             "    {\n        # std::string s = \"same\";\n"
                             "        # for (long i = 0; i < " + std::to_string(checks) +
                             "L; ++i) {\n        CHECK (i >= 0);\n        CHECK (s == \"same\");\n"
                             "        # }\n    }\n    RUN { Many; }\n}\nRUN { Loop; }\n";
    if (!build_driver(dir / "plain", text) || !build_driver(dir / "values", text, "-VALUES"))
        return false;
    const double plain = driver_time(dir / "plain", "");
    const double values = driver_time(dir / "values", "");
    std::printf("%9ld passing comparisons: plain %.3f s, -VALUES %.3f s: %.2fx\n", 2 * checks,
                plain, values, values / plain);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const long checks = argc > 1 ? std::atol(argv[1]) : 1000000;
    const fs::path dir = fs::temp_directory_path() / "vexprepro-bench-runtime";
    fs::remove_all(dir);
    const bool ok = measure(dir / "small", checks / 10, true) &&
                    measure(dir / "large", checks, true) && measure_options(dir / "options") &&
                    measure_values(dir / "values", checks / 2);
    fs::remove_all(dir);
    return ok ? 0 : 1;
}
