// A box panel: one box drawn inside a view as a bordered XBoxed child window, its sessions
// as mini windows at their scaled-down places and a row of session buttons along the bottom.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

#include "core/boxes.h"
#include "platform/window.h"
#include "platform/window_names.h"
#include "views/geometry.h"
#include "views/window_object.h"

namespace quilvo {

class BoxedView;
class MiniWindow;

class BoxPanel : public WindowObject, public Window<BoxPanel> {
public:
    explicit BoxPanel(BoxList* list);
    // Destroys the mini windows and buttons; the panel's window stays, without its panel.
    ~BoxPanel();
    BoxPanel(const BoxPanel&) = delete;
    BoxPanel& operator=(const BoxPanel&) = delete;

    // Creates the window and the mini windows; the layout has set parent window, place,
    // offset y, cascade step and view.
    HWND Create();
    void CreateButtons(int divisor);
    // The update pass, after the view has set the new box list.
    void Update();
    // The view was laid out anew (its DPI changed): the panel moves to place and builds its
    // mini windows and buttons again at once.
    void Relayout(const PixelRect& place);
    void ComputeScale();
    void CreateMiniWindows();
    void CascadeMiniWindows();
    void DestroyMiniWindows();
    void Paint(HDC dc);

    // Ends a drag, or does its clean-up when none is in progress; panel may be none.
    static void EndDrag(BoxPanel* panel);

    // Window<BoxPanel>: the messages of its XBoxed window.
    LRESULT OnMessage(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) noexcept;
    using WindowObject::OnWindowGone;

    int MiniCount() const { return miniCount; }
    MiniWindow* Mini(int i) const { return (miniList && i >= 0 && i < miniCount) ? miniList[i].get() : nullptr; }

    std::unique_ptr<std::unique_ptr<MiniWindow>[]> miniList;
    std::int32_t miniCount = 0;
    std::uint8_t skipNextUpdate = 0;
    std::int32_t horizontalScale = 1;
    std::int32_t verticalScale = 1;
    std::uint8_t cascade = 0;
    BoxedView* view = nullptr;
    BoxList* boxList = nullptr;  // not owned
    std::int16_t offsetX = 0;
    std::int16_t offsetY = 0;
    std::int32_t cascadeStep = 3;

private:
    void OnSessionButton(HWND control);
    void OnMouseMove(WPARAM wp, LPARAM lp);
    void OnCaptureLost(HWND wnd);
    void OnLeftButtonDown();
    void OnRightButtonDown(HWND wnd);
    void OnDragMove(LPARAM lp);
    void ContextMenu(HWND wnd);
    void OnMenuCommand(int command);
};

}  // namespace quilvo
