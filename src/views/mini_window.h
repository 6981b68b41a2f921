// A mini window: one SAP GUI session at a reduced scale inside a box panel (class XIconWin),
// and the procedure its session button runs through. It draws its session as the snapshot its
// panel holds has it (its record lives there), acts on its session's window as the snapshot
// of the moment has it, and is moved, redrawn and reordered in place while its session stays
// in the box.
#pragma once

#include <windows.h>

#include "core/session.h"
#include "platform/window.h"
#include "platform/window_names.h"
#include "views/geometry.h"
#include "views/spoken_names.h"
#include "views/view_context.h"
#include "views/window_object.h"

namespace quilvo {

class BoxPanel;

class MiniWindow : public WindowObject, public Window<MiniWindow> {
public:
    MiniWindow(ViewContext& context, BoxPanel& panel);
    // Destroys the session button, then the own window.
    ~MiniWindow();
    MiniWindow(const MiniWindow&) = delete;
    MiniWindow& operator=(const MiniWindow&) = delete;

    // Takes the session's record (in the snapshot the panel holds from now on) and its place in
    // the panel (before any cascade); redraw: what the window draws changed. The window text,
    // which names the session to a screen reader, is set only when it changes.
    void Take(const SessionRecord& session, const PixelRect& place, bool redraw);
    // Makes the window at `at`, or moves it there unless it stands there already.
    void ShowAt(const PixelRect& at);
    // The window was moved by other means (a drag): the next ShowAt puts it back.
    void NoteMovedTo(const PixelRect& at) { shownAt_ = at; }
    // Makes the session button at `at` (its text "...", or "-" for a debugger's session), or
    // moves it there; the button names the mini window in its user data and runs through
    // ButtonProc (a subclass).
    void ShowButtonAt(const PixelRect& at);

    const SessionRecord& Session() const { return *session_; }
    WindowHandle Window() const { return session_->window; }
    const char* Title() const { return title_; }
    HWND Button() const { return button_; }

    // Window<MiniWindow>: the messages of its XIconWin window.
    LRESULT OnMessage(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) noexcept;
    using WindowObject::OnWindowGone;

private:
    void Paint(HWND wnd);
    // The caption band with the label's two lines, when the view has labels and the mini
    // window room for them; the picture's place either way.
    PixelRect PaintLabel(HDC dc, const RECT& client) const;
    void PaintBusyMark(HDC dc, const RECT& client) const;
    void PaintReadyMark(HDC dc, const RECT& client) const;
    bool PaintMarkDot(HDC dc, const RECT& client, int fillColour, RECT* dot) const;
    // picture: where the miniature picture is drawn (below the label band, if any).
    void PaintMarks(HDC dc, const RECT& client, const PixelRect& picture) const;
    // The rows of the production mark at the window's DPI; none for another session.
    int ProductionRows() const;
    void PaintProductionMark(HDC dc, const PixelRect& at) const;
    // The picture in high contrast: a window drawn in the system's colours, its title bar
    // an inactive one while the session is busy.
    void PaintContrastPicture(HDC dc, const PixelRect& area) const;
    bool RequestHoverTip(HWND wnd, bool button);
    void Raise();
    void EndDrag();
    void OnLeftButtonDown(HWND wnd);
    void OnLeftButtonUp(HWND wnd);
    // Static: the mini window is read from its window again after the raise.
    static void StartDrag(HWND wnd, LPARAM lp);
    LRESULT OnButtonMessage(HWND button, UINT msg, WPARAM wp, LPARAM lp);
    static LRESULT CALLBACK ButtonProc(HWND button, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                       DWORD_PTR) noexcept;

    ViewContext& context_;
    BoxPanel& panel_;
    const SessionRecord* session_;  // in the panel's snapshot; never none
    char title_[128] = {};          // what the tip shows: its first 127 characters
    PixelRect shownAt_;            // where the window stands (cascaded or not)
    HWND button_ = nullptr;
    PixelRect buttonAt_;
    bool debuggerButton_ = false;  // the button says "-"
    char spokenName_[kSpokenNameCapacity] = {};  // the window text
};

}  // namespace quilvo
