// Scoped owners for GDI objects, device contexts and menus: whatever a paint path or a
// menu takes is given back by scope, never by hand. Copies are deleted, moves allowed.
#pragma once

#include <windows.h>

#include <cstdint>
#include <utility>

namespace quilvo {

template <typename T>
class ScopedGdiObj {
public:
    explicit ScopedGdiObj(T obj = nullptr) noexcept : obj_(obj) {}
    ~ScopedGdiObj() { if (obj_) DeleteObject(obj_); }
    ScopedGdiObj(ScopedGdiObj&& o) noexcept : obj_(std::exchange(o.obj_, nullptr)) {}
    ScopedGdiObj& operator=(ScopedGdiObj&& o) noexcept { std::swap(obj_, o.obj_); return *this; }
    ScopedGdiObj(const ScopedGdiObj&) = delete;
    ScopedGdiObj& operator=(const ScopedGdiObj&) = delete;
    T get() const noexcept { return obj_; }
    explicit operator bool() const noexcept { return obj_ != nullptr; }
private:
    T obj_;
};

using ScopedFont = ScopedGdiObj<HFONT>;
using ScopedBrush = ScopedGdiObj<HBRUSH>;
using ScopedBitmap = ScopedGdiObj<HBITMAP>;

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

class ScopedMemDC {
public:
    explicit ScopedMemDC(HDC compatible) noexcept : dc_(CreateCompatibleDC(compatible)) {}
    ~ScopedMemDC() { if (dc_) DeleteDC(dc_); }
    ScopedMemDC(const ScopedMemDC&) = delete;
    ScopedMemDC& operator=(const ScopedMemDC&) = delete;
    HDC get() const noexcept { return dc_; }
private:
    HDC dc_;
};

class ScopedPaint {
public:
    explicit ScopedPaint(HWND wnd) noexcept : wnd_(wnd) { dc_ = BeginPaint(wnd, &ps_); }
    ~ScopedPaint() { EndPaint(wnd_, &ps_); }
    ScopedPaint(const ScopedPaint&) = delete;
    ScopedPaint& operator=(const ScopedPaint&) = delete;
    HDC dc() const noexcept { return dc_; }
    const PAINTSTRUCT& ps() const noexcept { return ps_; }
private:
    HWND wnd_;
    HDC dc_;
    PAINTSTRUCT ps_ = {};
};

class ScopedMenu {
public:
    explicit ScopedMenu(HMENU menu = nullptr) noexcept : menu_(menu) {}
    ~ScopedMenu() { if (menu_) DestroyMenu(menu_); }
    ScopedMenu(ScopedMenu&& o) noexcept : menu_(std::exchange(o.menu_, nullptr)) {}
    ScopedMenu& operator=(ScopedMenu&& o) noexcept { std::swap(menu_, o.menu_); return *this; }
    ScopedMenu(const ScopedMenu&) = delete;
    ScopedMenu& operator=(const ScopedMenu&) = delete;
    HMENU get() const noexcept { return menu_; }
private:
    HMENU menu_;
};

inline HWND ToHwnd(std::uintptr_t h) noexcept { return reinterpret_cast<HWND>(h); }
inline std::uintptr_t FromHwnd(HWND h) noexcept { return reinterpret_cast<std::uintptr_t>(h); }

}  // namespace quilvo
