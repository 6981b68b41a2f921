// The find window's rows and their ranking for a typed query.
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "record_checks.h"

#include "core/find_ranking.h"

namespace quilvo {
namespace {

const char* Name(FindMatch m) {
    static const char* const kNames[] = {"none", "gaps", "inside", "initials", "start"};
    return kNames[static_cast<int>(m)];
}

struct WordCase {
    const char* word;
    const char* field;
    FindMatch expected;
};

TEST(FindWord, EachKindOfMatchAndItsRank) {
    const WordCase cases[] = {
        {"sal", "Sales Volume", FindMatch::Start},
        {"sv", "Sales Volume", FindMatch::Initials},  // a start of the field outranks initials
        {"sv", "sales-volume", FindMatch::Initials},
        {"svo", "Sales_Volume Overview", FindMatch::Initials},
        {"abc", "a/b.c", FindMatch::Initials},
        {"sv", "SalesVolume", FindMatch::Initials},
        {"vo", "Sales Volume Overview", FindMatch::Initials},   // the run may begin at any part
        {"aab", "a a a b", FindMatch::Initials},                // found after a false start
        {"so", "Sales Volume Overview", FindMatch::Gaps},       // parts not consecutive
        {"sl", "SAPLogon", FindMatch::Gaps},                    // upper after upper splits nothing
        {"vol", "Sales Volume", FindMatch::Inside},
        {"LES", "sales", FindMatch::Inside},
        {"sls", "Sales", FindMatch::Gaps},
        {"va1", "VA01", FindMatch::Gaps},
        {"xyz", "Sales", FindMatch::None},
        {"ea", "Sales", FindMatch::None},  // letters out of order
        {"", "Sales", FindMatch::None},
        {"\xE4", "\xC4", FindMatch::None},  // only A to Z fold
        {"\xC4", "x\xC4y", FindMatch::Inside},
    };
    for (const WordCase& c : cases) {
        EXPECT_STREQ(Name(MatchFindWord(c.word, c.field)), Name(c.expected))
            << "'" << c.word << "' in '" << c.field << "'";
    }
}

FindRow Session(int index, std::vector<std::string> fields) {
    return FindRow{FindRowKind::Session, index, std::move(fields)};
}

const std::vector<FindRow>& Rows() {
    static const std::vector<FindRow> rows = {
        Session(0, {"PRD", "100", "MUELLER", "VA01", "Sales Volume - Create"}),
        Session(1, {"QAS", "200", "SMITH", "SE38", "ABAP Editor"}),
        Session(2, {"DEV", "100", "SVEN", "SM50", "Process Overview"}),
        Session(3, {"PRD", "300", "ANNA", "MM03", "Display Material"}),
        Session(4, {"XPRD", "100", "KIM", "ZMAT", "Other"}),
    };
    return rows;
}

struct QueryCase {
    const char* query;
    std::vector<int> expected;
};

TEST(FindRanking, OrdersRowsByTheirWeakestWordAndKeepsTies) {
    const QueryCase cases[] = {
        {"", {0, 1, 2, 3, 4}},
        {"   ", {0, 1, 2, 3, 4}},
        {"prd", {0, 3, 4}},       // two starts in input order, then inside
        {"sv", {2, 0}},           // start of a user before initials of a title
        {"100 sm", {2, 0}},       // every word must meet; the gaps match ranks last
        {"  100   sm ", {2, 0}},  // runs of spaces split like one
        {"prd mat", {3, 4, 0}},   // start + inside and inside + inside tie; start + gaps is behind
        {"qas SE38", {1}},  // either case
        {"prd smith", {}},  // each word is found, but never both in one row
        {"zzz", {}},
    };
    for (const QueryCase& c : cases) {
        EXPECT_EQ(RankFindRows(c.query, Rows()), c.expected) << "'" << c.query << "'";
    }
}

// A full table's worth of ties, enough that a sort that is not stable would mix them.
TEST(FindRanking, TiesKeepTheirOrderInAFullTable) {
    std::vector<FindRow> rows;
    std::vector<int> starts;
    std::vector<int> insides;
    for (int i = 0; i < kTableCapacity; ++i) {
        rows.push_back(Session(i, {i % 3 == 0 ? "PRD" : "XPRD"}));
        (i % 3 == 0 ? starts : insides).push_back(i);
    }
    starts.insert(starts.end(), insides.begin(), insides.end());
    EXPECT_EQ(RankFindRows("prd", rows), starts);
}

TEST(FindRows, SessionRowsTakeEverySessionWithFullFieldsWhole) {
    SessionSnapshot table = ::test::SnapshotOf({::test::Record(1, "", "", "", "", "Sales Volume"), ::test::Record(2)});
    std::memcpy(table.sessions[1].system, "ABCD", 4);  // fills the field, no terminator
    std::strcpy(table.sessions[1].client, "100");

    std::vector<FindRow> rows = SessionFindRows(table);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1].index, 1);
    EXPECT_EQ(rows[1].fields, (std::vector<std::string>{"ABCD", "100", "", "", ""}));
    EXPECT_EQ(rows[0].fields[4], "Sales Volume");
}

TEST(FindRows, BoxRowsOnlyForBoxesWithAFilterAndFoundByTheirName) {
    BoxFilter filters[kBoxCount] = {};
    filters[0].cascade = 1;  // no text: not a filter
    std::strcpy(filters[1].user, "SMITH");
    std::strcpy(filters[4].system, "PRD");
    std::strcpy(filters[4].transaction, "VA01");

    std::vector<FindRow> rows = BoxFindRows(filters);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].kind, FindRowKind::Box);
    EXPECT_EQ(rows[0].index, 1);
    EXPECT_EQ(rows[1].fields, (std::vector<std::string>{"Box 5", "PRD", "", "", "VA01"}));
    EXPECT_EQ(RankFindRows("box 5", rows), (std::vector<int>{1}));
    EXPECT_EQ(RankFindRows("b2", rows), (std::vector<int>{0}));
}

TEST(TransactionCode, WordsOfTheFormOfACode) {
    const struct {
        const char* word;
        bool code;
    } cases[] = {
        {"SE16", true},  {"va01", true},  {"S_ALR_87012326", true}, {"/ABC/XYZ1", true},
        {"/n", false},   {"/nex", false}, {"/nend", false},         {"/oSE16", false},
        {"S", false},    {"16SE", false}, {"_SE", false},           {"SE-16", false},
        {"/ABC/", false}, {"//X", false}, {"/ABC/X/Y", false},      {"ABCDEFGHIJKLMNOPQRST", true},
        {"ABCDEFGHIJKLMNOPQRSTU", false}, {"/ABCDEFGHI/JKLMNOPQR", true}, {"\xC4" "BC", false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsTransactionCode(c.word), c.code) << c.word;
}

void AddSession(SessionSnapshot& table, const char* system, const char* client, const char* user, const char* tx) {
    table.sessions.push_back(::test::Record(static_cast<WindowHandle>(100 + table.Count()), system, client, user, tx));
    table.sessions.back().index = static_cast<std::int16_t>(table.Count() - 1);
}

// Each open or full row as its text, then the position of the session it goes to.
std::vector<std::string> OpenRowsFor(const char* query, const SessionSnapshot& table, int maxSessions) {
    std::vector<std::string> texts;
    for (const FindRow& row : OpenTransactionRows(query, table, maxSessions)) {
        texts.push_back(OpenRowText(row) + " @" + std::to_string(row.index));
    }
    return texts;
}

TEST(OpenRows, OneRowPerLogonWithoutTheTransactionAndNamedByTheOtherWords) {
    SessionSnapshot table;
    AddSession(table, "QAS", "300", "ANNA", "SMEN");
    AddSession(table, "PRD", "100", "ANNA", "VA01");
    AddSession(table, "qas", "300", "anna", "SE38");  // the same logon in other letters
    AddSession(table, "PRD", "200", "KIM", "SE16");
    AddSession(table, "", "", "", "");                // no answers yet: no logon
    const struct {
        const char* query;
        std::vector<std::string> rows;
    } cases[] = {
        {"se16", {"New session: SE16 on QAS 300 ANNA (2 of 6) @0", "New session: SE16 on PRD 100 ANNA (1 of 6) @1"}},
        {"qa an se16", {"New session: SE16 on QAS 300 ANNA (2 of 6) @0"}},
        {"prd /abc/xyz1",
         {"New session: /ABC/XYZ1 on PRD 100 ANNA (1 of 6) @1", "New session: /ABC/XYZ1 on PRD 200 KIM (1 of 6) @3"}},
        {"prd 200 se16", {}},       // that logon runs SE16 already
        {"nna se16", {}},           // the other words must start a field
        {"sales se16", {}},
        {"qas 300", {}},            // the last word is a client, not a code
        {"qas", {}},                // a code's form, but it names sessions
        {"prd an", {}},
        {"qas /nex", {}},
        {"", {}},
    };
    for (const auto& c : cases) EXPECT_EQ(OpenRowsFor(c.query, table, 6), c.rows) << c.query;
    EXPECT_EQ(OpenRowsFor("qas su01", table, 2), (std::vector<std::string>{"QAS 300 ANNA has 2 sessions @0"}));
    EXPECT_EQ(OpenRowsFor("qas su01", table, 3), (std::vector<std::string>{"New session: SU01 on QAS 300 ANNA (2 of 3) @0"}));
    EXPECT_EQ(OpenOkCode(OpenTransactionRows("qas se16", table, 6).at(0)), "/oSE16");
    FrontOrder front;  // the logon's other session was in front last: the OK code goes there
    front.Note(table.sessions[0].window);
    front.Note(table.sessions[2].window);
    front.Note(table.sessions[3].window);
    EXPECT_EQ(OpenTransactionRows("qas su01", table, 6, &front).at(0).index, 2);
}

// A guess at a new session comes after every row that meets what was typed in a real field.
TEST(OpenRows, ComeAfterEveryRowFoundAndReadySessionsLead) {
    const auto arrange = [](std::vector<int> order, bool readyTwo) {
        std::vector<FindRow> rows = {Session(0, {"A"}), Session(1, {"B"}), Session(2, {"C"}),
                                     FindRow{FindRowKind::Box, 0, {"Box 1"}}};
        rows[2].ready = readyTwo;
        PutReadyFirst(rows, order);
        PlaceOpenRows(rows, order, {FindRow{FindRowKind::Open, 0, {}}, FindRow{FindRowKind::Full, 1, {}}});
        return order;
    };
    EXPECT_EQ(arrange({1, 3, 2}, false), (std::vector<int>{1, 3, 2, 4, 5}));
    EXPECT_EQ(arrange({1, 3, 2}, true), (std::vector<int>{2, 1, 3, 4, 5}));
    EXPECT_EQ(arrange({3}, true), (std::vector<int>{3, 4, 5}));  // only a box ("box"): still first
    EXPECT_EQ(arrange({}, false), (std::vector<int>{4, 5}));
}

// Sessions by when they were last in front, the one in front now last, and typing keeps that
// order among equal ranks: Enter on the first row is "the previous session", both ways.
TEST(FindOrder, LastInFrontFirstTheOneInFrontLastBoxesAfter) {
    SessionSnapshot table;
    for (int i = 0; i < 5; ++i) table.sessions.push_back(::test::Record(static_cast<WindowHandle>(101 + i)));
    std::vector<FindRow> base = Rows();
    base.push_back(FindRow{FindRowKind::Box, 1, {"Box 2", "PRD", "", "", ""}});

    const auto order = [&](const FrontOrder& front, WindowHandle inFront, const char* query) {
        std::vector<FindRow> rows = base;
        OrderByLastFront(rows, table, front, inFront);
        std::vector<int> shown;
        for (int i : RankFindRows(query, rows)) shown.push_back(rows[i].kind == FindRowKind::Box ? -1 : rows[i].index);
        return shown;
    };
    FrontOrder front;
    EXPECT_EQ(order(front, kNoWindow, ""), (std::vector<int>{0, 1, 2, 3, 4, -1})) << "nothing noted: table order";
    front.Note(104);  // session 3
    front.Note(102);  // session 1, in front now
    const struct {
        WindowHandle inFront;
        const char* query;
        std::vector<int> expected;
    } cases[] = {
        {102, "", {3, 0, 2, 4, 1, -1}},  // the one before first, the unnoted, the one in front last
        {102, "prd", {3, 0, -1, 4}},     // equal starts keep that order; the inside match after
        {kNoWindow, "", {1, 3, 0, 2, 4, -1}},  // in front: another program's window
        {999, "100", {0, 2, 4}},
    };
    for (const auto& c : cases) EXPECT_EQ(order(front, c.inFront, c.query), c.expected) << "'" << c.query << "'";

    // Enter on the first row, then again: back and forth between two sessions.
    front.Note(104);
    EXPECT_EQ(order(front, 104, "").front(), 1);
    front.Note(102);
    EXPECT_EQ(order(front, 102, "").front(), 3);
    front.Note(kNoWindow);
    EXPECT_EQ(front.Recency(102), 0) << "none is never noted";
    for (WindowHandle w = 1000; w < 1000 + FrontOrder::kCapacity; ++w) front.Note(w);
    EXPECT_EQ(front.Recency(102), -1) << "the longest unseen goes first";
    EXPECT_EQ(front.Recency(1000), static_cast<int>(FrontOrder::kCapacity) - 1);
}

}  // namespace
}  // namespace quilvo
