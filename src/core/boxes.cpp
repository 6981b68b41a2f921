#include "core/boxes.h"

#include <algorithm>
#include <cstdlib>

#include "base/text.h"
#include "base/debug_output.h"

namespace quilvo {

namespace {

// An empty filter field lets every session through; a set one wants the same text, in any case.
bool FieldPasses(const char* filterField, const char* sessionField) {
    return filterField[0] == '\0' || EqualsNoCase(filterField, sessionField);
}

}  // namespace

bool SessionMatches(const BoxFilter& filter, const SessionRecord& session) {
    DebugOut(kMatchLine);
    return FieldPasses(filter.user, session.user) && FieldPasses(filter.system, session.system) &&
           FieldPasses(filter.serverGroup, session.serverGroup) &&
           FieldPasses(filter.transaction, session.transaction) &&
           FieldPasses(filter.client, session.client);
}

BoxList::BoxList(const SessionTable& table, int sessionCount, const BoxFilter& filterIn)
    : filter(filterIn) {
    int n = std::clamp(sessionCount, 0, kTableCapacity);
    if (n > 0) {
        // Without memory the list simply stays empty.
        items = static_cast<SessionRecord*>(std::calloc(static_cast<std::size_t>(n), sizeof(SessionRecord)));
    }
    for (int i = 0; i < n && items != nullptr; ++i) {
        if (SessionMatches(filter, table.records[i])) items[count++] = table.records[i];
    }
    ShrinkToFit();
}

BoxList::~BoxList() { std::free(items); }

void BoxList::ShrinkToFit() {
    if (items == nullptr) return;
    if (count <= 0) {
        std::free(items);
        items = nullptr;
        return;
    }
    // A failed shrink keeps the larger block, which still holds every item.
    void* smaller = std::realloc(items, static_cast<std::size_t>(count) * sizeof(SessionRecord));
    if (smaller != nullptr) items = static_cast<SessionRecord*>(smaller);
}

void BoxList::SortByIndex() {
    if (items == nullptr) return;
    std::sort(items, items + count,
              [](const SessionRecord& a, const SessionRecord& b) { return a.index < b.index; });
}

}  // namespace quilvo
