#include "core/kept_sessions_file.h"

#include <algorithm>
#include <vector>

#include "base/text.h"
#include "core/find_ranking.h"

namespace quilvo {
namespace {

constexpr std::string_view kHeader = "Quilvo sessions ";

std::string RectText(const NormalRect& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

std::string LogonLine(const KeptLogonName& name) {
    return "logon system=" + FieldText(name.system) + " client=" + FieldText(name.client) +
           " user=" + FieldText(name.user) + "\n";
}

std::string SessionLine(const KeptSession& s) {
    return "session code=" + FieldText(s.transaction) + " box=" + std::to_string(s.box) + " normal=" + RectText(s.normal) +
           " maximized=" + (s.maximized ? "1" : "0") + " monitor=" + RectText(s.monitor) + "\n";
}

std::vector<std::string_view> Words(std::string_view line) {
    std::vector<std::string_view> words;
    for (std::size_t at = 0;;) {
        const std::size_t blank = line.find(' ', at);
        words.push_back(line.substr(at, blank == std::string_view::npos ? std::string_view::npos : blank - at));
        if (blank == std::string_view::npos) return words;
        at = blank + 1;
    }
}

// The value of a word "name=value"; false for a word of another name.
bool Named(std::string_view word, std::string_view name, std::string_view& value) {
    if (word.size() <= name.size() || word.substr(0, name.size()) != name || word[name.size()] != '=') return false;
    value = word.substr(name.size() + 1);
    return true;
}

// A decimal number, "-" before it when negative, of at most six digits: no sum overflows.
bool ReadNumber(std::string_view text, int lowest, int highest, int& out) {
    const bool negative = !text.empty() && text[0] == '-';
    if (negative) text.remove_prefix(1);
    if (text.empty() || text.size() > 6) return false;
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    out = negative ? -value : value;
    return out >= lowest && out <= highest;
}

bool ReadRect(std::string_view text, NormalRect& out) {
    std::int32_t* edges[] = {&out.left, &out.top, &out.right, &out.bottom};
    for (std::size_t i = 0; i < 4; ++i) {
        const std::size_t comma = i < 3 ? text.find(',') : text.size();
        int edge = 0;
        if (comma == std::string_view::npos || !ReadNumber(text.substr(0, comma), -kKeptCoordinateLimit, kKeptCoordinateLimit, edge)) {
            return false;
        }
        *edges[i] = edge;
        text.remove_prefix(i < 3 ? comma + 1 : comma);
    }
    return true;
}

template <std::size_t N>
bool ReadWord(std::string_view word, std::string_view name, char (&field)[N]) {
    std::string_view value;
    if (!Named(word, name, value) || value.size() >= N) return false;
    CopyCut(field, std::string(value).c_str());
    return true;
}

const char* ReadLogon(const std::vector<std::string_view>& words, std::vector<KeptLogon>& logons) {
    KeptLogon logon = {};
    if (words.size() != 4 || !ReadWord(words[1], "system", logon.name.system) ||
        !ReadWord(words[2], "client", logon.name.client) || !ReadWord(words[3], "user", logon.name.user) ||
        !IsKeptLogon(logon.name)) {
        return "bad logon";
    }
    if (logons.size() >= static_cast<std::size_t>(kMaxKeptLogons)) return "too many logons";
    if (std::any_of(logons.begin(), logons.end(), [&](const KeptLogon& l) { return SameKeptLogon(l.name, logon.name); })) {
        return "logon twice";
    }
    logons.push_back(logon);
    return nullptr;
}

const char* ReadSession(const std::vector<std::string_view>& words, std::vector<KeptLogon>& logons) {
    if (logons.empty()) return "session before any logon";
    if (logons.back().sessions.size() >= static_cast<std::size_t>(kMaxKeptSessions)) return "too many sessions";
    if (words.size() != 6) return "bad session";
    KeptSession s = {};
    std::string_view value;
    int maximized = 0;
    if (!ReadWord(words[1], "code", s.transaction) || !IsTransactionCode(s.transaction)) return "bad code";
    if (!Named(words[2], "box", value) || !ReadNumber(value, -1, kBoxCount - 1, s.box)) return "bad box";
    if (!Named(words[3], "normal", value) || !ReadRect(value, s.normal) || !IsKeptRect(s.normal)) return "bad rectangle";
    if (!Named(words[4], "maximized", value) || !ReadNumber(value, 0, 1, maximized)) return "bad maximized";
    if (!Named(words[5], "monitor", value) || !ReadRect(value, s.monitor)) return "bad monitor";
    const NormalRect& m = s.monitor;
    const bool unknown = m.left == 0 && m.top == 0 && m.right == 0 && m.bottom == 0;
    if (!unknown && !IsKeptRect(m)) return "bad monitor";
    s.maximized = maximized != 0;
    logons.back().sessions.push_back(s);
    return nullptr;
}

const char* ReadEnd(const std::vector<std::string_view>& words, const std::vector<KeptLogon>& logons) {
    std::size_t sessions = 0;
    for (const KeptLogon& l : logons) sessions += l.sessions.size();
    std::string_view value;
    int logonCount = 0, sessionCount = 0;
    if (words.size() != 3 || !Named(words[1], "logons", value) || !ReadNumber(value, 0, kMaxKeptLogons, logonCount) ||
        !Named(words[2], "sessions", value) || !ReadNumber(value, 0, kMaxKeptLogons * kMaxKeptSessions, sessionCount)) {
        return "bad end";
    }
    if (static_cast<std::size_t>(logonCount) != logons.size() || static_cast<std::size_t>(sessionCount) != sessions) {
        return "counts do not match";
    }
    return nullptr;
}

const char* ReadHeader(std::string_view line) {
    if (line.substr(0, kHeader.size()) != kHeader) return "not a sessions file";
    if (line.substr(kHeader.size()) != std::to_string(kKeptSessionsVersion)) return "another version";
    return nullptr;
}

// Bytes below the blank (a line end apart) and DEL never belong in the file.
bool HasControlCharacter(std::string_view line) {
    return std::any_of(line.begin(), line.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < ' ' || byte == 0x7F;
    });
}

const char* ReadLine(std::string_view line, int number, std::vector<KeptLogon>& logons, bool& ended) {
    if (line.size() > kKeptSessionsMaxLine) return "line too long";
    if (HasControlCharacter(line)) return "control character";
    if (ended) return "text after the end";
    if (number == 1) return ReadHeader(line);
    const std::vector<std::string_view> words = Words(line);
    if (words[0] == "logon") return ReadLogon(words, logons);
    if (words[0] == "session") return ReadSession(words, logons);
    if (words[0] != "end") return "unknown line";
    ended = true;
    return ReadEnd(words, logons);
}

// An empty text when the logons were read, else what was wrong.
std::string ReadLogons(std::string_view text, std::vector<KeptLogon>& logons) {
    if (text.size() > kKeptSessionsMaxBytes) return "too long";
    bool ended = false;
    int number = 0;
    while (!text.empty()) {
        ++number;
        const std::size_t end = text.find('\n');
        // A line without its end was cut short; the end line counts the rest.
        if (end == std::string_view::npos) return "line " + std::to_string(number) + ": cut short";
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        const char* problem = ReadLine(line, number, logons, ended);
        if (problem != nullptr) return "line " + std::to_string(number) + ": " + problem;
    }
    return ended ? std::string() : std::string("no end line");
}

}  // namespace

std::string KeptSessionsText(const KeptSessions& kept) {
    std::string text = std::string(kHeader) + std::to_string(kKeptSessionsVersion) + "\n";
    std::size_t sessions = 0;
    for (const KeptLogon& l : kept.Logons()) {
        text += LogonLine(l.name);
        for (const KeptSession& s : l.sessions) text += SessionLine(s);
        sessions += l.sessions.size();
    }
    return text + "end logons=" + std::to_string(kept.Logons().size()) + " sessions=" + std::to_string(sessions) + "\n";
}

bool ReadKeptSessions(std::string_view text, KeptSessions& out, std::string& why) {
    out = KeptSessions();
    std::vector<KeptLogon> logons;
    why = ReadLogons(text, logons);
    if (!why.empty()) return false;
    out.Restore(std::move(logons));
    return true;
}

}  // namespace quilvo
