#include "testkit/testkit.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <stdexcept>

#include "io/unicode_text.h"

#ifndef _WIN32
#include <sys/wait.h>
#endif

namespace fs = std::filesystem;

namespace testkit {

ScratchDir::ScratchDir() {
    std::random_device rd;
    for (int i = 0; i < 100; ++i) {
        fs::path p = fs::temp_directory_path() / ("sonkrate-test-" + std::to_string(rd()));
        std::error_code ec;
        if (fs::create_directory(p, ec)) {
            path_ = sonkrate::io::utf8Path(p);
            return;
        }
    }
    throw std::runtime_error("cannot create a scratch folder");
}

ScratchDir::~ScratchDir() {
    std::error_code ec;
    const fs::path folder = sonkrate::io::nativePath(path_);
    fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(folder, ec);
}

#ifdef _WIN32
std::string ScratchDir::file(const std::string& name) const { return path_ + "\\" + name; }
#else
std::string ScratchDir::file(const std::string& name) const { return path_ + "/" + name; }
#endif

Bytes readFile(const std::string& path) {
    std::ifstream in(sonkrate::io::nativePath(path), std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const std::string& path, const Bytes& bytes) {
    std::ofstream out(sonkrate::io::nativePath(path), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void writeText(const std::string& path, const std::string& text) {
    std::ofstream out(sonkrate::io::nativePath(path), std::ios::binary | std::ios::trunc);
    out << text;
}

std::string readText(const std::string& path) {
    std::ifstream in(sonkrate::io::nativePath(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool fileExists(const std::string& path) {
    std::error_code ec;
    return fs::exists(sonkrate::io::nativePath(path), ec);
}

std::uint64_t fileSize(const std::string& path) {
    std::error_code ec;
    auto size = fs::file_size(sonkrate::io::nativePath(path), ec);
    return ec ? 0 : size;
}

std::uint16_t u16(const Bytes& b, std::size_t at) {
    return static_cast<std::uint16_t>(b.at(at) | (b.at(at + 1) << 8));
}

std::uint32_t u32(const Bytes& b, std::size_t at) {
    return static_cast<std::uint32_t>(u16(b, at)) | (static_cast<std::uint32_t>(u16(b, at + 2)) << 16);
}

void put16(Bytes& b, std::size_t at, std::uint16_t v) {
    b.at(at) = static_cast<std::uint8_t>(v);
    b.at(at + 1) = static_cast<std::uint8_t>(v >> 8);
}

void put32(Bytes& b, std::size_t at, std::uint32_t v) {
    put16(b, at, static_cast<std::uint16_t>(v));
    put16(b, at + 2, static_cast<std::uint16_t>(v >> 16));
}

std::string text(const Bytes& b, std::size_t at, std::size_t n) {
    return std::string(b.begin() + static_cast<long>(at), b.begin() + static_cast<long>(at + n));
}

#ifdef _WIN32
// cmd.exe: double quotes, no quotes inside.
std::string quote(const std::string& arg) { return "\"" + arg + "\""; }

RunResult run(const std::string& commandLine) {
    ScratchDir capture;
    std::string outPath = capture.file("out"), errPath = capture.file("err");
    std::string line = "\"" + commandLine + " >" + quote(outPath) + " 2>" + quote(errPath) + " <NUL\"";
    RunResult result;
    // The wide form, so that arguments in any script reach the program.
    // cmd.exe answers 9009 when it could not start the program at all, and
    // _wsystem -1 when cmd.exe itself could not be started. Wine now and then
    // does either while other tests start programs too: nothing ran, so the
    // same line is tried again.
    constexpr int kNotStarted = 9009, kNoShell = -1;
    for (int attempt = 0; attempt < 5; ++attempt) {
        result.exitCode = _wsystem(sonkrate::io::toWide(line).c_str());
        if (result.exitCode != kNotStarted && result.exitCode != kNoShell) break;
    }
    // Console output is text: CR LF line ends compare as LF.
    auto lines = [](std::string text) {
        for (std::size_t at; (at = text.find("\r\n")) != std::string::npos;) text.erase(at, 1);
        return text;
    };
    result.out = lines(readText(outPath));
    result.err = lines(readText(errPath));
    return result;
}

// Looks for NAME.exe in the folders of PATH (Wine's "where" answers yes to anything).
bool haveTool(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::stringstream folders(path ? path : "");
    std::string folder;
    std::error_code ec;
    while (std::getline(folders, folder, ';'))
        if (!folder.empty() && fs::is_regular_file(fs::path(folder) / (name + ".exe"), ec)) return true;
    return false;
}
#else
std::string quote(const std::string& arg) {
    std::string q = "'";
    for (char c : arg) {
        if (c == '\'') q += "'\\''";
        else q += c;
    }
    return q + "'";
}

RunResult run(const std::string& commandLine) {
    ScratchDir capture;
    std::string outPath = capture.file("out"), errPath = capture.file("err");
    std::string line = "(" + commandLine + ") >" + quote(outPath) + " 2>" + quote(errPath) + " </dev/null";
    int status = std::system(line.c_str());
    RunResult result;
    result.exitCode = (status != -1 && WIFEXITED(status)) ? WEXITSTATUS(status) : -1;
    result.out = readText(outPath);
    result.err = readText(errPath);
    return result;
}

bool haveTool(const std::string& name) {
    return std::system(("command -v " + quote(name) + " >/dev/null 2>&1").c_str()) == 0;
}
#endif

}  // namespace testkit
