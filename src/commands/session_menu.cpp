#include "commands/session_menu.h"

#include <cstddef>
#include <cstdio>

#include "base/text.h"

namespace quilvo {

namespace {

// A record's field as a terminated text, even when the field is filled to its last byte.
template <std::size_t N>
struct Field {
    explicit Field(const char (&src)[N]) { CopyCut(text, N + 1, src); }
    char text[N + 1];
};

bool InsertSeparator(MenuOps& menus, MenuHandle menu, int position) {
    MenuItemDesc item;
    item.separator = true;
    item.data = static_cast<std::uint16_t>(position);
    return menus.InsertItem(menu, position, item);
}

// Attaches a pop-up under its title; a pop-up that cannot be attached is given back.
void AddGroupPopup(MenuOps& menus, MenuHandle trayPopup, MenuHandle popup, const char* title, int position,
                   int id) {
    if (AddMenuEntry(menus, trayPopup, popup, title, 0, position, id) == 0 && popup != kNoMenu) {
        menus.DestroyPopup(popup);
    }
}

}  // namespace

void FormatSessionEntry(const SessionRecord& r, char (&text)[kEntryTextCapacity]) {
    const std::size_t systemLength = BoundedLength(r.system, sizeof r.system);
    const std::size_t titleLength = BoundedLength(r.title, sizeof r.title);
    if (systemLength + titleLength >= static_cast<std::size_t>(kEntryTextCapacity)) return;
    const Field<sizeof r.serverGroup> group(r.serverGroup);
    const Field<sizeof r.client> client(r.client);
    // Cut to the buffer: the end of a long title is lost, System, Server group and Client stay.
    std::snprintf(text, sizeof text, "%.*s [%s:%s]   %.*s", static_cast<int>(systemLength), r.system, group.text,
                  client.text, static_cast<int>(titleLength), r.title);
}

int AddMenuEntry(MenuOps& menus, MenuHandle menu, MenuHandle popup, const char* text, unsigned state,
                 int position, int id) {
    if (menu == kNoMenu || text == nullptr) return 0;
    MenuItemDesc item;
    item.state = state;
    item.id = id != 0 ? id : kSessionEntryBase + position;
    item.popup = popup;
    item.data = static_cast<std::uint16_t>(position);
    item.text = text;
    return menus.InsertItem(menu, position, item) ? 1 : 0;
}

int FindMenuText(MenuOps& menus, MenuHandle menu, const char* text) {
    if (menu == kNoMenu || text == nullptr) return -1;
    for (int position = menus.ItemCount(menu) - 1; position >= 0; --position) {
        char itemText[kFindTextBufferSize] = {};
        if (menus.ItemText(menu, position, itemText, sizeof itemText) < 1) continue;
        if (EqualsNoCase(itemText, text)) return position;
    }
    return -1;
}

int AddUniqueMenuEntry(MenuOps& menus, MenuHandle menu, MenuHandle popup, const char* text, unsigned state,
                       int position, int id) {
    if (menu == kNoMenu || text == nullptr || FindMenuText(menus, menu, text) != -1) return 0;
    return AddMenuEntry(menus, menu, popup, text, state, position, id);
}

int BuildSessionMenu(MenuOps& menus, MenuHandle trayPopup, const SessionSnapshot& snapshot, MenuSessions& built) {
    built = MenuSessions{};
    if (trayPopup == kNoMenu) return 0;
    const MenuHandle restoreGroup = menus.CreatePopup();
    const MenuHandle restoreSystem = menus.CreatePopup();
    const MenuHandle destroyGroup = menus.CreatePopup();
    const MenuHandle destroySystem = menus.CreatePopup();

    char text[kEntryTextCapacity] = "";
    int n = 0;
    for (; n < kTableCapacity && n < snapshot.Count(); ++n) {
        const SessionRecord& r = snapshot.sessions[static_cast<std::size_t>(n)];
        built.windows[n] = r.window;
        built.count = n + 1;
        FormatSessionEntry(r, text);
        menus.InsertString(trayPopup, n, kSessionEntryBase + n, text);
        // Position n is at or past the end of each pop-up: a new entry goes to its end, and an
        // entry carries the position of the first session with its text.
        const Field<sizeof r.serverGroup> group(r.serverGroup);
        const Field<sizeof r.system> system(r.system);
        AddUniqueMenuEntry(menus, restoreGroup, kNoMenu, group.text, 0, n, kRestoreServerGroupBase + n);
        AddUniqueMenuEntry(menus, restoreSystem, kNoMenu, system.text, 0, n, kRestoreSystemBase + n);
        AddUniqueMenuEntry(menus, destroyGroup, kNoMenu, group.text, 0, n, kDestroyServerGroupBase + n);
        AddUniqueMenuEntry(menus, destroySystem, kNoMenu, system.text, 0, n, kDestroySystemBase + n);
    }

    InsertSeparator(menus, trayPopup, n);
    InsertSeparator(menus, trayPopup, n + 1);
    AddGroupPopup(menus, trayPopup, restoreGroup, kRestoreServerGroupTitle, n + 2, kRestoreServerGroupBase);
    AddGroupPopup(menus, trayPopup, restoreSystem, kRestoreSystemsTitle, n + 3, kRestoreSystemBase);
    InsertSeparator(menus, trayPopup, n + 4);
    AddGroupPopup(menus, trayPopup, destroyGroup, kDestroyServerGroupTitle, n + 5, kDestroyServerGroupBase);
    AddGroupPopup(menus, trayPopup, destroySystem, kDestroySystemsTitle, n + 6, kDestroySystemBase);
    return n + 7;
}

int DispatchSessionCommand(const SessionSnapshot& snapshot, const MenuSessions& built, int id, std::uintptr_t itemData,
                           SessionWindowOps& ops) {
    if (id < kRestoreServerGroupBase) {
        // GroupCommand finds the session by its window in the snapshot of now; one that
        // has gone (or a position without an entry, window 0) is found nowhere.
        GroupCommand(snapshot, built.At(static_cast<long long>(id) - kSessionEntryBase), kGroupRestore, kGroupByTitle,
                     ops);
        return 0;
    }
    return DispatchGroupItem(snapshot, built, itemData, id, ops);
}

namespace {

struct GroupItem {
    WindowHandle chosen = kNoWindow;
    int action = 0;
    int field = 0;
};

// A pop-up entry: id minus item data names the pop-up, the item data the position of the
// session shown there when the menu was built. False for an id no pop-up gives.
bool DecodeGroupItem(const MenuSessions& built, std::uintptr_t itemData, int id, GroupItem& out) {
    if (itemData >= static_cast<std::uintptr_t>(kTableCapacity)) return false;
    const long long position = static_cast<long long>(itemData);
    switch (static_cast<long long>(id) - position) {
        case kRestoreServerGroupBase: out = {kNoWindow, kGroupRestore, kGroupByServerGroup}; break;
        case kDestroyServerGroupBase: out = {kNoWindow, kGroupClose, kGroupByServerGroup}; break;
        case kRestoreSystemBase: out = {kNoWindow, kGroupRestore, kGroupBySystem}; break;
        case kDestroySystemBase: out = {kNoWindow, kGroupClose, kGroupBySystem}; break;
        default: return false;
    }
    out.chosen = built.At(position);
    return true;
}

}  // namespace

int DispatchGroupItem(const SessionSnapshot& snapshot, const MenuSessions& built, std::uintptr_t itemData, int id,
                      SessionWindowOps& ops) {
    GroupItem item;
    if (DecodeGroupItem(built, itemData, id, item)) GroupCommand(snapshot, item.chosen, item.action, item.field, ops);
    return 0;
}

std::vector<const SessionRecord*> SessionsClosedBy(const SessionSnapshot& snapshot, const MenuSessions& built, int id,
                                                   std::uintptr_t itemData) {
    GroupItem item;
    if (id < kRestoreServerGroupBase || !DecodeGroupItem(built, itemData, id, item) || item.action != kGroupClose) {
        return {};
    }
    return GroupOf(snapshot, item.chosen, item.field);
}

}  // namespace quilvo
