#include "cli/std_streams.h"

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <vector>

#include "io/file.h"
#include "io/unicode_text.h"

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <process.h>
#define SONKRATE_ISATTY(fd) _isatty(fd)
#define SONKRATE_PID _getpid()
#else
#include <unistd.h>
#define SONKRATE_ISATTY(fd) isatty(fd)
#define SONKRATE_PID getpid()
#endif

namespace sonkrate::cli {
namespace fs = std::filesystem;

ScratchFile::~ScratchFile() {
    std::error_code ec;
    // Only the one file and the folder this run made; anything else put there
    // meanwhile keeps the folder in place.
    if (folder_.empty()) return;
    fs::remove(io::nativePath(path_), ec);
    fs::remove(io::nativePath(folder_), ec);
}

io::Outcome ScratchFile::create(const std::string& name) {
    std::error_code ec;
    fs::path base = fs::temp_directory_path(ec);
    if (ec) return io::failure("There is no temporary folder for standard input or output: " + ec.message());
    // create_directory reports false for a folder that exists already, so the
    // folder found is ours alone.
    for (int attempt = 0; attempt < 100; ++attempt) {
        fs::path folder = base / ("sonkrate-cli-" + std::to_string(SONKRATE_PID) + "-" + std::to_string(attempt));
        if (fs::create_directory(folder, ec)) {
            fs::permissions(folder, fs::perms::owner_all, fs::perm_options::replace, ec);
            folder_ = io::utf8Path(folder);
            path_ = io::utf8Path(folder / io::nativePath(name));
            return io::success();
        }
    }
    return io::failure("Cannot make a temporary folder in " + io::utf8Path(base) + " for standard input or output");
}

io::Outcome refuseTerminalOutput() {
    if (SONKRATE_ISATTY(1))
        return io::failure("Standard output is a terminal: not writing binary sound data there; "
                           "redirect it to a file or a pipe");
    return io::success();
}

static void binaryMode([[maybe_unused]] std::FILE* stream) {
#if defined(_WIN32)
    _setmode(_fileno(stream), _O_BINARY);
#endif
}

void useBinaryStdout() {
    std::fflush(stdout);
    binaryMode(stdout);
}

io::Outcome copyStdinTo(const std::string& path) {
    binaryMode(stdin);
    io::File out;
    if (io::Outcome opened = out.open(path, io::FileMode::Write); !opened) return opened;
    std::vector<char> buffer(io::kCopyBufferSize);
    while (std::size_t n = std::fread(buffer.data(), 1, buffer.size(), stdin))
        if (io::Outcome written = out.write(buffer.data(), n); !written) return written;
    if (std::ferror(stdin)) return io::failure("Cannot read standard input");
    return out.close();
}

io::Outcome copyToStdout(const std::string& path) {
    binaryMode(stdout);
#if defined(SIGPIPE)
    // A reader that stops early makes the write fail instead of killing the
    // tool before it removes its scratch file.
    std::signal(SIGPIPE, SIG_IGN);
#endif
    std::fflush(stdout);
    io::File in;
    if (io::Outcome opened = in.open(path, io::FileMode::Read); !opened) return opened;
    std::vector<char> buffer(io::kCopyBufferSize);
    while (std::size_t n = in.readSome(buffer.data(), buffer.size()))
        if (std::fwrite(buffer.data(), 1, n, stdout) != n) return io::failure("Cannot write to standard output");
    if (std::ferror(in.handle())) return io::failure(io::systemError("Cannot read", path));
    if (std::fflush(stdout) != 0) return io::failure("Cannot write to standard output");
    return io::success();
}

static std::string replaceAll(std::string text, const std::string& path, const std::string& shown) {
    if (path.empty()) return text;
    for (std::size_t at = text.find(path); at != std::string::npos; at = text.find(path, at + shown.size()))
        text.replace(at, path.size(), shown);
    return text;
}

std::string OutputFile::reword(std::string text) const {
    return toStdout_ ? replaceAll(std::move(text), scratch_.path(), "standard output") : text;
}

std::string InputFile::reword(std::string text) const {
    return fromStdin_ ? replaceAll(std::move(text), scratch_.path(), "standard input") : text;
}

io::Outcome OutputFile::prepare(const std::string& given, const std::string& scratchName) {
    given_ = given;
    toStdout_ = isStdStream(given);
    if (!toStdout_) return io::success();
    if (io::Outcome refused = refuseTerminalOutput(); !refused) return refused;
    return scratch_.create(scratchName);
}

io::Outcome OutputFile::finish() const {
    return toStdout_ ? copyToStdout(scratch_.path()) : io::success();
}

io::Outcome InputFile::prepare(const std::string& given, const std::string& scratchName) {
    given_ = given;
    fromStdin_ = isStdStream(given);
    if (!fromStdin_) return io::success();
    if (io::Outcome made = scratch_.create(scratchName); !made) return made;
    return copyStdinTo(scratch_.path());
}

}  // namespace sonkrate::cli
