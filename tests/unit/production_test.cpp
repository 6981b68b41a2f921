// Which sessions are production, what the list reads and writes, and what is asked before a
// command closes any of them.
#include <gtest/gtest.h>

#include "commands/session_commands.h"
#include "core/production.h"
#include "snapshots.h"
#include "views/spoken_names.h"

namespace quilvo {
namespace {

TEST(ProductionSystems, ListsSystemsAndClientsAsTheBoxFiltersCompare) {
    const struct {
        const char* text;
        const char* stored;  // what it is written back as
        std::vector<const char*> production;  // "SYS/CLI" of sessions that are production
        std::vector<const char*> not_production;
    } cases[] = {
        {"", "", {}, {"PRD/100", "/"}},
        {" prd , QAS/300 ,,PRD", "prd,QAS/300", {"PRD/100", "Prd/999", "qas/300"}, {"QAS/301", "QAS/", "DEV/300"}},
        {"PRDX/1000,  ,/100", "PRD/100", {"prd/100"}, {"PRD/200", "/100"}},  // cut as a session's fields are
        {",,,", "", {}, {"PRD/100"}},
        {"Q\xC4S", "Q\xC4S", {"Q\xC4S/001"}, {"QAS/001"}},
    };
    for (const auto& c : cases) {
        const ProductionSystems list = ProductionSystems::Parse(c.text);
        EXPECT_EQ(list.Text(), c.stored) << c.text;
        const auto names = [&](const char* pair) {
            const std::string s(pair);
            const std::size_t slash = s.find('/');
            return list.Names(s.substr(0, slash).c_str(), s.substr(slash + 1).c_str());
        };
        for (const char* p : c.production) EXPECT_TRUE(names(p)) << c.text << " " << p;
        for (const char* p : c.not_production) EXPECT_FALSE(names(p)) << c.text << " " << p;
    }
}

TEST(ProductionSystems, ToggleAddsOrRemovesOneEntryAndLeavesTheOthers) {
    const struct {
        const char* before;
        const char* entry;
        const char* after;
    } cases[] = {
        {"", "PRD", "PRD"},           {"PRD", "prd", ""},
        {"PRD,QAS/300", "QAS", "PRD,QAS/300,QAS"}, {"QAS,QAS/300", "qas/300", "QAS"},
        {"PRD", " ", "PRD"},          {"PRD", "/300", "PRD"},
    };
    for (const auto& c : cases) {
        ProductionSystems list = ProductionSystems::Parse(c.before);
        list.Toggle(c.entry);
        EXPECT_EQ(list.Text(), c.after) << c.before << " toggled " << c.entry;
    }
    const ProductionSystems list = ProductionSystems::Parse("QAS/300,PRD,qas/200");
    EXPECT_EQ(list.Systems(), (std::vector<std::string>{"QAS", "PRD"}));
    EXPECT_EQ(list.Pairs(), (std::vector<std::string>{"QAS/300", "qas/200"}));
    EXPECT_TRUE(list.NamesSystem("prd"));
    EXPECT_FALSE(list.NamesSystem("QAS"));
}

// The sessions a command closes, marked as a pass marks them, and the question asked first.
TEST(CloseQuestion, CountsTheSessionsAndNamesEachProductionSystemOnce) {
    std::vector<SessionRecord> sessions = {test::Record(1, "PRD", "100"), test::Record(2, "prd", "200"),
                                           test::Record(3, "QAS", "300"), test::Record(4, "QAS", "301"),
                                           test::Record(5, "DEV", "100"), test::Record(6, "", "")};
    MarkProduction(ProductionSystems::Parse("PRD,QAS/300"), sessions);
    const auto ask = [&](std::vector<int> closing) {
        std::vector<const SessionRecord*> records;
        for (int i : closing) records.push_back(&sessions[i]);
        return CloseQuestionFor(records);
    };
    EXPECT_EQ(ask({0, 1, 4}), "Close 3 sessions? 2 of them are on the production system PRD.");
    EXPECT_EQ(ask({0}), "Close 1 session? It is on the production system PRD.");
    EXPECT_EQ(ask({4, 2}), "Close 2 sessions? 1 of them is on the production system QAS.");
    EXPECT_EQ(ask({0, 2, 3, 4}), "Close 4 sessions? 2 of them are on the production systems PRD and QAS.");
    EXPECT_EQ(ask({3, 4, 5}), "");
    EXPECT_EQ(ask({}), "");
    EXPECT_EQ(CloseQuestion(9, 3, {"P1", "P2", "P3"}), "Close 9 sessions? 3 of them are on the production systems P1, P2 and P3.");

    // Said, not only shown: "production" after the fields and before the state.
    sessions[0].busy = 1;
    char name[kSpokenNameCapacity];
    SessionSpokenName(sessions[0], name, sizeof name);
    EXPECT_STREQ(name, "PRD 100, production, busy");
}

}  // namespace
}  // namespace quilvo
