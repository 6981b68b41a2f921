// Scenario lines of the session simulator: what windows to open and how they answer.
// Plain C++ (no <windows.h>) so the parsing can be reasoned about on its own.
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
//   okcode-delay=MS               at SAP_SET_OKCODE 5 the thread is busy for MS (logged busy and
//                                 awake; `wake` ends it early) before it reads the atom's name,
//                                 as a busy session takes the message late: a sender that deleted
//                                 the atom meanwhile gets "okcode NAME -" logged
//   max-sessions=N                "/o<code>" opens a new session of this session's logon (same
//                                 system, client, user; tx=code; in front) while the logon has
//                                 fewer than N sessions (default 6), else it is refused
//   front                         shown activated and made the foreground window
//   send-on-query=HWND,MSG,WP,LP  at the next SAP_GET_FRONT, before replying, the session sends
//   send-on-move=HWND,MSG,WP,LP   (or, at the next WM_WINDOWPOSCHANGED) this message to that
//                                 window and waits for it (at most 60 s); once
// Values: a bare word, a "quoted text" (\" and \\ inside; "" is empty), or *N:TEXT, which
// repeats TEXT until it is exactly N characters long (tx=*255:X is 255 X's). Texts hold at
// most 255 characters, the most a global atom holds. An empty field answers 0.
#pragma once

#include <string>
#include <vector>

namespace sessionsim {

// The texts a session answers through SAP_GET_FRONT.
enum Field { kClient, kGroup, kUser, kSystem, kTx, kFieldCount };

// Longest text a session can answer: a global atom name holds at most 255 characters.
constexpr std::size_t kMaxText = 255;

// Field asked for by a SAP_GET_FRONT query code; -1 for codes that ask for nothing (3 and
// unknown codes).
int FieldForCode(long long code);
// Scenario key of a field ("client", "group", "user", "system", "tx").
const char* FieldKey(int field);
// Field for a scenario key; -1 if the key is not a field.
int FieldFromKey(const std::string& key);

// One window of the scenario: a session (class SAP_FRONTEND_SESSION unless told another)
// or a frame (a plain top-level window that can parent sessions).
struct WindowDesc {
    bool frame = false;
    std::string name;
    std::string caption;
    bool captionGiven = false;  // without caption=..., the caption is the name
    std::string className;      // empty: the default session class
    std::string parent;         // empty: top-level
    std::string thread;         // top-level windows with the same name share one thread
    std::string fields[kFieldCount];
    unsigned noAnswer = 0;      // bit (1 << Field) set: that field answers 0
    int x = 100, y = 100, w = 640, h = 480;
    bool maximized = false, minimized = false, hidden = false;
    int dieAfterQueries = 0;      // 0: never
    int destroyAfterQueries = 0;  // 0: never
    int hangAfterQueries = 0;     // 0: never
    int sleepOnMoveMs = 0;        // the thread sleeps this long in every WM_WINDOWPOSCHANGING
    int deleteAtoms = 0;          // 1: an OK code's atom is deleted once read
    int okCodeDelayMs = 0;        // busy this long at SAP_SET_OKCODE 5 before the atom is read
    int maxSessions = 6;          // the sessions of one logon that "/o<code>" may open up to
    bool front = false;           // shown activated, in front
    std::string sendOnQuery;      // "HWND,MSG,WPARAM,LPARAM": sent once, at the next query
    std::string sendOnMove;       // the same, at the next WM_WINDOWPOSCHANGED
};

// A message a session sends to another program's window: "HWND,MSG,WPARAM,LPARAM", each a
// number in C notation (0x... for hex). False when the text is not of that form.
struct SentMessage {
    unsigned long long window = 0, message = 0, wParam = 0, lParam = 0;
};
bool ParseSentMessage(const std::string& text, SentMessage& out);

// A word of a scenario line: `key=value` or a bare flag such as `max`.
struct Option {
    std::string key;
    std::string value;
    bool hasValue = false;
};

// Splits text into options. Values are bare words, "quoted texts" (\" and \\ escape inside)
// or *N:TEXT, which repeats TEXT (bare or quoted) until it is exactly N characters long.
bool Tokenize(const std::string& text, std::vector<Option>& out, std::string& error);

// Parses one value in the syntax above from the whole of text (used for `caption NAME TEXT`).
bool ParseValue(const std::string& text, std::string& out, std::string& error);

// Applies one option to a window. With runtimeOnly, only what can change on a live window
// is accepted (fields, noanswer, the fault counters).
bool ApplyOption(WindowDesc& desc, const Option& option, bool runtimeOnly, std::string& error);

// The transaction code of an OK code "/o<code>" (either case of the o); false for any other.
bool OpenCodeOf(const std::string& okCode, std::string& code);

// "client,user" -> mask of those fields; "none" or "" -> 0.
bool ParseFieldList(const std::string& list, unsigned& mask, std::string& error);

// "session NAME options..." or "frame NAME options...".
bool ParseWindowLine(const std::string& line, WindowDesc& out, std::string& error);

// A whole scenario: one window per line, blank lines and '#' comments skipped. Names are
// unique and a parent must come before its children. error names the line at fault.
bool ParseScenario(const std::string& text, std::vector<WindowDesc>& out, std::string& error);

}  // namespace sessionsim
