#include "control_channel.h"

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

#include "event_log.h"
#include "open_windows.h"
#include "scenario.h"
#include "sim_client.h"

namespace sessionsim {
namespace {

constexpr DWORD kActionWaitMs = 2000;

struct Reply {
    bool ok = true;
    std::string text = "ok";
    LRESULT result = 1;
};

Reply Failed(const std::string& why) { return Reply{false, "error " + why, 0}; }

std::string HexHandle(HWND hwnd) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "0x%llx", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(hwnd)));
    return buf;
}

// Runs fn on the window's thread; "ok queued" if it does not get to it in time.
Reply OnWindowThread(const std::shared_ptr<SimWindow>& window, std::function<void()> fn) {
    auto task = window->thread->Post(std::move(fn));
    if (!task) return Failed("window gone");
    if (WaitForSingleObject(task->done, kActionWaitMs) != WAIT_OBJECT_0) return Reply{true, "ok queued", 1};
    return Reply{};
}

bool g_exitRequested = false;

Reply RunCommand(const std::string& text) {
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
        for (auto& window : LiveWindows()) {
            if (!window->IsFrame()) ++live;
            list += (list.empty() ? "" : " ") + window->Name() + "=" + HexHandle(window->Hwnd());
        }
        return Reply{true, "ok " + (verb == "count" ? std::to_string(live) : list), 1};
    }
    if (verb == "open") {
        WindowDesc desc;
        const bool frame = rest.compare(0, 6, "frame ") == 0;
        if (!ParseWindowLine(frame ? rest : "session " + rest, desc, error)) return Failed(error);
        auto window = OpenWindow(desc, error);
        if (!window) return Failed(error);
        return Reply{true, "ok " + HexHandle(window->Hwnd()), 1};
    }

    static const char* const kWindowVerbs[] = {"hwnd", "close", "move", "caption", "set", "noanswer", "hang",
                                               "wake", "placement", "maximize", "minimize", "restore", "hide", "show"};
    bool known = false;
    for (const char* v : kWindowVerbs) known = known || verb == v;
    if (!known) return Failed("unknown command '" + verb + "'");

    // The rest act on one named window.
    cut = rest.find(' ');
    const std::string name = rest.substr(0, cut);
    rest = cut == std::string::npos ? std::string() : rest.substr(cut + 1);
    auto window = FindSimWindow(name);
    if (!window || !window->Alive()) return Failed("no window '" + name + "'");
    HWND hwnd = window->Hwnd();

    if (verb == "hwnd") return Reply{true, "ok " + HexHandle(hwnd), reinterpret_cast<LRESULT>(hwnd)};
    if (verb == "close") {
        PostMessageA(hwnd, WM_CLOSE, 0, 0);
        const DWORD start = GetTickCount();
        while (window->Alive() && GetTickCount() - start < kActionWaitMs) Sleep(1);
        return window->Alive() ? Reply{true, "ok queued", 1} : Reply{};
    }
    if (verb == "move") {
        int x, y, w, h;
        if (std::sscanf(rest.c_str(), "%d %d %d %d", &x, &y, &w, &h) != 4) return Failed("move NAME x y w h");
        return OnWindowThread(window, [=] { SetWindowPos(hwnd, nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE); });
    }
    if (verb == "caption") {
        std::string caption;
        if (!ParseValue(rest, caption, error)) return Failed(error);
        return OnWindowThread(window, [=] { SetWindowTextA(hwnd, caption.c_str()); });
    }
    if (verb == "set") {
        std::vector<Option> options;
        if (!Tokenize(rest, options, error) || !window->ApplyRuntime(options, error)) return Failed(error);
        return Reply{};
    }
    if (verb == "noanswer") {
        unsigned mask = 0;
        if (!ParseFieldList(rest, mask, error)) return Failed(error);
        window->SetNoAnswer(mask);
        return Reply{};
    }
    if (verb == "hang") {
        if (window->Busy()) return Failed("busy already");
        const DWORD ms = static_cast<DWORD>(std::strtoul(rest.c_str(), nullptr, 10));
        if (!window->thread->Post([window, ms] { window->GoBusy(ms); })) return Failed("window gone");
        const DWORD start = GetTickCount();
        while (!window->Busy() && GetTickCount() - start < kActionWaitMs) Sleep(1);
        return window->Busy() ? Reply{} : Reply{true, "ok queued", 1};
    }
    if (verb == "placement") {
        // Read by the window's own process: Wine answers GetWindowPlacement from another
        // process with the current rectangle, not the one a maximised window restores to.
        auto out = std::make_shared<std::string>();
        auto task = window->thread->Post([hwnd, out] {
            WINDOWPLACEMENT wp{};
            wp.length = sizeof wp;
            if (!GetWindowPlacement(hwnd, &wp)) return;
            const RECT& r = wp.rcNormalPosition;
            *out = std::to_string(wp.showCmd) + " " + std::to_string(r.left) + " " + std::to_string(r.top) + " " +
                   std::to_string(r.right - r.left) + " " + std::to_string(r.bottom - r.top);
        });
        if (!task || WaitForSingleObject(task->done, kActionWaitMs) != WAIT_OBJECT_0) return Failed("window busy");
        if (out->empty()) return Failed("no placement");
        return Reply{true, "ok " + *out, 1};
    }
    if (verb == "wake") {
        window->Wake();
        return Reply{};
    }
    const int show = verb == "maximize" ? SW_MAXIMIZE
                     : verb == "minimize" ? SW_MINIMIZE
                     : verb == "restore"  ? SW_RESTORE
                     : verb == "hide"     ? SW_HIDE
                                          : SW_SHOW;
    return OnWindowThread(window, [=] { ShowWindow(hwnd, show); });
}

LRESULT CALLBACK ControlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
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
    g_log.Line("cmd " + text);
    Reply reply;
    try {
        reply = RunCommand(text);
    } catch (const std::exception& e) {
        reply = Failed(e.what());
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

}  // namespace

bool RegisterControlClass() {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = ControlProc;
    wc.hInstance = g_instance;
    wc.lpszClassName = kControlClass;
    return RegisterClassExA(&wc) != 0;
}

HWND CreateControlWindow(const std::string& id) {
    return CreateWindowExA(0, kControlClass, id.c_str(), WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr, g_instance,
                           nullptr);
}

bool ExitRequested() { return g_exitRequested; }

}  // namespace sessionsim
