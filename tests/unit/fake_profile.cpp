#include "fake_profile.h"

#include <cstdint>
#include <cstring>

#include "settings/profile.h"

namespace quilvo {
namespace fake {
namespace {

bool SameNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' ' && c != '\0'; }

std::string Trim(const std::string& s) {
    std::size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b])) ++b;
    while (e > b && IsBlank(s[e - 1])) --e;
    return s.substr(b, e - b);
}

unsigned CopyOut(const std::string& text, char* buffer, unsigned size) {
    if (buffer == nullptr || size == 0) return 0;
    unsigned n = static_cast<unsigned>(text.size()) < size - 1 ? static_cast<unsigned>(text.size()) : size - 1;
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
    return n;
}

int DigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'z') return c - 'a' + 10;
    if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
    return 99;
}

std::uint32_t ParseLikeRtl(const char* p) {
    while (IsBlank(*p)) ++p;
    bool negative = false;
    if (*p == '+') {
        ++p;
    } else if (*p == '-') {
        negative = true;
        ++p;
    }
    std::uint32_t base = 10;
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'o' || p[1] == 'b')) {
        base = p[1] == 'x' ? 16 : (p[1] == 'o' ? 8 : 2);
        p += 2;
    }
    std::uint32_t value = 0;
    for (; *p != '\0'; ++p) {
        int d = DigitValue(*p);
        if (d < 0 || static_cast<std::uint32_t>(d) >= base) break;
        value = value * base + static_cast<std::uint32_t>(d);
    }
    return negative ? 0u - value : value;
}

}  // namespace

FakeProfile& Profile() {
    static FakeProfile profile;
    return profile;
}

void FakeProfile::Reset() {
    files_.clear();
    locked_ = false;
    reads = 0;
    writes = 0;
}

FakeProfile::File* FakeProfile::FindFile(const std::string& name) {
    for (File& f : files_)
        if (SameNoCase(f.name, name)) return &f;
    return nullptr;
}

const FakeProfile::File* FakeProfile::FindFile(const std::string& name) const {
    for (const File& f : files_)
        if (SameNoCase(f.name, name)) return &f;
    return nullptr;
}

bool FakeProfile::FileExists(const std::string& file) const { return FindFile(file) != nullptr; }

void FakeProfile::AddRaw(const std::string& file, const std::string& section, const std::string& key,
                         const std::string& value) {
    File* f = FindFile(file);
    if (f == nullptr) {
        files_.push_back(File{file, {}});
        f = &files_.back();
    }
    Section* s = nullptr;
    for (Section& candidate : f->sections)
        if (SameNoCase(candidate.name, section)) {
            s = &candidate;
            break;
        }
    if (s == nullptr) {
        f->sections.push_back(Section{section, {}});
        s = &f->sections.back();
    }
    s->keys.emplace_back(key, value);
}

bool FakeProfile::Stored(const std::string& file, const std::string& section, const std::string& key,
                         std::string* value) const {
    const File* f = FindFile(file);
    if (f == nullptr) return false;
    for (const Section& s : f->sections) {
        if (!SameNoCase(s.name, section)) continue;
        for (const auto& kv : s.keys)
            if (SameNoCase(kv.first, key)) {
                if (value != nullptr) *value = kv.second;
                return true;
            }
        return false;  // only the first section of that name is searched
    }
    return false;
}

unsigned FakeProfile::ReadString(const char* section, const char* key, const char* defaultValue,
                                 char* buffer, unsigned size, const char* file) {
    ++reads;
    std::string value;
    if (!locked_ && Stored(file, section, key, &value)) {
        value = Trim(value);
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        return CopyOut(value, buffer, size);
    }
    std::string fallback = defaultValue != nullptr ? defaultValue : "";
    while (!fallback.empty() && fallback.back() == ' ') fallback.pop_back();
    return CopyOut(fallback, buffer, size);
}

unsigned FakeProfile::ReadInt(const char* section, const char* key, int defaultValue, const char* file) {
    char text[30];
    if (ReadString(section, key, "", text, sizeof text, file) == 0) return static_cast<unsigned>(defaultValue);
    return ParseLikeRtl(text);
}

bool FakeProfile::WriteString(const char* section, const char* key, const char* value, const char* file) {
    ++writes;
    if (locked_) return false;
    File* f = FindFile(file);
    if (f != nullptr) {
        for (Section& s : f->sections) {
            if (!SameNoCase(s.name, section)) continue;
            for (auto& kv : s.keys)
                if (SameNoCase(kv.first, key)) {
                    kv.second = Trim(value);
                    return true;
                }
            s.keys.emplace_back(key, Trim(value));
            return true;
        }
    }
    AddRaw(file, section, key, Trim(value));
    return true;
}

}  // namespace fake

std::uint32_t ProfileReadInt(const char* section, const char* key, int defaultValue, const char* file) {
    return fake::Profile().ReadInt(section, key, defaultValue, file);
}

std::uint32_t ProfileReadString(const char* section, const char* key, const char* defaultValue,
                                char* buffer, std::uint32_t size, const char* file) {
    return fake::Profile().ReadString(section, key, defaultValue, buffer, size, file);
}

bool ProfileWriteString(const char* section, const char* key, const char* value, const char* file) {
    return fake::Profile().WriteString(section, key, value, file);
}

}  // namespace quilvo
