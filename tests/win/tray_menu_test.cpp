// The tray menu on real menus: the session part built into the loaded menu resource, read
// back item by item, and the commands that cannot be reached from outside.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/tray_menu.h"
#include "record_checks.h"
#include "commands/win32_session_menu.h"
#include "core/refresh.h"
#include "settings/settings.h"
#include "base/text.h"
#include "fake_desktop.h"
#include "refresh_fakes.h"
#include "platform/scoped_win.h"
#include "resources/resource_ids.h"
#include "views/docked_toolbar.h"

namespace quilvo {
namespace {

using Lines = std::vector<std::string>;

// One line per item, as the platform reports it: "---" for a separator, else
// "id/data 'text'", with "(grayed)" for a grayed item and a pop-up's entries in braces.
Lines Render(HMENU menu) {
    Lines lines;
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        char text[300] = {};
        MENUITEMINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_TYPE | MIIM_ID | MIIM_DATA | MIIM_SUBMENU | MIIM_STATE;
        info.dwTypeData = text;
        info.cch = sizeof text;
        if (!GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info)) {
            lines.push_back("?");
            continue;
        }
        if (info.fType & MFT_SEPARATOR) {
            lines.push_back("---");
            continue;
        }
        // A pop-up loaded from the resource has no id of its own; the platform reports its handle.
        const bool handleAsId = info.hSubMenu != nullptr && info.wID == static_cast<UINT>(reinterpret_cast<UINT_PTR>(info.hSubMenu));
        std::string line = (handleAsId ? std::string("popup") : std::to_string(info.wID)) + "/" +
                           std::to_string(info.dwItemData) + " '" + text + "'";
        if (info.fState & MFS_GRAYED) line += " (grayed)";
        if (info.hSubMenu != nullptr) {
            line += " {";
            const Lines entries = Render(info.hSubMenu);
            for (std::size_t k = 0; k < entries.size(); ++k) line += (k ? ", " : "") + entries[k];
            line += "}";
        }
        lines.push_back(line);
    }
    return lines;
}

SessionRecord Fill(int position, const char* system, const char* group, const char* client, const char* title) {
    SessionRecord r = ::test::Record(static_cast<WindowHandle>(0x100 + position), system, client, "", "", title);
    CopyCut(r.serverGroup, group);
    return r;
}

TEST(TrayMenu, SessionPartStandsAboveTheResourceItemsOfTheRealMenu) {
    auto table = std::make_unique<SessionSnapshot>(::test::SnapshotOf(
        {Fill(0, "PRD", "", "100", "One"), Fill(1, "prd", "X", "200", "Two"), Fill(2, "QAS", "", "300", "Three & more")}));

    const PopupMenu menu(IDM_TRAY);
    HMENU popup = menu.popup;
    ASSERT_NE(popup, nullptr);
    MenuSessions built;
    EXPECT_EQ(BuildSessionMenu(popup, *table, built), 10);
    InsertReopenItems(popup, {});
    InsertReopenItems(popup, {"PRD 100 ANNA: SE16, VA01", "QAS 200 B&&O: SU01"});
    InsertFindItem(popup, "Ctrl+Alt+Space");
    InsertStartItem(popup, true);

    const Lines expected = {
        "200/0 'PRD [:100]   One'",
        "201/0 'prd [X:200]   Two'",
        "202/0 'QAS [:300]   Three & more'",
        "---",
        "---",
        // Empty Server groups never count as present; the System is one entry in two spellings.
        "12003/5 'Restore Server Group' {12003/0 '', 12004/1 'X', 12005/2 ''}",
        "14005/6 'Restore Systems' {14005/0 'PRD', 14007/2 'QAS'}",
        "---",
        "13004/8 'Destroy Server Group' {13004/0 '', 13005/1 'X', 13006/2 ''}",
        "15006/9 'Destroy Systems' {15006/0 'PRD', 15008/2 'QAS'}",
        "---",
        "40008/0 '&About'",
        "40009/0 '&Show All '",
        "40010/0 '&Iconize All'",
        "40011/0 '&Hide All'",
        "40014/0 '&Destroy All' (grayed)",
        "popup/0 '&Views' {40026/0 'Toolbar' (grayed), 40028/0 'Toolwindow', 40033/0 'Toolcolumn' (grayed), "
        "40034/0 'SingleBox', 40037/0 '&Docked' (grayed)}",
        "popup/0 '&Opacity' {40046/0 '&None', 40047/0 '&Low', 40048/0 '&Mid', 40049/0 '&High'}",
        "popup/0 '&Reopen' {40200/0 'PRD 100 ANNA: SE16, VA01', 40201/0 'QAS 200 B&&O: SU01'}",
        "40050/0 '&Find session...\tCtrl+Alt+Space'",
        "40051/0 'Start with &Windows'",
        "40007/0 'E&xit'",
    };
    EXPECT_EQ(Render(popup), expected);
    EXPECT_EQ(GetMenuState(popup, ID_TRAY_AUTOSTART, MF_BYCOMMAND) & MF_CHECKED, static_cast<UINT>(MF_CHECKED));
    DeleteMenu(popup, ID_TRAY_AUTOSTART, MF_BYCOMMAND);
    InsertStartItem(popup, false);
    EXPECT_EQ(GetMenuState(popup, ID_TRAY_AUTOSTART, MF_BYCOMMAND) & (MF_CHECKED | MF_GRAYED), 0u);
    // Decided by the administrator's policy: the state shown, grayed.
    DeleteMenu(popup, ID_TRAY_AUTOSTART, MF_BYCOMMAND);
    InsertStartItem(popup, true, true);
    EXPECT_EQ(GetMenuState(popup, ID_TRAY_AUTOSTART, MF_BYCOMMAND) & (MF_CHECKED | MF_GRAYED),
              static_cast<UINT>(MF_CHECKED | MF_GRAYED));

    // Item data by command id, as the tray reads it for the chosen item: 12003 is the first
    // entry of "Restore Server Group" (data 0), not the pop-up's own title (data 5).
    EXPECT_EQ(ItemDataByCommand(popup, 12003), 0u);
    EXPECT_EQ(ItemDataByCommand(popup, 12005), 2u);
    EXPECT_EQ(ItemDataByCommand(popup, 15008), 2u);
    EXPECT_EQ(ItemDataByCommand(popup, 201), 0u);
    EXPECT_EQ(ItemDataByCommand(popup, 31000), 0u);
}

// "&Docked" is grayed in the menu, so no user reaches it; the command itself inverts the
// docked flag and runs a refresh without a discovery pass.
TEST(TrayMenu, DockedInvertsTheFlagAndRefreshesWithoutDiscovery) {
    std::uint32_t now = 1000;
    DragFlag drag;
    test::FakeDesktop desktop;
    fake::FakeRefreshPlatform platform{now};
    platform.mainWindow = 0x9000;
    fake::FakeViews views;
    RefreshCycle cycle(drag, desktop, platform, IniCycleSettings(), kDefaultSessionClass, IdleSettings{});
    cycle.SetMainWindow(platform.mainWindow);
    cycle.SetRebuildListener(&views);
    DockedViews docked;
    TrayMenuParts parts;
    parts.cycle = &cycle;
    parts.docked = &docked;
    TrayMenu menu(parts);

    std::vector<std::size_t> reopened;
    TrayMenu reopening([&] {
        TrayMenuParts p;
        p.reopen = [&](std::size_t entry) { reopened.push_back(entry); };
        return p;
    }());
    reopening.CarryOut(ID_TRAY_REOPEN + 1, 0, MenuSessions{});
    EXPECT_EQ(reopened, std::vector<std::size_t>{1}) << "an entry of Reopen reopens its logon";

    docked.flag = 1;
    menu.CarryOut(ID_TRAY_DOCKED, 0, MenuSessions{});
    EXPECT_EQ(docked.flag, 0);
    EXPECT_EQ(views.Count(), 1u) << "the first refresh rebuilds";
    EXPECT_EQ(cycle.State().idleCounter, 2u);
    menu.CarryOut(ID_TRAY_DOCKED, 0, MenuSessions{});
    EXPECT_EQ(docked.flag, 1);
    EXPECT_EQ(cycle.State().idleCounter, 4u) << "a second refresh";
    EXPECT_EQ(desktop.enumerations, 0);
}

}  // namespace
}  // namespace quilvo
