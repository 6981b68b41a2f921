// Which mini windows a panel keeps, moves, redraws, makes and destroys when its box list
// changes.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "views/update_plan.h"

namespace quilvo {
namespace {

// A session that answered: its label shows System and Client, not its title.
SessionRecord Record(WindowHandle window, const char* title, const char* system = "PRD") {
    SessionRecord r = {};
    r.window = window;
    std::strncpy(r.title, title, sizeof r.title - 1);
    std::strncpy(r.system, system, sizeof r.system - 1);
    return r;
}

// Sessions shown at x = their window number unless told otherwise.
std::vector<ShownSession> Shown(const std::vector<SessionRecord>& records, std::vector<int> xs = {}) {
    std::vector<ShownSession> out;
    for (std::size_t i = 0; i < records.size(); ++i) {
        const int x = i < xs.size() ? xs[i] : static_cast<int>(records[i].window);
        out.push_back(ShownSession{records[i].window, PixelRect{x, 0, 20, 15}, &records[i]});
    }
    return out;
}

// "from moves redraws" per step, then the gone ones: "0-- 1m- new | gone 2".
std::string Describe(const UpdatePlan& p) {
    std::string s;
    for (const UpdatePlan::Step& step : p.steps) {
        s += step.from < 0 ? "new" : std::to_string(step.from) + (step.moves ? "m" : "-") + (step.redraws ? "r" : "-");
        s += ' ';
    }
    s += "| gone";
    for (int g : p.gone) s += ' ' + std::to_string(g);
    return s;
}

TEST(UpdatePlan, KeepsMovesRedrawsMakesAndDestroys) {
    const std::vector<SessionRecord> before = {Record(1, "A"), Record(2, "B"), Record(3, "C")};
    SessionRecord retitled = Record(2, "B2");
    SessionRecord busy = Record(3, "C");
    busy.busy = 1;
    SessionRecord zoomed = Record(1, "A");
    zoomed.zoomed = 1;
    SessionRecord newLabel = Record(1, "A");
    std::strcpy(newLabel.transaction, "VA01");
    const std::vector<SessionRecord> silent = {Record(1, "A", ""), Record(2, "B", "")};
    struct Case {
        const char* what;
        std::vector<SessionRecord> after;
        std::vector<int> xs;
        const char* plan;
        bool unchanged;
    };
    const Case cases[] = {
        {"nothing changed", before, {}, "0-- 1-- 2-- | gone", true},
        {"a title changed: the label shows System and Client", {before[0], retitled, before[2]}, {}, "0-- 1-- 2-- | gone", true},
        {"one moved", before, {1, 9, 3}, "0-- 1m- 2-- | gone", false},
        {"busy, and zoomed, and a label", {newLabel, before[1], busy}, {}, "0-r 1-- 2-r | gone", false},
        {"zoomed alone: drawn the same", {zoomed, before[1], before[2]}, {}, "0-- 1-- 2-- | gone", true},
        {"one left the box", {before[0], before[2]}, {}, "0-- 2-- | gone 1", false},
        {"one came into the box", {before[0], Record(7, "N"), before[1], before[2]}, {}, "0-- new 1-- 2-- | gone", false},
        {"the order turned", {before[2], before[1], before[0]}, {}, "2-- 1-- 0-- | gone", false},
        {"all went", {}, {}, "| gone 0 1 2", false},
        {"a window listed twice", {before[0], before[0]}, {}, "0-- new | gone 1 2", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const UpdatePlan plan = PlanUpdate(Shown(before), Shown(c.after, c.xs));
        EXPECT_EQ(Describe(plan), c.plan);
        EXPECT_EQ(plan.Unchanged(), c.unchanged);
    }
    // A session that has not answered yet shows its title in its label.
    EXPECT_EQ(Describe(PlanUpdate(Shown(silent), Shown({Record(1, "A2", ""), silent[1]}))), "0-r 1-- | gone");
}

TEST(UpdatePlan, FromNothingEverySessionIsMadeAndAnEmptyWindowIsNeverKept) {
    const std::vector<SessionRecord> records = {Record(1, "A"), Record(kNoWindow, "")};
    EXPECT_EQ(Describe(PlanUpdate({}, Shown(records))), "new new | gone");
    EXPECT_EQ(Describe(PlanUpdate(Shown(records), Shown(records))), "0-- new | gone 1");
    EXPECT_TRUE(PlanUpdate({}, {}).Unchanged());
}

TEST(UpdatePlan, ATitleBeyondItsCapacityComparesByItsOwnBytes) {
    SessionRecord a = Record(1, "", "");
    SessionRecord b = Record(1, "", "");
    std::memset(a.title, 'x', sizeof a.title);  // no terminator
    std::memset(b.title, 'x', sizeof b.title);
    EXPECT_FALSE(DrawsDifferently(a, b));
    b.title[sizeof b.title - 1] = 'y';
    EXPECT_TRUE(DrawsDifferently(a, b));
    a = b;
    a.ready = 1;  // the ready mark is drawn
    EXPECT_TRUE(DrawsDifferently(a, b));
}

}  // namespace
}  // namespace quilvo
