// Reading the text headers of SPHERE, PVF and WVE files as a text stream:
// CR LF comes through as one newline, and words end at the next blank only,
// so a word may span a line end and two blanks in a row give an empty word.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "io/file.h"

namespace sonkrate::import {

// Characters of a word kept; longer words keep their true length.
inline constexpr std::size_t kWordKept = 64;

struct TextWord {
    std::string text;         // the first kWordKept characters
    std::uint64_t length = 0;  // the whole word's length

    bool is(const std::string& whole) const { return length == whole.size() && text == whole; }
    // The first n characters, or the whole word when it is shorter.
    std::string first(std::size_t n) const { return text.substr(0, n); }
};

// Characters of an open file from a given offset, through a fixed buffer.
class TextStream {
public:
    TextStream(io::File& file, std::uint64_t start);
    // The next character, or -1 at the end of the file.
    int get();

private:
    int rawGet();
    io::File& file_;
    std::vector<char> buffer_;
    std::size_t at_ = 0;
    std::size_t filled_ = 0;
    int pending_ = -2;  // a character read ahead, -2 when none
};

// Reads the characters up to the next blank (which is consumed) or the end of
// the file. False when the file has ended before any character.
bool readWord(TextStream& stream, TextWord& word);

// The integer at the start of a text, as C's atoi reads it: leading white
// space, a sign, digits; 0 when there are none. Saturates at the int range.
int leadingInteger(const std::string& text);

}  // namespace sonkrate::import
