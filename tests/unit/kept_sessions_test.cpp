// The day's sessions kept per logon, the offer when the logon comes back, the file they are
// kept in, where a reopened session goes, and the run that reopens them one at a time.
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "core/kept_sessions.h"
#include "core/kept_sessions_file.h"
#include "core/reopen_run.h"
#include "snapshots.h"

namespace quilvo {
namespace {

constexpr NormalRect kLeft = {0, 0, 1920, 1080}, kRight = {1920, 0, 3840, 1080};

// The left monitor and, when asked, the right one, each with its taskbar at the bottom.
MonitorList Desk(bool right) {
    MonitorList desk;
    desk.Add(kLeft, {0, 0, 1920, 1040});
    if (right) desk.Add(kRight, {1920, 0, 3840, 1040});
    return desk;
}

SessionRecord At(WindowHandle window, const char* system, const char* code, NormalRect r = {0, 0, 800, 600},
                 bool zoomed = false) {
    SessionRecord s = ::test::Record(window, system, "100", "ANNA", code);
    s.zoomed = zoomed;
    std::tie(s.x, s.y, s.width, s.height) = std::make_tuple(r.left, r.top, r.right - r.left, r.bottom - r.top);
    return s;
}

// A pass of these sessions; boxes[i] is the box that holds session i (-1 none).
SessionSnapshot PassOf(std::vector<SessionRecord> sessions, std::vector<int> boxes = {}) {
    SessionSnapshot pass = ::test::SnapshotOf(std::move(sessions));
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        if (boxes[i] >= 0) pass.members[boxes[i]].push_back(static_cast<std::int16_t>(i));
    }
    return pass;
}

std::vector<std::string> Codes(const std::vector<KeptSession>& sessions) {
    std::vector<std::string> codes;
    for (const KeptSession& s : sessions) codes.push_back(s.transaction);
    return codes;
}

KeptLogonName Logon(const char* system, const char* user) {
    return LogonNameOf(::test::Record(0, system, "100", user));
}

TEST(KeptSessions, ALogonBackAfterTheEndOfTheDayIsOfferedWhatItLeftOpenOnce) {
    const SessionRecord fbl1n = At(0xA0, "PRD", "FBL1N", {10, 20, 810, 620});
    const SessionRecord se16 = At(0xB0, "PRD", "SE16", {1930, 20, 2730, 620}, true);
    const SessionRecord va01 = At(0xC0, "prd", "VA01", {100, 100, 900, 700});  // one logon, however spelled
    const SessionRecord mm03 = At(0xD0, "PRD", "MM03", {200, 200, 1000, 800});
    KeptSessions day;
    EXPECT_TRUE(day.Observe(PassOf({fbl1n, se16, va01, mm03}, {0, 2, -1, 1}), Desk(true)));
    ASSERT_EQ(day.Logons().size(), 1u);
    EXPECT_EQ(Codes(day.Logons()[0].sessions), (std::vector<std::string>{"FBL1N", "MM03", "SE16", "VA01"}));
    EXPECT_TRUE(day.Observe(PassOf({fbl1n, se16, va01}, {0, 2, -1}), Desk(true)));  // MM03 closed: it leaves
    EXPECT_FALSE(day.Observe(PassOf({}), Desk(true)));                              // log-off: the set stays

    const std::string text = KeptSessionsText(day);
    EXPECT_NE(text.find("\nsession code=SE16 box=2 normal=1930,20,2730,620 maximized=1 monitor=1920,0,3840,1080\n"),
              std::string::npos)
        << text;
    KeptSessions next;
    std::string why;
    ASSERT_TRUE(ReadKeptSessions(text, next, why)) << why;
    EXPECT_EQ(KeptSessionsText(next), text);

    next.Observe(PassOf({At(0xE0, "PRD", "FBL1N", {10, 20, 810, 620})}), Desk(true));
    const std::vector<ReopenOffer> offers = next.TakeNewOffers();
    ASSERT_EQ(offers.size(), 1u);
    EXPECT_EQ(ReopenNoticeText(offers[0]), "Reopen 2 sessions on PRD 100 ANNA: SE16, VA01");
    EXPECT_TRUE(next.TakeNewOffers().empty());

    // SE16 opened by hand meanwhile: the offer shrinks and is not announced again.
    next.Observe(PassOf({At(0xE0, "PRD", "FBL1N"), At(0xF0, "PRD", "SE16")}), Desk(true));
    EXPECT_TRUE(next.TakeNewOffers().empty());
    ASSERT_EQ(next.Offers().size(), 1u);
    EXPECT_EQ(Codes(next.Offers()[0].missing), std::vector<std::string>{"VA01"});
    ReopenOffer taken;
    EXPECT_TRUE(next.Take(Logon("prd", "anna"), taken));
    EXPECT_EQ(Codes(taken.missing), std::vector<std::string>{"VA01"});
    EXPECT_FALSE(next.Take(Logon("PRD", "ANNA"), taken));
}

const std::string kEnd = "end logons=1 sessions=2\n";
const std::string kFile =
    "Quilvo sessions 1\n"
    "logon system=PRD client=100 user=ANNA\n"
    "session code=FBL1N box=0 normal=10,20,810,620 maximized=0 monitor=0,0,1920,1080\n"
    "session code=SE16 box=-1 normal=1930,20,2730,620 maximized=1 monitor=1920,0,3840,1080\n" +
    kEnd;

std::string Swapped(const std::string& from, const std::string& to, std::string text = kFile) {
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

TEST(KeptSessionsFile, ReadsAWholeFileOnlyAndEmptiesWhatItReadsInto) {
    const struct { std::string text; const char* why; } damaged[] = {
        {"", "no end line"},
        {Swapped("Quilvo sessions", "Quilvo settings"), "line 1: not a sessions file"},
        {Swapped("sessions 1\n", "sessions 2\n"), "line 1: another version"},
        {kFile.substr(0, kFile.size() - 1), "line 5: cut short"},
        {Swapped(kEnd, ""), "no end line"},
        {Swapped("sessions=2", "sessions=3"), "line 5: counts do not match"},
        {Swapped("user=ANNA", "user=" + std::string(250, 'A')), "line 2: line too long"},
        {Swapped("box=0", "box=A"), "line 3: bad box"},
        {Swapped("box=0", "box=0000000"), "line 3: bad box"},
        {Swapped("box=0", "box=6"), "line 3: bad box"},
        {Swapped("810,620", "32768,620"), "line 3: bad rectangle"},
        {Swapped("maximized=0", "maximized=2"), "line 3: bad maximized"},
        {Swapped("normal=10,20,810,620", "normal=10,20,810"), "line 3: bad rectangle"},
        {Swapped("monitor=0,0,1920,1080", "monitor=1920,0,0,1080"), "line 3: bad monitor"},
        {Swapped("code=FBL1N", "code=/nex"), "line 3: bad code"},
        {Swapped("code=FBL1N", "code=FBL 1N"), "line 3: bad session"},
        {Swapped("client=100", "client=1\t0"), "line 2: control character"},
        {kFile + "logon system=QAS client=300 user=BEN\n", "line 6: text after the end"},
        {kFile + std::string(kKeptSessionsMaxBytes, '\n'), "too long"},
        {Swapped(kEnd, "logon system=prd client=100 user=anna\n" + kEnd), "line 5: logon twice"},
        {Swapped("logon system=PRD client=100 user=ANNA\n", ""), "line 2: session before any logon"},
    };
    for (const auto& d : damaged) {
        KeptSessions out;
        std::string why;
        ASSERT_TRUE(ReadKeptSessions(kFile, out, why)) << why;
        EXPECT_FALSE(ReadKeptSessions(d.text, out, why)) << d.text;
        EXPECT_TRUE(out.Logons().empty()) << d.text;
        EXPECT_NE(why.find(d.why), std::string::npos) << "why: " << why << ", expected: " << d.why;
    }
    KeptSessions out;
    std::string why, crlf;
    for (std::size_t size = 0; size < kFile.size(); ++size) {
        EXPECT_FALSE(ReadKeptSessions(kFile.substr(0, size), out, why)) << "cut at " << size;
    }
    for (const char c : kFile) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    ASSERT_TRUE(ReadKeptSessions(crlf, out, why)) << why;
    EXPECT_EQ(KeptSessionsText(out), kFile);
}

TEST(PlaceKept, OnItsMonitorWhereItWasElseMovedWithItInsideTheNearestWorkArea) {
    const MonitorList two = Desk(true), left = Desk(false);
    const struct { const char* what; NormalRect normal, monitor; MonitorList now; NormalRect placed; } cases[] = {
        {"on its monitor", {1930, 20, 2730, 620}, kRight, two, {1930, 20, 2730, 620}},
        {"its monitor gone", {1930, 20, 2730, 620}, kRight, left, {10, 20, 810, 620}},
        {"from a larger monitor, cut", {2000, 100, 4400, 1400}, {1920, 0, 4480, 1440}, left, {0, 0, 1920, 1040}},
        {"a monitor now smaller", {1500, 800, 1900, 1060}, kLeft, OneMonitor(1280, 1024), {880, 764, 1280, 1024}},
        {"off every monitor", {5000, 100, 5800, 700}, kRight, two, {3040, 100, 3840, 700}},
        {"off every, no monitor known", {-900, -700, -100, -100}, {0, 0, 0, 0}, two, {0, 0, 800, 600}},
        {"no monitors", {-900, -700, -100, -100}, kRight, MonitorList{}, {-900, -700, -100, -100}},
    };
    for (const auto& c : cases) {
        const NormalRect r = PlaceKept(KeptSession{"SE16", 0, c.normal, false, c.monitor}, c.now);
        EXPECT_EQ(std::vector<int>({r.left, r.top, r.right, r.bottom}),
                  std::vector<int>({c.placed.left, c.placed.top, c.placed.right, c.placed.bottom}))
            << c.what;
    }
}

ReopenOffer OfferOf(std::vector<const char*> codes) {
    ReopenOffer offer{Logon("PRD", "ANNA"), {}};
    for (const char* code : codes) {
        offer.missing.push_back(KeptSession{"", -1, {0, 0, 800, 600}, false, {}});
        CopyCut(offer.missing.back().transaction, code);
    }
    return offer;
}

TEST(ReopenRun, SendsOneCodeAtATimeToTheLogonWithinItsBound) {
    using Outcome = OpenWatch::Outcome;
    const SessionRecord target = At(1, "PRD", "FBL1N"), other = At(2, "QAS", "SE16"), se16 = At(3, "prd", "SE16");
    ReopenRun run(OfferOf({"SE16", "VA01", "MM03", "SU01"}), target.window, 3);
    // What Next sends and where: "/oSE16 to 1", or "nothing".
    const auto next = [](ReopenRun& r, const std::vector<SessionRecord>& latest, std::uint32_t now) {
        std::string code;
        WindowHandle to = kNoWindow;
        return r.Next(PassOf(latest), now, code, to) ? code + " to " + std::to_string(to) : std::string("nothing");
    };
    EXPECT_EQ(next(run, {other, target}, 0), "/oSE16 to 1");
    EXPECT_EQ(next(run, {other, target}, 1000), "nothing");  // SE16 is awaited
    EXPECT_EQ(run.OnPass(PassOf({other, target}), 2000).outcome, Outcome::Waiting);
    const ReopenRun::Step step = run.OnPass(PassOf({other, target, se16}), 3000);
    EXPECT_EQ(step.outcome, Outcome::Opened);
    EXPECT_EQ(step.window, se16.window);
    EXPECT_STREQ(step.kept.transaction, "SE16");
    EXPECT_EQ(next(run, {other, target, se16}, 3000), "/oVA01 to 1");
    EXPECT_EQ(run.OnPass(PassOf({other, target, se16}), 3000 + kOpenWaitMs - 1).outcome, Outcome::Waiting);
    EXPECT_EQ(run.OnPass(PassOf({other, target, se16}), 3000 + kOpenWaitMs).outcome, Outcome::NotOpened);
    EXPECT_EQ(next(run, {other, se16}, 14000), "/oMM03 to 3");  // the target closed: another of the logon
    const std::vector<SessionRecord> full = {other, se16, At(4, "PRD", "MM03"), At(5, "PRD", "SE38")};
    EXPECT_EQ(run.OnPass(PassOf(full), 15000).outcome, Outcome::Opened);
    EXPECT_EQ(next(run, full, 15000), "nothing");  // three sessions: SU01 is passed over
    EXPECT_TRUE(run.Done());
    EXPECT_EQ(NotReopenedText(run.NotOpened()), "VA01, SU01 did not open");

    ReopenRun none(OfferOf({"SE16", "VA01"}), target.window, 6);
    EXPECT_EQ(next(none, {other}, 0), "nothing");  // no session of the logon left
    EXPECT_EQ(none.NotOpened(), (std::vector<std::string>{"SE16", "VA01"}));
}

TEST(ReopenTexts, ShowSixCodesAtMostAndDoubleAmpersandsInTheMenu) {
    const std::vector<const char*> seven = {"A1", "A2", "A3", "A4", "A5", "A6", "A7"};
    EXPECT_EQ(ReopenNoticeText(OfferOf({"SE16"})), "Reopen 1 session on PRD 100 ANNA: SE16");
    EXPECT_EQ(ReopenNoticeText(OfferOf({seven.begin(), seven.end() - 1})),
              "Reopen 6 sessions on PRD 100 ANNA: A1, A2, A3, A4, A5, A6");
    EXPECT_EQ(ReopenNoticeText(OfferOf(seven)), "Reopen 7 sessions on PRD 100 ANNA: A1, A2, A3, A4, A5, A6, ...");
    EXPECT_EQ(NotReopenedText({seven.begin(), seven.end()}), "A1, A2, A3, A4, A5, A6, ... did not open");
    EXPECT_EQ(NotReopenedText({}), "");
    ReopenOffer offer = OfferOf({"SE16", "VA01"});
    offer.logon = Logon("P&D", "R&D");
    EXPECT_EQ(ReopenMenuText(offer), "P&&D 100 R&&D: SE16, VA01");
}

}  // namespace
}  // namespace quilvo
