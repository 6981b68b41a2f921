// The session part of the tray menu against an in-memory menu that behaves as the platform's
// (an insert at or past the end appends), and the decoding of what the menu gives back.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "record_checks.h"
#include "recording_ops.h"
#include "commands/session_menu.h"
#include "base/text.h"

namespace quilvo {
namespace {

class FakeMenus : public MenuOps {
public:
    struct Item {
        bool separator = false;
        int id = 0;
        unsigned state = 0;
        MenuHandle popup = kNoMenu;
        std::uintptr_t data = 0;
        std::string text;
    };

    bool refuseItems = false;  // InsertItem fails, as on a menu without memory
    int created = 0;
    int destroyed = 0;

    MenuHandle NewMenu() {
        const MenuHandle h = next_++;
        menus_[h];
        return h;
    }
    MenuHandle CreatePopup() override {
        ++created;
        return NewMenu();
    }
    void DestroyPopup(MenuHandle popup) override {
        ++destroyed;
        menus_.erase(popup);
    }
    bool InsertString(MenuHandle menu, int position, int id, const char* text) override {
        Item item;
        item.id = id;
        item.text = text;
        return Insert(menu, position, item);
    }
    bool InsertItem(MenuHandle menu, int position, const MenuItemDesc& desc) override {
        if (refuseItems) return false;
        Item item;
        item.separator = desc.separator;
        item.id = desc.id;
        item.state = desc.state;
        item.popup = desc.popup;
        item.data = desc.data;
        if (!desc.separator) item.text = desc.text;
        return Insert(menu, position, item);
    }
    int ItemCount(MenuHandle menu) override {
        auto it = menus_.find(menu);
        return it == menus_.end() ? -1 : static_cast<int>(it->second.size());
    }
    int ItemText(MenuHandle menu, int position, char* buffer, int size) override {
        const auto& items = menus_.at(menu);
        const std::string text = items.at(static_cast<std::size_t>(position)).text.substr(0, size - 1);
        CopyCut(buffer, static_cast<std::size_t>(size), text.c_str());
        return static_cast<int>(text.size());
    }

    // One line per item: "---" for a separator, else "id/data 'text'", and for a pop-up its
    // entries in braces.
    std::vector<std::string> Render(MenuHandle menu) const {
        std::vector<std::string> lines;
        for (const Item& item : menus_.at(menu)) {
            if (item.separator) {
                lines.push_back("---");
                continue;
            }
            std::string line = std::to_string(item.id) + "/" + std::to_string(item.data) + " '" + item.text + "'";
            if (item.popup != kNoMenu) {
                line += " {";
                const std::vector<std::string> entries = Render(item.popup);
                for (std::size_t i = 0; i < entries.size(); ++i) line += (i ? ", " : "") + entries[i];
                line += "}";
            }
            lines.push_back(line);
        }
        return lines;
    }
    // Every pop-up created is either in the menu or given back.
    int AttachedPopups(MenuHandle menu) const {
        int n = 0;
        for (const Item& item : menus_.at(menu)) n += item.popup != kNoMenu;
        return n;
    }

private:
    bool Insert(MenuHandle menu, int position, const Item& item) {
        auto it = menus_.find(menu);
        if (it == menus_.end() || position < 0) return false;
        auto& items = it->second;
        const std::size_t at = std::min(static_cast<std::size_t>(position), items.size());
        items.insert(items.begin() + static_cast<std::ptrdiff_t>(at), item);
        return true;
    }

    MenuHandle next_ = 0x1000;
    std::map<MenuHandle, std::vector<Item>> menus_;
};

using Lines = std::vector<std::string>;

struct Session {
    const char* system;
    const char* serverGroup;
    const char* client;
    std::string title;
};

// On the heap, so that a walk past the last session is caught by the address sanitizer.
std::unique_ptr<SessionSnapshot> MakeTable(const std::vector<Session>& sessions) {
    std::vector<SessionRecord> records;
    for (const Session& s : sessions) {
        SessionRecord r = ::test::Record(static_cast<WindowHandle>(11 + records.size()), s.system, s.client, "", "",
                                         s.title.c_str());
        CopyCut(r.serverGroup, s.serverGroup);
        records.push_back(r);
    }
    return std::make_unique<SessionSnapshot>(::test::SnapshotOf(records));
}

struct Built {
    FakeMenus menus;
    MenuHandle popup = kNoMenu;
    MenuSessions sessions;
    int result = 0;
};

std::unique_ptr<Built> Build(const SessionSnapshot& table) {
    auto b = std::make_unique<Built>();
    b->popup = b->menus.NewMenu();
    b->result = BuildSessionMenu(b->menus, b->popup, table, b->sessions);
    return b;
}

// A named table of sessions and the lines it is expected to give.
struct TableCase {
    const char* name;
    std::vector<Session> sessions;
    Lines expected;
};

TEST(SessionMenu, LayoutForNoOneAndThreeSessions) {
    const TableCase cases[] = {
        {"no session",
         {},
         {"---", "---", "12003/2 'Restore Server Group' {}", "14005/3 'Restore Systems' {}", "---",
          "13004/5 'Destroy Server Group' {}", "15006/6 'Destroy Systems' {}"}},
        {"one session",
         {{"PRD", "G1", "100", "SAP Easy Access"}},
         {"200/0 'PRD [G1:100]   SAP Easy Access'", "---", "---",
          "12003/3 'Restore Server Group' {12003/0 'G1'}", "14005/4 'Restore Systems' {14005/0 'PRD'}", "---",
          "13004/6 'Destroy Server Group' {13004/0 'G1'}", "15006/7 'Destroy Systems' {15006/0 'PRD'}"}},
        // One system in two spellings, two server groups of which one in two spellings: each
        // pop-up entry is spelt as its first session has it and carries that session's position.
        {"three sessions of one system",
         {{"PRD", "A", "100", "One"}, {"prd", "B", "200", "Two"}, {"PRD", "a", "300", "Three"}},
         {"200/0 'PRD [A:100]   One'", "201/0 'prd [B:200]   Two'", "202/0 'PRD [a:300]   Three'", "---", "---",
          "12003/5 'Restore Server Group' {12003/0 'A', 12004/1 'B'}", "14005/6 'Restore Systems' {14005/0 'PRD'}",
          "---", "13004/8 'Destroy Server Group' {13004/0 'A', 13005/1 'B'}",
          "15006/9 'Destroy Systems' {15006/0 'PRD'}"}},
        // Empty texts never count as present: every session without a Server group adds one.
        {"empty server groups",
         {{"PRD", "", "100", "One"}, {"QAS", "X", "200", "Two"}, {"DEV", "", "", "Three"}},
         {"200/0 'PRD [:100]   One'", "201/0 'QAS [X:200]   Two'", "202/0 'DEV [:]   Three'", "---", "---",
          "12003/5 'Restore Server Group' {12003/0 '', 12004/1 'X', 12005/2 ''}",
          "14005/6 'Restore Systems' {14005/0 'PRD', 14006/1 'QAS', 14007/2 'DEV'}", "---",
          "13004/8 'Destroy Server Group' {13004/0 '', 13005/1 'X', 13006/2 ''}",
          "15006/9 'Destroy Systems' {15006/0 'PRD', 15007/1 'QAS', 15008/2 'DEV'}"}},
    };
    for (const TableCase& c : cases) {
        auto table = MakeTable(c.sessions);
        auto b = Build(*table);
        EXPECT_EQ(b->menus.Render(b->popup), c.expected) << c.name;
        EXPECT_EQ(b->result, static_cast<int>(c.sessions.size()) + 7) << c.name;
        EXPECT_EQ(b->menus.AttachedPopups(b->popup), 4) << c.name;
        EXPECT_EQ(b->menus.created, 4) << c.name;
    }
}

TEST(SessionMenu, FullTableOfFiftyFillsEveryPositionAndStopsThere) {
    const char* systems[] = {"PRD", "qas", "DEV", "prd", "QAS", "dev"};
    const char* groups[] = {"A", "b", "", "B", "a"};
    std::vector<Session> sessions;
    for (int i = 0; i < kTableCapacity; ++i)
        sessions.push_back({systems[i % 6], groups[i % 5], "100", "S" + std::to_string(i)});
    auto table = MakeTable(sessions);
    ASSERT_EQ(table->Count(), kTableCapacity);
    auto b = Build(*table);

    Lines expected;
    for (int i = 0; i < kTableCapacity; ++i) {
        expected.push_back(std::to_string(200 + i) + "/0 '" + systems[i % 6] + " [" + groups[i % 5] + ":100]   S" +
                           std::to_string(i) + "'");
    }
    // The Server group pop-ups: A, b, then one empty entry for each of the ten empty groups.
    auto groupEntries = [](int base) {
        std::string s = std::to_string(base) + "/0 'A', " + std::to_string(base + 1) + "/1 'b'";
        for (int i = 2; i < kTableCapacity; i += 5) s += ", " + std::to_string(base + i) + "/" + std::to_string(i) + " ''";
        return s;
    };
    expected.insert(expected.end(),
                    {"---", "---", "12003/52 'Restore Server Group' {" + groupEntries(12003) + "}",
                     "14005/53 'Restore Systems' {14005/0 'PRD', 14006/1 'qas', 14007/2 'DEV'}", "---",
                     "13004/55 'Destroy Server Group' {" + groupEntries(13004) + "}",
                     "15006/56 'Destroy Systems' {15006/0 'PRD', 15007/1 'qas', 15008/2 'DEV'}"});
    EXPECT_EQ(b->menus.Render(b->popup), expected);
    EXPECT_EQ(b->result, 57);
}

// An entry is formatted only while System and title together stay under 256 characters;
// otherwise it repeats the entry before it ("" for the first). A formatted text longer than
// 255 characters loses the end of its title.
TEST(SessionMenu, EntryTextsAtTheLimits) {
    const std::string x252(252, 'x'), x253(253, 'x'), x254(254, 'x'), x255(255, 'x');
    const TableCase cases[] = {
        {"3 + 252 is formatted and cut to 255",
         {{"PRD", "G", "100", x252}},
         {"PRD [G:100]   " + std::string(255 - 14, 'x')}},
        {"0 + 255 is formatted and cut to 255", {{"", "G", "100", x255}}, {" [G:100]   " + std::string(255 - 11, 'x')}},
        {"2 + 253 is formatted", {{"AB", "", "", x253}}, {"AB [:]   " + std::string(255 - 9, 'x')}},
        {"3 + 253 first entry is empty", {{"PRD", "G", "100", x253}}, {""}},
        {"2 + 254 repeats the entry before, also twice in a row",
         {{"QAS", "G", "200", "short"}, {"AB", "G", "100", x254}, {"PRD", "G", "100", x255}, {"DEV", "", "1", "t"}},
         {"QAS [G:200]   short", "QAS [G:200]   short", "QAS [G:200]   short", "DEV [:1]   t"}},
    };
    for (const TableCase& c : cases) {
        auto table = MakeTable(c.sessions);
        auto b = Build(*table);
        for (std::size_t i = 0; i < c.expected.size(); ++i) {
            char text[512] = {};
            b->menus.ItemText(b->popup, static_cast<int>(i), text, sizeof text);
            EXPECT_EQ(std::string(text), c.expected[i]) << c.name << ", entry " << i;
        }
    }
}

TEST(SessionMenu, FindMenuTextIgnoresCaseAndNeverFindsAnEmptyText) {
    FakeMenus menus;
    const MenuHandle empty = menus.NewMenu();
    EXPECT_EQ(FindMenuText(menus, empty, "A"), -1);
    EXPECT_EQ(FindMenuText(menus, kNoMenu, "A"), -1);

    const MenuHandle m = menus.NewMenu();
    AddMenuEntry(menus, m, kNoMenu, "Alpha", 0, 0, 0);
    AddMenuEntry(menus, m, kNoMenu, "", 0, 1, 0);
    AddMenuEntry(menus, m, kNoMenu, "beta", 0, 2, 0);
    EXPECT_EQ(FindMenuText(menus, m, "ALPHA"), 0);
    EXPECT_EQ(FindMenuText(menus, m, "Beta"), 2);
    EXPECT_EQ(FindMenuText(menus, m, ""), -1);
    EXPECT_EQ(FindMenuText(menus, m, "alph"), -1);
    // An id of 0 becomes 200 plus the position.
    EXPECT_EQ(menus.Render(m), (Lines{"200/0 'Alpha'", "201/1 ''", "202/2 'beta'"}));

    EXPECT_EQ(AddUniqueMenuEntry(menus, m, kNoMenu, "BETA", 0, 3, 9), 0);
    EXPECT_EQ(AddUniqueMenuEntry(menus, m, kNoMenu, nullptr, 0, 3, 9), 0);
    EXPECT_EQ(AddUniqueMenuEntry(menus, kNoMenu, kNoMenu, "gamma", 0, 3, 9), 0);
    EXPECT_EQ(AddMenuEntry(menus, m, kNoMenu, nullptr, 0, 3, 9), 0);
    EXPECT_EQ(AddUniqueMenuEntry(menus, m, kNoMenu, "", 0, 3, 9), 1);
    EXPECT_EQ(menus.ItemCount(m), 4);
}

TEST(SessionMenu, NothingIsLeftBehindWhenTheMenuTakesNoItems) {
    auto table = MakeTable({{"PRD", "A", "100", "One"}});
    MenuSessions built;
    FakeMenus refusing;
    refusing.refuseItems = true;
    const MenuHandle popup = refusing.NewMenu();
    BuildSessionMenu(refusing, popup, *table, built);
    EXPECT_EQ(refusing.created, 4);
    EXPECT_EQ(refusing.destroyed, 4);

    FakeMenus none;
    EXPECT_EQ(BuildSessionMenu(none, kNoMenu, *table, built), 0);
    EXPECT_EQ(none.created, 0);
    EXPECT_EQ(built.count, 0);
}

// ---- Decoding ------------------------------------------------------------------------------

using ::test::RecordingOps;

// A chosen id and item data, and the operations they are expected to carry out.
struct DispatchCase {
    const char* name;
    int id;
    std::uintptr_t data;
    Lines calls;
};

template <std::size_t N>
void ExpectDispatched(const SessionSnapshot& table, const MenuSessions& built, const DispatchCase (&cases)[N]) {
    for (const DispatchCase& c : cases) {
        RecordingOps ops;
        EXPECT_EQ(DispatchSessionCommand(table, built, c.id, c.data, ops), 0) << c.name;
        EXPECT_EQ(ops.calls, c.calls) << c.name;
    }
}

TEST(SessionMenu, EveryIdRangeDecodesToItsGroupCommand) {
    // Windows 11, 12, 13: 11 and 13 share a title and a Server group in two spellings; 11 and
    // 12 a System in two spellings.
    auto table = MakeTable({{"PRD", "A", "100", "Same"}, {"prd", "B", "200", "Other"}, {"QAS", "a", "300", "same"}});
    auto built = Build(*table);
    const DispatchCase cases[] = {
        {"session entry 0", 200, 0, {"icon 11", "show 11 9", "icon 13", "show 13 9", "top 11"}},
        {"session entry 2", 202, 0, {"icon 11", "show 11 9", "icon 13", "show 13 9", "top 13"}},
        {"session entry 1", 201, 0, {"icon 12", "show 12 9", "top 12"}},
        {"session entry past the menu's end", 203, 0, {}},
        {"session entry 49", 249, 0, {}},
        {"below the session entries", 199, 0, {}},
        {"just below the group ids", 12002, 0, {}},
        {"restore server group A", 12003, 0, {"icon 11", "show 11 9", "icon 13", "show 13 9", "top 11"}},
        {"restore server group B", 12004, 1, {"icon 12", "show 12 9", "top 12"}},
        {"destroy server group a", 13006, 2, {"close 11", "close 13", "top 13"}},
        {"restore system PRD", 14005, 0, {"icon 11", "show 11 9", "icon 12", "show 12 9", "top 11"}},
        {"destroy system QAS", 15008, 2, {"close 13", "top 13"}},
        {"destroy system prd", 15007, 1, {"close 11", "close 12", "top 12"}},
        {"pop-up entry past the menu's end", 15011, 5, {}},
        {"id and data of different pop-ups", 12004, 0, {}},
        {"data larger than the id", 12003, 20000, {}},
        {"data past the table", 15006 + 60, 60, {}},
        {"above every range", 16007, 1, {}},
    };
    ExpectDispatched(*table, built->sessions, cases);
    // What a command would close, asked before it is carried out: the destroying entries only.
    const auto closed = [&](int id, std::uintptr_t data) {
        std::vector<WindowHandle> windows;
        for (const SessionRecord* r : SessionsClosedBy(*table, built->sessions, id, data)) windows.push_back(r->window);
        return windows;
    };
    EXPECT_EQ(closed(13006, 2), (std::vector<WindowHandle>{11, 13}));
    EXPECT_EQ(closed(15007, 1), (std::vector<WindowHandle>{11, 12}));
    for (const auto& other : {std::pair<int, std::uintptr_t>{12003, 0}, {14005, 0}, {200, 0}, {15011, 5}, {16007, 1}}) {
        EXPECT_TRUE(closed(other.first, other.second).empty()) << other.first;
    }
}

// A pass while the menu is open published another snapshot: A, at position 0 when the menu was
// built, has gone, and B and C moved up. A position names the session it showed: A's entries
// act on nothing (not on B, which stands there now), C's act on C where it is now, with the
// texts the snapshot holds now.
TEST(SessionMenu, CommandsActOnTheSessionTheUserSawAsTheSnapshotHoldsItWhenTheMenuReturns) {
    auto before = MakeTable({{"PRD", "A", "100", "One"}, {"QAS", "B", "200", "Two"}, {"DEV", "C", "300", "Three"}});
    auto b = Build(*before);

    auto after = MakeTable({{"QAS", "B", "200", "Two"}, {"dev", "C", "300", "Three"}, {"DEV", "D", "400", "Four"}});
    after->sessions[0].window = 12;
    after->sessions[1].window = 13;
    after->sessions[2].window = 14;
    const DispatchCase cases[] = {
        {"A's entry", 200, 0, {}},
        {"A's Destroy Systems entry", 15006, 0, {}},
        {"A's Restore Server Group entry", 12003, 0, {}},
        {"C's entry", 202, 0, {"icon 13", "show 13 9", "top 13"}},
        {"C's Destroy Systems entry reaches D, a session the menu never showed", 15008, 2,
         {"close 13", "close 14", "top 13"}},
        {"B's Restore Server Group entry", 12004, 1, {"icon 12", "show 12 9", "top 12"}},
    };
    ExpectDispatched(*after, b->sessions, cases);
}

}  // namespace
}  // namespace quilvo
