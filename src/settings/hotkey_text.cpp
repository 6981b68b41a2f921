#include "settings/hotkey_text.h"

#include <vector>

#include "base/text.h"

namespace quilvo {
namespace {

struct Name {
    const char* text;
    unsigned value;
};

// The canonical names come first: HotkeyText writes the first name of a value.
constexpr Name kModifierNames[] = {
    {"Ctrl", kCtrl}, {"Alt", kAlt}, {"Shift", kShift}, {"Win", kWin}, {"Control", kCtrl},
};

constexpr Name kKeyNames[] = {
    {"Space", 0x20},    {"Enter", 0x0D},     {"Tab", 0x09},   {"Esc", 0x1B},  {"Escape", 0x1B},
    {"Insert", 0x2D},   {"Delete", 0x2E},    {"Home", 0x24},  {"End", 0x23},  {"PageUp", 0x21},
    {"PageDown", 0x22}, {"Up", 0x26},        {"Down", 0x28},  {"Left", 0x25}, {"Right", 0x27},
    {"Pause", 0x13},    {"Backspace", 0x08},
};

constexpr unsigned kF1 = 0x70;
constexpr unsigned kF12 = 0x7B;
constexpr unsigned kFunctionKeyCount = 24;

std::string_view Trim(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        unsigned char ca = FoldAsciiLetter(static_cast<unsigned char>(a[i]));
        unsigned char cb = FoldAsciiLetter(static_cast<unsigned char>(b[i]));
        if (ca != cb) return false;
    }
    return true;
}

template <std::size_t N>
unsigned ValueOfName(const Name (&names)[N], std::string_view text) {
    for (const Name& n : names) {
        if (SameName(text, n.text)) return n.value;
    }
    return 0;
}

// "F1".."F24" without leading zeros; 0 for anything else.
unsigned FunctionKey(std::string_view text) {
    if (text.size() < 2 || text.size() > 3 || (text[0] != 'F' && text[0] != 'f') || text[1] == '0') return 0;
    unsigned n = 0;
    for (char c : text.substr(1)) {
        if (c < '0' || c > '9') return 0;
        n = n * 10 + static_cast<unsigned>(c - '0');
    }
    return n <= kFunctionKeyCount ? kF1 + n - 1 : 0;
}

// The virtual-key code of a key name; 0 for a text that names no key.
unsigned KeyCode(std::string_view text) {
    if (text.size() == 1) {
        char c = static_cast<char>(FoldAsciiLetter(static_cast<unsigned char>(text[0])));
        if (c >= 'a' && c <= 'z') return static_cast<unsigned>(c - 'a' + 'A');
        if (c >= '0' && c <= '9') return static_cast<unsigned>(c);
        return 0;
    }
    if (unsigned f = FunctionKey(text)) return f;
    return ValueOfName(kKeyNames, text);
}

std::string KeyName(unsigned key) {
    bool letterOrDigit = (key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9');
    if (letterOrDigit) return std::string(1, static_cast<char>(key));
    if (key >= kF1 && key < kF1 + kFunctionKeyCount) return "F" + std::to_string(key - kF1 + 1);
    for (const Name& n : kKeyNames) {
        if (n.value == key) return n.text;
    }
    return "";
}

std::vector<std::string_view> SplitAtPlus(std::string_view text) {
    std::vector<std::string_view> parts;
    for (std::size_t at = 0;;) {
        std::size_t end = text.find('+', at);
        if (end == std::string_view::npos) {
            parts.push_back(Trim(text.substr(at)));
            return parts;
        }
        parts.push_back(Trim(text.substr(at, end - at)));
        at = end + 1;
    }
}

// Modifiers, each once, then one key when withKey; otherwise modifiers only, at least one.
Hotkey ParseJoinedNames(std::string_view text, bool withKey) {
    Hotkey unreadable;
    if (text.size() > kHotkeyTextMax) return unreadable;
    if (SameName(Trim(text), "none")) return Hotkey{HotkeyState::None, 0, 0};

    std::vector<std::string_view> parts = SplitAtPlus(text);
    std::size_t modifierCount = withKey ? parts.size() - 1 : parts.size();
    unsigned modifiers = 0;
    for (std::size_t i = 0; i < modifierCount; ++i) {
        unsigned bit = ValueOfName(kModifierNames, parts[i]);
        if (bit == 0 || (modifiers & bit) != 0) return unreadable;
        modifiers |= bit;
    }
    unsigned key = withKey ? KeyCode(parts.back()) : 0;
    if (withKey ? key == 0 : modifiers == 0) return unreadable;
    return Hotkey{HotkeyState::Set, modifiers, key};
}

}  // namespace

Hotkey ParseHotkey(std::string_view text) { return ParseJoinedNames(text, true); }

Hotkey ParseModifiers(std::string_view text) { return ParseJoinedNames(text, false); }

std::string HotkeyText(unsigned modifiers, unsigned key) {
    std::string text;
    unsigned written = 0;
    for (const Name& m : kModifierNames) {
        if ((modifiers & m.value) == 0 || (written & m.value) != 0) continue;
        if (!text.empty()) text += '+';
        text += m.text;
        written |= m.value;
    }
    if (key == 0) return text;
    std::string name = KeyName(key);
    if (name.empty()) return "";
    return text.empty() ? name : text + '+' + name;
}

HotkeyRefusal RefusalOf(unsigned modifiers, unsigned key) {
    if (key == kF12) return HotkeyRefusal::Debugger;
    const bool functionKey = key >= kF1 && key < kF1 + kFunctionKeyCount;
    if (functionKey || (modifiers & (kCtrl | kAlt | kWin)) != 0) return HotkeyRefusal::None;
    return (modifiers & kShift) != 0 ? HotkeyRefusal::ShiftOnly : HotkeyRefusal::NoModifier;
}

std::string BoxHotkeysText(unsigned modifiers) {
    return HotkeyText(modifiers, BoxHotkeyKey(0)) + " to " + std::to_string(kBoxCount);
}

std::string FailedBoxNumbers(const bool (&registered)[kBoxCount]) {
    std::vector<int> failed;
    for (int box = 0; box < kBoxCount; ++box) {
        if (!registered[box]) failed.push_back(box + 1);
    }
    std::string text;
    for (std::size_t i = 0; i < failed.size(); ++i) {
        if (i > 0) text += i + 1 == failed.size() ? " and " : ", ";
        text += std::to_string(failed[i]);
    }
    return text;
}

std::string HotkeyAboutLine(std::string_view label, HotkeyOutcome outcome, std::string_view keys,
                            std::string_view rawText, std::string_view failed, HotkeyRefusal refusal) {
    std::string line(label);
    line += ": ";
    switch (outcome) {
    case HotkeyOutcome::Registered:
        line += keys;
        if (!failed.empty()) line.append(", except ").append(failed).append(" (taken by another program)");
        break;
    case HotkeyOutcome::Off:
        line += "none";
        break;
    case HotkeyOutcome::Unreadable:
        line.append("none, '").append(rawText).append("' is not a key");
        break;
    case HotkeyOutcome::Taken:
        line.append("none, ").append(keys).append(" is taken by another program");
        break;
    case HotkeyOutcome::Refused:
        line.append("none, '").append(rawText).append("'");
        line += refusal == HotkeyRefusal::Debugger ? ": F12 is kept for debuggers" : " needs Ctrl, Alt or Win";
        break;
    }
    return line;
}

}  // namespace quilvo
