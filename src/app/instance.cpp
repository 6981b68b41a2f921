#include "app/instance.h"

#include <cstdlib>
#include <cstring>
#include <exception>
#include <utility>

#include "platform/scoped_win.h"
#include "platform/win32_session_marks.h"
#include "platform/window_names.h"

namespace quilvo {
namespace {

constexpr const char* kInstanceProperty = "Quilvo.SessionClass";
constexpr DWORD kFindRunningMs = 5000;

// The class name as discovery compares it: A to Z as a to z; a backslash, which a mutex name
// may not hold, as a slash.
void NormalizedClass(const char* sessionClass, char (&out)[128]) {
    std::size_t i = 0;
    for (; sessionClass[i] != '\0' && i < sizeof out - 1; ++i) {
        char c = sessionClass[i];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c == '\\') c = '/';
        out[i] = c;
    }
    out[i] = '\0';
}

struct FindContext {
    const char* wanted;
    HWND found;
};

BOOL CALLBACK FindMainWindow(HWND window, LPARAM param) {
    auto* context = reinterpret_cast<FindContext*>(param);
    char cls[32] = {};
    if (GetClassNameA(window, cls, sizeof cls) == 0 || std::strcmp(cls, kQuilvoWinClass) != 0) return TRUE;
    const ATOM atom = static_cast<ATOM>(reinterpret_cast<UINT_PTR>(GetPropA(window, kInstanceProperty)));
    char name[256] = {};
    if (atom == 0 || GlobalGetAtomNameA(atom, name, sizeof name) == 0 || std::strcmp(name, context->wanted) != 0)
        return TRUE;
    context->found = window;
    return FALSE;
}

// Kept for the crash handlers, which must not allocate.
char g_crashClass[128] = {};
LPTOP_LEVEL_EXCEPTION_FILTER g_previousFilter = nullptr;
std::terminate_handler g_previousTerminate = nullptr;

LONG WINAPI ShowOnUnhandledException(EXCEPTION_POINTERS* info) {
    ShowSessionsHiddenByUs(g_crashClass);
    return g_previousFilter != nullptr ? g_previousFilter(info) : EXCEPTION_CONTINUE_SEARCH;
}

[[noreturn]] void ShowOnTerminate() {
    ShowSessionsHiddenByUs(g_crashClass);
    if (g_previousTerminate != nullptr) g_previousTerminate();
    std::abort();
}

}  // namespace

bool ClaimInstance(const char* sessionClass) {
    char normalized[128];
    NormalizedClass(sessionClass, normalized);
    char name[160] = "Local\\Quilvo.Instance.";
    std::strncat(name, normalized, sizeof name - std::strlen(name) - 1);
    ScopedKernelHandle mutex(CreateMutexA(nullptr, FALSE, name));
    if (!mutex) return true;  // no claim can be made: run rather than refuse
    if (GetLastError() == ERROR_ALREADY_EXISTS) return false;
    // The claim holds while the handle is open: for the life of the process.
    static ScopedKernelHandle claim;
    claim = std::move(mutex);
    return true;
}

bool ShowRunningInstance(const char* sessionClass) {
    char normalized[128];
    NormalizedClass(sessionClass, normalized);
    FindContext context{normalized, nullptr};
    const DWORD begin = GetTickCount();
    // The running instance may be starting up still: its main window comes within moments.
    while (EnumWindows(&FindMainWindow, reinterpret_cast<LPARAM>(&context)), context.found == nullptr) {
        if (GetTickCount() - begin > kFindRunningMs) return false;
        Sleep(50);
    }
    return PostMessageA(context.found, ShowToolwindowMessage(), 0, 0) != FALSE;
}

void MarkMainWindow(HWND mainWindow, const char* sessionClass) {
    char normalized[128];
    NormalizedClass(sessionClass, normalized);
    const ATOM atom = GlobalAddAtomA(normalized);
    if (atom != 0) SetPropA(mainWindow, kInstanceProperty, reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(atom)));
}

void UnmarkMainWindow(HWND mainWindow) {
    const ATOM atom = static_cast<ATOM>(reinterpret_cast<UINT_PTR>(RemovePropA(mainWindow, kInstanceProperty)));
    if (atom != 0) GlobalDeleteAtom(atom);
}

UINT ShowToolwindowMessage() {
    static const UINT id = RegisterWindowMessageA("Quilvo.ShowToolwindow");
    return id;
}

void ShowHiddenSessionsOnCrash(const char* sessionClass) {
    lstrcpynA(g_crashClass, sessionClass, sizeof g_crashClass);
    g_previousFilter = SetUnhandledExceptionFilter(&ShowOnUnhandledException);
    g_previousTerminate = std::set_terminate(&ShowOnTerminate);
}

}  // namespace quilvo
