// What the sessions answer, shown as it changes: a Transaction changed under the same title
// and a logon (a User given under a new title) show at the next pass, with the mini window's
// name and its boxes, and a calm desk is asked only what can have changed.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "e2e_util.h"
#include "quilvo_process.h"
#include "sim_client.h"

namespace e2e {
namespace {

// A pass comes every two seconds; the one after the change has it, whatever the 17 s rebuild.
constexpr DWORD kNextPass = 2 * 2000 + 1500;

class Answers : public ::testing::Test {
protected:
    void TearDown() override {
        quilvo.Kill();
        sim.Stop();
    }
    // The names the mini windows of a panel give a screen reader.
    static std::vector<std::string> Names(HWND panel) {
        std::vector<std::string> names;
        for (HWND mini : Children(panel, "XIconWin")) names.push_back(TextOf(mini));
        return names;
    }
    bool Shows(HWND panel, const std::string& name) const {
        const std::vector<std::string> names = Names(panel);
        return std::find(names.begin(), names.end(), name) != names.end();
    }

    sessionsim::Simulator sim;
    TempFolder dir;
    QuilvoProcess quilvo;
};

TEST_F(Answers, ATransactionAndALogonShowAtTheNextPassInEveryBoxTheyDecide) {
    ASSERT_TRUE(sim.Start("session A system=PRD client=100 user=ANNA tx=SMEN caption=Orders\n"
                          "session L system=QAS client=200 tx=S000 caption=Logon noanswer=user\n"))
        << sim.LastError();
    // Box 1 holds the sessions in SM37, box 2 the logon of CAROL.
    dir.WriteIni("[Box0]\r\nSelection=$$$SM37\r\n[Box1]\r\nSelection=QAS$$CAROL$\r\n");
    ASSERT_TRUE(quilvo.Start(dir.Path()));
    ASSERT_TRUE(WaitUntil([&] { return PanelsOf(quilvo.MainWindow()).size() == 6 && quilvo.SingleView(); }, 8000));
    const std::vector<HWND> panels = PanelsOf(quilvo.MainWindow());
    const HWND all = PanelsOf(quilvo.SingleView())[0];
    ASSERT_TRUE(WaitUntil([&] { return Shows(all, "PRD 100 ANNA SMEN Orders") && Shows(all, "QAS 200 S000 Logon"); }, 8000))
        << "found: " << Names(all).size();
    ASSERT_TRUE(Names(panels[0]).empty());

    // Wait for a calm desk: the rebuild of 17 s must not be what shows the change.
    ASSERT_TRUE(sim.WaitForLine("get A 5 SMEN", 8000));
    ASSERT_TRUE(sim.Send("set A tx=SM37"));
    EXPECT_TRUE(WaitUntil([&] { return Shows(all, "PRD 100 ANNA SM37 Orders"); }, kNextPass)) << Names(all)[0];
    EXPECT_TRUE(WaitUntil([&] { return Shows(panels[0], "PRD 100 ANNA SM37 Orders"); }, 1000)) << "sorted into box 1";

    // The logon screen ends: a User, and a new title with it.
    ASSERT_TRUE(sim.Send("noanswer L none"));
    ASSERT_TRUE(sim.Send("set L user=CAROL tx=SMEN"));
    ASSERT_TRUE(sim.Send("caption L Workplace"));
    EXPECT_TRUE(WaitUntil([&] { return Shows(panels[1], "QAS 200 CAROL SMEN Workplace"); }, kNextPass))
        << (Names(panels[1]).empty() ? std::string("none in box 2") : Names(panels[1])[0]);

    // Calm again: over a few passes each session is asked its Transaction alone.
    sessionsim::QueryCounts before, after;
    ASSERT_TRUE(sim.Queries(before));
    ASSERT_TRUE(WaitUntil([&] {
        sessionsim::QueryCounts now;
        return sim.Queries(now) && now.Total() >= before.Total() + 8;
    }, 12000));
    ASSERT_TRUE(sim.Queries(after));
    const unsigned long long asked = after.Total() - before.Total();
    const unsigned long long transactions = after.Of(5) - before.Of(5);
    EXPECT_GE(transactions * 10, asked * 7) << "most of what a calm desk is asked is its Transaction: " << transactions
                                            << " of " << asked;
}

}  // namespace
}  // namespace e2e
