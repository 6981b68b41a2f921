// The box properties dialog (resource 110): the System, Client, User and Transaction that
// select a box's sessions. Modeless; any number may be open, also for one box, and the last
// one confirmed wins. OK stores the four texts as the box's filter and "Selection" and
// rebuilds the box lists at once; Cancel, Escape and the close box store nothing. An ended
// dialog is destroyed, so opening it again and again leaves no windows behind.
#pragma once

#include <windows.h>

#include <functional>
#include <utility>

#include "core/boxes.h"
#include "platform/window.h"

namespace quilvo {

// The object behind every open properties dialog: a dialog keeps its box number (control
// 1005) and its texts in its controls, so one object serves them all.
class BoxPropertiesDialogs final : public Dialog<BoxPropertiesDialogs> {
public:
    // OK stores into these filters (the refresh cycle's), then runs `regroup`: every panel
    // takes the rebuild that follows, which comes at once.
    BoxPropertiesDialogs(BoxFilter (&filters)[kBoxCount], std::function<void()> regroup)
        : filters_(filters), regroup_(std::move(regroup)) {}

    // Opens a further dialog for a box (0 to 5), owned by the panel's window, filled from the
    // box's stored Selection. The panel's "Properties" item calls it.
    void Open(HWND owner, int boxIndex);

    // Dialog<BoxPropertiesDialogs>
    INT_PTR OnMessage(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) noexcept;

private:
    void OnOk(HWND dialog);

    BoxFilter (&filters_)[kBoxCount];
    std::function<void()> regroup_;
};

// Fills the four edit controls of a dialog from a Selection text.
void FillPropertiesFields(const char* selection, HWND dialog);

}  // namespace quilvo
