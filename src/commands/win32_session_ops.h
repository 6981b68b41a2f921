// The session window commands' operations on real windows. No operation here waits for a
// session's thread: shows, hides, restores, raises and activations go to the session worker,
// which makes them in order, each window's once that window's thread is free. A
// session that is busy (a long report) or hung never holds the program, and nothing sent to
// the program meanwhile can run inside a command.
#pragma once

#include "commands/session_commands.h"
#include "core/monitors.h"
#include "platform/session_worker.h"

namespace quilvo {

class Win32SessionOps final : public SessionWindowOps {
public:
    // The worker must outlive the operations.
    explicit Win32SessionOps(SessionWorker& worker) : worker_(worker) {}

    void ShowAsync(WindowHandle window, int showCode) override;
    void OpenIcon(WindowHandle window) override;
    void BringUp(WindowHandle window) override;
    void BringToTop(WindowHandle window) override;
    void SendClose(WindowHandle window) override;
    void Activate(WindowHandle window) override;
    bool NotifyWhenSettled(WindowHandle window, unsigned message) override;

    // Puts the window at `normal` (screen coordinates), or only at its top left corner when it
    // is to be maximised, then maximises it: the move is posted to the window's thread (a new
    // session may still be busy opening), the maximise queued after it like every show.
    void PlaceAsync(WindowHandle window, const NormalRect& normal, bool maximized);

    // Told of every session the user shows or brings up through the program (a show other than
    // a hide or an iconize, a restore, a raise): its ready mark goes.
    void SetShownListener(void (*shown)(WindowHandle window)) { shown_ = shown; }

private:
    void NoteShown(WindowHandle window) const {
        if (shown_ != nullptr) shown_(window);
    }

    SessionWorker& worker_;
    void (*shown_)(WindowHandle window) = nullptr;
};

}  // namespace quilvo
