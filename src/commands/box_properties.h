// The box properties dialog (resource 110): the System, Client, User and Transaction that
// select a box's sessions. Modeless; any number may be open, also for one box, and the last
// one confirmed wins. OK stores the four texts as the box's filter and "Selection" and
// rebuilds the box lists at once; Cancel, Escape and the close box store nothing. An ended
// dialog is destroyed, so opening it again and again leaves no windows behind.
#pragma once

#include <windows.h>

#include "core/boxes.h"
#include "core/refresh.h"
#include "platform/window.h"

namespace quilvo {

// The object behind every open properties dialog: a dialog keeps its box number (control
// 1005) and its texts in its controls, so one object serves them all.
class BoxPropertiesDialogs final : public Dialog<BoxPropertiesDialogs> {
public:
    // OK stores into these filters and rebuilds through the cycle given by Use (made after
    // the views, which reach this object through their services).
    explicit BoxPropertiesDialogs(BoxFilter (&filters)[kBoxCount]) : filters_(filters) {}
    void Use(RefreshCycle& cycle) { cycle_ = &cycle; }

    // Opens a further dialog for a box (0 to 5), owned by the panel's window, filled from the
    // box's stored Selection. The panel's "Properties" item calls it.
    void Open(HWND owner, int boxIndex);

    // Dialog<BoxPropertiesDialogs>
    INT_PTR OnMessage(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) noexcept;

private:
    void OnOk(HWND dialog);

    BoxFilter (&filters_)[kBoxCount];
    RefreshCycle* cycle_ = nullptr;
};

// Fills the four edit controls of a dialog from a Selection text.
void FillPropertiesFields(const char* selection, HWND dialog);

}  // namespace quilvo
