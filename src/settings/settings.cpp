#include "settings/settings.h"

#include <cstdio>
#include <cstring>

#include "settings/profile.h"

namespace quilvo {
namespace {

// Every number written fits a buffer of 8 characters.
constexpr std::size_t kNumberBufferSize = 8;

// Copies length bytes of src into dst, cut to capacity including the terminator; the rest of
// dst is zero-filled.
void CopyPart(char* dst, std::size_t capacity, const char* src, std::size_t length) {
    if (dst == nullptr || capacity == 0) return;
    std::size_t n = length < capacity - 1 ? length : capacity - 1;
    std::memmove(dst, src, n);
    std::memset(dst + n, 0, capacity - n);
}

}  // namespace

void FormatBoxSection(int box, char (&section)[kBoxSectionCapacity]) {
    std::snprintf(section, sizeof section, "Box%d", static_cast<int>(static_cast<std::int16_t>(box)));
}

int ReadBoxSelection(char* buffer, int size, int box) {
    if (buffer == nullptr || size <= 0) return 0;
    char section[kBoxSectionCapacity];
    FormatBoxSection(box, section);
    return static_cast<int>(ProfileReadString(section, kKeySelection, "", buffer,
                                              static_cast<std::uint32_t>(size), kSettingsFile));
}

bool WriteBoxSelection(const char* text, int box) {
    char section[kBoxSectionCapacity];
    FormatBoxSection(box, section);
    return ProfileWriteString(section, kKeySelection, text != nullptr ? text : "", kSettingsFile);
}

bool WriteBoxInt(int box, const char* key, int value) {
    char section[kBoxSectionCapacity];
    FormatBoxSection(box, section);
    return WriteProfileInt(section, key, value);
}

int ReadBoxInt(int box, const char* key, int defaultValue) {
    char section[kBoxSectionCapacity];
    FormatBoxSection(box, section);
    return static_cast<int>(ProfileReadInt(section, key, defaultValue, kSettingsFile));
}

ViewSection ReadViewSection(const char* section) {
    const ViewSection defaults;
    const auto read = [section](const char* key, int defaultValue) {
        return static_cast<int>(ProfileReadInt(section, key, defaultValue, kSettingsFile));
    };
    ViewSection v;
    v.zoomFactor = read(kKeyZoomFactor, defaults.zoomFactor);
    v.visible = read(kKeyVisible, defaults.visible);
    v.x = read(kKeyWindowX, defaults.x);
    v.y = read(kKeyWindowY, defaults.y);
    v.width = read(kKeyWidth, defaults.width);
    v.height = read(kKeyHeight, defaults.height);
    v.labels = read(kKeyLabels, defaults.labels);
    return v;
}

void WriteViewSection(const char* section, bool visible, int zoomFactor, const ViewPlace* place) {
    WriteProfileInt(section, kKeyVisible, visible ? 1 : 0);
    WriteProfileInt(section, kKeyZoomFactor, zoomFactor);
    if (place == nullptr) return;
    WriteProfileInt(section, kKeyWindowX, place->x);
    WriteProfileInt(section, kKeyWindowY, place->y);
    WriteProfileInt(section, kKeyWidth, place->width);
    WriteProfileInt(section, kKeyHeight, place->height);
}

int ReadAppInt(const char* key) {
    return static_cast<int>(ProfileReadInt(kAppSection, key, 0, kSettingsFile));
}

int ReadAppString(const char* key, char* buffer, int size, const char* defaultValue) {
    if (buffer == nullptr || size <= 0) return 0;
    return static_cast<int>(ProfileReadString(kAppSection, key, defaultValue, buffer,
                                              static_cast<std::uint32_t>(size), kSettingsFile));
}

bool WriteProfileInt(const char* section, const char* key, int value) {
    char text[kNumberBufferSize];
    std::snprintf(text, sizeof text, "%d", value);
    return ProfileWriteString(section, key, text, kSettingsFile);
}

int NumberFromSetting(const char* text, int defaultValue, int lowest, int highest) {
    if (text == nullptr || *text == '\0') return defaultValue;
    long long value = 0;
    for (const char* c = text; *c != '\0'; ++c) {
        if (*c < '0' || *c > '9') return defaultValue;
        value = value * 10 + (*c - '0');
        if (value > highest) return defaultValue;
    }
    return value < lowest ? defaultValue : static_cast<int>(value);
}

int ReadAppNumber(const char* key, int defaultValue, int lowest, int highest) {
    char text[kNumberBufferSize + 4] = {};
    ReadAppString(key, text, sizeof text, "");
    return NumberFromSetting(text, defaultValue, lowest, highest);
}

namespace {

// The one place the policy is kept between its reads (at start, and when it changes).
PolicyValues& KeptPolicy() {
    static PolicyValues policy;
    return policy;
}

// Copies a text into a fixed buffer, cut as a read of the settings file would cut it.
template <std::size_t N>
void CopyCut(char (&buffer)[N], const std::string& text) {
    CopyPart(buffer, N, text.data(), text.size());
}

}  // namespace

void UsePolicy(const PolicyValues& policy) { KeptPolicy() = policy; }

const PolicyValues& PolicyInForce() { return KeptPolicy(); }

int ReadMaxSessions() {
    if (PolicyInForce().maxSessions) return *PolicyInForce().maxSessions;
    return ReadAppNumber(kKeyMaxSessions, 6, 1, 16);
}

int ReadReadyAfter() {
    if (PolicyInForce().readyAfter) return *PolicyInForce().readyAfter;
    return ReadAppNumber(kKeyReadyAfter, 20, 0, 86400);
}

bool ReadReopen() {
    if (!NewSessionsOffered()) return false;
    if (PolicyInForce().reopen) return *PolicyInForce().reopen != 0;
    return ReadAppNumber(kKeyReopen, 1, 0, 1) != 0;
}

bool NewSessionsOffered() { return PolicyInForce().openSessions.value_or(1) != 0; }

bool ProductionByPolicy() { return PolicyInForce().production.has_value(); }

ProductionSystems ReadProduction() {
    if (ProductionByPolicy()) return ProductionSystems::Parse(*PolicyInForce().production);
    // Room for some two hundred Systems; a longer value is cut, as every value read is.
    char text[1024] = {};
    ReadAppString(kKeyProduction, text, sizeof text, "");
    return ProductionSystems::Parse(text);
}

bool WriteProduction(const ProductionSystems& production) {
    return ProfileWriteString(kAppSection, kKeyProduction, production.Text().c_str(), kSettingsFile);
}

StoredPosition ReadMainWindowPosition() {
    return StoredPosition{PositionFromSetting(ReadAppInt(kKeyWindowX)),
                          PositionFromSetting(ReadAppInt(kKeyWindowY))};
}

void WriteMainWindowPosition(int x, int y) {
    // A failed write is ignored: the position is simply not remembered.
    WriteProfileInt(kAppSection, kKeyWindowX, x);
    WriteProfileInt(kAppSection, kKeyWindowY, y);
}

int PositionFromSetting(int stored) { return stored < 0 ? 0 : stored; }

int SizeFromSetting(int stored, int defaultSize) { return stored <= 0 ? defaultSize : stored; }

std::uint8_t OpacityFromSetting(int stored) {
    if (stored == 0) return 255;
    return static_cast<std::uint8_t>(static_cast<unsigned>(stored) & 0xFFu);
}

bool FlagOnFromSetting(int stored) { return stored > 0; }

void SplitSelection(const char* text, const SelectionFields& fields) {
    if (text == nullptr) text = "";
    struct Target {
        char* field;
        std::size_t capacity;
    };
    const Target leading[] = {
        {fields.system, fields.systemCapacity},
        {fields.client, fields.clientCapacity},
        {fields.user, fields.userCapacity},
    };
    const char* rest = text;
    for (const Target& t : leading) {
        const char* sign = std::strchr(rest, '$');
        if (sign == nullptr) continue;  // this field keeps what it held; the rest goes on whole
        CopyPart(t.field, t.capacity, rest, static_cast<std::size_t>(sign - rest));
        rest = sign + 1;
    }
    CopyPart(fields.transaction, fields.transactionCapacity, rest, std::strlen(rest));
}

int ComposeSelection(char* buffer, std::size_t size, const char* system, const char* client,
                     const char* user, const char* transaction) {
    if (buffer == nullptr || size == 0) return 0;
    int n = std::snprintf(buffer, size, "%s$%s$%s$%s", system != nullptr ? system : "",
                          client != nullptr ? client : "", user != nullptr ? user : "",
                          transaction != nullptr ? transaction : "");
    if (n < 0) {
        buffer[0] = '\0';
        return 0;
    }
    return static_cast<std::size_t>(n) < size ? n : static_cast<int>(size - 1);
}

bool LoadBoxFilter(int box, BoxFilter& filter) {
    filter.cascade = FlagOnFromSetting(ReadBoxInt(box, kKeyCascade, 0)) ? 1 : 0;

    char selection[kSelectionBufferSize] = {};
    if (ReadBoxSelection(selection, sizeof selection, box) == 0 || selection[0] == '\0') return false;

    SplitSelection(selection, SelectionFields{filter.system, sizeof filter.system, filter.client,
                                              sizeof filter.client, filter.user, sizeof filter.user,
                                              filter.transaction, sizeof filter.transaction});
    return true;
}

IdleSettings ReadIdleSettings() {
    IdleSettings idle;
    int idleTimer = ReadAppInt(kKeyIdleTimer);
    // Kept as read: a negative IDLE_TIMER becomes a threshold the counter never passes.
    idle.idleTime = static_cast<std::uint32_t>(idleTimer);
    if (idleTimer != 0) ReadAppString(kKeyIdleAction, idle.idleAction, sizeof idle.idleAction);
    return idle;
}

HotkeySettings ReadHotkeySettings() {
    HotkeySettings hotkeys;
    const PolicyValues& policy = PolicyInForce();
    if (policy.findHotkey) {
        CopyCut(hotkeys.findText, *policy.findHotkey);
    } else {
        ReadAppString(kKeyFindHotkey, hotkeys.findText, sizeof hotkeys.findText, kDefaultFindHotkey);
    }
    if (policy.boxHotkeys) {
        CopyCut(hotkeys.boxText, *policy.boxHotkeys);
    } else {
        ReadAppString(kKeyBoxHotkeys, hotkeys.boxText, sizeof hotkeys.boxText, kDefaultBoxHotkeys);
    }
    hotkeys.find = ParseHotkey(hotkeys.findText);
    hotkeys.boxes = ParseModifiers(hotkeys.boxText);
    return hotkeys;
}

CycleSettings& IniCycleSettings() {
    class IniSettings final : public CycleSettings {
    public:
        bool LoadBoxFilter(int box, BoxFilter& filter) override { return quilvo::LoadBoxFilter(box, filter); }
        ProductionSystems LoadProduction() override { return ReadProduction(); }
    };
    static IniSettings settings;
    return settings;
}

}  // namespace quilvo
