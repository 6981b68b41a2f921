// sessionsim: a stand-in for SAP GUI sessions, for Quilvo's tests, benchmarks and demo.
//
// Usage
//   sessionsim.exe --scenario FILE --log FILE [--id NAME]   run a scenario (id default "sessionsim")
//   sessionsim.exe --send ID COMMAND...                      send one command to a running
//                                                            simulator, print its reply; exit 0 if ok
//   Exit codes: 0 after `exit`; 2 bad arguments or scenario; 3 after a die-after-queries fault;
//   with --send: 1 the command was refused, 2 no simulator with that id.
//
// Scenario file: one window per line, blank lines and lines starting with '#' ignored.
//   session NAME [option...]   a session window (class SAP_FRONTEND_SESSION unless class=)
//   frame NAME [option...]     a plain top-level window (class SessionSimFrame) to parent sessions
// Options:
//   caption=TEXT  system= client= user= group= tx=     the caption (default NAME) and the answers
//   x= y= w= h=                   normal rectangle (default 100 100 640 480; for a child, in its
//                                 parent's client area)
//   max | min | hidden            shown maximised or minimised (the rectangle stays the restored
//                                 one), or not shown at all
//   class=NAME                    another window class (class names are case-insensitive within
//                                 one process: the first spelling registered is the one reported)
//   parent=NAME                   child window of a frame or session defined above
//   thread=NAME                   top-level windows naming the same thread share it, as the
//                                 sessions of one front-end process share its user-interface
//                                 thread: a hang of one of them makes them all busy
//   noanswer=client,group,user,system,tx   those fields answer 0
//   die-after-queries=N           the whole process ends (ExitProcess(3)) at the N-th SAP_GET_FRONT
//                                 this session receives, before replying
//   destroy-after-queries=N       the session destroys its window at its N-th query, before replying
//   hang-after-queries=N          the session's thread goes busy at its N-th query until `wake`,
//                                 then replies
//   sleep-on-move=MS              the thread answers any message at once but sleeps MS in every
//                                 WM_WINDOWPOSCHANGING (a raise, move, show or hide of the window)
//   delete-atoms=1                an OK code's atom is deleted once read, as receivers may do
//   send-on-query=HWND,MSG,WP,LP  at the next SAP_GET_FRONT, before replying, the session sends
//   send-on-move=HWND,MSG,WP,LP   (or, at the next WM_WINDOWPOSCHANGED) this message to that
//                                 window and waits for it (at most 60 s); once
// Values: a bare word, a "quoted text" (\" and \\ inside; "" is empty), or *N:TEXT, which
// repeats TEXT until it is exactly N characters long (tx=*255:X is 255 X's). Texts hold at
// most 255 characters, the most a global atom holds. An empty field answers 0.
//
// Sessions answer SAP_GET_FRONT (wParam: 4 client, 11 group, 15 user, 10 system, 5 tx) with a
// new global atom named by the answer, or 0; code 3 and unknown codes answer 0. SAP_SET_OKCODE
// wParam 3 closes the session; wParam 5 with lParam = a global atom runs that OK code (logged,
// becomes the session's tx; the atom stays the sender's).
//
// Threads: each top-level session and each frame has its own thread and message loop, so a
// busy session does not stop the others, unless thread=NAME puts several on one thread (whose
// root is a hidden window of its own, so any of them may close); a child lives on its
// parent's thread. The control window lives on the main thread.
//
// Control: a hidden top-level window of class SessionSimControl, caption = id. A command is
// the text of a WM_COPYDATA (cbData bytes, no terminator needed; wParam = a window of the
// sender). The message result is 1 when the command is accepted, 0 when refused; for `hwnd`
// it is the window handle. If wParam is a window, it first receives the reply text as a
// WM_COPYDATA tagged "SSMR": "ok", "ok <data>" or "error <why>". sim_client.h wraps this.
// Commands:
//   ping                            ok
//   open session-or-frame-line      the line of a scenario without the word `session` (a frame
//                                   keeps its word `frame`): "open B system=QAS ..."; data: hwnd
//   close NAME                      as if the user closed it (WM_CLOSE); waits up to 2 s for it
//   move NAME x y w h               SetWindowPos
//   caption NAME TEXT               TEXT as it stands, or a "quoted" / *N: value
//   set NAME key=value...           system client user group tx noanswer die-/destroy-/hang-after-queries
//                                   sleep-on-move delete-atoms send-on-query send-on-move
//   noanswer NAME fields|none
//   hang NAME [ms]                  the session's thread sleeps until `wake` (or ms pass): every
//                                   window of that thread is busy; the reply comes once it is busy
//   wake NAME
//   maximize|minimize|restore|hide|show NAME
//   hwnd NAME                       data: the handle in hex; result: the handle
//   placement NAME                  data: "SHOWCMD x y w h", the normal rectangle as the
//                                   window's own process sees it
//   count                           data: live sessions (frames not counted)
//   list                            data: "NAME=hwnd" of live windows, blank-separated
//   exit                            destroy every window, end the process with code 0
// Commands that act on a window run on its thread and are awaited up to 2 s; if the thread is
// busy the reply is "ok queued" and the action happens when the thread is free again.
//
// Log (--log FILE): one line per event, written with WriteFile at once (no buffering in this
// process, so a line survives TerminateProcess):
//   ready                            the scenario's windows are up and the control window waits
//   cmd TEXT                         a control command received
//   get NAME CODE ANSWER|-           a SAP_GET_FRONT received and its answer (- for none)
//   okcode NAME TEXT                 an OK code run through SAP_SET_OKCODE 5 (- if unreadable)
//   close NAME                       the session is being closed (by SAP_SET_OKCODE 3 or the user)
//   show NAME hidden|shown|minimized|maximized|restored   a change of show state
//   busy NAME / awake NAME           the session's thread went busy (hang, sleep-on-move) / is free again
//   sent NAME RESULT                 a send-on-query or send-on-move message was answered (or
//                                    "sent NAME -" when it was not)
//   destroyed NAME                   the window is gone
//   die NAME                         the process is ending for die-after-queries
//   error TEXT                       a scenario or start-up problem
//   exit                             the process ends after `exit`

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "scenario.h"
#include "sim_client.h"

namespace sessionsim {
namespace {

constexpr char kDefaultSessionClass[] = "SAP_FRONTEND_SESSION";
constexpr char kFrameClass[] = "SessionSimFrame";
constexpr UINT WM_SIM_RUN_TASKS = WM_APP + 1;  // a window's thread has queued tasks
constexpr DWORD kActionWaitMs = 2000;
constexpr int kExitDied = 3;

UINT g_msgGetFront = 0;
UINT g_msgSetOkCode = 0;
HINSTANCE g_instance = nullptr;

// ---------------------------------------------------------------------------------------------
class Log {
public:
    bool open(const std::string& path) {
        file_ = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        return file_ != INVALID_HANDLE_VALUE;
    }
    void line(std::string text) {
        for (char& c : text) {
            if (c == '\r' || c == '\n') c = ' ';  // one event, one line
        }
        text += "\r\n";
        std::lock_guard<std::mutex> lock(mu_);
        if (file_ == INVALID_HANDLE_VALUE) return;
        DWORD written = 0;
        WriteFile(file_, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    }

private:
    std::mutex mu_;
    HANDLE file_ = INVALID_HANDLE_VALUE;
};

Log g_log;

void printTo(DWORD which, const std::string& text) {
    HANDLE out = GetStdHandle(which);
    if (!out || out == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

// ---------------------------------------------------------------------------------------------
// A thread with a message loop that owns windows. Other threads hand it work as tasks, queued
// here and announced by a posted message to its root window, so the work runs between the
// messages the thread handles, never inside a cross-thread SendMessage that could block.
class UiThread {
public:
    struct Task {
        std::function<void()> fn;
        HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        ~Task() { CloseHandle(done); }
    };

    ~UiThread() {
        if (handle) CloseHandle(handle);
        if (ready) CloseHandle(ready);
    }

    // Queues fn; returns the task (null if the thread has ended).
    std::shared_ptr<Task> post(std::function<void()> fn) {
        auto task = std::make_shared<Task>();
        task->fn = std::move(fn);
        {
            std::lock_guard<std::mutex> lock(mu_);
            if (ended_ || !root) return nullptr;
            queue_.push_back(task);
        }
        PostMessageA(root, WM_SIM_RUN_TASKS, 0, 0);
        return task;
    }
    // Runs the queued tasks; called on this thread.
    void drain() {
        for (;;) {
            std::shared_ptr<Task> task;
            {
                std::lock_guard<std::mutex> lock(mu_);
                if (queue_.empty()) return;
                task = queue_.front();
                queue_.pop_front();
            }
            task->fn();
            SetEvent(task->done);
        }
    }
    // The loop is over: pending tasks will never run.
    void end() {
        std::deque<std::shared_ptr<Task>> dropped;
        {
            std::lock_guard<std::mutex> lock(mu_);
            ended_ = true;
            dropped.swap(queue_);
        }
        for (auto& task : dropped) SetEvent(task->done);
    }

    HANDLE handle = nullptr;
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HWND root = nullptr;
    std::function<HWND()> create;  // runs first on the new thread and makes the root window

private:
    std::mutex mu_;
    std::deque<std::shared_ptr<Task>> queue_;
    bool ended_ = false;
};

// ---------------------------------------------------------------------------------------------
class SimWindow {
public:
    explicit SimWindow(const WindowDesc& desc) : desc_(desc) {}
    ~SimWindow() { CloseHandle(wake_); }

    // Makes the window on the calling thread (the one that will own it).
    HWND create(HWND parent);
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept;

    const std::string& name() const { return desc_.name; }
    bool isFrame() const { return desc_.frame; }
    bool isRoot() const { return root_; }
    HWND hwnd() const { return hwnd_; }
    bool alive() const { return alive_; }
    bool busy() const { return busy_; }
    std::shared_ptr<UiThread> thread;

    // Changes the answers; safe from any thread.
    bool applyRuntime(const std::vector<Option>& options, std::string& error);
    void setNoAnswer(unsigned mask) {
        std::lock_guard<std::mutex> lock(mu_);
        desc_.noAnswer = mask;
    }
    // Runs on the window's own thread: sleeps until woken or ms pass (0: no limit).
    void goBusy(DWORD ms);
    void wake() { SetEvent(wake_); }
    // Destroys the window on its own thread; the hide that goes with it is not a show change.
    void destroy() {
        destroying_ = true;
        DestroyWindow(hwnd_);
    }

private:
    LRESULT onMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT onGetFront(WPARAM code);
    LRESULT onSetOkCode(WPARAM code, LPARAM lParam);
    void onWindowPosChanging();
    // Sends the message of send-on-query or send-on-move once, and forgets it.
    void sendOnce(std::string WindowDesc::* which);
    void onPaint();
    void noteShowState();

    enum class Shown { Hidden, Normal, Minimized, Maximized };

    std::mutex mu_;  // guards desc_ fields and fault counters, read by the window's thread
    WindowDesc desc_;
    HWND hwnd_ = nullptr;
    bool root_ = false;
    std::atomic<bool> alive_{false};
    std::atomic<bool> busy_{false};
    HANDLE wake_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    int queries_ = 0;            // window thread only
    bool destroying_ = false;    // window thread only
    Shown shown_ = Shown::Hidden;  // window thread only
};

std::mutex g_windowsMu;
std::map<std::string, std::shared_ptr<SimWindow>> g_windows;  // by name, the latest of that name
std::vector<std::shared_ptr<SimWindow>> g_allWindows;          // every window ever made (kept alive)

// Threads named by thread=NAME, by name; each has a hidden root window of its own.
std::map<std::string, std::shared_ptr<UiThread>> g_namedThreads;  // under g_windowsMu
constexpr char kThreadRootClass[] = "SessionSimThread";

LRESULT CALLBACK threadRootProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    auto* thread = reinterpret_cast<UiThread*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (msg == WM_SIM_RUN_TASKS && thread) {
        thread->drain();
        return 0;
    }
    if (msg == WM_NCDESTROY && thread) {
        thread->end();
        PostQuitMessage(0);
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

DWORD WINAPI uiThreadMain(LPVOID param);

// The named thread, started on first use.
std::shared_ptr<UiThread> namedThread(const std::string& name, std::string& error) {
    std::lock_guard<std::mutex> lock(g_windowsMu);
    auto it = g_namedThreads.find(name);
    if (it != g_namedThreads.end()) return it->second;
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = threadRootProc;
    wc.hInstance = g_instance;
    wc.lpszClassName = kThreadRootClass;
    RegisterClassExA(&wc);  // already registered: fine
    auto thread = std::make_shared<UiThread>();
    UiThread* raw = thread.get();
    thread->create = [raw] {
        HWND root = CreateWindowExA(0, kThreadRootClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, g_instance, nullptr);
        if (root) SetWindowLongPtrA(root, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(raw));
        return root;
    };
    DWORD id = 0;
    thread->handle = CreateThread(nullptr, 0, uiThreadMain, raw, 0, &id);
    if (!thread->handle || WaitForSingleObject(thread->ready, 10000) != WAIT_OBJECT_0 || !thread->root) {
        error = "cannot start thread '" + name + "'";
        return nullptr;
    }
    g_namedThreads[name] = thread;
    return thread;
}

std::shared_ptr<SimWindow> findWindow(const std::string& name) {
    std::lock_guard<std::mutex> lock(g_windowsMu);
    auto it = g_windows.find(name);
    return it == g_windows.end() ? nullptr : it->second;
}

bool registerClass(const std::string& name) {
    static std::mutex mu;
    std::lock_guard<std::mutex> lock(mu);
    WNDCLASSEXA probe{};
    probe.cbSize = sizeof probe;
    if (GetClassInfoExA(g_instance, name.c_str(), &probe)) return true;
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = &SimWindow::windowProc;
    wc.hInstance = g_instance;
    wc.hIcon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = name.c_str();
    return RegisterClassExA(&wc) != 0;
}

HWND SimWindow::create(HWND parent) {
    const std::string cls = desc_.frame ? kFrameClass : desc_.className.empty() ? kDefaultSessionClass : desc_.className;
    if (!registerClass(cls)) return nullptr;
    root_ = parent == nullptr && desc_.thread.empty();
    DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    if (parent) style |= WS_CHILD;
    HWND hwnd = CreateWindowExA(0, cls.c_str(), desc_.caption.c_str(), style, desc_.x, desc_.y, desc_.w, desc_.h,
                                parent, nullptr, g_instance, this);
    if (!hwnd) return nullptr;
    if (desc_.hidden) return hwnd;
    if (desc_.maximized || desc_.minimized) {
        // Through the placement, so the scenario's rectangle stays the one restored to
        // (a plain ShowWindow on a window never shown can record the maximised one instead).
        WINDOWPLACEMENT wp{};
        wp.length = sizeof wp;
        GetWindowPlacement(hwnd, &wp);
        wp.flags = 0;
        wp.showCmd = desc_.maximized ? SW_SHOWMAXIMIZED : SW_SHOWMINNOACTIVE;
        wp.rcNormalPosition = RECT{desc_.x, desc_.y, desc_.x + desc_.w, desc_.y + desc_.h};
        SetWindowPlacement(hwnd, &wp);
    } else {
        ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    }
    UpdateWindow(hwnd);
    return hwnd;
}

LRESULT CALLBACK SimWindow::windowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTA*>(lParam);
        auto* self = static_cast<SimWindow*>(cs->lpCreateParams);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->hwnd_ = hwnd;
        self->alive_ = true;
    }
    auto* self = reinterpret_cast<SimWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcA(hwnd, msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        self->alive_ = false;
        if (self->root_) {
            self->thread->end();
            PostQuitMessage(0);
        }
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
    return self->onMessage(msg, wParam, lParam);
}

LRESULT SimWindow::onMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == g_msgGetFront && !desc_.frame) return onGetFront(wParam);
    if (msg == g_msgSetOkCode && !desc_.frame) return onSetOkCode(wParam, lParam);
    switch (msg) {
    case WM_SIM_RUN_TASKS:
        if (thread) thread->drain();
        return 0;
    case WM_CLOSE:
        g_log.line("close " + desc_.name);
        destroy();
        return 0;
    case WM_SHOWWINDOW:
        // Sent before the visibility changes; a hide is final here, a show is seen afterwards
        // by WM_WINDOWPOSCHANGED.
        if (!wParam && shown_ != Shown::Hidden && !destroying_) {
            shown_ = Shown::Hidden;
            g_log.line("show " + desc_.name + " hidden");
        }
        break;
    case WM_WINDOWPOSCHANGING:
        onWindowPosChanging();
        break;
    case WM_WINDOWPOSCHANGED:
        // Once the change is made, so a show sent back meanwhile is not undone by it.
        sendOnce(&WindowDesc::sendOnMove);
        noteShowState();
        break;
    case WM_SIZE:
        noteShowState();
        break;
    case WM_PAINT:
        onPaint();
        return 0;
    case WM_DESTROY:
        g_log.line("destroyed " + desc_.name);
        break;
    default:
        break;
    }
    return DefWindowProcA(hwnd_, msg, wParam, lParam);
}

void SimWindow::noteShowState() {
    if (destroying_) return;
    Shown now = !IsWindowVisible(hwnd_) ? Shown::Hidden
                : IsIconic(hwnd_)       ? Shown::Minimized
                : IsZoomed(hwnd_)       ? Shown::Maximized
                                        : Shown::Normal;
    if (now == shown_) return;
    const char* word = now == Shown::Hidden      ? "hidden"
                       : now == Shown::Minimized ? "minimized"
                       : now == Shown::Maximized ? "maximized"
                       : shown_ == Shown::Hidden ? "shown"
                                                 : "restored";
    shown_ = now;
    g_log.line("show " + desc_.name + " " + word);
}

LRESULT SimWindow::onGetFront(WPARAM code) {
    ++queries_;
    const std::string prefix = "get " + desc_.name + " " + std::to_string(static_cast<long long>(code)) + " ";
    int dieAt, destroyAt, hangAt;
    {
        std::lock_guard<std::mutex> lock(mu_);
        dieAt = desc_.dieAfterQueries;
        destroyAt = desc_.destroyAfterQueries;
        hangAt = desc_.hangAfterQueries;
    }
    if (dieAt && queries_ == dieAt) {
        g_log.line(prefix + "-");
        g_log.line("die " + desc_.name);
        ExitProcess(kExitDied);
    }
    if (destroyAt && queries_ == destroyAt) {
        g_log.line(prefix + "-");
        destroy();
        return 0;
    }
    sendOnce(&WindowDesc::sendOnQuery);
    if (hangAt && queries_ == hangAt) goBusy(0);

    std::string answer;
    const int field = fieldForCode(static_cast<long long>(code));
    if (field >= 0) {
        std::lock_guard<std::mutex> lock(mu_);
        if (!(desc_.noAnswer & (1u << field))) answer = desc_.fields[field];
    }
    ATOM atom = answer.empty() ? 0 : GlobalAddAtomA(answer.c_str());
    g_log.line(prefix + (atom ? answer : std::string("-")));
    return atom;
}

LRESULT SimWindow::onSetOkCode(WPARAM code, LPARAM lParam) {
    if (code == 3) {
        // Closed after the reply, as a session ends once it has taken the request.
        PostMessageA(hwnd_, WM_CLOSE, 0, 0);
        return 1;
    }
    if (code != 5) return 0;
    char buf[kMaxText + 1] = {};
    const UINT n = GlobalGetAtomNameA(static_cast<ATOM>(lParam & 0xFFFF), buf, sizeof buf);
    if (n == 0) {
        g_log.line("okcode " + desc_.name + " -");
        return 0;
    }
    const std::string okCode(buf, n);
    bool deleteAtom;
    {
        std::lock_guard<std::mutex> lock(mu_);
        deleteAtom = desc_.deleteAtoms != 0;
    }
    if (deleteAtom) GlobalDeleteAtom(static_cast<ATOM>(lParam & 0xFFFF));
    {
        std::lock_guard<std::mutex> lock(mu_);
        desc_.fields[kTx] = okCode;
    }
    g_log.line("okcode " + desc_.name + " " + okCode);
    InvalidateRect(hwnd_, nullptr, TRUE);
    return 1;
}

void SimWindow::onWindowPosChanging() {
    int sleepMs;
    {
        std::lock_guard<std::mutex> lock(mu_);
        sleepMs = desc_.sleepOnMoveMs;
    }
    if (sleepMs > 0 && !destroying_) goBusy(static_cast<DWORD>(sleepMs));
}

void SimWindow::sendOnce(std::string WindowDesc::* which) {
    std::string text;
    {
        std::lock_guard<std::mutex> lock(mu_);
        text.swap(desc_.*which);
    }
    SentMessage m;
    if (text.empty() || !parseSentMessage(text, m)) return;
    DWORD_PTR result = 0;
    const LRESULT answered =
        SendMessageTimeoutA(reinterpret_cast<HWND>(static_cast<UINT_PTR>(m.window)), static_cast<UINT>(m.message),
                            static_cast<WPARAM>(m.wParam), static_cast<LPARAM>(m.lParam), SMTO_NORMAL, 60000, &result);
    g_log.line("sent " + desc_.name + " " + (answered ? std::to_string(static_cast<unsigned long long>(result)) : "-"));
}

void SimWindow::onPaint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd_, &ps);
    if (!dc) return;
    std::vector<std::string> lines;
    {
        std::lock_guard<std::mutex> lock(mu_);
        lines.push_back((desc_.frame ? "Frame " : "Session ") + desc_.name);
        if (!desc_.frame) {
            const char* labels[kFieldCount] = {"Client", "Server group", "User", "System", "Transaction"};
            for (int f = 0; f < kFieldCount; ++f) {
                const bool silent = desc_.noAnswer & (1u << f);
                lines.push_back(std::string(labels[f]) + ": " + desc_.fields[f] + (silent ? "  (no answer)" : ""));
            }
        }
    }
    HGDIOBJ oldFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    int y = 4;
    for (const std::string& line : lines) {
        TextOutA(dc, 6, y, line.c_str(), static_cast<int>(line.size()));
        y += 16;
    }
    SelectObject(dc, oldFont);
    EndPaint(hwnd_, &ps);
}

bool SimWindow::applyRuntime(const std::vector<Option>& options, std::string& error) {
    std::lock_guard<std::mutex> lock(mu_);
    WindowDesc changed = desc_;
    for (const Option& option : options) {
        if (!applyOption(changed, option, true, error)) return false;
    }
    desc_ = changed;
    if (hwnd_) InvalidateRect(hwnd_, nullptr, TRUE);
    return true;
}

void SimWindow::goBusy(DWORD ms) {
    ResetEvent(wake_);
    busy_ = true;
    g_log.line("busy " + desc_.name);
    const DWORD start = GetTickCount();
    for (;;) {
        // Deliberately no message handling here: the thread is busy.
        if (WaitForSingleObject(wake_, 20) == WAIT_OBJECT_0) break;
        if (ms && GetTickCount() - start >= ms) break;
    }
    busy_ = false;
    g_log.line("awake " + desc_.name);
}

// ---------------------------------------------------------------------------------------------
DWORD WINAPI uiThreadMain(LPVOID param) {
    auto* thread = static_cast<UiThread*>(param);
    thread->root = thread->create();
    if (!thread->root) thread->end();
    SetEvent(thread->ready);
    if (!thread->root) return 1;
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    thread->end();
    return 0;
}

// Opens one window of a scenario line: on a new thread when top-level, on its parent's thread
// when a child.
std::shared_ptr<SimWindow> openWindow(const WindowDesc& desc, std::string& error) {
    auto existing = findWindow(desc.name);
    if (existing && existing->alive()) {
        error = "'" + desc.name + "' is open already";
        return nullptr;
    }
    auto window = std::make_shared<SimWindow>(desc);
    {
        // Kept for the life of the process, so a late message or task never finds it gone.
        std::lock_guard<std::mutex> lock(g_windowsMu);
        g_allWindows.push_back(window);
    }
    if (!desc.parent.empty() || !desc.thread.empty()) {
        HWND parentHwnd = nullptr;
        if (!desc.parent.empty()) {
            auto parent = findWindow(desc.parent);
            if (!parent || !parent->alive()) {
                error = "no parent '" + desc.parent + "'";
                return nullptr;
            }
            window->thread = parent->thread;
            parentHwnd = parent->hwnd();
        } else {
            window->thread = namedThread(desc.thread, error);
            if (!window->thread) return nullptr;
        }
        auto made = std::make_shared<HWND>(nullptr);
        auto task = window->thread->post([made, window, parentHwnd] { *made = window->create(parentHwnd); });
        if (!task || WaitForSingleObject(task->done, 10000) != WAIT_OBJECT_0) {
            error = "window's thread busy";
            return nullptr;
        }
        if (!*made) {
            error = "cannot create window";
            return nullptr;
        }
    } else {
        auto thread = std::make_shared<UiThread>();
        window->thread = thread;
        thread->create = [window] { return window->create(nullptr); };
        DWORD id = 0;
        thread->handle = CreateThread(nullptr, 0, uiThreadMain, thread.get(), 0, &id);
        if (!thread->handle || WaitForSingleObject(thread->ready, 10000) != WAIT_OBJECT_0 || !thread->root) {
            error = "cannot create window";
            return nullptr;
        }
    }
    std::lock_guard<std::mutex> lock(g_windowsMu);
    g_windows[desc.name] = window;
    return window;
}

// ---------------------------------------------------------------------------------------------
struct Reply {
    bool ok = true;
    std::string text = "ok";
    LRESULT result = 1;
};

Reply failed(const std::string& why) { return Reply{false, "error " + why, 0}; }

std::string hexHandle(HWND hwnd) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "0x%llx", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(hwnd)));
    return buf;
}

// Runs fn on the window's thread; "ok queued" if it does not get to it in time.
Reply onWindowThread(const std::shared_ptr<SimWindow>& window, std::function<void()> fn) {
    auto task = window->thread->post(std::move(fn));
    if (!task) return failed("window gone");
    if (WaitForSingleObject(task->done, kActionWaitMs) != WAIT_OBJECT_0) return Reply{true, "ok queued", 1};
    return Reply{};
}

bool g_exitRequested = false;

Reply runCommand(const std::string& text) {
    std::size_t cut = text.find(' ');
    const std::string verb = text.substr(0, cut);
    std::string rest = cut == std::string::npos ? std::string() : text.substr(cut + 1);
    std::string error;

    if (verb == "ping") return Reply{};
    if (verb == "exit") {
        g_exitRequested = true;
        return Reply{};
    }
    if (verb == "count" || verb == "list") {
        int live = 0;
        std::string list;
        std::lock_guard<std::mutex> lock(g_windowsMu);
        for (auto& entry : g_windows) {
            if (!entry.second->alive()) continue;
            if (!entry.second->isFrame()) ++live;
            list += (list.empty() ? "" : " ") + entry.first + "=" + hexHandle(entry.second->hwnd());
        }
        return Reply{true, "ok " + (verb == "count" ? std::to_string(live) : list), 1};
    }
    if (verb == "open") {
        WindowDesc desc;
        const bool frame = rest.compare(0, 6, "frame ") == 0;
        if (!parseWindowLine(frame ? rest : "session " + rest, desc, error)) return failed(error);
        auto window = openWindow(desc, error);
        if (!window) return failed(error);
        return Reply{true, "ok " + hexHandle(window->hwnd()), 1};
    }

    static const char* const kWindowVerbs[] = {"hwnd", "close", "move", "caption", "set", "noanswer", "hang",
                                               "wake", "placement", "maximize", "minimize", "restore", "hide", "show"};
    bool known = false;
    for (const char* v : kWindowVerbs) known = known || verb == v;
    if (!known) return failed("unknown command '" + verb + "'");

    // The rest act on one named window.
    cut = rest.find(' ');
    const std::string name = rest.substr(0, cut);
    rest = cut == std::string::npos ? std::string() : rest.substr(cut + 1);
    auto window = findWindow(name);
    if (!window || !window->alive()) return failed("no window '" + name + "'");
    HWND hwnd = window->hwnd();

    if (verb == "hwnd") return Reply{true, "ok " + hexHandle(hwnd), reinterpret_cast<LRESULT>(hwnd)};
    if (verb == "close") {
        PostMessageA(hwnd, WM_CLOSE, 0, 0);
        const DWORD start = GetTickCount();
        while (window->alive() && GetTickCount() - start < kActionWaitMs) Sleep(1);
        return window->alive() ? Reply{true, "ok queued", 1} : Reply{};
    }
    if (verb == "move") {
        int x, y, w, h;
        if (std::sscanf(rest.c_str(), "%d %d %d %d", &x, &y, &w, &h) != 4) return failed("move NAME x y w h");
        return onWindowThread(window, [=] { SetWindowPos(hwnd, nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE); });
    }
    if (verb == "caption") {
        std::string caption;
        if (!parseValue(rest, caption, error)) return failed(error);
        return onWindowThread(window, [=] { SetWindowTextA(hwnd, caption.c_str()); });
    }
    if (verb == "set") {
        std::vector<Option> options;
        if (!tokenize(rest, options, error) || !window->applyRuntime(options, error)) return failed(error);
        return Reply{};
    }
    if (verb == "noanswer") {
        unsigned mask = 0;
        if (!parseFieldList(rest, mask, error)) return failed(error);
        window->setNoAnswer(mask);
        return Reply{};
    }
    if (verb == "hang") {
        if (window->busy()) return failed("busy already");
        const DWORD ms = static_cast<DWORD>(std::strtoul(rest.c_str(), nullptr, 10));
        if (!window->thread->post([window, ms] { window->goBusy(ms); })) return failed("window gone");
        const DWORD start = GetTickCount();
        while (!window->busy() && GetTickCount() - start < kActionWaitMs) Sleep(1);
        return window->busy() ? Reply{} : Reply{true, "ok queued", 1};
    }
    if (verb == "placement") {
        // Read by the window's own process: Wine answers GetWindowPlacement from another
        // process with the current rectangle, not the one a maximised window restores to.
        auto out = std::make_shared<std::string>();
        auto task = window->thread->post([hwnd, out] {
            WINDOWPLACEMENT wp{};
            wp.length = sizeof wp;
            if (!GetWindowPlacement(hwnd, &wp)) return;
            const RECT& r = wp.rcNormalPosition;
            *out = std::to_string(wp.showCmd) + " " + std::to_string(r.left) + " " + std::to_string(r.top) + " " +
                   std::to_string(r.right - r.left) + " " + std::to_string(r.bottom - r.top);
        });
        if (!task || WaitForSingleObject(task->done, kActionWaitMs) != WAIT_OBJECT_0) return failed("window busy");
        if (out->empty()) return failed("no placement");
        return Reply{true, "ok " + *out, 1};
    }
    if (verb == "wake") {
        window->wake();
        return Reply{};
    }
    const int show = verb == "maximize" ? SW_MAXIMIZE
                     : verb == "minimize" ? SW_MINIMIZE
                     : verb == "restore"  ? SW_RESTORE
                     : verb == "hide"     ? SW_HIDE
                                          : SW_SHOW;
    return onWindowThread(window, [=] { ShowWindow(hwnd, show); });
}

LRESULT CALLBACK controlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    if (msg != WM_COPYDATA) {
        if (msg == WM_CLOSE) {
            g_exitRequested = true;
            PostQuitMessage(0);
            return 0;
        }
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
    auto* cds = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    if (!cds || cds->dwData != kCommandTag) return 0;
    std::string text(static_cast<const char*>(cds->lpData), cds->lpData ? cds->cbData : 0);
    while (!text.empty() && (text.back() == '\0' || text.back() == '\r' || text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    g_log.line("cmd " + text);
    Reply reply;
    try {
        reply = runCommand(text);
    } catch (const std::exception& e) {
        reply = failed(e.what());
    }
    HWND sender = reinterpret_cast<HWND>(wParam);
    if (sender && IsWindow(sender)) {
        COPYDATASTRUCT back{};
        back.dwData = kReplyTag;
        back.cbData = static_cast<DWORD>(reply.text.size());
        back.lpData = const_cast<char*>(reply.text.data());
        DWORD_PTR ignored = 0;
        SendMessageTimeoutA(sender, WM_COPYDATA, reinterpret_cast<WPARAM>(hwnd), reinterpret_cast<LPARAM>(&back),
                            SMTO_ABORTIFHUNG, 5000, &ignored);
    }
    if (g_exitRequested) PostQuitMessage(0);
    return reply.result;
}

// Destroys every window from its own thread and gives the threads a moment to end; a busy
// thread does not hold up the exit.
void shutDown() {
    std::vector<std::shared_ptr<SimWindow>> roots;
    std::vector<std::shared_ptr<UiThread>> threads;
    {
        std::lock_guard<std::mutex> lock(g_windowsMu);
        for (auto& window : g_allWindows) {
            if (window->alive() && window->isRoot()) {
                roots.push_back(window);
                threads.push_back(window->thread);
            }
        }
        for (auto& entry : g_namedThreads) threads.push_back(entry.second);
    }
    for (auto& window : roots) window->thread->post([window] { window->destroy(); });
    for (auto& entry : g_namedThreads) {
        HWND root = entry.second->root;
        entry.second->post([root] { DestroyWindow(root); });
    }
    const DWORD start = GetTickCount();
    for (auto& thread : threads) {
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed < 3000) WaitForSingleObject(thread->handle, 3000 - elapsed);
    }
}

// `--send ID words...`: a word with blanks is taken back into quotes (key="a b") so a command
// split by the shell reads as it was typed.
int runClient(const std::string& id, const std::vector<std::string>& words) {
    std::string command;
    for (const std::string& word : words) {
        if (!command.empty()) command += ' ';
        const std::size_t eq = word.find('=');
        if (words.size() > 1 && word.find(' ') != std::string::npos && word.find('"') == std::string::npos &&
            eq != std::string::npos) {
            command += word.substr(0, eq + 1) + "\"" + word.substr(eq + 1) + "\"";
        } else {
            command += word;
        }
    }
    HWND control = FindWindowA(kControlClass, id.c_str());
    if (!control) {
        printTo(STD_ERROR_HANDLE, "sessionsim: no simulator with id '" + id + "'\n");
        return 2;
    }
    const CommandResult r = sendCommand(control, command);
    printTo(STD_OUTPUT_HANDLE, r.text + "\n");
    return r.ok ? 0 : 1;
}

int usage(const std::string& why) {
    printTo(STD_ERROR_HANDLE, "sessionsim: " + why +
                                  "\nusage: sessionsim --scenario FILE --log FILE [--id NAME]\n"
                                  "       sessionsim --send ID COMMAND...\n");
    return 2;
}

int run(int argc, char** argv) {
    std::string scenarioPath, logPath, id = "sessionsim", sendId;
    std::vector<std::string> sendWords;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (!sendId.empty()) {
            sendWords.push_back(arg);
        } else if (arg == "--send" && i + 1 < argc) {
            sendId = argv[++i];
        } else if (arg == "--scenario" && i + 1 < argc) {
            scenarioPath = argv[++i];
        } else if (arg == "--log" && i + 1 < argc) {
            logPath = argv[++i];
        } else if (arg == "--id" && i + 1 < argc) {
            id = argv[++i];
        } else {
            return usage("unexpected argument '" + arg + "'");
        }
    }
    if (!sendId.empty()) {
        if (sendWords.empty()) return usage("--send needs a command");
        return runClient(sendId, sendWords);
    }
    if (scenarioPath.empty() || logPath.empty()) return usage("--scenario and --log are required");
    if (!g_log.open(logPath)) return usage("cannot open log " + logPath);

    auto fail = [](const std::string& why) {
        g_log.line("error " + why);
        printTo(STD_ERROR_HANDLE, "sessionsim: " + why + "\n");
        return 2;
    };
    if (FindWindowA(kControlClass, id.c_str())) return fail("a simulator with id '" + id + "' runs already");
    if (GetFileAttributesA(scenarioPath.c_str()) == INVALID_FILE_ATTRIBUTES)
        return fail("cannot read scenario " + scenarioPath);
    const std::string text = detail::readWholeFile(scenarioPath);
    std::vector<WindowDesc> descs;
    std::string error;
    if (!parseScenario(text, descs, error)) return fail(scenarioPath + ": " + error);

    g_msgGetFront = RegisterWindowMessageA("SAP_GET_FRONT");
    g_msgSetOkCode = RegisterWindowMessageA("SAP_SET_OKCODE");

    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = controlProc;
    wc.hInstance = g_instance;
    wc.lpszClassName = kControlClass;
    if (!RegisterClassExA(&wc)) return fail("cannot register the control class");

    for (const WindowDesc& desc : descs) {
        if (!openWindow(desc, error)) return fail(desc.name + ": " + error);
    }
    HWND control = CreateWindowExA(0, kControlClass, id.c_str(), WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr,
                                   g_instance, nullptr);
    if (!control) return fail("cannot create the control window");
    g_log.line("ready");

    MSG msg;
    while (!g_exitRequested && GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    DestroyWindow(control);
    shutDown();
    g_log.line("exit");
    return 0;
}

}  // namespace
}  // namespace sessionsim

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    sessionsim::g_instance = instance;
    // ExitProcess rather than a return: a session thread still busy in a hang must not keep
    // the process alive.
    ExitProcess(static_cast<UINT>(sessionsim::run(__argc, __argv)));
}
