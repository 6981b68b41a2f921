// Scoped owners for GDI objects, device contexts, menus and kernel objects: whatever a paint
// path, a menu or a thread takes is given back by scope, never by hand. Copies are deleted,
// moves allowed.
#pragma once

#include <windows.h>

#include <cstdint>
#include <utility>

namespace quilvo {

// Owns one handle and gives it back with Release when the scope ends.
template <typename T, auto Release>
class ScopedHandle {
public:
    explicit ScopedHandle(T handle = nullptr) noexcept : handle_(handle) {}
    ~ScopedHandle() { if (handle_) Release(handle_); }
    ScopedHandle(ScopedHandle&& o) noexcept : handle_(std::exchange(o.handle_, nullptr)) {}
    ScopedHandle& operator=(ScopedHandle&& o) noexcept { std::swap(handle_, o.handle_); return *this; }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;
    T get() const noexcept { return handle_; }
    // Hands the handle over to whoever takes it from now on (a menu its pop-up, say).
    T release() noexcept { return std::exchange(handle_, nullptr); }
    explicit operator bool() const noexcept { return handle_ != nullptr; }
private:
    T handle_;
};

inline void DeleteGdiObject(HGDIOBJ obj) noexcept { DeleteObject(obj); }

using ScopedFont = ScopedHandle<HFONT, DeleteGdiObject>;
using ScopedBrush = ScopedHandle<HBRUSH, DeleteGdiObject>;
using ScopedBitmap = ScopedHandle<HBITMAP, DeleteGdiObject>;
using ScopedMemDC = ScopedHandle<HDC, DeleteDC>;  // from CreateCompatibleDC
using ScopedMenu = ScopedHandle<HMENU, DestroyMenu>;

inline void CloseKernelHandle(HANDLE handle) noexcept { CloseHandle(handle); }

// Threads, events and mutexes: their functions fail with nullptr. INVALID_HANDLE_VALUE (the
// failure of CreateFile) is no failure value here, it would be closed.
using ScopedKernelHandle = ScopedHandle<HANDLE, CloseKernelHandle>;

// Selects an object into a DC and puts the previous one back when the scope ends.
class ScopedSelectObject {
public:
    ScopedSelectObject(HDC dc, HGDIOBJ obj) noexcept : dc_(dc), prev_(obj ? SelectObject(dc, obj) : nullptr) {}
    ~ScopedSelectObject() { if (prev_) SelectObject(dc_, prev_); }
    ScopedSelectObject(const ScopedSelectObject&) = delete;
    ScopedSelectObject& operator=(const ScopedSelectObject&) = delete;
private:
    HDC dc_;
    HGDIOBJ prev_;
};

class ScopedGetDC {
public:
    explicit ScopedGetDC(HWND wnd) noexcept : wnd_(wnd), dc_(GetDC(wnd)) {}
    ~ScopedGetDC() { if (dc_) ReleaseDC(wnd_, dc_); }
    ScopedGetDC(const ScopedGetDC&) = delete;
    ScopedGetDC& operator=(const ScopedGetDC&) = delete;
    HDC get() const noexcept { return dc_; }
private:
    HWND wnd_;
    HDC dc_;
};

class ScopedPaint {
public:
    explicit ScopedPaint(HWND wnd) noexcept : wnd_(wnd) { dc_ = BeginPaint(wnd, &ps_); }
    ~ScopedPaint() { EndPaint(wnd_, &ps_); }
    ScopedPaint(const ScopedPaint&) = delete;
    ScopedPaint& operator=(const ScopedPaint&) = delete;
    HDC dc() const noexcept { return dc_; }
private:
    HWND wnd_;
    HDC dc_;
    PAINTSTRUCT ps_ = {};
};

// A menu of the program's resources and its first popup (none when it could not be loaded).
struct PopupMenu {
    explicit PopupMenu(int id) noexcept
        : menu(LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id))),
          popup(menu ? GetSubMenu(menu.get(), 0) : nullptr) {}
    // Tracks the popup at the mouse pointer for owner; returns the command chosen, or 0.
    // The popup runs a message loop of its own: the caller looks afresh at what it uses after.
    UINT TrackAtPointer(HWND owner) const noexcept {
        POINT cursor = {};
        GetCursorPos(&cursor);
        return static_cast<UINT>(TrackPopupMenu(popup, TPM_RETURNCMD | TPM_BOTTOMALIGN | TPM_RIGHTBUTTON, cursor.x,
                                                cursor.y, 0, owner, nullptr));
    }
    ScopedMenu menu;
    HMENU popup;
};

inline HWND ToHwnd(std::uintptr_t h) noexcept { return reinterpret_cast<HWND>(h); }
inline std::uintptr_t FromHwnd(HWND h) noexcept { return reinterpret_cast<std::uintptr_t>(h); }

}  // namespace quilvo
