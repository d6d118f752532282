// Compile-time checks of the Windows styles the window's controls get and of
// the file dialogs' filter string, against the numbers Windows itself uses;
// a wrong mapping does not build.
#include <string_view>

#include "platform/win32/control_styles.h"

namespace sonkrate::platform::win32 {
namespace {

constexpr bool styled(ControlKind kind, unsigned bits, std::string_view className, DWORD style, DWORD exStyle) {
    ControlStyles s = controlStyles(kind, bits);
    return std::string_view(s.className) == className && s.style == style && s.exStyle == exStyle;
}

// Every child is WS_CHILD | WS_VISIBLE (0x50000000); an edge is WS_EX_CLIENTEDGE (0x200).
static_assert(styled(ControlKind::ProgressBar, kStyleNone, "msctls_progress32", 0x50000000, 0));
// The status line: WS_VSCROLL, ES_READONLY, ES_MULTILINE.
static_assert(styled(ControlKind::Edit, kClientEdge | kVerticalScroll | kReadOnly | kMultiline, "EDIT", 0x50200804,
                     0x200));
static_assert(styled(ControlKind::Edit, kClientEdge, "EDIT", 0x50000000, 0x200));
// The number fields: ES_NUMBER, ES_READONLY.
static_assert(styled(ControlKind::Edit, kClientEdge | kNumbersOnly | kReadOnly, "EDIT", 0x50002800, 0x200));
// The names field: ES_READONLY, ES_UPPERCASE, ES_RIGHT, ES_CENTER.
static_assert(styled(ControlKind::Edit, kClientEdge | kReadOnly | kUpperCase | kAlignRight | kAlignCenter, "EDIT",
                     0x5000080B, 0x200));
// The caption input: WS_VSCROLL, ES_MULTILINE, ES_AUTOVSCROLL.
static_assert(styled(ControlKind::Edit, kClientEdge | kVerticalScroll | kMultiline | kAutoVerticalScroll, "EDIT",
                     0x50200044, 0x200));
static_assert(styled(ControlKind::Static, kSimpleLabel, "STATIC", 0x5000000B, 0));
static_assert(styled(ControlKind::Bitmap, kStyleNone, "STATIC", 0x5000000E, 0));
// The list: WS_VSCROLL, LBS_NOTIFY, LBS_DISABLENOSCROLL.
static_assert(styled(ControlKind::ListBox, kClientEdge | kVerticalScroll | kNotify | kDisableNoScroll, "LISTBOX",
                     0x50201001, 0x200));
static_assert(styled(ControlKind::PushButton, kStyleNone, "BUTTON", 0x50000000, 0));
static_assert(styled(ControlKind::CheckBox, kStyleNone, "BUTTON", 0x50000003, 0));
// The trackbar: TBS_NOTICKS, TBS_FIXEDLENGTH.
static_assert(styled(ControlKind::Trackbar, kNoTicks | kFixedLength, "msctls_trackbar32", 0x50000050, 0));
// Bits of another class's styles stay out: an edit's ES_NUMBER would be a
// list box's LBS_NODATA, its ES_READONLY LBS_EXTENDEDSEL.
static_assert(styled(ControlKind::ListBox, kNumbersOnly | kReadOnly | kMultiline, "LISTBOX", 0x50000000, 0));
static_assert(styled(ControlKind::Trackbar, kNotify | kUpperCase, "msctls_trackbar32", 0x50000000, 0));

// The filter: text, NUL, pattern as given (blanks kept), NUL, NUL.
static_assert(fileDialogFilter("Cau File (*.cau)", "*.cau") == std::string_view("Cau File (*.cau)\0*.cau\0\0", 24));
static_assert(fileDialogFilter("Sounds", "*.aif; *.au") == std::string_view("Sounds\0*.aif; *.au\0\0", 20));
static_assert(fileDialogFilter("", "*.eel") == std::string_view("*.eel\0*.eel\0\0", 13));
static_assert(fileDialogFilter("All", "").empty());

static_assert(defaultExtension(".tpa") == "tpa" && defaultExtension("eel") == "eel" && defaultExtension("").empty());

// The kill switch starts in its own folder with the flag as one argument.
static_assert(folderOfProgram("C:\\Games\\Sonkrate\\auto_stop.exe") == "C:\\Games\\Sonkrate");
static_assert(folderOfProgram("C:\\auto_stop.exe") == "C:\\");
static_assert(folderOfProgram("Z:/tmp/run/auto_stop.exe") == "Z:/tmp/run");
static_assert(folderOfProgram("auto_stop.exe").empty());
static_assert(killSwitchParameters("C:\\My Games\\tmpConf.ini") == "\"C:\\My Games\\tmpConf.ini\"");

}  // namespace
}  // namespace sonkrate::platform::win32
