#include "io/file.h"

#include "io/fault_hook.h"
#include "io/file_system.h"
#include "io/unicode_text.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <vector>

#if !defined(_WIN32)
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>
#endif
#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#endif

namespace sonkrate::io {

namespace {

int seekTo(std::FILE* f, std::uint64_t offset) {
#if defined(_WIN32)
    return _fseeki64(f, static_cast<long long>(offset), SEEK_SET);
#else
    return fseeko(f, static_cast<off_t>(offset), SEEK_SET);
#endif
}

int seekEnd(std::FILE* f) {
#if defined(_WIN32)
    return _fseeki64(f, 0, SEEK_END);
#else
    return fseeko(f, 0, SEEK_END);
#endif
}

std::int64_t position(std::FILE* f) {
#if defined(_WIN32)
    return _ftelli64(f);
#else
    return ftello(f);
#endif
}

const char* modeText(FileMode mode) {
    switch (mode) {
    case FileMode::Read: return "rb";
    case FileMode::Write: return "wb";
    case FileMode::Append: return "ab";
    case FileMode::ReadWrite: return "r+b";
    case FileMode::ReadNoLink: return "rb";
    }
    return "rb";
}

// The C runtime's fopen takes ANSI names on Windows: the wide form opens any.
std::FILE* openStream(const std::string& path, FileMode mode) {
#if defined(_WIN32)
    const std::string text = modeText(mode);
    return _wfopen(toWide(path).c_str(), std::wstring(text.begin(), text.end()).c_str());
#else
    return std::fopen(path.c_str(), modeText(mode));
#endif
}

// Why path is not read: "Cannot open X: it is a FIFO (named pipe), not a regular file".
Outcome notRegular(const std::string& path, PathKind kind) {
    if (kind == PathKind::Link)
        return failure("Cannot open " + path + ": it is a symbolic link, and links inside a folder are not "
                       "followed, so that nothing outside it is read");
    return failure("Cannot open " + path + ": it is " + pathKindText(kind) + ", not a regular file");
}

// Opens a regular file for reading without waiting on what is not one: the
// kind is looked at before opening (a device is not even opened) and again
// on the open handle, so a file swapped in between is caught too.
#if defined(_WIN32)
Outcome openRegular(const std::string& path, bool followLink, std::FILE*& stream) {
    const PathKind kind = followLink ? targetKind(path) : pathKind(path);
    if (kind != PathKind::Regular && kind != PathKind::Missing) return notRegular(path, kind);
    const DWORD flags = followLink ? FILE_ATTRIBUTE_NORMAL : FILE_FLAG_OPEN_REPARSE_POINT;
    HANDLE h = CreateFileW(toWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, flags, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        errno = code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND ? ENOENT
                : code == ERROR_ACCESS_DENIED                                 ? EACCES
                                                                              : EIO;
        return failure(systemError("Cannot open", path));
    }
    BY_HANDLE_FILE_INFORMATION info{};
    PathKind found = PathKind::Regular;
    if (GetFileType(h) != FILE_TYPE_DISK) found = PathKind::Device;
    else if (!GetFileInformationByHandle(h, &info)) found = PathKind::Other;
    else if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) found = PathKind::Link;
    else if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) found = PathKind::Folder;
    if (found != PathKind::Regular) {
        CloseHandle(h);
        return notRegular(path, found);
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), _O_RDONLY | _O_BINARY);
    if (fd < 0) {
        CloseHandle(h);
        return failure(systemError("Cannot open", path));
    }
    stream = _fdopen(fd, "rb");
    if (stream == nullptr) {
        _close(fd);
        return failure(systemError("Cannot open", path));
    }
    return success();
}
#else
Outcome openRegular(const std::string& path, bool followLink, std::FILE*& stream) {
    const PathKind kind = followLink ? targetKind(path) : pathKind(path);
    if (kind != PathKind::Regular && kind != PathKind::Missing) return notRegular(path, kind);
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | (followLink ? 0 : O_NOFOLLOW));
    if (fd < 0) {
        if (errno == ELOOP && !followLink) return notRegular(path, PathKind::Link);
        return failure(systemError("Cannot open", path));
    }
    struct stat st {};
    PathKind found = PathKind::Regular;
    if (::fstat(fd, &st) != 0) found = PathKind::Other;
    else if (S_ISDIR(st.st_mode)) found = PathKind::Folder;
    else if (S_ISFIFO(st.st_mode)) found = PathKind::Fifo;
    else if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode)) found = PathKind::Device;
    else if (!S_ISREG(st.st_mode)) found = PathKind::Other;
    if (found != PathKind::Regular) {
        ::close(fd);
        return notRegular(path, found);
    }
    // Reads of a regular file never wait; the flag is cleared all the same.
    (void)::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    stream = ::fdopen(fd, "rb");
    if (stream == nullptr) {
        ::close(fd);
        return failure(systemError("Cannot open", path));
    }
    return success();
}
#endif

}  // namespace

std::string systemError(const std::string& what, const std::string& path) {
    int code = errno;
    std::string text = what + " " + path;
    if (code != 0) {
        text += ": ";
        text += std::strerror(code);
    }
    return text;
}

File::~File() {
    if (handle_) std::fclose(handle_);
}

File::File(File&& other) noexcept
    : handle_(other.handle_), path_(std::move(other.path_)), writable_(other.writable_), failed_(other.failed_) {
    other.handle_ = nullptr;
}

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        if (handle_) std::fclose(handle_);
        handle_ = other.handle_;
        path_ = std::move(other.path_);
        writable_ = other.writable_;
        failed_ = other.failed_;
        other.handle_ = nullptr;
    }
    return *this;
}

Outcome File::open(const std::string& path, FileMode mode) {
    if (handle_) {
        std::fclose(handle_);
        handle_ = nullptr;
    }
    path_ = path;
    const bool reads = mode == FileMode::Read || mode == FileMode::ReadNoLink;
    writable_ = !reads;
    failed_ = false;
    errno = 0;
    const bool creates = mode == FileMode::Write || mode == FileMode::Append;
    if (injectFault(creates ? IoCall::Create : IoCall::Open)) return failure(systemError("Cannot open", path));
    if (reads) return openRegular(path, mode == FileMode::Read, handle_);
    handle_ = openStream(path, mode);
    if (!handle_) return failure(systemError("Cannot open", path));
    return success();
}

std::uint64_t File::size() {
    if (!handle_) return 0;
    std::fflush(handle_);
    std::int64_t here = position(handle_);
    if (seekEnd(handle_) != 0) return 0;
    std::int64_t end = position(handle_);
    if (here >= 0) seekTo(handle_, static_cast<std::uint64_t>(here));
    return end < 0 ? 0 : static_cast<std::uint64_t>(end);
}

Outcome File::seek(std::uint64_t offset) {
    errno = 0;
    if (!handle_ || seekTo(handle_, offset) != 0)
        return failure(systemError("Cannot seek in", path_));
    return success();
}

std::uint64_t File::tell() {
    if (!handle_) return 0;
    std::int64_t p = position(handle_);
    return p < 0 ? 0 : static_cast<std::uint64_t>(p);
}

std::size_t File::readSome(void* buffer, std::size_t n) {
    if (!handle_ || n == 0) return 0;
    if (injectFault(IoCall::Read)) {
        failed_ = true;
        return 0;
    }
    return std::fread(buffer, 1, n, handle_);
}

bool File::failed() const { return failed_ || (handle_ && std::ferror(handle_)); }

Outcome File::readExact(void* buffer, std::size_t n) {
    errno = 0;
    std::size_t got = readSome(buffer, n);
    if (got == n) return success();
    if (failed()) return failure(systemError("Cannot read", path_));
    return failure(path_ + " is shorter than its header says (it ends before byte " +
                   std::to_string(tell() + (n - got)) + ")");
}

Outcome File::readAt(std::uint64_t offset, void* buffer, std::size_t n) {
    Outcome sought = seek(offset);
    if (!sought) return sought;
    return readExact(buffer, n);
}

Outcome File::write(const void* data, std::size_t n) {
    errno = 0;
    if (!handle_) return failure("Cannot write " + path_ + ": the file is not open");
    if (n == 0) return success();
    if (injectFault(IoCall::Write)) {
        failed_ = true;
        return failure(systemError("Cannot write", path_));
    }
    if (std::fwrite(data, 1, n, handle_) != n) return failure(systemError("Cannot write", path_));
    return success();
}

Outcome File::sync() {
    errno = 0;
    if (!handle_) return success();
    if (injectFault(IoCall::Flush) || std::fflush(handle_) != 0) return failure(systemError("Cannot write", path_));
    if (injectFault(IoCall::Sync)) return failure(systemError("Cannot sync", path_));
#if defined(_WIN32)
    HANDLE os = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(handle_)));
    if (os == INVALID_HANDLE_VALUE || !FlushFileBuffers(os)) {
        errno = EIO;
        return failure(systemError("Cannot sync", path_));
    }
#else
    if (fsync(fileno(handle_)) != 0 && errno != EINVAL && errno != EROFS)
        return failure(systemError("Cannot sync", path_));
#endif
    return success();
}

Outcome File::close() {
    if (!handle_) return success();
    errno = 0;
    bool failed = std::ferror(handle_) != 0 || (writable_ && failed_);
    if (writable_ && !failed && injectFault(IoCall::Flush)) failed = true;
    failed = (std::fclose(handle_) != 0) || failed;
    handle_ = nullptr;
    if (failed) return failure(systemError("Cannot write", path_));
    return success();
}

Outcome copyRange(File& in, std::uint64_t offset, std::uint64_t length, File& out) {
    if (length == 0) return success();
#if defined(__linux__)
    // Let the kernel move the bytes: no copy through user space.
    if (std::fflush(out.handle()) == 0) {
        int inFd = fileno(in.handle());
        int outFd = fileno(out.handle());
        loff_t inOffset = static_cast<loff_t>(offset);
        std::uint64_t left = length;
        bool kernelCopy = true;
        while (left > 0) {
            std::size_t chunk = left > (1u << 30) ? (1u << 30) : static_cast<std::size_t>(left);
            errno = 0;
            if (injectFault(IoCall::Write)) return failure(systemError("Cannot copy into", out.path()));
            ssize_t moved = copy_file_range(inFd, &inOffset, outFd, nullptr, chunk, 0);
            if (moved <= 0) {
                if (moved == 0) {
                    return failure(in.path() + " ends before byte " +
                                   std::to_string(offset + length));
                }
                if (left == length && (errno == EXDEV || errno == ENOSYS || errno == EINVAL ||
                                       errno == EOPNOTSUPP || errno == EBADF)) {
                    kernelCopy = false;  // fall back to a buffered copy
                    break;
                }
                return failure(systemError("Cannot copy into", out.path()));
            }
            left -= static_cast<std::uint64_t>(moved);
        }
        if (kernelCopy) {
            // Bring the stream's idea of its position in line with the descriptor.
            off_t end = lseek(outFd, 0, SEEK_CUR);
            if (end < 0 || fseeko(out.handle(), end, SEEK_SET) != 0)
                return failure(systemError("Cannot seek in", out.path()));
            return success();
        }
    }
#endif
    Outcome sought = in.seek(offset);
    if (!sought) return sought;
    std::vector<std::uint8_t> buffer(kCopyBufferSize);
    std::uint64_t left = length;
    while (left > 0) {
        std::size_t chunk = left < buffer.size() ? static_cast<std::size_t>(left) : buffer.size();
        Outcome got = in.readExact(buffer.data(), chunk);
        if (!got) return got;
        Outcome put = out.write(buffer.data(), chunk);
        if (!put) return put;
        left -= chunk;
    }
    return success();
}

Outcome appendWhole(const std::string& path, std::string_view bytes) {
    const bool existed = pathExists(path);
    File file;
    Outcome done = file.open(path, FileMode::Append);
    if (!done) return done;
    const std::uint64_t oldSize = file.size();
    done = file.write(bytes.data(), bytes.size());
    Outcome closed = file.close();
    if (done) done = closed;
    if (done) return done;
    std::error_code ec;
    if (!existed)
        std::filesystem::remove(nativePath(path), ec);
    else
        std::filesystem::resize_file(nativePath(path), oldSize, ec);
    return done;
}

Outcome copyFile(const std::string& from, const std::string& to) {
    File in;
    Outcome opened = in.open(from, FileMode::Read);
    if (!opened) return opened;
    File out;
    opened = out.open(to, FileMode::Write);
    if (!opened) return opened;
    Outcome copied = copyRange(in, 0, in.size(), out);
    if (!copied) return copied;
    return out.close();
}

bool sameFile(const std::string& a, const std::string& b) {
    std::error_code ec;
    return std::filesystem::equivalent(nativePath(a), nativePath(b), ec) && !ec;
}

}  // namespace sonkrate::io
