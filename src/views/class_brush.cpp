#include "views/class_brush.h"

#include "platform/display.h"

namespace quilvo {
namespace {

bool MayDelete(HBRUSH brush) {
    if (reinterpret_cast<ULONG_PTR>(brush) <= COLOR_MENUBAR + 1) return false;
    const int stock[] = {WHITE_BRUSH, LTGRAY_BRUSH, GRAY_BRUSH, DKGRAY_BRUSH, BLACK_BRUSH, NULL_BRUSH, DC_BRUSH};
    for (int s : stock) {
        if (GetStockObject(s) == brush) return false;
    }
    return true;
}

}  // namespace

ScopedFont CreateTextFont(int height, int width, bool italic) {
    LOGFONTA lf = {};
    lf.lfHeight = height;
    lf.lfWidth = width;
    lf.lfItalic = italic ? TRUE : FALSE;
    lstrcpynA(lf.lfFaceName, "ARIAL", LF_FACESIZE);
    return ScopedFont(CreateFontIndirectA(&lf));
}

ScopedFont CreateMessageFont(int dpi, int points) {
    NONCLIENTMETRICSA metrics = {};
    metrics.cbSize = sizeof metrics;
    if (!SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) return ScopedFont();
    LOGFONTA& lf = metrics.lfMessageFont;
    lf.lfHeight = points > 0 ? -MulDiv(points, dpi, 72) : MulDiv(lf.lfHeight, dpi, WindowDpi(nullptr));
    lf.lfWidth = 0;
    return ScopedFont(CreateFontIndirectA(&lf));
}

void ReplaceClassBackground(HWND wnd, COLORREF colour) {
    HBRUSH fresh = CreateSolidBrush(colour);
    if (!fresh) return;
    // Every window of the class erases with this brush: the old one goes only once the new
    // one is in place.
    SetLastError(0);
    HBRUSH old = reinterpret_cast<HBRUSH>(SetClassLongPtrA(wnd, GCLP_HBRBACKGROUND, reinterpret_cast<LONG_PTR>(fresh)));
    if (!old && GetLastError() != 0) {
        DeleteObject(fresh);  // no such window: the brush went nowhere
        return;
    }
    if (old && MayDelete(old)) DeleteObject(old);
}

}  // namespace quilvo
