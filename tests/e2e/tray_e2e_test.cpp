// The notification icon and its tray menu, used as a user would: the menu opened by a real
// click on the icon in the desktop's taskbar or by the icon's callback message, items chosen
// with the keyboard, and what the sessions, the windows and the settings file show then.
#include <gtest/gtest.h>

#include <windows.h>

#include <shellapi.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "e2e_util.h"
#include "quilvo_process.h"
#include "resources/resource_ids.h"
#include "real_input.h"
#include "sim_client.h"

namespace e2e {
namespace {


POINT Centre(const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

// Wine's taskbar paints the notification icons into its own window, right to left, each in a
// cell of the small icon size plus a border of 2 on every side; the first icon added is the
// rightmost one. It drops the icon of a window that is destroyed, also of a killed program,
// so Quilvo's is the only one and stands first.
POINT FirstTrayIconPoint() {
    HWND tray = FindWindowA("Shell_TrayWnd", nullptr);
    RECT client = {};
    GetClientRect(tray, &client);
    const int cell = GetSystemMetrics(SM_CXSMICON) + 4;
    POINT p{client.right - cell / 2, client.bottom / 2};
    ClientToScreen(tray, &p);
    return p;
}

// The shell answers a change of nothing for an icon it holds, and refuses one it does not.
bool IconPresent(HWND trayHost) {
    NOTIFYICONDATAA nid = {};
    nid.cbSize = NOTIFYICONDATAA_V1_SIZE;
    nid.hWnd = trayHost;
    nid.uID = IDI_QUILVO;
    return Shell_NotifyIconA(NIM_MODIFY, &nid) != FALSE;
}

// The first of these windows in the desktop's z-order.
HWND TopmostOf(const std::vector<HWND>& windows) {
    for (HWND w = GetTopWindow(nullptr); w != nullptr; w = GetWindow(w, GW_HWNDNEXT))
        if (std::find(windows.begin(), windows.end(), w) != windows.end()) return w;
    return nullptr;
}

// The product version in the version resource of a program file.
std::string ProductVersion(const std::string& path) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    if (size == 0) return "";
    std::vector<char> info(size);
    if (!GetFileVersionInfoA(path.c_str(), 0, size, info.data())) return "";
    char* text = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(info.data(), "\\StringFileInfo\\040904b0\\ProductVersion", reinterpret_cast<void**>(&text),
                        &length))
        return "";
    return text;
}

class TrayMenu : public ::testing::Test {
protected:
    void Start(const std::string& scenario, const std::string& ini = "") {
        // The menu opens with its lower left corner at the pointer; from here it opens above
        // the pointer, which then picks no item of it.
        ASSERT_TRUE(RunUnix("/usr/bin/xdotool mousemove 1000 1000"));
        ASSERT_TRUE(sim.Start(scenario)) << sim.LastError();
        if (!ini.empty()) dir.WriteIni(ini);
        ASSERT_TRUE(quilvo.Start(dir.Path()));
        ASSERT_TRUE(WaitUntil([&] { return SingleView() != nullptr && TrayHost() != nullptr; }, 10000));
        // The sessions are in the table once the all-sessions panel shows each of them.
        const int n = sim.Count();
        ASSERT_TRUE(WaitUntil([&] { return SingleMinis() == n; }, kSettle)) << SingleMinis() << " of " << n;
    }
    void TearDown() override {
        quilvo.Kill();
        sim.Stop();
    }

    HWND Main() const { return quilvo.MainWindow(); }
    HWND SingleView() const { return quilvo.SingleView(); }
    HWND TrayHost() const { return quilvo.TrayHost(); }
    // The mini windows of the all-sessions panel, top first; none while it is not shown.
    std::vector<HWND> SingleMiniWindows() const {
        const auto panels = SingleView() ? PanelsOf(SingleView()) : std::vector<HWND>{};
        return panels.empty() ? std::vector<HWND>{} : Children(panels[0], "XIconWin");
    }
    int SingleMinis() const { return static_cast<int>(SingleMiniWindows().size()); }
    // Visible menu windows of the program: the tray menu and any pop-up opened from it.
    int OpenMenus() const {
        int n = 0;
        for (HWND m : quilvo.TopWindows("#32768")) n += IsWindowVisible(m) != FALSE;
        return n;
    }
    void OpenMenu() {
        PostMessageA(TrayHost(), WM_QUILVO_TRAYICON, IDI_QUILVO, WM_LBUTTONUP);
        ASSERT_TRUE(WaitUntil([&] { return OpenMenus() == 1; }, 3000)) << "no menu";
    }
    // Keys as the menu's loop reads them: from the program's thread queue.
    void Press(const std::vector<WPARAM>& keys) { PostKeys(TrayHost(), keys); }
    static std::vector<WPARAM> Down(int times, std::vector<WPARAM> then = {}) {
        std::vector<WPARAM> keys(static_cast<std::size_t>(times), VK_DOWN);
        keys.insert(keys.end(), then.begin(), then.end());
        return keys;
    }
    // Below n session entries and two separators stand "Restore Server Group" (1), "Restore
    // Systems" (2), a separator, "Destroy Server Group" (3) and "Destroy Systems" (4). A pop-up
    // opened with the right arrow has its first entry picked.
    static std::vector<WPARAM> PopupEntry(int sessions, int popup, int entry) {
        std::vector<WPARAM> keys = Down(sessions + popup, {VK_RIGHT});
        const std::vector<WPARAM> rest = Down(entry, {VK_RETURN});
        keys.insert(keys.end(), rest.begin(), rest.end());
        return keys;
    }
    void Choose(const std::vector<WPARAM>& keys) {
        OpenMenu();
        Press(keys);
        ASSERT_TRUE(WaitUntil([&] { return OpenMenus() == 0; }, 3000)) << "menu still open";
    }
    bool AllOf(const std::vector<std::string>& names, bool (*state)(HWND)) const {
        for (const std::string& n : names)
            if (!state(sim.Hwnd(n))) return false;
        return true;
    }
    static bool Visible(HWND w) { return IsWindowVisible(w) != FALSE; }
    static bool Hidden(HWND w) { return IsWindowVisible(w) == FALSE; }
    static bool Iconic(HWND w) { return IsIconic(w) != FALSE; }
    static bool Restored(HWND w) { return IsWindowVisible(w) && !IsIconic(w) && !IsZoomed(w); }
    int LogLinesStarting(const std::string& prefix) const {
        int n = 0;
        for (const std::string& l : sim.LogLines()) n += l.rfind(prefix, 0) == 0;
        return n;
    }
    // The session table as the menu shows it: discovery walks the desktop from the top of the
    // z-order, and the all-sessions panel stacks its mini windows in the table's order. A
    // right press on the icon starts a pass at once; the menu shows the windows as they stand
    // once that pass is complete, when the panel shows them in their z-order. wordOf names,
    // for each session, a word of its mini window's name that no other one's holds.
    std::vector<std::string> TableOrder(const std::map<std::string, std::string>& wordOf) const {
        DWORD_PTR result = 0;
        SendMessageTimeoutA(TrayHost(), WM_QUILVO_TRAYICON, IDI_QUILVO, WM_RBUTTONDOWN, SMTO_NORMAL, 5000, &result);
        std::vector<std::string> order;
        EXPECT_TRUE(WaitUntil([&] { return (order = ZOrder(wordOf)) == ShownOrder(wordOf); }, kSettle))
            << "the panel does not show the sessions in their z-order";
        return order;
    }
    std::vector<std::string> ZOrder(const std::map<std::string, std::string>& sessions) const {
        std::map<HWND, std::string> nameOf;
        for (const auto& s : sessions) nameOf[sim.Hwnd(s.first)] = s.first;
        std::vector<std::string> order;
        for (HWND w = GetTopWindow(nullptr); w != nullptr; w = GetWindow(w, GW_HWNDNEXT)) {
            if (nameOf.count(w)) order.push_back(nameOf[w]);
        }
        return order;
    }
    std::vector<std::string> ShownOrder(const std::map<std::string, std::string>& wordOf) const {
        std::vector<std::string> order;
        for (HWND mini : SingleMiniWindows()) {
            std::string text = " " + TextOf(mini) + " ";
            std::replace(text.begin(), text.end(), ',', ' ');  // "Alpha, production"
            for (const auto& s : wordOf) {
                if (text.find(" " + s.second + " ") != std::string::npos) order.push_back(s.first);
            }
        }
        return order;
    }
    static int IndexOf(const std::vector<std::string>& list, const std::string& item) {
        for (std::size_t i = 0; i < list.size(); ++i)
            if (lstrcmpiA(list[i].c_str(), item.c_str()) == 0) return static_cast<int>(i);
        return -1;
    }
    // The entries of a group pop-up: each text once, in the order it first occurs in the
    // table, letter case ignored, spelt as its first session has it.
    static std::vector<std::string> PopupEntries(const std::vector<std::string>& order,
                                                 const std::map<std::string, std::string>& textOf) {
        std::vector<std::string> entries, folded;
        for (const std::string& name : order) {
            std::string text = textOf.at(name), key = text;
            CharUpperA(&key[0]);
            if (std::find(folded.begin(), folded.end(), key) != folded.end()) continue;
            folded.push_back(key);
            entries.push_back(text);
        }
        return entries;
    }
    void MinimizeAll(const std::vector<std::string>& names) {
        for (const std::string& n : names) ASSERT_TRUE(sim.Send("minimize " + n));
        ASSERT_TRUE(WaitUntil([&] { return AllOf(names, Iconic); }, 3000));
    }

    sessionsim::Simulator sim;
    TempFolder dir;
    QuilvoProcess quilvo;
};

const char kThree[] =
    "session A caption=\"PRD(1)/100 Easy Access\" system=PRD client=100 group=G1 max\n"
    "session B caption=\"QAS(1)/200 Sales\" system=QAS client=200 group=G2 x=300 y=200 w=640 h=480\n"
    "session C caption=\"DEV(1)/300 Debugger\" system=DEV client=300 group=G3 x=520 y=400 w=600 h=400\n";

TEST_F(TrayMenu, ARealClickOnTheIconOpensTheMenuAndHideShowAndIconizeAllAct) {
    Start(kThree);
    const std::vector<std::string> all = {"A", "B", "C"};
    Choose({'H'});
    EXPECT_TRUE(WaitUntil([&] { return AllOf(all, Hidden); }, 3000)) << "Hide All";

    // With the maximised session hidden the taskbar shows (Wine's is not kept on top). A click
    // elsewhere closes the menu and chooses nothing.
    ASSERT_TRUE(RealClick(FirstTrayIconPoint()));
    ASSERT_TRUE(WaitUntil([&] { return OpenMenus() == 1; }, 3000)) << "a click on the icon opened no menu";
    const int shows = LogLinesStarting("show ");
    ASSERT_TRUE(RealClick(POINT{640, 300}));
    EXPECT_TRUE(WaitUntil([&] { return OpenMenus() == 0; }, 3000)) << "the menu stays after a click elsewhere";
    // What the menu's end posted (its command, the shell's selection held while it was open)
    // comes before the next pass.
    ASSERT_TRUE(WaitForNextPass(sim, {"A", "B", "C"}));
    EXPECT_EQ(LogLinesStarting("show "), shows);
    EXPECT_EQ(OpenMenus(), 0) << "the shell's selection after the click opened the menu again";

    // A real right click refreshes and opens no menu, whatever the shell sends after it.
    const POINT icon = FirstTrayIconPoint();
    ASSERT_TRUE(RunUnix("/usr/bin/xdotool mousemove " + std::to_string(icon.x) + " " + std::to_string(icon.y) + " click 3"));
    // The shell sends its context menu after the button's release, at a time of its own that
    // nothing here shows: the menu would be open within this time.
    Sleep(800);
    EXPECT_EQ(OpenMenus(), 0) << "a right click opened a menu";

    // Keys typed on the keyboard reach the menu.
    ASSERT_TRUE(RealClick(FirstTrayIconPoint()));
    ASSERT_TRUE(WaitUntil([&] { return OpenMenus() == 1; }, 3000));
    ASSERT_TRUE(RealKeys("s"));
    EXPECT_TRUE(WaitUntil([&] { return AllOf(all, Visible); }, 3000)) << "Show All";
    EXPECT_TRUE(WaitUntil([&] { return IsZoomed(sim.Hwnd("A")) != FALSE; }, 3000)) << "A comes back maximised";
    EXPECT_TRUE(Restored(sim.Hwnd("B")));
    EXPECT_TRUE(Restored(sim.Hwnd("C")));

    Choose({'I'});
    EXPECT_TRUE(WaitUntil([&] { return AllOf(all, Iconic); }, 3000)) << "Iconize All";
    EXPECT_TRUE(quilvo.Running());
}

// "&Find session..." above "E&xit" opens the find window, in front and ready for typing.
TEST_F(TrayMenu, FindSessionOpensTheFindWindow) {
    Start(kThree);
    Choose({'F'});
    EXPECT_TRUE(WaitUntil(
        [&] {
            const auto found = quilvo.TopWindows("QuilvoFind");
            return !found.empty() && IsWindowVisible(found[0]) && GetForegroundWindow() == found[0];
        },
        3000));
}

// With the shell's version 4 notifications the event is lParam's low word and the icon id its
// high word. The keyboard's selection and the context-menu key open the menu; the selection
// that follows a left click and the context menu that follows a right click are the shell's
// echoes of the mouse and open none: a right click only refreshes, a left click opens one menu.
TEST_F(TrayMenu, TheKeyboardOpensTheMenuAndTheMouseDoesWhatItAlwaysDid) {
    Start(kThree);
    const auto notify = [&](UINT event) {
        PostMessageA(TrayHost(), WM_QUILVO_TRAYICON, 0, MAKELPARAM(event, IDI_QUILVO));
    };
    const auto closeMenu = [&] {
        Press({VK_ESCAPE});
        return WaitUntil([&] { return OpenMenus() == 0; }, 3000);
    };
    // No button came before: none of these is an echo.
    for (UINT event : {UINT{NIN_KEYSELECT}, UINT{NIN_SELECT}, UINT{WM_CONTEXTMENU}}) {
        notify(event);
        EXPECT_TRUE(WaitUntil([&] { return OpenMenus() == 1; }, 3000)) << "event " << event;
        ASSERT_TRUE(closeMenu());
    }
    // Posted after the press, the other two events are handled before any pass asks the
    // sessions again: a menu they opened would be open then.
    for (UINT event : {UINT{WM_RBUTTONDOWN}, UINT{WM_RBUTTONUP}, UINT{WM_CONTEXTMENU}}) notify(event);
    ASSERT_TRUE(WaitForNextPass(sim));
    EXPECT_EQ(OpenMenus(), 0) << "a right click opens no menu";
    for (UINT event : {UINT{WM_LBUTTONDOWN}, UINT{WM_LBUTTONUP}, UINT{NIN_SELECT}}) notify(event);
    ASSERT_TRUE(WaitUntil([&] { return OpenMenus() == 1; }, 3000));
    ASSERT_TRUE(closeMenu());
    // The selection, held while the menu was open, is posted when it closes: before the next pass.
    ASSERT_TRUE(WaitForNextPass(sim));
    EXPECT_EQ(OpenMenus(), 0) << "a left click opens one menu";
}

// "Start with &Windows" writes the user's Run value that starts this program with the class
// it was given, and takes it away again; the other instance's value stays.
TEST_F(TrayMenu, StartWithWindowsWritesAndRemovesTheRunValueOfThisClass) {
    const char* const run = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    const auto value = [&](const char* name) {
        char text[1024] = {};
        DWORD size = sizeof text;
        if (RegGetValueA(HKEY_CURRENT_USER, run, name, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS)
            return std::string("<none>");
        return std::string(text);
    };
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, run, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr), ERROR_SUCCESS);
    const std::string other = "\"C:\\Other\\Quilvo.exe\"";
    RegSetValueExA(key, "Quilvo", 0, REG_SZ, reinterpret_cast<const BYTE*>(other.c_str()), static_cast<DWORD>(other.size() + 1));
    // A value of another type under this class's name counts as none, and is replaced.
    const DWORD number = 1;
    RegSetValueExA(key, "Quilvo SAP_FRONTEND_SESSION", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);

    ASSERT_TRUE(RunUnix("/usr/bin/xdotool mousemove 1000 1000"));
    ASSERT_TRUE(sim.Start(kThree)) << sim.LastError();
    ASSERT_TRUE(quilvo.Start(dir.Path(), "SAP_FRONTEND_SESSION"));
    ASSERT_TRUE(WaitUntil([&] { return TrayHost() != nullptr; }, 10000));
    // The menu is gone a moment before the program handles the command chosen in it.
    const std::string expected = "\"" + ExeDirectory() + "Quilvo.exe\" SAP_FRONTEND_SESSION";
    std::string command;
    Choose({'W'});
    EXPECT_TRUE(WaitUntil([&] { return lstrcmpiA((command = value("Quilvo SAP_FRONTEND_SESSION")).c_str(), expected.c_str()) == 0; }, 3000))
        << command;
    Choose({'W'});
    EXPECT_TRUE(WaitUntil([&] { return value("Quilvo SAP_FRONTEND_SESSION") == "<none>"; }, 3000));
    EXPECT_EQ(value("Quilvo"), other);
    RegDeleteValueA(key, "Quilvo");
    RegDeleteValueA(key, "Quilvo SAP_FRONTEND_SESSION");
    RegCloseKey(key);
    EXPECT_TRUE(quilvo.Running());
}

// The support file lands where support asks for it, with each of its parts, and without the
// sessions' titles, Users and Transactions, or a box selection that names a User.
TEST_F(TrayMenu, SaveDiagnosticsWritesTheSupportFileWithoutAName) {
    quilvo.DebugIt(true);
    char local[MAX_PATH] = {};
    ASSERT_GT(GetEnvironmentVariableA("LOCALAPPDATA", local, sizeof local), 0u);
    const std::string folder = std::string(local) + "\\Quilvo\\";
    const auto newest = [&] {
        WIN32_FIND_DATAA found = {};
        const HANDLE find = FindFirstFileA((folder + "Quilvo-diagnostics-*.txt").c_str(), &found);
        if (find == INVALID_HANDLE_VALUE) return std::string();
        std::string name;
        do {
            name = std::max(name, std::string(found.cFileName));
        } while (FindNextFileA(find, &found));
        FindClose(find);
        return name;
    };
    const std::string before = newest();
    Start("session A caption=\"Alpha Orders\" system=PRD client=100 user=ANNA tx=VA01\n"
          "session B caption=\"Bravo Report\" system=QAS client=200 user=BORIS tx=SE38\n"
          "session C caption=\"Charlie Items\" system=PRD client=100 user=CLARA tx=FBL1N\n",
          "[Box0]\r\nSelection=PRD$$ANNA$\r\n");
    Choose({'G'});
    std::string name;
    ASSERT_TRUE(WaitUntil([&] { return (name = newest()) > before; }, 5000)) << "no file in " << folder;
    EXPECT_TRUE(quilvo.WaitForLine("Diagnostics saved: " + name + "\n", 3000));
    const std::string text = sessionsim::detail::ReadWholeFile(folder + name);
    DeleteFileA((folder + name).c_str());
    // Shown in a window of Explorer's, of its folder (Wine's Explorer names its class so).
    HWND shown = nullptr;
    EXPECT_TRUE(WaitUntil([&] { return (shown = FindWindowA("ExplorerWClass", "Quilvo")) != nullptr || (shown = FindWindowA("CabinetWClass", "Quilvo")) != nullptr; }, 5000));
    if (shown != nullptr) PostMessageA(shown, WM_CLOSE, 0, 0);
    for (const char* part : {"[Quilvo]", "[System]\r\nWindows: ", "Wine: ", "DPI awareness: per monitor", "[Monitors]\r\nMonitor 1: ",
                             "[Policies]", "Box0: Selection=(10 characters)", "[Hotkeys]\r\nFind: ",
                             "[Sessions]\r\nTotal: 3\r\nPRD 100: 2\r\nQAS 200: 1", "[Passes]\r\nwalk ", "[Worker]\r\nThreads: ",
                             "[Debug lines]"}) {
        EXPECT_NE(text.find(part), std::string::npos) << part << " in:\n" << text;
    }
    for (const char* name : {"Alpha", "Bravo", "Charlie", "ANNA", "BORIS", "CLARA", "VA01", "SE38", "FBL1N"})
        EXPECT_EQ(text.find(name), std::string::npos) << name << " in:\n" << text;
}

TEST_F(TrayMenu, DestroyAllIsGrayedAndTheViewCommandsShowTheViewsAgain) {
    Start(kThree);
    // "&Destroy All", seventh from the bottom, picked with the arrows or by its letter: the menu
    // closes and chooses nothing.
    OpenMenu();
    Press({VK_UP, VK_UP, VK_UP, VK_UP, VK_UP, VK_UP, VK_UP, VK_RETURN});
    EXPECT_TRUE(WaitUntil([&] { return OpenMenus() == 0; }, 3000));
    Choose({'D'});
    ASSERT_TRUE(WaitForNextPass(sim, {"A", "B", "C"}));  // a close sent before would come first
    EXPECT_EQ(LogLinesStarting("close "), 0) << sim.Log();
    EXPECT_EQ(sim.Count(), 3);

    // The close box hides a view; "Toolwindow" and "SingleBox" show them again. The "&Views"
    // pop-up opens with its first item, "Toolbar", picked.
    HWND main = Main(), single = SingleView();
    PostMessageA(main, WM_CLOSE, 0, 0);
    PostMessageA(single, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(main) && !IsWindowVisible(single); }, 3000));
    Choose({'V', VK_DOWN, VK_RETURN});
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(main) != FALSE; }, 3000)) << "Toolwindow";
    EXPECT_FALSE(IsWindowVisible(single));
    Choose({'V', VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN});
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(single) != FALSE; }, 3000)) << "SingleBox";
    EXPECT_TRUE(IsWindowVisible(main));
}

TEST_F(TrayMenu, ASessionEntryRestoresEverySessionWithItsTitleAndRaisesTheChosenOne) {
    Start("session A caption=Same system=PRD x=100 y=50 w=500 h=400\n"
          "session B caption=Other system=QAS x=300 y=200 w=500 h=400\n"
          "session C caption=Same system=DEV x=500 y=300 w=500 h=400\n");
    MinimizeAll({"A", "B", "C"});
    // Of the two sessions called "Same", the one lower in the table is chosen.
    const std::vector<std::string> order = TableOrder({{"A", "PRD"}, {"B", "QAS"}, {"C", "DEV"}});
    const std::string chosen = IndexOf(order, "A") > IndexOf(order, "C") ? "A" : "C";
    const std::string other = chosen == "A" ? "C" : "A";
    Choose(Down(IndexOf(order, chosen) + 1, {VK_RETURN}));
    EXPECT_TRUE(WaitUntil([&] { return Restored(sim.Hwnd("A")) && Restored(sim.Hwnd("C")); }, 3000));
    EXPECT_TRUE(WaitUntil([&] { return TopmostOf({sim.Hwnd("A"), sim.Hwnd("C")}) == sim.Hwnd(chosen); }, 3000))
        << chosen << " is not above " << other;
    EXPECT_TRUE(IsIconic(sim.Hwnd("B")));
}

// Five sessions over three systems; System and Server group texts in two spellings each.
TEST_F(TrayMenu, SystemsAndServerGroupsAreRestoredAndClosedWhateverTheirLetterCase) {
    Start("session A system=PRD group=G1 x=10 y=10 w=300 h=200\n"
          "session B system=prd group=G2 x=40 y=40 w=300 h=200\n"
          "session C system=QAS group=g1 x=70 y=70 w=300 h=200\n"
          "session D system=DEV group=G3 x=100 y=100 w=300 h=200\n"
          "session E system=DEV group=G1 x=130 y=130 w=300 h=200\n");
    const std::map<std::string, std::string> systems = {{"A", "PRD"}, {"B", "prd"}, {"C", "QAS"}, {"D", "DEV"},
                                                        {"E", "DEV"}};
    const std::map<std::string, std::string> groups = {{"A", "G1"}, {"B", "G2"}, {"C", "g1"}, {"D", "G3"},
                                                       {"E", "G1"}};
    MinimizeAll({"A", "B", "C", "D", "E"});

    // "Restore Systems", PRD: A and B, nobody else.
    const std::map<std::string, std::string> captions = {{"A", "A"}, {"B", "B"}, {"C", "C"}, {"D", "D"}, {"E", "E"}};
    std::vector<std::string> order = TableOrder(captions);
    std::vector<std::string> entries = PopupEntries(order, systems);
    ASSERT_EQ(entries.size(), 3u);
    Choose(PopupEntry(5, 2, IndexOf(entries, "PRD")));
    EXPECT_TRUE(WaitUntil([&] { return Restored(sim.Hwnd("A")) && Restored(sim.Hwnd("B")); }, 3000)) << "Restore PRD";
    EXPECT_TRUE(AllOf({"C", "D", "E"}, Iconic));

    // "Destroy Systems", PRD: A and B are asked to close, nobody else.
    order = TableOrder(captions);
    entries = PopupEntries(order, systems);
    Choose(PopupEntry(5, 4, IndexOf(entries, "PRD")));
    EXPECT_TRUE(sim.WaitForLine("close A", 5000));
    EXPECT_TRUE(sim.WaitForLine("close B", 5000));
    ASSERT_TRUE(WaitUntil([&] { return SingleMinis() == 3; }, kSettle)) << "the table did not shrink";
    EXPECT_EQ(LogLinesStarting("close "), 2) << sim.Log();

    // "Destroy Server Group", G1 (as g1 or G1, whichever comes first): C of QAS and E of DEV.
    order = TableOrder({{"C", "C"}, {"D", "D"}, {"E", "E"}});
    entries = PopupEntries(order, groups);
    ASSERT_EQ(entries.size(), 2u);
    Choose(PopupEntry(3, 3, IndexOf(entries, "G1")));
    EXPECT_TRUE(sim.WaitForLine("close C", 5000));
    EXPECT_TRUE(sim.WaitForLine("close E", 5000));
    ASSERT_TRUE(WaitForNextPass(sim, {"D"}));  // a close sent to D before would come first
    EXPECT_EQ(LogLinesStarting("close "), 4) << sim.Log();
    EXPECT_TRUE(IsWindow(sim.Hwnd("D")));
}

// PRD is production: its sessions say so and the one in front has a frame that follows it and
// goes when it loses the front; the tray adds QAS to the list; "Destroy Systems" on PRD asks
// first, and closes nothing on No (Escape) and both PRD sessions on Yes.
TEST_F(TrayMenu, ProductionSessionsAreMarkedFramedAndClosedOnlyAfterAYes) {
    Start("session A system=PRD caption=Alpha x=100 y=100 w=400 h=300\n"
          "session B system=QAS caption=Bravo x=200 y=150 w=400 h=300\n"
          "session C system=PRD caption=Charlie x=300 y=200 w=400 h=300\n",
          "[Quilvo]\r\nPRODUCTION=prd\r\n");
    const std::map<std::string, std::string> words = {{"A", "Alpha"}, {"B", "Bravo"}, {"C", "Charlie"}};
    const auto named = [&](const std::string& session, bool production) {
        for (HWND mini : SingleMiniWindows()) {
            const std::string text = TextOf(mini);
            if (text.find(words.at(session)) == std::string::npos) continue;
            return (text.find(", production") != std::string::npos) == production;
        }
        return false;
    };
    EXPECT_TRUE(WaitUntil([&] { return named("A", true) && named("B", false) && named("C", true); }, kSettle));

    // The frame: the program's own, around the session in front and just above it.
    const auto frame = [&] {
        const std::vector<HWND> frames = quilvo.TopWindows("QuilvoFrame");
        return frames.empty() || !IsWindowVisible(frames[0]) ? nullptr : frames[0];
    };
    const auto framing = [&](const std::string& session) {
        const HWND f = frame(), s = sim.Hwnd(session);
        const RECT fr = ScreenRect(f), sr = ScreenRect(s);
        return f != nullptr && EqualRect(&fr, &sr) && GetWindow(f, GW_HWNDNEXT) == s;
    };
    SetForegroundWindow(sim.Hwnd("A"));
    ASSERT_TRUE(WaitUntil([&] { return framing("A"); }, 3000));
    const LONG_PTR style = GetWindowLongPtrA(frame(), GWL_EXSTYLE);
    const LONG_PTR wanted = WS_EX_LAYERED | WS_EX_TRANSPARENT | WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW;
    EXPECT_EQ(style & (wanted | WS_EX_TOPMOST), wanted);
    ASSERT_TRUE(sim.Send("move A 150 120 500 350"));
    EXPECT_TRUE(WaitUntil([&] { return framing("A"); }, 1000)) << "the frame follows a move";
    ASSERT_TRUE(sim.Send("maximize A"));
    EXPECT_TRUE(WaitUntil([&] {
        const RECT f = ScreenRect(frame());
        return frame() != nullptr && f.left == 0 && f.top == 0 && f.right == GetSystemMetrics(SM_CXSCREEN);
    }, 1000)) << "a maximised session's frame lies inside the monitor";
    ASSERT_TRUE(sim.Send("restore A"));
    SetForegroundWindow(sim.Hwnd("B"));
    EXPECT_TRUE(WaitUntil([&] { return frame() == nullptr; }, 1000)) << "QAS in front: no frame";
    SetForegroundWindow(sim.Hwnd("C"));
    EXPECT_TRUE(WaitUntil([&] { return framing("C"); }, 1000));
    ASSERT_TRUE(sim.Send("minimize C"));
    EXPECT_TRUE(WaitUntil([&] { return frame() == nullptr; }, 1000)) << "gone with the iconized session";

    // "&Production systems", fourth from the bottom: its entries are the Systems of the table.
    std::vector<std::string> entries = PopupEntries(TableOrder(words), {{"A", "PRD"}, {"B", "QAS"}, {"C", "PRD"}});
    OpenMenu();
    Press({VK_UP, VK_UP, VK_UP, VK_UP, VK_RIGHT});
    Press(Down(IndexOf(entries, "QAS"), {VK_RETURN}));
    // The menu goes before the chosen command runs: the key is written a moment later.
    EXPECT_TRUE(WaitUntil([&] { return dir.IniValue("Quilvo", "PRODUCTION") == "prd,QAS"; }, 3000))
        << dir.IniValue("Quilvo", "PRODUCTION");
    EXPECT_TRUE(WaitUntil([&] { return named("B", true); }, kSettle));

    // "Destroy Systems", PRD: the question, owned by the program; No is Escape's answer.
    const auto question = [&]() -> HWND {
        for (HWND d : quilvo.TopWindows("#32770", "Quilvo"))
            if (IsWindowVisible(d) && GetDlgItem(d, IDYES) != nullptr) return d;
        return nullptr;
    };
    const std::map<std::string, std::string> systems = {{"A", "PRD"}, {"B", "QAS"}, {"C", "PRD"}};
    for (const WPARAM answer : {WPARAM{VK_ESCAPE}, WPARAM{'Y'}}) {
        entries = PopupEntries(TableOrder(words), systems);
        OpenMenu();
        Press(PopupEntry(3, 4, IndexOf(entries, "PRD")));
        HWND asked = nullptr;
        ASSERT_TRUE(WaitUntil([&] { return (asked = question()) != nullptr; }, 3000)) << "nothing asked";
        std::string text;
        for (HWND child : Children(asked, "Static")) text += TextOf(child);
        EXPECT_EQ(text, "Close 2 sessions? 2 of them are on the production system PRD.");
        EXPECT_EQ(LogLinesStarting("close "), 0) << "nothing is sent while the question is open";
        if (answer == VK_ESCAPE) {
            PostMessageA(GetDlgItem(asked, IDNO), WM_KEYDOWN, VK_ESCAPE, 0);
        } else {
            PostMessageA(GetDlgItem(asked, IDNO), WM_CHAR, 'y', 0);
        }
        ASSERT_TRUE(WaitUntil([&] { return question() == nullptr; }, 3000)) << "the question stays";
    }
    EXPECT_TRUE(sim.WaitForLine("close A", 5000));
    EXPECT_TRUE(sim.WaitForLine("close C", 5000));
    EXPECT_EQ(LogLinesStarting("close "), 2) << "No closed nothing, Yes closed PRD only: " << sim.Log();
}

TEST_F(TrayMenu, ARefreshWhileTheMenuIsOpenShrinksTheTableAndTheGoneSessionsEntryActsOnNothing) {
    Start(kThree);
    const std::map<std::string, std::string> systems = {{"A", "PRD"}, {"B", "QAS"}, {"C", "DEV"}};
    const std::vector<std::string> order = TableOrder(systems);
    const std::string first = order.front();
    OpenMenu();
    // The first session of the table goes and a refresh runs under the open menu: the others
    // move up, so the gone session's position now holds another one.
    ASSERT_TRUE(sim.Send("close " + first));
    ASSERT_TRUE(WaitUntil([&] { return SingleMinis() == 2; }, kSettle)) << "no refresh while the menu is open";
    ASSERT_EQ(OpenMenus(), 1);
    Press(PopupEntry(3, 4, IndexOf(PopupEntries(order, systems), systems.at(first))));
    ASSERT_TRUE(WaitUntil([&] { return OpenMenus() == 0; }, 3000));
    std::vector<std::string> rest = order;
    rest.erase(rest.begin());
    ASSERT_TRUE(WaitForNextPass(sim, rest));  // a close sent to them before would come first
    EXPECT_EQ(LogLinesStarting("close "), 1) << sim.Log();  // the simulator's own, for the first
    EXPECT_EQ(sim.Count(), 2);
    EXPECT_TRUE(quilvo.Running());
    // And it goes on answering: the menu opens again.
    Choose({VK_ESCAPE});
}

TEST_F(TrayMenu, OpacityCommandsSetTheAlphaOfTheMainWindowAndStoreIt) {
    Start(kThree);
    const struct {
        WPARAM key;
        int alpha;
    } cases[] = {{'L', 200}, {'M', 150}, {'H', 72}, {'N', 255}};
    for (const auto& c : cases) {
        Choose({'O', c.key});
        BYTE alpha = 0;
        DWORD flags = 0;
        EXPECT_TRUE(WaitUntil(
            [&] { return GetLayeredWindowAttributes(Main(), nullptr, &alpha, &flags) && alpha == c.alpha; }, 2000))
            << "alpha " << static_cast<int>(alpha) << " for " << c.alpha;
        // Stored right after the alpha is set.
        EXPECT_TRUE(WaitUntil([&] { return dir.IniValue("Quilvo", "OPACITY") == std::to_string(c.alpha); }, 2000))
            << dir.IniValue("Quilvo", "OPACITY") << " for " << c.alpha;
    }
}

TEST_F(TrayMenu, AboutIsCentredShowsTheProgramsVersionAndOkOrEscapeHideIt) {
    Start("session A system=PRD\n");
    HWND about = TrayHost();
    // Out of the centre first: the template centres it when it is made, the command each time.
    SetWindowPos(about, nullptr, 10, 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_EQ(ScreenRect(about).left, 10);
    Choose({'A'});
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(about) != FALSE; }, 3000)) << "no About box";
    RECT r = ScreenRect(about);
    EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2);
    EXPECT_EQ(r.top, (GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top)) / 2);
    const std::string version = ProductVersion(ExeDirectory() + "Quilvo.exe");
    ASSERT_FALSE(version.empty());
    EXPECT_EQ(TextOf(GetDlgItem(about, 1001)), "Quilvo version " + version);

    ASSERT_TRUE(RealKeys("Escape"));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(about); }, 3000)) << "Escape";

    Choose({'A'});
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(about) != FALSE; }, 3000));
    ASSERT_TRUE(RealClick(Centre(ScreenRect(GetDlgItem(about, IDOK)))));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(about); }, 3000)) << "OK";
    EXPECT_TRUE(IconPresent(about));
    EXPECT_TRUE(quilvo.Running());
}

TEST_F(TrayMenu, TheIconComesBackWhenTheTaskbarIsMadeAnew) {
    Start("session A system=PRD\n");
    HWND host = TrayHost();
    ASSERT_TRUE(IconPresent(host));
    // What a restarting shell leaves: no icon, then the broadcast.
    NOTIFYICONDATAA nid = {};
    nid.cbSize = NOTIFYICONDATAA_V1_SIZE;
    nid.hWnd = host;
    nid.uID = IDI_QUILVO;
    ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &nid));
    ASSERT_FALSE(IconPresent(host));
    PostMessageA(HWND_BROADCAST, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return IconPresent(host); }, 3000));
    // It is the same icon, and it answers: a click opens the menu.
    ASSERT_TRUE(RealClick(FirstTrayIconPoint()));
    EXPECT_TRUE(WaitUntil([&] { return OpenMenus() == 1; }, 3000));
}

TEST_F(TrayMenu, ExitShowsEverySessionWritesTheViewsAndEndsWithCodeZero) {
    Start("session A system=PRD x=100 y=50 w=500 h=400\n"
          "session B system=QAS x=300 y=200 w=500 h=400\n"
          "session C system=DEV x=500 y=300 w=500 h=400\n",
          "[BoxedViewToolWindow]\nWindowX=-50\nWindowY=20\nWidth=0\nHeight=210\nZoomFactor=3\n"
          "[BoxedViewSingle]\nWindowX=-20\nZoomFactor=4\n");
    HWND host = TrayHost(), main = Main(), single = SingleView();
    ASSERT_TRUE(sim.Send("hide B"));
    ASSERT_TRUE(sim.Send("minimize C"));
    // The main window minimised keeps its stored geometry; the single view, moved and then
    // closed (hidden), stores where it is and Visible 0.
    PostMessageA(main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    SetWindowPos(single, nullptr, 500, 300, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    PostMessageA(single, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitUntil(
        [&] {
            return IsIconic(main) && !IsWindowVisible(single) && !IsWindowVisible(sim.Hwnd("B")) &&
                   IsIconic(sim.Hwnd("C"));
        },
        3000));

    // Opened by a real click, the icon's message comes as a sent one: the program must still
    // leave its message loop after Exit.
    ASSERT_TRUE(RealClick(FirstTrayIconPoint()));
    ASSERT_TRUE(WaitUntil([&] { return OpenMenus() == 1; }, 3000)) << "a click on the icon opened no menu";
    Press({'X'});
    EXPECT_EQ(quilvo.WaitForExit(10000), 0u);
    EXPECT_TRUE(WaitUntil([&] { return AllOf({"A", "B", "C"}, Restored); }, 3000));
    EXPECT_FALSE(IconPresent(host));

    const struct {
        const char* section;
        const char* key;
        const char* value;
    } expected[] = {
        {"Quilvo", "WindowX", "0"},
        {"Quilvo", "WindowY", "20"},
        {"BoxedViewToolWindow", "Visible", "1"},
        {"BoxedViewToolWindow", "ZoomFactor", "3"},
        {"BoxedViewToolWindow", "WindowX", "-50"},
        {"BoxedViewToolWindow", "WindowY", "20"},
        {"BoxedViewToolWindow", "Width", "0"},
        {"BoxedViewToolWindow", "Height", "210"},
        {"BoxedViewSingle", "Visible", "0"},
        {"BoxedViewSingle", "ZoomFactor", "4"},
        {"BoxedViewSingle", "WindowX", "500"},
        {"BoxedViewSingle", "WindowY", "300"},
        {"BoxedViewSingle", "Width", "150"},
        {"BoxedViewSingle", "Height", "150"},
    };
    for (const auto& e : expected) EXPECT_EQ(dir.IniValue(e.section, e.key), e.value) << e.section << " " << e.key;
}

}  // namespace
}  // namespace e2e
