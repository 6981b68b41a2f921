#include "app/window_classes.h"

#include "app/main_window.h"
#include "app/session_window.h"
#include "core/discovery.h"
#include "platform/dispatcher.h"
#include "views/box_panel.h"
#include "views/docked_toolbar.h"
#include "views/find_window.h"
#include "views/hover_tip.h"
#include "views/mini_window.h"
#include "views/production_frame.h"

namespace quilvo {

void RegisterWindowClasses(HINSTANCE instance) {
    const struct {
        const char* name;
        WNDPROC proc;
    } classes[] = {
        {kQuilvoWinClass, &ViewWindow::WindowProc},
        // The program's own window of the session class it looks for by default.
        {kDefaultSessionClass, &SessionWindow::WindowProc},
        {kHoverTipClass, &HoverTip::WindowProc},
        {kBoxPanelClass, &BoxPanel::WindowProc},
        {kMiniWindowClass, &MiniWindow::WindowProc},
        {kDockedToolbarClass, &BoxedViewToolbar::WindowProc},
        {kFindWindowClass, &FindSessionWindow::WindowProc},
        {kDispatcherClass, &Dispatcher::WindowProc},
        {kProductionFrameClass, &ProductionFrame::WindowProc},
    };
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH));
    for (const auto& c : classes) {
        wc.lpszClassName = c.name;
        wc.lpfnWndProc = c.proc;
        RegisterClassExA(&wc);
    }
}

}  // namespace quilvo
