#include "core/find_ranking.h"

#include <algorithm>
#include <utility>

#include "base/text.h"

namespace quilvo {
namespace {

// A record's text field may fill its array without a terminator.
template <std::size_t N>
std::string FieldText(const char (&field)[N]) {
    return std::string(field, BoundedLength(field, N));
}

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

}  // namespace

std::vector<FindRow> SessionFindRows(const SessionTable& table) {
    std::vector<FindRow> rows;
    for (const SessionRecord* r = LiveBegin(table); r != LiveEnd(table); ++r) {
        rows.push_back(FindRow{FindRowKind::Session, static_cast<int>(r - LiveBegin(table)),
                               {FieldText(r->system), FieldText(r->client), FieldText(r->user),
                                FieldText(r->transaction), FieldText(r->title)}});
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

void OrderByLastFront(std::vector<FindRow>& rows, const SessionTable& table, const FrontOrder& front,
                      WindowHandle inFront) {
    // Noted ones by recency, then the unnoted, then the one in front, then the boxes.
    constexpr long kUnnoted = FrontOrder::kCapacity;
    constexpr long kInFront = kUnnoted + 1;
    constexpr long kNoSession = kInFront + 1;
    const auto place = [&](const FindRow& row) -> long {
        if (row.kind != FindRowKind::Session || row.index < 0 || row.index >= table.count) return kNoSession;
        const WindowHandle window = table.records[row.index].window;
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
