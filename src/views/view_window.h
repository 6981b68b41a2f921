// The object behind a "QuilvoWin" window: the main window (app/main_window.h adds what only
// it answers) and each stand-alone view. Nothing is drawn in it: its class background shows
// and the panels paint themselves. Every window of the class writes the application's
// "WindowX" and "WindowY" from its own place when it is destroyed, as documented.
#pragma once

#include <windows.h>

#include "platform/window.h"
#include "platform/window_names.h"

namespace quilvo {

class BoxedView;

class ViewWindow : public Window<ViewWindow> {
public:
    ViewWindow() = default;
    virtual ~ViewWindow() = default;
    ViewWindow(const ViewWindow&) = delete;
    ViewWindow& operator=(const ViewWindow&) = delete;

    virtual LRESULT OnMessage(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) noexcept;
    virtual void OnWindowGone(HWND) noexcept {}

    // The view shown in the window; none while there is none.
    BoxedView* shownView = nullptr;

private:
    void OnPaint(HWND wnd);
    void OnClose();
    void OnDpiChanged(int dpi, LPARAM suggested);
    // In high contrast the view's background is the window colour, not the class's grey.
    bool EraseInHighContrast(HWND wnd, HDC dc);
};

}  // namespace quilvo
