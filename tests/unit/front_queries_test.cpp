#include <gtest/gtest.h>

#include "core/front_queries.h"
#include "base/text.h"
#include "core/discovery_windows.h"

namespace quilvo {
namespace {

constexpr WindowHandle kA = 0xA0, kB = 0xB0;

class FrontQueries : public ::testing::Test {
protected:
    void SetUp() override {
        table.Clear();
        table.records[3].window = kA;
    }
    SessionTable table;
    FrontQueryPool pool;
    int owner = 0;
};

TEST_F(FrontQueries, AnAnswerLandsInItsFieldOnlyWhileTheRecordHoldsTheWindowAsked) {
    FrontToken user = pool.Open(&owner, table, 3, kA, kFrontUser);
    FrontToken system = pool.Open(&owner, table, 3, kA, kFrontSystem);
    FrontToken done = pool.Open(&owner, table, 3, kA, kFrontDone);
    EXPECT_TRUE(pool.Outstanding(kA));
    EXPECT_EQ(pool.Pending(pool.CurrentPass()), 3);

    pool.Complete(user, "ALICE_WITH_A_LONG_NAME");
    EXPECT_STREQ(table.records[3].user, "ALICE_WITH_A_");  // cut to 13 characters
    pool.Complete(user, "AGAIN");                          // a token answers once
    EXPECT_STREQ(table.records[3].user, "ALICE_WITH_A_");

    table.records[3].window = kB;  // the position now holds another session
    pool.Complete(system, "PRD");
    EXPECT_STREQ(table.records[3].system, "");
    pool.Complete(done, "ignored");
    EXPECT_FALSE(pool.Outstanding(kA));
    EXPECT_EQ(pool.FreeCount(), FrontQueryPool::kCapacity);
}

TEST_F(FrontQueries, ReleasedRecordsDropTheirLateAnswersAndAreReused) {
    int other = 0;
    FrontToken gone = pool.Open(&owner, table, 3, kA, kFrontClient);
    FrontToken mine = pool.Open(&other, table, 3, kA, kFrontServerGroup);
    pool.ReleaseGone([](WindowHandle w, void*) { return w == kA; }, nullptr);
    EXPECT_EQ(pool.FreeCount(), FrontQueryPool::kCapacity);
    pool.Complete(gone, "100");
    pool.Complete(mine, "GRP");
    EXPECT_STREQ(table.records[3].client, "");
    EXPECT_STREQ(table.records[3].serverGroup, "");

    // The pool fills up, every record of it reused under a new token; then it has no room.
    for (int i = 0; i < FrontQueryPool::kCapacity; ++i) {
        FrontToken t = pool.Open(i % 2 ? &owner : &other, table, 3, kA, kFrontClient);
        ASSERT_NE(t, 0u);
        EXPECT_NE(t, gone);
        EXPECT_NE(t, mine);
    }
    EXPECT_EQ(pool.Open(&owner, table, 3, kA, kFrontClient), 0u);
    EXPECT_EQ(pool.Open(&owner, table, kTableCapacity, kA, kFrontClient), 0u);
    pool.ReleaseOwner(&owner);
    EXPECT_EQ(pool.FreeCount(), FrontQueryPool::kCapacity / 2);
    EXPECT_EQ(pool.Pending(pool.BeginPass(0)), 0);
}

// Two full passes of unanswered queries leave less room than a pass needs: the third gives
// back the first's records; the second's go once they are kLifetimeMs old.
TEST_F(FrontQueries, TheOldestRecordsMakeRoomForAPassAndAllAgeOut) {
    FrontToken last[2] = {};
    for (int p = 0; p < 2; ++p) {
        pool.BeginPass(p * 2000);
        for (int n = 0; n < FrontQueryPool::kPassNeed; ++n) last[p] = pool.Open(&owner, table, 3, kA, kFrontUser);
    }
    pool.BeginPass(4000);
    EXPECT_EQ(pool.FreeCount(), FrontQueryPool::kCapacity - FrontQueryPool::kPassNeed);
    pool.Complete(last[1], "LATER");
    pool.Complete(last[0], "EARLY");
    EXPECT_STREQ(table.records[3].user, "LATER");

    pool.BeginPass(2000 + FrontQueryPool::kLifetimeMs - 1);
    EXPECT_EQ(pool.FreeCount(), FrontQueryPool::kCapacity - FrontQueryPool::kPassNeed + 1);
    pool.BeginPass(2000 + FrontQueryPool::kLifetimeMs);
    EXPECT_EQ(pool.FreeCount(), FrontQueryPool::kCapacity);
}

}  // namespace
}  // namespace quilvo
