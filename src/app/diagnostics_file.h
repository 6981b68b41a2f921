// "Save dia&gnostics": the support file, written into %LOCALAPPDATA%\Quilvo and shown selected
// in Explorer. What goes into it, and what never does, is core/diagnostics.h's; this part
// gathers the facts from the system and the running program.
#pragma once

#include <windows.h>

#include <string>

namespace quilvo {

class Hotkeys;
class RefreshCycle;
class SessionWorker;

struct DiagnosticsSources {
    const RefreshCycle* cycle = nullptr;
    const SessionWorker* worker = nullptr;
    const Hotkeys* hotkeys = nullptr;
};

// Writes the file and shows it; its full path, or empty when it could not be written (a debug
// line says which step failed, and nothing half written is left).
std::wstring SaveDiagnostics(const DiagnosticsSources& sources);

}  // namespace quilvo
