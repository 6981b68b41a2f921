#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "record_checks.h"
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

// On the heap, so that a walk past the last session is caught by the address sanitizer.
std::unique_ptr<SessionSnapshot> MakeTable(const std::vector<Session>& sessions) {
    std::vector<SessionRecord> records;
    for (const Session& s : sessions) {
        SessionRecord r = ::test::Record(s.window, s.system, "", "", "", s.title);
        r.zoomed = s.zoomed ? 1 : 0;
        CopyCut(r.serverGroup, s.serverGroup);
        records.push_back(r);
    }
    return std::make_unique<SessionSnapshot>(::test::SnapshotOf(records));
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

TEST(ShowAllSessions, EverySessionOnceNoneWithoutSessions) {
    RecordingOps ops;
    auto empty = MakeTable({});
    for (int code : {kShowHide, kShowMinimize, kShowRestore, kShowClose}) ShowAllSessions(*empty, code, ops);
    EXPECT_TRUE(ops.calls.empty());

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
    auto empty = MakeTable({});
    RecordingOps ops;
    EXPECT_EQ(GroupCommand(*table, 99, kGroupRestore, kGroupBySystem, ops), 0);
    EXPECT_EQ(GroupCommand(*table, kNoWindow, kGroupClose, kGroupBySystem, ops), 0);
    EXPECT_EQ(GroupCommand(*empty, 11, kGroupRestore, kGroupBySystem, ops), 0);
    EXPECT_EQ(GroupCommand(*table, 11, kGroupRestore, 3, ops), 0);
    EXPECT_EQ(GroupCommand(*table, 11, kGroupClose, -1, ops), 0);
    EXPECT_TRUE(ops.calls.empty());
}

// A mini window or its button brings its session up as the snapshot of the moment has it, not
// as its panel last showed it: one the user restored since stays restored.
TEST(RaiseSession, RestoresOrMaximisesAsTheSessionIsNowThenBringsToTop) {
    RecordingOps ops;
    RaiseSession(21, false, ops);
    RaiseSession(22, true, ops);
    EXPECT_EQ(ops.calls, (Calls{"icon 21", "show 21 9", "top 21", "icon 22", "show 22 3", "top 22"}));

    auto now = MakeTable({{23}, {24, "PRD", "", "", true}});
    ops.calls.clear();
    for (WindowHandle w : {WindowHandle{23}, WindowHandle{24}, WindowHandle{25}}) RaiseSessionAsItIs(*now, w, ops);
    EXPECT_EQ(ops.calls, (Calls{"icon 23", "show 23 9", "top 23", "icon 24", "show 24 3", "top 24", "icon 25",
                                "show 25 9", "top 25"}));
}

TEST(RaiseBox, FirstSessionOfTheBoxEndsUpOnTop) {
    auto table = MakeTable({{30}, {31}, {32, "PRD", "", "", true}, {33}});
    table->members[2] = {1, 2, 3};

    RecordingOps ops;
    ops.zOrder = {99, 31, 32, 33};
    RaiseBox(*table, 2, ops);
    EXPECT_EQ(ops.calls, (Calls{"icon 33", "show 33 9", "top 33", "top 33",
                                "icon 32", "show 32 3", "top 32", "top 32",
                                "icon 31", "show 31 9", "top 31", "top 31"}));
    EXPECT_EQ(ops.zOrder, (std::vector<WindowHandle>{31, 32, 33, 99}));
}

TEST(RaiseBox, EmptyBoxOrNoBoxDoesNothing) {
    auto table = MakeTable({{31}});
    RecordingOps ops;
    for (int box : {0, -2, kBoxCount}) RaiseBox(*table, box, ops);
    EXPECT_TRUE(ops.calls.empty());
    RaiseBox(*table, kAllSessions, ops);
    EXPECT_EQ(ops.calls, (Calls{"icon 31", "show 31 9", "top 31", "top 31"}));
}

// The keyboard's ways to a box end with the focus on its first session, after its raise;
// an empty box, or a number that names none, activates nothing.
TEST(SwitchToBoxWithFocus, TheFirstSessionTakesTheFocusLast) {
    auto table = MakeTable({{41}, {42}});
    table->members[3] = {0, 1};
    const struct {
        int box;
        WindowHandle focused;
        const char* lastCall;
    } cases[] = {{3, 41, "activate 41"}, {0, kNoWindow, "show 42 0"}, {kBoxCount, kNoWindow, "show 42 0"}};
    for (const auto& c : cases) {
        RecordingOps ops;
        EXPECT_EQ(SwitchToBoxWithFocus(*table, c.box, ops), c.focused);
        ASSERT_FALSE(ops.calls.empty());
        EXPECT_EQ(ops.calls.back(), c.lastCall);
        EXPECT_EQ(std::count_if(ops.calls.begin(), ops.calls.end(), [](const std::string& call) { return call.rfind("activate", 0) == 0; }),
                  c.focused != kNoWindow ? 1 : 0);
    }
}

}  // namespace
}  // namespace quilvo
