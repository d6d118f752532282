// auto_stop.exe on its own: its window, the flag it writes (named on its
// command line or beside itself), a flag it cannot write, and SC_CLOSE.
#include <string>

#include "io/paths.h"
#include "io/unicode_text.h"
#include "smoke_modes.h"

namespace sonkrate::wintest {

namespace {

constexpr char kTitle[] = "Auto_Stop (KillSwitch)";
constexpr int kStopButton = 1;

BOOL CALLBACK collectText(HWND child, LPARAM data) {
    if (std::optional<std::string> text = textOf(child, 2000)) *reinterpret_cast<std::string*>(data) += *text + "\n";
    return TRUE;
}

// Every text of the window's children, one a line.
std::string childTexts(HWND window) {
    std::string texts;
    EnumChildWindows(window, collectText, reinterpret_cast<LPARAM>(&texts));
    return texts;
}

struct Switch {
    Process process;
    HWND window = nullptr;
    HWND stop = nullptr;
};

bool startSwitch(Checks& c, Switch& s, const std::string& exe, const std::string& arguments,
                 const std::string& folder) {
    std::string error;
    if (!c.expect(s.process.start(exe, arguments, folder, error), error)) return false;
    s.window = waitForTopWindow(s.process.id(), "", kTitle, 20000);
    if (!c.expect(s.window != nullptr, "no window \"" + std::string(kTitle) + "\" within 20 s")) return false;
    WaitForInputIdle(s.process.handle(), 5000);
    s.stop = GetDlgItem(s.window, kStopButton);
    return c.expect(s.stop != nullptr, "the kill switch has no control with id 1");
}

void closeSwitch(Checks& c, Switch& s) {
    // What sonkrate sends when automatic play has ended.
    PostMessageA(s.window, WM_SYSCOMMAND, SC_CLOSE, 0);
    std::optional<DWORD> code = s.process.waitForExit(10000);
    if (c.expect(code.has_value(), "auto_stop.exe still runs 10 s after SC_CLOSE"))
        c.expectNumber("exit code of auto_stop.exe", 0, *code);
}

void checkLooks(Checks& c, const Switch& s) {
    LONG style = GetWindowLongA(s.window, GWL_STYLE);
    const LONG wanted = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    c.expect((style & wanted) == wanted, "the kill switch lacks a caption, system menu or minimise box");
    c.expect((style & (WS_THICKFRAME | WS_MAXIMIZEBOX)) == 0, "the kill switch can be resized or maximised");
    c.expect(lowerCase(classNameOf(s.stop)) == "button", "control 1 is a " + classNameOf(s.stop) + ", not a button");
    c.expectText("text of control 1", "Stop", textOf(s.stop).value_or("<no answer>"));
    c.expect(IsWindowEnabled(s.stop) && IsWindowVisible(s.stop), "the Stop button is not usable at start");
}

// A flag named on the command line, with a blank in its path; the longer
// text there before must not survive behind the "1".
void checkNamedFlag(Checks& c, const std::string& exe, const std::string& folder, const std::string& flag) {
    writeFileText(flag, "0000\r\n");
    Switch s;
    if (!startSwitch(c, s, exe, "\"" + flag + "\"", folder)) return;
    checkLooks(c, s);
    std::string before = childTexts(s.window);
    c.expect(sendWithin(s.stop, BM_CLICK, 0, 0, 5000), "Stop cannot be pressed");
    c.expectText("the named flag after Stop", "1", fileText(flag).value_or("<missing>"));
    c.expect(!IsWindowEnabled(s.stop), "the Stop button is still enabled after the flag was written");
    c.expect(childTexts(s.window) != before, "the kill switch's note did not change after Stop");
    closeSwitch(c, s);
}

// No argument: tmpConf.ini beside the program, not in the current folder.
void checkFlagBesideProgram(Checks& c, const std::string& exe, const std::string& otherFolder) {
    std::string flag = io::joinPath(io::folderOf(exe), "tmpConf.ini");
    std::string stray = io::joinPath(otherFolder, "tmpConf.ini");
    DeleteFileA(flag.c_str());
    DeleteFileA(stray.c_str());
    Switch s;
    if (!startSwitch(c, s, exe, "", otherFolder)) return;
    c.expect(sendWithin(s.stop, BM_CLICK, 0, 0, 5000), "Stop cannot be pressed");
    c.expectText("tmpConf.ini beside auto_stop.exe after Stop", "1", fileText(flag).value_or("<missing>"));
    c.expect(!fileExists(stray), "the flag went to the current folder " + stray);
    closeSwitch(c, s);
}

// A flag in a folder that does not exist: a message box names the file,
// and the button stays usable for another try.
void checkUnwritableFlag(Checks& c, const std::string& exe, const std::string& folder) {
    std::string flag = io::joinPath(io::joinPath(folder, "no such folder"), "tmpConf.ini");
    Switch s;
    if (!startSwitch(c, s, exe, "\"" + flag + "\"", folder)) return;
    // Posted: the message box is modal and would hold a sent click.
    PostMessageA(s.stop, BM_CLICK, 0, 0);
    HWND box = waitForTopWindow(s.process.id(), "#32770", "", 10000);
    if (c.expect(box != nullptr, "no message box after a Stop whose flag cannot be written")) {
        char title[256] = {};
        GetWindowTextA(box, title, sizeof title);
        c.expect(std::string(title) != kTitle, "the message box has the kill switch's own title");
        std::string texts = childTexts(box);
        c.expect(lowerCase(texts).find(lowerCase(flag)) != std::string::npos,
                 "the message box does not name " + flag + "; it says: " + texts);
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        c.expect(waitUntil([&] { return !IsWindow(box); }, 5000), "the message box does not close on OK");
    }
    c.expect(IsWindowEnabled(s.stop) != FALSE, "the Stop button was disabled although nothing was written");
    c.expect(!fileExists(flag), "a flag appeared at " + flag);
    closeSwitch(c, s);
}

}  // namespace

int checkKillSwitch(const std::string& autoStopExe) {
    Checks c("killswitch");
    // A copy in a folder of its own, so that the flag beside it is ours.
    std::string folder = io::joinPath(programFolder(), "killswitch");
    CreateDirectoryA(folder.c_str(), nullptr);
    std::string exe = io::joinPath(folder, "auto_stop.exe");
    if (!c.expect(CopyFileA(autoStopExe.c_str(), exe.c_str(), FALSE) != FALSE, "cannot copy " + autoStopExe))
        return c.failures();

    checkNamedFlag(c, exe, folder, io::joinPath(folder, "stop flag.ini"));
    // A flag in a folder named in three scripts ("Zoë Дмитрий サウンド").
    std::string scripts = io::joinPath(folder, "Zo\xC3\xAB \xD0\x94\xD0\xBC\xD0\xB8\xD1\x82\xD1\x80\xD0\xB8\xD0\xB9 "
                                                "\xE3\x82\xB5\xE3\x82\xA6\xE3\x83\xB3\xE3\x83\x89");
    if (c.expect(CreateDirectoryW(io::toWide(scripts).c_str(), nullptr) != FALSE, "cannot make " + scripts))
        checkNamedFlag(c, exe, folder, io::joinPath(scripts, "tmpConf.ini"));
    checkFlagBesideProgram(c, exe, programFolder());
    checkUnwritableFlag(c, exe, folder);
    return c.failures();
}

}  // namespace sonkrate::wintest
