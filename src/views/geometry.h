// Layout arithmetic of the views, box panels, mini windows and session buttons: plain
// integer computations in pixels, divisions truncating toward zero. The window classes feed
// them what the window system reports and apply the results. A session window may report any
// coordinates: what is computed from them is computed in 64 bits and clamped to 32.
#pragma once

#include "core/monitors.h"

#include <cstdint>
#include <vector>

namespace quilvo {

struct PixelRect {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
};

inline bool SameRect(const PixelRect& a, const PixelRect& b) {
    return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}

struct PixelPoint {
    std::int32_t x = 0;
    std::int32_t y = 0;
};

// ---- Pixels per inch -----------------------------------------------------------------------

// The figures of the overview are pixels at 96 DPI; a window at another DPI draws them this
// many pixels (rounded to the nearest). A DPI of 0 or less is taken as 96.
constexpr int kBaseDpi = 96;
int ScaleForDpi(int pixels, int dpi);

// ---- View layouts --------------------------------------------------------------------------

// Panels of a view in two rows inside a client area of clientWidth x clientHeight. Each
// panel starts one pixel left of its neighbour's right edge and the bottom row overlaps the
// top row by one pixel. Entry i is the place of panel i: the top row first, then the bottom.
// With an odd count the top row takes the extra panel ((n + 1) / 2 columns), so every box
// gets a place; a count of 0 or less gives no panels.
std::vector<PixelRect> TwoRowLayout(int clientWidth, int clientHeight, int boxCount);

// Panels of a view side by side in one row, each clientHeight - 1 high. A count of 0 or
// less gives no panels.
std::vector<PixelRect> OneRowLayout(int clientWidth, int clientHeight, int boxCount);

// ---- Box panel -----------------------------------------------------------------------------

// The reduction from desktop to panel in one direction: desktopExtent / panelExtent.
// haveWindows false (desktop or panel window missing) gives 1. A quotient of 0 (a panel wider
// than the desktop) gives 20, and so does a panel extent of 0 or less, which has none: 20
// keeps the mini windows at their minimum size instead of dividing by zero.
constexpr int kScaleMissingWindow = 1;
constexpr int kScaleFallback = 20;
int ComputeScale(bool haveWindows, int desktopExtent, int panelExtent);

// A session window's normal rectangle, as the box list holds it.
struct SessionPlace {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
};

constexpr int kMiniMinimumSize = 12;

// The zoom factor a mini window's size is divided by: a stored factor below 1 is taken as 1,
// so the mini windows show at their unzoomed scale size and nothing divides by zero.
inline int EffectiveZoom(int zoomFactor) { return zoomFactor < 1 ? 1 : zoomFactor; }

// The mini window of a session: size = session size / (zoom x scale), at least minimumSize
// (12 pixels at 96 DPI); position = (session position - origin) / scale + offset, where origin
// is the virtual screen's top left corner (0,0 with one monitor). Scales below 1 are taken as 1.
PixelRect MiniWindowRect(const SessionPlace& session, int horizontalScale, int verticalScale,
                         int zoomFactor, int offsetX, int offsetY, PixelPoint origin = {},
                         int minimumSize = kMiniMinimumSize);

// Where cascading puts mini window `index` whose (already scaled) position is miniX, miniY:
// mini / scale + index x step + offset in each direction.
PixelPoint CascadePosition(int miniX, int miniY, int index, int horizontalScale, int verticalScale,
                           int cascadeStep, int offsetX, int offsetY);

// The row of session buttons along a panel's bottom edge. Buttons are a fifth of the panel
// wide while up to five fit, else panelWidth / count; height panelHeight / divisor (a divisor
// below 1 is taken as 1); button i sits at (i x width, panelHeight - height - 2).
struct ButtonRow {
    int width = 0;
    int height = 0;
    int y = 0;
    int X(int index) const { return index * width; }
};
ButtonRow SessionButtonRow(int panelWidth, int panelHeight, int count, int divisor);

// The filter text a panel writes near its top right corner.
struct PanelFont {
    int height = 0;  // panel height / 3, at most 12 (at 96 DPI), never negative
    int width = 0;   // height / 2
};
PanelFont PanelTextFont(int panelHeight, int dpi = kBaseDpi);

// Which of System, Client and User sets the right alignment: the longest by character
// count, the earlier on equal length.
enum class AlignBy { System, Client, User };
AlignBy PanelTextAlignment(const char* system, const char* client, const char* user);

// The x of all four lines: right - textWidth - 3 (at 96 DPI), at least 0.
int PanelTextX(int clientRight, int textWidth, int dpi = kBaseDpi);

// The y of line `line` (0 User, 1 Client, 2 System, 3 Transaction): 20 (at 96 DPI) + line x
// font height.
constexpr int kPanelTextTop = 20;
inline int PanelTextLineY(int line, int fontHeight, int dpi = kBaseDpi) {
    return ScaleForDpi(kPanelTextTop, dpi) + line * fontHeight;
}

// ---- Dragging a mini window ----------------------------------------------------------------

struct DragInput {
    int pointerX = 0, pointerY = 0;          // in the panel's client coordinates
    int grabX = 0, grabY = 0;                // pointer inside the mini window when the drag began
    int miniWidth = 0, miniHeight = 0;       // the dragged mini window's outer size
    int clientRight = 0, clientBottom = 0;   // the panel's client rectangle
    int horizontalScale = 1, verticalScale = 1;
    int desktopRight = 0, desktopBottom = 0; // the view's desktop rectangle (the virtual screen)
    int offsetX = 0, offsetY = 0;            // the panel's mini window offsets
    int desktopLeft = 0, desktopTop = 0;     // its origin: 0,0 with one monitor
    // The monitors, and the session window's width and caption height (from its top edge to
    // its client area). With monitors a move is taken only where the caption lands on one of
    // them; elsewhere the window is kept on the nearest. Without: the bound by the virtual
    // screen's right and bottom edges alone.
    const MonitorList* monitors = nullptr;
    int sessionWidth = 0;
    int captionHeight = 0;
};

// The session window keeps this far from the virtual screen's right and bottom edges.
constexpr int kDesktopMargin = 50;

struct DragMove {
    bool moves = false;             // false: this pointer position moves nothing
    PixelPoint session;             // the session window's new top left corner
    PixelPoint mini;                // the mini window's new top left corner
};

// One pointer move during a drag: the mini window's centre stays inside the panel, the
// session window follows at the scale (from the desktop's origin). With monitors: its caption
// must stand on a monitor whole in height and over at least 50 pixels (the window's width if
// less) across, or the window is put at the nearest such place on the monitor nearest to where
// the caption would be (the virtual screen has holes where monitors differ in size, and a
// caption there could never be grabbed again); the mini window then follows the session.
// Without: it does not move where it would come within 50 pixels of the desktop's right or
// bottom edge.
DragMove ComputeDragMove(const DragInput& in);

// ---- Hover tip anchors ---------------------------------------------------------------------

// panelOrigin is the screen position of the panel's client origin. The mini window's anchor
// goes through the panel's client-to-screen mapping and then once more through the mapping
// from the mini window to the panel, which adds its position again plus its 1-pixel border;
// the tip stands right of that by the mini window's width and 10 pixels higher.
PixelPoint MiniWindowTipPosition(PixelPoint panelOrigin, PixelPoint miniPosition, int miniWidth);
// A button's tip: its position mapped to the screen once, 15 pixels higher.
PixelPoint SessionButtonTipPosition(PixelPoint panelOrigin, PixelPoint buttonPosition);

}  // namespace quilvo
