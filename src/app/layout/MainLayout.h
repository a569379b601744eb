// The main window's two pages, laid out at any dpi: where the group box, the
// grid and the six task buttons of "HotKey View" go in a client area, where
// the options, the import and "Save" go on "Options", and the least client
// area that shows both pages whole. Sizes are designed in pixels at
// 96 dpi and scaled to the window's dpi here, so the window only measures
// what the system draws (the tab strip, the buttons' captions).
#pragma once

#include <span>

namespace keyvane {

inline constexpr int kDesignDpi = 96;

// Pixels designed at 96 dpi, at dpi (rounded to nearest).
int ScalePixels(int pixels, int dpi);

struct LayoutRect {
    int left = 0, top = 0, width = 0, height = 0;
    int right() const { return left + width; }
    int bottom() const { return top + height; }
};

struct ClientSize {
    int width = 0;
    int height = 0;
};

// What the window measured, in pixels at its dpi.
struct PageMeasures {
    int dpi = kDesignDpi;
    // The tab strip's height (0: not measured yet, the designed one).
    int tabStrip = 0;
    // Each task button's width; a width below the designed one is raised.
    std::span<const int> buttonWidths;
};

struct HotKeyPageLayout {
    LayoutRect tabs;    // the page control, its tabs only
    LayoutRect area;    // below the tabs: both pages' controls stand here
    LayoutRect filter;  // the search box, above the grid
    LayoutRect note;    // right of it, to the grid's right edge
    LayoutRect grid;    // inside the group box, which fills the area
    LayoutRect buttons; // the first button; the others follow at buttonStep
    int buttonStep = 0;
    int buttonHeight = 0;
};

// The designed task button: 85 by 28 at 96 dpi.
int DesignButtonWidth(int dpi);
int DesignButtonHeight(int dpi);

// The layout for a client area; a client area below the minimum lays out
// as at the minimum (the controls are cut by the window then, not squeezed
// into each other).
HotKeyPageLayout LayOutHotKeyPage(ClientSize client, const PageMeasures& measures);

// The least client area that shows every control whole: the six buttons side
// by side with their gaps, the search box, and a grid a header and three
// rows high; and every line of the Options page above "Save".
ClientSize MinimumClientSize(const PageMeasures& measures);

// The least client width at which the grid shows every column at its
// designed width beside a vertical scroll bar. scrollBar and edges: the
// system's scroll bar width and the grid's two edges, in pixels at dpi.
int ClientWidthShowingEveryColumn(int dpi, int scrollBar, int edges);

// What the window measured on the Options page, in pixels at its dpi.
struct OptionsMeasures {
    int checkBoxWidth = 0;   // the widest check box's caption and box
    int pauseLabelWidth = 0; // "Pause hotkey:"
};

struct OptionsPageLayout {
    LayoutRect group; // "General", around the lines below
    LayoutRect autoStart;
    LayoutRect trayOnly;
    LayoutRect pauseLabel;
    LayoutRect pauseField;      // the capture field, after its label
    LayoutRect pauseNote;       // two lines under the field: why a combination was not taken
    LayoutRect pauseFullScreen; // "Pause while a full-screen program is in front"
    LayoutRect importLabel;
    LayoutRect importButton;
    LayoutRect save;  // at the bottom of the area
    LayoutRect saved; // right of "Save", on its middle line: "Saved."
};

// The Options page in the area that LayOutHotKeyPage gives both pages; the
// buttons have the task buttons' size (HotKeyPageLayout).
OptionsPageLayout LayOutOptionsPage(const HotKeyPageLayout& page, const OptionsMeasures& options,
                                    int dpi);

} // namespace keyvane
