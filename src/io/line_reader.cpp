#include "io/line_reader.h"

#include <cstdio>

namespace sonkrate::io {

namespace {
constexpr std::size_t kReadBufferSize = 64 * 1024;
}

Outcome LineReader::open(const std::string& path) {
    buffer_.assign(kReadBufferSize, 0);
    pos_ = end_ = 0;
    atEnd_ = error_ = false;
    return file_.open(path, FileMode::Read);
}

bool LineReader::refill() {
    if (atEnd_ || !file_.isOpen()) return false;
    end_ = file_.readSome(buffer_.data(), buffer_.size());
    pos_ = 0;
    if (end_ == 0) {
        atEnd_ = true;
        if (file_.failed()) error_ = true;
        return false;
    }
    return true;
}

int LineReader::get() {
    if (pos_ == end_ && !refill()) return -1;
    return buffer_[pos_++];
}

bool LineReader::readUntil(char delimiter, std::string& out, std::size_t maxKept) {
    out.clear();
    bool readAny = false;
    for (;;) {
        if (pos_ == end_ && !refill()) return readAny;
        readAny = true;
        // Scan the buffer for the delimiter rather than going byte by byte.
        std::size_t start = pos_;
        while (pos_ < end_ && buffer_[pos_] != static_cast<std::uint8_t>(delimiter)) ++pos_;
        std::size_t n = pos_ - start;
        if (out.size() < maxKept) {
            std::size_t keep = n < maxKept - out.size() ? n : maxKept - out.size();
            out.append(reinterpret_cast<const char*>(buffer_.data() + start), keep);
        }
        if (pos_ < end_) {
            ++pos_;  // the delimiter
            return true;
        }
    }
}

bool LineReader::readLine(std::string& line, std::size_t maxKept) {
    if (!readUntil('\n', line, maxKept)) return false;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return true;
}

}  // namespace sonkrate::io
