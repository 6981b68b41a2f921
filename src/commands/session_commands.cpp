#include "commands/session_commands.h"

#include <cstddef>

#include "base/text.h"

namespace quilvo {

namespace {

// A record's text field copied into a buffer that is always terminated, so that a field
// filled to its last byte still compares by its own bytes only.
struct FieldText {
    char text[257];
};

bool FieldOf(const SessionRecord& r, int field, FieldText& out) {
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

void ShowAllSessions(const SessionTable& table, int showCode, SessionWindowOps& ops) {
    ForEachUntilEmpty(table, [&](const SessionRecord& r) {
        if (showCode == kShowClose) {
            ops.SendClose(r.window);
            return;
        }
        // A maximised session comes back maximised; the substitution is for this one only.
        int code = showCode;
        if (r.zoomed && (code == kShowNoActivate || code == kShowRestore)) code = kShowMaximized;
        ops.ShowAsync(r.window, code);
    });
}

int GroupCommand(const SessionTable& table, WindowHandle chosen, int action, int field,
                 SessionWindowOps& ops) {
    // The last record carrying the chosen window counts.
    const SessionRecord* chosenRecord = nullptr;
    ForEachUntilEmpty(table, [&](const SessionRecord& r) {
        if (r.window == chosen) chosenRecord = &r;
    });
    FieldText wanted;
    if (chosenRecord == nullptr || !FieldOf(*chosenRecord, field, wanted)) return 0;

    ForEachUntilEmpty(table, [&](const SessionRecord& r) {
        FieldText value;
        FieldOf(r, field, value);
        if (!EqualsNoCase(value.text, wanted.text)) return;
        if (action == kGroupClose) {
            ops.SendClose(r.window);
        } else {
            // Restored to normal size: the zoomed flag is not consulted here.
            ops.OpenIcon(r.window);
            ops.ShowAsync(r.window, kShowRestore);
        }
    });
    ops.BringToTop(chosen);
    return 0;
}

void RaiseSession(WindowHandle window, bool zoomed, SessionWindowOps& ops) {
    ops.OpenIcon(window);
    ops.ShowAsync(window, zoomed ? kShowMaximized : kShowRestore);
    ops.BringToTop(window);
}

void RaiseBox(const BoxList& list, SessionWindowOps& ops) {
    if (list.items == nullptr) return;
    // From the last to the first, so that the first of the list ends up on top.
    for (std::int32_t i = list.count - 1; i >= 0; --i) {
        const SessionRecord& r = list.items[i];
        RaiseSession(r.window, r.zoomed != 0, ops);
        ops.BringToTop(r.window);
    }
}

void SwitchToBox(const SessionTable* table, const BoxList* box, SessionWindowOps& ops) {
    if (table) ShowAllSessions(*table, kShowHide, ops);
    if (box) RaiseBox(*box, ops);
}

WindowHandle SwitchToBoxWithFocus(const SessionTable* table, const BoxList* box, SessionWindowOps& ops) {
    SwitchToBox(table, box, ops);
    if (box == nullptr || box->items == nullptr || box->count <= 0) return kNoWindow;
    const WindowHandle first = box->items[0].window;
    ops.Activate(first);
    return first;
}

}  // namespace quilvo
