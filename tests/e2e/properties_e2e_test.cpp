// A box's properties as a user sets them: "Properties" from the panel's context menu, the
// dialog driven with the keyboard through the program's own message loop, and what OK,
// Cancel, Escape and the close box leave in the ini file and in the panels.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/boxes.h"
#include "e2e_util.h"
#include "quilvo_process.h"
#include "resources/resource_ids.h"
#include "sim_client.h"

namespace e2e {
namespace {

using quilvo::kMatchLine;

class Properties : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sim.Start("session A system=PRD client=100 user=ALICE x=100 y=50 w=800 h=600\n"
                              "session B system=QAS client=200 user=BOB x=300 y=260 w=640 h=480\n"
                              "session C system=PRD client=300 user=CAROL x=700 y=400 w=500 h=400\n"))
            << sim.LastError();
    }
    void TearDown() override {
        quilvo.Kill();
        sim.Stop();
    }

    // Starts the program and waits until box 0, which selects every session, shows all three.
    void Start(const std::string& ini) {
        dir.WriteIni(ini);
        ASSERT_TRUE(quilvo.Start(dir.Path()));
        ASSERT_TRUE(WaitUntil([&] { return PanelsOf(quilvo.MainWindow()).size() == 6; }, 10000));
        ASSERT_TRUE(WaitUntil([&] { return Minis(0) == 3; }, kSettle));
    }
    // Starts with ini, then opens the properties of box once it shows minis sessions.
    HWND StartAndOpen(const std::string& ini, int box, int minis) {
        Start(ini);
        if (HasFatalFailure() || !WaitUntil([&] { return Minis(box) == minis; }, kSettle)) return nullptr;
        return OpenProperties(box);
    }

public:
    HWND Panel(int box) const { return PanelsOf(quilvo.MainWindow())[box]; }
    int Minis(int box) const { return static_cast<int>(Children(Panel(box), "XIconWin").size()); }
    std::vector<HWND> Dialogs() const { return quilvo.TopWindows("#32770", "Properties"); }
    HWND MenuWindow() const {
        for (HWND m : quilvo.TopWindows("#32768"))
            if (IsWindowVisible(m)) return m;
        return nullptr;
    }

    // "Properties" from a panel's context menu, by keyboard: the first item has no letter.
    void ChooseProperties(HWND panel) const {
        PostMessageA(panel, WM_RBUTTONDOWN, MK_RBUTTON, Point(10, 10));
        PostMessageA(panel, WM_RBUTTONUP, 0, Point(10, 10));
        EXPECT_TRUE(WaitUntil([&] { return MenuWindow() != nullptr; }, 3000)) << "no menu";
        PostKeys(panel, {VK_DOWN, VK_RETURN});
    }
    HWND OpenProperties(int box) {
        const std::vector<HWND> before = Dialogs();
        ChooseProperties(Panel(box));
        HWND opened = nullptr;
        WaitUntil(
            [&] {
                for (HWND d : Dialogs())
                    if (std::find(before.begin(), before.end(), d) == before.end() && IsWindowVisible(d)) opened = d;
                return opened != nullptr;
            },
            3000);
        EXPECT_NE(opened, nullptr) << "no dialog";
        return opened;
    }

    // What a control shows. Asked with WM_GETTEXT, which the system carries across processes:
    // GetWindowTextA of another process's window reads only the text the window was made
    // with, not what an edit control holds.
    // System, Client, User and Transaction as the dialog shows them, joined as a Selection.
    static std::string Shown(HWND dialog) {
        return Field(dialog, IDC_PROP_SYSTEM) + "$" + Field(dialog, IDC_PROP_CLIENT) + "$" +
               Field(dialog, IDC_PROP_USER) + "$" + Field(dialog, IDC_PROP_TRANSACTION);
    }
    static std::string Field(HWND dialog, int id) {
        char text[512] = {};
        DWORD_PTR length = 0;
        SendMessageTimeoutA(GetDlgItem(dialog, id), WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                            SMTO_ABORTIFHUNG, 3000, &length);
        return text;
    }
    HWND Focus() const { return ThreadInputOf(quilvo.MainWindow()).hwndFocus; }
    // A key pressed while the dialog has the focus: it goes to the focused control and
    // through the program's message loop, as a typed key does.
    void Press(WPARAM key) const { PostKeys(Focus(), {key}); }
    void Type(const std::string& text) const {
        HWND target = Focus();
        for (char c : text) PostMessageA(target, WM_CHAR, static_cast<unsigned char>(c), 1);
    }
    bool FocusOn(HWND dialog, int id) const {
        return WaitUntil([&] { return Focus() == GetDlgItem(dialog, id); }, 3000);
    }
    static bool Gone(HWND dialog) {
        return WaitUntil([&] { return !IsWindow(dialog); }, 5000);
    }
    std::string Selection(int box) const {
        return dir.IniValue(("Box" + std::to_string(box)).c_str(), "Selection");
    }

    sessionsim::Simulator sim;
    TempFolder dir;
    QuilvoProcess quilvo;
};

// Tab walks the fields in template order, typing replaces the field's text, Enter is OK.
// The rebuild runs before the dialog goes, so once it is gone the panel already shows the
// new grouping: no refresh period passes in between.
TEST_F(Properties, KeyboardOkStoresTheCutFieldsAndTheBoxRegroupsAtOnce) {
    HWND dlg = StartAndOpen("[Box1]\r\nSelection=PRD$$$\r\n", 1, 2);
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(Field(dlg, IDC_PROP_BOXNUMBER), "2");
    EXPECT_EQ(Shown(dlg), "PRD$$$");

    ASSERT_TRUE(FocusOn(dlg, IDOK)) << "the first tab stop";
    Press(VK_TAB);
    ASSERT_TRUE(FocusOn(dlg, IDCANCEL));
    Press(VK_TAB);
    ASSERT_TRUE(FocusOn(dlg, IDC_PROP_SYSTEM));
    Type("QASXY");
    ASSERT_TRUE(WaitUntil([&] { return Field(dlg, IDC_PROP_SYSTEM) == "QASXY"; }, 3000)) << Field(dlg, IDC_PROP_SYSTEM);
    Press(VK_TAB);
    ASSERT_TRUE(FocusOn(dlg, IDC_PROP_CLIENT));
    Press(VK_RETURN);
    ASSERT_TRUE(Gone(dlg));
    // OK regroups at once, on the sessions as the last pass found them.
    EXPECT_EQ(Minis(1), 1) << "the panel whose menu was used regroups too";
    EXPECT_EQ(Selection(1), "QAS$$$");
    EXPECT_EQ(Minis(0), 3);
}

// OK always writes and rebuilds, even when the user changed nothing: here the file held the
// Selection in quotes, which reads the same, and comes back as the program writes it.
TEST_F(Properties, OkWithoutChangeWritesAndRebuildsAndEmptyFieldsStoreThreeSigns) {
    quilvo.DebugIt(true);
    HWND dlg = StartAndOpen("[Box1]\r\nSelection=\"PRD$100$$\"\r\n", 1, 1);
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(Shown(dlg), "PRD$100$$");
    const int matchesBefore = quilvo.CountLines(kMatchLine);
    PostMessageA(GetDlgItem(dlg, IDOK), BM_CLICK, 0, 0);
    ASSERT_TRUE(Gone(dlg));
    EXPECT_GE(quilvo.CountLines(kMatchLine), matchesBefore + 7 * 3) << "six boxes and all sessions rebuilt";
    EXPECT_NE(dir.ReadIni().find("Selection=PRD$100$$\r\n"), std::string::npos) << dir.ReadIni();

    dlg = OpenProperties(1);
    ASSERT_NE(dlg, nullptr);
    for (int id : {IDC_PROP_SYSTEM, IDC_PROP_CLIENT, IDC_PROP_USER, IDC_PROP_TRANSACTION})
        SendMessageA(GetDlgItem(dlg, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
    PostMessageA(GetDlgItem(dlg, IDOK), BM_CLICK, 0, 0);
    ASSERT_TRUE(Gone(dlg));
    EXPECT_EQ(Selection(1), "$$$");
    EXPECT_EQ(Minis(1), 3) << "four empty fields select every session";
}

// Cancel, Escape and the close box store nothing; of two dialogs for one box the one
// confirmed last wins. No ended dialog stays behind.
TEST_F(Properties, OnlyOkStoresAndTheLastConfirmedOfTwoDialogsWins) {
    Start("[Box2]\r\nSelection=PRD$$$\r\n");
    ASSERT_TRUE(WaitUntil([&] { return Minis(2) == 2; }, kSettle));
    const std::string file = dir.ReadIni();
    const struct {
        const char* how;
        void (*end)(const Properties&, HWND);
    } ends[] = {
        {"Cancel", [](const Properties&, HWND d) { PostMessageA(GetDlgItem(d, IDCANCEL), BM_CLICK, 0, 0); }},
        {"Escape", [](const Properties& t, HWND) { t.Press(VK_ESCAPE); }},
        {"close box", [](const Properties&, HWND d) { PostMessageA(d, WM_SYSCOMMAND, SC_CLOSE, 0); }},
    };
    for (const auto& e : ends) {
        SCOPED_TRACE(e.how);
        HWND dlg = OpenProperties(2);
        ASSERT_NE(dlg, nullptr);
        SendMessageA(GetDlgItem(dlg, IDC_PROP_SYSTEM), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("QAS"));
        e.end(*this, dlg);
        ASSERT_TRUE(Gone(dlg));
        EXPECT_EQ(dir.ReadIni(), file);
        EXPECT_EQ(Minis(2), 2);
    }

    HWND first = OpenProperties(2);
    HWND second = OpenProperties(2);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(Dialogs().size(), 2u);
    SendMessageA(GetDlgItem(first, IDC_PROP_SYSTEM), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("QAS"));
    SendMessageA(GetDlgItem(second, IDC_PROP_SYSTEM), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("XYZ"));
    PostMessageA(GetDlgItem(second, IDOK), BM_CLICK, 0, 0);
    ASSERT_TRUE(Gone(second));
    EXPECT_EQ(Selection(2), "XYZ$$$");
    EXPECT_EQ(Minis(2), 0);
    PostMessageA(GetDlgItem(first, IDOK), BM_CLICK, 0, 0);
    ASSERT_TRUE(Gone(first));
    EXPECT_EQ(Selection(2), "QAS$$$");
    EXPECT_EQ(Minis(2), 1);
    EXPECT_TRUE(Dialogs().empty());
}

// A settings file that cannot be written: under Wine, run as root, the read-only attribute
// stops no write, so the file is locked instead by a handle that lets others read only.
// OK's write fails quietly, the rebuild reads the old Selection back, the file keeps every
// byte, and the program runs on. Locked against reading too, the read-back finds nothing and
// the box keeps the typed filter until a rebuild can read the file again; the file is
// untouched all the same.
TEST_F(Properties, AnUnwritableIniKeepsTheOldGroupingAndLosesNothing) {
    Start("[Quilvo]\r\nIDLE_TIMER=0\r\n[Box2]\r\nSelection=PRD$$$\r\n[Box3]\r\nSelection=QAS$$$\r\n");
    ASSERT_TRUE(WaitUntil([&] { return Minis(2) == 2 && Minis(3) == 1; }, kSettle));
    const std::string file = dir.ReadIni();

    HANDLE lock = CreateFileA(dir.Ini().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    HWND dlg = OpenProperties(2);
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(Field(dlg, IDC_PROP_SYSTEM), "PRD");
    SendMessageA(GetDlgItem(dlg, IDC_PROP_SYSTEM), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("QAS"));
    PostMessageA(GetDlgItem(dlg, IDOK), BM_CLICK, 0, 0);
    ASSERT_TRUE(Gone(dlg));
    EXPECT_EQ(Minis(2), 2) << "the old Selection came back";
    EXPECT_EQ(Minis(3), 1);
    CloseHandle(lock);
    EXPECT_EQ(dir.ReadIni(), file);

    lock = CreateFileA(dir.Ini().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    dlg = OpenProperties(2);
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(Field(dlg, IDC_PROP_SYSTEM), "") << "nothing could be read";
    SendMessageA(GetDlgItem(dlg, IDC_PROP_SYSTEM), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("QAS"));
    PostMessageA(GetDlgItem(dlg, IDOK), BM_CLICK, 0, 0);
    ASSERT_TRUE(Gone(dlg));
    EXPECT_EQ(Minis(2), 1) << "the typed filter stays in memory";
    CloseHandle(lock);
    EXPECT_EQ(dir.ReadIni(), file);

    // Still running and still following the sessions; the stored Selection is back.
    ASSERT_TRUE(sim.Send("open D system=PRD client=400 user=DAN x=200 y=600 w=400 h=300"));
    EXPECT_TRUE(WaitUntil([&] { return Minis(0) == 4 && Minis(2) == 3; }, kSettle));
    EXPECT_TRUE(quilvo.Running());
}

}  // namespace
}  // namespace e2e
