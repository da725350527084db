// listings/sink.h: a listing's bytes on their way to its file. Record lines are built in
// place at the end of the pending bytes (no string per record), enter the script's
// checksum pair when they end, and go to the file in large pieces, appended each time:
// a run over thousands of scripts holds neither a file handle nor a whole listing per
// script.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

#include "fi/files.h"

struct ListingSink {
    const char* name = nullptr;  // the listing file, created empty when the phase starts
    std::string pending;         // bytes not yet appended to it
    bool failed = false;         // reported once; later bytes are dropped
};

// One record line being built at the end of `sink`'s pending bytes.
class RecordLine {
public:
    explicit RecordLine(ListingSink& sink) : out_(sink.pending), start_(out_.size()) {}
    RecordLine& operator<<(std::string_view text) {
        out_.append(text);
        return *this;
    }
    RecordLine& operator<<(const char* text) { return *this << std::string_view(text ? text : ""); }
    RecordLine& hex(unsigned long value);      // "%lxh"
    RecordLine& decimal(unsigned long value);  // "%lu"
    RecordLine& escaped(std::string_view text);  // '"' and '\\' preceded by '\\'
    std::size_t start() const { return start_; }

private:
    std::string& out_;
    std::size_t start_;
};

// Adds each byte (sign-extended) to the pair: S += c; S <<= 1; X ^= S.
void add_to_checksum(FileRecord* record, std::string_view text);

// Ends a line of the .ots file: its bytes enter the checksum pair.
void end_ots_line(FileRecord* record, const RecordLine& line);
// Ends a line of the .tsf file: converted to UTF-8 when it is not ASCII, inner line
// breaks made blanks, then counted.
void end_tsf_line(FileRecord* record, const RecordLine& line);

// Appends the pending bytes to the file when there are many (`all`: whatever there
// is); false once the file cannot be written (reported, 43).
bool flush_sink(ListingSink* sink, bool all);
