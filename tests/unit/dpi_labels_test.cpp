// The overview at other DPIs and on a virtual screen whose origin is not 0,0, and the labels of
// mini windows large enough to hold text.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "views/geometry.h"
#include "views/mini_label.h"

namespace quilvo {
namespace {

// Each figure the overview draws, at 96 DPI and what it becomes at 120, 144 and 192.
TEST(Dpi, EveryFigureScalesWithTheWindowsDpiAndStaysAsItIsAt96) {
    struct Row {
        const char* what;
        int at96;
        int at120, at144, at192;
    };
    const Row rows[] = {
        {"main view width", 300, 375, 450, 600},   {"main view height", 200, 250, 300, 400},
        {"single view side", 150, 188, 225, 300},  {"mini window minimum", kMiniMinimumSize, 15, 18, 24},
        {"panel font cap", 12, 15, 18, 24},        {"panel text top", kPanelTextTop, 25, 30, 40},
        {"odd figure", 5, 6, 8, 10},               {"negative figure", -5, -6, -8, -10},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        EXPECT_EQ(ScaleForDpi(r.at96, 96), r.at96);
        EXPECT_EQ(ScaleForDpi(r.at96, 0), r.at96) << "an unreadable DPI is 96";
        EXPECT_EQ(ScaleForDpi(r.at96, 120), r.at120);
        EXPECT_EQ(ScaleForDpi(r.at96, 144), r.at144);
        EXPECT_EQ(ScaleForDpi(r.at96, 192), r.at192);
    }
    // The panel's text: capped at 12 pixels at 96 DPI, 18 at 144; below the cap a third of the panel.
    EXPECT_EQ(PanelTextFont(85).height, 12);
    EXPECT_EQ(PanelTextFont(85, 144).height, 18);
    EXPECT_EQ(PanelTextFont(128, 144).height, 18);
    EXPECT_EQ(PanelTextFont(45, 144).height, 15);
    EXPECT_EQ(PanelTextFont(85, 144).width, 9);
    EXPECT_EQ(PanelTextLineY(2, 18, 144), 30 + 36);
    EXPECT_EQ(PanelTextX(300, 40, 144), 300 - 40 - 5);
    EXPECT_EQ(PanelTextX(96, 40), 53);
}

// A virtual screen of two monitors with its origin left of the primary: the mapping and the
// drag measure from the origin; with the origin at 0,0 every figure is the one-monitor figure.
TEST(Dpi, MappingAndDragMeasureFromTheVirtualScreensOrigin) {
    const SessionPlace onLeft{-1000, 100, 800, 600};
    const PixelPoint origin{-1024, 0};
    const PixelRect m = MiniWindowRect(onLeft, 18, 12, 2, 0, 0, origin);
    EXPECT_EQ(m.x, 24 / 18);
    EXPECT_EQ(m.y, 100 / 12);
    EXPECT_EQ(m.width, 800 / 36);
    const PixelRect primary = MiniWindowRect(SessionPlace{100, 50, 800, 600}, 18, 12, 2, 0, 0, origin);
    EXPECT_EQ(primary.x, 1124 / 18);
    EXPECT_EQ(MiniWindowRect(SessionPlace{100, 50, 40, 40}, 13, 12, 2, 0, 0, {}, 18).width, 18);

    DragInput in;
    in.pointerX = 60;
    in.pointerY = 10;
    in.miniWidth = 20;
    in.miniHeight = 20;
    in.clientRight = 200;
    in.clientBottom = 100;
    in.horizontalScale = 18;
    in.verticalScale = 12;
    in.desktopLeft = -1024;
    in.desktopRight = 2560;
    in.desktopBottom = 1024;
    DragMove d = ComputeDragMove(in);
    ASSERT_TRUE(d.moves);
    EXPECT_EQ(d.session.x, -1024 + 60 * 18);
    in.pointerX = 196;  // the corner stops at 190: -1024 + 18 x 190 = 2396
    EXPECT_TRUE(ComputeDragMove(in).moves);
    in.desktopRight = 2400;
    EXPECT_FALSE(ComputeDragMove(in).moves) << "50 pixels from the virtual screen's right edge";
    in.desktopTop = -900;
    in.desktopRight = 2560;
    in.pointerY = 0;
    EXPECT_EQ(ComputeDragMove(in).session.y, -900);
}

struct LabelCase {
    int width, height, lineHeight;
    bool labelled;
};

TEST(MiniLabel, ThresholdBandAndPicture) {
    // Two lines of 13 pixels (8 points at 96 DPI) need 28 rows of band and two of picture,
    // and two lines' height across.
    const LabelCase cases[] = {
        {26, 30, 13, true}, {25, 30, 13, false}, {26, 29, 13, false}, {12, 12, 13, false},
        {50, 37, 13, true}, {40, 44, 20, true},  {40, 43, 20, false}, {39, 44, 20, false}, {500, 500, 0, false},
    };
    for (const LabelCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height) + " lines " + std::to_string(c.lineHeight));
        const MiniLabelLayout l = LayOutMiniLabel(c.width, c.height, c.lineHeight, 96);
        EXPECT_EQ(l.labelled, c.labelled);
        if (!c.labelled) {
            EXPECT_EQ(l.picture.height, c.height) << "the picture fills the mini window as before";
            EXPECT_EQ(l.band.height, 0);
            continue;
        }
        EXPECT_EQ(l.band.height, 2 * c.lineHeight + 2);
        EXPECT_EQ(l.lines[0].y, 1);
        EXPECT_EQ(l.lines[1].y, 1 + c.lineHeight);
        EXPECT_EQ(l.lines[0].x, 2);
        EXPECT_EQ(l.lines[0].width, c.width - 4);
        EXPECT_EQ(l.picture.y, l.band.height);
        EXPECT_EQ(l.picture.height, c.height - l.band.height);
    }
    EXPECT_EQ(LayOutMiniLabel(80, 60, 19, 144).lines[0].x, 3);
}

TEST(MiniLabel, LinesAndEllipsis) {
    const struct {
        const char *system, *client, *transaction, *title;
        const char *first, *second;
    } lines[] = {
        {"QAS", "200", "SE38", "t", "QAS 200", "SE38"},
        {"QAS", "", "SE38", "t", "QAS", "SE38"},
        {"", "200", "", "t", "200", ""},
        {"", "", "", "SAP Easy Access", "SAP Easy Access", ""},
        {nullptr, nullptr, nullptr, nullptr, "", ""},
    };
    for (const auto& c : lines) {
        const MiniLabelText t = MiniLabelLines(c.system, c.client, c.transaction, c.title);
        EXPECT_STREQ(t.first, c.first);
        EXPECT_STREQ(t.second, c.second);
    }
    const std::string longTitle(300, 'x');
    EXPECT_EQ(std::strlen(MiniLabelLines("", "", "", longTitle.c_str()).first), kLabelLineCapacity - 1);

    // Characters 6 pixels wide, the ellipsis 9.
    std::vector<int> cumulative;
    for (int i = 1; i <= 10; ++i) cumulative.push_back(6 * i);
    const struct {
        int maxWidth, kept;
        bool ellipsis;
    } fits[] = {{60, 10, false}, {100, 10, false}, {59, 8, true}, {27, 3, true}, {14, 0, true}, {8, 0, false}, {-1, 0, false}};
    for (const auto& f : fits) {
        SCOPED_TRACE(f.maxWidth);
        const FittedText fit = FitWithEllipsis(cumulative.data(), 10, 9, f.maxWidth);
        EXPECT_EQ(fit.kept, f.kept);
        EXPECT_EQ(fit.ellipsis, f.ellipsis);
    }
    EXPECT_EQ(FitWithEllipsis(cumulative.data(), 0, 9, 100).kept, 0);
}

}  // namespace
}  // namespace quilvo
