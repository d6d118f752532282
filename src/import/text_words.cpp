#include "import/text_words.h"

#include <climits>

namespace sonkrate::import {

namespace {
constexpr std::size_t kTextBuffer = 64 * 1024;
}

TextStream::TextStream(io::File& file, std::uint64_t start) : file_(file), buffer_(kTextBuffer) {
    if (!file_.seek(start)) filled_ = 0;
}

int TextStream::rawGet() {
    if (at_ == filled_) {
        filled_ = file_.readSome(buffer_.data(), buffer_.size());
        at_ = 0;
        if (filled_ == 0) return -1;
    }
    return static_cast<unsigned char>(buffer_[at_++]);
}

int TextStream::get() {
    int c;
    if (pending_ != -2) {
        c = pending_;
        pending_ = -2;
    } else {
        c = rawGet();
    }
    if (c == '\r') {
        int next = rawGet();
        if (next == '\n') return '\n';
        pending_ = next;
    }
    return c;
}

bool readWord(TextStream& stream, TextWord& word) {
    word.text.clear();
    word.length = 0;
    for (;;) {
        int c = stream.get();
        if (c < 0) return word.length > 0;
        if (c == ' ') return true;
        if (word.text.size() < kWordKept) word.text.push_back(static_cast<char>(c));
        ++word.length;
    }
}

int leadingInteger(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long long value = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        value = value * 10 + (text[i++] - '0');
        if (value > INT_MAX) value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

}  // namespace sonkrate::import
