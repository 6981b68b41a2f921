#include "core/monitors.h"

#include <algorithm>

#include "base/int_range.h"

namespace quilvo {
namespace {

std::int64_t Overlap(std::int64_t a0, std::int64_t a1, std::int64_t b0, std::int64_t b1) {
    return std::max<std::int64_t>(0, std::min(a1, b1) - std::max(a0, b0));
}

// How far a point range [r0, r1) lies outside [m0, m1): 0 when they meet.
std::int64_t Gap(std::int64_t r0, std::int64_t r1, std::int64_t m0, std::int64_t m1) {
    if (r1 < m0) return m0 - r1;
    if (r0 > m1) return r0 - m1;
    return 0;
}

}  // namespace

void MonitorList::Add(const NormalRect& monitor, const NormalRect& work) {
    if (count < kMaxMonitors) items[count++] = MonitorArea{monitor, work};
}

MonitorList OneMonitor(int width, int height) {
    MonitorList list;
    list.Add(NormalRect{0, 0, width, height});
    return list;
}

NormalRect VirtualScreen(const MonitorList& monitors) {
    if (monitors.count <= 0) return NormalRect{0, 0, 0, 0};
    NormalRect u = monitors.items[0].monitor;
    for (int i = 1; i < monitors.count; ++i) {
        const NormalRect& m = monitors.items[i].monitor;
        u.left = std::min(u.left, m.left);
        u.top = std::min(u.top, m.top);
        u.right = std::max(u.right, m.right);
        u.bottom = std::max(u.bottom, m.bottom);
    }
    return u;
}

const MonitorArea* MonitorFor(const MonitorList& monitors, const NormalRect& r) {
    // Areas and squared distances in double: each extent may be up to 2^32, their products
    // beyond 64 bits.
    const MonitorArea* best = nullptr;
    double bestArea = 0;
    for (int i = 0; i < monitors.count; ++i) {
        const NormalRect& m = monitors.items[i].monitor;
        const double area = static_cast<double>(Overlap(r.left, r.right, m.left, m.right)) *
                            static_cast<double>(Overlap(r.top, r.bottom, m.top, m.bottom));
        if (area > bestArea) {
            best = &monitors.items[i];
            bestArea = area;
        }
    }
    if (best != nullptr) return best;
    // No monitor under it (or an empty rectangle): the nearest, the first of equals.
    double bestDistance = 0;
    for (int i = 0; i < monitors.count; ++i) {
        const NormalRect& m = monitors.items[i].monitor;
        const double dx = static_cast<double>(Gap(r.left, r.right, m.left, m.right));
        const double dy = static_cast<double>(Gap(r.top, r.bottom, m.top, m.bottom));
        const double distance = dx * dx + dy * dy;
        if (best == nullptr || distance < bestDistance) {
            best = &monitors.items[i];
            bestDistance = distance;
        }
    }
    return best;
}

NormalRect WorkspaceToScreen(const MonitorList& monitors, const NormalRect& normal) {
    const MonitorArea* on = MonitorFor(monitors, normal);
    if (on == nullptr) return normal;
    const std::int64_t dx = static_cast<std::int64_t>(on->work.left) - on->monitor.left;
    const std::int64_t dy = static_cast<std::int64_t>(on->work.top) - on->monitor.top;
    return NormalRect{ClampToInt32(normal.left + dx), ClampToInt32(normal.top + dy), ClampToInt32(normal.right + dx),
                      ClampToInt32(normal.bottom + dy)};
}

bool WorkspaceShifted(const MonitorList& monitors, const NormalRect& normal) {
    const MonitorArea* on = MonitorFor(monitors, normal);
    return on != nullptr && (on->work.left != on->monitor.left || on->work.top != on->monitor.top);
}

ScreenPoint MaximisedOrigin(const MonitorList& monitors, const NormalRect& current) {
    const MonitorArea* on = MonitorFor(monitors, current);
    return on == nullptr ? ScreenPoint{0, 0} : ScreenPoint{on->monitor.left, on->monitor.top};
}

}  // namespace quilvo
