// Helpers for the tests: a scratch folder removed afterwards, whole-file
// reads and writes, little-endian fields, and running other programs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testkit {

using Bytes = std::vector<std::uint8_t>;

// A fresh folder under the system's temporary folder, removed with its content.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::string& path() const { return path_; }
    // path() + "/" + name
    std::string file(const std::string& name) const;

private:
    std::string path_;
};

Bytes readFile(const std::string& path);
void writeFile(const std::string& path, const Bytes& bytes);
void writeText(const std::string& path, const std::string& text);
std::string readText(const std::string& path);
bool fileExists(const std::string& path);
std::uint64_t fileSize(const std::string& path);

std::uint16_t u16(const Bytes& b, std::size_t at);
std::uint32_t u32(const Bytes& b, std::size_t at);
void put16(Bytes& b, std::size_t at, std::uint16_t v);
void put32(Bytes& b, std::size_t at, std::uint32_t v);
std::string text(const Bytes& b, std::size_t at, std::size_t n);

struct RunResult {
    int exitCode = -1;
    std::string out;  // standard output
    std::string err;  // standard error
};
// Runs a shell command line; quotes are the caller's.
RunResult run(const std::string& commandLine);
// Quotes one argument for the shell.
std::string quote(const std::string& arg);

// "é" as names and captions are stored for the game: the byte of code page
// 1252 on Windows (the Windows tests run in it), UTF-8 elsewhere.
inline std::string storedEAcute() {
#if defined(_WIN32)
    return "\xE9";
#else
    return "\xC3\xA9";
#endif
}

// True when the program is on PATH.
bool haveTool(const std::string& name);

}  // namespace testkit
