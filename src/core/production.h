// Which systems are production: the list PRODUCTION of the settings names Systems ("PRD") or a
// System and a Client ("QAS/300"), separated by commas, compared without regard to letter case
// as the box filters compare. Quilvo marks their sessions everywhere, frames the one in front
// and asks before it closes any of them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/session.h"

namespace quilvo {

class ProductionSystems {
public:
    // Blanks around the entries are dropped, as are empty entries and repeats; each part is
    // cut as a session's field is (System and Client 3 characters).
    static ProductionSystems Parse(std::string_view text);
    // "PRD,QAS/300": what the settings hold for it.
    std::string Text() const;
    bool Empty() const { return entries_.empty(); }

    // A session of this System and Client is production.
    bool Names(const char* system, const char* client) const;
    // The System is listed whole (every Client of it).
    bool NamesSystem(const char* system) const;
    // The Systems the list names, whole or with a Client, each once, in the list's order.
    std::vector<std::string> Systems() const;
    // The System and Client pairs it names ("QAS/300"), in the list's order.
    std::vector<std::string> Pairs() const;
    // An entry ("PRD" or "QAS/300") added when the list does not hold it, left out when it
    // does; a System's pairs stay when the System is toggled, and the other way round.
    void Toggle(std::string_view entry);

private:
    struct Entry {
        char system[4];
        char client[4];  // empty: every Client of the System
    };
    bool Has(const Entry& e) const;
    static Entry EntryOf(std::string_view text);

    std::vector<Entry> entries_;
};

// The production sessions of a snapshot's sessions get their flag set (the others cleared).
void MarkProduction(const ProductionSystems& production, std::vector<SessionRecord>& sessions);

// A closing command's question: "Close 3 sessions? 2 of them are on the production system
// PRD." The production systems each once, in the order given.
std::string CloseQuestion(int sessions, int production, const std::vector<std::string>& systems);

}  // namespace quilvo
