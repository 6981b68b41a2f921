// What the refresh cycle reads of the settings: a box's filter and the production systems, read
// anew for every rebuild (the file may have been edited meanwhile), and the idle action, read
// once at start-up. The
// settings module implements it over the settings file.
#pragma once

#include <cstdint>

#include "core/boxes.h"
#include "core/production.h"

namespace quilvo {

constexpr int kIdleActionSize = 32;  // at most 31 characters are read

// IDLE_TIMER and IDLE_ACTION as start-up reads them, once.
struct IdleSettings {
    std::uint32_t idleTime = 0;            // 0: no idle action
    char idleAction[kIdleActionSize] = {};  // the OK code to send
};

class CycleSettings {
public:
    // Cascade and Selection of a box's section into filter; false (the text fields as they
    // were) when the box has no Selection.
    virtual bool LoadBoxFilter(int box, BoxFilter& filter) = 0;
    // The production systems the settings name (none when they name none).
    virtual ProductionSystems LoadProduction() = 0;

protected:
    ~CycleSettings() = default;
};

}  // namespace quilvo
