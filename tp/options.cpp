// tp/options.cpp: the driver's --vex-* options and the sharding environment, read before
// the driver's first statement. The options leave argv; every other argument stays for
// the code under test. A bad value is a message; the caller exits with status 2.
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

#include "rt.h"

namespace vexrt {
namespace {

enum Which { LIST, RUN, TDF, TIMEOUT, ISOLATE, SHARD, LISTINGS, PROGRESS, QUIET };

struct OptionRow {
    const char* name;
    Which which;
    const char* value;  // what its value is, nullptr when it takes none
};

constexpr OptionRow OPTIONS[] = {
    {"--vex-list", LIST, nullptr},
    {"--vex-run", RUN, "PATTERNS"},
    {"--vex-tdf", TDF, "FILE"},
    {"--vex-timeout", TIMEOUT, "SECONDS"},
    {"--vex-isolate", ISOLATE, nullptr},
    {"--vex-shard", SHARD, "K/N"},
    {"--vex-listings", LISTINGS, "DIR"},
    {"--vex-progress", PROGRESS, nullptr},
    {"--vex-quiet", QUIET, nullptr},
};

std::string valid_options() {
    std::string out;
    for (const OptionRow& r : OPTIONS)
        out += std::string("\n  ") + r.name + (r.value ? std::string(" ") + r.value : "");
    return out;
}

// A whole unsigned decimal number.
bool read_count(const std::string& text, unsigned long* out) {
    if (text.empty() || text.size() > 9 ||
        text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    *out = std::strtoul(text.c_str(), nullptr, 10);
    return true;
}

bool read_shard(const std::string& k, const std::string& n, Options* o, std::string* error) {
    if (!read_count(k, &o->shard_index) || !read_count(n, &o->shard_total) ||
        o->shard_total == 0 || o->shard_index >= o->shard_total) {
        *error = "bad shard `" + k + "/" + n + "': K/N with 0 <= K < N expected";
        return false;
    }
    o->sharded = true;
    return true;
}

// Positive seconds: digits, at most one point.
bool read_timeout(const std::string& text, Options* o, std::string* error) {
    const std::size_t point = text.find('.');
    const bool one_point =
        point == std::string::npos || text.find('.', point + 1) == std::string::npos;
    const bool shaped = !text.empty() && text.size() < 12 && text != "." && one_point &&
                        text.find_first_not_of("0123456789.") == std::string::npos;
    o->timeout = shaped ? std::strtod(text.c_str(), nullptr) : 0;
    if (o->timeout <= 0) {
        *error = "bad time-out `" + text + "': a positive number of seconds expected";
        return false;
    }
    return true;
}

bool apply(Which which, const std::string& value, Options* o, std::string* error) {
    switch (which) {
    case LIST: o->list = true; return true;
    case RUN: o->has_run = true; o->run = value; return check_patterns(value, error);
    case TDF:
        o->tdf = value;
        return !value.empty() || (*error = "--vex-tdf needs a file name", false);
    case TIMEOUT: return read_timeout(value, o, error);
    case ISOLATE: o->isolate = true; return true;
    case SHARD: {
        const std::size_t slash = value.find('/');
        return read_shard(value.substr(0, slash),
                          slash == std::string::npos ? "" : value.substr(slash + 1), o, error);
    }
    case LISTINGS: o->listing_dirs.push_back(value); return true;
    case PROGRESS: o->progress = true; o->quiet = false; return true;
    case QUIET: o->quiet = true; o->progress = false; return true;
    }
    return false;
}

// One --vex-* argument at argv[*i] (its value in the same word after '=', or the next).
bool read_option(int argc, char** argv, int* i, Options* o, std::string* error) {
    const std::string word = argv[*i];
    const std::string name = word.substr(0, word.find('='));
    for (const OptionRow& r : OPTIONS) {
        if (name != r.name)
            continue;
        if (!r.value && name != word) {
            *error = "the option " + name + " takes no value";
            return false;
        }
        std::string value;
        if (r.value && name != word)
            value = word.substr(name.size() + 1);
        else if (r.value && *i + 1 < argc)
            value = argv[++*i];
        else if (r.value) {
            *error = "the option " + name + " needs " + r.value;
            return false;
        }
        return apply(r.which, value, o, error);
    }
    *error = "unknown option `" + word + "'; the options of a driver are:" + valid_options();
    return false;
}

bool read_environment(Options* o, std::string* error) {
    const char* total = std::getenv("TEST_TOTAL_SHARDS");
    const char* index = std::getenv("TEST_SHARD_INDEX");
    if (!o->sharded && (total || index) &&
        !read_shard(index ? index : "", total ? total : "", o, error)) {
        *error += " (TEST_SHARD_INDEX / TEST_TOTAL_SHARDS)";
        return false;
    }
    const char* status = std::getenv("TEST_SHARD_STATUS_FILE");
    o->shard_status = status ? status : "";
    const char* listings = std::getenv("VEX_LISTINGS");
    if (o->listing_dirs.empty() && listings && *listings)
        o->listing_dirs.push_back(listings);
    return true;
}

std::string driver_directory(const char* argv0) {
    std::string path = argv0 ? argv0 : "";
    if (path.find('/') == std::string::npos) {
        char exe[4096];
        const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
        path = n > 0 ? std::string(exe, static_cast<std::size_t>(n)) : "./";
    }
    const std::string dir = path.substr(0, path.rfind('/'));
    return dir.empty() ? "/" : dir;
}

}  // namespace

bool parse_options(int* argc, char** argv, Options* o, std::string* error) {
    o->progress = isatty(2) != 0;
    int kept = 1;
    for (int i = 1; i < *argc; ++i) {
        if (std::strncmp(argv[i], "--vex-", 6) != 0)
            argv[kept++] = argv[i];
        else if (!read_option(*argc, argv, &i, o, error))
            return false;
    }
    if (*argc > 0)
        argv[kept] = nullptr;
    *argc = *argc > 0 ? kept : 0;
    o->driver_dir = driver_directory(*argc > 0 ? argv[0] : nullptr);
    return read_environment(o, error);
}

}  // namespace vexrt
