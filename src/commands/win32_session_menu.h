// The session menu on real menus: the menu operations through the platform's own calls.
#pragma once

#include <windows.h>

#include <cstdint>

#include "commands/session_menu.h"

namespace quilvo {

class Win32MenuOps final : public MenuOps {
public:
    MenuHandle CreatePopup() override;
    void DestroyPopup(MenuHandle popup) override;
    bool InsertString(MenuHandle menu, int position, int id, const char* text) override;
    bool InsertItem(MenuHandle menu, int position, const MenuItemDesc& item) override;
    int ItemCount(MenuHandle menu) override;
    int ItemText(MenuHandle menu, int position, char* buffer, int size) override;
};

// BuildSessionMenu on the tray menu's pop-up.
int BuildSessionMenu(HMENU trayPopup, const SessionSnapshot& snapshot, MenuSessions& built);

// The item data of the item with this command id, searching the pop-ups as well; 0 when
// there is no such item. An entry of a pop-up is found before a pop-up title of the same id.
std::uintptr_t ItemDataByCommand(HMENU menu, UINT id);

}  // namespace quilvo
