// report/lines.cpp: a buffer that holds the unread part of one block, and grows by a
// block only while a line has no break yet.
#include "report/lines.h"

#include <cstring>

LineRead LineReader::next(std::string* line) {
    for (;;) {
        const char* start = buffer_.data() + pos_;
        const std::size_t pending = buffer_.size() - pos_;
        if (const void* end = std::memchr(start + scanned_, '\n', pending - scanned_)) {
            const auto length = static_cast<std::size_t>(static_cast<const char*>(end) - start);
            line->assign(start, length);
            pos_ += length + 1;
            scanned_ = 0;
            return LineRead::line;
        }
        scanned_ = pending;
        if (pending > max_line_)
            return LineRead::too_long;
        if (at_end_) {
            line->assign(start, pending);
            pos_ = buffer_.size();
            scanned_ = 0;
            return pending > 0 ? LineRead::cut_line : LineRead::end;
        }
        buffer_.erase(0, pos_);
        pos_ = 0;
        const std::size_t old = buffer_.size();
        buffer_.resize(old + BLOCK_BYTES);
        in_.read(&buffer_[old], static_cast<std::streamsize>(BLOCK_BYTES));
        buffer_.resize(old + static_cast<std::size_t>(in_.gcount()));
        at_end_ = !in_;
    }
}
