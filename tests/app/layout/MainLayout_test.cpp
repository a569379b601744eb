#include "app/layout/MainLayout.h"

#include "tasks/TaskTable.h"

#include <gtest/gtest.h>

#include <vector>

namespace keyvane {

TEST(MainLayout, FirstWindowShowsEveryColumnBesideAScrollBar) {
    for (int dpi : {96, 120, 144, 192}) {
        const int scrollBar = ScalePixels(17, dpi), edges = ScalePixels(4, dpi);
        const int width = ClientWidthShowingEveryColumn(dpi, scrollBar, edges);
        const int buttons[6] = {};
        const HotKeyPageLayout layout =
            LayOutHotKeyPage({width, 1000}, PageMeasures{dpi, 0, buttons});
        int columns = 0;
        for (int c = 0; c < kShownColumnCount; ++c)
            columns += ScalePixels(kColumns[static_cast<std::size_t>(c)].width, dpi);
        EXPECT_EQ(layout.grid.width, columns + scrollBar + edges) << dpi << " dpi";
    }
}

TEST(MainLayout, MinimumClientSizeHoldsTheSixButtonsAtEveryDpi) {
    const struct {
        int dpi;
        int tabStrip;
        std::vector<int> buttons;
        int width, height;
    } cases[] = {
        // Captions narrower than the designed 85 pixels: the designed row;
        // the height is the Options page's.
        {96, 0, {60, 60, 60, 70, 75, 65}, 568, 269},
        {144, 0, {90, 90, 90, 100, 110, 95}, 855, 404},
        {192, 0, {120, 120, 120, 140, 150, 130}, 1136, 538},
        // A wide caption widens all six; a measured tab strip taller than
        // the designed one lowers everything under it.
        {96, 0, {60, 60, 60, 100, 75, 65}, 658, 269},
        {96, 26, {85, 85, 85, 85, 85, 85}, 568, 275},
        // 125%: rounding to nearest at each step, never below the design.
        {120, 0, {0, 0, 0, 0, 0, 0}, 712, 339},
    };
    for (const auto& c : cases) {
        const PageMeasures measures{c.dpi, c.tabStrip, c.buttons};
        const ClientSize least = MinimumClientSize(measures);
        EXPECT_EQ(least.width, c.width) << c.dpi << " dpi";
        EXPECT_EQ(least.height, c.height) << c.dpi << " dpi";

        // At the minimum every button lies inside the area, side by side,
        // and the grid keeps its rows; a smaller client lays out the same.
        for (ClientSize client : {least, ClientSize{least.width / 2, least.height / 2}}) {
            const HotKeyPageLayout layout = LayOutHotKeyPage(client, measures);
            const int lastRight =
                layout.buttons.left + 5 * layout.buttonStep + layout.buttons.width;
            EXPECT_LE(lastRight, layout.area.right() - ScalePixels(8, c.dpi)) << c.dpi;
            EXPECT_GT(layout.buttonStep, layout.buttons.width) << c.dpi;
            EXPECT_LE(layout.buttons.bottom(), layout.area.bottom()) << c.dpi;
            EXPECT_LE(layout.grid.bottom(), layout.buttons.top) << c.dpi;
            // The Options page's lines set the least height: the grid has
            // its three rows and more.
            EXPECT_GE(layout.grid.height, ScalePixels(124, c.dpi)) << c.dpi;
            EXPECT_LE(layout.area.bottom(), least.height) << c.dpi;
        }
    }
}

TEST(MainLayout, LargerClientGrowsTheGridOnly) {
    const std::vector<int> buttons(6, 0);
    const PageMeasures measures{144, 0, buttons};
    const ClientSize least = MinimumClientSize(measures);
    const HotKeyPageLayout small = LayOutHotKeyPage(least, measures);
    const HotKeyPageLayout large =
        LayOutHotKeyPage({least.width + 300, least.height + 200}, measures);
    EXPECT_EQ(large.grid.width, small.grid.width + 300);
    EXPECT_EQ(large.grid.height, small.grid.height + 200);
    EXPECT_EQ(large.buttons.top, small.buttons.top + 200);
    EXPECT_EQ(large.buttons.left, small.buttons.left);
    EXPECT_EQ(large.buttonStep, small.buttonStep);
}

TEST(MainLayout, OptionsPageFitsTheLeastClientAndScales) {
    const std::vector<int> buttons(6, 0);
    for (int dpi : {96, 120, 144, 192}) {
        const PageMeasures measures{dpi, 0, buttons};
        // A caption wider than the designed box widens the group's lines.
        for (const OptionsMeasures options :
             {OptionsMeasures{ScalePixels(200, dpi), ScalePixels(70, dpi)},
              OptionsMeasures{ScalePixels(380, dpi), ScalePixels(120, dpi)}}) {
            const HotKeyPageLayout page = LayOutHotKeyPage(MinimumClientSize(measures), measures);
            const OptionsPageLayout o = LayOutOptionsPage(page, options, dpi);
            const auto inside = [](const LayoutRect& inner, const LayoutRect& outer) {
                return inner.left >= outer.left && inner.top >= outer.top &&
                       inner.right() <= outer.right() && inner.bottom() <= outer.bottom();
            };
            for (const LayoutRect* line :
                 {&o.autoStart, &o.trayOnly, &o.pauseLabel, &o.pauseField, &o.pauseNote})
                EXPECT_TRUE(inside(*line, o.group)) << dpi;
            for (const LayoutRect* r : {&o.group, &o.importLabel, &o.importButton, &o.save})
                EXPECT_TRUE(inside(*r, page.area)) << dpi;
            // One line under the other, the field after its whole label.
            EXPECT_LE(o.autoStart.bottom(), o.trayOnly.top) << dpi;
            EXPECT_LE(o.trayOnly.bottom(), o.pauseField.top) << dpi;
            EXPECT_GE(o.pauseField.left, o.pauseLabel.right()) << dpi;
            EXPECT_LE(o.pauseField.bottom(), o.pauseNote.top) << dpi;
            EXPECT_LE(o.group.bottom(), o.importLabel.top) << dpi;
            EXPECT_LE(o.importLabel.bottom(), o.importButton.top) << dpi;
            EXPECT_LE(o.importButton.bottom(), o.save.top) << dpi;
            EXPECT_GE(o.autoStart.width, options.checkBoxWidth) << dpi;
            EXPECT_EQ(o.pauseField.height, ScalePixels(22, dpi)) << dpi;
        }
    }
}

} // namespace keyvane
