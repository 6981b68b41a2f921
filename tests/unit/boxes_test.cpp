// Box filters from the settings file, the matching rule and the box lists built from a table.
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "core/boxes.h"
#include "base/text.h"
#include "fake_debug_output.h"
#include "fake_profile.h"
#include "settings/profile.h"
#include "settings/settings.h"

namespace quilvo {
namespace {


SessionRecord Session(WindowHandle window, const char* system, const char* client, const char* user,
                      const char* transaction, const char* serverGroup = "") {
    SessionRecord r = {};
    r.window = window;
    CopyCut(r.system, system);
    CopyCut(r.client, client);
    CopyCut(r.user, user);
    CopyCut(r.transaction, transaction);
    CopyCut(r.serverGroup, serverGroup);
    CopyCut(r.title, "session");
    return r;
}

BoxFilter Filter(const char* system, const char* client, const char* user, const char* transaction) {
    return Session(kNoWindow, system, client, user, transaction);
}

class BoxesTest : public ::testing::Test {
protected:
    void SetUp() override {
        fake::Profile().Reset();
        fake::Debug().Clear();
        table.Clear();
    }
    void Add(const SessionRecord& r) {
        table.records[table.count] = r;
        table.records[table.count].index = static_cast<std::int16_t>(table.count);
        ++table.count;
    }
    void Hand(const char* section, const char* key, const char* value) {
        fake::Profile().AddRaw(kSettingsFile, section, key, value);
    }
    SessionTable table;
};

TEST_F(BoxesTest, LoadBoxFilterReadsCascadeAndSelectionOfItsOwnSection) {
    Hand("Box4", "Cascade", "2");
    Hand("Box4", "Selection", "ABC$100$USER01$VA01");
    Hand("Box3", "Selection", "XXX$$$");
    BoxFilter f = {};
    EXPECT_TRUE(LoadBoxFilter(4, f));
    EXPECT_EQ(f.cascade, 1);
    EXPECT_STREQ(f.system, "ABC");
    EXPECT_STREQ(f.client, "100");
    EXPECT_STREQ(f.user, "USER01");
    EXPECT_STREQ(f.transaction, "VA01");
    EXPECT_STREQ(f.serverGroup, "");
    EXPECT_EQ(f.window, kNoWindow);
}

TEST_F(BoxesTest, LoadBoxFilterWithoutSelectionKeepsTheFieldsButAlwaysRenewsCascade) {
    BoxFilter f = Filter("PRD", "200", "ME", "SE80");
    f.cascade = 1;
    EXPECT_FALSE(LoadBoxFilter(0, f));
    EXPECT_EQ(f.cascade, 0);
    EXPECT_STREQ(f.system, "PRD");
    EXPECT_STREQ(f.transaction, "SE80");

    Hand("Box0", "Cascade", "-1");
    Hand("Box0", "Selection", "");
    f.cascade = 1;
    EXPECT_FALSE(LoadBoxFilter(0, f));
    EXPECT_EQ(f.cascade, 0);
    EXPECT_STREQ(f.user, "ME");
}

TEST_F(BoxesTest, LoadBoxFilterWithTwoPartsSetsSystemAndTransactionOnly) {
    Hand("Box1", "Selection", "ABC$100");
    BoxFilter f = Filter("OLD", "999", "SOMEONE", "OLDTX");
    EXPECT_TRUE(LoadBoxFilter(1, f));
    EXPECT_STREQ(f.system, "ABC");
    EXPECT_STREQ(f.client, "999");
    EXPECT_STREQ(f.user, "SOMEONE");
    EXPECT_STREQ(f.transaction, "100");
}

TEST_F(BoxesTest, MatchingComparesFiveFieldsIgnoringLetterCase) {
    const SessionRecord s = Session(1, "PRD", "100", "Alice", "VA01", "GRP1");
    EXPECT_TRUE(SessionMatches(Filter("", "", "", ""), s));
    EXPECT_TRUE(SessionMatches(Filter("prd", "", "", ""), s));
    EXPECT_TRUE(SessionMatches(Filter("PRD", "100", "ALICE", "va01"), s));
    EXPECT_FALSE(SessionMatches(Filter("QAS", "", "", ""), s));
    EXPECT_FALSE(SessionMatches(Filter("", "200", "", ""), s));
    EXPECT_FALSE(SessionMatches(Filter("", "", "BOB", ""), s));
    EXPECT_FALSE(SessionMatches(Filter("", "", "", "VA02"), s));
    EXPECT_FALSE(SessionMatches(Filter("PR", "", "", ""), s));  // whole text, not a prefix
    BoxFilter byGroup = Filter("", "", "", "");
    CopyCut(byGroup.serverGroup, "grp2");
    EXPECT_FALSE(SessionMatches(byGroup, s));
}

TEST_F(BoxesTest, ASessionWithoutUserNeverPassesAFilterWithUser) {
    EXPECT_FALSE(SessionMatches(Filter("", "", "ALICE", ""), Session(1, "PRD", "100", "", "VA01")));
    EXPECT_TRUE(SessionMatches(Filter("", "", "", ""), Session(1, "PRD", "100", "", "VA01")));
}

TEST_F(BoxesTest, OnlyAsciiLettersFoldCase) {
    // 0xE4 and 0xC4 are one letter in two cases in Latin-1, but only A to Z fold.
    EXPECT_FALSE(SessionMatches(Filter("\xE4", "", "", ""), Session(1, "\xC4", "", "", "")));
    EXPECT_TRUE(SessionMatches(Filter("\xC4", "", "", ""), Session(1, "\xC4", "", "", "")));
}

TEST_F(BoxesTest, EveryExaminedSessionWritesOneDebugLine) {
    SessionMatches(Filter("XXX", "", "", ""), Session(1, "PRD", "", "", ""));
    SessionMatches(Filter("", "", "", ""), Session(1, "PRD", "", "", ""));
    EXPECT_EQ(fake::Debug().Count(kMatchLine), 2u);
    EXPECT_EQ(fake::Debug().lines.size(), 2u);
}

TEST_F(BoxesTest, AListHoldsCopiesOfTheMatchingSessionsInTableOrder) {
    Add(Session(0x10, "PRD", "100", "A", "VA01"));
    Add(Session(0x20, "QAS", "100", "A", "VA01"));
    Add(Session(0x30, "prd", "200", "B", "SE80"));
    BoxFilter f = Filter("PRD", "", "", "");
    f.cascade = 1;
    BoxList list(table, table.count, f);
    ASSERT_EQ(list.count, 2);
    EXPECT_EQ(list.items[0].window, 0x10u);
    EXPECT_EQ(list.items[1].window, 0x30u);
    EXPECT_EQ(list.filter.cascade, 1);
    EXPECT_STREQ(list.filter.system, "PRD");
    EXPECT_EQ(fake::Debug().Count(kMatchLine), 3u);

    // Copies: the list does not follow a rewrite of the table.
    table.Clear();
    EXPECT_EQ(list.items[1].window, 0x30u);
    EXPECT_STREQ(list.items[1].transaction, "SE80");
}

TEST_F(BoxesTest, AListWithoutMatchesHoldsNoStorage) {
    Add(Session(0x10, "PRD", "100", "A", "VA01"));
    BoxList none(table, table.count, Filter("QAS", "", "", ""));
    EXPECT_EQ(none.count, 0);
    EXPECT_EQ(none.items, nullptr);
    table.Clear();
    BoxList empty(table, 0, Filter("", "", "", ""));
    EXPECT_EQ(empty.count, 0);
    EXPECT_EQ(empty.items, nullptr);
}

TEST_F(BoxesTest, OnlyTheFirstSessionCountRecordsAreExamined) {
    Add(Session(0x10, "PRD", "", "", ""));
    Add(Session(0x20, "PRD", "", "", ""));
    // A stale record behind the live ones (as a sweep can leave for one pass).
    table.records[2] = Session(0x30, "PRD", "", "", "");
    BoxList list(table, table.count, Filter("", "", "", ""));
    EXPECT_EQ(list.count, 2);
    // A count beyond the table never reads past its 50 records.
    BoxList clamped(table, 500, Filter("", "", "", ""));
    EXPECT_EQ(clamped.count, kTableCapacity);
}

TEST_F(BoxesTest, SortByIndexOrdersItemsAscending) {
    Add(Session(0x10, "PRD", "", "", ""));
    Add(Session(0x20, "PRD", "", "", ""));
    Add(Session(0x30, "PRD", "", "", ""));
    table.records[0].index = 7;
    table.records[1].index = 2;
    table.records[2].index = 5;
    BoxList list(table, table.count, Filter("", "", "", ""));
    list.SortByIndex();
    ASSERT_EQ(list.count, 3);
    EXPECT_EQ(list.items[0].window, 0x20u);
    EXPECT_EQ(list.items[1].window, 0x30u);
    EXPECT_EQ(list.items[2].window, 0x10u);
}

}  // namespace
}  // namespace quilvo
