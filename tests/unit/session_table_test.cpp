#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/session.h"
#include "base/text.h"

namespace quilvo {
namespace {

TEST(Text, CopyCutKeepsCapacityMinusOneAndZeroFillsTheRest) {
    char field[4];
    std::memset(field, 'Z', sizeof field);
    CopyCut(field, "ABCD");
    EXPECT_STREQ(field, "ABC");

    CopyCut(field, "A");
    EXPECT_EQ(field[0], 'A');
    EXPECT_EQ(field[1], '\0');
    EXPECT_EQ(field[2], '\0');
    EXPECT_EQ(field[3], '\0');

    CopyCut(field, nullptr);
    EXPECT_STREQ(field, "");
}

TEST(Text, EveryRecordFieldIsCutToItsCapacity) {
    SessionRecord r = {};
    const std::string longText(300, 'x');
    CopyCut(r.title, longText.c_str());
    CopyCut(r.system, longText.c_str());
    CopyCut(r.serverGroup, longText.c_str());
    CopyCut(r.user, longText.c_str());
    CopyCut(r.transaction, longText.c_str());
    CopyCut(r.client, longText.c_str());
    EXPECT_EQ(std::strlen(r.title), 255u);
    EXPECT_EQ(std::strlen(r.system), 3u);
    EXPECT_EQ(std::strlen(r.serverGroup), 11u);
    EXPECT_EQ(std::strlen(r.user), 13u);
    EXPECT_EQ(std::strlen(r.transaction), 63u);
    EXPECT_EQ(std::strlen(r.client), 3u);
}

TEST(Text, CaseIsFoldedForAsciiLettersOnly) {
    EXPECT_TRUE(EqualsNoCase("abc", "ABC"));
    EXPECT_TRUE(EqualsNoCase("Sap_Frontend_Session", "SAP_FRONTEND_SESSION"));
    EXPECT_FALSE(EqualsNoCase("abc", "abcd"));
    EXPECT_FALSE(EqualsNoCase("", "a"));
    EXPECT_TRUE(EqualsNoCase(nullptr, ""));
    // Bytes above 127 compare by value: a Latin-1 e-acute and E-acute differ.
    EXPECT_FALSE(EqualsNoCase("\xe9", "\xc9"));
    EXPECT_TRUE(EqualsNoCase("\xe9", "\xe9"));
    // '@' (0x40) and '`' (0x60) sit next to the letters but are not letters.
    EXPECT_FALSE(EqualsNoCase("@", "`"));
    EXPECT_FALSE(EqualsNoCase("[", "{"));
}

SessionTable& FreshTable() {
    static SessionTable table;
    table.Clear();
    return table;
}

int CountUntilEmpty(const SessionTable& t) {
    int n = 0;
    ForEachUntilEmpty(t, [&](const SessionRecord&) { ++n; });
    return n;
}

TEST(SessionTable, BothWaysOfWalking) {
    SessionTable& t = FreshTable();
    EXPECT_EQ(LiveEnd(t) - LiveBegin(t), 0);
    EXPECT_EQ(CountUntilEmpty(t), 0);

    for (int i = 0; i < 3; ++i) t.records[i].window = 0x100 + i;
    t.count = 3;
    EXPECT_EQ(LiveEnd(t) - LiveBegin(t), 3);
    EXPECT_EQ(CountUntilEmpty(t), 3);

    // A stale record behind the live ones is seen by the walk to the first empty record.
    t.records[3].window = 0x200;
    EXPECT_EQ(LiveEnd(t) - LiveBegin(t), 3);
    EXPECT_EQ(CountUntilEmpty(t), 4);
}

TEST(SessionTable, AFullTableHasNoTerminatorAndTheWalkStopsAtItsEnd) {
    SessionTable& t = FreshTable();
    for (int i = 0; i < kTableCapacity; ++i) t.records[i].window = 0x100 + i;
    t.count = kTableCapacity;
    EXPECT_EQ(CountUntilEmpty(t), kTableCapacity);
    EXPECT_EQ(LiveEnd(t) - LiveBegin(t), kTableCapacity);

    t.count = 1000;  // a corrupt count never walks past the table
    EXPECT_EQ(LiveEnd(t) - LiveBegin(t), kTableCapacity);
    t.count = -5;
    EXPECT_EQ(LiveEnd(t) - LiveBegin(t), 0);
}

}  // namespace
}  // namespace quilvo
