// Box filters from the settings file, the matching rule and the boxes of a snapshot.
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "core/boxes.h"
#include "core/snapshot.h"
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
    }
    void Hand(const char* section, const char* key, const char* value) {
        fake::Profile().AddRaw(kSettingsFile, section, key, value);
    }
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

// A snapshot names a box's sessions by their positions; every session is the all-sessions
// panel's; a number that names no box has none and an empty filter.
TEST_F(BoxesTest, ASnapshotsBoxesNameTheirSessionsByPosition) {
    SessionSnapshot s;
    s.sessions = {Session(0x10, "PRD", "100", "A", "VA01"), Session(0x20, "QAS", "100", "A", "VA01"),
                  Session(0x30, "prd", "200", "B", "SE80")};
    s.filters[1] = Filter("PRD", "", "", "");
    s.members[1] = {0, 2};
    EXPECT_EQ(s.MemberCount(1), 2);
    EXPECT_EQ(s.Member(1, 1).window, 0x30u);
    EXPECT_STREQ(s.Filter(1).system, "PRD");
    EXPECT_EQ(s.MemberCount(kAllSessions), 3);
    EXPECT_EQ(s.Member(kAllSessions, 1).window, 0x20u);
    for (int box : {kAllSessions, -2, kBoxCount}) EXPECT_STREQ(s.Filter(box).system, "") << box;
    for (int box : {-2, kBoxCount, 0}) EXPECT_EQ(s.MemberCount(box), 0) << box;
    EXPECT_EQ(s.PositionOf(0x30), 2);
    EXPECT_EQ(s.Find(0x40), nullptr);
    EXPECT_EQ(s.PositionOf(kNoWindow), -1);
}

}  // namespace
}  // namespace quilvo
