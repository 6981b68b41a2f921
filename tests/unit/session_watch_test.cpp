// Busy spells, ready marks and notices; the wait for a new session asked for by "/o...".
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/session_watch.h"
#include "record_checks.h"

namespace quilvo {
namespace {

constexpr WindowHandle kA = 0xA0, kB = 0xB0, kC = 0xC0;

void Put(std::vector<SessionRecord>& sessions, WindowHandle window, const char* system, const char* tx,
         const char* title) {
    sessions.push_back(::test::Record(window, system, "100", "ANNA", tx, title));
}

// One pass: the time, which sessions are busy ("A" "b": A busy, B not; "-" gone), the
// foreground, then what is expected: the ready marks and the notice taken then ("" none).
struct Pass {
    std::uint32_t atS;
    const char* busy;
    WindowHandle foreground;
    const char* ready;
    const char* notice;
};

void RunPasses(std::uint32_t readyAfterS, const std::vector<Pass>& passes) {
    ReadyWatch watch(readyAfterS * 1000);
    const WindowHandle windows[] = {kA, kB, kC};
    for (const Pass& p : passes) {
        std::vector<SessionRecord> sessions;
        for (int i = 0; i < 3; ++i) {
            const char state = p.busy[i];
            if (state == '-') continue;
            Put(sessions, windows[i], i == 0 ? "PRD" : "QAS", i == 0 ? "FBL1N" : "SE16", i == 0 ? "Vendor Line Items" : "");
            sessions.back().busy = state >= 'A' && state <= 'Z';
        }
        watch.Follow(sessions, p.foreground, p.atS * 1000);
        std::string ready;
        for (const SessionRecord& r : sessions) ready += r.ready ? "r" : ".";
        ReadyNotice notice;
        const std::string text = watch.TakeNotice(p.atS * 1000, notice) ? notice.text : "";
        EXPECT_EQ(ready, p.ready) << "at " << p.atS << " s";
        EXPECT_EQ(text, p.notice) << "at " << p.atS << " s";
    }
}

TEST(ReadyWatch, ALongSpellEndedOutOfSightGivesOneNoticeAndAMarkUntilInFront) {
    RunPasses(20, {
                      {0, "Abc", 0, "...", ""},
                      {134, "Abc", 0, "...", ""},
                      {136, "abc", kB, "r..", ""},  // gathered for a moment first
                      {138, "abc", kB, "r..", "PRD 100 FBL1N Vendor Line Items: ready after 2 min 16 s"},
                      {140, "abc", kB, "r..", ""},  // one notice per spell
                      {142, "abc", kA, "...", ""},  // brought to the front: the mark goes
                  });
}

TEST(ReadyWatch, ASessionShownThroughTheProgramLosesItsMarkAndItsNoticeToCome) {
    std::vector<SessionRecord> sessions;
    Put(sessions, kA, "PRD", "FBL1N", "");
    ReadyWatch watch(20000);
    sessions[0].busy = 1;
    watch.Follow(sessions, kNoWindow, 0);
    sessions[0].busy = 0;
    watch.Follow(sessions, kNoWindow, 60000);
    EXPECT_EQ(sessions[0].ready, 1);
    watch.Shown(kA);
    watch.Follow(sessions, kNoWindow, 62000);
    EXPECT_EQ(sessions[0].ready, 0);
    ReadyNotice notice;
    EXPECT_FALSE(watch.TakeNotice(70000, notice));
}

TEST(ReadyWatch, ShortSpellsInFrontGoneOrOffGiveNone) {
    RunPasses(20, {{0, "Abc", 0, "...", ""}, {18, "abc", 0, "...", ""}, {22, "abc", 0, "...", ""}});  // 18 s only
    RunPasses(20, {{0, "Abc", 0, "...", ""}, {30, "abc", kA, "...", ""}, {34, "abc", 0, "...", ""}});  // in front
    RunPasses(20, {{0, "Abc", 0, "...", ""}, {30, "abc", 0, "r..", ""}, {32, "-bc", 0, "..", ""}});    // closed
    RunPasses(0, {{0, "Abc", 0, "...", ""}, {300, "abc", 0, "...", ""}, {304, "abc", 0, "...", ""}});  // off
}

TEST(ReadyWatch, SessionsReadyWithinMomentsShareANoticeAndABusyAgainSpellCountsAfresh) {
    RunPasses(20, {
                      {0, "ABC", 0, "...", ""},
                      {40, "aBC", 0, "r..", ""},
                      {42, "abC", 0, "rr.", "2 sessions are ready: PRD 100 FBL1N Vendor Line Items, QAS 100 SE16"},
                      {60, "abc", 0, "rrr", ""},
                      // A busy again: its mark goes; C's notice comes alone.
                      {62, "Abc", 0, ".rr", "QAS 100 SE16: ready after 1 min"},
                      {70, "abc", 0, ".rr", ""},  // that spell lasted 8 s only: no mark, no notice
                  });
}

TEST(ReadyNoticeText, TimesAndLongListsCutAtAWholeName) {
    EXPECT_EQ(BusyTimeText(999), "0 s");
    EXPECT_EQ(BusyTimeText(59999), "59 s");
    EXPECT_EQ(BusyTimeText(3600000 + 5 * 60000 + 9000), "1 h 5 min");
    EXPECT_EQ(BusyTimeText(7200000), "2 h");
    const std::vector<std::string> names = {std::string(100, 'a'), std::string(100, 'b'), std::string(100, 'c')};
    const std::string cut = ReadyNoticeText(names, 0, 255);
    EXPECT_EQ(cut, "3 sessions are ready: " + names[0] + ", " + names[1] + "...");
    EXPECT_LE(ReadyNoticeText({std::string(300, 'x')}, 0, 255).size(), 255u);

    // A name of double-byte characters too long for the balloon is cut at a whole character:
    // its last lead byte never stands without its trail before the "...".
    const auto isLead = [](unsigned char c) { return c >= 0x81 && c <= 0x9F; };
    std::string wide = "A";
    for (int i = 0; i < 150; ++i) wide += "\x82\xA0";
    for (const std::size_t room : {255u, 254u}) {
        const std::string text = ReadyNoticeText({wide}, 0, room, isLead);
        ASSERT_LE(text.size(), room);
        const std::string kept = text.substr(0, text.size() - 3);
        EXPECT_EQ(WholeCharacters(kept.c_str(), static_cast<int>(kept.size()), isLead), static_cast<int>(kept.size()))
            << "room " << room;
    }
}

TEST(OpenWatch, FindsTheNewSessionOfTheLogonOrGivesUpAfterTenSeconds) {
    std::vector<SessionRecord> table;
    Put(table, kA, "QAS", "SMEN", "");
    Put(table, kB, "PRD", "SMEN", "");
    const SessionSnapshot before = ::test::SnapshotOf(table);
    OpenWatch watch;
    watch.Start(before, before.sessions[0], "SE16", 1000);
    WindowHandle found = kNoWindow;
    EXPECT_EQ(watch.Check(table, 3000, found), OpenWatch::Outcome::Waiting);
    Put(table, kC, "PRD", "SE16", "");  // another logon's new session is not it
    EXPECT_EQ(watch.Check(table, 5000, found), OpenWatch::Outcome::Waiting);
    Put(table, 0xD0, "qas", "SE16", "");
    EXPECT_EQ(watch.Check(table, 7000, found), OpenWatch::Outcome::Opened);
    EXPECT_EQ(found, 0xD0u);
    EXPECT_EQ(watch.Check(table, 7000, found), OpenWatch::Outcome::None);

    const SessionSnapshot now = ::test::SnapshotOf(table);
    watch.Start(now, now.sessions[1], "SU01", 20000);
    EXPECT_EQ(watch.Check(table, 29999, found), OpenWatch::Outcome::Waiting);
    EXPECT_EQ(watch.Check(table, 30000, found), OpenWatch::Outcome::NotOpened);
    EXPECT_EQ(watch.NotOpenedText(), "New session: SU01 on PRD 100 ANNA did not open");
    EXPECT_FALSE(watch.Waiting());
}

}  // namespace
}  // namespace quilvo
