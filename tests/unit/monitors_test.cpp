// Sessions on every monitor of a desk: where discovery records them, and the virtual screen the
// views map.
#include <gtest/gtest.h>

#include "core/discovery.h"
#include "core/monitors.h"
#include "fake_desktop.h"

namespace quilvo {
namespace {

constexpr NormalRect kPrimary = {0, 0, 1280, 1024};

struct Desk {
    const char* name;
    MonitorList monitors;
    NormalRect virtualScreen;
};

MonitorList Monitors(std::initializer_list<MonitorArea> areas) {
    MonitorList list;
    for (const MonitorArea& a : areas) list.Add(a.monitor, a.work);
    return list;
}

// One session on a desk: its normal rectangle as the platform gives it, and where it is recorded.
struct Placement {
    const char* desk;
    NormalRect normal;
    bool workspace;
    bool zoomed;
    NormalRect shown;  // where a zoomed one is now
    std::int32_t x, y;
};

TEST(Monitors, SessionsAreRecordedOnTheVirtualScreen) {
    const Desk desks[] = {
        {"one", OneMonitor(1280, 1024), kPrimary},
        {"side by side", Monitors({{kPrimary, kPrimary}, {{1280, 0, 2560, 1024}, {1280, 0, 2560, 1024}}}),
         {0, 0, 2560, 1024}},
        {"smaller at the left", Monitors({{kPrimary, kPrimary}, {{-1024, 200, 0, 968}, {-1024, 200, 0, 968}}}),
         {-1024, 0, 1280, 1024}},
        {"above", Monitors({{kPrimary, kPrimary}, {{0, -900, 1440, 0}, {0, -900, 1440, 0}}}), {0, -900, 1440, 1024}},
        {"taskbar left", Monitors({{kPrimary, {60, 0, 1280, 1024}}}), kPrimary},
        {"taskbar top", Monitors({{kPrimary, {0, 40, 1280, 1024}}}), kPrimary},
        {"taskbar top of the second", Monitors({{kPrimary, kPrimary}, {{1280, 0, 2560, 1024}, {1280, 30, 2560, 1024}}}),
         {0, 0, 2560, 1024}},
    };
    const Placement cases[] = {
        {"one", {30, 40, 830, 640}, true, false, {}, 30, 40},
        {"one", {30, 40, 830, 640}, true, true, {-8, -8, 1288, 1032}, 0, 0},
        {"side by side", {1380, 50, 2180, 650}, true, false, {}, 1380, 50},
        {"side by side", {1380, 50, 2180, 650}, true, true, {1272, -8, 2568, 1032}, 1280, 0},
        {"smaller at the left", {-900, 300, -100, 900}, true, false, {}, -900, 300},
        {"smaller at the left", {-900, 300, -100, 900}, true, true, {-1032, 192, 8, 976}, -1024, 200},
        {"above", {100, -800, 900, -200}, true, false, {}, 100, -800},
        {"above", {100, -800, 900, -200}, true, true, {-8, -908, 1448, 8}, 0, -900},
        {"taskbar left", {30, 40, 830, 640}, true, false, {}, 90, 40},
        {"taskbar left", {30, 40, 830, 640}, false, false, {}, 30, 40},  // a tool window: screen coordinates
        {"taskbar left", {30, 40, 830, 640}, true, true, {52, -8, 1288, 1032}, 0, 0},
        {"taskbar top", {30, 40, 830, 640}, true, false, {}, 30, 80},
        {"taskbar top of the second", {1300, 10, 1900, 410}, true, false, {}, 1300, 40},
        {"taskbar top of the second", {30, 10, 630, 410}, true, false, {}, 30, 10},
        {"taskbar left", {INT32_MAX - 100, 0, INT32_MAX, 100}, true, false, {}, INT32_MAX - 40, 0},
        {"side by side", {INT32_MIN, INT32_MIN, INT32_MIN, INT32_MIN}, true, true, {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}, 0, 0},
    };
    for (const Placement& c : cases) {
        SCOPED_TRACE(std::string(c.desk) + (c.zoomed ? ", maximised" : "") + (c.workspace ? "" : ", screen coordinates"));
        const Desk* desk = nullptr;
        for (const Desk& d : desks) desk = std::string(d.name) == c.desk ? &d : desk;
        ASSERT_NE(desk, nullptr);
        const NormalRect v = VirtualScreen(desk->monitors);
        EXPECT_EQ(v.left, desk->virtualScreen.left);
        EXPECT_EQ(v.top, desk->virtualScreen.top);
        EXPECT_EQ(v.right, desk->virtualScreen.right);
        EXPECT_EQ(v.bottom, desk->virtualScreen.bottom);

        test::FakeDesktop fake;
        fake.monitors = desk->monitors;
        test::FakeWindow& w = fake.Add("S");
        w.rect = c.normal;
        w.workspace = c.workspace;
        w.zoomed = c.zoomed;
        w.shown = c.shown;
        const std::vector<SessionRecord> found = Discovery(fake, kDefaultSessionClass).Pass(true);
        ASSERT_EQ(found.size(), 1u);
        EXPECT_EQ(found[0].x, c.x);
        EXPECT_EQ(found[0].y, c.y);
        EXPECT_EQ(found[0].width, static_cast<std::int64_t>(c.normal.right) - c.normal.left)
            << "the normal size, also maximised";
        EXPECT_EQ(found[0].height, static_cast<std::int64_t>(c.normal.bottom) - c.normal.top);
    }
}

TEST(Monitors, ARectangleOffEveryMonitorBelongsToTheNearestAndNoMonitorsChangeNothing) {
    const MonitorList two = Monitors({{kPrimary, {0, 40, 1280, 1024}}, {{1280, 0, 2560, 1024}, {1340, 0, 2560, 1024}}});
    EXPECT_EQ(MonitorFor(two, NormalRect{3000, 100, 3400, 400}), &two.items[1]);
    EXPECT_EQ(MonitorFor(two, NormalRect{-500, 2000, -100, 2400}), &two.items[0]);
    EXPECT_EQ(MonitorFor(two, NormalRect{1200, 100, 1400, 400}), &two.items[1]) << "the larger share";
    EXPECT_EQ(MonitorFor(two, NormalRect{INT32_MIN, INT32_MIN, INT32_MIN, INT32_MIN}), &two.items[0]);
    const MonitorList huge = Monitors({{{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}, kPrimary}, {kPrimary, kPrimary}});
    EXPECT_EQ(MonitorFor(huge, NormalRect{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}), &huge.items[0]);
    const NormalRect moved = WorkspaceToScreen(two, NormalRect{3000, 100, 3400, 400});
    EXPECT_EQ(moved.left, 3060);
    EXPECT_EQ(moved.top, 100);

    const MonitorList none;
    const NormalRect r = {5, 6, 7, 8};
    EXPECT_EQ(WorkspaceToScreen(none, r).left, 5);
    EXPECT_EQ(MaximisedOrigin(none, r).x, 0);
    EXPECT_EQ(VirtualScreen(none).right, 0);
    MonitorList full;
    for (int i = 0; i < kMaxMonitors + 3; ++i) full.Add(NormalRect{i * 100, 0, i * 100 + 100, 100});
    EXPECT_EQ(full.count, kMaxMonitors);
}

}  // namespace
}  // namespace quilvo
