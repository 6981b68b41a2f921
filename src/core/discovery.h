// One discovery pass: finds the SAP GUI session windows, records and queries them,
// and sweeps the records the pass did not reach.
#pragma once

#include <cstdint>

#include "core/session.h"
#include "platform/window_system.h"

namespace quilvo {

constexpr int kClassNameCapacity = 128;  // 127 characters and the terminator
constexpr const char* kDefaultSessionClass = "SAP_FRONTEND_SESSION";

// Runs one pass over the desktop and returns the session count. previousCount is the
// count the refresh cycle saw on its last pass (known windows are searched among that many).
int DiscoverSessions(SessionTable& table, int previousCount, const char* className,
                     DiscoveryWindows& windows);

// Clears every record whose stamp differs from the pass's stamp.
void SweepStaleSessions(SessionTable& table, std::uint32_t stamp);

}  // namespace quilvo
