// fuzz/fuzz_read_script.cpp: libFuzzer target: every input is written to a script
// file and read as an OTD script in a fresh run state, diagnostics captured.
// Any crash, hang, leak or sanitizer report is a bug in the readers or the scanner.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "driver/options.h"
#include "errors/report.h"
#include "fi/component.h"
#include "fi/names.h"
#include "reader/parser.h"

// One directory for the whole session; the script is rewritten for each input.
static const std::string& script_path() {
    static std::string path = [] {
        char pattern[] = "/tmp/vexfuzz.XXXXXX";
        if (!mkdtemp(pattern))
            abort();
        return std::string(pattern) + "/fuzz.otd";
    }();
    return path;
}

static bool write_script(const uint8_t* data, size_t size) {
    FILE* f = fopen(script_path().c_str(), "wb");
    if (!f)
        return false;
    bool written = fwrite(data, 1, size, f) == size;
    return fclose(f) == 0 && written;
}

// The same start and end as a run of the compiler, around the reading alone.
static void read_in_fresh_state() {
    std::string diagnostics;
    error_count = 0;
    otd_file_count = 0;
    next_component_id = 2;
    current_file_number = 1;
    clear_name_table();
    set_output_capture(&diagnostics);
    create_options();
    clear_pools();
    Component* root = create_root();
    read_script(script_path().c_str(), root, false, nullptr);
    free_components(root);
    free_segment_pool();
    free_param_pool();
    if (the_options)
        release_options(the_options);
    free_name_table();
    set_output_capture(nullptr);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (write_script(data, size))
        read_in_fresh_state();
    return 0;
}
