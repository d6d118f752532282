#include "win_probe.h"

#include <tlhelp32.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "io/paths.h"
#include "io/unicode_text.h"

namespace sonkrate::wintest {

namespace {

// Under the driver script a failure first asks for a screenshot: the
// request file appears beside this program and the driver answers with
// the same name + ".done" once it has taken it.
void requestScreenshot() {
    static bool asked = false;
    if (asked || !std::getenv("WINDOW_SMOKE_SCREENSHOTS")) return;
    asked = true;
    std::string request = io::joinPath(programFolder(), "screenshot.request");
    if (!writeFileText(request, "1")) return;
    waitUntil([&] { return fileExists(request + ".done"); }, 5000, 100);
}

struct WindowQuery {
    DWORD pid;
    std::string className;
    std::string title;
    std::vector<HWND> found;
};

BOOL CALLBACK collectWindow(HWND window, LPARAM data) {
    auto* q = reinterpret_cast<WindowQuery*>(data);
    if (q->pid != 0 && processOf(window) != q->pid) return TRUE;
    if (!q->className.empty() && classNameOf(window) != q->className) return TRUE;
    if (!q->title.empty()) {
        char title[256] = {};
        // A top-level window's title is kept by the system: no message needed.
        GetWindowTextA(window, title, sizeof title);
        if (q->title != title) return TRUE;
    }
    q->found.push_back(window);
    return TRUE;
}

// Line ends and other control characters shown as C escapes.
std::string visible(const std::string& text) {
    std::string out;
    for (char ch : text) {
        auto u = static_cast<unsigned char>(ch);
        if (ch == '\r') out += "\\r";
        else if (ch == '\n') out += "\\n";
        else if (ch == '\t') out += "\\t";
        else if (u < 0x20) {
            char code[8];
            std::snprintf(code, sizeof code, "\\x%02x", u);
            out += code;
        } else out += ch;
    }
    return out;
}

std::string fromWide(const wchar_t* text, int length) {
    int n = WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(std::max(n, 0)), '\0');
    if (n > 0) WideCharToMultiByte(CP_ACP, 0, text, length, out.data(), n, nullptr, nullptr);
    return out;
}

}  // namespace

// ---- Checks ---------------------------------------------------------------------------

bool Checks::expect(bool held, const std::string& what) {
    if (!held) fail(what);
    return held;
}

bool Checks::expectText(const std::string& what, const std::string& expected, const std::string& found) {
    if (expected == found) return true;
    fail(what + ": expected \"" + visible(expected) + "\", found \"" + visible(found) + "\"");
    return false;
}

bool Checks::expectNumber(const std::string& what, long long expected, long long found) {
    if (expected == found) return true;
    fail(what + ": expected " + std::to_string(expected) + ", found " + std::to_string(found));
    return false;
}

void Checks::fail(const std::string& message) {
    ++failures_;
    std::printf("FAIL %s: %s\n", scope_.c_str(), message.c_str());
    std::fflush(stdout);
    requestScreenshot();
}

// ---- Processes ------------------------------------------------------------------------

Process::~Process() {
    end();
    if (process_) CloseHandle(process_);
    if (job_) CloseHandle(job_);
}

bool Process::start(const std::string& exe, const std::string& arguments, const std::string& folder,
                    std::string& error) {
    // The wide call, so that paths of any script reach the program.
    std::wstring commandLine = io::toWide("\"" + exe + "\"" + (arguments.empty() ? "" : " " + arguments));
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(io::toWide(exe).c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED,
                        nullptr, io::toWide(folder).c_str(), &si, &pi)) {
        error = "cannot start " + exe + " (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    // A job that cannot be made only costs the clean-up of a failed run.
    job_ = CreateJobObjectA(nullptr, nullptr);
    if (job_) {
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        SetInformationJobObject(job_, JobObjectExtendedLimitInformation, &limits, sizeof limits);
        AssignProcessToJobObject(job_, pi.hProcess);
    }
    ResumeThread(pi.hThread);
    CloseHandle(pi.hThread);
    process_ = pi.hProcess;
    id_ = pi.dwProcessId;
    return true;
}

std::optional<DWORD> Process::waitForExit(DWORD timeoutMs) {
    if (!process_ || WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0) return std::nullopt;
    DWORD code = 0;
    if (!GetExitCodeProcess(process_, &code)) return std::nullopt;
    return code;
}

void Process::end() {
    if (job_) TerminateJobObject(job_, 99);
    if (process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_, 99);
        WaitForSingleObject(process_, 5000);
    }
}

// ---- Windows --------------------------------------------------------------------------

bool waitUntil(const std::function<bool()>& ready, DWORD timeoutMs, DWORD stepMs) {
    ULONGLONG end = GetTickCount64() + timeoutMs;
    for (;;) {
        if (ready()) return true;
        if (GetTickCount64() >= end) return false;
        Sleep(stepMs);
    }
}

std::vector<HWND> topWindowsOf(DWORD pid, const std::string& className, const std::string& title) {
    WindowQuery q{pid, className, title, {}};
    EnumWindows(collectWindow, reinterpret_cast<LPARAM>(&q));
    return q.found;
}

HWND waitForTopWindow(DWORD pid, const std::string& className, const std::string& title, DWORD timeoutMs) {
    HWND found = nullptr;
    waitUntil(
        [&] {
            std::vector<HWND> windows = topWindowsOf(pid, className, title);
            found = windows.empty() ? nullptr : windows.front();
            return found != nullptr;
        },
        timeoutMs, 100);
    return found;
}

DWORD parentProcessOf(DWORD pid) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return 0;
    DWORD parent = 0;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        if (entry.th32ProcessID == pid) {
            parent = entry.th32ParentProcessID;
            break;
        }
    }
    CloseHandle(snapshot);
    return parent;
}

DWORD processOf(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    return pid;
}

std::string classNameOf(HWND window) {
    char name[256] = {};
    int n = GetClassNameA(window, name, sizeof name);
    return std::string(name, static_cast<std::size_t>(std::max(n, 0)));
}

std::optional<std::string> textOf(HWND window, DWORD timeoutMs) {
    // The wide messages: texts of any script come back whole, as UTF-8.
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, timeoutMs, &length)) return std::nullopt;
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    DWORD_PTR got = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_NORMAL,
                             timeoutMs, &got))
        return std::nullopt;
    text.resize(std::min(static_cast<std::size_t>(got), text.size() - 1));
    return io::fromWide(text);
}

bool setTextOf(HWND window, const std::string& text, DWORD timeoutMs) {
    std::wstring wide = io::toWide(text);
    DWORD_PTR answer = 0;
    return SendMessageTimeoutW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()), SMTO_NORMAL, timeoutMs,
                               &answer) != 0;
}

std::vector<std::string> listItemsOf(HWND listBox) {
    // The wide message: Wine hands the ANSI one wide text across processes.
    std::vector<std::string> items;
    LRESULT count = SendMessageW(listBox, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        LRESULT length = SendMessageW(listBox, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
        if (length < 0) break;
        std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
        LRESULT got = SendMessageW(listBox, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
        items.push_back(got > 0 ? fromWide(text.data(), static_cast<int>(got)) : std::string());
    }
    return items;
}

RECT placeInParent(HWND child) {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::string describe(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.right - r.left) + "x" +
           std::to_string(r.bottom - r.top);
}

bool sendWithin(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD timeoutMs, LRESULT* result) {
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, timeoutMs, &answer)) return false;
    if (result) *result = static_cast<LRESULT>(answer);
    return true;
}

// ---- Files ----------------------------------------------------------------------------

std::string programFolder() {
    wchar_t path[MAX_PATH] = {};
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    return io::folderOf(io::fromWide(std::wstring_view(path, n)));
}

bool fileExists(const std::string& path) {
    return GetFileAttributesW(io::toWide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::optional<std::uint64_t> fileSizeOf(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(io::toWide(path).c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
    return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::optional<std::string> fileText(const std::string& path) {
    std::ifstream in(io::nativePath(path), std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool writeFileText(const std::string& path, const std::string& text) {
    std::ofstream out(io::nativePath(path), std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    return static_cast<bool>(out);
}

std::string lowerCase(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// ---- Menus ----------------------------------------------------------------------------

const MenuItemInfo* MenuReport::find(int id) const {
    for (const auto& item : items)
        if (item.id == id) return &item;
    return nullptr;
}

namespace {

// Sends the registered message to window with the hook library hooked into
// its thread, so that the hook acts inside the window's process.
bool sendThroughHook(HWND window, const std::string& hookLibrary, const char* messageName, std::string& error) {
    HMODULE library = LoadLibraryA(hookLibrary.c_str());
    if (!library) {
        error = "cannot load " + hookLibrary;
        return false;
    }
    auto hook = reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(GetProcAddress(library, "menuProbeHook")));
    DWORD thread = GetWindowThreadProcessId(window, nullptr);
    HHOOK installed = hook ? SetWindowsHookExA(WH_CALLWNDPROC, hook, library, thread) : nullptr;
    if (!installed) {
        error = "cannot hook the window's thread (error " + std::to_string(GetLastError()) + ")";
        FreeLibrary(library);
        return false;
    }
    bool sent = sendWithin(window, RegisterWindowMessageA(messageName), 0, 0, 10000);
    UnhookWindowsHookEx(installed);
    FreeLibrary(library);
    if (!sent) error = "the window did not answer the probe";
    return sent;
}

}  // namespace

bool dropOnArchiveRow(HWND window, int row, const std::string& path, const std::string& hookLibrary,
                      std::string& error) {
    const std::string request = io::joinPath(io::folderOf(hookLibrary), "drop_request.txt");
    if (!writeFileText(request, std::to_string(row) + "\n" + path + "\n")) {
        error = "cannot write " + request;
        return false;
    }
    return sendThroughHook(window, hookLibrary, "sonkrate_drop_probe", error);
}

std::optional<MenuReport> probeMenu(HWND window, const std::string& hookLibrary, std::string& error) {
    // The hook writes its report beside itself while the window handles
    // the probe message, so the report is complete once the send returns.
    std::string report = io::joinPath(io::folderOf(hookLibrary), "menu_report.txt");
    DeleteFileA(report.c_str());
    bool sent = sendThroughHook(window, hookLibrary, "sonkrate_menu_probe", error);
    std::optional<std::string> text = fileText(report);
    if (!sent || !text) {
        if (sent) error = "the hook wrote no report " + report;
        return std::nullopt;
    }
    MenuReport menu;
    std::istringstream lines(*text);
    std::string line;
    while (std::getline(lines, line)) {
        std::vector<std::string> fields;
        std::istringstream split(line);
        for (std::string field; std::getline(split, field, '\t');) fields.push_back(field);
        // An empty last field leaves no field behind the last tab.
        if (fields.size() >= 2 && fields[0] == "popup") menu.popups.push_back(fields.size() >= 3 ? fields[2] : "");
        if (fields.size() >= 3 && fields[0] == "item")
            menu.items.push_back({std::atoi(fields[1].c_str()),
                                  static_cast<UINT>(std::strtoul(fields[2].c_str(), nullptr, 16)),
                                  fields.size() >= 4 ? fields[3] : ""});
        if (fields.size() == 1 && fields[0] == "nomenu") {
            error = "the window has no menu bar";
            return std::nullopt;
        }
    }
    return menu;
}

}  // namespace sonkrate::wintest
