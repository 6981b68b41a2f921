#include "core/production.h"

#include <algorithm>
#include <cstring>

#include "base/text.h"

namespace quilvo {
namespace {

std::string_view Trimmed(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

template <std::size_t N>
void CutInto(char (&field)[N], std::string_view text) {
    CopyCut(field, std::string(Trimmed(text)).c_str());
}

}  // namespace

ProductionSystems::Entry ProductionSystems::EntryOf(std::string_view text) {
    const std::string_view item = Trimmed(text);
    const std::size_t slash = item.find('/');
    Entry e = {};
    CutInto(e.system, item.substr(0, slash));
    if (slash != std::string_view::npos) CutInto(e.client, item.substr(slash + 1));
    return e;
}

ProductionSystems ProductionSystems::Parse(std::string_view text) {
    ProductionSystems list;
    while (!text.empty()) {
        const std::size_t comma = text.find(',');
        const Entry e = EntryOf(text.substr(0, comma));
        text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
        if (e.system[0] != '\0' && !list.Has(e)) list.entries_.push_back(e);
    }
    return list;
}

bool ProductionSystems::Has(const Entry& e) const {
    return std::any_of(entries_.begin(), entries_.end(), [&](const Entry& o) {
        return EqualsNoCase(o.system, e.system) && EqualsNoCase(o.client, e.client);
    });
}

std::string ProductionSystems::Text() const {
    std::string text;
    for (const Entry& e : entries_) {
        if (!text.empty()) text += ',';
        text += e.system;
        if (e.client[0] != '\0') text += std::string("/") + e.client;
    }
    return text;
}

bool ProductionSystems::Names(const char* system, const char* client) const {
    if (system == nullptr || system[0] == '\0') return false;
    return std::any_of(entries_.begin(), entries_.end(), [&](const Entry& e) {
        return EqualsNoCase(e.system, system) && (e.client[0] == '\0' || EqualsNoCase(e.client, client));
    });
}

bool ProductionSystems::NamesSystem(const char* system) const {
    const Entry whole = EntryOf(system != nullptr ? system : "");
    return whole.system[0] != '\0' && whole.client[0] == '\0' && Has(whole);
}

std::vector<std::string> ProductionSystems::Systems() const {
    std::vector<std::string> systems;
    for (const Entry& e : entries_) {
        const bool seen = std::any_of(systems.begin(), systems.end(),
                                      [&](const std::string& s) { return EqualsNoCase(s.c_str(), e.system); });
        if (!seen) systems.push_back(e.system);
    }
    return systems;
}

std::vector<std::string> ProductionSystems::Pairs() const {
    std::vector<std::string> pairs;
    for (const Entry& e : entries_)
        if (e.client[0] != '\0') pairs.push_back(std::string(e.system) + "/" + e.client);
    return pairs;
}

void ProductionSystems::Toggle(std::string_view entry) {
    const Entry toggled = EntryOf(entry);
    if (toggled.system[0] == '\0') return;
    if (!Has(toggled)) {
        entries_.push_back(toggled);
        return;
    }
    entries_.erase(std::remove_if(entries_.begin(), entries_.end(),
                                  [&](const Entry& e) {
                                      return EqualsNoCase(e.system, toggled.system) && EqualsNoCase(e.client, toggled.client);
                                  }),
                   entries_.end());
}

void MarkProduction(const ProductionSystems& production, std::vector<SessionRecord>& sessions) {
    for (SessionRecord& r : sessions) r.production = production.Names(r.system, r.client) ? 1 : 0;
}

std::string CloseQuestion(int sessions, int production, const std::vector<std::string>& systems) {
    std::string names;
    for (std::size_t i = 0; i < systems.size(); ++i) {
        if (i > 0) names += i + 1 == systems.size() ? " and " : ", ";
        names += systems[i];
    }
    const std::string where = std::string("on the production system") + (systems.size() > 1 ? "s " : " ") + names + ".";
    const std::string close = "Close " + std::to_string(sessions) + (sessions == 1 ? " session? " : " sessions? ");
    if (sessions == 1) return close + "It is " + where;
    return close + std::to_string(production) + (production == 1 ? " of them is " : " of them are ") + where;
}

}  // namespace quilvo
