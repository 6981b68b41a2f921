// What busy, slow and meddling sessions can do to the program from outside: messages sent to it
// while it waits, raises of sessions whose thread stalls, shows and hides still queued when the
// program ends, atoms deleted under it. Nothing may free what running code still uses, freeze
// the program, or leave a session hidden.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "e2e_util.h"
#include "quilvo_process.h"
#include "real_input.h"
#include "resources/resource_ids.h"
#include "sim_client.h"

namespace e2e {
namespace {

constexpr char kBoxClick[] = "XBOXED: WM_LBUTTONDOWN\r\n";
// The icon's callback with a left button release, as the simulator sends it (",MESSAGE,WPARAM,LPARAM"
// after the window): it opens the tray menu.
const std::string kOpenTrayMenu =
    "," + std::to_string(WM_QUILVO_TRAYICON) + "," + std::to_string(IDI_QUILVO) + ",0x202";

std::string Hex(HWND w) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(w)));
    return text;
}

class Hardening : public ::testing::Test {
protected:
    // Wine's heap fills what is freed and checks it on the next use of the heap: code that
    // goes on with an object freed under it crashes or leaves a heap error, and the program's
    // exit code says so.
    void CheckTheHeap() { SetEnvironmentVariableA("WINEDEBUG", "-all,warn+heap"); }
    void Start(const std::string& scenario, const std::string& ini) {
        // The tray menu opens at the pointer: from here it opens above it and picks nothing.
        ASSERT_TRUE(RunUnix("/usr/bin/xdotool mousemove 1000 1000"));
        ASSERT_TRUE(sim.Start(scenario)) << sim.LastError();
        dir.WriteIni(ini);
        ASSERT_TRUE(quilvo.Start(dir.Path()));
        ASSERT_TRUE(WaitUntil([&] { return PanelsOf(quilvo.MainWindow()).size() == 6 && TrayHost(); }, 10000));
    }
    void TearDown() override {
        quilvo.Kill();
        sim.Stop();
        SetEnvironmentVariableA("WINEDEBUG", wineDebug_.empty() ? nullptr : wineDebug_.c_str());
    }
    HWND TrayHost() const { return quilvo.TrayHost(); }
    HWND Panel(int i) const { return PanelsOf(quilvo.MainWindow())[i]; }
    int Minis(int panel) const { return static_cast<int>(Children(Panel(panel), "XIconWin").size()); }
    bool MenuOpen() const {
        for (HWND m : quilvo.TopWindows("#32768"))
            if (IsWindowVisible(m)) return true;
        return false;
    }
    void ClickBox(int panel) {
        PostMessageA(Panel(panel), WM_LBUTTONDOWN, MK_LBUTTON, Point(5, 5));
        PostMessageA(Panel(panel), WM_LBUTTONUP, 0, Point(5, 5));
    }
    // Exit chosen with its mnemonic from the tray menu once it is open; the keys go to the
    // menu's loop through the program's queue. A session that its show activates a moment
    // after the menu opened takes the foreground, and Wine then closes the menu: the keys
    // found none. The menu is then opened again with the icon's message, once.
    void ChooseExit() {
        ASSERT_TRUE(WaitUntil([&] { return MenuOpen(); }, 5000)) << "no tray menu";
        const auto pressExit = [&] {
            PostMessageA(TrayHost(), WM_KEYDOWN, 'X', 0);
            PostMessageA(TrayHost(), WM_KEYUP, 'X', 0xC0000000);
        };
        pressExit();
        if (quilvo.WaitForExit(3000) == STILL_ACTIVE && !MenuOpen() && !ExitBegun() && TrayHost() != nullptr) {
            PostMessageA(TrayHost(), WM_QUILVO_TRAYICON, IDI_QUILVO, WM_LBUTTONUP);
            ASSERT_TRUE(WaitUntil([&] { return MenuOpen(); }, 5000)) << "no tray menu the second time";
            pressExit();
        }
        EXPECT_EQ(quilvo.WaitForExit(10000), 0u);
    }
    bool ExitBegun() const {
        for (const std::string& l : quilvo.Lines())
            if (l.find("deleted Box") != std::string::npos) return true;
        return false;
    }
    // Exit tore the views down (each panel's deletion is logged) and nothing made mini
    // windows again afterwards, as a pass resumed after Exit would.
    void ExpectViewsTornDownLast() const {
        int lastDeleted = -1, lastCreated = -1, i = 0;
        for (const std::string& l : quilvo.Lines()) {
            if (l.find("deleted Box") != std::string::npos) lastDeleted = i;
            if (l.find("created MiniWindow") != std::string::npos) lastCreated = i;
            ++i;
        }
        EXPECT_GT(lastDeleted, lastCreated);
        EXPECT_EQ(dir.IniValue("BoxedViewToolWindow", "Visible"), "1") << "Exit wrote the views";
    }
    bool Visible(const std::string& name) const { return IsWindowVisible(sim.Hwnd(name)) != FALSE; }
    bool AllVisible(const std::vector<std::string>& names) const {
        for (const std::string& n : names)
            if (!Visible(n)) return false;
        return true;
    }

    sessionsim::Simulator sim;
    TempFolder dir;
    QuilvoProcess quilvo;

private:
    static std::string Environment(const char* name) {
        char value[256] = {};
        return GetEnvironmentVariableA(name, value, sizeof value) ? value : "";
    }
    const std::string wineDebug_ = Environment("WINEDEBUG");
};

const char kTwoBoxes[] = "[Box0]\nSelection=PRD$$$\n[Box1]\nSelection=QAS$$$\n";
const char kTwoSessions[] = "session A system=PRD client=100 user=U1\nsession S system=QAS client=200 user=U2\n";

// The taskbar (or any program) sends the icon's message while a pass is under way (the session
// sends it when queried): the menu opens, the sender is not held while it is open, and Exit
// chosen there ends the program cleanly, without the pass under way making views again.
TEST_F(Hardening, AnIconMessageSentDuringAPassOpensTheMenuWithoutHoldingItsSender) {
    quilvo.DebugIt(true);
    CheckTheHeap();
    Start(kTwoSessions, kTwoBoxes);
    ASSERT_TRUE(WaitUntil([&] { return Minis(0) == 1 && Minis(1) == 1; }, kSettle));
    ASSERT_TRUE(sim.Send("set S send-on-query=" + Hex(TrayHost()) + kOpenTrayMenu));
    EXPECT_TRUE(sim.WaitForLog([](const std::string& l) { return l.rfind("sent S ", 0) == 0; }, kSettle))
        << "the sender waited for the menu";
    ChooseExit();
    ExpectViewsTornDownLast();
}

// The same message sent by a hidden session while a right press on its mini window shows and
// raises it (from the session's thread, as the show lands) and starts a drag: the raise does
// not wait for the session, so the menu opens from the message loop, and Exit chosen there
// frees nothing the drag's start still uses.
TEST_F(Hardening, AnIconMessageSentWhileADragRaisesItsSessionOpensTheMenuFromTheLoop) {
    quilvo.DebugIt(true);
    CheckTheHeap();
    Start(kTwoSessions, kTwoBoxes);
    ASSERT_TRUE(WaitUntil([&] { return Minis(0) == 1 && Minis(1) == 1; }, kSettle));
    ClickBox(0);
    ASSERT_TRUE(sim.WaitForLine("show S hidden", 3000));
    ASSERT_TRUE(sim.Send("set S send-on-move=" + Hex(TrayHost()) + kOpenTrayMenu));
    HWND mini = Children(Panel(1), "XIconWin")[0];
    PostMessageA(mini, WM_RBUTTONDOWN, MK_RBUTTON, Point(2, 2));
    ChooseExit();
    ExpectViewsTornDownLast();
    EXPECT_TRUE(WaitUntil([&] { return AllVisible({"A", "S"}); }, 3000));
}

// A session whose thread answers at once but then sleeps three seconds in every move: box
// clicks that restore and raise it are taken at once, one after the other.
TEST_F(Hardening, BoxClicksRaisingASessionThatSleepsInItsMovesAreTakenAtOnce) {
    quilvo.DebugIt(true);
    Start(kTwoSessions, kTwoBoxes);
    ASSERT_TRUE(WaitUntil([&] { return Minis(0) == 1 && Minis(1) == 1; }, kSettle));
    ClickBox(0);
    ASSERT_TRUE(sim.WaitForLine("show S hidden", 3000));
    ASSERT_TRUE(sim.Send("set S sleep-on-move=3000"));
    const int clicks = quilvo.CountLines(kBoxClick);
    const DWORD begin = GetTickCount();
    ClickBox(1);
    ClickBox(0);
    ASSERT_TRUE(quilvo.WaitForLine(kBoxClick, 8000, clicks + 2));
    // Held by the session, the second click would wait out its 3 s sleep; the bound leaves a
    // loaded machine room for two real clicks.
    EXPECT_LT(GetTickCount() - begin, 2000u);
    ASSERT_TRUE(sim.Send("set S sleep-on-move=0"));
}

// Six sessions of one front end, two boxes. While its thread is busy the user clicks PRD and
// then QAS: the hides and shows wait in the thread's queue and land when it wakes. The PRD
// sessions, hidden in the end, carry the program's mark, so after a kill the next start shows
// them again.
TEST_F(Hardening, SessionsHiddenWhileTheirThreadWasBusyComeBackAfterAKill) {
    quilvo.DebugIt(true);
    std::string scenario;
    for (const char* s : {"P1 system=PRD", "P2 system=PRD", "P3 system=PRD", "Q1 system=QAS", "Q2 system=QAS",
                          "Q3 system=QAS"})
        scenario += std::string("session ") + s + " client=100 user=U thread=front\n";
    Start(scenario, kTwoBoxes);
    ASSERT_TRUE(WaitUntil([&] { return Minis(0) == 3 && Minis(1) == 3; }, kSettle));
    const std::vector<std::string> prd = {"P1", "P2", "P3"};
    ClickBox(1);
    ASSERT_TRUE(WaitUntil([&] { return !Visible("P1") && !Visible("P2") && !Visible("P3"); }, 3000));

    ASSERT_TRUE(sim.Send("hang Q1 6000"));
    const int clicks = quilvo.CountLines(kBoxClick);
    ClickBox(0);
    ClickBox(1);
    ASSERT_TRUE(quilvo.WaitForLine(kBoxClick, 3000, clicks + 2));
    ASSERT_TRUE(sim.WaitForLine("awake Q1", 10000));
    // Right after the wake the windows still look as before the clicks: what was asked while
    // the thread slept lands call after call. The kill comes once they have shown or hidden
    // nothing for a second (under load, a show still on its way landed after the kill).
    int shows = -1;
    DWORD quietSince = GetTickCount();
    ASSERT_TRUE(WaitUntil(
        [&] {
            int now = 0;
            for (const std::string& l : sim.LogLines()) now += l.rfind("show ", 0) == 0;
            if (now != shows) {
                shows = now;
                quietSince = GetTickCount();
            }
            return GetTickCount() - quietSince >= 1000 && AllVisible({"Q1", "Q2", "Q3"}) && !Visible("P1");
        },
        8000));

    quilvo.Kill();
    ASSERT_TRUE(SyncWith(sim.Hwnd("P1")));  // what the program sent the thread before its end has landed
    ASSERT_FALSE(Visible("P1")) << "nothing of ours ran after the kill";
    QuilvoProcess next;
    ASSERT_TRUE(next.Start(dir.Path()));
    EXPECT_TRUE(WaitUntil([&] { return AllVisible(prd); }, 2 * kPass));
    next.Kill();
}

// Fifty sessions, a box click that hides all but five, then five more sessions that push five
// hidden ones out of the table: however the program ends, every session it hid is shown again;
// the one hidden by the test stays hidden.
class EndingRoads : public Hardening, public ::testing::WithParamInterface<bool> {};

TEST_P(EndingRoads, EveryRoadOutShowsEverySessionTheProgramHid) {
    const bool quitMessage = GetParam();
    quilvo.DebugIt(!quitMessage);  // Exit from the menu looks at the lines for whether it began
    std::string scenario = "session D system=DEV client=100 user=U hidden\n";
    std::vector<std::string> names;
    for (int i = 0; i < 49; ++i) {
        names.push_back("S" + std::to_string(i));
        scenario += "session " + names.back() + (i < 5 ? " system=PRD" : " system=QAS") + " client=100 user=U x=" +
                    std::to_string(10 * i) + " y=30 w=400 h=300\n";
    }
    Start(scenario, kTwoBoxes);
    ASSERT_TRUE(WaitUntil([&] { return Minis(0) == 5 && Minis(1) == 44; }, kSettle + kPass));
    ClickBox(0);
    ASSERT_TRUE(WaitUntil([&] { return !Visible("S5") && !Visible("S48"); }, 5000));
    for (int i = 0; i < 5; ++i) {
        names.push_back("N" + std::to_string(i));
        ASSERT_TRUE(sim.Send("open " + names.back() + " system=DEV client=100 user=U"));
    }
    // A pass has taken them into the table of fifty, pushing five hidden sessions out: box 2,
    // which has no filter, shows them.
    const auto newOnesShown = [&] {
        int shown = 0;
        for (HWND mini : Children(Panel(2), "XIconWin")) {
            const std::string name = TextOf(mini);
            shown += name.size() > 3 && name.compare(name.size() - 3, 2, " N") == 0;
        }
        return shown == 5;
    };
    ASSERT_TRUE(WaitUntil(newOnesShown, kSettle));

    if (quitMessage) {
        PostThreadMessageA(GetWindowThreadProcessId(quilvo.MainWindow(), nullptr), WM_QUIT, 0, 0);
        EXPECT_EQ(quilvo.WaitForExit(10000), 0u);
    } else {
        PostMessageA(TrayHost(), WM_QUILVO_TRAYICON, IDI_QUILVO, WM_LBUTTONUP);
        ChooseExit();
    }
    EXPECT_TRUE(WaitUntil([&] { return AllVisible(names); }, 5000));
    for (const std::string& n : names) EXPECT_TRUE(Visible(n)) << n;
    EXPECT_FALSE(Visible("D"));
}

INSTANTIATE_TEST_SUITE_P(ExitAndQuitMessage, EndingRoads, ::testing::Bool());

// A session that deletes the OK code's atom once it has read it, as receivers of atoms may:
// every idle action still sends the configured OK code, never another string or none. (A is
// the first session of box 0 only: the other boxes' filters match nothing. IDLE_TIMER=1: an
// idle action at every pass, whose count goes up by two.)
TEST_F(Hardening, TheIdleActionAddsItsAtomAgainWhenASessionDeletedIt) {
    std::string ini = "[Quilvo]\nIDLE_TIMER=1\nIDLE_ACTION=/nse38\n[Box0]\nSelection=PRD$$$\n";
    for (int b = 1; b < 6; ++b) ini += "[Box" + std::to_string(b) + "]\nSelection=DEV$$$\n";
    Start("session A system=PRD client=100 user=U1 delete-atoms=1\n", ini);
    const auto okCodes = [&] {
        int ok = 0, other = 0;
        for (const std::string& l : sim.LogLines()) {
            if (l.rfind("okcode A ", 0) != 0) continue;
            (l == "okcode A /nse38" ? ok : other) += 1;
        }
        return std::make_pair(ok, other);
    };
    EXPECT_TRUE(WaitUntil([&] { return okCodes().first >= 3; }, 12 * kPass)) << sim.Log();
    EXPECT_EQ(okCodes().second, 0) << sim.Log();
}

}  // namespace
}  // namespace e2e
