#include "desktop_session.h"

#include <X11/Xlib.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <thread>

#include "platform/fltk/ui_dump.h"

extern char** environ;

namespace desktop_test {

namespace fs = std::filesystem;

namespace {

std::optional<int> reap(pid_t pid, int timeoutMs) {
    for (int waited = 0;; waited += 10) {
        int status = 0;
        pid_t r = waitpid(pid, &status, WNOHANG);
        if (r == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        if (r < 0) return -1;
        if (waited >= timeoutMs) return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

void endChild(pid_t pid) {
    if (pid <= 0) return;
    if (reap(pid, 0)) return;
    kill(pid, SIGTERM);
    if (reap(pid, 3000)) return;
    kill(pid, SIGKILL);
    reap(pid, 3000);
}

}  // namespace

bool eventually(const std::function<bool()>& test, int timeoutMs) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (test()) return true;
        if (std::chrono::steady_clock::now() >= end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

// ---- Xvfb ------------------------------------------------------------------------------

XServer::~XServer() { endChild(pid_); }

bool XServer::start(std::string& why) {
    if (!testkit::haveTool("Xvfb")) {
        why = "Xvfb is not installed (Debian package xvfb)";
        return false;
    }
    int fds[2];
    if (pipe(fds) != 0) {
        why = "no pipe";
        return false;
    }
    pid_ = fork();
    if (pid_ == 0) {
        close(fds[0]);
        int null = open("/dev/null", O_RDWR);
        dup2(null, 0);
        dup2(null, 1);
        dup2(null, 2);
        std::string fd = std::to_string(fds[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24", "-nolisten", "tcp",
               "-noreset", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    std::string number;
    pollfd p{fds[0], POLLIN, 0};
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while (number.find('\n') == std::string::npos && std::chrono::steady_clock::now() < end) {
        if (poll(&p, 1, 100) <= 0) continue;
        char c[16];
        ssize_t n = read(fds[0], c, sizeof c);
        if (n <= 0) break;
        number.append(c, static_cast<std::size_t>(n));
    }
    close(fds[0]);
    if (number.find('\n') == std::string::npos) {
        why = "Xvfb did not start";
        return false;
    }
    display_ = ":" + number.substr(0, number.find('\n'));
    return true;
}

// ---- The dump --------------------------------------------------------------------------

std::string UiDump::line(const std::string& prefix) const {
    for (const auto& l : lines)
        if (l.rfind(prefix, 0) == 0) return l;
    return {};
}

int UiDump::field(const std::string& prefix, const std::string& key) const {
    std::string l = line(prefix);
    std::size_t at = l.find(" " + key + "=");
    if (at == std::string::npos) return -1;
    return std::atoi(l.c_str() + at + key.size() + 2);
}

std::string UiDump::controlText(int id) const {
    std::string l = line("control " + std::to_string(id) + " ");
    std::size_t at = l.find(" text=");
    return at == std::string::npos ? std::string() : sonkrate::platform::desktop::unescapeDumpText(l.substr(at + 6));
}

std::vector<std::string> UiDump::listItems(int id) const {
    std::vector<std::string> items;
    std::string prefix = "list-item " + std::to_string(id) + " ";
    for (const auto& l : lines) {
        if (l.rfind(prefix, 0) != 0) continue;
        std::size_t at = l.find(' ', prefix.size());
        items.push_back(sonkrate::platform::desktop::unescapeDumpText(at == std::string::npos ? "" : l.substr(at + 1)));
    }
    return items;
}

std::vector<int> UiDump::numbers(const std::string& prefix) const {
    std::vector<int> out;
    std::string l = line(prefix);
    if (l.empty()) return out;
    std::istringstream in(l.substr(prefix.size()));
    for (std::string word; in >> word;) {
        char* end = nullptr;
        long v = std::strtol(word.c_str(), &end, 10);
        if (word.empty() || *end != '\0') break;
        out.push_back(static_cast<int>(v));
    }
    return out;
}

std::string UiDump::rest(const std::string& prefix) const {
    std::string l = line(prefix);
    return l.empty() ? std::string() : sonkrate::platform::desktop::unescapeDumpText(l.substr(prefix.size()));
}

std::vector<std::string> UiDump::all(const std::string& prefix) const {
    std::vector<std::string> out;
    for (const auto& l : lines)
        if (l.rfind(prefix, 0) == 0) out.push_back(l);
    return out;
}

std::optional<std::pair<int, int>> UiDump::menuTitle(const std::string& title) const {
    for (const auto& l : lines) {
        std::istringstream in(l);
        std::string tag, name;
        int x = 0, w = 0;
        if (!(in >> tag >> x >> w) || tag != "menu-title") continue;
        std::getline(in, name);
        if (!name.empty() && name[0] == ' ') name.erase(0, 1);
        if (sonkrate::platform::desktop::unescapeDumpText(name) == title) return std::make_pair(x, w);
    }
    return std::nullopt;
}

// ---- The program -----------------------------------------------------------------------

App::App(const testkit::ScratchDir& root) {
    appDir = root.file("app");
    home = root.file("home");
    documents = home + "/Documents";
    dataDir = root.file("data");
    dumpPath = root.file("ui.dump");
    audioPath = root.file("device.raw");
    logPath = root.file("sonkrate.log");
    for (const auto& d : {appDir, home, dataDir}) fs::create_directories(d);
    // FLTK's own file chooser, the same on every machine, whatever GTK is there.
    fs::create_directories(home + "/.fltk/fltk.org");
    testkit::writeText(home + "/.fltk/fltk.org/fltk.prefs",
                       "; FLTK preferences file format 1.0\n; vendor: fltk.org\n; application: fltk\n\n[.]\n\n\n"
                       "[./options]\n\nFNFCUsesGTK:0\n");
}

App::~App() { endChild(pid_); }

bool App::start(const std::string& display, const std::vector<std::pair<std::string, std::string>>& env,
                const std::vector<std::string>& arguments) {
    std::error_code ec;
    fs::copy_file(SONKRATE_GUI_PATH, appDir + "/sonkrate", fs::copy_options::overwrite_existing, ec);
    if (ec) return false;
    fs::copy_file(SONKRATE_KILLSWITCH_PATH, appDir + "/auto_stop", fs::copy_options::overwrite_existing, ec);
    if (ec) return false;
    std::string help = std::string(SONKRATE_DESKTOP_DIR) + "/Sonkrate-help.chm";
    if (fs::exists(help)) fs::copy_file(help, appDir + "/Sonkrate-help.chm", fs::copy_options::overwrite_existing, ec);
    return launch(appDir + "/sonkrate", display, env, arguments);
}

bool App::launch(const std::string& program, const std::string& display,
                 const std::vector<std::pair<std::string, std::string>>& env, const std::vector<std::string>& arguments) {

    std::vector<std::pair<std::string, std::string>> settings = {
        {"DISPLAY", display},       {"HOME", home},
        {"SONKRATE_UI_DUMP", dumpPath}, {"SDL_AUDIODRIVER", "disk"},
        {"SDL_DISKAUDIOFILE", audioPath}};
    settings.insert(settings.end(), env.begin(), env.end());
    std::vector<std::string> environment;
    for (char** e = environ; *e; ++e) {
        std::string entry = *e;
        std::string name = entry.substr(0, entry.find('='));
        if (name == "XDG_CONFIG_HOME" || name == "XDG_DATA_HOME") continue;
        bool replaced = false;
        for (const auto& [k, v] : settings) replaced = replaced || k == name;
        if (!replaced) environment.push_back(entry);
    }
    for (const auto& [k, v] : settings) environment.push_back(k + "=" + v);

    std::string path = program;
    std::vector<std::string> words = arguments;
    std::vector<char*> argv = {path.data()};
    for (auto& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    pid_ = fork();
    if (pid_ == 0) {
        std::vector<char*> envp;
        for (auto& e : environment) envp.push_back(e.data());
        envp.push_back(nullptr);
        if (chdir(dataDir.c_str()) != 0) _exit(126);
        int log = open(logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int null = open("/dev/null", O_RDONLY);
        dup2(null, 0);
        dup2(log, 1);
        dup2(log, 2);
        execve(path.c_str(), argv.data(), envp.data());
        _exit(127);
    }
    return pid_ > 0;
}

std::optional<int> App::waitExit(int timeoutMs) {
    std::optional<int> code = reap(pid_, timeoutMs);
    if (code) pid_ = -1;
    return code;
}

UiDump App::dump() const {
    UiDump d;
    std::istringstream in(testkit::fileExists(dumpPath) ? testkit::readText(dumpPath) : std::string());
    for (std::string l; std::getline(in, l);) d.lines.push_back(l);
    return d;
}

bool App::waitFor(const std::function<bool(const UiDump&)>& test, int timeoutMs, UiDump* last) const {
    UiDump d;
    bool ok = eventually([&] { return test(d = dump()); }, timeoutMs);
    if (last) *last = d;
    return ok;
}

// ---- The user's hands ------------------------------------------------------------------

testkit::RunResult xdo(const std::string& display, const std::string& arguments) {
    return testkit::run("DISPLAY=" + testkit::quote(display) + " xdotool " + arguments);
}

std::vector<unsigned long> findWindows(const std::string& display, const std::string& name) {
    std::vector<unsigned long> found;
    // The name is a regular expression for xdotool; the names sought have
    // no special characters beyond the ones escaped here.
    std::string pattern;
    for (char c : name) {
        if (std::strchr("()[].*+?^$\\|", c)) pattern += '\\';
        pattern += c;
    }
    auto r = xdo(display, "search --name " + testkit::quote("^" + pattern + "$"));
    std::istringstream in(r.out);
    for (unsigned long id; in >> id;) found.push_back(id);
    return found;
}

unsigned long waitForWindow(const std::string& display, const std::string& name, int timeoutMs) {
    unsigned long id = 0;
    eventually(
        [&] {
            auto w = findWindows(display, name);
            if (!w.empty()) id = w.front();
            return id != 0;
        },
        timeoutMs);
    return id;
}

void clickAt(const std::string& display, unsigned long window, int x, int y) {
    xdo(display, "mousemove --window " + std::to_string(window) + " " + std::to_string(x) + " " + std::to_string(y) +
                     " click 1");
}

bool chooseMenu(const std::string& display, const App& app, unsigned long window, const std::string& title, int index) {
    auto place = app.dump().menuTitle(title);
    if (!place) return false;
    clickAt(display, window, place->first + place->second / 2, 12);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    std::string keys;
    for (int i = 0; i <= index; ++i) keys += " Down";
    return xdo(display, "key" + keys + " Return").exitCode == 0;
}

bool closeWindow(const std::string& display, unsigned long window) {
    Display* d = XOpenDisplay(display.c_str());
    if (!d) return false;
    XEvent ev{};
    ev.xclient.type = ClientMessage;
    ev.xclient.window = window;
    ev.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
    ev.xclient.format = 32;
    ev.xclient.data.l[0] = static_cast<long>(XInternAtom(d, "WM_DELETE_WINDOW", False));
    ev.xclient.data.l[1] = CurrentTime;
    Status sent = XSendEvent(d, window, False, NoEventMask, &ev);
    XFlush(d);
    XCloseDisplay(d);
    return sent != 0;
}

std::string screenshot(const std::string& display, const std::string& name) {
    fs::create_directories(SONKRATE_ARTIFACT_DIR);
    std::string path = std::string(SONKRATE_ARTIFACT_DIR) + "/" + name + ".png";
    testkit::run("DISPLAY=" + testkit::quote(display) + " import -window root " + testkit::quote(path));
    return path;
}

}  // namespace desktop_test
