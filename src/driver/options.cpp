// driver/options.cpp: creation and release of the one options record.
#include "driver/options.h"

#include <new>

#include "utils/paths.h"

// The product feature, named in a comment of the generated driver source.
static constexpr const char* FEATURE_NAME = "Tarvelo Object Testing";

Options* create_options() {
    Options* options = new (std::nothrow) Options;
    if (!options)
        return nullptr;
    options->feature_name = FEATURE_NAME;
    options->target_dir = environment_value("XRLTGT");
    the_options = options;  // installed first: max_errors for message 6 comes from it
    use_report_settings(&options->report);
    options->current_dir = current_directory_interned();
    if (!options->current_dir) {
        the_options = nullptr;
        use_report_settings(nullptr);
        delete options;
        return nullptr;
    }
    return options;
}

void release_options(Options* options) {
    if (!options)
        return;
    for (SourceFile* s = options->source_files; s;) {
        SourceFile* next = s->next;
        delete s;
        s = next;
    }
    for (FileRecord* r = options->file_table; r;) {
        FileRecord* next = r->next;
        delete r;
        r = next;
    }
    if (the_options == options) {
        the_options = nullptr;
        use_report_settings(nullptr);
    }
    delete options;
}
