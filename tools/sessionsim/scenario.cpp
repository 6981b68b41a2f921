#include "scenario.h"

#include <cctype>
#include <cstdlib>
#include <set>

namespace sessionsim {

namespace {

const char* const kFieldKeys[kFieldCount] = {"client", "group", "user", "system", "tx"};

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Reads a "quoted" text starting at text[pos] == '"'; pos ends after the closing quote.
bool ReadQuoted(const std::string& text, std::size_t& pos, std::string& out, std::string& error) {
    ++pos;
    while (pos < text.size()) {
        char c = text[pos++];
        if (c == '"') return true;
        if (c == '\\' && pos < text.size() && (text[pos] == '"' || text[pos] == '\\')) c = text[pos++];
        out += c;
    }
    error = "unterminated quoted text";
    return false;
}

// Reads one value at text[pos]; pos ends after it (at a blank or the end).
bool ReadValue(const std::string& text, std::size_t& pos, std::string& out, std::string& error) {
    out.clear();
    if (pos < text.size() && text[pos] == '*') {
        std::size_t digits = pos + 1;
        while (digits < text.size() && std::isdigit(static_cast<unsigned char>(text[digits]))) ++digits;
        if (digits > pos + 1 && digits < text.size() && text[digits] == ':') {
            const long count = std::strtol(text.c_str() + pos + 1, nullptr, 10);
            pos = digits + 1;
            std::string unit;
            if (!ReadValue(text, pos, unit, error)) return false;
            if (unit.empty()) {
                error = "*N: needs a text to repeat";
                return false;
            }
            if (count < 0 || static_cast<std::size_t>(count) > kMaxText) {
                error = "*N: repeats to at most 255 characters";
                return false;
            }
            while (out.size() < static_cast<std::size_t>(count)) out += unit;
            out.resize(static_cast<std::size_t>(count));
            return true;
        }
    }
    if (pos < text.size() && text[pos] == '"') {
        if (!ReadQuoted(text, pos, out, error)) return false;
        if (pos < text.size() && !IsSpace(text[pos])) {
            error = "text after closing quote";
            return false;
        }
        return true;
    }
    while (pos < text.size() && !IsSpace(text[pos])) out += text[pos++];
    return true;
}

bool ParseInt(const std::string& text, int& out) {
    if (text.empty()) return false;
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (*end != '\0' || value < -100000 || value > 100000) return false;
    out = static_cast<int>(value);
    return true;
}

bool ParseCount(const Option& option, int& out, std::string& error) {
    if (!ParseInt(option.value, out) || out < 0) {
        error = option.key + " needs a count of 0 or more";
        return false;
    }
    return true;
}

}  // namespace

bool ParseSentMessage(const std::string& text, SentMessage& out) {
    unsigned long long* parts[] = {&out.window, &out.message, &out.wParam, &out.lParam};
    const char* p = text.c_str();
    for (int i = 0; i < 4; ++i) {
        char* end = nullptr;
        *parts[i] = std::strtoull(p, &end, 0);
        if (end == p || *end != (i < 3 ? ',' : '\0')) return false;
        p = end + 1;
    }
    return true;
}

int FieldForCode(long long code) {
    switch (code) {
    case 4: return kClient;
    case 11: return kGroup;
    case 15: return kUser;
    case 10: return kSystem;
    case 5: return kTx;
    default: return -1;
    }
}

const char* FieldKey(int field) {
    return field >= 0 && field < kFieldCount ? kFieldKeys[field] : "";
}

int FieldFromKey(const std::string& key) {
    for (int i = 0; i < kFieldCount; ++i) {
        if (key == kFieldKeys[i]) return i;
    }
    return -1;
}

bool Tokenize(const std::string& text, std::vector<Option>& out, std::string& error) {
    out.clear();
    std::size_t pos = 0;
    for (;;) {
        while (pos < text.size() && IsSpace(text[pos])) ++pos;
        if (pos >= text.size()) return true;
        Option option;
        while (pos < text.size() && !IsSpace(text[pos]) && text[pos] != '=') option.key += text[pos++];
        if (pos < text.size() && text[pos] == '=') {
            ++pos;
            option.hasValue = true;
            if (!ReadValue(text, pos, option.value, error)) {
                error = option.key + ": " + error;
                return false;
            }
        }
        if (option.key.empty()) {
            error = "value without a key";
            return false;
        }
        out.push_back(option);
    }
}

bool ParseValue(const std::string& text, std::string& out, std::string& error) {
    std::size_t begin = 0;
    while (begin < text.size() && IsSpace(text[begin])) ++begin;
    std::size_t end = text.size();
    while (end > begin && IsSpace(text[end - 1])) --end;
    const std::string trimmed = text.substr(begin, end - begin);
    if (trimmed.empty() || (trimmed[0] != '"' && trimmed[0] != '*')) {
        out = trimmed;  // a plain text is taken as it stands, blanks included
    } else {
        std::size_t pos = 0;
        if (!ReadValue(trimmed, pos, out, error)) return false;
        if (pos != trimmed.size()) {
            error = "text after the value";
            return false;
        }
    }
    if (out.size() > kMaxText) {
        error = "text longer than 255 characters";
        return false;
    }
    return true;
}

bool ParseFieldList(const std::string& list, unsigned& mask, std::string& error) {
    mask = 0;
    if (list == "none") return true;
    std::size_t pos = 0;
    while (pos <= list.size()) {
        std::size_t comma = list.find(',', pos);
        if (comma == std::string::npos) comma = list.size();
        const std::string key = list.substr(pos, comma - pos);
        if (!key.empty()) {
            const int field = FieldFromKey(key);
            if (field < 0) {
                error = "unknown field '" + key + "' (client, group, user, system, tx)";
                return false;
            }
            mask |= 1u << field;
        }
        pos = comma + 1;
    }
    return true;
}

bool ApplyOption(WindowDesc& desc, const Option& option, bool runtimeOnly, std::string& error) {
    const std::string& key = option.key;
    if (!option.hasValue) {
        if (runtimeOnly) {
            error = "'" + key + "' cannot be changed here";
            return false;
        }
        if (key == "max") desc.maximized = true;
        else if (key == "min") desc.minimized = true;
        else if (key == "hidden") desc.hidden = true;
        else if (key == "front") desc.front = true;
        else {
            error = "unknown flag '" + key + "'";
            return false;
        }
        return true;
    }
    if (option.value.size() > kMaxText) {
        error = key + ": text longer than 255 characters";
        return false;
    }
    const int field = FieldFromKey(key);
    if (field >= 0) {
        if (desc.frame) {
            error = "a frame has no " + key;
            return false;
        }
        desc.fields[field] = option.value;
        return true;
    }
    if (key == "noanswer") return ParseFieldList(option.value, desc.noAnswer, error);
    if (key == "die-after-queries") return ParseCount(option, desc.dieAfterQueries, error);
    if (key == "destroy-after-queries") return ParseCount(option, desc.destroyAfterQueries, error);
    if (key == "hang-after-queries") return ParseCount(option, desc.hangAfterQueries, error);
    if (key == "sleep-on-move") return ParseCount(option, desc.sleepOnMoveMs, error);
    if (key == "delete-atoms") return ParseCount(option, desc.deleteAtoms, error);
    if (key == "okcode-delay") return ParseCount(option, desc.okCodeDelayMs, error);
    if (key == "max-sessions") return ParseCount(option, desc.maxSessions, error);
    if (key == "send-on-query" || key == "send-on-move") {
        SentMessage parsed;
        if (!option.value.empty() && !ParseSentMessage(option.value, parsed)) {
            error = key + " needs HWND,MSG,WPARAM,LPARAM";
            return false;
        }
        (key == "send-on-query" ? desc.sendOnQuery : desc.sendOnMove) = option.value;
        return true;
    }
    if (runtimeOnly) {
        error = "'" + key + "' cannot be changed here";
        return false;
    }
    if (key == "caption") {
        desc.caption = option.value;
        desc.captionGiven = true;
        return true;
    }
    if (key == "class" || key == "thread") {
        if (option.value.empty()) {
            error = key + " needs a name";
            return false;
        }
        (key == "class" ? desc.className : desc.thread) = option.value;
        return true;
    }
    if (key == "parent") {
        desc.parent = option.value;
        return true;
    }
    int* coordinate = key == "x" ? &desc.x : key == "y" ? &desc.y : key == "w" ? &desc.w : key == "h" ? &desc.h : nullptr;
    if (coordinate) {
        if (!ParseInt(option.value, *coordinate)) {
            error = key + " needs a whole number";
            return false;
        }
        return true;
    }
    error = "unknown option '" + key + "'";
    return false;
}

bool ParseWindowLine(const std::string& line, WindowDesc& out, std::string& error) {
    std::vector<Option> options;
    if (!Tokenize(line, options, error)) return false;
    if (options.size() < 2 || options[0].hasValue || options[1].hasValue ||
        (options[0].key != "session" && options[0].key != "frame")) {
        error = "expected 'session NAME ...' or 'frame NAME ...'";
        return false;
    }
    out = WindowDesc{};
    out.frame = options[0].key == "frame";
    out.name = options[1].key;
    for (std::size_t i = 2; i < options.size(); ++i) {
        if (!ApplyOption(out, options[i], false, error)) return false;
    }
    if (!out.parent.empty() && !out.thread.empty()) {
        error = "a child lives on its parent's thread: parent and thread exclude each other";
        return false;
    }
    if (out.frame && (!out.parent.empty() || !out.className.empty() || out.noAnswer ||
                      out.dieAfterQueries || out.destroyAfterQueries || out.hangAfterQueries)) {
        error = "a frame takes only caption, position, size and max/min/hidden";
        return false;
    }
    if (out.maximized && out.minimized) {
        error = "max and min exclude each other";
        return false;
    }
    if (out.w < 0 || out.h < 0) {
        error = "w and h cannot be negative";
        return false;
    }
    if (!out.captionGiven) out.caption = out.name;
    return true;
}

bool ParseScenario(const std::string& text, std::vector<WindowDesc>& out, std::string& error) {
    out.clear();
    std::set<std::string> names;
    std::size_t pos = 0;
    int lineNumber = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        ++lineNumber;
        std::size_t first = line.find_first_not_of(" \t\r");
        if (first == std::string::npos || line[first] == '#') continue;
        WindowDesc desc;
        if (!ParseWindowLine(line, desc, error)) {
            error = "line " + std::to_string(lineNumber) + ": " + error;
            return false;
        }
        if (!desc.parent.empty() && names.count(desc.parent) == 0) {
            error = "line " + std::to_string(lineNumber) + ": parent '" + desc.parent + "' is not defined above";
            return false;
        }
        if (!names.insert(desc.name).second) {
            error = "line " + std::to_string(lineNumber) + ": name '" + desc.name + "' used twice";
            return false;
        }
        out.push_back(desc);
    }
    return true;
}

bool OpenCodeOf(const std::string& okCode, std::string& code) {
    if (okCode.size() < 3 || okCode[0] != '/' || (okCode[1] != 'o' && okCode[1] != 'O')) return false;
    code = okCode.substr(2);
    return true;
}

}  // namespace sessionsim
