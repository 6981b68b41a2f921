// The administrator's policy: which value of the two hives is in force, what is ignored, how
// it takes the place of the settings file, and that the shipped templates write exactly the
// values the reader takes.
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "fake_profile.h"
#include "settings/policy.h"
#include "settings/profile.h"
#include "settings/settings.h"

namespace quilvo {
namespace {

using Type = PolicyValueType;

PolicyRawValue Dword(std::uint32_t v) { return PolicyRawValue{true, Type::kDword, v, {}}; }
PolicyRawValue Sz(const char* text) { return PolicyRawValue{true, Type::kText, 0, text}; }
PolicyRawValue Of(Type type) { return PolicyRawValue{true, type, 0, {}}; }

class FakeHive final : public PolicyHive {
public:
    std::map<std::string, PolicyRawValue> values;
    PolicyRawValue Value(const char* name) const override {
        auto it = values.find(name);
        return it != values.end() ? it->second : PolicyRawValue{};
    }
};

// The value in force under a name, as text; "-" when none.
std::string InForce(const PolicyValues& values, const std::string& name) {
    for (const PolicyDefinition& d : KnownPolicies()) {
        if (name != d.name) continue;
        if (d.kind == PolicyKind::kText) return (values.*d.text) ? *(values.*d.text) : "-";
        return (values.*d.number) ? std::to_string(*(values.*d.number)) : "-";
    }
    return "unknown";
}

TEST(PolicyRead, MachineBeatsUserAndWhatIsWrongIsIgnored) {
    const PolicyRawValue none;
    const struct {
        const char* name;
        PolicyRawValue machine, user;
        const char* inForce;
        const char* debug;  // the one line written, or none
    } cases[] = {
        {"MaxSessions", none, none, "-", nullptr},
        {"MaxSessions", none, Dword(8), "8", nullptr},
        {"MaxSessions", Dword(4), Dword(8), "4", nullptr},
        {"MaxSessions", Dword(17), Dword(8), "8", "Policy MaxSessions ignored: out of range"},
        {"MaxSessions", Dword(0), none, "-", "Policy MaxSessions ignored: out of range"},
        {"MaxSessions", Sz("4"), none, "-", "Policy MaxSessions ignored: wrong type"},
        {"MaxSessions", none, Of(Type::kOther), "-", "Policy MaxSessions ignored: wrong type"},
        {"ReadyAfter", Dword(0), none, "0", nullptr},
        {"ReadyAfter", none, Dword(86400), "86400", nullptr},
        {"ReadyAfter", Dword(86401), none, "-", "Policy ReadyAfter ignored: out of range"},
        {"StartWithWindows", Dword(2), Dword(0), "0", "Policy StartWithWindows ignored: out of range"},
        {"OpenSessions", Dword(0), Dword(1), "0", nullptr},
        {"Reopen", none, Dword(1), "1", nullptr},
        {"Production", Sz("PRD,QAS/300"), Dword(1), "PRD,QAS/300", nullptr},
        {"Production", Dword(1), Sz("PRD"), "PRD", "Policy Production ignored: wrong type"},
        {"Production", Of(Type::kTooLong), none, "-", "Policy Production ignored: too long"},
        {"FindHotkey", none, Sz(""), "", nullptr},
        {"BoxHotkeys", Sz("Win+Alt"), Sz("Ctrl+Alt"), "Win+Alt", nullptr},
    };
    for (const auto& c : cases) {
        FakeHive machine, user;
        if (c.machine.present) machine.values[c.name] = c.machine;
        if (c.user.present) user.values[c.name] = c.user;
        const PolicyRead read = ReadPolicy(machine, user);
        const std::string label = std::string(c.name) + " in force " + c.inForce;
        EXPECT_EQ(InForce(read.values, c.name), c.inForce) << label;
        EXPECT_EQ(read.debugLines, c.debug ? std::vector<std::string>{c.debug} : std::vector<std::string>{}) << label;
        EXPECT_EQ(read.names, *c.inForce == '-' ? std::vector<std::string>{} : std::vector<std::string>{c.name})
            << label;
    }
}

TEST(PolicyRead, AboutLineNamesWhatIsInForceInTheTemplatesOrder) {
    FakeHive machine, user;
    machine.values["Production"] = Sz("PRD");
    user.values["MaxSessions"] = Dword(3);
    user.values["ReadyAfter"] = Dword(999999);
    const PolicyRead read = ReadPolicy(machine, user);
    EXPECT_EQ(PolicyAboutLine(read.names), "Set by your administrator: MaxSessions, Production");
    EXPECT_EQ(PolicyAboutLine({}), "");
}

// The settings reads: the policy where it is set, the ini elsewhere; nothing is written.
TEST(PolicyOverIni, EachReadTakesThePolicyWhereItIsSet) {
    PolicyValues all;
    all.maxSessions = 2;
    all.readyAfter = 0;
    all.reopen = 1;
    all.production = "QAS/300";
    all.findHotkey = "Win+F";
    all.boxHotkeys = "none";
    PolicyValues closed;
    closed.openSessions = 0;
    closed.reopen = 1;
    const struct {
        const char* what;
        PolicyValues policy;
        int maxSessions, readyAfter;
        bool reopen, newSessions, productionByPolicy;
        const char* production;
        const char* findText;
        const char* boxText;
    } cases[] = {
        {"none", {}, 9, 45, false, true, false, "PRD", "Ctrl+Q", "Ctrl+Alt"},
        {"all", all, 2, 0, true, true, true, "QAS/300", "Win+F", "none"},
        {"no new sessions", closed, 9, 45, false, false, false, "PRD", "Ctrl+Q", "Ctrl+Alt"},
    };
    for (const auto& c : cases) {
        fake::Profile().Reset();
        for (const auto& [key, value] : std::map<const char*, const char*>{
                 {kKeyMaxSessions, "9"}, {kKeyReadyAfter, "45"}, {kKeyReopen, "0"}, {kKeyProduction, "PRD"},
                 {kKeyFindHotkey, "Ctrl+Q"}, {kKeyBoxHotkeys, "Ctrl+Alt"}}) {
            fake::Profile().AddRaw(kSettingsFile, kAppSection, key, value);
        }
        UsePolicy(c.policy);
        EXPECT_EQ(ReadMaxSessions(), c.maxSessions) << c.what;
        EXPECT_EQ(ReadReadyAfter(), c.readyAfter) << c.what;
        EXPECT_EQ(ReadReopen(), c.reopen) << c.what;
        EXPECT_EQ(NewSessionsOffered(), c.newSessions) << c.what;
        EXPECT_EQ(ProductionByPolicy(), c.productionByPolicy) << c.what;
        EXPECT_EQ(ReadProduction().Text(), c.production) << c.what;
        EXPECT_EQ(IniCycleSettings().LoadProduction().Text(), c.production) << c.what;
        const HotkeySettings hotkeys = ReadHotkeySettings();
        EXPECT_STREQ(hotkeys.findText, c.findText) << c.what;
        EXPECT_STREQ(hotkeys.boxText, c.boxText) << c.what;
        EXPECT_EQ(fake::Profile().writes, 0) << c.what;
    }
    UsePolicy({});
}

// The templates an administrator installs, read as the policy editor reads them.
std::string ReadTemplate(const char* relative) {
    std::ifstream file(std::string(QUILVO_SOURCE_DIR) + "/dist/policies/" + relative);
    std::stringstream text;
    text << file.rdbuf();
    EXPECT_FALSE(text.str().empty()) << relative;
    return text.str();
}

std::map<std::string, std::string> Attributes(const std::string& tag) {
    std::map<std::string, std::string> attributes;
    static const std::regex attribute(R"re((\w+)="([^"]*)")re");
    for (std::sregex_iterator it(tag.begin(), tag.end(), attribute), end; it != end; ++it) {
        attributes[(*it)[1]] = (*it)[2];
    }
    return attributes;
}

// Every match of pattern's first group in text.
std::set<std::string> All(const std::string& text, const char* pattern) {
    std::set<std::string> found;
    const std::regex re(pattern);
    for (std::sregex_iterator it(text.begin(), text.end(), re), end; it != end; ++it) found.insert((*it)[1]);
    return found;
}

TEST(PolicyTemplates, EveryPolicyWritesAValueTheReaderTakesAndEveryValueHasOne) {
    const std::string admx = ReadTemplate("Quilvo.admx");
    const std::string adml = ReadTemplate("en-US/Quilvo.adml");
    std::set<std::string> written;
    static const std::regex policy(R"re(<policy ([^>]*)>([\s\S]*?)</policy>)re");
    static const std::regex element(R"re(<(decimal|text) ([^>]*valueName[^>]*)/>)re");
    for (std::sregex_iterator it(admx.begin(), admx.end(), policy), end; it != end; ++it) {
        auto head = Attributes((*it)[1]);
        const std::string body = (*it)[2];
        EXPECT_EQ(head["class"], "Both") << head["name"];
        EXPECT_EQ(head["key"], kPolicyKey) << head["name"];
        EXPECT_NE(body.find(R"(<parentCategory ref="Quilvo" />)"), std::string::npos) << head["name"];
        // What the policy writes: a DWORD of 0 or 1, a number in a range, or a text.
        std::string name = head["valueName"], kind = "decimal", lowest = "0", highest = "1";
        std::smatch e;
        if (std::regex_search(body, e, element)) {
            auto a = Attributes(e[2]);
            name = a["valueName"], kind = e[1], lowest = a["minValue"], highest = a["maxValue"];
            EXPECT_EQ(a["id"], name);
        } else {
            EXPECT_NE(body.find(R"(<enabledValue><decimal value="1" /></enabledValue>)"), std::string::npos) << name;
            EXPECT_NE(body.find(R"(<disabledValue><decimal value="0" /></disabledValue>)"), std::string::npos) << name;
        }
        written.insert(name);
        const PolicyDefinition* known = nullptr;
        for (const PolicyDefinition& d : KnownPolicies()) known = name == d.name ? &d : known;
        ASSERT_NE(known, nullptr) << name << " is not read by the program";
        EXPECT_EQ(kind, known->kind == PolicyKind::kText ? "text" : "decimal") << name;
        if (known->kind == PolicyKind::kNumber) {
            EXPECT_EQ(lowest + ".." + highest, std::to_string(known->lowest) + ".." + std::to_string(known->highest))
                << name;
        }
    }
    std::set<std::string> read;
    for (const PolicyDefinition& d : KnownPolicies()) read.insert(d.name);
    EXPECT_EQ(written, read);
    // The editor refuses a template whose texts or presentations are missing.
    const std::set<std::string> strings = All(adml, R"re(<string id="(\w+)")re");
    for (const std::string& s : All(admx, R"re(\$\(string\.(\w+)\))re")) EXPECT_EQ(strings.count(s), 1u) << s;
    const std::set<std::string> shown = All(adml, R"re(<presentation id="(\w+)")re");
    EXPECT_EQ(All(admx, R"re(\$\(presentation\.(\w+)\))re"), shown);
    EXPECT_EQ(All(adml, R"re(refId="(\w+)")re"), shown);
}

}  // namespace
}  // namespace quilvo
