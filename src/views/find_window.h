// The find window: a small topmost window with a text field and a list of every session
// (System, Client, User, Transaction, title) and every box that has a filter. What the user
// types filters and ranks the rows as it is typed; Enter on a session makes it the window the
// user works in, on a box does what a left click on the box's panel does. Escape, or the
// window losing activation, closes it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "base/handle.h"
#include "commands/session_commands.h"
#include "core/boxes.h"
#include "core/find_ranking.h"
#include "core/front_order.h"
#include "core/snapshot.h"
#include "platform/scoped_win.h"
#include "platform/window.h"

namespace quilvo {

// What the find window reads and acts on; all of it outlives the window.
struct FindServices {
    // The sessions and the boxes' filters of the moment.
    const SnapshotSource* sessions = nullptr;
    SessionWindowOps* ops = nullptr;
    // What a left click on the box's panel does; true when a session is to take the foreground.
    bool (*switchToBox)(int box) = nullptr;
    bool (*highContrast)() = nullptr;        // none: the system's setting (HighContrastOn)
    int maxSessions = 6;                     // MAX_SESSIONS: a logon with as many gets no open row
    bool newSessions = true;                 // false (the policy OpenSessions 0): no open rows at all
    // Enter on an open row: sends its OK code to session and waits for the new session.
    void (*openSession)(WindowHandle session, const FindRow& row) = nullptr;
    // When sessions were last in front: the rows follow it, and the window notes the sessions
    // it activates. None: the rows keep the order the sessions were found in.
    FrontOrder* front = nullptr;
};

// The text of a row as the list shows it.
std::string FindRowText(const FindRow& row);

class FindSessionWindow final : public Window<FindSessionWindow> {
public:
    explicit FindSessionWindow(const FindServices& services) : services_(services) {}
    ~FindSessionWindow();
    FindSessionWindow(const FindSessionWindow&) = delete;
    FindSessionWindow& operator=(const FindSessionWindow&) = delete;

    // Shows the window empty, centred on the monitor that holds the mouse pointer, in front
    // and with the keyboard focus in its text field; makes it the first time. A restore or
    // raise of a session still on its way would take the foreground from it: then it shows
    // once those have landed (or stalled on a busy session).
    void Open();
    void Close();
    // The open rows as the policy now allows them, from the next filtering on.
    void OfferNewSessions(int maxSessions, bool offered) {
        services_.maxSessions = maxSessions;
        services_.newSessions = offered;
    }
    HWND Handle() const { return window_; }
    HWND Field() const { return field_; }
    HWND List() const { return list_; }

    // Window<FindSessionWindow>
    LRESULT OnMessage(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) noexcept;
    void OnWindowGone(HWND wnd) noexcept;

private:
    bool Create();
    void ShowOpen();
    void TakeFont();
    void Layout();
    // Reads the sessions and the boxes as they are now and fills the list for the text,
    // the best row chosen, or with keepChoice the row chosen before where it is still listed.
    void Filter(bool keepChoice = false);
    void Choose();
    void ActivateSession(WindowHandle window);
    void CloseOnDeactivation();
    bool OnFieldKey(WPARAM key);
    // High contrast read again; the window draws again in the colours it asks for.
    void ReadHighContrast();
    bool EraseBackground(HDC dc);
    static LRESULT CALLBACK FieldProc(HWND field, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                      DWORD_PTR self) noexcept;
    static LRESULT CALLBACK ListProc(HWND list, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                     DWORD_PTR self) noexcept;

    FindServices services_;
    HWND window_ = nullptr;
    HWND field_ = nullptr;
    HWND list_ = nullptr;
    ScopedFont font_;
    int fontDpi_ = 0;       // the DPI font_ was made for
    bool placing_ = false;  // Open is moving the window: its DPI change is taken there
    bool openPending_ = false;  // opened, to show once the session calls before it have landed
    bool highContrast_ = false;
    WindowHandle inFront_ = kNoWindow;  // the foreground window when the window opened
    // The rows the list shows, in its order, with the session window each one showed when
    // it was filled (none for a box row).
    std::vector<FindRow> shown_;
    std::vector<WindowHandle> shownWindows_;
};

}  // namespace quilvo
