#include "views/geometry.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace quilvo {
namespace {

void ExpectRect(const PixelRect& r, int x, int y, int w, int h) {
    EXPECT_EQ(r.x, x);
    EXPECT_EQ(r.y, y);
    EXPECT_EQ(r.width, w);
    EXPECT_EQ(r.height, h);
}

TEST(GeometryLayout, TwoRowsOfThreeOverlapByOnePixel) {
    auto panels = TwoRowLayout(294, 170, 6);
    ASSERT_EQ(panels.size(), 6u);
    const int xs[] = {1, 98, 195};
    for (int i = 0; i < 3; ++i) {
        ExpectRect(panels[i], xs[i], 1, 98, 85);
        ExpectRect(panels[3 + i], xs[i], 84, 98, 85);
    }
}

TEST(GeometryLayout, OneRowSinglePanelFillsClientLessOneLine) {
    auto panels = OneRowLayout(144, 123, 1);
    ASSERT_EQ(panels.size(), 1u);
    ExpectRect(panels[0], 1, 1, 144, 122);

    auto three = OneRowLayout(300, 100, 3);
    ASSERT_EQ(three.size(), 3u);
    EXPECT_EQ(three[1].x, 100);
    EXPECT_EQ(three[2].x, 199);
}

TEST(GeometryLayout, OddAndEmptyCountsStillPlaceEveryBox) {
    auto five = TwoRowLayout(300, 100, 5);
    ASSERT_EQ(five.size(), 5u);  // three on top, two below
    EXPECT_EQ(five[0].width, 100);
    EXPECT_EQ(five[2].y, 1);
    ExpectRect(five[4], 100, 49, 100, 50);

    auto one = TwoRowLayout(300, 100, 1);
    ASSERT_EQ(one.size(), 1u);
    ExpectRect(one[0], 1, 1, 300, 50);

    EXPECT_TRUE(TwoRowLayout(300, 100, 0).empty());
    EXPECT_TRUE(TwoRowLayout(300, 100, -2).empty());
    EXPECT_TRUE(OneRowLayout(300, 100, 0).empty());
}

TEST(GeometryScale, DesktopOverPanelWithFallbacks) {
    EXPECT_EQ(ComputeScale(true, 1280, 98), 13);
    EXPECT_EQ(ComputeScale(true, 1024, 85), 12);
    EXPECT_EQ(ComputeScale(true, 1280, 1300), 20);  // panel wider than the desktop
    EXPECT_EQ(ComputeScale(false, 1280, 98), 1);     // a window is missing
    EXPECT_EQ(ComputeScale(true, 1280, 0), 20);      // zero-sized panel
    EXPECT_EQ(ComputeScale(true, 1280, -4), 20);
}

TEST(GeometryMiniWindow, ScaledByDesktopAndZoom) {
    const SessionPlace s{100, 50, 800, 600};
    ExpectRect(MiniWindowRect(s, 13, 12, 2, 0, 0), 7, 4, 30, 25);
    // 800 / 65 = 12, 600 / 60 = 10 raised to the minimum of 12.
    ExpectRect(MiniWindowRect(s, 13, 12, 5, 0, 0), 7, 4, 12, 12);
    ExpectRect(MiniWindowRect(s, 13, 12, 2, 3, -2), 10, 2, 30, 25);
}

TEST(GeometryMiniWindow, ZoomBelowOneCountsAsOne) {
    const SessionPlace s{100, 50, 800, 600};
    const PixelRect one = MiniWindowRect(s, 13, 12, 1, 0, 0);
    ExpectRect(one, 7, 4, 61, 50);
    for (int zoom : {0, -1, -32768}) {
        SCOPED_TRACE(zoom);
        const PixelRect r = MiniWindowRect(s, 13, 12, zoom, 0, 0);
        EXPECT_EQ(r.width, one.width);
        EXPECT_EQ(r.height, one.height);
    }
    EXPECT_EQ(EffectiveZoom(0), 1);
    EXPECT_EQ(EffectiveZoom(5), 5);
    // A zero scale (never produced by ComputeScale) does not divide by zero either.
    ExpectRect(MiniWindowRect(s, 0, 0, 0, 0, 0), 100, 50, 800, 600);
}

TEST(GeometryCascade, StairFromScaledPositions) {
    const int xs[] = {7, 20, 40};
    const int expected[] = {0, 6, 13};
    for (int i = 0; i < 3; ++i) {
        const PixelPoint p = CascadePosition(xs[i], xs[i], i, 13, 13, 5, 0, 0);
        EXPECT_EQ(p.x, expected[i]);
        EXPECT_EQ(p.y, expected[i]);
    }
    EXPECT_EQ(CascadePosition(7, 7, 1, 13, 13, 5, 2, 4).y, 9);
}

TEST(GeometryButtons, FifthOfPanelUntilTheyNoLongerFit) {
    const ButtonRow three = SessionButtonRow(98, 85, 3, 7);
    EXPECT_EQ(three.width, 19);
    EXPECT_EQ(three.height, 12);
    EXPECT_EQ(three.y, 71);
    EXPECT_EQ(three.X(0), 0);
    EXPECT_EQ(three.X(1), 19);
    EXPECT_EQ(three.X(2), 38);

    const ButtonRow seven = SessionButtonRow(98, 85, 7, 7);
    EXPECT_EQ(seven.width, 14);
    EXPECT_EQ(seven.X(6), 84);

    EXPECT_EQ(SessionButtonRow(98, 85, 5, 7).width, 19);
    EXPECT_EQ(SessionButtonRow(98, 85, 0, 7).width, 19);
    EXPECT_EQ(SessionButtonRow(98, 85, 3, 0).height, 85);  // divisor below 1 counts as 1
}

TEST(GeometryPanelText, FontAndLinesFollowPanelHeight) {
    const PanelFont tall = PanelTextFont(85);
    EXPECT_EQ(tall.height, 12);
    EXPECT_EQ(tall.width, 6);
    const int tallLines[] = {20, 32, 44, 56};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(PanelTextLineY(i, tall.height), tallLines[i]);

    const PanelFont low = PanelTextFont(30);
    EXPECT_EQ(low.height, 10);
    EXPECT_EQ(low.width, 5);
    const int lowLines[] = {20, 30, 40, 50};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(PanelTextLineY(i, low.height), lowLines[i]);

    EXPECT_EQ(PanelTextFont(2).height, 0);
    EXPECT_EQ(PanelTextFont(-30).height, 0);
}

TEST(GeometryPanelText, LongestFieldAlignsEarlierOnTies) {
    EXPECT_EQ(PanelTextAlignment("ABC", "100", "USER01"), AlignBy::User);
    EXPECT_EQ(PanelTextAlignment("ABC", "100", ""), AlignBy::System);
    EXPECT_EQ(PanelTextAlignment("AB", "100", "XYZ"), AlignBy::Client);
    EXPECT_EQ(PanelTextAlignment("", "", ""), AlignBy::System);

    EXPECT_EQ(PanelTextX(96, 40), 53);
    EXPECT_EQ(PanelTextX(96, 200), 0);
}

DragInput WideDrag(int pointerX) {
    DragInput in;
    in.pointerX = pointerX;
    in.pointerY = 10;
    in.grabX = 0;
    in.grabY = 0;
    in.miniWidth = 20;
    in.miniHeight = 20;
    in.clientRight = 400;
    in.clientBottom = 200;
    in.horizontalScale = 13;
    in.verticalScale = 12;
    in.desktopRight = 1280;
    in.desktopBottom = 1024;
    return in;
}

TEST(GeometryDrag, SessionStopsFiftyPixelsBeforeDesktopEdge) {
    const DragMove at94 = ComputeDragMove(WideDrag(94));
    ASSERT_TRUE(at94.moves);
    EXPECT_EQ(at94.session.x, 1222);
    EXPECT_EQ(at94.session.y, 120);
    EXPECT_EQ(at94.mini.x, 94);
    EXPECT_EQ(at94.mini.y, 10);
    for (int x : {95, 96, 150, 390}) {
        SCOPED_TRACE(x);
        EXPECT_FALSE(ComputeDragMove(WideDrag(x)).moves);
    }
}

TEST(GeometryDrag, MiniWindowCentreStaysInPanel) {
    DragInput in = WideDrag(0);
    in.horizontalScale = 1;
    in.verticalScale = 1;
    in.clientRight = 96;
    in.clientBottom = 83;
    in.miniWidth = 30;
    in.miniHeight = 25;
    in.pointerX = 500;
    in.pointerY = 500;
    in.grabX = 5;
    in.grabY = 5;
    DragMove m = ComputeDragMove(in);
    ASSERT_TRUE(m.moves);
    EXPECT_EQ(m.mini.x, 81);  // 96 - 30 / 2
    EXPECT_EQ(m.mini.y, 71);  // 83 - 25 / 2
    EXPECT_EQ(m.session.x, 81);

    in.pointerX = 2;  // grab offset pulls it past the left edge
    in.pointerY = -40;
    m = ComputeDragMove(in);
    ASSERT_TRUE(m.moves);
    EXPECT_EQ(m.mini.x, 0);
    EXPECT_EQ(m.mini.y, 0);

    in.offsetX = 4;  // the mini window never goes left of the panel's offset
    EXPECT_EQ(ComputeDragMove(in).mini.x, 4);
    EXPECT_EQ(ComputeDragMove(in).session.x, 0);
}

constexpr int kMin = INT32_MIN, kMax = INT32_MAX;

TEST(GeometryExtremes, MiniWindowsCascadeAndTipsOfSessionsAtTheEndsOfTheRange) {
    ExpectRect(MiniWindowRect({kMin, kMin, kMax, kMax}, 1, 1, 1, -5, -5), kMin, kMin, kMax, kMax);
    ExpectRect(MiniWindowRect({kMax, kMax, kMin, kMin}, 1, 1, 1, 5, 5), kMax, kMax, kMiniMinimumSize,
               kMiniMinimumSize);
    EXPECT_EQ(CascadePosition(kMax, kMax, kMax, 1, 1, kMax, kMax, kMax).x, kMax);
    EXPECT_EQ(CascadePosition(kMin, kMin, 2, 1, 1, kMin, kMin, kMin).y, kMin);
    EXPECT_EQ(CascadePosition(kMax, kMax, kMax, 1, 1, kMin, 0, 0).x, kMin);
    EXPECT_EQ(MiniWindowTipPosition({kMax, kMax}, {kMax, kMax}, kMax).x, kMax);
    EXPECT_EQ(MiniWindowTipPosition({kMin, kMin}, {kMin, kMin}, 0).y, kMin);
}

TEST(GeometryExtremes, DragWithPointerPanelOrDesktopAtTheEndsOfTheRange) {
    // pointer, grab, client right, mini width, desktop right -> moves, mini x
    const int cases[][7] = {{kMin, kMax, 400, 20, 1280, 1, 0},    // pointer far left of its grab
                            {kMax, kMin, 400, 20, 1280, 1, 390},  // far right of it
                            {10, 0, kMin, kMax, 1280, 1, 0},      // empty panel far left
                            {kMax, 0, kMax, 0, kMax, 0, 0},       // panel and desktop far right
                            {10, 0, 400, 20, kMin, 0, 0}};        // desktop far left
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        DragInput in = WideDrag(c[0]);
        in.grabX = c[1];
        in.clientRight = c[2];
        in.miniWidth = c[3];
        in.desktopRight = c[4];
        in.horizontalScale = 1;
        const DragMove m = ComputeDragMove(in);
        EXPECT_EQ(m.moves, c[5] == 1);
        EXPECT_EQ(m.mini.x, c[6]);
    }
}

TEST(GeometryTip, AnchorsOfMiniWindowAndButton) {
    const PixelPoint panel{200, 300};
    const PixelPoint mini = MiniWindowTipPosition(panel, PixelPoint{7, 4}, 30);
    EXPECT_EQ(mini.x, 200 + 14 + 1 + 30);
    EXPECT_EQ(mini.y, 300 + 8 + 1 - 10);
    const PixelPoint button = SessionButtonTipPosition(panel, PixelPoint{19, 71});
    EXPECT_EQ(button.x, 219);
    EXPECT_EQ(button.y, 356);
}

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
    const PixelPoint origin{-1024, 0};
    ExpectRect(MiniWindowRect(SessionPlace{-1000, 100, 800, 600}, 18, 12, 2, 0, 0, origin), 24 / 18, 100 / 12, 800 / 36,
               600 / 24);
    EXPECT_EQ(MiniWindowRect(SessionPlace{100, 50, 800, 600}, 18, 12, 2, 0, 0, origin).x, 1124 / 18);
    EXPECT_EQ(MiniWindowRect(SessionPlace{100, 50, 40, 40}, 13, 12, 2, 0, 0, {}, 18).width, 18);

    // pointer x, y, virtual screen left, top, right -> moves, session x, y
    const int drags[][8] = {{60, 10, -1024, 0, 2560, 1, -1024 + 60 * 18, 120},
                            {196, 10, -1024, 0, 2560, 1, -1024 + 190 * 18, 120},  // the corner stops at 190
                            {196, 10, -1024, 0, 2400, 0, 0, 0},  // 2396 is within 50 of the right edge
                            {60, 0, 0, -900, 2560, 1, 60 * 18, -900}};
    for (const auto& d : drags) {
        SCOPED_TRACE(&d - drags);
        DragInput in = WideDrag(d[0]);
        in.pointerY = d[1];
        in.clientRight = 200;
        in.horizontalScale = 18;
        in.desktopLeft = d[2];
        in.desktopTop = d[3];
        in.desktopRight = d[4];
        const DragMove m = ComputeDragMove(in);
        EXPECT_EQ(m.moves, d[5] == 1);
        EXPECT_EQ(m.session.x, d[6]);
        EXPECT_EQ(m.session.y, d[7]);
    }
}

// Two monitors of different sizes side by side: the virtual screen's bounding box has a hole
// below the smaller one. A move is taken where the session's caption lands on a monitor (50
// pixels of it across, all its height); elsewhere the session is kept on the nearest monitor,
// and the mini window follows it.
TEST(GeometryDrag, TheCaptionLandsOnAMonitorOrTheSessionIsKeptOnTheNearest) {
    MonitorList monitors;
    monitors.Add({0, 0, 1920, 1080});
    monitors.Add({1920, 0, 3200, 720});  // 1280 x 720, right of the primary
    // pointer x, y (scale 10, grab 0) -> session x, y, mini x, y
    const int drags[][6] = {
        {50, 50, 500, 500, 50, 50},        // on the primary
        {200, 30, 2000, 300, 200, 30},     // on the second
        {220, 80, 2200, 696, 220, 69},     // into the hole below the second: up to its bottom
        {189, 100, 1870, 1000, 187, 100},  // 30 pixels of caption on the primary: kept on it
        {319, 10, 3150, 100, 315, 10},     // 50 pixels of caption left on the second at its right
        {0, 0, 0, 0, 0, 0},
    };
    for (const auto& d : drags) {
        SCOPED_TRACE(&d - drags);
        DragInput in;
        in.pointerX = d[0];
        in.pointerY = d[1];
        in.miniWidth = 8;
        in.miniHeight = 6;
        in.clientRight = 320;
        in.clientBottom = 108;
        in.horizontalScale = in.verticalScale = 10;
        in.desktopRight = 3200;
        in.desktopBottom = 1080;
        in.monitors = &monitors;
        in.sessionWidth = 400;
        in.captionHeight = 24;
        const DragMove m = ComputeDragMove(in);
        ASSERT_TRUE(m.moves);
        EXPECT_EQ(m.session.x, d[2]);
        EXPECT_EQ(m.session.y, d[3]);
        EXPECT_EQ(m.mini.x, d[4]);
        EXPECT_EQ(m.mini.y, d[5]);
    }
}

}  // namespace
}  // namespace quilvo
