// The link between a window and the object behind it, one template for every window class
// of the program (Window) and one for its dialogs (Dialog).
//
// The creator passes the object as the creation parameter (lpCreateParams of CreateWindowEx,
// the lParam of CreateDialogParam); the procedure keeps it in the window's user data from the
// first message on, hands every message to T::OnMessage, and forgets it when the window goes
// (WM_NCDESTROY), telling the object with T::OnWindowGone. A window without its object gets
// the default handling only. The owner deletes the object, never the window procedure; an
// object deleted while its window lives first detaches itself (Detach).
#pragma once

#include <windows.h>

#include "platform/held_messages.h"

namespace quilvo {

template <typename T>
class Window {
public:
    static LRESULT CALLBACK WindowProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
        if (msg == WM_NCCREATE) {
            void* object = reinterpret_cast<const CREATESTRUCTA*>(lp)->lpCreateParams;
            SetWindowLongPtrA(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(static_cast<T*>(object)));
        }
        T* self = From(wnd);
        if (self == nullptr) return DefWindowProcA(wnd, msg, wp, lp);
        if (msg == WM_NCDESTROY) {
            SetWindowLongPtrA(wnd, GWLP_USERDATA, 0);
            self->OnWindowGone(wnd);
            return DefWindowProcA(wnd, msg, wp, lp);
        }
        // What the user does while the program waits (a pass waiting for replies) is handled
        // after the wait: a click could hide and raise sessions the wait is still finding, open
        // a menu, or free the lists, panels and mini windows the waiting code still uses.
        if (HoldUserActionWhileWaiting(wnd, msg, wp, lp)) return 0;
        return self->OnMessage(wnd, msg, wp, lp);
    }

    // The object a window of this class stands for, or none.
    static T* From(HWND wnd) noexcept { return reinterpret_cast<T*>(GetWindowLongPtrA(wnd, GWLP_USERDATA)); }

    // Makes the window forget the object when it still names it (the object is going).
    static void Detach(HWND wnd, const T* object) noexcept {
        if (wnd != nullptr && From(wnd) == object) SetWindowLongPtrA(wnd, GWLP_USERDATA, 0);
    }

    // Destroys the window of an object that is going, and forgets it: the window forgets the
    // object first, so its last messages find none.
    static void DestroyDetached(HWND& wnd, const T* object) noexcept {
        HWND own = wnd;
        wnd = nullptr;
        Detach(own, object);
        if (own != nullptr) DestroyWindow(own);
    }

    void OnWindowGone(HWND) noexcept {}
};

template <typename T>
class Dialog {
public:
    static INT_PTR CALLBACK DialogProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) noexcept {
        if (msg == WM_INITDIALOG) SetWindowLongPtrA(dlg, DWLP_USER, lp);
        T* self = From(dlg);
        if (self == nullptr) return FALSE;
        if (msg == WM_NCDESTROY) {
            SetWindowLongPtrA(dlg, DWLP_USER, 0);
            self->OnWindowGone(dlg);
            return FALSE;
        }
        // As for windows: what the user does during a wait is handled after it.
        if (HoldUserActionWhileWaiting(dlg, msg, wp, lp)) return TRUE;
        return self->OnMessage(dlg, msg, wp, lp);
    }

    static T* From(HWND dlg) noexcept { return reinterpret_cast<T*>(GetWindowLongPtrA(dlg, DWLP_USER)); }

    // The creation parameter that links a new dialog to its object.
    static LPARAM Param(T* object) noexcept { return reinterpret_cast<LPARAM>(object); }

    void OnWindowGone(HWND) noexcept {}
};

}  // namespace quilvo
