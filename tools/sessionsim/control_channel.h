// The simulator's control channel: commands from tests and scripts to a running simulator.
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
//                                   sleep-on-move delete-atoms okcode-delay send-on-query send-on-move
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
//   queries [NAME]                  data: "total=N c4=N c11=N c15=N c10=N c5=N other=N", the
//                                   SAP_GET_FRONT queries received by every session together
//                                   (those gone too), or by the latest session of that name,
//                                   since the start or the last reset; per code (other: 3 and
//                                   unknown codes); query_counts.h reads it
//   queries reset                   every count back to zero (the fault counters of
//                                   die-/destroy-/hang-after-queries go on as they were)
//   exit                            destroy every window, end the process with code 0
// Commands that act on a window run on its thread and are awaited up to 2 s; if the thread is
// busy the reply is "ok queued" and the action happens when the thread is free again.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <string>

namespace sessionsim {

// Registers the control window's class; false if it cannot be.
bool RegisterControlClass();
// Makes the hidden control window that takes the commands; null if it cannot be made.
HWND CreateControlWindow(const std::string& id);
// True once `exit` was run or the control window was asked to close.
bool ExitRequested();

}  // namespace sessionsim
