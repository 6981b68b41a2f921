// An in-memory stand-in for the platform's private-profile functions, following the rules
// measured on Wine: sections and keys found without regard to case (the first of duplicates
// wins), values trimmed and stripped of one pair of enclosing quotes on read, a missing key
// gives the default (trailing blanks removed), an empty value reads as empty but makes the
// integer read return its default, integers parse like RtlUnicodeStringToInteger with base 0
// on at most 29 characters (leading blanks, sign, 0x/0o/0b prefixes, stop at the first
// non-digit, wrap modulo 2^32). A locked file reads as missing and refuses writes.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace quilvo::fake {

class FakeProfile {
public:
    void Reset();  // no files, nothing locked, counters 0

    // As if edited by hand: appends a section or key (a duplicate key is added, not replaced).
    void AddRaw(const std::string& file, const std::string& section, const std::string& key,
                const std::string& value);
    bool FileExists(const std::string& file) const;
    // The first value under section/key as stored; false when there is none.
    bool Stored(const std::string& file, const std::string& section, const std::string& key,
                std::string* value) const;

    void SetLocked(bool locked) { locked_ = locked; }

    int reads = 0;
    int writes = 0;  // attempted writes, failed ones included

    // The seam's operations, with the platform's rules.
    unsigned ReadString(const char* section, const char* key, const char* defaultValue, char* buffer,
                        unsigned size, const char* file);
    unsigned ReadInt(const char* section, const char* key, int defaultValue, const char* file);
    bool WriteString(const char* section, const char* key, const char* value, const char* file);

private:
    struct Section {
        std::string name;
        std::vector<std::pair<std::string, std::string>> keys;
    };
    struct File {
        std::string name;
        std::vector<Section> sections;
    };
    File* FindFile(const std::string& name);
    const File* FindFile(const std::string& name) const;

    std::vector<File> files_;
    bool locked_ = false;
};

FakeProfile& Profile();

}  // namespace quilvo::fake
