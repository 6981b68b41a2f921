// How many SAP_GET_FRONT queries the simulator's sessions received, by query code: the text of
// the control command `queries` and its reading in the client (sim_client.h).
// Plain C++ (no <windows.h>), header-only, so the client and the native tests take it as it is.
#pragma once

#include <cstdlib>
#include <string>

namespace sessionsim {

struct QueryCounts {
    // The codes counted one by one, in the order of the text; every other code counts as other.
    static constexpr int kCodeCount = 5;
    static constexpr long long kCodes[kCodeCount] = {4, 11, 15, 10, 5};

    unsigned long long byCode[kCodeCount] = {};
    unsigned long long other = 0;

    void Add(long long code) {
        const int i = IndexOf(code);
        ++(i < 0 ? other : byCode[i]);
    }
    // The count of one code; for a code not counted on its own, that of every other code.
    unsigned long long Of(long long code) const {
        const int i = IndexOf(code);
        return i < 0 ? other : byCode[i];
    }
    unsigned long long Total() const {
        unsigned long long total = other;
        for (unsigned long long n : byCode) total += n;
        return total;
    }
    QueryCounts& operator+=(const QueryCounts& more) {
        for (int i = 0; i < kCodeCount; ++i) byCode[i] += more.byCode[i];
        other += more.other;
        return *this;
    }

    // "total=N c4=N c11=N c15=N c10=N c5=N other=N".
    std::string Text() const {
        std::string text = "total=" + std::to_string(Total());
        for (int i = 0; i < kCodeCount; ++i) text += " c" + std::to_string(kCodes[i]) + "=" + std::to_string(byCode[i]);
        return text + " other=" + std::to_string(other);
    }

    // Reads Text()'s form back; false (out unchanged) for any other text, a total that is not
    // the sum included.
    static bool Read(const std::string& text, QueryCounts& out) {
        QueryCounts read;
        unsigned long long total = 0;
        std::size_t pos = 0;
        bool ok = Number(text, pos, "total=", total);
        for (int i = 0; ok && i < kCodeCount; ++i)
            ok = Number(text, pos, " c" + std::to_string(kCodes[i]) + "=", read.byCode[i]);
        ok = ok && Number(text, pos, " other=", read.other) && pos == text.size() && total == read.Total();
        if (ok) out = read;
        return ok;
    }

private:
    static int IndexOf(long long code) {
        for (int i = 0; i < kCodeCount; ++i) {
            if (kCodes[i] == code) return i;
        }
        return -1;
    }
    // Reads "<key><digits>" at text[pos]; pos ends after the digits.
    static bool Number(const std::string& text, std::size_t& pos, const std::string& key, unsigned long long& out) {
        if (text.compare(pos, key.size(), key) != 0) return false;
        pos += key.size();
        const std::size_t digits = text.find_first_not_of("0123456789", pos);
        const std::size_t end = digits == std::string::npos ? text.size() : digits;
        if (end == pos || end - pos > 19) return false;
        out = std::strtoull(text.c_str() + pos, nullptr, 10);
        pos = end;
        return true;
    }
};

}  // namespace sessionsim
