// Hotkey texts of the settings file: parsing, the canonical text, the start-up read and the
// About box lines.
#include <string>

#include <gtest/gtest.h>

#include "fake_profile.h"
#include "settings/hotkey_text.h"
#include "settings/profile.h"
#include "settings/settings.h"

namespace quilvo {
namespace {

constexpr HotkeyState kSet = HotkeyState::Set;
constexpr HotkeyState kNone = HotkeyState::None;
constexpr HotkeyState kJunk = HotkeyState::Unreadable;

struct HotkeyCase {
    std::string text;
    HotkeyState state;
    unsigned modifiers;
    unsigned key;
};

void ExpectParsed(const Hotkey& h, const HotkeyCase& c) {
    EXPECT_EQ(static_cast<int>(h.state), static_cast<int>(c.state)) << "'" << c.text << "'";
    EXPECT_EQ(h.modifiers, c.modifiers) << "'" << c.text << "'";
    EXPECT_EQ(h.key, c.key) << "'" << c.text << "'";
}

TEST(HotkeyParse, FormsKeysAndJunk) {
    const HotkeyCase cases[] = {
        {"Ctrl+Alt+Space", kSet, kCtrl | kAlt, 0x20},
        {"Shift+Win+F", kSet, kShift | kWin, 'F'},
        {"F12", kSet, 0, 0x7B},
        {" control + ALT + q ", kSet, kCtrl | kAlt, 'Q'},
        {"Alt+Ctrl+7", kSet, kCtrl | kAlt, '7'},
        {"Ctrl+F1", kSet, kCtrl, 0x70},
        {"ctrl+f24", kSet, kCtrl, 0x87},
        {"Win+Escape", kSet, kWin, 0x1B},
        {"Ctrl+PageDown", kSet, kCtrl, 0x22},
        {"none", kNone, 0, 0},
        {" NONE ", kNone, 0, 0},
        {"Ctrl+Alt+" + std::string(53, ' ') + "A", kSet, kCtrl | kAlt, 'A'},  // 63 characters
        {"Ctrl+Alt+" + std::string(54, ' ') + "A", kJunk, 0, 0},              // 64
    };
    for (const HotkeyCase& c : cases) ExpectParsed(ParseHotkey(c.text), c);
    // No key, a second key, a doubled modifier, a key that is not in the list.
    for (const char* junk : {"", "+", "Ctrl+", "Ctrl+Q+", "Ctrl+Alt", "Ctrl+Ctrl+A", "Ctrl+Control+A",
                             "A+Ctrl", "Ctrl+AB", "Ctrl+F0", "Ctrl+F25", "Ctrl+F01", "Ctrl+\xC4", "Hyper+A"}) {
        ExpectParsed(ParseHotkey(junk), {junk, kJunk, 0, 0});
    }
}

TEST(HotkeyParse, BoxHotkeysAreModifiersOnly) {
    const HotkeyCase cases[] = {
        {"Ctrl+Alt", kSet, kCtrl | kAlt, 0},
        {"alt + shift", kSet, kAlt | kShift, 0},
        {"Win+Alt", kSet, kWin | kAlt, 0},
        {"Ctrl", kSet, kCtrl, 0},
        {"None", kNone, 0, 0},
    };
    for (const HotkeyCase& c : cases) ExpectParsed(ParseModifiers(c.text), c);
    for (const char* junk : {"Ctrl+Alt+1", "F5", "", "Alt+Alt", "Ctrl+"}) {
        ExpectParsed(ParseModifiers(junk), {junk, kJunk, 0, 0});
    }
}

TEST(HotkeyText, CanonicalTextsReadBackAsTheSameHotkey) {
    const struct {
        unsigned modifiers;
        unsigned key;
        const char* text;
    } cases[] = {
        {kWin | kShift | kAlt | kCtrl, 0x20, "Ctrl+Alt+Shift+Win+Space"},
        {0, 0x7B, "F12"},
        {kAlt, 0x1B, "Alt+Esc"},
        {kCtrl, 'Q', "Ctrl+Q"},
        {kCtrl, 0x0D, "Ctrl+Enter"},
        {kCtrl | kAlt, 0, "Ctrl+Alt"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(HotkeyText(c.modifiers, c.key), c.text);
        Hotkey back = c.key != 0 ? ParseHotkey(c.text) : ParseModifiers(c.text);
        EXPECT_EQ(back.modifiers, c.modifiers) << c.text;
        EXPECT_EQ(back.key, c.key) << c.text;
    }
    EXPECT_EQ(HotkeyText(kCtrl, 0xFF), "");  // a key without a name
}

TEST(HotkeyAbout, OneLinePerOutcome) {
    bool all[kBoxCount] = {true, true, true, true, true, true};
    bool third[kBoxCount] = {true, true, false, true, true, true};
    bool three[kBoxCount] = {true, false, false, true, false, true};
    EXPECT_EQ(FailedBoxNumbers(all), "");
    EXPECT_EQ(FailedBoxNumbers(three), "2, 3 and 5");
    std::string boxKeys = BoxHotkeysText(kAlt | kCtrl);
    EXPECT_EQ(boxKeys, "Ctrl+Alt+1 to 6");

    const struct {
        std::string line;
        const char* expected;
    } cases[] = {
        {HotkeyAboutLine("Find", HotkeyOutcome::Registered, "Ctrl+Alt+Space", "ctrl+alt+space"),
         "Find: Ctrl+Alt+Space"},
        {HotkeyAboutLine("Find", HotkeyOutcome::Taken, "Ctrl+Alt+Space", "ctrl+alt+space"),
         "Find: none, Ctrl+Alt+Space is taken by another program"},
        {HotkeyAboutLine("Find", HotkeyOutcome::Unreadable, "", "Ctrl+Q+"),
         "Find: none, 'Ctrl+Q+' is not a key"},
        {HotkeyAboutLine("Find", HotkeyOutcome::Off, "", "none"), "Find: none"},
        {HotkeyAboutLine("Boxes", HotkeyOutcome::Registered, boxKeys, "Ctrl+Alt", FailedBoxNumbers(all)),
         "Boxes: Ctrl+Alt+1 to 6"},
        {HotkeyAboutLine("Boxes", HotkeyOutcome::Registered, boxKeys, "Ctrl+Alt", FailedBoxNumbers(third)),
         "Boxes: Ctrl+Alt+1 to 6, except 3 (taken by another program)"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.line, c.expected);
}

// Keys a hotkey must not take from the user's typing, or from debuggers; the About line says
// why with the text as the settings file has it.
TEST(HotkeyRefusal, KeysTypedAloneOrWithShiftAloneAndF12AreRefused) {
    const struct {
        const char* text;
        bool box;
        HotkeyRefusal refusal;
    } cases[] = {
        {"Ctrl+Alt+Space", false, HotkeyRefusal::None}, {"Win+A", false, HotkeyRefusal::None},
        {"Alt+Home", false, HotkeyRefusal::None},       {"F5", false, HotkeyRefusal::None},
        {"Shift+F24", false, HotkeyRefusal::None},      {"F1", false, HotkeyRefusal::None},
        {"A", false, HotkeyRefusal::NoModifier},        {"Space", false, HotkeyRefusal::NoModifier},
        {"Shift+A", false, HotkeyRefusal::ShiftOnly},   {"Shift+Enter", false, HotkeyRefusal::ShiftOnly},
        {"F12", false, HotkeyRefusal::Debugger},        {"Ctrl+Alt+F12", false, HotkeyRefusal::Debugger},
        {"Shift", true, HotkeyRefusal::ShiftOnly},      {"Ctrl", true, HotkeyRefusal::None},
        {"Shift+Win", true, HotkeyRefusal::None},
    };
    for (const auto& c : cases) {
        const Hotkey h = c.box ? ParseModifiers(c.text) : ParseHotkey(c.text);
        ASSERT_EQ(static_cast<int>(h.state), static_cast<int>(kSet)) << c.text;
        EXPECT_EQ(static_cast<int>(RefusalOf(h.modifiers, c.box ? BoxHotkeyKey(2) : h.key)), static_cast<int>(c.refusal))
            << c.text;
    }
    EXPECT_EQ(HotkeyAboutLine("Find", HotkeyOutcome::Refused, "Shift+A", "shift+a", {}, HotkeyRefusal::ShiftOnly),
              "Find: none, 'shift+a' needs Ctrl, Alt or Win");
    EXPECT_EQ(HotkeyAboutLine("Boxes", HotkeyOutcome::Refused, "Shift+1 to 6", "Shift", {}, HotkeyRefusal::ShiftOnly),
              "Boxes: none, 'Shift' needs Ctrl, Alt or Win");
    EXPECT_EQ(HotkeyAboutLine("Find", HotkeyOutcome::Refused, "F12", "F12", {}, HotkeyRefusal::Debugger),
              "Find: none, 'F12': F12 is kept for debuggers");
}

// Missing keys give the defaults; a text longer than a hotkey can be still reads as junk.
TEST(HotkeySettingsRead, DefaultsAndTextsAsRead) {
    fake::Profile().Reset();
    HotkeySettings h = ReadHotkeySettings();
    EXPECT_STREQ(h.findText, "Ctrl+Alt+Space");
    ExpectParsed(h.find, {"default", kSet, kCtrl | kAlt, 0x20});
    EXPECT_STREQ(h.boxText, "none");
    ExpectParsed(h.boxes, {"default", kNone, 0, 0});

    std::string longText = "Ctrl+Alt+Space" + std::string(200, ' ') + "x";
    fake::Profile().AddRaw(kSettingsFile, kAppSection, kKeyFindHotkey, longText);
    fake::Profile().AddRaw(kSettingsFile, kAppSection, kKeyBoxHotkeys, "Win+Alt");
    h = ReadHotkeySettings();
    EXPECT_EQ(std::string(h.findText), longText.substr(0, kHotkeyTextSize - 1));
    ExpectParsed(h.find, {"long", kJunk, 0, 0});
    ExpectParsed(h.boxes, {"Win+Alt", kSet, kWin | kAlt, 0});
    EXPECT_EQ(fake::Profile().writes, 0);
}

}  // namespace
}  // namespace quilvo
