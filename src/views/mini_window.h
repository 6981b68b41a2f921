// A mini window: one SAP GUI session at a reduced scale inside a box panel (class XIconWin),
// and the procedure its session button runs through.
#pragma once

#include <windows.h>

#include "views/window_object.h"

namespace quilvo {

class BoxPanel;
class BoxedView;

constexpr const char* kMiniWindowClass = "XIconWin";

class MiniWindow : public WindowObject {
public:
    MiniWindow();
    // Destroys the own window. The session button belongs to the panel, which destroys it
    // first.
    ~MiniWindow() override;
    MiniWindow(const MiniWindow&) = delete;
    MiniWindow& operator=(const MiniWindow&) = delete;

    void Create();

    // The owning panel's view, or none.
    BoxedView* View() const;

    // The window procedure of class XIconWin (registered by the application).
    static LRESULT CALLBACK WindowProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) noexcept;
    // The procedure a box panel installs in its session buttons.
    static LRESULT CALLBACK ButtonProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) noexcept;

    HWND buttonWindow = nullptr;
    WNDPROC previousButtonProc = nullptr;
    char title[128] = {};
    BoxPanel* owningPanel = nullptr;
    HWND sessionWindow = nullptr;

private:
    void Paint(HWND wnd);
    bool RequestHoverTip(HWND wnd, bool button);
    LRESULT OnMouseMove(HWND wnd);
    // Static: the mini window is read from its window again after the raise.
    static void StartDrag(HWND wnd, LPARAM lp);
    LRESULT OnButtonMouseMove(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
};

}  // namespace quilvo
