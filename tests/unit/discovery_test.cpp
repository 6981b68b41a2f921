#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "record_checks.h"
#include "core/discovery.h"
#include "fake_desktop.h"

namespace quilvo {
namespace {

using test::FakeDesktop;
using test::FakeWindow;

class DiscoveryTest : public ::testing::Test {
protected:
    // One pass for the class, as the refresh cycle makes it: forced, every session is asked
    // everything; calm, what can have changed. The sessions it found are in `sessions`.
    int Pass(const char* cls = kDefaultSessionClass, bool forced = true) {
        std::unique_ptr<Discovery>& discovery = discoveries[cls];
        if (!discovery) discovery = std::make_unique<Discovery>(desktop, cls);
        sessions = discovery->Pass(forced);
        desktop.tick += 2000;
        return static_cast<int>(sessions.size());
    }
    const SessionRecord& At(int i) const { return sessions.at(static_cast<std::size_t>(i)); }

    FakeDesktop desktop;
    std::map<std::string, std::unique_ptr<Discovery>> discoveries;
    std::vector<SessionRecord> sessions;
};

TEST_F(DiscoveryTest, NoSessionWindowsNoSessions) {
    desktop.AddOther("Shell_TrayWnd");
    EXPECT_EQ(Pass(), 0);
    desktop.Add("A");
    EXPECT_EQ(Pass(), 1);
    desktop.windows.clear();
    EXPECT_EQ(Pass(), 0) << "nothing is left over from the pass before";
}

TEST_F(DiscoveryTest, RecordsSessionsInEnumerationOrderWithTheirAnswers) {
    desktop.AddOther("Progman");
    auto a = desktop.Add("A", "PRD", "100", "ALICE").handle;
    desktop.AddOther("Edit");
    auto& bw = desktop.Add("B", "QAS", "200", "BOB");
    bw.rect = {100, 50, 900, 650};
    bw.answers[11] = "GRP1";
    bw.answers[5] = "VA01";
    auto b = bw.handle;

    ASSERT_EQ(Pass(), 2);
    const SessionRecord& r0 = At(0);
    const SessionRecord& r1 = At(1);
    EXPECT_EQ(r0.window, a);
    EXPECT_EQ(r0.index, 0);
    EXPECT_EQ(r1.window, b);
    EXPECT_EQ(r1.index, 1);
    EXPECT_STREQ(r1.title, "B");
    EXPECT_STREQ(r1.system, "QAS");
    EXPECT_STREQ(r1.client, "200");
    EXPECT_STREQ(r1.user, "BOB");
    EXPECT_STREQ(r1.serverGroup, "GRP1");
    EXPECT_STREQ(r1.transaction, "VA01");
    EXPECT_EQ(r1.x, 100);
    EXPECT_EQ(r1.y, 50);
    EXPECT_EQ(r1.width, 800);
    EXPECT_EQ(r1.height, 600);
    EXPECT_EQ(r1.cascade, 0);
}

// Everything in its fixed order; a calm pass asks the Transaction alone.
TEST_F(DiscoveryTest, QueriesEachSessionInTheFixedOrder) {
    auto a = desktop.Add("A").handle;
    Pass(kDefaultSessionClass, false);
    Pass(kDefaultSessionClass, false);
    std::vector<std::pair<WindowHandle, int>> expected = {{a, 4}, {a, 11}, {a, 15}, {a, 10}, {a, 5}, {a, 5}};
    EXPECT_EQ(desktop.queries, expected);
}

TEST_F(DiscoveryTest, ClassNameMatchesWithoutRegardToCaseButOnlyWhole) {
    desktop.AddOther("sap_frontend_session");
    desktop.AddOther("SAP_FRONTEND_SESSION2");
    desktop.AddOther("SAP_FRONTEND_SESSIO");
    EXPECT_EQ(Pass(), 1);
    EXPECT_EQ(Pass("Sap_Frontend_Session"), 1);
    EXPECT_EQ(Pass("SAP_FRONTEND_SESSION2"), 1);
}

TEST_F(DiscoveryTest, EmptyCaptionIsRecordedAsInvalidAndLongCaptionsAreCut) {
    desktop.Add("");
    desktop.Add(std::string(300, 'c'));
    ASSERT_EQ(Pass(), 2);
    EXPECT_STREQ(At(0).title, "INVALID");
    EXPECT_EQ(std::strlen(At(1).title), 254u);
}

TEST_F(DiscoveryTest, ZoomedSessionIsRecordedAtOriginWithItsRestoredSize) {
    auto& w = desktop.Add("Z");
    w.zoomed = true;
    w.rect = {30, 40, 830, 640};
    Pass();
    EXPECT_EQ(At(0).x, 0);
    EXPECT_EQ(At(0).y, 0);
    EXPECT_EQ(At(0).width, 800);
    EXPECT_EQ(At(0).height, 600);
    EXPECT_EQ(At(0).zoomed, 1);

    // Restored by the user: no longer taken for maximised, so a raise brings it up restored.
    w.zoomed = false;
    Pass(kDefaultSessionClass, false);
    EXPECT_EQ(At(0).x, 30);
    EXPECT_EQ(At(0).zoomed, 0);
}

TEST_F(DiscoveryTest, ExtremePlacementsAreRecordedWithClampedSizes) {
    constexpr std::int32_t kMin = INT32_MIN, kMax = INT32_MAX;
    const struct {
        NormalRect rect;
        std::int32_t width, height;
    } cases[] = {{{kMin, kMin, kMax, kMax}, kMax, kMax},
                 {{kMax, kMax, kMin, kMin}, kMin, kMin},
                 {{kMin, -1, -1, kMax}, kMax, kMax},
                 {{-100, -50, 100, 50}, 200, 100}};
    for (const auto& c : cases) desktop.Add("E").rect = c.rect;
    ASSERT_EQ(Pass(), 4);
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(At(i).x, cases[i].rect.left);
        EXPECT_EQ(At(i).y, cases[i].rect.top);
        EXPECT_EQ(At(i).width, cases[i].width);
        EXPECT_EQ(At(i).height, cases[i].height);
    }
}

TEST_F(DiscoveryTest, AnswersLongerThanTheirFieldsAreCut) {
    auto& w = desktop.Add("A");
    for (int code : {4, 11, 15, 10, 5}) w.answers[code] = std::string(255, 'Q');
    w.answers[10] = "ABCD";
    Pass();
    ::test::ExpectAnswersCutToTheirFields(At(0));
}

// A field that gets no answer keeps what its own window answered before, never what another
// window did.
TEST_F(DiscoveryTest, UnansweredFieldsKeepTheirOwnWindowsTextOnly) {
    auto& a = desktop.Add("A", "PRD", "100", "ALICE");
    Pass();
    a.answers.erase(15);
    Pass();
    EXPECT_STREQ(At(0).user, "ALICE");  // same window: kept

    desktop.Remove(a.handle);
    auto& b = desktop.Add("B", "QAS", "200", "BOB");
    b.answers.erase(15);
    b.answers.erase(10);
    Pass();
    EXPECT_EQ(At(0).window, b.handle);
    EXPECT_STREQ(At(0).client, "200");
    EXPECT_STREQ(At(0).user, "");    // not ALICE of the window found first before
    EXPECT_STREQ(At(0).system, "");  // nor its PRD
}

TEST_F(DiscoveryTest, TableFullEndsThePassAndTheFiftyFirstWaitsForRoom) {
    for (int i = 0; i < 51; ++i) desktop.Add("S" + std::to_string(i));
    ASSERT_EQ(Pass(), 50);
    for (int i = 0; i < 50; ++i) EXPECT_EQ(At(i).window, desktop.At(i).handle);
    WindowHandle last = desktop.At(50).handle;
    for (const SessionRecord& r : sessions) EXPECT_NE(r.window, last);

    desktop.Remove(desktop.At(0).handle);
    ASSERT_EQ(Pass(), 50);
    EXPECT_EQ(At(49).window, last);
}

// A window that goes away between the walk's snapshot and its visit is skipped: the sessions
// after it are still recorded, in order, with their answers.
TEST_F(DiscoveryTest, UnreadableClassNameSkipsOnlyThatWindow) {
    auto a = desktop.Add("A").handle;
    desktop.Add("B").classUnreadable = true;
    auto c = desktop.Add("C", "QAS", "200", "CAROL").handle;
    auto d = desktop.Add("D", "DEV", "300", "DAN").handle;
    ASSERT_EQ(Pass(), 3);
    EXPECT_EQ(At(0).window, a);
    EXPECT_EQ(At(1).window, c);
    EXPECT_EQ(At(2).window, d);
    EXPECT_STREQ(At(1).user, "CAROL");
    EXPECT_STREQ(At(2).system, "DEV");
}

TEST_F(DiscoveryTest, AWindowSeenByTheLastWalkHasItsClassReadOnce) {
    std::vector<WindowHandle> seen = {desktop.Add("A").handle, desktop.AddOther("Edit").handle,
                                      desktop.Add("C").handle};
    for (int i = 0; i < 3; ++i) ASSERT_EQ(Pass(), 2);
    for (WindowHandle h : seen) EXPECT_EQ(desktop.classReads[h], 1);

    // A walk for another class does not trust what was learnt for this one.
    EXPECT_EQ(Pass("Edit"), 1);
    for (WindowHandle h : seen) EXPECT_EQ(desktop.classReads[h], 2);
}

// A handle missing from the last walk may name a new window of another class: it is read again.
TEST_F(DiscoveryTest, AHandleMissingFromTheLastWalkIsReadAgain) {
    const struct {
        const char* before;
        const char* after;
        int sessionsAfter;
    } cases[] = {{kDefaultSessionClass, "Edit", 0}, {"Edit", kDefaultSessionClass, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.before);
        desktop.windows.clear();
        const WindowHandle reused = desktop.AddOther(c.before).handle;
        Pass();
        desktop.windows.clear();
        Pass();
        desktop.AddOther(c.after).handle = reused;
        EXPECT_EQ(Pass(), c.sessionsAfter);
        EXPECT_EQ(sessions.empty() ? kNoWindow : At(0).window, c.sessionsAfter == 1 ? reused : kNoWindow);
    }
}

// A, B and C all answered; A closes. B and C are found once each, in their new order: no
// session is seen twice, however the desktop's order moved.
TEST_F(DiscoveryTest, AClosedSessionLeavesEveryOtherSeenOnce) {
    auto a = desktop.Add("A").handle;
    auto b = desktop.Add("B").handle;
    auto c = desktop.Add("C").handle;
    ASSERT_EQ(Pass(), 3);

    desktop.Remove(a);
    desktop.Find(c)->caption = "C renamed";
    ASSERT_EQ(Pass(), 2);
    EXPECT_EQ(At(0).window, b);
    EXPECT_EQ(At(1).window, c);
    EXPECT_STREQ(At(1).title, "C renamed");
    EXPECT_STREQ(At(1).user, "USER01");
}

// A session that does not answer is asked everything once; while that is unanswered it is sent
// nothing new, every pass waits once for all, and its answers land when it wakes.
TEST_F(DiscoveryTest, UnansweredSessionIsNotAskedAgainUntilItAnswers) {
    desktop.Add("A", "PRD");
    auto& h = desktop.Add("H", "HUN");
    desktop.Add("C", "QAS");
    Pass();
    h.hung = true;
    h.answers[10] = "NEW";
    auto asked = [&] {
        int n = 0;
        for (auto& q : desktop.queries) n += q.first == h.handle ? 1 : 0;
        return n;
    };
    desktop.queries.clear();
    desktop.awaits = 0;
    ASSERT_EQ(Pass(), 3);
    ASSERT_EQ(Pass(), 3);
    EXPECT_EQ(asked(), 5);
    EXPECT_EQ(desktop.awaits, 2);
    EXPECT_EQ(desktop.PendingFor(h.handle), 5);
    EXPECT_STREQ(At(1).system, "HUN");  // keeps what it held
    EXPECT_EQ(At(1).busy, 1);
    EXPECT_STREQ(At(2).system, "QAS");

    h.hung = false;
    desktop.Deliver(h.handle);
    Pass();
    EXPECT_STREQ(At(1).system, "NEW");
    EXPECT_EQ(At(1).busy, 0);
    EXPECT_EQ(asked(), 10);
}

// A hung session is asked again only once its queries have given their records back; when it
// wakes, the answers to the last queries land and the older ones go nowhere.
TEST_F(DiscoveryTest, AHungSessionIsAskedADozenTimesAnHour) {
    desktop.Add("A");
    auto& h = desktop.Add("H", "HUN");
    h.hung = true;
    h.answers[10] = "NEW";
    constexpr int kPassesPerHour = 3600 / 2;
    for (int i = 0; i < kPassesPerHour; ++i) ASSERT_EQ(Pass(), 2);
    int asked = 0;
    for (auto& q : desktop.queries) asked += q.first == h.handle ? 1 : 0;
    EXPECT_EQ(asked, 12 * 5);

    desktop.Deliver(h.handle);
    EXPECT_EQ(desktop.Queries().FreeCount(), FrontQueryPool::kCapacity);
    h.hung = false;
    Pass();
    EXPECT_STREQ(At(1).system, "NEW");
}

// 120 windows that never answer come to the front fifty at a time (the z-order changes): every
// pass still asks every session it records, and a responsive one is answered.
TEST_F(DiscoveryTest, SilentWindowsNeverKeepASessionFromBeingAsked) {
    for (int i = 0; i < 120; ++i) desktop.Add("S" + std::to_string(i)).hung = true;
    auto toFront = [&](int n) {
        auto& w = desktop.windows;
        for (int i = 0; i < n; ++i) w.splice(w.begin(), w, std::prev(w.end()));
    };
    for (int pass = 0; pass < 12; ++pass) {
        SCOPED_TRACE(pass);
        ASSERT_EQ(Pass(), kTableCapacity);
        for (int i = 0; i < kTableCapacity; ++i) EXPECT_TRUE(desktop.Queries().Outstanding(At(i).window));
        toFront(kTableCapacity);
    }
    const WindowHandle responsive = desktop.Add("R", "QAS", "200", "ROSE").handle;
    toFront(1);
    Pass();
    ASSERT_EQ(At(0).window, responsive);
    EXPECT_STREQ(At(0).user, "ROSE");
}

// Session A stops answering at the top; then B comes to the top while A's queries are still
// out. B holds B's answers alone, A keeps its own fields where it moved, and when A wakes its
// late answers go nowhere but to A.
TEST_F(DiscoveryTest, LateAnswersNeverLandInAnotherSessionsRecord) {
    auto& a = desktop.Add("A", "PRD", "100", "ALICE");
    auto& b = desktop.Add("B", "QAS", "200", "BOB");
    a.answers[kFrontServerGroup] = "AGRP";
    Pass();
    a.hung = true;
    a.answers[15] = "ALICE2";
    Pass();  // A is asked and does not answer
    // A moves behind B in the enumeration (a z-order change).
    FakeWindow moved = a;
    desktop.Remove(a.handle);
    desktop.windows.push_back(moved);
    FakeWindow& a2 = desktop.windows.back();
    b.answers.erase(11);  // B leaves its Server group unanswered
    Pass();
    ASSERT_EQ(At(0).window, b.handle);
    EXPECT_STREQ(At(0).user, "BOB");
    EXPECT_STREQ(At(0).system, "QAS");
    EXPECT_STREQ(At(0).serverGroup, "SPACE");  // B's own from before, not A's
    EXPECT_STREQ(At(1).user, "ALICE");         // what A had, while it is busy
    EXPECT_EQ(At(1).busy, 1);
    EXPECT_EQ(At(0).busy, 0);

    a2.hung = false;
    desktop.Deliver(a2.handle);  // A's answers to the queries made while it was on top
    Pass();
    EXPECT_STREQ(At(0).user, "BOB");
    EXPECT_STREQ(At(0).client, "200");
    EXPECT_EQ(At(1).busy, 0) << "answered again";
    EXPECT_STREQ(At(1).user, "ALICE2");
}

}  // namespace
}  // namespace quilvo
