// The settings file ".\Quilvo.ini": the application section, the six box sections and the
// operations that read and write them. Every access goes to the file afresh.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/handle.h"
#include "core/cycle_settings.h"
#include "settings/hotkey_text.h"
#include "settings/policy.h"

namespace quilvo {

constexpr const char* kAppSection = "Quilvo";

constexpr const char* kKeyOpacity = "OPACITY";
constexpr const char* kKeyIdleTimer = "IDLE_TIMER";
constexpr const char* kKeyIdleAction = "IDLE_ACTION";
constexpr const char* kKeyWindowX = "WindowX";
constexpr const char* kKeyWindowY = "WindowY";
constexpr const char* kKeySelection = "Selection";
constexpr const char* kKeyCascade = "Cascade";
constexpr const char* kKeyFindHotkey = "FIND_HOTKEY";
constexpr const char* kKeyBoxHotkeys = "BOX_HOTKEYS";
constexpr const char* kKeyMaxSessions = "MAX_SESSIONS";
constexpr const char* kKeyReadyAfter = "READY_AFTER";
constexpr const char* kKeyProduction = "PRODUCTION";
constexpr const char* kKeyReopen = "REOPEN";

// Keys of the view sections ("WindowX" and "WindowY" as in the application section).
constexpr const char* kKeyZoomFactor = "ZoomFactor";
constexpr const char* kKeyVisible = "Visible";
constexpr const char* kKeyWidth = "Width";
constexpr const char* kKeyHeight = "Height";
// Read when the view is made, never written: 0 turns the mini windows' labels off.
constexpr const char* kKeyLabels = "Labels";
// The docked view's section, whose "Visible" doubles as the docked flag.
constexpr const char* kDockedSection = "BoxedViewToolbar";

constexpr int kSelectionBufferSize = 255;  // at most 254 characters are read
constexpr const char* kDefaultIdleAction = "none";
constexpr const char* kDefaultFindHotkey = "Ctrl+Alt+Space";
constexpr const char* kDefaultBoxHotkeys = "none";

// "Box%d" of the box index taken as a signed 16-bit number.
constexpr std::size_t kBoxSectionCapacity = 16;
void FormatBoxSection(int box, char (&section)[kBoxSectionCapacity]);

// "Selection" of a box into buffer (size includes the terminator), default empty; returns the
// number of characters stored.
int ReadBoxSelection(char* buffer, int size, int box);
// Writes text as "Selection" of a box; true when the write succeeded.
bool WriteBoxSelection(const char* text, int box);
// Writes an integer as decimal text under a key of a box section ("Cascade").
bool WriteBoxInt(int box, const char* key, int value);
int ReadBoxInt(int box, const char* key, int defaultValue);

// The application section: an integer with default 0, a text with default "none" unless
// another is given.
int ReadAppInt(const char* key);
int ReadAppString(const char* key, char* buffer, int size, const char* defaultValue = kDefaultIdleAction);
// Writes an integer as decimal text under a key of any section.
bool WriteProfileInt(const char* section, const char* key, int value);

// A view's section ("BoxedViewToolWindow", "BoxedViewSingle", "BoxedViewToolbar"): what a
// view reads when it is made and writes at its teardown, with the defaults in this one place.
// Each value as stored; the view applies its own clamps (a place left of the screen, a size
// of 0 or less).
struct ViewSection {
    int zoomFactor = 2;
    int visible = 1;   // "Visible"; for the docked section also the docked flag
    int x = 0;         // "WindowX", "WindowY"
    int y = 0;
    int width = 0;     // "Width", "Height": 0 when none is stored
    int height = 0;
    int labels = 1;    // read, never written: 0 turns the mini windows' labels off
};
ViewSection ReadViewSection(const char* section);
// The teardown's write: "Visible" and "ZoomFactor" always; the place and size only when given
// (a minimised view keeps what was stored).
struct ViewPlace {
    int x, y, width, height;
};
void WriteViewSection(const char* section, bool visible, int zoomFactor, const ViewPlace* place);

// The main window's stored position ("WindowX", "WindowY"; default 0, negative as 0) and the
// writing of it. SaveWindowPosition and RestoreMainWindow (Windows only) build on these.
struct StoredPosition {
    int x;
    int y;
};
StoredPosition ReadMainWindowPosition();
void WriteMainWindowPosition(int x, int y);

// A whole number between lowest and highest under a key of the application section; the
// default when the key is missing or holds anything else (junk, a sign, a number out of range).
int ReadAppNumber(const char* key, int defaultValue, int lowest, int highest);
// The same for a stored text (null: missing).
int NumberFromSetting(const char* text, int defaultValue, int lowest, int highest);

// The administrator's policy (settings/policy.h), which the reads below consult before the
// settings file. Put in force at start and when the policy changes; none until then.
void UsePolicy(const PolicyValues& policy);
const PolicyValues& PolicyInForce();

// MAX_SESSIONS: the sessions one logon may have (default 6 as the front end allows; 1 to 16).
int ReadMaxSessions();
// READY_AFTER: seconds a session must have been busy for a ready notice (default 20, 0 = off,
// at most a day).
int ReadReadyAfter();
// REOPEN: 0 keeps no sessions and offers none; anything else (default 1) keeps and offers them.
// The policy OpenSessions 0 turns it off too.
bool ReadReopen();
// Whether the find window offers to open new sessions: only the policy OpenSessions 0 says no.
bool NewSessionsOffered();
// PRODUCTION: the production systems ("PRD,QAS/300"); none when the key is absent or empty.
ProductionSystems ReadProduction();
// The policy Production is set: the list is the administrator's, the user changes nothing.
bool ProductionByPolicy();
// Writes PRODUCTION (and nothing else); true when the write succeeded.
bool WriteProduction(const ProductionSystems& production);

// Clamps of stored values.
int PositionFromSetting(int stored);                   // negative -> 0
int SizeFromSetting(int stored, int defaultSize);      // 0 or less -> the default
std::uint8_t OpacityFromSetting(int stored);           // 0 -> 255, else the low 8 bits
bool FlagOnFromSetting(int stored);                    // "Cascade": greater than 0 is on

// A "Selection" is System, Client, User and Transaction joined by '$', without escaping.
// Split from the left: each of the first three fields takes the text before the next '$'
// when there is one; the Transaction takes what is left, '$' signs included. A field that no
// part reaches keeps what it held (SplitSelection leaves it untouched). Each part is cut to
// its field's capacity.
struct SelectionFields {
    char* system;
    std::size_t systemCapacity;
    char* client;
    std::size_t clientCapacity;
    char* user;
    std::size_t userCapacity;
    char* transaction;
    std::size_t transactionCapacity;
};
void SplitSelection(const char* text, const SelectionFields& fields);

// Composes "%s$%s$%s$%s" into buffer (size includes the terminator), cut to fit; returns the
// number of characters stored.
int ComposeSelection(char* buffer, std::size_t size, const char* system, const char* client,
                     const char* user, const char* transaction);

#if defined(_WIN32)
// Windows only (win32_settings.cpp): the main window's normal position to and from the
// application section.
void SaveWindowPosition(WindowHandle window);
void RestoreMainWindow(WindowHandle window, int width, int height);
#endif

// Refreshes a box filter from the box's section of the settings file: the cascade flag always,
// the four texts from a non-empty "Selection" as SplitSelection splits it (then true).
bool LoadBoxFilter(int box, BoxFilter& filter);

// Reads IDLE_TIMER and, only when it is not 0, IDLE_ACTION (default "none").
IdleSettings ReadIdleSettings();

// FIND_HOTKEY and BOX_HOTKEYS (or the policies FindHotkey and BoxHotkeys) as start-up reads
// them, once; never written. The texts are kept as read for the About box.
// Room for more than kHotkeyTextMax characters, so a text too long still reads as too long.
constexpr int kHotkeyTextSize = 128;
struct HotkeySettings {
    char findText[kHotkeyTextSize] = {};
    char boxText[kHotkeyTextSize] = {};
    Hotkey find;   // ParseHotkey of findText
    Hotkey boxes;  // ParseModifiers of boxText
};
HotkeySettings ReadHotkeySettings();

// The refresh cycle's settings, read from the settings file.
CycleSettings& IniCycleSettings();

}  // namespace quilvo
