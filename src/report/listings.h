// report/listings.h: the listing files (.ots, .tsf) that vexprepro wrote for every
// script, read back so that the ids of a dynamic file become named, located components.
// A listing is known by the checksum pair it ends with, as the driver registers it. The
// records are those of formats/listing.h. A file that is not a listing is left out with a
// warning; whoever needs it refuses the run later.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

struct ListingRecord {
    std::string tag;   // "TC", "CH" ... as in the .ots file
    std::string text;  // as written between the quotes
    unsigned line = 0;
    unsigned long parent = 0;
};

struct Listing {
    std::string script;      // the script's base name ("suite.otd")
    std::string path;        // of the .ots file
    unsigned sum_a = 0, sum_b = 0;
    std::unordered_map<unsigned long, ListingRecord> records;  // by id
    std::unordered_map<unsigned long, unsigned> lines;         // .tsf keys -> LK line
    const ListingRecord* find(unsigned long id) const {
        auto it = records.find(id);
        return it == records.end() ? nullptr : &it->second;
    }
};

// Every .ots listing (and its .tsf) in `dirs`, keyed by checksum pair. An unreadable
// or malformed listing is skipped with a message in `warnings`.
std::map<std::pair<unsigned, unsigned>, Listing> read_listings(const std::vector<std::string>& dirs,
                                                                std::vector<std::string>* warnings);

// One .ots file (and the .tsf beside it); false when it is not a listing.
bool read_listing(const std::string& ots_path, Listing* out);
