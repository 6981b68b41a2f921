// The OK code a find window's open row sends to a session of the simulator: a session that
// reads it late, once the program's wait for the new session is over, and one that deletes
// each atom it reads, both read the code that was sent.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>

#include "app/session_notices.h"
#include "platform/win32_refresh_platform.h"
#include "record_checks.h"
#include "recording_ops.h"
#include "sim_client.h"

namespace quilvo {
namespace {

TEST(SessionNotices, AnOpenRowsOkCodeIsReadAsSentByALateReaderAndByOneThatDeletesIt) {
    sessionsim::Simulator sim;
    ASSERT_TRUE(sim.Start("session LATE system=PRD client=100 user=ANNA tx=SMEN okcode-delay=60000\n"
                          "session DEL system=QAS client=200 user=BOB tx=SMEN delete-atoms=1\n"))
        << sim.LastError();
    HeldSnapshot sessions(std::make_shared<const SessionSnapshot>(::test::SnapshotOf(
        {::test::Record(FromHwnd(sim.Hwnd("LATE")), "PRD", "100", "ANNA", "SMEN"),
         ::test::Record(FromHwnd(sim.Hwnd("DEL")), "QAS", "200", "BOB", "SMEN")})));
    ::test::RecordingOps ops;
    Win32RefreshPlatform platform;
    OkCodeSender okCodes(platform);
    TrayNotice notice(nullptr);
    SessionNotices notices(0, sessions, ops, okCodes, notice);
    const auto open = [&](const char* session, const char* system, const char* client, const char* user) {
        notices.Open(FromHwnd(sim.Hwnd(session)), FindRow{FindRowKind::Open, 0, {system, client, user, "SE16", "1"}});
    };

    // The late reader is still busy when a pass finds a new session of its logon: the wait is
    // over before it has read the code.
    open("LATE", "PRD", "100", "ANNA");
    ASSERT_TRUE(sim.WaitForLine("busy LATE")) << sim.Log();
    SessionSnapshot found = *sessions.Current();
    found.sessions.push_back(::test::Record(0x4321, "PRD", "100", "ANNA", "SE16"));
    notices.OnPassFinished(found);
    EXPECT_EQ(ops.calls.back(), "activate " + std::to_string(0x4321)) << "the new session is brought up";
    ASSERT_TRUE(sim.Send("wake LATE"));
    EXPECT_TRUE(sim.WaitForLine("okcode LATE /oSE16")) << sim.Log();

    // A session that deletes every atom it reads, sent the same code twice.
    for (int round = 0; round < 2; ++round) {
        open("DEL", "QAS", "200", "BOB");
        EXPECT_TRUE(sim.WaitForLog([&](const std::string&) {
            int read = 0;
            for (const std::string& line : sim.LogLines()) read += line == "okcode DEL /oSE16";
            return read == round + 1;
        }, 5000)) << "round " << round << ": " << sim.Log();
    }
}

}  // namespace
}  // namespace quilvo
