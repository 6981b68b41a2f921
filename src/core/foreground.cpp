#include "core/foreground.h"

#include <cinttypes>

#include "base/debug_output.h"

namespace quilvo {
namespace {

// Said in a debug line: the user sees only a flashing button and may ask why nothing came up.
void FlashInstead(Foreground& system, WindowHandle window, const char* why) {
    system.Flash(window);
    DebugLine("Session [%" PRIxPTR "] flashed, not activated: %s\n", window, why);
}

}  // namespace

bool AskForFront(Foreground& system, WindowHandle window) {
    if (system.Take(window)) return true;
    const WindowHandle front = system.Front();
    return front == kNoWindow || front == window || system.Ours(front);
}

ActivationTry TryActivation(Foreground& system, WindowHandle window) {
    if (system.Front() == window) return ActivationTry::kDone;
    if (!AskForFront(system, window)) {
        FlashInstead(system, window, "another program is in front");
        return ActivationTry::kRefused;
    }
    return system.Front() == window ? ActivationTry::kDone : ActivationTry::kAgain;
}

void FlashIfNotInFront(Foreground& system, WindowHandle window) {
    if (system.Front() != window) FlashInstead(system, window, "not in front in its time");
}

}  // namespace quilvo
