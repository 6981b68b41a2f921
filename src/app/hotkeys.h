// The program's hotkeys: FIND_HOTKEY opens the find window, BOX_HOTKEYS with the digits 1 to 6
// make a box the visible desktop. They belong to the tray host, which gets their WM_HOTKEY.
#pragma once

#include <windows.h>

#include <string>

#include "core/boxes.h"
#include "settings/settings.h"

namespace quilvo {

class Hotkeys {
public:
    static constexpr int kFindId = 1;
    static constexpr int kFirstBoxId = 11;  // box 0; up to kFirstBoxId + 5

    // Registers what the settings name for owner and remembers what became of each. A key
    // that another program holds, or a text that is no key, leaves the program without it.
    void Register(HWND owner, const HotkeySettings& settings);
    void Unregister();

    // The About box lines: "Find: Ctrl+Alt+Space", "Boxes: none", ...
    std::string FindLine() const;
    std::string BoxesLine() const;
    // The find hotkey in force ("Ctrl+Alt+Space"), empty when there is none.
    std::string FindKeys() const;

private:
    HWND owner_ = nullptr;
    HotkeySettings settings_;
    bool findRegistered_ = false;
    bool boxRegistered_[kBoxCount] = {};
};

}  // namespace quilvo
