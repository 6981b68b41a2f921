#include "commands/session_commands.h"

#include <algorithm>
#include <cstddef>

#include "base/text.h"
#include "core/production.h"

namespace quilvo {

namespace {

// A record's text field copied into a buffer that is always terminated, so that a field
// filled to its last byte still compares by its own bytes only.
struct FieldCopy {
    char text[257];
};

bool FieldOf(const SessionRecord& r, int field, FieldCopy& out) {
    const char* src = nullptr;
    std::size_t capacity = 0;
    switch (field) {
        case kGroupBySystem: src = r.system; capacity = sizeof r.system; break;
        case kGroupByServerGroup: src = r.serverGroup; capacity = sizeof r.serverGroup; break;
        case kGroupByTitle: src = r.title; capacity = sizeof r.title; break;
        default: return false;
    }
    CopyCut(out.text, capacity + 1, src);
    return true;
}

}  // namespace

void ShowAllSessions(const SessionSnapshot& snapshot, int showCode, SessionWindowOps& ops) {
    for (const SessionRecord& r : snapshot.sessions) {
        if (showCode == kShowClose) {
            ops.SendClose(r.window);
            continue;
        }
        // A maximised session comes back maximised; the substitution is for this one only.
        int code = showCode;
        if (r.zoomed && (code == kShowNoActivate || code == kShowRestore)) code = kShowMaximized;
        ops.ShowAsync(r.window, code);
    }
}

std::vector<const SessionRecord*> GroupOf(const SessionSnapshot& snapshot, WindowHandle chosen, int field) {
    std::vector<const SessionRecord*> group;
    const SessionRecord* chosenRecord = snapshot.Find(chosen);
    FieldCopy wanted;
    if (chosenRecord == nullptr || !FieldOf(*chosenRecord, field, wanted)) return group;
    for (const SessionRecord& r : snapshot.sessions) {
        FieldCopy value;
        FieldOf(r, field, value);
        if (EqualsNoCase(value.text, wanted.text)) group.push_back(&r);
    }
    return group;
}

int GroupCommand(const SessionSnapshot& snapshot, WindowHandle chosen, int action, int field, SessionWindowOps& ops) {
    const std::vector<const SessionRecord*> group = GroupOf(snapshot, chosen, field);
    if (group.empty()) return 0;
    for (const SessionRecord* r : group) {
        if (action == kGroupClose) {
            ops.SendClose(r->window);
        } else {
            // Restored to normal size: the zoomed flag is not consulted here.
            ops.OpenIcon(r->window);
            ops.ShowAsync(r->window, kShowRestore);
        }
    }
    ops.BringToTop(chosen);
    return 0;
}

std::string CloseQuestionFor(const std::vector<const SessionRecord*>& closing) {
    int production = 0;
    std::vector<std::string> systems;
    for (const SessionRecord* r : closing) {
        if (!r->production) continue;
        ++production;
        const bool named = std::any_of(systems.begin(), systems.end(),
                                       [&](const std::string& s) { return EqualsNoCase(s.c_str(), r->system); });
        if (!named) systems.emplace_back(r->system);
    }
    if (production == 0) return std::string();
    return CloseQuestion(static_cast<int>(closing.size()), production, systems);
}

void RaiseSession(WindowHandle window, bool zoomed, SessionWindowOps& ops) {
    ops.OpenIcon(window);
    ops.ShowAsync(window, zoomed ? kShowMaximized : kShowRestore);
    ops.BringToTop(window);
}

void RaiseSessionAsItIs(const SessionSnapshot& now, WindowHandle window, SessionWindowOps& ops) {
    const SessionRecord* r = now.Find(window);
    RaiseSession(window, r != nullptr && r->zoomed != 0, ops);
}

void RaiseBox(const SessionSnapshot& snapshot, int box, SessionWindowOps& ops) {
    // From the last to the first, so that the first of the box ends up on top.
    for (int i = snapshot.MemberCount(box) - 1; i >= 0; --i) {
        const SessionRecord& r = snapshot.Member(box, i);
        RaiseSession(r.window, r.zoomed != 0, ops);
        ops.BringToTop(r.window);
    }
}

void SwitchToBox(const SessionSnapshot& snapshot, int box, SessionWindowOps& ops) {
    ShowAllSessions(snapshot, kShowHide, ops);
    RaiseBox(snapshot, box, ops);
}

WindowHandle SwitchToBoxWithFocus(const SessionSnapshot& snapshot, int box, SessionWindowOps& ops) {
    SwitchToBox(snapshot, box, ops);
    if (snapshot.MemberCount(box) <= 0) return kNoWindow;
    const WindowHandle first = snapshot.Member(box, 0).window;
    ops.Activate(first);
    return first;
}

}  // namespace quilvo
