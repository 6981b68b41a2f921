#include "commands/win32_session_menu.h"

namespace quilvo {

static HMENU ToHmenu(MenuHandle menu) { return reinterpret_cast<HMENU>(menu); }

MenuHandle Win32MenuOps::CreatePopup() { return reinterpret_cast<MenuHandle>(CreateMenu()); }

void Win32MenuOps::DestroyPopup(MenuHandle popup) { DestroyMenu(ToHmenu(popup)); }

bool Win32MenuOps::InsertString(MenuHandle menu, int position, int id, const char* text) {
    return InsertMenuA(ToHmenu(menu), static_cast<UINT>(position), MF_BYPOSITION | MF_STRING,
                       static_cast<UINT_PTR>(id), text) != FALSE;
}

bool Win32MenuOps::InsertItem(MenuHandle menu, int position, const MenuItemDesc& item) {
    MENUITEMINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STATE | MIIM_ID | MIIM_TYPE | MIIM_DATA;
    info.fType = item.separator ? MFT_SEPARATOR : MFT_STRING;
    info.fState = item.state;
    info.wID = static_cast<UINT>(item.id);
    info.dwItemData = static_cast<ULONG_PTR>(item.data);
    if (!item.separator) {
        info.dwTypeData = const_cast<char*>(item.text);
        info.cch = static_cast<UINT>(lstrlenA(item.text));
    }
    if (item.popup != kNoMenu) {
        info.fMask |= MIIM_SUBMENU;
        info.hSubMenu = ToHmenu(item.popup);
    }
    return InsertMenuItemA(ToHmenu(menu), static_cast<UINT>(position), TRUE, &info) != FALSE;
}

int Win32MenuOps::ItemCount(MenuHandle menu) { return GetMenuItemCount(ToHmenu(menu)); }

int Win32MenuOps::ItemText(MenuHandle menu, int position, char* buffer, int size) {
    if (size < 1) return 0;
    buffer[0] = '\0';
    MENUITEMINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_TYPE;
    info.dwTypeData = buffer;
    info.cch = static_cast<UINT>(size);
    if (!GetMenuItemInfoA(ToHmenu(menu), static_cast<UINT>(position), TRUE, &info)) return 0;
    // A separator or a picture has no text; the buffer is then left untouched.
    if ((info.fType & (MFT_SEPARATOR | MFT_BITMAP | MFT_OWNERDRAW)) != 0) {
        buffer[0] = '\0';
        return 0;
    }
    buffer[size - 1] = '\0';
    return lstrlenA(buffer);
}

int BuildSessionMenu(HMENU trayPopup, const SessionSnapshot& snapshot, MenuSessions& built) {
    Win32MenuOps menus;
    return BuildSessionMenu(menus, reinterpret_cast<MenuHandle>(trayPopup), snapshot, built);
}

std::uintptr_t ItemDataByCommand(HMENU menu, UINT id) {
    MENUITEMINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_DATA;
    if (!GetMenuItemInfoA(menu, id, FALSE, &info)) return 0;
    return static_cast<std::uintptr_t>(info.dwItemData);
}

}  // namespace quilvo
