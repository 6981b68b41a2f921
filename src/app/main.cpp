#include <windows.h>

#include "app/app.h"
#include "platform/scoped_win.h"

#ifdef QUILVO_TEST_HOOKS
namespace {

// Test builds only, never the program users get: QUILVO_TEST_CRASH_EVENT names an event whose
// signal makes the program crash (an access violation on a thread of its own), so that the
// tests can see what a crash leaves behind.
DWORD WINAPI CrashWhenSignalled(LPVOID event) {
    WaitForSingleObject(static_cast<HANDLE>(event), INFINITE);
    *static_cast<volatile int*>(nullptr) = 1;
    return 0;
}

// Set before the program's own filter, which passes every crash on to the one it replaced:
// the process then ends at once with the crash's code, as on a Windows without a crash
// reporter, instead of waiting for Wine's debugger to start (more than 10 s on a loaded machine).
LONG WINAPI EndWithoutReporter(EXCEPTION_POINTERS*) {
    return EXCEPTION_EXECUTE_HANDLER;
}

void ArmInjectedCrash() {
    char name[128] = {};
    if (GetEnvironmentVariableA("QUILVO_TEST_CRASH_EVENT", name, sizeof name) == 0) return;
    HANDLE event = OpenEventA(SYNCHRONIZE, FALSE, name);
    if (event == nullptr) return;
    SetUnhandledExceptionFilter(&EndWithoutReporter);
    // The thread keeps the event for the life of the process; its own handle is not needed.
    const quilvo::ScopedKernelHandle thread(CreateThread(nullptr, 0, &CrashWhenSignalled, event, 0, nullptr));
}

}  // namespace
#endif

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
#ifdef QUILVO_TEST_HOOKS
    ArmInjectedCrash();
#endif
    // The argument text is taken from the whole command line, so that quotes and trailing
    // blanks of the session class name stay as the user typed them.
    return quilvo::RunApp(instance, GetCommandLineA(), GetCommandLineW());
}
