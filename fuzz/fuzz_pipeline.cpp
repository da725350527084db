// fuzz/fuzz_pipeline.cpp: libFuzzer target: every input is written to a script file and
// run through every phase of the compiler in a fresh run state, as the tool runs them:
// reading, both checks, the listings, expansion and generation. The listings go to a
// scratch directory, the driver and instrumentation files to /dev/null.
// The first byte chooses the script kind and -NODLINE, so both grammars are reached.
// Any crash, hang, leak or sanitizer report is a bug.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "driver/options.h"
#include "driver/run.h"
#include "errors/report.h"
#include "fi/component.h"
#include "fi/files.h"
#include "fi/names.h"
#include "reader/parser.h"

// One scratch directory for the whole session, the current directory from then on.
static void enter_scratch_directory() {
    static bool entered = false;
    if (entered)
        return;
    char pattern[] = "/tmp/vexfuzz.XXXXXX";
    if (!mkdtemp(pattern) || chdir(pattern) != 0)
        abort();
    entered = true;
}

static bool write_script(const char* name, const uint8_t* data, size_t size) {
    FILE* f = fopen(name, "wb");
    if (!f)
        return false;
    bool written = fwrite(data, 1, size, f) == size;
    return fclose(f) == 0 && written;
}

// The phases of a run, as driver/run.cpp runs them, then the release.
static void run_all_phases(const char* script, bool no_line_directives) {
    std::string diagnostics;
    error_count = 0;
    otd_file_count = 0;
    next_component_id = 2;
    current_file_number = 1;
    clear_name_table();
    set_output_capture(&diagnostics);
    create_options();
    the_options->output_name = "/dev/null";
    the_options->oti_name = "/dev/null";
    the_options->tdf_name = "fuzz.tdf";
    the_options->no_line_directives = no_line_directives;
    clear_pools();
    Component* root = create_root();
    if (append_source_file(*the_options, script))
        run_phases(root);
    free_components(root);
    free_segment_pool();
    free_param_pool();
    if (the_options)
        release_options(the_options);
    free_name_table();
    set_output_capture(nullptr);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    enter_scratch_directory();
    if (size == 0)
        return 0;
    const char* script = (data[0] & 1) ? "fuzz.otc" : "fuzz.otd";
    if (write_script(script, data + 1, size - 1))
        run_all_phases(script, (data[0] & 2) != 0);
    return 0;
}
