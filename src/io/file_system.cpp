#include "io/file_system.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "io/fault_hook.h"
#include "io/file.h"
#include "io/paths.h"
#include "io/unicode_text.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace sonkrate::io {

namespace fs = std::filesystem;

namespace {


#if defined(_WIN32)
// The system's own words for code, in UTF-8 (the ANSI text of a Windows in
// another language would not be).
std::string windowsError(const std::string& what, const std::string& path, DWORD code) {
    wchar_t* text = nullptr;
    const DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
    DWORD n = FormatMessageW(flags, nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring words = n > 0 && text ? std::wstring(text, n) : L"error " + std::to_wstring(code);
    if (text) LocalFree(text);
    while (!words.empty() && (words.back() == L'\n' || words.back() == L'\r' || words.back() == L' ')) words.pop_back();
    return what + " " + path + ": " + fromWide(words);
}

Outcome moveReplacing(const std::string& from, const std::string& to, DWORD extraFlags) {
    if (injectFault(IoCall::Rename)) return failure(systemError("Cannot replace", to));
    if (!MoveFileExW(toWide(from).c_str(), toWide(to).c_str(), MOVEFILE_REPLACE_EXISTING | extraFlags))
        return failure(windowsError("Cannot replace", to, GetLastError()));
    return success();
}
#endif

}  // namespace

Outcome removeFile(const std::string& path) {
    if (injectFault(IoCall::Remove)) return failure(systemError("Cannot remove", path));
    std::error_code ec;
    fs::remove(nativePath(path), ec);
    if (ec) return failure("Cannot remove " + path + ": " + ec.message());
    return success();
}

Outcome renameFile(const std::string& from, const std::string& to) {
#if defined(_WIN32)
    return moveReplacing(from, to, 0);
#else
    if (injectFault(IoCall::Rename)) return failure(systemError("Cannot replace", to));
    std::error_code ec;
    fs::rename(nativePath(from), nativePath(to), ec);
    if (ec) return failure("Cannot replace " + to + ": " + ec.message());
    return success();
#endif
}

Outcome renameDurably(const std::string& from, const std::string& to) {
#if defined(_WIN32)
    return moveReplacing(from, to, MOVEFILE_WRITE_THROUGH);
#else
    Outcome renamed = renameFile(from, to);
    if (!renamed) return renamed;
    // The new name is in place: a folder that cannot be synced leaves it there,
    // only less certain to survive a power cut, so it is not reported.
    (void)syncFolder(folderOf(to));
    return success();
#endif
}

Outcome syncFolder(const std::string& folder) {
#if defined(_WIN32)
    (void)folder;  // MoveFileEx with MOVEFILE_WRITE_THROUGH already waited for the disk
    return success();
#else
    if (injectFault(IoCall::Sync)) return failure(systemError("Cannot sync the folder", folder));
    const std::string path = folder.empty() ? std::string(".") : folder;
    int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return failure(systemError("Cannot open the folder", path));
    int rc = ::fsync(fd);
    int code = errno;
    ::close(fd);
    if (rc != 0 && code != EINVAL && code != EROFS) {
        errno = code;
        return failure(systemError("Cannot sync the folder", path));
    }
    return success();
#endif
}

Outcome createFolders(const std::string& folder) {
    if (injectFault(IoCall::Create)) return failure(systemError("Cannot create the folder", folder));
    std::error_code ec;
    fs::create_directories(nativePath(folder), ec);
    if (ec) return failure("Cannot create the folder " + folder + ": " + ec.message());
    return success();
}

bool pathExists(const std::string& path) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(nativePath(path), ec));
}

namespace {

#if defined(_WIN32)
PathKind kindOf(const std::string& path, bool follow) {
    const DWORD attributes = GetFileAttributesW(toWide(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return PathKind::Missing;
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 && !follow) return PathKind::Link;
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        std::error_code ec;
        const fs::file_status status = fs::status(nativePath(path), ec);
        if (ec || !fs::exists(status)) return PathKind::Missing;
        return fs::is_directory(status) ? PathKind::Folder : PathKind::Regular;
    }
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? PathKind::Folder : PathKind::Regular;
}
#else
PathKind kindOf(const std::string& path, bool follow) {
    struct stat st {};
    if ((follow ? ::stat(path.c_str(), &st) : ::lstat(path.c_str(), &st)) != 0) return PathKind::Missing;
    if (S_ISREG(st.st_mode)) return PathKind::Regular;
    if (S_ISDIR(st.st_mode)) return PathKind::Folder;
    if (S_ISLNK(st.st_mode)) return PathKind::Link;
    if (S_ISFIFO(st.st_mode)) return PathKind::Fifo;
    if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode)) return PathKind::Device;
    if (S_ISSOCK(st.st_mode)) return PathKind::Socket;
    return PathKind::Other;
}
#endif

}  // namespace

PathKind pathKind(const std::string& path) { return kindOf(path, false); }
PathKind targetKind(const std::string& path) { return kindOf(path, true); }

const char* pathKindText(PathKind kind) {
    switch (kind) {
    case PathKind::Missing: return "nothing (there is no such file)";
    case PathKind::Regular: return "a file";
    case PathKind::Folder: return "a folder";
    case PathKind::Link: return "a symbolic link";
    case PathKind::Fifo: return "a FIFO (named pipe)";
    case PathKind::Device: return "a device";
    case PathKind::Socket: return "a socket";
    case PathKind::Other: break;
    }
    return "something other than a file";
}

Outcome refuseLink(const std::string& path) {
    if (pathKind(path) != PathKind::Link) return success();
    return failure(path + " is a symbolic link; links inside a folder are not followed, so that nothing outside "
                          "it is read");
}

bool isFolder(const std::string& path) {
    std::error_code ec;
    return fs::is_directory(nativePath(path), ec);
}

bool isRegularFile(const std::string& path) {
    std::error_code ec;
    return fs::is_regular_file(nativePath(path), ec);
}

long currentProcessId() {
#if defined(_WIN32)
    return static_cast<long>(GetCurrentProcessId());
#else
    return static_cast<long>(getpid());
#endif
}

bool processRunning(long pid) {
    if (pid <= 0) return false;
#if defined(_WIN32)
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid));
    if (!process) return GetLastError() == ERROR_ACCESS_DENIED;
    DWORD code = 0;
    bool running = GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
    CloseHandle(process);
    return running;
#else
    // EPERM: it runs, under another user.
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
#endif
}

}  // namespace sonkrate::io
