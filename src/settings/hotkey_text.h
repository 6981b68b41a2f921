// Hotkeys as the settings file writes them: FIND_HOTKEY ("Ctrl+Alt+Space") opens the find
// window; BOX_HOTKEYS ("Ctrl+Alt") with the digits 1 to 6 brings up a box. Also the About box
// lines that tell what became of them.
#pragma once

#include <string>
#include <string_view>

#include "core/boxes.h"

namespace quilvo {

// Modifier bits. The values are the platform's MOD_ALT, MOD_CONTROL, MOD_SHIFT and MOD_WIN, so
// they go to the hotkey registration as they are.
enum HotkeyModifier : unsigned {
    kAlt = 1,
    kCtrl = 2,
    kShift = 4,
    kWin = 8,
};

enum class HotkeyState {
    Set,
    None,        // the text "none" (any case): the hotkey is off
    Unreadable,  // anything else that is not a hotkey
};

struct Hotkey {
    HotkeyState state = HotkeyState::Unreadable;
    unsigned modifiers = 0;  // HotkeyModifier bits
    unsigned key = 0;        // virtual-key code; 0 for BOX_HOTKEYS, which have modifiers only
};

// Longest text read as a hotkey; anything longer is unreadable.
constexpr std::size_t kHotkeyTextMax = 63;

// Any of Ctrl (or Control), Alt, Shift, Win, each at most once, joined by '+' before one key:
// "Ctrl+Alt+Space", "Shift+Win+F", "F5". Any case; blanks around the parts are allowed.
// Keys and their virtual-key codes:
//   A..Z 0x41..0x5A, 0..9 0x30..0x39, F1..F24 0x70..0x87, Space 0x20, Enter 0x0D, Tab 0x09,
//   Esc (or Escape) 0x1B, Insert 0x2D, Delete 0x2E, Home 0x24, End 0x23, PageUp 0x21,
//   PageDown 0x22, Up 0x26, Down 0x28, Left 0x25, Right 0x27, Pause 0x13, Backspace 0x08.
// Empty text, a missing or second key, a doubled modifier are unreadable.
Hotkey ParseHotkey(std::string_view text);

// BOX_HOTKEYS: one or more modifiers as above and no key ("Ctrl+Alt", "Win+Alt"), or "none".
// A key in it, or no modifier at all, is unreadable.
Hotkey ParseModifiers(std::string_view text);

// The canonical text: modifiers in the order Ctrl, Alt, Shift, Win, then the key's name as
// listed at ParseHotkey ("Ctrl+Alt+Space"). Key 0 gives the modifiers alone ("Ctrl+Alt"); a
// key without a name gives an empty text.
std::string HotkeyText(unsigned modifiers, unsigned key);

// The key of a box's hotkey: the digit of its number as shown, '1' for box index 0.
inline unsigned BoxHotkeyKey(int box) { return '1' + static_cast<unsigned>(box); }
// "Ctrl+Alt+1 to 6".
std::string BoxHotkeysText(unsigned modifiers);
// The numbers of the boxes whose hotkey was not registered: "3", "3 and 5", "2, 3 and 5";
// empty when all were.
std::string FailedBoxNumbers(const bool (&registered)[kBoxCount]);

// Why a readable hotkey is not taken. A key alone (or with Shift alone) is what the user
// types into other programs, and a hotkey takes it from all of them; F12 is kept for
// debuggers by the system, which breaks into a program on it.
enum class HotkeyRefusal {
    None,
    NoModifier,  // neither Ctrl, Alt nor Win, and not F1 to F24
    ShiftOnly,   // Shift the only modifier, and not F1 to F24
    Debugger,    // F12, with any modifiers
};
// For BOX_HOTKEYS pass the modifiers with BoxHotkeyKey of any box.
HotkeyRefusal RefusalOf(unsigned modifiers, unsigned key);

enum class HotkeyOutcome {
    Registered,
    Off,         // set to "none"
    Unreadable,  // the text was not a hotkey
    Taken,       // another program holds it, so it could not be registered
    Refused,     // readable, but a key the program does not take (HotkeyRefusal)
};

// One line of the About box, for label "Find" or "Boxes":
//   Registered  "Find: Ctrl+Alt+Space"
//               "Boxes: Ctrl+Alt+1 to 6, except 3 (taken by another program)" when failed is set
//   Off         "Find: none"
//   Unreadable  "Find: none, 'Ctrl+Q+' is not a key" (rawText as the settings file has it)
//   Taken       "Find: none, Ctrl+Alt+Space is taken by another program"
//   Refused     "Find: none, 'Shift+A' needs Ctrl, Alt or Win" (NoModifier, ShiftOnly)
//               "Find: none, 'Ctrl+F12': F12 is kept for debuggers" (Debugger)
std::string HotkeyAboutLine(std::string_view label, HotkeyOutcome outcome, std::string_view keys,
                            std::string_view rawText, std::string_view failed = {},
                            HotkeyRefusal refusal = HotkeyRefusal::None);

}  // namespace quilvo
