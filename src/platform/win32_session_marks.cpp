#include "platform/win32_session_marks.h"

#include "core/text.h"

namespace quilvo {
namespace {

constexpr const char* kHiddenMark = "Quilvo.HiddenByUs";

struct ShowContext {
    const char* sessionClass;
    int shown;
};

BOOL CALLBACK ShowIfMarked(HWND window, LPARAM param) {
    auto* context = reinterpret_cast<ShowContext*>(param);
    if (!IsMarkedHiddenByUs(window)) return TRUE;
    char cls[128] = {};
    // The class is compared as discovery compares it, so only session windows are touched.
    if (GetClassNameA(window, cls, 127) == 0 || !EqualsNoCase(cls, context->sessionClass)) return TRUE;
    if (!IsWindowVisible(window)) {
        ShowWindowAsync(window, SW_SHOWNA);
        ++context->shown;
    }
    RemovePropA(window, kHiddenMark);
    return TRUE;
}

}  // namespace

void MarkHiddenByUs(HWND session, bool mark) {
    if (mark) {
        SetPropA(session, kHiddenMark, reinterpret_cast<HANDLE>(1));
    } else if (GetPropA(session, kHiddenMark) != nullptr) {
        RemovePropA(session, kHiddenMark);
    }
}

bool IsMarkedHiddenByUs(HWND session) { return GetPropA(session, kHiddenMark) != nullptr; }

int ShowSessionsHiddenByUs(const char* sessionClass) {
    ShowContext context{sessionClass, 0};
    EnumChildWindows(GetDesktopWindow(), &ShowIfMarked, reinterpret_cast<LPARAM>(&context));
    return context.shown;
}

}  // namespace quilvo
