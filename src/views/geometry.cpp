#include "views/geometry.h"

#include <algorithm>
#include <cstring>

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

}  // namespace

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

int EffectiveZoom(int zoomFactor) { return zoomFactor < 1 ? 1 : zoomFactor; }

PixelRect MiniWindowRect(const SessionPlace& session, int horizontalScale, int verticalScale,
                         int zoomFactor, int offsetX, int offsetY) {
    const std::int64_t hs = std::max(horizontalScale, 1);
    const std::int64_t vs = std::max(verticalScale, 1);
    const std::int64_t zoom = EffectiveZoom(zoomFactor);
    PixelRect r;
    r.width = static_cast<std::int32_t>(std::max<std::int64_t>(session.width / (zoom * hs), kMiniMinimumSize));
    r.height = static_cast<std::int32_t>(std::max<std::int64_t>(session.height / (zoom * vs), kMiniMinimumSize));
    r.x = static_cast<std::int32_t>(session.x / hs + offsetX);
    r.y = static_cast<std::int32_t>(session.y / vs + offsetY);
    return r;
}

PixelPoint CascadePosition(int miniX, int miniY, int index, int horizontalScale, int verticalScale,
                           int cascadeStep, int offsetX, int offsetY) {
    const int hs = std::max(horizontalScale, 1);
    const int vs = std::max(verticalScale, 1);
    return PixelPoint{miniX / hs + index * cascadeStep + offsetX, miniY / vs + index * cascadeStep + offsetY};
}

ButtonRow SessionButtonRow(int panelWidth, int panelHeight, int count, int divisor) {
    ButtonRow row;
    row.width = panelWidth / 5;
    if (count > 0 && static_cast<std::int64_t>(count) * row.width > panelWidth) row.width = panelWidth / count;
    row.height = panelHeight / std::max(divisor, 1);
    row.y = panelHeight - row.height - 2;
    return row;
}

PanelFont PanelTextFont(int panelHeight) {
    PanelFont f;
    f.height = std::clamp(panelHeight / 3, 0, 12);
    f.width = f.height / 2;
    return f;
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

int PanelTextX(int clientRight, int textWidth) { return std::max(clientRight - textWidth - 3, 0); }

DragMove ComputeDragMove(const DragInput& in) {
    int ax = in.pointerX - in.grabX;
    int ay = in.pointerY - in.grabY;
    ax = std::min(ax, in.clientRight - in.miniWidth / 2);
    ay = std::min(ay, in.clientBottom - in.miniHeight / 2);
    // Not std::clamp: a client rectangle can be empty, and then 0 wins.
    ax = std::max(std::min(ax, in.clientRight), 0);
    ay = std::max(std::min(ay, in.clientBottom), 0);

    DragMove out;
    const std::int64_t sx = static_cast<std::int64_t>(in.horizontalScale) * ax;
    const std::int64_t sy = static_cast<std::int64_t>(in.verticalScale) * ay;
    if (sx > in.desktopRight - kDesktopMargin || sy > in.desktopBottom - kDesktopMargin) return out;
    out.moves = true;
    out.session = PixelPoint{static_cast<std::int32_t>(sx), static_cast<std::int32_t>(sy)};
    out.mini = PixelPoint{std::max({ax, in.offsetX, 0}), std::max({ay, in.offsetY, 0})};
    return out;
}

PixelPoint MiniWindowTipPosition(PixelPoint panelOrigin, PixelPoint miniPosition, int miniWidth) {
    constexpr int kBorder = 1;
    constexpr int kAbove = 10;
    return PixelPoint{panelOrigin.x + 2 * miniPosition.x + kBorder + miniWidth,
                      panelOrigin.y + 2 * miniPosition.y + kBorder - kAbove};
}

PixelPoint SessionButtonTipPosition(PixelPoint panelOrigin, PixelPoint buttonPosition) {
    constexpr int kAbove = 15;
    return PixelPoint{panelOrigin.x + buttonPosition.x, panelOrigin.y + buttonPosition.y - kAbove};
}

}  // namespace quilvo
