// One SAP GUI session window as the latest discovery pass saw it, and the fixed table of them.
#pragma once

#include <cstdint>
#include <cstring>

#include "base/handle.h"

namespace quilvo {

struct SessionRecord {
    std::uint32_t stamp;      // tick of the discovery pass that last saw the window
    WindowHandle window;      // 0 marks an empty record
    std::int16_t index;       // position in the table when written
    std::uint8_t cascade;     // only used when the record serves as a box filter
    std::uint8_t zoomed;      // the window was maximised when seen
    std::uint8_t busy;        // not every answer came within the pass that last saw it
    std::uint8_t ready;       // answers again after a long busy spell, not yet brought up by
                              // the user (set after each pass, never by discovery)
    std::int32_t x;           // normal rectangle, screen coordinates; a zoomed window at the
                              // top left corner of the monitor it fills (0,0 on the primary)
    std::int32_t y;
    std::int32_t width;
    std::int32_t height;
    char title[256];
    char system[4];
    char serverGroup[12];
    char user[14];
    char transaction[64];
    char client[4];
};

constexpr int kTableCapacity = 50;

struct SessionTable {
    SessionRecord records[kTableCapacity];
    std::int32_t count;  // live records are positions 0 .. count - 1

    void Clear() {
        std::memset(records, 0, sizeof records);
        count = 0;
    }
};

// The records discovery filled in this pass: positions 0 .. count - 1.
inline const SessionRecord* LiveBegin(const SessionTable& t) { return t.records; }
inline const SessionRecord* LiveEnd(const SessionTable& t) {
    int n = t.count < 0 ? 0 : (t.count > kTableCapacity ? kTableCapacity : t.count);
    return t.records + n;
}

// The other way of walking: from the first record up to the first one without a window,
// never past the table's capacity (a full table has no terminating record).
template <typename Visit>
void ForEachUntilEmpty(const SessionTable& t, Visit visit) {
    for (int i = 0; i < kTableCapacity && t.records[i].window != kNoWindow; ++i) visit(t.records[i]);
}

}  // namespace quilvo
