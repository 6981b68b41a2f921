// Group Policy: what a company's administrator sets under Software\Policies\Quilvo, in the
// machine's hive (HKLM) or the user's (HKCU). A value of the machine beats the user's, and a
// value in force beats the settings file, which is never rewritten because of it. This part
// is pure: it takes the raw values of both hives and says what is in force; the registry is
// read by LoadPolicy (Windows only).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quilvo {

constexpr const char* kPolicyKey = "Software\\Policies\\Quilvo";

// A value as the registry holds it: a DWORD, a text (REG_SZ), or anything else.
enum class PolicyValueType { kDword, kText, kTooLong, kOther };

struct PolicyRawValue {
    bool present = false;
    PolicyValueType type = PolicyValueType::kOther;
    std::uint32_t dword = 0;
    std::string text;
};

// One hive's key: the value under a name (not present when the key or the value is missing).
class PolicyHive {
public:
    virtual PolicyRawValue Value(const char* name) const = 0;

protected:
    ~PolicyHive() = default;
};

// The values in force; empty where no valid policy is set (the settings file decides).
struct PolicyValues {
    std::optional<int> startWithWindows;  // 0: forced off, 1: forced on
    std::optional<int> maxSessions;       // 1 to 16, as MAX_SESSIONS
    std::optional<int> readyAfter;        // seconds, 0 to 86400, as READY_AFTER
    std::optional<int> openSessions;      // 0: no new sessions are offered, nothing is reopened
    std::optional<int> reopen;            // 0/1, as REOPEN
    std::optional<std::string> production;  // as PRODUCTION
    std::optional<std::string> findHotkey;  // as FIND_HOTKEY
    std::optional<std::string> boxHotkeys;  // as BOX_HOTKEYS
};

enum class PolicyKind { kNumber, kText };

// A policy the program knows: its value name, the type it must have and, for numbers, the
// range it must lie in; where its value goes.
struct PolicyDefinition {
    const char* name;
    PolicyKind kind;
    std::uint32_t lowest;
    std::uint32_t highest;
    std::optional<int> PolicyValues::*number;
    std::optional<std::string> PolicyValues::*text;
};

const std::vector<PolicyDefinition>& KnownPolicies();

struct PolicyRead {
    PolicyValues values;
    // The names of the policies in force, in the order of KnownPolicies.
    std::vector<std::string> names;
    // "Policy MaxSessions ignored: out of range", one per value of a hive that was ignored.
    std::vector<std::string> debugLines;
};

// Each known value from the machine when it holds a valid one, else from the user. A value
// of the wrong type or out of range is ignored (a debug line), as if it were not there.
PolicyRead ReadPolicy(const PolicyHive& machine, const PolicyHive& user);

// "Set by your administrator: MaxSessions, Production"; empty when no policy is in force.
std::string PolicyAboutLine(const std::vector<std::string>& names);

#if defined(_WIN32)
// Windows only (win32_policy.cpp): reads the key in both hives (another path for tests),
// writes the debug lines and puts the result in force for the settings (UsePolicy).
PolicyRead LoadPolicy(const char* path = kPolicyKey);
#endif

}  // namespace quilvo
