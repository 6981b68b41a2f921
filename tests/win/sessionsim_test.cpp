// The session simulator, driven from this process the way Quilvo drives real sessions:
// SAP_GET_FRONT through SendMessageCallbackA, SAP_SET_OKCODE through SendMessageA, across
// the process boundary. If these fail, every end-to-end test built on the simulator lies.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "sim_client.h"
#include "window_helpers.h"

namespace {

using sessionsim::FrontQuery;
using quilvo::test::ClassOf;
using sessionsim::QueryCounts;
using sessionsim::Simulator;

constexpr DWORD kReplyWait = 3000;

UINT setOkCodeMessage() { return RegisterWindowMessageA("SAP_SET_OKCODE"); }

// Polls cond until it holds or timeoutMs pass.
template <class Cond>
bool eventually(Cond cond, DWORD timeoutMs = kReplyWait) {
    const DWORD start = GetTickCount();
    while (!cond()) {
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(2);
    }
    return true;
}

struct Exchange {
    bool replied;
    std::string text;
    ATOM atom;
};

Exchange ask(HWND session, WPARAM code, DWORD wait = kReplyWait) {
    FrontQuery q(session, code);
    EXPECT_TRUE(q.Sent());
    const bool replied = q.Wait(wait);
    return Exchange{replied, q.Text(), q.Atom()};
}

TEST(SessionSimulator, AnswersEachQueryCodeFromAnotherProcess) {
    Simulator sim;
    ASSERT_TRUE(sim.Start("session A caption=\"PRD(1)/100 SAP Easy Access\" system=PRD client=100 user=USER01 "
                          "group=SPACE tx=SESSION_MANAGER\n"
                          "session L tx=*255:Ab user=\"\" noanswer=system system=QAS client=\"a \\\"q\\\" b\"\n"))
        << sim.LastError();
    HWND a = sim.Hwnd("A");
    ASSERT_TRUE(IsWindow(a));
    char caption[256] = {};
    GetWindowTextA(a, caption, sizeof caption);
    EXPECT_STREQ(caption, "PRD(1)/100 SAP Easy Access");
    EXPECT_EQ(ClassOf(a), "SAP_FRONTEND_SESSION");

    const struct {
        WPARAM code;
        const char* answer;
    } expected[] = {{4, "100"}, {11, "SPACE"}, {15, "USER01"}, {10, "PRD"}, {5, "SESSION_MANAGER"}};
    for (const auto& e : expected) {
        const Exchange x = ask(a, e.code);
        EXPECT_TRUE(x.replied) << "code " << e.code;
        EXPECT_EQ(x.text, e.answer) << "code " << e.code;
    }
    // Code 3 and codes without a field are answered, with no atom.
    for (WPARAM code : {WPARAM(3), WPARAM(99)}) {
        const Exchange x = ask(a, code);
        EXPECT_TRUE(x.replied) << "code " << code;
        EXPECT_EQ(x.atom, 0) << "code " << code;
    }

    // Long, empty, silenced and quoted fields.
    HWND l = sim.Hwnd("L");
    const Exchange tx = ask(l, 5);
    EXPECT_EQ(tx.text.size(), 255u);
    EXPECT_EQ(tx.text.substr(0, 5), "AbAbA");
    EXPECT_EQ(ask(l, 15).atom, 0);  // empty user
    EXPECT_EQ(ask(l, 10).atom, 0);  // system set, but not answered
    EXPECT_EQ(ask(l, 4).text, "a \"q\" b");
    EXPECT_TRUE(sim.Send("noanswer L none"));
    EXPECT_EQ(ask(l, 10).text, "QAS");

    EXPECT_TRUE(sim.WaitForLine("get A 4 100"));
    EXPECT_TRUE(sim.WaitForLine("get A 3 -"));
    EXPECT_TRUE(sim.WaitForLine("get L 15 -"));
    EXPECT_EQ(sim.Stop(), 0u);
}

TEST(SessionSimulator, OkCodeRunsAndCloseEndsTheSession) {
    Simulator sim;
    ASSERT_TRUE(sim.Start("session A tx=SMEN\nsession B tx=VA01\n")) << sim.LastError();
    HWND a = sim.Hwnd("A");
    HWND b = sim.Hwnd("B");
    ASSERT_TRUE(a && b);

    const ATOM okCode = GlobalAddAtomA("/nSE38");
    ASSERT_NE(okCode, 0);
    EXPECT_EQ(SendMessageA(a, setOkCodeMessage(), 5, static_cast<LPARAM>(okCode)), 1);
    EXPECT_TRUE(sim.WaitForLine("okcode A /nSE38"));
    EXPECT_EQ(ask(a, 5).text, "/nSE38");
    // The atom is the sender's: the session must not have deleted it.
    char name[64] = {};
    EXPECT_EQ(GlobalGetAtomNameA(okCode, name, sizeof name), 6u);
    GlobalDeleteAtom(okCode);

    SendMessageA(b, setOkCodeMessage(), 3, 0);
    EXPECT_TRUE(sim.WaitForLine("destroyed B"));
    EXPECT_TRUE(sim.HasLine("close B"));
    EXPECT_TRUE(eventually([&] { return !IsWindow(b); }));
    EXPECT_EQ(sim.Count(), 1);
    EXPECT_TRUE(IsWindow(a));
}

// An answer whose reader died before reading it does not outlive the simulator: the global
// atom table ignores letter case, so the next session to answer "PRD" would read "prd".
TEST(SessionSimulator, AnAnswerNobodyReadGoesWithTheSimulator) {
    Simulator sim;
    ASSERT_TRUE(sim.Start("session A system=prd\n")) << sim.LastError();
    const LRESULT unread = SendMessageA(sim.Hwnd("A"), RegisterWindowMessageA("SAP_GET_FRONT"), 10, 0);
    ASSERT_NE(unread & 0xFFFF, 0);
    sim.Stop();
    EXPECT_EQ(GlobalFindAtomA("PRD"), 0);
}

TEST(SessionSimulator, BusySessionDoesNotHoldUpTheOthersAndAnswersLate) {
    Simulator sim;
    ASSERT_TRUE(sim.Start("session A client=100\nsession B client=200 hang-after-queries=2\n")) << sim.LastError();
    HWND a = sim.Hwnd("A");
    HWND b = sim.Hwnd("B");

    ASSERT_TRUE(sim.Send("hang A"));
    FrontQuery late(a, 4);
    EXPECT_FALSE(late.Wait(300));
    const Exchange other = ask(b, 4, 1000);
    EXPECT_TRUE(other.replied);
    EXPECT_EQ(other.text, "200");
    ASSERT_TRUE(sim.Send("wake A"));
    ASSERT_TRUE(late.Wait(kReplyWait));
    EXPECT_EQ(late.Text(), "100");

    // B's second query finds it busy until woken; the reply then still arrives.
    FrontQuery second(b, 4);
    EXPECT_TRUE(sim.WaitForLine("busy B"));
    EXPECT_FALSE(second.Wait(200));
    EXPECT_TRUE(sim.Send("wake B"));
    EXPECT_TRUE(second.Wait(kReplyWait));
    EXPECT_EQ(second.Text(), "200");
}

// `queries` counts by code, per session and all together (a session gone included), and
// `queries reset` zeroes the counts but not the fault counters: B's third query still ends it.
TEST(SessionSimulator, CountsTheQueriesItReceives) {
    Simulator sim;
    ASSERT_TRUE(sim.Start("session A client=100\nsession B system=PRD destroy-after-queries=3\n")) << sim.LastError();
    HWND a = sim.Hwnd("A");
    HWND b = sim.Hwnd("B");
    for (WPARAM code : {4, 4, 11, 15, 10, 5, 3}) EXPECT_TRUE(ask(a, code).replied) << "code " << code;
    for (WPARAM code : {10, 99}) EXPECT_TRUE(ask(b, code).replied) << "code " << code;
    QueryCounts all, ofA, ofB;
    ASSERT_TRUE(sim.Queries(all));
    ASSERT_TRUE(sim.Queries(ofA, "A"));
    EXPECT_EQ(all.Text(), "total=9 c4=2 c11=1 c15=1 c10=2 c5=1 other=2");
    EXPECT_EQ(ofA.Text(), "total=7 c4=2 c11=1 c15=1 c10=1 c5=1 other=1");

    ASSERT_TRUE(sim.ResetQueries());
    ask(b, 10);
    EXPECT_TRUE(sim.WaitForLine("destroyed B"));
    ASSERT_TRUE(sim.Queries(ofB, "B"));
    ASSERT_TRUE(sim.Queries(all));
    EXPECT_EQ(ofB.Text(), "total=1 c4=0 c11=0 c15=0 c10=1 c5=0 other=0");
    EXPECT_EQ(all.Text(), ofB.Text());
    EXPECT_FALSE(sim.Queries(all, "nobody"));
}

// A session busy when an OK code comes (okcode-delay) reads its atom late: the code while the
// sender keeps the atom, nothing once the sender has deleted it, as a program that deletes it
// as soon as its send returns would.
TEST(SessionSimulator, LateOkCodeReaderReadsOnlyAnAtomStillThere) {
    Simulator sim;
    ASSERT_TRUE(sim.Start("session A tx=SMEN okcode-delay=30000\nsession B tx=SMEN\n")) << sim.LastError();
    ASSERT_TRUE(sim.Send("set B okcode-delay=30000"));
    EXPECT_FALSE(sim.Send("set B okcode-delay=soon"));
    const struct {
        const char* session;
        const char* code;
        bool deletedEarly;
        const char* logged;
    } cases[] = {{"A", "/nLATEREAD1", true, "okcode A -"}, {"B", "/nLATEREAD2", false, "okcode B /nLATEREAD2"}};
    for (const auto& c : cases) {
        const std::string session = c.session;
        const ATOM okCode = GlobalAddAtomA(c.code);
        ASSERT_NE(okCode, 0);
        ASSERT_TRUE(SendNotifyMessageA(sim.Hwnd(session), setOkCodeMessage(), 5, static_cast<LPARAM>(okCode)));
        EXPECT_TRUE(sim.WaitForLine("busy " + session)) << session;
        if (c.deletedEarly) GlobalDeleteAtom(okCode);
        EXPECT_TRUE(sim.Send("wake " + session));
        EXPECT_TRUE(sim.WaitForLine(c.logged)) << sim.Log();
        if (!c.deletedEarly) GlobalDeleteAtom(okCode);
    }
}

TEST(SessionSimulator, WindowsTakeTheShapeTheScenarioGives) {
    // Under Wine a class name is a global atom, spelt as its first registration spelt it: the
    // session class this process registers as the program does (for other suites) would give
    // the simulator's windows its own spelling.
    UnregisterClassA("SAP_FRONTEND_SESSION", GetModuleHandleA(nullptr));
    Simulator sim;
    // M first: class names are case-insensitive in a process, the first spelling sticks.
    ASSERT_TRUE(sim.Start("session M max x=40 y=30 w=500 h=400 class=sap_frontend_session\n"
                          "frame F caption=\"Host\" x=50 y=60 w=700 h=500\n"
                          "session C parent=F client=300 x=10 y=20 w=300 h=200\n"
                          "session N min caption=\"\"\n"))
        << sim.LastError();
    HWND f = sim.Hwnd("F");
    HWND c = sim.Hwnd("C");
    HWND m = sim.Hwnd("M");
    HWND n = sim.Hwnd("N");
    ASSERT_TRUE(f && c && m && n);

    EXPECT_EQ(GetParent(c), f);
    EXPECT_TRUE(GetWindowLongPtrA(c, GWL_STYLE) & WS_CHILD);
    EXPECT_EQ(ask(c, 4).text, "300");  // a child answers like any session

    EXPECT_EQ(ClassOf(m), "sap_frontend_session");
    EXPECT_TRUE(IsZoomed(m));
    // The rectangle it restores to is the scenario's (asked of the simulator: Wine answers
    // GetWindowPlacement across processes with the maximised rectangle).
    EXPECT_EQ(sim.Command("placement M").Data(), "3 40 30 500 400");

    EXPECT_TRUE(IsIconic(n));
    EXPECT_EQ(GetWindowTextLengthA(n), 0);
    EXPECT_EQ(sim.Count(), 3);  // the frame is not a session

    // Show-state changes made through the control channel are seen by the window and logged once.
    EXPECT_TRUE(sim.Send("restore N"));
    EXPECT_TRUE(sim.Send("minimize N"));
    EXPECT_TRUE(sim.WaitForLine("show N minimized"));
    int restored = 0;
    for (const std::string& line : sim.LogLines()) restored += line == "show N restored";
    EXPECT_EQ(restored, 1);
}

TEST(SessionSimulator, ControlChannelOpensChangesAndRefuses) {
    Simulator sim;
    ASSERT_TRUE(sim.Start("session A client=100\n")) << sim.LastError();
    const sessionsim::CommandResult opened = sim.Command("open B caption=\"QAS(1)/200\" client=200 x=300");
    ASSERT_TRUE(opened.ok) << opened.text;
    HWND b = sim.Hwnd("B");
    EXPECT_EQ(std::strtoull(opened.Data().c_str(), nullptr, 16), reinterpret_cast<UINT_PTR>(b));
    EXPECT_EQ(ask(b, 4).text, "200");

    EXPECT_TRUE(sim.Send("set B client=201 tx=\"VA01 x\""));
    EXPECT_EQ(ask(b, 4).text, "201");
    EXPECT_EQ(ask(b, 5).text, "VA01 x");
    EXPECT_TRUE(sim.Send("caption B Renamed session"));
    char caption[64] = {};
    GetWindowTextA(b, caption, sizeof caption);
    EXPECT_STREQ(caption, "Renamed session");
    EXPECT_TRUE(sim.Send("move B 20 30 400 300"));
    RECT r{};
    GetWindowRect(b, &r);
    EXPECT_EQ(r.right - r.left, 400);

    EXPECT_FALSE(sim.Send("open A client=1"));  // name in use
    EXPECT_FALSE(sim.Send("set B colour=red"));
    EXPECT_FALSE(sim.Send("hwnd nobody"));
    EXPECT_FALSE(sim.Send("frobnicate A"));
    EXPECT_TRUE(sim.Send("close B"));
    EXPECT_TRUE(eventually([&] { return !IsWindow(b); }));
    EXPECT_TRUE(sim.HasLine("cmd close B"));
}

TEST(SessionSimulator, FaultsEndTheWindowOrTheProcess) {
    Simulator sim;
    ASSERT_TRUE(sim.Start("session A client=100 destroy-after-queries=2\nsession B client=200 die-after-queries=1\n"))
        << sim.LastError();
    HWND a = sim.Hwnd("A");
    HWND b = sim.Hwnd("B");
    EXPECT_EQ(ask(a, 4).text, "100");
    const Exchange gone = ask(a, 4);
    EXPECT_EQ(gone.atom, 0);
    EXPECT_TRUE(eventually([&] { return !IsWindow(a); }));
    EXPECT_TRUE(sim.HasLine("destroyed A"));

    FrontQuery last(b, 4);
    EXPECT_EQ(sim.WaitForExit(5000), 3u);
    EXPECT_TRUE(sim.HasLine("die B"));  // logged before the end, and kept
    EXPECT_TRUE(eventually([&] { return !IsWindow(b); }));
}

}  // namespace
