#include "views/geometry.h"

#include <algorithm>
#include <cstring>

#include "base/int_range.h"

namespace quilvo {

namespace {

// The first panel of a row sits one pixel in from the client area's left and top edges.
constexpr int kFirstPanelX = 1;
constexpr int kFirstPanelY = 1;

void AddRow(std::vector<PixelRect>& out, int count, int panelWidth, int panelHeight, int y) {
    int px = kFirstPanelX;
    for (int i = 0; i < count; ++i) {
        out.push_back(PixelRect{px, y, panelWidth, panelHeight});
        px += panelWidth - 1;
    }
}

// The dragged mini window's corner in one direction: the pointer less where it grabbed the
// mini window, with the mini window's centre inside the client area and the corner not left of
// or above it.
int DragCorner(int pointer, int grab, int miniExtent, int clientEnd) {
    std::int64_t corner = static_cast<std::int64_t>(pointer) - grab;
    corner = std::min<std::int64_t>(corner, static_cast<std::int64_t>(clientEnd) - miniExtent / 2);
    // Not std::clamp: a client rectangle can be empty, and then 0 wins.
    return static_cast<int>(std::max<std::int64_t>(std::min<std::int64_t>(corner, clientEnd), 0));
}

std::int64_t Between(std::int64_t value, std::int64_t low, std::int64_t high) {
    return std::max(low, std::min(value, high));
}

// The caption's part on one monitor: all its height, and need pixels across at the least.
bool CaptionOn(const NormalRect& caption, const NormalRect& m, std::int64_t need) {
    const std::int64_t across = std::min<std::int64_t>(caption.right, m.right) - std::max<std::int64_t>(caption.left, m.left);
    return across >= need && caption.top >= m.top && caption.bottom <= m.bottom;
}

// Where the session window may stand with its caption as the user can grab it again: the
// place asked for, or the nearest such place on the monitor nearest to it.
PixelPoint KeepCaptionOnAMonitor(const MonitorList& monitors, std::int64_t x, std::int64_t y, int width, int caption) {
    const std::int64_t w = std::max(width, 1);
    const std::int64_t h = std::max(caption, 1);
    const std::int64_t need = std::min<std::int64_t>(kDesktopMargin, w);
    const NormalRect strip{ClampToInt32(x), ClampToInt32(y), ClampToInt32(x + w), ClampToInt32(y + h)};
    for (int i = 0; i < monitors.count; ++i) {
        if (CaptionOn(strip, monitors.items[i].monitor, need)) return PixelPoint{strip.left, strip.top};
    }
    const MonitorArea* nearest = MonitorFor(monitors, strip);
    if (nearest == nullptr) return PixelPoint{strip.left, strip.top};
    const NormalRect& m = nearest->monitor;
    const std::int64_t keptX = Between(x, static_cast<std::int64_t>(m.left) + need - w, static_cast<std::int64_t>(m.right) - need);
    const std::int64_t keptY = Between(y, m.top, std::max<std::int64_t>(m.top, static_cast<std::int64_t>(m.bottom) - h));
    return PixelPoint{ClampToInt32(keptX), ClampToInt32(keptY)};
}

}  // namespace

int ScaleForDpi(int pixels, int dpi) {
    if (dpi <= 0) dpi = kBaseDpi;
    const std::int64_t scaled = static_cast<std::int64_t>(pixels) * dpi;
    // Rounded half away from zero, as MulDiv rounds.
    return ClampToInt32((scaled + (scaled < 0 ? -kBaseDpi / 2 : kBaseDpi / 2)) / kBaseDpi);
}

std::vector<PixelRect> TwoRowLayout(int clientWidth, int clientHeight, int boxCount) {
    std::vector<PixelRect> out;
    if (boxCount <= 0) return out;
    const int top = (boxCount + 1) / 2;
    const int bottom = boxCount - top;
    const int pw = clientWidth / top;
    const int ph = clientHeight / 2;
    out.reserve(static_cast<std::size_t>(boxCount));
    AddRow(out, top, pw, ph, kFirstPanelY);
    AddRow(out, bottom, pw, ph, ph - 1);
    return out;
}

std::vector<PixelRect> OneRowLayout(int clientWidth, int clientHeight, int boxCount) {
    std::vector<PixelRect> out;
    if (boxCount <= 0) return out;
    out.reserve(static_cast<std::size_t>(boxCount));
    AddRow(out, boxCount, clientWidth / boxCount, clientHeight - 1, kFirstPanelY);
    return out;
}

int ComputeScale(bool haveWindows, int desktopExtent, int panelExtent) {
    if (!haveWindows) return kScaleMissingWindow;
    if (panelExtent <= 0) return kScaleFallback;
    const int q = desktopExtent / panelExtent;
    return q <= 0 ? kScaleFallback : q;
}

PixelRect MiniWindowRect(const SessionPlace& session, int horizontalScale, int verticalScale,
                         int zoomFactor, int offsetX, int offsetY, PixelPoint origin, int minimumSize) {
    const std::int64_t hs = std::max(horizontalScale, 1);
    const std::int64_t vs = std::max(verticalScale, 1);
    const std::int64_t zoom = EffectiveZoom(zoomFactor);
    PixelRect r;
    r.width = ClampToInt32(std::max<std::int64_t>(session.width / (zoom * hs), minimumSize));
    r.height = ClampToInt32(std::max<std::int64_t>(session.height / (zoom * vs), minimumSize));
    r.x = ClampToInt32((static_cast<std::int64_t>(session.x) - origin.x) / hs + offsetX);
    r.y = ClampToInt32((static_cast<std::int64_t>(session.y) - origin.y) / vs + offsetY);
    return r;
}

PixelPoint CascadePosition(int miniX, int miniY, int index, int horizontalScale, int verticalScale,
                           int cascadeStep, int offsetX, int offsetY) {
    const std::int64_t hs = std::max(horizontalScale, 1);
    const std::int64_t vs = std::max(verticalScale, 1);
    const std::int64_t stair = static_cast<std::int64_t>(index) * cascadeStep;
    return PixelPoint{ClampToInt32(miniX / hs + stair + offsetX), ClampToInt32(miniY / vs + stair + offsetY)};
}

ButtonRow SessionButtonRow(int panelWidth, int panelHeight, int count, int divisor) {
    ButtonRow row;
    row.width = panelWidth / 5;
    if (count > 0 && static_cast<std::int64_t>(count) * row.width > panelWidth) row.width = panelWidth / count;
    row.height = panelHeight / std::max(divisor, 1);
    row.y = panelHeight - row.height - 2;
    return row;
}

PanelFont PanelTextFont(int panelHeight, int dpi) {
    const int height = std::clamp(panelHeight / 3, 0, ScaleForDpi(12, dpi));
    return PanelFont{height, height / 2};
}

AlignBy PanelTextAlignment(const char* system, const char* client, const char* user) {
    const std::size_t ls = std::strlen(system);
    const std::size_t lc = std::strlen(client);
    const std::size_t lu = std::strlen(user);
    AlignBy best = AlignBy::System;
    std::size_t bestLength = ls;
    if (lc > bestLength) { best = AlignBy::Client; bestLength = lc; }
    if (lu > bestLength) best = AlignBy::User;
    return best;
}

int PanelTextX(int clientRight, int textWidth, int dpi) {
    return std::max(clientRight - textWidth - ScaleForDpi(3, dpi), 0);
}

DragMove ComputeDragMove(const DragInput& in) {
    const int ax = DragCorner(in.pointerX, in.grabX, in.miniWidth, in.clientRight);
    const int ay = DragCorner(in.pointerY, in.grabY, in.miniHeight, in.clientBottom);

    DragMove out;
    const std::int64_t sx = static_cast<std::int64_t>(in.horizontalScale) * ax + in.desktopLeft;
    const std::int64_t sy = static_cast<std::int64_t>(in.verticalScale) * ay + in.desktopTop;
    if (in.monitors != nullptr && in.monitors->count > 0) {
        const PixelPoint kept = KeepCaptionOnAMonitor(*in.monitors, sx, sy, in.sessionWidth, in.captionHeight);
        out.moves = true;
        out.session = kept;
        int mx = ax;
        int my = ay;
        if (kept.x != sx) mx = ClampToInt32((kept.x - static_cast<std::int64_t>(in.desktopLeft)) / std::max(in.horizontalScale, 1));
        if (kept.y != sy) my = ClampToInt32((kept.y - static_cast<std::int64_t>(in.desktopTop)) / std::max(in.verticalScale, 1));
        out.mini = PixelPoint{std::max({mx, in.offsetX, 0}), std::max({my, in.offsetY, 0})};
        return out;
    }
    if (sx > static_cast<std::int64_t>(in.desktopRight) - kDesktopMargin ||
        sy > static_cast<std::int64_t>(in.desktopBottom) - kDesktopMargin) {
        return out;
    }
    out.moves = true;
    out.session = PixelPoint{ClampToInt32(sx), ClampToInt32(sy)};
    out.mini = PixelPoint{std::max({ax, in.offsetX, 0}), std::max({ay, in.offsetY, 0})};
    return out;
}

PixelPoint MiniWindowTipPosition(PixelPoint panelOrigin, PixelPoint miniPosition, int miniWidth) {
    constexpr int kBorder = 1;
    constexpr int kAbove = 10;
    // 64 bits: a mini window's position follows its session's, which can be anything.
    const std::int64_t x = static_cast<std::int64_t>(panelOrigin.x) + 2 * static_cast<std::int64_t>(miniPosition.x);
    const std::int64_t y = static_cast<std::int64_t>(panelOrigin.y) + 2 * static_cast<std::int64_t>(miniPosition.y);
    return PixelPoint{ClampToInt32(x + kBorder + miniWidth), ClampToInt32(y + kBorder - kAbove)};
}

PixelPoint SessionButtonTipPosition(PixelPoint panelOrigin, PixelPoint buttonPosition) {
    constexpr int kAbove = 15;
    return PixelPoint{panelOrigin.x + buttonPosition.x, panelOrigin.y + buttonPosition.y - kAbove};
}

}  // namespace quilvo
