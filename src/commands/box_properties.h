// The box properties dialog (resource 110): the System, Client, User and Transaction that
// select a box's sessions. Modeless; any number may be open, also for one box, and the last
// one confirmed wins. OK stores the four texts as the box's filter and "Selection" and
// rebuilds the box lists at once; Cancel, Escape and the close box store nothing. An ended
// dialog is destroyed, so opening it again and again leaves no windows behind.
#pragma once

#include <windows.h>

namespace quilvo {

// Opens a further dialog for a box (0 to 5), owned by the panel's window, filled from the
// box's stored Selection. The panel's "Properties" item calls it.
void OpenBoxProperties(HWND owner, int boxIndex);

// Fills the four edit controls of a dialog from a Selection text.
void FillPropertiesFields(const char* selection, HWND dialog);

INT_PTR CALLBACK PropertiesDialog(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) noexcept;

}  // namespace quilvo
