// The keyboard path to a session: the find window and the box hotkeys, driven with real key
// presses on the X display, and the About box lines that say which hotkeys are in force.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
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
    "session A system=PRD client=100 user=ALICE tx=VA01\n"
    "session B system=QAS client=200 user=BOB tx=SE38 min\n"
    "session C system=QAS client=300 user=CAROL tx=SE16\n";

class Find : public ::testing::Test, protected FindWindowReader {
protected:
    Find() : FindWindowReader(quilvo) {}
    void Start(const std::string& ini, const char* sessions = kSessions) {
        ASSERT_TRUE(RunUnix("/usr/bin/xdotool mousemove 640 500"));
        ASSERT_TRUE(sim.Start(sessions)) << sim.LastError();
        dir.WriteIni(ini);
        ASSERT_TRUE(quilvo.Start(dir.Path()));
        ASSERT_TRUE(WaitUntil([&] { return quilvo.SingleView() != nullptr && TrayHost() != nullptr; }, 10000));
        ASSERT_TRUE(WaitUntil([&] { return Minis(quilvo.SingleView()) == 3; }, kSettle)) << "sessions found";
    }
    void TearDown() override {
        quilvo.Kill();
        sim.Stop();
    }

    static int Minis(HWND view) {
        const auto panels = PanelsOf(view);
        return panels.empty() ? -1 : static_cast<int>(Children(panels[0], "XIconWin").size());
    }
    HWND TrayHost() const { return quilvo.TrayHost(); }
    std::string AboutLine(int id) const {
        char text[256] = {};
        GetDlgItemTextA(TrayHost(), id, text, sizeof text);
        return text;
    }

    sessionsim::Simulator sim;
    TempFolder dir;
    QuilvoProcess quilvo;
};

// One session after the other brought to the user with the keyboard alone: an iconized one,
// one a box hotkey hid, a box through its row; Escape closes the window.
TEST_F(Find, HotkeyTypingAndEnterBringEachSessionToTheUser) {
    Start("[Quilvo]\r\nBOX_HOTKEYS=Ctrl+Alt\r\n[Box1]\r\nSelection=PRD$$$\r\n");
    EXPECT_EQ(AboutLine(IDC_ABOUT_FIND), "Find: Ctrl+Alt+Space");
    EXPECT_EQ(AboutLine(IDC_ABOUT_BOXES), "Boxes: Ctrl+Alt+1 to 6");

    OpenAndType("");
    RECT r = {};
    GetWindowRect(Finder(), &r);
    const RECT screen = ClientRect(GetDesktopWindow());
    EXPECT_NEAR((r.left + r.right) / 2, screen.right / 2, 2) << "centred on the screen";
    EXPECT_NEAR((r.top + r.bottom) / 2, screen.bottom / 2, 40);
    EXPECT_EQ(Rows(), 4) << "three sessions and the one box with a filter";
    EXPECT_EQ(Row(3), "Box 2: System PRD");
    ASSERT_TRUE(RunUnix("/usr/bin/xdotool type --delay 60 'qas 200'"));
    ASSERT_TRUE(WaitUntil([&] { return Rows() == 1; }, 3000)) << Rows();
    EXPECT_EQ(Row(0).substr(0, 17), "QAS\t200\tBOB\tSE38\t");
    ASSERT_TRUE(RealKeys("Return"));
    EXPECT_TRUE(Foreground(sim.Hwnd("B"))) << "restored, raised and given the focus";
    EXPECT_FALSE(FindOpen());

    // Ctrl+Alt+2 is a left click on box 2's panel: every other session hidden.
    ASSERT_TRUE(RealHotkey("ctrl+alt+2"));
    HWND c = sim.Hwnd("C");
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(c); }, 3000)) << "the box hotkey hides the others";
    EXPECT_TRUE(Foreground(sim.Hwnd("A"))) << "and gives the box's first session the keyboard";
    OpenAndType("carol");
    ASSERT_TRUE(WaitUntil([&] { return Rows() == 1; }, 3000)) << State();
    ASSERT_TRUE(RealKeys("Return"));
    EXPECT_TRUE(Foreground(c)) << "a session the program hid comes back";

    OpenAndType("box 2");
    ASSERT_TRUE(RealKeys("Return"));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(c) && IsWindowVisible(sim.Hwnd("A")); }, 3000))
        << "a box row does what a click on the panel does";
    EXPECT_TRUE(Foreground(sim.Hwnd("A"))) << "with the keyboard on the box's first session";

    // The arrows, Home and End move the choice while the caret stays in the field.
    OpenAndType("qas");
    ASSERT_TRUE(WaitUntil([&] { return Rows() == 2; }, 3000));
    const auto chosen = [&] { return SendMessageA(List(), LB_GETCURSEL, 0, 0); };
    ASSERT_TRUE(RealKeys("Down"));
    EXPECT_TRUE(WaitUntil([&] { return chosen() == 1; }, 3000));
    ASSERT_TRUE(RealKeys("Home"));
    EXPECT_TRUE(WaitUntil([&] { return chosen() == 0; }, 3000));
    ASSERT_TRUE(RealKeys("End"));
    EXPECT_TRUE(WaitUntil([&] { return chosen() == 1; }, 3000));
    // A click on a row leaves the keys working: Up from the row clicked, Escape closes.
    ASSERT_TRUE(RealClick(RowCentre(1)));
    ASSERT_TRUE(RealKeys("Up"));
    EXPECT_TRUE(WaitUntil([&] { return chosen() == 0; }, 3000)) << "Up after a click";
    ASSERT_TRUE(RealKeys("Escape"));
    EXPECT_TRUE(WaitUntil([&] { return !FindOpen(); }, 3000)) << "Escape closes";
    EXPECT_TRUE(quilvo.Running());
}

// Ctrl+Alt+Space and Enter go to the session that was in front before, and again back, as
// Alt+Tab does: the list follows the order in which sessions were last in front, from the
// foreground changes the program sees (real clicks on the sessions here, each stayed in for a
// pass: Wine tells the foreground hook nothing) and the activations it makes, not the
// desktop's order (a session raised without activation stays behind).
TEST_F(Find, CtrlAltSpaceThenEnterSwitchesToThePreviousSessionAndBack) {
    // Side by side below the views, so that each caption can be clicked.
    Start("", "session A system=PRD client=100 user=ALICE tx=VA01 x=20 y=700 w=380 h=250\n"
              "session B system=QAS client=200 user=BOB tx=SE38 x=440 y=700 w=380 h=250\n"
              "session C system=QAS client=300 user=CAROL tx=SE16 x=860 y=700 w=380 h=250\n");
    const char* const users[] = {"ALICE", "BOB", "CAROL"};
    // The user clicks into C's, then B's, then A's caption; then C comes up without the focus.
    for (const char* name : {"C", "B", "A"}) {
        const RECT r = ScreenRect(sim.Hwnd(name));
        ASSERT_TRUE(RealClick(POINT{r.left + 60, r.top + 8}));
        ASSERT_TRUE(Foreground(sim.Hwnd(name))) << name;
        ASSERT_TRUE(WaitForNextPass(sim)) << "a pass notes the window in front as it begins";
    }
    SetWindowPos(sim.Hwnd("C"), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    // A pass has read the desktop's order since: the all-sessions panel stacks C's mini window
    // on top, as the table has it.
    ASSERT_TRUE(WaitUntil(
        [&] {
            const auto minis = Children(PanelsOf(quilvo.SingleView())[0], "XIconWin");
            return !minis.empty() && TextOf(minis.front()).find("CAROL") != std::string::npos;
        },
        kSettle));
    const auto sessionRows = [&] {
        std::string order;
        for (int i = 0; i < Rows(); ++i) {
            for (const char* user : users) order += Row(i).find(user) != std::string::npos ? user[0] : '\0';
        }
        order.erase(std::remove(order.begin(), order.end(), '\0'), order.end());
        return order;
    };
    OpenAndType("");
    EXPECT_EQ(sessionRows(), "BCA") << "the one before first, the one in front last";
    ASSERT_TRUE(RealKeys("Return"));
    EXPECT_TRUE(Foreground(sim.Hwnd("B"))) << "Enter: the previous session";
    OpenAndType("");
    EXPECT_EQ(sessionRows(), "ACB");
    ASSERT_TRUE(RealKeys("Return"));
    EXPECT_TRUE(Foreground(sim.Hwnd("A"))) << "and back again";
    OpenAndType("qas");
    EXPECT_TRUE(WaitUntil([&] { return Rows() == 2; }, 3000));
    EXPECT_EQ(sessionRows(), "BC") << "equal ranks keep that order";
    ASSERT_TRUE(RealKeys("Escape"));
}

// What a screen reader reads, from outside as such a tool reads it: each mini window names its
// session (", busy" while it owes answers), each panel its box, and the find window's field
// and list are named by the visible, empty-sized static text right before each.
TEST_F(Find, EverySessionBoxAndFindControlHasAName) {
    Start("[Box0]\r\nSelection=QAS$$$\r\n[Box1]\r\nSelection=PRD$$$\r\n");
    const auto texts = [](const std::vector<HWND>& windows) {
        std::vector<std::string> all;
        for (HWND w : windows) all.push_back(TextOf(w));
        std::sort(all.begin(), all.end());
        return all;
    };
    const auto minis = [&] { return texts(Children(PanelsOf(quilvo.SingleView())[0], "XIconWin")); };
    EXPECT_EQ(minis(), (std::vector<std::string>{"PRD 100 ALICE VA01 A", "QAS 200 BOB SE38 B", "QAS 300 CAROL SE16 C"}));
    EXPECT_EQ(texts(PanelsOf(quilvo.SingleView())), std::vector<std::string>{"All sessions"});
    EXPECT_EQ(texts(PanelsOf(quilvo.MainWindow())),
              (std::vector<std::string>{"Box 1: QAS", "Box 2: PRD", "Box 3", "Box 4", "Box 5", "Box 6"}));
    ASSERT_TRUE(sim.Send("hang C"));
    EXPECT_TRUE(WaitUntil([&] { return minis().back() == "QAS 300 CAROL SE16 C, busy"; }, kSettle)) << minis().back();
    ASSERT_TRUE(sim.Send("wake C"));
    EXPECT_TRUE(WaitUntil([&] { return minis().back() == "QAS 300 CAROL SE16 C"; }, kSettle)) << minis().back();

    // The first box is listed as every other one is.
    OpenAndType("box");
    EXPECT_TRUE(WaitUntil([&] {
        for (int i = 0; i < Rows(); ++i)
            if (Row(i).rfind("Box 1", 0) == 0) return true;
        return false;
    }, 3000)) << State();
    ASSERT_TRUE(RealKeys("Escape"));
    OpenAndType("");
    HWND field = FindWindowExA(Finder(), nullptr, "EDIT", nullptr);
    for (const auto& control : {std::make_pair(field, "Find session"), std::make_pair(List(), "Sessions and boxes")}) {
        HWND label = GetWindow(control.first, GW_HWNDPREV);
        EXPECT_EQ(ClassOf(label), "Static");
        EXPECT_EQ(TextOf(label), control.second);
        EXPECT_TRUE(IsWindowVisible(label));
        const RECT r = ClientRect(label);
        EXPECT_EQ(r.right * r.bottom, 0) << "never painted";
    }
}

// A find hotkey that another program holds, or that is no key, leaves the program running
// without it and says so; box hotkeys that are not set switch nothing.
TEST_F(Find, AHotkeyHeldByAnotherProgramIsReportedAndTheProgramRunsOn) {
    ASSERT_TRUE(RegisterHotKey(nullptr, 1, MOD_CONTROL | MOD_ALT, VK_SPACE));
    Start("");
    EXPECT_EQ(AboutLine(IDC_ABOUT_FIND), "Find: none, Ctrl+Alt+Space is taken by another program");
    EXPECT_EQ(AboutLine(IDC_ABOUT_BOXES), "Boxes: none");
    ASSERT_TRUE(RealHotkey("ctrl+alt+2"));
    // A hotkey's switch would hide C within this time; nothing shows that no switch is coming.
    Sleep(500);
    EXPECT_TRUE(IsWindowVisible(sim.Hwnd("C"))) << "no box hotkeys unless they are set";
    EXPECT_TRUE(quilvo.Running());
    UnregisterHotKey(nullptr, 1);
}

TEST_F(Find, HotkeyTextsThatAreNoKeysAreReportedAndTheProgramRunsOn) {
    Start("[Quilvo]\r\nFIND_HOTKEY=Ctrl+Q+\r\nBOX_HOTKEYS=Alt+Shift+X\r\n");
    EXPECT_EQ(AboutLine(IDC_ABOUT_FIND), "Find: none, 'Ctrl+Q+' is not a key");
    EXPECT_EQ(AboutLine(IDC_ABOUT_BOXES), "Boxes: none, 'Alt+Shift+X' is not a key");
    EXPECT_TRUE(quilvo.Running());
}

// Keys a hotkey must not take: the About box says why, and they stay with the programs.
TEST_F(Find, RefusedHotkeysAreReportedWithTheirReason) {
    Start("[Quilvo]\r\nFIND_HOTKEY=F12\r\nBOX_HOTKEYS=Shift\r\n");
    EXPECT_EQ(AboutLine(IDC_ABOUT_FIND), "Find: none, 'F12': F12 is kept for debuggers");
    EXPECT_EQ(AboutLine(IDC_ABOUT_BOXES), "Boxes: none, 'Shift' needs Ctrl, Alt or Win");
    EXPECT_TRUE(RegisterHotKey(nullptr, 2, MOD_SHIFT, '2')) << "Shift+2 was left unregistered";
    UnregisterHotKey(nullptr, 2);
    EXPECT_TRUE(quilvo.Running());
}

}  // namespace
}  // namespace e2e
