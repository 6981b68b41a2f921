// The notification icon's callback and the tray menu: a left click opens the menu (resource
// 102 under the session entries and group pop-ups), a right press refreshes at once. The menu
// is handed everything its commands act on when it is made, and reaches for nothing else.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/tray_rules.h"
#include "commands/session_menu.h"
#include "core/refresh.h"
#include "core/snapshot.h"

namespace quilvo {

class DockedViews;
class OverviewViews;

// What the tray menu's commands act on; all of it outlives the menu.
struct TrayMenuParts {
    RefreshCycle* cycle = nullptr;  // the sessions of the moment, a refresh
    SessionWindowOps* ops = nullptr;
    OverviewViews* views = nullptr;
    DockedViews* docked = nullptr;
    HWND mainWindow = nullptr;  // its opacity
    std::function<void()> exit;
    std::function<void()> about;
    std::function<void()> find;
    // The find hotkey in force ("Ctrl+Alt+Space"), empty when there is none.
    std::function<std::string()> findKeys;
    // "Save dia&gnostics": writes the support file and shows it.
    std::function<void()> saveDiagnostics;
    // The argument text as received (UTF-8 of the wide command line: a path outside the ANSI
    // code page stays whole) and the session class: the command that starts the program with
    // Windows repeats them.
    const char* arguments = "";
    const char* sessionClass = "";
    // Asks before sessions of a production system are closed; true: close them. None: they
    // are not closed.
    std::function<bool(const std::string& question)> confirmClose;
    // The entries of "&Reopen", one per logon whose sessions are offered back (none: the menu
    // has no such pop-up), and what choosing the entry at a position does.
    std::function<std::vector<std::string>()> reopenEntries;
    std::function<void(std::size_t entry)> reopen;
};

class TrayMenu {
public:
    explicit TrayMenu(TrayMenuParts parts) : parts_(std::move(parts)) {}
    TrayMenu(const TrayMenu&) = delete;
    TrayMenu& operator=(const TrayMenu&) = delete;

    // What the tray host's callback message 1124 asked for (app/tray_rules.h): a refresh at
    // once, or the tray menu.
    void OnIcon(HWND trayHost, TrayIconAction action);
    // Carries out a command chosen from the tray menu: 0 does nothing, the resource's commands
    // their own work, any other id is a session menu command with the chosen item's data, for
    // the sessions the menu was built from.
    void CarryOut(UINT id, std::uintptr_t itemData, const MenuSessions& built);

    // Whether the value under the user's Run key starts this program as it was started and
    // Task Manager has not turned it off; the tray command switches it (app/autostart.h:
    // SwitchRunEntry). While the policy StartWithWindows is set, its state is shown and the
    // command does nothing.
    bool StartsWithWindows() const;
    void SwitchStartWithWindows();
    // Makes the Run value what the policy StartWithWindows says, when it says anything: at
    // start and whenever the policy changes.
    void ApplyStartPolicy();

private:
    // The sessions of the moment.
    Snapshot Now() const;
    void Show(HWND trayHost);
    // "&Production systems" above "&Find session...": a checked entry per production System
    // or System and Client, an unchecked one per other System of the sessions open now.
    void InsertProductionItems(HMENU trayPopup, const SessionSnapshot& sessions);
    // The entry chosen is toggled in PRODUCTION, which is written; the boxes regroup at once.
    // Nothing is written while the policy Production is set.
    void ToggleProduction(UINT id);
    // True when the sessions may be closed: none is of a production system, or the user said Yes.
    bool MayClose(const std::vector<const SessionRecord*>& closing) const;
    void SetOpacity(int opacity);
    void ToggleDocked();

    TrayMenuParts parts_;
    bool open_ = false;  // tracked: a click on the icon then is answered by the open menu
    std::vector<std::string> productionEntries_;  // the entries of the menu shown last, by id
};

// "&Reopen" right above "E&xit" with an entry per logon whose sessions are offered back
// (entries "PRD 100 ANNA: FBL1N, SE16", ids ID_TRAY_REOPEN + n); nothing when there are none.
void InsertReopenItems(HMENU trayPopup, const std::vector<std::string>& entries);

// "&Find session..." right above "E&xit", followed by a tab and keys when a find hotkey is in
// force (keys empty: none is).
void InsertFindItem(HMENU trayPopup, const std::string& keys);

// "Save dia&gnostics" right below "&About".
void InsertDiagnosticsItem(HMENU trayPopup);

// "Start with &Windows" right above "E&xit", checked when the program starts at log-on,
// grayed when the administrator's policy decides it.
void InsertStartItem(HMENU trayPopup, bool checked, bool grayed = false);

}  // namespace quilvo
