// Header-only client of the session simulator, for Windows-side tests and benchmarks.
//
//   sessionsim::Simulator sim;
//   ASSERT_TRUE(sim.Start("session A system=PRD client=100 user=U1 tx=SMEN\n")) << sim.LastError();
//   HWND a = sim.Hwnd("A");
//   sessionsim::FrontQuery q(a, 4);               // SAP_GET_FRONT, as Quilvo sends it
//   ASSERT_TRUE(q.Wait(2000));                    // pumps messages until the reply arrives
//   EXPECT_EQ(q.Text(), "100");
//   EXPECT_TRUE(sim.Send("hang A"));              // control commands; see control_channel.h
//   EXPECT_TRUE(sim.WaitForLine("get A 4 100"));  // the simulator's log
//   sessionsim::QueryCounts n;
//   ASSERT_TRUE(sim.Queries(n));                  // the queries received so far, by code
//   EXPECT_EQ(n.Of(4), 1u);
//   // the destructor sends `exit`, then terminates the process if it does not end in time
//
// sessionsim.exe is expected next to the running executable (both land in build/windows).
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "query_counts.h"

namespace sessionsim {

// Class of the simulator's hidden control window; its caption is the simulator's id.
constexpr char kControlClass[] = "SessionSimControl";
// dwData of the WM_COPYDATA carrying a command, and of the one carrying the reply text.
constexpr ULONG_PTR kCommandTag = 0x53534d43;  // "SSMC"
constexpr ULONG_PTR kReplyTag = 0x53534d52;    // "SSMR"

struct CommandResult {
    bool delivered = false;  // the control window took the message and returned in time
    bool ok = false;         // the simulator accepted the command
    LRESULT result = 0;      // message result: 0 error, 1 ok, the window handle for `hwnd`
    std::string text;        // reply text: "ok", "ok <data>" or "error <why>"
    // The part of the reply after "ok " (the data of `hwnd`, `count`, `list`, `queries`).
    std::string Data() const { return text.size() > 3 ? text.substr(3) : std::string(); }
};

namespace detail {

inline LRESULT CALLBACK ReplyWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    if (msg == WM_COPYDATA) {
        auto* cds = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        auto* out = reinterpret_cast<std::string*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        if (out && cds && cds->dwData == kReplyTag) {
            out->assign(static_cast<const char*>(cds->lpData), cds->cbData);
            return 1;
        }
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

inline const char* ReplyClass() {
    static const char* name = [] {
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = ReplyWindowProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "SessionSimReply";
        RegisterClassExA(&wc);  // already registered by an earlier call: fine
        return "SessionSimReply";
    }();
    return name;
}

inline std::string ReadWholeFile(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    std::string text;
    char buf[4096];
    DWORD got = 0;
    while (ReadFile(file, buf, sizeof buf, &got, nullptr) && got > 0) text.append(buf, got);
    CloseHandle(file);
    return text;
}

inline bool WriteWholeFile(const std::string& path, const std::string& text) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
                    written == text.size();
    CloseHandle(file);
    return ok;
}

}  // namespace detail

// Sends one command to a control window and collects the reply text. The reply comes back
// as a WM_COPYDATA to a message-only window of the calling thread, while this thread waits
// in SendMessageTimeout (which handles messages sent to it meanwhile).
inline CommandResult SendCommand(HWND control, const std::string& command, DWORD timeoutMs = 10000) {
    CommandResult r;
    std::string reply;
    HWND replyWindow = CreateWindowExA(0, detail::ReplyClass(), "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                       GetModuleHandleA(nullptr), nullptr);
    if (replyWindow) SetWindowLongPtrA(replyWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&reply));
    COPYDATASTRUCT cds{};
    cds.dwData = kCommandTag;
    cds.cbData = static_cast<DWORD>(command.size());
    cds.lpData = const_cast<char*>(command.data());
    DWORD_PTR result = 0;
    r.delivered = SendMessageTimeoutA(control, WM_COPYDATA, reinterpret_cast<WPARAM>(replyWindow),
                                      reinterpret_cast<LPARAM>(&cds), SMTO_NORMAL, timeoutMs, &result) != 0;
    if (replyWindow) {
        SetWindowLongPtrA(replyWindow, GWLP_USERDATA, 0);
        DestroyWindow(replyWindow);
    }
    r.result = static_cast<LRESULT>(result);
    r.ok = r.delivered && result != 0;
    r.text = r.delivered ? (reply.empty() ? std::string(r.ok ? "ok" : "error") : reply) : "error no reply";
    return r;
}

// Directory of the running executable, with a trailing backslash.
inline std::string ExeDirectory() {
    char path[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir(path, n);
    const std::size_t slash = dir.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : dir.substr(0, slash + 1);
}

inline std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        pos = end + 1;
    }
    return lines;
}

// One SAP_GET_FRONT exchange sent the way Quilvo sends it (SendMessageCallbackA). The reply
// is delivered while this thread pumps messages in Wait(). A query dropped before its reply
// arrives leaves its state to the callback, which then frees it and deletes the atom.
class FrontQuery {
public:
    FrontQuery(HWND session, WPARAM code) : state_(new State) {
        const UINT msg = RegisterWindowMessageA("SAP_GET_FRONT");
        sent_ = SendMessageCallbackA(session, msg, code, 0, &FrontQuery::OnReply,
                                     reinterpret_cast<ULONG_PTR>(state_)) != 0;
        if (!sent_) {
            delete state_;
            state_ = nullptr;
        }
    }
    ~FrontQuery() {
        if (!state_) return;
        if (state_->replied) {
            if (state_->atom) GlobalDeleteAtom(state_->atom);
            delete state_;
        } else {
            state_->abandoned = true;
        }
    }
    FrontQuery(const FrontQuery&) = delete;
    FrontQuery& operator=(const FrontQuery&) = delete;

    bool Sent() const { return sent_; }
    // Pumps this thread's messages until the reply arrives or timeoutMs pass.
    bool Wait(DWORD timeoutMs) {
        if (!state_) return false;
        const DWORD start = GetTickCount();
        while (!state_->replied) {
            MSG m;
            while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&m);
                DispatchMessageA(&m);
            }
            if (state_->replied) break;
            const DWORD elapsed = GetTickCount() - start;
            if (elapsed >= timeoutMs) return false;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, timeoutMs - elapsed, QS_ALLINPUT);
        }
        return true;
    }
    bool Replied() const { return state_ && state_->replied; }
    ATOM Atom() const { return state_ ? state_->atom : 0; }
    // The answer text ("" for no answer or no reply yet).
    std::string Text() const { return state_ ? state_->text : std::string(); }

private:
    struct State {
        bool replied = false;
        bool abandoned = false;
        ATOM atom = 0;
        std::string text;
    };
    static void CALLBACK OnReply(HWND, UINT, ULONG_PTR data, LRESULT result) {
        auto* state = reinterpret_cast<State*>(data);
        state->replied = true;
        state->atom = static_cast<ATOM>(result);
        if (state->atom) {
            char buf[256] = {};
            const UINT n = GlobalGetAtomNameA(state->atom, buf, sizeof buf);
            state->text.assign(buf, n);
        }
        if (state->abandoned) {
            if (state->atom) GlobalDeleteAtom(state->atom);
            delete state;
        }
    }
    State* state_;
    bool sent_ = false;
};

// A running simulator process, started from a scenario text.
class Simulator {
public:
    Simulator() = default;
    ~Simulator() {
        Stop();
        RemoveLog();
    }
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    // Writes the scenario to a temporary file, starts sessionsim.exe and waits until it has
    // logged `ready` and its control window answers `ping`. false on failure (LastError()).
    bool Start(const std::string& scenario, DWORD timeoutMs = 20000) {
        Stop();
        RemoveLog();
        static LONG counter = 0;
        const std::string unique = std::to_string(GetCurrentProcessId()) + "-" +
                                   std::to_string(InterlockedIncrement(&counter));
        id_ = "sessionsim-" + unique;
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        scenarioPath_ = std::string(temp) + "sessionsim-" + unique + "-scenario.txt";
        logPath_ = std::string(temp) + "sessionsim-" + unique + "-log.txt";
        DeleteFileA(logPath_.c_str());
        if (!detail::WriteWholeFile(scenarioPath_, scenario)) return Fail("cannot write " + scenarioPath_);

        const std::string exe = ExeDirectory() + "sessionsim.exe";
        std::string commandLine = "\"" + exe + "\" --scenario \"" + scenarioPath_ + "\" --log \"" + logPath_ +
                                  "\" --id " + id_;
        STARTUPINFOA si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        // Under Wine a process start now and then fails with an internal error (1359) while
        // the machine is busy; a second try a moment later goes through.
        bool started = false;
        for (int attempt = 0; attempt < 3 && !started; ++attempt) {
            if (attempt > 0) Sleep(200);
            started = CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                                     &pi) != FALSE;
        }
        if (!started)
            return Fail("cannot start " + exe + " (error " + std::to_string(GetLastError()) + ")");
        process_ = pi.hProcess;
        CloseHandle(pi.hThread);
        processId_ = pi.dwProcessId;

        const DWORD begin = GetTickCount();
        for (;;) {
            if (WaitForSingleObject(process_, 0) == WAIT_OBJECT_0) {
                DWORD code = 0;
                GetExitCodeProcess(process_, &code);
                return Fail("simulator ended with code " + std::to_string(code) + ": " + Log());
            }
            if (HasLine("ready")) {
                control_ = FindWindowA(kControlClass, id_.c_str());
                if (control_ && SendCommand(control_, "ping", 2000).ok) return true;
            }
            if (GetTickCount() - begin > timeoutMs) return Fail("simulator not ready in time: " + Log());
            Sleep(5);
        }
    }

    CommandResult Command(const std::string& text, DWORD timeoutMs = 10000) const {
        if (!control_) return CommandResult{false, false, 0, "error not running"};
        return SendCommand(control_, text, timeoutMs);
    }
    bool Send(const std::string& text) const { return Command(text).ok; }
    HWND Hwnd(const std::string& name) const {
        return reinterpret_cast<HWND>(Command("hwnd " + name).result);
    }
    // Live sessions (frames not counted); -1 if the simulator does not answer.
    int Count() const {
        const CommandResult r = Command("count");
        return r.ok ? std::atoi(r.Data().c_str()) : -1;
    }

    // The SAP_GET_FRONT queries received by every session together, or by the latest session
    // of that name, since the start or ResetQueries(); false if no counts came back.
    bool Queries(QueryCounts& out, const std::string& session = std::string()) const {
        const CommandResult r = Command(session.empty() ? "queries" : "queries " + session);
        return r.ok && QueryCounts::Read(r.Data(), out);
    }
    bool ResetQueries() const { return Send("queries reset"); }

    std::string Log() const { return logPath_.empty() ? std::string() : detail::ReadWholeFile(logPath_); }
    std::vector<std::string> LogLines() const { return SplitLines(Log()); }
    bool HasLine(const std::string& line) const {
        for (const std::string& l : LogLines()) {
            if (l == line) return true;
        }
        return false;
    }
    // Waits until the log holds a line for which pred(line) is true.
    template <class Pred>
    bool WaitForLog(Pred pred, DWORD timeoutMs = 5000) const {
        const DWORD begin = GetTickCount();
        for (;;) {
            for (const std::string& l : LogLines()) {
                if (pred(l)) return true;
            }
            if (GetTickCount() - begin > timeoutMs) return false;
            Sleep(10);  // each look opens and reads the log: a few requests to the Wine server
        }
    }
    bool WaitForLine(const std::string& line, DWORD timeoutMs = 5000) const {
        return WaitForLog([&](const std::string& l) { return l == line; }, timeoutMs);
    }

    bool Running() const { return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }
    // Waits for the process to end by itself; its exit code, or STILL_ACTIVE after the deadline.
    DWORD WaitForExit(DWORD timeoutMs) const {
        if (!process_) return 0;
        WaitForSingleObject(process_, timeoutMs);
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(process_, &code);
        return code;
    }
    // Sends `exit`; terminates the process if it has not ended within timeoutMs, then deletes
    // what is left of its answers (ForgetAnswers). Returns the exit code (1 after a
    // termination). Keeps the log file readable until the next Start().
    DWORD Stop(DWORD timeoutMs = 5000) {
        DWORD code = 0;
        if (process_) {
            if (Running()) Command("exit", timeoutMs);
            if (WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0) {
                TerminateProcess(process_, 1);
                WaitForSingleObject(process_, timeoutMs);
            }
            GetExitCodeProcess(process_, &code);
            CloseHandle(process_);
            process_ = nullptr;
            ForgetAnswers();
        }
        control_ = nullptr;
        if (!scenarioPath_.empty()) DeleteFileA(scenarioPath_.c_str());
        scenarioPath_.clear();
        return code;
    }
    const std::string& Id() const { return id_; }
    const std::string& LogPath() const { return logPath_; }
    DWORD ProcessId() const { return processId_; }
    HWND Control() const { return control_; }
    const std::string& LastError() const { return error_; }

private:
    bool Fail(const std::string& why) {
        error_ = why;
        return false;
    }
    // An answer travels in a global atom that its reader deletes. A reader killed before it
    // read one leaves it in the desktop's table, which outlives both processes and ignores
    // letter case: a later session answering "PRD" would be read as the "prd" left there.
    // Once the simulator has ended, none of its answers can still be on the way.
    void ForgetAnswers() const {
        std::set<std::string> answers;
        for (const std::string& line : LogLines()) {
            // "get NAME CODE ANSWER", "-" for no answer.
            if (line.rfind("get ", 0) != 0) continue;
            const std::size_t code = line.find(' ', 4);
            const std::size_t answer = code == std::string::npos ? code : line.find(' ', code + 1);
            if (answer != std::string::npos && line.compare(answer + 1, std::string::npos, "-") != 0) {
                answers.insert(line.substr(answer + 1));
            }
        }
        // Bounded: an atom such as "#5" is found again after every delete.
        for (const std::string& text : answers) {
            for (int i = 0; i < 1000; ++i) {
                const ATOM atom = GlobalFindAtomA(text.c_str());
                if (atom == 0) break;
                GlobalDeleteAtom(atom);
            }
        }
    }
    void RemoveLog() {
        if (!logPath_.empty()) DeleteFileA(logPath_.c_str());
        logPath_.clear();
    }

    HANDLE process_ = nullptr;
    DWORD processId_ = 0;
    HWND control_ = nullptr;
    std::string id_, scenarioPath_, logPath_, error_;
};

}  // namespace sessionsim
