#include "app/tray_menu.h"

#include <algorithm>
#include <optional>
#include <string>

#include "app/autostart.h"
#include "app/autostart_rules.h"
#include "app/main_window.h"
#include "app/overview_views.h"
#include "base/text.h"
#include "commands/session_commands.h"
#include "core/production.h"
#include "commands/win32_session_menu.h"
#include "platform/scoped_win.h"
#include "platform/wide_text.h"
#include "resources/resource_ids.h"
#include "settings/settings.h"
#include "views/docked_toolbar.h"

namespace quilvo {

namespace {

// The alphas of the four Opacity commands.
constexpr int kOpacityNone = 255;
constexpr int kOpacityLow = 200;
constexpr int kOpacityMid = 150;
constexpr int kOpacityHigh = 72;

// Set while the tray menu is tracked.
class FlagScope {
public:
    explicit FlagScope(bool& flag) : flag_(flag) { flag_ = true; }
    ~FlagScope() { flag_ = false; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    bool& flag_;
};

}  // namespace

Snapshot TrayMenu::Now() const {
    return parts_.cycle != nullptr ? parts_.cycle->Current() : std::make_shared<const SessionSnapshot>();
}

void TrayMenu::SetOpacity(int opacity) {
    ApplyOpacity(parts_.mainWindow, opacity);
    WriteProfileInt(kAppSection, kKeyOpacity, opacity);
}

void TrayMenu::ToggleDocked() {
    if (parts_.docked) parts_.docked->flag = parts_.docked->flag ? 0 : 1;
    // Without a discovery pass: the sessions stay as the last pass found them.
    if (parts_.cycle) parts_.cycle->Refresh();
}

void TrayMenu::Show(HWND trayHost) {
    if (open_) return;
    FlagScope open(open_);
    {
        const PopupMenu menu(IDM_TRAY);
        if (HMENU popup = menu.popup) {
            MenuSessions built;
            BuildSessionMenu(popup, *Now(), built);
            const Snapshot sessions = Now();
            InsertReopenItems(popup, parts_.reopenEntries ? parts_.reopenEntries() : std::vector<std::string>());
            InsertProductionItems(popup, *sessions);
            InsertFindItem(popup, parts_.findKeys ? parts_.findKeys() : std::string());
            // Read when the menu opens: the value may have been changed by hand meanwhile.
            InsertStartItem(popup, StartsWithWindows(), PolicyInForce().startWithWindows.has_value());
            InsertDiagnosticsItem(popup);
            // A tracked menu closes when the user clicks elsewhere only if its owner is the
            // foreground window.
            SetForegroundWindow(trayHost);
            const UINT id = menu.TrackAtPointer(trayHost);
            // A pass may have run while the menu was open: the command sees the sessions as
            // they are now.
            CarryOut(id, id != 0 ? ItemDataByCommand(popup, id) : 0, built);
        }
    }
    // The owner must get a message once the menu is gone, or the next menu may not close when
    // the user clicks elsewhere (after Exit there is no owner left, and no next menu).
    PostMessageA(trayHost, WM_NULL, 0, 0);
}

void TrayMenu::OnIcon(HWND trayHost, TrayIconAction action) {
    // Sent by another program (the taskbar, or any other): it is answered before the menu's
    // own message loop runs, so the sender is not held for as long as the menu is open.
    if (InSendMessage()) ReplyMessage(0);
    if (action == TrayIconAction::Refresh) {
        if (parts_.cycle) parts_.cycle->DiscoverAndRefresh();
    } else if (action == TrayIconAction::OpenMenu) {
        Show(trayHost);
    }
}

void InsertReopenItems(HMENU trayPopup, const std::vector<std::string>& entries) {
    if (entries.empty()) return;
    ScopedMenu owned(CreatePopupMenu());
    if (!owned) return;
    const std::size_t room = ID_TRAY_REOPEN_LAST - ID_TRAY_REOPEN + 1;
    for (std::size_t i = 0; i < entries.size() && i < room; ++i) {
        AppendMenuA(owned.get(), MF_STRING, ID_TRAY_REOPEN + static_cast<UINT>(i), entries[i].c_str());
    }
    HMENU popup = owned.get();
    if (InsertMenuA(trayPopup, ID_TRAY_EXIT, MF_BYCOMMAND | MF_POPUP, reinterpret_cast<UINT_PTR>(popup), "&Reopen")) {
        (void)owned.release();
    }
}

void TrayMenu::InsertProductionItems(HMENU trayPopup, const SessionSnapshot& sessions) {
    const ProductionSystems production = ReadProduction();
    productionEntries_.clear();
    const auto add = [&](const std::string& entry) {
        const bool listed = std::any_of(productionEntries_.begin(), productionEntries_.end(),
                                        [&](const std::string& e) { return EqualsNoCase(e.c_str(), entry.c_str()); });
        const bool room = productionEntries_.size() <= static_cast<std::size_t>(ID_TRAY_PRODUCTION_LAST - ID_TRAY_PRODUCTION);
        if (!entry.empty() && !listed && room) productionEntries_.push_back(entry);
    };
    for (const SessionRecord& r : sessions.sessions) add(r.system);
    for (const std::string& system : production.Systems()) add(system);
    for (const std::string& pair : production.Pairs()) add(pair);
    ScopedMenu owned(CreatePopupMenu());
    if (!owned) return;
    // The administrator's list is shown as it is, and the user changes nothing of it.
    const UINT entryState = ProductionByPolicy() ? MF_GRAYED : 0;
    for (std::size_t i = 0; i < productionEntries_.size(); ++i) {
        const std::string& entry = productionEntries_[i];
        const bool checked = entry.find('/') != std::string::npos || production.NamesSystem(entry.c_str());
        AppendMenuA(owned.get(), MF_STRING | entryState | (checked ? MF_CHECKED : MF_UNCHECKED),
                    ID_TRAY_PRODUCTION + static_cast<UINT>(i), entry.c_str());
    }
    // The menu owns the pop-up once it is in it.
    HMENU popup = owned.get();
    const UINT state = productionEntries_.empty() ? MF_GRAYED : 0;
    if (InsertMenuA(trayPopup, ID_TRAY_EXIT, MF_BYCOMMAND | MF_POPUP | state, reinterpret_cast<UINT_PTR>(popup),
                    "&Production systems")) {
        (void)owned.release();
    }
}

void TrayMenu::ToggleProduction(UINT id) {
    const std::size_t at = id - ID_TRAY_PRODUCTION;
    if (at >= productionEntries_.size() || ProductionByPolicy()) return;
    // The key as it is now: it may have been edited by hand since the menu opened.
    ProductionSystems production = ReadProduction();
    production.Toggle(productionEntries_[at]);
    WriteProduction(production);
    if (parts_.cycle) {
        parts_.cycle->ForceRebuild();
        parts_.cycle->Refresh();
    }
}

bool TrayMenu::MayClose(const std::vector<const SessionRecord*>& closing) const {
    const std::string question = CloseQuestionFor(closing);
    return question.empty() || (parts_.confirmClose && parts_.confirmClose(question));
}

void InsertFindItem(HMENU trayPopup, const std::string& keys) {
    const std::string text = "&Find session..." + (keys.empty() ? std::string() : "\t" + keys);
    InsertMenuA(trayPopup, ID_TRAY_EXIT, MF_BYCOMMAND | MF_STRING, ID_TRAY_FIND, text.c_str());
}

void InsertDiagnosticsItem(HMENU trayPopup) {
    // Next to "&About", where support is looked for; the entries counted from the bottom of
    // the menu stay where they were.
    InsertMenuA(trayPopup, ID_TRAY_SHOWALL, MF_BYCOMMAND | MF_STRING, ID_TRAY_DIAGNOSTICS, "Save dia&gnostics");
}

void InsertStartItem(HMENU trayPopup, bool checked, bool grayed) {
    InsertMenuA(trayPopup, ID_TRAY_EXIT,
                MF_BYCOMMAND | MF_STRING | (checked ? MF_CHECKED : MF_UNCHECKED) | (grayed ? MF_GRAYED : 0),
                ID_TRAY_AUTOSTART, "Start with &Windows");
}

namespace {

// The session class counts only when one was given: a start without one has the value
// "Quilvo", whatever class it looks for. The class came through the ANSI calls, so its
// name reads as an older version wrote it through them.
std::string OwnRunValueName(const TrayMenuParts& parts) {
    return RunValueName(parts.arguments[0] != '\0' ? Utf8FromAnsi(parts.sessionClass).c_str() : "");
}

}  // namespace

bool TrayMenu::StartsWithWindows() const {
    if (PolicyInForce().startWithWindows) return *PolicyInForce().startWithWindows != 0;
    const std::string program = ThisProgramPath();
    return !program.empty() && StartsAtLogOn(RunKey{}, OwnRunValueName(parts_), program);
}

void TrayMenu::ApplyStartPolicy() {
    const std::optional<int> forced = PolicyInForce().startWithWindows;
    const std::string program = ThisProgramPath();
    if (!forced || program.empty()) return;
    const std::string command = RunCommand(program.c_str(), parts_.arguments);
    ForceRunValue(RunKey{}, OwnRunValueName(parts_), program, command, *forced != 0);
}

void TrayMenu::SwitchStartWithWindows() {
    // The administrator decides; a grayed item can still be chosen by other means.
    if (PolicyInForce().startWithWindows) return;
    const std::string program = ThisProgramPath();
    if (program.empty()) return;
    SwitchRunEntry(RunKey{}, OwnRunValueName(parts_), program, RunCommand(program.c_str(), parts_.arguments));
}

void TrayMenu::CarryOut(UINT id, std::uintptr_t itemData, const MenuSessions& built) {
    const Snapshot now = Now();
    const SessionSnapshot& sessions = *now;
    SessionWindowOps* ops = parts_.ops;
    const auto run = [](const std::function<void()>& f) {
        if (f) f();
    };
    switch (id) {
        case 0: break;
        case ID_TRAY_EXIT: run(parts_.exit); break;
        case ID_TRAY_ABOUT: run(parts_.about); break;
        case ID_TRAY_FIND: run(parts_.find); break;
        case ID_TRAY_DIAGNOSTICS: run(parts_.saveDiagnostics); break;
        case ID_TRAY_AUTOSTART: SwitchStartWithWindows(); break;
        case ID_TRAY_SHOWALL:
            if (ops) ShowAllSessions(sessions, kShowRestore, *ops);
            break;
        case ID_TRAY_ICONIZEALL:
            if (ops) ShowAllSessions(sessions, kShowMinimize, *ops);
            break;
        case ID_TRAY_HIDEALL:
            if (ops) ShowAllSessions(sessions, kShowHide, *ops);
            break;
        case ID_TRAY_DESTROYALL: {
            std::vector<const SessionRecord*> all;
            for (const SessionRecord& r : sessions.sessions) all.push_back(&r);
            // Asked while a pass may publish anew: what is closed is what the snapshot holds then.
            if (ops && MayClose(all)) ShowAllSessions(*Now(), kShowClose, *ops);
            break;
        }
        // No toolbar or tool-column view is ever made: these have nothing to show.
        case ID_TRAY_TOOLBAR:
        case ID_TRAY_TOOLCOLUMN: break;
        case ID_TRAY_TOOLWINDOW:
            if (parts_.views) parts_.views->ShowToolWindow();
            break;
        case ID_TRAY_SINGLEBOX:
            if (parts_.views) parts_.views->ShowSingle();
            break;
        case ID_TRAY_DOCKED: ToggleDocked(); break;
        case ID_TRAY_OPACITY_NONE: SetOpacity(kOpacityNone); break;
        case ID_TRAY_OPACITY_LOW: SetOpacity(kOpacityLow); break;
        case ID_TRAY_OPACITY_MID: SetOpacity(kOpacityMid); break;
        case ID_TRAY_OPACITY_HIGH: SetOpacity(kOpacityHigh); break;
        default:
            if (id >= ID_TRAY_PRODUCTION && id <= ID_TRAY_PRODUCTION_LAST) {
                ToggleProduction(id);
            } else if (id >= ID_TRAY_REOPEN && id <= ID_TRAY_REOPEN_LAST) {
                if (parts_.reopen) parts_.reopen(id - ID_TRAY_REOPEN);
            } else if (ops && MayClose(SessionsClosedBy(sessions, built, static_cast<int>(id), itemData))) {
                DispatchSessionCommand(*Now(), built, static_cast<int>(id), itemData, *ops);
            }
            break;
    }
}

}  // namespace quilvo
