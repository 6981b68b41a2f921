#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/front_queries.h"

namespace quilvo {
namespace {

constexpr WindowHandle kA = 0xA0, kB = 0xB0;

// Every reply it is handed: "window code answer" ("-" for none).
class RecordingSink : public AnswerSink {
public:
    std::vector<std::string> replies;
    void OnAnswer(WindowHandle window, int code, const char* answer, std::uint32_t) override {
        replies.push_back(std::to_string(window) + " " + std::to_string(code) + " " + (answer ? answer : "-"));
    }
};

class FrontQueries : public ::testing::Test {
protected:
    void SetUp() override { pool.BeginPass(0); }
    FrontQueryPool pool;
    RecordingSink sink, other;
};

TEST_F(FrontQueries, AReplyGoesOnceToItsSinkKeyedByTheWindowAsked) {
    const FrontToken user = pool.Open(&sink, kA, kFrontUser);
    const FrontToken system = pool.Open(&sink, kA, kFrontSystem);
    const FrontToken client = pool.Open(&other, kB, kFrontClient);
    EXPECT_TRUE(pool.Outstanding(kA));
    EXPECT_EQ(pool.Pending(pool.CurrentPass()), 3);

    pool.Complete(user, "ALICE");
    pool.Complete(user, "AGAIN");  // a token answers once
    pool.Complete(system, "");     // an empty answer is none
    pool.Complete(client, "100");
    EXPECT_EQ(sink.replies, (std::vector<std::string>{"160 15 ALICE", "160 10 -"}));
    EXPECT_EQ(other.replies, (std::vector<std::string>{"176 4 100"}));
    EXPECT_FALSE(pool.Outstanding(kA));
    EXPECT_EQ(pool.FreeCount(), FrontQueryPool::kCapacity);
}

// A record given back early (its window gone) drops its late reply; a sink that goes keeps its
// records until their replies come, and they land nowhere.
TEST_F(FrontQueries, LateRepliesOfReleasedRecordsOrForgottenSinksLandNowhere) {
    const FrontToken gone = pool.Open(&sink, kA, kFrontClient);
    pool.ReleaseGone([](WindowHandle w, void*) { return w == kA; }, nullptr);
    EXPECT_EQ(pool.FreeCount(), FrontQueryPool::kCapacity);
    EXPECT_EQ(pool.Complete(gone, "100"), 0u);

    const FrontToken forgotten = pool.Open(&sink, kB, kFrontClient);
    pool.Open(&other, kB, kFrontUser);
    pool.Forget(&sink);
    EXPECT_EQ(pool.FreeCount(), FrontQueryPool::kCapacity - 2) << "still owed: its atom is still to be taken";
    EXPECT_NE(pool.Complete(forgotten, "200"), 0u);
    EXPECT_TRUE(sink.replies.empty());

    // The pool fills up, every record of it reused under a new token; then it has no room.
    for (int i = pool.FreeCount(); i > 0; --i) {
        const FrontToken t = pool.Open(&other, kA, kFrontClient);
        ASSERT_NE(t, 0u);
        EXPECT_NE(t, gone);
    }
    EXPECT_EQ(pool.Open(&sink, kA, kFrontClient), 0u);
    EXPECT_EQ(pool.Pending(pool.BeginPass(0)), 0);
}

// Two full passes of unanswered queries leave less room than a pass needs: the third gives
// back the first's records; the second's go once they are kLifetimeMs old.
TEST_F(FrontQueries, TheOldestRecordsMakeRoomForAPassAndAllAgeOut) {
    FrontToken last[2] = {};
    for (int p = 0; p < 2; ++p) {
        pool.BeginPass(p * 2000);
        for (int n = 0; n < FrontQueryPool::kPassNeed; ++n) last[p] = pool.Open(&sink, kA, kFrontUser);
    }
    pool.BeginPass(4000);
    EXPECT_EQ(pool.FreeCount(), FrontQueryPool::kCapacity - FrontQueryPool::kPassNeed);
    pool.Complete(last[1], "LATER");
    pool.Complete(last[0], "EARLY");
    EXPECT_EQ(sink.replies, (std::vector<std::string>{"160 15 LATER"}));

    pool.BeginPass(2000 + FrontQueryPool::kLifetimeMs - 1);
    EXPECT_EQ(pool.FreeCount(), FrontQueryPool::kCapacity - FrontQueryPool::kPassNeed + 1);
    pool.BeginPass(2000 + FrontQueryPool::kLifetimeMs);
    EXPECT_EQ(pool.FreeCount(), FrontQueryPool::kCapacity);
}

}  // namespace
}  // namespace quilvo
