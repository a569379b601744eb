#include "app/layout/MainLayout.h"

#include "tasks/TaskTable.h"

#include <algorithm>

namespace keyvane {

namespace {

// The design, in pixels at 96 dpi.
constexpr int kMargin = 4;        // around the page control
constexpr int kTabStrip = 20;     // the least tab strip
constexpr int kAreaInset = 2;     // the area inside the page control's edges
constexpr int kAreaGap = 4;       // between the tabs and the area
constexpr int kPad = 8;           // inside the group box, left and right
constexpr int kGridTop = 18;      // the group box's caption above the search box
constexpr int kFilterHeight = 22; // the search box above the grid
constexpr int kFilterWidth = 240;
constexpr int kFilterGap = 4;  // between the search box and the grid
constexpr int kButtonBar = 50; // the bar of buttons under the grid
constexpr int kButtonGap = 6;  // between two buttons
constexpr int kButtonWidth = 85;
constexpr int kButtonHeight = 28;
// A header, three 32-pixel rows and the frame: enough to see a row move.
constexpr int kMinGridHeight = 124;

// The Options page, from the area's top: the group's lines, the import
// under the group, "Save" at the area's bottom.
constexpr int kOptionsInset = 12;     // the lines inside the group box
constexpr int kOptionsBoxWidth = 290; // the least check box width
constexpr int kOptionsLineHeight = 20;
constexpr int kAutoStartTop = 22;
constexpr int kTrayOnlyTop = 46;
constexpr int kPauseFieldTop = 70;
constexpr int kPauseFieldHeight = 22;
constexpr int kPauseFieldWidth = 180;
constexpr int kPauseLabelGap = 6; // between the label and the field
constexpr int kPauseNoteHeight = 26;
constexpr int kGroupPad = 4; // under the last line of the group
constexpr int kImportGap = 6;
constexpr int kImportLabelHeight = 16;
constexpr int kSaveGap = 7;    // at least between the import and "Save"
constexpr int kSaveMargin = 6; // under "Save"
constexpr int kLabelHeight = 16;

struct Scaled {
    int dpi;
    int operator()(int pixels) const { return ScalePixels(pixels, dpi); }
};

int TabStrip(const PageMeasures& m) {
    return std::max(m.tabStrip, ScalePixels(kTabStrip, m.dpi));
}

// One width for all six, the widest caption's: a row of equal buttons, as
// designed.
int ButtonWidth(const PageMeasures& m) {
    int widest = DesignButtonWidth(m.dpi);
    for (int width : m.buttonWidths)
        widest = std::max(widest, width);
    return widest;
}

int PauseNoteTop(const Scaled& s) {
    return s(kPauseFieldTop) + s(kPauseFieldHeight) + s(kGroupPad);
}

// The full-screen option's line, under the pause hotkey's note.
int FullScreenTop(const Scaled& s) {
    return PauseNoteTop(s) + s(kPauseNoteHeight);
}

int GroupHeight(const Scaled& s) {
    return FullScreenTop(s) + s(kOptionsLineHeight) + s(kGroupPad);
}

int ImportLabelTop(const Scaled& s) {
    return GroupHeight(s) + s(kImportGap);
}

int ImportButtonTop(const Scaled& s) {
    return ImportLabelTop(s) + s(kImportLabelHeight);
}

// The Options page's least area height: the import, then "Save" under it.
int OptionsAreaHeight(const Scaled& s) {
    const int button = DesignButtonHeight(s.dpi);
    return ImportButtonTop(s) + button + s(kSaveGap) + button + s(kSaveMargin);
}

} // namespace

int ScalePixels(int pixels, int dpi) {
    const long long scaled = static_cast<long long>(pixels) * dpi;
    return static_cast<int>((scaled + (scaled >= 0 ? kDesignDpi / 2 : -kDesignDpi / 2)) /
                            kDesignDpi);
}

int DesignButtonWidth(int dpi) {
    return ScalePixels(kButtonWidth, dpi);
}

int DesignButtonHeight(int dpi) {
    return ScalePixels(kButtonHeight, dpi);
}

ClientSize MinimumClientSize(const PageMeasures& measures) {
    const Scaled s{measures.dpi};
    const int count = static_cast<int>(measures.buttonWidths.size());
    const int buttons =
        count == 0 ? 0 : count * ButtonWidth(measures) + (count - 1) * s(kButtonGap);
    const int width = 2 * (s(kMargin) + s(kAreaInset) + s(kPad)) + buttons;
    const int hotKeyArea =
        s(kGridTop) + s(kFilterHeight) + s(kFilterGap) + s(kMinGridHeight) + s(kButtonBar);
    const int area = std::max(hotKeyArea, OptionsAreaHeight(s));
    const int height = s(kMargin) + TabStrip(measures) + s(kAreaGap) + area + s(kMargin);
    return {width, height};
}

HotKeyPageLayout LayOutHotKeyPage(ClientSize client, const PageMeasures& measures) {
    const Scaled s{measures.dpi};
    const ClientSize least = MinimumClientSize(measures);
    client.width = std::max(client.width, least.width);
    client.height = std::max(client.height, least.height);

    HotKeyPageLayout layout;
    const int m = s(kMargin), strip = TabStrip(measures);
    layout.tabs = {m, m, client.width - 2 * m, strip};
    const int areaTop = m + strip + s(kAreaGap);
    layout.area = {m + s(kAreaInset), areaTop, client.width - 2 * (m + s(kAreaInset)),
                   client.height - m - areaTop};
    const int bar = s(kButtonBar);
    const int filterTop = layout.area.top + s(kGridTop);
    layout.filter = {layout.area.left + s(kPad), filterTop,
                     std::min(s(kFilterWidth), layout.area.width - 2 * s(kPad)), s(kFilterHeight)};
    const int noteLeft = layout.filter.right() + s(kPad);
    layout.note = {noteLeft, filterTop, std::max(0, layout.area.right() - s(kPad) - noteLeft),
                   s(kFilterHeight)};
    const int gridTop = filterTop + s(kFilterHeight) + s(kFilterGap);
    layout.grid = {layout.area.left + s(kPad), gridTop, layout.area.width - 2 * s(kPad),
                   layout.area.bottom() - bar - gridTop};
    layout.buttonHeight = DesignButtonHeight(measures.dpi);
    const int widest = ButtonWidth(measures);
    layout.buttons = {layout.area.left + s(kPad),
                      layout.area.bottom() - bar + (bar - layout.buttonHeight) / 2, widest,
                      layout.buttonHeight};
    layout.buttonStep = widest + s(kButtonGap);
    return layout;
}

int ClientWidthShowingEveryColumn(int dpi, int scrollBar, int edges) {
    const Scaled s{dpi};
    int columns = 0;
    for (int c = 0; c < kShownColumnCount; ++c)
        columns += s(kColumns[static_cast<std::size_t>(c)].width);
    return columns + scrollBar + edges + 2 * (s(kMargin) + s(kAreaInset) + s(kPad));
}

OptionsPageLayout LayOutOptionsPage(const HotKeyPageLayout& page, const OptionsMeasures& options,
                                    int dpi) {
    const Scaled s{dpi};
    const LayoutRect& area = page.area;
    OptionsPageLayout layout;
    const int inset = s(kOptionsInset);
    const int left = area.left + inset;
    const int fieldWidth = s(kPauseFieldWidth);
    const int pauseLine = options.pauseLabelWidth + s(kPauseLabelGap) + fieldWidth;
    const int lineWidth = std::max({s(kOptionsBoxWidth), options.checkBoxWidth, pauseLine});
    layout.group = {area.left, area.top, std::min(lineWidth + 2 * inset + s(kAreaGap), area.width),
                    GroupHeight(s)};
    layout.autoStart = {left, area.top + s(kAutoStartTop), lineWidth, s(kOptionsLineHeight)};
    layout.trayOnly = {left, area.top + s(kTrayOnlyTop), lineWidth, s(kOptionsLineHeight)};
    // The label's text on the field's middle line.
    const int fieldTop = area.top + s(kPauseFieldTop);
    const int fieldHeight = s(kPauseFieldHeight);
    layout.pauseLabel = {left, fieldTop + (fieldHeight - s(kLabelHeight)) / 2,
                         options.pauseLabelWidth, s(kLabelHeight)};
    layout.pauseField = {left + options.pauseLabelWidth + s(kPauseLabelGap), fieldTop, fieldWidth,
                         fieldHeight};
    layout.pauseNote = {layout.pauseField.left, area.top + PauseNoteTop(s),
                        std::max(0, layout.group.right() - inset - layout.pauseField.left),
                        s(kPauseNoteHeight)};
    layout.pauseFullScreen = {left, area.top + FullScreenTop(s), lineWidth, s(kOptionsLineHeight)};
    const int edge = area.left + s(2);
    layout.importLabel = {edge, area.top + ImportLabelTop(s), s(300), s(kImportLabelHeight)};
    layout.importButton = {edge, area.top + ImportButtonTop(s), page.buttons.width,
                           page.buttonHeight};
    layout.save = {edge, area.bottom() - page.buttonHeight - s(kSaveMargin), page.buttons.width,
                   page.buttonHeight};
    const int savedLeft = layout.save.right() + s(kPauseLabelGap);
    layout.saved = {savedLeft, layout.save.top + (page.buttonHeight - s(kLabelHeight)) / 2,
                    std::max(0, area.right() - inset - savedLeft), s(kLabelHeight)};
    return layout;
}

} // namespace keyvane
