// One SAP GUI session window as a discovery pass found it.
#pragma once

#include <cstdint>

#include "base/handle.h"

namespace quilvo {

struct SessionRecord {
    WindowHandle window;      // 0 marks an empty record
    std::int16_t index;       // the session's position in the pass's order (the desktop's, top first)
    std::uint8_t cascade;     // only used when the record serves as a box filter
    std::uint8_t zoomed;      // the window was maximised when the pass saw it
    std::uint8_t busy;        // not every answer came within the pass that saw it
    std::uint8_t ready;       // answers again after a long busy spell, not yet brought up by
                              // the user (set after each pass, never by discovery)
    std::uint8_t production;  // of a system the settings name as production (set at each pass)
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

// A pass records at most this many sessions; the ones after them wait for a pass that finds fewer.
constexpr int kTableCapacity = 50;

}  // namespace quilvo
