#include "views/update_plan.h"

#include <cstring>

namespace quilvo {

namespace {

template <std::size_t N>
bool SameText(const char (&a)[N], const char (&b)[N]) {
    return std::strncmp(a, b, N) == 0;
}

}  // namespace

bool DrawsDifferently(const SessionRecord& a, const SessionRecord& b) {
    const bool titleShown = a.system[0] == '\0' && a.client[0] == '\0';
    return !SameText(a.system, b.system) || !SameText(a.client, b.client) || !SameText(a.transaction, b.transaction) ||
           (titleShown && !SameText(a.title, b.title)) || (a.busy != 0) != (b.busy != 0) ||
           (a.ready != 0) != (b.ready != 0) || (a.production != 0) != (b.production != 0);
}

bool UpdatePlan::Reordered() const {
    if (!gone.empty()) return true;
    for (std::size_t i = 0; i < steps.size(); ++i) {
        if (steps[i].from != static_cast<int>(i)) return true;
    }
    return false;
}

bool UpdatePlan::Unchanged() const {
    if (Reordered()) return false;
    for (const Step& s : steps) {
        if (s.moves || s.redraws) return false;
    }
    return true;
}

UpdatePlan PlanUpdate(const std::vector<ShownSession>& old, const std::vector<ShownSession>& fresh) {
    UpdatePlan plan;
    plan.steps.resize(fresh.size());
    std::vector<bool> kept(old.size(), false);
    for (std::size_t i = 0; i < fresh.size(); ++i) {
        const ShownSession& now = fresh[i];
        UpdatePlan::Step& step = plan.steps[i];
        for (std::size_t j = 0; j < old.size(); ++j) {
            if (kept[j] || old[j].window != now.window || now.window == kNoWindow) continue;
            kept[j] = true;
            step.from = static_cast<int>(j);
            step.moves = !SameRect(old[j].place, now.place);
            step.redraws = old[j].record == nullptr || now.record == nullptr ||
                           DrawsDifferently(*old[j].record, *now.record);
            break;
        }
    }
    for (std::size_t j = 0; j < old.size(); ++j) {
        if (!kept[j]) plan.gone.push_back(static_cast<int>(j));
    }
    return plan;
}

}  // namespace quilvo
