#include "control_channel.h"

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <tuple>
#include <utility>
#include <vector>

#include "event_log.h"
#include "open_windows.h"
#include "query_counts.h"
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
Reply OkWith(const std::string& data) { return Reply{true, "ok " + data, 1}; }
// Accepted, but the window's thread has not got to it yet.
Reply Queued() { return Reply{true, "ok queued", 1}; }

std::string HexHandle(HWND hwnd) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "0x%llx", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(hwnd)));
    return buf;
}

// "verb rest of the line" -> {"verb", "rest of the line"}.
std::pair<std::string, std::string> SplitFirstWord(const std::string& text) {
    const std::size_t cut = text.find(' ');
    return {text.substr(0, cut), cut == std::string::npos ? std::string() : text.substr(cut + 1)};
}

// Waits up to kActionWaitMs for done() to become true; returns its last value.
bool WaitUntil(const std::function<bool()>& done) {
    const DWORD start = GetTickCount();
    while (!done() && GetTickCount() - start < kActionWaitMs) Sleep(1);
    return done();
}

// Runs fn on the window's thread; "ok queued" if it does not get to it in time.
Reply OnWindowThread(const std::shared_ptr<SimWindow>& window, std::function<void()> fn) {
    auto task = window->thread->Post(std::move(fn));
    if (!task) return Failed("window gone");
    if (WaitForSingleObject(task->done, kActionWaitMs) != WAIT_OBJECT_0) return Queued();
    return Reply{};
}

bool g_exitRequested = false;

// What a command's handler is given.
struct Request {
    std::string args;                   // the text after the verb (after the window's name, if any)
    std::shared_ptr<SimWindow> window;  // the live window named, for the commands that act on one
};

Reply Exit(const Request&) {
    g_exitRequested = true;
    return Reply{};
}

Reply Count(const Request&) {
    int live = 0;
    for (auto& window : LiveWindows()) {
        if (!window->IsFrame()) ++live;
    }
    return OkWith(std::to_string(live));
}

Reply List(const Request&) {
    std::string list;
    for (auto& window : LiveWindows()) {
        list += (list.empty() ? "" : " ") + window->Name() + "=" + HexHandle(window->Hwnd());
    }
    return OkWith(list);
}

// `queries`: every session's together, also those gone; `queries NAME`: the latest session of
// that name, alive or gone; `queries reset`: every count back to zero.
Reply Queries(const Request& request) {
    const std::string& name = request.args;
    if (name == "reset") {
        for (auto& window : AllWindows()) window->ResetQueries();
        return Reply{};
    }
    QueryCounts counts;
    if (name.empty()) {
        for (auto& window : AllWindows()) counts += window->Queries();
    } else {
        auto window = FindSimWindow(name);
        if (!window || window->IsFrame()) return Failed("no session '" + name + "'");
        counts = window->Queries();
    }
    return OkWith(counts.Text());
}

Reply Open(const Request& request) {
    const std::string& rest = request.args;
    WindowDesc desc;
    std::string error;
    const bool frame = rest.compare(0, 6, "frame ") == 0;
    if (!ParseWindowLine(frame ? rest : "session " + rest, desc, error)) return Failed(error);
    auto window = OpenWindow(desc, error);
    if (!window) return Failed(error);
    return OkWith(HexHandle(window->Hwnd()));
}

Reply HandleOf(const Request& request) {
    HWND hwnd = request.window->Hwnd();
    return Reply{true, "ok " + HexHandle(hwnd), reinterpret_cast<LRESULT>(hwnd)};
}

Reply Close(const Request& request) {
    const auto& window = request.window;
    PostMessageA(window->Hwnd(), WM_CLOSE, 0, 0);
    return WaitUntil([&] { return !window->Alive(); }) ? Reply{} : Queued();
}

Reply Move(const Request& request) {
    int x, y, w, h;
    if (std::sscanf(request.args.c_str(), "%d %d %d %d", &x, &y, &w, &h) != 4) return Failed("move NAME x y w h");
    HWND hwnd = request.window->Hwnd();
    return OnWindowThread(request.window,
                          [=] { SetWindowPos(hwnd, nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE); });
}

Reply Caption(const Request& request) {
    std::string caption, error;
    if (!ParseValue(request.args, caption, error)) return Failed(error);
    HWND hwnd = request.window->Hwnd();
    return OnWindowThread(request.window, [=] { SetWindowTextA(hwnd, caption.c_str()); });
}

Reply Set(const Request& request) {
    std::vector<Option> options;
    std::string error;
    if (!Tokenize(request.args, options, error) || !request.window->ApplyRuntime(options, error)) return Failed(error);
    return Reply{};
}

Reply NoAnswer(const Request& request) {
    unsigned mask = 0;
    std::string error;
    if (!ParseFieldList(request.args, mask, error)) return Failed(error);
    request.window->SetNoAnswer(mask);
    return Reply{};
}

Reply Hang(const Request& request) {
    const auto& window = request.window;
    if (window->Busy()) return Failed("busy already");
    const DWORD ms = static_cast<DWORD>(std::strtoul(request.args.c_str(), nullptr, 10));
    if (!window->thread->Post([window, ms] { window->GoBusy(ms); })) return Failed("window gone");
    return WaitUntil([&] { return window->Busy(); }) ? Reply{} : Queued();
}

Reply Wake(const Request& request) {
    request.window->Wake();
    return Reply{};
}

Reply Placement(const Request& request) {
    // Read by the window's own process: Wine answers GetWindowPlacement from another
    // process with the current rectangle, not the one a maximised window restores to.
    HWND hwnd = request.window->Hwnd();
    auto out = std::make_shared<std::string>();
    auto task = request.window->thread->Post([hwnd, out] {
        WINDOWPLACEMENT wp{};
        wp.length = sizeof wp;
        if (!GetWindowPlacement(hwnd, &wp)) return;
        const RECT& r = wp.rcNormalPosition;
        *out = std::to_string(wp.showCmd) + " " + std::to_string(r.left) + " " + std::to_string(r.top) + " " +
               std::to_string(r.right - r.left) + " " + std::to_string(r.bottom - r.top);
    });
    if (!task || WaitForSingleObject(task->done, kActionWaitMs) != WAIT_OBJECT_0) return Failed("window busy");
    if (out->empty()) return Failed("no placement");
    return OkWith(*out);
}

Reply ShowAs(const Request& request, int show) {
    HWND hwnd = request.window->Hwnd();
    return OnWindowThread(request.window, [=] { ShowWindow(hwnd, show); });
}

struct Command {
    const char* verb;
    bool onWindow;  // the word after the verb names a live window, given to the handler
    Reply (*handler)(const Request& request);
};

constexpr Command kCommands[] = {
    {"ping", false, [](const Request&) { return Reply{}; }},
    {"exit", false, Exit},
    {"count", false, Count},
    {"list", false, List},
    {"queries", false, Queries},
    {"open", false, Open},
    {"hwnd", true, HandleOf},
    {"close", true, Close},
    {"move", true, Move},
    {"caption", true, Caption},
    {"set", true, Set},
    {"noanswer", true, NoAnswer},
    {"hang", true, Hang},
    {"wake", true, Wake},
    {"placement", true, Placement},
    {"maximize", true, [](const Request& r) { return ShowAs(r, SW_MAXIMIZE); }},
    {"minimize", true, [](const Request& r) { return ShowAs(r, SW_MINIMIZE); }},
    {"restore", true, [](const Request& r) { return ShowAs(r, SW_RESTORE); }},
    {"hide", true, [](const Request& r) { return ShowAs(r, SW_HIDE); }},
    {"show", true, [](const Request& r) { return ShowAs(r, SW_SHOW); }},
};

const Command* FindCommand(const std::string& verb) {
    for (const Command& command : kCommands) {
        if (verb == command.verb) return &command;
    }
    return nullptr;
}

Reply RunCommand(const std::string& text) {
    Request request;
    std::string verb;
    std::tie(verb, request.args) = SplitFirstWord(text);
    const Command* command = FindCommand(verb);
    if (!command) return Failed("unknown command '" + verb + "'");
    if (command->onWindow) {
        std::string name;
        std::tie(name, request.args) = SplitFirstWord(request.args);
        request.window = FindSimWindow(name);
        if (!request.window || !request.window->Alive()) return Failed("no window '" + name + "'");
    }
    return command->handler(request);
}

// The command a WM_COPYDATA carries, without the terminator or line end a sender may add.
std::string CommandText(const COPYDATASTRUCT& cds) {
    std::string text(static_cast<const char*>(cds.lpData), cds.lpData ? cds.cbData : 0);
    while (!text.empty() && (text.back() == '\0' || text.back() == '\r' || text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    return text;
}

// The reply text goes back to the sender's window, if it named one, before the message returns.
void SendReply(HWND sender, HWND control, const std::string& text) {
    if (!sender || !IsWindow(sender)) return;
    COPYDATASTRUCT back{};
    back.dwData = kReplyTag;
    back.cbData = static_cast<DWORD>(text.size());
    back.lpData = const_cast<char*>(text.data());
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(sender, WM_COPYDATA, reinterpret_cast<WPARAM>(control), reinterpret_cast<LPARAM>(&back),
                        SMTO_ABORTIFHUNG, 5000, &ignored);
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
    const std::string text = CommandText(*cds);
    g_log.Line("cmd " + text);
    Reply reply;
    try {
        reply = RunCommand(text);
    } catch (const std::exception& e) {
        reply = Failed(e.what());
    }
    SendReply(reinterpret_cast<HWND>(wParam), hwnd, reply.text);
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
