// The refresh cycle: when it rebuilds, what it hands the views, idle counting and the idle
// action, the drag pause, and that a pass without change allocates nothing.
#include <new>

#include <gtest/gtest.h>

#include "allocation_hook.h"
#include "core/refresh.h"
#include "settings/settings.h"
#include "core/wait_scope.h"
#include "base/text.h"
#include "fake_debug_output.h"
#include "fake_profile.h"
#include "fake_desktop.h"
#include "settings/profile.h"
#include "refresh_fakes.h"

namespace quilvo {
namespace {

constexpr WindowHandle kMain = 0x9000;

class RefreshTest : public ::testing::Test {
protected:
    void SetUp() override {
        fake::Profile().Reset();
        fake::Debug().Clear();
        table.Clear();
        platform.mainWindow = kMain;
    }

    void Make(std::uint32_t idleTime = 0, const char* idleAction = "none") {
        IdleSettings idle;
        idle.idleTime = idleTime;
        CopyCut(idle.idleAction, idleAction);
        cycle = std::make_unique<RefreshCycle>(table, filters, drag, desktop, platform, views,
                                               IniCycleSettings(), kDefaultSessionClass, idle);
        cycle->SetMainWindow(kMain);
    }

    void Box(int box, const char* selection) {
        char section[kBoxSectionCapacity];
        FormatBoxSection(box, section);
        fake::Profile().AddRaw(kSettingsFile, section, "Selection", selection);
    }

    // Two sessions of PRD and QAS; box 0 takes PRD, box 1 QAS, box 2 everything, boxes 3 to 5
    // a system nobody is logged on to.
    void TwoSystems() {
        desktop.Add(0x100, "PRD", "100", "ALICE", "VA01");
        desktop.Add(0x200, "QAS", "200", "BOB", "SE80");
        Box(0, "PRD$$$");
        Box(1, "QAS$$$");
        Box(2, "$$$");
        for (int b = 3; b < kBoxCount; ++b) Box(b, "ZZZ$$$");
    }

    // A PRD session in every box and a DEV one in none, after the first pass.
    void BoxedPrdAndUnboxedDev() {
        desktop.Add(0x100, "PRD", "100", "ALICE", "VA01");
        desktop.Add(0x300, "DEV", "100", "CAROL", "SU01");
        for (int b = 0; b < kBoxCount; ++b) Box(b, "PRD$$$");
        Make();
        Pass();
    }

    // One timer pass, 2000 ms after the previous one.
    void Pass(std::uint32_t ms = 2000) {
        now += ms;
        cycle->OnRefreshTimer();
    }

    std::size_t ToolUpdates() const {
        std::size_t n = 0;
        for (const auto& c : views.tool.calls) n += c == "UpdatePanels";
        return n;
    }
    std::size_t SingleUpdates() const {
        std::size_t n = 0;
        for (const auto& c : views.single.calls) n += c == "UpdatePanels";
        return n;
    }

    std::uint32_t now = 100000;
    test::FakeDesktop desktop{now};
    fake::FakeRefreshPlatform platform{now};
    fake::FakeViewFactory views;
    SessionTable table;
    BoxFilter filters[kBoxCount] = {};
    DragFlag drag;
    std::unique_ptr<RefreshCycle> cycle;
};

TEST_F(RefreshTest, FirstRefreshBuildsTheListsAndCreatesBothViews) {
    TwoSystems();
    Make();
    Pass();

    const RefreshState& s = cycle->State();
    EXPECT_TRUE(s.firstRefreshDone);
    EXPECT_EQ(s.lastRebuildTime, now);
    EXPECT_EQ(s.previousCount, 2);

    for (int b = 0; b < kBoxCount; ++b) {
        ASSERT_NE(cycle->List(b), nullptr);
        EXPECT_EQ(cycle->List(b)->boxIndex, b);
    }
    ASSERT_EQ(cycle->List(0)->count, 1);
    EXPECT_EQ(cycle->List(0)->items[0].window, 0x100u);
    ASSERT_EQ(cycle->List(1)->count, 1);
    EXPECT_EQ(cycle->List(1)->items[0].window, 0x200u);
    EXPECT_EQ(cycle->List(2)->count, 2);
    EXPECT_EQ(cycle->List(3)->count, 0);

    ASSERT_EQ(views.toolCreations, 1);
    EXPECT_EQ(views.tool.mainWindow, kMain);
    EXPECT_EQ(views.tool.boxCount, kBoxCount);
    EXPECT_EQ(views.tool.calls, (std::vector<std::string>{"LoadGeometry", "CreatePanels"}));
    for (int b = 0; b < kBoxCount; ++b) EXPECT_EQ(views.tool.held[b], cycle->List(b));
    ASSERT_EQ(views.attachments.size(), 1u);
    EXPECT_EQ(views.attachments[0].first, kMain);
    EXPECT_EQ(views.attachments[0].second, cycle->ToolWindowView());

    ASSERT_EQ(views.singleCreations, 1);
    EXPECT_EQ(views.single.boxCount, 1);
    EXPECT_EQ(views.single.width, 150);
    EXPECT_EQ(views.single.height, 150);
    EXPECT_EQ(views.single.calls, (std::vector<std::string>{"LoadGeometry", "CreatePanels"}));
    ASSERT_NE(cycle->AllSessions(), nullptr);
    EXPECT_EQ(views.single.held[0], cycle->AllSessions());
    EXPECT_EQ(cycle->AllSessions()->count, 2);
    EXPECT_EQ(cycle->AllSessions()->boxIndex, -1);
    EXPECT_STREQ(cycle->AllSessions()->filter.system, "");

    // Filter 0 was cleared for the all-sessions list; the others hold what the file says.
    EXPECT_STREQ(filters[0].system, "");
    EXPECT_STREQ(filters[1].system, "QAS");
    // Six box lists and the all-sessions list each examined both sessions.
    EXPECT_EQ(fake::Debug().Count(kMatchLine), 14u);
}

TEST_F(RefreshTest, NothingChangedMeansNoRebuildAndTheIdleCounterGrows) {
    TwoSystems();
    Make();
    Pass();
    const BoxList* before = cycle->List(0);
    fake::Debug().Clear();

    Pass();
    EXPECT_EQ(cycle->State().idleCounter, 2u);
    EXPECT_FALSE(cycle->State().changed);
    Pass();
    EXPECT_EQ(cycle->State().idleCounter, 4u);
    EXPECT_EQ(cycle->List(0), before);
    EXPECT_EQ(ToolUpdates(), 0u);
    EXPECT_EQ(SingleUpdates(), 0u);
    EXPECT_EQ(fake::Debug().Count(kMatchLine), 0u);
    EXPECT_EQ(views.toolCreations, 1);
}

TEST_F(RefreshTest, ABoxedSessionThatMovesOrIsRenamedRebuildsAtOnce) {
    TwoSystems();
    Make();
    Pass();
    Pass();

    desktop.Find(0x100)->rect.left += 5;
    Pass();
    EXPECT_EQ(ToolUpdates(), 1u);
    EXPECT_EQ(SingleUpdates(), 1u);
    EXPECT_EQ(cycle->List(0)->items[0].x, 15);
    EXPECT_EQ(cycle->State().idleCounter, 4u);  // only a count change resets it

    desktop.Find(0x200)->rect.bottom += 1;
    Pass();
    EXPECT_EQ(ToolUpdates(), 2u);

    desktop.Find(0x200)->caption = "Another caption";
    Pass();
    EXPECT_EQ(ToolUpdates(), 3u);

    // A caption that differs only in letter case is the same title.
    desktop.Find(0x200)->caption = "ANOTHER CAPTION";
    Pass();
    EXPECT_EQ(ToolUpdates(), 3u);
}

// A session that stops answering is shown busy at once, boxed or not, with the fields it had;
// so is its waking up.
TEST_F(RefreshTest, ASessionTurningBusyOrAnsweringAgainRebuildsAtOnce) {
    BoxedPrdAndUnboxedDev();
    for (WindowHandle session : {WindowHandle{0x100}, WindowHandle{0x300}}) {
        SCOPED_TRACE(session);
        const std::size_t before = ToolUpdates();
        desktop.Find(session)->hung = true;
        Pass();
        EXPECT_EQ(ToolUpdates(), before + 1);
        const BoxList* all = cycle->AllSessions();
        const int at = all->items[0].window == session ? 0 : 1;
        EXPECT_EQ(all->items[at].busy, 1);
        EXPECT_STREQ(all->items[at].client, "100");
        Pass();
        EXPECT_EQ(ToolUpdates(), before + 1) << "still busy: nothing new";
        desktop.Find(session)->hung = false;
        desktop.Deliver(session);
        Pass();
        EXPECT_EQ(ToolUpdates(), before + 2);
        EXPECT_EQ(cycle->AllSessions()->items[at].busy, 0);
    }
    EXPECT_EQ(cycle->List(0)->count, 1);
}

// With a timer the pass never waits: it sends its queries and ends when its last reply has come
// or its wait is over. Until then the table is the last complete one, which the user acts on;
// a second request is answered by the pass under way.
TEST_F(RefreshTest, APassUnderWayLeavesTheTableWholeAndEndsOnItsLastReplyOrItsDeadline) {
    BoxedPrdAndUnboxedDev();
    platform.hasTimer = true;
    const std::size_t before = ToolUpdates();
    desktop.Find(0x300)->hung = true;
    desktop.Find(0x100)->caption = "PRD(1)/100 Another screen";
    desktop.Add(0x400, "PRD", "200", "DAN", "VA02");
    Pass();
    EXPECT_TRUE(cycle->PassUnderWay());
    EXPECT_EQ(table.count, 2) << "the last complete pass's table";
    EXPECT_STRNE(table.records[0].title, "PRD(1)/100 Another screen");
    cycle->DiscoverAndRefresh();  // the right press on the icon: answered by the pass under way
    EXPECT_EQ(platform.deadlines, 1);
    cycle->OnReplies();
    EXPECT_TRUE(cycle->PassUnderWay()) << "one session still owes its answers";

    desktop.Find(0x300)->hung = false;
    desktop.Deliver(0x300);
    cycle->OnReplies();
    EXPECT_FALSE(cycle->PassUnderWay());
    EXPECT_EQ(table.count, 3);
    EXPECT_EQ(ToolUpdates(), before + 1);
    for (int i = 0; i < table.count; ++i) EXPECT_EQ(table.records[i].busy, 0);
    cycle->OnPassDeadline();  // late: nothing more happens
    EXPECT_EQ(ToolUpdates(), before + 1);

    desktop.Find(0x300)->hung = true;
    desktop.Find(0x300)->caption = "DEV(1)/100 Hung";
    Pass();
    EXPECT_TRUE(cycle->PassUnderWay());
    cycle->OnPassDeadline();
    EXPECT_FALSE(cycle->PassUnderWay());
    const SessionRecord* dev = nullptr;
    for (int i = 0; i < table.count; ++i)
        if (table.records[i].window == 0x300) dev = &table.records[i];
    ASSERT_NE(dev, nullptr);
    EXPECT_EQ(dev->busy, 1) << "its answers did not come within the pass";
    EXPECT_STREQ(dev->system, "DEV") << "it keeps its fields";

    // Fifty sessions are asked a few at a time, with the user answered in between.
    for (int i = 0; i < 9; ++i) desktop.Add(0x500 + static_cast<WindowHandle>(i), "PRD", "300", "EVE", "SE38");
    desktop.Find(0x300)->hung = false;
    desktop.Deliver(0x300);
    platform.continueLater = true;
    desktop.queries.clear();
    Pass();
    EXPECT_EQ(desktop.queries.size(), 5u * 6u);
    cycle->ContinuePass();
    EXPECT_EQ(desktop.queries.size(), 10u * 6u);
    EXPECT_TRUE(cycle->PassUnderWay());
    cycle->ContinuePass();
    EXPECT_EQ(desktop.queries.size(), 12u * 6u);
    EXPECT_FALSE(cycle->PassUnderWay()) << "every one answered";
    EXPECT_EQ(table.count, 12);
    platform.continueLater = false;

    // A drag that begins while a pass is under way holds the lists and views.
    desktop.Find(0x300)->hung = true;
    desktop.Find(0x300)->caption = "DEV(1)/100 Hung again";
    Pass();
    ASSERT_TRUE(cycle->PassUnderWay());
    drag.set = true;
    const std::size_t during = ToolUpdates();
    cycle->OnPassDeadline();
    EXPECT_EQ(ToolUpdates(), during);
    drag.set = false;
}

// The walk of the desktop made on a thread of its own: nothing of the pass is sent before it
// has ended, the pass under way answers every request meanwhile, and the answers that land
// while it is made are kept.
TEST_F(RefreshTest, AWalkMadeElsewhereHoldsThePassUntilItEndsAndKeepsTheAnswersThatCameMeanwhile) {
    BoxedPrdAndUnboxedDev();
    platform.hasTimer = true;
    platform.walkElsewhere = true;
    desktop.Find(0x300)->hung = true;
    Pass();
    platform.AwaitWalk();
    cycle->OnWalked();
    cycle->OnPassDeadline();
    ASSERT_FALSE(cycle->PassUnderWay());

    desktop.Find(0x300)->answers[kFrontUser] = "DORA";
    desktop.Add(0x400, "PRD", "200", "DAN", "VA02");
    desktop.queries.clear();
    Pass();
    cycle->DiscoverAndRefresh();
    cycle->ContinuePass();
    cycle->OnPassDeadline();  // nothing was asked yet: the pass goes on
    {
        WaitScope wait;
        cycle->Refresh();  // asked for inside a wait: held until it has ended
    }
    ASSERT_TRUE(cycle->Deferred());
    EXPECT_EQ(platform.walksHanded, 2) << "one walk a pass";
    EXPECT_TRUE(desktop.queries.empty()) << "nothing is sent before the walk has ended";
    EXPECT_EQ(table.count, 2) << "the last complete pass's table";

    desktop.Deliver(0x300);  // DEV's late answers land while the walk is made; then it hangs again
    cycle->RunDeferred();  // the pass under way answers it, once its walk has ended
    desktop.seen.clear();
    platform.AwaitWalk();
    EXPECT_EQ(desktop.seen, (std::vector<WindowHandle>{0x100, 0x300, 0x400})) << "every session the walk recorded";
    cycle->OnWalked();
    cycle->OnWalked();  // a stray second message changes nothing
    EXPECT_EQ(desktop.queries.size(), 3u * 6u);
    cycle->OnPassDeadline();
    EXPECT_EQ(table.count, 3);
    const SessionRecord* dev = nullptr;
    for (int i = 0; i < table.count; ++i)
        if (table.records[i].window == 0x300) dev = &table.records[i];
    ASSERT_NE(dev, nullptr);
    EXPECT_STREQ(dev->user, "DORA") << "the answer that came during the walk";
    EXPECT_EQ(dev->busy, 1) << "asked again, it did not answer within the pass";
}

TEST_F(RefreshTest, AnUnboxedSessionShowsOnlyAfterMoreThan17000Ms) {
    BoxedPrdAndUnboxedDev();
    const std::uint32_t rebuilt = cycle->State().lastRebuildTime;
    ASSERT_EQ(rebuilt, now);
    ASSERT_EQ(cycle->List(5)->count, 1);

    desktop.Find(0x300)->rect.left = 500;
    Pass(2000);
    Pass(15000);  // exactly 17000 ms since the rebuild: not overdue
    EXPECT_EQ(cycle->State().lastRebuildTime, rebuilt);
    EXPECT_EQ(ToolUpdates(), 0u);
    Pass(1);
    EXPECT_EQ(cycle->State().lastRebuildTime, now);
    EXPECT_EQ(ToolUpdates(), 1u);
    EXPECT_EQ(cycle->AllSessions()->items[1].x, 500);
}

TEST_F(RefreshTest, ASessionOpeningOrClosingResetsTheIdleCounterAndRebuilds) {
    TwoSystems();
    Make();
    Pass();
    Pass();
    Pass();
    EXPECT_EQ(cycle->State().idleCounter, 4u);

    desktop.Add(0x300, "PRD", "300", "CAROL", "SU01");
    Pass();
    EXPECT_TRUE(cycle->State().changed);
    EXPECT_EQ(cycle->State().idleCounter, 0u);
    EXPECT_EQ(cycle->State().previousCount, 3);
    EXPECT_EQ(ToolUpdates(), 1u);
    EXPECT_EQ(cycle->List(0)->count, 2);

    desktop.Remove(0x100);
    Pass();
    EXPECT_EQ(cycle->State().idleCounter, 0u);
    EXPECT_EQ(ToolUpdates(), 2u);
    EXPECT_EQ(cycle->List(0)->count, 1);
}

TEST_F(RefreshTest, AForcedRebuildHappensEvenWhenNothingChanged) {
    TwoSystems();
    Make();
    Pass();
    Pass();
    // The properties dialog stores a new Selection, then forces the rebuild.
    fake::Profile().Reset();
    Box(0, "QAS$$$");
    cycle->ForceRebuild();
    Pass();
    EXPECT_EQ(ToolUpdates(), 1u);
    EXPECT_EQ(cycle->State().previousCount, 2);
    EXPECT_EQ(cycle->State().idleCounter, 0u);
    ASSERT_EQ(cycle->List(0)->count, 1);
    EXPECT_EQ(cycle->List(0)->items[0].window, 0x200u);
}

TEST_F(RefreshTest, TheOverdueRuleSurvivesATickCountWrap) {
    TwoSystems();
    now = 0xFFFFF000u - 2000;
    Make();
    Pass();
    ASSERT_EQ(cycle->State().lastRebuildTime, 0xFFFFF000u);
    Pass(16000);  // the tick count wraps to 11904
    EXPECT_LT(now, 0xFFFFF000u);
    EXPECT_EQ(ToolUpdates(), 0u);
    Pass(1001);  // 17001 ms since the rebuild
    EXPECT_EQ(ToolUpdates(), 1u);
    EXPECT_EQ(cycle->State().lastRebuildTime, now);
}

TEST_F(RefreshTest, WithoutAMainWindowNothingIsBuiltAndTheNextPassTriesAgain) {
    TwoSystems();
    platform.mainWindow = kNoWindow;
    Make();
    Pass();
    Pass();
    EXPECT_FALSE(cycle->State().firstRefreshDone);
    EXPECT_EQ(cycle->List(0), nullptr);
    EXPECT_EQ(cycle->AllSessions(), nullptr);
    EXPECT_EQ(views.toolCreations + views.singleCreations, 0);
    EXPECT_EQ(cycle->State().idleCounter, 2u);  // the bookkeeping still runs

    platform.mainWindow = kMain;
    Pass();
    EXPECT_TRUE(cycle->State().firstRefreshDone);
    EXPECT_EQ(views.toolCreations, 1);
    EXPECT_EQ(views.singleCreations, 1);
}

TEST_F(RefreshTest, ADragInProgressSkipsThePassAndWritesOneLine) {
    TwoSystems();
    Make();
    Pass();
    const RefreshState before = cycle->State();
    const int enumerations = desktop.enumerations;
    fake::Debug().Clear();
    desktop.Add(0x300, "PRD", "300", "CAROL", "SU01");

    drag.set = true;
    Pass();
    Pass(20000);
    EXPECT_EQ(fake::Debug().lines, (std::vector<std::string>{"Drag skipped\r\n", "Drag skipped\r\n"}));
    EXPECT_EQ(desktop.enumerations, enumerations);
    EXPECT_EQ(table.count, 2);
    EXPECT_EQ(cycle->State().idleCounter, before.idleCounter);
    EXPECT_EQ(cycle->State().previousCount, before.previousCount);
    EXPECT_EQ(cycle->State().lastRebuildTime, before.lastRebuildTime);
    EXPECT_EQ(ToolUpdates(), 0u);

    drag.set = false;
    Pass();
    EXPECT_EQ(table.count, 3);
    EXPECT_EQ(ToolUpdates(), 1u);
}

TEST_F(RefreshTest, IdleActionRunsOnTheSixthQuietPassForTenSecondsThenEverySixth) {
    TwoSystems();
    Make(10, "/nex");
    Pass();  // the count changed from 0 to 2: counter 0
    for (int pass = 1; pass <= 5; ++pass) Pass();
    EXPECT_TRUE(platform.okCodesSent.empty());
    EXPECT_EQ(cycle->State().idleCounter, 10u);
    Pass();  // counter 12 > 10
    EXPECT_EQ(cycle->State().idleCounter, 0u);
    ASSERT_EQ(platform.atomsAdded, (std::vector<std::string>{"/nex"}));
    EXPECT_EQ(cycle->State().okCodeAtom, platform.nextAtom);
    // Box 0 (PRD), box 1 (QAS) and box 2 (both; PRD first): the session first in two boxes
    // gets the code once per box; boxes 3 to 5 are empty and get nothing.
    const std::vector<std::pair<WindowHandle, GlobalAtom>> round = {
        {0x100, 0xC123}, {0x200, 0xC123}, {0x100, 0xC123}};
    EXPECT_EQ(platform.okCodesSent, round);

    for (int pass = 1; pass <= 5; ++pass) Pass();
    EXPECT_EQ(platform.okCodesSent.size(), 3u);
    Pass();
    EXPECT_EQ(platform.okCodesSent.size(), 6u);
    EXPECT_EQ(platform.atomsAdded.size(), 1u);  // the atom is made once
}

// Any program can delete the OK code's atom, and its number may then name another string.
TEST_F(RefreshTest, IdleActionMakesItsAtomAnewWhenItNoLongerHoldsTheOkCode) {
    TwoSystems();
    Make(1, "/nex");
    Pass();
    Pass();  // the first idle action makes the atom
    ASSERT_EQ(platform.atomsAdded.size(), 1u);
    const struct {
        const char* what;
        const char* nameNow;  // null: deleted
        bool madeAnew;
    } cases[] = {{"deleted", nullptr, true},
                 {"its number given to another string", "/nend", true},
                 {"kept, in other letter case", "/NEX", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const GlobalAtom before = cycle->State().okCodeAtom;
        platform.atoms.erase(before);
        if (c.nameNow != nullptr) platform.atoms[before] = c.nameNow;
        ++platform.nextAtom;
        const std::size_t added = platform.atomsAdded.size();
        Pass();  // the next idle action
        const GlobalAtom expected = c.madeAnew ? platform.nextAtom : before;
        EXPECT_EQ(platform.atomsAdded.size(), added + (c.madeAnew ? 1 : 0));
        EXPECT_EQ(platform.okCodesSent.back().second, expected);
    }
}

TEST_F(RefreshTest, IdleActionNeverRunsForATimerOfZeroOrBelow) {
    TwoSystems();
    fake::Profile().AddRaw(kSettingsFile, "Quilvo", "IDLE_TIMER", "-1");
    for (std::uint32_t idleTime : {0u, ReadIdleSettings().idleTime}) {
        Make(idleTime, "/nex");
        for (int pass = 0; pass < 40; ++pass) Pass();
        EXPECT_TRUE(platform.okCodesSent.empty()) << "IDLE_TIMER as " << idleTime;
        EXPECT_TRUE(platform.atomsAdded.empty());
    }
}

TEST_F(RefreshTest, IdleActionSkipsBoxesWithoutListOrSessions) {
    // Before any rebuild there are no lists at all.
    TwoSystems();
    platform.mainWindow = kNoWindow;
    Make(1, "/nex");
    Pass();
    Pass();  // counter 2 > 1: the action runs with no lists
    EXPECT_TRUE(platform.okCodesSent.empty());

    // With lists, only boxes that hold sessions are sent to.
    fake::Profile().Reset();
    Box(4, "QAS$$$");
    for (int b = 0; b < kBoxCount; ++b)
        if (b != 4) Box(b, "ZZZ$$$");
    platform.mainWindow = kMain;
    Pass();  // rebuilds; counter 2 > 1 runs the action before the rebuild
    EXPECT_TRUE(platform.okCodesSent.empty());
    Pass();  // counter 0 after the last action, now 2 > 1 again
    ASSERT_EQ(platform.okCodesSent.size(), 1u);
    EXPECT_EQ(platform.okCodesSent[0].first, 0x200u);
}

TEST_F(RefreshTest, AHiddenSingleViewKeepsAListThatStaysAlive) {
    TwoSystems();
    Make();
    Pass();
    const BoxList* shown = views.single.held[0];
    views.single.visible = false;

    desktop.Add(0x300, "PRD", "300", "CAROL", "SU01");
    Pass();
    desktop.Remove(0x100);
    Pass();
    EXPECT_EQ(SingleUpdates(), 0u);
    EXPECT_EQ(ToolUpdates(), 2u);
    // The hidden view still holds its first list, and that list is still there to be read.
    EXPECT_EQ(views.single.held[0], shown);
    fake::ReadHeldLists(views.single);
    EXPECT_EQ(shown->count, 2);
    // The newest all-sessions list is another one.
    ASSERT_NE(cycle->AllSessions(), shown);
    EXPECT_EQ(cycle->AllSessions()->count, 2);
    EXPECT_EQ(cycle->AllSessions()->items[0].window, 0x200u);

    views.single.visible = true;
    desktop.Add(0x400, "QAS", "400", "DAN", "MM03");
    Pass();
    EXPECT_EQ(SingleUpdates(), 1u);
    EXPECT_EQ(views.single.held[0], cycle->AllSessions());
    EXPECT_EQ(cycle->AllSessions()->count, 3);
    fake::ReadHeldLists(views.single);
}

TEST_F(RefreshTest, APassWithoutChangeAllocatesNothing) {
    for (int i = 0; i < kTableCapacity; ++i) desktop.Add(0x1000 + i, i % 2 ? "PRD" : "QAS", "100", "U", "T");
    Box(0, "PRD$$$");
    Box(1, "QAS$$$");
    Make(1000);
    Pass();
    ASSERT_EQ(table.count, kTableCapacity);

    test::StartCountingAllocations();
    Pass();
    Pass();
    test::StopCountingAllocations();

    EXPECT_EQ(test::Allocations(), 0);
    EXPECT_EQ(ToolUpdates(), 0u);  // it really was a pass without change
    EXPECT_EQ(cycle->State().idleCounter, 4u);
}

TEST_F(RefreshTest, DestroyingTheViewsDetachesTheMainWindowAndKeepsTheLists) {
    TwoSystems();
    Make();
    Pass();
    cycle->DestroyViews();
    EXPECT_TRUE(views.tool.destroyed);
    EXPECT_TRUE(views.single.destroyed);
    ASSERT_FALSE(views.attachments.empty());
    EXPECT_EQ(views.attachments.back(), (std::pair<WindowHandle, OverviewView*>(kMain, nullptr)));
    EXPECT_NE(cycle->List(0), nullptr);
    EXPECT_EQ(cycle->ToolWindowView(), nullptr);
}

// A refresh asked for inside a pass, or while an operation waits for a session, does not run
// there: it runs once, afterwards, when the platform calls back.
TEST_F(RefreshTest, ARefreshAskedForInsideAnotherOrDuringAWaitRunsOnceAfterwards) {
    TwoSystems();
    Make();
    Pass();
    int nested = 0;
    views.tool.onUpdate = [&] {
        ++nested;
        cycle->DiscoverAndRefresh();
        cycle->Refresh();
    };
    const int enumerations = desktop.enumerations;
    const std::size_t updates = ToolUpdates();
    cycle->ForceRebuild();
    Pass();
    views.tool.onUpdate = nullptr;
    EXPECT_EQ(nested, 1);
    EXPECT_EQ(ToolUpdates(), updates + 1);
    EXPECT_EQ(desktop.enumerations, enumerations + 1) << "the nested pass must not run discovery";
    EXPECT_EQ(platform.scheduled, 1);
    cycle->RunDeferred();
    EXPECT_EQ(desktop.enumerations, enumerations + 2);
    cycle->RunDeferred();  // nothing is held back any more
    EXPECT_EQ(desktop.enumerations, enumerations + 2);

    {
        WaitScope waiting;
        cycle->OnRefreshTimer();
        cycle->RunDeferred();  // still waiting: asks to be called again
        EXPECT_EQ(desktop.enumerations, enumerations + 2);
    }
    EXPECT_EQ(platform.scheduled, 3);
    cycle->RunDeferred();
    EXPECT_EQ(desktop.enumerations, enumerations + 3);
    EXPECT_FALSE(cycle->Deferred());
}

// Without memory, wherever the rebuild fails, every list a view holds stays alive (read
// under the address sanitizer) and the next pass rebuilds.
TEST_F(RefreshTest, WithoutMemoryTheViewsKeepLiveListsAndTheNextPassRebuilds) {
    TwoSystems();
    Make();
    Pass();
    struct Failure {
        const char* where;
        bool inToolUpdate;
        bool inSingleUpdate;
    };
    const Failure failures[] = {{"building the lists", false, false},
                                {"the tool view's update", true, false},
                                {"the single view's update", false, true}};
    for (const Failure& f : failures) {
        SCOPED_TRACE(f.where);
        const std::size_t updates = ToolUpdates();
        views.tool.onUpdate = [&] { if (f.inToolUpdate) throw std::bad_alloc(); };
        views.single.onUpdate = [&] { if (f.inSingleUpdate) throw std::bad_alloc(); };
        cycle->ForceRebuild();
        now += 2000;
        table.count = 0;
        if (!f.inToolUpdate && !f.inSingleUpdate) test::FailAllocationsAfter(0);
        cycle->Refresh();
        test::StopFailingAllocations();
        views.tool.onUpdate = nullptr;
        views.single.onUpdate = nullptr;
        fake::ReadHeldLists(views.tool);
        fake::ReadHeldLists(views.single);
        if (f.inToolUpdate) {
            for (int b = 0; b < kBoxCount; ++b) EXPECT_EQ(views.tool.held[b], cycle->List(b));
        }

        Pass();  // no change since, but the failed rebuild is done again
        const bool toolUpdatedBefore = f.inToolUpdate || f.inSingleUpdate;  // it began, or ran, before the failure
        EXPECT_EQ(ToolUpdates(), updates + (toolUpdatedBefore ? 2 : 1));
        ASSERT_NE(cycle->List(0), nullptr);
        EXPECT_EQ(cycle->List(0)->count, 1);
        fake::ReadHeldLists(views.single);
    }
}

}  // namespace
}  // namespace quilvo
