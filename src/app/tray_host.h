// The tray host: a hidden dialog (resource 104) that owns the notification icon and the
// refresh timer, takes the icon's callback and the hotkeys, and shows itself as the About box.
// It knows only its owner, to whom it hands what the user asked for.
#pragma once

#include <windows.h>

#include "app/tray_rules.h"
#include "platform/window.h"

namespace quilvo {

// What the tray host hands on.
class TrayOwner {
public:
    // The icon asked for the tray menu or a refresh at once.
    virtual void OnTrayIcon(HWND trayHost, TrayIconAction action) = 0;
    // A click on the icon's notice.
    virtual void OnNoticeClicked() = 0;
    virtual void OnHotkey(int id) = 0;
    // Windows said the administrator's policy changed (outside any wait of the program).
    virtual void OnPolicyChanged() = 0;

protected:
    ~TrayOwner() = default;
};

class TrayHost final : public Dialog<TrayHost> {
public:
    // Makes the dialog, which adds the icon (resource iconId) as it starts. The owner must
    // outlive the dialog's window.
    HWND Create(HINSTANCE instance, int iconId, TrayOwner& owner);
    HWND Handle() const { return dialog_; }

    // Centres the tray host on the screen and shows it as the About box.
    void ShowAbout();
    // The About box's lines that say which hotkeys are in force.
    void SetHotkeyLines(const char* find, const char* boxes);
    // The About box's line that names what the administrator's policy holds ("" for none).
    void SetPolicyLine(const char* text);

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
    TrayOwner* owner_ = nullptr;
    // When the last left and right button ups on the icon came (GetTickCount), to know the
    // shell's echoes of them; none yet.
    DWORD leftUpAt_ = 0;
    DWORD rightUpAt_ = 0;
    bool leftUpSeen_ = false;
    bool rightUpSeen_ = false;
    HICON icon_ = nullptr;     // kept to add the icon again
    UINT taskbarCreated_ = 0;  // the shell's "TaskbarCreated" message
};

}  // namespace quilvo
