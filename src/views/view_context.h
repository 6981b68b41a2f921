// What a view is given when it is made, and what it hands its panels and they their mini
// windows when they are made: nothing below a view reaches up for a service.
#pragma once

#include <windows.h>

#include <cstdint>

#include "commands/session_commands.h"
#include "core/monitors.h"
#include "core/snapshot.h"

namespace quilvo {

// What marks a production session, its box's panel and the frame around it when it is in
// front: a red of its own; in high contrast the user's selection colour, never a fixed one.
inline COLORREF ProductionColour(bool highContrast) {
    return highContrast ? GetSysColor(COLOR_HIGHLIGHT) : RGB(200, 0, 0);
}
// The production band along the foot of a mini window's caption band (the top of its picture
// without one), and along the top edge of a production box's panel, at 96 DPI.
constexpr int kProductionBand = 3;
constexpr int kProductionPanelBand = 2;

class BoxPropertiesDialogs;
class DragController;
class HoverTip;

// Which view a panel or mini window belongs to, fixed when the view is made.
enum class ViewKind : unsigned char {
    ToolWindow,  // the six boxes in the main window
    Single,      // the all-sessions list: "Properties" grayed
    Docked,      // the strip inside a session window: its drags move nothing
};

// What the program hands every view. All must outlive the views.
struct ViewServices {
    const SnapshotSource* sessions = nullptr;    // the sessions of the moment; none: clicks act on none
    SessionWindowOps* ops = nullptr;             // none: the clicks act on no window
    BoxPropertiesDialogs* properties = nullptr;  // none: "Properties" does nothing
    MonitorSource* monitors = nullptr;           // none: the window system's monitors
    HoverTip* tip = nullptr;                     // none: the program's one tip
    DragController* drag = nullptr;              // none: the view keeps a drag of its own
    bool (*highContrast)() = nullptr;            // none: the system's setting (HighContrastOn)
};

// Owned by the view; its panels and mini windows hold it from when they are made. The view
// keeps the second half up to date; panels write the tip flag and the zoom factor.
struct ViewContext {
    ViewKind kind = ViewKind::ToolWindow;
    const SnapshotSource* sessions = nullptr;  // never none
    SessionWindowOps* ops = nullptr;  // never none
    BoxPropertiesDialogs* properties = nullptr;
    HoverTip* tip = nullptr;          // never none
    DragController* drag = nullptr;   // never none

    RECT desktop = {};                // the virtual screen the panels map: every monitor
    MonitorList monitors;             // the monitors it is made of (a drag keeps to them)
    std::int16_t zoomFactor = 2;      // extra divisor of the mini window sizes
    std::int16_t buttonRowDivisor = 7;
    int dpi = 96;                     // of the view's window
    bool labels = true;               // "Labels" of the view's section
    HFONT labelFont = nullptr;        // the label font for that DPI; none: no labels
    int labelLineHeight = 0;
    // High contrast was on when the view last read it: everything is drawn in system colours
    // (no fixed greys or whites, no washed-out pictures) and keyboard focus is always shown.
    bool highContrast = false;
    std::uint8_t tipShown = 0;        // a mini window or button of this view asked for the tip
};

}  // namespace quilvo
