// One window of the session simulator: a session or a frame, as a scenario line describes it.
//
// Sessions answer SAP_GET_FRONT (wParam: 4 client, 11 group, 15 user, 10 system, 5 tx) with a
// new global atom named by the answer, or 0; code 3 and unknown codes answer 0. SAP_SET_OKCODE
// wParam 3 closes the session; wParam 5 with lParam = a global atom runs that OK code (logged,
// becomes the session's tx; the atom stays the sender's unless delete-atoms is set; with
// okcode-delay the name is read only after that delay, as a busy session reads it late).
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "query_counts.h"
#include "scenario.h"
#include "ui_thread.h"

namespace sessionsim {

extern HINSTANCE g_instance;

// Registers SAP_GET_FRONT and SAP_SET_OKCODE; called once before the first window is made.
void RegisterSessionMessages();

class SimWindow {
public:
    explicit SimWindow(const WindowDesc& desc) : desc_(desc) {}
    ~SimWindow() { CloseHandle(wake_); }

    // Makes the window on the calling thread (the one that will own it).
    HWND Create(HWND parent);
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept;

    const std::string& Name() const { return desc_.name; }
    bool IsFrame() const { return desc_.frame; }
    bool IsRoot() const { return root_; }
    HWND Hwnd() const { return hwnd_; }
    bool Alive() const { return alive_; }
    bool Busy() const { return busy_; }
    std::shared_ptr<UiThread> thread;

    // Changes the answers; safe from any thread.
    bool ApplyRuntime(const std::vector<Option>& options, std::string& error);
    // The SAP_GET_FRONT queries this session received since it opened or since the last reset;
    // safe from any thread. The reset leaves the fault counters (die-after-queries...) alone.
    QueryCounts Queries() const {
        std::lock_guard<std::mutex> lock(mu_);
        return queryCounts_;
    }
    void ResetQueries() {
        std::lock_guard<std::mutex> lock(mu_);
        queryCounts_ = QueryCounts{};
    }
    void SetNoAnswer(unsigned mask) {
        std::lock_guard<std::mutex> lock(mu_);
        desc_.noAnswer = mask;
    }
    // Runs on the window's own thread: sleeps until woken or ms pass (0: no limit).
    void GoBusy(DWORD ms);
    void Wake() { SetEvent(wake_); }
    // Destroys the window on its own thread; the hide that goes with it is not a show change.
    void Destroy() {
        destroying_ = true;
        DestroyWindow(hwnd_);
    }

private:
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT OnGetFront(WPARAM code);
    // The text a SAP_GET_FRONT of that code answers; empty for none.
    std::string AnswerFor(WPARAM code);
    LRESULT OnSetOkCode(WPARAM code, LPARAM lParam);
    void OnWindowPosChanging();
    // "/o<code>": a new session of this one's logon, in front, while the logon has fewer than
    // max-sessions sessions; logged "opened NEWNAME CODE" or "refused NAME /oCODE N sessions".
    void OpenSessionOfLogon(const std::string& code);
    bool SameLogon(const SimWindow& other);
    // Sends the message of send-on-query or send-on-move once, and forgets it.
    void SendOnce(std::string WindowDesc::* which);
    void OnPaint();
    void NoteShowState();

    enum class Shown { Hidden, Normal, Minimized, Maximized };

    mutable std::mutex mu_;  // guards desc_ fields and fault counters, read by the window's thread
    WindowDesc desc_;
    QueryCounts queryCounts_;
    HWND hwnd_ = nullptr;
    bool root_ = false;
    std::atomic<bool> alive_{false};
    std::atomic<bool> busy_{false};
    HANDLE wake_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    int queries_ = 0;            // window thread only
    bool destroying_ = false;    // window thread only
    Shown shown_ = Shown::Hidden;  // window thread only
};

}  // namespace sessionsim
