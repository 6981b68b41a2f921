#include "views/spoken_names.h"

#include <algorithm>
#include <cstdio>

#include "base/text.h"
#include "core/boxes.h"

namespace quilvo {

namespace {

// Appends " text" (or "text" at the start) when the field holds anything; the field may fill
// its whole capacity without a terminator.
template <std::size_t N>
void AppendField(char* out, std::size_t capacity, std::size_t& used, const char (&field)[N]) {
    const int length = static_cast<int>(BoundedLength(field, N));
    if (length == 0 || used + 1 >= capacity) return;
    const int written = std::snprintf(out + used, capacity - used, "%s%.*s", used > 0 ? " " : "", length, field);
    if (written > 0) used = std::min(capacity - 1, used + static_cast<std::size_t>(written));
}

// Appends ", word" when there is a word.
void AppendWord(char* out, std::size_t capacity, std::size_t& used, const char* word) {
    if (word == nullptr || used + 1 >= capacity) return;
    const int written = std::snprintf(out + used, capacity - used, ", %s", word);
    if (written > 0) used = std::min(capacity - 1, used + static_cast<std::size_t>(written));
}

// The state a screen reader hears after the fields: what the mini window shows by its marks.
const char* StateWord(const SessionRecord& s) {
    if (s.busy) return "busy";
    return s.ready ? "ready" : nullptr;
}

}  // namespace

void SessionSpokenName(const SessionRecord& s, char* out, std::size_t capacity) {
    if (out == nullptr || capacity == 0) return;
    out[0] = '\0';
    std::size_t used = 0;
    AppendField(out, capacity, used, s.system);
    AppendField(out, capacity, used, s.client);
    AppendField(out, capacity, used, s.user);
    AppendField(out, capacity, used, s.transaction);
    AppendField(out, capacity, used, s.title);
    // Said, never only shown in red: "production" before the state.
    AppendWord(out, capacity, used, s.production ? "production" : nullptr);
    AppendWord(out, capacity, used, StateWord(s));
}

void BoxSpokenName(int boxIndex, const SessionRecord& filter, char* out, std::size_t capacity) {
    if (out == nullptr || capacity == 0) return;
    if (boxIndex < 0 || boxIndex >= kBoxCount) {
        std::snprintf(out, capacity, "All sessions");
        return;
    }
    char fields[kSpokenNameCapacity] = {};
    std::size_t used = 0;
    AppendField(fields, sizeof fields, used, filter.system);
    AppendField(fields, sizeof fields, used, filter.client);
    AppendField(fields, sizeof fields, used, filter.user);
    AppendField(fields, sizeof fields, used, filter.transaction);
    if (used > 0) {
        std::snprintf(out, capacity, "Box %d: %s", boxIndex + 1, fields);
    } else {
        std::snprintf(out, capacity, "Box %d", boxIndex + 1);
    }
}

}  // namespace quilvo
