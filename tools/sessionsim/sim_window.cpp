#include "sim_window.h"

#include "event_log.h"
#include "open_windows.h"

namespace sessionsim {

HINSTANCE g_instance = nullptr;

namespace {

constexpr char kDefaultSessionClass[] = "SAP_FRONTEND_SESSION";
constexpr char kFrameClass[] = "SessionSimFrame";
constexpr int kExitDied = 3;

UINT g_msgGetFront = 0;
UINT g_msgSetOkCode = 0;

bool RegisterWindowClass(const std::string& name) {
    static std::mutex mu;
    std::lock_guard<std::mutex> lock(mu);
    WNDCLASSEXA probe{};
    probe.cbSize = sizeof probe;
    if (GetClassInfoExA(g_instance, name.c_str(), &probe)) return true;
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = &SimWindow::WindowProc;
    wc.hInstance = g_instance;
    wc.hIcon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = name.c_str();
    return RegisterClassExA(&wc) != 0;
}

}  // namespace

void RegisterSessionMessages() {
    g_msgGetFront = RegisterWindowMessageA("SAP_GET_FRONT");
    g_msgSetOkCode = RegisterWindowMessageA("SAP_SET_OKCODE");
}

HWND SimWindow::Create(HWND parent) {
    const std::string cls = desc_.frame ? kFrameClass : desc_.className.empty() ? kDefaultSessionClass : desc_.className;
    if (!RegisterWindowClass(cls)) return nullptr;
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
    } else if (desc_.front) {
        // A session opened by the user's OK code comes up in front, as the front end's does.
        ShowWindow(hwnd, SW_SHOW);
        SetForegroundWindow(hwnd);
    } else {
        ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    }
    UpdateWindow(hwnd);
    return hwnd;
}

LRESULT CALLBACK SimWindow::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
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
            self->thread->End();
            PostQuitMessage(0);
        }
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
    return self->OnMessage(msg, wParam, lParam);
}

LRESULT SimWindow::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == g_msgGetFront && !desc_.frame) return OnGetFront(wParam);
    if (msg == g_msgSetOkCode && !desc_.frame) return OnSetOkCode(wParam, lParam);
    switch (msg) {
    case WM_SIM_RUN_TASKS:
        if (thread) thread->Drain();
        return 0;
    case WM_CLOSE:
        g_log.Line("close " + desc_.name);
        Destroy();
        return 0;
    case WM_SHOWWINDOW:
        // Sent before the visibility changes; a hide is final here, a show is seen afterwards
        // by WM_WINDOWPOSCHANGED.
        if (!wParam && shown_ != Shown::Hidden && !destroying_) {
            shown_ = Shown::Hidden;
            g_log.Line("show " + desc_.name + " hidden");
        }
        break;
    case WM_WINDOWPOSCHANGING:
        OnWindowPosChanging();
        break;
    case WM_WINDOWPOSCHANGED:
        // Once the change is made, so a show sent back meanwhile is not undone by it.
        SendOnce(&WindowDesc::sendOnMove);
        NoteShowState();
        break;
    case WM_SIZE:
        NoteShowState();
        break;
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_DESTROY:
        g_log.Line("destroyed " + desc_.name);
        break;
    default:
        break;
    }
    return DefWindowProcA(hwnd_, msg, wParam, lParam);
}

void SimWindow::NoteShowState() {
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
    g_log.Line("show " + desc_.name + " " + word);
}

LRESULT SimWindow::OnGetFront(WPARAM code) {
    ++queries_;
    const std::string prefix = "get " + desc_.name + " " + std::to_string(static_cast<long long>(code)) + " ";
    int dieAt, destroyAt, hangAt;
    {
        std::lock_guard<std::mutex> lock(mu_);
        queryCounts_.Add(static_cast<long long>(code));
        dieAt = desc_.dieAfterQueries;
        destroyAt = desc_.destroyAfterQueries;
        hangAt = desc_.hangAfterQueries;
    }
    if (dieAt && queries_ == dieAt) {
        g_log.Line(prefix + "-");
        g_log.Line("die " + desc_.name);
        ExitProcess(kExitDied);
    }
    if (destroyAt && queries_ == destroyAt) {
        g_log.Line(prefix + "-");
        Destroy();
        return 0;
    }
    SendOnce(&WindowDesc::sendOnQuery);
    if (hangAt && queries_ == hangAt) GoBusy(0);

    const std::string answer = AnswerFor(code);
    ATOM atom = answer.empty() ? 0 : GlobalAddAtomA(answer.c_str());
    g_log.Line(prefix + (atom ? answer : std::string("-")));
    return atom;
}

std::string SimWindow::AnswerFor(WPARAM code) {
    const int field = FieldForCode(static_cast<long long>(code));
    if (field < 0) return std::string();
    std::lock_guard<std::mutex> lock(mu_);
    return desc_.noAnswer & (1u << field) ? std::string() : desc_.fields[field];
}

LRESULT SimWindow::OnSetOkCode(WPARAM code, LPARAM lParam) {
    if (code == 3) {
        // Closed after the reply, as a session ends once it has taken the request.
        PostMessageA(hwnd_, WM_CLOSE, 0, 0);
        return 1;
    }
    if (code != 5) return 0;
    int delayMs;
    {
        std::lock_guard<std::mutex> lock(mu_);
        delayMs = desc_.okCodeDelayMs;
    }
    // Busy before it gets to the atom: the sender may have deleted it meanwhile.
    if (delayMs > 0) GoBusy(static_cast<DWORD>(delayMs));
    char buf[kMaxText + 1] = {};
    const UINT n = GlobalGetAtomNameA(static_cast<ATOM>(lParam & 0xFFFF), buf, sizeof buf);
    if (n == 0) {
        g_log.Line("okcode " + desc_.name + " -");
        return 0;
    }
    const std::string okCode(buf, n);
    bool deleteAtom;
    {
        std::lock_guard<std::mutex> lock(mu_);
        deleteAtom = desc_.deleteAtoms != 0;
    }
    if (deleteAtom) GlobalDeleteAtom(static_cast<ATOM>(lParam & 0xFFFF));
    std::string transaction;
    if (OpenCodeOf(okCode, transaction)) {
        g_log.Line("okcode " + desc_.name + " " + okCode);
        OpenSessionOfLogon(transaction);
        return 1;
    }
    {
        std::lock_guard<std::mutex> lock(mu_);
        desc_.fields[kTx] = okCode;
    }
    g_log.Line("okcode " + desc_.name + " " + okCode);
    InvalidateRect(hwnd_, nullptr, TRUE);
    return 1;
}

bool SimWindow::SameLogon(const SimWindow& other) {
    std::scoped_lock lock(mu_, other.mu_);
    return desc_.fields[kSystem] == other.desc_.fields[kSystem] && desc_.fields[kClient] == other.desc_.fields[kClient] &&
           desc_.fields[kUser] == other.desc_.fields[kUser];
}

void SimWindow::OpenSessionOfLogon(const std::string& code) {
    int sessions = 0;
    for (const auto& window : LiveWindows()) {
        if (!window->IsFrame() && (window.get() == this || SameLogon(*window))) ++sessions;
    }
    WindowDesc desc;
    {
        std::lock_guard<std::mutex> lock(mu_);
        desc = desc_;
    }
    if (sessions >= desc.maxSessions) {
        g_log.Line("refused " + desc.name + " /o" + code + " " + std::to_string(sessions) + " sessions");
        return;
    }
    static std::atomic<int> opened{0};
    desc.name += "-o" + std::to_string(++opened);
    desc.caption = desc.name;
    desc.fields[kTx] = code;
    desc.x += 30;
    desc.y += 30;
    desc.hidden = desc.minimized = desc.maximized = false;
    desc.front = true;
    desc.thread.clear();  // a thread of its own, as a new window of the front end gets its own answers
    desc.hangAfterQueries = desc.dieAfterQueries = desc.destroyAfterQueries = 0;
    std::string error;
    if (!OpenWindow(desc, error)) {
        g_log.Line("error " + error);
        return;
    }
    g_log.Line("opened " + desc.name + " " + code);
}

void SimWindow::OnWindowPosChanging() {
    int sleepMs;
    {
        std::lock_guard<std::mutex> lock(mu_);
        sleepMs = desc_.sleepOnMoveMs;
    }
    if (sleepMs > 0 && !destroying_) GoBusy(static_cast<DWORD>(sleepMs));
}

void SimWindow::SendOnce(std::string WindowDesc::* which) {
    std::string text;
    {
        std::lock_guard<std::mutex> lock(mu_);
        text.swap(desc_.*which);
    }
    SentMessage m;
    if (text.empty() || !ParseSentMessage(text, m)) return;
    DWORD_PTR result = 0;
    const LRESULT answered =
        SendMessageTimeoutA(reinterpret_cast<HWND>(static_cast<UINT_PTR>(m.window)), static_cast<UINT>(m.message),
                            static_cast<WPARAM>(m.wParam), static_cast<LPARAM>(m.lParam), SMTO_NORMAL, 60000, &result);
    g_log.Line("sent " + desc_.name + " " + (answered ? std::to_string(static_cast<unsigned long long>(result)) : "-"));
}

void SimWindow::OnPaint() {
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

bool SimWindow::ApplyRuntime(const std::vector<Option>& options, std::string& error) {
    std::lock_guard<std::mutex> lock(mu_);
    WindowDesc changed = desc_;
    for (const Option& option : options) {
        if (!ApplyOption(changed, option, true, error)) return false;
    }
    desc_ = changed;
    if (hwnd_) InvalidateRect(hwnd_, nullptr, TRUE);
    return true;
}

void SimWindow::GoBusy(DWORD ms) {
    ResetEvent(wake_);
    busy_ = true;
    g_log.Line("busy " + desc_.name);
    const DWORD start = GetTickCount();
    for (;;) {
        // Deliberately no message handling here: the thread is busy.
        if (WaitForSingleObject(wake_, 20) == WAIT_OBJECT_0) break;
        if (ms && GetTickCount() - start >= ms) break;
    }
    busy_ = false;
    g_log.Line("awake " + desc_.name);
}

}  // namespace sessionsim
