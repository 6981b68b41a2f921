// A box panel: one box drawn inside a view as a bordered XBoxed child window, its sessions
// as mini windows at their scaled-down places and a row of session buttons along the bottom.
// It holds the snapshot it last followed and follows each new one in place: a session that
// stays in the box keeps its mini window and button, moved and redrawn as needed; only
// sessions that came get new windows and only those that left lose theirs.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "core/boxes.h"
#include "core/snapshot.h"
#include "platform/window.h"
#include "platform/window_names.h"
#include "views/geometry.h"
#include "views/view_context.h"
#include "views/window_object.h"

namespace quilvo {

class MiniWindow;

class BoxPanel : public WindowObject, public Window<BoxPanel> {
public:
    // box: 0 to 5, or kAllSessions; the panel shows its sessions of snapshot until its first
    // update.
    BoxPanel(ViewContext& context, int box, Snapshot snapshot);
    // Destroys the mini windows and buttons; the panel's window stays, without its panel.
    ~BoxPanel();
    BoxPanel(const BoxPanel&) = delete;
    BoxPanel& operator=(const BoxPanel&) = delete;

    // Makes the window at `place` in the view's window, with its mini windows and buttons.
    HWND Create(HWND view, const PixelRect& place, int cascadeStep);
    // The update pass: the box's sessions of the new snapshot. True when a mini window was
    // made or destroyed.
    bool Update(const Snapshot& snapshot);
    // The view was laid out anew (its DPI changed): the panel moves to place, and its mini
    // windows follow at once and draw again.
    void Relayout(const PixelRect& place);
    void ComputeScale();
    // The menu's cascade: every mini window down the stair, each below the one before.
    void CascadeMiniWindows();
    void Paint(HDC dc);
    // Ends a drag, or does its clean-up when none is in progress; the panel then skips its
    // next update.
    void EndDrag();
    // A mini window was brought to the top of its siblings: the next update restacks.
    void NoteReordered() { restackDue_ = true; }

    // Window<BoxPanel>: the messages of its XBoxed window.
    LRESULT OnMessage(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) noexcept;
    using WindowObject::OnWindowGone;

    int MiniCount() const { return static_cast<int>(minis_.size()); }
    MiniWindow* Mini(int i) const;
    int Box() const { return box_; }
    const Snapshot& Shown() const { return snapshot_; }

    std::uint8_t skipNextUpdate = 0;
    std::int32_t horizontalScale = 1;
    std::int32_t verticalScale = 1;
    std::uint8_t cascade = 0;
    std::int16_t offsetX = 0;
    std::int16_t offsetY = 0;
    std::int32_t cascadeStep = 3;

private:
    // Brings the mini windows and buttons in line with the box's sessions of next, which the
    // panel holds from then on; redrawAll: every mini window draws again (the fonts changed).
    bool Follow(Snapshot next, bool redrawAll);
    PixelRect MiniPlace(const SessionRecord& s) const;
    // Without memory for an update: the mini windows of sessions that are not in the box of
    // next go; the others keep showing the snapshot the panel holds. True when one went.
    bool DropSessionsNotIn(const SessionSnapshot& next);
    // Entry k of the stacking order a fresh build gives; none for a missing window.
    HWND StackEntry(int k) const;
    void ShowMiniWindows();
    void ShowButtons();
    // Mini windows in list order from the top, the buttons below them: as a fresh build
    // stacks them. Restacked only when the order differs.
    void Restack();
    void OnSessionButton(HWND control);
    void OnMouseMove(WPARAM wp, LPARAM lp);
    void OnCaptureLost(HWND wnd);
    void OnLeftButtonDown();
    void OnRightButtonDown(HWND wnd);
    void OnDragMove(LPARAM lp);
    void ContextMenu(HWND wnd);
    void OnMenuCommand(int command);

    ViewContext& context_;
    const int box_;
    Snapshot snapshot_;  // what the mini windows show: they point into it
    std::vector<std::unique_ptr<MiniWindow>> minis_;  // entry i stands for session i of the box
    // The window text that names the box to a screen reader, from its number and filter.
    void NameWindow();

    // The box's filter names a production system in snapshot.
    bool ProductionBox(const SessionSnapshot& snapshot) const;

    SessionRecord shownFilter_ = {};  // the filter whose texts the panel last painted
    bool shownProduction_ = false;    // and whether it painted the production band
    bool restackDue_ = true;          // the stacking order may differ from a fresh build's
};

}  // namespace quilvo
