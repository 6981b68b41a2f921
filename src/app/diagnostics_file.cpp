#include "app/diagnostics_file.h"

#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstring>

#include <cstdio>
#include <vector>

#include "app/hotkeys.h"
#include "base/debug_output.h"
#include "core/diagnostics.h"
#include "core/refresh.h"
#include "platform/scoped_win.h"
#include "platform/session_worker.h"
#include "platform/wide_text.h"
#include "quilvo_version.h"
#include "settings/policy.h"
#include "settings/profile.h"
#include "settings/settings.h"

namespace quilvo {

namespace {

// A function of a system library looked up at run time: older Windows lack some, Wine others.
template <typename Fn>
Fn SystemFunction(const wchar_t* module, const char* name) {
    const HMODULE library = GetModuleHandleW(module);
    return library != nullptr ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(library, name))) : nullptr;
}

std::string Printed(const char* format, unsigned long a, unsigned long b, unsigned long c) {
    char text[64];
    std::snprintf(text, sizeof text, format, a, b, c);
    return text;
}

// GetVersionEx is told the manifest's version at most; the kernel's own call tells the truth.
std::string WindowsVersion() {
    using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
    const auto rtlGetVersion = SystemFunction<RtlGetVersionFn>(L"ntdll.dll", "RtlGetVersion");
    OSVERSIONINFOW info = {};
    info.dwOSVersionInfoSize = sizeof info;
    if (rtlGetVersion == nullptr || rtlGetVersion(&info) != 0) return "unknown";
    return Printed("%lu.%lu build %lu", info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber);
}

std::string WineVersion() {
    using WineVersionFn = const char*(CDECL*)();
    using HostVersionFn = void(CDECL*)(const char**, const char**);
    const auto wineVersion = SystemFunction<WineVersionFn>(L"ntdll.dll", "wine_get_version");
    if (wineVersion == nullptr) return std::string();
    std::string text = wineVersion();
    const char* system = nullptr;
    const char* release = nullptr;
    if (const auto host = SystemFunction<HostVersionFn>(L"ntdll.dll", "wine_get_host_version")) host(&system, &release);
    if (system != nullptr) text += std::string(" on ") + system + (release != nullptr ? std::string(" ") + release : "");
    return text;
}

std::string DpiAwareness() {
    using ThreadContextFn = DPI_AWARENESS_CONTEXT(WINAPI*)();
    using AwarenessFn = DPI_AWARENESS(WINAPI*)(DPI_AWARENESS_CONTEXT);
    using EqualFn = BOOL(WINAPI*)(DPI_AWARENESS_CONTEXT, DPI_AWARENESS_CONTEXT);
    const auto threadContext = SystemFunction<ThreadContextFn>(L"user32.dll", "GetThreadDpiAwarenessContext");
    const auto awareness = SystemFunction<AwarenessFn>(L"user32.dll", "GetAwarenessFromDpiAwarenessContext");
    const auto equal = SystemFunction<EqualFn>(L"user32.dll", "AreDpiAwarenessContextsEqual");
    if (threadContext == nullptr || awareness == nullptr) return IsProcessDPIAware() ? "system" : "unaware";
    const DPI_AWARENESS_CONTEXT context = threadContext();
    if (equal != nullptr && equal(context, DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2)) return "per monitor (v2)";
    switch (awareness(context)) {
        case DPI_AWARENESS_UNAWARE: return "unaware";
        case DPI_AWARENESS_SYSTEM_AWARE: return "system";
        case DPI_AWARENESS_PER_MONITOR_AWARE: return "per monitor";
        default: return "unknown";
    }
}

NormalRect Normal(const RECT& r) { return NormalRect{r.left, r.top, r.right, r.bottom}; }

BOOL CALLBACK AddMonitorFacts(HMONITOR monitor, HDC, LPRECT, LPARAM list) {
    using DpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
    // shcore is loaded with the program's DPI awareness (the manifest), else the DPI is unknown.
    static const auto dpiForMonitor = SystemFunction<DpiForMonitorFn>(L"shcore.dll", "GetDpiForMonitor");
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoW(monitor, &info)) return TRUE;
    MonitorFacts facts;
    facts.monitor = Normal(info.rcMonitor);
    facts.work = Normal(info.rcWork);
    facts.primary = (info.dwFlags & MONITORINFOF_PRIMARY) != 0;
    UINT x = 0, y = 0;
    if (dpiForMonitor != nullptr && dpiForMonitor(monitor, 0 /* MDT_EFFECTIVE_DPI */, &x, &y) == S_OK) facts.dpi = static_cast<int>(y);
    reinterpret_cast<std::vector<MonitorFacts>*>(list)->push_back(facts);
    return TRUE;
}

std::vector<std::string> PolicyLines() {
    std::vector<std::string> lines;
    const PolicyValues& values = PolicyInForce();
    for (const PolicyDefinition& d : KnownPolicies()) {
        if (d.number != nullptr && (values.*d.number)) lines.push_back(std::string(d.name) + " = " + std::to_string(*(values.*d.number)));
        if (d.text != nullptr && (values.*d.text)) lines.push_back(std::string(d.name) + " = " + *(values.*d.text));
    }
    return lines;
}

// Double-null-terminated lists, as the profile functions fill them.
std::vector<std::string> Items(const std::vector<char>& buffer) {
    std::vector<std::string> items;
    for (const char* p = buffer.data(); *p != '\0'; p += std::strlen(p) + 1) items.emplace_back(p);
    return items;
}

std::vector<IniEntry> IniEntries() {
    constexpr DWORD kRoom = 32 * 1024;
    std::vector<char> names(kRoom + 2, '\0');
    std::vector<IniEntry> entries;
    GetPrivateProfileSectionNamesA(names.data(), kRoom, kSettingsFile);
    std::vector<char> keys(kRoom + 2, '\0');
    for (const std::string& section : Items(names)) {
        std::fill(keys.begin(), keys.end(), '\0');
        GetPrivateProfileSectionA(section.c_str(), keys.data(), kRoom, kSettingsFile);
        for (const std::string& line : Items(keys)) {
            const std::size_t equals = line.find('=');
            entries.push_back(IniEntry{section, line.substr(0, equals),
                                       equals == std::string::npos ? std::string() : line.substr(equals + 1)});
        }
    }
    return entries;
}

std::string LocalTime(SYSTEMTIME* at) {
    GetLocalTime(at);
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", at->wYear, at->wMonth, at->wDay, at->wHour,
                  at->wMinute, at->wSecond);
    return text;
}

DiagnosticsFacts GatherFacts(const DiagnosticsSources& sources, SYSTEMTIME* at) {
    DiagnosticsFacts facts;
    facts.savedAt = LocalTime(at);
    facts.version = QUILVO_VERSION_STRING;
    facts.windowsVersion = WindowsVersion();
    facts.wineVersion = WineVersion();
    facts.dpiAwareness = DpiAwareness();
    EnumDisplayMonitors(nullptr, nullptr, &AddMonitorFacts, reinterpret_cast<LPARAM>(&facts.monitors));
    facts.policies = PolicyLines();
    facts.ini = IniEntries();
    if (sources.hotkeys != nullptr) facts.hotkeys = {sources.hotkeys->FindLine(), sources.hotkeys->BoxesLine()};
    if (sources.cycle != nullptr) {
        facts.sessions = sources.cycle->Current()->sessions;
        facts.passes = sources.cycle->Passes().Passes();
    }
    if (sources.worker != nullptr) facts.worker = sources.worker->Facts();
    facts.debugLines = RecentDebugLines();
    return facts;
}

// %LOCALAPPDATA%\Quilvo, made if missing; empty when it cannot be had.
std::wstring DiagnosticsFolder() {
    PWSTR local = nullptr;
    std::wstring folder;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_LocalAppData, KF_FLAG_CREATE, nullptr, &local))) folder = std::wstring(local) + L"\\Quilvo";
    CoTaskMemFree(local);
    if (folder.empty() || (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)) return std::wstring();
    return folder;
}

bool WriteNewFile(const std::wstring& path, const std::string& text) {
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool whole = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) && written == text.size();
    CloseHandle(file);
    if (!whole) DeleteFileW(path.c_str());
    return whole;
}

// In a window of Explorer's, with the file selected; Explorer's own command line where the
// shell call cannot be had.
void ShowInExplorer(const std::wstring& path) {
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    bool shown = false;
    if (PIDLIST_ABSOLUTE item = ILCreateFromPathW(path.c_str())) {
        shown = SUCCEEDED(SHOpenFolderAndSelectItems(item, 0, nullptr, 0));
        ILFree(item);
    }
    if (SUCCEEDED(com)) CoUninitialize();
    if (shown) return;
    const std::wstring select = L"/select,\"" + path + L"\"";
    ShellExecuteW(nullptr, L"open", L"explorer.exe", select.c_str(), nullptr, SW_SHOWNORMAL);
}

}  // namespace

std::wstring SaveDiagnostics(const DiagnosticsSources& sources) {
    SYSTEMTIME at = {};
    const std::string text = DiagnosticsText(GatherFacts(sources, &at));
    const std::wstring folder = DiagnosticsFolder();
    if (folder.empty()) {
        DebugOut("Diagnostics not saved: no folder\n");
        return std::wstring();
    }
    const std::string name = DiagnosticsFileName(at.wYear, at.wMonth, at.wDay, at.wHour, at.wMinute, at.wSecond);
    const std::wstring path = folder + L"\\" + WideFromUtf8(name);
    if (!WriteNewFile(path, text)) {
        DebugOut("Diagnostics not saved: the file could not be written\n");
        return std::wstring();
    }
    // Not the path: it holds the user's account name.
    DebugLine("Diagnostics saved: %s\n", name.c_str());
    ShowInExplorer(path);
    return path;
}

}  // namespace quilvo
