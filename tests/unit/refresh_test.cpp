// The refresh cycle: what a pass asks, when it rebuilds, what it publishes and hands the
// views, idle counting and the idle action, the drag pause, and that a pass without change
// allocates nothing.
#include <new>
#include <set>

#include <gtest/gtest.h>

#include "allocation_hook.h"
#include "base/text.h"
#include "core/refresh.h"
#include "core/wait_scope.h"
#include "fake_debug_output.h"
#include "fake_desktop.h"
#include "fake_profile.h"
#include "record_checks.h"
#include "refresh_fakes.h"
#include "settings/profile.h"
#include "settings/settings.h"

namespace quilvo {
namespace {

using ::test::BoxWindows;
using Windows = std::vector<WindowHandle>;

constexpr WindowHandle kMain = 0x9000;

class RefreshTest : public ::testing::Test {
protected:
    void SetUp() override {
        fake::Profile().Reset();
        fake::Debug().Clear();
        platform.mainWindow = kMain;
    }

    void Make(std::uint32_t idleTime = 0, const char* idleAction = "none") {
        IdleSettings idle;
        idle.idleTime = idleTime;
        CopyCut(idle.idleAction, idleAction);
        cycle.reset();
        cycle = std::make_unique<RefreshCycle>(drag, desktop, platform, IniCycleSettings(), kDefaultSessionClass, idle);
        cycle->SetMainWindow(kMain);
        cycle->SetRebuildListener(&views);
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

    // One timer pass, 2000 ms after the previous one, with what it posts run as the message
    // loop runs it.
    void Pass(std::uint32_t ms = 2000) {
        now += ms;
        cycle->OnRefreshTimer();
        platform.Drain();
    }

    const SessionSnapshot& Now() const { return *cycle->Current(); }
    const SessionRecord& Session(WindowHandle window) const {
        const SessionRecord* r = Now().Find(window);
        EXPECT_NE(r, nullptr) << window;
        static const SessionRecord kNone = {};
        return r != nullptr ? *r : kNone;
    }
    // Rebuilds since the first.
    std::size_t Updates() const { return views.Count() - 1; }

    std::uint32_t now = 100000;
    test::FakeDesktop desktop{now};
    fake::FakeRefreshPlatform platform{now};
    fake::FakeViews views;
    DragFlag drag;
    std::unique_ptr<RefreshCycle> cycle;
};

TEST_F(RefreshTest, FirstRefreshSortsTheBoxesAndHandsTheViewsThatSnapshot) {
    TwoSystems();
    Make();
    Pass();

    const RefreshState& s = cycle->State();
    EXPECT_TRUE(s.firstRefreshDone);
    EXPECT_EQ(s.lastRebuildTime, now);
    EXPECT_EQ(s.previousCount, 2);

    ASSERT_EQ(views.Count(), 1u);
    EXPECT_EQ(views.rebuilds[0], cycle->Current()) << "the views show the snapshot published";
    EXPECT_EQ(cycle->Shown(), cycle->Current());
    EXPECT_EQ(BoxWindows(Now(), 0), (Windows{0x100}));
    EXPECT_EQ(BoxWindows(Now(), 1), (Windows{0x200}));
    EXPECT_EQ(BoxWindows(Now(), 2), (Windows{0x100, 0x200}));
    EXPECT_EQ(BoxWindows(Now(), 3), Windows{});
    EXPECT_EQ(BoxWindows(Now(), kAllSessions), (Windows{0x100, 0x200}));
    EXPECT_STREQ(Now().Filter(kAllSessions).system, "");
    // Every box keeps its own filter: none is lent to the all-sessions panel.
    EXPECT_STREQ(Now().filters[0].system, "PRD");
    EXPECT_STREQ(cycle->Filters()[0].system, "PRD");
    EXPECT_STREQ(Now().filters[1].system, "QAS");
    // Six boxes and the all-sessions panel each examined both sessions.
    EXPECT_EQ(fake::Debug().Count(kMatchLine), 14u);
}

TEST_F(RefreshTest, NothingChangedMeansNoRebuildNoNewSnapshotAndTheIdleCounterGrows) {
    TwoSystems();
    Make();
    Pass();
    const Snapshot before = cycle->Current();
    fake::Debug().Clear();

    Pass();
    EXPECT_EQ(cycle->State().idleCounter, 2u);
    EXPECT_FALSE(cycle->State().changed);
    Pass();
    EXPECT_EQ(cycle->State().idleCounter, 4u);
    EXPECT_EQ(cycle->Current(), before);
    EXPECT_EQ(Updates(), 0u);
    EXPECT_EQ(fake::Debug().Count(kMatchLine), 0u);
}

TEST_F(RefreshTest, ABoxedSessionThatMovesOrIsRenamedRebuildsAtOnce) {
    TwoSystems();
    Make();
    Pass();
    Pass();

    desktop.Find(0x100)->rect.left += 5;
    Pass();
    EXPECT_EQ(Updates(), 1u);
    EXPECT_EQ(Session(0x100).x, 15);
    EXPECT_EQ(cycle->State().idleCounter, 4u);  // only a count change resets it

    desktop.Find(0x200)->rect.bottom += 1;
    Pass();
    EXPECT_EQ(Updates(), 2u);

    desktop.Find(0x200)->caption = "Another caption";
    Pass();
    EXPECT_EQ(Updates(), 3u);

    // A caption that differs only in letter case is the same title.
    desktop.Find(0x200)->caption = "ANOTHER CAPTION";
    Pass();
    EXPECT_EQ(Updates(), 3u);
}

// PRODUCTION marks its sessions and the panels of the boxes that name its Systems; a changed
// list takes effect at the next rebuild, which it brings about as a change of what is shown.
TEST_F(RefreshTest, ProductionSessionsAndBoxesAreMarkedAsTheListStandsAtEachRebuild) {
    TwoSystems();
    fake::Profile().AddRaw(kSettingsFile, "Quilvo", "PRODUCTION", " prd ");
    Make();
    Pass();
    EXPECT_TRUE(Session(0x100).production);
    EXPECT_FALSE(Session(0x200).production);
    EXPECT_EQ(std::vector<int>(Now().productionBox, Now().productionBox + kBoxCount),
              (std::vector<int>{1, 0, 0, 0, 0, 0}));

    ASSERT_TRUE(WriteProduction(ProductionSystems::Parse("QAS/200")));
    Pass();
    EXPECT_TRUE(Session(0x100).production) << "read again only at a rebuild";
    cycle->ForceRebuild();
    Pass();
    EXPECT_FALSE(Session(0x100).production);
    EXPECT_TRUE(Session(0x200).production);
    EXPECT_EQ(Now().productionBox[0], 0);
    EXPECT_EQ(Now().productionBox[1], 0) << "the box names the System, not its Client";
    EXPECT_EQ(views.rebuilds.back(), cycle->Current());
}

// A calm pass asks each session its Transaction only; everything is asked of a new session,
// under a new title, while System, Client or User is empty, and every 17 s. What the answers
// change shows at the pass that brings them, in every box it decides.
TEST_F(RefreshTest, ACalmPassAsksOnlyWhatCanHaveChangedAndShowsItAtOnce) {
    TwoSystems();
    Make();
    Pass();
    const auto asked = [&](std::uint32_t ms = 2000) {
        desktop.queries.clear();
        Pass(ms);
        std::vector<int> codes;
        for (const auto& q : desktop.queries) codes.push_back(q.second);
        return codes;
    };
    const std::vector<int> everything = {kFrontClient, kFrontServerGroup, kFrontUser, kFrontSystem, kFrontTransaction};
    const std::vector<int> transaction = {kFrontTransaction};
    EXPECT_EQ(asked(), (std::vector<int>{5, 5})) << "two calm sessions";

    desktop.Find(0x200)->answers[kFrontTransaction] = "SM37";
    EXPECT_EQ(asked(), (std::vector<int>{5, 5}));
    EXPECT_STREQ(Session(0x200).transaction, "SM37") << "the same title, a new transaction: at once";
    EXPECT_EQ(Updates(), 1u);

    desktop.Find(0x200)->caption = "Another screen";
    desktop.Find(0x200)->answers[kFrontSystem] = "PRD";
    std::vector<int> expected = transaction;
    expected.insert(expected.end(), everything.begin(), everything.end());
    EXPECT_EQ(asked(), expected) << "a new title: everything again";
    EXPECT_EQ(BoxWindows(Now(), 0), (Windows{0x100, 0x200})) << "its new System sorts it at once";

    // A logon screen has no User yet: asked everything until it has one.
    desktop.Add(0x300, "DEV", "100", "", "S000");
    EXPECT_EQ(asked().size(), 2u + everything.size());
    EXPECT_EQ(asked().size(), 2u + everything.size());
    desktop.Find(0x300)->answers[kFrontUser] = "CAROL";
    asked();
    EXPECT_EQ(asked().size(), 3u) << "logged on: calm";
    EXPECT_STREQ(Session(0x300).user, "CAROL");

    // A User changed under the same title shows by the pass that asks everything again.
    desktop.Find(0x100)->answers[kFrontUser] = "ANNA";
    for (int pass = 0; pass < 8 && std::string(Session(0x100).user) != "ANNA"; ++pass) asked();
    EXPECT_STREQ(Session(0x100).user, "ANNA");
    EXPECT_EQ(asked().size(), 3u) << "and calm again after it";
}

// A session that stops answering is shown busy at once, boxed or not, with the fields it had;
// so is its waking up.
TEST_F(RefreshTest, ASessionTurningBusyOrAnsweringAgainRebuildsAtOnce) {
    BoxedPrdAndUnboxedDev();
    for (WindowHandle session : {WindowHandle{0x100}, WindowHandle{0x300}}) {
        SCOPED_TRACE(session);
        const std::size_t before = Updates();
        desktop.Find(session)->hung = true;
        Pass();
        EXPECT_EQ(Updates(), before + 1);
        EXPECT_EQ(Session(session).busy, 1);
        EXPECT_STREQ(Session(session).client, "100");
        Pass();
        EXPECT_EQ(Updates(), before + 1) << "still busy: nothing new";
        desktop.Find(session)->hung = false;
        desktop.Deliver(session);
        Pass();
        EXPECT_EQ(Updates(), before + 2);
        EXPECT_EQ(Session(session).busy, 0);
    }
    EXPECT_EQ(BoxWindows(Now(), 0), (Windows{0x100}));
}

// With a timer the pass never waits: it sends its queries and ends when its last reply has come
// or its wait is over. Until then the snapshot is the last complete pass's, which the user acts
// on; a second request is answered by the pass under way.
TEST_F(RefreshTest, APassUnderWayLeavesTheSnapshotWholeAndEndsOnItsLastReplyOrItsDeadline) {
    BoxedPrdAndUnboxedDev();
    platform.hasTimer = true;
    const std::size_t before = Updates();
    desktop.Find(0x300)->hung = true;
    desktop.Find(0x100)->caption = "PRD(1)/100 Another screen";
    desktop.Add(0x400, "PRD", "200", "DAN", "VA02");
    Pass();
    EXPECT_TRUE(cycle->PassUnderWay());
    EXPECT_EQ(Now().Count(), 2) << "the last complete pass's snapshot";
    EXPECT_STRNE(Session(0x100).title, "PRD(1)/100 Another screen");
    cycle->DiscoverAndRefresh();  // the right press on the icon: answered by the pass under way
    EXPECT_EQ(platform.deadlines, 1);

    desktop.Find(0x300)->hung = false;
    desktop.Deliver(0x300);
    EXPECT_FALSE(platform.posted.empty()) << "the last reply asks for the end of the pass";
    platform.Drain();
    EXPECT_FALSE(cycle->PassUnderWay());
    EXPECT_EQ(Now().Count(), 3);
    EXPECT_EQ(Updates(), before + 1);
    for (const SessionRecord& r : Now().sessions) EXPECT_EQ(r.busy, 0);
    EXPECT_FALSE(platform.FireDeadline()) << "the deadline went with the pass";

    desktop.Find(0x300)->hung = true;
    desktop.Find(0x300)->caption = "DEV(1)/100 Hung";
    Pass();
    EXPECT_TRUE(cycle->PassUnderWay());
    platform.FireDeadline();
    EXPECT_FALSE(cycle->PassUnderWay());
    EXPECT_EQ(Session(0x300).busy, 1) << "its answers did not come within the pass";
    EXPECT_STREQ(Session(0x300).system, "DEV") << "it keeps its fields";

    // Twelve sessions are asked five at a time, with the user answered in between.
    for (int i = 0; i < 9; ++i) desktop.Add(0x500 + static_cast<WindowHandle>(i), "PRD", "300", "EVE", "SE38");
    desktop.Find(0x300)->hung = false;
    desktop.Deliver(0x300);
    desktop.queries.clear();
    now += 2000;
    cycle->OnRefreshTimer();
    const auto sessionsAsked = [&] {
        std::set<WindowHandle> asked;
        for (const auto& q : desktop.queries) asked.insert(q.first);
        return asked.size();
    };
    EXPECT_EQ(sessionsAsked(), 5u);
    platform.RunPosted();
    EXPECT_EQ(sessionsAsked(), 10u);
    EXPECT_TRUE(cycle->PassUnderWay());
    platform.Drain();
    EXPECT_EQ(sessionsAsked(), 12u);
    EXPECT_FALSE(cycle->PassUnderWay()) << "every one answered";
    EXPECT_EQ(Now().Count(), 12);

    // A drag that begins while a pass is under way holds the boxes and views.
    desktop.Find(0x300)->hung = true;
    desktop.Find(0x300)->caption = "DEV(1)/100 Hung again";
    Pass();
    ASSERT_TRUE(cycle->PassUnderWay());
    drag.set = true;
    const std::size_t during = Updates();
    platform.FireDeadline();
    EXPECT_EQ(Updates(), during);
    EXPECT_STREQ(Session(0x300).title, "DEV(1)/100 Hung again") << "the pass is published all the same";
    drag.set = false;
}

// The walk of the desktop made on a thread of its own: nothing of the pass is sent before it
// has ended, the pass under way answers every request meanwhile, and the answers that land
// while it is made are kept, with the window they came from.
TEST_F(RefreshTest, AWalkMadeElsewhereHoldsThePassUntilItEndsAndKeepsTheAnswersThatCameMeanwhile) {
    BoxedPrdAndUnboxedDev();
    platform.hasTimer = true;
    platform.walkElsewhere = true;
    desktop.Find(0x300)->hung = true;
    desktop.Find(0x300)->caption = "DEV(1)/100 Hung";  // asked everything
    Pass();
    platform.AwaitWalk();
    platform.Drain();
    platform.FireDeadline();
    ASSERT_FALSE(cycle->PassUnderWay());

    desktop.Find(0x300)->answers[kFrontUser] = "DORA";
    desktop.Add(0x400, "PRD", "200", "DAN", "VA02");
    desktop.queries.clear();
    Pass();
    cycle->DiscoverAndRefresh();
    platform.FireDeadline();  // nothing was asked yet: there is no deadline
    {
        WaitScope wait;
        cycle->Refresh();  // asked for inside a wait: held until it has ended
    }
    ASSERT_TRUE(cycle->Deferred());
    EXPECT_EQ(platform.walksHanded, 2) << "one walk a pass";
    EXPECT_TRUE(desktop.queries.empty()) << "nothing is sent before the walk has ended";
    EXPECT_EQ(Now().Count(), 2) << "the last complete pass's snapshot";

    desktop.Deliver(0x300);  // DEV's late answers land while the walk is made; then it hangs again
    platform.Drain();        // the deferred request: the pass under way answers it, once walked
    desktop.seen.clear();
    platform.AwaitWalk();
    EXPECT_EQ(desktop.seen, (Windows{0x100, 0x300, 0x400})) << "every session the walk recorded";
    platform.Drain();
    EXPECT_FALSE(desktop.queries.empty());
    platform.FireDeadline();
    EXPECT_EQ(Now().Count(), 3);
    EXPECT_STREQ(Session(0x300).user, "DORA") << "the answer that came during the walk";
    EXPECT_EQ(Session(0x300).busy, 1) << "asked again, it did not answer within the pass";
}

TEST_F(RefreshTest, AnUnboxedSessionShowsOnlyAfterMoreThan17000Ms) {
    BoxedPrdAndUnboxedDev();
    const std::uint32_t rebuilt = cycle->State().lastRebuildTime;
    ASSERT_EQ(rebuilt, now);
    ASSERT_EQ(BoxWindows(Now(), 5), (Windows{0x100}));

    desktop.Find(0x300)->rect.left = 500;
    Pass(2000);
    Pass(15000);  // exactly 17000 ms since the rebuild: not overdue
    EXPECT_EQ(cycle->State().lastRebuildTime, rebuilt);
    EXPECT_EQ(Updates(), 0u);
    EXPECT_EQ(Session(0x300).x, 500) << "the snapshot has it; the views are given it later";
    EXPECT_EQ(cycle->Shown()->Find(0x300)->x, 10);
    Pass(1);
    EXPECT_EQ(cycle->State().lastRebuildTime, now);
    EXPECT_EQ(Updates(), 1u);
    EXPECT_EQ(views.Last().Find(0x300)->x, 500);
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
    EXPECT_EQ(Updates(), 1u);
    EXPECT_EQ(BoxWindows(Now(), 0), (Windows{0x100, 0x300}));

    desktop.Remove(0x100);
    Pass();
    EXPECT_EQ(cycle->State().idleCounter, 0u);
    EXPECT_EQ(Updates(), 2u);
    EXPECT_EQ(BoxWindows(Now(), 0), (Windows{0x300}));

    // One session goes and another comes within one pass: the count is the same, the boxes
    // change all the same.
    desktop.Remove(0x300);
    desktop.Add(0x400, "PRD", "400", "DAN", "VA02");
    Pass();
    EXPECT_EQ(Updates(), 3u);
    EXPECT_EQ(BoxWindows(Now(), 0), (Windows{0x400}));
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
    cycle->Refresh();
    EXPECT_EQ(Updates(), 1u);
    EXPECT_EQ(cycle->State().previousCount, 2);
    EXPECT_EQ(cycle->State().idleCounter, 0u);
    EXPECT_EQ(BoxWindows(Now(), 0), (Windows{0x200}));
}

TEST_F(RefreshTest, TheOverdueRuleSurvivesATickCountWrap) {
    TwoSystems();
    now = 0xFFFFF000u - 2000;
    Make();
    Pass();
    ASSERT_EQ(cycle->State().lastRebuildTime, 0xFFFFF000u);
    Pass(16000);  // the tick count wraps to 11904
    EXPECT_LT(now, 0xFFFFF000u);
    EXPECT_EQ(Updates(), 0u);
    Pass(1001);  // 17001 ms since the rebuild
    EXPECT_EQ(Updates(), 1u);
    EXPECT_EQ(cycle->State().lastRebuildTime, now);
}

TEST_F(RefreshTest, WithoutAMainWindowNothingIsBuiltAndTheNextPassTriesAgain) {
    TwoSystems();
    platform.mainWindow = kNoWindow;
    Make();
    Pass();
    Pass();
    EXPECT_FALSE(cycle->State().firstRefreshDone);
    EXPECT_EQ(views.Count(), 0u);
    EXPECT_EQ(cycle->Shown(), nullptr);
    EXPECT_EQ(Now().Count(), 2) << "the sessions are published all the same";
    EXPECT_EQ(cycle->State().idleCounter, 2u);  // the bookkeeping still runs

    platform.mainWindow = kMain;
    Pass();
    EXPECT_TRUE(cycle->State().firstRefreshDone);
    EXPECT_EQ(views.Count(), 1u);
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
    EXPECT_EQ(Now().Count(), 2);
    EXPECT_EQ(cycle->State().idleCounter, before.idleCounter);
    EXPECT_EQ(cycle->State().previousCount, before.previousCount);
    EXPECT_EQ(cycle->State().lastRebuildTime, before.lastRebuildTime);
    EXPECT_EQ(Updates(), 0u);

    drag.set = false;
    Pass();
    EXPECT_EQ(Now().Count(), 3);
    EXPECT_EQ(Updates(), 1u);
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

TEST_F(RefreshTest, IdleActionSkipsBoxesWithoutSessionsOrBeforeTheFirstRebuild) {
    // Before any rebuild no box holds a session.
    TwoSystems();
    platform.mainWindow = kNoWindow;
    Make(1, "/nex");
    Pass();
    Pass();  // counter 2 > 1: the action runs with no boxes
    EXPECT_TRUE(platform.okCodesSent.empty());

    // Once sorted, only boxes that hold sessions are sent to.
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

TEST_F(RefreshTest, APassWithoutChangeAllocatesNothing) {
    for (int i = 0; i < kTableCapacity; ++i) desktop.Add(0x1000 + i, i % 2 ? "PRD" : "QAS", "100", "U", "T");
    Box(0, "PRD$$$");
    Box(1, "QAS$$$");
    Make(1000);
    Pass();
    Pass();
    ASSERT_EQ(Now().Count(), kTableCapacity);

    test::StartCountingAllocations();
    Pass();
    Pass();
    test::StopCountingAllocations();

    EXPECT_EQ(test::Allocations(), 0);
    EXPECT_EQ(Updates(), 0u);  // it really was a pass without change
    EXPECT_EQ(cycle->State().idleCounter, 6u);
}

// A refresh asked for inside a pass, or while an operation waits for a session, does not run
// there: it runs once, afterwards, from the message loop.
TEST_F(RefreshTest, ARefreshAskedForInsideAnotherOrDuringAWaitRunsOnceAfterwards) {
    TwoSystems();
    Make();
    Pass();
    int nested = 0;
    views.onRebuilt = [&](const Snapshot&) {
        ++nested;
        cycle->DiscoverAndRefresh();
        cycle->Refresh();
    };
    const int enumerations = desktop.enumerations;
    const std::size_t updates = Updates();
    cycle->ForceRebuild();
    now += 2000;
    cycle->OnRefreshTimer();
    views.onRebuilt = nullptr;
    EXPECT_EQ(nested, 1);
    EXPECT_EQ(Updates(), updates + 1);
    EXPECT_EQ(desktop.enumerations, enumerations + 1) << "the nested pass must not run discovery";
    EXPECT_EQ(platform.posted.size(), 1u) << "asked for once";
    platform.Drain();
    EXPECT_EQ(desktop.enumerations, enumerations + 2);
    EXPECT_EQ(platform.Drain(), 0) << "nothing is held back any more";

    {
        WaitScope waiting;
        cycle->OnRefreshTimer();
        platform.RunPosted();  // still waiting: asks to be run again
        EXPECT_EQ(desktop.enumerations, enumerations + 2);
    }
    platform.Drain();
    EXPECT_EQ(desktop.enumerations, enumerations + 3);
    EXPECT_FALSE(cycle->Deferred());
}

// Without memory, wherever the pass fails, the snapshot of the moment stays whole, every
// snapshot a view holds stays alive (read under the address sanitizer), and the next pass
// rebuilds.
TEST_F(RefreshTest, WithoutMemoryTheSnapshotsStayWholeAndTheNextPassRebuilds) {
    TwoSystems();
    Make();
    Pass();
    for (const bool inTheViews : {false, true}) {
        SCOPED_TRACE(inTheViews ? "the views' update" : "publishing the snapshot");
        const std::size_t updates = Updates();
        const Snapshot before = cycle->Current();
        views.onRebuilt = [&](const Snapshot&) {
            if (inTheViews) throw std::bad_alloc();
        };
        cycle->ForceRebuild();
        if (!inTheViews) test::FailAllocationsAfter(0);
        cycle->Refresh();
        test::StopFailingAllocations();
        views.onRebuilt = nullptr;
        for (const Snapshot& held : views.rebuilds) fake::ReadThrough(*held);
        if (!inTheViews) {
            EXPECT_EQ(cycle->Current(), before);
        }
        fake::ReadThrough(Now());

        Pass();  // no change since, but the failed rebuild is done again
        EXPECT_EQ(Updates(), updates + (inTheViews ? 2 : 1));
        EXPECT_EQ(BoxWindows(Now(), 0), (Windows{0x100}));
    }
}

// The cycle goes (the end of the program): its platform runs nothing more of it, and replies
// still to come land nowhere.
TEST_F(RefreshTest, TheEndOfTheCycleDisconnectsItAndItsLateRepliesLandNowhere) {
    TwoSystems();
    Make();
    Pass();
    desktop.Find(0x200)->hung = true;
    desktop.Find(0x200)->answers[kFrontTransaction] = "SM37";
    Pass();
    ASSERT_GT(desktop.PendingFor(0x200), 0);
    cycle.reset();
    EXPECT_TRUE(platform.disconnected);
    desktop.Deliver(0x200);  // under the sanitizer: nothing is written into what has gone
    EXPECT_EQ(desktop.Queries().FreeCount(), FrontQueryPool::kCapacity);
}

}  // namespace
}  // namespace quilvo
