// formats/listing_reader.h: the listing files (.ots, .tsf) that vexprepro wrote for every
// script, read back so that the ids of a dynamic file become named, located components.
// vexreport and the driver's runtime (--vex-list, --vex-run) read them with this one
// reader. A listing is known by the checksum pair it ends with, as the driver registers
// it; the records are those of formats/listing.h. A file that is not a listing is left
// out with a warning; whoever needs it refuses the run later. Header only, C++17 and the
// standard library.
#pragma once
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "formats/hex.h"
#include "formats/listing.h"

namespace listing {

struct Record {
    std::string tag;   // "TC", "CH" ... as in the .ots file
    std::string text;  // as written between the quotes
    unsigned line = 0;
    unsigned long parent = 0;
};

struct Listing {
    std::string script;      // the script's name as vexprepro was given it ("suite.otd")
    std::string path;        // of the .ots file
    unsigned sum_a = 0, sum_b = 0;
    std::unordered_map<unsigned long, Record> records;  // by id
    std::unordered_map<unsigned long, unsigned> lines;  // .tsf keys -> LK line
    const Record* find(unsigned long id) const {
        auto it = records.find(id);
        return it == records.end() ? nullptr : &it->second;
    }
};

namespace detail {
// Whether `line` is a record of that tag: the tag, then a blank.
inline bool tagged(std::string_view line, std::string_view tag) {
    return line.size() > tag.size() && line.substr(0, tag.size()) == tag && line[tag.size()] == ' ';
}

// "XX <id>h \"<text>\" line=<n> dad=<id>h[ stb=<id>h];" The text may hold quotes (labels
// are written as they are), so it ends at the last "\" line=".
inline bool parse_record(std::string_view l, unsigned long* id, Record* r) {
    if (l.size() < 6 || l[2] != ' ')
        return false;
    r->tag = std::string(l.substr(0, 2));
    const std::size_t quote = l.find('"');
    const std::size_t end = l.rfind(OTS_LINE_FIELD);
    if (quote == std::string_view::npos || end == std::string_view::npos || end <= quote ||
        !hex::parse_h(l.substr(3, quote - 4), id))
        return false;
    r->text = std::string(l.substr(quote + 1, end - quote - 1));
    const std::string_view rest = l.substr(end + OTS_LINE_FIELD.size());
    r->line = static_cast<unsigned>(std::strtoul(std::string(rest).c_str(), nullptr, 10));
    const std::size_t dad = rest.find(OTS_PARENT_FIELD);
    if (dad == std::string_view::npos)
        return false;
    std::string_view parent = rest.substr(dad + OTS_PARENT_FIELD.size());
    parent = parent.substr(0, parent.find_first_of(" ;"));
    return hex::parse_h(parent, &r->parent);
}

// "<tag> <key>h ...": the key.
inline bool key_of(std::string_view l, unsigned long* key) {
    const std::size_t blank = l.find(' ', 3);
    return blank != std::string_view::npos && hex::parse_h(l.substr(3, blank - 3), key);
}

inline void read_tsf_lines(const std::string& path, Listing* out) {
    std::ifstream f(path, std::ios::binary);
    unsigned line = 0;
    for (std::string l; std::getline(f, l);) {
        unsigned long key = 0;
        if (tagged(l, TSF_LINE))
            line = static_cast<unsigned>(std::strtoul(l.c_str() + 3, nullptr, 10));
        else if ((tagged(l, TSF_MESSAGE) || tagged(l, TSF_TEXT)) &&
                 key_of(l, &key))
            out->lines[key] = line;
    }
}

// OF "<dir>" "<file>" <mtime>h: the script's name.
inline bool read_head(const std::string& l, Listing* out) {
    const std::size_t second = l.find("\" \"");
    const std::size_t close = l.rfind('"');
    if (second == std::string::npos || close <= second + 3)
        return false;
    out->script = l.substr(second + 3, close - second - 3);
    return true;
}

// CK <sum_a>h <sum_b>h
inline bool read_checksum(std::string_view l, Listing* out) {
    unsigned long a = 0, b = 0;
    const std::size_t blank = l.find(' ', 3);
    if (!key_of(l, &a) || !hex::parse_h(l.substr(blank + 1), &b))
        return false;
    out->sum_a = static_cast<unsigned>(a);
    out->sum_b = static_cast<unsigned>(b);
    return true;
}

}  // namespace detail

// One .ots file (and the .tsf beside it); false when it is not a listing.
inline bool read_listing(const std::string& ots_path, Listing* out) {
    std::ifstream f(ots_path, std::ios::binary);
    if (!f)
        return false;
    *out = Listing{};
    out->path = ots_path;
    bool has_head = false, has_sum = false;
    for (std::string l; std::getline(f, l);) {
        if (detail::tagged(l, OTS_FILE) && l.size() > 3 && l[3] == '"') {
            if (!detail::read_head(l, out))
                return false;
            has_head = true;
        } else if (detail::tagged(l, OTS_CHECKSUM)) {
            if (!detail::read_checksum(l, out))
                return false;
            has_sum = true;
        } else if (l.size() > 3 && l[2] == ' ' && !detail::tagged(l, OTS_VERSION) &&
                   !detail::tagged(l, OTS_DATE)) {
            unsigned long id = 0;
            Record r;
            if (detail::parse_record(l, &id, &r))
                out->records.emplace(id, std::move(r));
        }
    }
    if (!has_head || !has_sum)
        return false;
    std::string tsf = ots_path;
    tsf.replace(tsf.size() - OTS_SUFFIX.size(), OTS_SUFFIX.size(), TSF_SUFFIX);
    detail::read_tsf_lines(tsf, out);
    return true;
}

// Every .ots listing (and its .tsf) in `dirs`, keyed by checksum pair. An unreadable
// or malformed listing is skipped with a message in `warnings`.
inline std::map<std::pair<unsigned, unsigned>, Listing> read_listings(
    const std::vector<std::string>& dirs, std::vector<std::string>* warnings) {
    std::map<std::pair<unsigned, unsigned>, Listing> out;
    for (const std::string& dir : dirs) {
        std::error_code ec;
        for (const auto& e : std::filesystem::directory_iterator(dir, ec)) {
            const std::string path = e.path().string();
            if (path.size() < OTS_SUFFIX.size() ||
                path.compare(path.size() - OTS_SUFFIX.size(), std::string::npos, OTS_SUFFIX) != 0)
                continue;
            Listing l;
            if (!read_listing(path, &l)) {
                warnings->push_back("`" + path + "' is not a listing file; left out");
                continue;
            }
            out.emplace(std::make_pair(l.sum_a, l.sum_b), std::move(l));
        }
        if (ec)
            warnings->push_back("cannot read the directory `" + dir + "'");
    }
    return out;
}

}  // namespace listing
