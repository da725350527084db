// report/lines.h: the dynamic file's lines, read in large blocks. A line longer than any
// event can be is refused instead of being held whole: a garbled file may have no line
// break at all. Reading errors of the stream end the lines as the end of the file does.
#pragma once
#include <cstddef>
#include <istream>
#include <string>

enum class LineRead {
    line,      // a whole line, without its line break
    cut_line,  // the last line, without its line break (a run cut short)
    end,       // nothing more
    too_long,  // more than the longest line accepted without a line break
};

class LineReader {
public:
    LineReader(std::istream& in, std::size_t max_line) : in_(in), max_line_(max_line) {}
    LineRead next(std::string* line);

private:
    static constexpr std::size_t BLOCK_BYTES = std::size_t{1} << 20;
    std::istream& in_;
    std::size_t max_line_;
    std::string buffer_;
    std::size_t pos_ = 0;      // start of the next line in buffer_
    std::size_t scanned_ = 0;  // bytes after pos_ known to hold no line break
    bool at_end_ = false;
};
