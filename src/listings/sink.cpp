// listings/sink.cpp: record lines built in place, counted and appended in large pieces.
#include "listings/sink.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "errors/report.h"
#include "utils/text.h"

namespace {

constexpr std::size_t FLUSH_BYTES = std::size_t{1} << 20;

bool is_ascii(std::string_view text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) > 127)
            return false;
    return true;
}

}  // namespace

RecordLine& RecordLine::hex(unsigned long value) {
    append_unsigned(out_, value, 16);
    out_.push_back('h');
    return *this;
}

RecordLine& RecordLine::decimal(unsigned long value) {
    append_unsigned(out_, value, 10);
    return *this;
}

RecordLine& RecordLine::escaped(std::string_view text) {
    append_backslashed(out_, text);
    return *this;
}

void add_to_checksum(FileRecord* record, std::string_view text) {
    std::uint32_t sum = record->sum_a;
    std::uint32_t xor_sum = record->sum_b;
    for (char c : text) {
        // Bytes count as signed 8-bit values: 0xE9 adds 0xFFFFFFE9.
        sum += static_cast<std::uint32_t>(static_cast<std::int32_t>(static_cast<signed char>(c)));
        sum <<= 1;
        xor_sum ^= sum;
    }
    record->sum_a = sum;
    record->sum_b = xor_sum;
}

void end_ots_line(FileRecord* record, const RecordLine& line) {
    std::string& out = record->ots_sink->pending;
    add_to_checksum(record, std::string_view(out).substr(line.start()));
    flush_sink(record->ots_sink, false);
}

void end_tsf_line(FileRecord* record, const RecordLine& line) {
    std::string& out = record->tsf_sink->pending;
    const std::size_t start = line.start();
    if (!is_ascii(std::string_view(out).substr(start))) {
        const std::string utf8 = to_utf8(std::string_view(out).substr(start));
        out.replace(start, std::string::npos, utf8);
    }
    // A line break inside a text would split the record: only the last one stays.
    for (std::size_t i = start; i + 1 < out.size(); ++i)
        if (out[i] == '\r' || out[i] == '\n')
            out[i] = ' ';
    add_to_checksum(record, std::string_view(out).substr(start));
    flush_sink(record->tsf_sink, false);
}

bool flush_sink(ListingSink* sink, bool all) {
    if (sink->failed) {
        sink->pending.clear();
        return false;
    }
    if (sink->pending.empty() || (!all && sink->pending.size() < FLUSH_BYTES))
        return true;
    FILE* file = std::fopen(sink->name, "ab");
    if (!file) {
        report_error(MSG_CANNOT_CREATE, {}, arg_text(sink->name));
        sink->failed = true;
    } else {
        std::fwrite(sink->pending.data(), 1, sink->pending.size(), file);
        sink->failed = close_output_file(file, sink->name) < 0;
    }
    sink->pending.clear();
    return !sink->failed;
}
