// Discovery against real session windows owned by the simulator in another process.
#include <gtest/gtest.h>
#include "platform_ops.h"
#include "record_checks.h"
#include "window_helpers.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "commands/session_commands.h"
#include "core/boxes.h"
#include "core/discovery.h"
#include "base/text.h"
#include "platform/scoped_win.h"
#include "platform/win32_discovery.h"
#include "sim_client.h"

namespace quilvo {
namespace {

using sessionsim::Simulator;

class DiscoveryAcrossProcesses : public ::testing::Test {
protected:
    void Start(const std::string& scenario) { ASSERT_TRUE(sim.Start(scenario)) << sim.LastError(); }

    // A pass that asks every session everything; its sessions in `table`.
    int Pass(const char* cls = kDefaultSessionClass) {
        std::unique_ptr<Discovery>& discovery = discoveries[cls];
        if (!discovery) discovery = std::make_unique<Discovery>(windows, cls);
        table = ::test::SnapshotOf(discovery->Pass(true));
        return table.Count();
    }

    const SessionRecord* Find(HWND window) const { return table.Find(FromHwnd(window)); }

    static std::string Sessions(int n, const std::string& extra = "") {
        std::string s;
        for (int i = 0; i < n; ++i) {
            s += "session S" + std::to_string(i) + " system=PRD client=" + std::to_string(100 + i) +
                 " user=USER" + std::to_string(i) + " group=SPACE tx=SMEN x=" + std::to_string(10 + i) +
                 " y=20 w=400 h=300 " + extra + "\n";
        }
        return s;
    }

    // The scenario name of the session recorded at position i.
    std::string NameAt(int i) const {
        for (const char* name : {"A", "B", "C", "H", "D", "P", "Q", "N"})
            if (table.sessions.at(static_cast<std::size_t>(i)).window == FromHwnd(sim.Hwnd(name))) return name;
        return "";
    }

    Simulator sim;
    Win32DiscoveryWindows windows{SapMessages::Register().getFront};
    std::map<std::string, std::unique_ptr<Discovery>> discoveries;
    SessionSnapshot table;
};

bool RecordHolds(const SessionRecord& r, const char* system, const char* client, const char* user,
                 const char* group, const char* tx) {
    return std::strcmp(r.system, system) == 0 && std::strcmp(r.client, client) == 0 &&
           std::strcmp(r.user, user) == 0 && std::strcmp(r.serverGroup, group) == 0 &&
           std::strcmp(r.transaction, tx) == 0;
}

TEST_F(DiscoveryAcrossProcesses, NoSessionsGivesNone) {
    Start("");
    EXPECT_EQ(Pass(), 0);
}

TEST_F(DiscoveryAcrossProcesses, ThreeSessionsAreRecordedWithEveryAnswer) {
    Start("session A caption=\"PRD(1)/100 SAP Easy Access\" system=PRD client=100 user=ALICE group=GRP1 tx=VA01 "
          "x=100 y=50 w=800 h=600\n"
          "session B system=QAS client=200 user=BOB group=GRP2 tx=SE80\n"
          "session C system=DEV client=300 user=CAROL group=GRP3 tx=SU01\n");
    ASSERT_EQ(Pass(), 3);
    const SessionRecord* a = Find(sim.Hwnd("A"));
    ASSERT_NE(a, nullptr);
    EXPECT_STREQ(a->title, "PRD(1)/100 SAP Easy Access");
    EXPECT_STREQ(a->system, "PRD");
    EXPECT_STREQ(a->client, "100");
    EXPECT_STREQ(a->user, "ALICE");
    EXPECT_STREQ(a->serverGroup, "GRP1");
    EXPECT_STREQ(a->transaction, "VA01");
    EXPECT_EQ(a->x, 100);
    EXPECT_EQ(a->y, 50);
    EXPECT_EQ(a->width, 800);
    EXPECT_EQ(a->height, 600);
    EXPECT_EQ(a->zoomed, 0);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(table.sessions[static_cast<std::size_t>(i)].index, i);
    EXPECT_STREQ(Find(sim.Hwnd("C"))->user, "CAROL");
}

TEST_F(DiscoveryAcrossProcesses, FiftySessionsFillTheTableAndTheFiftyFirstWaits) {
    Start(Sessions(51));
    ASSERT_EQ(Pass(), 50);
    for (const SessionRecord& r : table.sessions) EXPECT_NE(r.user[0], '\0');

    // One of the recorded ones closes: the one left out is recorded on the next pass.
    HWND left = nullptr;
    for (int i = 0; i < 51; ++i) {
        HWND h = sim.Hwnd("S" + std::to_string(i));
        if (Find(h) == nullptr) left = h;
    }
    ASSERT_NE(left, nullptr);
    ASSERT_TRUE(sim.Send("close " + std::string(Find(sim.Hwnd("S0")) ? "S0" : "S1")));
    ASSERT_EQ(Pass(), 50);
    EXPECT_NE(Find(left), nullptr);
}

// The walk does not list the children of the program's own windows (its views hold hundreds),
// unless the class looked for is one the program makes children of.
TEST_F(DiscoveryAcrossProcesses, TheProgramsOwnChildrenAreWalkedOnlyForAClassOfTheirs) {
    const ScopedHandle<HWND, DestroyWindow> own(
        CreateWindowExA(0, "STATIC", "own", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr));
    const HWND child = CreateWindowExA(0, "BUTTON", "...", WS_CHILD, 0, 0, 10, 10, own.get(), nullptr, nullptr, nullptr);
    ASSERT_NE(child, nullptr);
    for (const auto& [cls, childVisited] : {std::pair<const char*, bool>{kDefaultSessionClass, false}, {"Button", true}}) {
        std::vector<WindowHandle> seen;
        windows.EnumerateAll(cls, [](WindowHandle w, void* list) { return static_cast<std::vector<WindowHandle>*>(list)->push_back(w), true; }, &seen);
        EXPECT_NE(std::find(seen.begin(), seen.end(), FromHwnd(own.get())), seen.end()) << cls;
        EXPECT_EQ(std::find(seen.begin(), seen.end(), FromHwnd(child)) != seen.end(), childVisited) << cls;
    }
}

TEST_F(DiscoveryAcrossProcesses, OddWindowsAreFoundAsTheRulesSay) {
    Start("frame F caption=\"Frame\" x=0 y=0 w=900 h=700\n"
          "session EMPTY caption=\"\" system=PRD client=100 user=U1\n"
          "session LOWER class=sap_frontend_session system=QAS client=200 user=U2\n"
          "session CHILD parent=F x=10 y=10 w=300 h=200 system=DEV client=300 user=U3\n"
          "session MAX max x=40 y=30 w=700 h=500 system=PRD client=400 user=U4\n"
          "session MIN min x=60 y=70 w=500 h=400 system=PRD client=500 user=U5\n");
    ASSERT_EQ(Pass(), 5);
    EXPECT_STREQ(Find(sim.Hwnd("EMPTY"))->title, "INVALID");
    EXPECT_NE(Find(sim.Hwnd("LOWER")), nullptr);
    const SessionRecord* child = Find(sim.Hwnd("CHILD"));
    ASSERT_NE(child, nullptr);
    EXPECT_STREQ(child->system, "DEV");

    HWND maxWindow = sim.Hwnd("MAX");
    const SessionRecord* max = Find(maxWindow);
    ASSERT_NE(max, nullptr);
    WINDOWPLACEMENT wp = {};
    wp.length = sizeof wp;
    ASSERT_TRUE(GetWindowPlacement(maxWindow, &wp));
    EXPECT_EQ(max->zoomed, 1);
    EXPECT_EQ(max->x, 0);
    EXPECT_EQ(max->y, 0);
    EXPECT_EQ(max->width, wp.rcNormalPosition.right - wp.rcNormalPosition.left);
    EXPECT_EQ(max->height, wp.rcNormalPosition.bottom - wp.rcNormalPosition.top);

    const SessionRecord* min = Find(sim.Hwnd("MIN"));
    ASSERT_NE(min, nullptr);
    EXPECT_EQ(min->zoomed, 0);
    ASSERT_TRUE(GetWindowPlacement(sim.Hwnd("MIN"), &wp));
    EXPECT_EQ(min->width, wp.rcNormalPosition.right - wp.rcNormalPosition.left);

    // Another class name finds only the windows of that class.
    char frameClass[128] = {};
    ASSERT_GT(GetClassNameA(sim.Hwnd("F"), frameClass, sizeof frameClass), 0);
    ASSERT_EQ(Pass(frameClass), 1);
    EXPECT_EQ(table.sessions[0].window, FromHwnd(sim.Hwnd("F")));
}

TEST_F(DiscoveryAcrossProcesses, OverlongAnswersAreCutToTheirFields) {
    Start("session A caption=*255:T system=ABCD client=*255:1 user=*255:U group=*255:G tx=*255:X\n");
    ASSERT_EQ(Pass(), 1);
    const SessionRecord& r = table.sessions[0];
    ::test::ExpectAnswersCutToTheirFields(r);
    EXPECT_EQ(std::strlen(r.title), 254u);  // the caption is read with a 256-byte buffer
    EXPECT_EQ(std::string(r.transaction), std::string(63, 'X'));
}

TEST_F(DiscoveryAcrossProcesses, AClosedSessionLeavesEveryOtherSeenOnce) {
    Start("session A system=PRD client=100 user=U1\n"
          "session B system=PRD client=200 user=U2\n"
          "session C system=PRD client=300 user=U3\n");
    ASSERT_EQ(Pass(), 3);
    // The windows are found in the desktop's order; close the one found first.
    std::string first = NameAt(0);
    WindowHandle second = table.sessions[1].window, third = table.sessions[2].window;

    ASSERT_TRUE(sim.Send("close " + first));
    ASSERT_EQ(Pass(), 2);
    EXPECT_EQ(table.sessions[0].window, second);
    EXPECT_EQ(table.sessions[1].window, third);
}

TEST_F(DiscoveryAcrossProcesses, HungSessionDoesNotHoldThePassAndItsLateAnswersStayItsOwn) {
    Start("session A system=PRD client=100 user=U1 tx=A1\n"
          "session H system=HUN client=900 user=UH tx=H1\n"
          "session C system=QAS client=300 user=U3 tx=C1\n");
    ASSERT_EQ(Pass(), 3);
    ASSERT_TRUE(sim.Send("set H client=901 system=NEW"));
    ASSERT_TRUE(sim.Send("hang H"));
    ASSERT_TRUE(sim.Send("set A client=101"));

    DWORD begin = GetTickCount();
    ASSERT_EQ(Pass(), 3);
    DWORD took = GetTickCount() - begin;
    EXPECT_LT(took, 1000u) << "one hung session must cost one bounded wait, not the pass";
    EXPECT_STREQ(Find(sim.Hwnd("H"))->client, "900");  // kept what it held
    EXPECT_EQ(Find(sim.Hwnd("H"))->busy, 1);
    EXPECT_STREQ(Find(sim.Hwnd("A"))->client, "101");
    EXPECT_STREQ(Find(sim.Hwnd("C"))->system, "QAS");

    // The session wakes and answers the queries it was left with, when this thread next
    // handles messages; the answers are its own, and the others keep theirs.
    const SessionSnapshot before = table;
    ASSERT_TRUE(sim.Send("wake H"));
    const WindowHandle h = FromHwnd(sim.Hwnd("H"));
    EXPECT_TRUE(test::PumpUntil([&] { return !windows.Queries().Outstanding(h); }, 3000));
    ASSERT_EQ(Pass(), 3);
    EXPECT_STREQ(Find(sim.Hwnd("H"))->client, "901");
    EXPECT_STREQ(Find(sim.Hwnd("H"))->system, "NEW");
    for (const char* other : {"A", "C"}) {
        const SessionRecord* now = Find(sim.Hwnd(other));
        const SessionRecord* was = before.Find(FromHwnd(sim.Hwnd(other)));
        ASSERT_TRUE(now != nullptr && was != nullptr);
        EXPECT_TRUE(RecordHolds(*now, was->system, was->client, was->user, was->serverGroup, was->transaction)) << other;
    }
}

TEST_F(DiscoveryAcrossProcesses, WindowDestroyedWhileBeingQueried) {
    Start("session A system=PRD client=100 user=U1\n"
          "session D system=DIE client=200 user=U2 destroy-after-queries=3\n"
          "session C system=QAS client=300 user=U3\n");
    int n = Pass();
    EXPECT_GE(n, 2);
    EXPECT_LE(n, 3);
    EXPECT_NE(Find(sim.Hwnd("C")), nullptr);
    EXPECT_STREQ(Find(sim.Hwnd("C"))->user, "U3");
    EXPECT_EQ(Pass(), 2);
}

TEST_F(DiscoveryAcrossProcesses, SessionProcessEndingMidPass) {
    Start("session A system=PRD client=100 user=U1\n"
          "session B system=PRD client=200 user=U2 die-after-queries=2\n"
          "session C system=QAS client=300 user=U3\n");
    DWORD begin = GetTickCount();
    int n = Pass();
    EXPECT_LT(GetTickCount() - begin, 5000u);
    EXPECT_GE(n, 0);
    EXPECT_LE(n, 3);
    sim.WaitForExit(5000);
    EXPECT_EQ(Pass(), 0);
}

using test::PumpFor;


// A hangs at a position, B comes to that position (a z-order change) while A's queries are
// out, then A wakes: B's record holds B's answers alone, A's keeps what A had, and A's late
// answers land nowhere but in A's own record once A is asked again.
TEST_F(DiscoveryAcrossProcesses, AHungSessionNeverLendsItsIdentityToTheOneRecordedAfterIt) {
    // B never answers its Server group, so B's record must show none, never A's.
    Start("session A system=PRD client=100 user=ALICE group=GA tx=VA01\n"
          "session B system=QAS client=200 user=BOB group=GB tx=SE80 noanswer=group\n");
    ASSERT_EQ(Pass(), 2);
    const std::string first = NameAt(0), second = NameAt(1);
    ASSERT_TRUE(sim.Send("hang " + first));
    ASSERT_TRUE(sim.Send("set " + first + " system=LAT client=999 user=LATE tx=LATE"));
    ASSERT_EQ(Pass(), 2);  // the first one is asked and does not answer

    // The second comes to the top of the z-order, so it is found first.
    HWND raised = sim.Hwnd(second);
    SetWindowPos(raised, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS);
    const DWORD deadline = GetTickCount() + 5000;
    while (Pass() != 2 || NameAt(0) != second) ASSERT_LT(GetTickCount(), deadline) << "the z-order did not change";
    for (int pass = 0; pass < 2; ++pass) {
        if (pass > 0) {
            ASSERT_EQ(Pass(), 2);
        }
        ASSERT_EQ(NameAt(0), second);
        const SessionRecord& b = table.sessions[0];
        const bool bIsA = second == "A";
        EXPECT_TRUE(bIsA ? RecordHolds(b, "PRD", "100", "ALICE", "GA", "VA01") : RecordHolds(b, "QAS", "200", "BOB", "", "SE80"))
            << "pass " << pass << ": " << b.system << " " << b.client << " " << b.user << " " << b.serverGroup;
        const SessionRecord& hung = table.sessions[1];
        EXPECT_TRUE(bIsA ? RecordHolds(hung, "QAS", "200", "BOB", "", "SE80") : RecordHolds(hung, "PRD", "100", "ALICE", "GA", "VA01"))
            << "the hung one keeps what it had, not the new texts it has not answered yet: " << hung.system;
        EXPECT_EQ(hung.busy, 1);
    }

    ASSERT_TRUE(sim.Send("wake " + first));
    PumpFor(500);
    ASSERT_EQ(Pass(), 2);
    const bool firstIsA = first == "A";
    EXPECT_TRUE(RecordHolds(table.sessions[1], "LAT", "999", "LATE", firstIsA ? "GA" : "", "LATE"));
    EXPECT_STRNE(table.sessions[0].user, "LATE");
}

// A session that answers nothing, recorded where a PRD session was, shows nothing of it: a
// close of every PRD session leaves it alone.
TEST_F(DiscoveryAcrossProcesses, ASilentSessionTakesNoIdentityFromTheRecordItReplaces) {
    Start("session P system=PRD client=100 user=ALICE group=G1\n"
          "session Q system=prd client=200 user=BOB group=G1\n");
    ASSERT_EQ(Pass(), 2);
    const std::string first = NameAt(0) == "P" ? "P" : "Q";
    ASSERT_TRUE(sim.Send("open N noanswer=client,group,user,system,tx"));
    HWND silent = sim.Hwnd("N");
    SetWindowPos(silent, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS);
    ASSERT_TRUE(sim.Send("close " + first));
    DWORD deadline = GetTickCount() + 3000;
    int n = 0;
    while ((n = Pass()) != 2 || table.sessions[0].window != FromHwnd(silent)) {
        ASSERT_LT(GetTickCount(), deadline) << "N never came first";
    }
    EXPECT_TRUE(RecordHolds(table.sessions[0], "", "", "", "", ""));
    EXPECT_STREQ(table.sessions[1].system, first == "P" ? "prd" : "PRD");
    BoxFilter prd = {};
    CopyCut(prd.system, "PRD");
    EXPECT_FALSE(SessionMatches(prd, table.sessions[0])) << "the silent session is in no PRD box";
    EXPECT_TRUE(SessionMatches(prd, table.sessions[1]));

    test::PlatformOps platform;
    GroupCommand(table, table.sessions[1].window, kGroupClose, kGroupBySystem, platform.ops);
    EXPECT_TRUE(sim.WaitForLine(std::string("close ") + (first == "P" ? "Q" : "P")));
    PumpFor(300);
    EXPECT_FALSE(sim.HasLine("close N"));
    EXPECT_TRUE(IsWindow(silent));
}

// Fifty sessions of one front-end process share its thread; while it is busy, each pass ends
// within one wait, the session of another thread is recorded with its new answers in the same
// pass, and the busy ones keep their records as they were.
TEST_F(DiscoveryAcrossProcesses, FiftySessionsBehindOneBusyThreadCostOneWait) {
    std::string scenario = "session OTHER system=QAS client=300 user=OTTO\n";
    for (int i = 0; i < 49; ++i)
        scenario += "session T" + std::to_string(i) + " thread=front system=PRD client=" + std::to_string(100 + i) +
                    " user=USER" + std::to_string(i) + "\n";
    Start(scenario);
    ASSERT_EQ(Pass(), 50);
    const SessionSnapshot before = table;
    ASSERT_TRUE(sim.Send("hang T0"));
    ASSERT_TRUE(sim.Send("set OTHER user=OTTO2"));
    for (int pass = 0; pass < 3; ++pass) {
        const DWORD begin = GetTickCount();
        ASSERT_EQ(Pass(), 50);
        EXPECT_LT(GetTickCount() - begin, 1000u) << "pass " << pass;
        EXPECT_STREQ(Find(sim.Hwnd("OTHER"))->user, "OTTO2");
        for (std::size_t i = 0; i < table.sessions.size(); ++i) {
            const SessionRecord& r = table.sessions[i];
            if (r.window == FromHwnd(sim.Hwnd("OTHER"))) continue;
            EXPECT_EQ(r.window, before.sessions[i].window);
            EXPECT_STREQ(r.user, before.sessions[i].user) << i;
            EXPECT_STREQ(r.client, before.sessions[i].client) << i;
        }
    }
    ASSERT_TRUE(sim.Send("wake T0"));
}

}  // namespace
}  // namespace quilvo
