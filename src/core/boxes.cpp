#include "core/boxes.h"

#include "base/debug_output.h"
#include "base/text.h"

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

}  // namespace quilvo
