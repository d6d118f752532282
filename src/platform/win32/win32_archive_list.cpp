#include "platform/win32/win32_archive_list.h"

#include <uxtheme.h>

#include <algorithm>

#include "io/game_text.h"
#include "io/unicode_text.h"
#include "platform/win32/win32_dpi.h"

namespace sonkrate::platform::win32 {

HWND createArchiveList(HWND parent, HINSTANCE instance, int id) {
    const DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS;
    HWND list = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"", style, 0, 0, 0, 0, parent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    if (!list) return nullptr;
    const DWORD extended = LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER | LVS_EX_LABELTIP;
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, extended, extended);
    // Rows, selection and headers drawn as in the system's file windows.
    SetWindowTheme(list, L"Explorer", nullptr);
    return list;
}

void addArchiveColumns(HWND list, const std::vector<TableColumn>& columns, int dpi) {
    // A list view draws its first column's cells on the left whatever its
    // format: that column stays empty and without width, so that "#" can be
    // aligned right like the other numbers. The shell's column c is the list
    // view's column c + 1.
    LVCOLUMNW placeholder = {};
    placeholder.mask = LVCF_WIDTH | LVCF_SUBITEM;
    SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&placeholder));
    for (std::size_t i = 0; i < columns.size(); ++i) {
        std::wstring title = io::toWide(columns[i].title);
        LVCOLUMNW column = {};
        column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        column.fmt = columns[i].alignRight ? LVCFMT_RIGHT : LVCFMT_LEFT;
        column.cx = scaledForDpi(columns[i].width, dpi);
        column.pszText = title.data();
        column.iSubItem = static_cast<int>(i) + 1;
        SendMessageW(list, LVM_INSERTCOLUMNW, i + 1, reinterpret_cast<LPARAM>(&column));
    }
}

void rescaleArchiveColumns(HWND list, int fromDpi, int toDpi) {
    if (fromDpi == toDpi || fromDpi <= 0) return;
    HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    const int count = header ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
    for (int i = 1; i < count; ++i) {
        const int width = static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, i, 0));
        SendMessageW(list, LVM_SETCOLUMNWIDTH, i, MulDiv(width, toDpi, fromDpi));
    }
}

std::vector<int> selectedListRows(HWND list) {
    std::vector<int> rows;
    const int count = static_cast<int>(SendMessageW(list, LVM_GETSELECTEDCOUNT, 0, 0));
    rows.reserve(static_cast<std::size_t>(std::max(count, 0)));
    int at = -1;
    while ((at = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, at, LVNI_SELECTED))) >= 0)
        rows.push_back(at);
    return rows;
}

namespace {

void setRowState(HWND list, int row, UINT state, UINT mask) {
    LVITEMW item = {};
    item.stateMask = mask;
    item.state = state;
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

}  // namespace

void selectListRows(HWND list, const std::vector<int>& positions, int focus) {
    const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    // Row -1 stands for every row.
    setRowState(list, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    if (!positions.empty() && static_cast<int>(positions.size()) == count)
        setRowState(list, -1, LVIS_SELECTED, LVIS_SELECTED);
    else
        for (int row : positions)
            if (row >= 0 && row < count) setRowState(list, row, LVIS_SELECTED, LVIS_SELECTED);
    if (focus < 0 || focus >= count) return;
    setRowState(list, focus, LVIS_FOCUSED, LVIS_FOCUSED);
    // Shift+click and Shift+arrows extend from the focused row.
    SendMessageW(list, LVM_SETSELECTIONMARK, 0, focus);
    SendMessageW(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(focus), FALSE);
}

void showSortArrow(HWND list, int column, bool descending) {
    HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    if (!header) return;
    const int count = static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        HDITEMW item = {};
        item.mask = HDI_FORMAT;
        if (!SendMessageW(header, HDM_GETITEMW, i, reinterpret_cast<LPARAM>(&item))) continue;
        item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
        if (column >= 0 && i == column + 1) item.fmt |= descending ? HDF_SORTDOWN : HDF_SORTUP;
        SendMessageW(header, HDM_SETITEMW, i, reinterpret_cast<LPARAM>(&item));
    }
}

int listRowAt(HWND list, POINT client) {
    // Any column of a row: the row's own hit test covers its first column only.
    LVHITTESTINFO hit = {};
    hit.pt = client;
    const int row = static_cast<int>(SendMessageW(list, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    return (row >= 0 && (hit.flags & LVHT_ONITEM)) ? hit.iItem : -1;
}

RowColours rowColours(RowMark mark) {
    switch (mark) {
    case RowMark::None: break;
    case RowMark::Warning: return {RGB(0, 0, 0), RGB(255, 242, 186), true};
    case RowMark::Error: return {RGB(0, 0, 0), RGB(255, 208, 208), true};
    case RowMark::Changed: return {RGB(0, 0, 0), RGB(214, 228, 255), true};
    case RowMark::Added: return {RGB(0, 0, 0), RGB(214, 245, 214), true};
    case RowMark::Removed: return {RGB(128, 128, 128), GetSysColor(COLOR_WINDOW), true};
    }
    return {GetSysColor(COLOR_WINDOWTEXT), GetSysColor(COLOR_WINDOW), false};
}

namespace {

void fillCell(NMLVDISPINFOW& info, ArchiveWindowSink& sink, std::wstring& cell) {
    if (!(info.item.mask & LVIF_TEXT) || !info.item.pszText || info.item.cchTextMax <= 0) return;
    if (info.item.iSubItem <= 0) {
        info.item.pszText[0] = L'\0';  // the empty first column
        return;
    }
    cell = io::toWide(io::shownText(sink.archiveCellText(info.item.iItem, info.item.iSubItem - 1)));
    const std::size_t room = static_cast<std::size_t>(info.item.cchTextMax) - 1;
    const std::size_t length = std::min(cell.size(), room);
    std::copy_n(cell.data(), length, info.item.pszText);
    info.item.pszText[length] = L'\0';
}

LRESULT customDraw(NMLVCUSTOMDRAW& draw, ArchiveWindowSink& sink) {
    if (draw.nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
    if (draw.nmcd.dwDrawStage != CDDS_ITEMPREPAINT) return CDRF_DODEFAULT;
    RowColours colours = rowColours(sink.archiveRowMark(static_cast<int>(draw.nmcd.dwItemSpec)));
    if (!colours.own) return CDRF_DODEFAULT;
    draw.clrText = colours.text;
    draw.clrTextBk = colours.background;
    return CDRF_NEWFONT;
}

bool keyOfTable(WORD virtualKey, ArchiveKey& key) {
    switch (virtualKey) {
    case VK_RETURN: key = ArchiveKey::Enter; return true;
    case VK_SPACE: key = ArchiveKey::Space; return true;
    case VK_DELETE: key = ArchiveKey::Delete; return true;
    case VK_F2: key = ArchiveKey::F2; return true;
    case VK_ESCAPE: key = ArchiveKey::Escape; return true;
    default: return false;
    }
}

bool selectionOrFocusChanged(const NMLISTVIEW& change) {
    if (!(change.uChanged & LVIF_STATE)) return false;
    return ((change.uNewState ^ change.uOldState) & (LVIS_SELECTED | LVIS_FOCUSED)) != 0;
}

int rowFocused(const NMLISTVIEW& change) {
    if (!(change.uChanged & LVIF_STATE) || change.iItem < 0) return -1;
    return (change.uNewState & ~change.uOldState & LVIS_FOCUSED) ? change.iItem : -1;
}

}  // namespace

ListOutcome archiveListNotification(const NMHDR& header, ArchiveWindowSink& sink, std::wstring& cell) {
    ListOutcome outcome;
    NMHDR& h = const_cast<NMHDR&>(header);
    switch (header.code) {
    case LVN_GETDISPINFOW: fillCell(reinterpret_cast<NMLVDISPINFOW&>(h), sink, cell); break;
    case NM_CUSTOMDRAW: outcome.result = customDraw(reinterpret_cast<NMLVCUSTOMDRAW&>(h), sink); break;
    case LVN_KEYDOWN: {
        outcome.keyPressed = true;
        ArchiveKey key;
        if (keyOfTable(reinterpret_cast<NMLVKEYDOWN&>(h).wVKey, key)) sink.onArchiveKey(key, KeyPlace::Table);
        break;
    }
    case LVN_COLUMNCLICK: {
        const int column = reinterpret_cast<NMLISTVIEW&>(h).iSubItem;
        outcome.headerClicked = true;
        if (column > 0) sink.onArchiveHeaderClick(column - 1);
        break;
    }
    case NM_DBLCLK: {
        outcome.doubleClicked = true;
        const int row = reinterpret_cast<NMITEMACTIVATE&>(h).iItem;
        if (row >= 0) sink.onArchiveRowActivated(row);
        break;
    }
    case NM_CLICK: {
        const auto& click = reinterpret_cast<NMITEMACTIVATE&>(h);
        if (!(click.uKeyFlags & (LVKF_CONTROL | LVKF_SHIFT))) {
            outcome.clickedRow = click.iItem;
            outcome.clickedColumn = click.iSubItem;
        }
        break;
    }
    case NM_SETFOCUS: outcome.keyboardTaken = true; break;
    case LVN_ITEMCHANGED:
        outcome.selectionMoved = selectionOrFocusChanged(reinterpret_cast<NMLISTVIEW&>(h));
        outcome.rowFocused = rowFocused(reinterpret_cast<NMLISTVIEW&>(h));
        break;
    case LVN_ODSTATECHANGED: outcome.selectionMoved = true; break;
    case LVN_ODFINDITEMW: outcome.result = -1; break;
    default: break;
    }
    return outcome;
}

LRESULT archiveHeaderNotification(const NMHDR& header) {
    switch (header.code) {
    // The empty first column keeps no width: its divider does not move.
    case HDN_BEGINTRACKW:
    case HDN_BEGINTRACKA:
    case HDN_DIVIDERDBLCLICKW:
    case HDN_DIVIDERDBLCLICKA: return reinterpret_cast<const NMHEADERW&>(header).iItem == 0 ? TRUE : FALSE;
    default: return 0;
    }
}

}  // namespace sonkrate::platform::win32
