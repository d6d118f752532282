// A binary file handle that reports every failure as an Outcome naming the
// file, plus the buffered range copy that all streaming operations share.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "io/outcome.h"

namespace sonkrate::io {

// Buffer size for streamed copies and block reads.
inline constexpr std::size_t kCopyBufferSize = 256 * 1024;

// Read and ReadNoLink open only a regular file and never wait: a folder, a
// FIFO, a device or a socket is refused with a sentence saying what it is.
// ReadNoLink also refuses a symbolic link (a reparse point on Windows) as the
// last part of the path: for the files of a folder someone else made.
enum class FileMode { Read, Write, Append, ReadWrite, ReadNoLink };

class File {
public:
    File() = default;
    ~File();
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;

    // Write truncates or creates; Append creates; ReadWrite needs an existing file.
    Outcome open(const std::string& path, FileMode mode);
    bool isOpen() const { return handle_ != nullptr; }
    const std::string& path() const { return path_; }

    // Size of the file in bytes, measured now.
    std::uint64_t size();

    Outcome seek(std::uint64_t offset);
    std::uint64_t tell();

    // Reads up to n bytes; returns how many were read (0 at the end or on error).
    std::size_t readSome(void* buffer, std::size_t n);
    // A read or write failed (as opposed to a read reaching the end of the file).
    bool failed() const;
    // Reads exactly n bytes or fails with a sentence saying the file is too short.
    Outcome readExact(void* buffer, std::size_t n);
    // Seeks to offset, then reads exactly n bytes.
    Outcome readAt(std::uint64_t offset, void* buffer, std::size_t n);

    Outcome write(const void* data, std::size_t n);
    Outcome writeText(const std::string& text) { return write(text.data(), text.size()); }

    // Flushes the library buffer and waits until the system has put the data
    // on the disk (fsync; FlushFileBuffers on Windows).
    Outcome sync();
    // Closes the file; a buffered write that fails now is reported.
    Outcome close();

    std::FILE* handle() { return handle_; }

private:
    std::FILE* handle_ = nullptr;
    std::string path_;
    bool writable_ = false;
    bool failed_ = false;  // a fault injected into a read or write
};

// Copies length bytes starting at offset of in to the current end of out.
// Uses the kernel's copy where the system has one, large buffers otherwise.
Outcome copyRange(File& in, std::uint64_t offset, std::uint64_t length, File& out);

// Appends bytes to the file at path (made when missing) as one piece: when
// any part of it fails, the file is cut back to its old length, or removed
// when the append made it, so that a log or record file never ends in half
// a line.
Outcome appendWhole(const std::string& path, std::string_view bytes);

// Copies the whole file at from to to (created or truncated).
Outcome copyFile(const std::string& from, const std::string& to);

// Whether both paths name one existing file (other case, other separators
// or a link on the way included).
bool sameFile(const std::string& a, const std::string& b);

// A sentence for the current errno: "<what> <path>: <system reason>".
std::string systemError(const std::string& what, const std::string& path);

}  // namespace sonkrate::io
