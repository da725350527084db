// bench/bench_read.cpp: reading speed and memory of the script readers.
// Generates a script of about one million lines (classes, suites, cases, checks,
// native lines, comments), reads it with read_script and prints the throughput
// and the peak resident memory against the file size.
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "driver/options.h"
#include "errors/report.h"
#include "fi/component.h"
#include "fi/names.h"
#include "reader/parser.h"
#include "reader/scanner.h"
#include "utils/paths.h"

// One block of 16 lines; names differ per block so the name table grows.
static void append_block(std::string& out, int n) {
    std::string k = std::to_string(n);
    out += "// block " + k + ": a test class with one suite and one case\n";
    out += "TEST CLASS Class" + k + "(limit) : Base" + k + "(10)\n{\n";
    out += "    TEST SUITE Suite" + k + "\n    {\n";
    out += "        TEST CASE Case" + k + "\n        {\n";
    out += "            # int value = " + k + " * limit;\n";
    out += "            CHECK \"value " + k + " is set\" (value == " + k + " * limit);\n";
    out += "            /* the native increment below is copied verbatim */\n";
    out += "            c++# value += 1;\n";
    out += "            PRINT (\"value\", value);\n";
    out += "        }\n    }\n";
    out += "    RUN { Suite" + k + "; }\n}\n";
}

// Writes the script in chunks, so the generator does not add to the peak memory.
static long write_script(const char* path, int lines_wanted) {
    FILE* f = fopen(path, "wb");
    if (!f)
        return -1;
    std::string chunk;
    long size = 0;
    for (int n = 0, lines = 0; lines < lines_wanted; ++n, lines += 16) {
        append_block(chunk, n);
        if (chunk.size() > (1u << 20) || lines + 16 >= lines_wanted) {
            size += static_cast<long>(fwrite(chunk.data(), 1, chunk.size(), f));
            chunk.clear();
        }
    }
    return fclose(f) == 0 ? size : -1;
}

static long peak_rss_kb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Tokens alone, with the same fresh name table: what the scanner and interning cost
// without the readers and the tree.
static double scan_only_seconds(const std::string& dir, const std::string& file, long* tokens) {
    std::string bytes;
    std::time_t mtime = 0;
    if (read_script_file(dir.c_str(), file.c_str(), &bytes, &mtime) < 0)
        return -1;
    clear_name_table();
    ScanInput in;
    in.data = bytes.data();
    in.size = bytes.size();
    in.display_file = "bench.otd";
    Token token;
    auto start = std::chrono::steady_clock::now();
    *tokens = 0;
    for (int kind; (kind = next_token(in, &token)) != TOKEN_END_OF_FILE; ++*tokens) {
    }
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    free_name_table();
    return seconds;
}

int main() {
    char dir[] = "/tmp/vexbench.XXXXXX";
    if (!mkdtemp(dir))
        return 1;
    std::string path = std::string(dir) + "/bench.otd";
    long size = write_script(path.c_str(), 1000000);
    if (size < 0)
        return 1;
    long tokens = 0;
    double scan_seconds = scan_only_seconds(std::string(dir) + "/", "bench.otd", &tokens);
    long rss_before = peak_rss_kb();

    std::string diagnostics;
    set_output_capture(&diagnostics);
    clear_name_table();
    create_options();
    Component* root = create_root();
    auto start = std::chrono::steady_clock::now();
    int result = read_script(path.c_str(), root, false, nullptr);
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    long rss_after = peak_rss_kb();

    double mb = static_cast<double>(size) / (1024.0 * 1024.0);
    std::printf("script: %.1f MB, %u diagnostics, result %d, components %d\n", mb, error_count,
                result, next_component_id - 2);
    std::printf("scanner alone: %.3f s, %.1f MB/s, %ld tokens\n", scan_seconds,
                mb / scan_seconds, tokens);
    std::printf("read: %.3f s, %.1f MB/s\n", seconds, mb / seconds);
    std::printf("peak memory: %.1f MB before, %.1f MB after (%.2f x file size)\n",
                rss_before / 1024.0, rss_after / 1024.0,
                static_cast<double>(rss_after) * 1024.0 / static_cast<double>(size));

    free_components(root);
    free_segment_pool();
    free_param_pool();
    release_options(the_options);
    free_name_table();
    set_output_capture(nullptr);
    unlink(path.c_str());
    rmdir(dir);
    return 0;
}
