// listings/statgen.cpp: creates the .tsf and .ots listings of every script, walks the
// tree once writing each component's records to its own script's listings, and ends
// both files with the checksum pair they share. A listing that cannot be created stops
// the phase at once (message 43); a write error shows when the files are closed.
#include "listings/statgen.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>

#include "errors/report.h"
#include "formats/listing.h"
#include "listings/otsgen.h"
#include "listings/sink.h"
#include "listings/tsfgen.h"

namespace {

constexpr std::uint32_t PRINTED_MASK = 0x7FFFFFFFu;  // the pair is shown and kept in 31 bits

// Kinds that have no listing record and are passed over without a word.
constexpr int SILENT_KINDS[] = {
    KIND_ROOT, KIND_INCLUDE, KIND_THREE_POINTS, KIND_CPP_COMMENT, KIND_C_COMMENT,
    1200, 1301, 1405, 1412, 1414, 1415, 1416, 1417, 1432, 1434, 1435,  // reserved kinds
};

// Kinds with at least one .tsf or .ots record, besides the natives.
constexpr int LISTED_KINDS[] = {
    KIND_TEST_CLASS, KIND_TEST_SUITE, KIND_TEST_CASE, KIND_SINGLE_CLASS, KIND_CHECK_EXCEPTION,
    KIND_CHECK_PROPERTY, KIND_CHECK_STUB, KIND_CHECK_METHOD, KIND_ON_ERROR, KIND_PRINT,
    KIND_CALL, KIND_ENSURE, KIND_INVARIANT, KIND_PROC, KIND_REQUIRE, KIND_WRAP, KIND_RUN,
    KIND_RUN_ELEMENT, KIND_PROLOGUE, KIND_EPILOGUE, KIND_UML_STATE, KIND_TRANSITION,
    KIND_EXPRESSION, KIND_COMMENT_TEXT, KIND_COMMENT_BLOCK, KIND_CHECK, KIND_PROPERTY, KIND_STUB,
    KIND_CLASS,
};

constexpr const char* DAY_NAMES[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr const char* MONTH_NAMES[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

template <std::size_t N>
bool listed(const int (&kinds)[N], int kind) {
    return std::find(std::begin(kinds), std::end(kinds), kind) != std::end(kinds);
}

// The DP line: the run's local date, with English names whatever the locale.
std::string date_line(std::time_t run_time) {
    std::tm tm{};
    if (!localtime_r(&run_time, &tm))
        tm = std::tm{};
    char line[96];
    std::snprintf(line, sizeof line, " %s %s %02d %02d:%02d:%02d %4d\n",
                  DAY_NAMES[static_cast<unsigned>(tm.tm_wday) % 7],
                  MONTH_NAMES[static_cast<unsigned>(tm.tm_mon) % 12], tm.tm_mday, tm.tm_hour,
                  tm.tm_min, tm.tm_sec, tm.tm_year + 1900);
    return std::string(listing::OTS_DATE) + line;
}

void write_ots_head(FileRecord* r, std::time_t run_time, const char* version) {
    RecordLine of(*r->ots_sink);
    of << listing::OTS_FILE << " \"" << r->dir << "\" \"" << r->file << "\" ";
    of.hex(static_cast<unsigned long>(r->mtime)) << "\n";
    end_ots_line(r, of);
    ots_write(r, "\n");
    ots_write(r, std::string(listing::OTS_VERSION) + " " + version + "\n");
    r->ots_sink->pending += date_line(run_time);  // outside the checksum
}

// Creates (and logs) one listing, empty for now, and the sink that fills it;
// nullptr after message 43.
ListingSink* create_listing(const char* name, int mode) {
    FILE* file = open_output_file(name, mode);
    if (!file) {
        report_error(MSG_CANNOT_CREATE, {}, arg_text(name));
        return nullptr;
    }
    if (close_output_file(file, name) < 0)
        return nullptr;
    return new ListingSink{name, {}, false};
}

// Creates both listings of one script and writes their headers; -1 after message 43.
// The files are created in order and logged when the phase starts.
int open_listings(FileRecord* r, std::time_t run_time, const char* version) {
    if (!(r->tsf_sink = create_listing(r->tsf_name, MODE_TSF)) ||
        !(r->ots_sink = create_listing(r->ots_name, MODE_OTS)))
        return -1;
    write_tsf_head(r);
    write_tsf_messages(r);
    write_ots_head(r, run_time, version);
    return 0;
}

// Writes what is left of one script's listings, .ots then .tsf (a write error is
// reported, 43) and lets the sinks go. Scripts whose listings were never opened are
// skipped.
int close_listings(FileRecord* r) {
    int result = 0;
    for (ListingSink** sink : {&r->ots_sink, &r->tsf_sink}) {
        if (!*sink)
            continue;
        if (!flush_sink(*sink, true))
            result = -1;
        delete *sink;
        *sink = nullptr;
    }
    return result;
}

void write_ots_trailer(FileRecord* r) {
    const std::uint32_t sum = r->sum_a & PRINTED_MASK;
    const std::uint32_t xor_sum = r->sum_b & PRINTED_MASK;
    ots_write(r, "\n");
    char line[48];
    std::snprintf(line, sizeof line, " %xh %xh\n", sum, xor_sum);
    ots_write(r, std::string(listing::OTS_CHECKSUM) + line);
    r->sum_a = sum;  // the empty line and the CK line do not count
    r->sum_b = xor_sum;
}

void write_component(const FileTable& files, const Component* c) {
    if (listed(SILENT_KINDS, c->kind))
        return;
    if (!is_native(c->kind) && !listed(LISTED_KINDS, c->kind)) {
        report_error(MSG_UNKNOWN_TOKEN, Location{c->display_file, c->line},
                     arg_text(std::string_view(c->name ? c->name : "")));
        return;
    }
    FileRecord* r = find_file_record(files, c->file_no);
    write_tsf_component(r, c);
    write_ots_component(r, c);
}

}  // namespace

void ots_write(FileRecord* record, std::string_view text) {
    RecordLine line(*record->ots_sink);
    line << text;
    end_ots_line(record, line);
}

int write_listing_records(const FileTable& files, Component* first) {
    for (Component* c = first; c; c = c->next_sibling) {
        write_component(files, c);
        if (c->first_child)
            write_listing_records(files, c->first_child);
    }
    return 0;
}

int write_static_files(FileTable& files, Component* root, std::time_t run_time,
                       const char* version) {
    int result = 0;
    try {
        for (FileRecord* r = files.file_table; r && result == 0; r = r->next)
            result = open_listings(r, run_time, version);
        if (result == 0) {
            write_listing_records(files, root);
            for (FileRecord* r = files.file_table; r; r = r->next) {
                write_ots_trailer(r);
                write_tsf_trailer(r);
            }
        }
    } catch (const std::bad_alloc&) {
        report_error(MSG_NO_FREE_MEMORY);
        result = -1;
    }
    // After a failure, what was created keeps what it has; nothing more is written.
    for (FileRecord* r = files.file_table; r; r = r->next)
        if (close_listings(r) < 0)
            result = -1;
    return result;
}
