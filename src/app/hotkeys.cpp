#include "app/hotkeys.h"

#include <algorithm>

namespace quilvo {

namespace {

// A key held down sends one hotkey, not a stream of them.
bool RegisterKey(HWND owner, int id, unsigned modifiers, unsigned key) {
    return RegisterHotKey(owner, id, modifiers | MOD_NOREPEAT, key) != FALSE;
}

// A box hotkey is its modifiers with a digit; every digit is refused alike.
HotkeyRefusal FindRefusal(const Hotkey& find) { return RefusalOf(find.modifiers, find.key); }
HotkeyRefusal BoxRefusal(const Hotkey& boxes) { return RefusalOf(boxes.modifiers, BoxHotkeyKey(0)); }

HotkeyOutcome OutcomeOf(const Hotkey& hotkey, HotkeyRefusal refusal, bool anyRegistered) {
    switch (hotkey.state) {
        case HotkeyState::None: return HotkeyOutcome::Off;
        case HotkeyState::Unreadable: return HotkeyOutcome::Unreadable;
        case HotkeyState::Set: break;
    }
    if (refusal != HotkeyRefusal::None) return HotkeyOutcome::Refused;
    return anyRegistered ? HotkeyOutcome::Registered : HotkeyOutcome::Taken;
}

}  // namespace

void Hotkeys::Register(HWND owner, const HotkeySettings& settings) {
    owner_ = owner;
    settings_ = settings;
    if (settings.find.state == HotkeyState::Set && FindRefusal(settings.find) == HotkeyRefusal::None) {
        findRegistered_ = RegisterKey(owner, kFindId, settings.find.modifiers, settings.find.key);
    }
    if (settings.boxes.state == HotkeyState::Set && BoxRefusal(settings.boxes) == HotkeyRefusal::None) {
        for (int box = 0; box < kBoxCount; ++box) {
            boxRegistered_[box] = RegisterKey(owner, kFirstBoxId + box, settings.boxes.modifiers, BoxHotkeyKey(box));
        }
    }
}

void Hotkeys::Unregister() {
    if (findRegistered_) UnregisterHotKey(owner_, kFindId);
    for (int box = 0; box < kBoxCount; ++box) {
        if (boxRegistered_[box]) UnregisterHotKey(owner_, kFirstBoxId + box);
        boxRegistered_[box] = false;
    }
    findRegistered_ = false;
}

std::string Hotkeys::FindLine() const {
    const Hotkey& find = settings_.find;
    const HotkeyRefusal refusal = FindRefusal(find);
    return HotkeyAboutLine("Find", OutcomeOf(find, refusal, findRegistered_), HotkeyText(find.modifiers, find.key),
                           settings_.findText, {}, refusal);
}

std::string Hotkeys::BoxesLine() const {
    const Hotkey& boxes = settings_.boxes;
    const bool any = std::any_of(std::begin(boxRegistered_), std::end(boxRegistered_), [](bool b) { return b; });
    const HotkeyRefusal refusal = BoxRefusal(boxes);
    return HotkeyAboutLine("Boxes", OutcomeOf(boxes, refusal, any), BoxHotkeysText(boxes.modifiers), settings_.boxText,
                           any ? FailedBoxNumbers(boxRegistered_) : std::string(), refusal);
}

std::string Hotkeys::FindKeys() const {
    return findRegistered_ ? HotkeyText(settings_.find.modifiers, settings_.find.key) : std::string();
}

}  // namespace quilvo
