#include "platform/win32/win32_file_dialog.h"

#include <commdlg.h>

#include <algorithm>

#include "io/unicode_text.h"
#include "platform/win32/control_styles.h"

namespace sonkrate::platform::win32 {

namespace {

// Longest path the dialogs hand back, and room for many names at once.
constexpr DWORD kLongestPath = 32768;
constexpr DWORD kSelectionRoom = 1u << 20;

}  // namespace

std::vector<std::wstring> pathsOfSelection(std::wstring_view buffer) {
    std::vector<std::wstring> parts;
    std::size_t at = 0;
    while (at < buffer.size() && buffer[at] != L'\0') {
        const std::size_t end = std::min(buffer.find(L'\0', at), buffer.size());
        parts.emplace_back(buffer.substr(at, end - at));
        at = end + 1;
    }
    if (parts.size() <= 1) return parts;
    std::wstring folder = parts.front();
    if (folder.back() != L'\\' && folder.back() != L'/') folder += L'\\';
    std::vector<std::wstring> paths;
    for (std::size_t i = 1; i < parts.size(); ++i) paths.push_back(folder + parts[i]);
    return paths;
}

std::vector<std::string> fileDialogPaths(HWND owner, const FileDialogOptions& options, FileDialogKind kind) {
    // The filter keeps its NULs through the conversion.
    std::wstring filter = io::toWide(fileDialogFilter(options.filterText, options.filterPattern));
    std::wstring extension = io::toWide(defaultExtension(options.defaultExtension));
    std::wstring initialFolder = io::toWide(options.initialFolder);
    std::wstring initialName = io::toWide(options.initialName).substr(0, kLongestPath - 1);
    const DWORD room = kind == FileDialogKind::OpenSeveral ? kSelectionRoom : kLongestPath;
    for (;;) {
        std::vector<wchar_t> file(room, L'\0');
        initialName.copy(file.data(), initialName.size());

        OPENFILENAMEW ofn = {};
        ofn.lStructSize = sizeof ofn;
        ofn.hwndOwner = owner;
        ofn.lpstrFilter = filter.empty() ? nullptr : filter.c_str();
        ofn.nFilterIndex = filter.empty() ? 0 : 1;
        ofn.lpstrFile = file.data();
        ofn.nMaxFile = room;
        ofn.lpstrInitialDir = initialFolder.empty() ? nullptr : initialFolder.c_str();
        ofn.Flags = options.flags;
        if (kind == FileDialogKind::OpenSeveral) ofn.Flags |= OFN_ALLOWMULTISELECT | OFN_EXPLORER;
        ofn.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();

        const BOOL chosen = kind == FileDialogKind::Save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
        if (chosen) {
            std::vector<std::string> paths;
            const std::wstring_view selection(file.data(), file.size());
            if (kind == FileDialogKind::OpenSeveral) {
                for (const std::wstring& path : pathsOfSelection(selection)) paths.push_back(io::fromWide(path));
            } else if (file[0] != L'\0') {
                paths.push_back(io::fromWide(file.data()));
            }
            return paths;
        }
        // A preset name the dialog will not take (a character no file name
        // may hold) keeps the dialog from opening at all: open it empty.
        if (CommDlgExtendedError() == FNERR_INVALIDFILENAME && !initialName.empty()) {
            initialName.clear();
            continue;
        }
        return {};
    }
}

}  // namespace sonkrate::platform::win32
