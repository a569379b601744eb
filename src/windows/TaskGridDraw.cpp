// The task grid's drawing: the system's list look, the Enabled boxes, the
// marks of hotkeys that cannot act with their tooltips, and the note of an
// empty grid.
#include "windows/TaskGrid.h"

#include "base/AppInfo.h"
#include "base/SystemLibrary.h"
#include "base/WinText.h"
#include "windows/Scaling.h"
#include "windows/resource.h"

#include <uxtheme.h>
#include <vssym32.h>

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

} // namespace

void TaskGrid::ApplyListLook() {
    if (Theme().set) Theme().set(list_, L"Explorer", nullptr);
}

void TaskGrid::LoadWarningIcon() {
    const int iconSize = ScaleToDpi(list_, 16);
    if (warning_) DestroyIcon(warning_);
    warning_ = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr),
                                             MAKEINTRESOURCEW(IDI_HOTKEYWARNING), IMAGE_ICON,
                                             iconSize, iconSize, 0));
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

LRESULT TaskGrid::OnCustomDraw(NMLVCUSTOMDRAW& draw) {
    switch (draw.nmcd.dwDrawStage) {
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
            SetBkMode(draw.nmcd.hdc, TRANSPARENT);
            SetTextColor(draw.nmcd.hdc, GetSysColor(COLOR_GRAYTEXT));
            const std::wstring text = ToWide(note);
            DrawTextW(draw.nmcd.hdc, text.c_str(), static_cast<int>(text.size()), &area,
                      DT_CENTER | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
        }
        return CDRF_DODEFAULT;
    }
    case CDDS_ITEMPREPAINT:
        return CDRF_NOTIFYPOSTPAINT;
    case CDDS_ITEMPOSTPAINT: {
        // Drawn over the finished row: the Enabled box, and the mark of
        // a hotkey that cannot act.
        const int item = static_cast<int>(draw.nmcd.dwItemSpec);
        const int row = TableRow(item);
        if (row < 0) return CDRF_DODEFAULT;
        RECT cell{};
        ListView_GetSubItemRect(list_, item, ViewIndexOf(Column::Enabled), LVIR_BOUNDS, &cell);
        DrawCheckBox(draw.nmcd.hdc, cell, table_->cellFlag(Column::Enabled, row));
        if (marks_ && warning_ && marks_(row).mark != HotKeyMark::None) {
            ListView_GetSubItemRect(list_, item, ViewIndexOf(Column::Hotkey), LVIR_BOUNDS, &cell);
            const int size = ScaleToDpi(list_, 16);
            DrawIconEx(draw.nmcd.hdc, cell.left + ScaleToDpi(list_, 3),
                       (cell.top + cell.bottom - size) / 2, warning_, size, size, 0, nullptr,
                       DI_NORMAL);
        }
        return CDRF_DODEFAULT;
    }
    default:
        return CDRF_DODEFAULT;
    }
}

} // namespace keyvane
