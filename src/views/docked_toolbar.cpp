#include "views/docked_toolbar.h"

#include <cstring>
#include <memory>

#include "platform/scoped_win.h"
#include "platform/win32_discovery.h"
#include "resources/resource_ids.h"
#include "settings/settings.h"
#include "views/box_panel.h"
#include "views/class_brush.h"
#include "views/docked_rules.h"

namespace quilvo {

namespace {

constexpr COLORREF kTextColour = RGB(255, 255, 255);

class Win32Descendants final : public DescendantWindows {
public:
    void EnumerateDescendants(WindowHandle root, WindowVisit visit, void* context) override {
        VisitDescendants(ToHwnd(root), visit, context);
    }
    int ClassName(WindowHandle window, char* buf, int maxCount) override {
        return GetClassNameA(ToHwnd(window), buf, maxCount);
    }
};

}  // namespace

BoxedViewToolbar::BoxedViewToolbar(DockedViews& owner, HWND parent, const Snapshot& snapshot, int count,
                                   const ViewServices& services)
    : BoxedView(ViewKind::Docked, parent, snapshot, count, services), owner_(owner) {
    SetSection(kDockedSection);
}

void BoxedViewToolbar::ContextMenu(HWND wnd) {
    // No SetForegroundWindow here: the strip sits inside a session window, which the right
    // press itself has made the foreground window, so the menu closes on a click elsewhere.
    const PopupMenu menu(IDM_DOCKED);
    if (!menu.popup || menu.TrackAtPointer(wnd) != ID_DOCK_CLOSE) return;  // "&Use Background Colorizer" does nothing
    // The owner outlives the menu's own message loop; the view is read afresh from the window.
    DockedViews& owner = owner_;
    owner.flag = 0;
    // The teardown that WM_CLOSE runs stores this flag as "Visible".
    if (BoxedViewToolbar* view = BoxedViewToolbar::From(wnd)) view->visible = 0;
    SendMessageA(wnd, WM_CLOSE, 0, 0);
}

void BoxedViewToolbar::LoadGeometry() {
    const ViewSection stored = ReadViewSection(sectionName);
    Context().zoomFactor = static_cast<std::int16_t>(stored.zoomFactor);
    visible = stored.visible != 0 ? 1 : 0;
    ReadLabelsAndDpi(stored);
    if (!visible) Hide();
}

void BoxedViewToolbar::Paint(HDC dc) {
    SendMessageA(ownWindow, WM_QUILVO_RECOLOUR, 0, 0);
    if (label == nullptr) return;

    const DockedFont size = DockedTextFont(height);
    // The class brush is renewed once more as the texts are drawn, as the strip always did.
    SendMessageA(ownWindow, WM_QUILVO_RECOLOUR, 0, 0);
    // Declared in this order so that scope puts the old font back before it deletes the font.
    const ScopedFont font = CreateTextFont(size.height, size.width, true);
    ScopedSelectObject selected(dc, font.get());
    RECT client = {};
    GetClientRect(ownWindow, &client);

    const BoxPanel* first = Panel(0);
    if (first == nullptr) return;
    const int x = boxCount * first->width;  // right of the row of panels
    // The creator's colours, or in high contrast the system's pair for text on a window.
    const bool contrast = Context().highContrast;
    SetBkColor(dc, contrast ? GetSysColor(COLOR_WINDOW) : textBackground);
    SetTextColor(dc, contrast ? GetSysColor(COLOR_WINDOWTEXT) : kTextColour);
    TextOutA(dc, x, 0, label, static_cast<int>(std::strlen(label)));
    char details[kDockedDetailsCapacity];
    const int length = FormatDockedDetails(details, detail1, detail2, detail3);
    TextOutA(dc, x, client.bottom - size.height, details, length);
}

LRESULT BoxedViewToolbar::OnMessage(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
    switch (msg) {
        case WM_CREATE:
            ownWindow = wnd;
            SendMessageA(wnd, WM_QUILVO_RECOLOUR, 0, 0);
            return 0;
        case WM_QUILVO_RECOLOUR: ReplaceClassBackground(wnd, BackgroundColour()); break;
        case WM_PAINT: {
            ScopedPaint paint(wnd);
            Paint(paint.dc());
            return 0;
        }
        case WM_RBUTTONDOWN: ContextMenu(wnd); return 1;
        case WM_CLOSE:
        case WM_DESTROY:
            // The strip is going: its owner tears the view down (it writes its section) and
            // deletes it; nothing of it is used after. The default handling of WM_CLOSE then
            // destroys the window, whose WM_DESTROY finds no object.
            owner_.TearDown();
            break;
        default: break;
    }
    return DefWindowProcA(wnd, msg, wp, lp);
}

BoxedViewToolbar* DockedViews::Create(const DockedViewSetup& setup) {
    if (view_ != nullptr) return nullptr;
    auto view = std::make_unique<BoxedViewToolbar>(*this, setup.parent, setup.snapshot, setup.boxCount, setup.services);
    view->label = setup.label;
    view->detail1 = setup.details[0];
    view->detail2 = setup.details[1];
    view->detail3 = setup.details[2];
    view->textBackground = setup.textBackground;
    view->x = setup.place.left;
    view->y = setup.place.top;
    view->width = setup.place.right - setup.place.left;
    view->height = setup.place.bottom - setup.place.top;
    view->defaultWidth = view->width;
    view->defaultHeight = view->height;
    HWND wnd = CreateWindowExA(0, kDockedToolbarClass, nullptr, WS_CHILD | WS_VISIBLE, view->x, view->y, view->width,
                               view->height, setup.parent, nullptr, GetModuleHandleA(nullptr), view.get());
    // Without its window the view goes again; having no window, it writes nothing.
    if (wnd == nullptr) return nullptr;
    view->ownWindow = wnd;
    view_ = std::move(view);
    BoxedViewToolbar* docked = view_.get();
    docked->LoadGeometry();
    docked->CreatePanels();
    return docked;
}

HWND FindAfxWndChild(HWND window) {
    Win32Descendants descendants;
    return ToHwnd(FindAfxWndChild(FromHwnd(window), descendants));
}

void DockedViews::ReadFlag() {
    flag = ReadViewSection(kDockedSection).visible;
}

void DockedViews::TearDown() {
    // Cleared before the teardown runs: the teardown may reach the window procedure again
    // (WM_CLOSE, then WM_DESTROY), which must find no view the second time.
    std::unique_ptr<BoxedViewToolbar> view = std::move(view_);
}

}  // namespace quilvo
