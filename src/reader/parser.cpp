// reader/parser.cpp: the parse driver. Resolves and classifies one script, refuses
// a file already included into the same block, gives it a file number and a
// FileRecord, and runs the top-level loop of its kind. Failures are reported here
// (messages 35, 42, 47, 52, 54, 55) and end the reading of that file only.
#include "reader/parser.h"

#include <functional>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "driver/options.h"
#include "errors/report.h"
#include "fi/files.h"
#include "fi/names.h"
#include "reader/reader_common.h"
#include "utils/paths.h"

namespace {

struct FilePair {
    const char* dir;
    const char* file;
    bool operator==(const FilePair&) const = default;
};

struct FilePairHash {
    std::size_t operator()(const FilePair& p) const {
        return std::hash<const void*>()(p.dir) * 31 + std::hash<const void*>()(p.file);
    }
};

// The (dir, file) pairs of a block's children, filled as the block grows, so that
// checking an INCLUDE costs O(1) instead of a walk over every construct read so far.
struct ChildFiles {
    const Component* last_seen = nullptr;  // last child already entered
    std::unordered_set<FilePair, FilePairHash> files;
};

std::unordered_map<const Component*, ChildFiles> child_files;
int include_depth = 0;  // included files currently being read

}  // namespace

// Children are only ever appended while scripts are read, so the index catches up
// from the last child it has seen.
static bool among_children(const Component* parent, const char* dir, const char* file) {
    ChildFiles& index = child_files[parent];
    const Component* c = index.last_seen ? index.last_seen->next_sibling : parent->first_child;
    for (; c; c = c->next_sibling) {
        index.files.insert(FilePair{c->dir, c->file});
        index.last_seen = c;
    }
    return index.files.count(FilePair{dir, file}) != 0;
}

static Location include_location(const Component* parent) {
    const Component* include = parent->last_child;
    return include ? Location{include->display_file, include->line} : Location{};
}

// An included file is refused when its constructs already hang in the block, or
// when the chain of includes is too deep. 0 to go on, -1 after reporting.
static int check_include(const Component* parent, const char* dir, const char* file) {
    if (among_children(parent, dir, file)) {
        report_error(MSG_ALREADY_INCLUDED, include_location(parent), arg_text(file));
        return -1;
    }
    if (include_depth >= MAX_INCLUDE_DEPTH) {
        report_error(MSG_TOO_MANY_FILES, include_location(parent), arg_text(file));
        return -1;
    }
    return 0;
}

// Kind check and the one-OTD-script rule; 0 to go on, -1 after reporting.
static int check_kind(int kind, const char* file, bool included) {
    if (kind == SCRIPT_NONE) {
        report_error(MSG_NOT_A_SCRIPT, Location{}, arg_text(file));
        return -1;
    }
    if (kind == SCRIPT_OTD && !included && ++otd_file_count > 1) {
        report_error(MSG_ONE_OTD_ONLY, Location{}, arg_text(file));
        return -1;
    }
    return 0;
}

static int read_by_kind(int kind, const char* display, const char* dir, const char* file,
                        Component* parent) {
    return kind == SCRIPT_OTC ? read_otc_script(display, dir, file, parent)
                              : read_otd_script(display, dir, file, parent);
}

int read_script(const char* name, Component* parent, bool included, const char* base_dir) {
    if (!the_options || !parent) {
        report_error(MSG_CANNOT_INIT);
        return -1;
    }
    if (the_options->file_count == 0)  // a new run: forget the blocks of an earlier one
        child_files.clear();
    if (!base_dir && !(base_dir = current_directory_interned())) {
        report_error(MSG_CANNOT_OPEN, Location{}, arg_text(name));
        return -1;
    }
    const char* dir = nullptr;
    const char* file = nullptr;
    if (split_script_path(base_dir, name, &dir, &file) < 0)
        return -1;
    if (included && check_include(parent, dir, file) < 0)
        return -1;
    const char* display = display_name(dir, file);
    if (!display) {
        report_error(MSG_NO_MEMORY_FILENAME, Location{}, arg_text(file));
        return -1;
    }
    int kind = classify_script(file);
    if (check_kind(kind, file, included) < 0)
        return -1;
    include_depth += included ? 1 : 0;
    int result = read_by_kind(kind, display, dir, file, parent);
    include_depth -= included ? 1 : 0;
    return result != 0 ? -1 : 0;
}

// Opens the file and gives it the next number and its record; -1 after reporting.
static int open_numbered(const char* dir, const char* file, std::string* bytes) {
    std::time_t mtime = 0;
    if (read_script_file(dir, file, bytes, &mtime) < 0) {
        report_error(MSG_CANNOT_OPEN, Location{}, arg_text(file));
        return -1;
    }
    int number = ++the_options->file_count;
    if (!add_file_record(*the_options, number, dir, file, mtime)) {
        report_error(MSG_NO_MEMORY_FILENAME, Location{}, arg_text(file));
        return -1;
    }
    current_file_number = number;
    return 0;
}

static void skip_byte(ScanInput& in) {
    char c = 0;
    if (read_char(in, &c) == 0 && c == '\n') {
        ++in.line;
        in.column = 1;
    } else {
        ++in.column;
    }
}

// file = { construct }   -- constructs by `table`, everything else message 23
int read_top_level(const char* display_file, const char* dir, const char* file,
                   Component* parent, const BlockTable& table) {
    std::string bytes;
    int saved_file_number = current_file_number;
    if (open_numbered(dir, file, &bytes) < 0)
        return -1;
    Reader r;
    r.in.data = bytes.data();
    r.in.size = bytes.size();
    r.in.display_file = display_file;
    r.dir = dir;
    r.file = file;
    for (;;) {
        std::size_t before = r.in.pos;
        int result = read_token(r);
        if (result == TOKEN_END_OF_FILE)
            break;
        if (result > 0)
            dispatch(r, table, parent, 0);
        else if (r.in.pos == before)  // the scanner has reported; never stall on it
            skip_byte(r.in);
    }
    current_file_number = saved_file_number;
    return 0;
}
