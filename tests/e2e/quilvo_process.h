// Runs Quilvo.exe as a user would and watches it from outside: its windows, its ini file
// and, by acting as its debugger, every line it writes to the debugger output channel.
#pragma once

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "sim_client.h"
#include "temp_folder.h"

namespace e2e {

inline std::string ExeDirectory() {
    char path[MAX_PATH] = {};
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string p(path, n);
    return p.substr(0, p.find_last_of("\\/") + 1);
}

// Waits until pred() holds, pumping this thread's messages; false at the deadline. Between two
// looks it sleeps 10 ms, or three times as long as the last look took: a look at another
// process's windows costs the Wine server a request or two per window of the desktop, and
// looking without a pause took most of a core from the programs the test waits on.
inline bool WaitUntil(const std::function<bool()>& pred, DWORD timeoutMs) {
    const DWORD begin = GetTickCount();
    for (;;) {
        const DWORD lookBegan = GetTickCount();
        if (pred()) return true;
        const DWORD now = GetTickCount();
        if (now - begin > timeoutMs) return false;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        Sleep(std::max<DWORD>(10, 3 * (now - lookBegan)));
    }
}

// The program's refresh period, and how long a change of the desk may take to show in its
// views: a pass may be under way with the old desk, the next one sees the change, and the
// first rebuild after a click on a panel is skipped by that panel.
constexpr DWORD kPass = 2000;
constexpr DWORD kSettle = 3 * kPass + 1000;

// A working folder for the program: it reads and writes ".\Quilvo.ini" there.
using quilvo::test::TempFolder;

// Quilvo.exe started as a user starts it or, for a test that reads its debug lines, under this
// process as its debugger, so that every OutputDebugStringA line it writes is collected here, in
// order.
class QuilvoProcess {
public:
    QuilvoProcess() = default;
    ~QuilvoProcess() { Kill(); }
    QuilvoProcess(const QuilvoProcess&) = delete;
    QuilvoProcess& operator=(const QuilvoProcess&) = delete;

    // Before Start: another program of the build directory (the test-hook build) or of a full
    // path (a build of another commit, for a benchmark), and whether to run it as its debugger
    // to read its lines. Only a test that reads them does: each line stops the program until
    // this process has read it (500 rebuilds of twenty sessions took 18 s debugged, 9 s not),
    // and a program that is debugged never sees its own unhandled exceptions.
    void UseExe(const std::string& name) { exeName_ = name; }
    void DebugIt(bool debug) { debug_ = debug; }

    // args: the text after the program name (may be empty). Waits until the main window
    // exists.
    bool Start(const std::string& workDir, const std::string& args = "", DWORD timeoutMs = 20000) {
        return Launch(workDir, args, timeoutMs) &&
               WaitUntil([this] { return MainWindow() != nullptr; }, timeoutMs);
    }
    // Starts the program without waiting for its windows (it may end at once).
    bool Launch(const std::string& workDir, const std::string& args = "", DWORD timeoutMs = 20000) {
        const bool fullPath = exeName_.size() > 2 && (exeName_[1] == ':' || exeName_.compare(0, 2, "\\\\") == 0);
        exe_ = fullPath ? exeName_ : ExeDirectory() + exeName_;
        commandLine_ = "\"" + exe_ + "\"" + (args.empty() ? std::string() : " " + args);
        workDir_ = workDir;
        started_ = false;
        failed_ = false;
        exited_ = false;  // a start after a Kill: the kill of this one must end it too
        debugger_ = std::thread([this] { DebugLoop(); });
        return WaitUntil([this] { return started_.load() || failed_.load(); }, timeoutMs) && !failed_;
    }

    DWORD Pid() const { return pid_; }
    HANDLE Handle() const { return process_; }

    // Top-level windows of the process with this class (and caption, when given).
    std::vector<HWND> TopWindows(const char* cls, const char* caption = nullptr) const {
        struct Ctx {
            DWORD pid;
            const char* cls;
            const char* caption;
            std::vector<HWND> found;
        } ctx{pid_, cls, caption, {}};
        EnumWindows(
            [](HWND w, LPARAM p) -> BOOL {
                auto* c = reinterpret_cast<Ctx*>(p);
                DWORD pid = 0;
                GetWindowThreadProcessId(w, &pid);
                char name[128] = {};
                GetClassNameA(w, name, sizeof name);
                if (pid == c->pid && lstrcmpiA(name, c->cls) == 0) {
                    char text[256] = {};
                    GetWindowTextA(w, text, sizeof text);
                    if (c->caption == nullptr || std::strcmp(text, c->caption) == 0) c->found.push_back(w);
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&ctx));
        return ctx.found;
    }
    HWND MainWindow() const {
        auto w = TopWindows("QuilvoWin", "zrt::quo \\3 Tarvo");
        return w.empty() ? nullptr : w.front();
    }
    // The tray icon's host, the About dialog.
    HWND TrayHost() const {
        auto hosts = TopWindows("#32770", "zrt::quorval /3 Tarvo Lite");
        return hosts.empty() ? nullptr : hosts.front();
    }
    // The all-sessions view: the program's other window of the views' class.
    HWND SingleView() const {
        for (HWND w : TopWindows("QuilvoWin"))
            if (w != MainWindow()) return w;
        return nullptr;
    }

    std::vector<std::string> Lines() const {
        if (!debug_) {  // a test that would wait for a line in vain, or find none where many came
            std::fprintf(stderr, "the lines of %s are read without DebugIt(true) before its start\n", exe_.c_str());
            std::abort();
        }
        std::lock_guard<std::mutex> lock(mutex_);
        return lines_;
    }
    int CountLines(const std::string& line) const {
        int n = 0;
        for (const std::string& l : Lines())
            if (l == line) ++n;
        return n;
    }
    bool WaitForLine(const std::string& line, DWORD timeoutMs, int atLeast = 1) const {
        return WaitUntil([&] { return CountLines(line) >= atLeast; }, timeoutMs);
    }

    // A zero-terminated text in the program's memory (at most 255 characters).
    std::string ReadText(LONG_PTR address) const {
        char buf[256] = {};
        SIZE_T got = 0;
        if (address == 0 || !ReadProcessMemory(process_, reinterpret_cast<LPCVOID>(address), buf, 255, &got))
            return std::string();
        return std::string(buf);
    }

    bool Running() const { return process_ != nullptr && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }
    // Waits for the program to end by itself; its exit code, or STILL_ACTIVE.
    DWORD WaitForExit(DWORD timeoutMs) {
        if (!WaitUntil([this] { return exited_.load(); }, timeoutMs)) return STILL_ACTIVE;
        return exitCode_;
    }
    void Kill() {
        if (process_ != nullptr && !exited_) TerminateProcess(process_, 99);
        if (debugger_.joinable()) debugger_.join();
        if (process_ != nullptr) CloseHandle(process_);
        process_ = nullptr;
    }

private:
    // The debug events of a process come to the thread that created it.
    void DebugLoop() {
        STARTUPINFOA si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        std::string cmd = commandLine_;
        if (!CreateProcessA(exe_.c_str(), &cmd[0], nullptr, nullptr, FALSE, debug_ ? DEBUG_ONLY_THIS_PROCESS : 0,
                            nullptr, workDir_.c_str(), &si, &pi)) {
            // Seen once in many loaded runs; the error code is all there is to go on.
            std::fprintf(stderr, "CreateProcess %s failed: error %lu\n", exe_.c_str(), GetLastError());
            failed_ = true;
            return;
        }
        process_ = pi.hProcess;
        pid_ = pi.dwProcessId;
        CloseHandle(pi.hThread);
        started_ = true;
        if (!debug_) {
            WaitForSingleObject(process_, INFINITE);
            DWORD code = 0;
            GetExitCodeProcess(process_, &code);
            exitCode_ = code;
            exited_ = true;
            return;
        }
        DEBUG_EVENT ev;
        for (;;) {
            if (!WaitForDebugEvent(&ev, INFINITE)) break;
            DWORD status = DBG_CONTINUE;
            switch (ev.dwDebugEventCode) {
                case OUTPUT_DEBUG_STRING_EVENT: ReadDebugString(ev.u.DebugString); break;
                case EXCEPTION_DEBUG_EVENT:
                    if (ev.u.Exception.ExceptionRecord.ExceptionCode != EXCEPTION_BREAKPOINT)
                        status = DBG_EXCEPTION_NOT_HANDLED;
                    break;
                case LOAD_DLL_DEBUG_EVENT:
                    if (ev.u.LoadDll.hFile) CloseHandle(ev.u.LoadDll.hFile);
                    break;
                case CREATE_PROCESS_DEBUG_EVENT:
                    if (ev.u.CreateProcessInfo.hFile) CloseHandle(ev.u.CreateProcessInfo.hFile);
                    break;
                default: break;
            }
            if (ev.dwDebugEventCode == EXIT_PROCESS_DEBUG_EVENT) {
                exitCode_ = ev.u.ExitProcess.dwExitCode;
                ContinueDebugEvent(ev.dwProcessId, ev.dwThreadId, DBG_CONTINUE);
                break;
            }
            ContinueDebugEvent(ev.dwProcessId, ev.dwThreadId, status);
        }
        exited_ = true;
    }

    void ReadDebugString(const OUTPUT_DEBUG_STRING_INFO& info) {
        if (info.fUnicode || info.nDebugStringLength == 0) return;
        std::string text(info.nDebugStringLength, '\0');
        SIZE_T got = 0;
        ReadProcessMemory(process_, info.lpDebugStringData, &text[0], text.size(), &got);
        text.resize(got);
        if (!text.empty() && text.back() == '\0') text.pop_back();
        std::lock_guard<std::mutex> lock(mutex_);
        lines_.push_back(text);
    }

    std::string exeName_ = "Quilvo.exe";
    bool debug_ = false;
    std::string exe_, commandLine_, workDir_;
    std::thread debugger_;
    HANDLE process_ = nullptr;
    DWORD pid_ = 0;
    std::atomic<bool> started_{false}, failed_{false}, exited_{false};
    DWORD exitCode_ = 0;
    mutable std::mutex mutex_;
    std::vector<std::string> lines_;
};

}  // namespace e2e
