#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "recording_ops.h"
#include "commands/session_commands.h"
#include "core/boxes.h"
#include "base/text.h"

namespace quilvo {
namespace {

using ::test::RecordingOps;

using Calls = std::vector<std::string>;

struct Session {
    WindowHandle window;
    const char* system = "PRD";
    const char* serverGroup = "";
    const char* title = "";
    bool zoomed = false;
};

// Heap-allocated so that a walk past the 50th record is caught by the address sanitizer.
std::unique_ptr<SessionTable> MakeTable(const std::vector<Session>& sessions) {
    auto table = std::make_unique<SessionTable>();
    table->Clear();
    for (const Session& s : sessions) {
        SessionRecord& r = table->records[table->count];
        r.window = s.window;
        r.index = static_cast<std::int16_t>(table->count);
        r.zoomed = s.zoomed ? 1 : 0;
        CopyCut(r.system, s.system);
        CopyCut(r.serverGroup, s.serverGroup);
        CopyCut(r.title, s.title);
        ++table->count;
    }
    return table;
}

TEST(ShowAllSessions, MaximisedSessionComesBackMaximisedAndOnlyThatOne) {
    for (int code : {kShowNoActivate, kShowRestore}) {
        auto table = MakeTable({{11}, {12, "PRD", "", "", true}, {13}, {14}});
        RecordingOps ops;
        ShowAllSessions(*table, code, ops);
        const std::string c = std::to_string(code);
        EXPECT_EQ(ops.calls, (Calls{"show 11 " + c, "show 12 3", "show 13 " + c, "show 14 " + c}))
            << "show code " << code;
    }
}

TEST(ShowAllSessions, IconizeAndHideApplyToMaximisedSessionsToo) {
    for (int code : {kShowMinimize, kShowHide}) {
        auto table = MakeTable({{11, "PRD", "", "", true}, {12}});
        RecordingOps ops;
        ShowAllSessions(*table, code, ops);
        const std::string c = std::to_string(code);
        EXPECT_EQ(ops.calls, (Calls{"show 11 " + c, "show 12 " + c})) << "show code " << code;
    }
}

TEST(ShowAllSessions, CloseAsksEverySessionAndShowsNothing) {
    auto table = MakeTable({{11, "PRD", "", "", true}, {12}, {13}});
    RecordingOps ops;
    ShowAllSessions(*table, kShowClose, ops);
    EXPECT_EQ(ops.calls, (Calls{"close 11", "close 12", "close 13"}));
}

TEST(ShowAllSessions, WalkEndsAtFirstRecordWithoutWindowOrAfterTheFiftieth) {
    RecordingOps ops;
    auto empty = MakeTable({});
    for (int code : {kShowHide, kShowMinimize, kShowRestore, kShowClose}) ShowAllSessions(*empty, code, ops);
    EXPECT_TRUE(ops.calls.empty());

    // A record beyond the first empty one is not visited, whatever the count says.
    auto gap = MakeTable({{11}, {12}, {13}});
    gap->records[1].window = kNoWindow;
    ShowAllSessions(*gap, kShowRestore, ops);
    EXPECT_EQ(ops.calls, (Calls{"show 11 9"}));

    std::vector<Session> fifty;
    for (WindowHandle w = 1; w <= kTableCapacity; ++w) fifty.push_back({w});
    auto full = MakeTable(fifty);
    ops.calls.clear();
    ShowAllSessions(*full, kShowClose, ops);
    ASSERT_EQ(ops.calls.size(), 50u);
    EXPECT_EQ(ops.calls.back(), "close 50");
}

TEST(GroupCommand, RestoresEverySessionOfTheSameSystemInAnyCaseThenRaisesTheChosen) {
    auto table = MakeTable({{11, "PRD"}, {12, "DEV"}, {13, "prd", "", "", true}, {14, "Prd"}});
    RecordingOps ops;
    EXPECT_EQ(GroupCommand(*table, 14, kGroupRestore, kGroupBySystem, ops), 0);
    // Restored to normal size: the zoomed flag of 13 is not consulted.
    EXPECT_EQ(ops.calls, (Calls{"icon 11", "show 11 9", "icon 13", "show 13 9", "icon 14", "show 14 9",
                                "top 14"}));
}

TEST(GroupCommand, MatchesByServerGroupOrTitle) {
    auto table = MakeTable({{11, "PRD", "", "SAP Easy Access"},
                            {12, "PRD", "SPACE", "Display Material"},
                            {13, "DEV", "", "sap easy access"},
                            {14, "QAS", "space", "Other"}});
    RecordingOps ops;
    // An empty Server group matches every session whose Server group is empty.
    GroupCommand(*table, 13, kGroupRestore, kGroupByServerGroup, ops);
    EXPECT_EQ(ops.calls, (Calls{"icon 11", "show 11 9", "icon 13", "show 13 9", "top 13"}));

    ops.calls.clear();
    GroupCommand(*table, 12, kGroupClose, kGroupByServerGroup, ops);
    EXPECT_EQ(ops.calls, (Calls{"close 12", "close 14", "top 12"}));

    ops.calls.clear();
    GroupCommand(*table, 11, kGroupRestore, kGroupByTitle, ops);
    EXPECT_EQ(ops.calls, (Calls{"icon 11", "show 11 9", "icon 13", "show 13 9", "top 11"}));
}

TEST(GroupCommand, CloseStillBringsTheChosenWindowToTop) {
    auto table = MakeTable({{11, "PRD"}, {12, "DEV"}, {13, "PRD"}});
    RecordingOps ops;
    EXPECT_EQ(GroupCommand(*table, 11, kGroupClose, kGroupBySystem, ops), 0);
    EXPECT_EQ(ops.calls, (Calls{"close 11", "close 13", "top 11"}));
}

TEST(GroupCommand, DoesNothingAtAllForAnUnknownWindowOrField) {
    auto table = MakeTable({{11, "PRD"}, {12, "PRD"}, {13, "PRD"}});
    table->records[1].window = kNoWindow;  // 13 lies beyond the end of the walk
    auto empty = MakeTable({});
    RecordingOps ops;
    EXPECT_EQ(GroupCommand(*table, 99, kGroupRestore, kGroupBySystem, ops), 0);
    EXPECT_EQ(GroupCommand(*table, 13, kGroupClose, kGroupBySystem, ops), 0);
    EXPECT_EQ(GroupCommand(*empty, 11, kGroupRestore, kGroupBySystem, ops), 0);
    EXPECT_EQ(GroupCommand(*table, 11, kGroupRestore, 3, ops), 0);
    EXPECT_EQ(GroupCommand(*table, 11, kGroupClose, -1, ops), 0);
    EXPECT_TRUE(ops.calls.empty());
}

TEST(GroupCommand, LastRecordCarryingTheChosenWindowGivesTheValue) {
    auto table = MakeTable({{11, "PRD"}, {12, "DEV"}, {11, "DEV"}});
    RecordingOps ops;
    GroupCommand(*table, 11, kGroupClose, kGroupBySystem, ops);
    EXPECT_EQ(ops.calls, (Calls{"close 12", "close 11", "top 11"}));
}

TEST(RaiseSession, RestoresOrMaximisesThenBringsToTop) {
    RecordingOps ops;
    RaiseSession(21, false, ops);
    RaiseSession(22, true, ops);
    EXPECT_EQ(ops.calls, (Calls{"icon 21", "show 21 9", "top 21", "icon 22", "show 22 3", "top 22"}));
}

TEST(RaiseBox, FirstSessionOfTheListEndsUpOnTop) {
    auto table = MakeTable({{31}, {32, "PRD", "", "", true}, {33}});
    BoxFilter everything = {};
    BoxList list(*table, table->count, everything);
    ASSERT_EQ(list.count, 3);

    RecordingOps ops;
    ops.zOrder = {99, 31, 32, 33};
    RaiseBox(list, ops);
    EXPECT_EQ(ops.calls, (Calls{"icon 33", "show 33 9", "top 33", "top 33",
                                "icon 32", "show 32 3", "top 32", "top 32",
                                "icon 31", "show 31 9", "top 31", "top 31"}));
    EXPECT_EQ(ops.zOrder, (std::vector<WindowHandle>{31, 32, 33, 99}));
}

TEST(RaiseBox, EmptyBoxDoesNothing) {
    auto table = MakeTable({});
    BoxFilter everything = {};
    BoxList list(*table, 0, everything);
    RecordingOps ops;
    RaiseBox(list, ops);
    EXPECT_TRUE(ops.calls.empty());
}

// The keyboard's ways to a box end with the focus on its first session, after its raise;
// an empty or missing box activates nothing.
TEST(SwitchToBoxWithFocus, TheFirstSessionTakesTheFocusLast) {
    auto table = MakeTable({{41}, {42}});
    BoxFilter everything = {};
    BoxList list(*table, table->count, everything);
    BoxList none(*table, 0, everything);
    const struct {
        const BoxList* box;
        WindowHandle focused;
        const char* lastCall;
    } cases[] = {{&list, 41, "activate 41"}, {&none, kNoWindow, "show 42 0"}, {nullptr, kNoWindow, "show 42 0"}};
    for (const auto& c : cases) {
        RecordingOps ops;
        EXPECT_EQ(SwitchToBoxWithFocus(table.get(), c.box, ops), c.focused);
        ASSERT_FALSE(ops.calls.empty());
        EXPECT_EQ(ops.calls.back(), c.lastCall);
        EXPECT_EQ(std::count_if(ops.calls.begin(), ops.calls.end(), [](const std::string& call) { return call.rfind("activate", 0) == 0; }),
                  c.focused != kNoWindow ? 1 : 0);
    }
}

}  // namespace
}  // namespace quilvo
