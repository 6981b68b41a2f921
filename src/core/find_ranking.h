// The rows of the keyboard find window and their order for what the user has typed so far.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/boxes.h"
#include "core/front_order.h"
#include "core/session.h"

namespace quilvo {

enum class FindRowKind { Session, Box };

struct FindRow {
    FindRowKind kind;
    // A session row: its position in the session table. A box row: the box index 0..5, shown
    // to users as "Box 1".."Box 6".
    int index;
    // A session row: System, Client, User, Transaction, window title.
    // A box row: "Box N", then the filter's System, Client, User, Transaction.
    std::vector<std::string> fields;
};

// One row per live session, in table order.
std::vector<FindRow> SessionFindRows(const SessionTable& table);
// One row per box whose filter has any of its four texts set, in box order.
std::vector<FindRow> BoxFindRows(const BoxFilter (&filters)[kBoxCount]);

// The rows in the order their sessions were last in front, before any ranking: those noted in
// front, most recent first, then those never noted (in the order given), then the session in
// front now (inFront), last, so that Enter on the first row goes back to the session that
// was in front before and, done again, back to this one. Every other row (a box) keeps its
// place after the sessions. RankFindRows keeps this order among rows of equal rank.
void OrderByLastFront(std::vector<FindRow>& rows, const SessionTable& table, const FrontOrder& front,
                      WindowHandle inFront);

// How one typed word meets one field, worst first; the order is the rank.
enum class FindMatch {
    None,
    Gaps,      // the word's letters appear in the field in order, with others between
    Inside,    // the word appears somewhere inside the field
    Initials,  // the word's letters start consecutive parts: "sv" in "Sales Volume"
    Start,     // the field starts with the word
};

// The best way word meets field. A to Z match either case; other bytes only themselves.
// A field's parts are split at ' ', '-', '_', '/', '.' and where a lower-case letter is
// followed by an upper-case one. An empty word meets nothing.
FindMatch MatchFindWord(std::string_view word, std::string_view field);

// The positions in rows of the rows that the query finds, best first. The query's words
// (split at spaces) must each meet some field of a row; equal rows keep their order. A query
// without words finds every row, in order.
std::vector<int> RankFindRows(std::string_view query, const std::vector<FindRow>& rows);

}  // namespace quilvo
