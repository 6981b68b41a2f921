// The docked toolbar view: a view whose row of box panels sits in a strip of its own
// ("HijackedToolbar") inside another window, with a label and a bracketed line of three
// details drawn right of the panels in an italic font sized to the strip.
//
// Nothing in the running program creates one: DockedViews::Create exists for the tests, and the
// program's DockedViews otherwise only holds the docked flag.
#pragma once

#include <windows.h>

#include "platform/window.h"
#include "platform/window_names.h"
#include "views/boxed_view.h"

namespace quilvo {

class DockedViews;

// Its owner is a DockedViews (below), which deletes it.
class BoxedViewToolbar : public BoxedView, public Window<BoxedViewToolbar> {
public:
    BoxedViewToolbar(DockedViews& owner, HWND parent, const Snapshot& snapshot, int count, const ViewServices& services);
    // The strip stays, as every view's window does, without its object.
    ~BoxedViewToolbar() override { Detach(ownWindow, this); }

    // The panels in one row over the left half of the strip; its texts are drawn right of them.
    std::vector<PixelRect> PanelPlaces() const override { return OneRowLayout(width / 2, height, boxCount); }
    // The zoom factor and visible flag from the section, as every view reads them. The place
    // is the creator's: the stored one is in screen coordinates, the strip is a child window.
    void LoadGeometry() override;

    // The colour the strip's class background takes on the recolour message, whatever the
    // view's state.
    // In high contrast the window colour its texts are written on.
    COLORREF BackgroundColour() const { return GetSysColor(Context().highContrast ? COLOR_WINDOW : COLOR_INFOBK); }
    void Paint(HDC dc);

    // Window<BoxedViewToolbar>: the messages of its "HijackedToolbar" window.
    LRESULT OnMessage(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) noexcept;
    using WindowObject::OnWindowGone;

    // None until set: while the label is none nothing is drawn. Not owned.
    const char* label = nullptr;
    const char* detail1 = nullptr;
    const char* detail2 = nullptr;
    const char* detail3 = nullptr;
    COLORREF textBackground = RGB(0, 0, 0);

private:
    void ContextMenu(HWND wnd);

    DockedViews& owner_;
};

// What a creator gives the docked view: where its strip goes and what it shows. The texts
// must outlive the view.
struct DockedViewSetup {
    HWND parent = nullptr;
    RECT place = {};  // in the parent's client coordinates
    Snapshot snapshot;  // the boxes it shows first
    int boxCount = 0;
    ViewServices services;
    const char* label = nullptr;
    const char* details[3] = {};
    COLORREF textBackground = RGB(0, 0, 0);
};

// The docked flag and the one docked view. The program owns one; the running program makes no
// view, so it only holds the flag.
class DockedViews {
public:
    DockedViews() = default;
    DockedViews(const DockedViews&) = delete;
    DockedViews& operator=(const DockedViews&) = delete;

    // "Visible" of "BoxedViewToolbar" as start-up read it (ReadFlag); the tray menu's
    // "&Docked" inverts it and the docked toolbar's "&Close" clears it.
    int flag = 0;
    void ReadFlag();

    // Builds the docked view: a BoxedViewToolbar, its "HijackedToolbar" window (created with
    // the view as its creation parameter), texts and colour set before the first paint, and its
    // panels. None when a docked view exists already (there is at most one) or its window
    // cannot be created; then nothing is written.
    BoxedViewToolbar* Create(const DockedViewSetup& setup);
    BoxedViewToolbar* View() const { return view_.get(); }
    // Runs the docked view's teardown (it writes its section) and deletes it; a second call
    // finds nothing.
    void TearDown();

private:
    std::unique_ptr<BoxedViewToolbar> view_;
};

// The first descendant of a window whose class name holds "AfxWnd", or none.
HWND FindAfxWndChild(HWND window);

}  // namespace quilvo
