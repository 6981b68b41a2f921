#include "settings/policy.h"

namespace quilvo {

namespace {

constexpr std::uint32_t kMaxReadyAfter = 86400;  // a day, as READY_AFTER allows

PolicyDefinition Number(const char* name, std::uint32_t lowest, std::uint32_t highest,
                        std::optional<int> PolicyValues::*field) {
    return PolicyDefinition{name, PolicyKind::kNumber, lowest, highest, field, nullptr};
}

PolicyDefinition Text(const char* name, std::optional<std::string> PolicyValues::*field) {
    return PolicyDefinition{name, PolicyKind::kText, 0, 0, nullptr, field};
}

// Why a value cannot be taken; null when it can.
const char* Refusal(const PolicyDefinition& d, const PolicyRawValue& v) {
    if (v.type == PolicyValueType::kTooLong) return "too long";
    if (d.kind == PolicyKind::kText) return v.type == PolicyValueType::kText ? nullptr : "wrong type";
    if (v.type != PolicyValueType::kDword) return "wrong type";
    return v.dword < d.lowest || v.dword > d.highest ? "out of range" : nullptr;
}

void Take(const PolicyDefinition& d, const PolicyRawValue& v, PolicyValues& values) {
    if (d.kind == PolicyKind::kText) {
        values.*d.text = v.text;
    } else {
        values.*d.number = static_cast<int>(v.dword);
    }
}

}  // namespace

const std::vector<PolicyDefinition>& KnownPolicies() {
    static const std::vector<PolicyDefinition> policies = {
        Number("StartWithWindows", 0, 1, &PolicyValues::startWithWindows),
        Number("MaxSessions", 1, 16, &PolicyValues::maxSessions),
        Number("ReadyAfter", 0, kMaxReadyAfter, &PolicyValues::readyAfter),
        Number("OpenSessions", 0, 1, &PolicyValues::openSessions),
        Number("Reopen", 0, 1, &PolicyValues::reopen),
        Text("Production", &PolicyValues::production),
        Text("FindHotkey", &PolicyValues::findHotkey),
        Text("BoxHotkeys", &PolicyValues::boxHotkeys),
    };
    return policies;
}

PolicyRead ReadPolicy(const PolicyHive& machine, const PolicyHive& user) {
    PolicyRead read;
    for (const PolicyDefinition& d : KnownPolicies()) {
        for (const PolicyHive* hive : {&machine, &user}) {
            const PolicyRawValue v = hive->Value(d.name);
            if (!v.present) continue;
            if (const char* why = Refusal(d, v)) {
                read.debugLines.push_back(std::string("Policy ") + d.name + " ignored: " + why);
                continue;
            }
            Take(d, v, read.values);
            read.names.push_back(d.name);
            break;
        }
    }
    return read;
}

std::string PolicyAboutLine(const std::vector<std::string>& names) {
    if (names.empty()) return std::string();
    std::string line = "Set by your administrator: ";
    for (std::size_t i = 0; i < names.size(); ++i) line += (i == 0 ? "" : ", ") + names[i];
    return line;
}

}  // namespace quilvo
