// The upper part of the tray menu, built anew from the snapshot of the moment each time the menu
// opens: one entry per session, and four pop-ups offering the distinct server groups and
// systems for restoring or closing all their sessions at once. Also the decoding of the
// command that comes back into a group command.
//
// The menu is reached through MenuOps, so the building and the de-duplication run the same
// against the real menus (win32_session_menu.cpp) and an in-memory menu in the unit tests.
#pragma once

#include <cstdint>
#include <vector>

#include "commands/session_commands.h"
#include "core/snapshot.h"

namespace quilvo {

using MenuHandle = std::uintptr_t;
constexpr MenuHandle kNoMenu = 0;

// Command ids: a base plus the session's position in the snapshot (0 to 49). The bases are 1001 apart,
// so the ranges never overlap. A pop-up's own title carries the bare base.
constexpr int kSessionEntryBase = 200;
constexpr int kRestoreServerGroupBase = 12003;
constexpr int kDestroyServerGroupBase = 13004;
constexpr int kRestoreSystemBase = 14005;
constexpr int kDestroySystemBase = 15006;

constexpr const char* kRestoreServerGroupTitle = "Restore Server Group";
constexpr const char* kRestoreSystemsTitle = "Restore Systems";
constexpr const char* kDestroyServerGroupTitle = "Destroy Server Group";
constexpr const char* kDestroySystemsTitle = "Destroy Systems";

// A session entry's text buffer, terminator included.
constexpr int kEntryTextCapacity = 256;
// FindMenuText reads at most 253 characters of an item's text.
constexpr int kFindTextBufferSize = 254;

// One item as InsertMenuItemA takes it.
struct MenuItemDesc {
    bool separator = false;
    unsigned state = 0;
    int id = 0;
    MenuHandle popup = kNoMenu;  // the item opens this pop-up
    std::uintptr_t data = 0;     // item data
    const char* text = nullptr;
};

class MenuOps {
public:
    virtual ~MenuOps() = default;
    // An empty pop-up menu (CreateMenu); kNoMenu when none can be made.
    virtual MenuHandle CreatePopup() = 0;
    // Gives back a pop-up that could not be attached to the menu.
    virtual void DestroyPopup(MenuHandle popup) = 0;
    // A string item with an id and no item data, by position (InsertMenuA, MF_BYPOSITION).
    virtual bool InsertString(MenuHandle menu, int position, int id, const char* text) = 0;
    // A fully described item by position (InsertMenuItemA). A position at or past the end
    // appends.
    virtual bool InsertItem(MenuHandle menu, int position, const MenuItemDesc& item) = 0;
    // Number of items (GetMenuItemCount); negative when the menu cannot be read.
    virtual int ItemCount(MenuHandle menu) = 0;
    // The text of the item at position, cut to size - 1 characters (GetMenuItemInfoA by
    // position); its length, 0 for an item without text or one that cannot be read.
    virtual int ItemText(MenuHandle menu, int position, char* buffer, int size) = 0;
};

// A session entry's text, "%s [%s:%s]   %s" of System, Server group, Client and title.
// text holds the previous entry's text on entry ("" before the first); when System and
// title together are 256 characters or more it is left as it is, so the entry repeats the
// one before it. A formatted text longer than 255 characters is cut to 255, losing the end
// of the title.
void FormatSessionEntry(const SessionRecord& record, char (&text)[kEntryTextCapacity]);

// Inserts one string item at position with state, id (0: 200 + position), the pop-up when
// given, item data = the position and the text. Returns the platform's result, or 0 without
// inserting when the menu or the text is missing.
int AddMenuEntry(MenuOps& menus, MenuHandle menu, MenuHandle popup, const char* text, unsigned state,
                 int position, int id);

// The position of the item whose text equals text without regard to case, or -1. Items
// without text never match, so an empty text is never found.
int FindMenuText(MenuOps& menus, MenuHandle menu, const char* text);

// AddMenuEntry only when menu and text are given and the text is not in the menu yet.
int AddUniqueMenuEntry(MenuOps& menus, MenuHandle menu, MenuHandle popup, const char* text, unsigned state,
                       int position, int id);

// The sessions a menu was built from, by position. The menu's ids carry positions; a pass
// while the menu is open may publish another snapshot, so a chosen position is read here
// and names the session the user saw, wherever it stands when the command comes back.
struct MenuSessions {
    WindowHandle windows[kTableCapacity] = {};
    int count = 0;

    // The session shown at a position; none outside the menu's entries.
    WindowHandle At(long long position) const {
        return position >= 0 && position < count ? windows[position] : kNoWindow;
    }
};

// Inserts at the top of the tray menu's pop-up: the session entries in the snapshot's order, two
// separators, "Restore Server Group", "Restore Systems", a separator, "Destroy Server Group"
// and "Destroy Systems", and notes in built which session each position shows. The four
// pop-ups then belong to the tray menu. Returns n + 7 for n sessions; 0, inserting nothing,
// without a pop-up.
int BuildSessionMenu(MenuOps& menus, MenuHandle trayPopup, const SessionSnapshot& snapshot, MenuSessions& built);

// Carries out a chosen session menu command on the snapshot of now, for the session the
// chosen position showed when the menu was built: a session entry restores every session
// with that session's title and brings it to the top; anything else goes to
// DispatchGroupItem. A session that has gone since acts on nothing. Returns 0.
int DispatchSessionCommand(const SessionSnapshot& snapshot, const MenuSessions& built, int id, std::uintptr_t itemData,
                           SessionWindowOps& ops);

// A pop-up entry: id minus item data names the pop-up, the item data the position of the
// session whose Server group or System (as the snapshot holds it now) is restored or closed.
// Returns 0.
int DispatchGroupItem(const SessionSnapshot& snapshot, const MenuSessions& built, std::uintptr_t itemData, int id,
                      SessionWindowOps& ops);

// The sessions a chosen session menu command would close ("Destroy Server Group", "Destroy
// Systems"), as the snapshot holds them now; none for any other command.
std::vector<const SessionRecord*> SessionsClosedBy(const SessionSnapshot& snapshot, const MenuSessions& built, int id,
                                                   std::uintptr_t itemData);

}  // namespace quilvo
