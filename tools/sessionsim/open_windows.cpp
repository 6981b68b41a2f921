#include "open_windows.h"

#include <map>
#include <mutex>

namespace sessionsim {
namespace {

std::mutex g_windowsMu;
std::map<std::string, std::shared_ptr<SimWindow>> g_windows;  // by name, the latest of that name
std::vector<std::shared_ptr<SimWindow>> g_allWindows;          // every window ever made (kept alive)

// Threads named by thread=NAME, by name; each has a hidden root window of its own.
std::map<std::string, std::shared_ptr<UiThread>> g_namedThreads;  // under g_windowsMu
constexpr char kThreadRootClass[] = "SessionSimThread";

LRESULT CALLBACK ThreadRootProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    auto* thread = reinterpret_cast<UiThread*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (msg == WM_SIM_RUN_TASKS && thread) {
        thread->Drain();
        return 0;
    }
    if (msg == WM_NCDESTROY && thread) {
        thread->End();
        PostQuitMessage(0);
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

// The named thread, started on first use.
std::shared_ptr<UiThread> NamedThread(const std::string& name, std::string& error) {
    std::lock_guard<std::mutex> lock(g_windowsMu);
    auto it = g_namedThreads.find(name);
    if (it != g_namedThreads.end()) return it->second;
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = ThreadRootProc;
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
    if (!thread->Start()) {
        error = "cannot start thread '" + name + "'";
        return nullptr;
    }
    g_namedThreads[name] = thread;
    return thread;
}

// A child on its parent's thread, or a window on a thread named by thread=NAME.
bool OpenOnSharedThread(const std::shared_ptr<SimWindow>& window, const WindowDesc& desc, std::string& error) {
    HWND parentHwnd = nullptr;
    if (!desc.parent.empty()) {
        auto parent = FindSimWindow(desc.parent);
        if (!parent || !parent->Alive()) {
            error = "no parent '" + desc.parent + "'";
            return false;
        }
        window->thread = parent->thread;
        parentHwnd = parent->Hwnd();
    } else {
        window->thread = NamedThread(desc.thread, error);
        if (!window->thread) return false;
    }
    auto made = std::make_shared<HWND>(nullptr);
    auto task = window->thread->Post([made, window, parentHwnd] { *made = window->Create(parentHwnd); });
    if (!task || WaitForSingleObject(task->done, 10000) != WAIT_OBJECT_0) {
        error = "window's thread busy";
        return false;
    }
    if (!*made) {
        error = "cannot create window";
        return false;
    }
    return true;
}

// A top-level window on a thread of its own, whose root it is.
bool OpenOnOwnThread(const std::shared_ptr<SimWindow>& window, std::string& error) {
    auto thread = std::make_shared<UiThread>();
    window->thread = thread;
    thread->create = [window] { return window->Create(nullptr); };
    if (!thread->Start()) {
        error = "cannot create window";
        return false;
    }
    return true;
}

}  // namespace

std::shared_ptr<SimWindow> FindSimWindow(const std::string& name) {
    std::lock_guard<std::mutex> lock(g_windowsMu);
    auto it = g_windows.find(name);
    return it == g_windows.end() ? nullptr : it->second;
}

std::vector<std::shared_ptr<SimWindow>> LiveWindows() {
    std::vector<std::shared_ptr<SimWindow>> live;
    std::lock_guard<std::mutex> lock(g_windowsMu);
    for (auto& entry : g_windows) {
        if (entry.second->Alive()) live.push_back(entry.second);
    }
    return live;
}

std::vector<std::shared_ptr<SimWindow>> AllWindows() {
    std::lock_guard<std::mutex> lock(g_windowsMu);
    return g_allWindows;
}

std::shared_ptr<SimWindow> OpenWindow(const WindowDesc& desc, std::string& error) {
    auto existing = FindSimWindow(desc.name);
    if (existing && existing->Alive()) {
        error = "'" + desc.name + "' is open already";
        return nullptr;
    }
    auto window = std::make_shared<SimWindow>(desc);
    {
        // Kept for the life of the process, so a late message or task never finds it gone.
        std::lock_guard<std::mutex> lock(g_windowsMu);
        g_allWindows.push_back(window);
    }
    const bool shared = !desc.parent.empty() || !desc.thread.empty();
    if (!(shared ? OpenOnSharedThread(window, desc, error) : OpenOnOwnThread(window, error))) return nullptr;
    std::lock_guard<std::mutex> lock(g_windowsMu);
    g_windows[desc.name] = window;
    return window;
}

void ShutDown() {
    std::vector<std::shared_ptr<SimWindow>> roots;
    std::vector<std::shared_ptr<UiThread>> threads;
    {
        std::lock_guard<std::mutex> lock(g_windowsMu);
        for (auto& window : g_allWindows) {
            if (window->Alive() && window->IsRoot()) {
                roots.push_back(window);
                threads.push_back(window->thread);
            }
        }
        for (auto& entry : g_namedThreads) threads.push_back(entry.second);
    }
    for (auto& window : roots) window->thread->Post([window] { window->Destroy(); });
    for (auto& entry : g_namedThreads) {
        HWND root = entry.second->root;
        entry.second->Post([root] { DestroyWindow(root); });
    }
    const DWORD start = GetTickCount();
    for (auto& thread : threads) {
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed < 3000) WaitForSingleObject(thread->handle, 3000 - elapsed);
    }
}

}  // namespace sessionsim
