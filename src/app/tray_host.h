// The tray host: a hidden dialog (resource 104) that owns the notification icon and the
// refresh timer, takes the icon's callback, and shows itself as the About box. Exit, the end
// the tray menu offers, lives here too.
#pragma once

#include <windows.h>

#include "platform/window.h"

namespace quilvo {

class TrayHost final : public Dialog<TrayHost> {
public:
    // Makes the dialog, which adds the icon (resource iconId) as it starts.
    HWND Create(HINSTANCE instance, int iconId);
    HWND Handle() const { return dialog_; }

    // Centres the tray host on the screen and shows it as the About box.
    void ShowAbout();
    // The About box's lines that say which hotkeys are in force.
    void SetHotkeyLines(const char* find, const char* boxes);

    // Dialog<TrayHost>
    INT_PTR OnMessage(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) noexcept;
    void OnWindowGone(HWND) noexcept { dialog_ = nullptr; }

private:
    INT_PTR OnInitDialog(HWND dialog);
    // Each text line of the About box made as wide as its text in the box's font, and the box
    // as wide as its widest line: a hotkey line runs to some ninety characters.
    void FitLines();
    void AddIcon(HWND dialog);
    // The icon's callback: lParam's low word is the event in either layout of the shell's.
    void OnIcon(HWND dialog, LPARAM lp);

    HWND dialog_ = nullptr;
    // When the last left and right button ups on the icon came (GetTickCount), to know the
    // shell's echoes of them; none yet.
    DWORD leftUpAt_ = 0;
    DWORD rightUpAt_ = 0;
    bool leftUpSeen_ = false;
    bool rightUpSeen_ = false;
    HICON icon_ = nullptr;     // kept to add the icon again
    UINT taskbarCreated_ = 0;  // the shell's "TaskbarCreated" message
};

// Exit: every session shown, the refresh timer stopped, the views torn down (they write their
// sections), the main window shown, the tray host and the main window destroyed (the icon
// goes, the main window's position is written); the message loop then ends.
void RunExitSequence();

}  // namespace quilvo
