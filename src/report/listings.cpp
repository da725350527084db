// report/listings.cpp: reading .ots records ("TC 3h \"T\" line=5 dad=2h;") and the line
// numbers of .tsf message and text records ("LK 12" before "MS f4242h ...").
#include "report/listings.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string_view>

namespace {

bool hex_field(std::string_view s, unsigned long* value) {
    if (s.empty() || s.back() != 'h')
        return false;
    s.remove_suffix(1);
    if (s.empty() || s.size() > 16)
        return false;
    unsigned long v = 0;
    for (char c : s) {
        const int d = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
        if (d < 0)
            return false;
        v = v * 16 + static_cast<unsigned long>(d);
    }
    *value = v;
    return true;
}

// "XX <id>h \"<text>\" line=<n> dad=<id>h[ stb=<id>h];" The text may hold quotes (labels
// are written as they are), so it ends at the last "\" line=".
bool parse_record(std::string_view l, unsigned long* id, ListingRecord* r) {
    if (l.size() < 6 || l[2] != ' ')
        return false;
    r->tag = std::string(l.substr(0, 2));
    const std::size_t quote = l.find('"');
    const std::size_t end = l.rfind("\" line=");
    if (quote == std::string_view::npos || end == std::string_view::npos || end <= quote ||
        !hex_field(l.substr(3, quote - 4), id))
        return false;
    r->text = std::string(l.substr(quote + 1, end - quote - 1));
    const std::string_view rest = l.substr(end + 7);
    r->line = static_cast<unsigned>(std::strtoul(std::string(rest).c_str(), nullptr, 10));
    const std::size_t dad = rest.find("dad=");
    if (dad == std::string_view::npos)
        return false;
    std::string_view parent = rest.substr(dad + 4);
    parent = parent.substr(0, parent.find_first_of(" ;"));
    return hex_field(parent, &r->parent);
}

void read_tsf_lines(const std::string& path, Listing* out) {
    std::ifstream f(path, std::ios::binary);
    unsigned line = 0;
    for (std::string l; std::getline(f, l);) {
        if (l.rfind("LK ", 0) == 0) {
            line = static_cast<unsigned>(std::strtoul(l.c_str() + 3, nullptr, 10));
        } else if (l.rfind("MS ", 0) == 0 || l.rfind("TX ", 0) == 0) {
            unsigned long key = 0;
            const std::size_t blank = l.find(' ', 3);
            if (blank != std::string::npos && hex_field(std::string_view(l).substr(3, blank - 3), &key))
                out->lines[key] = line;
        }
    }
}

}  // namespace

bool read_listing(const std::string& ots_path, Listing* out) {
    std::ifstream f(ots_path, std::ios::binary);
    if (!f)
        return false;
    *out = Listing{};
    out->path = ots_path;
    bool has_head = false, has_sum = false;
    for (std::string l; std::getline(f, l);) {
        if (l.rfind("OF \"", 0) == 0) {
            // OF "<dir>" "<file>" <mtime>h
            const std::size_t second = l.find("\" \"");
            const std::size_t close = l.rfind('"');
            if (second == std::string::npos || close <= second + 3)
                return false;
            out->script = l.substr(second + 3, close - second - 3);
            has_head = true;
        } else if (l.rfind("CK ", 0) == 0) {
            unsigned long a = 0, b = 0;
            const std::size_t blank = l.find(' ', 3);
            if (blank == std::string::npos || !hex_field(std::string_view(l).substr(3, blank - 3), &a) ||
                !hex_field(std::string_view(l).substr(blank + 1), &b))
                return false;
            out->sum_a = static_cast<unsigned>(a);
            out->sum_b = static_cast<unsigned>(b);
            has_sum = true;
        } else if (l.size() > 3 && l[2] == ' ' && l.rfind("VO ", 0) != 0 &&
                   l.rfind("DP ", 0) != 0) {
            unsigned long id = 0;
            ListingRecord r;
            if (parse_record(l, &id, &r))
                out->records.emplace(id, std::move(r));
        }
    }
    if (!has_head || !has_sum)
        return false;
    std::string tsf = ots_path;
    tsf.replace(tsf.size() - 4, 4, ".tsf");
    read_tsf_lines(tsf, out);
    return true;
}

std::map<std::pair<unsigned, unsigned>, Listing> read_listings(const std::vector<std::string>& dirs,
                                                                std::vector<std::string>* warnings) {
    std::map<std::pair<unsigned, unsigned>, Listing> out;
    for (const std::string& dir : dirs) {
        std::error_code ec;
        for (const auto& e : std::filesystem::directory_iterator(dir, ec)) {
            const std::string path = e.path().string();
            if (path.size() < 4 || path.compare(path.size() - 4, 4, ".ots") != 0)
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
