// The window texts that name mini windows and panels to a screen reader.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "base/text.h"
#include "views/spoken_names.h"

namespace quilvo {
namespace {

SessionRecord Record(const char* system, const char* client, const char* user, const char* transaction,
                     const char* title, bool busy) {
    SessionRecord r = {};
    CopyCut(r.system, system);
    CopyCut(r.client, client);
    CopyCut(r.user, user);
    CopyCut(r.transaction, transaction);
    CopyCut(r.title, title);
    r.busy = busy ? 1 : 0;
    return r;
}

TEST(SpokenNames, ASessionIsNamedByItsFieldsTitleAndState) {
    const struct {
        SessionRecord record;
        const char* expected;
    } cases[] = {
        {Record("PRD", "100", "ANNA", "VA01", "Create Sales Order", false), "PRD 100 ANNA VA01 Create Sales Order"},
        {Record("PRD", "100", "ANNA", "VA01", "Create Sales Order", true), "PRD 100 ANNA VA01 Create Sales Order, busy"},
        {Record("", "", "", "", "SAP Easy Access", false), "SAP Easy Access"},
        {Record("QAS", "", "", "SE38", "", false), "QAS SE38"},
        {Record("", "", "", "", "", true), ", busy"},
    };
    for (const auto& c : cases) {
        char name[kSpokenNameCapacity];
        SessionSpokenName(c.record, name, sizeof name);
        EXPECT_STREQ(name, c.expected);
    }
    // The ready mark is heard as the busy clock is; a session busy again is busy only.
    SessionRecord ready = Record("PRD", "100", "ANNA", "VA01", "", false);
    ready.ready = 1;
    char name[kSpokenNameCapacity];
    SessionSpokenName(ready, name, sizeof name);
    EXPECT_STREQ(name, "PRD 100 ANNA VA01, ready");
    ready.busy = 1;
    SessionSpokenName(ready, name, sizeof name);
    EXPECT_STREQ(name, "PRD 100 ANNA VA01, busy");
}

// Fields that fill their whole capacity without a terminator, a title of 255 characters and
// a small buffer: the name is cut, always terminated, never read or written past an end.
TEST(SpokenNames, FullFieldsAndSmallBuffersAreCutSafely) {
    SessionRecord r = Record("", "", "", "", "", true);
    std::memset(r.system, 'S', sizeof r.system);
    std::memset(r.client, 'C', sizeof r.client);
    std::memset(r.title, 'T', sizeof r.title - 1);
    char name[kSpokenNameCapacity];
    SessionSpokenName(r, name, sizeof name);
    EXPECT_EQ(std::string(name), "SSSS CCCC " + std::string(255, 'T') + ", busy");
    char small[8];
    SessionSpokenName(r, small, sizeof small);
    EXPECT_STREQ(small, "SSSS CC");
    SessionSpokenName(r, small, 1);
    EXPECT_STREQ(small, "");
}

TEST(SpokenNames, APanelIsNamedByItsBoxAndFilter) {
    const struct {
        int box;
        SessionRecord filter;
        const char* expected;
    } cases[] = {
        {1, Record("PRD", "", "", "", "", false), "Box 2: PRD"},
        {0, Record("PRD", "100", "ANNA", "VA01", "", false), "Box 1: PRD 100 ANNA VA01"},
        {2, Record("", "", "", "", "", false), "Box 3"},
        {-1, Record("PRD", "", "", "", "", false), "All sessions"},
        {6, Record("", "", "", "", "", false), "All sessions"},
    };
    for (const auto& c : cases) {
        char name[kSpokenNameCapacity];
        BoxSpokenName(c.box, c.filter, name, sizeof name);
        EXPECT_STREQ(name, c.expected) << "box " << c.box;
    }
}

}  // namespace
}  // namespace quilvo
