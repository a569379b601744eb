// The main window's pages laid out: what the window measures of its
// controls, and where the layout maths puts them.
#include "windows/MainPages.h"

#include "windows/Scaling.h"
#include "windows/resource.h"

#include <commctrl.h>

namespace keyvane {

namespace {

// The width of a static's caption at its font, mnemonic marks aside.
int CaptionWidth(HWND label) {
    wchar_t text[128] = L"";
    GetWindowTextW(label, text, 128);
    HDC dc = GetDC(label);
    if (!dc) return 0;
    const auto font = reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0));
    const HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
    RECT r{0, 0, 0, 0};
    DrawTextW(dc, text, -1, &r, DT_CALCRECT | DT_SINGLELINE);
    if (old) SelectObject(dc, old);
    ReleaseDC(label, dc);
    return r.right - r.left;
}

// The task page's six buttons.
constexpr int kTaskButtonCount = 6;

} // namespace

PageMeasures MainPages::Measure(int clientWidth, int clientHeight, std::span<int> widths) const {
    PageMeasures measures;
    measures.dpi = WindowDpi(window_);
    // The tab strip's height follows the font: the page control says where
    // its display area would start.
    RECT probe{0, 0, clientWidth, clientHeight};
    TabCtrl_AdjustRect(GetDlgItem(pages_, IDC_MAIN_TABS), FALSE, &probe);
    measures.tabStrip = probe.top - Scaled(2);
    tasks_->MeasureButtons(widths);
    measures.buttonWidths = widths;
    return measures;
}

ClientSize MainPages::MinimumClientSize() const {
    int widths[kTaskButtonCount] = {};
    return keyvane::MinimumClientSize(Measure(400, 300, widths));
}

void MainPages::LayOut() {
    RECT client{};
    GetClientRect(window_, &client);
    MoveWindow(pages_, 0, 0, client.right, client.bottom, TRUE);
    int widths[kTaskButtonCount] = {};
    const HotKeyPageLayout layout = LayOutHotKeyPage({client.right, client.bottom},
                                                     Measure(client.right, client.bottom, widths));
    auto place = [&](int id, const LayoutRect& r) {
        MoveWindow(GetDlgItem(pages_, id), r.left, r.top, r.width, r.height, TRUE);
    };
    // The page control shows only its tabs; the pages stand on the
    // window's own face below them.
    place(IDC_MAIN_TABS, layout.tabs);
    tasks_->LayOut(layout, client.right, client.bottom);

    // "Options": the options' group, the import, and "Save" at the bottom.
    const OptionsMeasures options{
        std::max(ButtonWidthForCaption(GetDlgItem(pages_, IDC_MAIN_TRAY_ONLY)),
                 ButtonWidthForCaption(GetDlgItem(pages_, IDC_MAIN_PAUSE_FULL_SCREEN))),
        CaptionWidth(GetDlgItem(pages_, IDC_MAIN_PAUSE_LABEL))};
    const OptionsPageLayout o = LayOutOptionsPage(layout, options, WindowDpi(window_));
    place(IDC_MAIN_GENERAL_GROUP, o.group);
    place(IDC_MAIN_AUTOSTART, o.autoStart);
    place(IDC_MAIN_TRAY_ONLY, o.trayOnly);
    place(IDC_MAIN_PAUSE_LABEL, o.pauseLabel);
    place(IDC_MAIN_PAUSE_HOTKEY, o.pauseField);
    place(IDC_MAIN_PAUSE_NOTE, o.pauseNote);
    place(IDC_MAIN_PAUSE_FULL_SCREEN, o.pauseFullScreen);
    place(IDC_MAIN_IMPORT_LABEL, o.importLabel);
    place(IDC_MAIN_IMPORT, o.importButton);
    place(IDC_MAIN_SAVE, o.save);
    place(IDC_MAIN_SAVED, o.saved);
}

} // namespace keyvane
