#include <windows.h>

#include "app/app.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // The argument text is taken from the whole command line, so that quotes and trailing
    // blanks of the session class name stay as the user typed them.
    return quilvo::RunApp(instance, GetCommandLineA());
}
