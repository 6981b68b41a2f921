// sessionsim: a stand-in for SAP GUI sessions, for Quilvo's tests, benchmarks and demo.
//
// Usage
//   sessionsim.exe --scenario FILE --log FILE [--id NAME]   run a scenario (id default "sessionsim")
//   sessionsim.exe --send ID COMMAND...                      send one command to a running
//                                                            simulator, print its reply; exit 0 if ok
//   Exit codes: 0 after `exit`; 2 bad arguments or scenario; 3 after a die-after-queries fault;
//   with --send: 1 the command was refused, 2 no simulator with that id.
//
// The rest is told where it is kept: the scenario file in scenario.h, the messages a session
// answers in sim_window.h, the threads in open_windows.h, the control commands in
// control_channel.h.
//
// Log (--log FILE): one line per event, written with WriteFile at once (no buffering in this
// process, so a line survives TerminateProcess):
//   ready                            the scenario's windows are up and the control window waits
//   cmd TEXT                         a control command received
//   get NAME CODE ANSWER|-           a SAP_GET_FRONT received and its answer (- for none)
//   okcode NAME TEXT                 an OK code run through SAP_SET_OKCODE 5 (- if its atom names
//                                    nothing, as when the sender deleted it during an okcode-delay)
//   opened NEWNAME CODE              "/oCODE" opened a new session of the logon, in front
//   refused NAME /oCODE N sessions   "/oCODE" refused: the logon has max-sessions sessions
//   close NAME                       the session is being closed (by SAP_SET_OKCODE 3 or the user)
//   show NAME hidden|shown|minimized|maximized|restored   a change of show state
//   busy NAME / awake NAME           the session's thread went busy (hang, sleep-on-move,
//                                    okcode-delay) / is free again
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

#include <string>
#include <vector>

#include "control_channel.h"
#include "event_log.h"
#include "open_windows.h"
#include "scenario.h"
#include "sim_client.h"
#include "sim_window.h"

namespace sessionsim {
namespace {

void PrintTo(DWORD which, const std::string& text) {
    HANDLE out = GetStdHandle(which);
    if (!out || out == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

// `--send ID words...`: a word with blanks is taken back into quotes (key="a b") so a command
// split by the shell reads as it was typed.
std::string JoinSendWords(const std::vector<std::string>& words) {
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
    return command;
}

int RunClient(const std::string& id, const std::vector<std::string>& words) {
    const std::string command = JoinSendWords(words);
    HWND control = FindWindowA(kControlClass, id.c_str());
    if (!control) {
        PrintTo(STD_ERROR_HANDLE, "sessionsim: no simulator with id '" + id + "'\n");
        return 2;
    }
    const CommandResult r = SendCommand(control, command);
    PrintTo(STD_OUTPUT_HANDLE, r.text + "\n");
    return r.ok ? 0 : 1;
}

int Usage(const std::string& why) {
    PrintTo(STD_ERROR_HANDLE, "sessionsim: " + why +
                                  "\nusage: sessionsim --scenario FILE --log FILE [--id NAME]\n"
                                  "       sessionsim --send ID COMMAND...\n");
    return 2;
}

struct Arguments {
    std::string scenarioPath, logPath, id = "sessionsim", sendId;
    std::vector<std::string> sendWords;
};

// False, with why, for a word it does not know or a missing one.
bool ParseArguments(int argc, char** argv, Arguments& args, std::string& why) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (!args.sendId.empty()) {
            args.sendWords.push_back(arg);
        } else if (arg == "--send" && i + 1 < argc) {
            args.sendId = argv[++i];
        } else if (arg == "--scenario" && i + 1 < argc) {
            args.scenarioPath = argv[++i];
        } else if (arg == "--log" && i + 1 < argc) {
            args.logPath = argv[++i];
        } else if (arg == "--id" && i + 1 < argc) {
            args.id = argv[++i];
        } else {
            why = "unexpected argument '" + arg + "'";
            return false;
        }
    }
    if (!args.sendId.empty()) {
        if (args.sendWords.empty()) why = "--send needs a command";
        return !args.sendWords.empty();
    }
    if (args.scenarioPath.empty() || args.logPath.empty()) {
        why = "--scenario and --log are required";
        return false;
    }
    return true;
}

// A start-up problem, once the log is open: logged and printed, exit code 2.
int Fail(const std::string& why) {
    g_log.Line("error " + why);
    PrintTo(STD_ERROR_HANDLE, "sessionsim: " + why + "\n");
    return 2;
}

bool ReadScenario(const std::string& path, std::vector<WindowDesc>& descs, std::string& error) {
    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        error = "cannot read scenario " + path;
        return false;
    }
    if (!ParseScenario(detail::ReadWholeFile(path), descs, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

// The main thread's message loop, which serves the control window, until `exit`.
void ServeCommands() {
    MSG msg;
    while (!ExitRequested() && GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

int RunScenario(const Arguments& args) {
    if (!g_log.Open(args.logPath)) return Usage("cannot open log " + args.logPath);
    if (FindWindowA(kControlClass, args.id.c_str())) return Fail("a simulator with id '" + args.id + "' runs already");
    std::vector<WindowDesc> descs;
    std::string error;
    if (!ReadScenario(args.scenarioPath, descs, error)) return Fail(error);

    RegisterSessionMessages();
    if (!RegisterControlClass()) return Fail("cannot register the control class");
    for (const WindowDesc& desc : descs) {
        if (!OpenWindow(desc, error)) return Fail(desc.name + ": " + error);
    }
    HWND control = CreateControlWindow(args.id);
    if (!control) return Fail("cannot create the control window");
    g_log.Line("ready");

    ServeCommands();
    DestroyWindow(control);
    ShutDown();
    g_log.Line("exit");
    return 0;
}

int Run(int argc, char** argv) {
    Arguments args;
    std::string why;
    if (!ParseArguments(argc, argv, args, why)) return Usage(why);
    if (!args.sendId.empty()) return RunClient(args.sendId, args.sendWords);
    return RunScenario(args);
}

}  // namespace
}  // namespace sessionsim

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    sessionsim::g_instance = instance;
    // ExitProcess rather than a return: a session thread still busy in a hang must not keep
    // the process alive.
    ExitProcess(static_cast<UINT>(sessionsim::Run(__argc, __argv)));
}
