// The monitors of the desktop and the arithmetic over them: the virtual screen (the union of
// every monitor, whose origin may be negative), the monitor a rectangle lies on, and the
// conversion of a normal rectangle from workspace coordinates (relative to the work area, as
// GetWindowPlacement gives them for most top-level windows) to screen coordinates. The list
// comes through MonitorSource; the arithmetic needs no window system.
#pragma once

#include <cstdint>

namespace quilvo {

struct NormalRect {
    std::int32_t left, top, right, bottom;
};

struct MonitorArea {
    NormalRect monitor;  // the whole monitor, screen coordinates
    NormalRect work;     // the monitor less the taskbar and docked bars
};

// At most this many monitors are taken; a desk with more keeps the first ones the platform lists.
constexpr int kMaxMonitors = 16;

struct MonitorList {
    int count = 0;
    MonitorArea items[kMaxMonitors] = {};

    // Adds a monitor (ignored once the list is full); work defaults to the whole monitor.
    void Add(const NormalRect& monitor, const NormalRect& work);
    void Add(const NormalRect& monitor) { Add(monitor, monitor); }
};

// One monitor of width x height at 0,0 (the primary, alone).
MonitorList OneMonitor(int width, int height);

// The union of every monitor; {0, 0, 0, 0} for an empty list.
NormalRect VirtualScreen(const MonitorList& monitors);

// The monitor that shares the largest area with r; when none does, the nearest one (as the
// window system's MONITOR_DEFAULTTONEAREST); none for an empty list.
const MonitorArea* MonitorFor(const MonitorList& monitors, const NormalRect& r);

// A normal rectangle in workspace coordinates in screen coordinates: moved by the offset of
// the work area within the monitor it lies on (the taskbar's width or height when it is docked
// at the left or the top). Unchanged without monitors.
NormalRect WorkspaceToScreen(const MonitorList& monitors, const NormalRect& normal);
// Whether that conversion moves the rectangle: its monitor's work area does not start at the
// monitor's corner (a taskbar at the top or left). Elsewhere a window's style need not be read.
bool WorkspaceShifted(const MonitorList& monitors, const NormalRect& normal);

// Where a maximised window is recorded: the top left corner of the monitor it fills (its
// current rectangle), 0,0 without monitors.
struct ScreenPoint {
    std::int32_t x, y;
};
ScreenPoint MaximisedOrigin(const MonitorList& monitors, const NormalRect& current);

// Where the monitor list comes from: the window system, or a test's list.
class MonitorSource {
public:
    virtual ~MonitorSource() = default;
    virtual MonitorList Monitors() = 0;
};

}  // namespace quilvo
