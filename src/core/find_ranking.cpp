#include "core/find_ranking.h"

#include <algorithm>
#include <utility>

#include "base/text.h"

namespace quilvo {
namespace {

bool IsSeparator(char c) { return c == ' ' || c == '-' || c == '_' || c == '/' || c == '.'; }
bool IsLower(char c) { return c >= 'a' && c <= 'z'; }
bool IsUpper(char c) { return c >= 'A' && c <= 'Z'; }

bool SameLetter(char a, char b) {
    return FoldAsciiLetter(static_cast<unsigned char>(a)) == FoldAsciiLetter(static_cast<unsigned char>(b));
}

bool StartsPart(std::string_view field, std::size_t i) {
    if (IsSeparator(field[i])) return false;
    if (i == 0) return true;
    char before = field[i - 1];
    return IsSeparator(before) || (IsLower(before) && IsUpper(field[i]));
}

// The position where the part after the one at i starts, or the field's size.
std::size_t NextPartStart(std::string_view field, std::size_t i) {
    do ++i;
    while (i < field.size() && !StartsPart(field, i));
    return i;
}

bool HasWordAt(std::string_view word, std::string_view field, std::size_t at) {
    if (field.size() - at < word.size()) return false;
    for (std::size_t j = 0; j < word.size(); ++j) {
        if (!SameLetter(word[j], field[at + j])) return false;
    }
    return true;
}

bool HasWordInside(std::string_view word, std::string_view field) {
    for (std::size_t at = 0; at + word.size() <= field.size(); ++at) {
        if (HasWordAt(word, field, at)) return true;
    }
    return false;
}

// Every part may begin the run of initials, so each is tried in turn.
bool HasInitials(std::string_view word, std::string_view field) {
    for (std::size_t first = 0; first < field.size(); ++first) {
        if (!StartsPart(field, first)) continue;
        std::size_t j = 0;
        for (std::size_t at = first; j < word.size() && at < field.size(); at = NextPartStart(field, at)) {
            if (!SameLetter(word[j], field[at])) break;
            ++j;
        }
        if (j == word.size()) return true;
    }
    return false;
}

bool HasLettersInOrder(std::string_view word, std::string_view field) {
    std::size_t j = 0;
    for (std::size_t at = 0; at < field.size() && j < word.size(); ++at) {
        if (SameLetter(word[j], field[at])) ++j;
    }
    return j == word.size();
}

std::vector<std::string_view> SplitWords(std::string_view query) {
    std::vector<std::string_view> words;
    std::size_t at = 0;
    while (at < query.size()) {
        std::size_t end = query.find(' ', at);
        if (end == std::string_view::npos) end = query.size();
        if (end > at) words.push_back(query.substr(at, end - at));
        at = end + 1;
    }
    return words;
}

// A row is as good as its weakest word: the worst of each word's best match over the fields.
// A sum would let two words that start fields carry a third that meets only by scattered
// letters, which is most often chance; with the worst, a row whose every word is solid comes
// first. A row without words to meet is found, as well as any.
FindMatch MatchRow(const std::vector<std::string_view>& words, const FindRow& row) {
    FindMatch worst = FindMatch::Start;
    for (std::string_view word : words) {
        FindMatch best = FindMatch::None;
        for (const std::string& field : row.fields) {
            best = std::max(best, MatchFindWord(word, field));
            if (best == FindMatch::Start) break;
        }
        if (best == FindMatch::None) return FindMatch::None;
        worst = std::min(worst, best);
    }
    return worst;
}

constexpr std::size_t kLongestCode = 20;

bool IsCodeLetter(char c) { return IsUpper(c) || IsLower(c); }
bool IsCodeCharacter(char c) { return IsCodeLetter(c) || (c >= '0' && c <= '9') || c == '_'; }

bool AllCodeCharacters(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), IsCodeCharacter);
}

std::string UpperCase(std::string_view text) {
    std::string upper(text);
    for (char& c : upper) {
        if (IsLower(c)) c = static_cast<char>(c - 'a' + 'A');
    }
    return upper;
}

bool StartsLogonField(std::string_view word, const SessionRecord& r) {
    const std::string logon[] = {FieldText(r.system), FieldText(r.client), FieldText(r.user)};
    return std::any_of(std::begin(logon), std::end(logon),
                       [&](const std::string& field) { return MatchFindWord(word, field) == FindMatch::Start; });
}

// The other words of an open query each start the System, Client or User of the logon.
bool WordsNameLogon(const std::vector<std::string_view>& words, const SessionRecord& r) {
    return std::all_of(words.begin(), words.end() - 1, [&](std::string_view word) { return StartsLogonField(word, r); });
}

// Without copies: a keystroke compares every pair of fifty sessions' logons.
template <std::size_t N>
bool SameField(const char (&a)[N], const char (&b)[N]) {
    for (std::size_t i = 0; i < N; ++i) {
        if (!SameLetter(a[i], b[i])) return false;
        if (a[i] == '\0') return true;
    }
    return true;
}

bool SameLogon(const SessionRecord& a, const SessionRecord& b) {
    return SameField(a.system, b.system) && SameField(a.client, b.client) && SameField(a.user, b.user);
}

// The logon of the session at first: its row, or none when one of its sessions runs code. The
// row goes to the logon's session last in front, or without a note of that to the first (the
// sessions are in the desktop's stacking order).
bool LogonRow(const SessionSnapshot& snapshot, const SessionRecord* first, const std::string& code, int maxSessions,
              const FrontOrder* front, FindRow& row) {
    int sessions = 0;
    const SessionRecord* target = first;
    int targetRecency = -1;
    const SessionRecord* end = snapshot.sessions.data() + snapshot.sessions.size();
    for (const SessionRecord* r = first; r != end; ++r) {
        if (!SameLogon(*r, *first)) continue;
        if (EqualsNoCase(FieldText(r->transaction).c_str(), code.c_str())) return false;
        ++sessions;
        const int recency = front != nullptr ? front->Recency(r->window) : -1;
        if (recency >= 0 && (targetRecency < 0 || recency < targetRecency)) {
            target = r;
            targetRecency = recency;
        }
    }
    row = FindRow{sessions >= maxSessions ? FindRowKind::Full : FindRowKind::Open,
                  static_cast<int>(target - snapshot.sessions.data()),
                  {FieldText(first->system), FieldText(first->client), FieldText(first->user), code,
                   std::to_string(sessions), std::to_string(maxSessions)}};
    return true;
}

}  // namespace

bool IsTransactionCode(std::string_view word) {
    if (word.size() < 2 || word.size() > kLongestCode) return false;
    if (word[0] != '/') return IsCodeLetter(word[0]) && AllCodeCharacters(word);
    const std::size_t close = word.find('/', 1);
    if (close == std::string_view::npos) return false;
    return AllCodeCharacters(word.substr(1, close - 1)) && AllCodeCharacters(word.substr(close + 1));
}

std::vector<FindRow> OpenTransactionRows(std::string_view query, const SessionSnapshot& snapshot, int maxSessions,
                                         const FrontOrder* front) {
    std::vector<FindRow> rows;
    const std::vector<std::string_view> words = SplitWords(query);
    if (words.empty() || !IsTransactionCode(words.back())) return rows;
    const std::vector<SessionRecord>& sessions = snapshot.sessions;
    // "qas" or "anna" is most likely typed to find a logon's sessions, not to open such a code.
    if (std::any_of(sessions.begin(), sessions.end(), [&](const SessionRecord& r) { return StartsLogonField(words.back(), r); })) {
        return rows;
    }
    const std::string code = UpperCase(words.back());
    for (auto r = sessions.begin(); r != sessions.end(); ++r) {
        // A logon is met at its first session.
        const bool seen = std::any_of(sessions.begin(), r, [&](const SessionRecord& o) { return SameLogon(o, *r); });
        if (seen || r->system[0] == '\0' || !WordsNameLogon(words, *r)) continue;
        FindRow row;
        if (LogonRow(snapshot, &*r, code, maxSessions, front, row)) rows.push_back(std::move(row));
    }
    return rows;
}

void PlaceOpenRows(std::vector<FindRow>& rows, std::vector<int>& order, std::vector<FindRow> openRows) {
    for (FindRow& row : openRows) {
        order.push_back(static_cast<int>(rows.size()));
        rows.push_back(std::move(row));
    }
}

void PutReadyFirst(const std::vector<FindRow>& rows, std::vector<int>& order) {
    std::stable_partition(order.begin(), order.end(), [&](int i) { return rows[static_cast<std::size_t>(i)].ready; });
}

std::string OpenRowText(const FindRow& row) {
    if (row.fields.size() < 5) return std::string();
    const std::string logon = row.fields[0] + " " + row.fields[1] + " " + row.fields[2];
    if (row.kind == FindRowKind::Full) return logon + " has " + row.fields[4] + " sessions";
    // The room the logon has left: its sessions of the most it may have.
    const std::string room = row.fields.size() > 5 ? " (" + row.fields[4] + " of " + row.fields[5] + ")" : std::string();
    return "New session: " + row.fields[3] + " on " + logon + room;
}

std::string OpenOkCode(const FindRow& row) { return row.fields.size() < 4 ? std::string() : "/o" + row.fields[3]; }

std::vector<FindRow> SessionFindRows(const SessionSnapshot& snapshot) {
    std::vector<FindRow> rows;
    for (const SessionRecord& r : snapshot.sessions) {
        rows.push_back(FindRow{FindRowKind::Session, r.index,
                               {FieldText(r.system), FieldText(r.client), FieldText(r.user), FieldText(r.transaction),
                                FieldText(r.title)},
                               r.ready != 0, r.production != 0});
    }
    return rows;
}

std::vector<FindRow> BoxFindRows(const BoxFilter (&filters)[kBoxCount]) {
    std::vector<FindRow> rows;
    for (int box = 0; box < kBoxCount; ++box) {
        const BoxFilter& f = filters[box];
        std::vector<std::string> fields = {"Box " + std::to_string(box + 1), FieldText(f.system),
                                           FieldText(f.client), FieldText(f.user), FieldText(f.transaction)};
        bool hasFilter = std::any_of(fields.begin() + 1, fields.end(),
                                     [](const std::string& text) { return !text.empty(); });
        if (hasFilter) rows.push_back(FindRow{FindRowKind::Box, box, std::move(fields)});
    }
    return rows;
}

void OrderByLastFront(std::vector<FindRow>& rows, const SessionSnapshot& snapshot, const FrontOrder& front,
                      WindowHandle inFront) {
    // Noted ones by recency, then the unnoted, then the one in front, then the boxes.
    constexpr long kUnnoted = FrontOrder::kCapacity;
    constexpr long kInFront = kUnnoted + 1;
    constexpr long kNoSession = kInFront + 1;
    const auto place = [&](const FindRow& row) -> long {
        if (row.kind != FindRowKind::Session || row.index < 0 || row.index >= snapshot.Count()) return kNoSession;
        const WindowHandle window = snapshot.sessions[static_cast<std::size_t>(row.index)].window;
        if (window == inFront && window != kNoWindow) return kInFront;
        const int recency = front.Recency(window);
        return recency < 0 ? kUnnoted : recency;
    };
    std::stable_sort(rows.begin(), rows.end(), [&](const FindRow& a, const FindRow& b) { return place(a) < place(b); });
}

FindMatch MatchFindWord(std::string_view word, std::string_view field) {
    // Every kind of match has the word's letters in order, so the one cheap pass over the
    // field settles most fields that do not match at all.
    if (word.empty() || !HasLettersInOrder(word, field)) return FindMatch::None;
    if (HasWordAt(word, field, 0)) return FindMatch::Start;
    if (HasInitials(word, field)) return FindMatch::Initials;
    if (HasWordInside(word, field)) return FindMatch::Inside;
    return FindMatch::Gaps;
}

std::vector<int> RankFindRows(std::string_view query, const std::vector<FindRow>& rows) {
    std::vector<std::string_view> words = SplitWords(query);
    std::vector<std::pair<FindMatch, int>> found;
    found.reserve(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        FindMatch m = MatchRow(words, rows[i]);
        if (m != FindMatch::None) found.emplace_back(m, static_cast<int>(i));
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    std::vector<int> order;
    order.reserve(found.size());
    for (const auto& f : found) order.push_back(f.second);
    return order;
}

}  // namespace quilvo
