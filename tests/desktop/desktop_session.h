// Driving the real window in tests: a private Xvfb display, the sonkrate
// program copied into a scratch folder with a fresh home, its state dump,
// xdotool as the user's hands, and the window manager's close message.
#pragma once

#include <sys/types.h>

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "testkit/testkit.h"

namespace desktop_test {

// An Xvfb server on a display number it picked itself.
class XServer {
public:
    XServer() = default;
    ~XServer();
    // False with the reason when Xvfb is missing or does not start.
    bool start(std::string& why);
    const std::string& display() const { return display_; }

private:
    pid_t pid_ = -1;
    std::string display_;
};

// The window's state dump, parsed.
struct UiDump {
    std::vector<std::string> lines;
    bool empty() const { return lines.empty(); }
    // The first line that starts with prefix, or "".
    std::string line(const std::string& prefix) const;
    // The integer after "key=" in that line; -1 when absent.
    int field(const std::string& prefix, const std::string& key) const;
    std::string controlText(int id) const;
    bool controlShown(int id) const { return field("control " + std::to_string(id) + " ", "shown") == 1; }
    bool controlEnabled(int id) const { return field("control " + std::to_string(id) + " ", "enabled") == 1; }
    std::vector<std::string> listItems(int id) const;
    // The integers that follow prefix in its line, up to the first word that is not one.
    std::vector<int> numbers(const std::string& prefix) const;
    // The unescaped text that follows prefix in its line.
    std::string rest(const std::string& prefix) const;
    // Every line that starts with prefix.
    std::vector<std::string> all(const std::string& prefix) const;
    // x and width of a menu bar title, in window pixels.
    std::optional<std::pair<int, int>> menuTitle(const std::string& title) const;
};

// One run of the sonkrate program.
class App {
public:
    explicit App(const testkit::ScratchDir& root);
    ~App();

    std::string appDir, home, documents, dataDir, dumpPath, audioPath, logPath;

    // Copies the programs and the help file into appDir and starts the
    // window on display with the extra environment and the arguments; cwd is dataDir.
    bool start(const std::string& display, const std::vector<std::pair<std::string, std::string>>& env = {},
               const std::vector<std::string>& arguments = {});
    // Starts another program the same way, with the same environment and folders.
    bool launch(const std::string& program, const std::string& display,
                const std::vector<std::pair<std::string, std::string>>& env = {},
                const std::vector<std::string>& arguments = {});
    std::optional<int> waitExit(int timeoutMs);
    pid_t pid() const { return pid_; }

    UiDump dump() const;
    // Polls the dump until test holds; false after timeoutMs.
    bool waitFor(const std::function<bool(const UiDump&)>& test, int timeoutMs, UiDump* last = nullptr) const;

private:
    pid_t pid_ = -1;
};

// xdotool on the display; the result of the run.
testkit::RunResult xdo(const std::string& display, const std::string& arguments);
// The ids of the windows named exactly name (xdotool search).
std::vector<unsigned long> findWindows(const std::string& display, const std::string& name);
// Polls for a window named name; 0 after timeoutMs.
unsigned long waitForWindow(const std::string& display, const std::string& name, int timeoutMs);
// Clicks at window pixels of a window.
void clickAt(const std::string& display, unsigned long window, int x, int y);
// Opens a pop-up of the menu bar by a click on its title and takes its
// item number index (0 first) with the keyboard.
bool chooseMenu(const std::string& display, const App& app, unsigned long window, const std::string& title, int index);
// Sends WM_DELETE_WINDOW as a window manager does for the close button.
bool closeWindow(const std::string& display, unsigned long window);
// A screenshot of the whole display kept among the test artifacts; its path.
std::string screenshot(const std::string& display, const std::string& name);

// Polls test every 50 ms for up to timeoutMs.
bool eventually(const std::function<bool()>& test, int timeoutMs);

}  // namespace desktop_test
