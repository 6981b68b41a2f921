// While the user looks elsewhere: a transaction opened in a new session of a logon from the
// find window, and the notice from the tray icon when a long-busy session is ready again.
// Real key presses and clicks on the X display, sessions of the simulator.
#include <gtest/gtest.h>

#include <windows.h>

#include <shellapi.h>

#include <string>
#include <vector>

#include "e2e_util.h"
#include "find_window.h"
#include "quilvo_process.h"
#include "real_input.h"
#include "resources/resource_ids.h"
#include "sim_client.h"

namespace e2e {
namespace {

constexpr char kSessions[] =
    "session A system=PRD client=100 user=ALICE tx=VA01 caption=Orders\n"
    "session B system=QAS client=200 user=BOB tx=SE38 max-sessions=1\n"
    "session C system=QAS client=300 user=CAROL tx=SE16\n";

class Notice : public ::testing::Test, protected FindWindowReader {
protected:
    Notice() : FindWindowReader(quilvo) {}
    void Start(const std::string& ini) {
        ASSERT_TRUE(RunUnix("/usr/bin/xdotool mousemove 640 500"));
        ASSERT_TRUE(sim.Start(kSessions)) << sim.LastError();
        dir.WriteIni(ini);
        ASSERT_TRUE(quilvo.Start(dir.Path()));
        ASSERT_TRUE(WaitUntil([&] { return MiniNames().size() == 3; }, kSettle)) << "sessions found";
    }
    void TearDown() override {
        quilvo.Kill();
        sim.Stop();
    }

    // What each mini window of the all-sessions view tells a screen reader.
    std::vector<std::string> MiniNames() const {
        std::vector<std::string> names;
        const HWND view = quilvo.SingleView();
        const auto panels = view ? PanelsOf(view) : std::vector<HWND>{};
        if (panels.empty()) return names;
        for (HWND mini : Children(panels[0], "XIconWin")) names.push_back(TextOf(mini));
        return names;
    }
    // The name of the mini window whose name starts with start ("" when none does).
    std::string MiniOf(const std::string& start) const {
        for (const std::string& name : MiniNames()) {
            if (name.rfind(start, 0) == 0) return name;
        }
        return std::string();
    }
    HWND TrayHost() const { return quilvo.TrayHost(); }
    // Every OK code the sessions were sent, in order.
    std::vector<std::string> OkCodes() const {
        std::vector<std::string> codes;
        for (const std::string& line : sim.LogLines()) {
            if (line.rfind("okcode ", 0) == 0) codes.push_back(line.substr(7));
        }
        return codes;
    }

    sessionsim::Simulator sim;
    TempFolder dir;
    QuilvoProcess quilvo;
};

// One logon asked for a new session, found and brought up; then the same words find that
// session instead; a logon at MAX_SESSIONS is told so and sent nothing; a session that refuses
// leaves the program running. The find window never sends anything but "/o<code>".
TEST_F(Notice, OpenRowsOpenATransactionInANewSessionOfTheLogon) {
    Start("[Quilvo]\r\nMAX_SESSIONS=2\r\n");

    OpenAndType("prd se16");
    ASSERT_TRUE(WaitUntil([&] { return Rows() == 1 && Row(0) == "New session: SE16 on PRD 100 ALICE (1 of 2)"; }, 3000))
        << "no session matches: the open row comes first, " << Rows() << " rows, " << Row(0);
    ASSERT_TRUE(RealKeys("Return"));
    ASSERT_TRUE(sim.WaitForLine("opened A-o1 SE16", 5000)) << sim.Log();
    const HWND opened = sim.Hwnd("A-o1");
    EXPECT_TRUE(Foreground(opened, 5000)) << "the new session is in front";
    EXPECT_TRUE(WaitUntil([&] { return MiniNames().size() == 4; }, kSettle)) << "a pass finds it";
    EXPECT_NE(GlobalFindAtomA("/oSE16"), 0) << "the OK code's atom is kept: a busy session reads it when it can";

    OpenAndType("prd se16");
    ASSERT_TRUE(WaitUntil([&] { return Rows() == 1 && Row(0).rfind("PRD\t100\tALICE\tSE16\t", 0) == 0; }, 3000))
        << "the logon runs SE16 now: its session, no open row; " << Row(0);
    ASSERT_TRUE(RealKeys("Escape"));

    OpenAndType("prd su01");
    ASSERT_TRUE(WaitUntil([&] { return Rows() == 1 && Row(0) == "PRD 100 ALICE has 2 sessions"; }, 3000)) << Row(0);
    // Enter there sends nothing: the OK codes at the end show it.
    ASSERT_TRUE(RealKeys("Return Escape"));

    OpenAndType("qa 200 su01");
    ASSERT_TRUE(WaitUntil([&] { return Rows() >= 1 && Row(Rows() - 1) == "New session: SU01 on QAS 200 BOB (1 of 2)"; }, 3000))
        << Row(Rows() - 1);
    ASSERT_TRUE(RealKeys("Return"));
    ASSERT_TRUE(sim.WaitForLine("refused B /oSU01 1 sessions", 5000)) << sim.Log();
    EXPECT_TRUE(GlobalFindAtomA("/oSU01") != 0) << "kept while the session may still read it";
    EXPECT_TRUE(quilvo.Running());
    EXPECT_EQ(OkCodes(), (std::vector<std::string>{"A /oSE16", "B /oSU01"}));
}

// The visible balloons of the shell's notification area (tool tips of another process).
std::vector<HWND> Balloons(DWORD notPid) {
    struct Ctx {
        DWORD notPid;
        std::vector<HWND> found;
    } ctx{notPid, {}};
    EnumWindows(
        [](HWND w, LPARAM p) -> BOOL {
            auto* c = reinterpret_cast<Ctx*>(p);
            DWORD pid = 0;
            GetWindowThreadProcessId(w, &pid);
            if (pid != c->notPid && IsWindowVisible(w) && ClassOf(w) == "tooltips_class32") c->found.push_back(w);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&ctx));
    return ctx.found;
}

// What a tool tip of another process shows: its text comes back through WM_GETTEXT.
std::string BalloonText(HWND balloon) {
    wchar_t text[512] = {};
    DWORD_PTR got = 0;
    SendMessageTimeoutW(balloon, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 2000, &got);
    return std::string(text, text + wcslen(text));
}

// A session busy for longer than READY_AFTER while another is in front: marked ready on its
// mini window and first in the find window, a notice from the icon, and a click on the notice
// brings it up, which takes the mark away.
TEST_F(Notice, ALongBusySessionReadyAgainIsMarkedAndItsNoticeBringsItUp) {
    Start("[Quilvo]\r\nREADY_AFTER=3\r\n");
    OpenAndType("carol");
    ASSERT_TRUE(RealKeys("Return"));
    ASSERT_TRUE(Foreground(sim.Hwnd("C"))) << "another session is in front";

    ASSERT_TRUE(sim.Send("hang A 6000"));
    EXPECT_TRUE(WaitUntil([&] { return MiniOf("PRD") == "PRD 100 ALICE VA01 Orders, busy"; }, kSettle)) << MiniOf("PRD");
    ASSERT_TRUE(WaitUntil([&] { return MiniOf("PRD") == "PRD 100 ALICE VA01 Orders, ready"; }, 12000)) << MiniOf("PRD");
    EXPECT_EQ(MiniOf("QAS 300"), "QAS 300 CAROL SE16 C") << "the session in front was never busy";

    OpenAndType("q");
    ASSERT_TRUE(RealKeys("BackSpace"));
    ASSERT_TRUE(WaitUntil([&] { return Rows() == 3; }, 3000));
    EXPECT_EQ(Row(0), "PRD\t100\tALICE\tVA01\tready  Orders") << "listed first, with its mark";
    ASSERT_TRUE(RealKeys("Escape"));

    std::vector<HWND> balloons;
    ASSERT_TRUE(WaitUntil([&] { return !(balloons = Balloons(quilvo.Pid())).empty(); }, 6000)) << "the notice shows";
    const std::string text = BalloonText(balloons.front());
    EXPECT_EQ(text.rfind("PRD 100 VA01 Orders: ready after ", 0), 0u) << text;
    EXPECT_EQ(text.substr(text.size() - 2), " s") << text;

    // Wine's shell sends no NIN_BALLOON* event at all, a click on the balloon included: the
    // click comes as a version 4 shell sends it, onto a session iconized meanwhile.
    ASSERT_TRUE(sim.Send("minimize A"));
    PostMessageA(TrayHost(), WM_QUILVO_TRAYICON, 0, MAKELPARAM(NIN_BALLOONUSERCLICK, IDI_QUILVO));
    EXPECT_TRUE(Foreground(sim.Hwnd("A"), 5000)) << "restored and brought to the front";
    EXPECT_TRUE(WaitUntil([&] { return MiniOf("PRD") == "PRD 100 ALICE VA01 Orders"; }, kSettle))
        << "in front, the mark goes: " << MiniOf("PRD");
}


// A day: four sessions of a logon, one closed by the user, then the front end ended with the
// others and the Windows session with Quilvo. The next start, with one session of the logon,
// offers the two that ended with it and sends nothing before the click; the click opens each
// once, one after the other, where it was.
TEST_F(Notice, TheSessionsThatEndedWithTheirLogonAreOfferedAndReopenedWhereTheyWere) {
    const std::string anna = " system=PRD client=100 user=ANNA";
    const std::string first = "session F" + anna + " tx=FBL1N x=10 y=20 w=500 h=400\n";
    ASSERT_TRUE(sim.Start(first + "session S" + anna + " tx=SE16 x=300 y=100 w=600 h=450\n"
                          "session V" + anna + " tx=VA01 x=100 y=80 w=640 h=480 max\n"
                          "session M" + anna + " tx=MM03 x=200 y=150 w=500 h=400\n"));
    ASSERT_TRUE(quilvo.Start(dir.Path()));
    ASSERT_TRUE(WaitUntil([&] { return MiniNames().size() == 4; }, kSettle));
    ASSERT_TRUE(sim.Send("close M"));
    ASSERT_TRUE(WaitUntil([&] { return MiniNames().size() == 3; }, kSettle));
    sim.Stop();
    ASSERT_TRUE(WaitUntil([&] { return MiniNames().empty(); }, kSettle));
    for (const UINT message : {UINT{WM_QUERYENDSESSION}, UINT{WM_ENDSESSION}}) {
        DWORD_PTR result = 0;
        SendMessageTimeoutA(quilvo.MainWindow(), message, TRUE, 0, SMTO_NORMAL, 3000, &result);
    }
    quilvo.Kill();

    sessionsim::Simulator day;
    ASSERT_TRUE(day.Start(first)) << day.LastError();
    ASSERT_TRUE(quilvo.Start(dir.Path()));
    std::vector<HWND> balloons;
    ASSERT_TRUE(WaitUntil([&] { return !(balloons = Balloons(quilvo.Pid())).empty(); }, kSettle)) << "no offer";
    EXPECT_EQ(BalloonText(balloons.front()), "Reopen 2 sessions on PRD 100 ANNA: SE16, VA01");
    const auto okCodes = [&] {
        std::vector<std::string> codes;
        for (const std::string& line : day.LogLines())
            if (line.rfind("okcode ", 0) == 0) codes.push_back(line.substr(7));
        return codes;
    };
    EXPECT_TRUE(okCodes().empty()) << "nothing is sent before the click";

    PostMessageA(TrayHost(), WM_QUILVO_TRAYICON, 0, MAKELPARAM(NIN_BALLOONUSERCLICK, IDI_QUILVO));
    const auto opened = [&](const std::string& code) -> HWND {
        for (const std::string& line : day.LogLines()) {
            const std::size_t blank = line.rfind(' ');
            if (line.rfind("opened ", 0) == 0 && line.substr(blank + 1) == code) return day.Hwnd(line.substr(7, blank - 7));
        }
        return nullptr;
    };
    const auto placed = [&](const char* code, const RECT& kept) {
        const HWND w = opened(code);
        const RECT r = ScreenRect(w);
        return w != nullptr && EqualRect(&r, &kept);
    };
    EXPECT_TRUE(WaitUntil([&] { return placed("SE16", RECT{300, 100, 900, 550}); }, 3 * kSettle)) << day.Log();
    EXPECT_TRUE(WaitUntil([&] { return opened("VA01") != nullptr && IsZoomed(opened("VA01")); }, 3 * kSettle))
        << "maximised again: " << day.Log();
    EXPECT_EQ(okCodes(), (std::vector<std::string>{"F /oSE16", "F /oVA01"})) << "each once, to the logon's session";
    day.Stop();
}

// A damaged file of kept sessions is passed over with a debug line: nothing of it is offered,
// and the first pass writes it anew.
TEST_F(Notice, ADamagedSessionsFileIsIgnoredAndReplaced) {
    quilvo.DebugIt(true);
    const std::string file = dir.Path() + "\\Quilvo.sessions";
    ASSERT_TRUE(sessionsim::detail::WriteWholeFile(file, "Quilvo sessions 1\nlogon system=PRD client=100 user=ALICE\n"
                                                           "session code=SE16 box=9 normal=0,0,9,9 maximized=0 monitor=0,0,0,0\n"
                                                           "end logons=1 sessions=1\n"));
    Start("");
    EXPECT_TRUE(quilvo.WaitForLine("Quilvo.sessions ignored: line 3: bad box\n", 3000));
    EXPECT_TRUE(WaitUntil([&] { return sessionsim::detail::ReadWholeFile(file).find("code=VA01") != std::string::npos; },
                          kSettle))
        << sessionsim::detail::ReadWholeFile(file);
    EXPECT_EQ(sessionsim::detail::ReadWholeFile(file).find("normal=0,0,9,9"), std::string::npos);
    EXPECT_TRUE(Balloons(quilvo.Pid()).empty()) << "nothing offered";
}

}  // namespace
}  // namespace e2e
