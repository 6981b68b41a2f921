// The rows of the keyboard find window and their order for what the user has typed so far.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/boxes.h"
#include "core/front_order.h"
#include "core/session.h"
#include "core/snapshot.h"

namespace quilvo {

// Open: a new session of a logon for the typed transaction code. Full: the logon has as many
// sessions as it may open, and the row says so.
enum class FindRowKind { Session, Box, Open, Full };

struct FindRow {
    FindRowKind kind;
    // A session row: its position in the snapshot the rows were made from. A box row: the box index 0..5, shown
    // to users as "Box 1".."Box 6".
    int index;
    // A session row: System, Client, User, Transaction, window title.
    // A box row: "Box N", then the filter's System, Client, User, Transaction.
    // An open or full row: the logon's System, Client, User, the transaction code (upper
    // case), its number of sessions and the number it may have.
    std::vector<std::string> fields;
    bool ready = false;  // a session row whose session became ready while the user looked elsewhere
    bool production = false;  // a session row of a production system
};

// One row per session, in the snapshot's order.
std::vector<FindRow> SessionFindRows(const SessionSnapshot& snapshot);
// One row per box whose filter has any of its four texts set, in box order.
std::vector<FindRow> BoxFindRows(const BoxFilter (&filters)[kBoxCount]);

// The rows in the order their sessions were last in front, before any ranking: those noted in
// front, most recent first, then those never noted (in the order given), then the session in
// front now (inFront), last, so that Enter on the first row goes back to the session that
// was in front before and, done again, back to this one. Every other row (a box) keeps its
// place after the sessions. RankFindRows keeps this order among rows of equal rank.
void OrderByLastFront(std::vector<FindRow>& rows, const SessionSnapshot& snapshot, const FrontOrder& front,
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

// True for a word of the form of a transaction code: 2 to 20 letters, digits or underscores
// that start with a letter ("SE16", "va01"), or a namespace form "/ABC/XYZ1" (a namespace of
// letters, digits or underscores between two slashes, then such a code; 20 characters in all).
// "/n", "/nex", "/nend" and every other command are none.
bool IsTransactionCode(std::string_view word);

// The rows that open the query's last word as a transaction in a new session: when that word
// is a transaction code and every other word starts the System, Client or User of a logon
// (System, Client, User alike without regard to case), one row per such logon that has no
// session running that transaction, in the order of each logon's first session.
// A logon with maxSessions sessions or more gets a Full row instead. A last word that starts
// the System, Client or User of any session is taken as naming sessions: no rows. The row's
// index is the position of the session the OK code goes to: the logon's session last in front
// by `front`, or its first session when none of them was noted there.
std::vector<FindRow> OpenTransactionRows(std::string_view query, const SessionSnapshot& snapshot, int maxSessions,
                                         const FrontOrder* front = nullptr);

// Appends openRows to rows and their positions to order, after everything found: a row that
// meets what was typed in a real field (a session, a box) comes before a guess at a new session.
void PlaceOpenRows(std::vector<FindRow>& rows, std::vector<int>& order, std::vector<FindRow> openRows);

// Moves the rows marked ready to the front of order, each group keeping its order.
void PutReadyFirst(const std::vector<FindRow>& rows, std::vector<int>& order);

// "New session: SE16 on QAS 300 ANNA (2 of 6)" for an Open row, "QAS 300 ANNA has 6 sessions"
// for a Full row.
std::string OpenRowText(const FindRow& row);
// The OK code an Open row sends: "/o" and the transaction code.
std::string OpenOkCode(const FindRow& row);

}  // namespace quilvo
