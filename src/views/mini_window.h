// A mini window: one SAP GUI session at a reduced scale inside a box panel (class XIconWin),
// and the procedure its session button runs through.
#pragma once

#include <windows.h>

#include "core/session.h"
#include "platform/window.h"
#include "platform/window_names.h"
#include "views/geometry.h"
#include "views/window_object.h"

namespace quilvo {

class BoxPanel;
class BoxedView;

class MiniWindow : public WindowObject, public Window<MiniWindow> {
public:
    MiniWindow();
    // Destroys the own window. The session button belongs to the panel, which destroys it
    // first.
    ~MiniWindow();
    MiniWindow(const MiniWindow&) = delete;
    MiniWindow& operator=(const MiniWindow&) = delete;

    void Create();
    // Takes what the mini window shows of its session: title, label texts, busy flag.
    void TakeSession(const SessionRecord& session);

    // The owning panel's view, or none.
    BoxedView* View() const;

    // Window<MiniWindow>: the messages of its XIconWin window.
    LRESULT OnMessage(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) noexcept;
    using WindowObject::OnWindowGone;

    // Makes a BUTTON child of the panel this mini window's session button: the button names
    // the mini window in its user data and runs through ButtonProc (a subclass).
    void AttachButton(HWND button);

    HWND buttonWindow = nullptr;
    char title[128] = {};
    BoxPanel* owningPanel = nullptr;
    HWND sessionWindow = nullptr;
    char system[4] = {};
    char client[4] = {};
    char transaction[64] = {};
    bool busy = false;  // the session did not answer in time: drawn dimmed, with a busy mark

private:
    void Paint(HWND wnd);
    // The caption band with the label's two lines, when the view has labels and the mini
    // window room for them; the picture's place either way.
    PixelRect PaintLabel(HDC dc, const RECT& client) const;
    void PaintBusyMark(HDC dc, const RECT& client) const;
    bool RequestHoverTip(HWND wnd, bool button);
    LRESULT OnMouseMove(HWND wnd);
    void OnLeftButtonDown(HWND wnd);
    void OnLeftButtonUp(HWND wnd);
    // Static: the mini window is read from its window again after the raise.
    static void StartDrag(HWND wnd, LPARAM lp);
    LRESULT OnButtonMessage(HWND button, UINT msg, WPARAM wp, LPARAM lp);
    static LRESULT CALLBACK ButtonProc(HWND button, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                       DWORD_PTR) noexcept;
};

}  // namespace quilvo
