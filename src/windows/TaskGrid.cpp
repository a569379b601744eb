#include "windows/TaskGrid.h"

#include "app/DestinationView.h"
#include "windows/Scaling.h"
#include "windows/resource.h"
#include "base/AppInfo.h"
#include "base/SystemLibrary.h"
#include "base/WinText.h"

#include <uxtheme.h>
#include <vssym32.h>
#include <windowsx.h>

#include <algorithm>
#include <cwchar>

namespace keyvane {
namespace {

// The visual styles' functions, from the system folder's uxtheme only (see
// SystemLibrary.h); without them the grid draws the classic look.
struct ThemeFunctions {
    decltype(&SetWindowTheme) set =
        SystemFunction<decltype(SetWindowTheme)>(L"uxtheme.dll", "SetWindowTheme");
    decltype(&OpenThemeData) open =
        SystemFunction<decltype(OpenThemeData)>(L"uxtheme.dll", "OpenThemeData");
    decltype(&DrawThemeBackground) draw =
        SystemFunction<decltype(DrawThemeBackground)>(L"uxtheme.dll", "DrawThemeBackground");
    decltype(&CloseThemeData) close =
        SystemFunction<decltype(CloseThemeData)>(L"uxtheme.dll", "CloseThemeData");
};

const ThemeFunctions& Theme() {
    static const ThemeFunctions functions;
    return functions;
}

// The view's columns in display order. The icon column comes first: a list
// view keeps room for the row's picture in its first column anyway.
constexpr Column kViewColumns[kShownColumnCount] = {
    Column::Image, Column::NxNumberColumn1, Column::Desc,   Column::Hotkey,
    Column::Dest,  Column::Type_run,        Column::Enabled};

int ViewIndexOf(Column column) {
    for (int v = 0; v < kShownColumnCount; ++v)
        if (kViewColumns[v] == column) return v;
    return 0;
}

const int kEnabled = ViewIndexOf(Column::Enabled);
const int kHotkey = ViewIndexOf(Column::Hotkey);

} // namespace

TaskGrid::~TaskGrid() {
    if (icons_) ImageList_Destroy(icons_);
    if (warning_) DestroyIcon(warning_);
}

void TaskGrid::Attach(HWND listView, const TaskTable& table, Events events) {
    list_ = listView;
    table_ = &table;
    events_ = std::move(events);
    ListView_SetExtendedListViewStyle(list_, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES |
                                                 LVS_EX_DOUBLEBUFFER | LVS_EX_INFOTIP |
                                                 LVS_EX_LABELTIP);
    if (Theme().set) Theme().set(list_, L"Explorer", nullptr); // the system's list look

    for (int v = 0; v < kShownColumnCount; ++v) {
        const ColumnInfo& info = kColumns[static_cast<std::size_t>(kViewColumns[v])];
        const std::wstring caption = ToWide(info.caption);
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
        column.fmt = info.align == ColumnInfo::Align::Centre ? LVCFMT_CENTER : LVCFMT_LEFT;
        column.cx = ScaleToDpi(list_, info.width);
        column.pszText = const_cast<wchar_t*>(caption.c_str());
        column.iSubItem = v;
        ListView_InsertColumn(list_, v, &column);
    }

    LoadWarningIcon();
    // The row height follows the small image list: a 32-pixel icon per row.
    SetIcons(nullptr, nullptr);
    Refresh();
}

void TaskGrid::LoadWarningIcon() {
    const int iconSize = ScaleToDpi(list_, 16);
    if (warning_) DestroyIcon(warning_);
    warning_ = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr),
                                             MAKEINTRESOURCEW(IDI_HOTKEYWARNING), IMAGE_ICON,
                                             iconSize, iconSize, 0));
}

void TaskGrid::DpiChanged(int oldDpi, int newDpi) {
    for (int v = 0; v < kShownColumnCount; ++v)
        ListView_SetColumnWidth(list_, v,
                                MulDiv(ListView_GetColumnWidth(list_, v), newDpi, oldDpi));
    LoadWarningIcon();
}

void TaskGrid::SetIcons(HIMAGELIST icons, const IconPlan* plan) {
    if (!icons) {
        const int size = ScaleToDpi(list_, kNewRowHeight);
        icons = ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, 0, 1);
    }
    ListView_SetImageList(list_, icons, LVSIL_SMALL);
    if (icons_ && icons_ != icons) ImageList_Destroy(icons_);
    icons_ = icons;
    plan_ = plan;
    InvalidateRect(list_, nullptr, TRUE);
}

void TaskGrid::Refresh() {
    if (!list_ || syncing_) return;
    syncing_ = true;
    const int count = ViewCount();
    if (const int shown = ListView_GetItemCount(list_); shown != count) {
        ListView_SetItemCountEx(list_, count, LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
        // The note of an empty grid comes or goes.
        if (shown == 0 || count == 0) InvalidateRect(list_, nullptr, TRUE);
    }
    // The table's selection and current row are what the commands act on;
    // show exactly those.
    ListView_SetItemState(list_, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    for (int row = 0; row < count; ++row)
        if (const int task = TableRow(row); task >= 0 && table_->isTaskSelected(task))
            ListView_SetItemState(list_, row, LVIS_SELECTED, LVIS_SELECTED);
    const int current = ViewRow(table_->currentTask());
    if (current >= 0 && current < count) {
        ListView_SetItemState(list_, current, LVIS_FOCUSED, LVIS_FOCUSED);
        ListView_EnsureVisible(list_, current, FALSE);
    }
    syncing_ = false;
    InvalidateRect(list_, nullptr, FALSE);
}

int TaskGrid::ColumnWidth(int column) const {
    return ListView_GetColumnWidth(list_, ViewIndexOf(static_cast<Column>(column)));
}

void TaskGrid::SetColumnWidth(int column, int width) {
    ListView_SetColumnWidth(list_, ViewIndexOf(static_cast<Column>(column)), width);
}

void TaskGrid::SelectionToTable() {
    if (syncing_) return;
    // Asks the view for its selected rows only: a grid of thousands of
    // rows must not cost a message per row on every click.
    syncing_ = true; // the table's change notice must not push the view back
    const int count = ViewCount();
    std::vector<int> selected;
    for (int row = ListView_GetNextItem(list_, -1, LVNI_SELECTED); row >= 0 && row < count;
         row = ListView_GetNextItem(list_, row, LVNI_SELECTED))
        selected.push_back(TableRow(row));
    if (events_.select)
        events_.select(TableRow(ListView_GetNextItem(list_, -1, LVNI_FOCUSED)), selected);
    syncing_ = false;
}

int TaskGrid::HitColumn(POINT point, int& row) const {
    LVHITTESTINFO hit{};
    hit.pt = point;
    ListView_SubItemHitTest(list_, &hit);
    row = TableRow(hit.iItem);
    return row >= 0 ? hit.iSubItem : -1;
}

int TaskGrid::RowAtScreenPoint(POINT screen) const {
    ScreenToClient(list_, &screen);
    int row = -1;
    HitColumn(screen, row);
    return row;
}

bool TaskGrid::CurrentRowMenuPoint(POINT& screen) const {
    const int view = ViewRow(table_->currentTask());
    RECT row{};
    if (view < 0 || !ListView_GetItemRect(list_, view, &row, LVIR_BOUNDS)) return false;
    RECT client{};
    GetClientRect(list_, &client);
    // Scrolled out of sight, the menu opens at the edge it lies beyond.
    screen = {std::max(row.left, client.left) + ScaleToDpi(list_, 24),
              std::clamp(row.bottom, client.top, client.bottom)};
    ClientToScreen(list_, &screen);
    return true;
}

int TaskGrid::ViewCount() const {
    return filter_ ? filter_->visibleCount() : table_->taskCount();
}

int TaskGrid::TableRow(int viewRow) const {
    if (filter_) return filter_->TableRow(viewRow);
    return viewRow >= 0 && viewRow < table_->taskCount() ? viewRow : -1;
}

int TaskGrid::ViewRow(int tableRow) const {
    if (filter_) return filter_->VisibleRow(tableRow);
    return tableRow >= 0 && tableRow < table_->taskCount() ? tableRow : -1;
}

void TaskGrid::DrawCheckBox(HDC dc, const RECT& cell, bool checked) {
    const int size = ScaleToDpi(list_, 13);
    RECT box{(cell.left + cell.right - size) / 2, (cell.top + cell.bottom - size) / 2, 0, 0};
    box.right = box.left + size;
    box.bottom = box.top + size;
    const ThemeFunctions& t = Theme();
    if (HTHEME theme = t.open && t.draw && t.close ? t.open(list_, L"BUTTON") : nullptr) {
        t.draw(theme, dc, BP_CHECKBOX, checked ? CBS_CHECKEDNORMAL : CBS_UNCHECKEDNORMAL, &box,
               nullptr);
        t.close(theme);
    } else {
        DrawFrameControl(dc, &box, DFC_BUTTON, DFCS_BUTTONCHECK | (checked ? DFCS_CHECKED : 0));
    }
}

std::u16string TaskGrid::TooltipOf(int row) const {
    const RowMark mark = marks_ ? marks_(row) : RowMark{};
    std::u16string tip;
    switch (mark.mark) {
    case HotKeyMark::Taken:
        tip = kHeldElsewhereText;
        break;
    case HotKeyMark::NotRecognised:
        tip = kUnreadableHotKeyTip;
        break;
    case HotKeyMark::TakesCharacter:
        tip = std::u16string(kAltGrTipBefore) + mark.character + std::u16string(kAltGrTipAfter);
        break;
    case HotKeyMark::UnknownAction:
        tip = std::u16string(kUnknownActionTip) + u"\"" +
              std::u16string(table_->textCell(Column::Desc, row)) + u"\"";
        break;
    default:
        break;
    }
    const ScopeNote note = ScopeNoteOf(row);
    if (!note.tip.empty()) tip += (tip.empty() ? u"" : u"\n") + note.tip;
    return tip;
}

ScopeNote TaskGrid::ScopeNoteOf(int row) const {
    return NoteOfScope(table_->textCell(Column::Programs, row),
                       table_->textCell(Column::If_running, row));
}

LRESULT TaskGrid::HandleNotify(NMHDR* header, bool& handled) {
    handled = true;
    switch (header->code) {
    case LVN_GETDISPINFOW: {
        auto* info = reinterpret_cast<NMLVDISPINFOW*>(header);
        LVITEMW& item = info->item;
        const int row = TableRow(item.iItem);
        if (row < 0) return 0;
        if (item.iSubItem < 0 || item.iSubItem >= kShownColumnCount) return 0;
        const Column column = kViewColumns[item.iSubItem];
        if (item.mask & LVIF_TEXT) {
            // The check box is drawn; the icon column holds no text.
            if (column == Column::Enabled || column == Column::Image) {
                textBuffer_.clear();
            } else {
                textBuffer_ = ToWide(column == Column::Dest
                                         ? GridDestinationText(table_->textCell(column, row))
                                         : table_->cellText(column, row));
            }
            // A task for some programs, or with a field not understood,
            // says so after its hotkey; the tooltip tells the rest.
            if (column == Column::Hotkey)
                if (const ScopeNote note = ScopeNoteOf(row); !note.mark.empty())
                    textBuffer_ += L" [" + ToWide(note.mark) + L"]";
            if (item.cchTextMax > 0) {
                const auto n = std::min<std::size_t>(textBuffer_.size(),
                                                     static_cast<std::size_t>(item.cchTextMax - 1));
                std::copy_n(textBuffer_.c_str(), n, item.pszText);
                item.pszText[n] = L'\0';
            }
        }
        if (item.mask & LVIF_IMAGE) {
            item.iImage = -1;
            if (column == Column::Image && plan_) {
                std::int32_t image = 0;
                const std::u16string text = table_->cellText(Column::Image, row);
                image = static_cast<std::int32_t>(std::wcstol(W(text), nullptr, 10));
                item.iImage = plan_->SourceOfImage(image);
            }
        }
        return 0;
    }
    case LVN_ODCACHEHINT:
        return 0;
    case LVN_ITEMCHANGED:
    case LVN_ODSTATECHANGED:
        SelectionToTable();
        return 0;
    case LVN_COLUMNCLICK: {
        const auto* view = reinterpret_cast<NMLISTVIEW*>(header);
        if (view->iSubItem < 0 || view->iSubItem >= kShownColumnCount) return 0;
        // Saved by the core: a click like any other puts the order on disk.
        if (events_.sort) events_.sort(kViewColumns[view->iSubItem]);
        Refresh();
        return 0;
    }
    case NM_CLICK: {
        const auto* activate = reinterpret_cast<NMITEMACTIVATE*>(header);
        int row = -1;
        const int column = HitColumn(activate->ptAction, row);
        if (column == kEnabled && row >= 0 && events_.toggleEnabled)
            events_.toggleEnabled(row); // saves, as every click does
        else if (events_.click)
            events_.click();
        return 0;
    }
    case NM_DBLCLK: {
        const auto* activate = reinterpret_cast<NMITEMACTIVATE*>(header);
        int row = -1;
        const int column = HitColumn(activate->ptAction, row);
        // A quick second click on the box is a second toggle, not an edit.
        if (column == kEnabled && row >= 0) {
            if (events_.toggleEnabled) events_.toggleEnabled(row);
        } else if (row >= 0 && events_.edit) {
            events_.edit();
        }
        return 0;
    }
    case LVN_KEYDOWN: {
        const auto* key = reinterpret_cast<NMLVKEYDOWN*>(header);
        if (key->wVKey == VK_DELETE && events_.remove) {
            events_.remove();
        } else if (key->wVKey == VK_SPACE) {
            const int row = table_->currentTask();
            if (ViewRow(row) >= 0 && events_.toggleEnabled) events_.toggleEnabled(row);
        }
        return 0;
    }
    case LVN_GETINFOTIPW: {
        auto* tip = reinterpret_cast<NMLVGETINFOTIPW*>(header);
        if (TableRow(tip->iItem) < 0 || tip->cchTextMax <= 0) return 0;
        const std::wstring text = ToWide(TooltipOf(TableRow(tip->iItem)));
        if (text.empty()) return 0;
        const auto n =
            std::min<std::size_t>(text.size(), static_cast<std::size_t>(tip->cchTextMax - 1));
        std::copy_n(text.c_str(), n, tip->pszText);
        tip->pszText[n] = L'\0';
        return 0;
    }
    case NM_CUSTOMDRAW: {
        auto* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(header);
        switch (draw->nmcd.dwDrawStage) {
        case CDDS_PREPAINT:
            return CDRF_NOTIFYITEMDRAW | CDRF_NOTIFYPOSTPAINT;
        case CDDS_POSTPAINT: {
            // A filter that hides every row says so, rather than an empty
            // grid that looks like a lost list; an empty list says how to
            // begin one.
            const bool filtered = filter_ && filter_->active();
            const std::u16string_view note =
                filtered ? (filter_->visibleCount() == 0 ? kNoTaskMatchesText : u"")
                         : (table_ && table_->taskCount() == 0 ? kNoTasksYetText : u"");
            if (!note.empty()) {
                RECT area{};
                GetClientRect(list_, &area);
                RECT header{};
                if (HWND h = ListView_GetHeader(list_); h && GetWindowRect(h, &header))
                    area.top += header.bottom - header.top;
                area.top += ScaleToDpi(list_, 12);
                SetBkMode(draw->nmcd.hdc, TRANSPARENT);
                SetTextColor(draw->nmcd.hdc, GetSysColor(COLOR_GRAYTEXT));
                const std::wstring text = ToWide(note);
                DrawTextW(draw->nmcd.hdc, text.c_str(), static_cast<int>(text.size()), &area,
                          DT_CENTER | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
            }
            return CDRF_DODEFAULT;
        }
        case CDDS_ITEMPREPAINT:
            return CDRF_NOTIFYPOSTPAINT;
        case CDDS_ITEMPOSTPAINT: {
            // Drawn over the finished row: the Enabled box, and the mark of
            // a hotkey that cannot act.
            const int item = static_cast<int>(draw->nmcd.dwItemSpec);
            const int row = TableRow(item);
            if (row < 0) return CDRF_DODEFAULT;
            RECT cell{};
            ListView_GetSubItemRect(list_, item, kEnabled, LVIR_BOUNDS, &cell);
            DrawCheckBox(draw->nmcd.hdc, cell, table_->cellFlag(Column::Enabled, row));
            if (marks_ && warning_ && marks_(row).mark != HotKeyMark::None) {
                ListView_GetSubItemRect(list_, item, kHotkey, LVIR_BOUNDS, &cell);
                const int size = ScaleToDpi(list_, 16);
                DrawIconEx(draw->nmcd.hdc, cell.left + ScaleToDpi(list_, 3),
                           (cell.top + cell.bottom - size) / 2, warning_, size, size, 0, nullptr,
                           DI_NORMAL);
            }
            return CDRF_DODEFAULT;
        }
        default:
            return CDRF_DODEFAULT;
        }
    }
    default:
        handled = false;
        return 0;
    }
}

} // namespace keyvane
